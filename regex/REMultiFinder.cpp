#include "regex/REMultiFinder.h"

#include <algorithm>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NAVIRT_MULTI_AVX2 1
#endif

namespace navirt {

TREMultiFinder::TREMultiFinder(std::vector<std::string> strings) : strings_(std::move(strings)) {
  if (strings_.size() > kMaxStrings) strings_.resize(kMaxStrings);
  minLength_ = strings_.empty() ? 0 : strings_[0].size();
  for (const std::string& s : strings_) {
    minLength_ = std::min(minLength_, s.size());
    maxLength_ = std::max(maxLength_, s.size());
  }
  fingerprint_ = std::min<size_t>(3, std::max<size_t>(1, minLength_));
  for (size_t i = 0; i < strings_.size(); ++i) {
    const std::string& s = strings_[i];
    if (s.empty()) continue;
    const auto bit = static_cast<uint8_t>(1u << i);
    first_[static_cast<unsigned char>(s[0])] |= bit;
    for (size_t k = 0; k < fingerprint_; ++k) {
      const auto b = static_cast<unsigned char>(s[k]);
      lo_[k][b & 15] |= bit;
      lo_[k][16 + (b & 15)] |= bit;
      hi_[k][b >> 4] |= bit;
      hi_[k][16 + (b >> 4)] |= bit;
    }
  }
#if NAVIRT_MULTI_AVX2
  avx2_ = minLength_ > 0 && __builtin_cpu_supports("avx2");
#endif
}

const char* TREMultiFinder::FindScalar(const char* p, const char* end) const {
  if (minLength_ == 0) return nullptr;
  for (; p < end; ++p) {
    const unsigned buckets = first_[static_cast<unsigned char>(*p)];
    if (buckets)
      if (const char* hit = Verify(p, end, buckets)) return hit;
  }
  return nullptr;
}

#if NAVIRT_MULTI_AVX2
namespace {
__attribute__((target("avx2"), always_inline)) inline __m256i Buckets(__m256i x, __m256i lo, __m256i hi,
                                                                      __m256i nibble) {
  return _mm256_and_si256(_mm256_shuffle_epi8(lo, _mm256_and_si256(x, nibble)),
                          _mm256_shuffle_epi8(hi, _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble)));
}
}  // namespace

__attribute__((target("avx2"))) const char* TREMultiFinder::FindAvx2(const char* p, const char* end) const {
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i lo0 = _mm256_load_si256(reinterpret_cast<const __m256i*>(lo_[0]));
  const __m256i hi0 = _mm256_load_si256(reinterpret_cast<const __m256i*>(hi_[0]));
  const __m256i lo1 = _mm256_load_si256(reinterpret_cast<const __m256i*>(lo_[1]));
  const __m256i hi1 = _mm256_load_si256(reinterpret_cast<const __m256i*>(hi_[1]));
  const __m256i lo2 = _mm256_load_si256(reinterpret_cast<const __m256i*>(lo_[2]));
  const __m256i hi2 = _mm256_load_si256(reinterpret_cast<const __m256i*>(hi_[2]));
  const __m256i ones = _mm256_set1_epi8(-1);
  // Tables of unused fingerprint bytes let every byte through.
  const __m256i pass1 = fingerprint_ > 1 ? _mm256_setzero_si256() : ones;
  const __m256i pass2 = fingerprint_ > 2 ? _mm256_setzero_si256() : ones;
  // Loads reach 2 bytes past the 32 positions of a step.
  while (end - p >= 34) {
    const __m256i x0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i x1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 1));
    const __m256i x2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 2));
    __m256i c = Buckets(x0, lo0, hi0, nibble);
    c = _mm256_and_si256(c, _mm256_or_si256(Buckets(x1, lo1, hi1, nibble), pass1));
    c = _mm256_and_si256(c, _mm256_or_si256(Buckets(x2, lo2, hi2, nibble), pass2));
    unsigned mask = ~static_cast<unsigned>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(c, _mm256_setzero_si256())));
    if (mask) {
      alignas(32) uint8_t b[32];
      _mm256_store_si256(reinterpret_cast<__m256i*>(b), c);
      while (mask) {
        const int j = __builtin_ctz(mask);
        mask &= mask - 1;
        if (const char* hit = Verify(p + j, end, b[j])) return hit;
      }
    }
    p += 32;
  }
  return FindScalar(p, end);
}
#else
const char* TREMultiFinder::FindAvx2(const char* p, const char* end) const { return FindScalar(p, end); }
#endif

}  // namespace navirt

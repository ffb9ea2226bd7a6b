#pragma once
// Finding a byte string fast: its two rarest bytes are compared at 16
// positions per step, and only where both agree is the whole compared.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace navirt {

// The rarest bytes are chosen by their counts in a sample of the text.
class TRENeedleFinder {
 public:
  TRENeedleFinder(std::string needle, std::string_view sample) : needle_(std::move(needle)) {
    size_t count[256] = {};
    for (unsigned char b : sample) ++count[b];
    auto freq = [&](size_t i) { return count[static_cast<unsigned char>(needle_[i])]; };
    for (size_t i = 1; i < needle_.size(); ++i)
      if (freq(i) < freq(k1_)) k1_ = i;
    k2_ = k1_ == 0 ? 1 : 0;
    for (size_t i = 0; i < needle_.size(); ++i)
      if (i != k1_ && freq(i) < freq(k2_)) k2_ = i;
    if (k2_ < k1_) std::swap(k1_, k2_);
  }

  size_t Size() const { return needle_.size(); }
  // The first occurrence in [p, end), or nullptr.
  const char* Find(const char* p, const char* end) const {
    const size_t n = needle_.size();
    if (size_t(end - p) < n) return nullptr;
    if (n == 1) return static_cast<const char*>(std::memchr(p, needle_[0], size_t(end - p)));
    const char* last = end - n;  // the last possible start
#if defined(__SSE2__)
    const __m128i b1 = _mm_set1_epi8(needle_[k1_]);
    const __m128i b2 = _mm_set1_epi8(needle_[k2_]);
    while (p + 16 <= last + 1) {
      __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k1_));
      __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k2_));
      unsigned mask =
          static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(x1, b1), _mm_cmpeq_epi8(x2, b2))));
      while (mask) {
        int bit = __builtin_ctz(mask);
        if (std::memcmp(p + bit, needle_.data(), n) == 0) return p + bit;
        mask &= mask - 1;
      }
      p += 16;
    }
#endif
    for (; p <= last; ++p)
      if (p[k1_] == needle_[k1_] && std::memcmp(p, needle_.data(), n) == 0) return p;
    return nullptr;
  }

 private:
  std::string needle_;
  size_t k1_ = 0, k2_ = 1;
};

}  // namespace navirt

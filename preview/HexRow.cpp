#include "preview/HexRow.h"

#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NAVIRT_HEXROW_SIMD 1
#endif

namespace navirt {

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// Each byte as "HH " (4 bytes stored, 3 kept); each byte as its two digits.
struct Tables {
  uint32_t triple[256];
  uint16_t pair[256];
  Tables() {
    for (int b = 0; b < 256; ++b) {
      const char t[4] = {kDigits[b >> 4], kDigits[b & 15], ' ', ' '};
      std::memcpy(&triple[b], t, 4);
      std::memcpy(&pair[b], t, 2);
    }
  }
};
const Tables& T() {
  static const Tables t;
  return t;
}

#if NAVIRT_HEXROW_SIMD
// Output byte j of the row is character 2*(j/3) + j%3 of the interleaved
// digits, or a blank when j%3 == 2. The digits of bytes 0-7 are in A, of
// bytes 8-15 in B.
struct Masks {
  alignas(16) int8_t a0[16], a1[16], b1[16], b2[16], sp0[16], sp1[16], sp2[16];
  Masks() {
    int8_t* a[3] = {a0, a1, nullptr};
    int8_t* b[3] = {nullptr, b1, b2};
    int8_t* sp[3] = {sp0, sp1, sp2};
    for (int k = 0; k < 3; ++k) {
      for (int i = 0; i < 16; ++i) {
        const int j = 16 * k + i, r = j % 3, c = 2 * (j / 3) + r;
        sp[k][i] = r == 2 ? ' ' : 0;
        if (a[k]) a[k][i] = r != 2 && c < 16 ? int8_t(c) : int8_t(-128);
        if (b[k]) b[k][i] = r != 2 && c >= 16 ? int8_t(c - 16) : int8_t(-128);
      }
    }
  }
};
const Masks& M() {
  static const Masks m;
  return m;
}

__attribute__((target("ssse3"))) void HexRow16Ssse3(const unsigned char* in, char* out) {
  const Masks& m = M();
  const __m128i digits = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kDigits));
  const __m128i nibble = _mm_set1_epi8(0x0F);
  const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i lo = _mm_shuffle_epi8(digits, _mm_and_si128(x, nibble));
  const __m128i hi = _mm_shuffle_epi8(digits, _mm_and_si128(_mm_srli_epi16(x, 4), nibble));
  const __m128i a = _mm_unpacklo_epi8(hi, lo);
  const __m128i b = _mm_unpackhi_epi8(hi, lo);
  auto ld = [](const int8_t* p) { return _mm_load_si128(reinterpret_cast<const __m128i*>(p)); };
  const __m128i o0 = _mm_or_si128(_mm_shuffle_epi8(a, ld(m.a0)), ld(m.sp0));
  const __m128i o1 =
      _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(a, ld(m.a1)), _mm_shuffle_epi8(b, ld(m.b1))), ld(m.sp1));
  const __m128i o2 = _mm_or_si128(_mm_shuffle_epi8(b, ld(m.b2)), ld(m.sp2));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), o0);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), o1);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), o2);
}

const bool kSsse3 = __builtin_cpu_supports("ssse3");
#endif

}  // namespace

void HexRow16Plain(const unsigned char* in, char* out) {
  const Tables& t = T();
  // The fourth byte of each store is overwritten by the next; the last
  // triple is stored by its three bytes.
  for (int k = 0; k < 15; ++k) std::memcpy(out + 3 * k, &t.triple[in[k]], 4);
  std::memcpy(out + 45, &t.triple[in[15]], 3);
}

void HexRow16(const unsigned char* in, char* out) {
#if NAVIRT_HEXROW_SIMD
  if (kSsse3) {
    HexRow16Ssse3(in, out);
    return;
  }
#endif
  HexRow16Plain(in, out);
}

void HexNumber8(uint32_t n, char* out) {
  const Tables& t = T();
  std::memcpy(out, &t.pair[(n >> 24) & 0xFF], 2);
  std::memcpy(out + 2, &t.pair[(n >> 16) & 0xFF], 2);
  std::memcpy(out + 4, &t.pair[(n >> 8) & 0xFF], 2);
  std::memcpy(out + 6, &t.pair[n & 0xFF], 2);
}

}  // namespace navirt

#pragma once
// The row/cell arithmetic of codec/CodeConvert.h on eight two-byte units at
// once. Japanese prose is mostly runs of such units, and one table lookup
// per unit waited on the cache (the 128 KiB tables do not stay near the
// core); the arithmetic itself is a few vector operations.
#include <cstddef>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace navirt::detail {

enum class PairKind {
  SjisToJis,  // mappable Shift_JIS pairs to JIS
  EucToSjis,  // EUC pairs (0xA1-0xFE) to Shift_JIS
  JisToSjis,  // JIS pairs (0x21-0x7E) to Shift_JIS
};

#if defined(__SSE2__)
constexpr bool kPairBlocks = true;

namespace pair_block {
// Lanes of 16 bits holding a byte each: signed compares are exact.
inline __m128i Within(__m128i v, int lo, int hi) {
  return _mm_and_si128(_mm_cmpgt_epi16(v, _mm_set1_epi16(static_cast<short>(lo - 1))),
                       _mm_cmpgt_epi16(_mm_set1_epi16(static_cast<short>(hi + 1)), v));
}
inline __m128i Pick(__m128i mask, __m128i yes, __m128i no) {
  return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}
inline __m128i Set(int v) { return _mm_set1_epi16(static_cast<short>(v)); }
}  // namespace pair_block

// Converts the eight units at in and stores all sixteen result bytes at
// out (each result ORed with orMask); returns how many units from the
// first are mappable: only their results count.
template <PairKind kind>
inline size_t PairBlock(const uint8_t* in, uint8_t* out, uint16_t orMask) {
  using namespace pair_block;
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i low = Set(0xFF);
  __m128i first = _mm_and_si128(v, low);  // the first byte of each unit
  __m128i second = _mm_srli_epi16(v, 8);
  __m128i ok, a, b;
  if constexpr (kind == PairKind::SjisToJis) {
    ok = _mm_and_si128(_mm_or_si128(Within(first, 0x81, 0x9F), Within(first, 0xE0, 0xEF)),
                       _mm_or_si128(Within(second, 0x40, 0x7E), Within(second, 0x80, 0xFC)));
    // j1 = (s1 - (s1 < 0xA0 ? 0x70 : 0xB0)) * 2, one less when s2 < 0x9F.
    const __m128i base = _mm_sub_epi16(Set(0xB0), _mm_and_si128(_mm_cmpgt_epi16(Set(0xA0), first), Set(0x40)));
    const __m128i below9f = _mm_cmpgt_epi16(Set(0x9F), second);
    a = _mm_add_epi16(_mm_slli_epi16(_mm_sub_epi16(first, base), 1), below9f);
    // j2 = s2 - 0x7E from 0x9F on, else s2 - 0x1F, or - 0x20 past 0x7F.
    const __m128i above7f = _mm_cmpgt_epi16(second, Set(0x7F));
    b = _mm_sub_epi16(second, Pick(below9f, _mm_sub_epi16(Set(0x1F), above7f), Set(0x7E)));
  } else {
    if constexpr (kind == PairKind::EucToSjis) {
      ok = _mm_and_si128(Within(first, 0xA1, 0xFE), Within(second, 0xA1, 0xFE));
      first = _mm_and_si128(first, Set(0x7F));
      second = _mm_and_si128(second, Set(0x7F));
    } else {
      ok = _mm_and_si128(Within(first, 0x21, 0x7E), Within(second, 0x21, 0x7E));
    }
    // s1 = ((j1 + 1) >> 1) + (j1 < 0x5F ? 0x70 : 0xB0).
    const __m128i base = _mm_sub_epi16(Set(0xB0), _mm_and_si128(_mm_cmpgt_epi16(Set(0x5F), first), Set(0x40)));
    a = _mm_add_epi16(_mm_srli_epi16(_mm_add_epi16(first, Set(1)), 1), base);
    // s2 = j2 + 0x7E for an even row, else + 0x1F, or + 0x20 past 0x5F.
    const __m128i odd = _mm_cmpeq_epi16(_mm_and_si128(first, Set(1)), Set(1));
    const __m128i above5f = _mm_cmpgt_epi16(second, Set(0x5F));
    b = _mm_add_epi16(second, Pick(odd, _mm_sub_epi16(Set(0x1F), above5f), Set(0x7E)));
  }
  const __m128i result = _mm_or_si128(_mm_or_si128(_mm_and_si128(a, low), _mm_slli_epi16(b, 8)), Set(orMask));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), result);
  const unsigned bad = ~static_cast<unsigned>(_mm_movemask_epi8(ok)) & 0xFFFF;
  return bad == 0 ? 8 : static_cast<size_t>(__builtin_ctz(bad)) / 2;
}
#else
constexpr bool kPairBlocks = false;
template <PairKind kind>
inline size_t PairBlock(const uint8_t*, uint8_t*, uint16_t) {
  return 0;
}
#endif

}  // namespace navirt::detail

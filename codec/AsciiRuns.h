#pragma once
// 7-bit runs copied sixteen bytes at a time, for the converters whose
// output keeps those bytes as they are.
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace navirt::detail {

// ASCII sixteen bytes at a time: each block is stored whole and both
// pointers move past the ASCII bytes it begins with, so a short run costs
// one load and one store. The caller leaves 16 bytes of room at o whenever
// 16 bytes of input remain. Returns when *p is not ASCII or the input ends.
template <typename In>
inline void CopyAscii(const In*& p, const In* e, char*& o) {
#if defined(__SSE2__)
  while (e - p >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
    const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (high != 0) {
      const unsigned n = static_cast<unsigned>(__builtin_ctz(high));
      p += n;
      o += n;
      return;
    }
    p += 16;
    o += 16;
  }
#endif
  while (p < e && static_cast<unsigned char>(*p) < 0x80) *o++ = static_cast<char>(*p++);
}

}  // namespace navirt::detail

#pragma once
// Code detection over a text handed out a byte at a time, for a text kept
// in pieces (the pane's lines) that would otherwise be joined first.
#include <cstddef>
#include <cstdint>

#include "codec/DetectCode.h"

namespace navirt {

// DetectCode over a text of n bytes: byteAt(i) is byte i. Bytes are asked
// for in increasing order, once over the first 512 and then from the start.
template <class At>
TextCode DetectCodeWith(size_t n, At byteAt) {
  // Positions are 1-based as in the rule tables; at(p) is the byte at p.
  auto at = [&](size_t p) -> uint8_t { return byteAt(p - 1); };

  for (size_t p = 1; p < n && p <= 512; ++p) {
    uint8_t c = at(p);
    if (c <= 0x07 || c == 0xFF) return CodeBinary;
  }

  int state = CodeAscii;
  size_t p = 1;
  while (p < n && (state == CodeAscii || state == CodeEucOrSjis)) {
    const uint8_t c = at(p);
    if (c == 0x1B) {
      ++p;  // p <= n here
      if (at(p) == '$' && p + 1 <= n) {
        ++p;
        uint8_t c3 = at(p);
        if (c3 == 'B')
          state = CodeJis83;
        else if (c3 == '@')
          state = CodeJis78;
      }
    } else if (c <= 0x07 || c == 0xFF) {
      state = CodeBinary;
    } else if (c < 0x80) {
      // other 7-bit bytes decide nothing
    } else if ((c >= 0x81 && c <= 0x8D) || (c >= 0x8F && c <= 0x9F)) {
      state = CodeSjis;
    } else if (c == 0x8E) {
      ++p;
      uint8_t c2 = at(p);
      if ((c2 >= 0x40 && c2 <= 0x7E) || (c2 >= 0x80 && c2 <= 0xA0) || (c2 >= 0xE0 && c2 <= 0xFC))
        state = CodeSjis;
      else if (c2 >= 0xA1 && c2 <= 0xDF)
        state = CodeEucOrSjis;
    } else if (c >= 0xA1 && c <= 0xDF) {
      ++p;
      uint8_t c2 = at(p);
      if (c2 >= 0xF0 && c2 <= 0xFE) {
        state = CodeEuc;
      } else if (c2 >= 0xA1 && c2 <= 0xDF) {
        state = CodeEucOrSjis;
      } else if (c2 >= 0xE0 && c2 <= 0xEF) {
        state = CodeEucOrSjis;
        // Run of bytes >= 0x40 after an ambiguous pair: look for a byte
        // that only one of the codes can hold.
        while (p <= n && c2 >= 0x40 && state == CodeEucOrSjis) {
          if (c2 >= 0x81) {
            if ((c2 >= 0x81 && c2 <= 0x8D) || (c2 >= 0x8F && c2 <= 0x9C))
              state = CodeSjis;
            else if (c2 == 0xFD || c2 == 0xFE)
              state = CodeEuc;
          }
          ++p;
          if (p <= n) c2 = at(p);
        }
      } else if (c2 <= 0x9F) {
        state = CodeSjis;
      }
    } else if (c >= 0xF0 && c <= 0xFE) {
      state = CodeEuc;
    } else if (c >= 0xE0 && c <= 0xEF) {
      ++p;
      uint8_t c2 = at(p);
      if ((c2 >= 0x40 && c2 <= 0x7E) || (c2 >= 0x80 && c2 <= 0xA0))
        state = CodeSjis;
      else if (c2 == 0xFD || c2 == 0xFE)
        state = CodeEuc;
      else if (c2 >= 0xA1 && c2 <= 0xFC)
        state = CodeEucOrSjis;
    }
    // 0x80 and 0xA0 decide nothing
    ++p;
  }
  return static_cast<TextCode>(state);
}

}  // namespace navirt

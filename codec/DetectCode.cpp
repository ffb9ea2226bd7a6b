#include "codec/DetectCode.h"

#include <cstddef>
#include <cstdint>

namespace navirt {

TextCode DetectCode(std::string_view text) {
  const size_t n = text.size();
  // Positions are 1-based as in the rule tables; at(p) is the byte at p.
  auto at = [&](size_t p) { return static_cast<uint8_t>(text[p - 1]); };

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

const char* TextCodeLabel(int code) {
  switch (code) {
    case CodeAscii:
      return "ASCII";
    case CodeBinary:
      return "ﾊﾞｲﾅﾘ";
    case CodeJis83:
      return "JIS83";
    case CodeJis78:
      return "JIS78";
    case CodeEuc:
      return "EUC";
    case CodeSjis:
      return "ｼﾌﾄJIS";
    case CodeEucOrSjis:
      return "EUC+ｼﾌﾄJIS";
    default:
      return "";
  }
}

const char* TextCodeName(int code) {
  switch (code) {
    case CodeAscii:
      return "CodeAscii";
    case CodeBinary:
      return "CodeBinary";
    case CodeJis83:
      return "CodeJis83";
    case CodeJis78:
      return "CodeJis78";
    case CodeEuc:
      return "CodeEuc";
    case CodeSjis:
      return "CodeSjis";
    case CodeEucOrSjis:
      return "CodeEucOrSjis";
    default:
      return "";
  }
}

}  // namespace navirt

#include "codec/DetectCode.h"

#include "codec/DetectCodeWith.h"

#include <cstddef>
#include <cstdint>

namespace navirt {

TextCode DetectCode(std::string_view text) {
  return DetectCodeWith(text.size(), [text](size_t i) { return static_cast<uint8_t>(text[i]); });
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

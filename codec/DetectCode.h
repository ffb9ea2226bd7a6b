#pragma once
// Guessing the Japanese character code of a text.
#include <string_view>

namespace navirt {

enum TextCode : int {
  CodeAscii = 0,
  CodeBinary = 1,
  CodeJis83 = 2,
  CodeJis78 = 3,
  CodeEuc = 4,
  CodeSjis = 5,
  CodeEucOrSjis = 6,
};

// One forward pass, no allocation; bytes past the end are never read and
// the last byte is never examined.
TextCode DetectCode(std::string_view text);

// The label the information line shows ("ASCII", "ﾊﾞｲﾅﾘ", ...), UTF-8;
// empty for any other value.
const char* TextCodeLabel(int code);
// "CodeAscii", "CodeSjis", ...; empty for any other value.
const char* TextCodeName(int code);

}  // namespace navirt

#pragma once
// Test texts are written in UTF-8 source files while the program's text is
// Shift_JIS (CP932) bytes: S turns a written text into the program's bytes,
// U turns program bytes back into readable text for a message or a compare.
#include <string>
#include <string_view>

#include "platform/Cp932.h"

inline std::string S(std::string_view utf8) { return navirt::Utf8ToCp932(utf8); }
inline std::string U(std::string_view cp932) { return navirt::Cp932ToUtf8(cp932); }

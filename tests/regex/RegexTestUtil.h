#pragma once
#include <string>

#include "platform/Cp932.h"

// Test texts are written in UTF-8 and searched as Shift_JIS.
inline std::string S(const char* utf8) { return navirt::Utf8ToCp932(utf8); }

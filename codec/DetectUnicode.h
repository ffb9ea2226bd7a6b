#pragma once
// Recognising UTF-8 and UTF-16 before the Japanese code guess: a step that
// runs ahead of DetectCode and leaves its answers alone when it finds
// nothing (ASCII-only text stays DetectCode's "ASCII").
#include <cstddef>
#include <string>
#include <string_view>

namespace navirt {

enum class UnicodeCode : int {
  None = 0,     // not recognised: DetectCode decides
  Utf8 = 1,     // well-formed, at least one multi-byte sequence, no mark
  Utf8Bom = 2,  // EF BB BF first
  Utf16Le = 3,  // FF FE first
  Utf16Be = 4,  // FE FF first
};

// A text longer than this may be a sample cut from a larger file: a
// sequence its end splits counts as whole.
constexpr size_t kUnicodeWindow = 64 * 1024;

// Marks first; then UTF-8 without one: the whole text is well-formed,
// holds a multi-byte sequence and no zero byte, and is not more likely
// EUC-JP (short EUC words can be well-formed UTF-8 of rare letters).
UnicodeCode DetectUnicode(std::string_view text);

// "UTF-8", "UTF-8(BOM)", "UTF-16LE", "UTF-16BE"; empty for None.
const char* UnicodeCodeLabel(UnicodeCode code);
// "Utf8", "Utf8Bom", "Utf16Le", "Utf16Be"; "None".
const char* UnicodeCodeName(UnicodeCode code);

// The label the information line shows for a text: the Unicode label when
// DetectUnicode recognises it, else DetectCode's. Empty for an empty text
// (callers show no label then).
std::string FileCodeLabel(std::string_view text);

// Length of the byte-order mark the code starts with (0, 2 or 3).
size_t UnicodeMarkLength(UnicodeCode code);

// Well-formed UTF-8 as Unicode defines it (no overlong forms, no
// surrogates, nothing past U+10FFFF). Vectorised where the processor can.
bool IsWellFormedUtf8(std::string_view s);
// The same, one byte at a time: the reference the fast one is tested against.
bool IsWellFormedUtf8Scalar(std::string_view s);

// Length of the well-formed sequence starting at s[i] (1 to 4), or 0 when
// the byte there begins none.
size_t Utf8SequenceLength(std::string_view s, size_t i);

}  // namespace navirt

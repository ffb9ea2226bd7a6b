#pragma once
// Half-width <-> full-width forms in Shift_JIS text: ASCII letters, digits
// and symbols, katakana and Japanese punctuation. Pure functions over
// bytes; line ends pass through untouched.
#include <string>
#include <string_view>

namespace navirt {

// "半角->全角": alphanumerics, symbols and katakana, voiced marks merged
// where a voiced kana exists.
std::string HalfToFullWidth(std::string_view text);
// "全角->半角": alphanumerics, symbols, hiragana and katakana.
std::string FullToHalfWidth(std::string_view text);
// "半角ｶﾅ->全角カナ": every byte 0xA1-0xDF to its full-width form, marks
// kept as separate characters.
std::string HalfKanaToFullKana(std::string_view text);
// "2バイト空白->1バイト": each ideographic space becomes two blanks.
std::string WideSpaceToBlanks(std::string_view text);

}  // namespace navirt

#pragma once
// Conversions between 7-bit JIS, EUC-JP and Shift_JIS, and line ends.
//
// Every function takes bytes and returns new bytes; none fails. Units the
// pair arithmetic cannot map (a stray 8-bit byte, a user-defined Shift_JIS
// character, a JIS X 0212 triple, a broken pair inside JIS kanji mode) are
// copied unchanged; a unit cut off by the end of the text is dropped.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/DetectCode.h"

namespace navirt {

struct BytePair {
  uint8_t first;
  uint8_t second;
  bool operator==(const BytePair&) const = default;
};

// The classic row/cell arithmetic. Exact inverses for JIS pairs 0x21-0x7E
// and Shift_JIS leads 0x81-0x9F, 0xE0-0xEF with trails 0x40-0x7E, 0x80-0xFC.
inline BytePair JisPairToSjis(uint8_t j1, uint8_t j2) {
  uint8_t s1 = static_cast<uint8_t>(((j1 + 1) >> 1) + (j1 < 0x5F ? 0x70 : 0xB0));
  uint8_t s2 = static_cast<uint8_t>(j2 + ((j1 & 1) ? (j2 <= 0x5F ? 0x1F : 0x20) : 0x7E));
  return {s1, s2};
}

inline BytePair SjisPairToJis(uint8_t s1, uint8_t s2) {
  uint8_t j1 = static_cast<uint8_t>((s1 - (s1 < 0xA0 ? 0x70 : 0xB0)) * 2);
  uint8_t j2;
  if (s2 < 0x9F) {
    j1 = static_cast<uint8_t>(j1 - 1);
    j2 = static_cast<uint8_t>(s2 - (s2 > 0x7F ? 0x20 : 0x1F));
  } else {
    j2 = static_cast<uint8_t>(s2 - 0x7E);
  }
  return {j1, j2};
}

// Whether the pair arithmetic maps these bytes onto a JIS X 0208 row/cell.
inline bool IsMappableSjisPair(uint8_t s1, uint8_t s2) {
  return ((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF)) &&
         ((s2 >= 0x40 && s2 <= 0x7E) || (s2 >= 0x80 && s2 <= 0xFC));
}
inline bool IsJisByte(uint8_t b) { return b >= 0x21 && b <= 0x7E; }
inline bool IsEucByte(uint8_t b) { return b >= 0xA1 && b <= 0xFE; }
inline bool IsHalfKana(uint8_t b) { return b >= 0xA1 && b <= 0xDF; }

enum class KanaForm { Sjis, Euc };

struct HalfKanaResult {
  BytePair jis;  // one JIS X 0208 pair
  size_t used;   // input bytes consumed
};

// The half-width katakana at text[pos] (Sjis: the byte 0xA1-0xDF; Euc: 0x8E
// and that byte) as one full-width JIS pair, merged with an immediately
// following voiced or semi-voiced mark where such a kana exists.
// When there is no such kana at pos, used is 0.
HalfKanaResult HalfKanaToJis(std::string_view text, size_t pos, KanaForm form);
// The JIS pair of a half-width byte 0xA1-0xDF on its own, marks unmerged.
BytePair HalfKanaPair(uint8_t kana);

std::string JisToSjis(std::string_view text);
std::string JisToEuc(std::string_view text);
std::string EucToSjis(std::string_view text);
std::string EucToJis(std::string_view text);
std::string SjisToJis(std::string_view text);
std::string SjisToEuc(std::string_view text);

// Detects the code and converts to target (CodeJis83, CodeEuc or CodeSjis);
// ASCII, binary, undecided or already-target text comes back unchanged.
std::string ConvertToCode(std::string_view text, int target);

enum LineEndKind : int { LineEndNone = 0, LineEndCrLf = 1, LineEndCr = 2, LineEndLf = 3 };

LineEndKind DetectLineEnd(std::string_view text);
std::string ConvertLineEnds(std::string_view text, int from, int to);

}  // namespace navirt

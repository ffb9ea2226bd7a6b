// The codes are the ones old settings files hold; mapping them here keeps
// those files' paper choice when the printing library names sizes its own
// way.
#include "print/PaperNames.h"

#include <utility>

namespace navirt {

std::optional<int> PaperCodeOf(PageSizeId id) {
  using P = PageSizeId;
  static constexpr std::pair<P, int> kCodes[] = {
      {P::Letter, 1},
      {P::LetterSmall, 2},
      {P::Tabloid, 3},
      {P::Ledger, 4},
      {P::Legal, 5},
      {P::Statement, 6},
      {P::ExecutiveStandard, 7},
      {P::A3, 8},
      {P::A4, 9},
      {P::A4Small, 10},
      {P::A5, 11},
      {P::JisB4, 12},
      {P::JisB5, 13},
      {P::Quarto, 15},
      {P::Imperial10x14, 16},
      {P::Note, 18},
      {P::Envelope9, 19},
      {P::Comm10E, 20},
      {P::Envelope11, 21},
      {P::Envelope12, 22},
      {P::Envelope14, 23},
      {P::ArchC, 24},
      {P::ArchD, 25},
      {P::ArchE, 26},
      {P::DLE, 27},
      {P::C5E, 28},
      {P::EnvelopeC3, 29},
      {P::EnvelopeC4, 30},
      {P::EnvelopeC6, 31},
      {P::EnvelopeC65, 32},
      {P::EnvelopeB4, 33},
      {P::EnvelopeB5, 34},
      {P::EnvelopeB6, 35},
      {P::EnvelopeItalian, 36},
      {P::EnvelopeMonarch, 37},
      {P::EnvelopePersonal, 38},
      {P::FanFoldUS, 39},
      {P::FanFoldGerman, 40},
      {P::FanFoldGermanLegal, 41},
  };
  for (const auto& [p, code] : kCodes)
    if (p == id) return code;
  return std::nullopt;
}

std::string PaperCodeName(int code) {
  static const char* const kNames[] = {
      "",
      "ﾚﾀｰ",
      "ﾚﾀｰS",
      "ﾀﾌﾞﾛｲﾄ",
      "Ledger",
      "Legal",
      "ｽﾃｰﾄﾒﾝﾄ",
      "ｴｸﾞｾﾞｸﾃｨﾌﾞ",
      "A3",
      "A4",
      "A4S",
      "A5",
      "B4",
      "B5",
      "ﾌｫﾘｵ",
      "ｸﾜﾄﾛ",
      "10x14 ｲﾝﾁ",
      "11x17 ｲﾝﾁ",
      "ﾉｰﾄ",
      "#9",
      "#10",
      "#11",
      "#12",
      "#14",
      "C",
      "D",
      "E",
      "Envelope DL 110 x 220mm",
      "Envelope C5 162 x 229 mm",
      "Envelope C3  324 x 458 mm",
      "Envelope C4  229 x 324 mm",
      "Envelope C6  114 x 162 mm",
      "Envelope C65 114 x 229 mm",
      "Envelope B4  250 x 353 mm",
      "Envelope B5  176 x 250 mm",
      "Envelope B6  176 x 125 mm",
      "Envelope 110 x 230 mm",
      "Envelope Monarch 3.875 x 7.5 in",
      "6 3/4 Envelope 3 5/8 x 6 1/2 in",
      "US Std Fanfold 14 7/8 x 11 in",
      "German Std Fanfold 8 1/2 x 12 in",
      "German Legal Fanfold 8 1/2 x 13 in",
  };
  if (code >= 1 && code < static_cast<int>(std::size(kNames))) return kNames[code];
  if (code == 118) return "dmPaper_Fanfold_Lgl_German";
  return "";
}

std::string PaperLabel(std::optional<int> code, int widthMm, int heightMm) {
  std::string name = code ? PaperCodeName(*code) : std::string();
  return name + " " + std::to_string(widthMm) + "x" + std::to_string(heightMm);
}

}  // namespace navirt

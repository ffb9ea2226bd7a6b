#pragma once
// Colours and fonts as the settings file stores them, below every window
// library that shows them. A colour is a name of the standard table
// ("clBlack", "clWindowText") or "$00BBGGRR"; system colours carry the
// high bit and their index (clWindowText = 0x80000008).
#include <cstdint>
#include <optional>
#include <string>

namespace navirt {

using TColor = uint32_t;

constexpr TColor clBlack = 0x000000;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clWindowText = 0x80000008;
constexpr TColor clBtnFace = 0x8000000F;

std::string ColorToString(TColor c);
std::optional<TColor> StringToColor(const std::string& s);
bool IsSystemColor(TColor c);
// 0x00RRGGBB of a plain colour.
uint32_t ColorToRgb(TColor c);

struct FontSpec {
  std::string name;
  int style = 0;  // 1 bold, 2 italic, 4 underline, 8 strike-out
  TColor color = clWindowText;
  int size = 9;  // points
};

}  // namespace navirt

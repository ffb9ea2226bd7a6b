#include "settings/Colors.h"

#include <strings.h>
#include <cstdio>

#include <climits>
#include <cstdint>
#include <cstdlib>

namespace navirt {
namespace {

struct NamedColor {
  const char* name;
  TColor value;
};

const NamedColor kColors[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clScrollBar", 0x80000000},
    {"clBackground", 0x80000001},
    {"clActiveCaption", 0x80000002},
    {"clInactiveCaption", 0x80000003},
    {"clMenu", 0x80000004},
    {"clWindow", 0x80000005},
    {"clWindowFrame", 0x80000006},
    {"clMenuText", 0x80000007},
    {"clWindowText", 0x80000008},
    {"clCaptionText", 0x80000009},
    {"clActiveBorder", 0x8000000A},
    {"clInactiveBorder", 0x8000000B},
    {"clAppWorkSpace", 0x8000000C},
    {"clHighlight", 0x8000000D},
    {"clHighlightText", 0x8000000E},
    {"clBtnFace", 0x8000000F},
    {"clBtnShadow", 0x80000010},
    {"clGrayText", 0x80000011},
    {"clBtnText", 0x80000012},
    {"clInactiveCaptionText", 0x80000013},
    {"clBtnHighlight", 0x80000014},
    {"cl3DDkShadow", 0x80000015},
    {"cl3DLight", 0x80000016},
    {"clInfoText", 0x80000017},
    {"clInfoBk", 0x80000018},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
};

}  // namespace

std::string ColorToString(TColor c) {
  for (const auto& nc : kColors)
    if (nc.value == c) return nc.name;
  char buf[16];
  std::snprintf(buf, sizeof buf, "$%08X", c);
  return buf;
}

std::optional<TColor> StringToColor(const std::string& s) {
  for (const auto& nc : kColors)
    if (::strcasecmp(nc.name, s.c_str()) == 0) return nc.value;
  if (s.size() >= 2 && s[0] == '$') {
    char* end = nullptr;
    unsigned long v = std::strtoul(s.c_str() + 1, &end, 16);
    if (end && *end == 0 && s.size() <= 9) return static_cast<TColor>(v);
    return std::nullopt;
  }
  // A plain decimal number is a colour too.
  if (!s.empty()) {
    char* end = nullptr;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (end && *end == 0 && v >= INT32_MIN && v <= UINT32_MAX) return static_cast<TColor>(v);
  }
  return std::nullopt;
}

bool IsSystemColor(TColor c) { return (c & 0xFF000000u) == 0x80000000u; }

uint32_t ColorToRgb(TColor c) {
  uint32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return (r << 16) | (g << 8) | b;
}

}  // namespace navirt

// One rounding rule for every conversion: margins saved, shown and
// printed must come back as the same whole millimetres.
#include "print/PageRect.h"

#include <cmath>

namespace navirt {

int64_t RoundToEven(double v) {
  // nearbyint follows the default rounding mode, which is to nearest, ties to even.
  return static_cast<int64_t>(std::nearbyint(v));
}

int64_t MmToDots(double mm, int dpi) {
  if (dpi <= 0) return 0;
  return RoundToEven(mm / kMmPerInch * dpi);
}

int64_t DotsToMm(double dots, int dpi) {
  if (dpi <= 0) return 0;
  return RoundToEven(dots / dpi * kMmPerInch);
}

namespace {
double Dots(double mm, int dpi) { return dpi <= 0 ? 0.0 : mm / kMmPerInch * dpi; }
}  // namespace

PageRect ComputePageRect(const PrinterMetrics& m, const Margins& mm) {
  PageRect r;
  r.left = RoundToEven(Dots(mm.left, m.dpiX) - m.offsetX);
  if (r.left < 0) r.left = 0;
  r.top = RoundToEven(Dots(mm.top, m.dpiY) - m.offsetY);
  if (r.top < 0) r.top = 0;
  r.right = RoundToEven(m.width - (Dots(mm.right, m.dpiX) - m.RightStrip()));
  if (r.right < 0) r.right = m.width;
  r.bottom = RoundToEven(m.height - (Dots(mm.bottom, m.dpiY) - m.BottomStrip()));
  if (r.bottom < 0) r.bottom = m.height;
  return r;
}

int MarginValue(const std::string& text) {
  size_t b = text.find_first_not_of(' ');
  if (b == std::string::npos) return 0;
  size_t e = text.find_last_not_of(' ');
  int v = 0;
  for (size_t i = b; i <= e; ++i) {
    char c = text[i];
    if (c < '0' || c > '9') return 0;
    if (v > 99999999) return 0;  // far beyond any paper
    v = v * 10 + (c - '0');
  }
  return v;
}

}  // namespace navirt

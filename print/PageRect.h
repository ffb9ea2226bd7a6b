#pragma once
// The page rectangle of a print job, from four paper margins in whole
// millimetres and the printer's metrics. Millimetres and dots convert with
// 25.39999 mm to the inch (not 25.4: old files hold margins chosen against
// this constant) and every conversion ends at the nearest integer, a tie
// going to the even one.
#include <cstdint>
#include <string>

namespace navirt {

constexpr double kMmPerInch = 25.39999;

struct PrinterMetrics {
  int dpiX = 0, dpiY = 0;               // dots per inch
  int offsetX = 0, offsetY = 0;         // unprintable strip at the left and top
  int paperWidth = 0, paperHeight = 0;  // physical paper, dots
  int width = 0, height = 0;            // printable area W and H, dots

  int RightStrip() const { return paperWidth - (width + offsetX); }     // Rx
  int BottomStrip() const { return paperHeight - (height + offsetY); }  // Ry
};

// Nearest integer, ties to even.
int64_t RoundToEven(double v);
// A resolution of 0 or less converts to 0 rather than dividing by it.
int64_t MmToDots(double mm, int dpi);
int64_t DotsToMm(double dots, int dpi);

struct Margins {
  int top = 0, left = 0, bottom = 0, right = 0;  // millimetres
};

// Dots of the printable area, origin at its top-left corner.
struct PageRect {
  int64_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const PageRect&) const = default;
};

PageRect ComputePageRect(const PrinterMetrics& m, const Margins& mm);

// A margin as the settings file or a field holds it: digits only (blanks
// around allowed); anything else counts as 0.
int MarginValue(const std::string& text);

}  // namespace navirt

#pragma once
// Windows metafiles (".WMF"): the common drawing records read into a list of
// shapes with the pen, brush and font in force when each was drawn. The
// picture window draws the list; nothing here needs a graphics library.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

struct WmfPen {
  int style = 0;  // 0 solid, 1 dash, 2 dot, 3 dash-dot, 4 dash-dot-dot, 5 none
  int width = 0;
  uint32_t color = 0;  // 0x00RRGGBB
};

struct WmfBrush {
  int style = 0;  // 0 solid, 1 none (hollow), 2 hatched (drawn solid)
  uint32_t color = 0xFFFFFF;
};

struct WmfFont {
  bool selected = false;  // false: the device's default font
  int height = 12;        // logical units; negative means character height
  int weight = 400;
  bool italic = false, underline = false, strikeOut = false;
  std::string face;  // CP932
};

struct WmfPoint {
  int x = 0, y = 0;
};

struct WmfShape {
  enum Kind { Line, Polyline, Polygon, Rectangle, Ellipse, RoundRect, Text, Pixel, Arc, Pie, Chord, Bitmap };
  Kind kind = Line;
  // Rectangle/Ellipse/RoundRect: two corners; Arc/Pie/Chord: the two
  // corners of the ellipse, then the start and end radial points; Bitmap:
  // the destination's two corners.
  std::vector<WmfPoint> points;
  int cornerW = 0, cornerH = 0;  // RoundRect
  std::string text;              // CP932
  std::string dib;               // Bitmap: a device-independent bitmap (header, colours, pixels)
  WmfPen pen;
  WmfBrush brush;
  WmfFont font;
  uint32_t textColor = 0;
  uint32_t color = 0;  // Pixel
  bool alternateFill = true;
  bool transparentText = false;
};

struct WmfPicture {
  int width = 0, height = 0;  // in pixels at 96 dots per inch
  int orgX = 0, orgY = 0;     // the logical window drawn into that size
  int extX = 0, extY = 0;
  std::vector<WmfShape> shapes;
};

// Reads a metafile with or without the placeable header. Records it does
// not know are skipped; a truncated or malformed file gives false.
bool ParseWmf(std::string_view bytes, WmfPicture& out, std::string* error = nullptr);

}  // namespace navirt

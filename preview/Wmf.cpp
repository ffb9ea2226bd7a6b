#include "preview/Wmf.h"

#include <algorithm>
#include <cstdlib>

namespace navirt {

namespace {

class Reader {
 public:
  Reader(std::string_view b, size_t start, size_t end) : b_(b), pos_(start), end_(end) {}
  bool Has(size_t n) const { return pos_ + n <= end_; }
  uint16_t U16() {
    if (!Has(2)) {
      bad_ = true;
      return 0;
    }
    uint16_t v = static_cast<uint16_t>(uint8_t(b_[pos_]) | (uint8_t(b_[pos_ + 1]) << 8));
    pos_ += 2;
    return v;
  }
  int16_t S16() { return static_cast<int16_t>(U16()); }
  uint32_t U32() {
    uint32_t lo = U16();
    return lo | (uint32_t(U16()) << 16);
  }
  uint32_t ColorRef() {
    uint32_t c = U32();  // 0x00BBGGRR
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
  }
  std::string Bytes(size_t n) {
    if (!Has(n)) {
      bad_ = true;
      return {};
    }
    std::string s(b_.substr(pos_, n));
    pos_ += n;
    return s;
  }
  bool Bad() const { return bad_; }

 private:
  std::string_view b_;
  size_t pos_, end_;
  bool bad_ = false;
};

struct Object {
  enum Kind { None, Pen, Brush, Font, Other } kind = None;
  WmfPen pen;
  WmfBrush brush;
  WmfFont font;
};

struct State {
  WmfPen pen;
  WmfBrush brush;
  WmfFont font;
  uint32_t textColor = 0;
  bool transparent = false;
  bool alternate = true;
  WmfPoint pos;
};

uint16_t Le16(std::string_view b, size_t at) {
  return static_cast<uint16_t>(uint8_t(b[at]) | (uint8_t(b[at + 1]) << 8));
}

constexpr size_t kMaxShapes = 1 << 20;
constexpr size_t kMaxObjects = 1 << 14;

}  // namespace

bool ParseWmf(std::string_view bytes, WmfPicture& out, std::string* error) {
  out = WmfPicture{};
  auto fail = [&](const char* why) {
    if (error) *error = why;
    out = WmfPicture{};
    return false;
  };
  size_t pos = 0;
  bool placeable = false;
  int bboxL = 0, bboxT = 0, bboxR = 0, bboxB = 0, inch = 1440;
  if (bytes.size() >= 22 && Le16(bytes, 0) == 0xCDD7 && Le16(bytes, 2) == 0x9AC6) {
    placeable = true;
    bboxL = static_cast<int16_t>(Le16(bytes, 6));
    bboxT = static_cast<int16_t>(Le16(bytes, 8));
    bboxR = static_cast<int16_t>(Le16(bytes, 10));
    bboxB = static_cast<int16_t>(Le16(bytes, 12));
    inch = Le16(bytes, 14);
    if (inch == 0) inch = 1440;
    pos = 22;
  }
  if (bytes.size() < pos + 18) return fail("not a metafile");
  uint16_t type = Le16(bytes, pos);
  uint16_t headerWords = Le16(bytes, pos + 2);
  if ((type != 1 && type != 2) || headerWords != 9) return fail("not a metafile");
  pos += 18;

  std::vector<Object> objects;
  std::vector<State> saved;
  State st;
  bool haveOrg = false, haveExt = false;
  bool ended = false;
  while (pos + 6 <= bytes.size()) {
    uint32_t words = uint32_t(Le16(bytes, pos)) | (uint32_t(Le16(bytes, pos + 2)) << 16);
    uint16_t fn = Le16(bytes, pos + 4);
    if (words < 3 || words > (bytes.size() - pos) / 2) return fail("broken metafile record");
    size_t recEnd = pos + static_cast<size_t>(words) * 2;
    Reader r(bytes, pos + 6, recEnd);
    pos = recEnd;
    if (fn == 0x0000) {
      ended = true;
      break;
    }
    auto addShape = [&](WmfShape s) {
      if (out.shapes.size() >= kMaxShapes) return;
      s.pen = st.pen;
      s.brush = st.brush;
      s.font = st.font;
      s.textColor = st.textColor;
      s.transparentText = st.transparent;
      s.alternateFill = st.alternate;
      out.shapes.push_back(std::move(s));
    };
    auto addObject = [&](Object o) {
      for (auto& slot : objects) {
        if (slot.kind == Object::None) {
          slot = std::move(o);
          return;
        }
      }
      if (objects.size() < kMaxObjects) objects.push_back(std::move(o));
    };
    switch (fn) {
      case 0x020B: {  // SETWINDOWORG
        out.orgY = r.S16();
        out.orgX = r.S16();
        haveOrg = true;
        break;
      }
      case 0x020C: {  // SETWINDOWEXT
        out.extY = r.S16();
        out.extX = r.S16();
        haveExt = true;
        break;
      }
      case 0x02FA: {  // CREATEPENINDIRECT
        Object o;
        o.kind = Object::Pen;
        o.pen.style = r.U16() & 0x0F;
        o.pen.width = r.S16();
        r.S16();
        o.pen.color = r.ColorRef();
        addObject(o);
        break;
      }
      case 0x02FC: {  // CREATEBRUSHINDIRECT
        Object o;
        o.kind = Object::Brush;
        int style = r.U16();
        o.brush.style = style == 0 ? 0 : style == 1 ? 1 : 2;
        o.brush.color = r.ColorRef();
        addObject(o);
        break;
      }
      case 0x02FB: {  // CREATEFONTINDIRECT
        Object o;
        o.kind = Object::Font;
        o.font.selected = true;
        o.font.height = r.S16();
        r.S16();  // width
        r.S16();  // escapement
        r.S16();  // orientation
        o.font.weight = r.S16();
        uint16_t a = r.U16();
        uint16_t b = r.U16();
        o.font.italic = (a & 0xFF) != 0;
        o.font.underline = (a >> 8) != 0;
        o.font.strikeOut = (b & 0xFF) != 0;
        r.U16();
        r.U16();
        std::string face;
        while (r.Has(1) && face.size() < 32) {
          std::string c = r.Bytes(1);
          if (c[0] == 0) break;
          face += c;
        }
        o.font.face = face;
        addObject(o);
        break;
      }
      case 0x00F7:  // CREATEPALETTE
      case 0x01F9:  // CREATEPATTERNBRUSH
      case 0x0142:  // DIBCREATEPATTERNBRUSH
      case 0x06FF: {  // CREATEREGION
        Object o;
        o.kind = Object::Other;
        addObject(o);
        break;
      }
      case 0x012D: {  // SELECTOBJECT
        uint16_t i = r.U16();
        if (i < objects.size()) {
          const Object& o = objects[i];
          if (o.kind == Object::Pen) st.pen = o.pen;
          else if (o.kind == Object::Brush) st.brush = o.brush;
          else if (o.kind == Object::Font) st.font = o.font;
        }
        break;
      }
      case 0x01F0: {  // DELETEOBJECT
        uint16_t i = r.U16();
        if (i < objects.size()) objects[i] = Object{};
        break;
      }
      case 0x001E:  // SAVEDC
        if (saved.size() < 256) saved.push_back(st);
        break;
      case 0x0127: {  // RESTOREDC
        int n = r.S16();
        int count = n < 0 ? -n : 1;
        while (count-- > 0 && !saved.empty()) {
          st = saved.back();
          saved.pop_back();
        }
        break;
      }
      case 0x0209: st.textColor = r.ColorRef(); break;                // SETTEXTCOLOR
      case 0x0102: st.transparent = r.U16() == 1; break;             // SETBKMODE
      case 0x0106: st.alternate = r.U16() != 2; break;               // SETPOLYFILLMODE
      case 0x0214: st.pos.y = r.S16(); st.pos.x = r.S16(); break;    // MOVETO
      case 0x0213: {                                                 // LINETO
        WmfPoint to;
        to.y = r.S16();
        to.x = r.S16();
        WmfShape s;
        s.kind = WmfShape::Line;
        s.points = {st.pos, to};
        addShape(s);
        st.pos = to;
        break;
      }
      case 0x041B:    // RECTANGLE
      case 0x0418: {  // ELLIPSE
        int bottom = r.S16(), right = r.S16(), top = r.S16(), left = r.S16();
        WmfShape s;
        s.kind = fn == 0x041B ? WmfShape::Rectangle : WmfShape::Ellipse;
        s.points = {{left, top}, {right, bottom}};
        addShape(s);
        break;
      }
      case 0x0817:    // ARC
      case 0x081A:    // PIE
      case 0x0830: {  // CHORD
        int yEnd = r.S16(), xEnd = r.S16(), yStart = r.S16(), xStart = r.S16();
        int bottom = r.S16(), right = r.S16(), top = r.S16(), left = r.S16();
        if (r.Bad()) return fail("broken metafile record");
        WmfShape s;
        s.kind = fn == 0x0817 ? WmfShape::Arc : fn == 0x081A ? WmfShape::Pie : WmfShape::Chord;
        s.points = {{left, top}, {right, bottom}, {xStart, yStart}, {xEnd, yEnd}};
        addShape(s);
        break;
      }
      case 0x0F43:    // STRETCHDIB
      case 0x0B41:    // DIBSTRETCHBLT
      case 0x0940: {  // DIBBITBLT
        // Records without a bitmap (a pattern operation only) are skipped.
        size_t fixedWords = fn == 0x0F43 ? 11 : fn == 0x0B41 ? 10 : 8;
        if (static_cast<size_t>(words) <= 3 + fixedWords) break;
        r.U32();  // raster operation
        if (fn == 0x0F43) r.U16();  // colour usage
        int destH = 0, destW = 0;
        if (fn == 0x0940) {
          r.S16();
          r.S16();
          destH = r.S16();
          destW = r.S16();
        } else {
          for (int i = 0; i < 4; ++i) r.S16();  // source rectangle
          destH = r.S16();
          destW = r.S16();
        }
        int yDst = r.S16(), xDst = r.S16();
        size_t dibSize = static_cast<size_t>(words) * 2 - 6 - fixedWords * 2;
        std::string dib = r.Bytes(dibSize);
        if (r.Bad()) return fail("broken metafile record");
        WmfShape s;
        s.kind = WmfShape::Bitmap;
        s.points = {{xDst, yDst}, {xDst + destW, yDst + destH}};
        s.dib = std::move(dib);
        addShape(s);
        break;
      }
      case 0x061C: {  // ROUNDRECT
        int h = r.S16(), w = r.S16();
        int bottom = r.S16(), right = r.S16(), top = r.S16(), left = r.S16();
        WmfShape s;
        s.kind = WmfShape::RoundRect;
        s.points = {{left, top}, {right, bottom}};
        s.cornerW = w;
        s.cornerH = h;
        addShape(s);
        break;
      }
      case 0x0324:    // POLYGON
      case 0x0325: {  // POLYLINE
        int n = r.S16();
        if (n < 0) return fail("broken metafile record");
        WmfShape s;
        s.kind = fn == 0x0324 ? WmfShape::Polygon : WmfShape::Polyline;
        for (int i = 0; i < n && !r.Bad(); ++i) {
          WmfPoint p;
          p.x = r.S16();
          p.y = r.S16();
          s.points.push_back(p);
        }
        if (r.Bad()) return fail("broken metafile record");
        addShape(s);
        break;
      }
      case 0x0538: {  // POLYPOLYGON
        int polys = r.S16();
        if (polys < 0) return fail("broken metafile record");
        std::vector<int> counts;
        for (int i = 0; i < polys && !r.Bad(); ++i) counts.push_back(r.S16());
        for (int c : counts) {
          WmfShape s;
          s.kind = WmfShape::Polygon;
          for (int i = 0; i < c && !r.Bad(); ++i) {
            WmfPoint p;
            p.x = r.S16();
            p.y = r.S16();
            s.points.push_back(p);
          }
          if (r.Bad()) return fail("broken metafile record");
          addShape(s);
        }
        break;
      }
      case 0x041F: {  // SETPIXEL
        WmfShape s;
        s.kind = WmfShape::Pixel;
        s.color = r.ColorRef();
        WmfPoint p;
        p.y = r.S16();
        p.x = r.S16();
        s.points = {p};
        addShape(s);
        break;
      }
      case 0x0521: {  // TEXTOUT
        int n = r.S16();
        if (n < 0) return fail("broken metafile record");
        std::string text = r.Bytes(static_cast<size_t>(n));
        if (n % 2) r.Bytes(1);
        WmfShape s;
        s.kind = WmfShape::Text;
        s.text = text;
        WmfPoint p;
        p.y = r.S16();
        p.x = r.S16();
        s.points = {p};
        if (r.Bad()) return fail("broken metafile record");
        addShape(s);
        break;
      }
      case 0x0A32: {  // EXTTEXTOUT
        WmfPoint p;
        p.y = r.S16();
        p.x = r.S16();
        int n = r.S16();
        uint16_t options = r.U16();
        if (options & 0x0006) {
          for (int i = 0; i < 4; ++i) r.S16();
        }
        if (n < 0) return fail("broken metafile record");
        std::string text = r.Bytes(static_cast<size_t>(n));
        if (r.Bad()) return fail("broken metafile record");
        WmfShape s;
        s.kind = WmfShape::Text;
        s.text = text;
        s.points = {p};
        addShape(s);
        break;
      }
      default: break;
    }
  }
  if (!ended && out.shapes.empty()) return fail("truncated metafile");
  // The picture's size: the placeable header's box at its resolution, else
  // the logical window taken as pixels.
  if (placeable) {
    out.width = static_cast<int>(std::llabs(static_cast<long long>(bboxR) - bboxL) * 96 / inch);
    out.height = static_cast<int>(std::llabs(static_cast<long long>(bboxB) - bboxT) * 96 / inch);
    if (!haveOrg) {
      out.orgX = std::min(bboxL, bboxR);
      out.orgY = std::min(bboxT, bboxB);
    }
    if (!haveExt) {
      out.extX = bboxR - bboxL;
      out.extY = bboxB - bboxT;
    }
  } else {
    out.width = std::abs(out.extX);
    out.height = std::abs(out.extY);
  }
  if (out.width <= 0 || out.height <= 0 || out.extX == 0 || out.extY == 0) return fail("metafile without a size");
  if (out.width > 20000 || out.height > 20000) return fail("picture too large");
  return true;
}

}  // namespace navirt

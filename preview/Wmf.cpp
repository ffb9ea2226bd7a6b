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
  // Points are stored y first in most records, x first in the poly records.
  WmfPoint PointYX() {
    WmfPoint p;
    p.y = S16();
    p.x = S16();
    return p;
  }
  WmfPoint PointXY() {
    WmfPoint p;
    p.x = S16();
    p.y = S16();
    return p;
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

// The record functions read.
enum Record : uint16_t {
  kEof = 0x0000,
  kSaveDc = 0x001E,
  kCreatePalette = 0x00F7,
  kSetBkMode = 0x0102,
  kSetPolyFillMode = 0x0106,
  kRestoreDc = 0x0127,
  kSelectObject = 0x012D,
  kDibCreatePatternBrush = 0x0142,
  kDeleteObject = 0x01F0,
  kCreatePatternBrush = 0x01F9,
  kSetTextColor = 0x0209,
  kSetWindowOrg = 0x020B,
  kSetWindowExt = 0x020C,
  kLineTo = 0x0213,
  kMoveTo = 0x0214,
  kCreatePenIndirect = 0x02FA,
  kCreateFontIndirect = 0x02FB,
  kCreateBrushIndirect = 0x02FC,
  kPolygon = 0x0324,
  kPolyline = 0x0325,
  kEllipse = 0x0418,
  kRectangle = 0x041B,
  kSetPixel = 0x041F,
  kTextOut = 0x0521,
  kPolyPolygon = 0x0538,
  kRoundRect = 0x061C,
  kCreateRegion = 0x06FF,
  kArc = 0x0817,
  kPie = 0x081A,
  kChord = 0x0830,
  kDibBitBlt = 0x0940,
  kExtTextOut = 0x0A32,
  kDibStretchBlt = 0x0B41,
  kStretchDib = 0x0F43,
};

struct Object {
  enum Kind { None, Pen, Brush, Font, Other } kind = None;
  WmfPen pen;
  WmfBrush brush;
  WmfFont font;
};

// What the device holds between records: the drawing tools in force and
// the current position.
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
constexpr size_t kMaxSavedStates = 256;

// The placeable header's bounding box and its units per inch.
struct Placement {
  bool present = false;
  int left = 0, top = 0, right = 0, bottom = 0, inch = 1440;
};

// Reads the optional placeable header and the metafile header. Gives the
// offset of the first record, or 0 when the bytes are no metafile.
size_t ReadHeaders(std::string_view bytes, Placement& place) {
  size_t pos = 0;
  if (bytes.size() >= 22 && Le16(bytes, 0) == 0xCDD7 && Le16(bytes, 2) == 0x9AC6) {
    place.present = true;
    place.left = static_cast<int16_t>(Le16(bytes, 6));
    place.top = static_cast<int16_t>(Le16(bytes, 8));
    place.right = static_cast<int16_t>(Le16(bytes, 10));
    place.bottom = static_cast<int16_t>(Le16(bytes, 12));
    place.inch = Le16(bytes, 14);
    if (place.inch == 0) place.inch = 1440;
    pos = 22;
  }
  if (bytes.size() < pos + 18) return 0;
  uint16_t type = Le16(bytes, pos);
  uint16_t headerWords = Le16(bytes, pos + 2);
  if ((type != 1 && type != 2) || headerWords != 9) return 0;
  return pos + 18;
}

Object ReadPen(Reader& r) {
  Object o;
  o.kind = Object::Pen;
  o.pen.style = r.U16() & 0x0F;
  o.pen.width = r.S16();
  r.S16();  // the width's unused y
  o.pen.color = r.ColorRef();
  return o;
}

Object ReadBrush(Reader& r) {
  Object o;
  o.kind = Object::Brush;
  int style = r.U16();
  o.brush.style = style == 0 ? 0 : style == 1 ? 1 : 2;
  o.brush.color = r.ColorRef();
  return o;
}

Object ReadFont(Reader& r) {
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
  r.U16();  // output and clip precision
  r.U16();  // quality and pitch
  std::string face;
  while (r.Has(1) && face.size() < 32) {
    std::string c = r.Bytes(1);
    if (c[0] == 0) break;
    face += c;
  }
  o.font.face = face;
  return o;
}

// Plays the records one by one into the picture, keeping the object table
// and the device state the shapes take their pen, brush and font from.
class Player {
 public:
  explicit Player(WmfPicture& out) : out_(out) {}

  // False when the record is malformed.
  bool Play(uint16_t fn, uint32_t words, Reader& r) {
    switch (fn) {
      case kSetWindowOrg:
        out_.orgY = r.S16();
        out_.orgX = r.S16();
        haveOrg_ = true;
        return true;
      case kSetWindowExt:
        out_.extY = r.S16();
        out_.extX = r.S16();
        haveExt_ = true;
        return true;
      case kCreatePenIndirect:
        AddObject(ReadPen(r));
        return true;
      case kCreateBrushIndirect:
        AddObject(ReadBrush(r));
        return true;
      case kCreateFontIndirect:
        AddObject(ReadFont(r));
        return true;
      case kCreatePalette:
      case kCreatePatternBrush:
      case kDibCreatePatternBrush:
      case kCreateRegion: {
        // Not drawn with, but they take a slot the later indexes count.
        Object o;
        o.kind = Object::Other;
        AddObject(o);
        return true;
      }
      case kSelectObject:
        Select(r.U16());
        return true;
      case kDeleteObject: {
        uint16_t i = r.U16();
        if (i < objects_.size()) objects_[i] = Object{};
        return true;
      }
      case kSaveDc:
        if (saved_.size() < kMaxSavedStates) saved_.push_back(st_);
        return true;
      case kRestoreDc:
        Restore(r.S16());
        return true;
      case kSetTextColor:
        st_.textColor = r.ColorRef();
        return true;
      case kSetBkMode:
        st_.transparent = r.U16() == 1;
        return true;
      case kSetPolyFillMode:
        st_.alternate = r.U16() != 2;
        return true;
      case kMoveTo:
        st_.pos = r.PointYX();
        return true;
      case kLineTo:
        LineTo(r.PointYX());
        return true;
      case kRectangle:
      case kEllipse:
        Box(fn == kRectangle ? WmfShape::Rectangle : WmfShape::Ellipse, r);
        return true;
      case kRoundRect:
        RoundRect(r);
        return true;
      case kArc:
        return Curve(WmfShape::Arc, r);
      case kPie:
        return Curve(WmfShape::Pie, r);
      case kChord:
        return Curve(WmfShape::Chord, r);
      case kPolygon:
        return Poly(WmfShape::Polygon, r);
      case kPolyline:
        return Poly(WmfShape::Polyline, r);
      case kPolyPolygon:
        return PolyPolygon(r);
      case kSetPixel:
        Pixel(r);
        return true;
      case kTextOut:
        return TextOut(r);
      case kExtTextOut:
        return ExtTextOut(r);
      case kStretchDib:
      case kDibStretchBlt:
      case kDibBitBlt:
        return Bitmap(fn, words, r);
      default:
        return true;  // records that draw nothing we show
    }
  }

  bool HaveOrg() const { return haveOrg_; }
  bool HaveExt() const { return haveExt_; }

 private:
  // Deleted objects leave holes the next created object fills.
  void AddObject(Object o) {
    for (auto& slot : objects_) {
      if (slot.kind == Object::None) {
        slot = std::move(o);
        return;
      }
    }
    if (objects_.size() < kMaxObjects) objects_.push_back(std::move(o));
  }

  void Select(uint16_t i) {
    if (i >= objects_.size()) return;
    const Object& o = objects_[i];
    if (o.kind == Object::Pen)
      st_.pen = o.pen;
    else if (o.kind == Object::Brush)
      st_.brush = o.brush;
    else if (o.kind == Object::Font)
      st_.font = o.font;
  }

  // A negative count goes back that many saved states; anything else one.
  void Restore(int n) {
    int count = n < 0 ? -n : 1;
    while (count-- > 0 && !saved_.empty()) {
      st_ = saved_.back();
      saved_.pop_back();
    }
  }

  void AddShape(WmfShape s) {
    if (out_.shapes.size() >= kMaxShapes) return;
    s.pen = st_.pen;
    s.brush = st_.brush;
    s.font = st_.font;
    s.textColor = st_.textColor;
    s.transparentText = st_.transparent;
    s.alternateFill = st_.alternate;
    out_.shapes.push_back(std::move(s));
  }

  void LineTo(WmfPoint to) {
    WmfShape s;
    s.kind = WmfShape::Line;
    s.points = {st_.pos, to};
    AddShape(s);
    st_.pos = to;
  }

  void Box(WmfShape::Kind kind, Reader& r) {
    int bottom = r.S16(), right = r.S16(), top = r.S16(), left = r.S16();
    WmfShape s;
    s.kind = kind;
    s.points = {{left, top}, {right, bottom}};
    AddShape(s);
  }

  void RoundRect(Reader& r) {
    int h = r.S16(), w = r.S16();
    int bottom = r.S16(), right = r.S16(), top = r.S16(), left = r.S16();
    WmfShape s;
    s.kind = WmfShape::RoundRect;
    s.points = {{left, top}, {right, bottom}};
    s.cornerW = w;
    s.cornerH = h;
    AddShape(s);
  }

  // Arc, pie and chord: the radial end and start points, then the box.
  bool Curve(WmfShape::Kind kind, Reader& r) {
    int yEnd = r.S16(), xEnd = r.S16(), yStart = r.S16(), xStart = r.S16();
    int bottom = r.S16(), right = r.S16(), top = r.S16(), left = r.S16();
    if (r.Bad()) return false;
    WmfShape s;
    s.kind = kind;
    s.points = {{left, top}, {right, bottom}, {xStart, yStart}, {xEnd, yEnd}};
    AddShape(s);
    return true;
  }

  // n points into one shape; false when the record ends before them.
  static bool ReadPoints(Reader& r, int n, WmfShape& s) {
    for (int i = 0; i < n && !r.Bad(); ++i) s.points.push_back(r.PointXY());
    return !r.Bad();
  }

  bool Poly(WmfShape::Kind kind, Reader& r) {
    int n = r.S16();
    if (n < 0) return false;
    WmfShape s;
    s.kind = kind;
    if (!ReadPoints(r, n, s)) return false;
    AddShape(s);
    return true;
  }

  // The counts of every polygon come first, then all their points.
  bool PolyPolygon(Reader& r) {
    int polys = r.S16();
    if (polys < 0) return false;
    std::vector<int> counts;
    for (int i = 0; i < polys && !r.Bad(); ++i) counts.push_back(r.S16());
    for (int c : counts) {
      WmfShape s;
      s.kind = WmfShape::Polygon;
      if (!ReadPoints(r, c, s)) return false;
      AddShape(s);
    }
    return true;
  }

  void Pixel(Reader& r) {
    WmfShape s;
    s.kind = WmfShape::Pixel;
    s.color = r.ColorRef();
    s.points = {r.PointYX()};
    AddShape(s);
  }

  // The text, padded to whole words, comes before its position.
  bool TextOut(Reader& r) {
    int n = r.S16();
    if (n < 0) return false;
    std::string text = r.Bytes(static_cast<size_t>(n));
    if (n % 2) r.Bytes(1);
    WmfShape s;
    s.kind = WmfShape::Text;
    s.text = text;
    s.points = {r.PointYX()};
    if (r.Bad()) return false;
    AddShape(s);
    return true;
  }

  // The position first; a clipping or opaque rectangle may sit before the text.
  bool ExtTextOut(Reader& r) {
    WmfPoint p = r.PointYX();
    int n = r.S16();
    uint16_t options = r.U16();
    if (options & 0x0006) {
      for (int i = 0; i < 4; ++i) r.S16();
    }
    if (n < 0) return false;
    std::string text = r.Bytes(static_cast<size_t>(n));
    if (r.Bad()) return false;
    WmfShape s;
    s.kind = WmfShape::Text;
    s.text = text;
    s.points = {p};
    AddShape(s);
    return true;
  }

  // The three bitmap records differ in their fixed part; the bitmap itself
  // fills the rest of the record. Records without a bitmap (a pattern
  // operation only) are skipped.
  bool Bitmap(uint16_t fn, uint32_t words, Reader& r) {
    size_t fixedWords = fn == kStretchDib ? 11 : fn == kDibStretchBlt ? 10 : 8;
    if (static_cast<size_t>(words) <= 3 + fixedWords) return true;
    r.U32();                         // raster operation
    if (fn == kStretchDib) r.U16();  // colour usage
    int destH = 0, destW = 0;
    if (fn == kDibBitBlt) {
      r.S16();  // source y
      r.S16();  // source x
    } else {
      for (int i = 0; i < 4; ++i) r.S16();  // source rectangle
    }
    destH = r.S16();
    destW = r.S16();
    int yDst = r.S16(), xDst = r.S16();
    size_t dibSize = static_cast<size_t>(words) * 2 - 6 - fixedWords * 2;
    std::string dib = r.Bytes(dibSize);
    if (r.Bad()) return false;
    WmfShape s;
    s.kind = WmfShape::Bitmap;
    s.points = {{xDst, yDst}, {xDst + destW, yDst + destH}};
    s.dib = std::move(dib);
    AddShape(s);
    return true;
  }

  WmfPicture& out_;
  std::vector<Object> objects_;
  std::vector<State> saved_;
  State st_;
  bool haveOrg_ = false, haveExt_ = false;
};

// The picture's size: the placeable header's box at its resolution, else
// the logical window taken as pixels. False with the reason when it has none
// or one too large to show.
bool FitSize(const Placement& place, bool haveOrg, bool haveExt, WmfPicture& out, const char** why) {
  if (place.present) {
    out.width = static_cast<int>(std::llabs(static_cast<long long>(place.right) - place.left) * 96 / place.inch);
    out.height = static_cast<int>(std::llabs(static_cast<long long>(place.bottom) - place.top) * 96 / place.inch);
    if (!haveOrg) {
      out.orgX = std::min(place.left, place.right);
      out.orgY = std::min(place.top, place.bottom);
    }
    if (!haveExt) {
      out.extX = place.right - place.left;
      out.extY = place.bottom - place.top;
    }
  } else {
    out.width = std::abs(out.extX);
    out.height = std::abs(out.extY);
  }
  if (out.width <= 0 || out.height <= 0 || out.extX == 0 || out.extY == 0) {
    *why = "metafile without a size";
    return false;
  }
  if (out.width > 20000 || out.height > 20000) {
    *why = "picture too large";
    return false;
  }
  return true;
}

}  // namespace

bool ParseWmf(std::string_view bytes, WmfPicture& out, std::string* error) {
  out = WmfPicture{};
  auto fail = [&](const char* why) {
    if (error) *error = why;
    out = WmfPicture{};
    return false;
  };
  Placement place;
  size_t pos = ReadHeaders(bytes, place);
  if (pos == 0) return fail("not a metafile");

  // Each record: its length in words (the six header bytes included), its
  // function, then its parameters.
  Player player(out);
  bool ended = false;
  while (pos + 6 <= bytes.size()) {
    uint32_t words = uint32_t(Le16(bytes, pos)) | (uint32_t(Le16(bytes, pos + 2)) << 16);
    uint16_t fn = Le16(bytes, pos + 4);
    if (words < 3 || words > (bytes.size() - pos) / 2) return fail("broken metafile record");
    size_t recEnd = pos + static_cast<size_t>(words) * 2;
    Reader r(bytes, pos + 6, recEnd);
    pos = recEnd;
    if (fn == kEof) {
      ended = true;
      break;
    }
    if (!player.Play(fn, words, r)) return fail("broken metafile record");
  }
  if (!ended && out.shapes.empty()) return fail("truncated metafile");
  const char* why = nullptr;
  if (!FitSize(place, player.HaveOrg(), player.HaveExt(), out, &why)) return fail(why);
  return true;
}

}  // namespace navirt

#include "print/ui/LineSetter.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>

namespace {

// A few thousand characters per full layout: one layout for a whole pane
// holds every line's glyphs at once.
constexpr qsizetype kPiece = 16384;

// Characters that need neither shaping nor a direction of their own, nor
// a tab stop: ASCII, Japanese punctuation, kana and kanji, full- and
// half-width forms, and the symbols Japanese texts use most. Combining
// marks and format characters are left to the full layout.
bool QuickChar(char16_t c) {
  if (c >= 0x20 && c < 0x7F) return true;
  if (c >= 0x3000 && c <= 0x30FF) return !(c >= 0x302A && c <= 0x302F) && c != 0x3099 && c != 0x309A;
  if (c >= 0x4E00 && c <= 0x9FFF) return true;
  if (c >= 0x3400 && c <= 0x4DBF) return true;
  if (c >= 0xFF01 && c <= 0xFF9F) return true;
  if (c >= 0xFFE0 && c <= 0xFFE6) return true;
  if (c >= 0x2010 && c <= 0x2027) return true;
  if (c >= 0x2030 && c <= 0x205E) return true;
  if (c >= 0x2190 && c <= 0x22FF) return true;
  if (c >= 0x2460 && c <= 0x25FF) return true;
  return false;
}

// One of each kind of character above, mixed as Japanese texts mix them.
const char16_t kSample[] = u"Aa0.,(あア日。ｱＡ「─→①‥※";

QTextLayout* NewLayout(const QString& text, const QFont& font, QPaintDevice* device, const QTextOption& option,
                       double width, const QList<QTextLayout::FormatRange>& formats = {}) {
  auto* layout = new QTextLayout(text, font, device);
  layout->setTextOption(option);
  if (!formats.isEmpty()) layout->setFormats(formats);
  layout->beginLayout();
  double y = 0;
  for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
    line.setLineWidth(width);
    line.setPosition(QPointF(0, y));
    y += line.height();
  }
  layout->endLayout();
  return layout;
}

}  // namespace

QList<QTextLayout::FormatRange> DocumentFormats(const QTextDocument& document) {
  static const int kOwn[] = {QTextFormat::FontFamilies,  QTextFormat::FontFamily,         QTextFormat::FontPointSize,
                             QTextFormat::FontPixelSize, QTextFormat::FontWeight,         QTextFormat::FontItalic,
                             QTextFormat::FontUnderline, QTextFormat::TextUnderlineStyle, QTextFormat::ForegroundBrush};
  QList<QTextLayout::FormatRange> ranges;
  for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it) {
      QTextFragment frag = it.fragment();
      if (!frag.isValid()) continue;
      QTextCharFormat f = frag.charFormat();
      bool own = false;
      for (int p : kOwn) own = own || f.hasProperty(p);
      if (own) ranges.append({frag.position(), frag.length(), f});
    }
  return ranges;
}

// ---------------------------------------------------------------- page

void TPageGlyphs::Add(const QRawFont& font, const quint32* glyphs, const QPointF* positions, qsizetype count,
                      QPointF offset) {
  if (count <= 0) return;
  // Runs stay in the text's order, so a reader of the page finds the text
  // as it was written.
  if (runs_.empty() || !(runs_.back().font == font)) runs_.push_back(Run{font, {}, {}});
  Run& run = runs_.back();
  run.glyphs.append(QList<quint32>(glyphs, glyphs + count));
  run.positions.reserve(run.positions.size() + count);
  for (qsizetype i = 0; i < count; ++i) run.positions.append(positions[i] + offset);
}

void TPageGlyphs::Draw(QPainter& painter) {
  for (Run& run : runs_) {
    QGlyphRun glyphs;
    glyphs.setRawFont(run.font);
    glyphs.setGlyphIndexes(run.glyphs);
    glyphs.setPositions(run.positions);
    painter.drawGlyphRun(QPointF(0, 0), glyphs);
  }
  runs_.clear();
}

qsizetype TPageGlyphs::Glyphs() const {
  qsizetype n = 0;
  for (const Run& run : runs_) n += run.glyphs.size();
  return n;
}

// ---------------------------------------------------------------- line

void TSetLine::AddTo(TPageGlyphs& page, QPointF topLeft) const {
  if (line_.isValid()) {
    // The full layout's positions count from the top of its piece.
    QPointF offset = topLeft - QPointF(0, line_.y());
    for (const QGlyphRun& run : line_.glyphRuns()) {
      const QList<quint32> glyphs = run.glyphIndexes();
      const QList<QPointF> positions = run.positions();
      page.Add(run.rawFont(), glyphs.constData(), positions.constData(), glyphs.size(), offset);
    }
    return;
  }
  if (count_ == 0) return;
  QPointF positions[64];
  for (qsizetype from = 0; from < count_; from += 64) {
    qsizetype n = std::min<qsizetype>(64, count_ - from);
    for (qsizetype i = 0; i < n; ++i) positions[i] = QPointF(xs_[from + i], ascent_);
    page.Add(*font_, glyphs_ + from, positions, n, topLeft);
  }
}

void TSetLine::Draw(QPainter& painter, QPointF topLeft) const {
  if (line_.isValid()) line_.draw(&painter, topLeft - QPointF(0, line_.y()));
}

void TSetLine::Glyphs(QList<quint32>& glyphs, QList<double>& xs) const {
  glyphs.clear();
  xs.clear();
  if (line_.isValid()) {
    for (const QGlyphRun& run : line_.glyphRuns()) {
      glyphs += run.glyphIndexes();
      for (QPointF p : run.positions()) xs.append(p.x());
    }
    return;
  }
  glyphs = QList<quint32>(glyphs_, glyphs_ + count_);
  xs = QList<double>(xs_, xs_ + count_);
}

// ---------------------------------------------------------------- setter

TLineSetter::TLineSetter(const QFont& paneFont, QPaintDevice* device, double width, bool quick)
    : font_(paneFont), device_(device), width_(width) {
  // Plain text needs no ligatures or kerning; glyphs straight from the
  // character map save most of the shaping.
  font_.setStyleStrategy(QFont::StyleStrategy(font_.styleStrategy() | QFont::PreferNoShaping));
  font_.setKerning(false);
  option_.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  // Tabs every eight blanks at the printer's resolution, not at 80 dots.
  option_.setTabStopDistance(QFontMetricsF(font_, device).horizontalAdvance(QLatin1Char(' ')) * 8);
  if (!quick) return;

  // The quick way holds only when one font sets every kind of character
  // and an empty line is as high as a full one; a font that borrows
  // glyphs from others for some scripts goes the full way.
  const QString sample = QString::fromUtf16(kSample);
  std::unique_ptr<QTextLayout> full(NewLayout(sample, font_, device, option_, 1e9));
  std::unique_ptr<QTextLayout> empty(NewLayout(QString(), font_, device, option_, 1e9));
  if (full->lineCount() != 1 || empty->lineCount() != 1) return;
  const QTextLine line = full->lineAt(0), blank = empty->lineAt(0);
  const QList<QGlyphRun> runs = line.glyphRuns();
  if (runs.isEmpty()) return;
  raw_ = runs.front().rawFont();
  qsizetype glyphs = 0;
  for (const QGlyphRun& run : runs) {
    if (!(run.rawFont() == raw_)) return;
    glyphs += run.glyphIndexes().size();
  }
  if (!raw_.isValid() || glyphs != sample.size()) return;
  if (line.height() != blank.height() || line.ascent() != blank.ascent()) return;
  lineHeight_ = line.height();
  ascent_ = line.ascent();
  quick_ = true;
}

bool TLineSetter::SetQuickly(QStringView paragraph) {
  const qsizetype n = paragraph.size();
  for (QChar c : paragraph)
    if (!QuickChar(c.unicode())) return false;
  glyphs_.resize(size_t(n));
  advances_.resize(size_t(n));
  xs_.resize(size_t(n));
  if (n == 0) return true;
  int count = int(n);
  if (!raw_.glyphIndexesForChars(paragraph.data(), int(n), glyphs_.data(), &count) || count != n) return false;
  for (quint32 g : glyphs_)
    if (g == 0) return false;  // the font lacks it: another font would set it
  if (!raw_.advancesForGlyphIndexes(glyphs_.data(), advances_.data(), int(n), QRawFont::LayoutFlags())) return false;
  double x = 0;
  for (qsizetype i = 0; i < n; ++i) {
    xs_[size_t(i)] = x;
    x += advances_[size_t(i)].x();
  }
  // A line near the edge may wrap: the full layout decides.
  return x <= width_ - 1;
}

bool TLineSetter::RunFull(const QString& text, qsizetype from, qsizetype to, double& top,
                          const std::function<bool(const TSetLine&, double)>& visit,
                          const QList<QTextLayout::FormatRange>& formats) {
  // The paragraphs of a piece share one layout, joined by line
  // separators: a layout of its own for each short line costs more than
  // the line.
  QString piece = text.mid(from, to - from);
  piece.replace(QLatin1Char('\n'), QChar::LineSeparator);
  // The formats that reach into the piece, counted from its start.
  QList<QTextLayout::FormatRange> own;
  for (const QTextLayout::FormatRange& r : formats) {
    qsizetype start = std::max<qsizetype>(r.start, from), end = std::min<qsizetype>(r.start + r.length, to);
    if (start < end) own.append({int(start - from), int(end - start), r.format});
  }
  std::unique_ptr<QTextLayout> layout(NewLayout(piece, font_, device_, option_, width_, own));
  double y = 0;
  TSetLine set;
  set.formatted_ = !own.isEmpty();
  for (int i = 0; i < layout->lineCount(); ++i) {
    set.line_ = layout->lineAt(i);
    set.height_ = set.line_.height();
    set.end_ = from + set.line_.textStart() + set.line_.textLength();
    if (i + 1 == layout->lineCount() && to < text.size()) set.end_ = to + 1;  // and its newline
    if (!visit(set, top + set.line_.y())) return false;
    y = set.line_.y() + set.line_.height();
  }
  top += y;
  return true;
}

bool TLineSetter::Run(const QString& text, const std::function<bool(const TSetLine&, double)>& visit,
                      const QList<QTextLayout::FormatRange>& formats) {
  double top = 0;
  qsizetype nextFormat = 0;  // the first range that does not end before the paragraph
  qsizetype waiting = -1;    // first paragraph waiting for the full layout
  qsizetype pos = 0;
  const qsizetype n = text.size();
  for (;;) {
    qsizetype newline = text.indexOf(QLatin1Char('\n'), pos);
    qsizetype end = newline < 0 ? n : newline;
    while (nextFormat < formats.size() && formats[nextFormat].start + formats[nextFormat].length <= pos) ++nextFormat;
    bool plain = nextFormat >= formats.size() || formats[nextFormat].start > end;
    if (quick_ && plain && SetQuickly(QStringView(text).mid(pos, end - pos))) {
      if (waiting >= 0 && !RunFull(text, waiting, pos - 1, top, visit, formats)) return false;
      waiting = -1;
      TSetLine set;
      set.height_ = lineHeight_;
      set.end_ = newline < 0 ? n : newline + 1;
      set.font_ = &raw_;
      set.glyphs_ = glyphs_.data();
      set.xs_ = xs_.data();
      set.count_ = end - pos;
      set.ascent_ = ascent_;
      if (!visit(set, top)) return false;
      top += lineHeight_;
    } else {
      if (waiting < 0) waiting = pos;
      if (end - waiting >= kPiece && newline >= 0) {
        if (!RunFull(text, waiting, end, top, visit, formats)) return false;
        waiting = -1;
      }
    }
    if (newline < 0) break;
    pos = newline + 1;
  }
  if (waiting >= 0) return RunFull(text, waiting, n, top, visit, formats);
  return true;
}

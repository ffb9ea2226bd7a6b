#pragma once
// The pane's text set into visual lines at the printer's resolution, a
// piece at a time, and the glyphs of a page gathered for drawing.
//
// Most lines of a Japanese text are short lines in one font that need no
// wrapping, no shaping and no tab stops; those are set straight from the
// font's character map and advances. Every other line (wrapping, tabs,
// other scripts, characters the font lacks, a font that borrows glyphs
// from others) goes through the full text layout, a few thousand
// characters at a time. Both give the same lines, glyphs and heights.
#include <QFont>
#include <QList>
#include <QPointF>
#include <QRawFont>
#include <QString>
#include <QTextLayout>

#include <algorithm>
#include <functional>
#include <memory>

#include <functional>
#include <vector>

class QPaintDevice;
class QPainter;
class QTextDocument;

// The parts of a pane's document with a font, size, style or colour of
// their own, as ranges of its plain text.
QList<QTextLayout::FormatRange> DocumentFormats(const QTextDocument& document);

// The glyphs of one page, drawn as one run per font: far fewer text
// objects for the printer than a run per line and script.
class TPageGlyphs {
 public:
  void Add(const QRawFont& font, const quint32* glyphs, const QPointF* positions, qsizetype count, QPointF offset);
  // Draws what was gathered and forgets it.
  void Draw(QPainter& painter);
  qsizetype Glyphs() const;

 private:
  struct Run {
    QRawFont font;
    QList<quint32> glyphs;
    QList<QPointF> positions;
  };
  std::vector<Run> runs_;
};

// One visual line as the setter hands it over; valid during the visit.
class TSetLine {
 public:
  double Height() const { return height_; }
  qsizetype End() const { return end_; }  // characters of the text set so far
  // The line's glyphs with its top-left corner at topLeft.
  void AddTo(TPageGlyphs& page, QPointF topLeft) const;
  // Glyph indexes and x positions from the line's left, for comparing.
  void Glyphs(QList<quint32>& glyphs, QList<double>& xs) const;
  // A line with fonts or colours of its own is drawn by itself, at once.
  bool Formatted() const { return formatted_; }
  void Draw(QPainter& painter, QPointF topLeft) const;

 private:
  friend class TLineSetter;
  double height_ = 0;
  qsizetype end_ = 0;
  bool formatted_ = false;
  // A line of the full layout...
  QTextLine line_;
  // ...or one set from the character map.
  const QRawFont* font_ = nullptr;
  const quint32* glyphs_ = nullptr;
  const double* xs_ = nullptr;
  qsizetype count_ = 0;
  double ascent_ = 0;
};

class TLineSetter {
 public:
  // quick false: every line through the full layout (for comparing).
  TLineSetter(const QFont& paneFont, QPaintDevice* device, double width, bool quick = true);

  // Visits every visual line in order with its top in the whole text
  // (device dots); stops when visit answers false. False when stopped.
  // formats (sorted by start) give parts of the text fonts and colours of
  // their own, as a rich pane shows them.
  bool Run(const QString& text, const std::function<bool(const TSetLine& line, double top)>& visit,
           const QList<QTextLayout::FormatRange>& formats = {});

  bool Quick() const { return quick_; }

 private:
  // Glyphs and x positions of a paragraph the font sets alone without
  // wrapping; false when it needs the full layout.
  bool SetQuickly(QStringView paragraph);
  bool RunFull(const QString& text, qsizetype from, qsizetype to, double& top,
               const std::function<bool(const TSetLine&, double)>& visit,
               const QList<QTextLayout::FormatRange>& formats);

  QFont font_;
  QPaintDevice* device_;
  double width_;
  QTextOption option_;
  bool quick_ = false;
  QRawFont raw_;
  double lineHeight_ = 0, ascent_ = 0;
  std::vector<quint32> glyphs_;
  std::vector<QPointF> advances_;
  std::vector<double> xs_;
};

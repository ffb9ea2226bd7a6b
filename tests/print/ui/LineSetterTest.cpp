// Lines set straight from the font's character map must be the lines the
// full text layout makes: same breaks, heights, glyphs and places.
#include <QFontDatabase>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

#include "print/ui/LineSetter.h"

namespace {

struct SetLine {
  double top, height;
  qsizetype end;
  QList<quint32> glyphs;
  QList<double> xs;
};

std::vector<SetLine> SetAll(const QString& text, const QFont& font, QPaintDevice* device, double width, bool quick,
                            bool* wasQuick = nullptr) {
  TLineSetter setter(font, device, width, quick);
  if (wasQuick) *wasQuick = setter.Quick();
  std::vector<SetLine> lines;
  setter.Run(text, [&](const TSetLine& line, double top) {
    SetLine l{top, line.Height(), line.End(), {}, {}};
    line.Glyphs(l.glyphs, l.xs);
    lines.push_back(l);
    return true;
  });
  return lines;
}

}  // namespace

class LineSetterTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  static constexpr const char* kPaneFamily = "Noto Sans Mono CJK JP";

  void Compare(const QString& text, const QFont& font, double width) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(tmp_.filePath("x.pdf"));
    bool quick = false;
    std::vector<SetLine> fast = SetAll(text, font, &printer, width, true, &quick);
    std::vector<SetLine> full = SetAll(text, font, &printer, width, false);
    QVERIFY2(quick, "the pane's font sets Japanese text on its own");
    QCOMPARE(fast.size(), full.size());
    for (size_t i = 0; i < fast.size(); ++i) {
      const QString at = QString("line %1").arg(i);
      QVERIFY2(fast[i].top == full[i].top, qPrintable(at));
      QVERIFY2(fast[i].height == full[i].height, qPrintable(at));
      QVERIFY2(fast[i].end == full[i].end, qPrintable(at + QString(" %1 %2").arg(fast[i].end).arg(full[i].end)));
      QVERIFY2(fast[i].glyphs == full[i].glyphs, qPrintable(at));
      QCOMPARE(fast[i].xs.size(), full[i].xs.size());
      for (qsizetype k = 0; k < fast[i].xs.size(); ++k)
        QVERIFY2(qAbs(fast[i].xs[k] - full[i].xs[k]) < 1e-6, qPrintable(at));
    }
  }

 private slots:
  void initTestCase() {
    if (!QFontDatabase::hasFamily(kPaneFamily)) QSKIP("the pane's default font is not installed");
  }

  // Short lines, blank lines, lines that wrap, tabs, combining marks,
  // characters outside the font, a line just under the width and one
  // just over it: the quick lines and the full layout's agree.
  void quickLinesAreTheFullLayoutsLines() {
    QFont font(kPaneFamily, 9);
    const double width = 3000;  // 20 full-width characters at 9 pt, 1200 dpi
    QString text;
    text += "\n\n";  // blank lines first
    text += QString::fromUtf8("日本語の文章です。ﾌｧｲﾙ Navirt 2026 「かな」→①※\n");
    text += QString::fromUtf8("タブ\tの\t行\n");
    text += QString(19, QChar(0x3042)) + "\n";  // fits
    text += QString(21, QChar(0x3042)) + "\n";  // wraps once
    text += QString(41, 'x') + " " + QString(30, 'y') + "\n";
    text += QString::fromUtf8("か\u3099が\n");    // a combining sound mark
    text += QString::fromUtf8("emoji 😀 here\n");  // outside the basic plane
    text += QString::fromUtf8("Ελληνικά και русский\n");
    text += QString::fromUtf8("ascii only line\r\n");
    for (int i = 0; i < 300; ++i) text += QString::number(i) + QString::fromUtf8("行目のテキスト\n");
    text += QString::fromUtf8("最後の行");  // no newline at the end
    Compare(text, font, width);
    Compare(text + "\n", font, width);
    Compare(QString(), font, width);
    Compare(QString(40000, QChar(0x65E5)), font, width);  // one paragraph, many lines
  }
};

QTEST_MAIN(LineSetterTest)
#include "LineSetterTest.moc"

#pragma once
// "印刷(&P)", "印刷設定(&U)" and "プリンタの設定(&T)..." in the file menu.
#include <QColor>
#include <QFont>
#include <QString>
#include <QTextLayout>
#include <functional>

#include <vector>

#include "print/PageLayout.h"
#include "print/PageRect.h"

class IHost;
class QPrinter;
class TRichEdit;

void InstallPrintCommands(IHost& host);

// What the pane prints: its lines as the user sees them (a long line the
// pane holds in several blocks is one line), and its own fonts and colours
// as ranges of that text.
struct PaneContent {
  QString text;
  QList<QTextLayout::FormatRange> formats;
};
PaneContent PrintableContent(const TRichEdit& pane);

// The window's printer: the one the dialogs set up and the jobs print on.
QPrinter& PrinterOf(IHost& host);

// The printer's metrics as the margin arithmetic sees them (dots).
navirt::PrinterMetrics MetricsOf(const QPrinter& printer);

// Where each page's lines lie: the text laid out in the font at the
// printer's resolution, wrapped at the rectangle's width.
struct PrintPlan {
  std::vector<navirt::PageSpan> pages;
  std::vector<double> lineTops;     // top of every visual line, device dots
  std::vector<double> lineHeights;  // its height
};
// formats: parts of the text with fonts and colours of their own (see
// DocumentFormats), sorted by start.
PrintPlan PlanPages(const QString& text, const QFont& font, QPrinter& printer, const navirt::PageRect& rect,
                    const QList<QTextLayout::FormatRange>& formats = {});

// Prints text page after page into rect, laying it out as it goes. Before
// each page cancelled(done, total) hears how far the text is printed
// (characters) and may stop the job. Returns the pages printed, or -1
// when the printer could not be opened.
int PrintText(const QString& text, const QFont& font, const QColor& color, QPrinter& printer,
              const navirt::PageRect& rect, const std::function<bool(qsizetype done, qsizetype total)>& cancelled,
              const QList<QTextLayout::FormatRange>& formats = {});

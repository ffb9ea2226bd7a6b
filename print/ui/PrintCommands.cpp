#include "print/ui/PrintCommands.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>
#include <climits>
#include <cmath>
#include <stdexcept>

#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "host/ui/HostPart.h"
#include "host/ui/Job.h"
#include "print/PaperNames.h"
#include "print/PrintSettings.h"
#include "print/ui/LineSetter.h"
#include "print/ui/PdfTextMap.h"
#include "print/ui/PrintCommandIds.h"
#include "print/ui/PrintSettingsDialog.h"

using namespace navirt;

namespace {

// The printer lives with the window, so the printer and paper chosen in one
// dialog hold for the next job.
class TPrinterHolder : public QObject {
 public:
  explicit TPrinterHolder(QObject* parent) : QObject(parent), printer(QPrinter::HighResolution) {}
  QPrinter printer;
};

// An empty or inverted rectangle stands for the whole printable area.
QRectF DrawRect(const PageRect& r, const QPrinter& printer) {
  QRectF page = printer.pageRect(QPrinter::DevicePixel);
  if (r.right <= r.left || r.bottom <= r.top) return QRectF(0, 0, page.width(), page.height());
  return QRectF(double(r.left), double(r.top), double(r.right - r.left), double(r.bottom - r.top));
}

// Whole dots, from the rounded positions so the pages add up to the
// text's height.
int64_t DotHeight(double top, double height) { return std::llround(top + height) - std::llround(top); }

}  // namespace

QPrinter& PrinterOf(IHost& host) {
  auto* holder = THostPart<TPrinterHolder>::Of(host);
  if (!holder) holder = THostPart<TPrinterHolder>::Set(host, new TPrinterHolder(host.HostWindow()));
  return holder->printer;
}

PrinterMetrics MetricsOf(const QPrinter& printer) {
  QRectF paper = printer.paperRect(QPrinter::DevicePixel);
  QRectF page = printer.pageRect(QPrinter::DevicePixel);
  PrinterMetrics m;
  m.dpiX = m.dpiY = printer.resolution();
  m.offsetX = int(std::lround(page.left() - paper.left()));
  m.offsetY = int(std::lround(page.top() - paper.top()));
  m.paperWidth = int(std::lround(paper.width()));
  m.paperHeight = int(std::lround(paper.height()));
  m.width = int(std::lround(page.width()));
  m.height = int(std::lround(page.height()));
  return m;
}

PrintPlan PlanPages(const QString& text, const QFont& font, QPrinter& printer, const PageRect& rect,
                    const QList<QTextLayout::FormatRange>& formats) {
  QRectF area = DrawRect(rect, printer);
  PrintPlan plan;
  std::vector<int64_t> heights;
  TLineSetter setter(font, &printer, area.width());
  setter.Run(
      text,
      [&](const TSetLine& line, double top) {
        plan.lineTops.push_back(top);
        plan.lineHeights.push_back(line.Height());
        heights.push_back(DotHeight(top, line.Height()));
        return true;
      },
      formats);
  plan.pages = LayoutPages(heights, std::llround(area.height()));
  return plan;
}

int PrintText(const QString& text, const QFont& font, const QColor& color, QPrinter& printer, const PageRect& rect,
              const std::function<bool(qsizetype, qsizetype)>& cancelled,
              const QList<QTextLayout::FormatRange>& formats) {
  QRectF area = DrawRect(rect, printer);
  QPainter painter;
  if (!painter.begin(&printer)) return -1;
  painter.setPen(color);
  painter.setClipRect(area);
  TPageBreaker pages(std::llround(area.height()));
  TPageGlyphs page;
  double pageTop = 0;  // where the page's first line lies in the whole text
  bool first = true, stopped = false;
  TLineSetter setter(font, &printer, area.width());
  setter.Run(
      text,
      [&](const TSetLine& line, double top) {
        if (pages.Place(DotHeight(top, line.Height())) || first) {
          // Between pages: progress, and the chance to stop.
          if (cancelled && cancelled(line.End(), text.size())) {
            stopped = true;
            return false;
          }
          if (!first) {
            page.Draw(painter);
            printer.newPage();
          }
          painter.setClipRect(area);
          pageTop = top;
          first = false;
        }
        QPointF at(area.left(), area.top() + (top - pageTop));
        if (!line.Formatted()) {
          line.AddTo(page, at);
          return true;
        }
        // What was gathered goes first, so the page is drawn in the text's order.
        page.Draw(painter);
        line.Draw(painter, at);
        return true;
      },
      formats);
  if (!stopped) page.Draw(painter);
  if (stopped) printer.abort();
  painter.end();
  return stopped ? int(pages.Pages()) - 1 : int(pages.Pages());
}

PaneContent PrintableContent(const TRichEdit& pane) {
  const QTextDocument& doc = *pane.document();
  PaneContent out{QString(), DocumentFormats(doc)};
  // Block start -> characters dropped before it (one per continuing block).
  std::vector<std::pair<int, int>> dropped;
  int gone = 0;
  for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
    if (b != doc.begin()) {
      if (TRichEdit::ContinuesLine(b))
        ++gone;
      else
        out.text += QChar('\n');
    }
    dropped.emplace_back(b.position(), gone);
    out.text += b.text();
  }
  out.text.replace(QChar::LineSeparator, QChar('\n'));
  for (QTextLayout::FormatRange& r : out.formats) {
    auto it = std::upper_bound(dropped.begin(), dropped.end(), std::make_pair(r.start, INT_MAX));
    if (it != dropped.begin()) r.start -= std::prev(it)->second;
  }
  return out;
}

namespace {

// The printer dialog; false when it was cancelled.
bool SetUpPrinter(IHost& host) {
  QPrintDialog dialog(&PrinterOf(host), host.HostWindow());
  return host.ExecDialog(dialog) == QDialog::Accepted;
}

// "プリンタの設定": the printer and its options, kept for the next print;
// its button says OK, since nothing is printed here.
class TPrinterSetupDialog : public QPrintDialog {
 public:
  TPrinterSetupDialog(QPrinter* printer, QWidget* parent) : QPrintDialog(printer, parent) {
    setObjectName("PrinterSetupDialog");
    setWindowTitle("プリンタの設定");
    // Which pages and how many copies belong to a print, not to the setup.
    setOptions(QAbstractPrintDialog::PrintShowPageSize);
  }
  void setVisible(bool visible) override {
    QPrintDialog::setVisible(visible);
    if (!visible) return;
    for (QDialogButtonBox* box : findChildren<QDialogButtonBox*>())
      if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) ok->setText("OK");
  }
};

void MprintersetClick(IHost& host) {
  TPrinterSetupDialog dialog(&PrinterOf(host), host.HostWindow());
  host.ExecDialog(dialog);
}

void MprintClick(IHost& host) {
  if (!SetUpPrinter(host)) return;
  QPrinter& printer = PrinterOf(host);
  PageRect rect = StoredPageRect(host.OpenSettings(), MetricsOf(printer));
  QString title = QFileInfo(QString::fromStdString(host.HostSelectedPath())).fileName();
  printer.setDocName(title);
  TRichEdit* pane = host.Pane();
  auto [text, formats] = PrintableContent(*pane);
  QFont font = pane->font();
  QColor color = pane->palette().color(QPalette::Text);
  JobOutcome outcome = RunJob(host, JobSpec{"印刷", "印刷中．．．", title}, [&](TJobContext& job) {
    int pages = PrintText(
        text, font, color, printer, rect,
        [&job](qsizetype done, qsizetype total) {
          job.SetTotal(uint64_t(total));
          job.SetDone(uint64_t(done));
          return job.Cancelled();
        },
        formats);
    if (pages < 0) throw std::runtime_error("プリンタを開けません。");
  });
  // A PDF's reader must find the pane's text, not the radicals that share
  // its kanji's glyphs.
  if (!outcome.cancelled && !outcome.failed && printer.outputFormat() == QPrinter::PdfFormat &&
      !printer.outputFileName().isEmpty() && QFileInfo::exists(printer.outputFileName()))
    MendPdfTextMap(printer.outputFileName(), text);
}

void MprintsetClick(IHost& host) {
  QPrinter& printer = PrinterOf(host);
  TPrintSettingsModel model;
  std::optional<int> paperCode = PaperCodeOf(static_cast<PageSizeId>(int(printer.pageLayout().pageSize().id())));
  QScreen* screen = QGuiApplication::primaryScreen();
  int screenPpi = screen ? int(std::lround(screen->logicalDotsPerInch())) : 96;
  model.Open(host.OpenSettings(), MetricsOf(printer), paperCode, screenPpi);
  TForm6 dialog(host.HostWindow(), model);
  dialog.onRefused = [&host](const QString& message) { host.MessageDlg(message, "印刷設定", TMsgKind::Warning); };
  if (host.ExecDialog(dialog) != QDialog::Accepted) return;
  TIniFile ini = host.OpenSettings();
  model.Accept(ini);
  host.WriteSettings(ini);
}

}  // namespace

void InstallPrintCommands(IHost& host) {
  std::vector<CommandRow> rows = {
      WithButton({cmd::Mprint, "印刷(&P)", nullptr, MprintClick, {}, "印刷|テキストを印刷します。"}, "print",
                 {"印刷", "印刷|テキストを印刷します。"}),
      WithButton({cmd::Mprintset, "印刷設定(&U)", nullptr, MprintsetClick, {}, "印刷設定|印刷の余白を設定します。"},
                 "print-setup", {"印刷設定", "印刷設定|印刷の余白を設定します。"}),
      {cmd::Mprinterset,
       "プリンタの設定(&T)...",
       nullptr,
       MprintersetClick,
       {},
       "プリンタの設定|プリンタを設定します。"},
  };
  host.Commands().Install(rows, host.Menu(HostMenu::File));
}

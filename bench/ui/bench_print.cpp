// Printing a 10 MiB pane to a PDF file, offscreen: the layout alone, the
// printing itself with the memory it holds at its peak beside the text,
// and the whole command on the window.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFileInfo>
#include <QFont>
#include <QPrinter>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <QPrintDialog>

#include "app/ui/Unit1.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Job.h"
#include "platform/Cp932.h"
#include "print/PageRect.h"
#include "print/ui/PrintCommandIds.h"
#include "print/ui/PrintCommands.h"

namespace {

// Japanese prose, lines of about 40 characters (80 bytes in Shift_JIS).
QString Text(size_t sjisBytes) {
  const QString line =
      QString::fromUtf8("日本語の文章です。ファイルを選ぶと、すぐに中身が表示されます。 Navirt 2026\n");
  QString s;
  size_t lines = sjisBytes / 80;
  s.reserve(qsizetype(lines) * line.size());
  for (size_t i = 0; i < lines; ++i) s += line;
  return s;
}

long PeakRssKiB() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char buf[256];
  long kib = -1;
  while (std::fgets(buf, sizeof buf, f))
    if (std::sscanf(buf, "VmHWM: %ld kB", &kib) == 1) break;
  std::fclose(f);
  return kib;
}

void BM_Print10MiBToPdf(benchmark::State& state) {
  QString text = Text(10u << 20);
  QTemporaryDir dir;
  long before = PeakRssKiB();
  for (auto _ : state) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("out.pdf"));
    QFont font("Noto Sans Mono CJK JP", 9);
    auto t0 = std::chrono::steady_clock::now();
    int pages =
        PrintText(text, font, Qt::black, printer, navirt::PageRect{}, [](qsizetype, qsizetype) { return false; });
    auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    state.counters["pages"] = pages;
  }
  state.counters["text_MiB"] = double(text.size()) * 2 / (1 << 20);
  state.counters["rss_growth_MiB"] = double(PeakRssKiB() - before) / 1024;
}
// The layout alone: where the pages break.
void BM_Plan10MiB(benchmark::State& state) {
  QString text = Text(10u << 20);
  QTemporaryDir dir;
  for (auto _ : state) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("plan.pdf"));
    auto t0 = std::chrono::steady_clock::now();
    PrintPlan plan = PlanPages(text, QFont("Noto Sans Mono CJK JP", 9), printer, navirt::PageRect{});
    auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    state.counters["pages"] = double(plan.pages.size());
  }
}
// The whole command on the window: the pane's text taken, the job with
// its progress window, every page written to the PDF file.
void BM_PrintCommand10MiB(benchmark::State& state) {
  QTemporaryDir dir;
  setenv("NAVIRT_INI", (dir.path() + "/navirt.ini").toLocal8Bit().constData(), 1);
  TForm1 form;
  form.show();
  form.RichEdit1->SetText(navirt::Utf8ToCp932(Text(10u << 20).toStdString()));
  const QString pdf = dir.filePath("command.pdf");
  form.dialogHook = [&](QDialog& d) {
    auto* p = qobject_cast<QPrintDialog*>(&d);
    if (!p) return int(QDialog::Rejected);
    p->printer()->setOutputFormat(QPrinter::PdfFormat);
    p->printer()->setOutputFileName(pdf);
    return int(QDialog::Accepted);
  };
  bool shown = false;
  jobWindowHook = [&](QDialog&) { shown = true; };
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    form.Commands().Trigger(cmd::Mprint);
    auto t1 = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
  jobWindowHook = nullptr;
  state.counters["progress_shown"] = shown;
  state.counters["pdf_MiB"] = double(QFileInfo(pdf).size()) / (1 << 20);
}

BENCHMARK(BM_Plan10MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_Print10MiBToPdf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_PrintCommand10MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

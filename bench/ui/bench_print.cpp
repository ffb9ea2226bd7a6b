// Printing a 10 MiB pane to a PDF file, offscreen: the time of the whole
// job and the memory it holds at its peak beside the text itself.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFont>
#include <QPrinter>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <string>

#include "print/PageRect.h"
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
BENCHMARK(BM_Plan10MiB)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK(BM_Print10MiBToPdf)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

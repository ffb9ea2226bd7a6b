// Preview speed of the main window, offscreen: a 10 MiB Shift_JIS file, a
// 10 MiB UTF-8 file (shown through the lossless mapping), each to its pane
// filled (the CPU counted includes the worker that reads and decodes),
// moving through a folder whose subtree holds 100,000 files while the
// summary walk runs, and start-up to the first file previewed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/ui/Unit1.h"
#include "browse/ui/FileListModel.h"
#include "edit/ui/RichEdit.h"
#include "platform/Cp932.h"

namespace fs = std::filesystem;

namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string BenchRoot() {
  static std::string root = [] {
    std::string r = (fs::temp_directory_path() / "navirt_bench_preview").string();
    fs::create_directories(r);
    setenv("NAVIRT_INI", (r + "/navirt.ini").c_str(), 1);
    return r;
  }();
  return root;
}

// Japanese prose in Shift_JIS, lines of about 80 bytes.
std::string SjisText(size_t bytes) {
  // "日本語の文章です。" and friends as CP932 bytes.
  const std::string line =
      "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7\x81\x42"
      "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x91\x49\x82\xd4\x82\xc6\x81\x41"
      "\x82\xb7\x82\xae\x82\xc9\x92\x86\x90\x67\x82\xaa\x95\x5c\x8e\xa6\x82\xb3"
      "\x82\xea\x82\xdc\x82\xb7\x81\x42 Navirt 2026\r\n";
  std::string s;
  s.reserve(bytes + line.size());
  while (s.size() < bytes) s += line;
  s.resize(bytes);
  return s;
}

// The same prose in UTF-8, each line with an emoji CP932 lacks, cut at a
// line end at about the size asked.
std::string Utf8Text(size_t bytes) {
  const std::string line = navirt::Cp932ToUtf8(SjisText(80).substr(0, 60)) + "\xF0\x9F\x98\x80 Navirt 2026\n";
  std::string s;
  s.reserve(bytes + line.size());
  while (s.size() + line.size() <= bytes) s += line;
  return s;
}

const std::string& BigFileFolder() {
  static std::string dir = [] {
    std::string d = BenchRoot() + "/big/";
    fs::create_directories(d);
    if (!fs::exists(d + "big_sjis.txt") || fs::file_size(d + "big_sjis.txt") != (10u << 20)) {
      std::ofstream(d + "big_sjis.txt", std::ios::binary) << SjisText(10u << 20);
      std::ofstream(d + "small.txt", std::ios::binary) << "small\r\n";
    }
    if (!fs::exists(d + "big_utf8.txt") || fs::file_size(d + "big_utf8.txt") + 200 < (10u << 20))
      std::ofstream(d + "big_utf8.txt", std::ios::binary) << Utf8Text(10u << 20);
    return d;
  }();
  return dir;
}

// 100 folders of 1,000 files each under the folder shown, 40 files on top.
const std::string& WideTreeFolder() {
  static std::string dir = [] {
    std::string d = BenchRoot() + "/wide/";
    if (!fs::exists(d + "done")) {
      fs::create_directories(d);
      for (int i = 0; i < 40; ++i) std::ofstream(d + "top" + std::to_string(100 + i) + ".txt") << SjisText(2000 + i);
      for (int f = 0; f < 100; ++f) {
        std::string sub = d + "sub" + std::to_string(f) + "/";
        fs::create_directories(sub);
        for (int i = 0; i < 1000; ++i) std::ofstream(sub + std::to_string(i));
      }
      std::ofstream(d + "done");
    }
    return d;
  }();
  return dir;
}

void BM_Preview10MiBSjis(benchmark::State& state) {
  TForm1 form;
  form.resize(1200, 800);
  form.show();
  const std::string& dir = BigFileFolder();
  form.GoToFolder(dir);
  double cpu = 0;
  for (auto _ : state) {
    form.SelectFileByName("small.txt");
    const double c0 = CpuSeconds();
    auto t0 = std::chrono::steady_clock::now();
    form.SelectFileByName("big_sjis.txt");
    // Until the pane has filled (a large file fills between events) and painted.
    while (form.RichEdit1->Filling()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
    auto t1 = std::chrono::steady_clock::now();
    cpu += CpuSeconds() - c0;
    if (!form.InfoLine().endsWith("ｼﾌﾄJIS")) state.SkipWithError("preview incomplete");
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
  // On a shared machine the CPU the preview took tells more than the wall.
  state.counters["cpu_ms"] = cpu * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Preview10MiBSjis)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Preview10MiBUtf8(benchmark::State& state) {
  TForm1 form;
  form.resize(1200, 800);
  form.show();
  const std::string& dir = BigFileFolder();
  form.GoToFolder(dir);
  double cpu = 0;
  for (auto _ : state) {
    form.SelectFileByName("small.txt");
    const double c0 = CpuSeconds();
    auto t0 = std::chrono::steady_clock::now();
    form.SelectFileByName("big_utf8.txt");
    // Until the pane has filled (a large file fills between events) and painted.
    while (form.RichEdit1->Filling()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
    auto t1 = std::chrono::steady_clock::now();
    cpu += CpuSeconds() - c0;
    if (!form.InfoLine().endsWith("UTF-8") || !form.RichEdit1->Unicode()) state.SkipWithError("preview incomplete");
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
  // On a shared machine the CPU the preview took tells more than the wall.
  state.counters["cpu_ms"] = cpu * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_Preview10MiBUtf8)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PreviewStepWhileSummaryWalks(benchmark::State& state) {
  TForm1 form;
  form.resize(1200, 800);
  form.show();
  const std::string& dir = WideTreeFolder();
  double worst = 0;
  for (auto _ : state) {
    // A fresh folder change each round restarts the walk of 100,000 files.
    form.GoToFolder(BenchRoot());
    form.GoToFolder(dir);
    form.FileView1->setFocus();
    form.SelectFileByName("top100.txt");
    double total = 0;
    for (int i = 0; i < 20; ++i) {
      auto t0 = std::chrono::steady_clock::now();
      QTest::keyClick(form.FileView1, Qt::Key_Down);
      double step = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      total += step;
      worst = std::max(worst, step);
    }
    if (!form.SummaryRunning()) state.SkipWithError("the walk ended before the steps: the tree is too small");
    if (!form.InfoLine().contains("ｼﾌﾄJIS")) state.SkipWithError("no preview");
    state.SetIterationTime(total / 20);
    form.WaitForSummary();
  }
  state.counters["worst_step_ms"] = worst * 1000;
}
BENCHMARK(BM_PreviewStepWhileSummaryWalks)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StartupToFirstPreview(benchmark::State& state) {
  const std::string& dir = BigFileFolder();
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    {
      TForm1 form;
      form.show();
      form.HandleCommandLine(dir + "small.txt");
      QApplication::processEvents();
      auto t1 = std::chrono::steady_clock::now();
      if (!form.InfoLine().contains("ASCII")) state.SkipWithError("no preview");
      state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
      form.Mcloseinitview1->setChecked(false);
    }
  }
}
BENCHMARK(BM_StartupToFirstPreview)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// The archive commands as the user runs them: "解凍(&U)" of the
// 20,000-entry ZIP and tar from the menu of the real main window
// (offscreen), the file-operation dialog answered, the job with its
// progress window, the reload and the pane; and "一覧(&V)" of the same
// archives into the pane. Each is timed from the click to the command's
// end. The archives are the ones bench/bench_arc_commands.sh leaves in
// <build>/bench-data/arc-commands; the script runs this program next to
// bsdtar and unzip on the same files.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPushButton>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/ui/Unit1.h"
#include "archive/ui/ArchiveCommandIds.h"
#include "fileops/ui/FileOpsDialogs.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string Data() {
  const char* d = std::getenv("NAVIRT_ARC_BENCH_DATA");
  return d ? std::string(d) + "/" : std::string(NAVIRT_BINARY_DIR) + "/bench-data/arc-commands/";
}

// A main window over the data folder, its settings in a folder of its own.
TForm1& Form() {
  static TForm1* form = [] {
    std::string ini = Data() + "bench-menu/navirt.ini";
    fs::create_directories(Data() + "bench-menu");
    setenv("NAVIRT_INI", ini.c_str(), 1);
    auto* f = new TForm1;
    f->resize(1000, 700);
    f->show();
    f->messageHook = [](const QString&, const QString&, TMsgKind, int) { return int(mbOK); };
    return f;
  }();
  return *form;
}

bool Select(TForm1& f, const std::string& name) {
  if (f.CurrentFolder != Data()) f.GoToFolder(Data());
  QApplication::processEvents();
  return f.SelectFileByName(name);
}

void BM_ExtractFromTheMenu(benchmark::State& state, const char* name) {
  TForm1& f = Form();
  if (!fs::exists(Data() + name) || !Select(f, name)) {
    state.SkipWithError("run bench/bench_arc_commands.sh first");
    return;
  }
  // A new folder each run, all removed at the end of the script:
  // extracting right after 20,000 files were deleted is slower in the file
  // system itself.
  const std::string base = Data() + "bench-menu/x-" + name + "/";
  fs::remove_all(base);  // what a run on its own left behind
  std::string out;
  f.dialogHook = [&](QDialog& d) {
    auto* dlg = dynamic_cast<TForm2*>(&d);
    if (!dlg) return int(QDialog::Rejected);
    dlg->CBdir->setEditText(QString::fromStdString(out));
    dlg->BOK->click();
    return d.result();
  };
  QAction* unpack = f.FindAction(cmd::Marcunpack1);
  size_t files = 0;
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    out = base + std::to_string(++run) + "/";
    fs::create_directories(out);
    Select(f, name);
    ::sync();  // the last run's writes are not this run's cost
    state.ResumeTiming();
    auto t0 = Clock::now();
    unpack->trigger();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    state.PauseTiming();
    files = 0;
    for (auto& e : fs::recursive_directory_iterator(out)) files += e.is_regular_file();
    state.ResumeTiming();
  }
  if (files == 0) state.SkipWithError("nothing extracted");
  state.counters["files"] = static_cast<double>(files);
  // The folders stay until bench_arc_commands.sh ends: removing 20,000
  // files here would slow the next benchmark in the file system.
}
BENCHMARK_CAPTURE(BM_ExtractFromTheMenu, zip20k, "e.zip")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK_CAPTURE(BM_ExtractFromTheMenu, tar20k, "e.tar")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_ListFromTheMenu(benchmark::State& state, const char* name) {
  TForm1& f = Form();
  if (!fs::exists(Data() + name) || !Select(f, name)) {
    state.SkipWithError("run bench/bench_arc_commands.sh first");
    return;
  }
  QAction* list = f.FindAction(cmd::Marclist1);
  for (auto _ : state) {
    auto t0 = Clock::now();
    list->trigger();
    QApplication::processEvents();
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - t0).count());
    if (f.PaneText().size() < 20000 * 40) state.SkipWithError("listing too short");
  }
}
BENCHMARK_CAPTURE(BM_ListFromTheMenu, zip20k, "e.zip")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(BM_ListFromTheMenu, tar20k, "e.tar")->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete &Form();
  return 0;
}

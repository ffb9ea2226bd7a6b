// Opening each dialog of the registered applications, folders, editor and
// toolbar buttons on the main window, offscreen: from the command to the
// dialog shown, with 20 stored applications and folders.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QTemporaryDir>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/Registered.h"
#include "app/ui/AppCommandIds.h"
#include "app/ui/Unit1.h"
#include "host/ui/CommandTable.h"

namespace {

TForm1* Window() {
  static QTemporaryDir dir;
  static std::unique_ptr<TForm1> form = [] {
    setenv("NAVIRT_INI", (dir.path() + "/navirt.ini").toLocal8Bit().constData(), 1);
    auto f = std::make_unique<TForm1>();
    navirt::TIniFile ini = f->OpenSettings();
    std::vector<navirt::AppEntry> apps;
    std::vector<std::string> folders;
    for (int i = 0; i < 20; ++i) {
      apps.push_back({"/bin/sh", "Shell " + std::to_string(i)});
      folders.push_back("/usr/share/doc/" + std::to_string(i));
    }
    navirt::SaveApplications(ini, apps);
    navirt::SaveFolders(ini, folders);
    f->WriteSettings(ini);
    f->show();
    return f;
  }();
  return form.get();
}

void Open(benchmark::State& state, CommandName command) {
  TForm1* f = Window();
  std::chrono::steady_clock::time_point t0;
  double shown = 0;
  f->dialogHook = [&](QDialog& d) {
    d.show();
    QApplication::processEvents();
    shown = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    d.hide();
    return int(QDialog::Rejected);
  };
  for (auto _ : state) {
    t0 = std::chrono::steady_clock::now();
    f->Commands().Trigger(command);
    state.SetIterationTime(shown);
  }
  f->dialogHook = nullptr;
}

void BM_OpenApplicationDialog(benchmark::State& s) { Open(s, cmd::Mexeset); }
void BM_OpenFolderDialog(benchmark::State& s) { Open(s, cmd::Mfolderregset); }
void BM_OpenEditorDialog(benchmark::State& s) { Open(s, cmd::MediterSet); }
void BM_OpenToolButtonDialog(benchmark::State& s) { Open(s, cmd::Mtoolbarset); }
BENCHMARK(BM_OpenApplicationDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OpenFolderDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OpenEditorDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OpenToolButtonDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

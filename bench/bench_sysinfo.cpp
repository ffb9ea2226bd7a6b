// The system report (gathering the facts from /proc, /etc and the
// environment, then building the pane's lines), the dialogs of registered
// applications and folders opening over a long list, and the page layout of
// a 10 MiB text's lines.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "app/NumberedMenu.h"
#include "app/RegisterDialogs.h"
#include "app/Registered.h"
#include "app/ToolButtonSettings.h"
#include "platform/Programs.h"
#include "print/PageLayout.h"
#include "settings/IniFile.h"
#include "sysinfo/SystemReport.h"

namespace {

void BM_SystemReport(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<std::string> lines = navirt::BuildSystemReport(navirt::CollectSystemFacts());
    benchmark::DoNotOptimize(lines.data());
  }
}
BENCHMARK(BM_SystemReport)->Unit(benchmark::kMillisecond);

// 200 applications, every one checked on disk as the dialog opens.
void BM_OpenApplicationDialog(benchmark::State& state) {
  navirt::TIniFile ini;
  std::vector<navirt::AppEntry> apps;
  for (int i = 0; i < 200; ++i) apps.push_back({i % 2 ? "/bin/sh" : "/no/such/program" + std::to_string(i), "App"});
  navirt::SaveApplications(ini, apps);
  for (auto _ : state) {
    navirt::TNumberedMenu menu;
    navirt::TAppDialogModel d(menu, navirt::IsExecutableFile);
    d.Open(ini);
    benchmark::DoNotOptimize(d.Entries().data());
  }
}
BENCHMARK(BM_OpenApplicationDialog)->Unit(benchmark::kMillisecond);

void BM_OpenFolderAndToolButtonDialogs(benchmark::State& state) {
  navirt::TIniFile ini;
  std::vector<std::string> folders;
  for (int i = 0; i < 200; ++i) folders.push_back("/home/user/folder" + std::to_string(i));
  navirt::SaveFolders(ini, folders);
  for (auto _ : state) {
    navirt::TNumberedMenu menu;
    navirt::TFolderDialogModel f(menu);
    f.Open(ini);
    navirt::TToolButtonDialogModel t;
    t.Open(ini);
    benchmark::DoNotOptimize(f.Entries().data());
  }
}
BENCHMARK(BM_OpenFolderAndToolButtonDialogs)->Unit(benchmark::kMillisecond);

// 10 MiB in 48-byte lines: about 218,000 lines onto pages of 60.
void BM_LayoutPages10MiB(benchmark::State& state) {
  std::vector<int64_t> heights((10u << 20) / 48, 100);
  for (auto _ : state) {
    std::vector<navirt::PageSpan> pages = navirt::LayoutPages(heights, 6000);
    benchmark::DoNotOptimize(pages.data());
  }
}
BENCHMARK(BM_LayoutPages10MiB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

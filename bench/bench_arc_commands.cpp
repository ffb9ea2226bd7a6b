// The archive commands in process, as a job runs them: "一覧(&V)" of the
// 20,000-entry ZIP and tar into pane text, "解凍(&U)" of the ZIP with the
// job's progress hook, and the LHA preview of a 1,000-entry archive. The
// archives are the ones bench_arc_commands.sh leaves in
// <build>/bench-data/arc-commands (run it first).
#include <benchmark/benchmark.h>

#include <atomic>
#include <filesystem>
#include <string>

#include "archive/ArcCommands.h"
#include "platform/FileInfo.h"

using namespace navirt;

namespace {

std::string Data(const std::string& name) {
  return std::string(NAVIRT_BINARY_DIR) + "/bench-data/arc-commands/" + name;
}

void BM_GeneralList(benchmark::State& state, const char* name) {
  std::string path = Data(name);
  if (!IsRegularFile(path)) {
    state.SkipWithError("run bench/bench_arc_commands.sh first");
    return;
  }
  std::atomic<bool> cancel{false};
  size_t steps = 0;
  TArcProgress progress{&cancel, [&](size_t, const std::string&) { ++steps; }};
  for (auto _ : state) {
    TArcOutcome o = GeneralList(path, &progress);
    if (!o.setPane || o.paneText.empty()) state.SkipWithError("listing failed");
    benchmark::DoNotOptimize(o.paneText.data());
  }
}
BENCHMARK_CAPTURE(BM_GeneralList, zip20k, "e.zip")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GeneralList, tar20k, "e.tar")->Unit(benchmark::kMillisecond);

void BM_GeneralExtractWithProgress(benchmark::State& state) {
  std::string path = Data("e.zip");
  if (!IsRegularFile(path)) {
    state.SkipWithError("run bench/bench_arc_commands.sh first");
    return;
  }
  // A new folder each run, all removed at the end: extracting right after
  // 20,000 files were deleted is slower in the file system itself.
  std::string out = Data("bench-x");
  std::atomic<bool> cancel{false};
  size_t steps = 0;
  TArcProgress progress{&cancel, [&](size_t, const std::string&) { ++steps; }};
  TArcTargetModel target;
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    target.answer = out + "/" + std::to_string(++run) + "/";
    std::filesystem::create_directories(target.answer);
    state.ResumeTiming();
    TArcOutcome o = GeneralExtract(path, target, &progress);
    if (o.result != 0) state.SkipWithError("extraction failed");
  }
  std::filesystem::remove_all(out);
  state.counters["entries"] = static_cast<double>(steps) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_GeneralExtractWithProgress)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LhaPreview1000(benchmark::State& state) {
  std::string path = Data("p1000.lzh");
  TLhaDirect lha;
  if (!IsRegularFile(path) || lha.Version() == 0) {
    state.SkipWithError("run bench/bench_arc_commands.sh first");
    return;
  }
  for (auto _ : state) {
    // What a selection change does with "LHA書庫内容表示(&L)" checked.
    if (!PreviewListsArchive(true, path, lha)) state.SkipWithError("not listed");
    TArcOutcome o = LhaPreview(path, lha);
    benchmark::DoNotOptimize(o.paneText.data());
  }
}
BENCHMARK(BM_LhaPreview1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

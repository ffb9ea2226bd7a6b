// Saving a 10 MiB text after a one-line edit: the bytes are assembled from
// the untouched original lines and written through the safe-save path.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>

#include "edit/PaneBytes.h"
#include "edit/SaveText.h"

namespace {

std::string Text10MiB() {
  const std::string line = "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x95\xb6\x8f\xcd\x82\xc5\x82\xb7 Navirt line\r\n";
  std::string s;
  while (s.size() < (10u << 20)) s += line;
  return s;
}

void BM_AssembleAfterOneEdit(benchmark::State& state) {
  navirt::TPaneBytes pb(Text10MiB());
  std::vector<navirt::PaneLine> lines;
  for (size_t i = 0; i < pb.LineCount(); ++i) lines.push_back({static_cast<int>(i), {}});
  lines[lines.size() / 2] = navirt::PaneLine{-1, "changed"};
  for (auto _ : state) {
    std::string out = pb.Assemble(lines);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_AssembleAfterOneEdit)->Unit(benchmark::kMillisecond);

void BM_SaveTextFile10MiBWithBackup(benchmark::State& state) {
  std::string dir =
      (std::filesystem::temp_directory_path() / ("navirt-bench-save-" + std::to_string(::getpid()))).string();
  std::filesystem::create_directories(dir);
  std::string text = Text10MiB();
  std::string path = dir + "/big.txt";
  navirt::SaveTextFile(path, text, false);
  for (auto _ : state) {
    auto r = navirt::SaveTextFile(path, text, true);
    if (!r.ok) state.SkipWithError(r.error.c_str());
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveTextFile10MiBWithBackup)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

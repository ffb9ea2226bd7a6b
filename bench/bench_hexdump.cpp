// The standard hexadecimal dump of 10 MiB, as the pane and navirt-tool
// build it.
#include <benchmark/benchmark.h>

#include <random>
#include <string>

#include "preview/HexDump.h"

namespace {

const std::string& TenMiB() {
  static std::string s = [] {
    std::string b(10u << 20, '\0');
    std::mt19937 rng(7);
    for (auto& c : b) c = static_cast<char>(rng());
    return b;
  }();
  return s;
}

void BM_HexDumpPane10MiB(benchmark::State& state) {
  const std::string& b = TenMiB();
  int checks = 0;
  for (auto _ : state) {
    std::string out = navirt::HexDumpPane(
        b, "info", [&] { return ++checks > 0; }, 4096);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(b.size()));
}
BENCHMARK(BM_HexDumpPane10MiB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// In-process figures of the line commands and the HTML stripper on texts
// made from bench/codec_prose.txt: the work without file input and output,
// and for the stripper the longest stretch between two progress calls (the
// time a Cancel can wait before the job sees it).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "edit/LineCommands.h"
#include "edit/LineStream.h"
#include "edit/MarkupStrip.h"
#include "edit/PaneText.h"
#include "platform/Cp932.h"

namespace {

using namespace navirt;

std::string Prose(size_t bytes) {
  std::ifstream f(NAVIRT_SOURCE_DIR "/bench/codec_prose.txt", std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  std::string base = Utf8ToCp932(ss.str());
  if (base.empty()) base = "text\n";
  std::string t;
  while (t.size() < bytes) t += base;
  t.resize(bytes);
  return t;
}

const LineList& HtmlLines() {
  static const LineList lines = [] {
    LineList src = SplitLines(Prose(8 << 20));
    LineList h;
    size_t total = 0;
    for (size_t i = 0; total < (10u << 20); ++i) {
      const std::string& l = src[i % src.size()];
      std::string s = i % 7 == 0    ? "<h2 class=\"s\">" + l + "</h2>"
                      : i % 5 == 0  ? "<li><a href=\"#n\">" + l + "</a> &amp; more</li>"
                      : i % 11 == 0 ? "<!-- note -->" + l + "<br>"
                                    : "<p>" + l + " <b>x</b></p>";
      total += s.size() + 2;
      h.push_back(std::move(s));
    }
    return h;
  }();
  return lines;
}

void BM_StripHtml10MiB(benchmark::State& state) {
  const LineList& in = HtmlLines();
  double worstGapMs = 0;
  for (auto _ : state) {
    auto last = std::chrono::steady_clock::now();
    THtmlResult r = StripHtml(in, [&](size_t, size_t) {
      auto now = std::chrono::steady_clock::now();
      worstGapMs = std::max(worstGapMs, std::chrono::duration<double, std::milli>(now - last).count());
      last = now;
      return true;
    });
    benchmark::DoNotOptimize(r.lines.data());
  }
  state.counters["worst_gap_ms"] = worstGapMs;
  state.SetBytesProcessed(state.iterations() * (10 << 20));
}
BENCHMARK(BM_StripHtml10MiB)->Unit(benchmark::kMillisecond);

void BM_SortLines16MiB(benchmark::State& state) {
  std::string text = Prose(16 << 20);
  for (auto _ : state) benchmark::DoNotOptimize(SortLinesText(text, false));
  state.SetBytesProcessed(state.iterations() * text.size());
}
BENCHMARK(BM_SortLines16MiB)->Unit(benchmark::kMillisecond);

void BM_LineCommand10MiBPane(benchmark::State& state) {
  // The pane's 10 MiB as lines through a list command (what the window runs).
  LineList lines = SplitLines(Prose(10 << 20));
  for (auto _ : state) benchmark::DoNotOptimize(TrimTrailing(lines));
  state.SetBytesProcessed(state.iterations() * (10 << 20));
}
BENCHMARK(BM_LineCommand10MiBPane)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

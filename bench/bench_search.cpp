// Search commands on a 10 MiB Shift_JIS pane, as the window runs them on
// the pane's bytes: "下へ検索" for a word near the end, replace all of a
// frequent word, "置換　正規表現" with [0-9]+, and deleting the lines an
// expression matches. The pane is the start of the grep benchmark's corpus
// (bench/sjis_corpus.bash) when it exists, else bench/codec_prose.txt
// repeated; its lines end in CR LF, as the pane's text does.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "edit/PaneText.h"
#include "platform/Cp932.h"
#include "search/DeleteBySearch.h"
#include "search/FindCommands.h"
#include "search/LineFilter.h"
#include "search/RegexReplace.h"

namespace {

using namespace navirt;

const std::string& Pane() {
  static const std::string pane = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::ifstream in(std::string(tmp ? tmp : "/tmp") + "/navirt-bench-grep/corpus-sjis.txt", std::ios::binary);
    std::string base;
    if (in) {
      base.resize(10u << 20);
      in.read(base.data(), static_cast<std::streamsize>(base.size()));
      base.resize(static_cast<size_t>(in.gcount()));
    }
    if (base.size() < (10u << 20)) {
      std::ifstream prose(NAVIRT_SOURCE_DIR "/bench/codec_prose.txt", std::ios::binary);
      std::string utf8((std::istreambuf_iterator<char>(prose)), {});
      std::string sjis = Utf8ToCp932(utf8) + "\n" + "version 1.23 and 456 of 7890\n";
      base.clear();
      while (base.size() < (10u << 20)) base += sjis;
    }
    std::string text = JoinLines(SplitLines(base));
    // A word that occurs once, 1 KiB before the end.
    text.insert(text.size() - 1024, Utf8ToCp932("終端の目印"));
    return text;
  }();
  return pane;
}

void BM_FindDownNearTheEnd(benchmark::State& state) {
  const std::string& pane = Pane();
  TFindSettings s{"終端の目印", true, false, state.range(0) != 0};
  for (auto _ : state) {
    SearchOutcome o = FindStep(pane, s, {0, 0});
    if (!o.select) state.SkipWithError("not found");
    benchmark::DoNotOptimize(o.selection);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(pane.size()));
}
BENCHMARK(BM_FindDownNearTheEnd)->Arg(0)->Arg(1)->ArgName("matchCase")->Unit(benchmark::kMillisecond);

void BM_FindDownWholeWordNearTheEnd(benchmark::State& state) {
  std::string pane = Pane();
  pane.insert(pane.size() - 1024, " endmark ");
  TFindSettings s{"endmark", true, true, false};
  for (auto _ : state) {
    SearchOutcome o = FindStep(pane, s, {0, 0});
    if (!o.select) state.SkipWithError("not found");
    benchmark::DoNotOptimize(o.selection);
  }
}
BENCHMARK(BM_FindDownWholeWordNearTheEnd)->Unit(benchmark::kMillisecond);

void BM_ReplaceAllFrequentWord(benchmark::State& state) {
  const std::string& pane = Pane();
  TReplaceDialogModel m;
  m.findText = state.range(0) ? "の" : "the";
  m.replaceText = state.range(0) ? "ノ" : "THE";
  int count = 0;
  for (auto _ : state) {
    m.found = false;
    SearchOutcome o = m.ReplaceAll(pane);
    count = o.count;
    benchmark::DoNotOptimize(o.text.data());
  }
  state.counters["replaced"] = count;
}
BENCHMARK(BM_ReplaceAllFrequentWord)->Arg(0)->Arg(1)->ArgName("japanese")->Unit(benchmark::kMillisecond);

void BM_RegexReplaceDigits(benchmark::State& state) {
  const std::string& pane = Pane();
  TAWKStr awk;
  int count = 0;
  for (auto _ : state) {
    SearchOutcome o = RegexReplaceCommand(awk, pane, "[0-9]+", "#", false);
    count = o.count;
    benchmark::DoNotOptimize(o.text.data());
  }
  state.counters["replaced"] = count;
}
BENCHMARK(BM_RegexReplaceDigits)->Unit(benchmark::kMillisecond);

void BM_DeleteMatchingLines(benchmark::State& state) {
  const std::vector<std::string> lines = SplitLines(Pane());
  TAWKStr awk;
  const char* expr = state.range(0) ? "ファイル|ディレクトリ|ユーザー" : "[0-9]+\\.[0-9]+";
  int count = 0;
  for (auto _ : state) {
    SearchOutcome o = DeleteLinesRegexCommand(awk, lines, expr, false);
    count = static_cast<int>(lines.size() - o.lines.size());
    benchmark::DoNotOptimize(o.lines.data());
  }
  state.counters["deleted"] = count;
}
BENCHMARK(BM_DeleteMatchingLines)->Arg(0)->Arg(1)->ArgName("words")->Unit(benchmark::kMillisecond);

// The 64 MiB corpus whole: lines deleted or kept straight over the bytes,
// against the same work through a string per line (split, filter, join),
// the way `navirt-tool lines` runs it today.
const std::string* Corpus64() {
  static const std::string corpus = [] {
    const char* tmp = std::getenv("TMPDIR");
    std::ifstream in(std::string(tmp ? tmp : "/tmp") + "/navirt-bench-grep/corpus-sjis.txt", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }();
  return corpus.size() >= (64u << 20) ? &corpus : nullptr;
}

const char* const kCorpusExprs[] = {"passwd", "[0-9]+\\.[0-9]+", "ファイル|ディレクトリ|ユーザー", "[亜-熙]+ア"};

void BM_Corpus64FilterBytes(benchmark::State& state) {
  const std::string* corpus = Corpus64();
  if (!corpus) return state.SkipWithError("no corpus: run bench/bench_grep.sh first");
  TAWKStr awk;
  awk.SetRegExp(DialogToPaneText(kCorpusExprs[state.range(0)]));
  std::string out;
  for (auto _ : state) {
    int n = FilterTextLines(*corpus, awk, state.range(1) != 0, out);
    benchmark::DoNotOptimize(n);
  }
}
BENCHMARK(BM_Corpus64FilterBytes)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->ArgNames({"expr", "keep"})
    ->Unit(benchmark::kMillisecond);

void BM_Corpus64FilterByLines(benchmark::State& state) {
  const std::string* corpus = Corpus64();
  if (!corpus) return state.SkipWithError("no corpus: run bench/bench_grep.sh first");
  TAWKStr awk;
  awk.SetRegExp(DialogToPaneText(kCorpusExprs[state.range(0)]));
  for (auto _ : state) {
    std::vector<std::string> lines = SplitLines(*corpus);
    int n = state.range(1) ? KeepLinesMatching(awk, lines) : DeleteLinesMatching(awk, lines);
    std::string out = JoinLines(lines);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_Corpus64FilterByLines)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"expr", "keep"})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

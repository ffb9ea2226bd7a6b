// Regular-expression engine: compile times (with the dictionary expansion),
// string matching and substitution, and grep's scans over a file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "platform/Cp932.h"
#include "regex/bmRegExp.h"

using namespace navirt;

namespace {

std::string Prose(size_t bytes) {
  const char* lines[] = {
      "第3章　設定ファイルの書式について説明する。各行は「名前=値」の形をとる。",
      "ユーザーとグループの管理には専用のコマンドを用いる。パスワードは暗号化して保存される。",
      "The passwd file holds one line per account; version 2.14 added new fields.",
      "ディレクトリを作成するときは、親ディレクトリの書き込み権限が必要である。",
      "漢字カナ混じりの文章を検索して、該当する行を表示する。ｶﾀｶﾅも含む。",
  };
  std::string out;
  for (size_t i = 0; out.size() < bytes; ++i) out += Utf8ToCp932(lines[i % 5]) + "\r\n";
  return out;
}

void BM_CompileFuzzy20Chars(benchmark::State& state) {
  const std::string expr = Utf8ToCp932("abcかきくけこ12345アイウエオxyz");  // 20 characters
  for (auto _ : state) {
    TAWKStr awk;
    awk.SetUseFuzzyCharDic(true);
    awk.SetRegExp(expr);
    benchmark::DoNotOptimize(awk.DFA().StateCount());
  }
}
BENCHMARK(BM_CompileFuzzy20Chars)->Unit(benchmark::kMillisecond);

void BM_CompilePlain(benchmark::State& state) {
  for (auto _ : state) {
    TAWKStr awk;
    awk.SetRegExp("[0-9]+\\.[0-9]+|(ab|cd)*e$");
    benchmark::DoNotOptimize(awk.DFA().StateCount());
  }
}
BENCHMARK(BM_CompilePlain)->Unit(benchmark::kMicrosecond);

void BM_GSub1MiB(benchmark::State& state) {
  const std::string text = Prose(1 << 20);
  TAWKStr awk;
  awk.SetRegExp(Utf8ToCp932("ディレクトリ|[0-9]+"));
  for (auto _ : state) {
    std::string t = text;
    benchmark::DoNotOptimize(awk.GSub("<&>", t));
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(text.size()));
}
BENCHMARK(BM_GSub1MiB)->Unit(benchmark::kMillisecond);

class GrepFile : public benchmark::Fixture {
 public:
  void SetUp(const benchmark::State&) override {
    path_ = "/tmp/navirt-bench-regex-" + std::to_string(getpid()) + ".txt";
    std::ofstream(path_, std::ios::binary) << Prose(16 << 20);
  }
  void TearDown(const benchmark::State&) override { unlink(path_.c_str()); }

 protected:
  void Run(benchmark::State& state, const char* utf8, bool reference, bool fuzzy = false) {
    TGrep g;
    g.UseReferenceScan = reference;
    g.SetUseFuzzyCharDic(fuzzy);
    g.SetRegExp(Utf8ToCp932(utf8));
    size_t lines = 0;
    g.OnMatch = [&](TGrep*, const RE_LineInfo_t&) { ++lines; };
    for (auto _ : state) g.Grep(path_);
    state.SetBytesProcessed(int64_t(state.iterations()) * (16 << 20));
    state.counters["lines"] = double(lines) / double(state.iterations());
  }
  std::string path_;
};

BENCHMARK_F(GrepFile, Literal)(benchmark::State& s) { Run(s, "漢字カナ", false); }
BENCHMARK_F(GrepFile, LiteralReference)(benchmark::State& s) { Run(s, "漢字カナ", true); }
BENCHMARK_F(GrepFile, Automaton)(benchmark::State& s) { Run(s, "[亜-熙]+ア|[0-9]+\\.[0-9]+", false); }
BENCHMARK_F(GrepFile, AutomatonReference)(benchmark::State& s) { Run(s, "[亜-熙]+ア|[0-9]+\\.[0-9]+", true); }
BENCHMARK_F(GrepFile, Fuzzy)(benchmark::State& s) { Run(s, "でぃれくとり", false, true); }

}  // namespace

BENCHMARK_MAIN();

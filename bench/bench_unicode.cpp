// UTF-8 validation, Unicode conversions and the Unicode pane mapping in
// process, on a UTF-8 corpus of Japanese prose: the file named by
// NAVIRT_UNICODE_CORPUS (bench/bench_unicode.sh builds a 64 MiB one from the
// Japanese manual pages), else bench/codec_prose.txt repeated to 64 MiB.
// BM_FalsePositives reports, as counters, how many of 10,000 random slices
// of 64 to 4096 bytes of the corpus in Shift_JIS and in EUC-JP DetectUnicode
// takes for UTF-8 (the goal is none).
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <stdexcept>
#include <string>

#include "codec/CodeConvert.h"
#include "codec/DetectUnicode.h"
#include "codec/UnicodeConvert.h"
#include "codec/UnicodePane.h"
#include "platform/FileInfo.h"

namespace {

constexpr size_t kCorpusSize = 64u << 20;

std::string BuildCorpus() {
  std::string bytes;
  if (const char* path = std::getenv("NAVIRT_UNICODE_CORPUS")) {
    if (navirt::ReadWholeFile(path, bytes) && !bytes.empty()) return bytes;
    std::fprintf(stderr, "bench_unicode: cannot read %s, using the prose file\n", path);
  }
  std::string prose;
  if (!navirt::ReadWholeFile(NAVIRT_SOURCE_DIR "/bench/codec_prose.txt", prose)) throw std::runtime_error("no prose");
  bytes.reserve(kCorpusSize + prose.size());
  while (bytes.size() < kCorpusSize) bytes += prose;
  return bytes;
}

const std::string& Utf8() {
  static const std::string s = BuildCorpus();
  return s;
}
const std::string& Sjis() {
  static const std::string s = navirt::Utf8ToSjis(Utf8());
  return s;
}
const std::string& Euc() {
  static const std::string s = navirt::SjisToEuc(Sjis());
  return s;
}

void BM_ValidateUtf8(benchmark::State& state) {
  const std::string& t = Utf8();
  for (auto _ : state) {
    bool ok = navirt::IsWellFormedUtf8(t);
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("corpus is not well-formed");
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.size()));
}
BENCHMARK(BM_ValidateUtf8)->Unit(benchmark::kMillisecond);

void BM_ValidateUtf8Scalar(benchmark::State& state) {
  const std::string& t = Utf8();
  for (auto _ : state) benchmark::DoNotOptimize(navirt::IsWellFormedUtf8Scalar(t));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(t.size()));
}
BENCHMARK(BM_ValidateUtf8Scalar)->Unit(benchmark::kMillisecond);

void BM_DetectUnicode(benchmark::State& state) {
  const std::string& t = Utf8();
  for (auto _ : state) benchmark::DoNotOptimize(navirt::DetectUnicode(t));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(navirt::kUnicodeWindow));
}
BENCHMARK(BM_DetectUnicode)->Unit(benchmark::kMicrosecond);

void BM_FalsePositives(benchmark::State& state) {
  int64_t sjisWrong = 0, eucWrong = 0;
  for (auto _ : state) {
    sjisWrong = eucWrong = 0;
    std::mt19937_64 rng(16);
    for (const std::string* text : {&Sjis(), &Euc()}) {
      for (int k = 0; k < 10000; ++k) {
        const size_t len = 64 + rng() % (4096 - 64 + 1);
        const size_t at = rng() % (text->size() - len);
        if (navirt::DetectUnicode(std::string_view(*text).substr(at, len)) != navirt::UnicodeCode::None)
          ++(text == &Sjis() ? sjisWrong : eucWrong);
      }
    }
  }
  state.counters["sjis_taken_for_utf8"] = double(sjisWrong);
  state.counters["euc_taken_for_utf8"] = double(eucWrong);
  state.counters["slices_each"] = 10000;
}
BENCHMARK(BM_FalsePositives)->Unit(benchmark::kMillisecond)->Iterations(1);

std::string Iconv(const char* to, const char* from, const std::string& in) {
  iconv_t cd = iconv_open(to, from);
  std::string out(in.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  iconv(cd, &src, &srcLeft, &dst, &dstLeft);
  iconv_close(cd);
  out.resize(out.size() - dstLeft);
  return out;
}

void BM_Utf8ToSjis(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(navirt::Utf8ToSjis(Utf8()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Utf8().size()));
}
BENCHMARK(BM_Utf8ToSjis)->Unit(benchmark::kMillisecond);

void BM_Utf8ToSjisIconv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Iconv("CP932", "UTF-8", Utf8()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Utf8().size()));
}
BENCHMARK(BM_Utf8ToSjisIconv)->Unit(benchmark::kMillisecond);

void BM_SjisToUtf8(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(navirt::SjisToUtf8(Sjis()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Sjis().size()));
}
BENCHMARK(BM_SjisToUtf8)->Unit(benchmark::kMillisecond);

void BM_SjisToUtf8Iconv(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(Iconv("UTF-8", "CP932", Sjis()));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(Sjis().size()));
}
BENCHMARK(BM_SjisToUtf8Iconv)->Unit(benchmark::kMillisecond);

// What a preview of a 10 MiB UTF-8 file spends in the core: recognising it
// and mapping it into the pane's Shift_JIS.
void BM_PaneLoad10MiB(benchmark::State& state) {
  const std::string_view file = std::string_view(Utf8()).substr(0, 10u << 20);
  for (auto _ : state) benchmark::DoNotOptimize(navirt::LoadForPane(file));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_PaneLoad10MiB)->Unit(benchmark::kMillisecond);

void BM_PaneSave10MiB(benchmark::State& state) {
  const std::string_view file = std::string_view(Utf8()).substr(0, 10u << 20);
  navirt::PaneLoad load = navirt::LoadForPane(file);
  for (auto _ : state) benchmark::DoNotOptimize(load.unicode->Encode(load.text));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(file.size()));
}
BENCHMARK(BM_PaneSave10MiB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

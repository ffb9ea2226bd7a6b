// In-process throughput of the code, Base64 and width conversions on a
// Shift_JIS corpus of Japanese prose, side by side with glibc's iconv(3)
// doing the same code conversion. The corpus is the file named by
// NAVIRT_CODEC_CORPUS (bench/bench_codec.sh builds a 64 MiB one from the
// Japanese manual pages and bench/codec_prose.txt); without it the prose
// file alone is repeated to 64 MiB.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "codec/CodeConvert.h"
#include "codec/TransferEncoding.h"
#include "codec/WidthConvert.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"

namespace {

constexpr size_t kCorpusSize = 64u << 20;

std::string BuildCorpus() {
  std::string bytes;
  if (const char* path = std::getenv("NAVIRT_CODEC_CORPUS")) {
    if (navirt::ReadWholeFile(path, bytes) && !bytes.empty()) return bytes;
    std::fprintf(stderr, "bench_codec: cannot read %s, using the prose file\n", path);
  }
  std::string prose;
  if (!navirt::ReadWholeFile(NAVIRT_SOURCE_DIR "/bench/codec_prose.txt", prose)) throw std::runtime_error("no prose");
  const std::string sjis = navirt::Utf8ToCp932(prose);
  bytes.reserve(kCorpusSize + sjis.size());
  while (bytes.size() < kCorpusSize) bytes += sjis;
  return bytes;
}

const std::string& Sjis() {
  static const std::string s = BuildCorpus();
  return s;
}
const std::string& Euc() {
  static const std::string s = navirt::SjisToEuc(Sjis());
  return s;
}
const std::string& Jis() {
  static const std::string s = navirt::SjisToJis(Sjis());
  return s;
}

template <class F>
void Run(benchmark::State& state, const std::string& in, F f) {
  for (auto _ : state) {
    std::string out = f(in);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void BM_SjisToEuc(benchmark::State& s) { Run(s, Sjis(), navirt::SjisToEuc); }
void BM_EucToSjis(benchmark::State& s) { Run(s, Euc(), navirt::EucToSjis); }
void BM_SjisToJis(benchmark::State& s) { Run(s, Sjis(), navirt::SjisToJis); }
void BM_JisToSjis(benchmark::State& s) { Run(s, Jis(), navirt::JisToSjis); }
void BM_EucToJis(benchmark::State& s) { Run(s, Euc(), navirt::EucToJis); }
void BM_JisToEuc(benchmark::State& s) { Run(s, Jis(), navirt::JisToEuc); }
void BM_Base64Encode(benchmark::State& s) { Run(s, Sjis(), navirt::Base64Encode); }
void BM_HalfToFullWidth(benchmark::State& s) { Run(s, Sjis(), navirt::HalfToFullWidth); }
void BM_FullToHalfWidth(benchmark::State& s) { Run(s, Sjis(), navirt::FullToHalfWidth); }
void BM_HalfKanaToFullKana(benchmark::State& s) { Run(s, Sjis(), navirt::HalfKanaToFullKana); }
void BM_WideSpaceToBlanks(benchmark::State& s) { Run(s, Sjis(), navirt::WideSpaceToBlanks); }

// glibc iconv(3) with an output buffer sized once, as a fair lower bound of
// what a program built on it does.
void IconvRun(benchmark::State& state, const std::string& in, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    state.SkipWithError("iconv_open failed");
    return;
  }
  std::string out(in.size() * 2 + 64, '\0');
  for (auto _ : state) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* ip = const_cast<char*>(in.data());
    size_t il = in.size();
    char* op = out.data();
    size_t ol = out.size();
    if (iconv(cd, &ip, &il, &op, &ol) == static_cast<size_t>(-1)) {
      state.SkipWithError("iconv failed on the corpus");
      break;
    }
    iconv(cd, nullptr, nullptr, &op, &ol);
    benchmark::DoNotOptimize(op);
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * in.size()));
}

void BM_Iconv_SjisToEuc(benchmark::State& s) { IconvRun(s, Sjis(), "SHIFT_JIS", "EUC-JP"); }
void BM_Iconv_EucToSjis(benchmark::State& s) { IconvRun(s, Euc(), "EUC-JP", "SHIFT_JIS"); }
void BM_Iconv_SjisToJis(benchmark::State& s) { IconvRun(s, Sjis(), "SHIFT_JIS", "ISO-2022-JP"); }
void BM_Iconv_JisToSjis(benchmark::State& s) { IconvRun(s, Jis(), "ISO-2022-JP", "SHIFT_JIS"); }

}  // namespace

BENCHMARK(BM_SjisToEuc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Iconv_SjisToEuc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EucToSjis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Iconv_EucToSjis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SjisToJis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Iconv_SjisToJis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JisToSjis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Iconv_JisToSjis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EucToJis)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JisToEuc)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Base64Encode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HalfToFullWidth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullToHalfWidth)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HalfKanaToFullKana)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WideSpaceToBlanks)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();

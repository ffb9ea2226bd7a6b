// In-process archive benchmarks: -lh5- packing and unpacking of the
// Japanese corpus (the file named by NAVIRT_ARC_CORPUS, else the one
// bench_codec.sh / bench_archive.sh leave in <build>/bench-data, else
// bench/codec_prose.txt repeated to 64 MiB), and the ZIP central-directory
// walk over 20,000 entries.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "archive/libs/Lzh.h"
#include "archive/libs/Zip.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"

using namespace navirt;
using namespace navirt::arc;

namespace {

const std::string& Corpus() {
  static const std::string corpus = [] {
    std::string data;
    const char* env = std::getenv("NAVIRT_ARC_CORPUS");
    std::string built = std::string(NAVIRT_BINARY_DIR) + "/bench-data/codec-sjis.txt";
    if (env && ReadWholeFile(env, data) && !data.empty()) return data;
    if (ReadWholeFile(built, data) && data.size() >= (64u << 20)) return data;
    if (ReadWholeFile(std::string(NAVIRT_BINARY_DIR) + "/bench-data/archive/jp-corpus.txt", data) && !data.empty())
      return data;
    std::string prose;
    ReadWholeFile(std::string(NAVIRT_SOURCE_DIR) + "/bench/codec_prose.txt", prose);
    prose = Utf8ToCp932(prose);
    data.clear();
    // Numbered copies, so no two 8 KiB windows are the same.
    for (int k = 0; data.size() < (64u << 20) && !prose.empty(); ++k) data += std::to_string(k) + prose;
    return data;
  }();
  return corpus;
}

void BM_Lh5Encode(benchmark::State& state) {
  const std::string& c = Corpus();
  size_t packed = 0;
  for (auto _ : state) {
    std::string out = lzh::EncodeLh5(reinterpret_cast<const unsigned char*>(c.data()), c.size());
    packed = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.size()));
  state.counters["ratio%"] = c.empty() ? 0 : packed * 100.0 / c.size();
}
BENCHMARK(BM_Lh5Encode)->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_Lh5Decode(benchmark::State& state) {
  const std::string& c = Corpus();
  std::string packed = lzh::EncodeLh5(reinterpret_cast<const unsigned char*>(c.data()), c.size());
  bool ok;
  std::string archive =
      lzh::BuildHeader("c.txt", false, "-lh5-", packed.size(), c.size(), Crc16(0, c.data(), c.size()), 0, 0x20, ok) +
      packed + std::string(1, '\0');
  InputFile in;
  in.OpenMemory(archive);
  std::vector<ArcEntry> entries;
  std::string why;
  lzh::List(in, entries, why);
  for (auto _ : state) {
    size_t n = 0;
    int rc = lzh::Unpack(
        in, entries.at(0),
        [&](const unsigned char*, size_t len) {
          n += len;
          return true;
        },
        why);
    if (rc != kOk || n != c.size()) state.SkipWithError("decode failed");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.size()));
}
BENCHMARK(BM_Lh5Decode)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ZipCentralDirectory20k(benchmark::State& state) {
  // 20,000 stored entries, built in memory.
  std::string zipData, central;
  auto p16 = [](std::string& s, unsigned v) {
    s += char(v & 0xFF);
    s += char(v >> 8);
  };
  auto p32 = [](std::string& s, uint32_t v) {
    for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
  };
  for (int i = 0; i < 20000; ++i) {
    std::string name = "d" + std::to_string(i / 100) + "/f" + std::to_string(i) + ".txt";
    uint32_t off = static_cast<uint32_t>(zipData.size());
    p32(zipData, 0x04034B50);
    zipData += std::string(22, '\0');
    p16(zipData, static_cast<unsigned>(name.size()));
    p16(zipData, 0);
    zipData += name;
    p32(central, 0x02014B50);
    central += std::string(24, '\0');
    p16(central, static_cast<unsigned>(name.size()));
    central += std::string(12, '\0');
    p32(central, off);
    central += name;
  }
  uint32_t cd = static_cast<uint32_t>(zipData.size());
  zipData += central;
  p32(zipData, 0x06054B50);
  p32(zipData, 0);
  p16(zipData, 20000);
  p16(zipData, 20000);
  p32(zipData, static_cast<uint32_t>(central.size()));
  p32(zipData, cd);
  p16(zipData, 0);
  InputFile in;
  in.OpenMemory(zipData);
  for (auto _ : state) {
    std::vector<ArcEntry> entries;
    std::string why;
    if (zip::List(in, entries, why) != kOk || entries.size() != 20000) state.SkipWithError("walk failed");
    benchmark::DoNotOptimize(entries.data());
  }
}
BENCHMARK(BM_ZipCentralDirectory20k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The eight-unit arithmetic and the block copies of the converters' writer
// against the plain forms they stand in for.
#include "codec/PairBlock.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/ByteSink.h"
#include "codec/CodeConvert.h"

namespace navirt::detail {
namespace {

// What one unit gives by the arithmetic, 0 when it does not map.
uint16_t PlainUnit(PairKind kind, uint8_t a, uint8_t b) {
  BytePair r{};
  if (kind == PairKind::SjisToJis) {
    if (!IsMappableSjisPair(a, b)) return 0;
    r = SjisPairToJis(a, b);
  } else if (kind == PairKind::EucToSjis) {
    if (!IsEucByte(a) || !IsEucByte(b)) return 0;
    r = JisPairToSjis(a & 0x7F, b & 0x7F);
  } else {
    if (!IsJisByte(a) || !IsJisByte(b)) return 0;
    r = JisPairToSjis(a, b);
  }
  return static_cast<uint16_t>(r.first | (r.second << 8));
}

// A unit every kind maps, to fill the other lanes.
uint16_t Filler(PairKind kind) {
  return kind == PairKind::EucToSjis ? 0xA1B0 : kind == PairKind::JisToSjis ? 0x2130 : 0x9F88;
}

template <PairKind kind>
void CheckEveryUnitInEveryLane(uint16_t orMask) {
  if (!kPairBlocks) GTEST_SKIP() << "no vector unit";
  const uint16_t fill = Filler(kind);
  for (unsigned unit = 0; unit < 65536; ++unit) {
    const uint8_t a = static_cast<uint8_t>(unit >> 8), b = static_cast<uint8_t>(unit);
    const uint16_t want = PlainUnit(kind, a, b);
    const size_t lane = unit % 8;
    uint8_t in[16], out[16];
    for (size_t k = 0; k < 8; ++k) {
      in[2 * k] = static_cast<uint8_t>(fill >> 8);
      in[2 * k + 1] = static_cast<uint8_t>(fill);
    }
    in[2 * lane] = a;
    in[2 * lane + 1] = b;
    const size_t n = PairBlock<kind>(in, out, orMask);
    ASSERT_EQ(n, want ? 8 : lane) << std::hex << unit;
    if (!want) continue;
    const uint16_t got = static_cast<uint16_t>(out[2 * lane] | (out[2 * lane + 1] << 8));
    ASSERT_EQ(got, want | orMask) << std::hex << unit;
  }
}

TEST(PairBlock, EveryUnitInEveryLaneAsThePlainArithmetic) {
  CheckEveryUnitInEveryLane<PairKind::SjisToJis>(0);
  CheckEveryUnitInEveryLane<PairKind::SjisToJis>(0x8080);  // into EUC
  CheckEveryUnitInEveryLane<PairKind::EucToSjis>(0);
  CheckEveryUnitInEveryLane<PairKind::JisToSjis>(0);
}

// Random runs of mapping and other units, with and without the blocks:
// the same units taken, the same bytes written.
template <PairKind kind>
void CompareRuns(std::mt19937& rng) {
  std::vector<uint16_t> table(65536);
  for (unsigned u = 0; u < 65536; ++u) {
    // Tables are indexed by the unit as it lies in memory.
    const uint8_t first = static_cast<uint8_t>(u), second = static_cast<uint8_t>(u >> 8);
    table[u] = PlainUnit(kind, first, second);
  }
  std::vector<uint16_t> good;
  for (unsigned u = 0; u < 65536; ++u)
    if (table[u]) good.push_back(static_cast<uint16_t>(u));
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const size_t units = rng() % 40;
    for (size_t i = 0; i < units; ++i) {
      // Mostly mapping units, sometimes any two bytes.
      const uint16_t u = rng() % 6 ? good[rng() % good.size()] : static_cast<uint16_t>(rng());
      text += static_cast<char>(u & 0xFF);
      text += static_cast<char>(u >> 8);
    }
    if (rng() % 2) text += static_cast<char>(rng());
    std::string plain, blocks;
    size_t takenPlain, takenBlocks;
    // A room cut short now and then: the blocks must stop at it too.
    const size_t room = rng() % 4 ? text.size() + 32 : text.size() / 2 + 16;
    for (const bool on : {false, true}) {
      std::string& out = on ? blocks : plain;
      const uint8_t* p = Bytes(text);
      const uint8_t* e = p + text.size();
      Writer o(out, room);
      o.UseBlocks(on);
      (on ? takenBlocks : takenPlain) = o.PairRun<kind>(p, e, table.data(), 0);
      o.Finish();
    }
    ASSERT_EQ(takenBlocks, takenPlain) << round;
    ASSERT_EQ(blocks, plain) << round;
  }
}

TEST(PairBlock, RunsTakeWhatThePlainLoopTakes) {
  std::mt19937 rng(2026);
  CompareRuns<PairKind::SjisToJis>(rng);
  CompareRuns<PairKind::EucToSjis>(rng);
  CompareRuns<PairKind::JisToSjis>(rng);
}

TEST(PairBlock, AsciiCopiesStopAtTheFirstHighByte) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    std::string text(rng() % 70, 'a');
    for (char& c : text) c = static_cast<char>(rng() % 8 ? 0x20 + rng() % 0x5F : 0x80 + rng() % 0x80);
    std::string plain, blocks;
    size_t at[2];
    const size_t room = rng() % 40;  // grows as it must
    for (const bool on : {false, true}) {
      std::string& out = on ? blocks : plain;
      const uint8_t* p = Bytes(text);
      Writer o(out, room);
      o.UseBlocks(on);
      o.CopyAscii(p, Bytes(text) + text.size());
      o.Finish();
      at[on] = static_cast<size_t>(p - Bytes(text));
    }
    ASSERT_EQ(at[1], at[0]) << round;
    ASSERT_EQ(blocks, plain) << round;
    ASSERT_EQ(plain, text.substr(0, at[0]));
  }
}

}  // namespace
}  // namespace navirt::detail

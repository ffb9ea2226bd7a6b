// Sorting large texts whose repeated lines share one key copy (and texts of
// distinct lines, where the sharing is given up) against a plain stable
// sort by the collator, in both directions.
#include <gtest/gtest.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <random>

#include "edit/LineCommands.h"
#include "edit/LineStream.h"
#include "edit/PaneText.h"
#include "platform/Cp932.h"

namespace navirt {
namespace {

LineList PlainSort(const LineList& in, bool desc) {
  UErrorCode err = U_ZERO_ERROR;
  UCollator* coll = ucol_open("ja", &err);
  ucol_setStrength(coll, UCOL_QUATERNARY);
  std::vector<std::pair<std::vector<uint8_t>, size_t>> keys;
  for (size_t i = 0; i < in.size(); ++i) {
    std::u16string u = DecodeCp932Lossless(in[i]), f(u.size() * 3 + 1, u'\0');
    UErrorCode e = U_ZERO_ERROR;
    f.resize(u_strFoldCase(f.data(), int32_t(f.size()), u.data(), int32_t(u.size()), U_FOLD_CASE_DEFAULT, &e));
    std::vector<uint8_t> k(ucol_getSortKey(coll, f.data(), int32_t(f.size()), nullptr, 0));
    ucol_getSortKey(coll, f.data(), int32_t(f.size()), k.data(), int32_t(k.size()));
    keys.emplace_back(std::move(k), i);
  }
  ucol_close(coll);
  std::stable_sort(keys.begin(), keys.end(),
                   [&](const auto& a, const auto& b) { return desc ? b.first < a.first : a.first < b.first; });
  LineList out;
  for (const auto& k : keys) out.push_back(in[k.second]);
  return out;
}

TEST(SortSharing, RepeatedAndDistinctLinesSortAsThePlainSort) {
  std::mt19937 rng(31);
  const std::vector<std::string> words = {"\x82\xa0\x82\xa2", "\x83\x41\x83\x43", "abc", "ABC",
                                          "\x88\x9f\x88\xa0", "\x81\x40",         "x",   "Abc",
                                          "\x83\x6e\x83\x93"};
  auto line = [&](size_t n) {
    std::string l;
    for (size_t i = 0; i < n; ++i) l += words[rng() % words.size()];
    return l + std::to_string(rng() % 1000);
  };
  for (int round = 0; round < 2; ++round) {
    // Round 0: a few hundred distinct long lines repeated; round 1: 70,000
    // distinct lines first (the sharing is given up), a few repeats after.
    LineList in;
    if (round == 0) {
      LineList pool;
      // Long shared beginnings: keys that differ only far in.
      const std::string common = line(12);
      for (int i = 0; i < 300; ++i) pool.push_back((i % 2 ? common : "") + line(1 + rng() % 3));
      for (int i = 0; i < 80000; ++i) in.push_back(pool[rng() % pool.size()]);
    } else {
      for (int i = 0; i < 70000; ++i) in.push_back(line(4 + rng() % 6) + "#" + std::to_string(i));
      for (int i = 0; i < 2000; ++i) in.push_back(in[rng() % 70000]);
    }
    const std::string text = JoinLines(in);
    for (bool desc : {false, true}) {
      const LineList want = PlainSort(in, desc);
      EXPECT_TRUE(SortLines(in, desc) == want) << round << desc;
      EXPECT_TRUE(SortLinesText(text, desc) == JoinLines(want)) << round << desc;
    }
  }
}

}  // namespace
}  // namespace navirt

#include <gtest/gtest.h>

#include <random>

#include "platform/Cp932.h"
#include "search/PlainFind.h"
#include "tests/SjisText.h"

using namespace navirt;

namespace {

constexpr size_t npos = TPlainFinder::npos;

// Character starts by walking the text from its beginning.
std::vector<bool> WalkStarts(const std::string& t) {
  std::vector<bool> starts(t.size() + 1, false);
  for (size_t i = 0; i < t.size();) {
    starts[i] = true;
    unsigned char c = static_cast<unsigned char>(t[i]);
    i += IsSjisLead(c) && i + 1 < t.size() && IsSjisTrail(static_cast<unsigned char>(t[i + 1])) ? 2 : 1;
  }
  starts[t.size()] = true;
  return starts;
}

size_t ReferenceFind(const std::string& t, const std::string& w, size_t from, bool backward) {
  std::vector<bool> st = WalkStarts(t);
  auto ok = [&](size_t p) { return st[p] && t.compare(p, w.size(), w) == 0 && st[p + w.size()]; };
  if (w.empty() || w.size() > t.size()) return npos;
  if (!backward) {
    for (size_t p = from; p + w.size() <= t.size(); ++p)
      if (ok(p)) return p;
    return npos;
  }
  for (size_t p = std::min(from, t.size() - w.size()) + 1; p-- > 0;)
    if (ok(p)) return p;
  return npos;
}

}  // namespace

TEST(PlainFind, NeverLandsInsideACharacter) {
  // 表 = 95 5C, ソ = 83 5C, ァ = 83 40.
  std::string text = S("表示ソァ");
  EXPECT_EQ(TPlainFinder("\\").FindFrom(text, 0), npos);
  EXPECT_EQ(TPlainFinder("@").FindFrom(text, 0), npos);
  EXPECT_EQ(TPlainFinder("\\").FindBackFrom(text, text.size()), npos);
  std::string mixed = S("表") + "\\" + S("ソ") + "@";
  EXPECT_EQ(TPlainFinder("\\").FindFrom(mixed, 0), 2u);
  EXPECT_EQ(TPlainFinder("@").FindFrom(mixed, 0), 5u);
  EXPECT_EQ(TPlainFinder("\\").FindBackFrom(mixed, mixed.size()), 2u);
  // A run of pairs whose both bytes are lead values: 亜 = 88 9F.
  std::string run = S("亜亜亜");
  EXPECT_EQ(TPlainFinder("\x9F\x88").FindFrom(run, 0), npos);
  EXPECT_EQ(TPlainFinder(S("亜")).FindFrom(run, 1), 2u);
  EXPECT_EQ(TPlainFinder(S("亜")).FindBackFrom(run, 3), 2u);
  // A lone lead byte at the search text's end may not take a trail byte.
  EXPECT_EQ(TPlainFinder("\x88").FindFrom(run, 0), npos);
  EXPECT_EQ(TPlainFinder("\x88").FindFrom(std::string("x\x88 "), 0), 1u);
  EXPECT_TRUE(IsCharStart(run, 0));
  EXPECT_FALSE(IsCharStart(run, 3));
  EXPECT_TRUE(IsCharStart(run, run.size()));
}

TEST(PlainFind, AgreesWithAWalkFromTheStart) {
  const unsigned char alphabet[] = {0x81, 0x88, 0x9F, 0xE0, 0x5C, 0x40, 'a', 'A', ' ', '\n', 0xA6, 0x7F};
  std::mt19937 rng(12);
  for (int round = 0; round < 3000; ++round) {
    std::string t, w;
    int n = 1 + int(rng() % 40), m = 1 + int(rng() % 3);
    for (int i = 0; i < n; ++i) t += char(alphabet[rng() % sizeof alphabet]);
    for (int i = 0; i < m; ++i) w += char(alphabet[rng() % sizeof alphabet]);
    size_t from = rng() % (t.size() + 1);
    auto hex = [](const std::string& s) {
      std::string h;
      char buf[4];
      for (unsigned char c : s) {
        snprintf(buf, sizeof buf, "%02X ", c);
        h += buf;
      }
      return h;
    };
    ASSERT_EQ(TPlainFinder(w).FindFrom(t, from), ReferenceFind(t, w, from, false))
        << round << " t=" << hex(t) << " w=" << hex(w) << " from=" << from;
    ASSERT_EQ(TPlainFinder(w).FindBackFrom(t, from), ReferenceFind(t, w, from, true)) << round;
    std::vector<bool> st = WalkStarts(t);
    for (size_t p = 0; p <= t.size(); ++p) ASSERT_EQ(IsCharStart(t, p), st[p]) << round << " at " << p;
    // Told any character start at or before from, the search agrees.
    for (size_t k = 0; k <= from; ++k) {
      if (st[k]) {
        ASSERT_EQ(TPlainFinder(w).FindFrom(t, from, k), ReferenceFind(t, w, from, false)) << round << " k=" << k;
      }
    }
  }
}

TEST(PlainFind, CaseFoldingTouchesSingleByteLettersOnly) {
  PlainOptions nocase{false, false};
  EXPECT_EQ(TPlainFinder("ABC", nocase).FindFrom("xabc", 0), 1u);
  EXPECT_EQ(TPlainFinder("ABC").FindFrom("xabc", 0), npos);
  EXPECT_EQ(TPlainFinder("abc", nocase).FindBackFrom("ABCx", 3), 0u);
  // ヂ = 83 61 and ア = 83 41: the trail bytes look like "a" and "A".
  EXPECT_EQ(TPlainFinder(S("ア"), nocase).FindFrom(S("ヂ"), 0), npos);
  EXPECT_EQ(TPlainFinder(S("ヂ"), nocase).FindFrom(S("xヂ"), 0), 1u);
  EXPECT_EQ(TPlainFinder(S("ｱa"), nocase).FindFrom(S("ｱA"), 0), 0u);
}

TEST(PlainFind, WholeWordNeedsDelimitersOnBothSides) {
  PlainOptions word{true, true};
  TPlainFinder foo("foo", word);
  EXPECT_EQ(foo.FindFrom("foo", 0), 0u);
  EXPECT_EQ(foo.FindFrom("foobar foo_", 0), 7u);  // "_" is a delimiter
  EXPECT_EQ(foo.FindFrom("xfoo", 0), npos);
  EXPECT_EQ(foo.FindFrom(S("ｱfooｲ"), 0), 1u);                         // half-width katakana delimit
  EXPECT_EQ(TPlainFinder("_foo", word).FindFrom(" _foo ", 0), npos);  // a word begins with a word byte
  EXPECT_TRUE(IsWordDelimiter('_'));
  EXPECT_TRUE(IsWordDelimiter('{'));  // the first of 7B-80
  EXPECT_EQ(foo.FindFrom("{foo}", 0), 1u);
  EXPECT_FALSE(IsWordDelimiter('z'));
  EXPECT_FALSE(IsWordDelimiter('9'));
  EXPECT_FALSE(IsWordDelimiter(0x81));
  EXPECT_TRUE(IsWordDelimiter(0xFD));
}

TEST(PlainFind, ReplaceGoesOnAfterEachMatch) {
  std::string t = "aaa";
  EXPECT_EQ(ReplacePlain(t, "a", "aa"), 3);
  EXPECT_EQ(t, "aaaaaa");
  t = "aaa";
  EXPECT_EQ(ReplacePlain(t, "a", "b"), 3);
  EXPECT_EQ(t, "bbb");
  t = S("表示") + "\\n";
  EXPECT_EQ(ReplacePlain(t, "\\", "/"), 1);
  EXPECT_EQ(t, S("表示") + "/n");
  t = "none";
  EXPECT_EQ(ReplacePlain(t, "x", "y"), 0);
  EXPECT_EQ(t, "none");
  EXPECT_EQ(ReplacePlain(t, "", "y"), 0);
  t = "foo foobar foo";
  EXPECT_EQ(ReplacePlain(t, "FOO", "X", {false, true}), 2);
  EXPECT_EQ(t, "X foobar X");
}

TEST(PlainFind, LinesAndCentring) {
  std::string t = "a\r\nb\rc\nd";
  EXPECT_EQ(LineOfOffset(t, 0), 0);
  EXPECT_EQ(LineOfOffset(t, 3), 1);
  EXPECT_EQ(LineOfOffset(t, 5), 2);
  EXPECT_EQ(LineOfOffset(t, 7), 3);
  EXPECT_EQ(LineOfOffset(t, 100), 3);
  EXPECT_EQ(LineOfOffset("a\r", 2), 1);  // a CR that ends the text ends its line
  EXPECT_EQ(CentreScrollLines(10, 31), 10);
  EXPECT_EQ(CentreScrollLines(10, 10), 0);
}

#include <gtest/gtest.h>

#include <algorithm>

#include "regex/bmRegExp.h"
#include "tests/SjisText.h"

using namespace navirt;

namespace {

struct ErrorCase {
  std::string expr;
  const char* message;
  int pos;
};

TEST(RegexParser, EveryMessageWithItsPosition) {
  const ErrorCase cases[] = {
      {"\x81", kMsgBadDbcs, 1},         {"ab\x82", kMsgBadDbcs, 3},   {"\\", kMsgNeedCharAfterBs, 2},
      {"ab\\", kMsgNeedCharAfterBs, 4}, {"\\xg", kMsgBadHex, 3},      {"\\x", kMsgBadHex, 3},
      {"\\400000", kMsgBadOctal, 8},    {"[", kMsgNeedRBracket, 2},   {"[a", kMsgNeedRBracket, 3},
      {"[a-", kMsgNeedRBracket, 4},     {"[ab", kMsgNeedRBracket, 4}, {"[z-a]", kMsgBadRange, 5},
      {"[]", kMsgBadClass, 3},          {"[^]", kMsgBadClass, 4},     {"[]a]", kMsgBadClass, 3},
      {"(a", kMsgNeedRPar, 3},          {"((a)", kMsgNeedRPar, 5},    {"*a", kMsgNeedPrimary, 2},
      {"a**", kMsgNeedPrimary, 4},      {"a+?", kMsgNeedPrimary, 4},  {"]", kMsgNeedPrimary, 2},
      {"a)", kMsgExtraChars, 3},
  };
  for (const ErrorCase& c : cases) {
    TREParser p(c.expr);
    try {
      p.Run();
      ADD_FAILURE() << "no error for " << c.expr;
    } catch (const ERegExpParser& e) {
      EXPECT_STREQ(e.what(), c.message) << c.expr;
      EXPECT_EQ(e.ErrorPos, c.pos) << c.expr;
    }
  }
}

// The leaves of a parsed expression as (low, high) pairs.
std::vector<std::pair<int, int>> Leaves(const std::string& expr) {
  TREParser p(expr);
  p.Run();
  std::vector<std::pair<int, int>> out;
  for (const RENode* n : p.ParseTree().Leaves()) out.push_back({n->Low, n->High});
  std::sort(out.begin(), out.end());
  return out;
}

// A range of one character is a range, not an error.
TEST(RegexParser, OneCharacterRange) {
  EXPECT_EQ(Leaves("[a-a]"), (std::vector<std::pair<int, int>>{{'a', 'a'}}));
  EXPECT_EQ(Leaves("[a-b]"), (std::vector<std::pair<int, int>>{{'a', 'b'}}));
}

TEST(RegexParser, TreeShapes) {
  for (const char* e : {"", "()"}) {
    TREParser p(e);
    p.Run();
    EXPECT_EQ(p.Root()->Op, reop_Empty) << e;
  }
  TREParser alt("a|");
  alt.Run();
  ASSERT_EQ(alt.Root()->Op, reop_Union);
  EXPECT_EQ(alt.Root()->Left->Op, reop_Char);
  EXPECT_EQ(alt.Root()->Right->Op, reop_Empty);

  // "x+" is x followed by the closure of the same subtree.
  TREParser plus("x+");
  plus.Run();
  ASSERT_EQ(plus.Root()->Op, reop_Concat);
  EXPECT_EQ(plus.Root()->Right->Op, reop_Closure);
  EXPECT_EQ(plus.Root()->Left, plus.Root()->Right->Left);
}

TEST(RegexParser, ClassesAndEscapes) {
  using V = std::vector<std::pair<int, int>>;
  EXPECT_EQ(Leaves("[\\]a]"), (V{{']', ']'}, {'a', 'a'}}));
  EXPECT_EQ(Leaves("[a-]"), (V{{'-', '-'}, {'a', 'a'}}));
  EXPECT_EQ(Leaves("[-a]"), (V{{'-', '-'}, {'a', 'a'}}));
  EXPECT_EQ(Leaves(S("[ぁ-ん]")), (V{{0x829F, 0x82F1}}));
  EXPECT_EQ(Leaves("\\x41"), (V{{'A', 'A'}}));
  EXPECT_EQ(Leaves("\\101"), (V{{'A', 'A'}}));
  EXPECT_EQ(Leaves("\\x12345"), (V{{'5', '5'}, {0x1234, 0x1234}}));
  EXPECT_EQ(Leaves("[\\x20-\\x7e]"), (V{{0x20, 0x7E}}));
  EXPECT_EQ(Leaves("\\t\\n\\r\\b\\."), (V{{8, 8}, {9, 9}, {10, 10}, {13, 13}, {'.', '.'}}));
  // "." and negated classes stay within 1-9, 11-12, 14-0xFCFC.
  EXPECT_EQ(Leaves("."), (V{{1, 9}, {11, 12}, {14, 0xFCFC}}));
  V negated{{1, 9}, {11, 12}, {14, 'a' - 1}, {'d', 0xFCFC}};
  EXPECT_EQ(Leaves("[^acb]"), negated);
  EXPECT_EQ(Leaves("[^cab]"), negated);
  // A double-byte member splits the range around its code.
  EXPECT_EQ(Leaves(S("[^あ]")), (V{{1, 9}, {11, 12}, {14, 0x829F}, {0x82A1, 0xFCFC}}));
}

TEST(RegexParser, NegatedClassOfEverythingMatchesNothing) {
  TREParser p("[^\\x01-\\xfcfc]");
  ASSERT_NO_THROW(p.Run());
  EXPECT_EQ(p.Root()->Op, reop_Nothing);
  TAWKStr awk;
  awk.SetRegExp("[^\\x01-\\xfcfc]");
  EXPECT_EQ(awk.Match("abc"), 0);
}

TEST(RegexParser, RefinementMakesLeavesDisjoint) {
  for (const char* expr :
       {"[a-m][f-z]", "[a-z]b", "[a-c][a-z]", "[c-f][a-f]", "[a-z][m-z]x[b-y]", "[a-e]|[c-h]|[b-d]"}) {
    TREParser p(expr);
    p.Run();
    const auto& leaves = p.ParseTree().Leaves();
    for (size_t i = 0; i < leaves.size(); ++i)
      for (size_t j = i + 1; j < leaves.size(); ++j)
        EXPECT_TRUE(leaves[i]->High < leaves[j]->Low || leaves[j]->High < leaves[i]->Low)
            << expr << ": " << leaves[i]->Low << "-" << leaves[i]->High << " / " << leaves[j]->Low << "-"
            << leaves[j]->High;
  }
  // Refinement keeps what the expression matches.
  TAWKStr awk;
  awk.SetRegExp("[a-m][f-z]");
  EXPECT_EQ(awk.Match("ag"), 1);
  EXPECT_EQ(awk.Match("zf"), 0);
  EXPECT_EQ(awk.Match("mz"), 1);
  EXPECT_EQ(awk.Match("na"), 0);
  awk.SetRegExp("[a-z]b");
  EXPECT_EQ(awk.Match("bb"), 1);
  awk.SetRegExp("[a-e]|[c-h]|[b-d]");
  EXPECT_EQ(awk.Match("h"), 1);
  EXPECT_EQ(awk.Match("i"), 0);
}

TEST(RegexParser, UngetStepsOverDoubleByteCharacters) {
  std::string s = S("aあい");  // a, 82A0, 82A2
  int pos = 6;
  REUngetChar(s, pos);
  EXPECT_EQ(pos, 4);
  REUngetChar(s, pos);
  EXPECT_EQ(pos, 2);
  REUngetChar(s, pos);
  EXPECT_EQ(pos, 1);
  REUngetChar(s, pos);
  EXPECT_EQ(pos, 1);
}

TEST(RegexParser, DeepNestingIsRefusedNotCrashing) {
  std::string deep(5000, '(');
  deep += "a";
  deep += std::string(5000, ')');
  TREParser p(deep);
  try {
    p.Run();
    ADD_FAILURE();
  } catch (const ERegExpParser& e) {
    EXPECT_STREQ(e.what(), kMsgTooComplex);
  }
  // Long flat expressions are fine.
  TAWKStr awk;
  std::string flat;
  for (int i = 0; i < 3000; ++i) flat += "ab|";
  flat += "zz";
  awk.SetRegExp(flat);
  EXPECT_EQ(awk.Match("xxzz"), 3);
}

TEST(RegexParser, StateExplosionIsReportedAsTooComplex) {
  // Nested "+" doubles the NFA at every level.
  std::string e = "a";
  for (int i = 0; i < 22; ++i) e = "(" + e + ")+";
  TAWKStr awk;
  awk.SetRegExp("ok");
  try {
    awk.SetRegExp(e);
    ADD_FAILURE();
  } catch (const ERegExpParser& ex) {
    EXPECT_STREQ(ex.what(), kMsgTooComplex);
  }
  EXPECT_EQ(awk.RegExp(), "");
  // A DFA that grows exponentially with n.
  std::string d = "(a|b)*a";
  for (int i = 0; i < 16; ++i) d += "(a|b)";
  EXPECT_THROW(awk.SetRegExp(d), ERegExpParser);
}

}  // namespace

#include <gtest/gtest.h>

#include "regex/bmRegExp.h"
#include "tests/SjisText.h"

using namespace navirt;

namespace {

// "position length" of TAWKStr.Match, 1-based.
std::string M(TAWKStr& awk, const std::string& expr, const std::string& text) {
  awk.SetRegExp(expr);
  int len = 0;
  int pos = awk.Match(text, &len);
  return std::to_string(pos) + " " + std::to_string(len);
}

std::string G(TAWKStr& awk, const std::string& expr, const std::string& templ, std::string text, int* count) {
  awk.SetRegExp(expr);
  *count = awk.GSub(templ, text);
  return text;
}

TEST(RegexMatch, LeftmostLongest) {
  TAWKStr awk;
  EXPECT_EQ(M(awk, "ab|a", "abc"), "1 2");
  EXPECT_EQ(M(awk, "a|ab", "abc"), "1 2");
  EXPECT_EQ(M(awk, "(a|ab)(c|bcd)", "abcd"), "1 4");
  EXPECT_EQ(M(awk, "a*", "bbb"), "1 0");
  EXPECT_EQ(M(awk, "b+", "abbbc"), "2 3");
  EXPECT_EQ(M(awk, "x", "abc"), "0 0");
  EXPECT_EQ(M(awk, "", "abc"), "1 0");
}

TEST(RegexMatch, AnchorRules) {
  TAWKStr awk;
  // "^" anchors only at the start, "$" only at the end.
  EXPECT_EQ(M(awk, "a^b", "xa^b"), "2 3");
  EXPECT_FALSE(awk.HasLHead());
  EXPECT_EQ(M(awk, "(^a|^b)", "xb\nb"), "4 1");
  EXPECT_TRUE(awk.HasLHead());
  EXPECT_EQ(M(awk, "(^a|^b)", "xb"), "0 0");
  EXPECT_EQ(M(awk, "x*^", "xx^"), "1 3");
  EXPECT_FALSE(awk.HasLHead());
  EXPECT_EQ(M(awk, "a$b", "a$b"), "1 3");
  EXPECT_EQ(M(awk, "^b", "a\nb"), "3 1");
  EXPECT_EQ(M(awk, "^a|b", "b"), "1 1");
  EXPECT_EQ(M(awk, "^abc", "abcd"), "1 3");
  EXPECT_EQ(M(awk, "^$", ""), "1 0");
  EXPECT_EQ(M(awk, "^$", "a\r\n\r\nb"), "4 0");
}

TEST(RegexMatch, LineTailFollowsTheSeparator) {
  TAWKStr awk;
  EXPECT_EQ(M(awk, "x$", "x\r\n"), "1 1");
  EXPECT_EQ(M(awk, "x$", "ax"), "2 1");
  EXPECT_EQ(M(awk, "x$", "x\n"), "0 0");
  EXPECT_EQ(M(awk, "$", "ab\r\ncd\r\n"), "3 0");
  EXPECT_EQ(M(awk, "$", "ab"), "3 0");
  awk.LineSeparator = mcls_LF;
  EXPECT_EQ(M(awk, "x$", "x\n"), "1 1");
  EXPECT_EQ(M(awk, "x$", "x\r\n"), "0 0");
}

TEST(RegexMatch, DoubleByteBoundaries) {
  TAWKStr awk;
  std::string a = S("ア");  // 0x83 0x41: its trail byte is "A"
  EXPECT_EQ(M(awk, "A", a), "0 0");
  EXPECT_EQ(M(awk, "A", a + "A"), "3 1");
  EXPECT_EQ(M(awk, S("[ア-ン]+"), S("xアイウz")), "2 6");
  EXPECT_EQ(M(awk, S("[亜-熙]+ア"), S("漢字ア")), "1 6");
  EXPECT_EQ(M(awk, ".", a), "1 2");
  EXPECT_EQ(M(awk, "[^a]", a), "1 2");
  // "\xffff" is indistinguishable from an e-move.
  EXPECT_EQ(M(awk, "\\xffff", "abc"), "1 0");
}

TEST(RegexMatch, GSubFollowsTheEmptyMatchRules) {
  TAWKStr awk;
  int n = 0;
  EXPECT_EQ(G(awk, "a", "<&>", "banana", &n), "b<a>n<a>n<a>");
  EXPECT_EQ(n, 3);
  EXPECT_EQ(G(awk, "x*", "-", "abc", &n), "-a-b-c");
  EXPECT_EQ(n, 3);
  EXPECT_EQ(G(awk, "^", "> ", "a\r\nb", &n), "> a\r\n> b");
  EXPECT_EQ(n, 2);
  EXPECT_EQ(G(awk, "x*", "-", "\r\nb", &n), "-\r\n-b");
  EXPECT_EQ(n, 2);
  EXPECT_EQ(G(awk, "x*", "-", "", &n), "-");
  EXPECT_EQ(n, 1);
  EXPECT_EQ(G(awk, "q", "-", "abc", &n), "abc");
  EXPECT_EQ(n, 0);
  EXPECT_EQ(G(awk, "b", "", "abcb", &n), "ac");
  EXPECT_EQ(n, 2);
  // A double-byte character moves as one unit after an empty match.
  EXPECT_EQ(G(awk, "x*", "-", S("あ"), &n), "-" + S("あ"));
  EXPECT_EQ(n, 1);
  EXPECT_EQ(G(awk, "$", ";", "a\r\nb", &n), "a;\r\nb;");
  EXPECT_EQ(n, 2);
}

TEST(RegexMatch, ReplacementTemplates) {
  EXPECT_EQ(TAWKStr::ExpandReplacement("\\&&", "x"), "&x");
  EXPECT_EQ(TAWKStr::ExpandReplacement("[&]\\n\\t\\\\", "ab"), "[ab]\n\t\\");
  EXPECT_EQ(TAWKStr::ExpandReplacement(S("表&"), "x"), S("表") + "x");  // 表 ends in 0x5C
  try {
    TAWKStr::ExpandReplacement("ab\\", "x");
    ADD_FAILURE();
  } catch (const ERegExpParser& e) {
    EXPECT_STREQ(e.what(), kMsgNeedCharAfterBs);
  }
  EXPECT_EQ(TAWKStr::ProcessEscSeq("\\x4142"), "B");
  EXPECT_EQ(TAWKStr::ProcessEscSeq("a\\x41\\101\\n\\q"), "aAA\nq");
  EXPECT_EQ(TAWKStr::ProcessEscSeq("\\x82a0"), S("あ"));
  EXPECT_EQ(TAWKStr::ProcessEscSeq(std::string("a\0b", 3)), std::string("a\0b", 3));
  EXPECT_THROW(TAWKStr::ProcessEscSeq("\\xq"), ERegExpParser);
}

TEST(RegexCache, EvictionOrderEntryZeroAndErrors) {
  TAWKStr awk;
  ASSERT_EQ(awk.CacheCount(), 1);
  EXPECT_EQ(awk.CacheKey(0), "");
  for (int i = 0; i < 30; ++i) awk.SetRegExp("e" + std::to_string(i));
  EXPECT_EQ(awk.CacheCount(), 30);
  // The newest sits at 1; the first one left when the 30th came in.
  EXPECT_EQ(awk.CacheKey(0), "");
  EXPECT_EQ(awk.CacheKey(1), "e29");
  EXPECT_EQ(awk.CacheKey(29), "e1");
  // A hit makes its entry current and moves nothing.
  awk.SetRegExp("e5");
  EXPECT_EQ(awk.CurrentIndex(), 25);
  EXPECT_EQ(awk.CacheKey(1), "e29");
  EXPECT_EQ(awk.Match("xe5"), 2);
  awk.SetRegExp("new");
  EXPECT_EQ(awk.CacheKey(29), "e2");
  EXPECT_EQ(awk.CacheKey(1), "new");

  // A syntax error: the entry goes, the empty expression is current.
  int before = awk.CacheCount();
  EXPECT_THROW(awk.SetRegExp("(a"), ERegExpParser);
  EXPECT_EQ(awk.RegExp(), "");
  EXPECT_EQ(awk.CurrentIndex(), 0);
  EXPECT_EQ(awk.CacheCount(), before - 1);  // the full cache dropped its oldest first
  EXPECT_EQ(awk.Match("abc"), 1);           // the empty expression matches at once

  // With a dictionary on, the expansion finds the error before the cache.
  awk.SetRegExp("abc");
  awk.SetUseFuzzyCharDic(true);
  int current = awk.CurrentIndex();
  std::string key = awk.CacheKey(current);
  EXPECT_THROW(awk.SetRegExp("[abc"), ERegExpParser);
  EXPECT_EQ(awk.RegExp(), "abc");
  EXPECT_EQ(awk.CacheKey(awk.CurrentIndex()), key);
}

TEST(RegexDictionary, ExpansionExamples) {
  TREPreProcessor pre;
  pre.FuzzyCharDicList.push_back(&REBuiltinFuzzyCharDic());
  std::string in = S("a[a][^a]か.\\.(x)*ｶﾞ");
  EXPECT_EQ(pre.Run(in), in);  // both flags off: unchanged
  pre.UseFuzzyCharDic = true;
  EXPECT_EQ(pre.Run(S("aか1")), S("(Ａ|ａ|A|a)(か|カ|ｶ)(1|１|一|①|Ⅰ|壱)"));
  EXPECT_EQ(pre.Run("[a][^a]"), "[a][^a]");
  EXPECT_EQ(pre.Run(S("ｶﾞ")), S("(が|ガ|ｶﾞ|か゛|カ゛)"));
  EXPECT_EQ(pre.Run(S("ｶ")), S("(か|カ|ｶ)"));
  EXPECT_EQ(pre.Run("ka"), S("(Ｋ|ｋ|K|k)(Ａ|ａ|A|a)"));
  EXPECT_EQ(pre.Run("\\x41"), S("(Ａ|ａ|A|a)"));
  EXPECT_EQ(pre.Run("a*"), S("(Ａ|ａ|A|a)*"));
  EXPECT_EQ(pre.Run("\\."), S("(｡|\\.|。|．)"));
  EXPECT_EQ(pre.Run("."), ".");
  EXPECT_EQ(pre.Run("^\\^$"), S("^(\\^|＾)$"));
  EXPECT_EQ(pre.Run("\\\\"), S("(\\\\|￥)"));
  EXPECT_THROW(pre.Run("[a"), ERegExpParser);
}

TEST(RegexDictionary, BuiltinGroups) {
  const REDictionary& d = REBuiltinFuzzyCharDic();
  ASSERT_EQ(d.size(), 145u);
  EXPECT_EQ(d[0], (std::vector<std::string>{S("Ａ"), S("ａ"), "A", "a"}));
  EXPECT_EQ(d[36], (std::vector<std::string>{S("　"), " "}));
  EXPECT_EQ(d[38], (std::vector<std::string>{"\"", S("”")}));
  EXPECT_EQ(d[68], (std::vector<std::string>{",", S("､"), S("、"), S("，")}));
  EXPECT_EQ(d[144], (std::vector<std::string>{S("ﾟ"), S("゜")}));
  // Every item converted without loss.
  for (size_t g = 0; g < d.size(); ++g) {
    if (g == 57) continue;
    for (const std::string& item : d[g]) EXPECT_EQ(item.find('?'), std::string::npos) << g;
  }
  EXPECT_EQ(REParseDictionaryLine("\"a,b\", c ,\"\"\"\""), (std::vector<std::string>{"a,b", "c", "\""}));
}

TEST(RegexDictionary, FuzzyMatching) {
  TAWKStr awk;
  awk.SetUseFuzzyCharDic(true);
  EXPECT_EQ(M(awk, "abc", S("xＡｂC")), "2 5");
  EXPECT_EQ(M(awk, S("がっこう"), S("ｶﾞｯｺｳ")), "1 5");
  EXPECT_EQ(M(awk, "[a]", "A"), "0 0");
  // Turning the dictionary off recompiles the current expression.
  awk.SetRegExp("abc");
  awk.SetUseFuzzyCharDic(false);
  EXPECT_EQ(awk.Match("ABC"), 0);
  EXPECT_EQ(awk.Match("abc"), 1);
}

TEST(RegexDfa, TableAndListAgree) {
  TAWKStr awk;
  for (const char* e : {"[a-z]+[0-9]*x", "(ab|cd)*e", ".[^b]", "a^b$c"}) {
    awk.SetRegExp(e);
    const TRE_DFA& d = awk.DFA();
    for (int s = 0; s < d.StateCount(); ++s) {
      for (const auto& t : d.State(s).Transitions) EXPECT_LE(t.Low, t.High);
      for (uint32_t c : {0u, 1u, 10u, 'a' + 0u, 'b' + 0u, 'x' + 0u, '^' + 0u, '$' + 0u, 0x82A0u, 0xFCFCu, 0xFFFDu})
        EXPECT_EQ(d.Step(s, c), d.StepByList(s, c)) << e << " state " << s << " code " << c;
    }
  }
  awk.SetRegExp("abc");
  EXPECT_TRUE(awk.IsLiteral());
  EXPECT_EQ(awk.LiteralText(), "abc");
  awk.SetRegExp("ab*");
  EXPECT_FALSE(awk.IsLiteral());
}

}  // namespace

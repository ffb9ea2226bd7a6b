// The line automaton decides exactly what TAWKStr's search decides for a
// line: random expressions (anchors anywhere, repeats, classes, double-byte
// characters whose second byte is "\" or a letter) over random lines (lone
// lead bytes, zero bytes, a lead byte cut by the line's end).
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "regex/RELineAutomaton.h"
#include "tests/SjisText.h"

using namespace navirt;

namespace {

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}
  std::string Expr(int depth = 0) {
    std::string e;
    int n = 1 + int(rng_() % 3);
    for (int i = 0; i < n; ++i) e += Factor(depth);
    if (rng_() % 5 == 0) e += "|" + Expr(depth + 1 > 2 ? 2 : depth + 1);
    if (depth == 0 && rng_() % 4 == 0) e = "^" + e;
    if (depth == 0 && rng_() % 4 == 0) e += "$";
    return e;
  }
  std::string Line() {
    // 表 and ソ end in 0x5C, ア in "A"; 0x95 alone before "\" makes 表.
    static const char* pieces[] = {"a",        "b",        "Q",        "x",    "A",    "\\", "\x95\x5c", "\x83\x5c",
                                   "\x83\x41", "\x88\x9f", "\xea\xa4", "\x95", "\x83", " ",  "1",        "."};
    std::string t;
    int n = int(rng_() % 14);
    for (int i = 0; i < n; ++i) {
      unsigned k = rng_() % 18;
      if (k == 16)
        t += '\0';
      else if (k == 17)
        t += "aa";
      else
        t += pieces[k];
    }
    return t;
  }

 private:
  std::string Factor(int depth) {
    static const char* atoms[] = {
        "a", "b",     "Q", ".", "[ab]",     "[^a]", "\x95\x5c", "\\\\", "\x83\x41", "[\x88\x9f-\xea\xa4]",
        "A", "[a-c]", "^", "$", "\x83\x5c", "[0-9]"};
    constexpr unsigned kAtoms = sizeof atoms / sizeof *atoms;
    std::string p = depth < 2 && rng_() % 6 == 0 ? "(" + Expr(depth + 1) + ")" : atoms[rng_() % kAtoms];
    switch (rng_() % 6) {
      case 0:
        return p + "*";
      case 1:
        return p + "+";
      case 2:
        return p + "?";
      default:
        return p;
    }
  }
  std::mt19937 rng_;
};

TEST(LineAutomaton, DecidesWhatTheSearchDecides) {
  Generator gen(4242);
  int compared = 0, built = 0, matched = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string expr = gen.Expr();
    TAWKStr awk;
    awk.LineSeparator = round % 2 ? mcls_LF : mcls_CRLF;
    try {
      awk.SetUseFuzzyCharDic(round % 7 == 0);
      awk.SetRegExp(expr);
    } catch (const ERegExpParser&) {
      continue;
    }
    auto a = TRELineAutomaton::Build(awk);
    if (!a) continue;
    ++built;
    for (int t = 0; t < 12; ++t) {
      std::string line = t == 0 ? std::string() : gen.Line();
      bool want = awk.Search(line).Found;
      ASSERT_EQ(a->Matches(line), want) << "expression " << expr << " line " << line;
      matched += want;
      ++compared;
    }
  }
  EXPECT_GT(built, 2000);
  // Both answers are common, so neither a constant could pass.
  EXPECT_GT(matched, compared / 5);
  EXPECT_LT(matched, compared * 4 / 5);
}

TEST(LineAutomaton, CharacterBoundariesAndLineEdges) {
  TAWKStr awk;
  auto check = [&](const std::string& expr, const std::string& line, bool want) {
    awk.SetRegExp(expr);
    auto a = TRELineAutomaton::Build(awk);
    ASSERT_TRUE(a) << expr;
    EXPECT_EQ(a->Matches(line), want) << expr << " / " << line;
    EXPECT_EQ(awk.Search(line).Found, want) << expr << " / " << line;
  };
  // "\" and "A" never match the second byte of 表 or ア.
  check("\\\\", S("表"), false);
  check("\\\\", S("表\\"), true);
  check("A", S("ア"), false);
  check("[A-Z]+", S("アイウ"), false);
  check(S("[亜-熙]+ア"), S("漢字ア"), true);
  check(S("[亜-熙]+ア"), S("かなア"), false);
  // A zero byte ends what is searched.
  check("b", std::string("a\0b", 3), false);
  check("a$", std::string("a\0b", 3), true);
  // Anchors at the line's edges; an empty line.
  check("^$", "", true);
  check("^a", "ba", false);
  check("a$", "ab", false);
  check("$", "xyz", true);
  check("", "", true);
  check("x*", "", true);
  // A lead byte cut by the line's end reads alone.
  check(".$", "\x95", true);
  check("a.", "a\x95", true);
}

TEST(LineAutomaton, TooLargeIsRefused) {
  // The set automaton of "the 14th character from the end is an a" needs a
  // state per pattern of the last 14 characters.
  TAWKStr awk;
  std::string expr = "a";
  for (int i = 0; i < 14; ++i) expr += "[ab]";
  awk.SetRegExp(expr);
  EXPECT_EQ(TRELineAutomaton::Build(awk), nullptr);
  awk.SetRegExp("a[ab][ab][ab]");
  auto small = TRELineAutomaton::Build(awk);
  ASSERT_TRUE(small);
  EXPECT_TRUE(small->Matches("bbabbb"));
  EXPECT_FALSE(small->Matches("bbbabb"));
}

}  // namespace

namespace {

// Long lines of double-byte characters where the bytes an expression starts
// with also stand as second bytes (表 and ソ end in "\", ア in "A", 亜 in
// 0x9F), read line after line by ScanLine: each line's end and answer are
// those of the line split at CR, LF or CR LF and searched on its own.
TEST(LineAutomaton, ScanLineOverLongLinesOfDoubleByteText) {
  const char* pieces[] = {"\x95\x5c", "\x83\x5c", "\x83\x41", "\x88\x9f", "\x95\x95", "\\", "A",  "1",   ".",
                          "\x82\xa0", "\x95",     "abc",      " ",        "\r\n",     "\n", "\r", "\x83"};
  const std::vector<std::string> exprs = {
      "\\\\", "A", "[0-9]+\\.[0-9]+", S("ソ"), S("表"), S("ア|イ"), S("[亜-熙]+ア"), "\\\\$", "^A", "1"};
  std::mt19937 rng(5150);
  int lines = 0, matched = 0;
  for (const std::string& expr : exprs) {
    TAWKStr awk;
    awk.SetRegExp(expr);
    auto a = TRELineAutomaton::Build(awk);
    ASSERT_TRUE(a) << expr;
    for (int round = 0; round < 150; ++round) {
      std::string text;
      for (int i = 0, n = int(rng() % 300); i < n; ++i) {
        unsigned k = rng() % 17;
        // Line ends rarely, so that lines are long.
        if (k >= 13 && rng() % 8) k = rng() % 13;
        text += pieces[k];
      }
      const char* p = text.data();
      const char* end = p + text.size();
      while (p < end) {
        // The line as the pane splits it.
        size_t at = size_t(p - text.data());
        size_t stop = text.find_first_of("\r\n", at);
        if (stop == std::string::npos) stop = text.size();
        const std::string line = text.substr(at, stop - at);
        bool got;
        const char* e = a->ScanLine(p, end, got);
        ASSERT_EQ(size_t(e - text.data()), stop) << expr;
        ASSERT_EQ(got, awk.Search(line).Found) << expr << " / " << testing::PrintToString(line);
        ++lines;
        matched += got;
        p = e < end ? e + 1 + (*e == '\r' && e + 1 < end && e[1] == '\n') : end;
      }
    }
  }
  EXPECT_GT(lines, 3000);
  EXPECT_GT(matched, lines / 10);
  EXPECT_LT(matched, lines * 9 / 10);
}

}  // namespace

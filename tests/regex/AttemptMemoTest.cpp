// Searches that skip places a failed attempt already passed find exactly
// what the attempt-by-attempt searches find: random expressions (anchors,
// repeats, classes, double-byte characters) over random texts (CR, LF,
// CR LF, lead bytes, zero bytes), through Match and GSub.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/Cp932.h"
#include "regex/bmRegExp.h"

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
  std::string Text() {
    static const char* pieces[] = {"a",   "b",    "c",  "aa",       "ab",
                                   "\n",  "\r\n", "\r", "\x82\xa0", "\x95\x5c",
                                   "x",   "Q",    "QQ", "QQQ",      std::string("\0", 1).c_str(),
                                   "\x82"};
    std::string t;
    int n = int(rng_() % 40);
    for (int i = 0; i < n; ++i) {
      unsigned k = rng_() % 16;
      if (k == 14)
        t += '\0';
      else
        t += pieces[k];
    }
    return t;
  }

 private:
  std::string Factor(int depth) {
    static const char* atoms[] = {"a", "b", "Q", ".", "[ab]", "[^a]", "\x82\xa0", "\\n", "x", "[a-c]"};
    std::string p = depth < 2 && rng_() % 6 == 0 ? "(" + Expr(depth + 1) + ")" : atoms[rng_() % 10];
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

// The search TAWKStr chooses, one attempt at a time.
REMatch SearchByAttempts(const TAWKStr& awk, std::string_view text) {
  if (!(awk.HasLHead() || awk.HasLTail())) return awk.MatchSimpleByAttempts(text);
  size_t e = awk.MatchAtLineStart(text, 0, awk.InitialState());
  if (e != TMatchCORE::npos) return {true, 0, e};
  return awk.SearchOnwardByAttempts(text);
}

// GSub's loop over the attempt-by-attempt searches.
std::string GSubByAttempts(const TAWKStr& awk, const std::string& templ, const std::string& text, int& count) {
  count = 0;
  std::string_view rest = text;
  REMatch m = SearchByAttempts(awk, rest);
  if (!m.Found) return text;
  if (text.empty()) {
    count = 1;
    return TAWKStr::ExpandReplacement(templ, "");
  }
  std::string out;
  for (;;) {
    out.append(rest.substr(0, m.Start));
    out += TAWKStr::ExpandReplacement(templ, rest.substr(m.Start, m.End - m.Start));
    size_t end = m.End;
    if (m.Start == m.End && end < rest.size()) {
      unsigned char b = static_cast<unsigned char>(rest[end]);
      size_t n = 1;
      if ((IsSjisLead(b) || (awk.LineSeparator == mcls_CRLF && b == '\r')) && end + 1 < rest.size()) n = 2;
      out.append(rest.substr(end, n));
      end += n;
    }
    ++count;
    unsigned char noted = end > 0 ? static_cast<unsigned char>(rest[end - 1]) : 0;
    rest = rest.substr(end);
    if (rest.empty()) break;
    m = noted == '\n' ? SearchByAttempts(awk, rest) : awk.SearchOnwardByAttempts(rest);
    if (!m.Found) break;
  }
  out.append(rest);
  return out;
}

TEST(AttemptMemo, SearchesFindWhatEveryAttemptFinds) {
  Generator gen(1717);
  int compared = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string expr = gen.Expr();
    TAWKStr awk;
    awk.LineSeparator = round % 2 ? mcls_LF : mcls_CRLF;
    try {
      awk.SetRegExp(expr);
    } catch (const ERegExpParser&) {
      continue;
    }
    for (int t = 0; t < 5; ++t) {
      std::string text = gen.Text();
      SCOPED_TRACE("expression " + expr + " text " + text);
      REMatch a = awk.Search(text), b = SearchByAttempts(awk, text);
      ASSERT_EQ(a.Found, b.Found);
      if (a.Found) {
        ASSERT_EQ(a.Start, b.Start);
        ASSERT_EQ(a.End, b.End);
      }
      REMatch c = awk.SearchOnward(text), d = awk.SearchOnwardByAttempts(text);
      ASSERT_EQ(c.Found, d.Found);
      if (c.Found) {
        ASSERT_EQ(c.Start, d.Start);
        ASSERT_EQ(c.End, d.End);
      }
      std::string ours = text;
      int count = awk.GSub("<&>", ours), theirCount = 0;
      ASSERT_EQ(ours, GSubByAttempts(awk, "<&>", text, theirCount));
      ASSERT_EQ(count, theirCount);
      ++compared;
    }
  }
  EXPECT_GT(compared, 10000);
}

TEST(AttemptMemo, LongLinesWhereEveryStartRunsToTheEnd) {
  // Each start walks on to the end of the line; the results stay.
  TAWKStr awk;
  awk.SetRegExp("a+b");
  std::string text(20000, 'a');
  EXPECT_EQ(awk.Match(text), 0);
  EXPECT_EQ(awk.GSub("X", text), 0);
  text += 'b';
  int length = 0;
  EXPECT_EQ(awk.Match(text, &length), 1);
  EXPECT_EQ(length, 20001);
  awk.SetRegExp(".*QQQ");
  std::string line;
  for (int i = 0; i < 20000; ++i) line += "xyQ"[i % 3];
  EXPECT_EQ(awk.Match(line), 0);
  line += "QQQ";
  EXPECT_EQ(awk.Match(line, &length), 1);
  EXPECT_EQ(length, static_cast<int>(line.size()));
  awk.SetRegExp("^a*$");
  std::string lines = std::string(5000, 'a') + "b\r\n" + std::string(5000, 'a');
  EXPECT_EQ(awk.Match(lines, &length), 5004);
  EXPECT_EQ(length, 5000);
}

}  // namespace

// Texts far longer than the stretch the memo keeps: the marks behind the
// attempts are dropped as the search moves on, and the searches still find
// what every attempt finds.
TEST(AttemptMemo, LongTextsDropOldMarks) {
  std::mt19937 rng(5);
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"a+b", "zab"}, {"[^Q]*QQ$", "QQ\n"}, {"x[ab]*c", "xabac"}, {"a*\\nx[^c]*Q", "\nxaaQ"}, {"(aa|x)+$", "xaa"}};
  const std::vector<std::string> filler = {"a", "aa", "\n", "\r\n", "x", "\x82\xa0", "\r", std::string(400, 'a')};
  int compared = 0;
  for (int round = 0; round < 30; ++round) {
    const auto& [expr, tail] = cases[size_t(round) % cases.size()];
    TAWKStr awk;
    awk.LineSeparator = round % 2 ? mcls_LF : mcls_CRLF;
    awk.SetRegExp(expr);
    std::string text;
    const size_t size = 12000 + rng() % 8000;
    while (text.size() < size) text += filler[rng() % (rng() % 20 == 0 ? filler.size() : filler.size() - 1)];
    text += tail + filler[rng() % filler.size()];
    SCOPED_TRACE("expression " + expr);
    const REMatch a = awk.SearchOnward(text), b = awk.SearchOnwardByAttempts(text);
    ASSERT_EQ(a.Found, b.Found);
    if (a.Found) {
      ASSERT_EQ(a.Start, b.Start);
      ASSERT_EQ(a.End, b.End);
    }
    const REMatch c = awk.MatchSimple(text), d = awk.MatchSimpleByAttempts(text);
    ASSERT_EQ(c.Found, d.Found);
    if (c.Found) {
      ASSERT_EQ(c.Start, d.Start);
      ASSERT_EQ(c.End, d.End);
    }
    compared += a.Found && a.Start > 8192;
  }
  EXPECT_GT(compared, 15);  // matches far from the start, past dropped marks
}

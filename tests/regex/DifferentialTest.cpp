// A second opinion: on ASCII text with LF lines and expressions of the
// common subset that cannot match the empty string, grep reports the lines
// POSIX grep -E reports, and GSub substitutes what sed -E substitutes
// (both leftmost-longest, C locale).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <set>

#include "regex/bmRegExp.h"
#include "tests/UniqueTempDir.h"

using namespace navirt;

namespace {

std::string Shell(const std::string& cmd) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return "<popen failed>";
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}
  std::string Expr(int depth = 0) {
    std::string e;
    int n = 1 + int(rng_() % 3);
    for (int i = 0; i < n; ++i) e += Factor(depth);
    if (depth == 0 && rng_() % 4 == 0) e += "|" + Expr(1);
    return e;
  }
  std::string Anchored() {
    std::string e = Expr();
    if (rng_() % 4 == 0) e = "^" + e;
    if (rng_() % 4 == 0) e += "$";
    return e;
  }
  std::string Text() {
    std::string t;
    int lines = 5 + int(rng_() % 20);
    for (int i = 0; i < lines; ++i) {
      int len = int(rng_() % 9);
      for (int j = 0; j < len; ++j) t += "abcx"[rng_() % 4];
      t += '\n';
    }
    return t;
  }

 private:
  std::string Factor(int depth) {
    static const char* atoms[] = {"a", "b", "c", ".", "[ab]", "[^a]", "[b-x]"};
    std::string p = depth < 2 && rng_() % 5 == 0 ? "(" + Expr(depth + 1) + ")" : atoms[rng_() % 7];
    switch (rng_() % 5) {
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

// Matches the empty string when the anchors are taken as empty.
bool Nullable(const std::string& expr) {
  TAWKStr awk;
  awk.SetRegExp(expr);
  const TRE_DFA& d = awk.DFA();
  int s = d.InitialState();
  int h = d.Step(s, awk.LineHeadChar());
  auto acc = [&](int st) { return st >= 0 && d.Accepting(st); };
  return acc(s) || acc(h) || acc(d.Step(s, awk.LineTailChar())) || acc(d.Step(h, awk.LineTailChar()));
}

class Differential : public ::testing::Test {
 protected:
  UniqueTempDir tmp_{"navirt-diff"};
  std::string path_ = tmp_.File("text.txt");
};

TEST_F(Differential, GrepReportsTheLinesOfPosixGrep) {
  if (Shell("LC_ALL=C grep -E -c a /dev/null 2>&1").find('0') == std::string::npos) GTEST_SKIP() << "no grep";
  Generator gen(7);
  int compared = 0;
  for (int round = 0; round < 300 && compared < 150; ++round) {
    std::string expr = gen.Anchored();
    if (Nullable(expr)) continue;
    std::string text = gen.Text();
    std::ofstream(path_, std::ios::binary) << text;
    std::set<int> ours, theirs;
    TGrep g;
    g.SetRegExp(expr);
    g.OnMatch = [&](TGrep*, const RE_LineInfo_t& li) { ours.insert(li.LineNo); };
    g.Grep(path_);
    std::string out = Shell("LC_ALL=C grep -E -n -e '" + expr + "' " + path_ + " | cut -d: -f1");
    for (size_t i = 0; i < out.size();) {
      size_t e = out.find('\n', i);
      theirs.insert(std::stoi(out.substr(i, e - i)));
      i = e + 1;
    }
    EXPECT_EQ(ours, theirs) << "expression " << expr << "\n" << text;
    ++compared;
  }
  EXPECT_GE(compared, 100);
}

TEST_F(Differential, GSubSubstitutesWhatSedSubstitutes) {
  if (Shell("echo a | LC_ALL=C sed -E 's/a/b/g'") != "b\n") GTEST_SKIP() << "no sed";
  Generator gen(11);
  int compared = 0;
  for (int round = 0; round < 300 && compared < 150; ++round) {
    std::string expr = gen.Anchored();
    if (Nullable(expr)) continue;
    std::string text = gen.Text();
    std::ofstream(path_, std::ios::binary) << text;
    TAWKStr awk;
    awk.LineSeparator = mcls_LF;
    awk.SetRegExp(expr);
    std::string ours = text;
    awk.GSub("<&>", ours);
    std::string theirs = Shell("LC_ALL=C sed -E 's/" + expr + "/<&>/g' " + path_);
    EXPECT_EQ(ours, theirs) << "expression " << expr << "\n" << text;
    ++compared;
  }
  EXPECT_GE(compared, 100);
}

}  // namespace

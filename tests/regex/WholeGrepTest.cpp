// The whole-file grep (mapped file, literal and multi-literal prefilters)
// against the character-by-character reference scans on random files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <random>

#include "regex/REMultiFinder.h"
#include "regex/bmRegExp.h"
#include "tests/SjisText.h"
#include "tests/UniqueTempDir.h"

using namespace navirt;

namespace {

using V = std::vector<std::string>;

V Scan(TGrep& g, const std::string& path) {
  V out;
  g.OnMatch = [&](TGrep*, const RE_LineInfo_t& li) { out.push_back(std::to_string(li.LineNo) + ":" + li.Line); };
  g.Grep(path);
  return out;
}

std::string WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// Pieces without CR and zero bytes: such files are scanned whole.
const V kPieces = {"a",         "b",        "c",        "x",    "A",        "\n",       "\n",      " ",
                   "\x82",      "9.5",      "12.25",    "file", "error",    "warning",  "direct",  "option",
                   "directory", "\x83\x41", "\x88\x9f", "\x83", "\x41\x83", "\xea\xa4", "\x95\x5c"};

TEST(WholeGrep, AgreesWithTheReferenceScansOnRandomFiles) {
  UniqueTempDir dir;
  std::mt19937 rng(7);
  const V atoms = {"a",
                   "b",
                   "c",
                   ".",
                   "[ab]",
                   "[^a]",
                   "A",
                   "^",
                   "$",
                   "x",
                   "[0-9]+",
                   "\\.",
                   S("ア"),
                   S("[亜-熙]"),
                   "file",
                   "error",
                   "(a|b)",
                   "9",
                   "(error|warning|file|directory|option)",
                   "(file|x)",
                   "(ab|ba|c)",
                   S("表")};
  auto pick = [&](const V& v) { return v[rng() % v.size()]; };
  size_t whole = 0, reported = 0;
  for (int round = 0; round < 600; ++round) {
    std::string expr;
    const int n = 1 + int(rng() % 3);
    for (int i = 0; i < n; ++i) {
      std::string atom = pick(atoms);
      if (rng() % 4 == 0) atom = "(" + atom + "|" + pick(atoms) + ")";
      const int op = int(rng() % 6);
      if (op == 0) atom += "*";
      if (op == 1) atom += "+";
      if (op == 2) atom += "?";
      expr += atom;
    }
    std::string text;
    const int len = int(rng() % 60);
    for (int i = 0; i < len; ++i) text += pick(kPieces);
    TGrep fast, ref;
    ref.UseReferenceScan = true;
    try {
      fast.SetRegExp(expr);
      ref.SetRegExp(expr);
    } catch (const ERegExpParser&) {
      continue;
    }
    const std::string path = WriteFile(dir.path().string() + "/r.txt", text);
    const V got = Scan(fast, path);
    EXPECT_EQ(got, Scan(ref, path)) << "expr " << expr << " text " << ::testing::PrintToString(text);
    whole += fast.LastScanWasWhole();
    reported += got.size();
  }
  EXPECT_GT(whole, 300u);  // the whole-file scans did run
  EXPECT_GT(reported, 300u);
}

// Files of several scan windows (1 MiB): hits at and across the windows'
// edges, long lines, the first and last lines, no final LF.
TEST(WholeGrep, AgreesAcrossWindowsAndEdges) {
  UniqueTempDir dir;
  std::mt19937 rng(11);
  const V exprs = {"needle",
                   "^needle",
                   "needle$",
                   "^abc$",
                   S("[亜-熙]+ア"),
                   "[0-9]+\\.[0-9]+",
                   "(error|warning|file|directory|option)",
                   "x[^a]*c$",
                   "^",
                   S("表"),
                   "(ab|ba)c",
                   "A"};
  size_t reported = 0;
  for (int round = 0; round < 3; ++round) {
    std::string text = round == 0 ? "needle abc" : "";
    const size_t target = (size_t(2) << 20) + rng() % 300000;
    while (text.size() < target) {
      if (rng() % 3000 == 0) text += std::string(200000 + rng() % 5000, 'y');
      text += kPieces[rng() % kPieces.size()];
      if (rng() % 50 == 0) text += "needle";
    }
    if (round == 1) text += "\n";
    text += "needle 1.5";  // a last line, with or without LF before it
    const std::string path = WriteFile(dir.path().string() + "/big.txt", text);
    for (const std::string& e : exprs) {
      TGrep fast, ref;
      ref.UseReferenceScan = true;
      fast.SetRegExp(e);
      ref.SetRegExp(e);
      const V got = Scan(fast, path);
      EXPECT_EQ(fast.LastScanWasWhole(), e != "^") << e;  // "^" alone is a literal LF
      EXPECT_EQ(got, Scan(ref, path)) << "expr " << e << " round " << round;
      reported += got.size();
    }
  }
  EXPECT_GT(reported, 10000u);
}

TEST(WholeGrep, FilesWithCrOrZeroBytesGoTheBlockWay) {
  UniqueTempDir dir;
  TGrep g;
  g.SetRegExp("abc");
  EXPECT_EQ(Scan(g, WriteFile(dir.path().string() + "/crlf.txt", "abc\r\nx\r\nabc")), (V{"1:abc", "3:abc"}));
  EXPECT_FALSE(g.LastScanWasWhole());
  EXPECT_EQ(Scan(g, WriteFile(dir.path().string() + "/zero.txt", std::string("ab\0abc\n", 7))), (V{"1:ab abc"}));
  EXPECT_FALSE(g.LastScanWasWhole());
  EXPECT_EQ(Scan(g, WriteFile(dir.path().string() + "/lf.txt", "x\nabc")), (V{"2:abc"}));
  EXPECT_TRUE(g.LastScanWasWhole());
  g.CountLines = false;
  EXPECT_EQ(Scan(g, WriteFile(dir.path().string() + "/lf.txt", "x\nabc")), (V{"0:abc"}));
}

TEST(WholeGrep, RequiredLiteralsOfAlternatives) {
  TGrep g;
  g.SetRegExp("(error|warning|file|directory|option)");
  EXPECT_EQ(g.DFA().MustSet, (V{"file", "error", "option", "warning", "directory"}));
  g.SetRegExp("x(ab|cd)+y");
  EXPECT_EQ(g.DFA().MustSet, (V{"ab", "cd"}));
  g.SetRegExp("(a|b*)c");  // "c" alone: b* may be empty
  EXPECT_EQ(g.DFA().MustSet, (V{"c"}));
  g.SetRegExp("(abc|x*)");
  EXPECT_EQ(g.DFA().MustSet, V{});
  // Random expressions: every line the reference scan reports holds one of
  // the strings.
  std::mt19937 rng(5);
  const V atoms = {"a", "b", "ab", "(a|bc)", "(ab|c)*", "[ab]", "c?", "(x|yz|a)", "."};
  for (int round = 0; round < 300; ++round) {
    std::string expr;
    for (int i = 0, n = 1 + int(rng() % 4); i < n; ++i) expr += atoms[rng() % atoms.size()];
    std::string text;
    for (int i = 0, n = int(rng() % 40); i < n; ++i) text += "abcxyz\n"[rng() % 7];
    TAWKStr awk;
    awk.SetRegExp(expr);
    const V set = awk.DFA().MustSet;
    size_t from = 0;
    while (from <= text.size()) {
      size_t to = text.find('\n', from);
      if (to == std::string::npos) to = text.size();
      const std::string line = text.substr(from, to - from);
      if (!set.empty() && awk.Match(line)) {
        bool holds = false;
        for (const std::string& s : set) holds = holds || line.find(s) != std::string::npos;
        EXPECT_TRUE(holds) << "expr " << expr << " line " << line;
      }
      from = to + 1;
    }
  }
}

TEST(WholeGrep, MultiFinderAgreesWithItsPlainSearch) {
  std::mt19937 rng(9);
  for (int round = 0; round < 300; ++round) {
    V strings;
    for (int i = 0, n = 1 + int(rng() % 8); i < n; ++i) {
      std::string s;
      for (int k = 0, len = 1 + int(rng() % 5); k < len; ++k) s += "abcd\x83\x41"[rng() % 6];
      strings.push_back(s);
    }
    const TREMultiFinder f(strings);
    std::string text;
    for (int i = 0, n = int(rng() % 300); i < n; ++i) text += "abcdxy\x83\x41"[rng() % 8];
    const char* b = text.data();
    const char* e = b + text.size();
    for (const char* p = b; p <= e;) {
      const char* fast = f.Find(p, e);
      const char* plain = f.FindScalar(p, e);
      ASSERT_EQ(fast, plain) << ::testing::PrintToString(strings) << " in " << ::testing::PrintToString(text);
      if (!fast) break;
      p = fast + 1;
    }
  }
}

}  // namespace

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <random>

#include "regex/bmRegExp.h"
#include "tests/SjisText.h"

using namespace navirt;

namespace {

class GrepFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/navirt-grep-XXXXXX";
    dir_ = mkdtemp(tmpl);
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // "N:TEXT" per reported line.
  std::vector<std::string> Run(TGrep& g, const std::string& path) {
    std::vector<std::string> out;
    g.OnMatch = [&](TGrep*, const RE_LineInfo_t& li) { out.push_back(std::to_string(li.LineNo) + ":" + li.Line); };
    g.Grep(path);
    return out;
  }
  std::vector<std::string> Run(const std::string& expr, const std::string& bytes, bool reference = false) {
    TGrep g;
    g.UseReferenceScan = reference;
    g.SetRegExp(expr);
    return Run(g, Write("f.txt", bytes));
  }

  std::string dir_;
};

using V = std::vector<std::string>;

TEST_F(GrepFiles, LinesAndLineEnds) {
  EXPECT_EQ(Run("abc", "xabc\r\nabc"), (V{"1:xabc", "2:abc"}));
  EXPECT_EQ(Run("^abc", "abc\nxabc\nabcd"), (V{"1:abc", "3:abcd"}));
  for (const char* text : {"abc\r\nx", "abc\nx", "abc\rx", "x\nabc"}) {
    auto r = Run("abc$", text);
    ASSERT_EQ(r.size(), 1u) << text;
    EXPECT_NE(r[0].find(":abc"), std::string::npos);
  }
  EXPECT_EQ(Run("abc$", "abcd\n"), V{});
  EXPECT_EQ(Run("a", "aa a\n"), (V{"1:aa a"}));  // once per line
  EXPECT_EQ(Run("a*", "xx\nya\n"), (V{"2:ya"}));
  EXPECT_EQ(Run("", "a\nb\n"), V{});
  EXPECT_EQ(Run("x", ""), V{});
  EXPECT_EQ(Run("b", "a\rb\rc\r\r\nb"), (V{"2:b", "5:b"}));
  EXPECT_EQ(Run("^$", "a\n\nb\n"), (V{"2:"}));
  EXPECT_EQ(Run("a\\nb", "xa\nbx\nb\n"), (V{"1:xa"}));
  EXPECT_EQ(Run(S("漢字"), S("あ\n漢字です\n")), (V{"2:" + S("漢字です")}));
}

TEST_F(GrepFiles, ZeroBytesAreBlanks) {
  std::string text("a\0b\n", 4);
  EXPECT_EQ(Run("a b", text), (V{"1:a b"}));
  EXPECT_EQ(Run("a b", text, true), (V{"1:a b"}));
}

TEST_F(GrepFiles, LeadByteNeverSwallowsALineEnd) {
  // A cut character before the line end stays alone; the line count holds.
  std::string text = "ab\x82\nx\x82\r\ny\n";
  EXPECT_EQ(Run("y", text), (V{"3:y"}));
  EXPECT_EQ(Run("y", text, true), (V{"3:y"}));
  EXPECT_EQ(Run("x.$", text), (V{"2:x\x82"}));
}

TEST_F(GrepFiles, AcrossTheBlockBoundary) {
  // The stream has a leading LF, so file offset 102,400 starts the second block.
  std::string text;
  int line = 0;
  while (text.size() < 102390) {
    text += "line " + std::to_string(++line) + "\n";
  }
  text += std::string(102397 - text.size(), 'x');
  text += "needle";  // 102,397..102,402
  text += "\n";
  std::string kanji = S("漢字");
  text += std::string(102400 * 2 - 1 - text.size(), 'y');  // the lead byte of 漢 ends block 2
  text += kanji + "\nlast";
  size_t at = text.find("needle");
  std::string needleLine = text.substr(text.rfind('\n', at) + 1, text.find('\n', at) - text.rfind('\n', at) - 1);
  size_t nines = 0;
  for (int i = 1; i <= line; ++i) nines += i % 10 == 9;
  for (bool reference : {false, true}) {
    EXPECT_EQ(Run("needle", text, reference), (V{std::to_string(line + 1) + ":" + needleLine}));
    auto k = Run(kanji, text, reference);
    ASSERT_EQ(k.size(), 1u);
    EXPECT_EQ(k[0].substr(0, k[0].find(':')), std::to_string(line + 2));
    EXPECT_EQ(Run("[0-9]*9\\.?$", text, reference).size(), nines);
    EXPECT_EQ(Run("^last$", text, reference), (V{std::to_string(line + 3) + ":last"}));
  }
}

TEST_F(GrepFiles, CancelDuringTheSecondFile) {
  std::string big;
  for (int i = 0; i < 30000; ++i) big += "match " + std::to_string(i) + "\n";
  std::string a = Write("a.txt", "match one\nmatch two\n");
  std::string b = Write("b.txt", big);
  TGrep g;
  g.SetRegExp("match");
  int file = 0;
  std::vector<std::string> lines;
  g.OnMatch = [&](TGrep*, const RE_LineInfo_t& li) { lines.push_back(std::to_string(file) + li.Line); };
  g.OnProcessMessages = [&] {
    if (file == 2 && lines.size() >= 5) g.Cancel = true;
  };
  file = 1;
  g.Grep(a);
  file = 2;
  EXPECT_THROW(g.Grep(b), EGrepCancel);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "1match one");
  EXPECT_EQ(lines[1], "1match two");
  EXPECT_LT(lines.size(), 30000u);
  // The flag is cleared for the next file.
  file = 3;
  lines.clear();
  g.Grep(a);
  EXPECT_EQ(lines.size(), 2u);
}

TEST_F(GrepFiles, MissingFileAndNoHandler) {
  TGrep g;
  g.SetRegExp("a");
  EXPECT_NO_THROW(g.Grep(dir_ + "/missing"));  // no OnMatch: nothing happens
  g.OnMatch = [](TGrep*, const RE_LineInfo_t&) {};
  EXPECT_THROW(g.Grep(dir_ + "/missing"), EFileNotFound);
  EXPECT_THROW(g.Grep(dir_), EFileNotFound);
}

TEST_F(GrepFiles, ScanChoiceAndFallbacks) {
  TGrep g;
  g.SetRegExp("abc");
  EXPECT_EQ(g.ChosenScan(), TGrep::scan_Literal);
  g.SetRegExp("^abc$");
  EXPECT_EQ(g.ChosenScan(), TGrep::scan_Literal);
  EXPECT_EQ(g.LiteralText(), "\nabc\n");
  g.SetRegExp("a[bc]");
  EXPECT_EQ(g.ChosenScan(), TGrep::scan_Automaton);
  // A literal beyond 16,383 characters runs on the automaton.
  std::string longLit(16384, 'q');
  g.SetRegExp(longLit);
  EXPECT_EQ(g.ChosenScan(), TGrep::scan_Automaton);
  EXPECT_EQ(Run(g, Write("l.txt", "x" + longLit + "\nq\n")).size(), 1u);
}

// The fast scans must report exactly what the character-by-character scans
// report.
TEST_F(GrepFiles, FastScansAgreeWithTheReferenceScans) {
  std::mt19937 rng(42);
  const std::vector<std::string> atoms = {"a",     "b",          "c", ".", "[ab]", "[^a]", "\\n",
                                          S("あ"), S("[ぁ-ん]"), "A", "^", "$",    "x"};
  const std::vector<std::string> pieces = {
      "a", "b", "c", "x", "A", "\n", "\r", "\r\n", std::string(1, '\0'), S("あ"), S("い"), S("ア"), "\x82", " "};
  auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
  for (int round = 0; round < 400; ++round) {
    std::string expr;
    int n = 1 + rng() % 4;
    for (int i = 0; i < n; ++i) {
      std::string atom = pick(atoms);
      if (rng() % 4 == 0) atom = "(" + atom + "|" + pick(atoms) + ")";
      int op = rng() % 6;
      if (op == 0) atom += "*";
      if (op == 1) atom += "+";
      if (op == 2) atom += "?";
      expr += atom;
    }
    std::string text;
    int len = rng() % 40;
    for (int i = 0; i < len; ++i) text += pick(pieces);
    TGrep fast, ref;
    ref.UseReferenceScan = true;
    try {
      fast.SetRegExp(expr);
      ref.SetRegExp(expr);
    } catch (const ERegExpParser&) {
      continue;
    }
    std::string path = Write("r.txt", text);
    EXPECT_EQ(Run(fast, path), Run(ref, path)) << "expr " << expr << " text " << ::testing::PrintToString(text);
  }
}

// Files of several blocks, with lines longer than a block, CR LF and lone
// CR, cut characters and zero bytes: the fast scans (literal search,
// prefilter, all-attempts automaton) against the reference scans.
TEST_F(GrepFiles, FastScansAgreeAcrossBlocks) {
  std::mt19937 rng(3);
  const std::vector<std::string> pieces = {
      "ab", "abc",    "x",          "\n", "\r\n", "\r", S("漢字"), S("ア"), "\x82", "9.5", std::string(1, '\0'),
      " ",  "needle", S("ファイル")};
  const std::vector<std::string> exprs = {"needle",
                                          "^needle",
                                          "needle$",
                                          "^abc$",
                                          S("漢字ア"),
                                          "a\\nb",
                                          "[0-9]+\\.[0-9]+",
                                          S("[亜-熙]+ア"),
                                          S("ファイル|needle|xx"),
                                          "x[^a]*c$",
                                          "\\nab",
                                          S("字"),
                                          "A",
                                          "c\\n\\n"};
  size_t reported = 0;
  for (int round = 0; round < 6; ++round) {
    std::string text;
    size_t target = 150000 + rng() % 200000;
    while (text.size() < target) {
      if (rng() % 400 == 0) text += std::string(110000 + rng() % 5000, 'y');  // a line longer than a block
      text += pieces[rng() % pieces.size()];
    }
    std::string path = Write("big.txt", text);
    for (const std::string& e : exprs) {
      TGrep fast, ref;
      ref.UseReferenceScan = true;
      fast.SetRegExp(e);
      ref.SetRegExp(e);
      auto got = Run(fast, path);
      EXPECT_EQ(got, Run(ref, path)) << "expr " << e << " round " << round;
      reported += got.size();
    }
  }
  EXPECT_GT(reported, 1000u);  // the expressions do find lines
}

}  // namespace

#include <gtest/gtest.h>

#include <random>

#include "edit/PaneText.h"
#include "search/DeleteBySearch.h"
#include "search/LineFilter.h"
#include "search/PlainFind.h"

using namespace navirt;

namespace {

// What the pane's line path gives for the same command.
std::string ByLines(const std::string& text, const std::function<int(std::vector<std::string>&)>& run, int* count) {
  std::vector<std::string> lines = SplitLines(text);
  *count = run(lines);
  return JoinLines(lines);
}

}  // namespace

TEST(LineFilter, SameBytesAsTheLinePath) {
  const char* pieces[] = {"ab", "a1", "12", "x.y", "\r\n", "\n", "\r", "", " ", "\x95\x5c", "\\", "b$"};
  const char* exprs[] = {"a", "^[0-9]+$", "[0-9]+\\.?", "ab|12", "", "^$", "\\\\", "b\\$"};
  std::mt19937 rng(7);
  TAWKStr awk;
  for (int round = 0; round < 400; ++round) {
    std::string text;
    int n = int(rng() % 12);
    for (int i = 0; i < n; ++i) text += pieces[rng() % (sizeof pieces / sizeof *pieces)];
    for (const char* e : exprs) {
      awk.SetRegExp(e);
      for (bool keep : {false, true}) {
        std::string out;
        int matched = FilterTextLines(text, awk, keep, out);
        int count = 0;
        std::string want = ByLines(
            text, [&](auto& l) { return keep ? KeepLinesMatching(awk, l) : DeleteLinesMatching(awk, l); }, &count);
        ASSERT_EQ(out, want) << round << " " << e << " keep=" << keep;
        ASSERT_EQ(matched, count);  // deleted or kept: the lines that matched
      }
    }
    for (const char* term : {"a", "\\", "12", ""}) {
      for (bool keep : {false, true}) {
        std::string out;
        int matched = FilterTextLinesPlain(text, term, keep, out);
        int count = 0;
        std::string want = ByLines(
            text, [&](auto& l) { return keep ? KeepLinesHolding(l, term) : DeleteLinesHolding(l, term); }, &count);
        ASSERT_EQ(out, want) << round << " '" << term << "' keep=" << keep;
        if (*term) {
          ASSERT_EQ(matched, count);
        }
      }
    }
  }
}

// Replacing over the whole text gives the bytes of replacing line by line,
// also where a term's bytes stand across a character or a line end.
TEST(LineFilter, ReplaceSameBytesAsTheLinePath) {
  const char* pieces[] = {"ab", "\x95\x5c", "\\", "\r\n", "\n", "\r", "a", "\x83\x5c\x5c", " ", ""};
  const char* terms[] = {"a", "\\", "ab", "\x5c\x5c", "\x95", "\n", "a\r"};
  std::mt19937 rng(11);
  for (int round = 0; round < 600; ++round) {
    std::string text;
    int n = int(rng() % 10);
    for (int i = 0; i < n; ++i) text += pieces[rng() % (sizeof pieces / sizeof *pieces)];
    for (const char* term : terms) {
      for (const char* with : {"", "X", "aa"}) {
        TPlainFinder finder(term);
        std::string out;
        TLineJoiner j(out);
        int count = ReplaceTextLines(text, finder, with, j);
        j.Finish();
        std::vector<std::string> lines = SplitLines(text);
        int want = 0;
        for (std::string& l : lines) want += finder.ReplaceIn(l, with);
        ASSERT_EQ(out, JoinLines(lines)) << round << " '" << term << "'";
        ASSERT_EQ(count, want);
      }
    }
    ASSERT_EQ(JoinedLines(text), JoinLines(SplitLines(text)));
  }
}

// Random expressions over random texts with every kind of line end: the
// whole-text filter (all attempts of a line at once, or line by line when
// that automaton would be too large) deletes and keeps the lines the pane's
// line path does, also where a double-byte character ends in "\" or a
// letter, or where a lead byte stands before a line end.
TEST(LineFilter, RandomExpressionsSameBytesAsTheLinePath) {
  const char* pieces[] = {"a",  "b",        "1",        ".",        "\\",       "A",    "\r\n", "\n",
                          "\r", "\x95\x5c", "\x83\x5c", "\x83\x41", "\x88\x9f", "\x95", " ",    "\r\r\n"};
  const char* atoms[] = {"a",
                         "b",
                         "1",
                         ".",
                         "[0-9]",
                         "\\\\",
                         "[^a]",
                         "\x95\x5c",
                         "\\.",
                         "\x83\x41",
                         "A",
                         "[A-Z]",
                         "[\x88\x9f-\xea\xa4]",
                         "\\x9500"};
  std::mt19937 rng(99);
  auto pick = [&](const auto& list) { return std::string(list[rng() % (sizeof list / sizeof *list)]); };
  auto factor = [&] {
    std::string f = pick(atoms);
    switch (rng() % 5) {
      case 0:
        return f + "*";
      case 1:
        return f + "+";
      default:
        return f;
    }
  };
  int compared = 0;
  TAWKStr awk;
  for (int round = 0; round < 1500; ++round) {
    std::string expr;
    for (int i = 0, n = 1 + int(rng() % 3); i < n; ++i) expr += factor();
    if (rng() % 4 == 0) expr += "|" + factor() + factor();
    if (rng() % 5 == 0) expr = "^" + expr;
    if (rng() % 5 == 0) expr += "$";
    // Now and then the automaton is too large and the lines go one by one.
    if (round % 50 == 0) expr = "a[ab][ab][ab][ab][ab][ab][ab][ab][ab][ab][ab][ab][ab]|" + expr;
    try {
      awk.SetRegExp(expr);
    } catch (const ERegExpParser&) {
      continue;
    }
    std::string text;
    for (int i = 0, n = int(rng() % 30); i < n; ++i) text += pick(pieces);
    if (rng() % 6 == 0) text += '\0' + pick(pieces);
    for (bool keep : {false, true}) {
      std::string out;
      int matched = FilterTextLines(text, awk, keep, out);
      int count = 0;
      // The engine's own search of each line.
      std::string want = ByLines(
          text,
          [&](std::vector<std::string>& l) {
            const size_t before = l.size();
            std::erase_if(l, [&](const std::string& line) { return awk.Search(line).Found != keep; });
            return keep ? int(l.size()) : int(before - l.size());
          },
          &count);
      ASSERT_EQ(out, want) << round << " " << expr << " keep=" << keep << " " << testing::PrintToString(text);
      // The pane's line path too.
      std::vector<std::string> lines = SplitLines(text);
      ASSERT_EQ(keep ? KeepLinesMatching(awk, lines) : DeleteLinesMatching(awk, lines), count);
      ASSERT_EQ(JoinLines(lines), want);
      ASSERT_EQ(matched, count);
      ++compared;
    }
  }
  EXPECT_GT(compared, 2000);
}

// A lead byte before a line end reads alone, as the code lead x 256: an
// expression naming that code finds the line, though the bytes the code
// would be written as (lead, zero) are nowhere in the text.
TEST(LineFilter, LeadByteAloneBeforeALineEnd) {
  TAWKStr awk;
  awk.SetRegExp("a\\x8300");
  const std::string text = "a\x83\r\nb\na\x83\x41\r\x83";
  std::string out;
  EXPECT_EQ(FilterTextLines(text, awk, true, out), 1);
  EXPECT_EQ(out, "a\x83");
  EXPECT_EQ(FilterTextLines(text, awk, false, out), 1);
  EXPECT_EQ(out, "b\r\na\x83\x41\r\n\x83");
  // The pane's line path deletes the same line.
  std::vector<std::string> lines = SplitLines(text);
  EXPECT_EQ(DeleteLinesMatching(awk, lines), 1);
  EXPECT_EQ(JoinLines(lines), out);
}

// A line handed to the pane's path with a CR inside is still searched whole
// (where "$" also stands before the CR).
TEST(LineFilter, LinePathSearchesPastACarriageReturn) {
  TAWKStr awk;
  awk.SetRegExp("b$");
  std::vector<std::string> lines = {"a\rb", "ab\rc", "c", "a\rc"};
  EXPECT_EQ(DeleteLinesMatching(awk, lines), 2);
  EXPECT_EQ(lines, (std::vector<std::string>{"c", "a\rc"}));
}

#include <gtest/gtest.h>

#include <random>

#include "edit/PaneText.h"
#include "search/DeleteBySearch.h"
#include "search/LineFilter.h"

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
        std::string want = ByLines(text, [&](auto& l) {
          return keep ? KeepLinesMatching(awk, l) : DeleteLinesMatching(awk, l);
        }, &count);
        ASSERT_EQ(out, want) << round << " " << e << " keep=" << keep;
        ASSERT_EQ(matched, count);  // deleted or kept: the lines that matched
      }
    }
    for (const char* term : {"a", "\\", "12", ""}) {
      for (bool keep : {false, true}) {
        std::string out;
        int matched = FilterTextLinesPlain(text, term, keep, out);
        int count = 0;
        std::string want = ByLines(text, [&](auto& l) {
          return keep ? KeepLinesHolding(l, term) : DeleteLinesHolding(l, term);
        }, &count);
        ASSERT_EQ(out, want) << round << " '" << term << "' keep=" << keep;
        if (*term) {
          ASSERT_EQ(matched, count);
        }
      }
    }
  }
}

// The whole-text forms of the column and character commands and of the TeX
// removal against the list forms, on random texts with every kind of line
// end, lead bytes at line ends and TeX-like markup.
#include <gtest/gtest.h>

#include <random>

#include "edit/LineCommandTable.h"
#include "edit/LineTextForms.h"
#include "edit/MarkupStrip.h"
#include "edit/PaneText.h"

namespace navirt {
namespace {

std::string Pick(std::mt19937& rng, const std::vector<std::string>& v) { return v[rng() % v.size()]; }

std::string RandomText(std::mt19937& rng, const std::vector<std::string>& units) {
  static const std::vector<std::string> kEnds = {"\r\n", "\n", "\r", "\n\n", "\r\n\r\n"};
  std::string t;
  for (int i = 0, n = int(rng() % 30); i < n; ++i) {
    if (rng() % 5 == 0)
      t += Pick(rng, kEnds);
    else
      t += Pick(rng, units);
  }
  return t;
}

template <class F>
std::string Whole(F f) {
  std::string out;
  TLineJoiner j(out);
  f(j);
  j.Finish();
  return out;
}

template <class F>
std::string InPieces(F f) {  // small pieces: the joiner's flushing takes part
  std::string all, buf;
  TLineJoiner j(
      buf, [&](std::string_view p) { all.append(p); }, 7);
  f(j);
  j.Finish();
  return all;
}

LineList Core(LineCmd id, const LineList& in, std::vector<std::string> answers) {
  TLineRunResult r = RunLineCommand(id, in, answers);
  EXPECT_TRUE(r.ok) << r.message;
  return r.lines;
}

TEST(LineTextForms, ColumnCommandsEqualTheListForms) {
  std::mt19937 rng(21);
  const std::vector<std::string> units = {"a",        "B",        " ",        "\t",       "0",
                                          "\x81\x40", "\x82\xa0", "\x83\x41", "\x88\x9f", "\xb1",
                                          "\x80",     "\xff",     "\x82",     "\x81\x20", std::string(1, '\0')};
  for (int round = 0; round < 400; ++round) {
    const std::string text = RandomText(rng, units);
    const LineList in = SplitLines(text);
    const int a = int(rng() % 8), b = int(rng() % 6);
    const std::string ins = rng() % 2 ? "\x82\xa0" : "x";
    const std::string as = std::to_string(a), bs = std::to_string(b);
    SCOPED_TRACE(::testing::PrintToString(text) + " a=" + as + " b=" + bs);
    auto text_form = [&](LineCmd id, std::vector<std::string> answers, bool pieces) {
      auto f = [&](TLineJoiner& j) { EXPECT_TRUE(RunLineCommandText(id, text, answers, j)); };
      return pieces ? InPieces(f) : Whole(f);
    };
    const std::vector<std::pair<LineCmd, std::vector<std::string>>> cases = {{LineCmd::Reverse, {}},
                                                                             {LineCmd::CutAtColumn, {as, "0"}},
                                                                             {LineCmd::CutAppend, {ins, as, "0"}},
                                                                             {LineCmd::InsertText, {ins, as, "0"}},
                                                                             {LineCmd::ExtractColumns, {as, bs}},
                                                                             {LineCmd::DeleteColumns, {as, bs}}};
    for (const auto& [id, answers] : cases)
      EXPECT_EQ(text_form(id, answers, round % 2), JoinLines(Core(id, in, answers))) << int(id);
  }
}

TEST(LineTextForms, TexRemovalEqualsTheListForm) {
  std::mt19937 rng(23);
  const std::vector<std::string> units = {"a",
                                          "\\",
                                          "{",
                                          "}",
                                          "[",
                                          "]",
                                          "%",
                                          " ",
                                          "\x95\x5c",
                                          "\x83\x7b",
                                          "\\textbf{",
                                          "\\begin{x}",
                                          "\\end{itemize}",
                                          "\\vspace{1cm}",
                                          "\\documentclass[a4]{article}",
                                          "\\usepackage",
                                          "\\parbox[t]{2cm}",
                                          "\\section",
                                          "\\\x88\x9f",
                                          "{}",
                                          "[]",
                                          "\x82"};
  size_t changed = 0;
  for (int round = 0; round < 400; ++round) {
    const std::string text = RandomText(rng, units);
    const LineList in = SplitLines(text);
    const std::string want = in.empty() ? std::string() : JoinLines(StripTex(in));
    EXPECT_EQ(InPieces([&](TLineJoiner& j) { StripTexText(text, j); }), want) << ::testing::PrintToString(text);
    changed += want != JoinLines(in);
  }
  EXPECT_GT(changed, 100u);  // the markup was there to remove
}

// The mapped input's form: the same joined text, and the bytes let go
// pass by pass, up to the whole text.
TEST(LineTextForms, CrLfJoiningReleasesOnlyWhatItRead) {
  std::mt19937 rng(31);
  const std::vector<std::string> units = {"a", "\x82\xa0", "\x82", "%", std::string(700000, 'x')};
  for (int round = 0; round < 60; ++round) {
    const std::string text = RandomText(rng, units);
    const LineList in = SplitLines(text);
    std::vector<size_t> told;
    const std::string joined = JoinLinesCrLf(text, [&](size_t n) { told.push_back(n); });
    EXPECT_EQ(joined, in.empty() ? std::string() : JoinLines(in)) << round;
    // One rising run per pass over the text (the size, then the joining),
    // each ending at the whole text; none beyond it.
    size_t runs = 0;
    for (size_t k = 0; k < told.size(); ++k) {
      EXPECT_LE(told[k], text.size());
      if (k > 0 && told[k - 1] != text.size()) {
        EXPECT_LE(told[k - 1], told[k]) << round;
      }
      runs += told[k] == text.size();
    }
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), text.size());
    EXPECT_EQ(runs, in.empty() ? 1u : 2u) << round;
  }
}

}  // namespace
}  // namespace navirt

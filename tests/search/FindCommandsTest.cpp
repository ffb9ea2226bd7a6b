#include <gtest/gtest.h>

#include "platform/Cp932.h"
#include "search/FindCommands.h"
#include "tests/SjisText.h"

using namespace navirt;

namespace {

TFindSettings Settings(const std::string& text, bool down = true, bool word = false, bool matchCase = false) {
  return TFindSettings{text, down, word, matchCase};
}

std::optional<TextSelection> Find(const std::string& pane, const TFindSettings& s, size_t start, size_t len = 0) {
  return FindInPane(pane, s, {start, len});
}

}  // namespace

TEST(FindStep, DownThenNotFound) {
  SearchOutcome o = FindStep("xxab", Settings("ab"), {0, 0});
  ASSERT_TRUE(o.select);
  EXPECT_EQ(o.selection, (TextSelection{2, 2}));
  o = FindStep("xxab", Settings("ab"), o.selection);
  EXPECT_FALSE(o.select);
  EXPECT_EQ(o.kind, SearchMsg::Information);
  EXPECT_EQ(o.message, "ab 見つかりませんでした");

  EXPECT_EQ(FindStep("", Settings("ab"), {0, 0}).kind, SearchMsg::None);
  EXPECT_FALSE(FindStep("", Settings("ab"), {0, 0}).openDialog);
  EXPECT_TRUE(FindStep("xxab", Settings(""), {0, 0}).openDialog);
}

TEST(FindStep, UpwardMayOverlapTheSelection) {
  // The selection starts at 4; the first candidate is 3.
  EXPECT_EQ(Find("xxxabcd", Settings("ab", false), 4, 3), (TextSelection{3, 2}));
  EXPECT_EQ(Find("abxxab", Settings("ab", false), 4, 2), (TextSelection{0, 2}));
  EXPECT_FALSE(Find("abab", Settings("ab", false), 0, 2));
  TFindSettings s = Settings("ab");
  SearchOutcome o = FindNextCommand("abxab", s, false, {3, 2});
  EXPECT_FALSE(s.down);
  EXPECT_EQ(o.selection, (TextSelection{0, 2}));
  TFindSettings none;
  EXPECT_TRUE(FindNextCommand("abxab", none, true, {0, 0}).openDialog);
}

TEST(FindStep, MatchCaseAndCharacterBoundaries) {
  EXPECT_TRUE(Find("xabc", Settings("ABC"), 0));
  EXPECT_FALSE(Find("xabc", Settings("ABC", true, false, true), 0));
  // The byte-wise fault: "\" on the second byte of 表, "@" on that of ァ.
  std::string pane = S("表示ァ") + "x\\";
  EXPECT_EQ(Find(pane, Settings("\\"), 0), (TextSelection{7, 1}));
  EXPECT_EQ(Find(pane, Settings("\\", false), pane.size()), (TextSelection{7, 1}));
  EXPECT_FALSE(Find(pane, Settings("@"), 0));
  EXPECT_FALSE(Find(S("表示"), Settings("\\", false), 4));
  // The second byte of a pair followed by an ASCII byte is no match.
  EXPECT_FALSE(Find(S("表") + "n", Settings("\\n"), 0));
}

TEST(FindStep, WholeWord) {
  for (const char* pane : {" foo bar", "(foo)", " foo_bar"})
    EXPECT_EQ(Find(pane, Settings("foo", true, true), 0), (TextSelection{1, 3})) << pane;
  EXPECT_FALSE(Find(" foobar", Settings("foo", true, true), 0));
  // The word the caret stands on is passed over going down.
  EXPECT_EQ(Find("foo foo", Settings("foo", true, true), 0), (TextSelection{4, 3}));
  EXPECT_EQ(Find("foo foo", Settings("foo", true, true), 1), (TextSelection{4, 3}));
  // The text's end is a delimiter; a word at the text's start is found
  // going up, also when it is the last candidate.
  EXPECT_EQ(Find("bar foo", Settings("foo", true, true), 3), (TextSelection{4, 3}));
  EXPECT_EQ(Find("foo bar foo", Settings("foo", false, true), 8), (TextSelection{0, 3}));
  EXPECT_EQ(Find("foo bar", Settings("foo", false, true), 1), (TextSelection{0, 3}));
  EXPECT_EQ(Find("foo bar foo", Settings("foo", false, true), 11), (TextSelection{8, 3}));
  EXPECT_FALSE(Find("xfoo", Settings("foo", false, true), 4));
  // Without match case too.
  EXPECT_EQ(Find("a FOO", Settings("foo", true, true), 0), (TextSelection{2, 3}));
}

TEST(SearchDialog, SettingsAndHistory) {
  TIniFile ini;
  TSearchDialogModel m;
  m.Load(ini);
  EXPECT_TRUE(m.down);
  EXPECT_FALSE(m.wholeWord);
  EXPECT_FALSE(m.matchCase);
  EXPECT_EQ(m.text, "");
  EXPECT_FALSE(m.Accept(ini));
  EXPECT_FALSE(ini.SectionExists(kFindSection));

  for (const char* t : {"a", "b", "c"}) {
    m.text = t;
    ASSERT_TRUE(m.Accept(ini));
  }
  EXPECT_EQ(m.history, (std::vector<std::string>{"c", "b", "a"}));
  // A text already present changes places with the first entry.
  m.text = "a";
  m.wholeWord = true;
  m.down = false;
  std::optional<TFindSettings> s = m.Accept(ini);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->text, "a");
  EXPECT_FALSE(s->down);
  EXPECT_TRUE(s->wholeWord);
  EXPECT_EQ(m.history, (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(ini.ReadString(kFindSection, "Items_2", ""), "#c#");
  EXPECT_EQ(ini.ReadInteger(kFindSection, "UpDown", 1), 0);
  EXPECT_TRUE(ini.ReadBool(kFindSection, "Check1", false));
  EXPECT_EQ(ini.ReadString(kFindSection, "Text", ""), "a");

  for (int i = 0; i < 30; ++i) {
    m.text = "t" + std::to_string(i);
    m.Accept(ini);
  }
  EXPECT_EQ(ini.ReadInteger(kFindSection, "Count", 0), 21);
  TSearchDialogModel again;
  again.Load(ini);
  EXPECT_EQ(again.history.size(), 21u);
  EXPECT_EQ(again.text, "t29");
  EXPECT_FALSE(again.down);
  again.PresetSelection(S("選択"));
  EXPECT_EQ(again.text, "選択");

  TIniFile onlyText;
  onlyText.WriteString(kFindSection, "Text", "last");
  onlyText.WriteString(kFindSection, "Items_0", "plain");  // no count: no history
  TSearchDialogModel restored;
  restored.Load(onlyText);
  EXPECT_EQ(restored.text, "last");
}

TEST(ReplaceDialog, FindNextAndReplaceMoveOn) {
  TReplaceDialogModel m;
  m.Open({0, 0}, "");
  m.findText = "a";
  m.replaceText = "aa";
  std::string pane = "a a";
  // Replacing with a text that holds the find text goes on after it.
  SearchOutcome o = m.Replace(pane, {0, 0});
  ASSERT_TRUE(o.replaceRange);
  EXPECT_EQ(o.range, (TextSelection{0, 1}));
  pane.replace(o.range.start, o.range.length, o.replacement);
  EXPECT_EQ(pane, "aa a");
  EXPECT_EQ(o.selection, (TextSelection{3, 1}));
  o = m.Replace(pane, o.selection);
  pane.replace(o.range.start, o.range.length, o.replacement);
  EXPECT_EQ(pane, "aa aa");
  EXPECT_EQ(o.kind, SearchMsg::Information);
  EXPECT_EQ(o.message, "見つかりませんでした！");
  EXPECT_EQ(o.selection, (TextSelection{5, 0}));

  // A selection moved away from the find is not overwritten.
  TReplaceDialogModel r;
  r.findText = "x";
  r.replaceText = "y";
  ASSERT_TRUE(r.FindNext("ab x", {0, 0}).select);
  o = r.Replace("ab x", {0, 2});
  EXPECT_EQ(o.range, (TextSelection{3, 1}));
  EXPECT_EQ(o.replacement, "y");
  // Options count for find next.
  r.findText = "X";
  r.matchCase = true;
  EXPECT_FALSE(r.FindNext("ab x", {0, 0}).select);
  EXPECT_FALSE(r.found);
  r.matchCase = false;
  r.wholeWord = true;
  EXPECT_FALSE(r.FindNext("abx", {0, 0}).select);
  EXPECT_TRUE(r.FindNext("ab x", {0, 0}).select);
}

TEST(ReplaceDialog, ReplaceAllCoversTheWholeText) {
  TReplaceDialogModel m;
  m.findText = "a";
  m.replaceText = "b";
  SearchOutcome o = m.ReplaceAll("aaa");
  ASSERT_TRUE(o.textChanged);
  EXPECT_EQ(o.text, "bbb");
  EXPECT_EQ(o.message, "3 個置換！");
  EXPECT_EQ(o.selection, (TextSelection{3, 0}));
  EXPECT_TRUE(m.lastWasReplaceAll);
  // Reopening puts the caret at the start; the selection is the find text.
  o = m.Open({1, 1}, "b");
  EXPECT_EQ(o.selection, (TextSelection{0, 0}));
  EXPECT_TRUE(o.markerRed);
  EXPECT_EQ(m.findText, "b");

  // Far beyond a million bytes.
  std::string big;
  for (int i = 0; i < 700000; ++i) big += "ab";
  TReplaceDialogModel all;
  all.findText = "b";
  all.replaceText = "bb";
  o = all.ReplaceAll(big);
  EXPECT_EQ(o.count, 700000);
  EXPECT_EQ(o.text.size(), big.size() + 700000);
  EXPECT_EQ(o.text.substr(o.text.size() - 6), "abbabb");

  TReplaceDialogModel none;
  none.findText = "z";
  o = none.ReplaceAll("aaa");
  EXPECT_FALSE(o.textChanged);
  EXPECT_EQ(o.message, "見つかりませんでした！");
  // Half characters are never replaced.
  TReplaceDialogModel sj;
  sj.findText = "\\";
  sj.replaceText = "/";
  std::string pane = S("表") + "\\";
  o = sj.ReplaceAll(pane);
  EXPECT_EQ(o.text, S("表") + "/");
}

TEST(SearchMenu, FollowsTheFileSelection) {
  EXPECT_TRUE(SearchMenuItemsEnabled("/home/u/a.txt"));
  EXPECT_FALSE(SearchMenuItemsEnabled(""));
  EXPECT_STREQ(kSearchMenuFollowers[4], "置換　正規表現(&P)");
}

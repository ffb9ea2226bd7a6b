#include <gtest/gtest.h>

#include "platform/Cp932.h"
#include "search/RegexReplace.h"
#include "tests/SjisText.h"

using namespace navirt;

TEST(RegexDialog, HistoriesAndTheFuzzyBox) {
  TIniFile ini;
  ini.WriteInteger(kRegexSection, "DriveCount", 2);
  ini.WriteString(kRegexSection, "Items_0", "#[0-9]+#");
  ini.WriteString(kRegexSection, "Items_1", "plain");
  ini.WriteInteger(kRegexSection, "DriveCount2", 1);
  ini.WriteString(kRegexSection, "Items2_0", "# <&> #");
  TRegexDialogModel m;
  m.Load(ini);
  EXPECT_EQ(m.expressionHistory, (std::vector<std::string>{"[0-9]+", "plain"}));
  EXPECT_EQ(m.expression, "[0-9]+");
  EXPECT_EQ(m.replacement, " <&> ");  // blanks survive inside the "#"
  EXPECT_FALSE(m.fuzzy);              // unticked when never stored
  EXPECT_EQ(m.caption, "正規表現置換");
  EXPECT_EQ(m.okCaption, "置換(&R)");

  // Present texts keep their places; new ones go on top.
  m.expression = "plain";
  m.replacement = "new";
  m.fuzzy = true;
  EXPECT_EQ(m.Accept(ini), "plain");
  EXPECT_EQ(m.expressionHistory, (std::vector<std::string>{"[0-9]+", "plain"}));
  EXPECT_EQ(m.replacementHistory, (std::vector<std::string>{"new", " <&> "}));
  EXPECT_EQ(ini.ReadString(kRegexSection, "Items2_0", ""), "#new#");
  EXPECT_TRUE(ini.ReadBool(kRegexSection, "Fuzzy", false));
  for (int i = 0; i < 25; ++i) {
    m.expression = "e" + std::to_string(i);
    m.Accept(ini);
  }
  EXPECT_EQ(ini.ReadInteger(kRegexSection, "DriveCount", 0), 20);
  EXPECT_EQ(m.expressionHistory.front(), "e24");

  TRegexDialogModel again;
  again.Load(ini);
  EXPECT_TRUE(again.fuzzy);
  again.PresetSelection(S("選択"));
  EXPECT_EQ(again.expression, "選択");
  // Cancel writes the histories, not the box.
  again.fuzzy = false;
  TIniFile fresh;
  again.Cancel(fresh);
  EXPECT_EQ(fresh.ReadInteger(kRegexSection, "DriveCount", 0), 20);
  EXPECT_EQ(fresh.ReadInteger(kRegexSection, "DriveCount2", 0), 2);
  EXPECT_FALSE(fresh.ValueExists(kRegexSection, "Fuzzy"));

  // The plain replace-all use hides the box and never stores it.
  TRegexDialogModel plain(RegexDialogUse::ReplaceAll);
  EXPECT_EQ(plain.caption, "一括置換");
  EXPECT_FALSE(plain.showFuzzy || plain.showNote || plain.showTokens);
  plain.Load(ini);
  plain.fuzzy = false;
  plain.Accept(ini);
  EXPECT_TRUE(ini.ReadBool(kRegexSection, "Fuzzy", false));
  TRegexDialogModel del(RegexDialogUse::DeleteLines);
  EXPECT_EQ(del.caption, "検索行削除－正規表現");
  EXPECT_EQ(del.okCaption, "検索(&S)");
  EXPECT_FALSE(del.showReplacement);
  EXPECT_EQ(TRegexDialogModel(RegexDialogUse::PickLines).caption, "検索－正規表現");
}

TEST(RegexDialog, TokenButtonsAndHints) {
  TRegexDialogModel m;
  m.expression = "ab";
  std::optional<int> caret = m.PressToken(TRegexDialogModel::Field::Expression, 1, 0, RegexTokenButtons()[16]);
  EXPECT_EQ(m.expression, "a[０-９]b");
  EXPECT_EQ(caret, 8);  // 1 + 7 bytes of Shift_JIS
  m.replacement = "x";
  EXPECT_EQ(m.PressToken(TRegexDialogModel::Field::Replacement, 0, 1, RegexTokenButtons()[14]), 1);
  EXPECT_EQ(m.replacement, "&");
  EXPECT_FALSE(m.PressToken(TRegexDialogModel::Field::Other, 0, 0, RegexTokenButtons()[0]));
  EXPECT_EQ(m.PressLineHead(TRegexDialogModel::Field::Expression), 0);
  EXPECT_EQ(m.PressLineTail(TRegexDialogModel::Field::Expression), 11);
  EXPECT_EQ(m.expression, "^a[０-９]b$");
  TRegexDialogModel del(RegexDialogUse::DeleteLines);
  EXPECT_FALSE(del.PressToken(TRegexDialogModel::Field::Replacement, 0, 0, RegexTokenButtons()[0]));

  const char* hint = RegexTokenButtons()[0].hint;
  EXPECT_EQ(TokenHintShort(hint), "ｷｬﾗｸﾀｸﾗｽ");
  EXPECT_EQ(TokenHintLong(hint), "ｷｬﾗｸﾀｸﾗｽ：文字の種類の集合を示します。");
  EXPECT_EQ(TokenHintShort("優先順位"), "優先順位");
  EXPECT_EQ(TokenHintLong("優先順位"), "優先順位");
}

TEST(RegexReplace, PaneTextKeepsItsBackslashes) {
  TAWKStr awk;
  std::string pane = S("C:\\new\\table.tex \\x41 \\n 表示");
  SearchOutcome o = RegexReplaceCommand(awk, pane, "table", "desk", false);
  ASSERT_TRUE(o.textChanged);
  EXPECT_EQ(o.text, S("C:\\new\\desk.tex \\x41 \\n 表示"));
  EXPECT_EQ(o.message, "置換回数 = 1");
  EXPECT_EQ(o.kind, SearchMsg::Information);
  EXPECT_TRUE(o.markerRed);
  // Escapes still work in the expression and the template.
  o = RegexReplaceCommand(awk, "A-B", "\\x41", "[\\t&]", false);
  EXPECT_EQ(o.text, "[\tA]-B");
  o = RegexReplaceCommand(awk, "a&b", "&", "\\&\\&", false);
  EXPECT_EQ(o.text, "a&&b");
}

TEST(RegexReplace, BackslashesOutsideTheMatchesStay) {
  TAWKStr awk;
  const std::string pane = "C:\\new\\table\r\nprintf(\"\\x41\\n\");\r\n\\textbf{\\t} zap";
  const std::string cut = pane.substr(0, pane.size() - 3) + "Z";
  EXPECT_EQ(RegexReplaceCommand(awk, pane, "zap", "Z", false).text, cut);
  EXPECT_EQ(ReplaceAllCommand(pane, "zap", "Z").text, cut);
}

TEST(RegexReplace, CrLfLinesAndCounts) {
  TAWKStr awk;
  SearchOutcome o = RegexReplaceCommand(awk, "a\r\nb", "^", "> ", false);
  EXPECT_EQ(o.text, "> a\r\n> b");
  EXPECT_EQ(o.count, 2);
  o = RegexReplaceCommand(awk, "a1\r\nb22\r\nc", "[0-9]+$", "N", false);
  EXPECT_EQ(o.text, "aN\r\nbN\r\nc");
  o = RegexReplaceCommand(awk, "x1y22", "[0-9]+", "<&>", false);
  EXPECT_EQ(o.text, "x<1>y<22>");
  EXPECT_EQ(o.message, "置換回数 = 2");
}

TEST(RegexReplace, BadInputChangesNothing) {
  TAWKStr awk;
  SearchOutcome o = RegexReplaceCommand(awk, "abc", "(a", "x", false);
  EXPECT_FALSE(o.textChanged);
  EXPECT_FALSE(o.markerRed);
  EXPECT_EQ(o.kind, SearchMsg::Error);
  EXPECT_EQ(o.message, "右(閉じ)括弧が必要です");
  o = RegexReplaceCommand(awk, "abc", "b", "x\\", false);  // a template ending in "\"
  EXPECT_FALSE(o.textChanged);
  EXPECT_EQ(o.message, "\"\\\"の次には文字が必要です。");
  o = RegexReplaceCommand(awk, "abc", "z", "x", false);
  EXPECT_FALSE(o.textChanged);
  EXPECT_EQ(o.kind, SearchMsg::Warning);
  EXPECT_EQ(o.message, "置換しませんでした");
  EXPECT_EQ(RegexReplaceCommand(awk, "", "a", "x", false).kind, SearchMsg::None);
  EXPECT_EQ(RegexReplaceCommand(awk, "abc", "", "x", false).kind, SearchMsg::None);
}

TEST(RegexReplace, FuzzyBoxSwitchesTheDictionary) {
  TAWKStr awk;
  std::string pane = S("abc ＡＢＣ Abc");
  EXPECT_EQ(RegexReplaceCommand(awk, pane, "abc", "x", false).count, 1);
  SearchOutcome o = RegexReplaceCommand(awk, pane, "abc", "x", true);
  EXPECT_EQ(o.count, 3);
  EXPECT_EQ(o.text, "x x x");
  EXPECT_TRUE(awk.UseFuzzyCharDic());
  EXPECT_EQ(RegexReplaceCommand(awk, pane, "abc", "x", false).count, 1);
}

TEST(RegexReplace, PlainReplaceAll) {
  SearchOutcome o = ReplaceAllCommand(S("表\\x \\"), "\\", "/");
  ASSERT_TRUE(o.textChanged);
  EXPECT_EQ(o.text, S("表") + "/x /");
  EXPECT_EQ(o.count, 2);
  EXPECT_EQ(o.kind, SearchMsg::None);
  EXPECT_EQ(ReplaceAllCommand("Abc", "abc", "x").textChanged, false);  // case-sensitive
  EXPECT_EQ(ReplaceAllCommand("abab", "ab", "abab").text, "abababab");
  EXPECT_FALSE(ReplaceAllCommand("", "a", "b").textChanged);
  EXPECT_FALSE(ReplaceAllCommand("abc", "", "b").textChanged);
}

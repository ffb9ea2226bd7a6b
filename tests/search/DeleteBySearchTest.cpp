#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Cp932.h"
#include "search/DeleteBySearch.h"
#include "tests/SjisText.h"
#include "tests/UniqueTempDir.h"

using namespace navirt;

namespace {

using Lines = std::vector<std::string>;

}  // namespace

TEST(DeleteLines, PlainDeletionAndExtraction) {
  SearchOutcome o = DeleteLinesCommand({"ax", "b", "xx"}, "x");
  EXPECT_EQ(o.lines, (Lines{"b"}));
  EXPECT_EQ(o.message, "2　行削除しました！");
  EXPECT_EQ(o.kind, SearchMsg::Information);
  EXPECT_TRUE(o.markerRed);
  o = PickLinesCommand({"1x", "b", "2x", "c"}, "x");
  EXPECT_EQ(o.lines, (Lines{"1x", "2x"}));
  EXPECT_EQ(o.message, "2　行抽出しました！");
  o = DeleteLinesCommand({"a", "b"}, "z");
  EXPECT_EQ(o.lines, (Lines{"a", "b"}));
  EXPECT_EQ(o.message, "0　行削除しました！");
  // An empty term or an empty pane does nothing at all.
  EXPECT_FALSE(DeleteLinesCommand({"a"}, "").linesChanged);
  EXPECT_FALSE(PickLinesCommand({""}, "a").linesChanged);
  EXPECT_EQ(DeleteLinesCommand({}, "a").kind, SearchMsg::None);
}

TEST(DeleteLines, NoLineGoesForHalfACharacter) {
  // 表 and ソ end in 5C, ァ in 40.
  Lines lines{S("表示"), S("ソース"), "C:\\temp", S("ァ"), "a@b"};
  Lines kept = lines;
  EXPECT_EQ(DeleteLinesHolding(kept, "\\"), 1);
  EXPECT_EQ(kept, (Lines{S("表示"), S("ソース"), S("ァ"), "a@b"}));
  kept = lines;
  EXPECT_EQ(KeepLinesHolding(kept, "@"), 1);
  EXPECT_EQ(kept, (Lines{"a@b"}));
  std::string text = S("表\\示");
  EXPECT_EQ(DeletePhrase(text, "\\"), 1);
  EXPECT_EQ(text, S("表示"));
}

TEST(DeleteLines, ByExpression) {
  TAWKStr awk;
  Lines lines{"123", "12a", "", "456", "x9"};
  SearchOutcome o = PickLinesRegexCommand(awk, lines, "^[0-9]+$", false);
  EXPECT_EQ(o.lines, (Lines{"123", "456"}));
  EXPECT_TRUE(o.clearModified);
  EXPECT_EQ(o.kind, SearchMsg::None);
  o = DeleteLinesRegexCommand(awk, lines, "[a-z]", false);
  EXPECT_EQ(o.lines, (Lines{"123", "", "456"}));
  // An empty expression matches every line: deletion removes them all,
  // extraction does nothing.
  o = DeleteLinesRegexCommand(awk, lines, "", false);
  EXPECT_TRUE(o.linesChanged);
  EXPECT_TRUE(o.lines.empty());
  EXPECT_FALSE(PickLinesRegexCommand(awk, lines, "", false).linesChanged);
  // A syntax error leaves the pane and the marker.
  o = DeleteLinesRegexCommand(awk, lines, "[a-", false);
  EXPECT_FALSE(o.linesChanged);
  EXPECT_FALSE(o.markerRed);
  EXPECT_EQ(o.message, "右ブラケット\"]\"が必要です");
  // The check box switches the dictionary on for the command.
  Lines wide{S("ＡＢＣ"), "abc", "x"};
  EXPECT_EQ(PickLinesRegexCommand(awk, wide, "ABC", true).lines, (Lines{S("ＡＢＣ"), "abc"}));
  EXPECT_EQ(PickLinesRegexCommand(awk, wide, "ABC", false).lines, Lines{});
  // Lines that lack the bytes every match needs are never a match, and
  // those that hold them are tried in full.
  EXPECT_EQ(PickLinesRegexCommand(awk, {"xfooy", "fo", "foo"}, "f(oo|oo)y?$", false).lines, (Lines{"xfooy", "foo"}));
}

TEST(DeleteLines, PhraseKeepsTheTextsBackslashes) {
  std::string pane = "C:\\new\\x41 foo\r\nfoo\\t";
  SearchOutcome o = DeletePhraseCommand(pane, "foo");
  EXPECT_EQ(o.text, "C:\\new\\x41 \r\n\\t");
  EXPECT_EQ(o.count, 2);
  EXPECT_FALSE(DeletePhraseCommand(pane, "zzz").textChanged);
  TAWKStr awk;
  o = DeletePhrasesByTermsCommand(awk, pane, {"fo+", "x4"}, true);
  EXPECT_EQ(o.text, "C:\\new\\1 \r\n\\t");
  o = DeletePhrasesByTermsCommand(awk, "ends in \\", {"x"}, true);  // no escape error from the text
  EXPECT_TRUE(o.textChanged);
  EXPECT_EQ(o.text, "ends in \\");
}

TEST(DeleteLines, TermListInOrder) {
  TAWKStr awk;
  SearchOutcome o = DeleteLinesByTermsCommand(awk, {"xa", "yb", "z"}, {"a", "b"}, false);
  EXPECT_EQ(o.lines, (Lines{"z"}));
  EXPECT_EQ(o.count, 2);
  EXPECT_FALSE(o.clearModified);
  o = DeleteLinesByTermsCommand(awk, {"xa", "yb", "z", "a."}, {"^x", "b$", "\\."}, true);
  EXPECT_EQ(o.lines, (Lines{"z"}));
  EXPECT_TRUE(o.clearModified);
  // Order matters for phrases: "ab" first leaves "a" of "aab".
  EXPECT_EQ(DeletePhrasesByTermsCommand(awk, "aab", {"ab", "b"}, false).text, "a");
  EXPECT_EQ(DeletePhrasesByTermsCommand(awk, "aab", {"b", "ab"}, false).text, "aa");
  // An error in a later term leaves everything as it was.
  o = DeleteLinesByTermsCommand(awk, {"xa", "yb"}, {"a", "(b"}, true);
  EXPECT_FALSE(o.linesChanged);
  EXPECT_EQ(o.kind, SearchMsg::Error);
  o = DeletePhrasesByTermsCommand(awk, "xa", {"a", "*"}, true);
  EXPECT_FALSE(o.textChanged);
  EXPECT_EQ(o.message, "普通の文字、または左括弧\"(\"が必要です");
}

class TermList : public ::testing::Test {
 protected:
  UniqueTempDir tmp_{"navirt-termlist"};
  std::string dir_ = tmp_.Folder();
};

TEST_F(TermList, EditingTheList) {
  TTermListDialogModel m(true);
  EXPECT_EQ(m.caption, "検索行削除 連続");
  EXPECT_EQ(TTermListDialogModel().caption, "検索語句削除　連続");
  m.PresetSelection(S("語"));
  EXPECT_EQ(m.field, "語");
  m.Add();
  EXPECT_EQ(m.field, "");
  m.Add();  // nothing to add
  for (const char* t : {"b", "c"}) {
    m.field = t;
    m.Add();
  }
  EXPECT_EQ(m.list, (Lines{"語", "b", "c"}));
  EXPECT_EQ(m.selected, 2);
  m.MoveUp();
  EXPECT_EQ(m.list, (Lines{"語", "c", "b"}));
  EXPECT_EQ(m.selected, 1);
  m.MoveDown();
  m.MoveDown();  // already last
  EXPECT_EQ(m.list, (Lines{"語", "b", "c"}));
  EXPECT_EQ(m.selected, 2);
  m.Click(0);
  EXPECT_EQ(m.field, "語");
  m.MoveUp();  // already first
  m.Remove();
  EXPECT_EQ(m.list, (Lines{"b", "c"}));
  EXPECT_EQ(m.selected, 0);
  m.Click(1);
  m.Remove();
  EXPECT_EQ(m.selected, 0);
  m.ClearField();
  EXPECT_EQ(m.field, "");
  m.ClearList();
  EXPECT_TRUE(m.list.empty());
  m.Remove();
  EXPECT_EQ(m.selected, -1);
}

TEST_F(TermList, FilesAndSettings) {
  TTermListDialogModel m;
  m.list = {"一", "two", "三"};
  ASSERT_FALSE(m.SaveFile(dir_ + "list.txt"));
  std::ifstream in(dir_ + "list.txt", std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(bytes, S("一\r\ntwo\r\n三\r\n"));
  EXPECT_EQ(m.openFileName, dir_ + "list.txt");
  EXPECT_EQ(m.saveFolder, dir_);

  TTermListDialogModel l;
  l.list = {"kept"};
  std::optional<std::string> err = l.LoadFile(dir_ + "missing.txt");
  ASSERT_TRUE(err);
  EXPECT_EQ(*err, "No such file or directory");
  EXPECT_EQ(l.list, (Lines{"kept"}));
  err = l.SaveFile(dir_ + "no/such/folder/x.txt");
  EXPECT_TRUE(err);
  EXPECT_EQ(l.list, (Lines{"kept"}));
  std::ofstream(dir_ + "lf.txt", std::ios::binary) << "a\n\nb";
  ASSERT_FALSE(l.LoadFile(dir_ + "lf.txt"));
  EXPECT_EQ(l.list, (Lines{"a", "b"}));
  ASSERT_FALSE(l.LoadFile(dir_ + "list.txt"));
  EXPECT_EQ(l.list, (Lines{"一", "two", "三"}));
  EXPECT_EQ(l.saveFileName, dir_ + "list.txt");

  TIniFile ini;
  l.Load(ini, "/opt/navirt/");
  EXPECT_EQ(l.openFolder, "/opt/navirt/");
  EXPECT_FALSE(l.regex);
  EXPECT_TRUE(l.list.empty());
  l.list = {"a", " b "};
  l.regex = true;
  l.Execute(ini);
  EXPECT_EQ(ini.ReadString(kTermListSection, "Items_1", ""), "# b #");
  EXPECT_EQ(ini.ReadInteger(kTermListSection, "ListCount", 0), 2);
  l.list = {"only"};
  l.Execute(ini);
  EXPECT_FALSE(ini.ValueExists(kTermListSection, "Items_1"));
  ini.WriteInteger(kTermListSection, "ListCount", 2);
  ini.WriteString(kTermListSection, "Items_1", "xyzx");  // the first and last character go
  TTermListDialogModel back;
  back.Load(ini, "/opt/navirt/");
  EXPECT_TRUE(back.regex);
  EXPECT_EQ(back.list, (Lines{"only", "yz"}));
}

TEST(DeleteLines, BackslashesSurviveEveryCommand) {
  // Windows paths, program sources and TeX: no command may rewrite "\n",
  // "\t" or "\x41" in the text it was not asked to change.
  const Lines lines{"C:\\new\\table", "printf(\"\\x41\\n\");", "\\textbf{\\t}", "zap"};
  const std::string pane = "C:\\new\\table\r\nprintf(\"\\x41\\n\");\r\n\\textbf{\\t}\r\nzap";
  const Lines untouched{lines[0], lines[1], lines[2]};
  TAWKStr awk;
  EXPECT_EQ(DeleteLinesCommand(lines, "zap").lines, untouched);
  EXPECT_EQ(DeleteLinesRegexCommand(awk, lines, "^zap$", false).lines, untouched);
  EXPECT_EQ(PickLinesCommand(lines, "\\").lines, untouched);
  EXPECT_EQ(PickLinesRegexCommand(awk, lines, "\\\\", false).lines, untouched);
  EXPECT_EQ(DeleteLinesByTermsCommand(awk, lines, {"zap"}, true).lines, untouched);
  EXPECT_EQ(DeleteLinesByTermsCommand(awk, lines, {"zap"}, false).lines, untouched);
  const std::string cut = pane.substr(0, pane.size() - 3);
  EXPECT_EQ(DeletePhraseCommand(pane, "zap").text, cut);
  EXPECT_EQ(DeletePhrasesByTermsCommand(awk, pane, {"zap"}, true).text, cut);
  EXPECT_EQ(DeletePhrasesByTermsCommand(awk, pane, {"zap"}, false).text, cut);
}

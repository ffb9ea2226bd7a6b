#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Cp932.h"
#include "search/GrepCommand.h"
#include "search/RegexTokens.h"
#include "tests/UniqueTempDir.h"

using namespace navirt;
namespace fs = std::filesystem;

namespace {

class GrepCommand : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + name, std::ios::binary) << bytes;
    return dir_ + name;
  }
  UniqueTempDir tmp_{"navirt-grepcmd"};
  std::string dir_ = tmp_.Folder();
};

TEST_F(GrepCommand, DialogFileGroup) {
  Write("a.txt", "a");
  Write("b.txt", "b");
  fs::create_directory(dir_ + "sub");
  TGrepDialogModel m;
  m.Setup(dir_, {"a.txt", "sub", "b.txt"}, {"b.txt", "sub"});
  EXPECT_TRUE(m.selectedGroup);
  EXPECT_TRUE(m.groupEnabled);
  EXPECT_EQ(m.files, (std::vector<std::string>{dir_ + "b.txt"}));
  EXPECT_EQ(m.filesLabel, "2個のファイル");
  m.ChooseSelected(false);
  EXPECT_EQ(m.files, (std::vector<std::string>{dir_ + "a.txt", dir_ + "b.txt"}));

  TGrepDialogModel none;
  none.Setup(dir_.substr(0, dir_.size() - 1), {"a.txt", "b.txt"}, {});
  EXPECT_FALSE(none.selectedGroup);
  EXPECT_FALSE(none.groupEnabled);
  EXPECT_EQ(none.files.size(), 2u);
  EXPECT_EQ(none.files[0], dir_ + "a.txt");
}

TEST_F(GrepCommand, HistoryKeepsTenNewestFirst) {
  TIniFile ini;
  TGrepDialogModel m;
  for (int i = 0; i < 12; ++i) {
    m.expression = "e" + std::to_string(i);
    EXPECT_EQ(m.Accept(ini), m.expression);
  }
  EXPECT_EQ(ini.ReadInteger("Grep", "DriveCount", -1), 10);
  EXPECT_EQ(ini.ReadString("Grep", "Items_0", ""), "#e11#");
  EXPECT_EQ(ini.ReadString("Grep", "Items_9", ""), "#e2#");
  // An expression already present keeps its place.
  m.expression = "e5";
  m.Accept(ini);
  EXPECT_EQ(ini.ReadString("Grep", "Items_0", ""), "#e11#");
  TGrepDialogModel back;
  back.LoadHistory(ini);
  EXPECT_EQ(back.history.size(), 10u);
  EXPECT_EQ(back.history[0], "e11");
  EXPECT_EQ(back.expression, "e11");
  EXPECT_EQ(back.ToggleTokenPanel(), 220);
  EXPECT_EQ(back.tokenPanelHeight, 220);
  EXPECT_EQ(back.ToggleTokenPanel(), -220);
}

TEST_F(GrepCommand, TokenButtons) {
  const auto& t = RegexTokenButtons();
  ASSERT_EQ(t.size(), 26u);
  // "[-]" into "ab" over the selected "b": the caret lands inside the brackets.
  TokenEdit e = InsertToken("ab", 1, 1, t[0]);
  EXPECT_EQ(e.text, "a[-]");
  EXPECT_EQ(e.caret, 2);
  e = InsertToken("x", 1, 0, t[16]);  // "[０-９]"
  EXPECT_EQ(e.text, "x" + Utf8ToCp932("[０-９]"));
  EXPECT_EQ(e.caret, 8);
  e = InsertToken("x", 0, 0, t[7]);  // "[^-]"
  EXPECT_EQ(e.caret, 2);
  EXPECT_EQ(PrependLineHead("abc").text, "^abc");
  EXPECT_EQ(PrependLineHead("abc").caret, 0);
  EXPECT_EQ(AppendLineTail("abc").text, "abc$");
  EXPECT_EQ(AppendLineTail("abc").caret, 4);
  // Every advance stays inside the inserted text.
  for (const RegexToken& k : t) EXPECT_LE(size_t(k.advance), Utf8ToCp932(k.text).size()) << k.caption;
}

TEST_F(GrepCommand, PaneLinesOfARun) {
  std::string a = Write("a.txt", "xabc\r\nabc");
  std::string b = Write("b.txt", "none\n");
  TGrep grep;
  grep.SetRegExp("abc");
  std::vector<std::string> lines;
  auto add = [&](const std::string& l) { lines.push_back(Cp932ToUtf8(l)); };
  GrepRunResult r = TGrepRun::Run(grep, "abc", {a, b}, true, true, add);
  EXPECT_EQ(r.outcome, GrepOutcome::Done);
  EXPECT_EQ(r.matches, 2);
  EXPECT_EQ(lines, (std::vector<std::string>{"Grepの実行　検索正規表現 = abc", "", "// 検索ファイル [ " + a + " ]",
                                             a + "(1) :xabc", a + "(2) :abc", "// 検索ファイル [ " + b + " ]"}));
  lines.clear();
  TGrepRun::Run(grep, "abc", {a}, false, false, add);
  EXPECT_EQ(lines, (std::vector<std::string>{"Grepの実行　検索正規表現 = abc", "", "xabc", "abc"}));
}

TEST_F(GrepCommand, CancelDuringTheSecondFileAndUnreadableFiles) {
  std::string a = Write("a.txt", "abc 1\nabc 2\n");
  std::string big;
  for (int i = 0; i < 50000; ++i) big += "abc " + std::to_string(i) + "\n";
  std::string b = Write("b.txt", big);
  TGrep grep;
  grep.SetRegExp("abc");
  std::vector<std::string> lines;
  int fileLines = 0;
  grep.OnProcessMessages = [&] {
    if (fileLines == 2) grep.Cancel = true;  // a stop pressed while the second file is read
  };
  GrepRunResult r = TGrepRun::Run(grep, "abc", {a, b, a}, true, true, [&](const std::string& l) {
    lines.push_back(Cp932ToUtf8(l));
    if (l.rfind("//", 0) == 0) ++fileLines;
  });
  EXPECT_EQ(r.outcome, GrepOutcome::Cancelled);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[2], "// 検索ファイル [ " + a + " ]");
  EXPECT_EQ(lines[4], a + "(2) :abc 2");
  EXPECT_EQ(lines[5], "// 検索ファイル [ " + b + " ]");
  EXPECT_EQ(lines[6], "[Grepを中止]");

  lines.clear();
  grep.OnProcessMessages = nullptr;
  r = TGrepRun::Run(grep, "abc", {a, dir_ + "missing.txt", a}, false, false,
                    [&](const std::string& l) { lines.push_back(l); });
  EXPECT_EQ(r.outcome, GrepOutcome::Failed);
  EXPECT_NE(r.error.find("missing.txt"), std::string::npos);
  EXPECT_EQ(lines.size(), 4u);  // heading, empty line, the first file's two lines
}

}  // namespace

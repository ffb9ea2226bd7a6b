// "文字コード自動判別" in the grep dialog's model and in a run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "codec/CodeConvert.h"
#include "platform/Cp932.h"
#include "search/GrepCommand.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

TEST(GrepAutoCode, FlagIsRememberedInTheGrepSection) {
  TIniFile ini;
  TGrepDialogModel m;
  m.LoadHistory(ini);
  EXPECT_FALSE(m.autoDetectCode);  // off until the user turns it on
  m.expression = "x";
  m.autoDetectCode = true;
  m.Accept(ini);
  EXPECT_TRUE(ini.ReadBool("Grep", "AutoCode", false));
  TGrepDialogModel back;
  back.LoadHistory(ini);
  EXPECT_TRUE(back.autoDetectCode);
  back.autoDetectCode = false;
  back.Accept(ini);
  TGrepDialogModel again;
  again.LoadHistory(ini);
  EXPECT_FALSE(again.autoDetectCode);
}

TEST(GrepAutoCode, RunReadsEachFileInItsCode) {
  UniqueTempDir tmp("navirt-grepauto");
  const std::string dir = tmp.Folder();
  const std::string word = Utf8ToCp932("全角");
  const std::string sjisLine = Utf8ToCp932("行の全角文字");
  auto write = [&](const std::string& name, const std::string& bytes) {
    std::ofstream(dir + name, std::ios::binary) << bytes;
    return dir + name;
  };
  const std::vector<std::string> paths = {write("a.txt", "x\r\n" + sjisLine + "\r\n"),
                                          write("b.txt", "x\n" + SjisToEuc(sjisLine) + "\n"),
                                          write("c.txt", "x\n行の全角文字\n")};
  TGrep grep;
  grep.SetRegExp(word);
  std::vector<std::string> lines;
  SetGrepAutoDetectCode(grep, true);
  GrepRunResult r = TGrepRun::Run(grep, word, paths, false, true, [&](const std::string& l) { lines.push_back(l); });
  EXPECT_EQ(r.outcome, GrepOutcome::Done);
  EXPECT_EQ(r.matches, 3);
  ASSERT_EQ(lines.size(), 5u);
  for (size_t k = 0; k < 3; ++k) EXPECT_EQ(lines[2 + k], Utf8ToCp932(paths[k]) + "(2) :" + sjisLine);
  // Off again: the bytes as they are, so only the Shift_JIS file matches.
  SetGrepAutoDetectCode(grep, false);
  r = TGrepRun::Run(grep, word, paths, false, true, [](const std::string&) {});
  EXPECT_EQ(r.matches, 1);
}

}  // namespace
}  // namespace navirt

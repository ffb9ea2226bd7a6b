#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "settings/History.h"
#include "settings/IniFile.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

TEST(IniFile, KeepsUnknownSectionsKeysAndCommentsWhenRewriting) {
  TIniFile ini;
  ini.Parse("; my notes\n[Form]\nLeft=10\nMine=keep me\n\n[Other]\nX=1\n");
  ini.WriteInteger("Form", "Left", 20);
  ini.WriteString("Form", "Top", "5");
  ini.WriteBool("New", "Flag", true);
  EXPECT_EQ(ini.Text(), "; my notes\n[Form]\nLeft=20\nMine=keep me\nTop=5\n\n[Other]\nX=1\n[New]\nFlag=1\n");
}

TEST(IniFile, NamesIgnoreCaseAndBadNumbersFallBack) {
  TIniFile ini;
  ini.Parse("[FileView]\nhottrack=0\nIcon=abc\nColum1= 42 \nBig=99999999999999999999\nNeg=-2\n");
  EXPECT_FALSE(ini.ReadBool("FILEVIEW", "Hottrack", true));
  EXPECT_EQ(ini.ReadInteger("FileView", "Icon", 3), 3);
  EXPECT_EQ(ini.ReadInteger("FileView", "Colum1", 0), 42);
  EXPECT_EQ(ini.ReadInteger("FileView", "Big", 7), 7);
  EXPECT_EQ(ini.ReadInteger("FileView", "Neg", 0), -2);
  EXPECT_TRUE(ini.ReadBool("FileView", "Missing", true));
  EXPECT_TRUE(ini.ReadBool("FileView", "Icon", true));  // not a number: default
}

TEST(IniFile, RepeatedSectionContinuesTheFirstAndValuesStayOneLine) {
  TIniFile ini;
  ini.Parse("[A]\nx=1\n[B]\ny=2\n[A]\nz=3\n");
  EXPECT_EQ(ini.ReadString("A", "z", ""), "3");
  ini.WriteString("A", "w", "two\nlines");
  TIniFile again;
  again.Parse(ini.Text());
  EXPECT_EQ(again.ReadString("A", "w", ""), "two lines");
  EXPECT_EQ(again.ReadString("B", "y", ""), "2");
}

TEST(IniFile, SaveIsAtomicAndFailsCleanlyWhenTheFolderIsAFile) {
  UniqueTempDir tmp("navirt-ini");
  const std::filesystem::path& dir = tmp.path();
  std::string path = (dir / "navirt.ini").string();
  TIniFile ini;
  ini.WriteString("Form", "Left", "1");
  ASSERT_TRUE(ini.SaveAs(path));
  TIniFile back(path);
  EXPECT_EQ(back.ReadString("Form", "Left", ""), "1");
  // A "folder" that is a file cannot take the settings; nothing is lost.
  std::string bad = path + "/sub/navirt.ini";
  std::string err;
  EXPECT_FALSE(ini.SaveAs(bad, &err));
  EXPECT_FALSE(err.empty());
  TIniFile still(path);
  EXPECT_EQ(still.ReadString("Form", "Left", ""), "1");
}

TEST(History, CapBlanksAndOrder) {
  TIniFile ini;
  std::vector<std::string> items;
  for (int i = 0; i < 30; ++i) items.push_back("item" + std::to_string(i));
  auto saved = SaveHistoryList(ini, "Ext", items, "");
  EXPECT_EQ(saved.size(), 21u);
  EXPECT_EQ(ini.ReadInteger("Ext", "DriveCount", 0), 21);
  EXPECT_EQ(ini.ReadString("Ext", "Items_0", ""), "#item0#");

  // The answer moves to the top; blanks around it survive through "#".
  saved = SaveHistoryList(ini, "Ext", saved, "  padded  ");
  saved = SaveHistoryList(ini, "Ext", saved, "item5");
  auto loaded = LoadHistoryList(ini, "Ext");
  ASSERT_EQ(loaded.size(), 21u);
  EXPECT_EQ(loaded[0], "item5");
  EXPECT_EQ(loaded[1], "  padded  ");
  EXPECT_EQ(std::count(loaded.begin(), loaded.end(), "item5"), 1);

  // Empty entries are dropped before writing.
  auto withEmpty = SaveHistoryList(ini, "S", {"a", "", "b"}, "");
  EXPECT_EQ(withEmpty, (std::vector<std::string>{"a", "b"}));
}

TEST(History, ValuesWithoutHashesAndBrokenCounts) {
  TIniFile ini;
  ini.Parse("[X]\nDriveCount=3\nItems_0=plain\nItems_1=#x#\nItems_2=#\n[Y]\nDriveCount=-4\n");
  EXPECT_EQ(LoadHistoryList(ini, "X"), (std::vector<std::string>{"plain", "x", ""}));
  EXPECT_TRUE(LoadHistoryList(ini, "Y").empty());
}

}  // namespace
}  // namespace navirt

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/MainSettings.h"
#include "app/StartupPath.h"
#include "settings/IniFile.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

TEST(MainSettings, OutOfRangeValuesFallBackAsTheWindowRulesSay) {
  TIniFile ini;
  ini.Parse(
      "[Form]\nLeft=-5\nTop=20\nWidth=5000\nHeight=5000\n[PanelL]\nWidth=99999\n[PanelRB]\nHeight=-1\n"
      "[FileView]\nColum1=-3\nColum2=-2\nHottrack=0\n[Menu]\nMmousepoint=1\nMgazokakudai=60\n"
      "[FontR]\nStyle=300\nColor=$000000FF\nSize=0\n[RichEdit]\nrichtabwidth=x\n");
  MainSettings s;
  s.panelLWidth = 137;
  s.panelRBHeight = 300;
  s.colum1 = 50;
  ScreenLimits lim{1280, 800, 1000, 600};
  ReadMainSettings(ini, s, lim);
  EXPECT_EQ(s.left, 0);
  EXPECT_EQ(s.top, 20);
  EXPECT_EQ(s.width, 1280);
  EXPECT_EQ(s.height, 480);
  EXPECT_EQ(s.panelLWidth, 137);
  EXPECT_EQ(s.panelRBHeight, 300);
  EXPECT_EQ(s.colum1, 50);
  EXPECT_EQ(s.colum2, -2);
  EXPECT_FALSE(s.hottrack);
  EXPECT_TRUE(s.Menu("Mmousepoint"));  // the window lets Hottrack decide
  EXPECT_EQ(s.zoom, 0);
  EXPECT_EQ(s.fontR.style, 0);
  EXPECT_EQ(s.fontR.color, clRed);
  EXPECT_EQ(s.tabWidth, 8);

  ini.Parse("[Menu]\nMgazokakudai=125\nMsubtoolbar=0\n");
  ReadMainSettings(ini, s, lim);
  EXPECT_EQ(s.zoom, 125);
  EXPECT_FALSE(s.Menu("Msubtoolbar1"));
  EXPECT_TRUE(s.Menu("Mdisp"));
}

TEST(MainSettings, WriteThenReadGivesTheSameValues) {
  MainSettings s;
  s.left = 11;
  s.top = 12;
  s.width = 700;
  s.height = 400;
  s.fontR = {"Noto Sans Mono CJK JP", 3, clBlue, 11};
  s.fontF = {"Noto Sans CJK JP", 0, clWindowText, 9};
  s.directory = "/tmp/フォルダー/";
  s.icon = 4;
  s.colum1 = 80;
  s.hottrack = false;
  s.wordWrap = true;
  s.tabWidth = 4;
  s.zoom = 200;
  s.menu["Mrtf"] = true;
  s.menu["Mdisp"] = false;
  TIniFile ini;
  SaveContext ctx;
  ctx.settingsPath = "/x/navirt.ini";
  WriteMainSettings(ini, s, ctx);
  EXPECT_EQ(ini.ReadString("System", "Program", ""), "NAVIRT");
  EXPECT_EQ(ini.ReadString("FontR", "Color", ""), "clBlue");
  EXPECT_EQ(ini.ReadString("Menu", "Mrtf", ""), "1");
  EXPECT_EQ(ini.ReadString("Menu", "Msubtoolbar", ""), "1");

  MainSettings r;
  ReadMainSettings(ini, r, ScreenLimits{1920, 1080, 1920, 1000});
  EXPECT_EQ(r.left, 11);
  EXPECT_EQ(r.height, 400);
  EXPECT_EQ(r.fontR.name, s.fontR.name);
  EXPECT_EQ(r.fontR.style, 3);
  EXPECT_EQ(r.fontR.color, clBlue);
  EXPECT_EQ(r.directory, s.directory);
  EXPECT_EQ(r.icon, 4);
  EXPECT_FALSE(r.hottrack);
  EXPECT_TRUE(r.wordWrap);
  EXPECT_EQ(r.tabWidth, 4);
  EXPECT_EQ(r.zoom, 200);
  EXPECT_TRUE(r.Menu("Mrtf"));
  EXPECT_FALSE(r.Menu("Mdisp"));
}

TEST(Colors, NamesAndHexBothWays) {
  EXPECT_EQ(ColorToString(0x0000FF), "clRed");
  EXPECT_EQ(ColorToString(0x00123456), "$00123456");
  EXPECT_EQ(StringToColor("clWindowText"), clWindowText);
  EXPECT_EQ(StringToColor("$00123456"), 0x00123456u);
  EXPECT_FALSE(StringToColor("purple-ish").has_value());
  EXPECT_EQ(ColorToRgb(0x00123456), 0x563412u);
}

TEST(StartupPath, ArgumentsJoinIntoOnePathWithBlanks) {
  UniqueTempDir tmp("navirt start test");
  const std::filesystem::path& dir = tmp.path();
  std::filesystem::create_directories(dir / "sub dir");
  std::ofstream(dir / "sub dir" / "My File.txt") << "x";
  std::string joined = JoinArguments({(dir / "sub").string(), "dir/My", "File.txt"});
  StartupTarget t = ResolveStartupPath(joined, "/");
  EXPECT_TRUE(t.valid);
  EXPECT_EQ(t.folder, (dir / "sub dir").string() + "/");
  EXPECT_EQ(t.name, "My File.txt");
  // Relative paths resolve against the current folder; missing names give an empty name.
  t = ResolveStartupPath("sub dir/none.txt", dir.string());
  EXPECT_EQ(t.folder, (dir / "sub dir").string() + "/");
  EXPECT_EQ(t.name, "");
  EXPECT_FALSE(t.folderOnly);
  t = ResolveStartupPath((dir / "SUB DIR" / "my file.TXT").string(), "/");
  EXPECT_EQ(t.name, "");  // the folder part is taken as it is
  t = ResolveStartupPath((dir / "sub dir" / "my file.TXT").string(), "/");
  EXPECT_EQ(t.name, "My File.txt");
  t = ResolveStartupPath((dir / "sub dir").string() + "/", "/");
  EXPECT_EQ(t.name, "");
  EXPECT_TRUE(t.folderOnly);
  // Without the '/' the folder is opened too, not its parent.
  t = ResolveStartupPath((dir / "sub dir").string(), "/");
  EXPECT_EQ(t.folder, (dir / "sub dir").string() + "/");
  EXPECT_EQ(t.name, "");
  EXPECT_TRUE(t.folderOnly);
  t = ResolveStartupPath("sub dir", dir.string());
  EXPECT_EQ(t.folder, (dir / "sub dir").string() + "/");
  EXPECT_TRUE(t.folderOnly);
  EXPECT_FALSE(ResolveStartupPath("", "/").valid);
}

}  // namespace
}  // namespace navirt

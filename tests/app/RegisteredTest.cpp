#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/MainSettings.h"
#include "app/NumberedMenu.h"
#include "app/RegisterDialogs.h"
#include "app/Registered.h"
#include "app/ToolButtonSettings.h"
#include "platform/Programs.h"
#include "settings/IniFile.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> Captions(const TNumberedMenu& m) {
  std::vector<std::string> c;
  for (const auto& i : m.Items()) c.push_back(i.caption + "#" + std::to_string(i.tag));
  return c;
}

class Programs : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* n : {"edit.sh", "view", "calc.bin"}) Make(n, true);
    Make("notes.txt", false);
  }
  std::string Make(const std::string& name, bool exec) {
    std::string p = dir + "/" + name;
    std::ofstream(p) << "#!/bin/sh\n";
    chmod(p.c_str(), exec ? 0755 : 0644);
    return p;
  }
  std::string P(const std::string& name) const { return dir + "/" + name; }
  UniqueTempDir tmp_{"navirt_reg"};
  std::string dir = tmp_.path().string();
};

TEST_F(Programs, MovingTheThirdApplicationUpRenumbersTheMenusAndTheSettings) {
  TIniFile ini;
  SaveApplications(ini, {{P("edit.sh"), "Edit"}, {P("view"), "View"}, {P("calc.bin"), "Calc"}});
  TNumberedMenu menu;
  menu.Rebuild(ApplicationMenu(LoadApplications(ini)));
  EXPECT_EQ(Captions(menu), (std::vector<std::string>{"&1 Edit#1", "&2 View#2", "&3 Calc#3"}));

  TAppDialogModel d(menu, IsExecutableFile);
  d.Open(ini);
  EXPECT_EQ(d.Select(2), P("calc.bin"));
  d.MoveUp();
  EXPECT_EQ(d.Selected(), 1);
  EXPECT_EQ(Captions(menu), (std::vector<std::string>{"&1 Edit#1", "&2 Calc#2", "&3 View#3"}));
  EXPECT_EQ(menu.Items()[1].hint, "Calc");
  d.MoveUp();
  d.MoveUp();  // stops at the top
  EXPECT_EQ(d.Selected(), 0);
  d.MoveDown();
  d.Close(ini);
  EXPECT_EQ(ApplicationForTag(ini, 2), P("calc.bin"));
  EXPECT_EQ(ApplicationForTag(ini, 3), P("view"));
  EXPECT_EQ(ini.ReadString("Mexe", "Name1", ""), "Calc");
  EXPECT_EQ(Captions(menu), (std::vector<std::string>{"&1 Edit#1", "&2 Calc#2", "&3 View#3"}));
}

TEST_F(Programs, OnlyExecutableFilesRegisterAndMissingOnesAreLeftOut) {
  TIniFile ini;
  SaveApplications(ini, {{P("gone"), "Gone"}, {P("edit.sh"), "Edit"}, {"", "Empty"}});
  // The start-up menu lists every entry, also those without a program.
  EXPECT_EQ(ApplicationMenu(LoadApplications(ini)).size(), 3u);
  TNumberedMenu menu;
  TAppDialogModel d(menu, IsExecutableFile);
  d.Open(ini);
  ASSERT_EQ(d.Entries().size(), 1u);
  EXPECT_EQ(d.Dropped().size(), 2u);
  EXPECT_EQ(Captions(menu), (std::vector<std::string>{"&1 Edit#1"}));

  EXPECT_FALSE(d.CanRegister());
  d.PickFile(P("notes.txt"));
  EXPECT_EQ(d.nameField, "notes");
  EXPECT_EQ(d.Register(), P("notes.txt") + " は設定できませんでした。");
  d.pathField = P("nothing-here");
  EXPECT_EQ(d.Register(), P("nothing-here") + " は設定できませんでした。");
  EXPECT_EQ(d.Entries().size(), 1u);
  EXPECT_EQ(menu.Items().size(), 1u);

  d.PickFile(P("calc.bin"));
  EXPECT_EQ(d.nameField, "calc");
  d.nameField = "電卓";
  EXPECT_EQ(d.Register(), "");
  EXPECT_EQ(Captions(menu), (std::vector<std::string>{"&1 Edit#1", "&2 電卓#2"}));

  // Update keeps the entry's place; a non-program is refused there too.
  d.Select(0);
  d.pathField = P("notes.txt");
  EXPECT_FALSE(d.Update().empty());
  d.pathField = P("view");
  d.nameField = "View";
  EXPECT_EQ(d.Update(), "");
  EXPECT_EQ(menu.Items()[0], (MenuItemSpec{"&1 View", "View", 1}));

  // Delete: the selection goes to the entry before, none after the first.
  d.Select(1);
  d.Delete();
  EXPECT_EQ(d.Selected(), 0);
  EXPECT_TRUE(d.pathField.empty());
  d.Delete();
  EXPECT_EQ(d.Selected(), -1);
  d.Delete();  // nothing selected: nothing happens
  EXPECT_TRUE(menu.Items().empty());
  d.Close(ini);
  EXPECT_EQ(ini.ReadInteger("Mexe", "Count", -1), 0);
  EXPECT_FALSE(ini.ValueExists("Mexe", "File0"));
  EXPECT_EQ(ApplicationForTag(ini, 1), "");
}

TEST(RegisteredFolders, AnEmptySecondEntryLeavesAGapUntilTheDialogClosesIt) {
  TIniFile ini;
  ini.Parse("[PopupMenu2]\nCount=3\nFolder0=/home/a\nFolder1=\nFolder2=/srv/c\n");
  TNumberedMenu menu;
  menu.Rebuild(FolderMenu(LoadFolders(ini)));
  EXPECT_EQ(Captions(menu), (std::vector<std::string>{"&1 /home/a#1", "&3 /srv/c#3"}));
  EXPECT_EQ(FolderForTag(ini, 3), "/srv/c");
  EXPECT_EQ(FolderForTag(ini, 2), "");

  TFolderDialogModel d(menu);
  d.Open(ini);
  EXPECT_EQ(d.Entries().size(), 3u);
  EXPECT_FALSE(d.CanRegister());
  EXPECT_FALSE(d.CanDelete());
  // While open, menu positions follow the list, so moving the last one up
  // swaps the right items.
  d.Select(2);
  d.MoveUp();
  EXPECT_EQ(menu.Items()[1].hint, "/srv/c");
  d.Close(ini);
  EXPECT_EQ(ini.ReadInteger("PopupMenu2", "Count", 0), 2);
  EXPECT_FALSE(ini.ValueExists("PopupMenu2", "Folder2"));
  EXPECT_EQ(Captions(menu), (std::vector<std::string>{"&1 /home/a#1", "&2 /srv/c#2"}));
  TNumberedMenu next;
  next.Rebuild(FolderMenu(LoadFolders(ini)));
  EXPECT_EQ(Captions(next), Captions(menu));
}

TEST(RegisteredFolders, TheSameFolderIsRegisteredOnceAndButtonsFollowTheField) {
  TIniFile ini;
  TNumberedMenu menu;
  TFolderDialogModel d(menu);
  d.Open(ini);
  d.PickFolder("/home/taro/doc");
  EXPECT_TRUE(d.CanRegister());
  EXPECT_TRUE(d.Register());
  EXPECT_FALSE(d.Register());
  d.SetPathField("/home/taro/doc/");  // not the same text: a new entry
  EXPECT_TRUE(d.Register());
  d.SetPathField("");
  EXPECT_FALSE(d.CanRegister());
  EXPECT_FALSE(d.Register());
  EXPECT_EQ(Captions(menu), (std::vector<std::string>{"&1 /home/taro/doc#1", "&2 /home/taro/doc/#2"}));
  EXPECT_EQ(d.Select(0), "/home/taro/doc");
  EXPECT_TRUE(d.CanDelete());
  d.Delete();
  EXPECT_EQ(d.PathField(), "");
  EXPECT_FALSE(d.CanDelete());
  // The item left is numbered by its place, so its tag finds its entry.
  EXPECT_EQ(Captions(menu), (std::vector<std::string>{"&1 /home/taro/doc/#1"}));
  d.Close(ini);
  EXPECT_EQ(FolderForTag(ini, 1), "/home/taro/doc/");
}

TEST(RegisteredFolders, TagsOutsideTheStoredListAndDamagedCountsDoNothing) {
  TIniFile ini;
  ini.Parse("[PopupMenu2]\nCount=-4\nFolder0=/x\n[Mexe]\nCount=99999999\nFile0=/bin/true\n");
  EXPECT_TRUE(LoadFolders(ini).empty());
  EXPECT_EQ(FolderForTag(ini, 1), "");
  EXPECT_EQ(LoadApplications(ini).size(), 10000u);
  EXPECT_EQ(ApplicationForTag(ini, 1), "/bin/true");
  EXPECT_EQ(ApplicationForTag(ini, 0), "");
  EXPECT_EQ(ApplicationForTag(ini, 2), "");
  EXPECT_EQ(MissingFolderMessage("/x"), "フォルダー /x が見つかりません。");
}

TEST_F(Programs, ClicksOnEntriesThatAreGoneSayWhatIsMissing) {
  TIniFile ini;
  SaveApplications(ini, {{P("edit.sh"), "Edit"}, {P("gone"), "Gone"}, {"", "Empty"}});
  SaveFolders(ini, {dir, dir + "/gone", ""});
  ItemClick c = ApplicationClick(ini, 1, IsExecutableFile);
  EXPECT_EQ(c.path, P("edit.sh"));
  EXPECT_EQ(c.message, "");
  c = ApplicationClick(ini, 2, IsExecutableFile);
  EXPECT_EQ(c.path, "");
  EXPECT_EQ(c.message, P("gone") + " が見つかりません。");
  c = ApplicationClick(ini, 3, IsExecutableFile);
  EXPECT_TRUE(c.path.empty() && c.message.empty());
  auto isDir = [](const std::string& p) { return fs::is_directory(p); };
  EXPECT_EQ(FolderClick(ini, 1, isDir).path, dir);
  EXPECT_EQ(FolderClick(ini, 2, isDir).message, "フォルダー " + dir + "/gone が見つかりません。");
  c = FolderClick(ini, 3, isDir);
  EXPECT_TRUE(c.path.empty() && c.message.empty());
  c = FolderClick(ini, 9, isDir);
  EXPECT_TRUE(c.path.empty() && c.message.empty());
}

TEST_F(Programs, TheEditorDialogAcceptsProgramsOrTheDesktopsEditor) {
  TIniFile ini;
  TEditorDialogModel d(IsExecutableFile);
  d.Open(ini);
  EXPECT_EQ(d.field, "");
  EXPECT_EQ(d.PreviousText(), "以前の設定：");
  EXPECT_TRUE(d.OkEnabled());  // empty: the desktop's text editor
  d.field = P("notes.txt");
  EXPECT_FALSE(d.OkEnabled());
  EXPECT_FALSE(d.Accept(ini));
  EXPECT_FALSE(ini.ValueExists("Editer", "Editer"));
  d.field = P("edit.sh");
  EXPECT_TRUE(d.Accept(ini));
  EXPECT_EQ(StoredEditor(ini), P("edit.sh"));
  TEditorDialogModel again(IsExecutableFile);
  again.Open(ini);
  EXPECT_EQ(again.field, P("edit.sh"));
  EXPECT_EQ(again.PreviousText(), "以前の設定:" + P("edit.sh"));
  EXPECT_EQ(again.TreePath(), P("edit.sh"));
  // The old default names nothing on this system.
  ini.WriteString("Editer", "Editer", "notepad.exe");
  EXPECT_EQ(StoredEditor(ini), "");
}

TEST(NumberedMenu, PositionsOutsideTheMenuAreIgnored) {
  TNumberedMenu m;
  m.Add("a", 1);
  m.Add("b", 2);
  m.MoveUp(0);
  m.MoveDown(1);
  m.Delete(5);
  m.Update("z", -1);
  EXPECT_EQ(Captions(m), (std::vector<std::string>{"&1 a#1", "&2 b#2"}));
  m.Update("c", 1);
  EXPECT_EQ(m.Items()[1], (MenuItemSpec{"&2 c", "c", 2}));
  EXPECT_EQ(NumberedCaption(12, "x"), "&12 x");
}

TEST(ToolButtons, FortyOneKeysOnTwoPagesCoverEveryConfigurableButton) {
  const auto& cat = ToolButtonCatalog();
  ASSERT_EQ(cat.size(), 41u);
  std::set<std::string> main, view;
  for (const auto& e : cat) (e.page == 0 ? main : view).insert(e.button);
  EXPECT_EQ(main.size(), 24u);
  EXPECT_EQ(view.size(), 17u);
  // The toolbar lists hold the same buttons, and a few the settings do not keep.
  auto configurable = [](const std::vector<ToolBarEntry>& bar) {
    std::set<std::string> keys;
    for (const ToolBarEntry& e : bar)
      if (e.configurable) keys.insert(e.button.key);
    return keys;
  };
  EXPECT_EQ(main, configurable(ToolBar1Buttons()));
  EXPECT_EQ(view, configurable(ToolBar2Buttons()));
  EXPECT_EQ(ToolBar1Buttons().size(), 25u);  // and "dirコマンド"
  EXPECT_EQ(ToolBar2Buttons().size(), 18u);  // and the pane's show/hide switch
  EXPECT_STREQ(cat[12].caption, "並び替え");
  EXPECT_STREQ(cat[12].button, "ToolButton46");
}

TEST(ToolButtons, UncheckingQuitHidesItAtOnceAndCheckingBringsItBack) {
  TIniFile ini;
  ini.Parse("[ToolBar2]\nToolButton39=0\n");
  ToolButtonState state = ToolButtonStateAtStart(ini);
  EXPECT_EQ(state.hiddenAtStart, std::set<std::string>{"ToolButton39"});
  TToolButtonDialogModel d;
  d.Open(ini);
  const auto& cat = ToolButtonCatalog();
  size_t quit = 23, wrap = 40;
  ASSERT_STREQ(cat[quit].caption, "終了");
  ASSERT_STREQ(cat[wrap].button, "ToolButton39");
  EXPECT_TRUE(d.Checked(quit));
  EXPECT_FALSE(d.Checked(wrap));
  d.SetChecked(quit, false);
  EXPECT_EQ(d.Accept(ini, state), (std::vector<ToolButtonChange>{{"ToolButton2", false}}));
  EXPECT_FALSE(ini.ReadBool("ToolBar1", "ToolButton2", true));
  int keys = 0;
  for (const auto& e : cat) keys += ini.ValueExists(ToolBarSection(e.page), e.button);
  EXPECT_EQ(keys, 41);

  // "全て表示(&A)": the button the dialog hid comes back at once; the one
  // hidden since start waits for the next start.
  TToolButtonDialogModel again;
  again.Open(ini);
  EXPECT_FALSE(again.Checked(quit));
  again.CheckAll();
  EXPECT_EQ(again.Accept(ini, state), (std::vector<ToolButtonChange>{{"ToolButton2", true}}));
  EXPECT_TRUE(ini.ReadBool("ToolBar1", "ToolButton2", false));
  EXPECT_TRUE(ini.ReadBool("ToolBar2", "ToolButton39", false));
  EXPECT_TRUE(state.hiddenByDialog.empty());
  // Cancel is simply not calling Accept: a model edited and dropped leaves the file.
  TToolButtonDialogModel dropped;
  dropped.Open(ini);
  dropped.SetChecked(0, false);
  EXPECT_TRUE(ini.ReadBool("ToolBar1", "ToolButton36", false));
}

}  // namespace
}  // namespace navirt

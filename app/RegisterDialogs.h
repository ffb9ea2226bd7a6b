#pragma once
// The dialogs of registered applications (TForm22), registered folders
// (TForm23) and the external editor (TForm4) without their widgets. Each
// keeps its own copy of the list while open, changes the menus at every
// step and writes the settings file when it closes.
#include <functional>
#include <string>
#include <vector>

#include "app/NumberedMenu.h"
#include "app/Registered.h"
#include "settings/IniFile.h"

namespace navirt {

using ProgramTest = std::function<bool(const std::string&)>;

// "ｱﾌﾟﾘｹｰｼｮﾝの設定"
class TAppDialogModel {
 public:
  // menu: both application menus; isProgram: whether a path names a program
  // (on Linux, an executable file).
  TAppDialogModel(TMenuMaintenance& menu, ProgramTest isProgram);

  // Loads the entries whose program exists; the menus are rebuilt from that
  // list so that positions in the list and in the menus agree.
  void Open(const TIniFile& ini);
  const std::vector<AppEntry>& Entries() const { return entries_; }
  // Stored entries left out because their program is gone.
  const std::vector<AppEntry>& Dropped() const { return dropped_; }
  int Selected() const { return selected_; }

  std::string pathField;  // Edit1
  std::string nameField;  // Edit2
  // "新規登録(&N)" and "更新(&A)"
  bool CanRegister() const { return !pathField.empty(); }

  // A file clicked in the tree: its path, and its name without extension.
  void PickFile(const std::string& path);
  // A list entry clicked: its fields; returns the path the tree opens at.
  std::string Select(int index);

  // Each returns the warning to show, empty when it worked; a refused
  // action changes nothing.
  std::string Register();  // "新規登録(&N)"
  std::string Update();    // "更新(&A)"
  void MoveUp();
  void MoveDown();
  void Delete();
  // Close: rewrites "Mexe".
  void Close(TIniFile& ini);

 private:
  TMenuMaintenance& menu_;
  ProgramTest isProgram_;
  std::vector<AppEntry> entries_, dropped_;
  int selected_ = -1;
};

// " は設定できませんでした。" after the path.
std::string NotRegisteredMessage(const std::string& path);

// "登録ﾌｫﾙﾀﾞｰの設定"
class TFolderDialogModel {
 public:
  explicit TFolderDialogModel(TMenuMaintenance& menu) : menu_(menu) {}

  // Loads every entry, the empty ones too, and numbers the menu by them.
  void Open(const TIniFile& ini);
  const std::vector<std::string>& Entries() const { return entries_; }
  int Selected() const { return selected_; }

  const std::string& PathField() const { return path_; }
  void SetPathField(const std::string& text);
  void PickFolder(const std::string& path) { SetPathField(path); }
  bool CanRegister() const { return registerEnabled_; }
  bool CanDelete() const { return deleteEnabled_; }
  std::string Select(int index);

  // False when the path is empty or already listed (exact comparison).
  bool Register();
  void MoveUp();
  void MoveDown();
  void Delete();
  // Close: empty entries go, "PopupMenu2" is rewritten and the menu numbered anew.
  void Close(TIniFile& ini);

 private:
  TMenuMaintenance& menu_;
  std::vector<std::string> entries_;
  std::string path_;
  int selected_ = -1;
  bool registerEnabled_ = false, deleteEnabled_ = false;
};

// "ｴﾃﾞｨﾀｰの設定"
class TEditorDialogModel {
 public:
  explicit TEditorDialogModel(ProgramTest isProgram) : isProgram_(std::move(isProgram)) {}

  void Open(const TIniFile& ini);
  std::string field;
  // "以前の設定:" and the stored editor, or the bare caption when none is stored.
  const std::string& PreviousText() const { return previous_; }
  // Where the tree opens; empty for none.
  const std::string& TreePath() const { return treePath_; }
  // OK: an empty field (the desktop's editor) or a program.
  bool OkEnabled() const;
  bool Accept(TIniFile& ini);

 private:
  ProgramTest isProgram_;
  std::string previous_, treePath_;
};

}  // namespace navirt

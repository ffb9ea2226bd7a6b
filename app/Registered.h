#pragma once
// Registered applications (section "Mexe"), registered folders (section
// "PopupMenu2") and the external editor (section "Editer") in the settings
// file, and the menus built from them at start.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/NumberedMenu.h"
#include "settings/IniFile.h"

namespace navirt {

struct AppEntry {
  std::string path;  // the program
  std::string name;  // the menu text
  bool operator==(const AppEntry&) const = default;
};

// Every stored entry in order, also those with an empty path.
std::vector<AppEntry> LoadApplications(const TIniFile& ini);
// Rewrites the section: Count, then File i and Name i (old keys go).
void SaveApplications(TIniFile& ini, const std::vector<AppEntry>& apps);
std::vector<std::string> LoadFolders(const TIniFile& ini);
void SaveFolders(TIniFile& ini, const std::vector<std::string>& folders);

// The menus at start: every application numbered by its place; folders
// likewise, but an empty entry gets no item and leaves a gap.
std::vector<MenuItemSpec> ApplicationMenu(const std::vector<AppEntry>& apps);
std::vector<MenuItemSpec> FolderMenu(const std::vector<std::string>& folders);

// What a click on the item with tag n means, read from the settings file
// (never from the menu's captions). Empty when there is nothing to do.
std::string ApplicationForTag(const TIniFile& ini, int tag);
std::string FolderForTag(const TIniFile& ini, int tag);

// The stored editor program; empty means the desktop's own text editor.
// The old default "NOTEPAD.EXE" counts as none: it does not exist here.
std::string StoredEditor(const TIniFile& ini);
void StoreEditor(TIniFile& ini, const std::string& editor);

// A click on a numbered item: what to start or open, or why not. Nothing
// to do (no entry, empty path) gives both empty; a stored entry that no
// longer exists gives the message instead of a silent failure.
struct ItemClick {
  std::string path;
  std::string message;
};
ItemClick ApplicationClick(const TIniFile& ini, int tag, const std::function<bool(const std::string&)>& isProgram);
ItemClick FolderClick(const TIniFile& ini, int tag, const std::function<bool(const std::string&)>& isFolder);

// Messages for a stored entry that is gone.
std::string MissingApplicationMessage(const std::string& path);
std::string MissingFolderMessage(const std::string& path);

}  // namespace navirt

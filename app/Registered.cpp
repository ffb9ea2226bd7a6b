#include "app/Registered.h"

#include <strings.h>

namespace navirt {

namespace {

int StoredCount(const TIniFile& ini, const char* section) {
  int64_t n = ini.ReadInteger(section, "Count", 0);
  // A damaged count must not make the program walk millions of keys.
  if (n < 0) return 0;
  if (n > 10000) n = 10000;
  return static_cast<int>(n);
}

}  // namespace

std::vector<AppEntry> LoadApplications(const TIniFile& ini) {
  std::vector<AppEntry> apps;
  int n = StoredCount(ini, "Mexe");
  for (int i = 0; i < n; ++i) {
    std::string k = std::to_string(i);
    apps.push_back({ini.ReadString("Mexe", "File" + k, ""), ini.ReadString("Mexe", "Name" + k, "")});
  }
  return apps;
}

void SaveApplications(TIniFile& ini, const std::vector<AppEntry>& apps) {
  ini.EraseSection("Mexe");
  ini.WriteInteger("Mexe", "Count", static_cast<int64_t>(apps.size()));
  for (size_t i = 0; i < apps.size(); ++i) {
    std::string k = std::to_string(i);
    ini.WriteString("Mexe", "File" + k, apps[i].path);
    ini.WriteString("Mexe", "Name" + k, apps[i].name);
  }
}

std::vector<std::string> LoadFolders(const TIniFile& ini) {
  std::vector<std::string> folders;
  int n = StoredCount(ini, "PopupMenu2");
  for (int i = 0; i < n; ++i) folders.push_back(ini.ReadString("PopupMenu2", "Folder" + std::to_string(i), ""));
  return folders;
}

void SaveFolders(TIniFile& ini, const std::vector<std::string>& folders) {
  ini.EraseSection("PopupMenu2");
  ini.WriteInteger("PopupMenu2", "Count", static_cast<int64_t>(folders.size()));
  for (size_t i = 0; i < folders.size(); ++i) ini.WriteString("PopupMenu2", "Folder" + std::to_string(i), folders[i]);
}

std::vector<MenuItemSpec> ApplicationMenu(const std::vector<AppEntry>& apps) {
  std::vector<MenuItemSpec> items;
  for (size_t i = 0; i < apps.size(); ++i) items.push_back(NumberedItem(static_cast<int>(i) + 1, apps[i].name));
  return items;
}

std::vector<MenuItemSpec> FolderMenu(const std::vector<std::string>& folders) {
  std::vector<MenuItemSpec> items;
  for (size_t i = 0; i < folders.size(); ++i)
    if (!folders[i].empty()) items.push_back(NumberedItem(static_cast<int>(i) + 1, folders[i]));
  return items;
}

std::string ApplicationForTag(const TIniFile& ini, int tag) {
  int n = StoredCount(ini, "Mexe");
  if (n <= 0 || tag < 1 || tag > n) return "";
  return ini.ReadString("Mexe", "File" + std::to_string(tag - 1), "");
}

std::string FolderForTag(const TIniFile& ini, int tag) {
  int n = StoredCount(ini, "PopupMenu2");
  if (n <= 0 || tag < 1 || tag > n) return "";
  return ini.ReadString("PopupMenu2", "Folder" + std::to_string(tag - 1), "");
}

std::string StoredEditor(const TIniFile& ini) {
  std::string e = ini.ReadString("Editer", "Editer", "");
  if (strcasecmp(e.c_str(), "NOTEPAD.EXE") == 0) return "";
  return e;
}

void StoreEditor(TIniFile& ini, const std::string& editor) { ini.WriteString("Editer", "Editer", editor); }

ItemClick ApplicationClick(const TIniFile& ini, int tag, const std::function<bool(const std::string&)>& isProgram) {
  ItemClick c;
  std::string p = ApplicationForTag(ini, tag);
  if (p.empty()) return c;
  if (isProgram(p))
    c.path = p;
  else
    c.message = MissingApplicationMessage(p);
  return c;
}

ItemClick FolderClick(const TIniFile& ini, int tag, const std::function<bool(const std::string&)>& isFolder) {
  ItemClick c;
  std::string p = FolderForTag(ini, tag);
  if (p.empty()) return c;
  if (isFolder(p))
    c.path = p;
  else
    c.message = MissingFolderMessage(p);
  return c;
}

std::string MissingApplicationMessage(const std::string& path) { return path + " が見つかりません。"; }
std::string MissingFolderMessage(const std::string& path) { return "フォルダー " + path + " が見つかりません。"; }

}  // namespace navirt

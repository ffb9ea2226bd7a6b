#pragma once
// The main window's part of the settings file, as plain data: what
// LoadSettings reads (with its range checks) and SaveSettings writes.
#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "app/ToolButtonIds.h"
#include "settings/Colors.h"
#include "settings/IniFile.h"

namespace navirt {

// Option items of the settings menu, the key each is stored under and the
// value a missing key gives.
struct MenuOption {
  const char* key;
  const char* item;  // the menu item's name
  bool def;
};
const std::vector<MenuOption>& MenuOptions();

// A place on a toolbar; the lists give the bars' order.
struct ToolBarEntry {
  ToolButtonId button;
  bool configurable = true;  // the settings file keeps whether it is shown
  bool groupEnd = false;     // a separator follows it
};
const std::vector<ToolBarEntry>& ToolBar1Buttons();
const std::vector<ToolBarEntry>& ToolBar2Buttons();

constexpr int kZoomLevels[] = {50, 75, 100, 125, 150, 200, 300};

struct MainSettings {
  std::string fileSave, fileDir;
  int left = 0, top = 0, width = 782, height = 514;
  int pixelsPerInch = 96;
  int state = 1;         // 1 normal, 2 minimised, 3 maximised
  int panelLWidth = -1;  // none stored: wide enough for a folder name in the window's font
  int panelRBHeight = 300;
  FontSpec fontR, fontF;
  std::string directory;       // FolderView/Directory
  std::string initFolderName;  // InitFolder/InitFolderName
  int icon = 3;
  int colum1 = -1, colum2 = -1, colum3 = -1;
  bool hottrack = true;
  bool wordWrap = false;
  int tabWidth = 8;
  std::map<std::string, bool> menu;  // by item name
  int zoom = 0;                      // 0 whole picture, else a percentage
  std::map<std::string, bool> toolbar1, toolbar2;

  bool Menu(const std::string& item) const;
};

// Sizes LoadSettings checks against.
struct ScreenLimits {
  int screenWidth = 1920;
  int screenHeight = 1080;
  int windowWidth = 1920;   // for PanelL/Width
  int panelRHeight = 1000;  // for PanelRB/Height
};

// Applies the file over s (which holds the current values), with the range
// rules: out-of-range bounds fall back, unknown zooms keep "whole picture",
// widths below -2 and styles outside 0..255 are ignored.
void ReadMainSettings(const TIniFile& ini, MainSettings& s, const ScreenLimits& lim);

struct SaveContext {
  std::time_t now = 0;
  std::string currentDir;
  uint64_t diskSize = 0, diskFree = 0;
  std::string settingsPath;
};
void WriteMainSettings(TIniFile& ini, const MainSettings& s, const SaveContext& ctx);

// The key the settings file uses for a menu item.
std::string MenuKeyOf(const std::string& item);

}  // namespace navirt

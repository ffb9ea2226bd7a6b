#include "app/MainSettings.h"

#include <algorithm>
#include <climits>

#include "platform/Format.h"

namespace navirt {

const std::vector<MenuOption>& MenuOptions() {
  static const std::vector<MenuOption> opts = {
      {"Mdisp", "Mdisp", true},
      {"Mmousepoint", "Mmousepoint", false},
      {"Mlhashow", "Mlhashow", false},
      {"Mrtf", "Mrtf", false},
      {"Mtoolbar", "Mtoolbar", true},
      {"Msubtoolbar", "Msubtoolbar1", true},
      {"Msubfolderview", "Msubfolderview1", true},
      {"Mtodiropen", "Mtodiropen1", false},
      {"Mdialogdisp1", "Mdialogdisp1", true},
      {"Mcloseinitview1", "Mcloseinitview1", true},
      {"Mbackup1", "Mbackup1", true},
      {"Mdragdrop1", "Mdragdrop1", false},
      {"Mgazodisp1", "Mgazodisp1", true},
      {"Mgazostrech1", "Mgazostrech1", true},
  };
  return opts;
}

std::string MenuKeyOf(const std::string& item) {
  for (const auto& o : MenuOptions())
    if (item == o.item) return o.key;
  return item;
}

const std::vector<ToolBarEntry>& ToolBar1Buttons() {
  // "dirコマンド" stands after the mask button; the settings do not know it.
  static const std::vector<ToolBarEntry> b = {{btn::Print},
                                              {btn::PrintSetup, true, true},
                                              {btn::FileCopy},
                                              {btn::FileMove},
                                              {btn::FileDelete},
                                              {btn::Rename},
                                              {btn::Attributes, true, true},
                                              {btn::Drive},
                                              {btn::Up},
                                              {btn::Sort},
                                              {btn::RegisteredFolders},
                                              {btn::Folder},
                                              {btn::Mask},
                                              {btn::DirCommand, false, true},
                                              {btn::LargeIcons},
                                              {btn::SmallIcons},
                                              {btn::List},
                                              {btn::Details, true, true},
                                              {btn::Editor},
                                              {btn::Run, true, true},
                                              {btn::ArcExtract},
                                              {btn::ArcCreate},
                                              {btn::ArcList, true, true},
                                              {btn::Help, true, true},
                                              {btn::Exit}};
  return b;
}

const std::vector<ToolBarEntry>& ToolBar2Buttons() {
  // The pane's show/hide switch leads; the settings do not know it.
  static const std::vector<ToolBarEntry> b = {{btn::HidePane, false, true},
                                              {btn::Show},
                                              {btn::Refresh, true, true},
                                              {btn::Cut},
                                              {btn::Copy},
                                              {btn::Paste},
                                              {btn::Delete, true, true},
                                              {btn::Save},
                                              {btn::SaveAs, true, true},
                                              {btn::Top},
                                              {btn::End, true, true},
                                              {btn::Find},
                                              {btn::Replace},
                                              {btn::Url, true, true},
                                              {btn::HtmlToText},
                                              {btn::Code},
                                              {btn::EditMode},
                                              {btn::WordWrap}};
  return b;
}

bool MainSettings::Menu(const std::string& item) const {
  auto it = menu.find(item);
  if (it != menu.end()) return it->second;
  for (const auto& o : MenuOptions())
    if (item == o.item) return o.def;
  return false;
}

namespace {

int ReadInt(const TIniFile& ini, const char* sec, const char* key, int def) {
  int64_t v = ini.ReadInteger(sec, key, def);
  if (v < INT32_MIN || v > INT32_MAX) return def;
  return static_cast<int>(v);
}

void ReadFont(const TIniFile& ini, const char* sec, FontSpec& f) {
  f.name = ini.ReadString(sec, "Name", f.name);
  int style = ReadInt(ini, sec, "Style", 0);
  f.style = (style >= 0 && style <= 255) ? style : 0;
  if (auto c = StringToColor(ini.ReadString(sec, "Color", ColorToString(f.color)))) f.color = *c;
  int size = ReadInt(ini, sec, "Size", f.size);
  // A zero or absurd size would make the text unreadable.
  if (size >= 1 && size <= 1638) f.size = size;
}

void WriteFont(TIniFile& ini, const char* sec, const FontSpec& f) {
  ini.WriteString(sec, "Name", f.name);
  ini.WriteInteger(sec, "Style", f.style);
  ini.WriteString(sec, "Color", ColorToString(f.color));
  ini.WriteInteger(sec, "Size", f.size);
}

}  // namespace

void ReadMainSettings(const TIniFile& ini, MainSettings& s, const ScreenLimits& lim) {
  s.fileSave = ini.ReadString("File", "Save", s.fileSave);
  s.fileDir = ini.ReadString("File", "Dir", s.fileDir);

  int left = ReadInt(ini, "Form", "Left", s.left);
  int top = ReadInt(ini, "Form", "Top", s.top);
  int width = ReadInt(ini, "Form", "Width", s.width);
  int height = ReadInt(ini, "Form", "Height", s.height);
  s.left = (left >= 0 && left <= lim.screenWidth) ? left : 0;
  s.top = (top >= 0 && top <= lim.screenHeight) ? top : 0;
  s.width = (width >= 0 && width <= lim.screenWidth) ? width : lim.screenWidth;
  s.height = (height >= 0 && height <= lim.screenHeight) ? height : 480;

  int pl = ReadInt(ini, "PanelL", "Width", s.panelLWidth);
  if (pl >= 0 && pl <= lim.windowWidth) s.panelLWidth = pl;
  int prb = ReadInt(ini, "PanelRB", "Height", s.panelRBHeight);
  if (prb >= 0 && prb <= lim.panelRHeight) s.panelRBHeight = prb;

  ReadFont(ini, "FontR", s.fontR);
  ReadFont(ini, "FontF", s.fontF);

  s.directory = ini.ReadString("FolderView", "Directory", s.directory);
  s.initFolderName = ini.ReadString("InitFolder", "InitFolderName", "");

  s.icon = ReadInt(ini, "FileView", "Icon", s.icon);
  for (auto [key, field] : {std::pair{"Colum1", &s.colum1}, {"Colum2", &s.colum2}, {"Colum3", &s.colum3}}) {
    int w = ReadInt(ini, "FileView", key, *field);
    if (w >= -2 && w <= 100000) *field = w;
  }
  s.hottrack = ini.ReadBool("FileView", "Hottrack", s.hottrack);

  s.wordWrap = ini.ReadBool("RichEdit", "WordWrap", s.wordWrap);
  int tab = ReadInt(ini, "RichEdit", "richtabwidth", 8);
  s.tabWidth = (tab >= 1 && tab <= 256) ? tab : 8;

  for (const auto& o : MenuOptions()) s.menu[o.item] = ini.ReadBool("Menu", o.key, o.def);
  int zoom = ReadInt(ini, "Menu", "Mgazokakudai", 0);
  s.zoom = std::find(std::begin(kZoomLevels), std::end(kZoomLevels), zoom) != std::end(kZoomLevels) ? zoom : 0;

  for (const auto& e : ToolBar1Buttons())
    if (e.configurable) s.toolbar1[e.button.key] = ini.ReadBool("ToolBar1", e.button.key, true);
  for (const auto& e : ToolBar2Buttons())
    if (e.configurable) s.toolbar2[e.button.key] = ini.ReadBool("ToolBar2", e.button.key, true);
}

void WriteMainSettings(TIniFile& ini, const MainSettings& s, const SaveContext& ctx) {
  ini.WriteString("System", "Program", "NAVIRT");
  ini.WriteString("System", "Version", "5.2");
  ini.WriteString("System", "Date", FormatShortDate(ctx.now));
  ini.WriteString("System", "Time", FormatShortTime(ctx.now));
  ini.WriteString("System", "Drive", ctx.currentDir);
  ini.WriteString("System", "DiskSize", std::to_string(ctx.diskSize) + " byte");
  ini.WriteString("System", "DiskFree", std::to_string(ctx.diskFree) + " byte");
  ini.WriteString("System", "Filename", ctx.settingsPath);

  ini.WriteString("File", "Save", s.fileSave);
  ini.WriteString("File", "Dir", s.fileDir);

  ini.WriteInteger("Form", "Left", s.left);
  ini.WriteInteger("Form", "Top", s.top);
  ini.WriteInteger("Form", "Width", s.width);
  ini.WriteInteger("Form", "Height", s.height);
  ini.WriteInteger("Form", "Pixelsperinch", s.pixelsPerInch);
  ini.WriteInteger("Form", "State", s.state);

  ini.WriteInteger("PanelL", "Width", s.panelLWidth);
  ini.WriteInteger("PanelRB", "Height", s.panelRBHeight);

  WriteFont(ini, "FontR", s.fontR);
  WriteFont(ini, "FontF", s.fontF);

  ini.WriteString("FolderView", "Directory", s.directory);

  ini.WriteInteger("FileView", "Icon", s.icon);
  ini.WriteInteger("FileView", "Colum1", s.colum1);
  ini.WriteInteger("FileView", "Colum2", s.colum2);
  ini.WriteInteger("FileView", "Colum3", s.colum3);
  ini.WriteBool("FileView", "Hottrack", s.hottrack);

  ini.WriteBool("RichEdit", "WordWrap", s.wordWrap);
  ini.WriteInteger("RichEdit", "richtabwidth", s.tabWidth);

  for (const auto& o : MenuOptions()) ini.WriteBool("Menu", o.key, s.Menu(o.item));
  ini.WriteInteger("Menu", "Mgazokakudai", s.zoom);
}

}  // namespace navirt

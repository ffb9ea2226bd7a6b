// The main window and the settings file: defaults, loading, saving, the
// fonts, and starting from the command line.
#include "app/ui/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QListView>
#include <QScreen>
#include <QSplitter>
#include <QToolBar>
#include <QTreeView>

#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "app/StartupPath.h"
#include "browse/ui/FileListModel.h"
#include "browse/ui/FileViews.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/FontUtil.h"
#include "platform/FileInfo.h"
#include "platform/Paths.h"
#include "preview/ui/CharsetDialog.h"

using namespace navirt;

void TForm1::ApplyFonts() {
  QFont pane = QFontFromSpec(Settings.fontR, DefaultPaneFontName());
  // The character set chosen for the pane outlives every preview.
  TForm8::ApplyCharset(pane, TForm8::PaneCharset(RichEdit1));
  RichEdit1->setFont(pane);
  QPalette pal = RichEdit1->palette();
  pal.setColor(QPalette::Text, QColorFromTColor(Settings.fontR.color, palette().color(QPalette::Text)));
  RichEdit1->setPalette(pal);
  RichEdit1->SetTabWidth(TabWidth);
  QFont list = QFontFromSpec(Settings.fontF, DefaultWindowFontName());
  QColor listColor = QColorFromTColor(Settings.fontF.color, palette().color(QPalette::Text));
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(FileView1), static_cast<QAbstractItemView*>(FolderView1),
                               static_cast<QAbstractItemView*>(FileIconView1)}) {
    if (!v) continue;
    v->setFont(list);
    QPalette lp = v->palette();
    lp.setColor(QPalette::Text, listColor);
    v->setPalette(lp);
  }
}

void TForm1::ApplyViewStyle(int style) {
  Settings.icon = (style >= 1 && style <= 4) ? style : 3;
  // The browse subsystem's style command sets the views, check and button.
  const CommandName styles[] = {cmd::Micon1, cmd::Micon2, cmd::Micon3, cmd::Micon4};
  commands_->Trigger(styles[Settings.icon - 1]);
}

// ---------------------------------------------------------------- state

void TForm1::ResetLayout() {
  if (QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen()) {
    // The frame, title bar included, takes the work area; its size is known
    // only once the window manager has framed the window (FitFrameToWorkArea).
    const QRect area = scr->availableGeometry();
    resize(area.size());
    move(area.topLeft());
    fitFrame_ = true;
    fitSize_ = area.size();
  }
  ShiftHeld = AltHeld = false;
  RealTimeMode = PreviewEnabled = true;
  DialogAnswer.clear();
  CurrentFolder = ProgramFolder;
  SetSBarRPanel(2, "閲覧");
  SetSBarRPanel(4, "ﾘｱﾙﾓｰﾄﾞ");
  Settings = MainSettings{};
  Settings.fontR = FontSpec{DefaultPaneFontName().toStdString(), 0, clWindowText, 9};
  Settings.fontF = FontSpec{DefaultWindowFontName().toStdString(), 0, clWindowText, 9};
  Settings.colum1 = Settings.colum2 = Settings.colum3 = -1;
  SetFileColumnWidths(*this, -1, -1, -1);
  Settings.panelLWidth = -1;
  Settings.panelRBHeight = -1;  // two thirds of the right part
  ApplyPaneSizes();
  ApplyViewStyle(3);
  for (const auto& o : MenuOptions()) Settings.menu[o.item] = false;
  for (const char* item : {"Mdisp", "Mtoolbar", "Mdialogdisp1", "Mcloseinitview1", "Msubtoolbar1", "Msubfolderview1",
                           "Mgazodisp1", "Mgazostrech1"})
    Settings.menu[item] = true;
  for (QAction* a : {Mdisp, Mtoolbar, Mcloseinitview1, Msubtoolbar1}) a->setChecked(true);
  for (CommandName item : {cmd::Msubfolderview1, cmd::Mgazodisp1, cmd::Mgazostrech1})
    if (QAction* a = FindAction(item); a && a->isCheckable()) a->setChecked(true);
  FileModel->SetMask(FileMask{});
  commands_->RefreshButtons();
  ApplyFonts();
}

TIniFile TForm1::OpenSettings() const {
  TIniFile ini;
  ini.Load(SettingsPath);
  return ini;
}

bool TForm1::WriteSettings(const TIniFile& ini) {
  std::string err;
  if (ini.SaveAs(SettingsPath, &err)) return true;
  // The chosen place cannot be written: keep it untouched and use the
  // per-user file from now on.
  std::string fallback = UserSettingsFilePath();
  if (fallback != SettingsPath && ini.SaveAs(fallback, &err)) {
    SettingsPath = fallback;
    return true;
  }
  std::fprintf(stderr, "navirt: cannot write the settings file %s: %s\n", SettingsPath.c_str(), err.c_str());
  return false;
}

bool TForm1::LoadSettings() {
  TIniFile ini = OpenSettings();
  QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
  ScreenLimits lim;
  if (scr) {
    lim.screenWidth = scr->geometry().width();
    lim.screenHeight = scr->geometry().height();
  }
  lim.windowWidth = width();
  lim.panelRHeight = PanelRHeight();
  Settings.left = x();
  Settings.top = y();
  Settings.width = width();
  Settings.height = height();
  Settings.wordWrap = RichEdit1->WordWrap();
  Settings.hottrack = true;
  Settings.directory = CurrentFolder;
  ReadMainSettings(ini, Settings, lim);

  // Left and Top are where the frame stands, Width and Height the window's
  // inside: saved and restored alike, a restart leaves the window in place.
  resize(Settings.width, Settings.height);
  move(Settings.left, Settings.top);
  if (ini.ValueExists("Form", "Height")) fitFrame_ = false;
  ApplyPaneSizes();
  ApplyFonts();
  SetFileColumnWidths(*this, Settings.colum1, Settings.colum2, Settings.colum3);
  RichEdit1->SetWordWrap(Settings.wordWrap);
  commands_->RefreshButtons();
  TabWidth = Settings.tabWidth;
  RichEdit1->SetTabWidth(TabWidth);
  // Options of every subsystem are found by name; their effects are
  // applied below or at the next command that reads them.
  for (const auto& o : MenuOptions()) {
    if (QAction* a = ActionNamed(QString::fromStdString(o.item)); a && a->isCheckable()) {
      QSignalBlocker block(a);
      a->setChecked(Settings.Menu(o.item));
    }
  }
  for (const auto& [name, visible] : Settings.toolbar1)
    if (QAction* a = ActionNamed(QString::fromStdString(name))) a->setVisible(visible);
  for (const auto& [name, visible] : Settings.toolbar2)
    if (QAction* a = ActionNamed(QString::fromStdString(name))) a->setVisible(visible);

  // Hot tracking decides the pointer option.
  {
    QSignalBlocker block(Mmousepoint);
    Mmousepoint->setChecked(Settings.hottrack);
  }
  Settings.menu["Mmousepoint"] = Settings.hottrack;
  FileView1->setAttribute(Qt::WA_Hover, Settings.hottrack);
  FileIconView1->setAttribute(Qt::WA_Hover, Settings.hottrack);
  SetSBarRPanel(5, Settings.hottrack ? "MP" : "");
  SetSBarRPanel(3, Settings.Menu("Mrtf") ? "RTF" : "");
  RealTimeMode = Mdisp->isChecked();
  SetSBarRPanel(4, RealTimeMode ? "ﾘｱﾙﾓｰﾄﾞ" : "Vﾓｰﾄﾞ");
  ApplyViewStyle(Settings.icon);

  if (!Settings.initFolderName.empty() && IsDirectory(Settings.initFolderName)) {
    CurrentFolder = WithTrailingSlash(Settings.initFolderName);
  } else if (!Settings.directory.empty() && IsDirectory(Settings.directory)) {
    // A folder that is gone (an unmounted disk) is not opened.
    CurrentFolder = WithTrailingSlash(Settings.directory);
  }
  ToolBar1->setVisible(Mtoolbar->isChecked());
  ApplyToolbarLayout();
  return true;
}

void TForm1::SaveSettings() {
  TIniFile ini = OpenSettings();
  Settings.left = x();
  Settings.top = y();
  Settings.width = width();
  Settings.height = height();
  Settings.pixelsPerInch = static_cast<int>(logicalDpiX());
  Settings.state = isMinimized() ? 2 : isMaximized() ? 3 : 1;
  Settings.panelLWidth = Splitter2->sizes().value(0);
  Settings.panelRBHeight = Splitter3->sizes().value(1);
  Settings.fontR = FontSpecFromQFont(RichEdit1->font(), Settings.fontR.color);
  Settings.fontF = FontSpecFromQFont(FileView1->font(), Settings.fontF.color);
  Settings.directory = CurrentFolder;
  Settings.colum1 = FileColumnWidth(*this, 1);
  Settings.colum2 = FileColumnWidth(*this, 2);
  Settings.colum3 = FileColumnWidth(*this, 3);
  Settings.hottrack = Mmousepoint->isChecked();
  Settings.wordWrap = RichEdit1->WordWrap();
  Settings.tabWidth = TabWidth;
  for (const auto& o : MenuOptions()) {
    if (QAction* a = ActionNamed(QString::fromStdString(o.item)); a && a->isCheckable())
      Settings.menu[o.item] = a->isChecked();
  }
  SaveContext ctx;
  ctx.now = std::time(nullptr);
  ctx.currentDir = CurrentDirectory();
  struct statvfs vfs;
  if (::statvfs(ctx.currentDir.c_str(), &vfs) == 0) {
    ctx.diskSize = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
    ctx.diskFree = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
  }
  ctx.settingsPath = SettingsPath;
  WriteMainSettings(ini, Settings, ctx);
  WriteSettings(ini);
}

void TForm1::FormCreate() {
  Form1 = this;
  LhaVersion = QueryLhaVersion();
  ApplyLhaAvailability();
  ResetLayout();
  LoadSettings();
  RefreshAll();
  SavedPaneHeight = RichEdit1->height();
}

void TForm1::HandleCommandLine(const std::string& path) {
  StartupTarget t = ResolveStartupPath(path, CurrentDirectory());
  if (!t.valid || !IsDirectory(t.folder)) return;
  PreviewEnabled = false;
  GoToFolder(t.folder);
  SetInfoLine("", clBlack);
  ShowFolderSummary(false);
  PreviewEnabled = true;
  // The keys go to the list from the start: Down moves, Alt opens the menus.
  QAbstractItemView* list =
      Settings.icon == 4 ? static_cast<QAbstractItemView*>(FileView1) : static_cast<QAbstractItemView*>(FileIconView1);
  list->setFocus();
  if (!t.name.empty()) {
    SelectFileByName(t.name);
    return;
  }
  if (!t.folderOnly) return;  // a name that is not there selects nothing
  // A folder alone: show its first file, or stand on its first item.
  for (int r = 0; r < FileModel->rowCount(); ++r) {
    if (!FileModel->Entry(r).isDir) {
      SelectFileByName(FileModel->Entry(r).name);
      return;
    }
  }
  if (FileModel->rowCount() > 0) SelectFileByName(FileModel->Entry(0).name);
}

void TForm1::ResetSettingsFile() {
  ::unlink(SettingsPath.c_str());
  ResetLayout();
  QApplication::restoreOverrideCursor();
  PreviewEnabled = RealTimeMode = true;
  ShiftHeld = AltHeld = false;
  DialogAnswer.clear();
  if (paneHidden_) ToggleEditView();
  // Back to browsing, with the edit button, the mode panel and the marker
  // saying so.
  if (RichEdit1->EditMode()) commands_->Trigger(cmd::Mkanihensyu);
  RichEdit1->SetEditMode(false);
  SetSBarRPanel(2, "閲覧");
  RichEdit1->show();
  RefreshViews();
  ShowFolderSummary(false);
  PreviewSelectedFile();
}

#pragma once
// A window test of one subsystem needs a host, not the whole main window:
// this IHost over a plain QMainWindow keeps the pane, the information line
// and the status texts as plain values, answers messages and dialogs through
// hooks, and lets a test hand in the browsing widgets it needs. A test links
// its own library, navirt_host_ui and this, nothing more.
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"

class QTemporaryDir;
class QToolButton;

class TFakeHost : public QMainWindow, public IHost {
 public:
  TFakeHost();
  ~TFakeHost() override;

  // What a test answers and reads.
  std::function<int(QDialog&)> dialogHook;
  std::function<int(const QString& text, const QString& caption, TMsgKind kind, int buttons)> messageHook;
  QStringList messages;  // every message asked, in order
  std::vector<CommandName> refused;
  std::vector<std::string> selection;  // UTF-8 paths; the first is the selected one
  std::vector<std::string> listed;
  std::string folder = "/";  // trailing '/'
  std::string settingsPath;  // a fresh file in a folder of its own
  int refreshes = 0;
  TRichEdit* pane = nullptr;  // a test that needs the pane widget makes one
  QTreeView* fileList = nullptr;
  QTreeView* folderTree = nullptr;

  // Puts the command's button at the end of the text toolbar, as the
  // window's toolbar lists do; the shown button, or null when the command
  // has none.
  QToolButton* PlaceButton(CommandName name);

  QWidget* HostWindow() override { return this; }
  TCommandRegistry& Commands() override { return *commands_; }
  QMenu* Menu(HostMenu which) override;
  QToolBar* MainToolBar() override { return toolBar1_; }
  QToolBar* TextToolBar() override { return toolBar2_; }

  TRichEdit* Pane() override { return pane; }
  std::string PaneText() const override { return paneText_; }
  std::vector<std::string> PaneLines() const override;
  void SetPaneText(std::string_view bytes, navirt::TColor marker) override;
  void SetPaneLines(const std::vector<std::string>& lines, navirt::TColor marker) override;
  navirt::TColor PaneMarker() const { return paneMarker_; }

  QString InfoLine() const override { return info_; }
  void SetInfoLine(const QString& text, navirt::TColor color) override;
  void SetInfoColor(navirt::TColor color) override { infoColor_ = color; }
  navirt::TColor InfoLineColor() const override { return infoColor_; }

  std::string HostFolder() const override { return folder; }
  std::string HostSelectedPath() const override { return selection.empty() ? std::string() : selection.front(); }
  std::vector<std::string> HostSelectedPaths() const override { return selection; }
  void RefreshAll() override { ++refreshes; }
  void RefreshViews() override { ++refreshes; }
  void GoToFolder(const std::string& f) override;
  bool SelectFileByName(const std::string& name) override;
  void PreviewSelectedFile() override {}
  void SetPreviewOverride(std::function<bool()> override) override { previewOverride_ = std::move(override); }
  std::vector<std::string> HostListedPaths() const override { return listed; }

  navirt::TIniFile OpenSettings() const override;
  bool WriteSettings(const navirt::TIniFile& ini) override;
  bool OptionChecked(CommandName option, bool def) const override { return commands_->Checked(option, def); }

  int MessageDlg(const QString& text, const QString& caption, TMsgKind kind, int buttons = mbOK) override;
  int ExecDialog(QDialog& dialog) override;
  bool InputQuery(const QString& caption, const QString& prompt, const QString& note, const std::string& section,
                  const QString& preset, int widthPercent = 100) override;
  QString Answer() const override { return answer_; }
  void SetAnswer(const QString& answer) override { answer_ = answer; }

  void SetPaneStatus(int panel, const QString& text) override { paneStatus_[panel] = text; }
  QString PaneStatus(int panel) const { return paneStatus_.count(panel) ? paneStatus_.at(panel) : QString(); }
  void SetSavePaneCommand(std::function<bool()> save) override { save_ = std::move(save); }
  bool ConfirmReplacePane() override { return true; }
  std::string LastSaveFolder() const override { return lastSaveFolder_; }
  void NoteSavedFile(const std::string& path) override;
  int PictureZoom() const override { return zoom_; }
  void SetPictureZoom(int percent) override { zoom_ = percent; }

  QComboBox* DriveCombo() override { return nullptr; }
  QTreeView* FolderTree() override { return folderTree; }
  QFileSystemModel* FolderTreeModel() override { return nullptr; }
  QTreeView* FileListView() override { return fileList; }
  QListView* FileIconView() override { return nullptr; }
  TFileListModel* FileListModel() override { return nullptr; }
  bool IsPreviewEnabled() const override { return previewEnabled_; }
  void SetPreviewEnabled(bool on) override { previewEnabled_ = on; }
  int FileViewStyle() const override { return viewStyle_; }
  void RememberFileViewStyle(int style) override { viewStyle_ = style; }
  void ShowSelectedFile() override {}
  void ShowFolderSummary(bool) override {}
  void SetStatusPanel(int panel, const QString& text) override { status_[panel] = text; }
  QString StatusPanel(int panel) const { return status_.count(panel) ? status_.at(panel) : QString(); }
  void SetPaneKeyHandler(std::function<bool(QObject*, QKeyEvent*)> handler) override { keys_ = std::move(handler); }
  void CommandRefused(CommandName name) override { refused.push_back(name); }

 private:
  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<TCommandRegistry> commands_;
  std::map<HostMenu, QMenu*> menus_;
  QToolBar* toolBar1_;
  QToolBar* toolBar2_;
  std::string paneText_;
  navirt::TColor paneMarker_ = 0;
  QString info_;
  navirt::TColor infoColor_ = 0;
  QString answer_;
  std::map<int, QString> paneStatus_, status_;
  std::function<bool()> previewOverride_, save_;
  std::function<bool(QObject*, QKeyEvent*)> keys_;
  std::string lastSaveFolder_;
  int zoom_ = 100;
  bool previewEnabled_ = true;
  int viewStyle_ = 4;
};

#pragma once
// What a subsystem's window code may use of the main window: the pane and
// its lines, the information line and its marker, the selection and the
// current folder, refresh, settings, messages and dialogs, and the command
// registry. The main window implements it; tests may implement it too.
#include <QString>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/ui/CommandName.h"
#include "settings/Colors.h"
#include "settings/IniFile.h"

class QAction;
class QDialog;
class QMenu;
class QToolBar;
class QWidget;
class TRichEdit;
class TCommandRegistry;
class QComboBox;
class QFileSystemModel;
class QKeyEvent;
class QListView;
class QObject;
class QTreeView;
class TFileListModel;

enum class TMsgKind { Information, Warning, Error, Confirmation };
// mbDefaultNo: No is the default button (Enter answers No).
enum TMsgButtons { mbOK = 1, mbCancel = 2, mbYes = 4, mbNo = 8, mbDefaultNo = 16 };

// The window's menus a subsystem adds its rows to.
enum class HostMenu {
  File,
  Edit,
  Delete,
  Search,
  View,
  Convert,
  Archive,
  Info,
  App,
  Option,
  Help,
  FileListPopup,  // the file list's own pop-up (PopupMenu2's place in the list)
  PanePopup,      // the whole-menu pop-up PopupMenu1
  CodePopup,      // PopupMenu3, the menu of the code button ToolButton52
};

class IHost {
 public:
  virtual ~IHost() = default;

  virtual QWidget* HostWindow() = 0;
  virtual TCommandRegistry& Commands() = 0;
  virtual QMenu* Menu(HostMenu which) = 0;
  virtual QToolBar* MainToolBar() = 0;  // ToolBar1
  virtual QToolBar* TextToolBar() = 0;  // ToolBar2

  // ---- the pane (Shift_JIS bytes, lines split at CR LF, CR or LF) ----
  virtual TRichEdit* Pane() = 0;
  virtual std::string PaneText() const = 0;
  virtual std::vector<std::string> PaneLines() const = 0;
  // Replaces the pane's text; the marker takes the colour given (blue for
  // program output, red for a change of the file's text).
  virtual void SetPaneText(std::string_view bytes, navirt::TColor marker) = 0;
  virtual void SetPaneLines(const std::vector<std::string>& lines, navirt::TColor marker) = 0;

  // ---- the information line ----
  virtual QString InfoLine() const = 0;
  virtual void SetInfoLine(const QString& text, navirt::TColor color) = 0;
  virtual void SetInfoColor(navirt::TColor color) = 0;
  virtual navirt::TColor InfoLineColor() const = 0;

  // ---- selection and folder (UTF-8 paths) ----
  virtual std::string HostFolder() const = 0;        // trailing '/'
  virtual std::string HostSelectedPath() const = 0;  // empty when none
  virtual std::vector<std::string> HostSelectedPaths() const = 0;
  virtual void RefreshAll() = 0;
  virtual void RefreshViews() = 0;
  virtual void GoToFolder(const std::string& folder) = 0;
  virtual bool SelectFileByName(const std::string& name) = 0;
  virtual void PreviewSelectedFile() = 0;
  // Asked first whenever the selected file is previewed; true: it showed
  // the file its own way and the normal preview does not run.
  virtual void SetPreviewOverride(std::function<bool()> override) = 0;
  // Every item of the file list, in the list's order (UTF-8 paths).
  virtual std::vector<std::string> HostListedPaths() const = 0;

  // ---- settings ----
  virtual navirt::TIniFile OpenSettings() const = 0;
  virtual bool WriteSettings(const navirt::TIniFile& ini) = 0;
  // The check of an option item; def when the item does not exist.
  virtual bool OptionChecked(CommandName option, bool def) const = 0;

  // ---- messages and dialogs (tests answer them through hooks) ----
  virtual int MessageDlg(const QString& text, const QString& caption, TMsgKind kind, int buttons = mbOK) = 0;
  virtual int ExecDialog(QDialog& dialog) = 0;
  // The input dialog, widthPercent of its usual width; on OK the answer is
  // in Answer().
  virtual bool InputQuery(const QString& caption, const QString& prompt, const QString& note,
                          const std::string& section, const QString& preset, int widthPercent = 100) = 0;
  virtual QString Answer() const = 0;
  // A dialog's own answer (a settings dialog's OK leaves "true").
  virtual void SetAnswer(const QString& answer) = 0;

  // ---- the pane's status bar, saving, the picture zoom ----
  // A panel of the pane's status bar SBarR: 0 caret, 1 line count, 2 mode,
  // 3 "RTF", 4 real-time mode, 5 pointer, 6 picture size.
  virtual void SetPaneStatus(int panel, const QString& text) = 0;
  // The overwrite save that closing runs after "変更を保存しますか？";
  // false when nothing was saved.
  virtual void SetSavePaneCommand(std::function<bool()> save) = 0;
  // Before a command replaces the pane: when it holds edits of the file,
  // asks "変更を保存しますか？" (はい saves, いいえ drops them); false for
  // キャンセル or a failed save, and the pane must stay as it is.
  virtual bool ConfirmReplacePane() = 0;
  // Where the last save under a name went (the settings file keeps it), and
  // noting a new one.
  virtual std::string LastSaveFolder() const = 0;
  virtual void NoteSavedFile(const std::string& path) = 0;
  // The picture zoom in percent, 0 for the whole picture.
  virtual int PictureZoom() const = 0;
  virtual void SetPictureZoom(int percent) = 0;
  // ---- the browsing panes: the main window owns the widgets, the browse
  // subsystem their behaviour ----
  virtual QComboBox* DriveCombo() = 0;  // ComboView1
  virtual QTreeView* FolderTree() = 0;  // FolderView1
  virtual QFileSystemModel* FolderTreeModel() = 0;
  virtual QTreeView* FileListView() = 0;        // FileView1, the details view
  virtual QListView* FileIconView() = 0;        // FileIconView1: icons and list styles
  virtual TFileListModel* FileListModel() = 0;  // both list views show it
  // Off while a navigation or Shift+arrows moves the selection: the list's
  // selection changes do not preview.
  virtual bool IsPreviewEnabled() const = 0;
  virtual void SetPreviewEnabled(bool on) = 0;
  // 1 large icons, 2 small icons, 3 list, 4 details; kept for the settings file.
  virtual int FileViewStyle() const = 0;
  virtual void RememberFileViewStyle(int style) = 0;
  virtual void ShowSelectedFile() = 0;  // the file whatever the mode
  virtual void ShowFolderSummary(bool withBlanks) = 0;
  virtual void SetStatusPanel(int panel, const QString& text) = 0;  // StatusBar1
  // A key in the folder tree or the file list, after the window's own keys
  // (held modifiers, Escape); true: consumed.
  virtual void SetPaneKeyHandler(std::function<bool(QObject* view, QKeyEvent* key)> handler) = 0;
  // A key or button whose command cannot run now: a beep, and the status
  // bar says so.
  virtual void CommandRefused(CommandName name) = 0;
};

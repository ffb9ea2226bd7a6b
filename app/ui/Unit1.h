#pragma once
// The main window: every command runs from here. Its members are the
// window's components and the model all commands share.
#include <QMainWindow>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "app/MainSettings.h"
#include "app/ui/AllCommands.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "preview/FolderSummary.h"
#include "settings/Colors.h"
#include "settings/IniFile.h"

class QAction;
class QComboBox;
class QDialog;
class QFileSystemModel;
class QFileSystemWatcher;
class QTimer;
class QLabel;
class QListView;
class QMenu;
class QMenuBar;
class QScrollArea;
class QSplitter;
class QStatusBar;
class QToolBar;
class QTreeView;
class QSplashScreen;
template <typename T>
class QFutureWatcher;
class TRichEdit;
class TFileListModel;
class TPreviewLoader;

class TForm1 : public QMainWindow, public IHost {
  Q_OBJECT
 public:
  explicit TForm1(QWidget* parent = nullptr);
  ~TForm1() override;

  // ---- components ----
  QToolBar* ToolBar1 = nullptr;
  QSplitter* Splitter2 = nullptr;
  QWidget* PanelL = nullptr;
  QWidget* PanelLT = nullptr;
  QComboBox* ComboView1 = nullptr;
  QWidget* PanelLB = nullptr;
  QTreeView* FolderView1 = nullptr;
  QFileSystemModel* FolderModel = nullptr;
  QWidget* PanelR = nullptr;
  QSplitter* Splitter3 = nullptr;
  QWidget* PanelRT = nullptr;
  QTreeView* FileView1 = nullptr;      // the details view
  QListView* FileIconView1 = nullptr;  // icons and list views, the same model and selection
  TFileListModel* FileModel = nullptr;
  QWidget* PanelRB = nullptr;
  QWidget* PanelRBT = nullptr;
  QLabel* LFilestring = nullptr;
  QToolBar* ToolBar2 = nullptr;
  QStatusBar* SBarR = nullptr;
  QWidget* PanelRBB = nullptr;
  QScrollArea* ScrollBox1 = nullptr;
  QLabel* Image1 = nullptr;
  TRichEdit* RichEdit1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QMenuBar* MainMenu1 = nullptr;
  QMenu* PopupMenu1 = nullptr;
  QMenu* PopupMenu2 = nullptr;
  QMenu* PopupMenu3 = nullptr;

  // Top-level menus, in menu-bar order.
  QMenu* Mfile = nullptr;     // "ファイル(&F)"
  QMenu* Medit = nullptr;     // "編集(&E)"
  QMenu* Mdelete = nullptr;   // "削除(&K)"
  QMenu* Msearch = nullptr;   // "検索(&S)"
  QMenu* Mview = nullptr;     // "表示(&D)"
  QMenu* Mconvert = nullptr;  // "変換(&C)"
  QMenu* Marchive = nullptr;  // "書庫(&L)"
  QMenu* Minfo = nullptr;     // "情報(&I)"
  QMenu* Mapp = nullptr;      // "アプリケーション(&A)"
  QMenu* Moption = nullptr;   // "設定(&O)"
  QMenu* Mhelp = nullptr;     // "ヘルプ(&H)"
  QMenu* Mfont = nullptr;     // "フォント(&O)" inside the option menu
  QAction* Mnow = nullptr;    // today's date

  // Commands of the shell and the preview.
  QAction* Mexit = nullptr;
  QAction* Mtextnewview = nullptr;
  QAction* Mtextrepaint1 = nullptr;
  QAction* MeditView1 = nullptr;
  QAction* Mwordwrap = nullptr;
  QAction* Mv = nullptr;
  QAction* Mdisp = nullptr;
  QAction* Mmousepoint = nullptr;
  QAction* Mtoolbar = nullptr;
  QAction* Msubtoolbar1 = nullptr;
  QAction* Mcloseinitview1 = nullptr;
  QAction* Mfonttext = nullptr;
  QAction* Mfontfile = nullptr;
  QAction* Mtabset1 = nullptr;
  QAction* Mchartset = nullptr;
  QAction* MstreamRead1 = nullptr;
  QAction* Mreadmax1 = nullptr;
  QAction* Minitdirectry1 = nullptr;
  QAction* Minifileclear1 = nullptr;
  // Toolbar buttons.

  // ---- the shared model ----
  std::string CurrentFolder;  // UTF-8, with trailing '/'
  std::string SelectedPath;   // UTF-8, empty when nothing is selected
  bool PreviewEnabled = true;
  bool RealTimeMode = true;
  bool ShiftHeld = false;
  bool AltHeld = false;
  int LhaVersion = 0;
  QString DialogAnswer;
  int SavedPaneHeight = 0;
  int TabWidth = 8;
  navirt::TColor InfoColor = navirt::clBlack;
  navirt::MainSettings Settings;  // values of the settings file the widgets do not hold
  std::string SettingsPath;
  std::string ProgramFolder;  // the program's own folder (installed: home), trailing '/'

  // ---- operations every command uses ----
  void ResetLayout();
  bool LoadSettings();
  void SaveSettings();
  void RefreshViews() override;
  void RefreshAll() override;
  void ClearPreview();
  void FormCreate();
  void HandleCommandLine(const std::string& path);
  void FormCloseQuery();
  void ResetSettingsFile();  // "INIファイル削除･初期化"
  // Edits typed or made by a text command since the file was loaded or saved.
  bool PaneHasUnsavedEdits() const;
  // Asks "変更を保存しますか？" when there are such edits; false keeps the window.
  bool ConfirmCloseWithEdits();
  bool ConfirmReplacePane() override;
  // The overwrite save (the edit commands set it); false when nothing was saved.
  std::function<bool()> SavePaneCommand;

  // Goes to a folder: tree, list, summary; the pane is cleared.
  void GoToFolder(const std::string& folder) override;
  // Selects and focuses the list item of that name (case ignored) and
  // previews it; false when there is none.
  bool SelectFileByName(const std::string& name) override;
  void FileView1Change();
  void PreviewSelectedFile() override;
  // A subsystem's own preview of the selected file (true: handled).
  std::function<bool()> PreviewOverride;
  void SetPreviewOverride(std::function<bool()> override) override { PreviewOverride = std::move(override); }
  void ShowSelectedFile() override;
  void ShowFileInfo();
  void ShowFolderSummary(bool withBlanks) override;
  void ToggleEditView();  // MeditView1 and its button
  // The picture of SelectedPath in the preview area; false when it does
  // not decode. ReleasePicture lets the pane fill the area again.
  bool ShowPicture();
  void ReleasePicture();

  // The information line and its marker colour.
  void SetInfoLine(const QString& text, navirt::TColor color) override;
  void SetInfoColor(navirt::TColor color) override;
  QString InfoLine() const override;
  void SetSBarRPanel(int panel, const QString& text);
  QString SBarRPanel(int panel) const;
  void SetStatusPanel(int panel, const QString& text) override;
  QString StatusPanel(int panel) const;

  // The action of a command; null while the subsystem owning it is not built.
  QAction* FindAction(CommandName name) const;
  // Any action by its object name (toolbar buttons, settings keys, tests).
  QAction* ActionNamed(const QString& name) const;

  // ---- the host interface the subsystems' window code sees ----
  QWidget* HostWindow() override { return this; }
  TCommandRegistry& Commands() override { return *commands_; }
  QMenu* Menu(HostMenu which) override;
  QToolBar* MainToolBar() override { return ToolBar1; }
  QToolBar* TextToolBar() override { return ToolBar2; }
  // The file list's pop-up menu (commands on the selected files).
  QMenu* FileListPopup = nullptr;
  TRichEdit* Pane() override { return RichEdit1; }
  std::string PaneText() const override;
  std::vector<std::string> PaneLines() const override;
  void SetPaneText(std::string_view bytes, navirt::TColor marker) override;
  void SetPaneLines(const std::vector<std::string>& lines, navirt::TColor marker) override;
  navirt::TColor InfoLineColor() const override { return InfoColor; }
  std::string HostFolder() const override { return CurrentFolder; }
  std::string HostSelectedPath() const override { return SelectedPath; }
  std::vector<std::string> HostSelectedPaths() const override;
  std::vector<std::string> HostListedPaths() const override;
  void CommandRefused(CommandName name) override;
  bool OptionChecked(CommandName option, bool def) const override { return commands_->Checked(option, def); }
  QString Answer() const override { return DialogAnswer; }
  void SetAnswer(const QString& answer) override { DialogAnswer = answer; }
  void SetPaneStatus(int panel, const QString& text) override { SetSBarRPanel(panel, text); }
  void SetSavePaneCommand(std::function<bool()> save) override { SavePaneCommand = std::move(save); }
  std::string LastSaveFolder() const override { return Settings.fileDir; }
  void NoteSavedFile(const std::string& path) override;
  int PictureZoom() const override { return Settings.zoom; }
  void SetPictureZoom(int percent) override { Settings.zoom = percent; }
  QComboBox* DriveCombo() override { return ComboView1; }
  QTreeView* FolderTree() override { return FolderView1; }
  QFileSystemModel* FolderTreeModel() override { return FolderModel; }
  QTreeView* FileListView() override { return FileView1; }
  QListView* FileIconView() override { return FileIconView1; }
  TFileListModel* FileListModel() override { return FileModel; }
  bool IsPreviewEnabled() const override { return PreviewEnabled; }
  void SetPreviewEnabled(bool on) override { PreviewEnabled = on; }
  int FileViewStyle() const override { return Settings.icon; }
  void RememberFileViewStyle(int style) override { Settings.icon = style; }
  void SetPaneKeyHandler(std::function<bool(QObject*, QKeyEvent*)> handler) override {
    paneKeyHandler_ = std::move(handler);
  }
  // Hints "short|long" become a short tool tip and a long status tip.
  void SplitHints();
  // Loads the LHA library for its version; 0 when it is missing.
  int QueryLhaVersion();
  void ApplyLhaAvailability();

  // Modal dialogs and message boxes go through these so tests can answer
  // them without a modal loop.
  std::function<int(QDialog&)> dialogHook;
  std::function<int(const QString& text, const QString& caption, TMsgKind kind, int buttons)> messageHook;
  int ExecDialog(QDialog& dialog) override;
  int MessageDlg(const QString& text, const QString& caption, TMsgKind kind, int buttons = mbOK) override;
  // The input dialog TForm33; on OK the answer is in DialogAnswer.
  bool InputQuery(const QString& caption, const QString& prompt, const QString& note, const std::string& section,
                  const QString& preset, int widthPercent = 100) override;

  // Opens and writes the settings file (falls back to the per-user file
  // when the chosen place cannot be written).
  navirt::TIniFile OpenSettings() const override;
  bool WriteSettings(const navirt::TIniFile& ini) override;

  // The summary walk, for tests and benchmarks.
  bool SummaryRunning() const;
  void WaitForSummary();
  std::function<void()> onSummaryShown;

 protected:
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* obj, QEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void BuildLayout();
  void BuildMenus();
  void InstallWindowCommands();
  void BuildToolBars();
  void InstallSubsystemCommands();  // app/ui/InstallCommands.cpp
  void ApplyFonts();
  void ApplyToolbarLayout();
  void ApplyViewStyle(int style);
  void FitPanel(QLabel* label, const QString& text);
  // shown: when given, what the information line reads of the loaded text:
  // the pane's text as Text() would give it (for a UTF-8 or UTF-16 file its
  // first line only); empty for a rendered RTF, whose text the pane makes.
  void LoadPaneWithFile(const std::string& path, bool realTime, bool& loaded, std::string* shown = nullptr);
  // A large file's text goes into the pane off the window's thread; done
  // gets its file-type and code labels. False: load it at once instead.
  bool LoadPaneInBackground(const std::string& path, bool realTime,
                            std::function<void(const std::string& type, const std::string& code)> done);
  void SetPaneHeight(int h);
  int PaneHeight() const;
  void StartSummaryWalk();
  void ApplyPaneSizes();
  int PanelRHeight() const;
  int DefaultFolderColumnWidth() const;
  // The pane's height as the user left it, and the list's and the pane's
  // share of a smaller window.
  void NotePaneHeight();
  void SharePaneHeight();
  void NewSummaryWatcher();
  void ShowSummaryFigures(const navirt::FolderFigures& f, bool withBlanks);
  void OnFolderTreeChanged();
  // The list follows the folder: files made, renamed or deleted by other
  // programs show at once; the selection stays where its files still are.
  void WatchCurrentFolder();
  void FolderChangedOutside();
  // Selects CurrentFolder in the tree and scrolls it into view.
  void ShowCurrentFolderInTree();
  void UpdateNowCaption();
  // Shrinks a window placed on the whole work area by its frame, once the
  // window manager has framed it.
  void FitFrameToWorkArea();
  // ShiftHeld and AltHeld follow the keys really held.
  void SyncHeldKeys(Qt::KeyboardModifiers mods);
  void SyncHeldKeysWithKeyboard();

  std::unique_ptr<TCommandRegistry> commands_;
  std::function<bool(QObject*, QKeyEvent*)> paneKeyHandler_;
  QLabel* sbarR_[7] = {};
  QLabel* status_[5] = {};
  QString infoText_;
  bool paneHidden_ = false;
  bool firstShow_ = true;
  bool fitFrame_ = false;  // the frame is to fit the work area once it is known
  QSize fitSize_;          // the size the window was given for that
  int rememberedPaneHeight_ = 200;
  int paneWanted_ = -1, paneWantedTotal_ = 0;  // the pane's height, and the right part's then
  bool navigating_ = false;
  bool keepingSelection_ = false;  // the edited file is selected again
  // After キャンセル of the question before a replacement: the edited
  // file is selected again, without a preview.
  void KeepEditedSelection(const std::string& path);
  bool pictureStretch_ = false;  // the last picture's stretch flag
  QFileSystemWatcher* folderWatcher_ = nullptr;
  QTimer* folderChanged_ = nullptr;  // gathers a burst of changes into one refill

  // Folder summary: one walk at a time, cached until the folder changes.
  std::string summaryFolder_;
  bool summaryReady_ = false;
  bool summaryPending_ = false;
  bool summaryWithBlanks_ = false;
  navirt::FolderFigures summaryFigures_;
  std::shared_ptr<std::atomic<bool>> summaryCancel_;
  QFutureWatcher<navirt::FolderFigures>* summaryWatcher_ = nullptr;
  std::unique_ptr<TPreviewLoader> previewLoader_;
};

extern TForm1* Form1;

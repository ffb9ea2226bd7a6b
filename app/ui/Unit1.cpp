#include "app/ui/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDate>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QFontDialog>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTextDocument>
#include <QTreeView>
#include <QListView>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "app/StartupPath.h"
#include "app/ui/FontColorDialog.h"
#include "host/ui/FontUtil.h"
#include "app/ui/Icons.h"
#include "host/ui/Job.h"
#include "app/ui/InputDialog.h"
#include "app/ui/FolderDialog.h"
#include "browse/ui/BrowseCommands.h"
#include "browse/ui/FileListModel.h"
#include "codec/DetectCode.h"
#include "codec/UnicodePane.h"
#include "edit/Rtf.h"
#include "edit/ui/RichEdit.h"
#include "platform/DynLib.h"
#include "platform/Format.h"
#include "platform/FileInfo.h"
#include "platform/Paths.h"
#include "preview/InfoLine.h"
#include "preview/Picture.h"
#include "preview/ui/PictureView.h"
#include "preview/ReadRule.h"
#include "preview/ReadSettingDialog.h"
#include "preview/ui/ReadSettingDialog.h"
#include "preview/ui/CharsetDialog.h"

using namespace navirt;

TForm1* Form1 = nullptr;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// The code the information line names for the pane's text: a UTF-8 or
// UTF-16 file's own code, judged on its bytes when it was loaded; else the
// guess over the text (none for an empty one).
std::string PaneCodeLabel(const TRichEdit* pane, const std::string& text) {
  if (const TUnicodePane* u = pane->Unicode()) return UnicodeCodeLabel(u->Code());
  return text.empty() ? std::string() : TextCodeLabel(DetectCode(text));
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle("Navirt");
  commands_ = std::make_unique<TCommandRegistry>(*this, this);
  ProgramFolder = WithTrailingSlash(ExecutableDir());
  SettingsPath = SettingsFilePath();
  BuildLayout();
  BuildToolBars();
  BuildMenus();
  InstallSubsystemCommands();
  SplitHints();
  ChooseIconTheme();
  ApplyToolbarIcons(this);
  // "終了" closes the main toolbar, after every subsystem's buttons.
  ToolBar1->removeAction(ToolButton2);
  ToolBar1->addSeparator();
  ToolBar1->addAction(ToolButton2);
  // Menus no subsystem has filled are not offered.
  for (QMenu* m : {Mfile, Medit, Mdelete, Msearch, Mview, Mconvert, Marchive, Minfo, Mapp, Moption, Mhelp})
    m->menuAction()->setVisible(!m->isEmpty());
  FormCreate();
}

TForm1::~TForm1() {
  if (summaryCancel_) summaryCancel_->store(true);
  if (summaryWatcher_) summaryWatcher_->waitForFinished();
  if (Form1 == this) Form1 = nullptr;
}

// ---------------------------------------------------------------- layout

void TForm1::BuildLayout() {
  resize(782, 514);
  setMinimumSize(640, 420);
  QFont windowFont(DefaultWindowFontName(), 9);
  setFont(windowFont);

  Splitter2 = new QSplitter(Qt::Horizontal, this);
  Splitter2->setObjectName("Splitter2");
  setCentralWidget(Splitter2);

  PanelL = new QWidget(Splitter2);
  PanelL->setObjectName("PanelL");
  auto* lv = new QVBoxLayout(PanelL);
  lv->setContentsMargins(0, 0, 0, 0);
  lv->setSpacing(0);
  PanelLT = new QWidget(PanelL);
  PanelLT->setObjectName("PanelLT");
  PanelLT->setFixedHeight(25);
  auto* ltl = new QVBoxLayout(PanelLT);
  ltl->setContentsMargins(0, 0, 0, 0);
  ComboView1 = new QComboBox(PanelLT);
  ComboView1->setObjectName("ComboView1");
  ComboView1->setEditable(true);
  ltl->addWidget(ComboView1);
  PanelLB = new QWidget(PanelL);
  PanelLB->setObjectName("PanelLB");
  auto* lbl = new QVBoxLayout(PanelLB);
  lbl->setContentsMargins(0, 0, 0, 0);
  FolderView1 = new QTreeView(PanelLB);
  FolderView1->setObjectName("FolderView1");
  FolderModel = new QFileSystemModel(this);
  FolderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  FolderModel->setRootPath("/");
  FolderView1->setModel(FolderModel);
  for (int c = 1; c < FolderModel->columnCount(); ++c) FolderView1->hideColumn(c);
  FolderView1->setHeaderHidden(true);
  FolderView1->setIndentation(19);
  FolderView1->setRootIsDecorated(true);
  lbl->addWidget(FolderView1);
  lv->addWidget(PanelLT);
  lv->addWidget(PanelLB, 1);

  PanelR = new QWidget(Splitter2);
  PanelR->setObjectName("PanelR");
  auto* rv = new QVBoxLayout(PanelR);
  rv->setContentsMargins(0, 0, 0, 0);
  Splitter3 = new QSplitter(Qt::Vertical, PanelR);
  Splitter3->setObjectName("Splitter3");
  rv->addWidget(Splitter3);
  PanelRT = new QWidget(Splitter3);
  PanelRT->setObjectName("PanelRT");
  auto* rtl = new QVBoxLayout(PanelRT);
  rtl->setContentsMargins(0, 0, 0, 0);
  FileView1 = new QTreeView(PanelRT);
  FileView1->setObjectName("FileView1");
  FileModel = new TFileListModel(this);
  FileView1->setModel(FileModel);
  FileView1->setRootIsDecorated(false);
  FileView1->setItemsExpandable(false);
  FileView1->setUniformRowHeights(true);
  FileView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  FileView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  FileView1->setAllColumnsShowFocus(true);
  FileView1->setMouseTracking(true);
  rtl->addWidget(FileView1);

  PanelRB = new QWidget(Splitter3);
  PanelRB->setObjectName("PanelRB");
  auto* rbl = new QVBoxLayout(PanelRB);
  rbl->setContentsMargins(0, 0, 0, 0);
  rbl->setSpacing(0);
  PanelRBT = new QWidget(PanelRB);
  PanelRBT->setObjectName("PanelRBT");
  auto* rbtl = new QVBoxLayout(PanelRBT);
  rbtl->setContentsMargins(2, 3, 2, 3);
  rbtl->setSpacing(3);
  ToolBar2 = new QToolBar(PanelRBT);
  ToolBar2->setObjectName("ToolBar2");
  ToolBar2->setIconSize(QSize(16, 16));
  LFilestring = new QLabel(PanelRBT);
  LFilestring->setObjectName("LFilestring");
  LFilestring->setTextInteractionFlags(Qt::TextSelectableByMouse);
  rbtl->addWidget(ToolBar2);
  rbtl->addWidget(LFilestring);
  SBarR = new QStatusBar(PanelRB);
  SBarR->setObjectName("SBarR");
  SBarR->setSizeGripEnabled(false);
  const int sbarWidths[7] = {100, 80, 50, 40, 60, 50, 50};
  for (int i = 0; i < 7; ++i) {
    sbarR_[i] = new QLabel(SBarR);
    sbarR_[i]->setObjectName(QString("SBarR_Panel%1").arg(i));
    sbarR_[i]->setMinimumWidth(sbarWidths[i]);
    SBarR->addWidget(sbarR_[i]);
  }
  PanelRBB = new QWidget(PanelRB);
  PanelRBB->setObjectName("PanelRBB");
  auto* rbbl = new QVBoxLayout(PanelRBB);
  rbbl->setContentsMargins(0, 0, 0, 0);
  ScrollBox1 = new QScrollArea(PanelRBB);
  ScrollBox1->setObjectName("ScrollBox1");
  Image1 = new QLabel;
  Image1->setObjectName("Image1");
  ScrollBox1->setWidget(Image1);
  ScrollBox1->hide();
  RichEdit1 = new TRichEdit(PanelRBB);
  RichEdit1->setObjectName("RichEdit1");
  rbbl->addWidget(ScrollBox1);
  rbbl->addWidget(RichEdit1, 1);
  rbl->addWidget(PanelRBT);
  rbl->addWidget(SBarR);
  rbl->addWidget(PanelRBB, 1);

  Splitter2->addWidget(PanelL);
  Splitter2->addWidget(PanelR);
  Splitter2->setStretchFactor(0, 0);  // the left column keeps its width
  Splitter2->setStretchFactor(1, 1);
  Splitter2->setSizes({137, 645});
  Splitter3->addWidget(PanelRT);
  Splitter3->addWidget(PanelRB);
  Splitter3->setSizes({200, 300});
  // The list takes what the window gains or loses: the pane keeps the
  // height the user gave it.
  Splitter3->setStretchFactor(0, 1);
  Splitter3->setStretchFactor(1, 0);

  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName("StatusBar1");
  // The folder panel gives way first; the figures stay readable at 640 pixels.
  const int statusWidths[5] = {120, 100, 120, 80, 50};
  for (int i = 0; i < 5; ++i) {
    status_[i] = new QLabel(StatusBar1);
    status_[i]->setObjectName(QString("StatusBar1_Panel%1").arg(i));
    status_[i]->setMinimumWidth(statusWidths[i]);
    StatusBar1->addWidget(status_[i], i == 0 ? 1 : 0);
  }
  setStatusBar(StatusBar1);

  connect(FileView1->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { FileView1Change(); });
  connect(FileView1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
    // A focus move without a selection change still previews the item.
  });
  connect(FolderView1->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { OnFolderTreeChanged(); });
  // The tree fills in lazily: show the current folder once its parents are read.
  connect(FolderModel, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
    std::string dir = WithTrailingSlash(S(loaded));
    if (CurrentFolder.compare(0, dir.size(), dir) == 0) ShowCurrentFolderInTree();
  });
  connect(ComboView1, QOverload<int>::of(&QComboBox::activated), this, [this](int) {
    std::string p = S(ComboView1->currentText());
    if (IsDirectory(p)) GoToFolder(p);
  });
  connect(RichEdit1, &QPlainTextEdit::cursorPositionChanged, this, [this] {
    SetSBarRPanel(0, QString("%1行 %2列").arg(RichEdit1->CaretLine()).arg(RichEdit1->CaretColumn()));
  });
  connect(RichEdit1->document(), &QTextDocument::contentsChanged, this,
          [this] { SetSBarRPanel(1, QString("%1 行").arg(RichEdit1->LineCount())); });

  FileView1->installEventFilter(this);
  FileView1->viewport()->installEventFilter(this);
  FolderView1->installEventFilter(this);

  NewSummaryWatcher();
}

void TForm1::NewSummaryWatcher() {
  summaryWatcher_ = new QFutureWatcher<FolderFigures>(this);
  connect(summaryWatcher_, &QFutureWatcherBase::finished, this, [this] {
    FolderFigures f = summaryWatcher_->result();
    if (!f.complete) return;
    summaryFigures_ = f;
    summaryReady_ = true;
    if (summaryPending_) {
      summaryPending_ = false;
      ShowSummaryFigures(f, summaryWithBlanks_);
    }
  });
}

void TForm1::BuildToolBars() {
  ToolBar1 = addToolBar("ToolBar1");
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setIconSize(QSize(20, 20));
  auto icon = [this](QStyle::StandardPixmap p) { return style()->standardIcon(p); };

  ToolButton2 = ToolBar1->addAction(icon(QStyle::SP_DialogCloseButton), "終了(Q)");
  ToolButton2->setObjectName("ToolButton2");
  ToolButton2->setStatusTip("終了(Q)");
  connect(ToolButton2, &QAction::triggered, this, &QWidget::close);

  SBeditview = ToolBar2->addAction(icon(QStyle::SP_TitleBarShadeButton), "隠す");
  SBeditview->setObjectName("SBeditview");
  SBeditview->setToolTip("テキスト表示部分を隠します。");
  connect(SBeditview, &QAction::triggered, this, [this] { ToggleEditView(); });
  ToolButton49 = ToolBar2->addAction(icon(QStyle::SP_FileDialogContentsView), "表示");
  ToolButton49->setObjectName("ToolButton49");
  connect(ToolButton49, &QAction::triggered, this, [this] { ShowSelectedFile(); });
  ToolButton17 = ToolBar2->addAction(icon(QStyle::SP_BrowserReload), "テキストの再表示");
  ToolButton17->setObjectName("ToolButton17");
  ToolButton39 = ToolBar2->addAction(icon(QStyle::SP_ArrowRight), "折り返し");
  ToolButton39->setObjectName("ToolButton39");
  ToolButton39->setCheckable(true);
  connect(ToolButton39, &QAction::toggled, this, [this](bool on) { RichEdit1->SetWordWrap(on); });
}

QAction* TForm1::AddCommand(QMenu* menu, CommandName name, const QString& caption, std::function<void()> handler,
                            const QKeySequence& shortcut) {
  CommandRow row;
  row.name = name;
  const QByteArray text = caption.toUtf8();
  row.caption = text.constData();
  if (handler) row.run = [handler = std::move(handler)](IHost&) { handler(); };
  QAction* a = commands_->Install(row, menu);
  if (!shortcut.isEmpty()) a->setShortcut(shortcut);
  // Commands added here are built: a null handler means "does nothing yet"
  // only for rows that say so through the table.
  a->setEnabled(true);
  return a;
}

QAction* TForm1::AddOption(QMenu* menu, CommandName name, const QString& caption, bool checked,
                           std::function<void(bool)> onToggle) {
  CommandRow row;
  row.name = name;
  const QByteArray text = caption.toUtf8();
  row.caption = text.constData();
  row.checkable = true;
  row.checked = checked;
  if (onToggle) row.toggled = [onToggle = std::move(onToggle)](IHost&, bool on) { onToggle(on); };
  return commands_->Install(row, menu);
}

QAction* TForm1::FindAction(CommandName name) const { return commands_->Action(name); }

QAction* TForm1::ActionNamed(const QString& name) const { return findChild<QAction*>(name); }

QMenu* TForm1::Menu(HostMenu which) {
  switch (which) {
    case HostMenu::File: return Mfile;
    case HostMenu::Edit: return Medit;
    case HostMenu::Delete: return Mdelete;
    case HostMenu::Search: return Msearch;
    case HostMenu::View: return Mview;
    case HostMenu::Convert: return Mconvert;
    case HostMenu::Archive: return Marchive;
    case HostMenu::Info: return Minfo;
    case HostMenu::App: return Mapp;
    case HostMenu::Option: return Moption;
    case HostMenu::Help: return Mhelp;
    case HostMenu::FileListPopup: return FileListPopup;
    case HostMenu::PanePopup: return PopupMenu1;
  }
  return nullptr;
}

std::string TForm1::PaneText() const { return RichEdit1->Text(); }

std::vector<std::string> TForm1::PaneLines() const { return RichEdit1->Lines(); }

void TForm1::SetPaneText(std::string_view bytes, TColor marker) {
  RichEdit1->setUpdatesEnabled(false);
  // A change of a UTF-8 or UTF-16 file's text keeps its mapping so it saves
  // in its own code; program output is Shift_JIS text of its own.
  std::optional<TUnicodePane> unicode;
  if (marker == clRed && RichEdit1->Unicode()) unicode = *RichEdit1->Unicode();
  RichEdit1->SetText(bytes, std::move(unicode));
  RichEdit1->setUpdatesEnabled(true);
  // A change of the file's text counts as an edit; program output does not.
  RichEdit1->SetModified(marker == clRed);
  SetInfoColor(marker);
}

void TForm1::SetPaneLines(const std::vector<std::string>& lines, TColor marker) {
  RichEdit1->setUpdatesEnabled(false);
  if (marker != clRed) RichEdit1->ForgetUnicode();
  RichEdit1->SetLines(lines);
  RichEdit1->setUpdatesEnabled(true);
  RichEdit1->SetModified(marker == clRed);
  SetInfoColor(marker);
}

std::vector<std::string> TForm1::HostSelectedPaths() const {
  std::vector<std::string> out;
  for (int r : SelectedFileRows(FileView1->selectionModel())) out.push_back(FileModel->PathOf(r));
  return out;
}

std::vector<std::string> TForm1::HostListedPaths() const {
  std::vector<std::string> out;
  for (int r = 0; r < FileModel->rowCount(); ++r) out.push_back(FileModel->PathOf(r));
  return out;
}

void TForm1::CommandRefused(CommandName name) {
  QApplication::beep();
  const QAction* a = commands_->Action(name);
  SetStatusPanel(4, a ? QString("「%1」は今は使えません。").arg(a->text().remove('&'))
                      : QString("このキーのコマンドはまだありません。"));
}

void TForm1::SplitHints() {
  // A hint "short|long": the tool tip shows the short text, the status
  // bar's hint panel the long one.
  for (QAction* a : findChildren<QAction*>()) {
    QString tip = a->toolTip();
    if (!tip.contains('|')) continue;
    a->setToolTip(tip.section('|', 0, 0));
    if (a->statusTip().isEmpty()) a->setStatusTip(tip.section('|', 1));
  }
}

void TForm1::BuildMenus() {
  MainMenu1 = menuBar();
  MainMenu1->setObjectName("MainMenu1");
  auto top = [this](const char* name, const QString& title) {
    QMenu* m = MainMenu1->addMenu(title);
    m->setObjectName(name);
    return m;
  };
  Mfile = top("Mfile", "ファイル(&F)");
  Medit = top("Medit", "編集(&E)");
  Mdelete = top("Mdelete", "削除(&K)");
  Msearch = top("Msearch", "検索(&S)");
  Mview = top("Mview", "表示(&D)");
  Mconvert = top("Mconvert", "変換(&C)");
  Marchive = top("Marchive", "書庫(&L)");
  Minfo = top("Minfo", "情報(&I)");
  Mapp = top("Mapp", "アプリケーション(&A)");
  Moption = top("Moption", "設定(&O)");
  Mhelp = top("Mhelp", "ヘルプ(&H)");
  Mnow = MainMenu1->addAction(Q(FormatMenuDate(std::time(nullptr))));
  Mnow->setObjectName("Mnow");

  Mexit = AddCommand(Mfile, cmd::Mexit, "終了(&X)", [this] { close(); });

  Mtextnewview = AddCommand(Mview, cmd::Mtextnewview, "ファイルを再表示(&T)", [this] {
    PreviewEnabled = true;
    Mdisp->setChecked(true);  // real-time mode, its check and its panel together
    RealTimeMode = true;
    if (!SelectedPath.empty()) PreviewSelectedFile();
    QApplication::restoreOverrideCursor();
  });
  Mtextrepaint1 = AddCommand(Mview, cmd::Mtextrepaint1, "テキストを再表示(&B)", [this] {
    QApplication::restoreOverrideCursor();
    // The refill forgets the selection: take the file along so it is
    // shown again rather than an empty pane.
    std::string name = SelectedPath.empty() ? std::string() : FileNamePart(SelectedPath);
    RefreshAll();
    PreviewEnabled = true;
    RealTimeMode = true;
    ShiftHeld = AltHeld = false;
    if (!name.empty()) SelectFileByName(name);
  });
  connect(ToolButton17, &QAction::triggered, Mtextrepaint1, &QAction::trigger);
  MeditView1 = AddCommand(Mview, cmd::MeditView1, "テキスト表示を隠す(&I)", [this] { ToggleEditView(); });
  MeditView1->setStatusTip("テキスト表示を隠します。");
  Mwordwrap = AddCommand(Mview, cmd::Mwordwrap, "右で折り返す(&R)", [this] { ToolButton39->toggle(); });
  Mv = AddCommand(nullptr, cmd::Mv, "&V テキストを表示", [this] {
    if (RealTimeMode) {
      if (paneHidden_) ToggleEditView();
      RichEdit1->setFocus();
      return;
    }
    RealTimeMode = true;
    PreviewSelectedFile();
    RealTimeMode = false;
  });
  addAction(Mv);
  connect(Mview, &QMenu::aboutToShow, this, [this] {
    Mwordwrap->setText(RichEdit1->WordWrap() ? "右で折り返さない(&R)" : "右で折り返す(&R)");
  });

  Mdisp = AddOption(Moption, cmd::Mdisp, "テキスト瞬時表示(&T)", true, [this](bool on) {
    RealTimeMode = on;
    SetSBarRPanel(4, on ? "ﾘｱﾙﾓｰﾄﾞ" : "Vﾓｰﾄﾞ");
  });
  Mmousepoint = AddOption(Moption, cmd::Mmousepoint, "マウスポインタ表示(&H)", false, [this](bool on) {
    Settings.hottrack = on;
    FileView1->setAttribute(Qt::WA_Hover, on);
    SetSBarRPanel(5, on ? "MP" : "");
  });
  Mtoolbar = AddOption(Moption, cmd::Mtoolbar, "ツールバー表示(&B)", true, [this](bool on) { ToolBar1->setVisible(on); });
  Msubtoolbar1 = AddOption(Moption, cmd::Msubtoolbar1, "テキストツールバー表示", true, [this](bool) {
    ApplyToolbarLayout();
  });
  Mcloseinitview1 = AddOption(Moption, cmd::Mcloseinitview1, "終了時ファイル未選択(&I)", true, nullptr);
  Moption->addSeparator();
  Mfont = Moption->addMenu("フォント(&O)");
  Mfont->setObjectName("Mfont");
  Mfonttext = AddCommand(Mfont, cmd::Mfonttext, "テキスト(&T)", [this] {
    TFontColorDialog dlg(this, "テキストのフォント", RichEdit1->font(),
                         QColorFromTColor(Settings.fontR.color, palette().color(QPalette::Text)));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    Settings.fontR = FontSpecFromQFont(dlg.SelectedFont(), TColorFromQColor(dlg.SelectedColor()));
    ApplyFonts();
  });
  Mfontfile = AddCommand(Mfont, cmd::Mfontfile, "ファイル名(&F)", [this] {
    TFontColorDialog dlg(this, "ファイル名のフォント", FileView1->font(),
                         QColorFromTColor(Settings.fontF.color, palette().color(QPalette::Text)));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    Settings.fontF = FontSpecFromQFont(dlg.SelectedFont(), TColorFromQColor(dlg.SelectedColor()));
    ApplyFonts();
  });
  Mtabset1 = AddCommand(Moption, cmd::Mtabset1, "TAB位置設定", [this] {
    if (!InputQuery("TAB位置設定", "TABの文字数", "", "", "8")) return;
    TabWidth = ParseTabWidth(S(DialogAnswer));
    RichEdit1->SetTabWidth(TabWidth);
  });
  Mchartset = AddCommand(Moption, cmd::Mchartset, "テキストの文字種類(&C)", [this] {
    TForm8 dlg(this, RichEdit1);
    ExecDialog(dlg);
  });
  MstreamRead1 = AddCommand(Moption, cmd::MstreamRead1, "Stream読み込みの設定(&M)", [this] {
    TIniFile ini = OpenSettings();
    TForm26 dlg(this, TReadSettingDialogModel::ForStreamRead(ini));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    TIniFile fresh = OpenSettings();
    dlg.Model().Accept(fresh);
    WriteSettings(fresh);
  });
  Mreadmax1 = AddCommand(Moption, cmd::Mreadmax1, "読み込み制限の設定(&Y)", [this] {
    TIniFile ini = OpenSettings();
    TForm26 dlg(this, TReadSettingDialogModel::ForReadMax(ini));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    TIniFile fresh = OpenSettings();
    dlg.Model().Accept(fresh);
    WriteSettings(fresh);
  });
  Moption->addSeparator();
  Minitdirectry1 = AddCommand(Moption, cmd::Minitdirectry1, "起動時フォルダー指定", [this] {
    TIniFile ini = OpenSettings();
    TForm4 dlg(this, "起動時フォルダー指定", "起動時のフォルダーを指定して下さい。",
               Q(ini.ReadString("InitFolder", "InitFolderName", "")));
    if (ExecDialog(dlg) != QDialog::Accepted) return;
    TIniFile fresh = OpenSettings();
    fresh.WriteString("InitFolder", "InitFolderName", S(dlg.FolderText()));
    WriteSettings(fresh);
  });
  Minifileclear1 = AddCommand(Moption, cmd::Minifileclear1, "INIファイル削除･初期化", [this] { ResetSettingsFile(); });

  // The text toolbar's buttons and "終了" run these commands.
  ToolButton2->setProperty("navirtCommand", cmd::Mexit.text);
  SBeditview->setProperty("navirtCommand", cmd::MeditView1.text);
  ToolButton49->setProperty("navirtCommand", cmd::Mv.text);
  ToolButton17->setProperty("navirtCommand", cmd::Mtextrepaint1.text);
  ToolButton39->setProperty("navirtCommand", cmd::Mwordwrap.text);

  // A menu takes the keyboard: the release of the Alt that opened it never
  // reaches the list.
  for (QMenu* m : {Mfile, Medit, Mdelete, Msearch, Mview, Mconvert, Marchive, Minfo, Mapp, Moption, Mhelp}) {
    connect(m, &QMenu::aboutToShow, this, [this] { SyncHeldKeys(Qt::NoModifier); });
    connect(m, &QMenu::aboutToHide, this, [this] { SyncHeldKeysWithKeyboard(); });
  }

  // The whole menu as one pop-up: the same menus, so every item and its
  // twin share one check mark.
  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName("PopupMenu1");
  for (QMenu* m : {Mfile, Medit, Mdelete, Msearch, Mview, Mconvert, Marchive, Minfo, Mapp, Moption, Mhelp})
    PopupMenu1->addMenu(m);
  PopupMenu2 = new QMenu(this);
  PopupMenu2->setObjectName("PopupMenu2");
  PopupMenu3 = new QMenu(this);
  PopupMenu3->setObjectName("PopupMenu3");
  RichEdit1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(RichEdit1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu1->popup(RichEdit1->viewport()->mapToGlobal(p)); });
  FileView1->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(FileView1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { PopupMenu1->popup(FileView1->viewport()->mapToGlobal(p)); });
}

// Menus that end up with nothing in them are hidden until a subsystem
// fills them.
void TForm1::ApplyToolbarLayout() {
  bool sub = Msubtoolbar1 && Msubtoolbar1->isChecked();
  ToolBar2->setVisible(sub);
  PanelRBT->adjustSize();
}

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
  ApplyFileViewStyle(this, Settings.icon);
}

// ---------------------------------------------------------------- state

void TForm1::ResetLayout() {
  if (QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen()) setGeometry(scr->availableGeometry());
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
  Settings.panelLWidth = 137;
  Settings.panelRBHeight = -1;  // two thirds of the right part
  ApplyPaneSizes();
  ApplyViewStyle(3);
  for (const auto& o : MenuOptions()) Settings.menu[o.item] = false;
  for (const char* item : {"Mdisp", "Mtoolbar", "Mdialogdisp1", "Mcloseinitview1", "Msubtoolbar1",
                           "Msubfolderview1", "Mgazodisp1", "Mgazostrech1"})
    Settings.menu[item] = true;
  for (QAction* a : {Mdisp, Mtoolbar, Mcloseinitview1, Msubtoolbar1}) a->setChecked(true);
  for (CommandName item : {cmd::Msubfolderview1, cmd::Mgazodisp1, cmd::Mgazostrech1})
    if (QAction* a = FindAction(item); a && a->isCheckable()) a->setChecked(true);
  FileModel->SetMask(FileMask{});
  if (QAction* b = ActionNamed("ToolButton12")) b->setChecked(false);
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

  setGeometry(Settings.left, Settings.top, Settings.width, Settings.height);
  ApplyPaneSizes();
  ApplyFonts();
  for (int c = 1; c <= 3; ++c) {
    int w = c == 1 ? Settings.colum1 : c == 2 ? Settings.colum2 : Settings.colum3;
    if (w >= 0) FileView1->header()->resizeSection(c, w);
    else FileView1->resizeColumnToContents(c);
  }
  RichEdit1->SetWordWrap(Settings.wordWrap);
  ToolButton39->setChecked(Settings.wordWrap);
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
  Settings.colum1 = FileView1->header()->sectionSize(1);
  Settings.colum2 = FileView1->header()->sectionSize(2);
  Settings.colum3 = FileView1->header()->sectionSize(3);
  Settings.hottrack = Mmousepoint->isChecked();
  Settings.wordWrap = RichEdit1->WordWrap();
  Settings.tabWidth = TabWidth;
  for (const auto& o : MenuOptions()) {
    if (QAction* a = ActionNamed(QString::fromStdString(o.item)); a && a->isCheckable()) Settings.menu[o.item] = a->isChecked();
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
  if (!t.name.empty()) {
    SelectFileByName(t.name);
    return;
  }
  if (!t.folderOnly) return;  // a name that is not there selects nothing
  // A folder alone: show its first file.
  for (int r = 0; r < FileModel->rowCount(); ++r) {
    if (!FileModel->Entry(r).isDir) {
      SelectFileByName(FileModel->Entry(r).name);
      return;
    }
  }
}

void TForm1::RefreshViews() {
  bool was = PreviewEnabled;
  PreviewEnabled = false;
  std::string keep = CurrentFolder;
  FileModel->SetFolder(keep);
  ShowCurrentFolderInTree();
  ComboView1->setEditText(Q(keep));
  SelectedPath.clear();
  // A refill drops the selection without a selection change.
  SetStatusPanel(3, QString("%1 個選択").arg(SelectedFileRows(FileView1->selectionModel()).size()));
  // What the folder holds may have changed (a save, a copy).
  if (summaryFolder_ == CurrentFolder && !SummaryRunning()) {
    summaryReady_ = false;
    summaryFolder_.clear();
  }
  (void)was;
  PreviewEnabled = true;
}

void TForm1::ShowCurrentFolderInTree() {
  const std::string& f = CurrentFolder;
  QModelIndex idx = FolderModel->index(Q(f.size() > 1 && f.back() == '/' ? f.substr(0, f.size() - 1) : f));
  if (!idx.isValid()) return;
  navigating_ = true;
  FolderView1->setCurrentIndex(idx);
  FolderView1->selectionModel()->select(idx, QItemSelectionModel::ClearAndSelect);
  FolderView1->scrollTo(idx);
  navigating_ = false;
}

void TForm1::RefreshAll() {
  PreviewEnabled = true;
  RealTimeMode = Mdisp->isChecked();
  ShiftHeld = false;
  summaryReady_ = false;  // the folder's content may have changed
  summaryFolder_.clear();
  RefreshViews();
  ClearPreview();
}

void TForm1::ClearPreview() {
  RichEdit1->Clear();
  SetInfoLine("", InfoColor);
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
  if (QAction* edit = ActionNamed("ToolButton7"); edit && edit->isChecked()) edit->setChecked(false);
  RichEdit1->SetEditMode(false);
  SetSBarRPanel(2, "閲覧");
  RichEdit1->show();
  RefreshViews();
  ShowFolderSummary(false);
  PreviewSelectedFile();
}

// ---------------------------------------------------------------- folders

void TForm1::GoToFolder(const std::string& folder) {
  std::string f = WithTrailingSlash(folder);
  if (f != summaryFolder_) {
    if (summaryCancel_) summaryCancel_->store(true);
    summaryReady_ = false;
    summaryPending_ = false;
    summaryFolder_.clear();
  }
  bool was = PreviewEnabled;
  PreviewEnabled = false;
  CurrentFolder = f;
  RefreshViews();
  ReleasePicture();
  ClearPreview();
  ShowFolderSummary(false);
  PreviewEnabled = was;
}

void TForm1::OnFolderTreeChanged() {
  if (navigating_) return;
  QModelIndex idx = FolderView1->currentIndex();
  if (!idx.isValid()) return;
  std::string path = S(FolderModel->filePath(idx));
  if (path.empty()) return;
  if (WithTrailingSlash(path) == CurrentFolder) return;
  GoToFolder(path);
}

bool TForm1::SelectFileByName(const std::string& name) {
  int row = FileModel->RowOfName(name, true);
  if (row < 0) return false;
  QModelIndex idx = FileModel->index(row, 0);
  QAbstractItemView* view = ActiveFileView(this);
  view->setFocus();
  FileView1->selectionModel()->setCurrentIndex(
      idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view->scrollTo(idx);
  return true;
}

// ---------------------------------------------------------------- preview

void TForm1::FileView1Change() {
  // The pane fills the preview area again; no picture stays.
  ReleasePicture();
  std::vector<int> rows = SelectedFileRows(FileView1->selectionModel());
  SelectedPath = rows.empty() ? std::string() : FileModel->PathOf(rows.front());
  if (PreviewEnabled && !ShiftHeld && !AltHeld) PreviewSelectedFile();
  SetStatusPanel(3, QString("%1 個選択").arg(rows.size()));
}

void TForm1::LoadPaneWithFile(const std::string& path, bool realTime, bool& loaded) {
  loaded = false;
  TIniFile ini = OpenSettings();
  ReadSettings rs = LoadReadSettings(ini);
  FileStat st = StatPath(path);
  ReadMode mode = ChooseReadMode(rs, st.size, realTime);
  if (mode == ReadMode::None) return;
  // Both ways read the whole file; a buffered read differs only in how.
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return;
  QAction* rtf = FindAction(cmd::Mrtf);
  RichEdit1->SetRichMode(rtf && rtf->isChecked());
  RichEdit1->setUpdatesEnabled(false);
  if (RichEdit1->RichMode() && LooksLikeRtf(bytes)) {
    RichEdit1->SetRich(ReadRtf(bytes));
  } else {
    PaneLoad load = LoadForPane(bytes);
    RichEdit1->SetText(load.text, std::move(load.unicode));
  }
  RichEdit1->setUpdatesEnabled(true);
  loaded = true;
}

void TForm1::PreviewSelectedFile() {
  if (PreviewOverride && PreviewOverride()) return;
  if (!RealTimeMode) return;
  SetInfoLine("", clBlack);
  if (SelectedPath.empty() || !IsRegularFile(SelectedPath)) return;
  FileStat st = StatPath(SelectedPath);
  if (!st.found) return;
  std::string pieces = InfoLinePieces1To8(SelectedPath, st);
  RichEdit1->Clear();
  ApplyFonts();
  bool editMode = !RichEdit1->isReadOnly();
  SetInfoLine(Q(pieces), editMode ? clRed : clBlack);
  QAction* pictures = FindAction(cmd::Mgazodisp1);
  bool picture = IsPictureFile(SelectedPath) && (!pictures || pictures->isChecked());
  ReleasePicture();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool loaded = false;
  std::string code;
  std::string text;
  if (!picture) {
    LoadPaneWithFile(SelectedPath, RealTimeMode, loaded);
    if (RichEdit1->LineCount() > 0) text = RichEdit1->Text();
    code = PaneCodeLabel(RichEdit1, text);
  }
  std::string type = SniffFileType(FirstLine(text), SelectedPath);
  SetInfoLine(Q(pieces + InfoLinePiece9(type, code)), InfoColor);
  QApplication::restoreOverrideCursor();
  ShowFolderSummary(true);
  if (picture && !ShowPicture()) {
    // A picture that does not decode is shown as text.
    ReleasePicture();
    LoadPaneWithFile(SelectedPath, RealTimeMode, loaded);
  }
}

void TForm1::ReleasePicture() {
  Image1->clear();
  ScrollBox1->hide();
  RichEdit1->setVisible(!paneHidden_);
  PanelRBB->setAutoFillBackground(false);
  SetSBarRPanel(6, "");
}

bool TForm1::ShowPicture() {
  QAction* stretchItem = FindAction(cmd::Mgazostrech1);
  bool stretchOption = !stretchItem || stretchItem->isChecked();
  QSize pane = PanelRBB->size();
  int zoom = Settings.zoom;
  // A whole-picture view never needs more pixels than the pane has.
  QSize fit = zoom == 0 && stretchOption ? pane : QSize();
  QImage image;
  QSize full;
  if (!LoadPictureImage(SelectedPath, fit, image, full) || image.isNull()) return false;
  PictureLayout l = ComputePictureLayout(full.width(), full.height(), pane.width(), pane.height(), zoom,
                                         stretchOption, pictureStretch_);
  if (l.width <= 0 || l.height <= 0) return false;
  pictureStretch_ = l.stretch;
  RichEdit1->hide();
  QPalette pal = PanelRBB->palette();
  pal.setColor(QPalette::Window, Qt::white);
  PanelRBB->setPalette(pal);
  PanelRBB->setAutoFillBackground(true);
  ScrollBox1->setWidgetResizable(false);
  ScrollBox1->setBackgroundRole(QPalette::Base);
  ScrollBox1->show();
  if (l.autoSize) {
    Image1->setScaledContents(false);
    Image1->setPixmap(QPixmap::fromImage(image.size() == full ? image : image.scaled(full)));
    Image1->resize(full);
  } else if (l.stretch) {
    Image1->setScaledContents(true);
    Image1->setPixmap(QPixmap::fromImage(image.scaled(l.width, l.height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    Image1->setGeometry(l.left, l.top, l.width, l.height);
  } else {
    Image1->setScaledContents(false);
    Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Image1->setPixmap(QPixmap::fromImage(image.size() == full ? image : image.scaled(full)));
    Image1->setGeometry(l.left, l.top, l.width, l.height);
  }
  ScrollBox1->horizontalScrollBar()->setValue(0);
  ScrollBox1->verticalScrollBar()->setValue(0);
  SetSBarRPanel(6, Q(PictureSizeText(full.width(), full.height())));
  return true;
}

void TForm1::ShowSelectedFile() {
  if (SelectedPath.empty() || !IsRegularFile(SelectedPath)) return;
  SetInfoLine("", clBlue);
  FileStat st = StatPath(SelectedPath);
  std::string pieces = InfoLinePieces1To8(SelectedPath, st);
  ApplyFonts();
  RichEdit1->Clear();
  SetInfoLine(Q(pieces), clBlue);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  bool loaded = false;
  // On demand the file is shown whatever the mode: the user asked for it.
  LoadPaneWithFile(SelectedPath, true, loaded);
  std::string text = RichEdit1->LineCount() > 0 ? RichEdit1->Text() : std::string();
  std::string code = PaneCodeLabel(RichEdit1, text);
  SetInfoLine(Q(pieces + InfoLinePiece9(SniffFileType(FirstLine(text), SelectedPath), code)), clBlue);
  QApplication::restoreOverrideCursor();
  ShowFolderSummary(false);
}

void TForm1::ShowFileInfo() {
  RichEdit1->Clear();
  SetInfoLine("", InfoColor);
  if (SelectedPath.empty()) return;
  FileStat st = StatPath(SelectedPath);
  if (!st.found) return;
  SetInfoLine(Q(InfoLinePieces1To8(SelectedPath, st)), InfoColor);
  ShowFolderSummary(false);
}

void TForm1::ShowFolderSummary(bool withBlanks) {
  if (CurrentFolder.empty()) return;
  SetStatusPanel(0, Q(CurrentFolder));
  if (!withBlanks) SetCurrentDirectory(CurrentFolder);
  if (summaryFolder_ == CurrentFolder && summaryReady_) {
    ShowSummaryFigures(summaryFigures_, withBlanks);
    return;
  }
  summaryPending_ = true;
  summaryWithBlanks_ = withBlanks;
  if (summaryFolder_ == CurrentFolder && summaryWatcher_->isRunning()) return;
  StartSummaryWalk();
}

void TForm1::StartSummaryWalk() {
  if (summaryCancel_) summaryCancel_->store(true);
  summaryCancel_ = std::make_shared<std::atomic<bool>>(false);
  summaryFolder_ = CurrentFolder;
  summaryReady_ = false;
  auto cancel = summaryCancel_;
  std::string folder = CurrentFolder;
  // A cancelled walk still finishes its future; the new one waits for no one.
  if (summaryWatcher_->isRunning()) {
    summaryWatcher_->disconnect(this);
    auto* old = summaryWatcher_;
    connect(old, &QFutureWatcherBase::finished, old, &QObject::deleteLater);
    NewSummaryWatcher();
  }
  summaryWatcher_->setFuture(QtConcurrent::run([folder, cancel] { return WalkFolder(folder, *cancel); }));
}

void TForm1::ShowSummaryFigures(const FolderFigures& f, bool withBlanks) {
  QString count = Q(FolderCountText(f.count));
  QString bytes = Q(FolderBytesText(f.bytes));
  if (withBlanks) {
    count = " " + count + " ";
    bytes = " " + bytes + " ";
  }
  SetStatusPanel(1, count);
  SetStatusPanel(2, bytes);
  if (onSummaryShown) onSummaryShown();
}

bool TForm1::SummaryRunning() const { return summaryWatcher_ && summaryWatcher_->isRunning(); }

void TForm1::WaitForSummary() {
  while (SummaryRunning() || summaryPending_) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (!SummaryRunning() && summaryPending_ && summaryReady_) break;
  }
  QApplication::processEvents();
}

// ---------------------------------------------------------------- pane

int TForm1::PaneHeight() const { return RichEdit1->height(); }

void TForm1::ToggleEditView() {
  if (!paneHidden_) {
    rememberedPaneHeight_ = PanelRB->height() - PanelRBT->height() - SBarR->height();
    RichEdit1->hide();
    paneHidden_ = true;
    int prbh = PanelRBT->height() + SBarR->height();
    int total = Splitter3->height();
    Splitter3->setSizes({total - prbh, prbh});
    SBeditview->setText("表示する");
    SBeditview->setToolTip("テキスト表示部分を表示します。");
    SBeditview->setIcon(CommandIcon("view-reveal", "表"));
    MeditView1->setText("テキスト表示を表示する(&I)");
    MeditView1->setStatusTip("テキスト表示を表示します。");
    if (FileView1->isVisible() && FileView1->isEnabled()) FileView1->setFocus();
    else FolderView1->setFocus();
  } else {
    RichEdit1->show();
    paneHidden_ = false;
    int prbh = PanelRBT->height() + rememberedPaneHeight_ + SBarR->height();
    int total = Splitter3->height();
    Splitter3->setSizes({std::max(0, total - prbh), prbh});
    SBeditview->setText("隠す");
    SBeditview->setToolTip("テキスト表示部分を隠します。");
    SBeditview->setIcon(CommandIcon("view-conceal", "隠"));
    MeditView1->setText("テキスト表示を隠す(&I)");
    MeditView1->setStatusTip("テキスト表示を隠します。");
  }
}

// ---------------------------------------------------------------- labels

void TForm1::SetInfoLine(const QString& text, TColor color) {
  infoText_ = text;
  LFilestring->setText(text);
  SetInfoColor(color);
}

void TForm1::SetInfoColor(TColor color) {
  InfoColor = color;
  QPalette pal = LFilestring->palette();
  pal.setColor(QPalette::WindowText, QColorFromTColor(color, Qt::black));
  LFilestring->setPalette(pal);
}

QString TForm1::InfoLine() const { return infoText_; }

void TForm1::FitPanel(QLabel* label, const QString& text) {
  int w = label->fontMetrics().horizontalAdvance(" " + text + " ");
  label->setMinimumWidth(w);
}

void TForm1::SetSBarRPanel(int panel, const QString& text) {
  if (panel < 0 || panel > 6) return;
  sbarR_[panel]->setText(text);
  if (panel >= 1 && panel <= 5) FitPanel(sbarR_[panel], text);
}

QString TForm1::SBarRPanel(int panel) const { return panel >= 0 && panel <= 6 ? sbarR_[panel]->text() : QString(); }

void TForm1::SetStatusPanel(int panel, const QString& text) {
  if (panel < 0 || panel > 4) return;
  status_[panel]->setText(text);
  if (panel >= 1 && panel <= 3) FitPanel(status_[panel], text);
}

QString TForm1::StatusPanel(int panel) const { return panel >= 0 && panel <= 4 ? status_[panel]->text() : QString(); }

// ---------------------------------------------------------------- dialogs

int TForm1::ExecDialog(QDialog& dialog) {
  if (dialogHook) return dialogHook(dialog);
  return dialog.exec();
}

int TForm1::MessageDlg(const QString& text, const QString& caption, TMsgKind kind, int buttons) {
  if (messageHook) return messageHook(text, caption, kind, buttons);
  QMessageBox::Icon icon = kind == TMsgKind::Information ? QMessageBox::Information
                           : kind == TMsgKind::Warning   ? QMessageBox::Warning
                           : kind == TMsgKind::Error     ? QMessageBox::Critical
                                                         : QMessageBox::Question;
  QMessageBox box(icon, caption.isEmpty() ? QString("Navirt") : caption, text, QMessageBox::NoButton, this);
  if (buttons & mbOK) box.addButton(QMessageBox::Ok);
  if (buttons & mbYes) box.addButton(QMessageBox::Yes);
  if (buttons & mbNo) box.addButton(QMessageBox::No);
  if (buttons & mbCancel) box.addButton(QMessageBox::Cancel);
  int r = box.exec();
  switch (r) {
    case QMessageBox::Ok: return mbOK;
    case QMessageBox::Yes: return mbYes;
    case QMessageBox::No: return mbNo;
    default: return mbCancel;
  }
}

bool TForm1::InputQuery(const QString& caption, const QString& prompt, const QString& note,
                        const std::string& section, const QString& preset) {
  TIniFile ini = OpenSettings();
  TInputDialogModel model;
  model.caption = S(caption);
  model.prompt = S(prompt);
  model.note = S(note);
  if (!section.empty()) model.LoadHistory(ini, section);
  model.text = S(preset);
  TForm33 dlg(this, model);
  if (ExecDialog(dlg) != QDialog::Accepted) return false;
  model.text = S(dlg.AnswerText());
  if (!section.empty()) {
    TIniFile fresh = OpenSettings();
    DialogAnswer = Q(model.Accept(fresh, section));
    WriteSettings(fresh);
  } else {
    DialogAnswer = Q(model.text);
  }
  return true;
}

// ---------------------------------------------------------------- LHA

int TForm1::QueryLhaVersion() {
  TDynamicLibrary lib;
  if (!lib.Load("UNLHA32.DLL")) return 0;
  using GetVersion = unsigned short (*)();
  auto fn = reinterpret_cast<GetVersion>(lib.Symbol("UnlhaGetVersion"));
  return fn ? fn() : 0;
}

void TForm1::ApplyLhaAvailability() {
  for (CommandName name : {cmd::MlhaU, cmd::MlhaP, cmd::Mlhalist, cmd::Mlha_V, cmd::Mlha_E})
    if (QAction* a = FindAction(name)) a->setEnabled(LhaVersion != 0);
}

// ---------------------------------------------------------------- events

void TForm1::FormCloseQuery() {
  DialogAnswer.clear();
  if (paneHidden_) ToggleEditView();
  SaveSettings();
  if (Mcloseinitview1->isChecked()) {
    CurrentFolder = ProgramFolder;
    ClearPreview();
    RefreshViews();
  }
  Image1->clear();
}

bool TForm1::PaneHasUnsavedEdits() const {
  // Red marker: changed in the pane. Program output is blue and never asks.
  return InfoColor == clRed && RichEdit1->Modified();
}

bool TForm1::ConfirmCloseWithEdits() {
  if (!PaneHasUnsavedEdits()) return true;
  int r = MessageDlg("変更を保存しますか？", "", TMsgKind::Confirmation, mbYes | mbNo | mbCancel);
  if (r == mbNo) return true;
  if (r != mbYes) return false;
  return SavePaneCommand && SavePaneCommand();
}

void TForm1::closeEvent(QCloseEvent* e) {
  if (JobRunning()) {
    // The job stops first; the window closes once it has.
    CancelRunningJobAndClose();
    e->ignore();
    return;
  }
  if (!ConfirmCloseWithEdits()) {
    e->ignore();
    return;
  }
  FormCloseQuery();
  e->accept();
}

void TForm1::UpdateNowCaption() { Mnow->setText(Q(FormatMenuDate(std::time(nullptr)))); }

void TForm1::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  UpdateNowCaption();
  // Splitter sizes mean nothing before the window has its real size.
  if (firstShow_) {
    firstShow_ = false;
    ApplyPaneSizes();
  }
}

int TForm1::PanelRHeight() const {
  // Before the first show the panel has no height yet: estimate it from the
  // window less its menu, toolbar and status bar.
  return isVisible() ? PanelR->height() : std::max(0, height() - 110);
}

void TForm1::ApplyPaneSizes() {
  int total = (isVisible() ? Splitter2->width() : width()) - Splitter2->handleWidth();
  Splitter2->setSizes({Settings.panelLWidth, std::max(0, total - Settings.panelLWidth)});
  // The handle takes its pixels out of the two panes: sizes summing to
  // the whole height would be shrunk, the stored height a little at every
  // start.
  int prh = std::max(0, PanelRHeight() - Splitter3->handleWidth());
  if (isVisible()) {
    // Shown, the panes share exactly what their current sizes add up to.
    const QList<int> now = Splitter3->sizes();
    int sum = 0;
    for (int s : now) sum += s;
    if (sum > 0) prh = sum;
  }
  int rb = (Settings.panelRBHeight >= 0 && Settings.panelRBHeight <= prh) ? Settings.panelRBHeight : prh / 3 * 2;
  Splitter3->setSizes({std::max(0, prh - rb), rb});
}

void TForm1::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  QList<int> s = Splitter3->sizes();
  if (s.size() == 2 && PanelR->height() < s[1]) {
    int half = PanelR->height() / 2;
    Splitter3->setSizes({PanelR->height() - half, half});
  }
}

bool TForm1::event(QEvent* e) {
  // Hints of menus and buttons go to the status bar's fifth panel.
  if (e->type() == QEvent::StatusTip) {
    SetStatusPanel(4, static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  return QMainWindow::event(e);
}

namespace {

Qt::KeyboardModifier ModifierOfKey(int key) {
  switch (key) {
    case Qt::Key_Shift: return Qt::ShiftModifier;
    case Qt::Key_Alt: return Qt::AltModifier;
    case Qt::Key_Control: return Qt::ControlModifier;
    case Qt::Key_Meta: return Qt::MetaModifier;
    default: return Qt::NoModifier;
  }
}

}  // namespace

void TForm1::SyncHeldKeys(Qt::KeyboardModifiers mods) {
  ShiftHeld = mods.testFlag(Qt::ShiftModifier);
  AltHeld = mods.testFlag(Qt::AltModifier);
}

void TForm1::SyncHeldKeysWithKeyboard() { SyncHeldKeys(QGuiApplication::queryKeyboardModifiers()); }

bool TForm1::eventFilter(QObject* obj, QEvent* e) {
  const bool listPort = obj == FileView1->viewport() || (FileIconView1 && obj == FileIconView1->viewport());
  if (listPort && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)) {
    // A click says what is held now, whatever key events went elsewhere.
    SyncHeldKeys(static_cast<QMouseEvent*>(e)->modifiers());
    return false;
  }
  if (obj == FileView1 || obj == FolderView1 || (FileIconView1 && obj == FileIconView1)) {
    if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) {
      // A modifier released while a menu or another window had the
      // keyboard sends its release elsewhere.
      SyncHeldKeysWithKeyboard();
    } else if (e->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(e);
      Qt::KeyboardModifiers mods = k->modifiers() | ModifierOfKey(k->key());
      SyncHeldKeys(mods);
      if (k->key() == Qt::Key_Shift || k->key() == Qt::Key_Alt) {
        // held alone: the flags above say so
      } else if (k->modifiers() == Qt::NoModifier && k->key() == Qt::Key_Escape) {
        close();
        return true;
      } else if (BrowseKeyPress(this, obj, k)) {
        return true;
      }
    } else if (e->type() == QEvent::KeyRelease) {
      auto* k = static_cast<QKeyEvent*>(e);
      if (!k->isAutoRepeat()) {
        SyncHeldKeys(k->modifiers() & ~Qt::KeyboardModifiers(ModifierOfKey(k->key())));
        PreviewEnabled = true;
      }
    }
  }
  return QMainWindow::eventFilter(obj, e);
}

// The main window: building its panes and toolbars, its dialogs and message
// boxes, and the events it handles itself (close, resize, held keys).
#include "app/ui/Unit1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileSystemModel>
#include <QFutureWatcher>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <cstdlib>
#include <ctime>

#include "app/ui/Icons.h"
#include "browse/ui/FileListModel.h"
#include "browse/ui/NameIcons.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/FontUtil.h"
#include "host/ui/InputDialog.h"
#include "host/ui/Job.h"
#include "platform/FileInfo.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "preview/ui/PreviewLoader.h"

using namespace navirt;

TForm1* Form1 = nullptr;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
  setObjectName("Form1");
  setWindowTitle("Navirt");
  // The window is Japanese whatever the locale, and so are the archiver
  // libraries' reports it shows.
  SetMessageLanguage(MsgLang::Japanese);
  commands_ = std::make_unique<TCommandRegistry>(*this, this);
  // An installed program starts in the home folder rather than in bin/.
  const char* home = std::getenv("HOME");
  ProgramFolder = WithTrailingSlash(RunsInstalled() && home && *home ? std::string(home) : ExecutableDir());
  SettingsPath = SettingsFilePath();
  BuildLayout();
  BuildToolBars();
  BuildMenus();
  InstallSubsystemCommands();
  SplitHints();
  ChooseIconTheme();
  // The whole-menu pop-up ends with closing the program and the pop-up.
  for (QAction* a : PopupMenu1->actions()) {
    if (!a->property("navirtPopupEnd").toBool()) continue;
    PopupMenu1->removeAction(a);
    PopupMenu1->addAction(a);
  }
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
  UseNameIcons(FolderModel);
  FolderModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  FolderModel->setRootPath("/");
  FolderView1->setModel(FolderModel);
  for (int c = 1; c < FolderModel->columnCount(); ++c) FolderView1->hideColumn(c);
  FolderView1->setHeaderHidden(true);
  FolderView1->setIndentation(19);
  FolderView1->setRootIsDecorated(true);
  // The column is as wide as the names shown, so a deep folder's name can
  // be scrolled to rather than cut at the tree's edge.
  FolderView1->header()->setStretchLastSection(false);
  FolderView1->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
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
  // The icons and list styles: the same model and selection.
  FileIconView1 = new QListView(PanelRT);
  FileIconView1->setObjectName("FileIconView1");
  FileIconView1->setModel(FileModel);
  FileIconView1->setSelectionModel(FileView1->selectionModel());
  FileIconView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  // Whole rows, as in the details view: after a view change the details
  // view shows the same selection across all its columns.
  FileIconView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  FileIconView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FileIconView1->setMouseTracking(true);
  FileIconView1->hide();
  rtl->addWidget(FileIconView1);

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
  ScrollBox1->setFrameShape(QFrame::NoFrame);
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
  connect(FolderView1->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { OnFolderTreeChanged(); });
  connect(Splitter3, &QSplitter::splitterMoved, this, [this] { NotePaneHeight(); });
  // The tree fills in lazily: show the current folder once its parents are read.
  connect(FolderModel, &QFileSystemModel::directoryLoaded, this, [this](const QString& loaded) {
    std::string dir = WithTrailingSlash(S(loaded));
    if (CurrentFolder.compare(0, dir.size(), dir) == 0) ShowCurrentFolderInTree();
  });
  connect(ComboView1, QOverload<int>::of(&QComboBox::activated), this, [this](int) {
    std::string p = S(ComboView1->currentText());
    if (IsDirectory(p)) GoToFolder(p);
  });
  connect(RichEdit1, &QPlainTextEdit::cursorPositionChanged, this,
          [this] { SetSBarRPanel(0, QString("%1行 %2列").arg(RichEdit1->CaretLine()).arg(RichEdit1->CaretColumn())); });
  // Counted once the changes of a step are done: a load changes the
  // document several times, and each count reads the whole text.
  auto* lineCount = new QTimer(this);
  lineCount->setSingleShot(true);
  lineCount->setInterval(0);
  connect(lineCount, &QTimer::timeout, this,
          [this] { SetSBarRPanel(1, QString("%1 行").arg(RichEdit1->LineCount())); });
  connect(RichEdit1->document(), &QTextDocument::contentsChanged, this, [this, lineCount] {
    lineCount->start();
    // Text written into the pane (a listing, a dump, a report) is what the
    // user is to see: no picture stays over it.
    if (ScrollBox1->isVisible()) ReleasePicture();
  });

  FileView1->installEventFilter(this);
  FileView1->viewport()->installEventFilter(this);
  FileIconView1->installEventFilter(this);
  FileIconView1->viewport()->installEventFilter(this);
  FolderView1->installEventFilter(this);

  NewSummaryWatcher();
}

void TForm1::BuildToolBars() {
  ToolBar1 = addToolBar("ToolBar1");
  ToolBar1->setObjectName("ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setIconSize(QSize(20, 20));
  // The buttons are the commands' own (BuildToolBarButtons).
}

// The text toolbar shows while its option is on.
void TForm1::ApplyToolbarLayout() {
  bool sub = Msubtoolbar1 && Msubtoolbar1->isChecked();
  ToolBar2->setVisible(sub);
  PanelRBT->adjustSize();
}

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
  QPushButton* no = (buttons & mbNo) ? box.addButton(QMessageBox::No) : nullptr;
  if (buttons & mbCancel) box.addButton(QMessageBox::Cancel);
  if (no && (buttons & mbDefaultNo)) {
    box.setDefaultButton(no);
    box.setEscapeButton(no);
  }
  int r = box.exec();
  switch (r) {
    case QMessageBox::Ok:
      return mbOK;
    case QMessageBox::Yes:
      return mbYes;
    case QMessageBox::No:
      return mbNo;
    default:
      return mbCancel;
  }
}

bool TForm1::InputQuery(const QString& caption, const QString& prompt, const QString& note, const std::string& section,
                        const QString& preset, int widthPercent) {
  return RunInputQuery(*this, caption, prompt, note, section, preset, widthPercent, DialogAnswer);
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

bool TForm1::ConfirmCloseWithEdits() { return ConfirmReplacePane(); }

bool TForm1::ConfirmReplacePane() {
  if (!PaneHasUnsavedEdits()) return true;
  int r = MessageDlg("変更を保存しますか？", "", TMsgKind::Confirmation, mbYes | mbNo | mbCancel);
  if (r == mbNo) {
    // Dropped: the text still shown asks no more.
    RichEdit1->SetModified(false);
    return true;
  }
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

// Room for the icon, two levels of branches and a name of some twenty
// characters: a narrower tree shows deep folders as icons only.
int TForm1::DefaultFolderColumnWidth() const {
  // Latin letters: a CJK font's average glyph is twice as wide.
  return 16 + 2 * FolderView1->indentation() +
         FolderView1->fontMetrics().horizontalAdvance(QStringLiteral("abcdefghijklmnopqrstuvwx"));
}

void TForm1::ApplyPaneSizes() {
  int total = (isVisible() ? Splitter2->width() : width()) - Splitter2->handleWidth();
  int left = Settings.panelLWidth >= 0 ? Settings.panelLWidth : std::min(DefaultFolderColumnWidth(), total / 3);
  Splitter2->setSizes({left, std::max(0, total - left)});
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
  NotePaneHeight();
}

void TForm1::NotePaneHeight() {
  const QList<int> s = Splitter3->sizes();
  if (s.size() != 2 || paneHidden_ || s[0] + s[1] <= 0) return;
  paneWanted_ = s[1];
  paneWantedTotal_ = s[0] + s[1];
}

// A window made smaller than when the pane got its height takes the room
// from the list first, but never below a third of the height (or the
// list's own height then, if it had less): from there the pane gives way
// too, so neither is squeezed to a few rows. Grown back, the pane has its
// height again and the list the rest.
void TForm1::SharePaneHeight() {
  const QList<int> s = Splitter3->sizes();
  if (s.size() != 2 || paneHidden_ || paneWanted_ < 0 || paneWantedTotal_ <= 0) return;
  const int total = s[0] + s[1];
  if (total <= 0) return;
  const int listThen = paneWantedTotal_ - paneWanted_;
  const int list = std::max(total - paneWanted_, std::min(listThen, total / 3));
  const int pane = std::max(0, total - list);
  if (pane != s[1]) Splitter3->setSizes({total - pane, pane});
}

void TForm1::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  SharePaneHeight();
}

bool TForm1::event(QEvent* e) {
  // Hints of menus and buttons go to the status bar's fifth panel.
  if (e->type() == QEvent::StatusTip) {
    SetStatusPanel(4, static_cast<QStatusTipEvent*>(e)->tip());
    return true;
  }
  const bool result = QMainWindow::event(e);
  if (fitFrame_ && (e->type() == QEvent::Move || e->type() == QEvent::Resize || e->type() == QEvent::Show ||
                    e->type() == QEvent::WindowActivate))
    FitFrameToWorkArea();
  return result;
}

void TForm1::FitFrameToWorkArea() {
  if (!isVisible() || isMaximized() || isFullScreen()) return;
  QScreen* scr = screen();
  if (!scr) return;
  const QRect frame = frameGeometry(), inside = geometry();
  // No frame yet (or none at all: no window manager).
  if (frame == inside) return;
  fitFrame_ = false;
  // Sized since (by the settings, the user or the window manager): as given.
  if (size() != fitSize_) return;
  const QRect area = scr->availableGeometry();
  if (area.contains(frame)) return;
  const QSize margins = frame.size() - inside.size();
  resize((area.size() - margins).expandedTo(minimumSize()));
  move(area.topLeft());
}

namespace {

Qt::KeyboardModifier ModifierOfKey(int key) {
  switch (key) {
    case Qt::Key_Shift:
      return Qt::ShiftModifier;
    case Qt::Key_Alt:
      return Qt::AltModifier;
    case Qt::Key_Control:
      return Qt::ControlModifier;
    case Qt::Key_Meta:
      return Qt::MetaModifier;
    default:
      return Qt::NoModifier;
  }
}

}  // namespace

void TForm1::SyncHeldKeys(Qt::KeyboardModifiers mods) {
  ShiftHeld = mods.testFlag(Qt::ShiftModifier);
  AltHeld = mods.testFlag(Qt::AltModifier);
}

void TForm1::SyncHeldKeysWithKeyboard() { SyncHeldKeys(QGuiApplication::queryKeyboardModifiers()); }

bool TForm1::eventFilter(QObject* obj, QEvent* e) {
  const bool listPort = obj == FileView1->viewport() || obj == FileIconView1->viewport();
  if (listPort && (e->type() == QEvent::MouseButtonPress || e->type() == QEvent::MouseButtonDblClick)) {
    // A click says what is held now, whatever key events went elsewhere.
    SyncHeldKeys(static_cast<QMouseEvent*>(e)->modifiers());
    return false;
  }
  if (obj == FileView1 || obj == FolderView1 || obj == FileIconView1) {
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
      } else if (paneKeyHandler_ && paneKeyHandler_(obj, k)) {
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

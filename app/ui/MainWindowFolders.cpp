// The main window's folders: the tree and list refills, going to a folder,
// selecting a file, and the folder summary walked off the window's thread.
#include "app/ui/Unit1.h"

#include <QApplication>
#include <QComboBox>
#include <QFileSystemModel>
#include <QFileSystemWatcher>
#include <QFutureWatcher>
#include <QItemSelectionModel>
#include <QListView>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QtConcurrent/QtConcurrentRun>

#include "browse/ui/FileListModel.h"
#include "edit/ui/RichEdit.h"
#include "platform/FileInfo.h"
#include "platform/Paths.h"
#include "preview/InfoLine.h"

#include <dirent.h>

#include <cerrno>
#include <set>

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

// A folder the user may not list (no read or search permission).
bool FolderUnreadable(const std::string& folder) {
  DIR* d = ::opendir(folder.c_str());
  if (!d) return errno == EACCES || errno == EPERM;
  ::closedir(d);
  return false;
}

}  // namespace

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

void TForm1::RefreshViews() {
  bool was = PreviewEnabled;
  PreviewEnabled = false;
  std::string keep = CurrentFolder;
  FileModel->SetFolder(keep);
  WatchCurrentFolder();
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

void TForm1::WatchCurrentFolder() {
  if (!folderWatcher_) {
    folderWatcher_ = new QFileSystemWatcher(this);
    folderChanged_ = new QTimer(this);
    folderChanged_->setSingleShot(true);
    folderChanged_->setInterval(250);
    connect(folderWatcher_, &QFileSystemWatcher::directoryChanged, folderChanged_, qOverload<>(&QTimer::start));
    connect(folderChanged_, &QTimer::timeout, this, [this] { FolderChangedOutside(); });
  }
  const QString folder = Q(CurrentFolder);
  const QStringList watched = folderWatcher_->directories();
  if (watched.size() == 1 && watched.front() == folder) return;
  if (!watched.isEmpty()) folderWatcher_->removePaths(watched);
  if (IsDirectory(CurrentFolder)) folderWatcher_->addPath(folder);
}

void TForm1::FolderChangedOutside() {
  if (FileModel->Folder() != WithTrailingSlash(CurrentFolder) || Commands().Busy()) return;
  // What was selected, by name; the current item too.
  std::set<std::string> selected;
  for (int r : SelectedFileRows(FileView1->selectionModel())) selected.insert(FileModel->Entry(r).name);
  QModelIndex cur = FileView1->selectionModel()->currentIndex();
  std::string current = cur.isValid() ? FileModel->Entry(cur.row()).name : std::string();
  const std::string shown = SelectedPath;
  bool was = PreviewEnabled;
  PreviewEnabled = false;
  FileModel->Reload();
  QItemSelection keep;
  for (int r = 0; r < FileModel->rowCount(); ++r)
    if (selected.count(FileModel->Entry(r).name)) keep.select(FileModel->index(r, 0), FileModel->index(r, 0));
  QItemSelectionModel* sel = FileView1->selectionModel();
  int row = current.empty() ? -1 : FileModel->RowOfName(current, false);
  if (row >= 0) sel->setCurrentIndex(FileModel->index(row, 0), QItemSelectionModel::NoUpdate);
  sel->select(keep, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  std::vector<int> rows = SelectedFileRows(sel);
  SelectedPath = rows.empty() ? std::string() : FileModel->PathOf(rows.front());
  SetStatusPanel(3, QString("%1 個選択").arg(rows.size()));
  PreviewEnabled = was;
  // The file the pane showed is gone: its text no longer stands for a
  // file, and a save must not bring it back under that name. Typed edits
  // stay until the user decides.
  if (!shown.empty() && !StatPath(shown).found && !PaneHasUnsavedEdits()) {
    ReleasePicture();
    ClearPreview();
  }
  summaryReady_ = false;
  summaryFolder_.clear();
  ShowFolderSummary(false);
}

void TForm1::ShowCurrentFolderInTree() {
  const std::string& f = CurrentFolder;
  QModelIndex idx = FolderModel->index(Q(f.size() > 1 && f.back() == '/' ? f.substr(0, f.size() - 1) : f));
  if (!idx.isValid()) return;
  navigating_ = true;
  FolderView1->setCurrentIndex(idx);
  FolderView1->selectionModel()->select(idx, QItemSelectionModel::ClearAndSelect);
  FolderView1->scrollTo(idx);
  // scrollTo brings the row into view, not a deep folder's name right of
  // its branches: scroll across so the name shows, one level of branch
  // still in sight.
  const QRect r = FolderView1->visualRect(idx);
  const int name = FolderView1->sizeHintForIndex(idx).width();
  if (r.left() < 0 || r.left() + name > FolderView1->viewport()->width()) {
    QScrollBar* across = FolderView1->horizontalScrollBar();
    across->setValue(across->value() + r.left() - FolderView1->indentation());
  }
  navigating_ = false;
}

void TForm1::RefreshAll() {
  const std::string edited = SelectedPath;
  const bool keep = !ConfirmReplacePane();
  PreviewEnabled = true;
  RealTimeMode = Mdisp->isChecked();
  ShiftHeld = false;
  summaryReady_ = false;  // the folder's content may have changed
  summaryFolder_.clear();
  RefreshViews();
  if (keep) {
    KeepEditedSelection(edited);
    return;
  }
  ClearPreview();
}

void TForm1::KeepEditedSelection(const std::string& path) {
  // The view that moved finishes its key or click first (it may select
  // again); meanwhile its changes are not previewed.
  keepingSelection_ = true;
  SelectedPath = path;
  QTimer::singleShot(0, this, [this, path] {
    if (path.empty() || !SelectFileByName(FileNamePart(path))) FileView1->selectionModel()->clearSelection();
    keepingSelection_ = false;
  });
}

void TForm1::ClearPreview() {
  RichEdit1->Clear();
  SetInfoLine("", InfoColor);
}

// ---------------------------------------------------------------- folders

void TForm1::GoToFolder(const std::string& folder) {
  std::string f = WithTrailingSlash(folder);
  if (f != CurrentFolder && !ConfirmReplacePane()) {
    // キャンセル: the tree shows the folder of the edited file again, once
    // the click or key that moved it is done.
    QTimer::singleShot(0, this, [this] { ShowCurrentFolderInTree(); });
    return;
  }
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
  QAbstractItemView* view = FileIconView1->isVisible() ? static_cast<QAbstractItemView*>(FileIconView1)
                                                       : static_cast<QAbstractItemView*>(FileView1);
  view->setFocus();
  FileView1->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  view->scrollTo(idx);
  return true;
}

void TForm1::ShowFolderSummary(bool withBlanks) {
  if (CurrentFolder.empty()) return;
  SetStatusPanel(0, Q(CurrentFolder));
  if (FolderUnreadable(CurrentFolder)) {
    // Not "0 個 0 byte": nothing could be counted.
    summaryPending_ = false;
    SetStatusPanel(1, "読み込めません");
    SetStatusPanel(2, QString());
    SetInfoLine("このフォルダーは読み込めません（アクセス権がありません）。", clRed);
    return;
  }
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

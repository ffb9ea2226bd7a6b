#include "app/ui/ShellTree.h"

#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QSortFilterProxyModel>

#include "browse/ui/NameIcons.h"

namespace {

// Folders and the files the user may run. The file system model's own
// permission filter cannot say this: with Executable alone it hides every
// readable entry.
class TProgramFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    auto* fs = static_cast<QFileSystemModel*>(sourceModel());
    QModelIndex idx = fs->index(row, 0, parent);
    if (fs->isDir(idx)) return true;
    QFileInfo info = fs->fileInfo(idx);
    return info.isFile() && info.isExecutable();
  }
};

}  // namespace

TShellTree::TShellTree(QWidget* parent, bool programs) : QTreeView(parent) {
  setObjectName("ShellTreeView1");
  model_ = new QFileSystemModel(this);
  UseNameIcons(model_);
  QDir::Filters filter = QDir::AllDirs | QDir::NoDotAndDotDot;
  if (programs) filter |= QDir::Files;
  model_->setFilter(filter);
  model_->setRootPath("/");
  if (programs) {
    programs_ = new TProgramFilter(this);
    programs_->setSourceModel(model_);
    setModel(programs_);
  } else {
    setModel(model_);
  }
  for (int c = 1; c < model()->columnCount(); ++c) hideColumn(c);
  setHeaderHidden(true);
  setMinimumSize(280, 240);
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& idx) {
    opened_.clear();
    if (idx.isValid()) emit picked(PathOf(idx), IsFile(idx));
  });
  // Folders read later than OpenAt asked for them: show the path once
  // its parents are there.
  connect(model_, &QFileSystemModel::directoryLoaded, this, [this](const QString& dir) {
    if (!opened_.isEmpty() && (opened_ == dir || opened_.startsWith(dir.endsWith('/') ? dir : dir + '/'))) ShowOpened();
  });
}

QModelIndex TShellTree::SourceIndex(const QModelIndex& index) const {
  return programs_ ? programs_->mapToSource(index) : index;
}

QModelIndex TShellTree::ViewIndex(const QString& path) const {
  QModelIndex idx = model_->index(path);
  return programs_ ? programs_->mapFromSource(idx) : idx;
}

QString TShellTree::PathOf(const QModelIndex& index) const { return model_->filePath(SourceIndex(index)); }

bool TShellTree::IsFile(const QModelIndex& index) const {
  return index.isValid() && !model_->isDir(SourceIndex(index));
}

void TShellTree::keyPressEvent(QKeyEvent* e) {
  const QModelIndex before = currentIndex();
  QTreeView::keyPressEvent(e);
  const QModelIndex now = currentIndex();
  if (now.isValid() && now != before) {
    opened_.clear();
    emit picked(PathOf(now), IsFile(now));
  }
}

bool TShellTree::OpenAt(const QString& path) {
  opened_.clear();
  QModelIndex idx = path.isEmpty() || !QFileInfo::exists(path) ? QModelIndex() : ViewIndex(path);
  if (!idx.isValid()) {
    collapseAll();
    return false;
  }
  // Moving the selection here never copies the path back into the
  // dialog's field: only the user's clicks and keys do.
  opened_ = QFileInfo(path).absoluteFilePath();
  ShowOpened();
  return true;
}

void TShellTree::ShowOpened() {
  QModelIndex idx = ViewIndex(opened_);
  if (!idx.isValid()) return;
  setCurrentIndex(idx);
  scrollTo(idx, QAbstractItemView::PositionAtCenter);
}

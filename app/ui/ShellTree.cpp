#include "app/ui/ShellTree.h"

#include <QFileInfo>
#include <QFileSystemModel>

TShellTree::TShellTree(QWidget* parent, bool programs) : QTreeView(parent) {
  setObjectName("ShellTreeView1");
  model_ = new QFileSystemModel(this);
  QDir::Filters filter = QDir::AllDirs | QDir::NoDotAndDotDot;
  // Executable goes with Files: only files the user may run are listed.
  if (programs) filter |= QDir::Files | QDir::Executable;
  model_->setFilter(filter);
  model_->setRootPath("/");
  setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) hideColumn(c);
  setHeaderHidden(true);
  setMinimumSize(280, 240);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& idx) {
    if (idx.isValid() && !opening_) emit picked(PathOf(idx), IsFile(idx));
  });
}

QString TShellTree::PathOf(const QModelIndex& index) const { return model_->filePath(index); }

bool TShellTree::IsFile(const QModelIndex& index) const { return index.isValid() && !model_->isDir(index); }

bool TShellTree::OpenAt(const QString& path) {
  QModelIndex idx = path.isEmpty() || !QFileInfo::exists(path) ? QModelIndex() : model_->index(path);
  if (!idx.isValid()) {
    collapseAll();
    return false;
  }
  // Moving the selection would copy the path back into the dialog's field;
  // the field already holds it.
  opening_ = true;
  setCurrentIndex(idx);
  scrollTo(idx);
  opening_ = false;
  return true;
}

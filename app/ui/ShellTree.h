#pragma once
// The folder tree of the registration dialogs: folders, and with programs
// on, the executable files in them (what counts as a program here).
#include <QTreeView>

class QFileSystemModel;

class TShellTree : public QTreeView {
  Q_OBJECT
 public:
  TShellTree(QWidget* parent, bool programs);

  QString PathOf(const QModelIndex& index) const;
  bool IsFile(const QModelIndex& index) const;
  // Opens the tree at path and selects it; on failure (the path is gone or
  // empty) the tree is collapsed and false returned.
  bool OpenAt(const QString& path);

 signals:
  // A node clicked or reached with the keys.
  void picked(const QString& path, bool isFile);

 private:
  QFileSystemModel* model_ = nullptr;
  bool opening_ = false;
};

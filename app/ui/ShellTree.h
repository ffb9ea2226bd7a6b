#pragma once
// The folder tree of the registration dialogs: folders, and with programs
// on, the executable files in them (what counts as a program here).
#include <QString>
#include <QTreeView>

class QFileSystemModel;
class QSortFilterProxyModel;

class TShellTree : public QTreeView {
  Q_OBJECT
 public:
  TShellTree(QWidget* parent, bool programs);

  QString PathOf(const QModelIndex& index) const;
  bool IsFile(const QModelIndex& index) const;
  // Opens the tree at path and selects it; on failure (the path is gone or
  // empty) the tree is collapsed and false returned. The tree reads its
  // folders lazily: the path is shown again as they arrive.
  bool OpenAt(const QString& path);

 signals:
  // A node the user clicked or reached with the keys; never the tree's
  // own choice of a current node (on focus, while filling or opening).
  void picked(const QString& path, bool isFile);

 protected:
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QModelIndex SourceIndex(const QModelIndex& index) const;
  QModelIndex ViewIndex(const QString& path) const;
  void ShowOpened();

  QFileSystemModel* model_ = nullptr;
  QSortFilterProxyModel* programs_ = nullptr;  // null: folders only
  QString opened_;                             // the path OpenAt last showed
};

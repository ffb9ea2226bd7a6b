#pragma once
// The folder dialog: a folder tree and an edit field.
#include <QDialog>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QTreeView;

class TForm4 : public QDialog {
  Q_OBJECT
 public:
  // The start-up folder form: the old value is shown as "以前の設定:".
  TForm4(QWidget* parent, const QString& caption, const QString& prompt, const QString& current);
  QString FolderText() const;
  void SetFolderText(const QString& text);

  QTreeView* DirectoryTree = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;

 private:
  QFileSystemModel* model_ = nullptr;
};

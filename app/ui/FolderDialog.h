#pragma once
// The folder dialog: a folder tree and an edit field. The editor dialog
// is the same form with the programs listed in the tree too.
#include <QDialog>

#include <functional>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TShellTree;

class TForm4 : public QDialog {
  Q_OBJECT
 public:
  // The start-up folder form: the old value is shown as "以前の設定:".
  TForm4(QWidget* parent, const QString& caption, const QString& prompt, const QString& current);
  // With programs: the tree lists executable files too, the label reads
  // previous as given, and OK is enabled only while acceptable(field).
  TForm4(QWidget* parent, const QString& caption, const QString& prompt, const QString& current,
         const QString& previous, std::function<bool(const QString&)> acceptable);
  QString FolderText() const;
  void SetFolderText(const QString& text);
  QPushButton* OkButton() const;

  TShellTree* DirectoryTree = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;

 private:
  void Build(const QString& caption, const QString& prompt, const QString& current, const QString& previous,
             bool programs);
  QDialogButtonBox* buttons_ = nullptr;
  std::function<bool(const QString&)> acceptable_;
};

#pragma once
// "ｱﾌﾟﾘｹｰｼｮﾝの設定" (TForm22) and "登録ﾌｫﾙﾀﾞｰの設定" (TForm23): the
// widgets show the dialog models, which change the menus at every step.
#include <QDialog>

#include <functional>

#include "app/RegisterDialogs.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TShellTree;

class TForm22 : public QDialog {
  Q_OBJECT
 public:
  // warn shows a refusal (" は設定できませんでした。").
  TForm22(QWidget* parent, navirt::TAppDialogModel& model, std::function<void(const QString&)> warn);

  QLineEdit* Edit1 = nullptr;  // the program's path
  QLineEdit* Edit2 = nullptr;  // its name in the menus
  TShellTree* ShellTreeView1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QPushButton* Button1 = nullptr;  // "新規登録(&N)"
  QPushButton* Button2 = nullptr;  // "更新(&A)"
  QPushButton* Button3 = nullptr;  // "上へ(&U)"
  QPushButton* Button4 = nullptr;  // "下へ(&D)"
  QPushButton* Button5 = nullptr;  // "削除(&E)"
  QPushButton* Button6 = nullptr;  // "閉じる"

 private:
  void Show();
  navirt::TAppDialogModel& model_;
  std::function<void(const QString&)> warn_;
  bool showing_ = false;
};

class TForm23 : public QDialog {
  Q_OBJECT
 public:
  TForm23(QWidget* parent, navirt::TFolderDialogModel& model);

  QLineEdit* Edit1 = nullptr;
  TShellTree* ShellTreeView1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QPushButton* Button1 = nullptr;  // "新規登録(&N)"
  QPushButton* Button3 = nullptr;  // "上へ(&U)"
  QPushButton* Button4 = nullptr;  // "下へ(&D)"
  QPushButton* Button5 = nullptr;  // "削除(&E)"
  QPushButton* Button6 = nullptr;  // "閉じる"

 private:
  void Show();
  navirt::TFolderDialogModel& model_;
  bool showing_ = false;
};

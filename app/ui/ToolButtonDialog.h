#pragma once
// "ツールボタンの設定" (TForm21): a check list per toolbar, showing the
// model's checks.
#include <QDialog>

#include "app/ToolButtonSettings.h"

class QListWidget;
class QPushButton;
class QTabWidget;

class TForm21 : public QDialog {
  Q_OBJECT
 public:
  TForm21(QWidget* parent, navirt::TToolButtonDialogModel& model);

  QTabWidget* PageControl1 = nullptr;
  QListWidget* CheckListBox1 = nullptr;  // "メイン"
  QListWidget* CheckListBox2 = nullptr;  // "ビュー"
  QPushButton* Button1 = nullptr;        // "全て表示(&A)"
  QPushButton* BOK = nullptr;            // accepts: the window hears QDialog::Accepted
  QPushButton* BCancel = nullptr;        // changes nothing

 private:
  void Show();
  navirt::TToolButtonDialogModel& model_;
  bool showing_ = false;
};

#pragma once
// The term-list dialog TForm31 ("検索語句削除　連続"). Its logic is
// TTermListDialogModel; the widget shows the field and the list and hands
// every button to the model.
#include <QDialog>

#include <functional>

#include "search/DeleteBySearch.h"

class QCheckBox;
class QFileDialog;
class QLineEdit;
class QListWidget;
class QPushButton;

class TForm31 : public QDialog {
  Q_OBJECT
 public:
  TForm31(QWidget* parent, navirt::TTermListDialogModel& model);

  // "読み込み(&L)" and "保存(&S)": the file dialog, then the model; a
  // failure's message goes to showError and the list stays.
  void LoadClick();
  void SaveClick();
  // The field and the check box into the model.
  void TakeAnswers();
  // The model into the widgets.
  void ShowModel();

  QLineEdit* Edit1 = nullptr;
  QListWidget* ListBox1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QPushButton* BAdd = nullptr;
  QPushButton* BRemove = nullptr;
  QPushButton* BUp = nullptr;
  QPushButton* BDown = nullptr;
  QPushButton* BClearField = nullptr;
  QPushButton* BClearList = nullptr;
  QPushButton* BLoad = nullptr;
  QPushButton* BSave = nullptr;
  QPushButton* BExecute = nullptr;

  // Set by the command: the window runs the file dialogs and shows errors.
  std::function<int(QDialog&)> execDialog;
  std::function<void(const QString&)> showError;

 private:
  void Do(void (navirt::TTermListDialogModel::*step)());
  QString RunFileDialog(bool save);

  navirt::TTermListDialogModel& model_;
};

#pragma once
// The search dialog TForm32 ("検索"). Its logic is TSearchDialogModel; the
// widget shows it and takes the answers back.
#include <QDialog>

#include "search/FindCommands.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

class TForm32 : public QDialog {
  Q_OBJECT
 public:
  TForm32(QWidget* parent, navirt::TSearchDialogModel& model);

  // The boxes' state into the model.
  void TakeAnswers();

  QComboBox* ComboBox1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;  // whole word
  QCheckBox* CheckBox2 = nullptr;  // match case
  QRadioButton* RBup = nullptr;
  QRadioButton* RBdown = nullptr;
  QPushButton* BFind = nullptr;

 private:
  navirt::TSearchDialogModel& model_;
};

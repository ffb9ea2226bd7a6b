#pragma once
// The read-setting dialog; its logic is TReadSettingDialogModel.
#include <QDialog>

#include "preview/ReadSettingDialog.h"

class QCheckBox;
class QLabel;
class QSpinBox;

class TForm26 : public QDialog {
  Q_OBJECT
 public:
  TForm26(QWidget* parent, navirt::TReadSettingDialogModel model);
  // The model with the widgets' values.
  navirt::TReadSettingDialogModel& Model();

  QSpinBox* SpinEdit1 = nullptr;
  QCheckBox* CheckBox1 = nullptr;
  QLabel* Label2 = nullptr;

 private:
  navirt::TReadSettingDialogModel model_;
};

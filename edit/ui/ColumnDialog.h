#pragma once
// The column dialog: a start column and, for the commands that take a
// range, a width. The logic (caption, presets, reading the fields) lives in
// navirt::TForm30Model.
#include <QDialog>

#include "edit/LineCommandTable.h"

class QLabel;
class QSpinBox;

class TForm30 : public QDialog {
  Q_OBJECT
 public:
  TForm30(QWidget* parent, const navirt::TForm30Model& model);
  // The fields' texts as the model reads them.
  navirt::TForm30Model Answer() const;

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QSpinBox* SpinEdit1 = nullptr;
  QSpinBox* SpinEdit2 = nullptr;

 private:
  navirt::TForm30Model model_;
};

#pragma once
// The sort dialog: a key and a descending box; its code is the key's index,
// plus 90 when descending.
#include <QDialog>

class QCheckBox;
class QRadioButton;

class TForm15 : public QDialog {
  Q_OBJECT
 public:
  explicit TForm15(QWidget* parent);
  QRadioButton* Keys[4] = {};
  QCheckBox* CheckBox1 = nullptr;
  int Code() const;
};

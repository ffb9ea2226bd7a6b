#pragma once
// The drive dialog: one button per drive (mounted file system) and a
// one-letter field. OK or a drive button gives the answer.
#include <QDialog>

#include <vector>

#include "browse/Drives.h"

class QLineEdit;
class QWidget;
class QPushButton;

class TForm10 : public QDialog {
  Q_OBJECT
 public:
  TForm10(QWidget* parent, std::vector<navirt::DriveInfo> drives, char current);
  QWidget* DrivePanel1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  std::vector<QPushButton*> DriveButtons;
  // The answer's letter (upper case), 0 when the field is empty.
  char Answer() const;
  const std::vector<navirt::DriveInfo>& Drives() const { return drives_; }

 private:
  std::vector<navirt::DriveInfo> drives_;
};

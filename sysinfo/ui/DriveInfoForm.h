#pragma once
// The "ドライブ情報" window: the pie of used and free space, the summary
// and the block figures.
#include <QDialog>

#include "sysinfo/DriveInfo.h"

class QLabel;
class QLineEdit;

class TDriveInfoPie : public QWidget {
  Q_OBJECT
 public:
  TDriveInfoPie(QWidget* parent, const QString& title, navirt::PieAngles angles);
  navirt::PieAngles Angles() const { return angles_; }

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  QString title_;
  navirt::PieAngles angles_;
};

class TDriveInfoForm : public QDialog {
  Q_OBJECT
 public:
  TDriveInfoForm(QWidget* parent, const navirt::DriveFigures& figures);

  TDriveInfoPie* Chart1 = nullptr;
  QLineEdit* Edit1 = nullptr;  // the summary
  QLabel* Label1 = nullptr;    // block size and counts
};

#pragma once
// "印刷設定" (TForm6): the four margin fields of TPrintSettingsModel, their
// ranges and the paper label.
#include <QDialog>

#include <array>
#include <functional>

#include "print/PrintSettings.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TForm6 : public QDialog {
  Q_OBJECT
 public:
  TForm6(QWidget* parent, navirt::TPrintSettingsModel& model);

  QLineEdit* EditT = nullptr;  // "上(&U)"
  QLineEdit* EditL = nullptr;  // "左(&L)"
  QLineEdit* EditR = nullptr;  // "右(&R)"
  QLineEdit* EditB = nullptr;  // "下(&D)"
  QLabel* LPaper = nullptr;
  std::array<QLabel*, 4> LRange{};
  QPushButton* BOK = nullptr;
  QPushButton* BCancel = nullptr;

  QLineEdit* Field(navirt::MarginField f) const;
  // A refused entry is shown through this (the window's message box).
  std::function<void(const QString&)> onRefused;

 private:
  void Typed(navirt::MarginField f);
  void ShowModel();

  navirt::TPrintSettingsModel& model_;
};

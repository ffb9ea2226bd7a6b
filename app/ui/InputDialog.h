#pragma once
// The input dialog: caption, prompt, a blue note and an answer box with
// its history. The logic lives in TInputDialogModel.
#include <QDialog>

#include "settings/History.h"

class QComboBox;
class QLabel;

class TForm33 : public QDialog {
  Q_OBJECT
 public:
  TForm33(QWidget* parent, const navirt::TInputDialogModel& model);
  QString AnswerText() const;
  void SetAnswerText(const QString& text);
  // Makes the dialog and its input box percent of their usual width (an
  // address needs more room than a name), never wider than the screen.
  void Widen(int percent);

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QComboBox* ComboBox1 = nullptr;
};

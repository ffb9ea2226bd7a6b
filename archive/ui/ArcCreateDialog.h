#pragma once
// The dialog of "作成(&M)": the archive's name with its history, and the
// setting for old Japanese tools that read zip names only in Shift_JIS.
// The name's logic is TInputDialogModel's; the dialog only shows it.
#include <QDialog>

#include "settings/History.h"

class QCheckBox;
class QComboBox;
class QLabel;

class TArcCreateDialog : public QDialog {
  Q_OBJECT
 public:
  TArcCreateDialog(QWidget* parent, const navirt::TInputDialogModel& model, bool sjisNames);
  QString AnswerText() const;
  bool SjisNames() const;

  QLabel* Label1 = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QCheckBox* CBsjis = nullptr;
};

#pragma once
// The input dialog: caption, prompt, a blue note and an answer box with
// its history. The logic lives in TInputDialogModel. Any host asks through
// it (RunInputQuery), so a test's plain host asks as the window does.
#include <QDialog>
#include <QString>

#include <string>

#include "settings/History.h"

class IHost;
class QComboBox;
class QLabel;

class QComboBox;

// The editable answer box of an input dialog, filled with the model's
// history and text; dialogs that ask more than the plain one share it.
QComboBox* NewAnswerBox(QWidget* parent, const navirt::TInputDialogModel& model);

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

// IHost::InputQuery: the dialog shown through host.ExecDialog, its history
// read from and, on OK, written to the settings file's section (none when
// empty). On OK the answer is in answer.
bool RunInputQuery(IHost& host, const QString& caption, const QString& prompt, const QString& note,
                   const std::string& section, const QString& preset, int widthPercent, QString& answer);

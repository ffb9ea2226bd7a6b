#pragma once
// The grep dialog TForm9 ("Grepの実行"). Its logic is TGrepDialogModel; the
// widget shows it and hands the answers back.
#include <QDialog>

#include <functional>

#include "search/GrepCommand.h"
#include "search/RegexTokens.h"
#include "settings/IniFile.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

class TForm9 : public QDialog {
  Q_OBJECT
 public:
  TForm9(QWidget* parent, navirt::TGrepDialogModel& model);

  // OK: takes the answers into the model, writes the history to ini and
  // closes the dialog as accepted.
  void OkClick(navirt::TIniFile& ini);
  // A token button: inserts at the caret of the focused combo box.
  void TokenClick(const navirt::RegexToken& token);
  // The insertion itself, at the combo box's caret or over its selection.
  void ApplyToken(const navirt::RegexToken& token);
  void ShowFiles();

  QComboBox* CBRegExp = nullptr;
  QCheckBox* CBusefuzzy = nullptr;
  QCheckBox* CBfilename = nullptr;
  QCheckBox* CBlinenumber = nullptr;
  QCheckBox* CBautocode = nullptr;  // "文字コード自動判別"
  QGroupBox* GroupFiles = nullptr;
  QRadioButton* RBselected = nullptr;
  QRadioButton* RBall = nullptr;
  QListWidget* ListFiles = nullptr;
  QLabel* Ldirectory = nullptr;
  QLabel* Lfiles = nullptr;
  QPushButton* BtokenPanel = nullptr;
  QWidget* PanelTokens = nullptr;
  QPushButton* BOK = nullptr;

  std::function<void()> onOk;  // set by the command: OkClick with its settings

 private:
  navirt::TGrepDialogModel& model_;
};

#pragma once
// The regular-expression dialog TForm25 ("正規表現置換", "一括置換",
// "検索行削除－正規表現", "検索－正規表現"). Its logic is TRegexDialogModel;
// the widget shows what the model's use asks for and takes the answers back.
#include <QDialog>

#include "search/RegexReplace.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class TForm25 : public QDialog {
  Q_OBJECT
 public:
  TForm25(QWidget* parent, navirt::TRegexDialogModel& model);

  // The boxes' state into the model.
  void TakeAnswers();
  // A token button: inserts at the caret of the focused combo box; nothing
  // when neither has the focus.
  void TokenClick(const navirt::RegexToken& token);

  QComboBox* CBRegExp = nullptr;
  QComboBox* ComboBox1 = nullptr;
  QLabel* LReplacement = nullptr;
  QLabel* LNote = nullptr;
  QCheckBox* CBusefuzzy = nullptr;
  QWidget* PanelTokens = nullptr;
  QPushButton* BOK = nullptr;

 private:
  navirt::TRegexDialogModel& model_;
};

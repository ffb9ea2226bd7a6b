#pragma once
// The modeless replace dialog ("置換"): find text, replace text, match case,
// whole word, and the buttons find next, replace and replace all. Its logic
// is TReplaceDialogModel; the buttons hand the boxes to the model and call
// the command's handlers, which apply the outcomes to the pane.
#include <QDialog>

#include <functional>

#include "search/FindCommands.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

class TReplaceDialog1 : public QDialog {
  Q_OBJECT
 public:
  TReplaceDialog1(QWidget* parent, navirt::TReplaceDialogModel& model);

  // The model's find text into the box (on every opening).
  void ShowModel();
  void TakeAnswers();

  QLineEdit* EditFind = nullptr;
  QLineEdit* EditReplace = nullptr;
  QCheckBox* CBmatchCase = nullptr;
  QCheckBox* CBwholeWord = nullptr;
  QPushButton* BFindNext = nullptr;
  QPushButton* BReplace = nullptr;
  QPushButton* BReplaceAll = nullptr;

  std::function<void()> onFind;        // ReplaceDialog1Find
  std::function<void()> onReplace;     // ReplaceDialog1Replace, one occurrence
  std::function<void()> onReplaceAll;  // ReplaceDialog1Replace, every occurrence

 private:
  navirt::TReplaceDialogModel& model_;
};

#include "search/ui/ReplaceDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace navirt;

TReplaceDialog1::TReplaceDialog1(QWidget* parent, TReplaceDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("ReplaceDialog1");
  setWindowTitle("置換");
  setModal(false);
  auto* grid = new QGridLayout(this);
  auto* findLabel = new QLabel("検索する文字列(&N):", this);
  auto* replaceLabel = new QLabel("置換後の文字列(&P):", this);
  EditFind = new QLineEdit(this);
  EditFind->setObjectName("EditFind");
  EditReplace = new QLineEdit(this);
  EditReplace->setObjectName("EditReplace");
  EditFind->setMinimumWidth(280);
  findLabel->setBuddy(EditFind);
  replaceLabel->setBuddy(EditReplace);
  grid->addWidget(findLabel, 0, 0);
  grid->addWidget(EditFind, 0, 1);
  grid->addWidget(replaceLabel, 1, 0);
  grid->addWidget(EditReplace, 1, 1);
  CBwholeWord = new QCheckBox("単語単位で探す(&W)", this);
  CBmatchCase = new QCheckBox("大文字と小文字を区別する(&C)", this);
  grid->addWidget(CBwholeWord, 2, 0, 1, 2);
  grid->addWidget(CBmatchCase, 3, 0, 1, 2);

  auto* side = new QVBoxLayout;
  BFindNext = new QPushButton("次を検索(&F)", this);
  BReplace = new QPushButton("置換して次に(&R)", this);
  BReplaceAll = new QPushButton("すべて置換(&A)", this);
  auto* close = new QPushButton("キャンセル", this);
  BFindNext->setDefault(true);
  for (QPushButton* b : {BFindNext, BReplace, BReplaceAll, close}) side->addWidget(b);
  side->addStretch(1);
  grid->addLayout(side, 0, 2, 4, 1);
  auto hook = [this](std::function<void()>* handler) {
    return [this, handler] {
      TakeAnswers();
      if (*handler) (*handler)();
    };
  };
  connect(BFindNext, &QPushButton::clicked, this, hook(&onFind));
  connect(BReplace, &QPushButton::clicked, this, hook(&onReplace));
  connect(BReplaceAll, &QPushButton::clicked, this, hook(&onReplaceAll));
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  ShowModel();
}

void TReplaceDialog1::ShowModel() {
  EditFind->setText(QString::fromStdString(model_.findText));
  EditReplace->setText(QString::fromStdString(model_.replaceText));
  CBmatchCase->setChecked(model_.matchCase);
  CBwholeWord->setChecked(model_.wholeWord);
}

void TReplaceDialog1::TakeAnswers() {
  // A changed find text starts over: the old find no longer stands.
  std::string find = EditFind->text().toStdString();
  if (find != model_.findText) model_.found = false;
  model_.findText = std::move(find);
  model_.replaceText = EditReplace->text().toStdString();
  model_.matchCase = CBmatchCase->isChecked();
  model_.wholeWord = CBwholeWord->isChecked();
}

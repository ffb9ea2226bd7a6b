#include "print/ui/PrintSettingsDialog.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace navirt;

TForm6::TForm6(QWidget* parent, TPrintSettingsModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form6");
  setWindowTitle("印刷設定");
  auto* group = new QGroupBox("余白設定(mm)", this);
  auto* grid = new QGridLayout(group);
  struct Row {
    MarginField f;
    const char* caption;
    const char* name;
    QLineEdit** edit;
  };
  const Row rows[] = {{mfTop, "上(&U)", "EditT", &EditT},
                      {mfLeft, "左(&L)", "EditL", &EditL},
                      {mfRight, "右(&R)", "EditR", &EditR},
                      {mfBottom, "下(&D)", "EditB", &EditB}};
  int r = 0;
  for (const Row& row : rows) {
    auto* edit = new QLineEdit(group);
    edit->setObjectName(row.name);
    edit->setMaxLength(int(TPrintSettingsModel::kMaxDigits));
    auto* label = new QLabel(row.caption, group);
    label->setBuddy(edit);
    auto* range = new QLabel(group);
    range->setObjectName(QString("LRange%1").arg(row.name + 4));
    LRange[row.f] = range;
    grid->addWidget(label, r, 0);
    grid->addWidget(edit, r, 1);
    grid->addWidget(range, r, 2);
    *row.edit = edit;
    MarginField f = row.f;
    connect(edit, &QLineEdit::textEdited, this, [this, f] { Typed(f); });
    ++r;
  }
  auto* note = new QLabel("余白は、プリンタによっては、数mm程度ずれることがあります。", this);
  LPaper = new QLabel(this);
  LPaper->setObjectName("LPaper");
  BOK = new QPushButton("OK", this);
  BOK->setObjectName("BOK");
  BOK->setDefault(true);
  BCancel = new QPushButton("ｷｬﾝｾﾙ", this);
  BCancel->setObjectName("BCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(BOK);
  buttons->addWidget(BCancel);
  auto* box = new QVBoxLayout(this);
  box->addWidget(group);
  box->addWidget(note);
  box->addWidget(LPaper);
  box->addLayout(buttons);
  connect(BOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
  ShowModel();
}

QLineEdit* TForm6::Field(MarginField f) const {
  switch (f) {
    case mfTop:
      return EditT;
    case mfLeft:
      return EditL;
    case mfRight:
      return EditR;
    case mfBottom:
      return EditB;
  }
  return nullptr;
}

void TForm6::Typed(MarginField f) {
  std::string message;
  if (!model_.SetField(f, Field(f)->text().toStdString(), &message) && onRefused)
    onRefused(QString::fromStdString(message));
  // A refused entry keeps the old text; an emptied one shows "0" at once.
  if (Field(f)->text().toStdString() != model_.Field(f)) Field(f)->setText(QString::fromStdString(model_.Field(f)));
}

void TForm6::ShowModel() {
  for (int i = mfTop; i <= mfBottom; ++i) {
    auto f = static_cast<MarginField>(i);
    Field(f)->setText(QString::fromStdString(model_.Field(f)));
    LRange[f]->setText(QString::fromStdString(model_.RangeText(f)));
  }
  LPaper->setText(QString::fromStdString(model_.PaperText()));
}

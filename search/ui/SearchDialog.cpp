#include "search/ui/SearchDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace navirt;

TForm32::TForm32(QWidget* parent, TSearchDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form32");
  setWindowTitle("検索");
  auto* root = new QVBoxLayout(this);
  auto* prompt = new QLabel("検索する文字列(&N):", this);
  ComboBox1 = new QComboBox(this);
  ComboBox1->setObjectName("ComboBox1");
  ComboBox1->setEditable(true);
  ComboBox1->setInsertPolicy(QComboBox::NoInsert);
  ComboBox1->setMinimumWidth(360);
  for (const std::string& h : model_.history) ComboBox1->addItem(QString::fromStdString(h));
  ComboBox1->setEditText(QString::fromStdString(model_.text));
  prompt->setBuddy(ComboBox1);
  root->addWidget(prompt);
  root->addWidget(ComboBox1);

  auto* row = new QHBoxLayout;
  auto* checks = new QVBoxLayout;
  CheckBox1 = new QCheckBox("単語単位で探す(&W)", this);
  CheckBox2 = new QCheckBox("大文字と小文字を区別する(&C)", this);
  CheckBox1->setChecked(model_.wholeWord);
  CheckBox2->setChecked(model_.matchCase);
  checks->addWidget(CheckBox1);
  checks->addWidget(CheckBox2);
  row->addLayout(checks);
  auto* group = new QGroupBox("検索する方向", this);
  auto* g = new QHBoxLayout(group);
  RBup = new QRadioButton("上へ(&U)", group);
  RBdown = new QRadioButton("下へ(&D)", group);
  g->addWidget(RBup);
  g->addWidget(RBdown);
  (model_.down ? RBdown : RBup)->setChecked(true);
  row->addWidget(group);
  root->addLayout(row);

  auto* buttons = new QDialogButtonBox(this);
  BFind = buttons->addButton("検索(&F)", QDialogButtonBox::AcceptRole);
  BFind->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);
  root->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    TakeAnswers();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  ComboBox1->setFocus();
}

void TForm32::TakeAnswers() {
  model_.text = ComboBox1->currentText().toStdString();
  model_.wholeWord = CheckBox1->isChecked();
  model_.matchCase = CheckBox2->isChecked();
  model_.down = RBdown->isChecked();
}

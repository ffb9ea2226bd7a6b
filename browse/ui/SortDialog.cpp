#include "browse/ui/SortDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "browse/Browse.h"

TForm15::TForm15(QWidget* parent) : QDialog(parent) {
  setObjectName("Form15");
  setWindowTitle("ファイルのソート");
  auto* v = new QVBoxLayout(this);
  v->addWidget(new QLabel("ファイルのソートを指定します。", this));
  auto* group = new QGroupBox("ソート", this);
  group->setObjectName("RadioGroup1");
  auto* gv = new QVBoxLayout(group);
  const char* captions[] = {"ファイル名(&N)", "サイズ(&S)", "種類(&T)", "更新日時(&D)"};
  for (int i = 0; i < 4; ++i) {
    Keys[i] = new QRadioButton(captions[i], group);
    gv->addWidget(Keys[i]);
  }
  Keys[0]->setChecked(true);
  v->addWidget(group);
  CheckBox1 = new QCheckBox("降順(&R)", this);
  v->addWidget(CheckBox1);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  v->addWidget(box);
}

int TForm15::Code() const {
  int key = 0;
  for (int i = 0; i < 4; ++i)
    if (Keys[i]->isChecked()) key = i;
  return navirt::SortCode(key, CheckBox1->isChecked());
}

#include "archive/ui/ArcCreateDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

#include "host/ui/InputDialog.h"

TArcCreateDialog::TArcCreateDialog(QWidget* parent, const navirt::TInputDialogModel& model, bool sjisNames)
    : QDialog(parent) {
  setObjectName("ArcCreateDialog");
  setWindowTitle(QString::fromStdString(model.caption));
  auto* v = new QVBoxLayout(this);
  Label1 = new QLabel(QString::fromStdString(model.prompt), this);
  Label1->setObjectName("Label1");
  ComboBox1 = NewAnswerBox(this, model);
  Label1->setBuddy(ComboBox1);
  CBsjis = new QCheckBox("ZIPのファイル名をShift_JISで書く（古いツール向け）(&J)", this);
  CBsjis->setObjectName("CBsjis");
  CBsjis->setToolTip("チェックしないときは UTF-8 で書きます。unzip・7-Zip・今の Windows はどちらも読めます。");
  CBsjis->setChecked(sjisNames);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  v->addWidget(Label1);
  v->addWidget(ComboBox1);
  v->addWidget(CBsjis);
  v->addWidget(buttons);
  ComboBox1->setFocus();
}

QString TArcCreateDialog::AnswerText() const { return ComboBox1->currentText(); }
bool TArcCreateDialog::SjisNames() const { return CBsjis->isChecked(); }

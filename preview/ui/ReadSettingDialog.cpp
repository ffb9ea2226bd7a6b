#include "preview/ui/ReadSettingDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

TForm26::TForm26(QWidget* parent, navirt::TReadSettingDialogModel model) : QDialog(parent), model_(std::move(model)) {
  setObjectName("Form26");
  setWindowTitle(QString::fromStdString(model_.caption));
  auto* v = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  SpinEdit1 = new QSpinBox(this);
  SpinEdit1->setObjectName("SpinEdit1");
  SpinEdit1->setRange(0, 2147483647);
  SpinEdit1->setSingleStep(1000);
  SpinEdit1->setGroupSeparatorShown(true);
  SpinEdit1->setValue(static_cast<int>(model_.bytes));
  form->addRow("ﾊﾞｲﾄ(&B)", SpinEdit1);
  v->addLayout(form);
  CheckBox1 = new QCheckBox(QString::fromStdString(model_.checkCaption), this);
  CheckBox1->setObjectName("CheckBox1");
  CheckBox1->setChecked(model_.checked);
  CheckBox1->setEnabled(model_.checkEnabled);
  v->addWidget(CheckBox1);
  QString note = QString::fromStdString(model_.note);
  if (model_.kind == navirt::TReadSettingDialogModel::Kind::StreamRead)
    note += QString::number(model_.bytes) + (model_.checked ? " (ON)" : " (OFF)");
  Label2 = new QLabel(note, this);
  v->addWidget(Label2);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  v->addWidget(buttons);
}

navirt::TReadSettingDialogModel& TForm26::Model() {
  model_.bytes = SpinEdit1->value();
  model_.checked = CheckBox1->isChecked();
  return model_;
}

#include "edit/ui/ColumnDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using navirt::TForm30Model;

namespace {

QSpinBox* Field(QWidget* parent, const char* name, const std::string& text) {
  auto* s = new QSpinBox(parent);
  s->setObjectName(name);
  s->setRange(TForm30Model::kMin, TForm30Model::kMax);
  s->setValue(TForm30Model::Clamp(QString::fromStdString(text).toLongLong()));
  return s;
}

}  // namespace

TForm30::TForm30(QWidget* parent, const TForm30Model& model) : QDialog(parent), model_(model) {
  setObjectName("Form30");
  setWindowTitle(QString::fromStdString(model.caption));
  auto* grid = new QGridLayout;
  Label1 = new QLabel(TForm30Model::kStartLabel, this);
  Label1->setObjectName("Label1");
  Label2 = new QLabel(TForm30Model::kWidthLabel, this);
  Label2->setObjectName("Label2");
  SpinEdit1 = Field(this, "SpinEdit1", model.startText);
  SpinEdit2 = Field(this, "SpinEdit2", model.widthText);
  Label1->setBuddy(SpinEdit1);
  Label2->setBuddy(SpinEdit2);
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(SpinEdit1, 0, 1);
  grid->addWidget(Label2, 1, 0);
  grid->addWidget(SpinEdit2, 1, 1);
  Label2->setVisible(model.widthShown);
  SpinEdit2->setVisible(model.widthShown);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName("Button1");
  buttons->button(QDialogButtonBox::Cancel)->setObjectName("Button2");
  buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* v = new QVBoxLayout(this);
  v->addLayout(grid);
  v->addWidget(buttons);
  SpinEdit1->setFocus();
  SpinEdit1->selectAll();
}

TForm30Model TForm30::Answer() const {
  TForm30Model m = model_;
  m.startText = SpinEdit1->cleanText().toStdString();
  m.widthText = SpinEdit2->cleanText().toStdString();
  return m;
}

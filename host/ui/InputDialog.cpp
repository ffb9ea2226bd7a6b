#include "host/ui/InputDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

#include "host/ui/Host.h"

QComboBox* NewAnswerBox(QWidget* parent, const navirt::TInputDialogModel& model) {
  auto* box = new QComboBox(parent);
  box->setObjectName("ComboBox1");
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMinimumWidth(360);
  for (const auto& h : model.history) box->addItem(QString::fromStdString(h));
  box->setEditText(QString::fromStdString(model.text));
  return box;
}

TForm33::TForm33(QWidget* parent, const navirt::TInputDialogModel& model) : QDialog(parent) {
  setObjectName("Form33");
  setWindowTitle(QString::fromStdString(model.caption));
  auto* v = new QVBoxLayout(this);
  Label1 = new QLabel(QString::fromStdString(model.prompt), this);
  Label1->setObjectName("Label1");
  ComboBox1 = NewAnswerBox(this, model);
  Label1->setBuddy(ComboBox1);
  Label2 = new QLabel(QString::fromStdString(model.note), this);
  Label2->setObjectName("Label2");
  Label2->setStyleSheet("color: blue");
  Label2->setVisible(!model.note.empty());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  v->addWidget(Label1);
  v->addWidget(ComboBox1);
  v->addWidget(Label2);
  v->addWidget(buttons);
}

void TForm33::Widen(int percent) {
  const int dialog = sizeHint().width(), box = ComboBox1->sizeHint().width();
  int wide = dialog * percent / 100;
  if (QScreen* s = screen()) wide = std::min(wide, s->availableGeometry().width() * 9 / 10);
  // The box fills the dialog's width, less the margins it has now.
  ComboBox1->setMinimumWidth(std::max(box, wide - (dialog - box)));
  resize(wide, sizeHint().height());
}

QString TForm33::AnswerText() const { return ComboBox1->currentText(); }
void TForm33::SetAnswerText(const QString& text) { ComboBox1->setEditText(text); }

bool RunInputQuery(IHost& host, const QString& caption, const QString& prompt, const QString& note,
                   const std::string& section, const QString& preset, int widthPercent, QString& answer) {
  navirt::TInputDialogModel model;
  model.caption = caption.toStdString();
  model.prompt = prompt.toStdString();
  model.note = note.toStdString();
  if (!section.empty()) model.LoadHistory(host.OpenSettings(), section);
  model.text = preset.toStdString();
  TForm33 dlg(host.HostWindow(), model);
  if (widthPercent != 100) dlg.Widen(widthPercent);
  if (host.ExecDialog(dlg) != QDialog::Accepted) return false;
  model.text = dlg.AnswerText().toStdString();
  if (section.empty()) {
    answer = QString::fromStdString(model.text);
    return true;
  }
  // Read again: the dialog may have run a long time.
  navirt::TIniFile fresh = host.OpenSettings();
  answer = QString::fromStdString(model.Accept(fresh, section));
  host.WriteSettings(fresh);
  return true;
}

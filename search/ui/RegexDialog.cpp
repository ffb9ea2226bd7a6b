#include "search/ui/RegexDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "search/ui/TokenPanel.h"

using namespace navirt;

namespace {
QComboBox* HistoryCombo(QWidget* parent, const char* name, const std::vector<std::string>& history,
                        const std::string& text) {
  auto* c = new QComboBox(parent);
  c->setObjectName(name);
  c->setEditable(true);
  c->setInsertPolicy(QComboBox::NoInsert);
  c->setMinimumWidth(420);
  for (const std::string& h : history) c->addItem(QString::fromStdString(h));
  c->setEditText(QString::fromStdString(text));
  return c;
}
}  // namespace

TForm25::TForm25(QWidget* parent, TRegexDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form25");
  setWindowTitle(QString::fromStdString(model_.caption));
  auto* root = new QVBoxLayout(this);

  auto* prompt = new QLabel(kRegexLabelExpression, this);
  CBRegExp = HistoryCombo(this, "CBRegExp", model_.expressionHistory, model_.expression);
  prompt->setBuddy(CBRegExp);
  root->addWidget(prompt);
  root->addWidget(CBRegExp);
  LNote = new QLabel(kRegexNote, this);
  LNote->setStyleSheet("color: blue");
  LNote->setVisible(model_.showNote);
  root->addWidget(LNote);

  LReplacement = new QLabel(kRegexLabelReplacement, this);
  ComboBox1 = HistoryCombo(this, "ComboBox1", model_.replacementHistory, model_.replacement);
  LReplacement->setBuddy(ComboBox1);
  LReplacement->setVisible(model_.showReplacement);
  ComboBox1->setVisible(model_.showReplacement);
  root->addWidget(LReplacement);
  root->addWidget(ComboBox1);

  CBusefuzzy = new QCheckBox(kRegexFuzzyCaption, this);
  CBusefuzzy->setChecked(model_.fuzzy);
  CBusefuzzy->setVisible(model_.showFuzzy);
  root->addWidget(CBusefuzzy);

  PanelTokens = MakeTokenPanel(this, [this](const RegexToken& t) { TokenClick(t); });
  PanelTokens->setVisible(model_.showTokens);
  root->addWidget(PanelTokens);

  auto* buttons = new QDialogButtonBox(this);
  BOK = buttons->addButton(QString::fromStdString(model_.okCaption), QDialogButtonBox::AcceptRole);
  BOK->setDefault(true);
  buttons->addButton(QDialogButtonBox::Cancel);
  root->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    TakeAnswers();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, [this] {
    TakeAnswers();  // cancel keeps the histories as they were typed into
    reject();
  });
  CBRegExp->setFocus();
  if (CBRegExp->lineEdit()) CBRegExp->lineEdit()->selectAll();
}

void TForm25::TakeAnswers() {
  model_.expression = CBRegExp->currentText().toStdString();
  model_.replacement = model_.showReplacement ? ComboBox1->currentText().toStdString() : std::string();
  model_.fuzzy = CBusefuzzy->isChecked();
}

void TForm25::TokenClick(const RegexToken& token) {
  QWidget* focus = QApplication::focusWidget();
  for (QComboBox* box : {CBRegExp, ComboBox1})
    if (box->isVisible() && (focus == box || focus == box->lineEdit())) ApplyTokenToCombo(box, token);
}

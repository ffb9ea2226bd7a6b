#include "search/ui/GrepDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/Cp932.h"
#include "search/RegexTokens.h"
#include "search/ui/TokenPanel.h"

using namespace navirt;

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TForm9::TForm9(QWidget* parent, TGrepDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form9");
  setWindowTitle("Grepの実行");
  auto* root = new QVBoxLayout(this);

  auto* prompt = new QLabel("検索する文字列(&S)", this);
  CBRegExp = new QComboBox(this);
  CBRegExp->setObjectName("CBRegExp");
  CBRegExp->setEditable(true);
  CBRegExp->setInsertPolicy(QComboBox::NoInsert);
  CBRegExp->setMinimumWidth(420);
  for (const std::string& h : model_.history) CBRegExp->addItem(Q(h));
  CBRegExp->setEditText(Q(model_.expression));
  prompt->setBuddy(CBRegExp);
  auto* note = new QLabel("文字列には正規表現が使えます。", this);
  note->setStyleSheet("color: blue");
  root->addWidget(prompt);
  root->addWidget(CBRegExp);
  root->addWidget(note);

  CBusefuzzy = new QCheckBox("文字の同一視(&D)", this);
  CBfilename = new QCheckBox("検索ﾌｧｨﾙ名の表示(&K)", this);
  CBlinenumber = new QCheckBox("行数の表示(&L)", this);
  CBusefuzzy->setChecked(model_.useFuzzy);
  CBfilename->setChecked(model_.showFileNames);
  CBlinenumber->setChecked(model_.showLineNumbers);
  CBautocode = new QCheckBox("文字コード自動判別", this);
  CBautocode->setObjectName("CBautocode");
  CBautocode->setToolTip("JIS・EUC・UTF-8・UTF-16のファイルもShift_JISにして検索します。");
  CBautocode->setChecked(model_.autoDetectCode);
  auto* checks = new QHBoxLayout;
  checks->addWidget(CBusefuzzy);
  checks->addWidget(CBfilename);
  checks->addWidget(CBlinenumber);
  checks->addWidget(CBautocode);
  root->addLayout(checks);

  GroupFiles = new QGroupBox("ファイル", this);
  RBselected = new QRadioButton("選択したﾌｧｲﾙ", GroupFiles);
  RBall = new QRadioButton("全ファイル", GroupFiles);
  auto* g = new QVBoxLayout(GroupFiles);
  auto* radios = new QHBoxLayout;
  radios->addWidget(RBselected);
  radios->addWidget(RBall);
  g->addLayout(radios);
  Ldirectory = new QLabel(Q(model_.directoryLabel), GroupFiles);
  Lfiles = new QLabel(Q(model_.filesLabel), GroupFiles);
  for (QLabel* l : {Ldirectory, Lfiles}) {
    l->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    g->addWidget(l);
  }
  ListFiles = new QListWidget(GroupFiles);
  ListFiles->setSelectionMode(QAbstractItemView::NoSelection);
  ListFiles->setMinimumHeight(100);
  g->addWidget(ListFiles, 1);
  root->addWidget(GroupFiles, 1);
  (model_.selectedGroup ? RBselected : RBall)->setChecked(true);
  GroupFiles->setEnabled(model_.groupEnabled);
  connect(RBselected, &QRadioButton::toggled, this, [this](bool on) {
    model_.ChooseSelected(on);
    ShowFiles();
  });
  ShowFiles();

  BtokenPanel = new QPushButton("正規表現文字表示", this);
  root->addWidget(BtokenPanel, 0, Qt::AlignLeft);
  PanelTokens = MakeTokenPanel(this, [this](const RegexToken& t) { TokenClick(t); });
  PanelTokens->setFixedHeight(model_.tokenPanelHeight);
  PanelTokens->setVisible(model_.tokenPanelHeight > 0);
  root->addWidget(PanelTokens);
  connect(BtokenPanel, &QPushButton::clicked, this, [this] {
    int delta = model_.ToggleTokenPanel();
    PanelTokens->setFixedHeight(model_.tokenPanelHeight);
    PanelTokens->setVisible(model_.tokenPanelHeight > 0);
    resize(width(), height() + delta);
  });

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  BOK = buttons->button(QDialogButtonBox::Ok);
  root->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (onOk)
      onOk();
    else
      accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  CBRegExp->setFocus();
}

void TForm9::ShowFiles() {
  ListFiles->clear();
  for (const std::string& p : model_.files) ListFiles->addItem(Q(p));
}

void TForm9::OkClick(TIniFile& ini) {
  model_.expression = CBRegExp->currentText().toStdString();
  model_.useFuzzy = CBusefuzzy->isChecked();
  model_.showFileNames = CBfilename->isChecked();
  model_.showLineNumbers = CBlinenumber->isChecked();
  model_.autoDetectCode = CBautocode->isChecked();
  model_.Accept(ini);
  accept();
}

void TForm9::TokenClick(const RegexToken& token) {
  QWidget* focus = QApplication::focusWidget();
  if (focus != CBRegExp->lineEdit() && focus != CBRegExp) return;
  ApplyToken(token);
}

void TForm9::ApplyToken(const RegexToken& token) { ApplyTokenToCombo(CBRegExp, token); }

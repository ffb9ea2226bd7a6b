#include "search/ui/TermListDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/ui/FileDialog.h"

using namespace navirt;

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
}  // namespace

TForm31::TForm31(QWidget* parent, TTermListDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form31");
  setWindowTitle(Q(model_.caption));
  setWindowFlag(Qt::WindowStaysOnTopHint);
  auto* root = new QVBoxLayout(this);

  auto* fieldLabel = new QLabel("削除文字列(&C)", this);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  fieldLabel->setBuddy(Edit1);
  root->addWidget(fieldLabel);
  root->addWidget(Edit1);

  auto* listLabel = new QLabel("削除文字列リスト(&I)", this);
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName("ListBox1");
  listLabel->setBuddy(ListBox1);
  root->addWidget(listLabel);
  auto* middle = new QHBoxLayout;
  middle->addWidget(ListBox1, 1);
  auto* side = new QVBoxLayout;
  auto button = [&](const char* caption, void (TTermListDialogModel::*step)()) {
    auto* b = new QPushButton(caption, this);
    side->addWidget(b);
    connect(b, &QPushButton::clicked, this, [this, step] { Do(step); });
    return b;
  };
  BAdd = button("リストに追加(&A)", &TTermListDialogModel::Add);
  BRemove = button("リストから削除(&D)", &TTermListDialogModel::Remove);
  BUp = button("上へ", &TTermListDialogModel::MoveUp);
  BDown = button("下へ", &TTermListDialogModel::MoveDown);
  BClearField = button("文字列クリア", &TTermListDialogModel::ClearField);
  BClearList = button("全削除", &TTermListDialogModel::ClearList);
  BLoad = new QPushButton("読み込み(&L)", this);
  BSave = new QPushButton("保存(&S)", this);
  side->addWidget(BLoad);
  side->addWidget(BSave);
  side->addStretch(1);
  middle->addLayout(side);
  root->addLayout(middle, 1);
  connect(BLoad, &QPushButton::clicked, this, &TForm31::LoadClick);
  connect(BSave, &QPushButton::clicked, this, &TForm31::SaveClick);
  connect(ListBox1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    TakeAnswers();
    model_.Click(ListBox1->row(item));
    ShowModel();
  });

  CheckBox1 = new QCheckBox("正規表現(&S)", this);
  root->addWidget(CheckBox1);
  auto* buttons = new QDialogButtonBox(this);
  BExecute = buttons->addButton("実行", QDialogButtonBox::AcceptRole);
  buttons->addButton(QDialogButtonBox::Cancel);
  root->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    TakeAnswers();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  ShowModel();
  Edit1->setFocus();
}

void TForm31::TakeAnswers() {
  model_.field = Edit1->text().toStdString();
  model_.regex = CheckBox1->isChecked();
}

void TForm31::ShowModel() {
  Edit1->setText(Q(model_.field));
  CheckBox1->setChecked(model_.regex);
  ListBox1->clear();
  for (const std::string& t : model_.list) ListBox1->addItem(Q(t));
  if (model_.selected >= 0) ListBox1->setCurrentRow(model_.selected);
}

void TForm31::Do(void (TTermListDialogModel::*step)()) {
  TakeAnswers();
  int row = ListBox1->currentRow();
  if (row >= 0) model_.selected = row;
  (model_.*step)();
  ShowModel();
}

QString TForm31::RunFileDialog(bool save) {
  QFileDialog d(this, save ? TTermListDialogModel::kSaveTitle : TTermListDialogModel::kLoadTitle,
                Q(save ? model_.saveFolder : model_.openFolder));
  d.setObjectName(save ? "SaveDialog1" : "OpenDialog1");
  SetUpFileDialog(d);
  d.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  d.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  d.setNameFilters({"テキスト (*.txt)", "すべて (*)"});
  d.setDefaultSuffix(TTermListDialogModel::kDefaultExt);
  const std::string& name = save ? model_.saveFileName : model_.openFileName;
  if (!name.empty()) d.selectFile(Q(name));
  int r = execDialog ? execDialog(d) : d.exec();
  if (r != QDialog::Accepted || d.selectedFiles().isEmpty()) return QString();
  return d.selectedFiles().first();
}

void TForm31::LoadClick() {
  TakeAnswers();
  QString path = RunFileDialog(false);
  if (path.isEmpty()) return;
  if (auto error = model_.LoadFile(path.toStdString())) {
    if (showError) showError(Q(*error));
    return;
  }
  ShowModel();
}

void TForm31::SaveClick() {
  TakeAnswers();
  QString path = RunFileDialog(true);
  if (path.isEmpty()) return;
  if (auto error = model_.SaveFile(path.toStdString())) {
    if (showError) showError(Q(*error));
  }
}

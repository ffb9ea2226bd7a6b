#include "app/ui/ApplicationDialog.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/ShellTree.h"

namespace {

QString Q(const std::string& utf8) { return QString::fromStdString(utf8); }
std::string S(const QString& text) { return text.toStdString(); }

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

QListWidget* NameList(QWidget* parent) {
  auto* list = new QListWidget(parent);
  list->setObjectName("ListBox1");
  list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  list->setMinimumWidth(240);
  return list;
}

// The list box shows texts; the selection is the model's.
void FillList(QListWidget* list, const QStringList& texts, int selected) {
  list->clear();
  list->addItems(texts);
  list->setCurrentRow(selected);
}

}  // namespace

TForm22::TForm22(QWidget* parent, navirt::TAppDialogModel& model, std::function<void(const QString&)> warn)
    : QDialog(parent), model_(model), warn_(std::move(warn)) {
  setObjectName("Form22");
  setWindowTitle("ｱﾌﾟﾘｹｰｼｮﾝの設定");
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  Edit2 = new QLineEdit(this);
  Edit2->setObjectName("Edit2");
  ShellTreeView1 = new TShellTree(this, true);
  ListBox1 = NameList(this);
  Button1 = Button(this, "Button1", "新規登録(&N)");
  Button2 = Button(this, "Button2", "更新(&A)");
  Button3 = Button(this, "Button3", "上へ(&U)");
  Button4 = Button(this, "Button4", "下へ(&D)");
  Button5 = Button(this, "Button5", "削除(&E)");
  Button6 = Button(this, "Button6", "閉じる");

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("ｱﾌﾟﾘｹｰｼｮﾝをﾌﾙﾊﾟｽで指定して下さい。", this), 0, 0);
  grid->addWidget(Edit1, 1, 0);
  grid->addWidget(new QLabel("表示する名前を入力して下さい。", this), 2, 0);
  grid->addWidget(Edit2, 3, 0);
  grid->addWidget(new QLabel("ｱﾌﾟﾘｹｰｼｮﾝの場所", this), 4, 0);
  grid->addWidget(ShellTreeView1, 5, 0);
  grid->addWidget(ListBox1, 0, 1, 6, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {Button1, Button2, Button3, Button4, Button5}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(Button6);
  grid->addLayout(buttons, 0, 2, 6, 1);
  grid->setRowStretch(5, 1);

  connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (showing_) return;
    model_.pathField = S(t);
    Show();
  });
  connect(Edit2, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (!showing_) model_.nameField = S(t);
  });
  connect(ShellTreeView1, &TShellTree::picked, this, [this](const QString& path, bool isFile) {
    if (!isFile) return;
    model_.PickFile(S(path));
    Show();
  });
  connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
    if (showing_ || row < 0) return;
    std::string path = model_.Select(row);
    Show();
    ShellTreeView1->OpenAt(Q(path));
  });
  auto act = [this](std::string message) {
    Show();
    if (!message.empty() && warn_) warn_(Q(message));
  };
  connect(Button1, &QPushButton::clicked, this, [this, act] { act(model_.Register()); });
  connect(Button2, &QPushButton::clicked, this, [this, act] { act(model_.Update()); });
  connect(Button3, &QPushButton::clicked, this, [this, act] {
    model_.MoveUp();
    act({});
  });
  connect(Button4, &QPushButton::clicked, this, [this, act] {
    model_.MoveDown();
    act({});
  });
  connect(Button5, &QPushButton::clicked, this, [this, act] {
    model_.Delete();
    act({});
  });
  connect(Button6, &QPushButton::clicked, this, &QDialog::accept);
  Show();
}

void TForm22::Show() {
  showing_ = true;
  QStringList names;
  for (const navirt::AppEntry& e : model_.Entries()) names << Q(e.name);
  FillList(ListBox1, names, model_.Selected());
  if (Edit1->text() != Q(model_.pathField)) Edit1->setText(Q(model_.pathField));
  if (Edit2->text() != Q(model_.nameField)) Edit2->setText(Q(model_.nameField));
  Button1->setEnabled(model_.CanRegister());
  Button2->setEnabled(model_.CanRegister());
  showing_ = false;
}

TForm23::TForm23(QWidget* parent, navirt::TFolderDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form23");
  setWindowTitle("登録ﾌｫﾙﾀﾞｰの設定");
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  ShellTreeView1 = new TShellTree(this, false);
  ListBox1 = NameList(this);
  Button1 = Button(this, "Button1", "新規登録(&N)");
  Button3 = Button(this, "Button3", "上へ(&U)");
  Button4 = Button(this, "Button4", "下へ(&D)");
  Button5 = Button(this, "Button5", "削除(&E)");
  Button6 = Button(this, "Button6", "閉じる");

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("ﾌｫﾙﾀﾞｰをﾌﾙﾊﾟｽで指定して下さい。", this), 0, 0);
  grid->addWidget(Edit1, 1, 0);
  grid->addWidget(new QLabel("ﾌｫﾙﾀﾞｰの場所", this), 2, 0);
  grid->addWidget(ShellTreeView1, 3, 0);
  auto* right = new QVBoxLayout;
  right->addWidget(new QLabel("登録ﾌｫﾙﾀﾞｰ", this));
  right->addWidget(ListBox1, 1);
  grid->addLayout(right, 0, 1, 4, 1);
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {Button1, Button3, Button4, Button5}) buttons->addWidget(b);
  buttons->addStretch(1);
  buttons->addWidget(Button6);
  grid->addLayout(buttons, 0, 2, 4, 1);
  grid->setRowStretch(3, 1);

  connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& t) {
    if (showing_) return;
    model_.SetPathField(S(t));
    Show();
  });
  connect(ShellTreeView1, &TShellTree::picked, this, [this](const QString& path, bool) {
    model_.PickFolder(S(path));
    Show();
  });
  connect(ListBox1, &QListWidget::currentRowChanged, this, [this](int row) {
    if (showing_ || row < 0) return;
    std::string path = model_.Select(row);
    Show();
    ShellTreeView1->OpenAt(Q(path));
  });
  connect(Button1, &QPushButton::clicked, this, [this] {
    model_.Register();
    Show();
  });
  connect(Button3, &QPushButton::clicked, this, [this] {
    model_.MoveUp();
    Show();
  });
  connect(Button4, &QPushButton::clicked, this, [this] {
    model_.MoveDown();
    Show();
  });
  connect(Button5, &QPushButton::clicked, this, [this] {
    model_.Delete();
    Show();
  });
  connect(Button6, &QPushButton::clicked, this, &QDialog::accept);
  Show();
}

void TForm23::Show() {
  showing_ = true;
  QStringList paths;
  for (const std::string& p : model_.Entries()) paths << Q(p);
  FillList(ListBox1, paths, model_.Selected());
  if (Edit1->text() != Q(model_.PathField())) Edit1->setText(Q(model_.PathField()));
  Button1->setEnabled(model_.CanRegister());
  Button5->setEnabled(model_.CanDelete());
  showing_ = false;
}

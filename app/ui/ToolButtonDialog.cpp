#include "app/ui/ToolButtonDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

TForm21::TForm21(QWidget* parent, navirt::TToolButtonDialogModel& model) : QDialog(parent), model_(model) {
  setObjectName("Form21");
  setWindowTitle("ツールボタンの設定");
  auto* v = new QVBoxLayout(this);
  v->addWidget(new QLabel(QString::fromUtf8(navirt::TToolButtonDialogModel::kText), this));
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  CheckListBox1 = new QListWidget(this);
  CheckListBox1->setObjectName("CheckListBox1");
  CheckListBox2 = new QListWidget(this);
  CheckListBox2->setObjectName("CheckListBox2");
  PageControl1->addTab(CheckListBox1, "メイン");
  PageControl1->addTab(CheckListBox2, "ビュー");
  PageControl1->setCurrentIndex(0);
  v->addWidget(PageControl1, 1);

  // Each row remembers its place in the model's list of 41.
  const auto& catalog = navirt::ToolButtonCatalog();
  for (size_t i = 0; i < catalog.size(); ++i) {
    QListWidget* list = catalog[i].page == 0 ? CheckListBox1 : CheckListBox2;
    auto* item = new QListWidgetItem(QString::fromUtf8(catalog[i].caption), list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setData(Qt::UserRole, int(i));
  }
  for (QListWidget* list : {CheckListBox1, CheckListBox2})
    connect(list, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
      if (showing_) return;
      model_.SetChecked(size_t(item->data(Qt::UserRole).toInt()), item->checkState() == Qt::Checked);
    });

  Button1 = new QPushButton("全て表示(&A)", this);
  Button1->setObjectName("Button1");
  Button1->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, [this] {
    model_.CheckAll();
    Show();
  });
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  box->addButton(Button1, QDialogButtonBox::ResetRole);
  BOK = box->button(QDialogButtonBox::Ok);
  BOK->setObjectName("BOK");
  BOK->setDefault(true);
  BCancel = box->button(QDialogButtonBox::Cancel);
  BCancel->setObjectName("BCancel");
  BCancel->setText("キャンセル");
  connect(BOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(BCancel, &QPushButton::clicked, this, &QDialog::reject);
  v->addWidget(box);
  Show();
}

void TForm21::Show() {
  showing_ = true;
  for (QListWidget* list : {CheckListBox1, CheckListBox2})
    for (int r = 0; r < list->count(); ++r) {
      QListWidgetItem* item = list->item(r);
      bool on = model_.Checked(size_t(item->data(Qt::UserRole).toInt()));
      item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
  showing_ = false;
}

#include "archive/ui/ArcTargetDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

TArcTargetDialog::TArcTargetDialog(QWidget* parent, const navirt::TArcTargetModel& model) : QDialog(parent) {
  setObjectName("ArcTargetDialog");
  setWindowTitle(QString::fromStdString(model.operation));
  auto* v = new QVBoxLayout(this);
  Heading = new QLabel(QString::fromStdString(model.folder), this);
  Heading->setObjectName("Heading");
  Operation = new QLabel(QString::fromStdString(model.operation + "  " + model.countText), this);
  Operation->setObjectName("Operation");
  QPalette pal = Operation->palette();
  pal.setColor(QPalette::WindowText, Qt::blue);
  Operation->setPalette(pal);
  Files = new QListWidget(this);
  Files->setObjectName("Files");
  for (const auto& f : model.files) Files->addItem(QString::fromStdString(f));
  Files->setMaximumHeight(80);

  auto* row = new QHBoxLayout;
  FolderBox = new QComboBox(this);
  FolderBox->setObjectName("FolderBox");
  FolderBox->setEditable(true);
  FolderBox->setMinimumWidth(360);
  FolderBox->setEditText(QString::fromStdString(model.answer));
  auto* browse = new QPushButton("参照...", this);
  browse->setObjectName("BrowseButton");
  connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
  row->addWidget(FolderBox, 1);
  row->addWidget(browse);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText("OK");
  buttons->button(QDialogButtonBox::Cancel)->setText("キャンセル");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  v->addWidget(Heading);
  v->addWidget(Operation);
  v->addWidget(Files);
  v->addLayout(row);
  v->addWidget(buttons);
}

QString TArcTargetDialog::FolderText() const { return FolderBox->currentText().trimmed(); }

void TArcTargetDialog::SetFolderText(const QString& text) { FolderBox->setEditText(text); }

void TArcTargetDialog::Browse() {
  QString chosen = QFileDialog::getExistingDirectory(this, "解凍先フォルダー", FolderText());
  if (!chosen.isEmpty()) SetFolderText(chosen + "/");
}

#include "app/ui/FolderDialog.h"

#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

TForm4::TForm4(QWidget* parent, const QString& caption, const QString& prompt, const QString& current)
    : QDialog(parent) {
  setObjectName("Form4");
  setWindowTitle(caption);
  auto* v = new QVBoxLayout(this);
  Label1 = new QLabel(prompt, this);
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
  model_->setRootPath("/");
  DirectoryTree = new QTreeView(this);
  DirectoryTree->setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) DirectoryTree->hideColumn(c);
  DirectoryTree->setHeaderHidden(true);
  DirectoryTree->setMinimumSize(320, 280);
  Edit1 = new QLineEdit(current, this);
  Edit1->setObjectName("Edit1");
  Label2 = new QLabel("以前の設定:" + current, this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(DirectoryTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& idx) { Edit1->setText(model_->filePath(idx)); });
  v->addWidget(Label1);
  v->addWidget(DirectoryTree, 1);
  v->addWidget(Edit1);
  v->addWidget(Label2);
  v->addWidget(buttons);
  if (!current.isEmpty()) {
    QModelIndex idx = model_->index(current);
    if (idx.isValid()) {
      DirectoryTree->setCurrentIndex(idx);
      DirectoryTree->scrollTo(idx);
      Edit1->setText(current);
    }
  }
}

QString TForm4::FolderText() const { return Edit1->text(); }
void TForm4::SetFolderText(const QString& text) { Edit1->setText(text); }

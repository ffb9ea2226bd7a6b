#include "app/ui/FolderDialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/ShellTree.h"

TForm4::TForm4(QWidget* parent, const QString& caption, const QString& prompt, const QString& current)
    : QDialog(parent) {
  Build(caption, prompt, current, "以前の設定:" + current, false);
}

TForm4::TForm4(QWidget* parent, const QString& caption, const QString& prompt, const QString& current,
               const QString& previous, std::function<bool(const QString&)> acceptable)
    : QDialog(parent), acceptable_(std::move(acceptable)) {
  Build(caption, prompt, current, previous, true);
}

void TForm4::Build(const QString& caption, const QString& prompt, const QString& current, const QString& previous,
                   bool programs) {
  setObjectName("Form4");
  setWindowTitle(caption);
  auto* v = new QVBoxLayout(this);
  Label1 = new QLabel(prompt, this);
  DirectoryTree = new TShellTree(this, programs);
  DirectoryTree->setMinimumSize(320, 280);
  Edit1 = new QLineEdit(current, this);
  Edit1->setObjectName("Edit1");
  Label2 = new QLabel(previous, this);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(DirectoryTree, &TShellTree::picked, this, [this](const QString& path, bool) { Edit1->setText(path); });
  auto check = [this](const QString& text) {
    if (acceptable_) OkButton()->setEnabled(acceptable_(text));
  };
  connect(Edit1, &QLineEdit::textChanged, this, check);
  v->addWidget(Label1);
  v->addWidget(DirectoryTree, 1);
  v->addWidget(Edit1);
  v->addWidget(Label2);
  v->addWidget(buttons_);
  DirectoryTree->OpenAt(current);
  check(current);
  // The field has the keyboard first; the tree only answers the user.
  Edit1->setFocus();
}

QString TForm4::FolderText() const { return Edit1->text(); }
void TForm4::SetFolderText(const QString& text) { Edit1->setText(text); }
QPushButton* TForm4::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

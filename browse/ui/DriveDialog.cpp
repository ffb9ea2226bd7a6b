#include "browse/ui/DriveDialog.h"

#include <QDialogButtonBox>
#include <QFileIconProvider>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

TForm10::TForm10(QWidget* parent, std::vector<navirt::DriveInfo> drives, char current)
    : QDialog(parent), drives_(std::move(drives)) {
  setObjectName("Form10");
  setWindowTitle("ドライブの指定");
  auto* v = new QVBoxLayout(this);
  v->addWidget(new QLabel("ドライプ", this));
  DrivePanel1 = new QWidget(this);
  DrivePanel1->setObjectName("DrivePanel1");
  auto* grid = new QVBoxLayout(DrivePanel1);
  grid->setContentsMargins(0, 0, 0, 0);
  QFileIconProvider icons;
  for (const auto& d : drives_) {
    auto* b =
        new QPushButton(icons.icon(QFileIconProvider::Drive),
                        QString("%1  %2").arg(QChar(d.letter)).arg(QString::fromStdString(d.mountPoint)), DrivePanel1);
    b->setObjectName(QString("Drive%1").arg(QChar(d.letter)));
    b->setCheckable(true);
    b->setChecked(d.letter == current);
    b->setStyleSheet("text-align: left; padding: 2px 8px;");
    char letter = d.letter;
    connect(b, &QPushButton::clicked, this, [this, letter] {
      Edit1->setText(QString(QChar(letter)));
      accept();
    });
    grid->addWidget(b);
    DriveButtons.push_back(b);
  }
  v->addWidget(DrivePanel1);
  Edit1 = new QLineEdit(this);
  Edit1->setObjectName("Edit1");
  Edit1->setMaxLength(1);
  Edit1->setValidator(new QRegularExpressionValidator(QRegularExpression("[A-Za-z]"), Edit1));
  connect(Edit1, &QLineEdit::textEdited, this, [this](const QString& t) { Edit1->setText(t.toUpper()); });
  if (current) Edit1->setText(QString(QChar(current)));
  v->addWidget(Edit1);
  auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
  v->addWidget(box);
}

char TForm10::Answer() const {
  QString t = Edit1->text().trimmed().toUpper();
  if (t.isEmpty()) return 0;
  return static_cast<char>(t.at(0).toLatin1());
}

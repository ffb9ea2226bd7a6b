#include "sysinfo/ui/AboutDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

TAboutDialog::TAboutDialog(QWidget* parent, const navirt::AboutFacts& facts) : QDialog(parent) {
  setObjectName("AboutDialog");
  setWindowTitle("バージョン情報");
  navirt::AboutFacts head = facts;
  head.libraries.clear();
  auto* v = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  Heading = new QLabel(QString::fromStdString(navirt::BuildAboutText(head)).trimmed(), this);
  Heading->setObjectName("Heading");
  Heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
  top->addWidget(icon);
  top->addWidget(Heading, 1);
  v->addLayout(top);
  auto* caption = new QLabel("使用しているライブラリ(&L):", this);
  Libraries = new QListWidget(this);
  Libraries->setObjectName("Libraries");
  caption->setBuddy(Libraries);
  for (const std::string& l : facts.libraries) Libraries->addItem(QString::fromStdString(l));
  // A dozen names show; the rest scroll.
  Libraries->setFixedHeight(Libraries->fontMetrics().lineSpacing() * 12 + 2 * Libraries->frameWidth() + 4);
  v->addWidget(caption);
  v->addWidget(Libraries, 1);
  Buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  v->addWidget(Buttons);
  Buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  Buttons->button(QDialogButtonBox::Ok)->setFocus();
  // Never taller or wider than the screen leaves room for.
  if (QScreen* s = parent ? parent->screen() : QGuiApplication::primaryScreen())
    setMaximumSize(s->availableGeometry().size() * 9 / 10);
}

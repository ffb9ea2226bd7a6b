#include "app/ui/FontColorDialog.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

TFontColorDialog::TFontColorDialog(QWidget* parent, const QString& caption, const QFont& font, const QColor& color)
    : QDialog(parent), color_(color) {
  setObjectName("FontDialog1");
  setWindowTitle(caption);
  auto* v = new QVBoxLayout(this);
  FontDialog = new QFontDialog(font, this);
  FontDialog->setOptions(QFontDialog::NoButtons | QFontDialog::DontUseNativeDialog);
  FontDialog->setWindowFlags(Qt::Widget);
  v->addWidget(FontDialog);
  auto* row = new QHBoxLayout;
  auto* label = new QLabel("色(&C):", this);
  ColorButton = new QPushButton(this);
  ColorButton->setObjectName("ColorButton");
  label->setBuddy(ColorButton);
  row->addWidget(label);
  row->addWidget(ColorButton);
  row->addStretch(1);
  v->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  v->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // The embedded chooser is a dialog too: Escape in it (or Enter) would
  // close only the chooser and leave an empty window. It answers for the
  // whole dialog instead.
  connect(FontDialog, &QDialog::rejected, this, &QDialog::reject);
  connect(FontDialog, &QDialog::accepted, this, &QDialog::accept);
  connect(ColorButton, &QPushButton::clicked, this, [this] {
    QColor c = QColorDialog::getColor(color_, this, "色の設定");
    if (c.isValid()) SetSelectedColor(c);
  });
  ShowSwatch();
}

QFont TFontColorDialog::SelectedFont() const { return FontDialog->currentFont(); }

void TFontColorDialog::SetSelectedFont(const QFont& font) { FontDialog->setCurrentFont(font); }

void TFontColorDialog::SetSelectedColor(const QColor& color) {
  color_ = color;
  ShowSwatch();
}

void TFontColorDialog::ShowSwatch() {
  QPixmap swatch(36, 14);
  swatch.fill(color_);
  ColorButton->setIcon(QIcon(swatch));
  ColorButton->setIconSize(swatch.size());
  ColorButton->setText(color_.name());
}

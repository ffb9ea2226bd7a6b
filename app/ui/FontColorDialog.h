#pragma once
// The font dialog with the colour beside it: the platform's font dialog
// has no colour, and the settings keep one with every font.
#include <QColor>
#include <QDialog>
#include <QFont>

class QFontDialog;
class QPushButton;

class TFontColorDialog : public QDialog {
  Q_OBJECT
 public:
  TFontColorDialog(QWidget* parent, const QString& caption, const QFont& font, const QColor& color);
  QFont SelectedFont() const;
  QColor SelectedColor() const { return color_; }
  void SetSelectedFont(const QFont& font);
  void SetSelectedColor(const QColor& color);

  QFontDialog* FontDialog = nullptr;
  QPushButton* ColorButton = nullptr;

 private:
  void ShowSwatch();
  QColor color_;
};

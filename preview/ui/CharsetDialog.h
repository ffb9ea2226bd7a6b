#pragma once
// The text character-set dialog: sets the pane font's character set as
// soon as the choice changes. Not stored in the settings file.
#include <QDialog>

class QComboBox;
class QFont;
class TRichEdit;

class TForm8 : public QDialog {
  Q_OBJECT
 public:
  TForm8(QWidget* parent, TRichEdit* pane);
  QComboBox* ComboBox1 = nullptr;
  // The character-set number the pane uses now (128 by default).
  static int PaneCharset(const TRichEdit* pane);
  // Adds a family of that character set's writing system behind the font's own.
  static void ApplyCharset(QFont& font, int charset);
};

#pragma once
// The text character-set dialog: sets the pane font's character set as
// soon as the choice changes. Not stored in the settings file.
#include <QDialog>

class QComboBox;
class TRichEdit;

class TForm8 : public QDialog {
  Q_OBJECT
 public:
  TForm8(QWidget* parent, TRichEdit* pane);
  QComboBox* ComboBox1 = nullptr;
  // The character-set number the pane uses now (128 by default).
  static int PaneCharset(const TRichEdit* pane);
};

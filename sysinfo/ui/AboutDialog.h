#pragma once
// "バージョン情報": the program's name and versions above, the loaded
// libraries in a list that scrolls, so the window fits any screen.
#include <QDialog>

#include "sysinfo/About.h"

class QDialogButtonBox;
class QLabel;
class QListWidget;

class TAboutDialog : public QDialog {
  Q_OBJECT
 public:
  TAboutDialog(QWidget* parent, const navirt::AboutFacts& facts);

  QLabel* Heading = nullptr;
  QListWidget* Libraries = nullptr;
  QDialogButtonBox* Buttons = nullptr;
};

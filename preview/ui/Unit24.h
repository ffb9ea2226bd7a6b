#pragma once
// The progress window of the hexadecimal dumps. Cancel stores "EXIT" in the
// main window's DialogAnswer and closes the window.
#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class TForm1;

class TForm24 : public QDialog {
  Q_OBJECT
 public:
  TForm24(TForm1* owner, const QString& path);
  QLabel* Ldump1 = nullptr;
  QLabel* Ldump2 = nullptr;
  QPushButton* Button1 = nullptr;
};

// The two dump commands; they act on SelectedPath and the pane.
void StandardHexDump(TForm1* form);
void BelowLineHexDump(TForm1* form);
void InstallHexDumpCommands(TForm1* form);

// Tests watch the dump's progress checks through this hook.
extern std::function<void()> hexDumpProgressHook;

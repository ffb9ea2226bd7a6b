#pragma once
// The main window's grep component Grep1 and the run of "Grepの実行(&G)".
// The run stays on the window's thread and lets it process its events
// between blocks, so the window answers and "Grepの中止(&Q)" can stop it.
#include <QObject>

#include "regex/bmRegExp.h"

class TForm1;

class TGrepController : public QObject {
  Q_OBJECT
 public:
  explicit TGrepController(TForm1* form);
  void MgrepClick();
  void Stop();  // Mgrep2Click
  bool Running() const { return running_; }

  navirt::TGrep Grep1;

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override;

 private:
  TForm1* form_;
  bool running_ = false;
  bool closeAfterRun_ = false;
};

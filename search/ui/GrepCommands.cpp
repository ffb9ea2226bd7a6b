#include "search/ui/GrepCommands.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QPointer>
#include <QTreeView>

#include <algorithm>

#include "app/ui/Unit1.h"
#include "browse/ui/FileListModel.h"
#include "edit/ui/RichEdit.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "search/GrepCommand.h"
#include "search/ui/GrepController.h"
#include "search/ui/GrepDialog.h"

using namespace navirt;

TGrepController::TGrepController(TForm1* form) : QObject(form), form_(form) {
  setObjectName("Grep1Controller");
  form->installEventFilter(this);
}

bool TGrepController::eventFilter(QObject* obj, QEvent* e) {
  // Closing while a grep runs: stop it first, close when it has ended.
  if (obj == form_ && e->type() == QEvent::Close && running_) {
    Grep1.Cancel = true;
    closeAfterRun_ = true;
    e->ignore();
    return true;
  }
  return QObject::eventFilter(obj, e);
}

void TGrepController::Stop() {
  if (running_) Grep1.Cancel = true;
}

void TGrepController::MgrepClick() {
  TForm1* f = form_;
  if (running_) return;
  TFileListModel* list = f->FileModel;
  if (!list || list->rowCount() == 0) return;
  const std::string folder = WithTrailingSlash(f->CurrentFolder);

  std::vector<std::string> all, selected;
  for (int r = 0; r < list->rowCount(); ++r) all.push_back(list->Entry(r).name);
  for (int r : SelectedFileRows(f->FileView1->selectionModel())) selected.push_back(list->Entry(r).name);

  TGrepDialogModel model;
  model.Setup(folder, all, selected);
  model.directoryLabel = f->CurrentFolder;
  TIniFile ini = f->OpenSettings();
  model.LoadHistory(ini);
  TForm9 dialog(f, model);
  dialog.onOk = [&] {
    dialog.OkClick(ini);
    f->WriteSettings(ini);
  };
  if (f->ExecDialog(dialog) != QDialog::Accepted || model.expression.empty()) return;

  const std::string expr = Utf8ToCp932(model.expression);
  try {
    Grep1.SetUseFuzzyCharDic(model.useFuzzy);
    SetGrepAutoDetectCode(Grep1, model.autoDetectCode);
    Grep1.SetRegExp(expr);
  } catch (const std::exception& e) {
    f->MessageDlg(QString::fromStdString(e.what()), QString(), TMsgKind::Error);
    return;
  }

  f->SetInfoLine(QString(), f->InfoColor);
  f->RichEdit1->Clear();
  f->RichEdit1->SetModified(false);

  running_ = true;
  if (QAction* stop = f->FindAction(cmd::Mgrep2)) stop->setEnabled(true);
  if (QAction* start = f->FindAction(cmd::Mgrep)) start->setEnabled(false);
  QApplication::setOverrideCursor(Qt::WaitCursor);

  // Lines gather here and reach the pane now and then while the run goes
  // on, and at its end.
  std::vector<std::string> lines;
  size_t shown = 0;
  QPointer<TForm1> alive(f);
  auto showLines = [&] {
    if (!alive || shown == lines.size()) return;
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
      if (i) text += "\r\n";
      text += lines[i];
    }
    f->RichEdit1->SetText(text);
    shown = lines.size();
  };
  QElapsedTimer sinceEvents, sinceShown;
  sinceEvents.start();
  sinceShown.start();
  Grep1.OnProcessMessages = [&] {
    if (sinceEvents.elapsed() < 20) return;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    sinceEvents.restart();
    if (lines.size() < 20000 && sinceShown.elapsed() > 500) {
      showLines();
      sinceShown.restart();
    }
    f->SetStatusPanel(0, QString("Grep: %1").arg(lines.size() > 2 ? lines.size() - 2 : 0));
  };
  GrepRunResult r = TGrepRun::Run(Grep1, expr, model.files, model.showFileNames, model.showLineNumbers,
                                  [&](const std::string& l) { lines.push_back(l); });
  Grep1.OnProcessMessages = nullptr;
  QApplication::restoreOverrideCursor();
  running_ = false;
  if (!alive) return;
  if (QAction* stop = f->FindAction(cmd::Mgrep2)) stop->setEnabled(false);
  if (QAction* start = f->FindAction(cmd::Mgrep)) start->setEnabled(true);
  f->SetStatusPanel(0, QString());

  if (r.outcome == GrepOutcome::Cancelled) {
    // The stop's line is the last one; the message comes first.
    std::string last = lines.back();
    lines.pop_back();
    showLines();
    if (!closeAfterRun_) f->MessageDlg("Grepを中止しました。", QString(), TMsgKind::Warning);
    lines.push_back(last);
  }
  showLines();
  f->RichEdit1->SetModified(false);
  if (r.outcome == GrepOutcome::Failed && !closeAfterRun_)
    f->MessageDlg(QString::fromStdString(r.error), QString(), TMsgKind::Error);
  if (closeAfterRun_) {
    closeAfterRun_ = false;
    f->close();
  }
}

TGrepController* GrepControllerOf(TForm1* form) { return form->findChild<TGrepController*>("Grep1Controller"); }

void InstallGrepCommands(TForm1* form) {
  auto* c = new TGrepController(form);
  QMenu* menu = form->Msearch;
  if (menu && !menu->actions().isEmpty()) menu->addSeparator();
  form->AddCommand(menu, cmd::Mgrep, "Grepの実行(&G)", [c] { c->MgrepClick(); });
  QAction* stop = form->AddCommand(menu, cmd::Mgrep2, "Grepの中止(&Q)", [c] { c->Stop(); });
  stop->setEnabled(false);
}

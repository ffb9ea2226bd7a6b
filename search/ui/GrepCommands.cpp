// "Grepの実行(&G)": the dialog on the window's thread, the search as a job
// on a worker thread. The lines reach the pane in batches, in the order of
// the files; the progress window's Cancel stops the search at its next
// block or reported line, and the lines found so far stay.
#include "search/ui/GrepCommands.h"

#include <QDialog>
#include <QMenu>
#include <QObject>

#include <atomic>
#include <chrono>
#include <string>
#include <vector>

#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "host/ui/Job.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "search/GrepCommand.h"
#include "search/ui/GrepDialog.h"
#include "search/ui/SearchCommandIds.h"

using namespace navirt;

namespace {

std::string NameOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The worker's lines, joined by CR LF, leave for the window in batches: when
// a batch is large, or a moment has passed since the last one.
class TLineBatches {
 public:
  explicit TLineBatches(TJobContext& job) : job_(job), last_(Clock::now()) {}
  void Add(const std::string& line) {
    if (any_) batch_ += "\r\n";
    any_ = true;
    pending_ = true;
    batch_ += line;
    SendWhenDue();
  }
  void SendWhenDue() {
    if (pending_ && (batch_.size() >= kBatchBytes || Clock::now() - last_ >= kInterval)) Send();
  }
  void Send() {
    if (pending_) job_.Emit(std::move(batch_));
    batch_.clear();
    pending_ = false;
    last_ = Clock::now();
  }

 private:
  using Clock = std::chrono::steady_clock;
  static constexpr size_t kBatchBytes = 256 * 1024;
  static constexpr std::chrono::milliseconds kInterval{100};
  TJobContext& job_;
  std::string batch_;
  bool any_ = false, pending_ = false;
  Clock::time_point last_;
};

// The main window's grep component Grep1 and the run of "Grepの実行(&G)".
class TGrepController : public QObject {
 public:
  explicit TGrepController(IHost& host) : QObject(host.HostWindow()), host_(host) { setObjectName("Grep1Controller"); }

  void MgrepClick();
  // "Grepの中止(&Q)": a running search stops at its next block or line.
  void Mgrep2Click() { stop_ = true; }
  bool Running() const { return running_; }

 private:
  bool AskAndCompile(TGrepDialogModel& model, std::string& expr);

  IHost& host_;
  TGrep Grep1;
  bool running_ = false;
  std::atomic<bool> stop_{false};
};

// Steps 1 to 4: the file list, the dialog, the expression; false ends the
// command with the pane untouched.
bool TGrepController::AskAndCompile(TGrepDialogModel& model, std::string& expr) {
  const std::vector<std::string> listed = host_.HostListedPaths();
  if (listed.empty()) return false;
  std::vector<std::string> all, selected;
  for (const std::string& p : listed) all.push_back(NameOf(p));
  for (const std::string& p : host_.HostSelectedPaths()) selected.push_back(NameOf(p));
  const std::string folder = host_.HostFolder();
  model.Setup(WithTrailingSlash(folder), all, selected);
  model.directoryLabel = folder;
  TIniFile ini = host_.OpenSettings();
  model.LoadHistory(ini);
  TForm9 dialog(host_.HostWindow(), model);
  dialog.onOk = [&] {
    dialog.OkClick(ini);
    host_.WriteSettings(ini);
  };
  if (host_.ExecDialog(dialog) != QDialog::Accepted || model.expression.empty()) return false;
  expr = Utf8ToCp932(model.expression);
  try {
    Grep1.SetUseFuzzyCharDic(model.useFuzzy);
    SetGrepAutoDetectCode(Grep1, model.autoDetectCode);
    Grep1.SetRegExp(expr);
  } catch (const std::exception& e) {
    host_.MessageDlg(QString::fromStdString(e.what()), QString(), TMsgKind::Error);
    return false;
  }
  return true;
}

void TGrepController::MgrepClick() {
  if (running_) return;
  TGrepDialogModel model;
  std::string expr;
  if (!AskAndCompile(model, expr)) return;
  if (!host_.ConfirmReplacePane()) return;

  TRichEdit* pane = host_.Pane();
  host_.SetInfoLine(QString(), host_.InfoLineColor());
  pane->Clear();
  pane->SetModified(false);

  // The pane follows the batches while the text is small enough to set
  // again and again; at the end it gets the whole text once.
  std::string text;
  size_t shown = 0;
  auto lastShown = std::chrono::steady_clock::now();
  auto show = [&] {
    if (shown == text.size()) return;
    pane->SetText(text);
    shown = text.size();
  };
  auto onBatch = [&](std::string&& batch) {
    text += batch;
    constexpr size_t kFollowBytes = 2u << 20;
    auto now = std::chrono::steady_clock::now();
    if (text.size() < kFollowBytes && now - lastShown >= std::chrono::milliseconds(500)) {
      show();
      lastShown = now;
    }
  };

  running_ = true;
  stop_ = false;
  GrepRunResult result;
  const std::vector<std::string>& files = model.files;
  JobOutcome job = RunJob(
      host_, JobSpec{"Grepの実行", "Grep実行中．．．", QString()},
      [&](TJobContext& ctx) {
        TLineBatches batches(ctx);
        ctx.SetTotal(files.size());
        Grep1.OnProcessMessages = [&] {
          if (ctx.Cancelled() || stop_) Grep1.Cancel = true;
          batches.SendWhenDue();
        };
        result = TGrepRun::Run(
            Grep1, expr, files, model.showFileNames, model.showLineNumbers,
            [&](const std::string& line) { batches.Add(line); },
            [&](size_t i) {
              ctx.SetDone(i);
              ctx.SetDetail(files[i]);
            });
        Grep1.OnProcessMessages = nullptr;
        batches.Send();
      },
      onBatch);
  Grep1.OnProcessMessages = nullptr;
  running_ = false;

  const bool quiet = job.windowClosing;
  if (result.outcome == GrepOutcome::Cancelled && !quiet) {
    // The message comes while the pane shows the lines found; the stop's
    // line follows it.
    const std::string stopLine = "\r\n" + Utf8ToCp932(TGrepRun::CancelLine());
    if (text.size() >= stopLine.size() && text.compare(text.size() - stopLine.size(), stopLine.size(), stopLine) == 0) {
      pane->SetText(std::string_view(text).substr(0, text.size() - stopLine.size()));
      shown = text.size() - stopLine.size();
    }
    host_.MessageDlg("Grepを中止しました。", QString(), TMsgKind::Warning);
  }
  show();
  pane->SetModified(false);
  if (result.outcome == GrepOutcome::Failed && !quiet)
    host_.MessageDlg(QString::fromStdString(result.error), QString(), TMsgKind::Error);
}

}  // namespace

void InstallGrepCommands(IHost& host) {
  auto* c = new TGrepController(host);
  QMenu* menu = host.Menu(HostMenu::Search);
  std::vector<CommandRow> rows = {
      {cmd::Mgrep, "Grepの実行(&G)", nullptr, [c](IHost&) { c->MgrepClick(); }},
      // While a search runs its progress window holds the input, and its
      // Cancel is the way to stop it; the item shows whether one runs.
      {cmd::Mgrep2, "Grepの中止(&Q)", nullptr, [c](IHost&) { c->Mgrep2Click(); }, [c](IHost&) { return c->Running(); }},
  };
  if (menu && !menu->actions().isEmpty()) menu->addSeparator();
  host.Commands().Install(rows, menu);
}

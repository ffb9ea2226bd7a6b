#include "archive/ui/ArchiveCommands.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QToolBar>
#include <QWidget>

#include <atomic>
#include <filesystem>

#include "archive/ui/ArcCreateDialog.h"
#include "archive/ui/ArchiveCommandIds.h"
#include "fileops/FileCommands.h"
#include "fileops/ui/FileOpsDialogs.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "host/ui/HostPart.h"
#include "host/ui/Job.h"
#include "host/ui/SharedCommandIds.h"
#include "platform/FileInfo.h"
#include "preview/InfoLine.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

JobSpec SpecFor(TArcCommand c) {
  switch (c) {
    case TArcCommand::MlhaU:
    case TArcCommand::Mlha_E:
    case TArcCommand::Marcunpack1:
      return {"解凍", "解凍中．．．", ""};
    case TArcCommand::MlhaP:
    case TArcCommand::Marcmake:
      return {"書庫作成", "圧縮中．．．", ""};
    default:
      return {"書庫内一覧", "一覧作成中．．．", ""};
  }
}

// The listing an extraction's plan makes before its questions.
JobSpec PlanSpecFor(TArcCommand c) { return {SpecFor(c).title, "書庫の内容を確認中．．．", ""}; }

TMsgKind MsgKindOf(TArcMessageKind k) {
  switch (k) {
    case TArcMessageKind::Warning:
      return TMsgKind::Warning;
    case TArcMessageKind::Error:
      return TMsgKind::Error;
    default:
      return TMsgKind::Information;
  }
}

// Restores a flag when the scope ends.
struct FlagScope {
  bool& flag;
  bool old;
  explicit FlagScope(bool& f) : flag(f), old(f) { flag = true; }
  ~FlagScope() { flag = old; }
};

const CommandName kLhaNames[] = {cmd::MlhaU, cmd::MlhaP, cmd::Mlhalist, cmd::Mlha_V, cmd::Mlha_E};

}  // namespace

TArchiveController::TArchiveController(IHost& host, QObject* owner)
    : QObject(owner), host_(host), lha_(std::make_unique<TLhaDirect>()) {
  setObjectName("ArchiveController");
}

TArchiveController::~TArchiveController() = default;

int TArchiveController::LhaVersion() const { return lha_->Version(); }

void TArchiveController::UseLhaLibrary(const std::string& winName) {
  lha_ = std::make_unique<TLhaDirect>(winName);
  ApplyLhaAvailability();
}

void TArchiveController::ApplyLhaAvailability() {
  const bool on = LhaCommandsEnabled(LhaVersion());
  for (CommandName n : kLhaNames)
    if (QAction* a = host_.Commands().Action(n)) a->setEnabled(on);
  if (LhaCommandMenu) LhaCommandMenu->menuAction()->setEnabled(on);
}

TArcSelection TArchiveController::Selection() const {
  TArcSelection sel;
  sel.selectedPath = host_.HostSelectedPath();
  sel.currentFolder = host_.HostFolder();
  for (const std::string& p : host_.HostSelectedPaths()) sel.selectedNames.push_back(FileNamePart(p));
  // Only whether the list is empty matters here.
  std::error_code ec;
  std::filesystem::directory_iterator it(sel.currentFolder, ec);
  sel.listCount = !sel.selectedNames.empty() || (!ec && it != std::filesystem::directory_iterator()) ? 1 : 0;
  return sel;
}

bool TArchiveController::AskTarget(TArcTargetModel& m) {
  // The file-operation dialog with "解凍" chosen; its folder box keeps the
  // history the copy and move targets keep.
  TFileOpDialogModel model;
  model.Open(host_.OpenSettings(), m.folder, TFileOpDialogModel::Extract, m.files);
  TForm2 dlg(host_.HostWindow(), model);
  if (host_.ExecDialog(dlg) != QDialog::Accepted) return false;
  TIniFile settings = host_.OpenSettings();
  std::string folder = model.Accept(settings);
  host_.WriteSettings(settings);
  if (folder.empty()) return false;
  m.answer = WithTrailingSlash(folder);
  return true;
}

bool TArchiveController::AskCreate(TArcAsk& ask) {
  // The name and the Shift_JIS setting, kept as the dialog's history is.
  TArcCreateDialog dlg(host_.HostWindow(), ask.name, ask.sjisNames);
  if (host_.ExecDialog(dlg) != QDialog::Accepted) return false;
  ask.name.text = dlg.AnswerText().toStdString();
  ask.sjisNames = dlg.SjisNames();
  TIniFile settings = host_.OpenSettings();
  ask.name.Accept(settings, ask.nameSection);
  SetArcCreateSjisNames(settings, ask.sjisNames);
  host_.WriteSettings(settings);
  return true;
}

bool TArchiveController::AskReplace(TArcPlan& plan) {
  // The copy commands' question, without "両方残す": an extraction keeps
  // the names its archive holds.
  while (const std::string* existing = plan.Question()) {
    ConflictQuestion q{plan.sel.selectedPath, *existing};
    TConflictDialog dlg(host_.HostWindow(), q);
    dlg.BKeepBoth->hide();
    host_.ExecDialog(dlg);
    const ConflictAnswer a = dlg.reply.answer;
    plan.Answer(a == ConflictAnswer::Overwrite ? TReplaceAnswer::Replace
                : a == ConflictAnswer::Skip    ? TReplaceAnswer::Keep
                                               : TReplaceAnswer::Cancel,
                dlg.reply.applyToAll);
  }
  return !plan.cancelled;
}

void TArchiveController::Run(TArcCommand command) {
  const TArcSelection sel = Selection();
  TIniFile ini = host_.OpenSettings();
  const bool todirOpen = host_.OptionChecked(cmd::Mtodiropen1, false);

  // Ask, on the window's thread: the checks, the command's dialog and, for
  // an extraction, each file it would replace. Nothing is done before.
  TArcAsk ask = AskArcCommand(command, sel, *lha_, ini);
  if (ask.stop) {
    Apply(ask.stopped);
    return;
  }
  if (ask.question == TArcQuestion::Target && !AskTarget(ask.target)) return;
  if (ask.question == TArcQuestion::Name && command == TArcCommand::Marcmake) {
    if (!AskCreate(ask)) return;
  } else if (ask.question == TArcQuestion::Name) {
    // The host's input dialog keeps the history of the section.
    if (!host_.InputQuery(Q(ask.name.caption), Q(ask.name.prompt), Q(ask.name.note), ask.nameSection, Q(ask.name.text)))
      return;
    ask.name.text = host_.Answer().toStdString();
  }
  TIniFile scratch = ini;  // the history is written by the dialog already
  TArcPlan plan;
  if (PlanListsArchive(command)) {
    // Finding the files an extraction would replace lists the whole
    // archive: a job, so a large one does not stall the window and can be
    // cancelled before anything is written.
    JobOutcome listed = RunAsJob(PlanSpecFor(command), [&](const TArcProgress& progress) {
      plan = PlanArcCommand(command, sel, ask, *lha_, scratch, &progress);
    });
    if (listed.failed || listed.cancelled || plan.cancelled) return;
  } else {
    plan = PlanArcCommand(command, sel, ask, *lha_, scratch);
  }
  if (!AskReplace(plan)) return;

  // Execute, as a job.
  TArcOutcome out;
  JobOutcome job = RunAsJob(
      SpecFor(command), [&](const TArcProgress& progress) { out = ExecuteArcPlan(plan, *lha_, todirOpen, &progress); });
  if (job.failed) return;  // its error box is shown
  Apply(out);
}

JobOutcome TArchiveController::RunAsJob(const JobSpec& spec, const std::function<void(const TArcProgress&)>& work) {
  return RunJob(host_, spec, [&](TJobContext& ctx) {
    std::atomic<bool> cancel{false};
    TArcProgress progress;
    progress.cancel = &cancel;
    progress.step = [&](size_t done, const std::string& entry) {
      if (stepHook) stepHook();
      if (ctx.Cancelled()) cancel = true;
      ctx.SetDone(done);
      if (!entry.empty()) ctx.SetDetail(entry);
    };
    if (ctx.Cancelled()) cancel = true;
    work(progress);
  });
}

void TArchiveController::Apply(const TArcOutcome& out) {
  if (!out.acted) return;
  // The previews below are the normal ones, never the listing again.
  FlagScope scope(applying_);
  if (out.messageKind != TArcMessageKind::None && !out.message.empty())
    host_.MessageDlg(Q(out.message), QString(), MsgKindOf(out.messageKind), mbOK);
  if (!out.jumpFolder.empty()) host_.GoToFolder(out.jumpFolder);
  if (out.reloadList) {
    host_.RefreshAll();
    if (!out.reselect.empty()) host_.SelectFileByName(out.reselect);
  }
  if (out.normalPreview) {
    // The file itself replaces any report (extraction without folders).
    host_.PreviewSelectedFile();
  } else {
    if (out.fileInfo) {
      const std::string path = host_.HostSelectedPath();
      const FileStat st = StatPath(path);
      host_.SetInfoLine(st.found ? Q(InfoLinePieces1To8(path, st)) : QString(), host_.InfoLineColor());
    }
    if (out.setPane) host_.SetPaneText(out.paneText, out.labelBlue ? clBlue : host_.InfoLineColor());
  }
  if (out.labelText)
    host_.SetInfoLine(Q(*out.labelText), out.labelBlue ? clBlue : host_.InfoLineColor());
  else if (out.labelBlue)
    host_.SetInfoColor(clBlue);
}

bool TArchiveController::Preview() {
  if (applying_) return false;
  const std::string path = host_.HostSelectedPath();
  const bool show = host_.OptionChecked(cmd::Mlhashow, false);
  if (PreviewListsGeneral(show, path)) {
    TArcOutcome o = GeneralList(path);
    if (o.setPane) {
      Apply(o);
      return true;
    }
    return false;  // not an archive after all: the normal preview
  }
  if (!PreviewListsArchive(show, path, *lha_)) return false;
  Apply(LhaPreview(path, *lha_));
  return true;
}

TArchiveController* ArchiveControllerOf(const IHost& host) { return THostPart<TArchiveController>::Of(host); }

TArchiveController& InstallArchiveCommands(IHost& host) {
  auto* c = THostPart<TArchiveController>::Set(host, new TArchiveController(host, host.HostWindow()));
  auto run = [c](TArcCommand k) { return [c, k](IHost&) { c->Run(k); }; };
  auto lhaOn = [c](IHost&) { return LhaCommandsEnabled(c->LhaVersion()); };
  TCommandRegistry& reg = host.Commands();
  QMenu* menu = host.Menu(HostMenu::Archive);

  reg.Install(
      {
          WithButton({cmd::MlhaU, "LHA解凍(&X)", nullptr, run(TArcCommand::MlhaU), lhaOn,
                      "LHA解凍|選択した書庫を解凍します。"},
                     "archive-extract", {"書庫解凍", "書庫解凍(U)|書庫解凍(U)"}),
          WithButton({cmd::MlhaP, "LHA作成(&P)", nullptr, run(TArcCommand::MlhaP), lhaOn,
                      "LHA作成|選択したファイルをLHA書庫にします。"},
                     "archive-create", {"書庫作成", "書庫作成(P)|書庫作成(P)"}),
          WithButton({cmd::Mlhalist, "LHA一覧(&L)", nullptr, run(TArcCommand::Mlhalist), lhaOn,
                      "LHA一覧|選択した書庫の内容を表示します。"},
                     "archive-list", {"書庫内一覧", "書庫内一覧(I)|書庫内一覧(I)"}),
      },
      menu);
  c->LhaCommandMenu = menu->addMenu("LHAコマンド(&H)");
  c->LhaCommandMenu->setObjectName("MlhacommandMenu");
  c->LhaCommandMenu->menuAction()->setObjectName("Mlhacommand");
  reg.Install(
      {
          {cmd::Mlha_V, "LHA一覧-拡張（&V）", nullptr, run(TArcCommand::Mlha_V), lhaOn,
           "LHA一覧-拡張|書庫の内容を長い名前で表示します。"},
          {cmd::Mlha_E, "LHA解凍-書庫のみ(&E)", nullptr, run(TArcCommand::Mlha_E), lhaOn,
           "LHA解凍-書庫のみ|フォルダーを作らずに解凍します。"},
      },
      c->LhaCommandMenu);
  menu->addSeparator();
  reg.Install(
      {
          {cmd::Marcunpack1, "解凍(&U)", nullptr, run(TArcCommand::Marcunpack1), {}, "解凍|選択した書庫を解凍します。"},
          {cmd::Marclist1,
           "一覧(&V)",
           nullptr,
           run(TArcCommand::Marclist1),
           {},
           "一覧|選択した書庫の内容を表示します。"},
          {cmd::Marcmake, "作成(&N)", nullptr, run(TArcCommand::Marcmake), {}, "作成|選択したファイルを書庫にします。"},
      },
      menu);
  QMenu* sub = c->LhaCommandMenu;
  QObject::connect(menu, &QMenu::aboutToShow, c,
                   [c, sub] { sub->menuAction()->setEnabled(LhaCommandsEnabled(c->LhaVersion())); });

  CommandRow show;
  show.name = cmd::Mlhashow;
  show.caption = "LHA書庫内容表示(&L)";
  show.hint = "LHA書庫内容表示|LHA書庫を選ぶと内容を表示します。";
  show.checkable = true;
  show.checked = false;
  reg.Install(show, host.Menu(HostMenu::Option));

  // The same items in the file list's pop-up menu.
  if (QMenu* popup = host.Menu(HostMenu::FileListPopup)) {
    popup->addSeparator();
    for (CommandName n : {cmd::MlhaU, cmd::MlhaP, cmd::Mlhalist}) reg.AddTo(popup, n);
    popup->addMenu(sub);
    for (CommandName n : {cmd::Marcunpack1, cmd::Marclist1, cmd::Marcmake}) reg.AddTo(popup, n);
    QObject::connect(popup, &QMenu::aboutToShow, c, [c, popup, sub, &host] {
      host.Commands().UpdateEnabling(popup);
      sub->menuAction()->setEnabled(LhaCommandsEnabled(c->LhaVersion()));
    });
    // Keys and buttons ask the rule themselves: the pop-up's verdict must
    // not stay on the shared actions.
    QObject::connect(popup, &QMenu::aboutToHide, c, [&host] {
      for (CommandName n : kLhaNames)
        if (QAction* a = host.Commands().Action(n)) a->setEnabled(true);
    });
  }

  host.SetPreviewOverride([c] { return c->Preview(); });
  c->ApplyLhaAvailability();
  return *c;
}

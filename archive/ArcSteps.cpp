// The archive commands as ask -> plan -> execute: the window asks before
// any work, the plan holds every answer, and the work runs without asking,
// so a job thread never needs the window and nothing is done twice.
#include <sys/stat.h>

#include <set>

#include "archive/ArcCommands.h"
#include "archive/Archives.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"

namespace navirt {

namespace {

const char* const kNotExtracted = "解凍できませんでした。";

TArcAsk Stop(TArcOutcome out = {}) {
  TArcAsk a;
  a.stop = true;
  a.stopped = std::move(out);
  return a;
}

TArcOutcome NotExtracted() {
  TArcOutcome out;
  out.acted = true;
  out.messageKind = TArcMessageKind::Warning;
  out.message = kNotExtracted;
  return out;
}

TArcAsk AskTarget(const TArcSelection& sel, bool lhaRoute) {
  TArcAsk a;
  a.question = TArcQuestion::Target;
  a.target = ExtractDialog(sel);
  a.lhaRoute = lhaRoute;
  return a;
}

// The LHA extractions check the archive before their dialog.
TArcAsk AskLhaExtract(const TArcSelection& sel, const TLhaDirect& lha) {
  if (sel.selectedPath.empty() || !LhaCommandsEnabled(lha.Version())) return Stop();
  if (!lha.Check(sel.selectedPath, 4)) return Stop(NotExtracted());
  return AskTarget(sel, true);
}

TArcAsk AskGeneralExtract(const TArcSelection& sel) {
  if (sel.selectedPath.empty() || !GeneralExtractAccepts(sel.selectedPath)) return Stop();
  return AskTarget(sel, false);
}

TArcAsk AskName(TInputDialogModel m, const char* section) {
  TArcAsk a;
  a.question = TArcQuestion::Name;
  a.name = std::move(m);
  a.nameSection = section;
  return a;
}

TArcOutcome BadName(const std::string& message) {
  TArcOutcome out;
  out.acted = !message.empty();
  out.messageKind = message.empty() ? TArcMessageKind::None : TArcMessageKind::Warning;
  out.message = message;
  return out;
}

bool IsExtraction(TArcCommand c) {
  return c == TArcCommand::MlhaU || c == TArcCommand::Mlha_E || c == TArcCommand::Marcunpack1;
}

// The line the pane gets for the files an extraction left alone.
std::string KeptLine(size_t kept) {
  return Utf8ToCp932("既にあった " + std::to_string(kept) + " 個のファイルはスキップしました（上書きしていません）。") +
         "\r\n";
}

}  // namespace

// ---- ask -------------------------------------------------------------------

TArcAsk AskArcCommand(TArcCommand cmd, const TArcSelection& sel, const TLhaDirect& lha, const TIniFile& ini) {
  const std::string& path = sel.selectedPath;
  TArcAsk ready;
  switch (cmd) {
    case TArcCommand::Mlhalist:
      if (path.empty()) return Stop();
      ready.lhaRoute = RouteByExtension(path, lha) == TArcRoute::Lha;
      return ready;
    case TArcCommand::Mlha_V:
      ready.lhaRoute = true;
      return ready;
    case TArcCommand::Marclist1:
      return ready;
    case TArcCommand::MlhaU:
      if (path.empty()) return Stop();
      return RouteByExtension(path, lha) == TArcRoute::Lha ? AskLhaExtract(sel, lha) : AskGeneralExtract(sel);
    case TArcCommand::Mlha_E:
      return AskLhaExtract(sel, lha);
    case TArcCommand::Marcunpack1:
      return AskGeneralExtract(sel);
    case TArcCommand::MlhaP:
      if (!LhaCommandsEnabled(lha.Version())) return Stop();
      return AskName(LhaCreateDialog(sel, ini), kLhaPackSection);
    case TArcCommand::Marcmake: {
      if (sel.listCount == 0) return Stop();
      TArcAsk a = AskName(ArcCreateDialog(sel, ini), kArcPackSection);
      a.sjisNames = ArcCreateSjisNames(ini);
      return a;
    }
  }
  return Stop();
}

// ---- plan ------------------------------------------------------------------

std::vector<std::string> ExistingTargets(const std::string& archive, const std::string& folder, bool flat,
                                         const TArcProgress* progress) {
  std::vector<std::string> found;
  std::set<std::string> seen;
  try {
    TArchiveFile f;
    f.SetFileName(archive);
    if (!f.Open(nullptr, 0)) return found;
    TIndividualInfo info;
    size_t done = 0;
    for (int r = f.FindFirst("*.*", info); r == 0; r = f.FindNext(info)) {
      std::string name = Cp932ToUtf8(info.szFileName);
      if (progress && progress->Cancelled()) break;
      // The first entry, then every 64th: the job's window shows a name soon.
      if (progress && progress->step && (done++ & 63) == 0) progress->step(done, name);
      if (name.empty() || name.back() == '/') continue;  // a folder
      std::string target;
      // A name the library refuses lands nowhere.
      if (!arc::ExtractTargetOf(folder, name, !flat, target)) continue;
      struct stat st;
      if (::lstat(target.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) continue;
      if (seen.insert(target).second) found.push_back(target);
    }
    f.Close();
  } catch (const EArchiver&) {
    // The extraction itself says what is wrong with the archive.
  }
  return found;
}

const std::string* TArcPlan::Question() const {
  if (cancelled || next_ >= existing.size()) return nullptr;
  return &existing[next_];
}

void TArcPlan::Answer(TReplaceAnswer answer, bool toAll) {
  if (!Question()) return;
  if (answer == TReplaceAnswer::Cancel) {
    cancelled = true;
    return;
  }
  const size_t end = toAll ? existing.size() : next_ + 1;
  for (; next_ < end; ++next_) {
    if (answer == TReplaceAnswer::Replace)
      replace.push_back(existing[next_]);
    else
      ++kept;
  }
}

bool PlanListsArchive(TArcCommand cmd) { return IsExtraction(cmd); }

TArcPlan PlanArcCommand(TArcCommand cmd, const TArcSelection& sel, const TArcAsk& ask, const TLhaDirect& lha,
                        TIniFile& ini, const TArcProgress* progress) {
  TArcPlan plan;
  plan.command = cmd;
  plan.sel = sel;
  plan.lhaRoute = ask.lhaRoute;
  if (IsExtraction(cmd)) {
    plan.target = ask.target;
    plan.flat = cmd == TArcCommand::Mlha_E;
    const std::string folder = plan.target.TargetFolder();
    if (!folder.empty()) plan.existing = ExistingTargets(sel.selectedPath, folder, plan.flat, progress);
    plan.cancelled = progress && progress->Cancelled();
    return plan;
  }
  if (cmd == TArcCommand::MlhaP || cmd == TArcCommand::Marcmake) {
    plan.sjisNames = cmd == TArcCommand::Marcmake && ask.sjisNames;
    TInputDialogModel m = ask.name;
    std::string entered = m.Accept(ini, ask.nameSection);
    std::string message;
    plan.archivePath = cmd == TArcCommand::MlhaP ? LhaArchivePath(entered, sel.currentFolder, message)
                                                 : ArcArchivePath(entered, sel.currentFolder, message);
    if (plan.archivePath.empty()) {
      plan.stop = true;
      plan.stopped = BadName(message);
    }
  }
  return plan;
}

// ---- execute ---------------------------------------------------------------

TArcOutcome ExecuteArcPlan(const TArcPlan& plan, const TLhaDirect& lha, bool todirOpen, const TArcProgress* progress) {
  if (plan.stop) return plan.stopped;
  if (plan.cancelled) return {};
  const std::string& path = plan.sel.selectedPath;
  TArcOutcome out;
  switch (plan.command) {
    case TArcCommand::Mlhalist:
      return plan.lhaRoute ? LhaList(path, lha, false) : GeneralList(path, progress);
    case TArcCommand::Mlha_V:
      return LhaList(path, lha, true);
    case TArcCommand::Marclist1:
      return GeneralList(path, progress);
    case TArcCommand::MlhaU:
    case TArcCommand::Mlha_E:
    case TArcCommand::Marcunpack1:
      // Only the files answered Replace may be replaced, whatever the
      // format's own rule; any other file there is kept.
      out = plan.lhaRoute ? LhaExtract(path, plan.target, plan.flat, todirOpen, lha, progress, &plan.replace)
                          : GeneralExtract(path, plan.target, progress, &plan.replace);
      if (out.acted && plan.kept > 0 && out.setPane) out.paneText = KeptLine(plan.kept) + out.paneText;
      return out;
    case TArcCommand::MlhaP:
      return LhaCreate(plan.sel, plan.archivePath, lha);
    case TArcCommand::Marcmake:
      return GeneralCreate(plan.sel, plan.archivePath, progress, plan.sjisNames);
  }
  return {};
}

// ---- whole commands --------------------------------------------------------

TArcOutcome RunArcCommand(TArcCommand cmd, const TArcSelection& sel, TArcCommandEnv& env) {
  TArcAsk ask = AskArcCommand(cmd, sel, env.lha, env.ini);
  if (ask.stop) return ask.stopped;
  if (ask.question == TArcQuestion::Target && (!env.askTarget || !env.askTarget(ask.target))) return {};
  if (ask.question == TArcQuestion::Name && (!env.askName || !env.askName(ask.name))) return {};
  TArcPlan plan = PlanArcCommand(cmd, sel, ask, env.lha, env.ini);
  while (const std::string* existing = plan.Question()) {
    bool toAll = !env.askReplace;
    TReplaceAnswer a = env.askReplace ? env.askReplace(*existing, toAll) : TReplaceAnswer::Keep;
    plan.Answer(a, toAll);
  }
  return ExecuteArcPlan(plan, env.lha, env.todirOpen, env.progress);
}

}  // namespace navirt

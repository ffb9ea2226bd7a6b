// GCC 12 reports impossible overlaps inside std::string's inlined copies
// here (-Wrestrict); the code copies no overlapping ranges.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
#include "fileops/ui/FileOpsCommands.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QMetaObject>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <stdexcept>

#include "edit/PaneText.h"
#include "fileops/DirListing.h"
#include "fileops/FileCommands.h"
#include "fileops/Messages.h"
#include "fileops/SplitMerge.h"
#include "fileops/ui/FileOpsCommandIds.h"
#include "fileops/ui/FileOpsDialogs.h"
#include "host/ui/CommandTable.h"
#include "host/ui/FileDialog.h"
#include "host/ui/Host.h"
#include "host/ui/HostPart.h"
#include "host/ui/Job.h"
#include "host/ui/SharedCommandIds.h"
#include "platform/FileInfo.h"
#include "platform/Format.h"

using namespace navirt;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string S(const QString& s) { return s.toStdString(); }

TFileOpsController& Ctl(IHost& h) { return *FileOpsControllerOf(h); }

FileCommandContext Context(IHost& h) {
  FileCommandContext c;
  c.currentFolder = h.HostFolder();
  c.dialogdisp = h.OptionChecked(cmd::Mdialogdisp1, true);
  c.todiropen = h.OptionChecked(cmd::Mtodiropen1, false);
  c.dragdrop = h.OptionChecked(cmd::Mdragdrop1, false);
  return c;
}

bool HasSelection(IHost& h) { return !h.HostSelectedPath().empty(); }

TMsgKind KindOf(MessageKind k) {
  switch (k) {
    case MessageKind::Information:
      return TMsgKind::Information;
    case MessageKind::Error:
      return TMsgKind::Error;
    default:
      return TMsgKind::Warning;
  }
}

// Reload, go where the report says, select, then tell.
void Apply(IHost& h, const CommandReport& r) {
  h.RefreshAll();
  if (!r.gotoFolder.empty()) h.GoToFolder(r.gotoFolder);
  if (!r.selectName.empty()) h.SelectFileByName(r.selectName);
  if (r.kind != MessageKind::None && !r.message.empty()) h.MessageDlg(Q(r.message), "", KindOf(r.kind));
}

// Runs ask on the window's thread and waits for its answer: the job's
// questions are dialogs, and dialogs belong to the window's thread.
template <class T>
T AskOnWindow(QObject* receiver, std::function<T()> ask) {
  std::promise<T> answer;
  std::future<T> result = answer.get_future();
  QMetaObject::invokeMethod(
      receiver,
      [&] {
        try {
          answer.set_value(ask());
        } catch (...) {
          answer.set_exception(std::current_exception());
        }
      },
      Qt::QueuedConnection);
  return result.get();
}

// The progress window while it exists, so that questions sit above it and
// take input while the job holds the rest of the window.
QWidget* QuestionParent(IHost& h) {
  if (QWidget* job = RunningJobWindow()) return job;
  return h.HostWindow();
}

std::string ProgressDetail(const FileOpProgress& p) {
  return std::to_string(p.filesDone) + " / " + std::to_string(p.filesTotal) + "  " + FileNamePart(p.current) + "\n" +
         WithThousands(p.bytesDone) + " / " + WithThousands(p.bytesTotal) + " byte";
}

// Copy, move and delete as a job: progress, Cancel, and the questions
// about existing names and missing folders asked on the window's thread.
bool RunFileOpJob(IHost& h, const QString& title, const std::function<CommandReport(TSHFOP&)>& run,
                  CommandReport& report) {
  TFileOpsController& c = Ctl(h);
  std::atomic<bool> cancel{false};
  JobSpec spec{title, title + "中．．．", QString(), c.jobShowAfterMs};
  JobOutcome out = RunJob(h, spec, [&](TJobContext& job) {
    FileOpHooks& hooks = c.op.hooks;
    hooks.cancel = &cancel;
    hooks.trash = c.trash;
    hooks.progress = [&](const FileOpProgress& p) {
      if (c.stepHook) c.stepHook();
      if (job.Cancelled()) cancel = true;
      job.SetTotal(p.bytesTotal ? p.bytesTotal : p.filesTotal);
      job.SetDone(p.bytesTotal ? p.bytesDone : p.filesDone);
      job.SetDetail(ProgressDetail(p));
    };
    hooks.conflict = [&](const ConflictQuestion& q) {
      if (job.Cancelled()) return ConflictReply{ConflictAnswer::Cancel, false};
      ConflictReply r = AskOnWindow<ConflictReply>(&c, [&] {
        TConflictDialog dlg(QuestionParent(h), q);
        h.ExecDialog(dlg);
        return dlg.reply;
      });
      if (r.answer == ConflictAnswer::Cancel) cancel = true;
      return r;
    };
    hooks.confirmMkdir = [&](const std::string& question) {
      return AskOnWindow<bool>(&c, [&] {
        QApplication::beep();
        return h.MessageDlg(Q(question), "", TMsgKind::Confirmation, mbOK | mbCancel) == mbOK;
      });
    };
    report = run(c.op);
  });
  c.op.hooks = FileOpHooks{};
  return !out.failed;
}

std::vector<std::string> Names(const std::vector<std::string>& paths) {
  std::vector<std::string> out;
  for (std::string p : paths) {
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    out.push_back(FileNamePart(p));
  }
  return out;
}

// ---- copy and move ----

void Transfer(IHost& h, bool move) {
  std::vector<std::string> sources = h.HostSelectedPaths();
  if (sources.empty()) return;
  TFileOpDialogModel model;
  model.Open(h.OpenSettings(), h.HostFolder(), move ? TFileOpDialogModel::Move : TFileOpDialogModel::Copy, sources);
  TForm2 dlg(h.HostWindow(), model);
  if (h.ExecDialog(dlg) != QDialog::Accepted) return;
  TIniFile ini = h.OpenSettings();
  std::string target = model.Accept(ini);
  h.WriteSettings(ini);
  if (target.empty()) return;
  FileCommandContext ctx = Context(h);
  CommandReport r;
  bool ran = RunFileOpJob(
      h, move ? "ファイルの移動" : "ファイルのコピー",
      [&](TSHFOP& op) { return move ? RunMove(op, ctx, sources, target) : RunCopy(op, ctx, sources, target); }, r);
  if (!ran) {
    h.RefreshAll();
    return;
  }
  Apply(h, r);
}

// ---- drops ----

// A drop reloads the list and tells; the selection and the folder stay.
void CopyAsDrop(IHost& h, const std::function<CommandReport(TSHFOP&)>& run) {
  CommandReport r;
  if (!RunFileOpJob(h, "ファイルのコピー", run, r)) {
    h.RefreshAll();
    return;
  }
  if (!r.ok && r.kind == MessageKind::None) return;  // an ignored drop changes nothing
  r.gotoFolder.clear();
  r.selectName.clear();
  Apply(h, r);
}

// ---- delete ----

void Delete(IHost& h, bool forGood) {
  std::vector<std::string> sources = h.HostSelectedPaths();
  if (sources.empty()) return;
  QString question = forGood               ? QString(msg::kDeleteForGood)
                     : sources.size() == 1 ? Q(Names(sources).front()) + " をごみ箱に移動しますか？"
                                           : QString("%1 個の項目をごみ箱に移動しますか？").arg(sources.size());
  if (h.MessageDlg(question, forGood ? "ファイルの削除" : "ごみ箱へ移動", TMsgKind::Confirmation, mbYes | mbNo) !=
      mbYes)
    return;
  FileCommandContext ctx = Context(h);
  CommandReport r;
  bool ran = RunFileOpJob(
      h, "ファイルの削除",
      [&](TSHFOP& op) { return forGood ? RunPermanentDelete(op, ctx, sources) : RunTrash(op, ctx, sources); }, r);
  h.RefreshAll();
  if (ran && r.kind != MessageKind::None) h.MessageDlg(Q(r.message), "", KindOf(r.kind));
}

// ---- rename, duplicate, make folder ----

bool Ask(IHost& h, const TInputDialogModel& m) {
  return h.InputQuery(Q(m.caption), Q(m.prompt), Q(m.note), "", Q(m.text));
}

void Rename(IHost& h) {
  std::string path = h.HostSelectedPath();
  if (path.empty()) return;
  std::string name = Names({path}).front();
  if (!Ask(h, RenameDialog(name))) return;
  Apply(h, RunRename(Context(h), name, S(h.Answer())));
}

void Duplicate(IHost& h) {
  std::string path = h.HostSelectedPath();
  if (path.empty() || !IsRegularFile(path)) return;
  std::string name = FileNamePart(path);
  if (!Ask(h, DuplicateDialog(name))) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  CommandReport r = RunDuplicate(Context(h), name, S(h.Answer()));
  QApplication::restoreOverrideCursor();
  Apply(h, r);
}

void MakeFolder(IHost& h) {
  if (h.HostFolder().empty()) return;
  if (!Ask(h, MakeFolderDialog(h.HostFolder()))) return;
  std::string name = S(h.Answer());
  if (name.empty()) return;
  Apply(h, RunMakeFolder(Context(h), name));
}

// ---- attributes ----

void Attributes(IHost& h) {
  std::string path = h.HostSelectedPath();
  if (path.empty()) return;
  TAttributeDialogModel model(*Ctl(h).attributes);
  std::string warning = model.Open(path);
  if (!warning.empty()) h.MessageDlg(Q(warning), "", TMsgKind::Warning);
  TForm5 dlg(h.HostWindow(), model);
  bool ok = h.ExecDialog(dlg) == QDialog::Accepted;
  if (ok) {
    warning = model.Accept();
    if (!warning.empty()) h.MessageDlg(Q(warning), "", TMsgKind::Warning);
  }
  h.RefreshAll();
  h.SelectFileByName(Names({path}).front());
}

// ---- split and merge ----

void SplitJobProgress(TFileOpsController& c, TJobContext& job, std::atomic<bool>& cancel, const JobProgress& p) {
  if (c.stepHook) c.stepHook();
  if (job.Cancelled()) cancel = true;
  job.SetTotal(p.steps);
  job.SetDone(p.step);
  job.SetDetail(std::to_string(p.step) + " / " + std::to_string(p.steps) + "  " + FileNamePart(p.current));
}

void Split(IHost& h) {
  std::string path = h.HostSelectedPath();
  if (path.empty() || !IsRegularFile(path)) return;
  std::error_code ec;
  uint64_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    h.MessageDlg(Q(path + "\n" + ec.message()), "", TMsgKind::Error);
    return;
  }
  TSplitDialogModel model;
  model.Open(h.OpenSettings(), path, size);
  TForm17 dlg(h.HostWindow(), model);
  std::string answer;
  dlg.onWarning = [&](const std::string& w) { h.MessageDlg(Q(w), "", TMsgKind::Warning); };
  dlg.onOk = [&] {
    TIniFile ini = h.OpenSettings();
    std::string warning;
    if (!model.Accept(ini, answer, warning)) {
      dlg.Show();
      if (!warning.empty()) h.MessageDlg(Q(warning), "", TMsgKind::Warning);
      return false;
    }
    h.WriteSettings(ini);
    return true;
  };
  if (h.ExecDialog(dlg) != QDialog::Accepted) return;
  uint64_t pieceSize = 0;
  if (!ParsePieceSize(answer, pieceSize)) return;
  TFileOpsController& c = Ctl(h);
  std::atomic<bool> cancel{false};
  JobResult result;
  JobSpec spec{Q(SplitProgressCaption()), Q(SplitProgressLabel(path)),
               Q(SplitProgressCount(0, PieceCount(size, pieceSize))), c.jobShowAfterMs};
  JobOutcome out = RunJob(h, spec, [&](TJobContext& job) {
    JobHooks hooks;
    hooks.cancel = &cancel;
    hooks.progress = [&](const JobProgress& p) { SplitJobProgress(c, job, cancel, p); };
    // An existing piece or command file: the copy commands' question.
    bool replaceAll = false;
    hooks.replace = [&](const std::string& existing) {
      if (replaceAll) return true;
      if (job.Cancelled()) return false;
      ConflictQuestion q{path, existing};
      ConflictReply r = AskOnWindow<ConflictReply>(&c, [&] {
        TConflictDialog dlg(QuestionParent(h), q);
        h.ExecDialog(dlg);
        return dlg.reply;
      });
      replaceAll = r.answer == ConflictAnswer::Overwrite && r.applyToAll;
      return r.answer == ConflictAnswer::Overwrite;
    };
    result = SplitFile(path, pieceSize, hooks);
  });
  h.RefreshAll();
  if (out.failed) return;
  if (!result.ok && !result.cancelled && !result.error.empty()) h.MessageDlg(Q(result.error), "", TMsgKind::Error);
  if (!result.cancelled) h.SelectFileByName(FileNamePart(path));
}

void Merge(IHost& h) {
  std::vector<std::string> paths = h.HostSelectedPaths();
  if (paths.empty()) return;
  TMergeDialogModel model;
  model.Open(h.HostFolder(), Names(paths));
  TForm20 dlg(h.HostWindow(), model);
  if (h.ExecDialog(dlg) != QDialog::Accepted || !model.OkEnabled() || model.items.empty()) return;
  std::string target = model.TargetPath();
  std::vector<std::string> files = model.SourcePaths();
  JobResult prepared = PrepareMerge(target, files);
  if (!prepared.ok) {
    h.RefreshAll();
    h.MessageDlg(Q(prepared.error), "", TMsgKind::Error);
    return;
  }
  TFileOpsController& c = Ctl(h);
  std::atomic<bool> cancel{false};
  JobResult result;
  JobSpec spec{"ファイル結合", Q(FileNamePart(target) + " に結合中"), QString(), c.jobShowAfterMs};
  JobOutcome out = RunJob(h, spec, [&](TJobContext& job) {
    JobHooks hooks;
    hooks.cancel = &cancel;
    hooks.progress = [&](const JobProgress& p) { SplitJobProgress(c, job, cancel, p); };
    result = MergeFiles(target, files, hooks);
  });
  h.RefreshAll();
  if (out.failed) return;
  if (!result.ok) {
    if (!result.cancelled && !result.error.empty()) h.MessageDlg(Q(result.error), "", TMsgKind::Error);
    return;
  }
  h.SelectFileByName(FileNamePart(target));
  if (h.OptionChecked(cmd::Mdialogdisp1, true)) h.MessageDlg(msg::kMerged, "", TMsgKind::Information);
}

// ---- listings ----

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void RunListing(IHost& h, const std::string& arguments) {
  std::string out = ListingTempPath();
  std::error_code ec;
  std::filesystem::create_directories(FolderPart(out), ec);
  std::string bytes;
  JobSpec spec{"dirｺﾏﾝﾄﾞ結果表示", Q(DirResultLabel(arguments)), QString(), Ctl(h).jobShowAfterMs, false};
  const std::string program = Ctl(h).dirProgram.empty() ? DirProgramPath() : Ctl(h).dirProgram;
  JobOutcome o = RunJob(h, spec, [&](TJobContext& job) {
    std::string error;
    if (!RunDirProgram(program, arguments, out, error, [&job] { return job.Cancelled(); })) {
      if (job.Cancelled()) return;  // the process is gone; the pane stays
      throw std::runtime_error(error);
    }
    bytes = ReadWhole(out);
  });
  if (o.failed || o.cancelled) return;
  h.SetPaneLines(SplitLines(bytes), clBlue);
  h.SetInfoLine(Q(DirResultLabel(arguments)), clBlue);
}

void DirectListing(IHost& h) {
  TInputDialogModel m = DirectListingDialog(h.HostFolder());
  if (!h.InputQuery(Q(m.caption), Q(m.prompt), Q(m.note), kDirSetSection, Q(m.text))) return;
  std::string args = S(h.Answer());
  if (args.empty()) return;
  RunListing(h, args);
}

void ListingDialog(IHost& h) {
  TDirDialogModel model;
  model.Open(h.OpenSettings(), h.HostFolder());
  TForm7 dlg(h.HostWindow(), model);
  if (h.ExecDialog(dlg) != QDialog::Accepted) return;
  TIniFile ini = h.OpenSettings();
  std::string args = model.Accept(ini);
  h.WriteSettings(ini);
  RunListing(h, args);
}

// ---- name lists ----

// The names the file list shows, in its order.
std::vector<std::string> ListNames(IHost& h) {
  std::vector<std::string> names;
  QTreeView* view = h.FileListView();
  if (!view || !view->model()) return names;
  QAbstractItemModel* m = view->model();
  for (int r = 0; r < m->rowCount(); ++r) names.push_back(S(m->index(r, 0).data(Qt::DisplayRole).toString()));
  return names;
}

void TreeNodes(QAbstractItemModel* m, const QModelIndex& parent, int level, std::vector<TreeLine>& out) {
  for (int r = 0; r < m->rowCount(parent); ++r) {
    QModelIndex i = m->index(r, 0, parent);
    out.push_back({level, S(i.data(Qt::DisplayRole).toString())});
    TreeNodes(m, i, level + 1, out);
  }
}

// The save dialog; empty when cancelled.
std::string AskSavePath(IHost& h, const char* title) {
  QFileDialog dlg(h.HostWindow(), title, Q(h.HostFolder()), "テキスト (*.txt);;すべて (*)");
  dlg.setObjectName("SaveDialog1");
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  SetUpFileDialog(dlg);
  dlg.selectFile(Q(DefaultNamesFile(h.HostFolder())));
  if (h.ExecDialog(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  return S(dlg.selectedFiles().first());
}

void SaveText(IHost& h, const std::string& path, const std::string& text) {
  std::string message;
  bool ok = SaveListText(path, text, message);
  h.RefreshAll();
  if (!ok)
    h.MessageDlg(Q(message), "", TMsgKind::Error);
  else if (h.OptionChecked(cmd::Mdialogdisp1, true))
    h.MessageDlg(Q(message), "", TMsgKind::Information);
}

void SaveNames(IHost& h, bool fullPaths) {
  std::vector<std::string> names = ListNames(h);
  std::string path = AskSavePath(h, kSaveNamesTitle);
  if (path.empty()) return;
  SaveText(h, path, FileNamesText(h.HostFolder(), names, fullPaths));
}

void SaveTree(IHost& h) {
  std::vector<TreeLine> nodes;
  if (QTreeView* tree = h.FolderTree(); tree && tree->model()) TreeNodes(tree->model(), tree->rootIndex(), 0, nodes);
  std::string path = AskSavePath(h, kSaveTreeTitle);
  if (path.empty()) return;
  SaveText(h, path, FolderTreeText(nodes));
}

void CopyPath(IHost& h) {
  std::string path = h.HostSelectedPath();
  if (path.empty()) return;
  QApplication::clipboard()->setText(Q(path));
}

}  // namespace

void CopyFilesInto(IHost& h, const std::vector<std::string>& sources, const std::string& target) {
  if (sources.empty()) return;
  FileCommandContext ctx = Context(h);
  CopyAsDrop(h, [&](TSHFOP& op) { return RunCopy(op, ctx, sources, target); });
}

void CopyDroppedFiles(IHost& h, const std::vector<std::string>& dropped) {
  FileCommandContext ctx = Context(h);
  if (!ctx.dragdrop || dropped.empty()) return;
  CopyAsDrop(h, [&](TSHFOP& op) { return RunDrop(op, ctx, dropped); });
}

TFileOpsController::TFileOpsController(IHost& h, QObject* owner)
    : QObject(owner), host(h), systemTrash_(std::make_unique<FreedesktopTrash>()) {
  setObjectName("FileOpsController");
  trash = systemTrash_.get();
  attributes = &systemAttributes_;
}

TFileOpsController* FileOpsControllerOf(const IHost& host) { return THostPart<TFileOpsController>::Of(host); }

TFileOpsController& InstallFileOpsCommands(IHost& host) {
  auto* controller = THostPart<TFileOpsController>::Set(host, new TFileOpsController(host, host.HostWindow()));
  std::vector<CommandRow> rows = {
      WithButton({cmd::Mfilecopy, "ファイル　コピー(&C)", nullptr, [](IHost& h) { Transfer(h, false); }, HasSelection,
                  "コピー|選択したファイルを別のフォルダーにコピーします。"},
                 "file-copy", {"コピー(C)"}),
      WithButton({cmd::Mfilemove, "ファイル　移動(&M)", nullptr, [](IHost& h) { Transfer(h, true); }, HasSelection,
                  "移動|選択したファイルを別のフォルダーに移動します。"},
                 "file-move", {"移動(M)"}),
      WithButton({cmd::Mfiledelete, "ファイル　削除(&D)", nullptr, [](IHost& h) { Delete(h, false); }, HasSelection,
                  "削除|選択したファイルをごみ箱に移動します。"},
                 "file-delete", {"削除(D)"}),
      {cmd::Mfiledelete2, "SHIFT+DEL ファイルの削除", nullptr, [](IHost& h) { Delete(h, true); }, HasSelection,
       "完全に削除|選択したファイルを完全に削除します。"},
      WithButton({cmd::Mrename, "ファイル　名前の変更(&R)", nullptr, Rename, HasSelection,
                  "名前の変更|選択したファイルの名前を変更します。"},
                 "file-rename", {"名前の変更(R)"}),
      {cmd::Mfilefukusei, "ファイル　別名複製", nullptr, Duplicate, HasSelection},
      {cmd::Mmkdir, "ディレクトリ作成(&K)", nullptr, MakeFolder},
      WithButton({cmd::Mpropaty, "ファイル　属性の変更(&A)", nullptr, Attributes, HasSelection,
                  "属性変更|選択したファイルの属性を変更します。"},
                 "file-attributes", {"属性変更(A)"}),
      {cmd::Mfilediv, "ファイル　分割(&L)", nullptr, Split, HasSelection},
      {cmd::Mfilemerge, "ファイル　結合(&B)", nullptr, Merge, HasSelection},
      {cmd::Mdircommand1, "dirコマンド-ダイレクト(&R)", nullptr, DirectListing},
      WithButton({cmd::Mdircommand2,
                  "dirコマンド-詳細(&A)",
                  nullptr,
                  ListingDialog,
                  {},
                  "dirコマンド|dir コマンドの結果を表示します。"},
                 "dir-listing", {"dirコマンド"}),
      {cmd::Mfilenamesave1, "名前のみ(&O)", nullptr, [](IHost& h) { SaveNames(h, false); }},
      {cmd::Mfilenamesave2, "フルパス(&T)", nullptr, [](IHost& h) { SaveNames(h, true); }},
      {cmd::Mfoldersave, "フォルダー名の保存(&D)", nullptr, SaveTree},
      {cmd::Mfilenamecopy1, "コピー(&Y)", nullptr, CopyPath, HasSelection},
  };
  QMenu* file = host.Menu(HostMenu::File);
  TCommandRegistry& reg = host.Commands();
  if (file && !file->actions().isEmpty()) file->addSeparator();
  // Rows 0..9 go straight in the file menu; the listings and name lists
  // stand in the information menu, after the file-name listings.
  for (size_t i = 0; i < 10; ++i) reg.Install(rows[i], file);
  QMenu* info = host.Menu(HostMenu::Info);
  QMenu* dir = info ? info->addMenu("dirコマンド(&I)") : nullptr;
  reg.Install(rows[10], dir);
  reg.Install(rows[11], dir);
  QMenu* names = info ? info->addMenu("ファイル名の保存(&O)") : nullptr;
  reg.Install(rows[12], names);
  reg.Install(rows[13], names);
  reg.Install(rows[14], info);
  QMenu* path = info ? info->addMenu("パス名(&P)") : nullptr;
  reg.Install(rows[15], path);
  if (info) info->addSeparator();

  if (!reg.Has(cmd::Mdialogdisp1))
    reg.Install(CommandRow{cmd::Mdialogdisp1, "処理後確認表示(&D)", nullptr, {}, {}, nullptr, true, true},
                host.Menu(HostMenu::Option));

  if (QMenu* popup = host.Menu(HostMenu::FileListPopup)) {
    popup->addSeparator();
    for (CommandName n : {cmd::Mfilecopy, cmd::Mfilemove, cmd::Mfiledelete, cmd::Mrename, cmd::Mfilefukusei,
                          cmd::Mpropaty, cmd::Mmkdir, cmd::Mfilenamecopy1})
      reg.AddTo(popup, n);
  }
  return *controller;
}

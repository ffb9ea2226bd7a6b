#include "fileops/FileCommands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

#include "fileops/Messages.h"
#include "platform/FileCopy.h"
#include "platform/FileInfo.h"

namespace navirt {
namespace {

std::string Tidy(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

bool SameFolder(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return Tidy(a) == Tidy(b);
}

// The files a copy or move put in place: the written files, and those
// inside written folders (a folder moved whole is written as one name).
size_t WrittenFileCount(const std::vector<std::string>& written) {
  std::set<std::string> files;
  for (const std::string& w : written) {
    std::error_code ec;
    const auto st = std::filesystem::symlink_status(w, ec);
    if (ec) continue;
    if (!std::filesystem::is_directory(st)) {
      files.insert(w);
      continue;
    }
    for (auto it = std::filesystem::recursive_directory_iterator(w, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      if (!it->is_directory(ec)) files.insert(it->path().string());
  }
  return files.size();
}

bool Exists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

CommandReport Failure(const std::string& message, MessageKind kind = MessageKind::Warning) {
  CommandReport r;
  r.kind = kind;
  r.message = message;
  return r;
}

// Copy and move share everything but their texts and the first-item rule.
CommandReport Transfer(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& sources,
                       const std::string& target, bool move, bool dropped = false) {
  const char* failText = move ? msg::kMoveFailed : msg::kCopyFailed;
  CommandReport r;
  if (sources.empty()) return r;
  std::string first = FileNamePart(Tidy(sources.front()));
  r.selectName = first;
  if (!dropped && SameFolder(target, ctx.currentFolder)) {
    r.kind = MessageKind::Warning;
    r.message = failText;
    return r;
  }
  op.OperationF = move ? wMOVE : wCOPY;
  if (!move) op.Options |= ALLOWUNDO;
  op.ProgressTitle = move ? "ファイルの移動" : "ファイルのコピー";
  op.FromFFList = sources;
  op.ToFolder = target;
  bool ok = op.Execute();
  op.FromFFList.clear();
  if (!ok) {
    r.kind = MessageKind::Warning;
    // A refusal or a system failure says what happened; the command's own
    // warning follows in the same box.
    r.message = op.ErrorText().empty() ? failText : op.ErrorText() + "\n" + failText;
    return r;
  }
  r.ok = true;
  if (ctx.todiropen) r.gotoFolder = target;
  if (ctx.dialogdisp) {
    r.kind = MessageKind::Information;
    r.message = std::to_string(WrittenFileCount(op.Written())) + (move ? msg::kMoved : msg::kCopied);
  }
  return r;
}

CommandReport Delete(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& sources, bool undo) {
  CommandReport r;
  if (sources.empty()) return r;
  op.OperationF = wDELETE;
  if (undo)
    op.Options |= ALLOWUNDO;
  else
    op.Options &= ~ALLOWUNDO;
  op.ProgressTitle = "ファイルの削除";
  op.FromFFList = sources;
  op.ToFolder.clear();
  bool ok = op.Execute();
  op.FromFFList.clear();
  size_t gone = 0;
  for (const std::string& s : sources) gone += !Exists(s);
  r.ok = ok;
  if (!ok && !op.ErrorText().empty()) {
    r.kind = MessageKind::Error;
    r.message = op.ErrorText();
  } else if (gone > 0 && ctx.dialogdisp) {
    r.kind = MessageKind::Information;
    r.message = std::to_string(sources.size()) + msg::kDeleted;
  }
  return r;
}

}  // namespace

CommandReport RunCopy(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& sources,
                      const std::string& target) {
  return Transfer(op, ctx, sources, target, false);
}

CommandReport RunMove(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& sources,
                      const std::string& target) {
  return Transfer(op, ctx, sources, target, true);
}

CommandReport RunTrash(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& sources) {
  return Delete(op, ctx, sources, true);
}

CommandReport RunPermanentDelete(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& sources) {
  return Delete(op, ctx, sources, false);
}

CommandReport RunDrop(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& dropped) {
  if (!ctx.dragdrop || dropped.empty()) return {};
  if (SameFolder(FolderPart(Tidy(dropped.front())), ctx.currentFolder)) return {};
  op.Options |= ALLOWUNDO;
  FileCommandContext c = ctx;
  c.todiropen = false;
  return Transfer(op, c, dropped, ctx.currentFolder, false, true);
}

CommandReport RunRename(const FileCommandContext& ctx, const std::string& oldName, const std::string& newName) {
  CommandReport r;
  r.selectName = oldName;
  if (newName.empty() || newName == oldName) return r;
  if (newName.find('/') != std::string::npos) return Failure(msg::kSlashInName);
  std::string folder = WithTrailingSlash(ctx.currentFolder);
  // Only the name changes, and never over another file.
  if (!RenameNoReplace(folder + oldName, folder + newName)) {
    if (errno == EEXIST) return Failure(msg::kNameExists);
    return r;  // the old program showed nothing for a failed rename
  }
  r.ok = true;
  r.selectName = newName;
  return r;
}

CommandReport RunDuplicate(const FileCommandContext& ctx, const std::string& name, const std::string& newName) {
  CommandReport r;
  r.selectName = name;
  std::string folder = WithTrailingSlash(ctx.currentFolder);
  if (newName.empty() || newName == name || !IsRegularFile(folder + name)) return r;
  if (newName.find('/') != std::string::npos) return Failure(msg::kSlashInName);
  if (Exists(folder + newName)) return Failure(msg::kNameExists);
  int in = ::open((folder + name).c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Failure(std::strerror(errno), MessageKind::Error);
  std::string tmp;
  int out = CreateTemporaryIn(folder, tmp);
  if (out < 0) {
    int e = errno;
    ::close(in);
    return Failure(std::strerror(e), MessageKind::Error);
  }
  ByteCopyResult c = CopyFileBytes(in, out);
  struct stat st;
  bool ok = c.ok && ::fstat(in, &st) == 0 && ::fchmod(out, st.st_mode & 07777) == 0;
  std::string error = c.ok ? std::string(std::strerror(errno)) : c.error;
  ::close(in);
  if (::close(out) != 0 && ok) ok = false, error = std::strerror(errno);
  if (ok && !RenameNoReplace(tmp, folder + newName)) ok = false, error = std::strerror(errno);
  if (!ok) {
    ::unlink(tmp.c_str());
    return Failure(error, MessageKind::Error);
  }
  r.ok = true;
  r.selectName = newName;
  return r;
}

CommandReport RunMakeFolder(const FileCommandContext& ctx, const std::string& name) {
  CommandReport r;
  if (name.empty()) return r;
  if (name.find('/') != std::string::npos) return Failure(msg::kSlashInName);
  if (::mkdir((WithTrailingSlash(ctx.currentFolder) + name).c_str(), 0777) != 0)
    return Failure(std::strerror(errno), MessageKind::Error);
  r.ok = true;
  return r;
}

TInputDialogModel RenameDialog(const std::string& name) {
  TInputDialogModel m;
  m.caption = "ファイル名の変更";
  m.prompt = name + " ->　新しい名前は？";
  m.text = name;
  return m;
}

TInputDialogModel DuplicateDialog(const std::string& name) {
  TInputDialogModel m;
  m.caption = "ファイル別名複製";
  m.prompt = name + " ->新しい名前？";
  m.text = name;
  return m;
}

TInputDialogModel MakeFolderDialog(const std::string& currentFolder) {
  TInputDialogModel m;
  m.caption = "ﾃﾞｨﾚｸﾄﾘの作成";
  m.prompt = currentFolder + " の下に作成するﾃﾞｨﾚｸﾄﾘ名";
  return m;
}

void TFileOpDialogModel::Open(const TIniFile& ini, const std::string& currentFolder, Choice choice,
                              const std::vector<std::string>& sources) {
  history = LoadHistoryList(ini, kSection, kCountKey);
  LDirectory = currentFolder;
  RGfile = choice;
  Memo1 = sources;
  Lfiles = std::to_string(sources.size()) + msg::kFiles;
  CBdir = choice == Extract ? currentFolder : history.empty() ? std::string() : history.front();
}

void TFileOpDialogModel::ChooseFolder(const std::string& folder) {
  CBdir = folder;
  LDirectory = folder;
}

std::string TFileOpDialogModel::Accept(TIniFile& ini) {
  history = SaveHistoryList(ini, kSection, history, CBdir, kCountKey, kCap);
  return CBdir;
}

std::string TAttributeDialogModel::Open(const std::string& filePath) {
  path = filePath;
  uint32_t a = 0;
  hiddenEnabled = !IsDotName(FileNamePart(Tidy(filePath)));
  if (!attrs_.Read(filePath, a)) {
    boxesEnabled = false;
    hiddenEnabled = false;
    readOnly = archive = system = hidden = false;
    return msg::kAttrReadFailed;
  }
  boxesEnabled = true;
  original_ = a & (faReadOnly | faArchive | faSysFile | faHidden);
  readOnly = a & faReadOnly;
  archive = a & faArchive;
  system = a & faSysFile;
  hidden = (a & faHidden) || !hiddenEnabled;
  return {};
}

uint32_t TAttributeDialogModel::Attributes() const {
  uint32_t a = 0;
  if (readOnly) a |= faReadOnly;
  if (archive) a |= faArchive;
  if (system) a |= faSysFile;
  if (hidden || !hiddenEnabled) a |= faHidden;
  return a;
}

std::string TAttributeDialogModel::Accept() {
  if (!boxesEnabled) return {};
  uint32_t want = Attributes();
  if (want == original_) return {};
  std::string error;
  if (!attrs_.Write(path, want, &error)) return msg::kAttrWriteFailed;
  original_ = want;
  return {};
}

}  // namespace navirt

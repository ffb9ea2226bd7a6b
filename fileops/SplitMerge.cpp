#include "fileops/SplitMerge.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "fileops/Messages.h"
#include "fileops/SHFOP.h"
#include "platform/AtomicFile.h"
#include "platform/FileCopy.h"
#include "platform/FileInfo.h"
#include "platform/Format.h"

namespace navirt {
namespace {

JobResult Error(const std::string& path, int e) {
  JobResult r;
  r.error = path + ": " + std::strerror(e);
  return r;
}

mode_t NewFileMode() {
  mode_t mask = ::umask(022);
  ::umask(mask);
  return 0666 & ~mask;
}

bool Cancelled(const JobHooks& h) { return h.cancel && h.cancel->load(std::memory_order_relaxed); }

// Writes one whole file from pieces of others: a temporary file renamed
// over target when complete. A file replaced keeps its mode and, where
// allowed, its owner (a private 0600 file stays private); like names the
// mode and owner of another file.
struct TempOut {
  std::string tmp, target;
  int fd = -1;
  ~TempOut() {
    if (fd >= 0) ::close(fd);
    if (!tmp.empty()) ::unlink(tmp.c_str());
  }
  bool Open(const std::string& t, const std::string& like = std::string()) {
    target = t;
    fd = CreateTemporaryIn(FolderPart(t), tmp);
    if (fd < 0) {
      tmp.clear();
      return false;
    }
    struct stat st;
    if (::stat((like.empty() ? t : like).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Not permitted for another's file: the mode alone is kept.
      }
      return ::fchmod(fd, st.st_mode & 07777) == 0;
    }
    return ::fchmod(fd, NewFileMode()) == 0;
  }
  bool Commit() {
    int f = fd;
    fd = -1;
    if (::close(f) != 0) return false;
    if (::rename(tmp.c_str(), target.c_str()) != 0) return false;
    tmp.clear();
    return true;
  }
};

}  // namespace

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  std::string name = FileNamePart(path);
  auto dot = name.rfind('.');
  if (dot == std::string::npos) return path + ext;
  return path.substr(0, path.size() - (name.size() - dot)) + ext;
}

std::string PieceName(const std::string& sourcePath, uint64_t i) {
  std::string digits = "000" + std::to_string(i);
  return ChangeFileExt(sourcePath, "") + "." + digits.substr(digits.size() - 3);
}

uint64_t PieceCount(uint64_t fileSize, uint64_t pieceSize) { return fileSize / (pieceSize ? pieceSize : 1) + 1; }

std::string SplitCommandText(const std::string& sourcePath, uint64_t count) {
  std::string src = FileNamePart(sourcePath);
  std::string out;
  for (uint64_t i = 1; i <= count; ++i) {
    std::string piece = FileNamePart(PieceName(sourcePath, i));
    if (i == 1)
      out += "COPY /B " + piece + " " + src + "\r\n";
    else
      out += "COPY /B " + src + "+" + piece + " " + src + "\r\n";
  }
  return out;
}

std::string MergeCommandText(const std::string& target, const std::vector<std::string>& files) {
  std::string out;
  for (size_t i = 0; i < files.size(); ++i) {
    if (i == 0)
      out += "COPY /B " + (files[0] == target ? target : files[0]) + " " + target + "\r\n";
    else
      out += "COPY /B " + target + "+" + files[i] + " " + target + "\r\n";
  }
  return out;
}

JobResult SplitFile(const std::string& source, uint64_t pieceSize, const JobHooks& hooks) {
  if (pieceSize == 0) return Error(source, EINVAL);
  int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Error(source, errno);
  struct stat st;
  if (::fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
    int e = S_ISDIR(st.st_mode) ? EISDIR : errno;
    ::close(in);
    return Error(source, e);
  }
  uint64_t size = static_cast<uint64_t>(st.st_size);
  uint64_t count = PieceCount(size, pieceSize);
  if (count > kMaxPieces) {
    ::close(in);
    JobResult r;
    r.error = std::to_string(count) + msg::kCannotSplitInto;
    return r;
  }
  // No piece or command file may be the source itself, and what exists
  // already is replaced only when the caller agrees.
  std::string bat = ChangeFileExt(source, ".bat");
  std::vector<std::string> outputs;
  for (uint64_t i = 1; i <= count; ++i) outputs.push_back(PieceName(source, i));
  outputs.push_back(bat);
  for (const std::string& o : outputs) {
    struct stat ot;
    bool exists = ::stat(o.c_str(), &ot) == 0;
    if (o == source || (exists && ot.st_dev == st.st_dev && ot.st_ino == st.st_ino)) {
      ::close(in);
      JobResult e;
      e.error = o + ": " + msg::kSplitWouldReplaceSource;
      return e;
    }
    if (exists && !(hooks.replace && hooks.replace(o))) {
      ::close(in);
      JobResult e;
      e.cancelled = static_cast<bool>(hooks.replace);
      if (!e.cancelled) e.error = o + ": " + msg::kSplitPieceExists;
      return e;
    }
  }
  JobResult r;
  JobProgress p;
  p.steps = count;
  p.bytesTotal = size;
  for (uint64_t i = 1; i <= count; ++i) {
    p.step = i;
    p.current = PieceName(source, i);
    if (hooks.progress) hooks.progress(p);
    TempOut out;
    if (!out.Open(p.current)) {
      ::close(in);
      JobResult e = Error(p.current, errno);
      e.written = r.written;
      return e;
    }
    uint64_t base = p.bytesDone;
    ByteCopyResult c = CopyFileRange(in, (i - 1) * pieceSize, pieceSize, out.fd, [&](uint64_t done) {
      p.bytesDone = base + done;
      return true;  // a piece is finished whole; cancel is looked at between pieces
    });
    if (!c.ok || !out.Commit()) {
      int e = errno;
      ::close(in);
      JobResult err;
      err.error = p.current + ": " + (c.ok ? std::string(std::strerror(e)) : c.error);
      err.written = r.written;
      return err;
    }
    p.bytesDone = base + c.bytes;
    r.written.push_back(p.current);
    if (Cancelled(hooks)) {
      ::close(in);
      r.cancelled = true;
      return r;
    }
  }
  ::close(in);
  std::string error;
  if (!AtomicWriteFile(bat, SplitCommandText(source, count), false, &error)) {
    r.error = bat + ": " + error;
    return r;
  }
  r.written.push_back(bat);
  r.ok = true;
  return r;
}

JobResult MergeFiles(const std::string& target, const std::vector<std::string>& files, const JobHooks& hooks) {
  JobProgress p;
  p.steps = files.size();
  for (const std::string& f : files) {
    struct stat st;
    if (::stat(f.c_str(), &st) != 0) return Error(f, errno);
    if (S_ISDIR(st.st_mode)) return Error(f, EISDIR);
    p.bytesTotal += static_cast<uint64_t>(st.st_size);
  }
  TempOut out;
  if (!out.Open(target)) return Error(target, errno);
  for (size_t i = 0; i < files.size(); ++i) {
    p.step = i + 1;
    p.current = files[i];
    if (hooks.progress) hooks.progress(p);
    int in = ::open(files[i].c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Error(files[i], errno);
    uint64_t base = p.bytesDone;
    bool stop = false;
    ByteCopyResult c = CopyFileRange(in, 0, UINT64_MAX / 2, out.fd, [&](uint64_t done) {
      p.bytesDone = base + done;
      if (hooks.progress) hooks.progress(p);
      stop = Cancelled(hooks);
      return !stop;
    });
    ::close(in);
    if (c.cancelled || stop) {
      JobResult r;
      r.cancelled = true;
      return r;
    }
    if (!c.ok) {
      JobResult r;
      r.error = target + ": " + c.error;
      return r;
    }
    p.bytesDone = base + c.bytes;
  }
  if (!out.Commit()) return Error(target, errno);
  JobResult r;
  r.written.push_back(target);
  // The command file records a merge that happened. An older one becomes
  // ".bak"; when that name holds the copy of a target that was the first
  // file, the first free numbered name beside it, so both are kept.
  std::string bat = ChangeFileExt(target, ".bat");
  struct stat st;
  if (::stat(bat.c_str(), &st) == 0) {
    std::string batBak = ChangeFileExt(bat, ".bak");
    if (!files.empty() && files.front() == target)
      batBak = FolderPart(batBak) + KeepBothName(FolderPart(batBak), FileNamePart(batBak));
    // rename replaces an older ".bak" in one step.
    if (::rename(bat.c_str(), batBak.c_str()) != 0) {
      r.error = bat + ": " + std::strerror(errno);
      return r;
    }
  }
  std::string error;
  if (!AtomicWriteFile(bat, MergeCommandText(target, files), false, &error)) {
    r.error = bat + ": " + error;
    return r;
  }
  r.written.push_back(bat);
  r.ok = true;
  return r;
}

JobResult PrepareMerge(const std::string& target, const std::vector<std::string>& files) {
  JobResult r;
  if (!files.empty() && files.front() == target) {
    std::string bak = ChangeFileExt(target, ".bak");
    int in = ::open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Error(target, errno);
    TempOut out;
    if (!out.Open(bak, target)) {
      int e = errno;
      ::close(in);
      return Error(bak, e);
    }
    ByteCopyResult c = CopyFileBytes(in, out.fd);
    ::close(in);
    if (!c.ok) {
      r.error = bak + ": " + c.error;
      return r;
    }
    if (!out.Commit()) return Error(bak, errno);
    r.written.push_back(bak);
  }
  r.ok = true;
  return r;
}

bool ParsePieceSize(const std::string& text, uint64_t& size) {
  const char* b = text.data();
  const char* e = b + text.size();
  uint64_t v = 0;
  auto res = std::from_chars(b, e, v);
  if (res.ec != std::errc() || res.ptr != e || v == 0) return false;
  size = v;
  return true;
}

std::string SplitProgressCaption() { return "ファイルの分割"; }
std::string SplitProgressLabel(const std::string& path) { return path + " を分割中"; }
std::string SplitProgressCount(uint64_t i, uint64_t count) { return std::to_string(i) + " / " + std::to_string(count); }

void TSplitDialogModel::Open(const TIniFile& ini, const std::string& filePath, uint64_t size) {
  path = filePath;
  fileSize = size;
  history = LoadHistoryList(ini, kSection);
  sizeItems = {"1457664", "1250304", "730112", "649216"};
  for (const std::string& h : history)
    if (std::find(sizeItems.begin(), sizeItems.end(), h) == sizeItems.end()) sizeItems.push_back(h);
  preset = 0;
  sizeText = "1457664";
  Recompute();
}

std::string TSplitDialogModel::SizeLine() const { return FormatN15(fileSize) + " byte"; }

void TSplitDialogModel::ChoosePreset(int index) {
  if (index < 0 || index >= 5) return;
  preset = index;
  sizeText = std::to_string(kPresets[index].size);
  Recompute();
}

uint64_t TSplitDialogModel::BoxSize() const {
  uint64_t v = 1;
  if (!ParsePieceSize(sizeText, v)) v = 1;  // not a number: 1, as the old box took it
  return v;
}

void TSplitDialogModel::Recompute() {
  uint64_t count = PieceCount(fileSize, BoxSize());
  countLine = std::to_string(count) + " 個に分割";
  pieceList.clear();
  if (count > kMaxPieces) return;
  for (uint64_t i = 1; i <= count; ++i) pieceList.push_back(FileNamePart(PieceName(path, i)));
  pieceList.push_back(FileNamePart(ChangeFileExt(path, ".bat")));
}

std::string TSplitDialogModel::Enter() {
  uint64_t count = PieceCount(fileSize, BoxSize());
  if (count > kMaxPieces) {
    pieceList.clear();
    focusOk = false;
    return std::to_string(count) + msg::kCannotSplitInto;
  }
  Recompute();
  focusOk = true;
  return {};
}

bool TSplitDialogModel::Accept(TIniFile& ini, std::string& answer, std::string& warning) {
  answer.clear();
  warning.clear();
  uint64_t size = 0;
  if (!ParsePieceSize(sizeText, size)) {
    // Enter would count a non-number as 1; OK says why it cannot split.
    const uint64_t count = PieceCount(fileSize, 1);
    warning = count > kMaxPieces ? std::to_string(count) + msg::kCannotSplitInto : msg::kNotAPieceSize;
    pieceList.clear();
    return false;
  }
  uint64_t count = PieceCount(fileSize, size);
  if (count > kMaxPieces) {
    warning = std::to_string(count) + msg::kCannotSplitInto;
    pieceList.clear();
    return false;
  }
  history = SaveHistoryList(ini, kSection, history, sizeText, kInputHistoryCountKey, kCap);
  answer = sizeText;
  return true;
}

void TMergeDialogModel::Open(const std::string& currentFolder, const std::vector<std::string>& selectedNames) {
  folder = currentFolder;
  items = selectedNames;
  chosen = items.empty() ? -1 : 0;
  targetName.clear();
  countLine = std::to_string(items.size()) + "個のファイル";
}

void TMergeDialogModel::Up() {
  if (chosen <= 0 || chosen >= static_cast<int>(items.size())) return;
  std::swap(items[chosen], items[chosen - 1]);
  --chosen;
}

void TMergeDialogModel::Down() {
  if (chosen < 0 || chosen + 1 >= static_cast<int>(items.size())) return;
  std::swap(items[chosen], items[chosen + 1]);
  ++chosen;
}

void TMergeDialogModel::Delete() {
  if (chosen < 0 || chosen >= static_cast<int>(items.size())) return;
  items.erase(items.begin() + chosen);
  if (chosen >= static_cast<int>(items.size())) chosen = static_cast<int>(items.size()) - 1;
  countLine = std::to_string(items.size()) + "個のﾌｧｲﾙ";
}

std::string TMergeDialogModel::InfoLine() const {
  return "結合情報は " + ChangeFileExt(targetName, ".bat") + " に記録されます。";
}

std::string TMergeDialogModel::TargetPath() const { return WithTrailingSlash(folder) + targetName; }

std::vector<std::string> TMergeDialogModel::SourcePaths() const {
  std::vector<std::string> out;
  for (const std::string& n : items) out.push_back(WithTrailingSlash(folder) + n);
  return out;
}

}  // namespace navirt

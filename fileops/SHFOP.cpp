#include "fileops/SHFOP.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "fileops/Messages.h"
#include "platform/FileCopy.h"
#include "platform/FileInfo.h"

namespace navirt {
namespace {

std::string Join(const std::string& folder, const std::string& name) { return WithTrailingSlash(folder) + name; }

std::string StripSlash(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  return p;
}

std::vector<std::string> ListNames(const std::string& dir, int* err = nullptr) {
  std::vector<std::string> names;
  DIR* d = ::opendir(dir.c_str());
  if (!d) {
    if (err) *err = errno;
    return names;
  }
  while (dirent* e = ::readdir(d)) {
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    names.emplace_back(e->d_name);
  }
  ::closedir(d);
  if (err) *err = 0;
  return names;
}

bool SameTimes(int fd, const struct stat& st) {
  struct timespec ts[2] = {st.st_atim, st.st_mtim};
  return ::futimens(fd, ts) == 0;
}

}  // namespace

bool HasWildcard(const std::string& s) {
  std::string name = FileNamePart(s);
  return name.find_first_of("*?") != std::string::npos;
}

std::vector<std::string> ExpandWildcards(const std::vector<std::string>& sources) {
  std::vector<std::string> out;
  for (const std::string& s : sources) {
    if (!HasWildcard(s)) {
      out.push_back(s);
      continue;
    }
    std::string folder = FolderPart(s);
    std::string pattern = FileNamePart(s);
    if (pattern == "*.*") pattern = "*";  // the old shell's "every name"
    std::vector<std::string> names = ListNames(folder.empty() ? "." : folder);
    std::sort(names.begin(), names.end());
    for (const std::string& n : names)
      if (::fnmatch(pattern.c_str(), n.c_str(), 0) == 0) out.push_back(folder + n);
  }
  return out;
}

bool IsSameOrBelow(const std::string& folder, const std::string& child) {
  char a[PATH_MAX], b[PATH_MAX];
  if (!::realpath(folder.c_str(), a)) return false;
  // The child may not exist yet: resolve its nearest existing ancestor.
  std::string c = StripSlash(child);
  std::string tail;
  while (!::realpath(c.c_str(), b)) {
    std::string parent = StripSlash(FolderPart(c));
    if (parent.empty() || parent == c) return false;
    tail = "/" + FileNamePart(c) + tail;
    c = parent;
  }
  std::string fa = a, fb = std::string(b) + tail;
  return fb == fa || fb.rfind(WithTrailingSlash(fa), 0) == 0;
}

std::string KeepBothName(const std::string& folder, const std::string& name) {
  std::string stem = name, ext;
  if (auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) {
    stem = name.substr(0, dot);
    ext = name.substr(dot);
  }
  struct stat st;
  for (int n = 2;; ++n) {
    std::string candidate = stem + " (" + std::to_string(n) + ")" + ext;
    if (::lstat(Join(folder, candidate).c_str(), &st) != 0) return candidate;
  }
}

std::string RenamePatternTarget(const std::string& to) {
  std::string folder = FolderPart(to), name = FileNamePart(to);
  if (name.size() >= 2 && name[0] == '*' && name[1] == '.') name.insert(0, "?");
  return folder + name;
}

std::string ApplyRenamePattern(const std::string& name, const std::string& pattern) {
  std::string out;
  size_t s = 0;
  for (size_t p = 0; p < pattern.size(); ++p) {
    char c = pattern[p];
    if (c == '?') {
      if (s < name.size() && name[s] != '.') out += name[s++];
    } else if (c == '*') {
      if (p + 1 >= pattern.size()) {
        out += name.substr(s);
        s = name.size();
      } else {
        size_t stop = name.rfind(pattern[p + 1]);
        if (stop == std::string::npos || stop < s) stop = name.size();
        out += name.substr(s, stop - s);
        s = stop;
      }
    } else {
      out += c;
      if (c == '.') {
        size_t dot = name.find('.', s);
        s = dot == std::string::npos ? name.size() : dot + 1;
      } else if (s < name.size()) {
        ++s;
      }
    }
  }
  while (!out.empty() && out.back() == '.') out.pop_back();
  return out;
}

std::string TSHFOP::SourceText() const {
  std::string t;
  for (const std::string& s : FromFFList) t += s + '\0';
  return t + '\0';
}

std::string TSHFOP::TargetText() const {
  std::string to = OperationF == wRENAME ? RenamePatternTarget(ToFolder) : ToFolder;
  return to + '\0' + '\0';
}

struct TSHFOP::Run {
  TSHFOP& op;
  FileOpProgress prog;
  bool cancelled = false;
  bool failed = false;
  bool haveAll = false;
  ConflictReply all;

  bool Stopped() {
    if (!cancelled && op.hooks.cancel && op.hooks.cancel->load(std::memory_order_relaxed)) cancelled = true;
    return cancelled || failed;
  }
  void Report(const std::string& current) {
    prog.current = current;
    if (op.hooks.progress) op.hooks.progress(prog);
  }
  bool Fail(const std::string& path, int e) {
    failed = true;
    op.error_ = std::string(msg::kOperationFailed) + "\n" + path + ": " + std::strerror(e);
    return false;
  }
  bool Refuse(const char* text) {
    failed = true;
    op.error_ = text;
    return false;
  }

  // ---- collecting ----
  void Collect(const std::string& path) {
    op.collected_.push_back(path);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return;
    if (S_ISDIR(st.st_mode)) {
      for (const std::string& n : ListNames(path)) Collect(Join(path, n));
    } else {
      ++prog.filesTotal;
      if (S_ISREG(st.st_mode)) prog.bytesTotal += static_cast<uint64_t>(st.st_size);
    }
  }

  // ---- conflicts ----
  // Returns false to stop; sets target to the name to write (empty: skip).
  bool Resolve(const std::string& src, const struct stat& sst, const std::string& folder, std::string& target,
               bool& replace, bool& merge) {
    replace = merge = false;
    struct stat tst;
    if (::lstat(target.c_str(), &tst) != 0) return true;
    if (tst.st_dev == sst.st_dev && tst.st_ino == sst.st_ino) {
      // The item itself: a copy gets a second name, a move has nothing to do.
      if (op.OperationF == wMOVE)
        target.clear();
      else
        target = Join(folder, KeepBothName(folder, FileNamePart(target)));
      return true;
    }
    ConflictReply r;
    if (haveAll)
      r = all;
    else if (op.Options & RENAMEONCOLLISION)
      r.answer = ConflictAnswer::KeepBoth;
    else if (op.Options & NOCONFIRMATION)
      r.answer = ConflictAnswer::Overwrite;
    else if (op.hooks.conflict) {
      ConflictQuestion q{src, target, S_ISDIR(sst.st_mode), S_ISDIR(tst.st_mode)};
      r = op.hooks.conflict(q);
      if (r.applyToAll) {
        haveAll = true;
        all = r;
      }
    }
    switch (r.answer) {
      case ConflictAnswer::Cancel:
        cancelled = true;
        return false;
      case ConflictAnswer::Skip:
        target.clear();
        return true;
      case ConflictAnswer::KeepBoth:
        target = Join(folder, KeepBothName(folder, FileNamePart(target)));
        return true;
      case ConflictAnswer::Overwrite:
        if (S_ISDIR(sst.st_mode) && S_ISDIR(tst.st_mode))
          merge = true;
        else if (S_ISDIR(sst.st_mode) || S_ISDIR(tst.st_mode))
          // A folder never replaces a file or the other way round: both stay.
          target = Join(folder, KeepBothName(folder, FileNamePart(target)));
        else
          replace = true;
        return true;
    }
    return true;
  }

  static void Tally(const std::string& src, uint64_t& files, uint64_t& bytes) {
    std::vector<std::string> stack{src};
    while (!stack.empty()) {
      std::string p = stack.back();
      stack.pop_back();
      struct stat st;
      if (::lstat(p.c_str(), &st) != 0) continue;
      if (S_ISDIR(st.st_mode)) {
        for (const std::string& n : ListNames(p)) stack.push_back(Join(p, n));
      } else {
        ++files;
        if (S_ISREG(st.st_mode)) bytes += static_cast<uint64_t>(st.st_size);
      }
    }
  }
  void AddDone(const std::string& src, uint64_t files, uint64_t bytes) {
    prog.filesDone += files;
    prog.bytesDone += bytes;
    Report(src);
  }
  void SkipCounts(const std::string& src) {
    uint64_t files = 0, bytes = 0;
    Tally(src, files, bytes);
    AddDone(src, files, bytes);
  }

  // ---- writing one file or link ----
  // Puts the finished temporary file under its name; a name taken meanwhile
  // gets the next free one rather than being overwritten.
  bool Place(const std::string& tmp, std::string& target, bool replace) {
    if (replace) {
      if (::rename(tmp.c_str(), target.c_str()) != 0) {
        int e = errno;
        ::unlink(tmp.c_str());
        return Fail(target, e);
      }
      return true;
    }
    while (!RenameNoReplace(tmp, target)) {
      int e = errno;
      if (e == EEXIST) {
        target = Join(FolderPart(target), KeepBothName(FolderPart(target), FileNamePart(target)));
        continue;
      }
      ::unlink(tmp.c_str());
      return Fail(target, e);
    }
    return true;
  }

  bool CopyRegular(const std::string& src, const struct stat& sst, std::string& target, bool replace, bool durable) {
    int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return Fail(src, errno);
    std::string tmp;
    int out = CreateTemporaryIn(FolderPart(target), tmp);
    if (out < 0) {
      int e = errno;
      ::close(in);
      return Fail(target, e);
    }
    uint64_t base = prog.bytesDone;
    ByteCopyResult r = CopyFileBytes(in, out, [&](uint64_t done) {
      prog.bytesDone = base + done;
      Report(src);
      return !Stopped();
    });
    int e = errno;
    if (r.cancelled) {
      // The name goes at once; freeing the pages of a large unfinished
      // copy took up to a quarter second, so the last close runs beside
      // the job instead of holding up the cancel.
      ::close(in);
      ::unlink(tmp.c_str());
      std::thread([out] { ::close(out); }).detach();
      return false;
    }
    bool ok = r.ok;
    if (ok && (::fchmod(out, sst.st_mode & 07777) != 0 || !SameTimes(out, sst))) ok = false, e = errno;
    if (ok && durable && ::fsync(out) != 0) ok = false, e = errno;
    ::close(in);
    if (::close(out) != 0 && ok) ok = false, e = errno;
    if (!ok) {
      ::unlink(tmp.c_str());
      if (r.cancelled) return false;
      if (!r.ok && !r.error.empty()) {
        failed = true;
        op.error_ = std::string(msg::kOperationFailed) + "\n" + src + ": " + r.error;
        return false;
      }
      return Fail(target, e);
    }
    prog.bytesDone = base + r.bytes;
    if (!Place(tmp, target, replace)) return false;
    if (durable && !SyncFolderOf(target)) return Fail(target, errno);
    return true;
  }

  bool CopyLink(const std::string& src, const struct stat& sst, std::string& target, bool replace, bool durable) {
    std::string dest(static_cast<size_t>(sst.st_size > 0 ? sst.st_size : PATH_MAX) + 1, '\0');
    ssize_t n = ::readlink(src.c_str(), dest.data(), dest.size());
    if (n < 0) return Fail(src, errno);
    dest.resize(static_cast<size_t>(n));
    std::string tmp;
    int fd = CreateTemporaryIn(FolderPart(target), tmp);
    if (fd < 0) return Fail(target, errno);
    ::close(fd);
    ::unlink(tmp.c_str());
    if (::symlink(dest.c_str(), tmp.c_str()) != 0) return Fail(target, errno);
    struct timespec ts[2] = {sst.st_atim, sst.st_mtim};
    ::utimensat(AT_FDCWD, tmp.c_str(), ts, AT_SYMLINK_NOFOLLOW);
    if (!Place(tmp, target, replace)) return false;
    if (durable && !SyncFolderOf(target)) return Fail(target, errno);
    return true;
  }

  // ---- one item into a folder ----
  bool Transfer(const std::string& src, const std::string& folder, const std::string& name, bool move, bool top) {
    if (Stopped()) return false;
    struct stat sst;
    if (::lstat(src.c_str(), &sst) != 0) return Fail(src, errno);
    std::string target = Join(folder, name);
    bool replace = false, merge = false;
    if (!Resolve(src, sst, folder, target, replace, merge)) return false;
    if (target.empty()) {
      SkipCounts(src);
      return true;
    }
    Report(src);
    if (move && !merge) {
      // Same file system: one rename does it.
      uint64_t files = 0, bytes = 0;
      Tally(src, files, bytes);
      bool renamed = replace ? ::rename(src.c_str(), target.c_str()) == 0 : RenameNoReplace(src, target);
      if (renamed) {
        if (top) op.written_.push_back(target);
        AddDone(src, files, bytes);
        return true;
      }
      if (errno != EXDEV) return Fail(src, errno);
    }
    bool ok;
    if (S_ISDIR(sst.st_mode)) {
      ok = TransferFolder(src, sst, target, merge, move);
    } else {
      if (S_ISLNK(sst.st_mode))
        ok = CopyLink(src, sst, target, replace, move);
      else if (S_ISREG(sst.st_mode))
        ok = CopyRegular(src, sst, target, replace, move);
      else
        return Fail(src, ENOTSUP);
      if (!ok) return false;
      ++prog.filesDone;
      Report(src);
      // Only now, with the copy complete and flushed, the source goes.
      if (move && ::unlink(src.c_str()) != 0) return Fail(src, errno);
    }
    if (ok && top) op.written_.push_back(target);
    return ok;
  }

  bool TransferFolder(const std::string& src, const struct stat& sst, const std::string& target, bool exists,
                      bool move) {
    if (!exists && ::mkdir(target.c_str(), 0700) != 0) return Fail(target, errno);
    int err = 0;
    std::vector<std::string> names = ListNames(src, &err);
    if (err) return Fail(src, err);
    std::sort(names.begin(), names.end());
    for (const std::string& n : names)
      if (!Transfer(Join(src, n), target, n, move, false)) return false;
    if (!exists) {
      ::chmod(target.c_str(), sst.st_mode & 07777);
      struct timespec ts[2] = {sst.st_atim, sst.st_mtim};
      ::utimensat(AT_FDCWD, target.c_str(), ts, 0);
    }
    // A move removes the folder once empty; skipped items keep it.
    if (move && ::rmdir(src.c_str()) != 0 && errno != ENOTEMPTY && errno != EEXIST) return Fail(src, errno);
    return true;
  }

  // ---- delete ----
  bool RemoveTree(const std::string& path) {
    if (Stopped()) return false;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return Fail(path, errno);
    if (S_ISDIR(st.st_mode)) {
      int err = 0;
      std::vector<std::string> names = ListNames(path, &err);
      if (err) return Fail(path, err);
      for (const std::string& n : names)
        if (!RemoveTree(Join(path, n))) return false;
      if (::rmdir(path.c_str()) != 0) return Fail(path, errno);
      return true;
    }
    if (::unlink(path.c_str()) != 0) return Fail(path, errno);
    ++prog.filesDone;
    if (S_ISREG(st.st_mode)) prog.bytesDone += static_cast<uint64_t>(st.st_size);
    Report(path);
    return true;
  }
};

bool TSHFOP::Execute() {
  aborted_ = false;
  error_.clear();
  written_.clear();
  collected_.clear();
  // 1. Something to do?
  if (FromFFList.empty() || (OperationF != wDELETE && ToFolder.empty())) return false;
  Run run{*this, {}, false, false, false, {}};
  // 2. The collected files.
  std::vector<std::string> sources = ExpandWildcards(FromFFList);
  for (const std::string& s : sources) run.Collect(StripSlash(s));
  // 3. Rename pattern.
  std::string to = OperationF == wRENAME ? RenamePatternTarget(ToFolder) : StripSlash(ToFolder);
  // 4. Prepared.
  bool proceed = true;
  if (OnPrepared) OnPrepared(*this, proceed);
  if (!proceed) {
    aborted_ = true;
    return false;
  }
  // Refusals come before anything is touched.
  if (OperationF == wCOPY || OperationF == wMOVE) {
    for (const std::string& s : sources) {
      if (IsDirectory(s) && IsSameOrBelow(s, to)) {
        aborted_ = true;
        return run.Refuse(OperationF == wCOPY ? msg::kCopyIntoItself : msg::kMoveIntoItself);
      }
    }
    // 5. A missing target folder.
    if (!(Options & MULTIDESTFILES) && !IsDirectory(to)) {
      struct stat st;
      if (::stat(to.c_str(), &st) == 0) {
        aborted_ = true;
        return run.Fail(to, ENOTDIR);
      }
      bool create = (Options & NOCONFIRMMKDIR) || (hooks.confirmMkdir && hooks.confirmMkdir(to + msg::kNotExistCreate));
      if (!create) {
        aborted_ = true;
        return false;
      }
      std::error_code ec;
      std::filesystem::create_directories(to, ec);
      if (ec) {
        aborted_ = true;
        return run.Fail(to, ec.value());
      }
    }
  }
  if (OperationF == wRENAME && FileNamePart(StripSlash(to)).empty()) return false;
  // 6. The operation.
  bool ok = true;
  for (const std::string& raw : sources) {
    std::string s = StripSlash(raw);
    if (run.Stopped()) break;
    switch (OperationF) {
      case wCOPY:
      case wMOVE:
        ok = run.Transfer(s, to, FileNamePart(s), OperationF == wMOVE, true);
        break;
      case wDELETE:
        if (Options & ALLOWUNDO) {
          std::string err;
          if (!hooks.trash) {
            ok = run.Refuse(msg::kNoTrash);
          } else {
            uint64_t files = 0, bytes = 0;
            Run::Tally(s, files, bytes);
            if (!hooks.trash->MoveToTrash(s, &err)) {
              run.failed = true;
              error_ = std::string(msg::kOperationFailed) + "\n" + s + ": " + err;
              ok = false;
            } else {
              run.AddDone(s, files, bytes);
            }
          }
        } else {
          ok = run.RemoveTree(s);
        }
        break;
      case wRENAME: {
        std::string name = FileNamePart(to);
        std::string folder = to.find('/') == std::string::npos ? FolderPart(s) : FolderPart(to);
        if (HasWildcard(name)) name = ApplyRenamePattern(FileNamePart(s), name);
        std::string target = WithTrailingSlash(folder.empty() ? "." : folder) + name;
        if (folder.empty()) target = name;
        if (target == s) break;
        if (!RenameNoReplace(s, target))
          ok = run.Fail(target, errno);
        else
          written_.push_back(target);
        break;
      }
    }
    if (!ok) break;
  }
  if (run.cancelled || run.failed || !ok) {
    aborted_ = true;
    return false;
  }
  return true;
}

}  // namespace navirt

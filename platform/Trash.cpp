// Deleting to the Trash must be undoable from the desktop's own trash
// window, so items go exactly where the freedesktop.org layout puts them.
#include "platform/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/FileInfo.h"

namespace navirt {
namespace {

bool MakeDirs(const std::string& path, mode_t mode) {
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  std::string parent = FolderPart(path.back() == '/' ? path.substr(0, path.size() - 1) : path);
  if (!parent.empty() && parent != "/" && !MakeDirs(parent.substr(0, parent.size() - 1), 0700)) return false;
  return ::mkdir(path.c_str(), mode) == 0 || errno == EEXIST;
}

bool UsableTrashRoot(const std::string& trash) {
  return MakeDirs(trash, 0700) && MakeDirs(trash + "/files", 0700) && MakeDirs(trash + "/info", 0700);
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char buf[4096];
  if (!::getcwd(buf, sizeof buf)) return path;
  return WithTrailingSlash(buf) + path;
}

// Drops "." components and trailing slashes; ".." is kept (the name itself
// is trashed, not what it points to).
std::string Tidy(std::string p) {
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  std::string out;
  size_t i = 0;
  while (i < p.size()) {
    size_t j = p.find('/', i);
    if (j == std::string::npos) j = p.size();
    std::string part = p.substr(i, j - i);
    if (!part.empty() && part != ".") out += "/" + part;
    i = j + 1;
  }
  return out.empty() ? "/" : out;
}

}  // namespace

std::string TrashInfoEscape(const std::string& path) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string TrashInfoText(const std::string& pathForInfo, time_t when) {
  struct tm tmv;
  localtime_r(&when, &tmv);
  char date[32];
  std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &tmv);
  return "[Trash Info]\nPath=" + TrashInfoEscape(pathForInfo) + "\nDeletionDate=" + date + "\n";
}

FreedesktopTrash::FreedesktopTrash(std::string homeTrash) : home_(std::move(homeTrash)) {
  if (home_.empty()) {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (xdg && *xdg)
      home_ = std::string(xdg) + "/Trash";
    else
      home_ = std::string(home && *home ? home : "/") + "/.local/share/Trash";
  }
  while (home_.size() > 1 && home_.back() == '/') home_.pop_back();
}

std::string FreedesktopTrash::TrashFor(const std::string& absPath, dev_t dev, std::string& topdir, std::string* error) {
  auto it = byDevice_.find(dev);
  if (it != byDevice_.end()) {
    topdir = it->second.topdir;
    return it->second.trash;
  }
  Where w;
  // The home trash's own device: its folder may not exist yet, so look at
  // the nearest existing ancestor.
  std::string probe = home_;
  struct stat st;
  while (::stat(probe.c_str(), &st) != 0 && probe.size() > 1) probe = Tidy(FolderPart(probe));
  if (st.st_dev == dev) {
    if (!UsableTrashRoot(home_)) {
      if (error) *error = std::strerror(errno);
      return {};
    }
    w.trash = home_;
  } else {
    // The mount's top: the last ancestor on the same device.
    std::string top = Tidy(absPath);
    for (;;) {
      std::string parent = Tidy(FolderPart(top));
      if (parent == top || ::lstat(parent.c_str(), &st) != 0 || st.st_dev != dev) break;
      top = parent;
      if (top == "/") break;
    }
    w.topdir = top;
    uid_t uid = ::getuid();
    std::string shared = (top == "/" ? std::string() : top) + "/.Trash";
    struct stat sst;
    if (::lstat(shared.c_str(), &sst) == 0 && S_ISDIR(sst.st_mode) && (sst.st_mode & S_ISVTX) &&
        UsableTrashRoot(shared + "/" + std::to_string(uid))) {
      w.trash = shared + "/" + std::to_string(uid);
    } else {
      std::string own = (top == "/" ? std::string() : top) + "/.Trash-" + std::to_string(uid);
      if (!UsableTrashRoot(own)) {
        if (error) *error = std::strerror(errno);
        return {};
      }
      w.trash = own;
    }
  }
  byDevice_[dev] = w;
  topdir = w.topdir;
  return w.trash;
}

bool FreedesktopTrash::MoveToTrash(const std::string& pathIn, std::string* error) {
  auto fail = [&](int e) {
    if (error) *error = std::strerror(e);
    return false;
  };
  std::string path = Tidy(Absolute(pathIn));
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return fail(errno);
  std::string topdir;
  std::string trash = TrashFor(path, st.st_dev, topdir, error);
  if (trash.empty()) return false;
  if (path == trash || path.rfind(trash + "/", 0) == 0) return fail(EINVAL);
  // Per-mount trashes record the path relative to the mount's top.
  std::string infoPath = path;
  if (!topdir.empty() && topdir != "/")
    infoPath = path.substr(topdir.size() + 1);
  else if (topdir == "/")
    infoPath = path.substr(1);
  std::string text = TrashInfoText(infoPath, std::time(nullptr));
  std::string base = FileNamePart(path);
  std::string stem = base, ext;
  if (auto dot = base.rfind('.'); dot != std::string::npos && dot > 0) {
    stem = base.substr(0, dot);
    ext = base.substr(dot);
  }
  // The info file claims the name: O_EXCL makes two trashings never share one.
  for (int n = 1; n < 100000; ++n) {
    std::string name = n == 1 ? base : stem + "." + std::to_string(n) + ext;
    std::string info = trash + "/info/" + name + ".trashinfo";
    int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return fail(errno);
    }
    bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    int werr = errno;
    ::close(fd);
    if (!written) {
      ::unlink(info.c_str());
      return fail(werr ? werr : EIO);
    }
    std::string target = trash + "/files/" + name;
    if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
      int e = errno;
      ::unlink(info.c_str());
      if (e == EEXIST) continue;  // a stray file without its info
      return fail(e);
    }
    return true;
  }
  return fail(EEXIST);
}

}  // namespace navirt

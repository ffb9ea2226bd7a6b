#include "fileops/DirListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "fileops/Messages.h"
#include "fileops/SHFOP.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/DosAttributes.h"
#include "platform/FileInfo.h"
#include "platform/Format.h"
#include "platform/Paths.h"

extern char** environ;

namespace navirt {
namespace {

struct Entry {
  std::string name;
  bool isDir = false;
  bool isLink = false;  // a symbolic link (isDir: to a folder); never entered under /S
  uint64_t size = 0;
  struct timespec mtime {
  }, atime{};
  uint32_t attrs = 0;
};

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

uint32_t AttrBit(char letter) {
  switch (Upper(letter)) {
    case 'D':
      return faDirectory;
    case 'R':
      return faReadOnly;
    case 'H':
      return faHidden;
    case 'S':
      return faSysFile;
    case 'A':
      return faArchive;
  }
  return 0;
}

uint32_t DosBits(const std::string& path) {
  char buf[64];
  ssize_t n = ::lgetxattr(path.c_str(), "user.DOSATTRIB", buf, sizeof buf - 1);
  if (n <= 2) return 0;
  buf[n] = 0;
  if (buf[0] != '0' || (buf[1] != 'x' && buf[1] != 'X')) return 0;
  return static_cast<uint32_t>(std::strtoul(buf + 2, nullptr, 16)) & (faArchive | faSysFile | faHidden);
}

bool FillEntry(int dirfd, const std::string& folder, const char* name, Entry& e) {
  struct stat st;
  if (::fstatat(dirfd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  e.isLink = S_ISLNK(st.st_mode);
  if (e.isLink) ::fstatat(dirfd, name, &st, 0);  // a dangling link keeps its own facts
  e.name = name;
  e.isDir = S_ISDIR(st.st_mode);
  e.size = e.isDir ? 0 : static_cast<uint64_t>(st.st_size);
  e.mtime = st.st_mtim;
  e.atime = st.st_atim;
  e.attrs = 0;
  if (e.isDir) e.attrs |= faDirectory;
  if (!(st.st_mode & S_IWUSR)) e.attrs |= faReadOnly;
  if (IsDotName(e.name)) e.attrs |= faHidden;
  if (e.name != "." && e.name != "..") e.attrs |= DosBits(WithTrailingSlash(folder) + e.name);
  return true;
}

// The entries, or false with errno set when the folder cannot be read.
bool ReadEntries(const std::string& folder, bool withDots, std::vector<Entry>& out, struct stat* self = nullptr) {
  out.clear();
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  if (self && ::fstat(fd, self) != 0) {
    int e = errno;
    ::close(fd);
    errno = e;
    return false;
  }
  DIR* d = ::fdopendir(fd);
  if (!d) {
    int e = errno;
    ::close(fd);
    errno = e;
    return false;
  }
  while (dirent* de = ::readdir(d)) {
    bool dot = std::strcmp(de->d_name, ".") == 0 || std::strcmp(de->d_name, "..") == 0;
    if (dot && !withDots) continue;
    Entry e;
    if (FillEntry(fd, folder, de->d_name, e)) out.push_back(std::move(e));
  }
  ::closedir(d);
  return true;
}

// Only "*" and "?" are wild: "[" and "\\" in a pattern are themselves.
std::string OnlyStarAndQuestion(const std::string& pattern) {
  std::string out;
  for (char c : pattern) {
    if (c == '[' || c == ']' || c == '\\') out += '\\';
    out += c;
  }
  return out;
}

bool Matches(const std::string& given, const std::string& name) {
  if (given == "*" || given == "*.*") return true;
  std::string pattern = OnlyStarAndQuestion(given);
  if (::fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
  // As the old command did, "x.*" also takes a name without extension.
  if (given.size() > 2 && given.compare(given.size() - 2, 2, ".*") == 0 && name.find('.') == std::string::npos)
    return ::fnmatch(OnlyStarAndQuestion(given.substr(0, given.size() - 2)).c_str(), name.c_str(), FNM_CASEFOLD) == 0;
  return false;
}

bool AttrsPass(const DirOptions& o, const Entry& e) {
  if (!o.attrGiven) return !(e.attrs & (faHidden | faSysFile)) || e.name == "." || e.name == "..";
  for (char c : o.attrRequired)
    if (!(e.attrs & AttrBit(c))) return false;
  for (char c : o.attrExcluded)
    if (e.attrs & AttrBit(c)) return false;
  return true;
}

std::string Extension(const std::string& name) {
  auto dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot + 1);
}

int CompareTime(const timespec& a, const timespec& b) {
  if (a.tv_sec != b.tv_sec) return a.tv_sec < b.tv_sec ? -1 : 1;
  if (a.tv_nsec != b.tv_nsec) return a.tv_nsec < b.tv_nsec ? -1 : 1;
  return 0;
}

void SortEntries(std::vector<Entry>& v, const DirOptions& o) {
  std::vector<DirOptions::SortKey> keys = o.sort;
  if (keys.empty()) keys.push_back({'N', false});
  std::stable_sort(v.begin(), v.end(), [&](const Entry& a, const Entry& b) {
    for (const auto& k : keys) {
      int c = 0;
      switch (k.key) {
        case 'N':
          c = ::strcasecmp(a.name.c_str(), b.name.c_str());
          break;
        case 'E':
          c = ::strcasecmp(Extension(a.name).c_str(), Extension(b.name).c_str());
          break;
        case 'S':
          c = a.size < b.size ? -1 : a.size > b.size ? 1 : 0;
          break;
        case 'D':
          c = CompareTime(a.mtime, b.mtime);
          break;
        case 'A':
          c = CompareTime(a.atime, b.atime);
          break;
        case 'G':
          c = a.isDir == b.isDir ? 0 : a.isDir ? -1 : 1;
          break;
      }
      if (k.reverse) c = -c;
      if (c != 0) return c < 0;
    }
    // Equal keys: by name, so the order never depends on the folder's own.
    return ::strcasecmp(a.name.c_str(), b.name.c_str()) < 0;
  });
}

std::string Pad(const std::string& s, size_t width) {
  return s.size() >= width ? s : std::string(width - s.size(), ' ') + s;
}

std::string DateTime(time_t t) {
  struct tm tmv;
  localtime_r(&t, &tmv);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d  %02d:%02d", tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday,
                tmv.tm_hour, tmv.tm_min);
  return buf;
}

std::string Date(time_t t) { return DateTime(t).substr(0, 10); }

std::string AttrLetters(uint32_t a) {
  std::string s = "----";
  if (a & faReadOnly) s[0] = 'R';
  if (a & faHidden) s[1] = 'H';
  if (a & faSysFile) s[2] = 'S';
  if (a & faArchive) s[3] = 'A';
  return s;
}

// Display width on a console of the old kind: one column per CP932 byte.
size_t Columns(const std::string& utf8) { return Utf8ToCp932(utf8).size(); }

std::string FilesLine(uint64_t files, uint64_t bytes) {
  return Tr(msg::kDirFiles, {Pad(WithThousands(files), 16), Pad(WithThousands(bytes), 19)});
}

std::string DirsLine(uint64_t dirs, uint64_t free) {
  return Tr(msg::kDirDirs, {Pad(WithThousands(dirs), 16), Pad(WithThousands(free), 15)});
}

struct Lister {
  const DirOptions& o;
  std::string pattern;
  std::string& out;
  const char* nl;
  uint64_t totalFiles = 0, totalBytes = 0, totalDirs = 0;
  bool any = false;

  void Line(const std::string& s) {
    out += s;
    out += nl;
  }

  std::string Shown(const std::string& name) const { return o.lower ? AsciiLower(name) : name; }

  // Folders that could not be read, with the reason.
  std::vector<std::string> unreadable;
  // The folders being listed, outermost first: a folder met again inside
  // itself (a bind mount) is not entered twice.
  std::vector<std::pair<dev_t, ino_t>> path;
  // An existing name given whole is that name, whatever it holds.
  bool literal = false;

  void Folder(const std::string& folder) {
    bool atRoot = folder == "/";
    std::vector<Entry> all;
    struct stat self {};
    if (!ReadEntries(folder, !o.bare && !atRoot, all, &self)) {
      unreadable.push_back(folder + ": " + std::strerror(errno));
      return;
    }
    for (const auto& [dev, ino] : path)
      if (dev == self.st_dev && ino == self.st_ino) return;
    path.push_back({self.st_dev, self.st_ino});
    std::vector<Entry> shown;
    for (const Entry& e : all) {
      bool dot = e.name == "." || e.name == "..";
      bool everything = pattern == "*" || pattern == "*.*";
      bool match = literal ? e.name == pattern : Matches(pattern, e.name);
      if ((dot ? everything : match) && AttrsPass(o, e)) shown.push_back(e);
    }
    SortEntries(shown, o);
    if (!shown.empty()) {
      any = true;
      Print(folder, shown);
    } else if (!o.recurse && !o.bare) {
      Line(Tr(msg::kDirOf, {folder}));
      Line("");
    }
    if (o.recurse) {
      std::vector<std::string> subs;
      // A link to a folder is listed, not entered (as ls -R and find do):
      // a link to "." or two links to each other would never end.
      for (const Entry& e : all)
        if (e.isDir && !e.isLink && e.name != "." && e.name != "..") subs.push_back(e.name);
      std::sort(subs.begin(), subs.end(),
                [](const std::string& a, const std::string& b) { return ::strcasecmp(a.c_str(), b.c_str()) < 0; });
      for (const std::string& s : subs) Folder(WithTrailingSlash(folder) + s);
    }
    path.pop_back();
  }

  void Print(const std::string& folder, const std::vector<Entry>& v) {
    uint64_t files = 0, bytes = 0, dirs = 0;
    for (const Entry& e : v) {
      if (e.isDir)
        ++dirs;
      else
        ++files, bytes += e.size;
    }
    totalFiles += files;
    totalBytes += bytes;
    totalDirs += dirs;
    if (o.bare) {
      for (const Entry& e : v) Line(o.recurse ? WithTrailingSlash(folder) + Shown(e.name) : Shown(e.name));
      return;
    }
    Line(Tr(msg::kDirOf, {folder}));
    Line("");
    if (o.wide) {
      size_t widest = 0;
      std::vector<std::string> cells;
      for (const Entry& e : v) {
        cells.push_back(e.isDir ? "[" + Shown(e.name) + "]" : Shown(e.name));
        widest = std::max(widest, Columns(cells.back()));
      }
      size_t width = std::max<size_t>(16, widest + 2);
      size_t perLine = std::max<size_t>(1, 80 / width);
      std::string row;
      for (size_t i = 0; i < cells.size(); ++i) {
        row += cells[i];
        bool last = (i + 1) % perLine == 0 || i + 1 == cells.size();
        if (last) {
          Line(row);
          row.clear();
        } else {
          row += std::string(width - Columns(cells[i]), ' ');
        }
      }
    } else {
      for (const Entry& e : v) {
        std::string s = DateTime(e.mtime.tv_sec);
        s += e.isDir ? "    <DIR>          " : Pad(WithThousands(e.size), 18) + " ";
        if (o.verbose) s += AttrLetters(e.attrs) + "  " + Date(e.atime.tv_sec) + "  ";
        s += Shown(e.name);
        Line(s);
      }
    }
    Line(FilesLine(files, bytes));
    if (!o.recurse) return;
    Line("");
  }
};

std::string Absolute(const std::string& p) {
  char buf[PATH_MAX];
  if (::realpath(p.c_str(), buf)) return buf;
  return p;
}

}  // namespace

std::vector<std::string> SplitArguments(const std::string& text) {
  std::vector<std::string> out;
  std::string cur;
  bool quoted = false, have = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      have = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (have) out.push_back(cur);
      cur.clear();
      have = false;
    } else {
      cur += c;
      have = true;
    }
  }
  if (have) out.push_back(cur);
  return out;
}

namespace {

// Linux paths begin with "/" as the switches do: a word is a switch when it
// has no second "/", its letter is one of the switches, its rest fits that
// switch and no file of that name exists.
bool ParseSwitch(const std::string& a, DirOptions& o) {
  if (a.size() < 2 || a[0] != '/' || a.find('/', 1) != std::string::npos) return false;
  struct stat st;
  if (::lstat(a.c_str(), &st) == 0) return false;
  char sw = Upper(a[1]);
  std::string rest = a.substr(2);
  if (!rest.empty() && rest[0] == ':') rest = rest.substr(1);
  if (sw == 'A' || sw == 'O') {
    std::vector<std::pair<char, bool>> letters;
    for (size_t i = 0; i < rest.size(); ++i) {
      bool neg = rest[i] == '-';
      if (neg && ++i >= rest.size()) return false;
      char c = Upper(rest[i]);
      if (sw == 'A' ? !AttrBit(c) : std::string("NSEDGA").find(c) == std::string::npos) return false;
      letters.push_back({c, neg});
    }
    if (sw == 'A') {
      o.attrGiven = true;
      for (auto [c, neg] : letters) (neg ? o.attrExcluded : o.attrRequired) += c;
    } else {
      if (letters.empty()) letters = {{'G', false}, {'N', false}};
      for (auto [c, neg] : letters) o.sort.push_back({c, neg});
    }
    return true;
  }
  if (!rest.empty()) return false;
  switch (sw) {
    case 'S':
      o.recurse = true;
      return true;
    case 'B':
      o.bare = true;
      return true;
    case 'W':
      o.wide = true;
      return true;
    case 'V':
      o.verbose = true;
      return true;
    case 'L':
      o.lower = true;
      return true;
  }
  return false;
}

}  // namespace

bool ParseDirArgs(const std::vector<std::string>& args, DirOptions& o, std::string& error) {
  bool havePath = false;
  for (const std::string& a : args) {
    if (a == "--sjis") {
      o.sjis = true;
      continue;
    }
    if (ParseSwitch(a, o)) continue;
    // "/X" or "/A:Q" cannot be meant as a path; longer words are paths.
    struct stat st;
    if ((a.size() == 2 || (a.size() > 2 && a[2] == ':')) && a[0] == '/' && ::lstat(a.c_str(), &st) != 0) {
      error = Tr(msg::kDirBadSwitch, {a});
      return false;
    }
    if (havePath) {
      error = Tr(msg::kDirBadParameter, {a});
      return false;
    }
    o.path = a;
    havePath = true;
  }
  return true;
}

VolumeInfo VolumeOf(const std::string& folder) {
  VolumeInfo v;
  struct statvfs sv;
  if (::statvfs(folder.c_str(), &sv) == 0) {
    v.freeBytes = static_cast<uint64_t>(sv.f_bavail) * sv.f_frsize;
    v.serial = static_cast<uint32_t>(sv.f_fsid ^ (sv.f_fsid >> 32));
  }
  std::string top = Absolute(folder);
  struct stat st, pst;
  // A path that does not exist lies on the volume of its nearest folder.
  while (top != "/" && ::stat(top.c_str(), &st) != 0) {
    top = FolderPart(top);
    if (top.size() > 1) top.pop_back();
    if (top.empty()) top = "/";
  }
  if (::stat(top.c_str(), &st) == 0) {
    while (top != "/") {
      std::string parent = FolderPart(top);
      if (parent.size() > 1) parent.pop_back();
      if (parent.empty() || ::stat(parent.c_str(), &pst) != 0 || pst.st_dev != st.st_dev) break;
      top = parent;
    }
  }
  v.mount = top;
  return v;
}

int DirListing(const DirOptions& o, std::string& out, const VolumeInfo* fixedVolume) {
  const char* nl = o.sjis ? "\r\n" : "\n";
  std::string folder, pattern;
  std::string path = o.path.empty() ? std::string(".") : o.path;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  struct stat given;
  bool exists = ::lstat(path.c_str(), &given) == 0;
  if (HasWildcard(path) && !exists) {
    folder = FolderPart(path);
    pattern = FileNamePart(path);
  } else if (IsDirectory(path)) {
    folder = path;
    pattern = "*";
  } else {
    folder = FolderPart(path);
    pattern = FileNamePart(path);
  }
  if (folder.empty()) folder = ".";
  std::string shownFolder = Absolute(folder);
  VolumeInfo vol = fixedVolume ? *fixedVolume : VolumeOf(shownFolder);
  Lister l{o, pattern, out, nl, 0, 0, 0, false, {}, {}, false};
  l.literal = exists && !IsDirectory(path);
  if (!o.bare) {
    l.Line(Tr(msg::kDirNoLabel, {vol.mount}));
    char serial[16];
    std::snprintf(serial, sizeof serial, "%04X-%04X", vol.serial >> 16, vol.serial & 0xFFFF);
    l.Line(Tr(msg::kDirSerial, {serial}));
    l.Line("");
  }
  if (!IsDirectory(folder)) {
    l.Line(std::string(Tr(msg::kDirPathNotFound)) + " - " + (exists || HasWildcard(path) ? folder : path));
    return 1;
  }
  l.Folder(shownFolder);
  // Folders that could not be read are named (a listing is never shorter
  // than the tree without a word).
  auto tellUnreadable = [&] {
    for (const std::string& u : l.unreadable) l.Line(Tr(msg::kDirUnreadable, {u}));
  };
  if (!l.any) {
    if (!o.bare && o.recurse) l.Line("");
    bool topUnreadable = !l.unreadable.empty() && l.unreadable.front().rfind(shownFolder + ": ", 0) == 0;
    tellUnreadable();
    if (!topUnreadable) l.Line(Tr(msg::kDirFileNotFound));
    return 1;
  }
  tellUnreadable();
  if (!l.unreadable.empty()) {
    if (o.bare) return 1;
    if (o.recurse) {
      l.Line(Tr(msg::kDirTotal));
      l.Line(FilesLine(l.totalFiles, l.totalBytes));
    }
    l.Line(DirsLine(l.totalDirs, vol.freeBytes));
    return 1;
  }
  if (o.bare) return 0;
  if (o.recurse) {
    l.Line(Tr(msg::kDirTotal));
    l.Line(FilesLine(l.totalFiles, l.totalBytes));
  }
  l.Line(DirsLine(l.totalDirs, vol.freeBytes));
  return 0;
}

std::string DirProgramPath() { return WithTrailingSlash(ExecutableDir()) + "navirt-dir"; }

bool RunDirProgram(const std::string& program, const std::string& arguments, const std::string& outputFile,
                   std::string& error, const std::function<bool()>& cancelled) {
  std::vector<std::string> words{program, "--sjis"};
  for (std::string& w : SplitArguments(arguments)) words.push_back(std::move(w));
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  pid_t pid;
  int rc = posix_spawn(&pid, program.c_str(), &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  if (rc != 0) {
    error = program + ": " + std::strerror(rc);
    return false;
  }
  int status = 0;
  if (cancelled) {
    // Polled, so a cancel ends a long listing within a few milliseconds.
    for (;;) {
      pid_t got = ::waitpid(pid, &status, WNOHANG);
      if (got == pid || (got < 0 && errno != EINTR)) break;
      if (cancelled()) {
        ::kill(pid, SIGKILL);
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        error.clear();
        return false;
      }
      ::usleep(5000);
    }
  } else {
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) {
    error = program + ": " + std::strerror(ENOENT);
    return false;
  }
  return true;
}

std::string DirResultLabel(const std::string& arguments) { return "dir   " + arguments + "   の結果"; }

std::string ListingTempPath(const std::string& exePath, bool exeDirWritable, const std::string& cacheHome,
                            const std::string& home) {
  if (exeDirWritable) {
    std::string name = FileNamePart(exePath);
    auto dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? exePath + ".tmp"
                                                : exePath.substr(0, exePath.size() - (name.size() - dot)) + ".tmp";
  }
  std::string cache = !cacheHome.empty() ? cacheHome : (home.empty() ? std::string("/tmp") : home + "/.cache");
  return WithTrailingSlash(cache) + "navirt/navirt.tmp";
}

std::string ListingTempPath() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  std::string exe = ExecutablePath();
  std::string p = ListingTempPath(exe, !RunsInstalled() && ::access(ExecutableDir().c_str(), W_OK) == 0, xdg ? xdg : "",
                                  home ? home : "");
  if (FolderPart(p) != FolderPart(exe)) ::mkdir(FolderPart(p).c_str(), 0700);
  return p;
}

TInputDialogModel DirectListingDialog(const std::string& currentFolder) {
  TInputDialogModel m;
  m.caption = "フォルダーの指定";
  m.prompt = "フォルダーの指定　例)　a:\\navir";
  m.note = "";
  // The answer is split at blanks: a folder with one is quoted.
  m.text = currentFolder.find_first_of(" \t") == std::string::npos ? currentFolder : "\"" + currentFolder + "\"";
  return m;
}

const std::vector<std::string>& TDirDialogModel::AttrChoices() {
  static const std::vector<std::string> v{"普通",
                                          " D ﾃﾞｨﾚｸﾄﾘ",
                                          "-D ﾃﾞｨﾚｸﾄﾘ－以外",
                                          " R 読み取り専用",
                                          "-R 読み取り専用－以外",
                                          " H 隠しﾌｧｲﾙ",
                                          "-H 隠しﾌｧｲﾙ－以外",
                                          " S ｼｽﾃﾑﾌｧｲﾙ",
                                          "-S ｼｽﾃﾑﾌｧｲﾙ－以外",
                                          " A ｱｰｶｲﾌﾞﾌｧｲﾙ",
                                          "-A ｱｰｶｲﾌﾞﾌｧｲﾙ－以外"};
  return v;
}

const std::vector<std::string>& TDirDialogModel::SortChoices() {
  static const std::vector<std::string> v{"普通",
                                          " N 名前順",
                                          "-N 名前－逆順",
                                          " S サイズ順",
                                          "-S サイズ－逆順",
                                          "E 拡張子順",
                                          "-E 拡張子－逆順",
                                          "D 日付順",
                                          "-D 日付－逆順",
                                          "G ディレクトリ優先",
                                          "-G ディレクトリ後",
                                          "A 最終アクセス順",
                                          "-A 最終アクセス逆順"};
  return v;
}

const std::vector<std::string>& TDirDialogModel::FormatChoices() {
  static const std::vector<std::string> v{"標凖", "詳細(/V)", "名前のみ(/B)", "ワイド(/W)"};
  return v;
}

void TDirDialogModel::Open(const TIniFile& ini, const std::string& currentFolder) {
  history = LoadHistoryList(ini, kSection);
  path = currentFolder;
}

namespace {
// " D ..." -> "D", "-D ..." -> "-D", "E ..." -> "E".
std::string ChoiceLetter(const std::string& choice) {
  if (choice.empty()) return {};
  if (choice[0] == '-') return choice.substr(0, 2);
  return choice[0] == ' ' ? choice.substr(1, 1) : choice.substr(0, 1);
}
}  // namespace

std::string TDirDialogModel::CommandLine() const {
  std::string s = "\"" + path + "\"";
  const auto& a = AttrChoices();
  const auto& o = SortChoices();
  s += attr > 0 && attr < static_cast<int>(a.size()) ? " /A:" + ChoiceLetter(a[attr]) : " ";
  s += sort > 0 && sort < static_cast<int>(o.size()) ? " /O:" + ChoiceLetter(o[sort]) : " ";
  s += subdirs ? " /S" : " ";
  static const char* kFormats[] = {" ", " /V", " /B", " /W"};
  s += format > 0 && format < 4 ? kFormats[format] : " ";
  s += lower ? " /L" : " ";
  return s;
}

std::string TDirDialogModel::Accept(TIniFile& ini) {
  history = SaveHistoryList(ini, kSection, history, path, kInputHistoryCountKey, kCap);
  return CommandLine() + " ";
}

std::string FileNamesText(const std::string& folder, const std::vector<std::string>& names, bool fullPaths) {
  std::string out;
  size_t total = 0;
  for (const std::string& n : names) total += n.size() + 2 + (fullPaths ? folder.size() + 1 : 0);
  out.reserve(total);
  std::string prefix = fullPaths ? WithTrailingSlash(folder) : std::string();
  for (const std::string& n : names) {
    out += prefix;
    out += n;
    out += "\r\n";
  }
  return out;
}

std::string FolderTreeText(const std::vector<TreeLine>& nodes) {
  std::string out;
  for (const TreeLine& n : nodes) {
    out.append(static_cast<size_t>(std::max(0, n.level)), '\t');
    out += n.text + "\r\n";
  }
  return out;
}

std::string DefaultNamesFile(const std::string& folder) {
  std::string f = folder;
  while (f.size() > 1 && f.back() == '/') f.pop_back();
  std::string name = FileNamePart(f);
  return (name.empty() ? std::string("root") : name) + ".txt";
}

bool SaveListText(const std::string& path, const std::string& text, std::string& message) {
  std::string error;
  if (!AtomicWriteFile(path, text, false, &error)) {
    message = path + ": " + error;
    return false;
  }
  message = path + msg::kSavedTo;
  return true;
}

}  // namespace navirt

// Names to pack, expanded by the archive-file object itself: masks,
// recursion, hidden files, time limits and exclusions.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "archive/Archives.h"
#include "platform/FileInfo.h"

namespace navirt {

// ---- name expansion ----------------------------------------------------------

bool ParseTimeLimit(const std::string& text, bool upper, std::time_t& limit) {
  std::string t = text;
  if (!t.empty() && (t[0] == 'l' || t[0] == 'L')) t.erase(0, 1);
  if (!std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  int year, rest;
  if (t.size() == 6 || t.size() == 12) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    year = (tm.tm_year + 1900) / 100 * 100 + std::stoi(t.substr(0, 2));
    rest = 2;
  } else if (t.size() == 8 || t.size() == 14) {
    year = std::stoi(t.substr(0, 4));
    rest = 4;
  } else {
    return false;
  }
  std::string md = t.substr(rest, 4);
  std::string hms = t.size() > static_cast<size_t>(rest + 4) ? t.substr(rest + 4) : (upper ? "235959" : "000000");
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = std::stoi(md.substr(0, 2)) - 1;
  tm.tm_mday = std::stoi(md.substr(2, 2));
  tm.tm_hour = std::stoi(hms.substr(0, 2));
  tm.tm_min = std::stoi(hms.substr(2, 2));
  tm.tm_sec = std::stoi(hms.substr(4, 2));
  tm.tm_isdst = -1;
  limit = std::mktime(&tm);
  return limit != -1;
}

namespace {

struct ExpandCtx {
  const TArchiverOptions& o;
  bool hasLo, hasHi;
  std::time_t lo, hi;
  const std::function<bool()>& stop;
  bool stopped = false;
  bool literal = false;  // the mask names a file that exists as given
  // Names to pack match case-sensitively with "*" and "?" only; exclusions
  // keep the archivers' looser masks (they can only leave files out).
  bool diskMasks = true;
  // Names left out for a reason the user did not ask for, with the reason.
  std::vector<std::string>* skipped = nullptr;
  void Skip(const std::string& name, const std::string& why) {
    if (skipped) skipped->push_back(name + " (" + why + ")");
  }
  bool emptyFolders = false;  // the format keeps folders: name the empty ones
};

bool EmptyFolder(const std::string& path) {
  DIR* d = ::opendir(path.c_str());
  if (!d) return false;
  bool empty = true;
  while (dirent* de = ::readdir(d)) {
    std::string n = de->d_name;
    if (n != "." && n != "..") {
      empty = false;
      break;
    }
  }
  ::closedir(d);
  return empty;
}

bool EveryName(const std::string& mask) { return mask == "*.*" || mask == "*"; }

// Masks here know only "*" and "?": a "[" in a file name is itself.
std::string DosMask(const std::string& mask) {
  std::string out;
  for (char c : mask) {
    if (c == '[')
      out += "[[]";
    else
      out += c;
  }
  return out;
}

// Only the hidden and system attributes count: a leading "." is a naming
// habit here (".git", ".env"), and such files are packed.
bool Hidden(const std::string& path) { return (DosXattrBits(path) & (faHidden | faSysFile)) != 0; }

void SearchFolder(ExpandCtx& cx, const std::string& dir, const std::string& shownDir, const std::string& mask,
                  bool recurse, std::vector<std::string>& out) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) {
    cx.Skip(dir.empty() ? "." : dir, std::string("cannot open the folder: ") + std::strerror(errno));
    return;
  }
  std::vector<std::string> names;
  while (dirent* de = ::readdir(d)) names.push_back(de->d_name);
  ::closedir(d);
  std::sort(names.begin(), names.end());
  std::vector<std::string> subdirs;
  for (const std::string& n : names) {
    if (cx.stopped) return;
    if (n == "." || n == "..") continue;
    std::string full = dir.empty() ? n : (dir.back() == '/' ? dir + n : dir + "/" + n);
    struct stat st;
    // Links are not followed: the library stores or skips them.
    if (::lstat(full.c_str(), &st) != 0) {
      cx.Skip(full, std::strerror(errno));
      continue;
    }
    if (S_ISDIR(st.st_mode)) {
      if (!recurse) continue;
      if (cx.o.a > 0 || !Hidden(full))
        subdirs.push_back(n);
      else
        cx.Skip(full, "hidden attribute");
      continue;
    }
    if (cx.literal ? n != mask : cx.diskMasks ? !arc::DiskWildMatch(mask, n) : !arc::WildMatch(DosMask(mask), n))
      continue;
    if (cx.o.a <= 0 && Hidden(full)) {
      cx.Skip(full, "hidden attribute");
      continue;
    }
    if (cx.hasLo && st.st_mtime < cx.lo) continue;
    if (cx.hasHi && st.st_mtime > cx.hi) continue;
    if (cx.stop && cx.stop()) {
      cx.stopped = true;
      return;
    }
    out.push_back(shownDir.empty() ? n : shownDir + "/" + n);
  }
  for (const std::string& s : subdirs) {
    std::string full = dir.empty() ? s : (dir.back() == '/' ? dir + s : dir + "/" + s);
    std::string shown = shownDir.empty() ? s : shownDir + "/" + s;
    SearchFolder(cx, full, shown, mask, recurse, out);
    if (cx.emptyFolders && EveryName(mask) && EmptyFolder(full)) out.push_back(shown);
  }
}

void ExpandOne(ExpandCtx& cx, const std::string& name, std::vector<std::string>& out) {
  std::string folder, mask;
  // A name of this system: "/" separates, "\" is a character.
  const std::string& diskName = name;
  cx.literal = false;
  const bool namedFolder = cx.o.r > 1 && IsDirectory(diskName);
  if (namedFolder) {
    folder = name;
    while (!folder.empty() && folder.back() == '/') folder.pop_back();
    mask = "*.*";
  } else {
    size_t sep = name.rfind('/');
    folder = sep == std::string::npos ? "" : name.substr(0, sep);
    mask = sep == std::string::npos ? name : name.substr(sep + 1);
    if (sep == 0) folder = name.substr(0, 1);
    struct stat st;
    cx.literal = cx.diskMasks && ::lstat(diskName.c_str(), &st) == 0;
  }
  const std::string& dir = folder;
  bool wild = !cx.literal && mask.find_first_of("*?") != std::string::npos;
  bool recurse = cx.o.r > 0 && (cx.o.p <= 0 || wild);
  if (folder == "/") {
    // The root keeps its one separator.
    std::vector<std::string> tmp;
    SearchFolder(cx, "/", "", mask, recurse, tmp);
    for (auto& t : tmp) out.push_back("/" + t);
    return;
  }
  size_t before = out.size();
  SearchFolder(cx, dir, folder, mask, recurse, out);
  // A named folder with nothing in it is packed as the folder.
  if (cx.emptyFolders && namedFolder && out.size() == before && !folder.empty() && EmptyFolder(folder))
    out.push_back(folder);
}

}  // namespace

int ExpandPackNames(const TArchiverOptions& o, const std::vector<std::string>& names, std::vector<std::string>& out,
                    const std::function<bool()>& stop, std::vector<std::string>* skipped, bool emptyFolders) {
  ExpandCtx cx{o, false, false, 0, 0, stop};
  cx.skipped = skipped;
  cx.emptyFolders = emptyFolders;
  cx.hasLo = ParseTimeLimit(o.jo, false, cx.lo);
  cx.hasHi = ParseTimeLimit(o.job, true, cx.hi);
  std::vector<std::string> excluded;
  {
    ExpandCtx ex{o, false, false, 0, 0, std::function<bool()>()};
    ex.diskMasks = false;
    for (const auto& x : o.jx) ExpandOne(ex, x, excluded);
  }
  std::vector<std::string> lowerEx;
  for (const auto& e : excluded) lowerEx.push_back(AsciiLower(e));
  std::sort(lowerEx.begin(), lowerEx.end());
  std::vector<std::string> found;
  for (const auto& n : names) {
    ExpandOne(cx, n, found);
    if (cx.stopped) return 0x8020;
  }
  out.clear();
  for (auto& f : found)
    if (!std::binary_search(lowerEx.begin(), lowerEx.end(), AsciiLower(f))) out.push_back(f);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return 0;
}

}  // namespace navirt

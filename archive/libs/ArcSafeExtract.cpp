// Where an entry may land: names that climb out of the chosen folder,
// absolute names and paths through symbolic links are refused here, once
// for every format.
#include "archive/libs/ArcCommon.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include "archive/libs/LibMessages.h"
#include "platform/Cp932.h"

namespace navirt::arc {

// ---- extraction targets ------------------------------------------------

std::string OutputFolder(const std::string& folder) {
  if (folder.empty()) return "./";
  std::string f = folder;
  if (f.back() != '/') f += '/';
  return f;
}

namespace {
bool SplitSafe(const std::string& entryPath, std::vector<std::string>& parts, std::string& why) {
  if (entryPath.empty()) {
    why = "empty name";
    return false;
  }
  if (entryPath[0] == '/' || entryPath[0] == '\\') {
    why = "absolute path refused";
    return false;
  }
  if (entryPath.size() >= 2 && entryPath[1] == ':' &&
      ((entryPath[0] >= 'A' && entryPath[0] <= 'Z') || (entryPath[0] >= 'a' && entryPath[0] <= 'z'))) {
    why = "drive prefix refused";
    return false;
  }
  size_t start = 0;
  while (start <= entryPath.size()) {
    size_t end = entryPath.find('/', start);
    if (end == std::string::npos) end = entryPath.size();
    std::string part = entryPath.substr(start, end - start);
    if (part == "..") {
      why = "\"..\" in the path refused";
      return false;
    }
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  if (parts.empty()) {
    why = "empty name";
    return false;
  }
  return true;
}
}  // namespace

bool FolderCache::Has(const std::string& folder) const {
  return std::binary_search(known.begin(), known.end(), folder);
}

void FolderCache::Add(const std::string& folder) {
  auto it = std::lower_bound(known.begin(), known.end(), folder);
  if (it == known.end() || *it != folder) known.insert(it, folder);
}

bool ExtractTargetOf(const std::string& outDir, const std::string& entryPath, bool keepPaths, std::string& target) {
  std::vector<std::string> parts;
  std::string why;
  if (!SplitSafe(entryPath, parts, why)) return false;
  if (!keepPaths) parts.erase(parts.begin(), parts.end() - 1);
  // Built as PrepareTarget builds it, so the two names compare equal.
  std::string cur = OutputFolder(outDir);
  cur.pop_back();
  if (cur.empty()) cur = "/";
  for (const std::string& part : parts) cur += "/" + part;
  target = cur;
  return true;
}

int PrepareTarget(const std::string& outDir, const std::string& entryPath, bool keepPaths, bool isDir,
                  std::string& target, std::string& why, FolderCache* cache) {
  std::vector<std::string> parts;
  // An unsafe stored name is a header no sound archive holds.
  if (!SplitSafe(entryPath, parts, why)) return kErrHeaderBroken;
  if (!keepPaths) {
    if (isDir) {
      why = "folder";
      return kErrUserSkip;
    }
    parts.erase(parts.begin(), parts.end() - 1);
  }
  std::string cur = OutputFolder(outDir);
  cur.pop_back();
  if (cur.empty()) cur = "/";
  struct stat st;
  const bool outKnown = cache && cache->Has(cur);
  if (!outKnown && ::stat(cur.c_str(), &st) != 0) {
    // The chosen folder itself may be new.
    std::string acc;
    for (size_t i = 0; i < cur.size(); ++i) {
      acc += cur[i];
      if ((cur[i] == '/' && i > 0) || i + 1 == cur.size()) {
        if (::mkdir(acc.c_str(), 0777) != 0 && errno != EEXIST) {
          why = "cannot create folder " + cur;
          return kErrMakeDirectory;
        }
      }
    }
  }
  size_t dirs = isDir ? parts.size() : parts.size() - 1;
  if (cache && !outKnown) cache->Add(cur);
  for (size_t i = 0; i < dirs; ++i) {
    cur += "/" + parts[i];
    if (cache && cache->Has(cur)) continue;
    if (::lstat(cur.c_str(), &st) == 0) {
      if (S_ISLNK(st.st_mode)) {
        why = "path through a symbolic link refused";
        return kErrMakeDirectory;
      }
      if (!S_ISDIR(st.st_mode)) {
        why = "a file stands in the way of folder " + parts[i];
        return kErrMakeDirectory;
      }
    } else if (::mkdir(cur.c_str(), 0777) != 0) {
      why = "cannot create folder " + parts[i];
      return kErrMakeDirectory;
    }
    if (cache) cache->Add(cur);
  }
  if (isDir) {
    target = cur;
    return kOk;
  }
  target = cur + "/" + parts.back();
  if (cache) return kOk;
  if (::lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    why = "a folder of that name exists";
    return kErrCannotWrite;
  }
  return kOk;
}

bool ShouldWrite(const std::string& target, std::time_t entryTime, Overwrite mode, std::string& why) {
  struct stat st;
  if (::lstat(target.c_str(), &st) != 0) return true;
  switch (mode) {
    case Overwrite::Always:
      return true;
    case Overwrite::Never:
      why = "already exists, skipped";
      return false;
    case Overwrite::IfNewer:
      if (entryTime > st.st_mtime) return true;
      why = "same or newer file exists, skipped";
      return false;
  }
  return false;
}

void ApplyMeta(const std::string& target, std::time_t mtime, uint32_t attr, bool isDir) {
  if (mtime > 0) {
    struct timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = mtime;
    ts[0].tv_nsec = ts[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, target.c_str(), ts, AT_SYMLINK_NOFOLLOW);
  }
  if (!isDir && (attr & kAttrRO)) {
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::chmod(target.c_str(), st.st_mode & ~0222);
  }
}

bool LinkStaysInside(const std::string& entryPath, const std::string& linkTarget) {
  if (linkTarget.empty() || linkTarget[0] == '/' || linkTarget[0] == '\\') return false;
  if (linkTarget.size() >= 2 && linkTarget[1] == ':') return false;
  int depth = 0;
  for (char c : entryPath)
    if (c == '/') ++depth;
  std::string t = linkTarget;
  for (char& c : t)
    if (c == '\\') c = '/';
  size_t start = 0;
  while (start <= t.size()) {
    size_t end = t.find('/', start);
    if (end == std::string::npos) end = t.size();
    std::string part = t.substr(start, end - start);
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
    start = end + 1;
  }
  return true;
}

}  // namespace navirt::arc

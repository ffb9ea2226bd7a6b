// The files a pack command names, walked on the disk without following
// symbolic links.
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

// ---- collecting files to pack -----------------------------------------

namespace {
bool HasWild(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

void AddItem(const std::string& disk, const std::string& stored, const struct stat& st, std::vector<PackItem>& out) {
  PackItem it;
  it.disk = disk;
  // A "\\" of a name on disk is a character; formats whose names use it
  // as a separator read it back as one.
  it.stored = NormalizeSlashes(stored, false);
  it.isDir = S_ISDIR(st.st_mode);
  it.mtime = st.st_mtime;
  it.size = it.isDir ? 0 : static_cast<uint64_t>(st.st_size);
  it.attr = it.isDir ? kAttrDir : kAttrArchive;
  if (!(st.st_mode & S_IWUSR)) it.attr |= kAttrRO;
  std::string base = stored.substr(stored.rfind('/') == std::string::npos ? 0 : stored.rfind('/') + 1);
  if (!base.empty() && base[0] == '.') it.attr |= kAttrHidden;
  if (!it.stored.empty()) out.push_back(std::move(it));
}

// A symbolic link met while packing: a link item, or a warning.
void AddLink(const std::string& disk, const std::string& stored, const struct stat& st, bool storeLinks,
             std::vector<PackItem>& out, Report& rep) {
  if (!storeLinks) {
    rep.SayUtf8(msg::kLinkSkipped, {stored});
    return;
  }
  std::string target(4096, '\0');
  ssize_t n = ::readlink(disk.c_str(), target.data(), target.size());
  if (n <= 0 || static_cast<size_t>(n) >= target.size()) {
    rep.SayUtf8(msg::kUnreadableLinkSkipped, {stored});
    return;
  }
  target.resize(static_cast<size_t>(n));
  AddItem(disk, stored, st, out);
  if (out.empty() || out.back().disk != disk) return;
  out.back().isLink = true;
  out.back().linkTarget = target;
  out.back().size = 0;
}

void Walk(const std::string& disk, const std::string& stored, bool includeHidden, bool storeLinks,
          std::vector<PackItem>& out, Report& rep) {
  DIR* d = ::opendir(disk.c_str());
  if (!d) {
    rep.SayUtf8(msg::kFolderUnreadable, {stored});
    return;
  }
  std::vector<std::string> names;
  while (dirent* de = ::readdir(d)) {
    std::string n = de->d_name;
    if (n == "." || n == "..") continue;
    if (!includeHidden && n[0] == '.') continue;
    names.push_back(n);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  for (const auto& n : names) {
    std::string p = disk + "/" + n;
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0) continue;
    std::string s = stored.empty() ? n : stored + "/" + n;
    // A link is never followed: a link to ".." would leave the named
    // tree, two of them would loop.
    if (S_ISLNK(st.st_mode)) {
      AddLink(p, s, st, storeLinks, out, rep);
    } else if (S_ISDIR(st.st_mode)) {
      AddItem(p, s, st, out);
      Walk(p, s, includeHidden, storeLinks, out, rep);
    } else if (S_ISREG(st.st_mode)) {
      AddItem(p, s, st, out);
    }
  }
}

std::string StoredName(const std::string& name, const std::string& base, bool storedPaths) {
  std::string n = NormalizeSlashes(name, false);
  if (!storedPaths) {
    size_t slash = n.rfind('/');
    return slash == std::string::npos ? n : n.substr(slash + 1);
  }
  if (!base.empty() && !name.empty() && name[0] == '/') {
    std::string b = NormalizeSlashes(base, false);
    if (n.compare(0, b.size(), b) == 0 && n.size() > b.size() && n[b.size()] == '/') return n.substr(b.size() + 1);
  }
  // Only a relative form goes into an archive.
  std::vector<std::string> parts;
  size_t start = 0;
  std::string out;
  while (start <= n.size()) {
    size_t end = n.find('/', start);
    if (end == std::string::npos) end = n.size();
    std::string part = n.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") out += (out.empty() ? "" : "/") + part;
    start = end + 1;
  }
  return out;
}
}  // namespace

int CollectFiles(const std::vector<std::string>& names, const std::string& baseFolder, bool storedPaths, bool recurse,
                 bool includeHidden, std::vector<PackItem>& out, Report& rep, bool storeLinks) {
  for (const std::string& raw : names) {
    std::string name = raw;
    std::string disk = (!name.empty() && name[0] == '/') || baseFolder.empty() ? name : OutputFolder(baseFolder) + name;
    // A name that exists as given is that file, whatever it holds.
    if (HasWild(name) && !PathExists(disk)) {
      size_t slash = disk.rfind('/');
      std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : disk.substr(0, slash));
      std::string mask = slash == std::string::npos ? disk : disk.substr(slash + 1);
      size_t nslash = name.rfind('/');
      std::string storedDir = nslash == std::string::npos ? "" : name.substr(0, nslash + 1);
      DIR* d = ::opendir(dir.c_str());
      if (!d) {
        rep.SayUtf8(msg::kCannotOpenFolder, {dir});
        return kErrFileOpen;
      }
      std::vector<std::string> found;
      while (dirent* de = ::readdir(d)) {
        std::string n = de->d_name;
        if (n == "." || n == "..") continue;
        if (!includeHidden && n[0] == '.') continue;
        if (DiskWildMatch(mask, n)) found.push_back(n);
      }
      ::closedir(d);
      std::sort(found.begin(), found.end());
      for (const auto& n : found) {
        std::string p = dir + "/" + n;
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0) continue;
        std::string s = StoredName(storedDir + n, baseFolder, storedPaths);
        if (S_ISLNK(st.st_mode)) {
          AddLink(p, s, st, storeLinks, out, rep);
        } else if (S_ISDIR(st.st_mode)) {
          if (!recurse) continue;
          AddItem(p, s, st, out);
          Walk(p, s, includeHidden, storeLinks, out, rep);
        } else if (S_ISREG(st.st_mode)) {
          AddItem(p, s, st, out);
        }
      }
      continue;
    }
    struct stat st;
    if (::stat(disk.c_str(), &st) != 0 && ::lstat(disk.c_str(), &st) != 0) {
      rep.SayUtf8(msg::kFileNotFound, {raw});
      return kErrFileOpen;
    }
    std::string s = StoredName(name, baseFolder, storedPaths);
    // A named link stays a link too (callers that mean the folder behind a
    // link list its files themselves).
    struct stat lst;
    if (::lstat(disk.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
      AddLink(disk, s, lst, storeLinks, out, rep);
    } else if (S_ISDIR(st.st_mode)) {
      if (!recurse) {
        // Without -r a named folder is the folder alone, as zip packs it.
        if (!s.empty()) AddItem(disk, s, st, out);
        continue;
      }
      if (!s.empty()) AddItem(disk, s, st, out);
      Walk(disk, s, includeHidden, storeLinks, out, rep);
    } else if (S_ISREG(st.st_mode)) {
      AddItem(disk, s, st, out);
    }
  }
  return kOk;
}

void DropArchiveItself(std::vector<PackItem>& items, const std::string& archive) {
  struct stat a;
  if (::stat(archive.c_str(), &a) != 0) return;
  items.erase(std::remove_if(items.begin(), items.end(),
                             [&](const PackItem& it) {
                               struct stat st;
                               return ::stat(it.disk.c_str(), &st) == 0 && st.st_dev == a.st_dev &&
                                      st.st_ino == a.st_ino;
                             }),
              items.end());
}

}  // namespace navirt::arc

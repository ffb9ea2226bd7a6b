// File facts are read in one place so that every window shows the same
// size, time and attribute letters for a file, whichever asks.
#include "platform/FileInfo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace navirt {
namespace {

constexpr const char* kDosAttrName = "user.DOSATTRIB";

// Samba writes "0x20" (text), newer versions add a binary blob after a NUL;
// the leading hexadecimal text is what every version keeps readable.
uint32_t ReadDosXattr(const std::string& path) {
  char buf[256];
  ssize_t n = getxattr(path.c_str(), kDosAttrName, buf, sizeof buf - 1);
  if (n <= 2) return 0;
  buf[n] = 0;
  if (buf[0] != '0' || (buf[1] != 'x' && buf[1] != 'X')) return 0;
  return static_cast<uint32_t>(std::strtoul(buf + 2, nullptr, 16));
}

}  // namespace

uint32_t DosXattrBits(const std::string& path) { return ReadDosXattr(path) & (faArchive | faSysFile | faHidden); }

uint32_t ReadAttributes(const std::string& path, bool& ok) {
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) {
    ok = false;
    return 0xFFFFFFFFu;  // as the old error value: every letter set
  }
  if (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) != 0) {
    ok = false;
    return 0xFFFFFFFFu;
  }
  ok = true;
  uint32_t a = 0;
  if (!(st.st_mode & S_IWUSR)) a |= faReadOnly;
  std::string name = FileNamePart(path);
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") a |= faHidden;
  if (S_ISDIR(st.st_mode)) a |= faDirectory;
  a |= ReadDosXattr(path) & (faArchive | faSysFile);
  return a;
}

bool WriteAttributes(const std::string& path, uint32_t attrs) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  bool ok = true;
  mode_t mode = st.st_mode & 07777;
  mode_t want = (attrs & faReadOnly) ? (mode & ~mode_t(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
  if (want != mode && ::chmod(path.c_str(), want) != 0) ok = false;
  uint32_t keep = attrs & (faArchive | faSysFile);
  if (keep == 0) {
    if (::removexattr(path.c_str(), kDosAttrName) != 0 && errno != ENODATA && errno != ENOTSUP) ok = false;
  } else {
    char buf[16];
    int n = std::snprintf(buf, sizeof buf, "0x%x", static_cast<unsigned>(keep));
    if (::setxattr(path.c_str(), kDosAttrName, buf, static_cast<size_t>(n) + 1, 0) != 0) ok = false;
  }
  return ok;
}

FileStat StatPath(const std::string& path) {
  FileStat r;
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    r.attrError = true;
    r.attrs = 0xFFFFFFFFu;
    return r;
  }
  r.found = true;
  r.isDir = S_ISDIR(st.st_mode);
  r.size = static_cast<uint64_t>(st.st_size);
  r.mtime = st.st_mtime;
  bool ok = true;
  r.attrs = ReadAttributes(path, ok);
  r.attrError = !ok;
  return r;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string AttributeLetters(const FileStat& st) {
  std::string s;
  if (st.attrError) s += "ｴﾗｰ";
  s += (st.attrs & faReadOnly) ? "R" : "-";
  s += (st.attrs & faArchive) ? "A" : "-";
  s += (st.attrs & faSysFile) ? "S" : "-";
  s += (st.attrs & faHidden) ? "H" : "-";
  if (!st.attrError && (st.attrs & faDirectory)) s += "   ﾃﾞｨﾚｸﾄﾘ";
  return s;
}

std::string FileNamePart(const std::string& path) {
  auto p = path.find_last_of('/');
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string FolderPart(const std::string& path) {
  auto p = path.find_last_of('/');
  return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string WithTrailingSlash(const std::string& path) {
  if (path.empty() || path.back() == '/') return path;
  return path + "/";
}

std::string AsciiLower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool ReadWholeFile(const std::string& path, std::string& out) {
  out.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  if (st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size));
  char buf[1 << 16];
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      ::close(fd);
      out.clear();
      return false;
    }
    if (n == 0) break;
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
}

}  // namespace navirt

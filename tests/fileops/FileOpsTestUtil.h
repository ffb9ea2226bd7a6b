#pragma once
// Unique scratch folders and small file helpers for the file-operation tests.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/UniqueTempDir.h"

namespace navirt::testing_util {

// A folder of the tests' own (UniqueTempDir), named the way the file
// operations name folders: a string, joined with "/".
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& base = {}) : dir_("navirt-fileops", base), path_(dir_.path().string()) {}
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  UniqueTempDir dir_;
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& data) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << data;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

inline bool Exists(const std::string& p) {
  struct stat st;
  return ::lstat(p.c_str(), &st) == 0;
}

inline void SetMtime(const std::string& p, time_t t) {
  struct timespec ts[2] = {{t, 0}, {t, 0}};
  ::utimensat(AT_FDCWD, p.c_str(), ts, AT_SYMLINK_NOFOLLOW);
}

// Names in a folder, sorted, without the temporary files' prefix check.
inline std::vector<std::string> Names(const std::string& dir) {
  std::vector<std::string> v;
  std::error_code ec;
  for (auto& e : std::filesystem::directory_iterator(dir, ec)) v.push_back(e.path().filename().string());
  std::sort(v.begin(), v.end());
  return v;
}

inline std::string Bytes(size_t n, unsigned seed) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 131 + seed * 7 + (i >> 8)) & 0xFF);
  return s;
}

// Makes a folder unwritable even for root (the immutable flag); false when
// neither way works here.
inline bool MakeReadOnly(const std::string& dir) {
  ::chmod(dir.c_str(), 0555);
  if (::geteuid() != 0) return true;
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  flags |= FS_IMMUTABLE_FL;
  ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  ::close(fd);
  return ok;
}

inline void UndoReadOnly(const std::string& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    int flags = 0;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & FS_IMMUTABLE_FL)) {
      flags &= ~FS_IMMUTABLE_FL;
      ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    ::close(fd);
  }
  ::chmod(dir.c_str(), 0755);
}

}  // namespace navirt::testing_util

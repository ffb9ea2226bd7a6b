// Copying is the longest work the file commands do; trying the cheap kernel
// paths first and falling back per error keeps a copy across file systems
// working while a copy within one costs almost nothing.
#include "platform/FileCopy.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/FileInfo.h"

namespace navirt {
namespace {

// Chunks small enough for a responsive progress bar and cancel, large
// enough that the per-call cost vanishes.
constexpr uint64_t kChunk = 16u << 20;

ByteCopyResult SystemError() {
  ByteCopyResult r;
  r.error = std::strerror(errno);
  return r;
}

bool FallsBack(int e) {
  return e == EXDEV || e == EINVAL || e == ENOSYS || e == EOPNOTSUPP || e == EBADF || e == EPERM;
}

ByteCopyResult ReadWriteRange(int in, uint64_t offset, uint64_t length, int out, uint64_t done,
                              const std::function<bool(uint64_t)>& onBytes) {
  std::vector<char> buf(1u << 20);
  uint64_t left = length;
  while (left > 0) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(left, buf.size()));
    ssize_t n = ::pread(in, buf.data(), want, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return SystemError();
    }
    if (n == 0) break;
    for (ssize_t w = 0; w < n;) {
      ssize_t k = ::write(out, buf.data() + w, static_cast<size_t>(n - w));
      if (k < 0) {
        if (errno == EINTR) continue;
        return SystemError();
      }
      w += k;
    }
    offset += static_cast<uint64_t>(n);
    left -= static_cast<uint64_t>(n);
    done += static_cast<uint64_t>(n);
    if (onBytes && !onBytes(done)) {
      ByteCopyResult r;
      r.cancelled = true;
      r.bytes = done;
      return r;
    }
  }
  ByteCopyResult r;
  r.ok = true;
  r.bytes = done;
  return r;
}

}  // namespace

ByteCopyResult CopyFileRange(int in, uint64_t offset, uint64_t length, int out,
                             const std::function<bool(uint64_t)>& onBytes) {
  uint64_t done = 0;
  loff_t inOff = static_cast<loff_t>(offset);
  while (done < length) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(length - done, kChunk));
    ssize_t n = ::copy_file_range(in, &inOff, out, nullptr, want, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (FallsBack(errno)) return ReadWriteRange(in, offset + done, length - done, out, done, onBytes);
      return SystemError();
    }
    if (n == 0) break;  // end of the source
    done += static_cast<uint64_t>(n);
    if (onBytes && !onBytes(done)) {
      ByteCopyResult r;
      r.cancelled = true;
      r.bytes = done;
      return r;
    }
  }
  ByteCopyResult r;
  r.ok = true;
  r.bytes = done;
  return r;
}

ByteCopyResult CopyFileBytes(int in, int out, const std::function<bool(uint64_t)>& onBytes) {
  struct stat st;
  if (::fstat(in, &st) != 0) return SystemError();
  if (S_ISREG(st.st_mode) && st.st_size > 0 && ::ioctl(out, FICLONE, in) == 0) {
    ByteCopyResult r;
    r.ok = true;
    r.bytes = static_cast<uint64_t>(st.st_size);
    if (onBytes && !onBytes(r.bytes)) {
      r.ok = false;
      r.cancelled = true;
    }
    return r;
  }
  // The size is a hint only: a file that grows is copied to its end.
  return CopyFileRange(in, 0, UINT64_MAX / 2, out, onBytes);
}

int CreateTemporaryIn(const std::string& folder, std::string& path) {
  path = WithTrailingSlash(folder.empty() ? std::string(".") : folder) + ".navirt-part-XXXXXX";
  return ::mkostemp(path.data(), O_CLOEXEC);
}

bool RenameNoReplace(const std::string& from, const std::string& to) {
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

bool SyncFolderOf(const std::string& path) {
  std::string dir = FolderPart(path);
  if (dir.empty()) dir = ".";
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  ::close(fd);
  return ok;
}

}  // namespace navirt

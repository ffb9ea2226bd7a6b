// Archives are read through memory maps and written through temporary
// files, so a large archive costs little memory and a failure never leaves
// half a file under a real name.
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

// ---- input -------------------------------------------------------------

InputFile::~InputFile() {
  if (map_) ::munmap(map_, size_);
}

bool InputFile::Open(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  size_ = static_cast<uint64_t>(st.st_size);
  if (size_ == 0) {
    ::close(fd);
    data_ = "";
    return true;
  }
  void* m = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (m == MAP_FAILED) {
    size_ = 0;
    return false;
  }
  map_ = m;
  data_ = static_cast<const char*>(m);
  return true;
}

void InputFile::DropPages() const {
  if (map_) ::madvise(map_, size_, MADV_DONTNEED);
}

namespace {
constexpr size_t kSinkPiece = 1 << 20;
constexpr uint64_t kDropEvery = 16u << 20;
}  // namespace

Sink TrimmingSink(const InputFile& in, const Sink& sink) {
  auto passed = std::make_shared<uint64_t>(0);
  return [&in, sink, passed](const unsigned char* p, size_t n) {
    while (n > 0) {
      size_t k = std::min(n, kSinkPiece);
      if (!sink(p, k)) return false;
      p += k;
      n -= k;
      *passed += k;
      if (*passed >= kDropEvery) {
        *passed = 0;
        in.DropPages();
      }
    }
    return true;
  };
}

uint32_t Crc32Of(const InputFile& in, const unsigned char* p, uint64_t n) {
  uint32_t crc = 0;
  while (n > 0) {
    size_t k = static_cast<size_t>(std::min<uint64_t>(n, kDropEvery));
    crc = Crc32(crc, p, k);
    p += k;
    n -= k;
    if (n > 0) in.DropPages();
  }
  return crc;
}

uint16_t Crc16Of(const InputFile& in, const unsigned char* p, uint64_t n) {
  uint16_t crc = 0;
  while (n > 0) {
    size_t k = static_cast<size_t>(std::min<uint64_t>(n, kDropEvery));
    crc = Crc16(crc, p, k);
    p += k;
    n -= k;
    if (n > 0) in.DropPages();
  }
  return crc;
}

bool ReadFileBytes(const std::string& path, std::string& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// ---- output ------------------------------------------------------------

namespace {
mode_t FileMode() {
  static const mode_t mode = [] {
    mode_t m = ::umask(022);
    ::umask(m);
    return static_cast<mode_t>(0666 & ~m);
  }();
  return mode;
}
}  // namespace

OutputFile::~OutputFile() { Abort(); }

// The temporary name: ".NAME.navirt-PID-XXXXXX" in the target's folder, so
// a run that was killed can be told from one still writing.
bool OutputFile::Open(const std::string& target) {
  Abort();
  target_ = target;
  size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.size() > 200) base.resize(200);
  std::string tmpl = dir + "." + base + ".navirt-" + std::to_string(::getpid()) + "-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back(0);
  int fd = ::mkostemp(buf.data(), O_CLOEXEC);
  if (fd < 0) return false;
  ::fchmod(fd, FileMode());
  temp_ = buf.data();
  direct_ = false;
  fd_ = fd;
  pending_.clear();
  written_ = 0;
  failed_ = false;
  return true;
}

// A free name is written under a temporary name too: a run killed half way
// leaves no half file under the entry's name. The rename at the end never
// replaces what appeared there meanwhile.
int OutputFile::OpenNew(const std::string& target) {
  struct stat st;
  if (::lstat(target.c_str(), &st) == 0) return EEXIST;
  if (errno != ENOENT) return errno ? errno : EIO;
  if (!Open(target)) return errno ? errno : EIO;
  direct_ = true;
  return 0;
}

void RemoveStaleTemporaries(const std::string& dir) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return;
  std::vector<std::string> stale;
  while (dirent* de = ::readdir(d)) {
    std::string n = de->d_name;
    size_t at = n.rfind(".navirt-");
    if (n.size() < 2 || n[0] != '.' || at == std::string::npos || at == 0) continue;
    size_t p = at + 8, q = p;
    while (q < n.size() && n[q] >= '0' && n[q] <= '9') ++q;
    if (q == p || q + 7 != n.size() || n[q] != '-' || q - p > 9) continue;
    pid_t pid = static_cast<pid_t>(std::stol(n.substr(p, q - p)));
    if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    stale.push_back(n);
  }
  ::closedir(d);
  std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  for (const auto& n : stale) {
    struct stat st;
    std::string path = prefix + n;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
  }
}

namespace {
bool WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t k = ::write(fd, p, n);
    if (k < 0 && errno == EINTR) continue;
    if (k <= 0) return false;
    p += k;
    n -= static_cast<size_t>(k);
  }
  return true;
}
}  // namespace

bool OutputFile::Flush() {
  if (failed_) return false;
  if (!pending_.empty() && !WriteAll(fd_, pending_.data(), pending_.size())) failed_ = true;
  pending_.clear();
  return !failed_;
}

bool OutputFile::Write(const void* data, size_t len) {
  if (fd_ < 0 || failed_) return false;
  written_ += len;
  const char* p = static_cast<const char*>(data);
  if (pending_.size() + len <= kGather) {
    pending_.append(p, len);
    return true;
  }
  if (!Flush()) return false;
  if (len < kGather) {
    pending_.append(p, len);
    return true;
  }
  if (!WriteAll(fd_, p, len)) failed_ = true;
  return !failed_;
}

bool OutputFile::Patch(uint64_t off, std::string_view bytes) {
  if (fd_ < 0 || failed_) return false;
  if (off > written_ || bytes.size() > written_ - off || !Flush()) return failed_ = true, false;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(off + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return failed_ = true, false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool OutputFile::Truncate(uint64_t off) {
  if (fd_ < 0 || failed_ || off > written_) return false;
  if (!Flush() || ::ftruncate(fd_, static_cast<off_t>(off)) != 0 ||
      ::lseek(fd_, static_cast<off_t>(off), SEEK_SET) != static_cast<off_t>(off))
    return failed_ = true, false;
  written_ = off;
  return true;
}

bool OutputFile::Commit(std::time_t mtime, bool setTime) {
  if (fd_ < 0) return false;
  bool ok = Flush();
  if (ok && setTime) {
    struct timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = mtime;
    ts[0].tv_nsec = ts[1].tv_nsec = 0;
    ::futimens(fd_, ts);
  }
  ok = (::close(fd_) == 0) && ok;
  fd_ = -1;
  pending_.clear();
  if (ok)
    ok = direct_ ? ::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0
                 : ::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) ::unlink(temp_.c_str());
  temp_.clear();
  return ok;
}

void OutputFile::Abort() {
  direct_ = false;
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  pending_.clear();
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

// ---- files to pack, streamed -------------------------------------------

SourceFile::~SourceFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool SourceFile::Open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat st;
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

int SourceFile::Stream(const Sink& sink) {
  if (fd_ < 0) return kErrCannotRead;
  piece_.resize(kPiece);
  for (off_t pos = 0;;) {
    ssize_t n = ::pread(fd_, piece_.data(), piece_.size(), pos);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return kErrCannotRead;
    if (n == 0) return kOk;
    if (!sink(reinterpret_cast<const unsigned char*>(piece_.data()), static_cast<size_t>(n))) return kErrCannotWrite;
    pos += n;
  }
}

int DeflateFile(SourceFile& src, int level, int windowBits, const Sink& sink, uint32_t& crc, uint64_t& size) {
  z_stream zs{};
  if (deflateInit2(&zs, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) return kErrMoreHeapMemory;
  crc = 0;
  size = 0;
  std::string buf(1 << 18, '\0');
  bool sinkFailed = false;
  auto pump = [&](const unsigned char* p, size_t n, int flush) {
    zs.next_in = const_cast<Bytef*>(p);
    zs.avail_in = static_cast<uInt>(n);
    int r;
    do {
      zs.next_out = reinterpret_cast<Bytef*>(buf.data());
      zs.avail_out = static_cast<uInt>(buf.size());
      r = deflate(&zs, flush);
      size_t got = buf.size() - zs.avail_out;
      if (got && !sink(reinterpret_cast<const unsigned char*>(buf.data()), got)) return sinkFailed = true, false;
    } while (r == Z_OK && (zs.avail_out == 0 || (flush == Z_FINISH)));
    return r == Z_OK || r == Z_STREAM_END || r == Z_BUF_ERROR;
  };
  int rc = src.Stream([&](const unsigned char* p, size_t n) {
    crc = Crc32(crc, p, n);
    size += n;
    return pump(p, n, Z_NO_FLUSH);
  });
  if (rc == kOk && !pump(nullptr, 0, Z_FINISH)) rc = sinkFailed ? kErrCannotWrite : kErrMoreHeapMemory;
  if (rc == kErrCannotWrite && !sinkFailed) rc = kErrMoreHeapMemory;
  deflateEnd(&zs);
  return rc;
}

int StoreFile(SourceFile& src, const Sink& sink, uint32_t& crc, uint64_t& size) {
  crc = 0;
  size = 0;
  return src.Stream([&](const unsigned char* p, size_t n) {
    crc = Crc32(crc, p, n);
    size += n;
    return sink(p, n);
  });
}

}  // namespace navirt::arc

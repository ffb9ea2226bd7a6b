#include "tool/ToolIo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/FileInfo.h"

namespace navirt::tool {

bool ReadInput(const std::string& path, std::string& out) {
  out.clear();
  if (path.empty() || path == "-") {
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) out.append(buf, n);
    if (std::ferror(stdin)) {
      Fail("cannot read standard input");
      return false;
    }
    return true;
  }
  errno = 0;
  if (IsDirectory(path)) {
    Fail("cannot read " + path + ": is a folder");
    return false;
  }
  if (!ReadWholeFile(path, out)) {
    Fail("cannot read " + path + ": " + std::strerror(errno ? errno : ENOENT));
    return false;
  }
  return true;
}

MappedInput::~MappedInput() {
  if (map_) ::munmap(map_, size_);
}

bool MappedInput::Load(const std::string& path) {
  if (!path.empty() && path != "-") {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
      void* m = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (m != MAP_FAILED) {
        ::close(fd);
        map_ = m;
        size_ = static_cast<size_t>(st.st_size);
        ::madvise(map_, size_, MADV_SEQUENTIAL);
        return true;
      }
    }
    if (fd >= 0) ::close(fd);
  }
  return ReadInput(path, bytes_);
}

std::string_view MappedInput::View() const {
  return map_ ? std::string_view(static_cast<const char*>(map_), size_) : std::string_view(bytes_);
}

bool WriteOutput(std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "navirt-tool: %s\n", message.c_str());
  return kExitUsage;
}

}  // namespace navirt::tool

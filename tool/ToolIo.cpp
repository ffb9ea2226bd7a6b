#include "tool/ToolIo.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

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

bool WriteOutput(std::string_view bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "navirt-tool: %s\n", message.c_str());
  return kExitUsage;
}

}  // namespace navirt::tool

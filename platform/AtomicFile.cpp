#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/FileInfo.h"

namespace navirt {

bool AtomicWriteFile(const std::string& path, std::string_view content, bool makeParents, std::string* error) {
  auto fail = [&](const char* what) {
    if (error) *error = std::string(what) + ": " + std::strerror(errno);
    return false;
  };
  std::string dir = FolderPart(path);
  if (dir.empty()) dir = "./";
  if (makeParents) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
  }
  std::string tmpl = dir + ".navirt-XXXXXX";
  int fd = ::mkstemp(tmpl.data());
  // The words go into the window's messages after the name: Japanese.
  if (fd < 0) return fail("一時ファイルを作成できません");
  // Keep the old file's permissions when there is one.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0)
    ::fchmod(fd, st.st_mode & 07777);
  else
    ::fchmod(fd, 0644);
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      int saved = errno;
      ::close(fd);
      ::unlink(tmpl.c_str());
      errno = saved;
      return fail("書き込めません");
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    int saved = errno;
    ::unlink(tmpl.c_str());
    errno = saved;
    return fail("書き込めません");
  }
  if (::rename(tmpl.c_str(), path.c_str()) != 0) {
    int saved = errno;
    ::unlink(tmpl.c_str());
    errno = saved;
    return fail("名前を変更できません");
  }
  return true;
}

}  // namespace navirt

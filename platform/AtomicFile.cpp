// The temporary file sits in the target's folder because rename replaces
// atomically only within one file system, and it is synced before the rename
// so a power cut cannot leave the new name over empty blocks.
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/FileInfo.h"

namespace navirt {

bool AtomicWriteFile(const std::string& given, std::string_view content, bool makeParents, std::string* error) {
  auto fail = [&](const char* what) {
    if (error) *error = std::string(what) + ": " + std::strerror(errno);
    return false;
  };
  // A link (a settings file kept elsewhere) stays a link: the file it
  // names is the one replaced.
  std::string path = given;
  {
    std::error_code ec;
    std::filesystem::path real = std::filesystem::weakly_canonical(given, ec);
    struct stat lst;
    if (!ec && ::lstat(given.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) path = real.string();
  }
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
  // The old file's mode and, where permitted, owner: a private file stays
  // private. A new file gets what the umask leaves of 0666.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
      // Only root may give a file away; the mode below still holds.
    }
    ::fchmod(fd, st.st_mode & 07777);
  } else {
    mode_t mask = ::umask(022);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
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

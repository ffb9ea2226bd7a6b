#include "edit/SaveText.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/FileInfo.h"

namespace navirt {

std::string BackupName(const std::string& path) {
  size_t slash = path.rfind('/');
  size_t dot = path.rfind('.');
  size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  // A leading dot names a hidden file, not an extension.
  if (dot == std::string::npos || dot <= nameStart) return path + ".$$$";
  return path.substr(0, dot) + ".$$$";
}

bool SaveAsRich(const std::string& path, bool rtfSetting) {
  std::string name = FileNamePart(path);
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) {
    std::string ext = name.substr(dot);
    if (::strcasecmp(ext.c_str(), ".rtf") == 0) return true;
    if (::strcasecmp(ext.c_str(), ".txt") == 0) return false;
  }
  return rtfSetting;
}

namespace {

SaveResult Fail(int err) {
  SaveResult r;
  r.error = std::strerror(err);
  return r;
}

}  // namespace

SaveResult SaveTextFile(const std::string& pathGiven, std::string_view content, bool backup) {
  // A link is followed: the file it names is saved, the link stays a link.
  std::string path = pathGiven;
  struct stat lst;
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real) {
      path = real;
      std::free(real);
    }
  }
  std::string dir = FolderPart(path);
  if (dir.empty()) dir = "./";
  std::string tmp = dir + ".navirt-save-XXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return Fail(errno);
  struct stat st;
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return Fail(EISDIR);
  }
  ::fchmod(fd, exists ? (st.st_mode & 07777) : 0644);
  auto abandon = [&](int err) {
    ::close(fd);
    ::unlink(tmp.c_str());
    return Fail(err);
  };
  size_t done = 0;
  while (done < content.size()) {
    ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return abandon(errno);
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return Fail(err);
  }
  if (backup && exists) {
    std::string bak = BackupName(path);
    // The older backup steps aside under a temporary name until the new
    // file is in place, so any failure can put everything back.
    std::string older;
    struct stat bst;
    if (::lstat(bak.c_str(), &bst) == 0) {
      older = dir + ".navirt-bak-XXXXXX";
      int ofd = ::mkstemp(older.data());
      if (ofd < 0) {
        int err = errno;
        ::unlink(tmp.c_str());
        return Fail(err);
      }
      ::close(ofd);
      if (::rename(bak.c_str(), older.c_str()) != 0) {
        int err = errno;
        ::unlink(older.c_str());
        ::unlink(tmp.c_str());
        return Fail(err);
      }
    }
    auto restoreOlder = [&] {
      if (!older.empty()) ::rename(older.c_str(), bak.c_str());
    };
    if (::rename(path.c_str(), bak.c_str()) != 0) {
      int err = errno;
      restoreOlder();
      ::unlink(tmp.c_str());
      return Fail(err);
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
      int err = errno;
      ::rename(bak.c_str(), path.c_str());  // the old file back under its name
      restoreOlder();
      ::unlink(tmp.c_str());
      return Fail(err);
    }
    if (!older.empty()) ::unlink(older.c_str());
  } else if (::rename(tmp.c_str(), path.c_str()) != 0) {
    int err = errno;
    ::unlink(tmp.c_str());
    return Fail(err);
  }
  SaveResult ok;
  ok.ok = true;
  return ok;
}

}  // namespace navirt

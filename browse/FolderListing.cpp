#include "browse/FolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>

namespace navirt {

std::vector<DirEntry> ListFolder(const std::string& folder) {
  std::vector<DirEntry> out;
  DIR* d = ::opendir(folder.c_str());
  if (!d) return out;
  int dfd = ::dirfd(d);
  while (dirent* e = ::readdir(d)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
    DirEntry de;
    de.name = n;
    struct stat st;
    if (::fstatat(dfd, n, &st, 0) == 0 || ::fstatat(dfd, n, &st, AT_SYMLINK_NOFOLLOW) == 0) {
      de.isDir = S_ISDIR(st.st_mode);
      de.size = de.isDir ? 0 : static_cast<uint64_t>(st.st_size);
      de.mtime = st.st_mtime;
    }
    out.push_back(std::move(de));
  }
  ::closedir(d);
  std::sort(out.begin(), out.end(), [](const DirEntry& a, const DirEntry& b) {
    if (a.isDir != b.isDir) return a.isDir;
    int c = ::strcasecmp(a.name.c_str(), b.name.c_str());
    return c != 0 ? c < 0 : a.name < b.name;
  });
  return out;
}

}  // namespace navirt

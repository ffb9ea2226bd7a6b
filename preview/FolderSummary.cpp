#include "preview/FolderSummary.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <deque>

#include "platform/Format.h"

namespace navirt {

FolderFigures WalkFolder(const std::string& folder, const std::atomic<bool>& cancel) {
  FolderFigures f;
  std::deque<std::string> queue{folder};
  while (!queue.empty()) {
    if (cancel.load(std::memory_order_relaxed)) return f;
    std::string dir = std::move(queue.front());
    queue.pop_front();
    DIR* d = ::opendir(dir.c_str());
    if (!d) continue;
    int dfd = ::dirfd(d);
    if (!dir.empty() && dir.back() != '/') dir += '/';
    while (dirent* e = ::readdir(d)) {
      const char* n = e->d_name;
      if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
      struct stat st;
      if (::fstatat(dfd, n, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      if (S_ISLNK(st.st_mode)) {
        // A link to a file counts as that file; links to folders are not walked.
        struct stat target;
        if (::fstatat(dfd, n, &target, 0) != 0 || S_ISDIR(target.st_mode)) continue;
        st = target;
      }
      if (S_ISDIR(st.st_mode)) {
        queue.push_back(dir + n);
      } else {
        ++f.count;
        f.bytes += static_cast<uint64_t>(st.st_size);
      }
    }
    ::closedir(d);
  }
  f.complete = true;
  return f;
}

std::string FolderCountText(uint64_t count) { return FormatN15Trimmed(count) + " 個"; }
std::string FolderBytesText(uint64_t bytes) { return FormatN15Trimmed(bytes) + " byte"; }

}  // namespace navirt

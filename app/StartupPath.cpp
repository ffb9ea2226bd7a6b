#include "app/StartupPath.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include "platform/FileInfo.h"

namespace navirt {

std::string JoinArguments(const std::vector<std::string>& args) {
  std::string out;
  for (size_t i = 0; i < args.size(); ++i) {
    if (i) out += ' ';
    out += args[i];
  }
  return out;
}

StartupTarget ResolveStartupPath(const std::string& path, const std::string& currentDir) {
  StartupTarget t;
  if (path.empty()) return t;
  t.valid = true;
  std::string full = path;
  if (full[0] != '/') full = WithTrailingSlash(currentDir) + full;
  if (full.back() == '/') {
    t.folder = full;
    t.folderOnly = true;
    return t;
  }
  // Drop trailing "/." so "dir/." names the folder too.
  while (full.size() > 2 && full.compare(full.size() - 2, 2, "/.") == 0) full.resize(full.size() - 2);
  struct stat st;
  // A folder, or a link to one, is opened itself, with or without the '/'.
  if (full != "/" && ::stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    t.folder = WithTrailingSlash(full);
    t.folderOnly = true;
    return t;
  }
  t.folder = FolderPart(full);
  if (::lstat(full.c_str(), &st) == 0) {
    t.name = FileNamePart(full);
    return t;
  }
  // Names compare without regard to case, as the list does.
  std::string want = FileNamePart(full);
  if (DIR* d = ::opendir(t.folder.c_str())) {
    while (dirent* e = ::readdir(d)) {
      if (::strcasecmp(e->d_name, want.c_str()) == 0) {
        t.name = e->d_name;
        break;
      }
    }
    ::closedir(d);
  }
  return t;
}

}  // namespace navirt

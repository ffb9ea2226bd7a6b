#pragma once
// The entries of one folder as the file list shows them.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace navirt {

struct DirEntry {
  std::string name;  // UTF-8, as on disk
  bool isDir = false;
  uint64_t size = 0;
  std::time_t mtime = 0;
};

// Folders first, then files, each by name without regard to ASCII case.
// "." and ".." are skipped. An unreadable folder gives an empty list.
std::vector<DirEntry> ListFolder(const std::string& folder);

}  // namespace navirt

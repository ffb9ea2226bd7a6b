#pragma once
// The command line: all arguments joined with single blanks are one path.
#include <string>
#include <vector>

namespace navirt {

struct StartupTarget {
  std::string folder;       // with trailing '/'
  std::string name;         // entry to select; empty when nothing was found
  bool valid = false;       // false: no argument at all
  bool folderOnly = false;  // the path named a folder ("dir" or "dir/"): show its first file
};

std::string JoinArguments(const std::vector<std::string>& args);
// Looks the path up as a directory entry (folders and hidden entries
// included). A folder, with or without a trailing '/', names the folder
// itself; its first file is shown.
StartupTarget ResolveStartupPath(const std::string& path, const std::string& currentDir);

}  // namespace navirt

// The PATH search is the shell's own rule, done here so that the program
// can say "not found" before starting anything.
#include "platform/Programs.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace navirt {

bool IsExecutableFile(const std::string& path) {
  if (path.empty()) return false;
  struct stat st;
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return access(path.c_str(), X_OK) == 0;
}

std::string FindProgram(const std::string& name, const std::string& pathVar) {
  if (name.empty()) return "";
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : "";
  size_t start = 0;
  while (start <= pathVar.size()) {
    size_t end = pathVar.find(':', start);
    if (end == std::string::npos) end = pathVar.size();
    // An empty entry means the current folder, as the shell reads it.
    std::string cand = end > start ? pathVar.substr(start, end - start) : std::string(".");
    cand.append(1, '/').append(name);
    if (IsExecutableFile(cand)) return cand;
    start = end + 1;
  }
  return "";
}

std::string FindProgram(const std::string& name) {
  const char* p = std::getenv("PATH");
  return FindProgram(name, p ? p : "/usr/local/bin:/usr/bin:/bin");
}

}  // namespace navirt

// /proc/self/exe rather than argv[0]: the program is started through
// links, from menus and from other folders.
#include "platform/Paths.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "platform/FileInfo.h"

namespace navirt {

std::string ExecutablePath() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return {};
  return std::string(buf.data(), static_cast<size_t>(n));
}

std::string ExecutableDir() {
  std::string p = ExecutablePath();
  auto slash = p.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : p.substr(0, slash);
}

std::string UserSettingsFilePath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg && *xdg)
    base = xdg;
  else {
    const char* home = std::getenv("HOME");
    base = std::string(home && *home ? home : "/tmp") + "/.config";
  }
  return base + "/navirt/navirt.ini";
}

std::string SettingsFilePath() {
  const char* env = std::getenv("NAVIRT_INI");
  if (env && *env) return env;
  std::string dir = ExecutableDir();
  if (::access(dir.c_str(), W_OK) == 0) return WithTrailingSlash(dir) + "navirt.ini";
  return UserSettingsFilePath();
}

std::string CurrentDirectory() {
  std::vector<char> buf(4096);
  if (!::getcwd(buf.data(), buf.size())) return {};
  return buf.data();
}

bool SetCurrentDirectory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

}  // namespace navirt

#pragma once
#include <string>

namespace navirt {

// Folder of the running program, without trailing '/'.
std::string ExecutableDir();
std::string ExecutablePath();

// Where the settings live: $NAVIRT_INI when set; else navirt.ini next to
// the program when that folder is writable; else
// $XDG_CONFIG_HOME/navirt/navirt.ini (~/.config/navirt/navirt.ini).
std::string SettingsFilePath();
// The per-user fallback used when the chosen place cannot be written.
std::string UserSettingsFilePath();

std::string CurrentDirectory();
bool SetCurrentDirectory(const std::string& path);

}  // namespace navirt

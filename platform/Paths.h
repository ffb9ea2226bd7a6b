#pragma once
// Where the program and its settings live, decided in one place: the
// archiver libraries and helper programs are looked for next to the
// executable, and the settings file sits there too when the folder is
// writable (a copy that carries its settings along) or else in the user's
// configuration folder.
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

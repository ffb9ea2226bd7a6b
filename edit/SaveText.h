#pragma once
// Saving the pane to a file, with the optional ".$$$" backup of the old one.
#include <string>
#include <string_view>

namespace navirt {

// "memo.txt" -> "memo.$$$", "memo" -> "memo.$$$", "a.b/c" -> "a.b/c.$$$".
std::string BackupName(const std::string& path);

// Rich or plain by the target's extension (".rtf"/".txt", any case), else
// by the rich-text setting.
bool SaveAsRich(const std::string& path, bool rtfSetting);

struct SaveResult {
  bool ok = false;
  std::string error;  // the system's message when !ok
};

// Writes content to path without ever losing data: the new content goes to
// a temporary file in the target's folder first; only when it is complete
// is the old file moved to its backup name (when backup is on and the file
// exists; an older backup is replaced) and the temporary file renamed to
// the target. On failure the target and any backup are as they were.
SaveResult SaveTextFile(const std::string& path, std::string_view content, bool backup);

}  // namespace navirt

// Help is HTML files shipped with the program and opened in the user's
// browser: no help viewer to build or keep.
#include "sysinfo/Help.h"

#include <cstdio>
#include <filesystem>

#include "platform/Cp932.h"
#include "platform/FileInfo.h"

namespace navirt {

const char* HelpFileName(HelpTopic t) {
  switch (t) {
    case HelpTopic::Contents:
      return "index.html";
    case HelpTopic::Keywords:
      return "keywords.html";
    case HelpTopic::Usage:
      return "usage.html";
  }
  return "index.html";
}

std::vector<std::string> HelpFolders(const std::string& exeDir) {
  // Lexically: a build folder need not exist for its source tree to be found.
  std::vector<std::string> dirs;
  for (const char* rel : {"/help", "/../share/navirt/help", "/../../docs/help", "/../docs/help"})
    dirs.push_back(std::filesystem::path(exeDir + rel).lexically_normal().string());
  return dirs;
}

std::string FindHelpFile(HelpTopic t, const std::string& exeDir) {
  for (const auto& dir : HelpFolders(exeDir)) {
    std::string p = dir + "/" + HelpFileName(t);
    if (IsRegularFile(p)) return p;
  }
  return "";
}

std::string FileUrl(const std::string& path) {
  std::string url = "file://";
  for (unsigned char c : path) {
    bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' || c == '-' ||
                c == '_' || c == '.' || c == '~';
    if (safe) {
      url += static_cast<char>(c);
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      url += buf;
    }
  }
  return url;
}

std::string MailBodyFromPane(const std::vector<std::string>& lines) {
  // xdg-email writes every line break of the body as CR LF itself: a CR of
  // ours would come out doubled.
  std::string body;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) body += "\n";
    body += Cp932ToUtf8(lines[i]);
  }
  return body;
}

}  // namespace navirt

#pragma once
// The program's own HTML help (docs/help in the source tree) and the mail
// body of "送信(&H)..".
#include <string>
#include <vector>

namespace navirt {

enum class HelpTopic { Contents, Keywords, Usage };
const char* HelpFileName(HelpTopic t);  // "index.html", "keywords.html", "usage.html"
// Folders searched for the help, in order: next to the program, the
// installed share folder, the source tree of a build folder.
std::vector<std::string> HelpFolders(const std::string& exeDir);
// The first existing page; empty when the help is not installed.
std::string FindHelpFile(HelpTopic t, const std::string& exeDir);
// "file://" and the path, with bytes outside the URL's safe set escaped.
std::string FileUrl(const std::string& path);

// The pane's lines (CP932) joined with LF, as UTF-8 for the mail program,
// which sends each line break as CR LF.
std::string MailBodyFromPane(const std::vector<std::string>& lines);

}  // namespace navirt

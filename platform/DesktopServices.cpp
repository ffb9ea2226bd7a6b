// The freedesktop.org look-ups (mimeapps.list, desktop entries, XDG
// variables) are read here by hand, so the core needs no desktop library
// and every program it starts goes through the one IProcessStarter.
#include "platform/DesktopServices.h"

#include <cctype>
#include <cstdlib>
#include <fstream>

namespace navirt {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

std::vector<std::string> SplitColon(const std::string& s) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = s.find(':', start);
    if (end == std::string::npos) end = s.size();
    if (end > start) out.push_back(s.substr(start, end - start));
    start = end + 1;
  }
  return out;
}

bool DesktopMatches(const std::vector<std::string>& desktops, const std::string& current) {
  for (const auto& cur : SplitColon(current))
    for (const auto& d : desktops)
      if (cur == d) return true;
  return false;
}

// An argument that starts with "-" would be read as an option.
std::string NotAnOption(const std::string& path) {
  if (!path.empty() && path[0] == '-') return "./" + path;
  return path;
}

// One value of an INI-style file (mimeapps.list, desktop entries); the
// first occurrence counts, as freedesktop.org's entry format has it.
bool ReadIniValue(const std::string& path, const std::string& section, const std::string& key, std::string& out) {
  std::ifstream in(path);
  if (!in) return false;
  std::string line;
  bool inSection = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      inSection = line == "[" + section + "]";
      continue;
    }
    if (!inSection) continue;
    size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string k = line.substr(0, eq);
    while (!k.empty() && k.back() == ' ') k.pop_back();
    if (k != key) continue;
    size_t v = line.find_first_not_of(' ', eq + 1);
    out = v == std::string::npos ? "" : line.substr(v);
    return true;
  }
  return false;
}

}  // namespace

DesktopEnv DesktopEnvFromProcess() {
  DesktopEnv e;
  e.currentDesktop = Env("XDG_CURRENT_DESKTOP");
  e.sessionId = Env("XDG_SESSION_ID");
  e.user = Env("USER");
  e.visual = Env("VISUAL");
  e.editor = Env("EDITOR");
  std::string home = Env("HOME");
  std::string configHome = Env("XDG_CONFIG_HOME");
  if (configHome.empty()) configHome = home + "/.config";
  std::string dataHome = Env("XDG_DATA_HOME");
  if (dataHome.empty()) dataHome = home + "/.local/share";
  std::string configDirs = Env("XDG_CONFIG_DIRS");
  if (configDirs.empty()) configDirs = "/etc/xdg";
  std::string dataDirs = Env("XDG_DATA_DIRS");
  if (dataDirs.empty()) dataDirs = "/usr/local/share:/usr/share";
  e.textEditorExec = DefaultTextEditorExec(configHome, SplitColon(configDirs), dataHome, SplitColon(dataDirs));
  return e;
}

const Candidate* ChooseCandidate(const std::vector<Candidate>& list, const std::string& currentDesktop,
                                 const IProcessStarter& starter) {
  for (const auto& c : list)
    if (!c.desktops.empty() && DesktopMatches(c.desktops, currentDesktop) && starter.Exists(c.program)) return &c;
  for (const auto& c : list)
    if (starter.Exists(c.program)) return &c;
  return nullptr;
}

std::vector<std::string> ExpandDesktopExec(const std::string& exec, const std::string& file) {
  // Split into words: blanks separate, double quotes group, and inside
  // quotes a backslash escapes " ` $ and itself.
  std::vector<std::string> words;
  std::string cur;
  bool inWord = false, quoted = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    char c = exec[i];
    if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\' && i + 1 < exec.size()) {
        cur += exec[++i];
      } else {
        cur += c;
      }
    } else if (c == '"') {
      quoted = inWord = true;
    } else if (c == ' ' || c == '\t') {
      if (inWord) words.push_back(cur);
      cur.clear();
      inWord = false;
    } else {
      cur += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(cur);

  std::vector<std::string> out;
  bool placed = false;
  for (const auto& w : words) {
    if (w == "%f" || w == "%F" || w == "%u" || w == "%U") {
      if (!file.empty()) out.push_back(file);
      placed = true;
      continue;
    }
    std::string x;
    for (size_t i = 0; i < w.size(); ++i) {
      if (w[i] == '%' && i + 1 < w.size()) {
        char code = w[++i];
        if (code == '%')
          x += '%';
        else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
          x += file;
          placed = true;
        }
        // %i %c %k and the deprecated codes give nothing here.
      } else {
        x += w[i];
      }
    }
    if (!x.empty()) out.push_back(x);
  }
  if (!placed && !file.empty() && !out.empty()) out.push_back(file);
  return out;
}

std::string DefaultTextEditorExec(const std::string& configHome, const std::vector<std::string>& configDirs,
                                  const std::string& dataHome, const std::vector<std::string>& dataDirs) {
  // mimeapps.list files in order of precedence, then the older defaults.list.
  std::vector<std::string> lists;
  lists.push_back(configHome + "/mimeapps.list");
  for (const auto& d : configDirs) lists.push_back(d + "/mimeapps.list");
  lists.push_back(dataHome + "/applications/mimeapps.list");
  for (const auto& d : dataDirs) lists.push_back(d + "/applications/mimeapps.list");
  for (const auto& d : dataDirs) lists.push_back(d + "/applications/defaults.list");
  std::vector<std::string> appDirs;
  appDirs.push_back(dataHome + "/applications");
  for (const auto& d : dataDirs) appDirs.push_back(d + "/applications");

  for (const auto& list : lists) {
    std::string ids;
    if (!ReadIniValue(list, "Default Applications", "text/plain", ids)) continue;
    size_t start = 0;
    while (start < ids.size()) {
      size_t end = ids.find(';', start);
      if (end == std::string::npos) end = ids.size();
      std::string id = ids.substr(start, end - start);
      start = end + 1;
      if (id.empty() || id.find('/') != std::string::npos) continue;
      for (const auto& dir : appDirs) {
        std::string exec;
        if (ReadIniValue(dir + "/" + id, "Desktop Entry", "Exec", exec) && !exec.empty()) return exec;
      }
    }
  }
  return "";
}

std::string BrowserUrl(const std::string& text) {
  // A scheme: a letter, then letters, digits, "+", "-" or ".", then ":".
  if (!text.empty() && text[0] == '/') return text;  // a local path opens as a file
  size_t i = 0;
  if (!text.empty() && std::isalpha(static_cast<unsigned char>(text[0]))) {
    while (i < text.size() &&
           (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '+' || text[i] == '-' || text[i] == '.'))
      ++i;
    // "host:8080/..." is no scheme: a scheme is not followed by a digit right away.
    if (i < text.size() && text[i] == ':' && i + 1 < text.size() &&
        !std::isdigit(static_cast<unsigned char>(text[i + 1])))
      return text;
  }
  return "http://" + text;
}

StartResult TDesktopServices::Run(const ProgramCall& call) {
  if (std::string bad = UnpassableArgumentMessage(call); !bad.empty()) return {false, bad};
  if (!starter_.Exists(call.program)) return {false, MissingProgramMessage(call.program)};
  return starter_.Start(call);
}

StartResult TDesktopServices::RunFirst(const std::vector<Candidate>& list, const std::string& what,
                                       const std::string& folder) {
  const Candidate* c = ChooseCandidate(list, env_.currentDesktop, starter_);
  if (!c) {
    std::string names;
    for (const auto& x : list) {
      if (names.find(x.program) != std::string::npos) continue;
      if (!names.empty()) names += ", ";
      names += x.program;
    }
    return {false, what + "が見つかりません (" + names + ")。"};
  }
  return starter_.Start({c->program, c->args, folder});
}

StartResult TDesktopServices::ShowTrash() {
  static const std::vector<Candidate> list = {
      {"nautilus", {"trash:///"}, {"GNOME", "Unity", "Budgie"}},
      {"dolphin", {"trash:/"}, {"KDE"}},
      {"thunar", {"trash:///"}, {"XFCE"}},
      {"caja", {"trash:///"}, {"MATE"}},
      {"nemo", {"trash:///"}, {"X-Cinnamon"}},
      {"pcmanfm-qt", {"trash:///"}, {"LXQt"}},
      {"pcmanfm", {"trash:///"}, {"LXDE"}},
      {"gio", {"open", "trash:///"}, {}},
  };
  return RunFirst(list, "ごみ箱を表示するファイルマネージャー");
}

StartResult TDesktopServices::OpenTerminal(const std::string& folder) {
  return Run({"x-terminal-emulator", {}, folder});
}

StartResult TDesktopServices::OpenSettings() {
  static const std::vector<Candidate> list = {
      {"gnome-control-center", {}, {"GNOME", "Unity", "Budgie"}},
      {"systemsettings", {}, {"KDE"}},
      {"systemsettings5", {}, {"KDE"}},
      {"xfce4-settings-manager", {}, {"XFCE"}},
      {"mate-control-center", {}, {"MATE"}},
      {"cinnamon-settings", {}, {"X-Cinnamon"}},
      {"lxqt-config", {}, {"LXQt"}},
  };
  return RunFirst(list, "設定プログラム");
}

StartResult TDesktopServices::OpenDiskUtility() {
  static const std::vector<Candidate> list = {
      {"gnome-disks", {}, {"GNOME", "Unity", "Budgie", "XFCE", "MATE", "X-Cinnamon"}},
      {"partitionmanager", {}, {"KDE"}},
      {"gparted", {}, {}},
  };
  return RunFirst(list, "ディスクユーティリティ");
}

StartResult TDesktopServices::ActivateScreenSaver() { return Run({"xdg-screensaver", {"activate"}, ""}); }

StartResult TDesktopServices::OpenLauncher() {
  static const std::vector<Candidate> list = {
      {"gdbus",
       {"call", "--session", "--dest", "org.gnome.Shell", "--object-path", "/org/gnome/Shell", "--method",
        "org.gnome.Shell.ShowApplications"},
       {"GNOME", "Unity"}},
      {"krunner", {}, {"KDE"}},
      {"xfce4-appfinder", {}, {"XFCE"}},
      {"mate-panel", {"--run-dialog"}, {"MATE"}},
      {"lxqt-runner", {}, {"LXQt"}},
      {"rofi", {"-show", "drun"}, {}},
      {"xfce4-appfinder", {}, {}},
  };
  return RunFirst(list, "アプリケーションランチャー");
}

StartResult TDesktopServices::ComposeMail(const std::string& bodyUtf8) {
  if (bodyUtf8.size() > kMaxMailBody)
    return {false, "本文が長すぎます (" + std::to_string(kMaxMailBody) + " バイトまで)。"};
  return Run({"xdg-email", {"--body", bodyUtf8}, ""});
}

StartResult TDesktopServices::PowerOff() { return Run({"systemctl", {"poweroff"}, ""}); }
StartResult TDesktopServices::Reboot() { return Run({"systemctl", {"reboot"}, ""}); }
StartResult TDesktopServices::Suspend() { return Run({"systemctl", {"suspend"}, ""}); }

StartResult TDesktopServices::LogOff() {
  if (!env_.sessionId.empty()) return Run({"loginctl", {"terminate-session", env_.sessionId}, ""});
  if (!env_.user.empty()) return Run({"loginctl", {"terminate-user", env_.user}, ""});
  return {false, "ログオフするセッションが分かりません。"};
}

StartResult TDesktopServices::OpenFile(const std::string& path, const std::string& folder) {
  if (path.empty()) return {false, "ファイルが選択されていません。"};
  return Run({"xdg-open", {NotAnOption(path)}, folder});
}

StartResult TDesktopServices::OpenUrl(const std::string& url) {
  if (url.empty()) return {false, "URLが空です。"};
  if (url[0] == '-') return {false, url + " はURLとして開けません。"};
  return Run({"xdg-open", {BrowserUrl(url)}, ""});
}

StartResult TDesktopServices::StartProgram(const std::string& program, const std::string& folder) {
  if (program.empty()) return {false, "プログラムが指定されていません。"};
  return Run({program, {}, folder});
}

StartResult TDesktopServices::EditFile(const std::string& editor, const std::string& file, const std::string& folder) {
  std::string arg = NotAnOption(file);
  if (!editor.empty()) {
    ProgramCall call{editor, {}, folder};
    if (!arg.empty()) call.args.push_back(arg);
    return Run(call);
  }
  if (!env_.textEditorExec.empty()) {
    std::vector<std::string> argv = ExpandDesktopExec(env_.textEditorExec, arg);
    if (!argv.empty()) {
      ProgramCall call{argv[0], {argv.begin() + 1, argv.end()}, folder};
      if (starter_.Exists(call.program)) return starter_.Start(call);
    }
  }
  std::string term = !env_.visual.empty() ? env_.visual : env_.editor;
  if (!term.empty()) {
    // $EDITOR may carry options ("vim -p"); the terminal runs the words as one command.
    std::vector<std::string> words = ExpandDesktopExec(term, arg);
    ProgramCall call{"x-terminal-emulator", {"-e"}, folder};
    for (const auto& w : words) call.args.push_back(w);
    return Run(call);
  }
  return {false, "テキストエディターが見つかりません。「設定」→「エディタの設定」でエディターを指定して下さい。"};
}

}  // namespace navirt

// navirt-tool sysinfo: the system report, drive figures, the date window,
// the About text, the URL candidate rule and the help page from a shell.
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/Cp932.h"
#include "platform/Paths.h"
#include "sysinfo/About.h"
#include "sysinfo/DateWindow.h"
#include "sysinfo/DriveInfo.h"
#include "sysinfo/Help.h"
#include "sysinfo/SystemReport.h"
#include "sysinfo/UrlCandidate.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"
#include "tool/ToolMessages.h"

namespace navirt::tool {

namespace {

constexpr Msg kSysinfoUsage{
    "usage: navirt-tool sysinfo report          the system report (UTF-8)\n"
    "       navirt-tool sysinfo drive [FOLDER]  figures of the mount holding FOLDER (default .)\n"
    "       navirt-tool sysinfo date [YYYY-MM-DD]  the date window's text\n"
    "       navirt-tool sysinfo about           name, versions and loaded libraries\n"
    "       navirt-tool sysinfo url line|selection [FILE]  the URL candidate of CP932 text\n"
    "       navirt-tool sysinfo help [contents|keywords|usage]  the help page the window opens\n",
    "使い方: navirt-tool sysinfo report          システム情報 (UTF-8)\n"
    "        navirt-tool sysinfo drive [FOLDER]  FOLDER を含むマウントの数値 (省略時は .)\n"
    "        navirt-tool sysinfo date [YYYY-MM-DD]  日付ウィンドウの文字列\n"
    "        navirt-tool sysinfo about           名前、版、読み込んだライブラリー\n"
    "        navirt-tool sysinfo url line|selection [FILE]  CP932 テキストの URL 候補\n"
    "        navirt-tool sysinfo help [contents|keywords|usage]  ウィンドウが開くヘルプのページ\n"};

int Usage() {
  std::fputs(Tr(kSysinfoUsage), stderr);
  return kExitUsage;
}

}  // namespace

int CmdSysinfo(int argc, char** argv) {
  if (argc < 1) return Usage();
  std::string what = argv[0];
  if (what == "report" && argc == 1) {
    std::string out;
    for (const auto& l : BuildSystemReport(CollectSystemFacts())) out += Cp932ToUtf8(l) + "\n";
    return WriteOutput(out) ? kExitOk : kExitUsage;
  }
  if (what == "drive" && argc <= 2) {
    std::string err;
    auto f = ReadDriveFigures(argc == 2 ? argv[1] : ".", &err);
    if (!f) return Fail(err.empty() ? Tr(msg::kNoFolder) : err);
    DriveInfoTexts t = BuildDriveInfoTexts(*f);
    PieAngles a = PieAnglesOf(f->UsedBytes(), f->FreeBytes());
    std::printf("%s\n%s\n%s\npie %d %d\n", t.chartTitle.c_str(), t.summary.c_str(), t.blocksLabel.c_str(), a.used,
                a.free);
    return kExitOk;
  }
  if (what == "date" && argc <= 2) {
    LocalDate d = ToLocalDate(std::time(nullptr));
    if (argc == 2) {
      int y, m, day;
      if (std::sscanf(argv[1], "%d-%d-%d", &y, &m, &day) != 3 || m < 1 || m > 12 || day < 1 || day > 31)
        return Fail(Tr(msg::kNotADate, {argv[1]}));
      std::tm tm{};
      tm.tm_year = y - 1900;
      tm.tm_mon = m - 1;
      tm.tm_mday = day;
      tm.tm_hour = 12;
      std::time_t t = std::mktime(&tm);
      d = ToLocalDate(t);
      if (d.year != y || d.month != m || d.day != day) return Fail(Tr(msg::kNotADate, {argv[1]}));
      d.hour = d.minute = d.second = 0;
    }
    std::printf("%s\n%s\n", MnowCaption(d).c_str(), DateWindowText(d).c_str());
    return kExitOk;
  }
  if (what == "about" && argc == 1) {
    AboutFacts f;
    f.version = NAVIRT_VERSION;
    f.icuVersion = IcuVersion();
    f.libraries = LoadedLibraries();
    std::fputs(BuildAboutText(f).c_str(), stdout);
    return kExitOk;
  }
  if (what == "url" && (argc == 2 || argc == 3)) {
    std::string mode = argv[1], text;
    if (mode != "line" && mode != "selection") return Usage();
    if (!ReadInput(argc == 3 ? argv[2] : "", text)) return kExitUsage;
    if (mode == "line") {
      // The first line of the input, as the caret's line.
      size_t end = text.find_first_of("\r\n");
      if (end != std::string::npos) text.resize(end);
    }
    std::string cand = mode == "line" ? UrlCandidateFromLine(text) : UrlCandidateFromSelection(text);
    if (cand.empty()) return kExitNoMatch;
    return WriteOutput(cand + "\n") ? kExitOk : kExitUsage;
  }
  if (what == "help" && argc <= 2) {
    const std::string topic = argc == 2 ? argv[1] : "contents";
    HelpTopic t = HelpTopic::Contents;
    if (topic == "keywords")
      t = HelpTopic::Keywords;
    else if (topic == "usage")
      t = HelpTopic::Usage;
    else if (topic != "contents")
      return Usage();
    std::string page = FindHelpFile(t, ExecutableDir());
    if (page.empty()) return Fail(Tr(msg::kHelpNotInstalled, {HelpFileName(t)}));
    return WriteOutput(page + "\n") ? kExitOk : kExitUsage;
  }
  return Usage();
}

}  // namespace navirt::tool

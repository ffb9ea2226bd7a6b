#include <gtest/gtest.h>
#include <unistd.h>

#include <unicode/uvernum.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "platform/Cp932.h"
#include "platform/FakeProcessStarter.h"
#include "sysinfo/About.h"
#include "sysinfo/DateWindow.h"
#include "sysinfo/DriveInfo.h"
#include "sysinfo/Help.h"
#include "sysinfo/PowerCommands.h"
#include "sysinfo/SystemReport.h"
#include "sysinfo/UrlCandidate.h"

extern char** environ;

namespace navirt {
namespace {

namespace fs = std::filesystem;

TEST(Zodiac, BoundariesFollowTheTable) {
  EXPECT_EQ(ZodiacText(821), "獅子座　Leo");
  EXPECT_EQ(ZodiacText(822), "乙女座　Virgo");
  EXPECT_EQ(ZodiacText(101), "山羊座 Capricorn");  // ASCII blank
  EXPECT_EQ(ZodiacText(1231), "山羊座 Capricorn");
  EXPECT_EQ(ZodiacText(1221), "射手座　Sagittarius");
  EXPECT_EQ(ZodiacText(1222), "山羊座 Capricorn");
  EXPECT_EQ(ZodiacText(119), "山羊座 Capricorn");
  EXPECT_EQ(ZodiacText(120), "水瓶座　Aquarius");
  EXPECT_EQ(ZodiacText(229), "魚座　Pisces");
  EXPECT_EQ(ZodiacText(320), "魚座　Pisces");
  EXPECT_EQ(ZodiacText(321), "牡羊座　Aries");
  EXPECT_EQ(ZodiacText(1023), "天秤座　Libra");
  EXPECT_EQ(ZodiacText(1024), "蠍座　Scorpio");
  for (int bad : {0, 100, 1232, 1301, 9999}) EXPECT_EQ(ZodiacText(bad), "判定不能") << bad;
}

TEST(JapaneseEra, TheEraChangesOnTheFirstOfMay2019) {
  EraDate before = JapaneseEra(2019, 4, 30);
  EXPECT_EQ(before.era, "平成");
  EXPECT_EQ(before.year, 31);
  EraDate after = JapaneseEra(2019, 5, 1);
  EXPECT_EQ(after.era, "令和");
  EXPECT_EQ(after.year, 1);
  EXPECT_EQ(JapaneseEra(1989, 1, 7).era, "昭和");
  EXPECT_EQ(JapaneseEra(1989, 1, 7).year, 64);
  EXPECT_EQ(JapaneseEra(1989, 1, 8).era, "平成");
  EXPECT_EQ(JapaneseEra(2026, 12, 31).year, 8);
  EXPECT_EQ(EraYearText(1), "元");
  EXPECT_EQ(EraYearText(31), "31");
}

TEST(DateWindow, CaptionAndMessageHaveTheirPieces) {
  LocalDate d;
  d.year = 2019;
  d.month = 5;
  d.day = 1;
  d.wday = 3;
  d.hour = 9;
  d.minute = 5;
  d.second = 0;
  EXPECT_EQ(MnowCaption(d), " 2019.5.1 (水)");
  EXPECT_EQ(DateWindowText(d),
            "現在\n\n2019年 5月 1日 (水)\n\n令和元年 5月 1日 (水曜日)\n\n9時 5分 0秒\n\n牡牛座　Taurus");
  d.day = 30;
  d.month = 4;
  d.wday = 2;
  EXPECT_NE(DateWindowText(d).find("平成31年 4月 30日 (火曜日)"), std::string::npos);
}

SystemFacts SampleFacts() {
  SystemFacts f;
  f.currentDir = "/home/taro/文書";
  f.osRelease =
      "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nVERSION=\"12 "
      "(bookworm)\"\nID=debian\n";
  f.hostName = "pc1";
  f.userName = "taro";
  f.kernelName = "Linux";
  f.machine = "x86_64";
  f.kernelRelease = "6.1.0-13-amd64";
  f.kernelVersion = "#1 SMP";
  f.cpuInfo = "processor\t: 0\nvendor_id\t: GenuineIntel\nmodel name\t: Intel(R) Core(TM) i5\n\nprocessor\t: 1\n";
  f.environment = {"LANG=ja_JP.UTF-8", "HOME=/home/taro"};
  f.now = LocalDate{2026, 12, 8, 2, 7, 3, 9};
  f.uptimeMs = 90061001;  // 25 h 1 min 1.001 s
  return f;
}

std::vector<std::string> Utf8Lines(const std::vector<std::string>& cp932) {
  std::vector<std::string> out;
  for (const auto& l : cp932) out.push_back(Cp932ToUtf8(l));
  return out;
}

TEST(SystemReport, LinesComeInTheirOrderWithLinuxValues) {
  std::vector<std::string> got = Utf8Lines(BuildSystemReport(SampleFacts()));
  std::vector<std::string> want = {
      "Windowsﾃﾞｨﾚｸﾄﾘ = /usr",
      "Systemﾃﾞｨﾚｸﾄﾘ = /usr/bin",
      "ｶﾚﾝﾄﾃﾞｨﾚｸﾄﾘ = /home/taro/文書",
      "ﾕｰｻﾞｰ名 = taro",
      "ｺﾝﾋﾟｭｰﾀｰ名 = pc1",
      "ﾌﾟﾛﾀﾞｸﾄID = debian",
      "ﾌﾟﾛﾀﾞｸﾄ名 = Debian GNU/Linux 12 (bookworm)",
      "ﾌﾟﾛﾀﾞｸﾄﾀｲﾌﾟ = Linux x86_64",
      "ﾊﾞｰｼﾞｮﾝ = 12 (bookworm)",
      "ﾊﾞｰｼﾞｮﾝﾅﾝﾊﾞｰ = 6.1.0-13-amd64",
      "ｻﾌﾞﾊﾞｰｼﾞｮﾝﾅﾝﾊﾞｰ = #1 SMP",
      "ｼｽﾃﾑﾙｰﾄﾃﾞｨﾚｸﾄﾘ = /",
      "ﾌﾟﾛｸﾞﾗﾑファイルﾃﾞｨﾚｸﾄﾘ = /usr/bin",
      "ｺﾓﾝファイルﾃﾞｨﾚｸﾄﾘ = /usr/share",
      "CPﾍﾞﾝﾀﾞｰ = GenuineIntel Intel(R) Core(TM) i5",
      "環境変数 = LANG=ja_JP.UTF-8",
      "環境変数 = HOME=/home/taro",
      "日付 = 2026/12/08",
      "時間 = 07:03:09",
      "起動時間 = 25 時間  1 分  1 秒",
  };
  EXPECT_EQ(got, want);
}

TEST(SystemReport, EmptyValuesAndAnEmptyEnvironmentLeaveTheirLinesOut) {
  SystemFacts f;
  f.currentDir = "/";
  f.now = LocalDate{2026, 1, 2, 5, 0, 0, 0};
  std::vector<std::string> got = Utf8Lines(BuildSystemReport(f));
  ASSERT_EQ(got.size(), 9u);  // three folders, three fixed values, date, time, up-time
  for (const auto& l : got) EXPECT_EQ(l.find("環境変数"), std::string::npos);
  EXPECT_EQ(got.back(), "起動時間 = 0 時間  0 分  0 秒");
}

TEST(SystemReport, EnvironmentBytesThatAreNoUtf8StayOneReadableLine) {
  SystemFacts f;
  f.environment = {std::string("BAD=a\xff\xfe"
                               "b"),
                   "MULTI=one\ntwo\r", "JP=日本", std::string("SJIS=\x93\xfa")};
  std::vector<std::string> got = Utf8Lines(BuildSystemReport(f));
  std::vector<std::string> env;
  for (const auto& l : got)
    if (l.rfind("環境変数", 0) == 0) env.push_back(l);
  EXPECT_EQ(env, (std::vector<std::string>{"環境変数 = BAD=a\\xFF\\xFEb", "環境変数 = MULTI=one\\x0Atwo\\x0D",
                                           "環境変数 = JP=日本", "環境変数 = SJIS=\\x93\\xFA"}));
  for (const auto& l : BuildSystemReport(f)) EXPECT_EQ(l.find('\n'), std::string::npos);
}

TEST(SystemReport, OsReleaseAndCpuInfoParsing) {
  EXPECT_EQ(OsReleaseValue("ID=arch\nNAME='Arch Linux'\n", "NAME"), "Arch Linux");
  EXPECT_EQ(OsReleaseValue("PRETTY_NAME=\"A \\\"B\\\"\"", "PRETTY_NAME"), "A \"B\"");
  EXPECT_EQ(OsReleaseValue("VERSION_ID=12\nVERSION=12\n", "VERSION"), "12");
  EXPECT_EQ(OsReleaseValue("", "ID"), "");
  EXPECT_EQ(CpuInfoValue("model name : X\nmodel name : Y\n", "model name"), "X");
  EXPECT_EQ(CpuInfoValue("Model\t: Raspberry Pi\n", "Model"), "Raspberry Pi");
  SystemFacts arm;
  arm.cpuInfo = "Model\t: Raspberry Pi 4\n";
  bool found = false;
  for (const auto& l : Utf8Lines(BuildSystemReport(arm))) found |= l == "CPﾍﾞﾝﾀﾞｰ = Raspberry Pi 4";
  EXPECT_TRUE(found);
}

TEST(SystemReport, TheRealMachineGivesEveryEnvironmentEntry) {
  SystemFacts f = CollectSystemFacts();
  size_t n = 0;
  for (char** e = environ; *e; ++e) ++n;
  EXPECT_EQ(f.environment.size(), n);
  EXPECT_FALSE(f.currentDir.empty());
  EXPECT_FALSE(f.kernelName.empty());
  EXPECT_GT(f.uptimeMs, 0u);
  std::vector<std::string> lines = Utf8Lines(BuildSystemReport(f));
  size_t envLines = 0;
  for (const auto& l : lines) envLines += l.rfind("環境変数 = ", 0) == 0;
  EXPECT_EQ(envLines, n);
  EXPECT_EQ(lines.back().rfind("起動時間 = ", 0), 0u);
}

TEST(DriveInfo, FiguresTextsAndPieOfAFullDisk) {
  DriveFigures f{"/home", 4096, 1000, 0};
  DriveInfoTexts t = BuildDriveInfoTexts(f);
  EXPECT_EQ(t.chartTitle, "ドライブ情報 /home 4,096,000 byte");
  EXPECT_EQ(t.seriesTitle, "ドライブ情報 /home");
  EXPECT_EQ(t.summary, "/home 全容量 4,096,000 byte  使用 4,096,000 byte  未使用 0 byte");
  EXPECT_EQ(t.blocksLabel, "ﾌﾞﾛｯｸ = 4096 ﾊﾞｲﾄ ﾌﾞﾛｯｸ数 = 1000 ﾌﾘｰﾌﾞﾛｯｸ = 1");
  PieAngles full = PieAnglesOf(f.UsedBytes(), f.FreeBytes());
  EXPECT_EQ(full.used, 5760);
  EXPECT_EQ(full.free, 0);
  PieAngles quarter = PieAnglesOf(1, 3);
  EXPECT_EQ(quarter.used, 1440);
  EXPECT_EQ(quarter.free, 4320);
  // Sizes beyond 2^63 still share out the whole circle.
  PieAngles huge = PieAnglesOf(UINT64_MAX / 3 * 2, UINT64_MAX / 3);
  EXPECT_EQ(huge.used + huge.free, 5760);
  EXPECT_EQ(huge.used, 3840);
  EXPECT_EQ(PieAnglesOf(0, 0).free, 5760);
}

TEST(DriveInfo, StatvfsOfARealFolderAndOfMountsItCannotRead) {
  std::string err;
  std::optional<DriveFigures> f = ReadDriveFigures(fs::temp_directory_path().string(), &err);
  ASSERT_TRUE(f.has_value()) << err;
  EXPECT_GT(f->blocks, 0u);
  EXPECT_GT(f->blockSize, 0u);
  EXPECT_LE(f->freeBlocks, f->blocks);
  EXPECT_EQ(f->root.front(), '/');
  EXPECT_FALSE(ReadDriveFigures("", &err).has_value());

  err.clear();
  EXPECT_FALSE(ReadDriveFigures("/no/such/folder/here", &err).has_value());
  EXPECT_NE(err.find("/no/such/folder/here"), std::string::npos);
  err.clear();
  if (fs::exists("/proc/self")) {
    EXPECT_FALSE(ReadDriveFigures("/proc/self", &err).has_value());
    EXPECT_NE(err.find("/proc"), std::string::npos);
    EXPECT_EQ(MountPointOf("/proc/self/"), "/proc");
  }
  EXPECT_EQ(MountPointOf("/"), "/");
}

TEST(DriveInfo, TheMountIsTheLongestMountPointHoldingThePath) {
  const std::string table =
      "22 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "30 22 8:2 / /home rw - ext4 /dev/sda2 rw\n"
      "31 30 8:3 / /home/taro/My\\040Disk rw - vfat /dev/sdb1 rw\n"
      "32 22 0:5 / /ho rw - tmpfs tmpfs rw\n"
      "33 30 8:4 / /home rw - ext4 /dev/sdc1 rw\n";
  EXPECT_EQ(MountPointFromTable(table, "/home/taro/doc"), "/home");
  EXPECT_EQ(MountPointFromTable(table, "/home/taro/My Disk/a"), "/home/taro/My Disk");
  EXPECT_EQ(MountPointFromTable(table, "/home/taro/My Diskette"), "/home");
  EXPECT_EQ(MountPointFromTable(table, "/hom"), "/");
  EXPECT_EQ(MountPointFromTable(table, "/ho/x"), "/ho");
  EXPECT_EQ(MountPointFromTable("garbage\n\n", "/x"), "");
  EXPECT_EQ(MountPointFromTable("", "/x"), "");
}

TEST(UrlCandidate, TheCaretLineNeedsSchemeAndSkipsDoubleByteCharacters) {
  // "あい" then the address and more text.
  EXPECT_EQ(UrlCandidateFromLine("\x82\xa0\x82\xa2http://example.jp/a?b=1 \x82\xa0"), "http://example.jp/a?b=1");
  // A double-byte character whose second byte is printable ("ァ" = 83 40) is stepped over whole.
  EXPECT_EQ(UrlCandidateFromLine("\x83\x40https://x.jp/"), "https://x.jp/");
  EXPECT_EQ(UrlCandidateFromLine("  www.example.jp/index.html"), "");
  EXPECT_EQ(UrlCandidateFromLine("see http://x.jp/"), "");  // the first run lacks "://"
  EXPECT_EQ(UrlCandidateFromLine("\t ftp://a.b/c\td"), "ftp://a.b/c");
  EXPECT_EQ(UrlCandidateFromLine("\x82\xa0\x82"), "");  // a cut-off character at the end
  EXPECT_EQ(UrlCandidateFromLine(""), "");
}

TEST(UrlCandidate, TheSelectionDropsLeadingDoubleByteCharactersAndNeedsNoScheme) {
  EXPECT_EQ(UrlCandidateFromSelection("\x82\xa0\x82\xa2www.example.jp/x y"), "www.example.jp/x");
  EXPECT_EQ(UrlCandidateFromSelection(" \t http://a.jp/ \r\n"), "http://a.jp/");
  EXPECT_EQ(UrlCandidateFromSelection("\x82\xa0"), "");
  EXPECT_EQ(UrlCandidateFromSelection("   "), "");
  EXPECT_EQ(UrlCandidateFromSelection("\x82"), "");
  EXPECT_EQ(UrlCandidateFromSelection("mailto:x@y.jp\x82\xa0"), "mailto:x@y.jp");
}

TEST(UrlCandidate, TheDialogOffersTheCandidateAndKeepsItsHistory) {
  TIniFile ini;
  ini.Parse("[URL]\nDriveCount=1\nItems_0=#http://old.jp/#\n");
  TInputDialogModel d = UrlDialogModel(ini, "http://new.jp/");
  EXPECT_EQ(d.caption, "インターネットのURLにジャンプ");
  EXPECT_EQ(d.prompt, "URLを入力して下さい。普段利用しているブラウザで表示します。");
  EXPECT_EQ(d.note, "");
  EXPECT_EQ(d.text, "http://new.jp/");
  EXPECT_EQ(d.history, std::vector<std::string>{"http://old.jp/"});
  EXPECT_EQ(d.Accept(ini, kUrlHistorySection), "http://new.jp/");
  EXPECT_EQ(LoadHistoryList(ini, kUrlHistorySection), (std::vector<std::string>{"http://new.jp/", "http://old.jp/"}));
}

TEST(PowerCommands, ShutDownRebootAndLogOffAskOnceAndNoDoesNothing) {
  TRecordingStarter fake;
  DesktopEnv env;
  env.sessionId = "3";
  TDesktopServices services(fake, env);
  int asked = 0;
  auto no = [&](const std::string& q) {
    ++asked;
    EXPECT_FALSE(q.empty());
    return false;
  };
  for (PowerAction a : {PowerAction::PowerOff, PowerAction::Reboot, PowerAction::LogOff}) {
    PowerOutcome o = RunPowerAction(a, services, no);
    EXPECT_TRUE(o.asked);
    EXPECT_FALSE(o.ran);
  }
  EXPECT_EQ(asked, 3);
  EXPECT_TRUE(fake.calls.empty());
  // Nobody to ask counts as No.
  EXPECT_FALSE(RunPowerAction(PowerAction::PowerOff, services, nullptr).ran);
  EXPECT_TRUE(fake.calls.empty());

  auto yes = [&](const std::string&) {
    ++asked;
    return true;
  };
  EXPECT_TRUE(RunPowerAction(PowerAction::Reboot, services, yes).result.ok);
  EXPECT_EQ(asked, 4);
  ASSERT_EQ(fake.calls.size(), 1u);
  EXPECT_EQ(fake.calls[0], (ProgramCall{"systemctl", {"reboot"}, ""}));
  // Standby acts at once.
  PowerOutcome s = RunPowerAction(PowerAction::Suspend, services, no);
  EXPECT_FALSE(s.asked);
  EXPECT_TRUE(s.ran);
  EXPECT_EQ(asked, 4);
  EXPECT_EQ(fake.calls.back(), (ProgramCall{"systemctl", {"suspend"}, ""}));
  EXPECT_NE(ConfirmationText(PowerAction::PowerOff), ConfirmationText(PowerAction::Reboot));
}

TEST(About, NamesVersionsAndLoadedLibraries) {
  std::string icu = IcuVersion();
  EXPECT_EQ(icu.substr(0, 2), std::to_string(U_ICU_VERSION_MAJOR_NUM));
  std::vector<std::string> libs = LoadedLibraries();
  bool hasIcu = false, hasC = false;
  for (const auto& l : libs) {
    hasIcu |= l.rfind("libicuuc", 0) == 0;
    hasC |= l.rfind("libc.so", 0) == 0;
    EXPECT_EQ(l.find('/'), std::string::npos);
  }
  EXPECT_TRUE(hasIcu);
  EXPECT_TRUE(hasC);
  EXPECT_TRUE(std::is_sorted(libs.begin(), libs.end()));
  AboutFacts f;
  f.version = "5.2";
  f.qtVersion = "6.4.2";
  f.icuVersion = "72.1";
  f.libraries = {"libarchive.so.13", "libicuuc.so.72"};
  EXPECT_EQ(
      BuildAboutText(f),
      "Navirt バージョン 5.2\nQt 6.4.2\nICU 72.1\n\n使用しているライブラリ:\n  libarchive.so.13\n  libicuuc.so.72\n");
}

TEST(Help, PagesAreFoundFromABuildFolderAndMailBodiesAreUtf8) {
  std::string bin = std::string(NAVIRT_SOURCE_DIR) + "/build-x/bin";
  for (HelpTopic t : {HelpTopic::Contents, HelpTopic::Keywords, HelpTopic::Usage}) {
    std::string p = FindHelpFile(t, bin);
    ASSERT_FALSE(p.empty()) << HelpFileName(t);
    EXPECT_EQ(fs::path(p).filename().string(), HelpFileName(t));
  }
  EXPECT_EQ(FindHelpFile(HelpTopic::Contents, "/no/such/dir"), "");
  EXPECT_EQ(FileUrl("/a b/ヘルプ.html"), "file:///a%20b/%E3%83%98%E3%83%AB%E3%83%97.html");
  EXPECT_EQ(MailBodyFromPane({"\x93\xfa\x96\x7b", "", "x"}), "日本\n\nx");
  EXPECT_EQ(MailBodyFromPane({}), "");
}

// Every link of the help pages leads to a page and an anchor that exist, and
// every command letter of the key map is described.
TEST(Help, LinksResolveAndTheKeyMapIsCovered) {
  std::string dir = std::string(NAVIRT_SOURCE_DIR) + "/docs/help";
  std::map<std::string, std::string> pages;
  for (const auto& e : fs::directory_iterator(dir)) {
    std::ifstream in(e.path());
    pages[e.path().filename().string()] = std::string((std::istreambuf_iterator<char>(in)), {});
  }
  ASSERT_TRUE(pages.count("index.html") && pages.count("keywords.html") && pages.count("usage.html"));
  std::regex href("href=\"([^\"#]*)(#([^\"]*))?\"");
  int links = 0;
  for (const auto& [name, text] : pages) {
    for (auto it = std::sregex_iterator(text.begin(), text.end(), href); it != std::sregex_iterator(); ++it) {
      std::string file = (*it)[1].str().empty() ? name : (*it)[1].str();
      if (file.find(':') != std::string::npos) continue;  // outside links
      ASSERT_TRUE(pages.count(file)) << name << " -> " << file;
      if ((*it)[3].matched) {
        EXPECT_NE(pages[file].find("id=\"" + (*it)[3].str() + "\""), std::string::npos)
            << name << " -> " << file << "#" << (*it)[3].str();
      }
      ++links;
    }
  }
  EXPECT_GT(links, 50);
  const std::string& usage = pages["usage.html"];
  for (char k = 'A'; k <= 'Z'; ++k) {
    if (k == 'Y') continue;
    EXPECT_NE(usage.find(std::string("<kbd>") + k + "</kbd>"), std::string::npos) << k;
  }
}

}  // namespace
}  // namespace navirt

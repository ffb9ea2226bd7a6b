// navirt-dir's listings against a fixture tree with known dates, the
// listing dialog's command line, and saving names and the folder tree.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <cerrno>
#include <ctime>
#include <string>

#include "fileops/DirListing.h"
#include "platform/Cp932.h"
#include "tests/fileops/FileOpsTestUtil.h"

namespace navirt {
namespace {

using namespace testing_util;

std::string Sp(int n) { return std::string(static_cast<size_t>(n), ' '); }

class DirFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    root = d / "fx/root";
    WriteFile(root + "/a.txt", "hello\n");
    WriteFile(root + "/B.doc", std::string(1234, 'b'));
    WriteFile(root + "/c", "");
    WriteFile(root + "/ro.txt", "ro text");
    ::chmod((root + "/ro.txt").c_str(), 0444);
    WriteFile(root + "/.hidden", "hid");
    WriteFile(root + "/sys.txt", "system 10.");
    haveXattr = ::setxattr((root + "/sys.txt").c_str(), "user.DOSATTRIB", "0x4", 4, 0) == 0;
    WriteFile(root + "/sub/d.txt", std::string(20, 'd'));
    SetMtime(root + "/a.txt", 1577934240);
    SetMtime(root + "/B.doc", 1620284880);
    SetMtime(root + "/c", 1577836740);
    SetMtime(root + "/ro.txt", 1643861100);
    SetMtime(root + "/.hidden", 1577836800);
    SetMtime(root + "/sys.txt", 1577836800);
    SetMtime(root + "/sub/d.txt", 1531041000);
    SetMtime(root + "/sub", 1677906360);
    SetMtime(root, 1704067200);
    SetMtime(d / "fx", 1717243200);
  }
  void TearDown() override { ::unsetenv("TZ"); }

  std::string List(std::vector<std::string> args, int* status = nullptr) {
    DirOptions o;
    std::string error;
    EXPECT_TRUE(ParseDirArgs(args, o, error)) << error;
    std::string out;
    VolumeInfo vol{"/", 0x12345678, 1234567890};
    int st = DirListing(o, out, &vol);
    if (status) *status = st;
    return out;
  }

  ScratchDir d;
  std::string root;
  bool haveXattr = false;
  const std::string head =
      " ドライブ / のボリューム ラベルがありません。\n ボリューム シリアル番号は 1234-5678 です\n\n";
};

TEST_F(DirFixture, PlainListingAsTheCommandPromptWritesIt) {
  int status = -1;
  EXPECT_EQ(List({root}, &status), head + " " + root + " のディレクトリ\n\n" +
                                       "2024/01/01  00:00    <DIR>          .\n"
                                       "2024/06/01  12:00    <DIR>          ..\n"
                                       "2020/01/02  03:04" +
                                       Sp(17) +
                                       "6 a.txt\n"
                                       "2021/05/06  07:08" +
                                       Sp(13) +
                                       "1,234 B.doc\n"
                                       "2019/12/31  23:59" +
                                       Sp(17) +
                                       "0 c\n"
                                       "2022/02/03  04:05" +
                                       Sp(17) +
                                       "7 ro.txt\n"
                                       "2023/03/04  05:06    <DIR>          sub\n" +
                                       Sp(15) + "4 個のファイル " + Sp(14) + "1,247 バイト\n" + Sp(15) +
                                       "3 個のディレクトリ " + Sp(2) + "1,234,567,890 バイトの空き領域\n");
  EXPECT_EQ(status, 0);
}

TEST_F(DirFixture, SubfoldersWithTheGrandTotal) {
  EXPECT_EQ(List({root, "/S"}), head + " " + root + " のディレクトリ\n\n" +
                                    "2024/01/01  00:00    <DIR>          .\n"
                                    "2024/06/01  12:00    <DIR>          ..\n"
                                    "2020/01/02  03:04" +
                                    Sp(17) +
                                    "6 a.txt\n"
                                    "2021/05/06  07:08" +
                                    Sp(13) +
                                    "1,234 B.doc\n"
                                    "2019/12/31  23:59" +
                                    Sp(17) +
                                    "0 c\n"
                                    "2022/02/03  04:05" +
                                    Sp(17) +
                                    "7 ro.txt\n"
                                    "2023/03/04  05:06    <DIR>          sub\n" +
                                    Sp(15) + "4 個のファイル " + Sp(14) + "1,247 バイト\n\n" + " " + root +
                                    "/sub のディレクトリ\n\n" +
                                    "2023/03/04  05:06    <DIR>          .\n"
                                    "2024/01/01  00:00    <DIR>          ..\n"
                                    "2018/07/08  09:10" +
                                    Sp(16) + "20 d.txt\n" + Sp(15) + "1 個のファイル " + Sp(17) + "20 バイト\n\n" +
                                    "     ファイルの総数:\n" + Sp(15) + "5 個のファイル " + Sp(14) + "1,267 バイト\n" +
                                    Sp(15) + "5 個のディレクトリ " + Sp(2) + "1,234,567,890 バイトの空き領域\n");
  EXPECT_EQ(List({root, "/S", "/B"}), root + "/a.txt\n" + root + "/B.doc\n" + root + "/c\n" + root + "/ro.txt\n" +
                                          root + "/sub\n" + root + "/sub/d.txt\n");
  // Only folders with matches appear under /S with a pattern.
  std::string txt = List({root + "/*.TXT", "/S"});
  EXPECT_NE(txt.find(root + "/sub のディレクトリ"), std::string::npos);
  EXPECT_EQ(txt.find("<DIR>"), std::string::npos);
  EXPECT_NE(txt.find(Sp(15) + "3 個のファイル " + Sp(17) + "33 バイト\n"), std::string::npos);
}

TEST_F(DirFixture, AttributeSwitches) {
  EXPECT_EQ(List({root, "/B"}), "a.txt\nB.doc\nc\nro.txt\nsub\n");
  EXPECT_EQ(List({root, "/B", "/A"}), ".hidden\na.txt\nB.doc\nc\nro.txt\nsub\nsys.txt\n");
  EXPECT_EQ(List({root, "/B", "/A:D"}), "sub\n");
  EXPECT_EQ(List({root, "/B", "/A:-D"}), ".hidden\na.txt\nB.doc\nc\nro.txt\nsys.txt\n");
  EXPECT_EQ(List({root, "/B", "/A:R"}), "ro.txt\n");
  EXPECT_EQ(List({root, "/B", "/a:-r"}), ".hidden\na.txt\nB.doc\nc\nsub\nsys.txt\n");
  EXPECT_EQ(List({root, "/B", "/A:H"}), ".hidden\n");
  EXPECT_EQ(List({root, "/B", "/AH"}), ".hidden\n");
  if (haveXattr) {
    EXPECT_EQ(List({root, "/B", "/A:S"}), "sys.txt\n");
    EXPECT_EQ(List({root, "/B", "/A:-S"}), ".hidden\na.txt\nB.doc\nc\nro.txt\nsub\n");
  }
  int status = 0;
  EXPECT_EQ(List({root, "/B", "/A:A"}, &status), "ファイルが見つかりません\n");
  EXPECT_EQ(status, 1);
  // The dots count as folders and drop out with /A:-D.
  std::string noDirs = List({root, "/A:-D"});
  EXPECT_EQ(noDirs.find("<DIR>"), std::string::npos);
  EXPECT_NE(noDirs.find(Sp(15) + "0 個のディレクトリ"), std::string::npos);
}

TEST_F(DirFixture, SortSwitches) {
  EXPECT_EQ(List({root, "/B", "/O:N"}), "a.txt\nB.doc\nc\nro.txt\nsub\n");
  EXPECT_EQ(List({root, "/B", "/O:-N"}), "sub\nro.txt\nc\nB.doc\na.txt\n");
  EXPECT_EQ(List({root, "/B", "/O:S"}), "c\nsub\na.txt\nro.txt\nB.doc\n");
  EXPECT_EQ(List({root, "/B", "/O:-S"}), "B.doc\nro.txt\na.txt\nc\nsub\n");
  EXPECT_EQ(List({root, "/B", "/O:E"}), "c\nsub\nB.doc\na.txt\nro.txt\n");
  EXPECT_EQ(List({root, "/B", "/O:-E"}), "a.txt\nro.txt\nB.doc\nc\nsub\n");
  EXPECT_EQ(List({root, "/B", "/O:D"}), "c\na.txt\nB.doc\nro.txt\nsub\n");
  EXPECT_EQ(List({root, "/B", "/O:-D"}), "sub\nro.txt\nB.doc\na.txt\nc\n");
  EXPECT_EQ(List({root, "/B", "/O:G"}), "sub\na.txt\nB.doc\nc\nro.txt\n");
  EXPECT_EQ(List({root, "/B", "/O:-G"}), "a.txt\nB.doc\nc\nro.txt\nsub\n");
  struct timespec ts[2] = {{1500000000, 0}, {1577934240, 0}};
  ::utimensat(AT_FDCWD, (root + "/a.txt").c_str(), ts, 0);  // oldest access
  std::string byAccess = List({root, "/B", "/O:A"});
  EXPECT_EQ(byAccess.substr(0, 6), "a.txt\n");
  EXPECT_EQ(List({root, "/B", "/O:-A"}).substr(byAccess.size() - 6), "a.txt\n");
}

TEST_F(DirFixture, FormatsLowerCasePatternsAndMissingPaths) {
  EXPECT_EQ(List({root, "/B", "/L"}), "a.txt\nb.doc\nc\nro.txt\nsub\n");
  EXPECT_EQ(List({root + "/*.txt", "/B"}), "a.txt\nro.txt\n");
  EXPECT_EQ(List({root + "/?.*", "/B"}), "a.txt\nB.doc\nc\n");
  EXPECT_EQ(List({root + "/??.txt", "/B"}), "ro.txt\n");
  EXPECT_EQ(List({root + "/ro.txt", "/B"}), "ro.txt\n");
  std::string wide = List({root, "/W"});
  EXPECT_NE(wide.find("[.]" + Sp(13) + "[..]" + Sp(12) + "a.txt" + Sp(11) + "B.doc" + Sp(11) + "c\n"),
            std::string::npos)
      << wide;
  EXPECT_NE(wide.find("\nro.txt" + Sp(10) + "[sub]\n"), std::string::npos) << wide;
  std::string v = List({root + "/ro.txt", "/V"});
  EXPECT_NE(v.find("2022/02/03  04:05" + Sp(17) + "7 R---  "), std::string::npos) << v;
  int status = 0;
  EXPECT_EQ(List({root + "/none.txt"}, &status), head + " " + root + " のディレクトリ\n\nファイルが見つかりません\n");
  EXPECT_EQ(status, 1);
  EXPECT_EQ(List({root + "/nofolder/x"}, &status),
            head + "指定されたパスが見つかりません。 - " + root + "/nofolder/x\n");
  EXPECT_EQ(status, 1);
  DirOptions o;
  std::string error;
  EXPECT_FALSE(ParseDirArgs({"/X"}, o, error));
  EXPECT_EQ(error, "スイッチが無効です - /X");
  EXPECT_FALSE(ParseDirArgs({root, root}, o, error));
  EXPECT_FALSE(ParseDirArgs({"/A:Q"}, o, error));
  // A folder whose path looks like a switch is a path.
  DirOptions p;
  EXPECT_TRUE(ParseDirArgs({"/tmp"}, p, error));
  EXPECT_EQ(p.path, "/tmp");
}

// Links to folders are listed and never entered: a link to "." or two
// links to each other end; the listing stays the tree's own.
TEST_F(DirFixture, LinksToFoldersAreListedNotEntered) {
  ASSERT_EQ(::symlink(".", (root + "/self").c_str()), 0);
  ASSERT_EQ(::symlink("../sub", (root + "/sub/again").c_str()), 0);
  ASSERT_EQ(::symlink("..", (root + "/sub/up").c_str()), 0);
  ASSERT_EQ(::symlink("sub", (root + "/tosub").c_str()), 0);  // no loop, still not entered
  int status = -1;
  std::string bare = List({root, "/S", "/B"}, &status);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(bare, root + "/a.txt\n" + root + "/B.doc\n" + root + "/c\n" + root + "/ro.txt\n" + root + "/self\n" + root +
                      "/sub\n" + root + "/tosub\n" + root + "/sub/again\n" + root + "/sub/d.txt\n" + root +
                      "/sub/up\n");
  std::string full = List({root, "/S"});
  EXPECT_EQ(full.find(root + "/self/"), std::string::npos) << full;
  EXPECT_NE(full.find("9 個のディレクトリ"), std::string::npos) << full;  // with "." and ".."
}

// An existing name is itself ("[" and "\\" included); only "*" and "?" are
// wild. A missing path is named, and lies on its nearest folder's volume.
TEST_F(DirFixture, ExistingNamesAreLiteralAndMissingPathsNamed) {
  WriteFile(root + "/a[1].txt", "x");
  WriteFile(root + "/a1.txt", "x");
  WriteFile(root + "/b\\c.txt", "x");
  EXPECT_EQ(List({root + "/a[1].txt", "/B"}), "a[1].txt\n");
  EXPECT_EQ(List({root + "/b\\c.txt", "/B"}), "b\\c.txt\n");
  EXPECT_EQ(List({root + "/a[1]*", "/B"}), "a[1].txt\n");
  EXPECT_EQ(List({root + "/b\\c*", "/B"}), "b\\c.txt\n");
  EXPECT_EQ(List({root + "/a?.txt", "/B"}), "a1.txt\n");
  EXPECT_EQ(VolumeOf(root + "/nofolder/deeper").mount, VolumeOf(root).mount);
}

// Folders that cannot be read are named, and the status says so; a failed
// write says so too.
TEST_F(DirFixture, UnreadableFoldersAndWriteErrorsAreTold) {
  std::string program = NAVIRT_BINARY_DIR "/bin/navirt-dir";
  std::string as;
  if (::geteuid() == 0) {
    if (std::system("command -v setpriv >/dev/null") != 0) GTEST_SKIP() << "setpriv is needed to drop root";
    as = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    ASSERT_EQ(std::system(("chmod -R a+rwX '" + d.path() + "'").c_str()), 0);
  }
  WriteFile(root + "/locked/x.txt", "x");
  ASSERT_EQ(::chmod((root + "/locked").c_str(), 0), 0);
  auto run = [&](const std::string& args) {
    std::string out;
    FILE* p = ::popen((as + "'" + program + "' 2>&1 " + args + "; echo \"rc=$?\"").c_str(), "r");
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    ::pclose(p);
    return out;
  };
  std::string out = run("'" + root + "' /S");
  EXPECT_NE(out.find("フォルダーを読めません: " + root + "/locked: Permission denied"), std::string::npos) << out;
  EXPECT_NE(out.find("d.txt"), std::string::npos) << out;
  EXPECT_NE(out.find("rc=1"), std::string::npos) << out;
  out = run("'" + root + "/locked'");
  EXPECT_NE(out.find("フォルダーを読めません: " + root + "/locked: Permission denied"), std::string::npos) << out;
  EXPECT_EQ(out.find("ファイルが見つかりません"), std::string::npos) << out;
  EXPECT_NE(out.find("rc=1"), std::string::npos) << out;
  ::chmod((root + "/locked").c_str(), 0755);
  out = run("'" + root + "' >/dev/full");
  EXPECT_NE(out.find("navirt-dir: write error: No space left on device"), std::string::npos) << out;
  EXPECT_NE(out.find("rc=2"), std::string::npos) << out;
}

TEST_F(DirFixture, ProgramWritesCp932WithCrLf) {
  WriteFile(root + "/日本.txt", "x");
  SetMtime(root + "/日本.txt", 1577934240);
  std::string out = d / "out.tmp";
  std::string error;
  std::string program = NAVIRT_BINARY_DIR "/bin/navirt-dir";
  ASSERT_TRUE(RunDirProgram(program, "\"" + root + "\" /B /O:-N ", out, error)) << error;
  EXPECT_EQ(ReadFile(out), "\x93\xfa\x96\x7b.txt\r\nsub\r\nro.txt\r\nc\r\nB.doc\r\na.txt\r\n");
  ASSERT_TRUE(RunDirProgram(program, "\"" + root + "\" /A:H", out, error));
  std::string listed = ReadFile(out);
  EXPECT_NE(listed.find(Utf8ToCp932(" のディレクトリ\r\n")), std::string::npos);
  EXPECT_NE(listed.find(" .hidden\r\n"), std::string::npos);
  EXPECT_FALSE(RunDirProgram(d / "no-such-program", "", out, error));
  EXPECT_NE(error.find("No such file or directory"), std::string::npos);
  EXPECT_EQ(DirResultLabel("\"/x\" /S"), "dir   \"/x\" /S   の結果");
}

TEST_F(DirFixture, ACancelledListingKillsItsProcessAtOnce) {
  // A listing program that would run for a minute.
  const std::string program = d / "slow-dir";
  const std::string pidFile = d / "pid";
  WriteFile(program, "#!/bin/sh\necho $$ > '" + pidFile + "'\necho partial\nexec sleep 60\n");
  ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
  std::string out = d / "out.tmp", error = "old";
  int asked = 0;
  // Cancelled once the process has said who it is.
  EXPECT_FALSE(RunDirProgram(program, "", out, error, [&] {
    ++asked;
    return !ReadFile(pidFile).empty();
  }));
  EXPECT_TRUE(error.empty());
  EXPECT_GT(asked, 0);
  const pid_t pid = static_cast<pid_t>(std::stol(ReadFile(pidFile)));
  // Gone and reaped: no such process any more.
  EXPECT_NE(::kill(pid, 0), 0);
  EXPECT_EQ(errno, ESRCH);
  // A cancel test that never says yes lets the listing finish.
  EXPECT_TRUE(
      RunDirProgram(NAVIRT_BINARY_DIR "/bin/navirt-dir", "\"" + root + "\" /B", out, error, [] { return false; }));
  EXPECT_NE(ReadFile(out).find("a.txt\r\n"), std::string::npos);
}

TEST(DirDialog, CommandLineForEveryControl) {
  TIniFile ini;
  TDirDialogModel m;
  m.Open(ini, "/home/u");
  EXPECT_EQ(m.CommandLine(), "\"/home/u\"     ");
  const char* attrs[] = {" /A:D", " /A:-D", " /A:R", " /A:-R", " /A:H", " /A:-H", " /A:S", " /A:-S", " /A:A", " /A:-A"};
  for (int i = 1; i <= 10; ++i) {
    m.attr = i;
    EXPECT_EQ(m.CommandLine(), "\"/home/u\"" + std::string(attrs[i - 1]) + "    ") << i;
  }
  m.attr = 0;
  const char* sorts[] = {" /O:N", " /O:-N", " /O:S", " /O:-S", " /O:E", " /O:-E",
                         " /O:D", " /O:-D", " /O:G", " /O:-G", " /O:A", " /O:-A"};
  for (int i = 1; i <= 12; ++i) {
    m.sort = i;
    EXPECT_EQ(m.CommandLine(), "\"/home/u\" " + std::string(sorts[i - 1]) + "   ") << i;
  }
  m.sort = 0;
  m.subdirs = true;
  EXPECT_EQ(m.CommandLine(), "\"/home/u\"   /S  ");
  m.subdirs = false;
  const char* formats[] = {" ", " /V", " /B", " /W"};
  for (int i = 0; i < 4; ++i) {
    m.format = i;
    EXPECT_EQ(m.CommandLine(), "\"/home/u\"   " + std::string(formats[i]) + " ") << i;
  }
  m.format = 0;
  m.lower = true;
  EXPECT_EQ(m.CommandLine(), "\"/home/u\"     /L");
  m.attr = 2;
  m.sort = 4;
  m.subdirs = true;
  m.format = 2;
  m.ChooseFolder("/data/*.txt");
  EXPECT_EQ(m.CommandLine(), "\"/data/*.txt\" /A:-D /O:-S /S /B /L");
  EXPECT_EQ(m.Accept(ini), "\"/data/*.txt\" /A:-D /O:-S /S /B /L ");
  EXPECT_EQ(ini.ReadString("LHA", "Items_0", ""), "#/data/*.txt#");
  for (int i = 0; i < 12; ++i) {
    m.path = "/p" + std::to_string(i);
    m.Accept(ini);
  }
  EXPECT_EQ(ini.ReadInteger("LHA", "DriveCount", 0), 10);
  // The command line parses back into the same switches.
  DirOptions o;
  std::string error;
  ASSERT_TRUE(ParseDirArgs(SplitArguments(m.Accept(ini)), o, error)) << error;
  EXPECT_EQ(o.path, "/p11");
  EXPECT_EQ(o.attrExcluded, "D");
  ASSERT_EQ(o.sort.size(), 1u);
  EXPECT_TRUE(o.sort[0].key == 'S' && o.sort[0].reverse);
  EXPECT_TRUE(o.recurse && o.bare && o.lower && !o.wide && !o.verbose);
  EXPECT_EQ(TDirDialogModel::AttrChoices().size(), 11u);
  EXPECT_EQ(TDirDialogModel::SortChoices().size(), 13u);
}

TEST(DirCommands, ArgumentsTempPathDirectDialogAndSaving) {
  EXPECT_EQ(SplitArguments("\"/a b/c\"  /S /O:-N "), (std::vector<std::string>{"/a b/c", "/S", "/O:-N"}));
  EXPECT_EQ(SplitArguments("\"\""), (std::vector<std::string>{""}));
  EXPECT_EQ(ListingTempPath("/opt/navirt/navirt", true, "/c", "/h"), "/opt/navirt/navirt.tmp");
  EXPECT_EQ(ListingTempPath("/opt/nav.d/navirt.bin", true, "/c", "/h"), "/opt/nav.d/navirt.tmp");
  EXPECT_EQ(ListingTempPath("/usr/bin/navirt", false, "/c", "/h"), "/c/navirt/navirt.tmp");
  EXPECT_EQ(ListingTempPath("/usr/bin/navirt", false, "", "/h"), "/h/.cache/navirt/navirt.tmp");
  TInputDialogModel m = DirectListingDialog("/home/u");
  EXPECT_EQ(m.caption, "フォルダーの指定");
  EXPECT_EQ(m.prompt, "フォルダーの指定　例)　a:\\navir");
  EXPECT_EQ(m.text, "/home/u");

  EXPECT_EQ(FileNamesText("/d", {"a.txt", "日本"}, false), "a.txt\r\n日本\r\n");
  EXPECT_EQ(FileNamesText("/d", {"a.txt", "日本"}, true), "/d/a.txt\r\n/d/日本\r\n");
  EXPECT_EQ(FolderTreeText({{0, "/"}, {1, "home"}, {2, "u"}, {1, "tmp"}}), "/\r\n\thome\r\n\t\tu\r\n\ttmp\r\n");
  EXPECT_EQ(DefaultNamesFile("/home/u/"), "u.txt");
  EXPECT_EQ(DefaultNamesFile("/"), "root.txt");
  ScratchDir d;
  std::string message;
  ASSERT_TRUE(SaveListText(d / "names.txt", "x\r\n", message));
  EXPECT_EQ(message, d / "names.txt" + " に保存しました。");
  EXPECT_EQ(ReadFile(d / "names.txt"), "x\r\n");
  EXPECT_FALSE(SaveListText(d / "no/such/names.txt", "x", message));
  EXPECT_NE(message.find("No such file or directory"), std::string::npos);
}

}  // namespace
}  // namespace navirt

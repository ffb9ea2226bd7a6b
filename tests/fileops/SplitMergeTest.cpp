// Split into pieces, merge back, and the two dialogs' models.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "fileops/Messages.h"
#include "fileops/SplitMerge.h"
#include "platform/FileInfo.h"
#include "tests/fileops/FileOpsTestUtil.h"

namespace navirt {
namespace {

using namespace testing_util;

TEST(SplitNames, PiecesCommandFileAndCount) {
  EXPECT_EQ(PieceName("/d/movie.avi", 1), "/d/movie.001");
  EXPECT_EQ(PieceName("/d/movie.avi", 999), "/d/movie.999");
  EXPECT_EQ(PieceName("/d/movie.avi", 1000), "/d/movie.000");
  EXPECT_EQ(PieceName("/d.x/noext", 12), "/d.x/noext.012");
  EXPECT_EQ(ChangeFileExt("/d.x/noext", ".bat"), "/d.x/noext.bat");
  EXPECT_EQ(ChangeFileExt("/d/a.tar.gz", ".bat"), "/d/a.tar.bat");
  EXPECT_EQ(PieceCount(2915328, 1457664), 3u);
  EXPECT_EQ(PieceCount(10, 1457664), 1u);
  EXPECT_EQ(PieceCount(0, 1457664), 1u);
  EXPECT_EQ(PieceCount(5, 0), 6u);  // a size below 1 counts as 1, never a division by zero
  EXPECT_EQ(SplitCommandText("/d/f.lzh", 3),
            "COPY /B f.001 f.lzh\r\nCOPY /B f.lzh+f.002 f.lzh\r\nCOPY /B f.lzh+f.003 f.lzh\r\n");
  EXPECT_EQ(MergeCommandText("/d/t", {"/d/a", "/d/b"}), "COPY /B /d/a /d/t\r\nCOPY /B /d/t+/d/b /d/t\r\n");
  EXPECT_EQ(MergeCommandText("/d/a", {"/d/a", "/d/b"}), "COPY /B /d/a /d/a\r\nCOPY /B /d/a+/d/b /d/a\r\n");
}

TEST(SplitFileTest, ExactMultipleEndsWithAnEmptyPiece) {
  ScratchDir d;
  std::string data = Bytes(2915328, 5);
  WriteFile(d / "data.lzh", data);
  std::vector<JobProgress> seen;
  JobHooks hooks;
  hooks.progress = [&](const JobProgress& p) { seen.push_back(p); };
  JobResult r = SplitFile(d / "data.lzh", 1457664, hooks);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Names(d.path()), (std::vector<std::string>{"data.001", "data.002", "data.003", "data.bat", "data.lzh"}));
  EXPECT_EQ(ReadFile(d / "data.001"), data.substr(0, 1457664));
  EXPECT_EQ(ReadFile(d / "data.002"), data.substr(1457664));
  EXPECT_EQ(ReadFile(d / "data.003"), "");
  EXPECT_EQ(ReadFile(d / "data.bat"), SplitCommandText(d / "data.lzh", 3));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[2].step, 3u);
  EXPECT_EQ(seen[2].steps, 3u);
  EXPECT_EQ(SplitProgressCount(seen[1].step, seen[1].steps), "2 / 3");
  EXPECT_EQ(SplitProgressLabel("/d/x"), "/d/x を分割中");

  WriteFile(d / "small.txt", "0123456789");
  r = SplitFile(d / "small.txt", 1457664);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(ReadFile(d / "small.001"), "0123456789");
  EXPECT_EQ(ReadFile(d / "small.bat"), "COPY /B small.001 small.txt\r\n");

  // Joined back by the merge, the pieces give the source again.
  r = MergeFiles(d / "joined", {d / "data.001", d / "data.002", d / "data.003"});
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(ReadFile(d / "joined"), data);
}

TEST(SplitFileTest, RefusalsCancelAndFailures) {
  ScratchDir d;
  WriteFile(d / "f.bin", Bytes(5000, 1));
  JobResult r = SplitFile(d / "f.bin", 4);  // 1251 pieces
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "1251個のﾌｧｲﾙに分割できません。");
  EXPECT_EQ(Names(d.path()), (std::vector<std::string>{"f.bin"}));
  EXPECT_EQ(SplitFile(d / "f.bin", 5).error, "1001個のﾌｧｲﾙに分割できません。");
  WriteFile(d / "g.bin", Bytes(4995, 1));
  EXPECT_TRUE(SplitFile(d / "g.bin", 5).ok);  // exactly 1000 pieces: the last is .000
  EXPECT_EQ(ReadFile(d / "g.000"), "");
  EXPECT_EQ(ReadFile(d / "g.999"), Bytes(4995, 1).substr(4990, 5));
  EXPECT_EQ(ReadFile(d / "g.001"), Bytes(4995, 1).substr(0, 5));
  for (auto& n : Names(d.path()))
    if (n != "f.bin") std::filesystem::remove(d / n);
  ASSERT_EQ(Names(d.path()), (std::vector<std::string>{"f.bin"}));

  std::atomic<bool> cancel{false};
  JobHooks hooks;
  hooks.cancel = &cancel;
  hooks.progress = [&](const JobProgress& p) {
    if (p.step == 2) cancel = true;
  };
  r = SplitFile(d / "f.bin", 2000, hooks);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(r.cancelled);
  // The pieces written so far, whole, and no command file.
  EXPECT_EQ(Names(d.path()), (std::vector<std::string>{"f.001", "f.002", "f.bin"}));
  EXPECT_EQ(ReadFile(d / "f.002").size(), 2000u);

  r = SplitFile(d / "missing", 100);
  EXPECT_EQ(r.error, d / "missing" + ": No such file or directory");
  r = SplitFile(d.path(), 100);
  EXPECT_FALSE(r.ok);

  // A full disk: the failed piece leaves nothing under its name.
  std::filesystem::create_directories(d / "big");
  WriteFile(d / "big/b.bin", Bytes(3u << 20, 2));
  struct rlimit old;
  ::getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit lim = old;
  lim.rlim_cur = 1u << 20;
  ::setrlimit(RLIMIT_FSIZE, &lim);
  r = SplitFile(d / "big/b.bin", 1500000);
  JobResult m = MergeFiles(d / "big/b.bin", {d / "big/b.bin", d / "big/b.bin"});
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("File too large"), std::string::npos) << r.error;
  EXPECT_EQ(Names(d / "big"), (std::vector<std::string>{"b.bin"}));
  EXPECT_FALSE(m.ok);
  EXPECT_EQ(ReadFile(d / "big/b.bin"), Bytes(3u << 20, 2));  // the target as it was
}

TEST(MergeFileTest, TargetAsFirstOrThirdSource) {
  ScratchDir d;
  WriteFile(d / "a", "AAAA");
  WriteFile(d / "b", "BB");
  WriteFile(d / "c", "C");
  // Target first: its content stays in front; a ".bak" copy of it is made.
  std::vector<std::string> files{d / "a", d / "b", d / "c"};
  JobResult p = PrepareMerge(d / "a", files);
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(ReadFile(d / "a.bak"), "AAAA");
  ASSERT_TRUE(MergeFiles(d / "a", files).ok);
  EXPECT_EQ(ReadFile(d / "a"), "AAAABBC");
  EXPECT_EQ(ReadFile(d / "a.bat"), MergeCommandText(d / "a", files));

  // Target third: read whole before it is replaced.
  WriteFile(d / "x", "X1");
  WriteFile(d / "y", "Y2");
  WriteFile(d / "t", "T3");
  ASSERT_TRUE(MergeFiles(d / "t", {d / "x", d / "y", d / "t"}).ok);
  EXPECT_EQ(ReadFile(d / "t"), "X1Y2T3");

  // An old command file becomes ".bak"; a later source missing stops
  // before anything is replaced.
  WriteFile(d / "t.bat", "old commands");
  ASSERT_TRUE(PrepareMerge(d / "t", {d / "x", d / "y"}).ok);
  JobResult r = MergeFiles(d / "t", {d / "x", d / "gone"});
  EXPECT_EQ(r.error, d / "gone" + ": No such file or directory");
  EXPECT_EQ(ReadFile(d / "t"), "X1Y2T3");
  // A failed merge leaves the command file as it was, and no ".bak" of it.
  EXPECT_EQ(ReadFile(d / "t.bat"), "old commands");
  EXPECT_FALSE(Exists(d / "t.bak"));

  std::atomic<bool> cancel{true};
  JobHooks hooks;
  hooks.cancel = &cancel;
  r = MergeFiles(d / "t", {d / "x", d / "y"}, hooks);
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(ReadFile(d / "t"), "X1Y2T3");
  EXPECT_EQ(ReadFile(d / "t.bat"), "old commands");
  for (const std::string& n : Names(d.path())) EXPECT_NE(n.rfind(".navirt-part-", 0), 0u) << n;
  // Done: the old command file becomes ".bak", the new one records it.
  ASSERT_TRUE(MergeFiles(d / "t", {d / "x", d / "y"}).ok);
  EXPECT_EQ(ReadFile(d / "t.bak"), "old commands");
  EXPECT_EQ(ReadFile(d / "t.bat"), MergeCommandText(d / "t", {d / "x", d / "y"}));
}

mode_t ModeOf(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A private target stays private, and so does its ".bak" copy; the old
// command file does not take the name that holds the target's copy.
TEST(MergeFileTest, KeepsThePrivateModeOfTargetAndCopy) {
  ScratchDir d;
  WriteFile(d / "p.txt", "secret ");
  WriteFile(d / "q", "more");
  WriteFile(d / "p.bat", "old commands");
  ASSERT_EQ(::chmod((d / "p.txt").c_str(), 0600), 0);
  std::vector<std::string> files{d / "p.txt", d / "q"};
  ASSERT_TRUE(PrepareMerge(d / "p.txt", files).ok);
  ASSERT_TRUE(MergeFiles(d / "p.txt", files).ok);
  EXPECT_EQ(ReadFile(d / "p.txt"), "secret more");
  EXPECT_EQ(ModeOf(d / "p.txt"), 0600u);
  EXPECT_EQ(ReadFile(d / "p.bak"), "secret ");
  EXPECT_EQ(ModeOf(d / "p.bak"), 0600u);
  // Another mode, and a new target under the umask.
  ASSERT_EQ(::chmod((d / "p.txt").c_str(), 0640), 0);
  ASSERT_TRUE(MergeFiles(d / "p.txt", {d / "q"}).ok);
  EXPECT_EQ(ModeOf(d / "p.txt"), 0640u);
  mode_t old = ::umask(027);
  ASSERT_TRUE(MergeFiles(d / "new", {d / "q"}).ok);
  ::umask(old);
  EXPECT_EQ(ModeOf(d / "new"), 0640u);
}

TEST(SplitFileTest, NeverReplacesItsSourceOrNeighboursUnasked) {
  ScratchDir d;
  // "data.001" split: its first piece would be itself.
  WriteFile(d / "data.001", "0123456789");
  JobResult r = SplitFile(d / "data.001", 4);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find(msg::kSplitWouldReplaceSource), std::string::npos) << r.error;
  EXPECT_EQ(ReadFile(d / "data.001"), "0123456789");
  EXPECT_EQ(Names(d.path()), (std::vector<std::string>{"data.001"}));
  // The same file under a second name counts as the source too.
  ASSERT_EQ(::link((d / "data.001").c_str(), (d / "h.002").c_str()), 0);
  ASSERT_EQ(::link((d / "data.001").c_str(), (d / "h.txt").c_str()), 0);
  JobHooks always;
  always.replace = [](const std::string&) { return true; };
  r = SplitFile(d / "h.txt", 4, always);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find(msg::kSplitWouldReplaceSource), std::string::npos) << r.error;
  EXPECT_EQ(ReadFile(d / "data.001"), "0123456789");
  EXPECT_FALSE(Exists(d / "h.001"));

  // Existing neighbours: refused without the question, kept on "no",
  // replaced on "yes"; each asked about before anything is written.
  WriteFile(d / "report.txt", "abcdefgh");
  WriteFile(d / "report.bat", "mine");
  WriteFile(d / "report.002", "keep");
  r = SplitFile(d / "report.txt", 3);
  EXPECT_FALSE(r.ok);
  EXPECT_FALSE(r.cancelled);
  EXPECT_NE(r.error.find("report.002"), std::string::npos) << r.error;
  EXPECT_FALSE(Exists(d / "report.001"));
  std::vector<std::string> asked;
  JobHooks no;
  no.replace = [&](const std::string& p) {
    asked.push_back(FileNamePart(p));
    return FileNamePart(p) != "report.bat";
  };
  r = SplitFile(d / "report.txt", 3, no);
  EXPECT_TRUE(r.cancelled);
  EXPECT_EQ(asked, (std::vector<std::string>{"report.002", "report.bat"}));
  EXPECT_EQ(ReadFile(d / "report.bat"), "mine");
  EXPECT_EQ(ReadFile(d / "report.002"), "keep");
  EXPECT_FALSE(Exists(d / "report.001"));
  JobHooks yes;
  yes.replace = [](const std::string&) { return true; };
  r = SplitFile(d / "report.txt", 3, yes);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(ReadFile(d / "report.002"), "def");
  EXPECT_EQ(ReadFile(d / "report.bat"), SplitCommandText(d / "report.txt", 3));
}

TEST(SplitDialog, PresetsEnterOkAndHistory) {
  TIniFile ini;
  TSplitDialogModel m;
  m.Open(ini, "/d/movie.avi", 2915328);
  EXPECT_EQ(m.caption, "ﾌｧｲﾙの分割");
  EXPECT_EQ(m.SizeLine(), "      2,915,328 byte");
  EXPECT_EQ(m.sizeText, "1457664");
  EXPECT_EQ(m.countLine, "3 個に分割");
  EXPECT_EQ(m.pieceList, (std::vector<std::string>{"movie.001", "movie.002", "movie.003", "movie.bat"}));
  EXPECT_EQ(m.sizeItems, (std::vector<std::string>{"1457664", "1250304", "730112", "649216"}));
  m.ChoosePreset(2);
  EXPECT_EQ(m.sizeText, "730112");
  EXPECT_EQ(m.countLine, "4 個に分割");
  m.ChoosePreset(4);
  EXPECT_EQ(m.sizeText, "1000000");
  EXPECT_EQ(m.countLine, "3 個に分割");

  m.sizeText = "abc";  // not a number: counts as 1
  EXPECT_EQ(m.Enter(), "2915329個のﾌｧｲﾙに分割できません。");
  EXPECT_TRUE(m.pieceList.empty());
  EXPECT_FALSE(m.focusOk);
  std::string answer, warning;
  EXPECT_FALSE(m.Accept(ini, answer, warning));
  EXPECT_TRUE(answer.empty());
  EXPECT_EQ(warning, "2915329個のﾌｧｲﾙに分割できません。");
  {
    // A small file: a non-number is still refused through OK, with a word why.
    TSplitDialogModel small;
    small.Open(ini, "/d/s.txt", 10);
    small.sizeText = "1k";
    EXPECT_FALSE(small.Accept(ini, answer, warning));
    EXPECT_EQ(warning, "分割するサイズを 1 以上の数値で指定して下さい。");
  }
  m.sizeText = "2000";  // 1458 pieces: refused through OK as well
  EXPECT_FALSE(m.Accept(ini, answer, warning));
  EXPECT_EQ(warning, "1458個のﾌｧｲﾙに分割できません。");
  EXPECT_FALSE(ini.SectionExists("DIV"));
  m.sizeText = "1000000";
  EXPECT_EQ(m.Enter(), "");
  EXPECT_TRUE(m.focusOk);
  for (int i = 0; i < 12; ++i) {
    m.sizeText = std::to_string(1000000 + i);
    ASSERT_TRUE(m.Accept(ini, answer, warning));
    EXPECT_EQ(answer, m.sizeText);
  }
  EXPECT_EQ(ini.ReadInteger("DIV", "DriveCount", 0), 10);
  EXPECT_EQ(ini.ReadString("DIV", "Items_0", ""), "#1000011#");
  TSplitDialogModel again;
  again.Open(ini, "/d/x", 1);
  EXPECT_EQ(again.sizeItems.size(), 14u);
  EXPECT_EQ(again.sizeText, "1457664");
  uint64_t size;
  EXPECT_FALSE(ParsePieceSize("0", size));
  EXPECT_FALSE(ParsePieceSize("-5", size));
  EXPECT_FALSE(ParsePieceSize("12k", size));
  EXPECT_TRUE(ParsePieceSize("1457664", size));
  EXPECT_EQ(size, 1457664u);
}

TEST(MergeDialog, OrderButtonsAndLines) {
  TMergeDialogModel m;
  m.Open("/d", {"a", "b", "c"});
  EXPECT_EQ(m.caption, "ファイル結合");
  EXPECT_EQ(m.countLine, "3個のファイル");
  EXPECT_FALSE(m.OkEnabled());
  m.chosen = 0;
  m.Up();  // the first up: nothing
  EXPECT_EQ(m.items, (std::vector<std::string>{"a", "b", "c"}));
  m.chosen = 2;
  m.Down();  // the last down: nothing
  EXPECT_EQ(m.items, (std::vector<std::string>{"a", "b", "c"}));
  m.Up();
  EXPECT_EQ(m.items, (std::vector<std::string>{"a", "c", "b"}));
  EXPECT_EQ(m.chosen, 1);
  m.chosen = 0;
  m.Down();
  EXPECT_EQ(m.items, (std::vector<std::string>{"c", "a", "b"}));
  EXPECT_EQ(m.chosen, 1);
  m.Delete();
  EXPECT_EQ(m.items, (std::vector<std::string>{"c", "b"}));
  EXPECT_EQ(m.countLine, "2個のﾌｧｲﾙ");
  m.targetName = "all.lzh";
  EXPECT_TRUE(m.OkEnabled());
  EXPECT_EQ(m.InfoLine(), "結合情報は all.bat に記録されます。");
  EXPECT_EQ(m.TargetPath(), "/d/all.lzh");
  EXPECT_EQ(m.SourcePaths(), (std::vector<std::string>{"/d/c", "/d/b"}));
}

}  // namespace
}  // namespace navirt

// Command lines the handlers build, options, type detection, name
// expansion for packing, and the handlers' error messages.
#include <gtest/gtest.h>
#include <sys/xattr.h>
#include <utime.h>

#include "archive/Archives.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

TEST(CommandLine, LhaExtractIsExactAndEmptyFolderAddsNothing) {
  TArchiveFile f;
  f.SetFileName("/c/a.lzh");
  EXPECT_EQ(f.ArchiverType(), atLha);
  f.SetOutputSize(4096);
  f.Options().x = 1;
  int rc = f.Extract(nullptr, nullptr, {}, "/d/out");
  EXPECT_EQ(f.CommandLine(), "x -+ -x1  \"/c/a.lzh\" \"/d/out/\" ");
  EXPECT_EQ(rc, 0x8018);  // no such archive here
  EXPECT_FALSE(f.OutputText().empty());
  f.Extract(nullptr, nullptr, {}, "");
  EXPECT_EQ(f.CommandLine(), "x -+ -x1  \"/c/a.lzh\" ");
}

TEST(CommandLine, LhaQuotedSwitchesAndProgressForcesN) {
  TArchiveFile f;
  f.SetFileName("/t/a.lzh");
  f.SetOutputSize(256);
  TArchiverOptions o;
  o.jo = "l030101";
  o.jx = {"*.bak", "x y"};
  o.w = "/tmp/w";
  o.n = 0;
  f.Extract(nullptr, &o, {"a.txt"}, "/out/");
  EXPECT_EQ(f.CommandLine(),
            "x -+ -n0 \"-w/tmp/w/\" \"-jol030101\" \"-jx*.bak\" \"-jxx y\"  \"/t/a.lzh\" \"/out/\" \"a.txt\" ");
  int calls = 0;
  f.OnProgress = [&](void*, int, const TIndividualInfo*, bool&) { ++calls; };
  f.Extract(nullptr, &o, {"a.txt"}, "");
  EXPECT_NE(f.CommandLine().find(" -n1 "), std::string::npos);
}

TEST(CommandLine, ZipTarCabBgaSwitchSets) {
  TArchiveFile z;
  z.SetFileName("/x/y.zip");
  z.SetOutputSize(256);
  TArchiverOptions o;
  o.x = 0;
  o.c = 1;
  z.Extract(nullptr, &o, {"d\\[a].txt"}, "");
  // "\\" reaches the library as it stands; in a stored name it separates there.
  EXPECT_EQ(z.CommandLine(), "-x -o -j  \"/x/y.zip\" \"d\\[[]a].txt\" ");

  TArchiveFile t;
  t.SetFileName("/x/y.tgz");
  EXPECT_EQ(t.ArchiverType(), atTgz);
  t.SetOutputSize(256);
  TArchiverOptions to;
  to.x = 1;
  to.p = 0;
  t.Extract(nullptr, &to, {}, "/out");
  EXPECT_EQ(t.CommandLine(), "x -check-all-path=0 -use-directory=1 -z  -f \"/x/y.tgz\" -o \"/out/\" ");

  TArchiveFile b;
  b.SetFileName("/x/y.tar.bz2");
  EXPECT_EQ(b.ArchiverType(), atBZ2);
  b.SetOutputSize(256);
  TArchiverOptions bo;
  bo.jm = 9;
  bo.a = 0;
  b.Extract(nullptr, &bo, {}, "");
  EXPECT_EQ(b.CommandLine(), "x -I -B9  -f \"/x/y.tar.bz2\" ");
}

TEST(CommandLine, ResponseFileOnlyWhenTheOperationsFlagIsSet) {
  TempDir tmp;
  std::string res = tmp / "names.txt";
  TArchiveFile f;
  f.SetFileName("/t/a.lzh");
  f.SetOutputSize(256);
  TArchiverOptions o;
  o.ResFileName = res;
  f.Extract(nullptr, &o, {"a.txt", "b c.txt"}, "");
  EXPECT_EQ(f.CommandLine(), "x -+  \"/t/a.lzh\" \"@" + res + "\" ");
  EXPECT_EQ(ReadFile(res), "\"a.txt\"\r\n\"b c.txt\"\r\n");
  ::unlink(res.c_str());
  o.ResFileUsage = ruOnPack;
  f.Extract(nullptr, &o, {"a.txt"}, "");
  EXPECT_EQ(f.CommandLine(), "x -+  \"/t/a.lzh\" \"a.txt\" ");
  EXPECT_FALSE(Exists(res));
}

TEST(CommandLine, ResponseFileIsReadByTheLibrary) {
  TempDir tmp;
  MakeTree(tmp / "src");
  std::string arc = tmp / "r.lzh";
  TArchiveFile f;
  f.SetFileName(arc);
  f.SetOutputSize(8192);
  TArchiverOptions o;
  o.x = 1;
  o.PackFilter = pfArchiver;
  o.ResFileName = tmp / "list.txt";
  int rc = InFolder(tmp / "src", [&] { return f.Pack(nullptr, &o, {"a.txt", "sub/" + kJpName}, ""); });
  ASSERT_EQ(rc, 0) << f.OutputText();
  EXPECT_NE(f.CommandLine().find("\"@" + o.ResFileName + "\""), std::string::npos);
  auto names = EntryNames(arc);
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "sub/" + kJpName}));
}

TEST(Options, ResetRestoresEveryDefault) {
  TArchiverOptions o;
  o.a = 1;
  o.w = "x";
  o.jx = {"a"};
  o.gw = 3;
  o.UserOptions = "-q";
  o.PackFilter = pfArchiver;
  o.ResFileName = "r";
  o.ResFileUsage = 0;
  o.Reset();
  EXPECT_EQ(o.a, -1);
  EXPECT_EQ(o.gw, -1);
  EXPECT_TRUE(o.w.empty() && o.jx.empty() && o.UserOptions.empty() && o.ResFileName.empty());
  EXPECT_EQ(o.PackFilter, pfComponent);
  EXPECT_EQ(o.ResFileUsage, ruOnPack | ruOnUnpack | ruOnRemoveItem);
}

TEST(Detection, ByNameAndByContent) {
  EXPECT_EQ(ArchiverTypeFromName("A.LZH"), atLha);
  EXPECT_EQ(ArchiverTypeFromName("a.GZA"), atBga);
  EXPECT_EQ(ArchiverTypeFromName("a.bza"), atBga);
  EXPECT_EQ(ArchiverTypeFromName("a.Z"), atTgz);
  EXPECT_EQ(ArchiverTypeFromName("a.taz"), atTgz);
  EXPECT_EQ(ArchiverTypeFromName("a.exe"), atAutoDetect);
  EXPECT_EQ(ArchiverTypeFromName("dir.zip/a"), atNone);

  TempDir tmp;
  WriteFile(tmp / "in.txt", "data");
  TArchiveFile z;
  z.SetFileName(tmp / "made.zip");
  z.SetOutputSize(1024);
  z.Options().x = 1;
  ASSERT_EQ(InFolder(tmp.Path(), [&] { return z.Pack(nullptr, nullptr, {"in.txt"}, ""); }), 0) << z.OutputText();
  fs::copy_file(tmp / "made.zip", tmp / "renamed.dat");
  fs::copy_file(Fixture("jlha-l2.lzh"), tmp / "lha.bin");
  EXPECT_EQ(ArchiverTypeFromContent(tmp / "renamed.dat"), atZip);
  EXPECT_EQ(ArchiverTypeFromContent(tmp / "lha.bin"), atLha);
  EXPECT_EQ(ArchiverTypeFromContent(tmp / "in.txt"), atNone);

  // A name says nothing, so the content decides at the first operation.
  TArchiveFile f;
  f.SetFileName(tmp / "renamed.dat");
  EXPECT_EQ(f.ArchiverType(), atAutoDetect);
  EXPECT_TRUE(f.Check(1, 4));
  EXPECT_EQ(f.ArchiverType(), atZip);

  TArchiveFile bad;
  bad.SetFileName(tmp / "in.txt");
  try {
    bad.Check(0, 0);
    ADD_FAILURE() << "no error";
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "書庫の形式を判別できません。");
  }
}

TEST(Detection, TypeSetterRules) {
  TArchiveFile f;
  f.SetArchiverType(atZip);
  TArchiver* h = f.Handler();
  ASSERT_NE(h, nullptr);
  f.SetArchiverType(atNone);
  EXPECT_EQ(f.ArchiverType(), atZip);
  EXPECT_EQ(f.Handler(), h);
  f.SetArchiverType(atAutoDetect);
  EXPECT_EQ(f.ArchiverType(), atAutoDetect);
  EXPECT_EQ(f.Handler(), h);
  try {
    f.SetArchiverType(atYz1);
    ADD_FAILURE() << "no error";
  } catch (const EArchiver& e) {
    EXPECT_STREQ(e.what(), "書庫の形式を特定できませんでした。");
  }
}

TEST(Handlers, UnsupportedOperationsRaiseTheirMessages) {
  TArchiverContext ctx;
  auto rar = MakeArchiver(atRar, ctx);
  TArchiverOptions o;
  auto message = [](auto&& fn) {
    try {
      fn();
    } catch (const EArchiver& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message([&] { rar->Pack(nullptr, o, false, "a.rar", {}, ""); }),
            "この形式では書庫ファイルの作成をサポートしておりません。");
  EXPECT_EQ(message([&] { rar->RemoveItems(nullptr, o, false, "a.rar", {}); }),
            "この形式の書庫ではファイルの削除をサポートしておりません。");
  EXPECT_EQ(message([&] { rar->Update(nullptr, o, false, "a.rar", {}, ""); }),
            "この形式の書庫では書庫の更新をサポートしておりません。");
  EXPECT_EQ(message([&] { rar->MakeSfx(nullptr, o, "a.rar", ""); }),
            "この形式では自己解凍書庫の作成をサポートしておりません。");
  auto bz = MakeArchiver(atBZ2, ctx);
  EXPECT_EQ(message([&] { bz->MakeSfx(nullptr, o, "a.bz2", ""); }),
            "この形式では自己解凍書庫の作成をサポートしておりません。");
  auto bga = MakeArchiver(atBga, ctx);
  std::string data;
  EXPECT_EQ(message([&] { bga->ExtractToMemory(nullptr, "a.gza", "x", data); }),
            "この形式ではメモリへの展開をサポートしておりません。");
  TArchiver base(ctx);
  EXPECT_EQ(message([&] { base.LoadDLL(); }), "Abstract method 'TArchiver.LoadDLL' was called");
  EXPECT_EQ(message([&] { base.FreeDLL(); }), "Abstract method 'TArchiver.FreeDLL' was called");
  EXPECT_EQ(message([&] { base.CheckArchive("a", 0); }), "この形式では書庫チェック機能をサポートしておりません。");
  TIndividualInfo info;
  EXPECT_EQ(base.FindFirst(nullptr, "*.*", info), -1);
  EXPECT_EQ(base.OpenArchive(nullptr, "a", 0), nullptr);
}

TEST(Handlers, SelfExtractingIsRefusedWithOneLine) {
  TempDir tmp;
  TArchiverContext ctx;
  auto lha = MakeArchiver(atLha, ctx);
  ctx.output.assign(1024, 0);
  EXPECT_EQ(lha->MakeSfx(nullptr, TArchiverOptions(), tmp / "s.lzh", ""), 0x8023);
  std::string out(ctx.output.data());
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
}

class Expansion : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteFile(tmp / "a.txt", "a");
    WriteFile(tmp / "b.log", "b");
    WriteFile(tmp / ".hidden", "h");
    WriteFile(tmp / "old.txt", "o");
    WriteFile(tmp / "sub/c.txt", "c");
    WriteFile(tmp / "sub/deep/d.txt", "d");
    struct utimbuf t {
      978307200, 978307200
    };  // 2001-01-01
    ::utime((tmp / "old.txt").c_str(), &t);
  }
  std::vector<std::string> Expand(const TArchiverOptions& o, const std::vector<std::string>& names) {
    std::vector<std::string> out;
    EXPECT_EQ(InFolder(tmp.Path(), [&] { return ExpandPackNames(o, names, out, nullptr); }), 0);
    return out;
  }
  TempDir tmp;
};

TEST_F(Expansion, MasksHiddenFilesRecursionExclusionsAndTimeLimits) {
  TArchiverOptions o;
  // A leading "." is a name like any other; the hidden attribute (kept in
  // user.DOSATTRIB) leaves a file out unless a > 0, and says so.
  EXPECT_EQ(Expand(o, {"*.*"}), (std::vector<std::string>{".hidden", "a.txt", "b.log", "old.txt"}));
  if (::setxattr((tmp / "b.log").c_str(), "user.DOSATTRIB", "0x2", 3, 0) == 0) {
    std::vector<std::string> out, skipped;
    EXPECT_EQ(InFolder(tmp.Path(), [&] { return ExpandPackNames(o, {"*.*"}, out, nullptr, &skipped); }), 0);
    EXPECT_EQ(out, (std::vector<std::string>{".hidden", "a.txt", "old.txt"}));
    EXPECT_EQ(skipped, std::vector<std::string>{"b.log (hidden attribute)"});
    o.a = 1;
    EXPECT_EQ(Expand(o, {"*.*"}), (std::vector<std::string>{".hidden", "a.txt", "b.log", "old.txt"}));
    ::removexattr((tmp / "b.log").c_str(), "user.DOSATTRIB");
  }
  o.a = -1;
  o.r = 1;
  EXPECT_EQ(Expand(o, {"*.txt"}), (std::vector<std::string>{"a.txt", "old.txt", "sub/c.txt", "sub/deep/d.txt"}));
  o.jx = {"*.log", "sub/C.TXT"};
  EXPECT_EQ(Expand(o, {"*.*"}), (std::vector<std::string>{".hidden", "a.txt", "old.txt", "sub/deep/d.txt"}));
  o.jx.clear();
  o.r = -1;
  o.jo = "l20100101";
  EXPECT_EQ(Expand(o, {"*.txt", "a.txt"}), (std::vector<std::string>{"a.txt"}));
  o.jo.clear();
  o.job = "010101";
  EXPECT_EQ(Expand(o, {"*.txt"}), (std::vector<std::string>{"old.txt"}));
  o.job = "bogus";
  EXPECT_EQ(Expand(o, {"*.txt"}).size(), 2u);
  // A folder with r > 1 means everything under it.
  TArchiverOptions r2;
  r2.r = 2;
  EXPECT_EQ(Expand(r2, {"sub"}), (std::vector<std::string>{"sub/c.txt", "sub/deep/d.txt"}));
  // Folders themselves never count.
  EXPECT_TRUE(Expand(TArchiverOptions(), {"sub"}).empty());
}

TEST_F(Expansion, TimeLimitForms) {
  std::time_t t;
  ASSERT_TRUE(ParseTimeLimit("20240102", false, t));
  std::tm tm{};
  localtime_r(&t, &tm);
  EXPECT_EQ(tm.tm_year, 124);
  EXPECT_EQ(tm.tm_hour, 0);
  ASSERT_TRUE(ParseTimeLimit("l240102", true, t));
  localtime_r(&t, &tm);
  EXPECT_EQ(tm.tm_year, 124);
  EXPECT_EQ(tm.tm_hour, 23);
  EXPECT_EQ(tm.tm_sec, 59);
  ASSERT_TRUE(ParseTimeLimit("20240102030405", true, t));
  localtime_r(&t, &tm);
  EXPECT_EQ(tm.tm_min, 4);
  EXPECT_FALSE(ParseTimeLimit("2024010", false, t));
  EXPECT_FALSE(ParseTimeLimit("", false, t));
}

TEST_F(Expansion, GeneralCreateOfAnEmptySelectionCallsNothing) {
  TArchiveFile f;
  f.SetFileName(tmp / "none.lzh");
  f.SetOutputSize(64);
  f.Options().x = 1;
  EXPECT_EQ(InFolder(tmp.Path(), [&] { return f.Pack(nullptr, nullptr, {"sub"}, ""); }), 0);
  EXPECT_EQ(f.OutputText(), "");
  EXPECT_TRUE(f.CommandLine().empty());
  EXPECT_FALSE(Exists(tmp / "none.lzh"));
}

TEST_F(Expansion, ProgressStopEndsPacking) {
  TArchiveFile f;
  f.SetFileName(tmp / "stop.lzh");
  f.SetOutputSize(64);
  f.OnProgress = [](void*, int, const TIndividualInfo*, bool& abort) { abort = true; };
  EXPECT_EQ(InFolder(tmp.Path(), [&] { return f.Pack(nullptr, nullptr, {"*.txt"}, ""); }), 0x8020);
  EXPECT_FALSE(Exists(tmp / "stop.lzh"));
}

}  // namespace
}  // namespace navirt

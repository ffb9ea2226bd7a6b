// LMZIP32: its entry points under "Zip" and "Unzip", and the ZIP handler's
// paths through it when it is the only ZIP library present (a copy of this
// program runs next to liblmzip32.so alone).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "archive/ArcCommands.h"
#include "archive/Archives.h"
#include "platform/DynLib.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

using MainFn = int (*)(void*, const char*, char*, uint32_t);
using OpenFn = void* (*)(void*, const char*, uint32_t);
using FindFn = int (*)(void*, const char*, TIndividualInfo*);
using CloseFn = int (*)(void*);
using VersionFn = uint16_t (*)();

std::string LibPath() { return std::string(NAVIRT_BINARY_DIR) + "/bin/liblmzip32.so"; }

bool InChild() { return std::getenv("NAVIRT_LMZIP_ONLY") != nullptr; }

TEST(Lmzip32, EntryPointsUnderItsOwnPrefixes) {
  TDynamicLibrary lib;
  ASSERT_TRUE(lib.LoadFile(LibPath()));
  for (const char* name : {"Zip", "Unzip", "UnzipCheckArchive", "UnzipOpenArchive", "UnzipFindFirst", "UnzipFindNext",
                           "UnzipCloseArchive", "UnzipExtractMem", "UnzipSetOwnerWindowEx", "UnzipGetVersion"})
    EXPECT_NE(lib.Symbol(name), nullptr) << name;
  // The spelling the other ZIP libraries use is not there: callers lower it.
  for (const char* name : {"UnZip", "UnZipFindFirst", "UnZipOpenArchive"}) EXPECT_EQ(lib.Symbol(name), nullptr) << name;
  EXPECT_GT(reinterpret_cast<VersionFn>(lib.Symbol("ZipGetVersion"))(), 0);
}

TEST(Lmzip32, PacksListsUnpacksAndDeletesThroughTheLibrary) {
  TempDir tmp;
  TDynamicLibrary lib;
  ASSERT_TRUE(lib.LoadFile(LibPath()));
  auto zip = reinterpret_cast<MainFn>(lib.Symbol("Zip"));
  auto unzip = reinterpret_cast<MainFn>(lib.Symbol("Unzip"));
  WriteFile(tmp / "src/[x].txt", "bracket");
  WriteFile(tmp / "src/d/deep.txt", "deep");
  std::string out(4096, '\0');
  std::string archive = tmp / "a.zip";
  // "-ru": names as they are on disk, folders walked.
  std::string cmd = "-ru  \"" + archive + "\" \"" + tmp / "src" + "/\" \"[x].txt\" \"d\" ";
  ASSERT_EQ(zip(nullptr, cmd.c_str(), out.data(), 4096), 0) << out.c_str();
  std::vector<std::string> names = EntryNames(archive);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"[x].txt", "d/", "d/deep.txt"}));

  // Listing through its handle calls.
  auto open = reinterpret_cast<OpenFn>(lib.Symbol("UnzipOpenArchive"));
  auto first = reinterpret_cast<FindFn>(lib.Symbol("UnzipFindFirst"));
  auto close = reinterpret_cast<CloseFn>(lib.Symbol("UnzipCloseArchive"));
  void* h = open(nullptr, archive.c_str(), 0);
  ASSERT_NE(h, nullptr);
  TIndividualInfo info;
  EXPECT_EQ(first(h, "*.txt", &info), 0);
  EXPECT_EQ(close(h), 0);

  cmd = "-x \"" + archive + "\" \"" + tmp / "out" + "/\" \"[[]x].txt\" ";
  ASSERT_EQ(unzip(nullptr, cmd.c_str(), out.data(), 4096), 0) << out.c_str();
  EXPECT_EQ(ReadFile(tmp / "out/[x].txt"), "bracket");
  EXPECT_FALSE(Exists(tmp / "out/d/deep.txt"));

  // "-d" takes the callers' "[[]" form.
  cmd = "-d  \"" + archive + "\" \"[[]x].txt\" ";
  ASSERT_EQ(zip(nullptr, cmd.c_str(), out.data(), 4096), 0) << out.c_str();
  names = EntryNames(archive);
  EXPECT_EQ(std::count(names.begin(), names.end(), "[x].txt"), 0);
  EXPECT_EQ(names.size(), 2u);
  // No self-extracting archives, and a clear code for a missing name.
  EXPECT_NE(zip(nullptr, ("-A " + tmp / "a.exe").c_str(), out.data(), 4096), 0);
  EXPECT_FALSE(Exists(tmp / "a.exe"));
  EXPECT_EQ(zip(nullptr, "-ru", out.data(), 4096), 0x8019);
}

// Runs the LmzipOnly tests in a copy of this program that finds no ZIP
// library but LMZIP32.
TEST(Lmzip32, HandlerPathsWhenItIsTheOnlyZipLibrary) {
  if (InChild()) GTEST_SKIP();
  TempDir tmp;
  fs::copy_file("/proc/self/exe", tmp / "test_archive");
  fs::permissions(tmp / "test_archive", fs::perms::owner_all);
  fs::copy_file(LibPath(), tmp / "liblmzip32.so");
  int rc = Sh("NAVIRT_LMZIP_ONLY=1 " + Q(tmp / "test_archive") + " --gtest_filter='LmzipOnly.*'");
  EXPECT_EQ(rc, 0) << "run " + tmp / "test_archive" + " with NAVIRT_LMZIP_ONLY=1 --gtest_filter=LmzipOnly.* to see";
}

TEST(LmzipOnly, CreateDeletesFirstThenListsAndUnpacksByLoweredNames) {
  if (!InChild()) GTEST_SKIP() << "runs in the copy next to liblmzip32.so alone";
  TempDir tmp;
  WriteFile(tmp / "src/old.txt", "old");
  WriteFile(tmp / "src/new[1].txt", "new");
  TArchiveFile f;
  f.SetFileName(tmp / "a.zip");
  f.SetOutputSize(8192);
  f.Options().x = 1;
  f.Options().PackFilter = pfArchiver;
  ASSERT_EQ(f.Pack(nullptr, nullptr, {"old.txt"}, tmp / "src"), 0) << f.OutputText();
  EXPECT_EQ(f.CommandLine(), "-ru  \"" + tmp / "a.zip" + "\" \"" + tmp / "src" + "/\" \"old.txt\" ");
  // A second pack starts from no archive: the old entry is gone.
  ASSERT_EQ(f.Pack(nullptr, nullptr, {"new[1].txt"}, tmp / "src"), 0) << f.OutputText();
  EXPECT_NE(f.CommandLine().find("\"new[1].txt\""), std::string::npos);
  EXPECT_EQ(EntryNames(tmp / "a.zip"), std::vector<std::string>{"new[1].txt"});
  EXPECT_TRUE(f.Check(1, 4));
  ASSERT_EQ(f.Extract(nullptr, nullptr, {}, tmp / "out"), 0) << f.OutputText();
  EXPECT_EQ(ReadFile(tmp / "out/new[1].txt"), "new");
  EXPECT_EQ(ArchiverTypeFromContent(tmp / "a.zip"), atZip);

  // The commands work the same over it, and the old archive is kept
  // until the new one is complete.
  TLhaDirect lha("NOSUCHLHA32.DLL");
  TIniFile ini;
  TArcCommandEnv env{lha, ini, {}, [](TInputDialogModel& m) {
                       m.text = "cmd.zip";
                       return true;
                     }};
  TArcSelection sel;
  sel.currentFolder = tmp / "src";
  sel.selectedPath = tmp / "src/old.txt";
  sel.selectedNames = {"old.txt", "new[1].txt"};
  sel.listCount = 2;
  TArcOutcome o = RunArcCommand(TArcCommand::Marcmake, sel, env);
  EXPECT_EQ(o.result, 0) << o.paneText;
  std::vector<std::string> names = EntryNames(tmp / "src/cmd.zip");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"new[1].txt", "old.txt"}));
  o = GeneralList(tmp / "src/cmd.zip");
  EXPECT_NE(o.paneText.find("     2 files"), std::string::npos);
}

}  // namespace
}  // namespace navirt

// The libraries' exported entry points as any caller sees them.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/Archives.h"
#include "platform/DynLib.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

using MainFn = int (*)(void*, const char*, char*, uint32_t);
using CheckFn = int (*)(const char*, int);
using OpenFn = void* (*)(void*, const char*, uint32_t);
using FindFirstFn = int (*)(void*, const char*, TIndividualInfo*);
using FindNextFn = int (*)(void*, TIndividualInfo*);
using CloseFn = int (*)(void*);
using VersionFn = uint16_t (*)();
using TypeFn = int (*)(const char*);
using MemFn = int (*)(void*, const char*, unsigned char*, uint32_t, std::time_t*, uint16_t*, uint32_t*);

TEST(LibraryApi, EveryLibraryExportsTheEntryPoints) {
  const std::pair<const char*, const char*> libs[] = {
      {"UNLHA32.DLL", "Unlha"},  {"UNZIP32.DLL", "UnZip"}, {"ZIP32J.DLL", "Zip"},    {"CAB32.DLL", "Cab"},
      {"UNARJ32J.DLL", "Unarj"}, {"tar32.dll", "Tar"},     {"UNRAR32.DLL", "Unrar"}, {"BGA32.DLL", "Bga"}};
  for (const auto& [dll, prefix] : libs) {
    SCOPED_TRACE(dll);
    TDynamicLibrary lib;
    ASSERT_TRUE(lib.Load(dll));
    for (const char* suffix : {"", "CheckArchive", "OpenArchive", "FindFirst", "FindNext", "CloseArchive",
                               "SetOwnerWindowEx", "KillOwnerWindowEx", "ExtractMem", "GetVersion"})
      EXPECT_NE(lib.Symbol((std::string(prefix) + suffix).c_str()), nullptr) << suffix;
  }
  TDynamicLibrary zip;
  ASSERT_TRUE(zip.Load("ZIP32J.DLL"));
  for (const char* name : {"UnZipOpenArchive", "UnZipFindFirst", "UnZipFindNext", "UnZipCloseArchive"})
    EXPECT_NE(zip.Symbol(name), nullptr) << name;
  TDynamicLibrary lha;
  ASSERT_TRUE(lha.Load("UNLHA32.DLL"));
  EXPECT_GT(reinterpret_cast<VersionFn>(lha.Symbol("UnlhaGetVersion"))(), 0);
}

TEST(LibraryApi, ListingHandlesSearchOrderAndMisuse) {
  TDynamicLibrary lib;
  ASSERT_TRUE(lib.Load("UNLHA32.DLL"));
  auto open = reinterpret_cast<OpenFn>(lib.Symbol("UnlhaOpenArchive"));
  auto first = reinterpret_cast<FindFirstFn>(lib.Symbol("UnlhaFindFirst"));
  auto next = reinterpret_cast<FindNextFn>(lib.Symbol("UnlhaFindNext"));
  auto close = reinterpret_cast<CloseFn>(lib.Symbol("UnlhaCloseArchive"));
  auto check = reinterpret_cast<CheckFn>(lib.Symbol("UnlhaCheckArchive"));
  std::string arc = Fixture("jlha-l1.lzh");
  EXPECT_TRUE(check(("\"" + arc + "\"").c_str(), 0));
  EXPECT_TRUE(check(arc.c_str(), 2));  // with data checks
  EXPECT_FALSE(check((std::string(NAVIRT_SOURCE_DIR) + "/CMakeLists.txt").c_str(), 0));
  EXPECT_EQ(open(nullptr, "/nonexistent.lzh", 0), nullptr);
  void* h = open(nullptr, arc.c_str(), 0);
  ASSERT_NE(h, nullptr);
  TIndividualInfo info;
  EXPECT_EQ(next(h, &info), 0x8022);  // before FindFirst
  std::vector<std::string> names;
  for (int r = first(h, "*.txt", &info); r == 0; r = next(h, &info)) names.push_back(Cp932ToUtf8(info.szFileName));
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "sub/表示.txt", "ソフト.txt"}));
  EXPECT_NE(first(h, "nomatch*", &info), 0);
  EXPECT_EQ(close(h), 0);
}

TEST(LibraryApi, TarTypesAndMemoryExtraction) {
  TempDir tmp;
  WriteFile(tmp / "src/f.txt", "tar content\n");
  ASSERT_EQ(
      Sh("cd " + Q(tmp / "src") +
         " && bsdtar -cf ../a.tar f.txt && bsdtar -czf ../a.tgz f.txt && bsdtar -cjf ../a.tbz f.txt"
         " && bsdtar -cZf ../a.taz f.txt && gzip -k f.txt && mv f.txt.gz .. && bzip2 -k f.txt && mv f.txt.bz2 .."),
      0);
  TDynamicLibrary lib;
  ASSERT_TRUE(lib.Load("tar32.dll"));
  auto type = reinterpret_cast<TypeFn>(lib.Symbol("TarGetArchiveType"));
  EXPECT_EQ(type((tmp / "a.tar").c_str()), 1);
  EXPECT_EQ(type((tmp / "a.tgz").c_str()), 2);
  EXPECT_EQ(type((tmp / "a.taz").c_str()), 3);
  EXPECT_EQ(type((tmp / "f.txt.gz").c_str()), 4);
  EXPECT_EQ(type((tmp / "a.tbz").c_str()), 6);
  EXPECT_EQ(type((tmp / "f.txt.bz2").c_str()), 7);
  EXPECT_EQ(type((tmp / "src/f.txt").c_str()), 0);
  EXPECT_EQ(type("/nonexistent"), 0);
  auto mem = reinterpret_cast<MemFn>(lib.Symbol("TarExtractMem"));
  unsigned char buf[64] = {};
  uint32_t written = 0;
  std::time_t t = 0;
  uint16_t attr = 0;
  std::string cmd = "\"" + (tmp / "a.tgz") + "\" \"f.txt\"";
  ASSERT_EQ(mem(nullptr, cmd.c_str(), buf, sizeof buf, &t, &attr, &written), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), written), "tar content\n");
  EXPECT_GT(t, 0);
  // Through the handler too.
  TArchiverContext ctx;
  auto lha = MakeArchiver(atLha, ctx);
  std::string data;
  ASSERT_EQ(lha->ExtractToMemory(nullptr, Fixture("jlha-l0.lzh"), "a.txt", data), 0);
  EXPECT_EQ(data, "hello world\n");
}

TEST(LibraryApi, ReportsGoIntoTheCallersBufferCutToFit) {
  TDynamicLibrary lib;
  ASSERT_TRUE(lib.Load("UNLHA32.DLL"));
  auto run = reinterpret_cast<MainFn>(lib.Symbol("Unlha"));
  std::string cmd = "l \"" + Fixture("jlha-l2.lzh") + "\"";
  std::vector<char> big(65536, 'z');
  ASSERT_EQ(run(nullptr, cmd.c_str(), big.data(), big.size()), 0);
  std::string whole(big.data());
  EXPECT_NE(whole.find(Utf8ToCp932("表示.txt")), std::string::npos);
  char small[40];
  std::memset(small, 'z', sizeof small);
  ASSERT_EQ(run(nullptr, cmd.c_str(), small, sizeof small), 0);
  EXPECT_EQ(std::strlen(small), sizeof small - 1);
  EXPECT_EQ(whole.compare(0, sizeof small - 1, small), 0);
  EXPECT_EQ(run(nullptr, "q \"x.lzh\"", big.data(), big.size()), 0x801C);
  EXPECT_EQ(run(nullptr, "l", big.data(), big.size()), 0x8019);
  EXPECT_EQ(run(nullptr, "s \"x.lzh\"", big.data(), big.size()), 0x8023);
}

TEST(LibraryApi, ProgressHookSeesEveryEntryAndCanStop) {
  TempDir tmp;
  std::vector<std::string> seen;
  TArchiveFile f;
  f.SetFileName(Fixture("jlha-l2.lzh"));
  f.SetOutputSize(8192);
  f.Options().x = 1;
  f.OnProgress = [&](void*, int, const TIndividualInfo* info, bool&) {
    if (info) seen.push_back(Cp932ToUtf8(info->szFileName));
  };
  ASSERT_EQ(f.Extract(nullptr, nullptr, {}, tmp / "all"), 0);
  EXPECT_EQ(seen.size(), 4u);
  EXPECT_EQ(seen[2], "sub/表示.txt");
  f.OnProgress = [&](void*, int, const TIndividualInfo*, bool& abort) { abort = true; };
  EXPECT_EQ(f.Extract(nullptr, nullptr, {}, tmp / "none"), 0x8020);
  EXPECT_FALSE(Exists(tmp / "none/a.txt"));
}

TEST(LibraryApi, ZipNamesWithoutCp932FormAreStoredAsUtf8) {
  TempDir tmp;
  std::string emoji = "smile\xF0\x9F\x98\x80.txt";
  WriteFile(tmp / emoji, "x");
  TArchiveFile f;
  f.SetFileName(tmp / "u.zip");
  f.SetOutputSize(4096);
  f.Options().x = 1;
  // Even where Shift_JIS names are asked for, and the report says so.
  f.Options().SjisNames = true;
  ASSERT_EQ(InFolder(tmp.Path(), [&] { return f.Pack(nullptr, nullptr, {emoji}, ""); }), 0);
  EXPECT_NE(Cp932ToUtf8(f.OutputText()).find("UTF-8"), std::string::npos);
  EXPECT_NE(RunOutput("bsdtar -tf " + Q(tmp / "u.zip")).find(emoji), std::string::npos);
  TempDir out;
  TArchiveFile x;
  x.SetFileName(tmp / "u.zip");
  x.SetOutputSize(4096);
  x.Options().x = 1;
  ASSERT_EQ(x.Extract(nullptr, nullptr, {}, out.Path()), 0);
  EXPECT_EQ(ReadFile(out / emoji), "x");
  // LHA marks UTF-8 names with its code-page header: nothing is lost, no
  // warning. The entry record, CP932 for the pane, shows %XX.
  TArchiveFile l;
  l.SetFileName(tmp / "u.lzh");
  l.SetOutputSize(4096);
  l.Options().x = 1;
  ASSERT_EQ(InFolder(tmp.Path(), [&] { return l.Pack(nullptr, nullptr, {emoji}, ""); }), 0);
  EXPECT_EQ(Cp932ToUtf8(l.OutputText()).find("Warning"), std::string::npos);
  EXPECT_EQ(EntryNames(tmp / "u.lzh"), (std::vector<std::string>{"smile%F0%9F%98%80.txt"}));
  TempDir lout;
  ASSERT_EQ(l.Extract(nullptr, nullptr, {}, lout.Path()), 0);
  EXPECT_EQ(ReadFile(lout / emoji), "x");
}

}  // namespace
}  // namespace navirt

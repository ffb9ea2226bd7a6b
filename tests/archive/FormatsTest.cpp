// Archives of each format through the archive-file object: made by other
// programs and read here, made here and checked by other programs.
#include <gtest/gtest.h>
#include <utime.h>

#include <cstring>

#include "archive/ArcListing.h"
#include "archive/Archives.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

std::string FixtureText() {
  std::string t;
  for (int i = 0; i < 50; ++i) t += "表示 test\n";
  return t;
}

int ExtractAll(const std::string& arc, const std::string& out, TArchiveFile* keep = nullptr) {
  TArchiveFile f;
  f.SetFileName(arc);
  f.SetOutputSize(65536);
  f.Options().x = 1;
  int rc = f.Extract(nullptr, nullptr, {}, out);
  if (keep) keep->SetOutputSize(0);
  if (rc != 0) ADD_FAILURE() << Cp932ToUtf8(f.OutputText());
  return rc;
}

int PackAll(const std::string& arc, const std::string& folder, const std::vector<std::string>& names,
            std::string* report = nullptr) {
  TArchiveFile f;
  f.SetFileName(arc);
  f.SetOutputSize(65536);
  f.Options().x = 1;
  f.Options().r = 2;
  int rc = InFolder(folder, [&] { return f.Pack(nullptr, nullptr, names, ""); });
  if (report) *report = Cp932ToUtf8(f.OutputText());
  return rc;
}

TEST(Lha, JlhaLevelsZeroOneTwoListAndExtract) {
  std::string bin;
  for (int k = 0; k < 40; ++k)
    for (int i = 0; i < 256; ++i) bin += static_cast<char>(i);
  for (const char* level : {"jlha-l0.lzh", "jlha-l1.lzh", "jlha-l2.lzh"}) {
    SCOPED_TRACE(level);
    std::vector<std::string> names = EntryNames(Fixture(level));
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "sub/", "sub/表示.txt", "ソフト.txt"}));
    TempDir out;
    ASSERT_EQ(ExtractAll(Fixture(level), out.Path()), 0);
    EXPECT_EQ(ReadFile(out / "a.txt"), "hello world\n");
    EXPECT_EQ(ReadFile(out / "sub/表示.txt"), FixtureText());
    EXPECT_EQ(ReadFile(out / "ソフト.txt"), bin);
  }
}

TEST(Lha, JlhaLh6AndLh7Extract) {
  std::string bin;
  for (int k = 0; k < 40; ++k)
    for (int i = 0; i < 256; ++i) bin += static_cast<char>(i);
  for (const char* fixture : {"jlha-lh6.lzh", "jlha-lh7.lzh"}) {
    SCOPED_TRACE(fixture);
    TArchiveFile f;
    f.SetFileName(Fixture(fixture));
    ASSERT_TRUE(f.Open(nullptr, 0));
    std::vector<TIndividualInfo> e = ReadArchiveEntries(f);
    f.Close();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_STREQ(e[3].szMode, std::string(fixture).find('6') != std::string::npos ? "-lh6-" : "-lh7-");
    TempDir out;
    ASSERT_EQ(ExtractAll(Fixture(fixture), out.Path()), 0);
    EXPECT_EQ(ReadFile(out / "sub/表示.txt"), FixtureText());
    EXPECT_EQ(ReadFile(out / "ソフト.txt"), bin);
  }
}

TEST(Lha, RecordFieldsOfAJlhaArchive) {
  TArchiveFile f;
  f.SetFileName(Fixture("jlha-l0.lzh"));
  ASSERT_TRUE(f.Open(nullptr, 0));
  std::vector<TIndividualInfo> e = ReadArchiveEntries(f);
  f.Close();
  ASSERT_EQ(e.size(), 4u);
  EXPECT_EQ(e[2].dwOriginalSize, 600u);
  EXPECT_EQ(e[2].dwCompressedSize, 31u);
  EXPECT_EQ(e[2].dwCRC, 0x3476u);
  EXPECT_EQ(e[2].wRatio, 51);
  EXPECT_STREQ(e[2].szMode, "-lh5-");
  EXPECT_EQ(std::string(e[2].szFileName), Utf8ToCp932("sub/表示.txt"));
  EXPECT_EQ(ArchiveListingLine(e[2]).substr(0, 15), Utf8ToCp932("+ 表示.txt     "));
}

TEST(Lha, CreatedArchivesPassLhaAndLibarchiveAndUpdate) {
  TempDir tmp;
  MakeTree(tmp / "src");
  std::string arc = tmp / "made.lzh";
  std::string report;
  ASSERT_EQ(PackAll(arc, tmp / "src", {"a.txt", "sub", kSo + "フト.bin"}, &report), 0) << report;
  EXPECT_EQ(Sh("lha t " + Q(arc)), 0);
  std::string listing = RunOutput("bsdtar --options lha:hdrcharset=CP932 -tf " + Q(arc) + " 2>&1");
  EXPECT_NE(listing.find("sub/" + kJpName), std::string::npos) << listing;
  TempDir out;
  ASSERT_EQ(ExtractAll(arc, out.Path()), 0);
  EXPECT_TRUE(SameTree(tmp / "src", out.Path()));

  // Update with a changed file, then delete one entry.
  WriteFile(tmp / "src/a.txt", "changed and longer\n");
  struct utimbuf t {
    std::time(nullptr) + 10, std::time(nullptr) + 10
  };
  ::utime((tmp / "src/a.txt").c_str(), &t);
  TArchiveFile f;
  f.SetFileName(arc);
  f.SetOutputSize(8192);
  f.Options().x = 1;
  ASSERT_EQ(InFolder(tmp / "src", [&] { return f.Update(nullptr, nullptr, {"a.txt"}, ""); }), 0);
  ASSERT_EQ(f.RemoveItems(nullptr, nullptr, {kSo + "フト.bin"}), 0) << f.CommandLine();
  // Packing names files only; folders come along as parts of the names.
  EXPECT_EQ(EntryNames(arc), (std::vector<std::string>{"a.txt", "sub/" + kJpName}));
  TempDir out2;
  ASSERT_EQ(ExtractAll(arc, out2.Path()), 0);
  EXPECT_EQ(ReadFile(out2 / "a.txt"), "changed and longer\n");
  EXPECT_EQ(Sh("lha t " + Q(arc)), 0);
}

TEST(Lha, ExistingFilesAreReplacedOnlyByNewerEntries) {
  TempDir tmp;
  WriteFile(tmp / "out/a.txt", "mine");
  struct utimbuf later {
    4102444800, 4102444800
  };  // 2100-01-01
  ::utime((tmp / "out/a.txt").c_str(), &later);
  ASSERT_EQ(ExtractAll(Fixture("jlha-l2.lzh"), tmp / "out"), 0);
  EXPECT_EQ(ReadFile(tmp / "out/a.txt"), "mine");  // the disk file is newer
  struct utimbuf t {
    1000000000, 1000000000
  };
  ::utime((tmp / "out/a.txt").c_str(), &t);
  ASSERT_EQ(ExtractAll(Fixture("jlha-l2.lzh"), tmp / "out"), 0);
  EXPECT_EQ(ReadFile(tmp / "out/a.txt"), "hello world\n");
}

TEST(Zip, BsdtarArchivesWithCp932NamesListAndExtract) {
  TempDir tmp;
  MakeTree(tmp / "src");
  std::string arc = tmp / "b.zip";
  ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && bsdtar -cf " + Q(arc) +
               " --format zip --options zip:hdrcharset=CP932 a.txt sub " + Q(kSo + "フト.bin")),
            0);
  auto names = EntryNames(arc);
  EXPECT_NE(std::find(names.begin(), names.end(), "sub/" + kJpName), names.end());
  TempDir out;
  ASSERT_EQ(ExtractAll(arc, out.Path()), 0);
  EXPECT_TRUE(SameTree(tmp / "src", out.Path()));
}

TEST(Zip, CreatedArchivesPassUnzipAndDeleteFreshen) {
  TempDir tmp;
  MakeTree(tmp / "src");
  std::string arc = tmp / "m.zip";
  std::string report;
  ASSERT_EQ(PackAll(arc, tmp / "src", {"a.txt", "sub", kSo + "フト.bin"}, &report), 0) << report;
  EXPECT_EQ(Sh("unzip -t " + Q(arc)), 0);
  EXPECT_EQ(Sh("bsdtar -tf " + Q(arc)), 0);
  TempDir out;
  ASSERT_EQ(ExtractAll(arc, out.Path()), 0);
  EXPECT_TRUE(SameTree(tmp / "src", out.Path()));
  TArchiveFile f;
  f.SetFileName(arc);
  f.SetOutputSize(8192);
  ASSERT_EQ(f.RemoveItems(nullptr, nullptr, {"a.txt"}), 0) << Cp932ToUtf8(f.OutputText());
  EXPECT_EQ(Sh("unzip -t " + Q(arc)), 0);
  auto names = EntryNames(arc);
  EXPECT_EQ(std::find(names.begin(), names.end(), "a.txt"), names.end());
  EXPECT_EQ(names.size(), 2u);
}

TEST(Tar, BsdtarTgzListsAndExtractsAndCreatedTarsRead) {
  TempDir tmp;
  MakeTree(tmp / "src");
  for (const char* ext : {"tgz", "tar", "tar.bz2", "taz"}) {
    SCOPED_TRACE(ext);
    std::string arc = tmp / (std::string("b.") + ext);
    std::string flag = std::string(ext) == "tgz"       ? "z"
                       : std::string(ext) == "tar.bz2" ? "j"
                       : std::string(ext) == "taz"     ? "Z"
                                                       : "";
    ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && bsdtar -c" + flag + "f " + Q(arc) + " a.txt sub " + Q(kSo + "フト.bin")),
              0);
    TempDir out;
    ASSERT_EQ(ExtractAll(arc, out.Path()), 0);
    EXPECT_TRUE(SameTree(tmp / "src", out.Path()));
  }
  std::string made = tmp / "m.tgz";
  std::string report;
  ASSERT_EQ(PackAll(made, tmp / "src", {"a.txt", "sub"}, &report), 0) << report;
  std::string listing = RunOutput("LC_ALL=C.UTF-8 bsdtar -tf " + Q(made));
  EXPECT_NE(listing.find("sub/" + kJpName), std::string::npos) << listing;
  EXPECT_EQ(Sh("gzip -t " + Q(made)), 0);
}

TEST(Tar, SingleCompressedFileUnpacksUnderItsName) {
  TempDir tmp;
  WriteFile(tmp / "note.txt", "single file\n");
  ASSERT_EQ(Sh("gzip -k " + Q(tmp / "note.txt")), 0);
  ::unlink((tmp / "note.txt").c_str());
  ASSERT_EQ(ExtractAll(tmp / "note.txt.gz", tmp / "out"), 0);
  EXPECT_EQ(ReadFile(tmp / "out/note.txt"), "single file\n");
}

TEST(Listing, GeneralListingOfEmptyAndFolderEntries) {
  std::string empty = ArchiveListingText("/a/x.zip", {});
  EXPECT_EQ(empty,
            "\r\nListing of archive : /a/x.zip\r\n\r\n"
            "  Name            Original    Packed    Ratio   Date     Time   Attr Type  CRC\r\n"
            "--------------  ----------  ---------- ------ -------- -------- ---- ----- ----\r\n"
            "--------------  ----------  ---------- ------ -------- -------- ---- ----- ----\r\n"
            "     0 files             0           0   0.0%\r\n");
  TIndividualInfo e{};
  std::string name = Utf8ToCp932("dir/sub/ab.txt");
  std::memcpy(e.szFileName, name.data(), name.size());
  e.dwOriginalSize = 1000;
  e.dwCompressedSize = 250;
  e.wRatio = 250;
  e.dwCRC = 0xAB;
  e.wDate = static_cast<uint16_t>((44 << 9) | (3 << 5) | 9);
  e.wTime = static_cast<uint16_t>((13 << 11) | (5 << 5) | 7);
  std::memcpy(e.szAttribute, "a---", 4);
  std::memcpy(e.szMode, "-lh5-", 5);
  EXPECT_EQ(ArchiveListingLine(e),
            "+ ab.txt              1000         250  25.0% 24-03-09 13:05:14 a--- -lh5- 00AB dir/sub/ab.txt ");
  std::string all = ArchiveListingText("x.lzh", {e, e});
  EXPECT_NE(all.find("     2 files          2000         500  25.0%\r\n"), std::string::npos);
}

TEST(Listing, ResultMessages) {
  EXPECT_EQ(ArchiveResultMessage(0), "");
  EXPECT_EQ(ArchiveResultMessage(0x8018), "書庫を開く事が出来ません。");
  EXPECT_EQ(ArchiveResultMessage(0x802D), "書庫のデータが欠落しています。");
  EXPECT_EQ(ArchiveResultMessage(0x8001), "");
}

}  // namespace
}  // namespace navirt

// Finer behaviour of the libraries: freshen, self-extracting prefixes,
// damaged headers, refused entries, stored members, flat extraction.
#include <gtest/gtest.h>
#include <utime.h>
#include <zlib.h>

#include <cstring>

#include "archive/ArcListing.h"
#include "archive/Archives.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

TArchiveFile* Make(TArchiveFile& f, const std::string& path) {
  f.SetFileName(path);
  f.SetOutputSize(65536);
  f.Options().x = 1;
  return &f;
}

void Touch(const std::string& path, std::time_t t) {
  struct utimbuf u {
    t, t
  };
  ::utime(path.c_str(), &u);
}

TEST(Behaviour, ZipFreshenReplacesOnlyNewerEntriesAndAddsNothing) {
  TempDir tmp;
  WriteFile(tmp / "src/a.txt", "old a");
  WriteFile(tmp / "src/b.txt", "old b");
  Touch(tmp / "src/a.txt", 1500000000);
  Touch(tmp / "src/b.txt", 1500000000);
  TArchiveFile f;
  Make(f, tmp / "f.zip");
  ASSERT_EQ(InFolder(tmp / "src", [&] { return f.Pack(nullptr, nullptr, {"a.txt", "b.txt"}, ""); }), 0);
  WriteFile(tmp / "src/a.txt", "new a");
  Touch(tmp / "src/a.txt", 1600000000);
  WriteFile(tmp / "src/b.txt", "new b but older");
  Touch(tmp / "src/b.txt", 1400000000);
  WriteFile(tmp / "src/c.txt", "not in the archive");
  ASSERT_EQ(InFolder(tmp / "src",
                     [&] {
                       return f.Update(nullptr, nullptr, {"a.txt", "b.txt", "c.txt"}, "");
                     }),
            0)
      << f.CommandLine();
  EXPECT_EQ(f.CommandLine().rfind("-f ", 0), 0u);
  EXPECT_EQ(EntryNames(tmp / "f.zip"), (std::vector<std::string>{"a.txt", "b.txt"}));
  TempDir out;
  TArchiveFile x;
  Make(x, tmp / "f.zip");
  ASSERT_EQ(x.Extract(nullptr, nullptr, {}, out.Path()), 0);
  EXPECT_EQ(ReadFile(out / "a.txt"), "new a");
  EXPECT_EQ(ReadFile(out / "b.txt"), "old b");
  EXPECT_EQ(Sh("unzip -t " + Q(tmp / "f.zip")), 0);
}

TEST(Behaviour, SelfExtractingLhaIsFoundByContent) {
  TempDir tmp;
  std::string stub = "MZ" + std::string(300, '\x90');
  WriteFile(tmp / "setup.exe", stub + ReadFile(Fixture("jlha-l2.lzh")));
  EXPECT_EQ(ArchiverTypeFromName(tmp / "setup.exe"), atAutoDetect);
  TArchiveFile f;
  Make(f, tmp / "setup.exe");
  EXPECT_TRUE(f.Check(1, 4));
  EXPECT_EQ(f.ArchiverType(), atLha);
  EXPECT_EQ(EntryNames(tmp / "setup.exe").size(), 4u);
  ASSERT_EQ(f.Extract(nullptr, nullptr, {}, tmp / "out"), 0);
  EXPECT_EQ(ReadFile(tmp / "out/a.txt"), "hello world\n");
  // A plain file with the same bytes inside is not an archive of any kind.
  WriteFile(tmp / "plain.dat", "text " + ReadFile(Fixture("jlha-l2.lzh")));
  EXPECT_EQ(ArchiverTypeFromContent(tmp / "plain.dat"), atNone);
}

TEST(Behaviour, DamagedLhaHeaderChecksumIsReported) {
  TempDir tmp;
  std::string a = ReadFile(Fixture("jlha-l0.lzh"));
  a[1] = static_cast<char>(a[1] ^ 0x01);  // level-0 header sum
  WriteFile(tmp / "d.lzh", a);
  TArchiveFile f;
  Make(f, tmp / "d.lzh");
  EXPECT_FALSE(f.Check(1, 4));
  EXPECT_FALSE(f.Open(nullptr, 0));
  EXPECT_NE(f.Extract(nullptr, nullptr, {}, tmp / "out"), 0);
  EXPECT_FALSE(Exists(tmp / "out/a.txt"));
  // A damaged data byte gives the CRC error and no file.
  std::string b = ReadFile(Fixture("jlha-l2.lzh"));
  size_t at = b.find("hello world");
  ASSERT_NE(at, std::string::npos);
  b[at] = 'H';
  WriteFile(tmp / "c.lzh", b);
  TArchiveFile g;
  Make(g, tmp / "c.lzh");
  EXPECT_EQ(g.Extract(nullptr, nullptr, {"a.txt"}, tmp / "out2"), 0x800C);
  EXPECT_FALSE(Exists(tmp / "out2/a.txt"));
}

TEST(Behaviour, GarbledArjEntriesAreRefused) {
  TempDir tmp;
  WriteFile(tmp / "src/s.txt", "secret text");
  ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && arj a -m1 " + Q(tmp / "g.arj") + " s.txt"), 0);
  std::string a = ReadFile(tmp / "g.arj");
  // The second header is the file's: set its garbled flag, fix its CRC.
  size_t main = 0;
  unsigned mainSize = static_cast<unsigned char>(a[2]) | (static_cast<unsigned char>(a[3]) << 8);
  size_t file = main + 4 + mainSize + 4 + 2;
  ASSERT_EQ(static_cast<unsigned char>(a[file]), 0x60);
  unsigned size = static_cast<unsigned char>(a[file + 2]) | (static_cast<unsigned char>(a[file + 3]) << 8);
  a[file + 4 + 4] = static_cast<char>(a[file + 4 + 4] | 0x01);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(a.data() + file + 4), size);
  for (int i = 0; i < 4; ++i) a[file + 4 + size + i] = static_cast<char>((crc >> (8 * i)) & 0xFF);
  WriteFile(tmp / "g.arj", a);
  TArchiveFile f;
  Make(f, tmp / "g.arj");
  EXPECT_EQ(f.Extract(nullptr, nullptr, {}, tmp / "out"), 0x8023);
  EXPECT_NE(Cp932ToUtf8(f.OutputText()).find("Encrypted entry refused: s.txt"), std::string::npos) << f.OutputText();
  EXPECT_FALSE(Exists(tmp / "out/s.txt"));
}

TEST(Behaviour, BgaStoresWhatDoesNotShrink) {
  TempDir tmp;
  std::string noise;
  uint32_t x = 12345;
  for (int i = 0; i < 5000; ++i) {
    x = x * 1103515245 + 12345;
    noise += static_cast<char>(x >> 24);
  }
  WriteFile(tmp / "src/inner.zip", noise);
  WriteFile(tmp / "src/text.txt", std::string(4000, 'a'));
  TArchiveFile f;
  Make(f, tmp / "s.gza");
  ASSERT_EQ(InFolder(tmp / "src", [&] { return f.Pack(nullptr, nullptr, {"inner.zip", "text.txt"}, ""); }), 0);
  ASSERT_TRUE(f.Open(nullptr, 0));
  std::vector<TIndividualInfo> e = ReadArchiveEntries(f);
  f.Close();
  ASSERT_EQ(e.size(), 2u);
  EXPECT_STREQ(e[0].szMode, "Stored");
  EXPECT_EQ(uint32_t(e[0].dwCompressedSize), 5000u);  // packed field: read by value
  EXPECT_STREQ(e[1].szMode, "GZIP");
  EXPECT_LT(uint32_t(e[1].dwCompressedSize), 100u);
  TempDir out;
  ASSERT_EQ(f.Extract(nullptr, nullptr, {}, out.Path()), 0);
  EXPECT_EQ(ReadFile(out / "inner.zip"), noise);
}

TEST(Behaviour, FlatExtractionAndSelectedNames) {
  TempDir tmp;
  MakeTree(tmp / "src");
  ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && bsdtar -czf " + Q(tmp / "t.tgz") + " a.txt sub"), 0);
  TArchiveFile f;
  Make(f, tmp / "t.tgz");
  TArchiverOptions flat;
  flat.x = 0;
  ASSERT_EQ(f.Extract(nullptr, &flat, {}, tmp / "flat"), 0);
  EXPECT_TRUE(Exists(tmp / ("flat/" + kJpName)));
  EXPECT_FALSE(Exists(tmp / "flat/sub"));
  // Only the named entries.
  ASSERT_EQ(f.Extract(nullptr, nullptr, {"a.txt"}, tmp / "one"), 0);
  EXPECT_TRUE(Exists(tmp / "one/a.txt"));
  EXPECT_FALSE(Exists(tmp / "one/sub"));
  // LHA "e" drops folders too.
  TArchiveFile l;
  Make(l, tmp / "t.lzh");
  ASSERT_EQ(InFolder(tmp / "src", [&] { return l.Pack(nullptr, nullptr, {"sub/*.*"}, ""); }), 0);
  EXPECT_EQ(EntryNames(tmp / "t.lzh"), (std::vector<std::string>{"sub/" + kJpName}));
  TArchiverOptions lflat;
  lflat.x = 0;
  ASSERT_EQ(l.Extract(nullptr, &lflat, {}, tmp / "lflat"), 0);
  EXPECT_TRUE(Exists(tmp / "lflat/sub/" + kJpName));  // "x" keeps the stored folder
}

TEST(Behaviour, EveryFormatPassesItsOwnCheck) {
  TempDir tmp;
  MakeTree(tmp / "src");
  for (const char* ext : {"lzh", "zip", "cab", "tar", "tgz", "bz2", "gza", "bza"}) {
    SCOPED_TRACE(ext);
    std::string arc = tmp / (std::string("c.") + ext);
    TArchiveFile f;
    Make(f, arc);
    f.Options().r = 2;
    std::vector<std::string> names = {"a.txt", "sub"};
    if (std::string(ext) == "bz2") names = {"a.txt"};
    ASSERT_EQ(InFolder(tmp / "src", [&] { return f.Pack(nullptr, nullptr, names, ""); }), 0) << f.OutputText();
    TArchiveFile c;
    c.SetFileName(arc);
    EXPECT_TRUE(c.Check(1, 4));
    // The same bytes under a neutral name are found by content.
    std::string renamed = tmp / (std::string("renamed-") + ext + ".dat");
    fs::copy_file(arc, renamed);
    EXPECT_NE(ArchiverTypeFromContent(renamed), atNone);
  }
}

}  // namespace
}  // namespace navirt

namespace navirt {
namespace {

using namespace arctest;

TEST(Behaviour, PackingReportsEachFileAndStopsWithoutWriting) {
  TempDir tmp;
  MakeTree(tmp / "src");
  WriteFile(tmp / "src/new.txt", "new");
  // ZIP is left out: its owner-window pair lives in the extracting library.
  for (const char* ext : {"lzh", "gza", "cab", "tgz"}) {
    SCOPED_TRACE(ext);
    std::string arc = tmp / (std::string("p.") + ext);
    std::vector<std::string> seen;
    TArchiveFile f;
    f.SetFileName(arc);
    f.SetOutputSize(8192);
    f.Options().x = 1;
    f.Options().r = 2;
    f.OnProgress = [&](void*, int, const TIndividualInfo* info, bool&) {
      if (info) seen.push_back(Cp932ToUtf8(info->szFileName));
    };
    ASSERT_EQ(InFolder(tmp / "src", [&] { return f.Pack(nullptr, nullptr, {"a.txt", "sub"}, ""); }), 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"a.txt", "sub/" + kJpName}));
    std::string before = ReadFile(arc);
    int calls = 0;
    f.OnProgress = [&](void*, int, const TIndividualInfo* info, bool& abort) {
      // Let the name expansion run; stop at the library's first file.
      if (info && ++calls == 1) abort = true;
    };
    EXPECT_EQ(InFolder(tmp / "src", [&] { return f.Pack(nullptr, nullptr, {"new.txt"}, ""); }), 0x8020);
    EXPECT_EQ(ReadFile(arc), before);
  }
}

}  // namespace
}  // namespace navirt

namespace navirt {
namespace {

using namespace arctest;

TEST(Behaviour, AnArchiveNeverPacksItself) {
  TempDir tmp;
  WriteFile(tmp / "a.txt", "a");
  for (const char* ext : {"lzh", "zip", "gza", "cab", "tar"}) {
    SCOPED_TRACE(ext);
    std::string name = std::string("self.") + ext;
    TArchiveFile f;
    f.SetFileName(tmp / name);
    f.SetOutputSize(8192);
    f.Options().x = 1;
    ASSERT_EQ(InFolder(tmp.Path(), [&] { return f.Pack(nullptr, nullptr, {"a.txt"}, ""); }), 0);
    TArchiverOptions o;
    o.x = 1;
    o.PackFilter = pfArchiver;  // the library sees the mask itself
    ASSERT_EQ(InFolder(tmp.Path(), [&] { return f.Pack(nullptr, &o, {"*.*"}, ""); }), 0) << f.OutputText();
    auto names = EntryNames(tmp / name);
    EXPECT_EQ(std::find(names.begin(), names.end(), name), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "a.txt"), names.end());
  }
}

}  // namespace
}  // namespace navirt

// Hostile and broken archives: nothing is written outside the target
// folder, broken data gives an error code, failed writes keep the old file.
#include <gtest/gtest.h>
#include <zlib.h>

#include "archive/Archives.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

void P16(std::string& s, unsigned v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void P32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// A stored ZIP with the given names, written without any checks.
std::string RawZip(const std::vector<std::pair<std::string, std::string>>& files) {
  std::string out, central;
  for (const auto& [name, data] : files) {
    uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), data.size()));
    uint32_t off = static_cast<uint32_t>(out.size());
    P32(out, 0x04034B50);
    P16(out, 20);
    P16(out, 0);
    P16(out, 0);
    P16(out, 0);
    P16(out, 0x21);
    P32(out, crc);
    P32(out, static_cast<uint32_t>(data.size()));
    P32(out, static_cast<uint32_t>(data.size()));
    P16(out, static_cast<unsigned>(name.size()));
    P16(out, 0);
    out += name + data;
    P32(central, 0x02014B50);
    P16(central, 20);
    P16(central, 20);
    P16(central, 0);
    P16(central, 0);
    P16(central, 0);
    P16(central, 0x21);
    P32(central, crc);
    P32(central, static_cast<uint32_t>(data.size()));
    P32(central, static_cast<uint32_t>(data.size()));
    P16(central, static_cast<unsigned>(name.size()));
    P16(central, 0);
    P16(central, 0);
    P16(central, 0);
    P16(central, 0);
    P32(central, 0x20);
    P32(central, off);
    central += name;
  }
  uint32_t cdOff = static_cast<uint32_t>(out.size());
  out += central;
  P32(out, 0x06054B50);
  P16(out, 0);
  P16(out, 0);
  P16(out, static_cast<unsigned>(files.size()));
  P16(out, static_cast<unsigned>(files.size()));
  P32(out, static_cast<uint32_t>(central.size()));
  P32(out, cdOff);
  P16(out, 0);
  return out;
}

int Extract(const std::string& arc, const std::string& out, std::string* report = nullptr) {
  TArchiveFile f;
  f.SetFileName(arc);
  f.SetOutputSize(65536);
  f.Options().x = 1;
  int rc = f.Extract(nullptr, nullptr, {}, out);
  if (report) *report = Cp932ToUtf8(f.OutputText());
  return rc;
}

TEST(Safety, ZipSlipAbsoluteAndDrivePathsAreRefused) {
  TempDir tmp;
  // An absolute name pointing beside the output folder, inside this test's own folder.
  const std::string absolute = tmp / "abs-evil.txt";
  WriteFile(tmp / "z.zip", RawZip({{"../evil.txt", "x"},
                                   {"sub/../../evil2.txt", "x"},
                                   {absolute, "x"},
                                   {"C:\\evil3.txt", "x"},
                                   {"ok/fine.txt", "fine"}}));
  std::string report;
  int rc = Extract(tmp / "z.zip", tmp / "out", &report);
  EXPECT_NE(rc, 0);
  EXPECT_FALSE(Exists(tmp / "evil.txt"));
  EXPECT_FALSE(Exists(tmp / "evil2.txt"));
  EXPECT_FALSE(Exists(absolute));
  EXPECT_FALSE(Exists(tmp / "out/C:"));
  EXPECT_EQ(ReadFile(tmp / "out/ok/fine.txt"), "fine");
  // Four refusals; counted by word, since the temporary folder's random
  // name in the absolute entry may hold any letter.
  size_t refused = 0;
  for (size_t at = report.find("Refused"); at != std::string::npos; at = report.find("Refused", at + 1)) ++refused;
  EXPECT_EQ(refused, 4u) << report;
  // The end of the report and the tool's last word say what happened, not
  // "the header is broken".
  EXPECT_NE(report.find("4 entries refused as unsafe (a name or link leading outside the folder)."), std::string::npos)
      << report;
  const char* tool = std::getenv("NAVIRT_TOOL");
  ASSERT_NE(tool, nullptr);
  std::string said = RunOutput(Q(tool) + " arc extract " + Q(tmp / "z.zip") + " -o " + Q(tmp / "out2") + " 2>&1");
  EXPECT_NE(said.find("Refused: ../evil.txt ("), std::string::npos) << said;
  EXPECT_NE(said.find("result 0x8017 unsafe entries refused (named above with the reason)"), std::string::npos) << said;
  EXPECT_EQ(said.find("ヘッダが壊れています"), std::string::npos) << said;
}

TEST(Safety, SymlinksOutsideAndPathsThroughLinksAreRefused) {
  TempDir tmp;
  fs::create_directories(tmp / "src/sub");
  WriteFile(tmp / "src/sub/f.txt", "f");
  fs::create_symlink("../../outside", tmp / "src/escape");
  fs::create_symlink("sub", tmp / "src/inside");
  ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && bsdtar -cf " + Q(tmp / "l.tar") + " sub escape inside"), 0);
  std::string report;
  EXPECT_NE(Extract(tmp / "l.tar", tmp / "out", &report), 0);
  EXPECT_FALSE(Exists(tmp / "out/escape"));
  EXPECT_TRUE(fs::is_symlink(tmp / "out/inside"));
  EXPECT_EQ(ReadFile(tmp / "out/sub/f.txt"), "f");
  // A later archive whose entry goes through that link must not follow it.
  fs::create_directories(tmp / "src2/inside");
  WriteFile(tmp / "src2/inside/g.txt", "g");
  ASSERT_EQ(Sh("cd " + Q(tmp / "src2") + " && bsdtar -cf " + Q(tmp / "t.tar") + " inside/g.txt"), 0);
  EXPECT_NE(Extract(tmp / "t.tar", tmp / "out", &report), 0);
  EXPECT_FALSE(Exists(tmp / "out/sub/g.txt"));
  EXPECT_NE(report.find("symbolic link"), std::string::npos) << report;
}

TEST(Safety, ExistingFilesStayUnlessTheSwitchSaysOverwrite) {
  TempDir tmp;
  WriteFile(tmp / "z.zip", RawZip({{"a.txt", "from archive"}}));
  WriteFile(tmp / "out/a.txt", "mine");
  EXPECT_EQ(Extract(tmp / "z.zip", tmp / "out"), 0);
  EXPECT_EQ(ReadFile(tmp / "out/a.txt"), "mine");
  TArchiveFile f;
  f.SetFileName(tmp / "z.zip");
  f.SetOutputSize(1024);
  TArchiverOptions o;
  o.x = 1;
  o.c = 1;  // the handler's overwrite switch
  EXPECT_EQ(f.Extract(nullptr, &o, {}, tmp / "out"), 0);
  EXPECT_EQ(ReadFile(tmp / "out/a.txt"), "from archive");
}

TEST(Safety, FailedUpdatesKeepTheOldArchive) {
  TempDir tmp;
  WriteFile(tmp / "src/a.txt", "a");
  for (const char* ext : {"lzh", "zip", "gza", "cab", "tgz"}) {
    SCOPED_TRACE(ext);
    std::string arc = tmp / (std::string("k.") + ext);
    TArchiveFile f;
    f.SetFileName(arc);
    f.SetOutputSize(4096);
    TArchiverOptions o;
    o.x = 1;
    o.PackFilter = pfArchiver;
    ASSERT_EQ(InFolder(tmp / "src", [&] { return f.Pack(nullptr, &o, {"a.txt"}, ""); }), 0);
    std::string before = ReadFile(arc);
    int rc = InFolder(tmp / "src", [&] { return f.Pack(nullptr, &o, {"a.txt", "missing.txt"}, ""); });
    EXPECT_NE(rc, 0);
    EXPECT_EQ(ReadFile(arc), before);
    // No temporary file is left next to it.
    size_t count = 0;
    for (const auto& e : fs::directory_iterator(tmp.Path()))
      count += e.path().filename().string().find(".navirt-") != std::string::npos;
    EXPECT_EQ(count, 0u);
  }
}

// Every prefix and a spread of single-byte changes of a valid archive:
// a result code, never a crash, nothing outside the target.
TEST(Safety, TruncatedAndDamagedArchivesFailCleanly) {
  TempDir tmp;
  MakeTree(tmp / "src");
  for (const char* ext : {"lzh", "zip", "cab", "gza", "bza"}) {
    SCOPED_TRACE(ext);
    std::string arc = tmp / (std::string("v.") + ext);
    TArchiveFile f;
    f.SetFileName(arc);
    f.SetOutputSize(4096);
    f.Options().x = 1;
    f.Options().r = 2;
    ASSERT_EQ(InFolder(tmp / "src", [&] { return f.Pack(nullptr, nullptr, {"a.txt", "sub"}, ""); }), 0);
    std::string good = ReadFile(arc);
    std::string bad = tmp / (std::string("bad.") + ext);
    int failures = 0;
    for (size_t cut = 1; cut < good.size(); cut += std::max<size_t>(1, good.size() / 40)) {
      WriteFile(bad, good.substr(0, cut));
      TArchiveFile b;
      b.SetFileName(bad);
      b.SetOutputSize(4096);
      b.Options().x = 1;
      failures += b.Extract(nullptr, nullptr, {}, tmp / "junk") != 0;
    }
    EXPECT_GT(failures, 0);
    for (size_t at = 0; at < good.size(); at += 7) {
      std::string d = good;
      d[at] = static_cast<char>(d[at] ^ 0x5A);
      WriteFile(bad, d);
      TArchiveFile b;
      b.SetFileName(bad);
      b.SetOutputSize(4096);
      b.Options().x = 1;
      b.Options().c = 1;
      b.Extract(nullptr, nullptr, {}, tmp / "junk");
    }
    fs::remove_all(tmp / "junk");
  }
  for (const auto& e : fs::directory_iterator(tmp.Path())) {
    std::string n = e.path().filename().string();
    EXPECT_TRUE(n == "src" || n.rfind("v.", 0) == 0 || n.rfind("bad.", 0) == 0) << n;
  }
}

TEST(Tool, ArcSubcommandsScriptTheLibraries) {
  const char* tool = std::getenv("NAVIRT_TOOL");
  ASSERT_NE(tool, nullptr);
  TempDir tmp;
  MakeTree(tmp / "src");
  std::string t = Q(tool);
  EXPECT_EQ(Sh("cd " + Q(tmp / "src") + " && " + t + " arc create ../x.lzh a.txt sub"), 0);
  std::string listing = RunOutput(t + " arc list " + Q(tmp / "x.lzh"));
  EXPECT_NE(listing.find("Listing of archive : "), std::string::npos);
  EXPECT_NE(listing.find("sub/" + kJpName), std::string::npos) << listing;
  EXPECT_NE(listing.find("     2 files"), std::string::npos) << listing;
  EXPECT_EQ(Sh(t + " arc extract " + Q(tmp / "x.lzh") + " -o " + Q(tmp / "out")), 0);
  EXPECT_EQ(ReadFile(tmp / ("out/sub/" + kJpName)), ReadFile(tmp / ("src/sub/" + kJpName)));
  EXPECT_EQ(Sh(t + " arc check " + Q(tmp / "x.lzh")), 0);
  EXPECT_EQ(Sh(t + " arc check " + Q(tmp / "src/a.txt")), 1);
  // A file that is not there is bad input: status 2, as for every command.
  EXPECT_EQ(Sh(t + " arc list " + Q(tmp / "nothing.zip")), 2);
  // A create that writes nothing: status 2 (1 is a create done with skips).
  EXPECT_EQ(Sh(t + " arc create " + Q(tmp / "x.unknown") + " " + Q(tmp / "src/a.txt")), 2);
  // A failed create keeps the archive that was there.
  std::string before = ReadFile(tmp / "x.lzh");
  EXPECT_EQ(Sh("cd " + Q(tmp / "src") + " && " + t + " arc create ../x.lzh missing.txt"), 2);
  EXPECT_EQ(ReadFile(tmp / "x.lzh"), before);
  EXPECT_EQ(Sh(t + " arc"), 2);
}

}  // namespace
}  // namespace navirt

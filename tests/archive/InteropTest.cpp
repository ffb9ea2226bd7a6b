// Archives exchanged with the other Linux tools: a tree with Japanese
// names, an empty file, an empty folder and a "\" in a name, packed here and
// unpacked by bsdtar, GNU tar, 7zz and unzip, and the other way round.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/Archives.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

bool Have(const std::string& tool) { return Sh("command -v " + tool) == 0; }

// 表 and 十 end in 0x5C in Shift_JIS; "dir 表" is the name 7zz used to cut.
void MakeExchangeTree(const std::string& root) {
  WriteFile(root + "/dir " + kHyo + "/" + kJpName, "表示 text\n");
  WriteFile(root + "/dir " + kHyo + "/十.txt", std::string(30, 'x'));
  WriteFile(root + "/empty.txt", "");
  WriteFile(root + "/back\\slash.txt", "a backslash is a character\n");
  WriteFile(root + "/caf\xC3\xA9.txt", "no Shift_JIS form\n");
  fs::create_directories(root + "/hollow/inner");
}

// Every name under root with its content ("/" after folders), sorted.
std::string Listing(const std::string& root) {
  std::vector<std::string> lines;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    std::string rel = fs::relative(e.path(), root).string();
    lines.push_back(e.is_directory() ? rel + "/" : rel + " = " + ReadFile(e.path().string()));
  }
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}

// Same names, same bytes, same empty folders.
void ExpectSameTree(const std::string& a, const std::string& b) { EXPECT_EQ(Listing(a), Listing(b)); }

int Pack(const std::string& arc, const std::string& folder, TArchiveFile* keep = nullptr, bool sjis = false) {
  TArchiveFile local;
  TArchiveFile& f = keep ? *keep : local;
  f.SetFileName(arc);
  f.SetOutputSize(65536);
  f.Options().x = 1;
  f.Options().r = 2;
  f.Options().SjisNames = sjis;
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  int rc = InFolder(folder, [&] { return f.Pack(nullptr, nullptr, names, ""); });
  if (rc != 0) ADD_FAILURE() << Cp932ToUtf8(f.OutputText());
  return rc;
}

int Unpack(const std::string& arc, const std::string& out) {
  TArchiveFile f;
  f.SetFileName(arc);
  f.SetOutputSize(65536);
  f.Options().x = 1;
  int rc = f.Extract(nullptr, nullptr, {}, out);
  if (rc != 0) ADD_FAILURE() << Cp932ToUtf8(f.OutputText());
  return rc;
}

// The peers as their users run them, in a UTF-8 locale.
const char* kUtf8 = "LC_ALL=C.UTF-8 ";

TEST(Interop, TarFamilyPackedHereUnpacksWithBsdtarGnuTarAnd7zz) {
  TempDir tmp;
  MakeExchangeTree(tmp / "src");
  for (const char* ext : {"tar", "tgz", "tar.bz2"}) {
    SCOPED_TRACE(ext);
    std::string arc = tmp / (std::string("n.") + ext);
    ASSERT_EQ(Pack(arc, tmp / "src"), 0);
    std::string b = tmp / (std::string("bsd-") + ext), g = tmp / (std::string("gnu-") + ext),
                z = tmp / (std::string("7z-") + ext);
    fs::create_directories(b);
    fs::create_directories(g);
    ASSERT_EQ(Sh(kUtf8 + std::string("bsdtar -xf ") + Q(arc) + " -C " + Q(b)), 0);
    ExpectSameTree(tmp / "src", b);
    ASSERT_EQ(Sh(kUtf8 + std::string("tar -xf ") + Q(arc) + " -C " + Q(g)), 0);
    ExpectSameTree(tmp / "src", g);
    if (Have("7zz")) {
      // 7zz takes a compressed tar in two steps; "t" checks the outer one.
      EXPECT_EQ(Sh(kUtf8 + std::string("7zz t ") + Q(arc)), 0);
      std::string inner = arc;
      if (std::string(ext) != "tar") {
        ASSERT_EQ(Sh(kUtf8 + std::string("7zz x -o") + Q(z + "-outer") + " " + Q(arc)), 0);
        inner = z + "-outer/n.tar";
      }
      std::string said = RunOutput(kUtf8 + std::string("7zz x -o") + Q(z) + " " + Q(inner) + " 2>&1; echo rc=$?");
      ASSERT_NE(said.find("rc=0"), std::string::npos) << said;
      ExpectSameTree(tmp / "src", z);
    }
  }
}

TEST(Interop, TarFamilyPackedByBsdtarAndGnuTarUnpacksHere) {
  TempDir tmp;
  MakeExchangeTree(tmp / "src");
  struct Maker {
    const char* name;
    std::string cmd;
  };
  std::vector<Maker> makers = {
      {"bsdtar.tgz", "bsdtar -czf "},
      {"gnu.tar", "tar -cf "},
      {"gnu.tar.bz2", "tar -cjf "},
      {"pax.tar", "bsdtar --format pax -cf "},
  };
  for (const auto& m : makers) {
    SCOPED_TRACE(m.name);
    std::string arc = tmp / m.name;
    ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && " + kUtf8 + m.cmd + Q(arc) + " ."), 0);
    std::string out = tmp / (std::string("out-") + m.name);
    ASSERT_EQ(Unpack(arc, out), 0);
    ExpectSameTree(tmp / "src", out);
    auto names = EntryNames(arc);
    EXPECT_NE(std::find(names.begin(), names.end(), "back\\slash.txt"), names.end());
  }
}

TEST(Interop, ZipPackedHereUnpacksWithUnzip7zzAndBsdtar) {
  TempDir tmp;
  MakeExchangeTree(tmp / "src");
  std::string arc = tmp / "n.zip";
  TArchiveFile f;
  ASSERT_EQ(Pack(arc, tmp / "src", &f), 0);
  // Every name is stored as it is: no warning about a name it did not store.
  std::string report = Cp932ToUtf8(f.OutputText());
  EXPECT_EQ(report.find("%C3"), std::string::npos) << report;
  EXPECT_EQ(report.find("Warning"), std::string::npos) << report;
  fs::create_directories(tmp / "unzip");
  ASSERT_EQ(Sh("cd " + Q(tmp / "unzip") + " && " + kUtf8 + "unzip -q " + Q(arc)), 0);
  ExpectSameTree(tmp / "src", tmp / "unzip");
  fs::create_directories(tmp / "bsd");
  ASSERT_EQ(Sh(kUtf8 + std::string("bsdtar -xf ") + Q(arc) + " -C " + Q(tmp / "bsd")), 0);
  ExpectSameTree(tmp / "src", tmp / "bsd");
  if (Have("7zz")) {
    ASSERT_EQ(Sh(kUtf8 + std::string("7zz x -o") + Q(tmp / "7z") + " " + Q(arc)), 0);
    ExpectSameTree(tmp / "src", tmp / "7z");
  }
}

TEST(Interop, ZipPackedByUnzipsPeersUnpacksHere) {
  TempDir tmp;
  MakeExchangeTree(tmp / "src");
  std::vector<std::pair<std::string, std::string>> makers = {
      {"bsd.zip", "bsdtar --format zip -cf "},
      {"info.zip", "zip -qr "},
  };
  if (Have("7zz")) makers.push_back({"7z.zip", "7zz a -tzip "});
  for (const auto& [name, cmd] : makers) {
    SCOPED_TRACE(name);
    std::string arc = tmp / name;
    ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && " + kUtf8 + cmd + Q(arc) + " ."), 0);
    std::string out = tmp / ("out-" + name);
    ASSERT_EQ(Unpack(arc, out), 0);
    ExpectSameTree(tmp / "src", out);
  }
}

TEST(Interop, ZipShiftJisNamesOnRequestForOldTools) {
  TempDir tmp;
  WriteFile(tmp / "src/dir " + kHyo + "/" + kJpName, "old tools\n");
  WriteFile(tmp / "src/caf\xC3\xA9.txt", "no Shift_JIS form\n");
  std::string arc = tmp / "old.zip";
  TArchiveFile f;
  ASSERT_EQ(Pack(arc, tmp / "src", &f, true), 0);
  // The Shift_JIS name is there byte for byte; café keeps UTF-8 and says so.
  std::string raw = ReadFile(arc);
  EXPECT_NE(raw.find(Utf8ToCp932("dir " + kHyo + "/" + kJpName)), std::string::npos);
  std::string report = Cp932ToUtf8(f.OutputText());
  EXPECT_NE(report.find("name stored as UTF-8: caf?.txt"), std::string::npos) << report;
  EXPECT_EQ(report.find("%C3"), std::string::npos) << report;
  std::string listing = RunOutput("LC_ALL=C.UTF-8 bsdtar --options zip:hdrcharset=CP932 -tf " + Q(arc));
  EXPECT_NE(listing.find("dir " + kHyo + "/" + kJpName), std::string::npos) << listing;
  TempDir out;
  ASSERT_EQ(Unpack(arc, out.Path()), 0);
  ExpectSameTree(tmp / "src", out.Path());
}

// The compressed files end where their stream ends.
TEST(Interop, CompressedTarsAndFilesHaveNothingAfterTheStream) {
  TempDir tmp;
  WriteFile(tmp / "src/a.txt", "hello\n");
  for (const char* name : {"p.tgz", "p.tar.bz2", "a.txt.gz", "a.txt.bz2"}) {
    SCOPED_TRACE(name);
    std::string arc = tmp / name;
    TArchiveFile f;
    f.SetFileName(arc);
    f.SetOutputSize(8192);
    f.Options().x = 1;
    ASSERT_EQ(InFolder(tmp / "src", [&] { return f.Pack(nullptr, nullptr, {"a.txt"}, ""); }), 0);
    bool bz = std::string(name).find("bz2") != std::string::npos;
    // Both warn about (and gzip fails on) bytes after the stream.
    std::string test = RunOutput(std::string(bz ? "bzip2" : "gzip") + " -t " + Q(arc) + " 2>&1; echo rc=$?");
    EXPECT_EQ(test, "rc=0\n");
    if (Have("7zz")) {
      EXPECT_EQ(Sh("7zz t " + Q(arc)), 0);
    }
    std::string inner = RunOutput(std::string(bz ? "bzip2" : "gzip") + " -dc " + Q(arc));
    if (name[0] == 'p') {
      // The tar inside is padded to whole 10 KiB records.
      EXPECT_EQ(inner.size() % 10240, 0u);
    } else {
      EXPECT_EQ(inner, "hello\n");
    }
  }
}

}  // namespace
}  // namespace navirt

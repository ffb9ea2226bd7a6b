// The formats Linux users have, read through libarchive: 7z, tar.xz,
// tar.zst, tar.lz4, ISO images and single .xz/.zst files are listed and
// extracted byte for byte as bsdtar extracts them; tar.xz and tar.zst are
// made; the extraction safety rules hold for them too.
#include <gtest/gtest.h>

#include <algorithm>

#include "archive/ArcCommands.h"
#include "archive/Archives.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

const char* kUtf8 = "LC_ALL=C.UTF-8 ";

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

int Unpack(const std::string& arc, const std::string& out, std::string* report = nullptr) {
  TArchiveFile f;
  f.SetFileName(arc);
  f.SetOutputSize(65536);
  f.Options().x = 1;
  int rc = f.Extract(nullptr, nullptr, {}, out);
  if (report) *report = Cp932ToUtf8(f.OutputText());
  return rc;
}

void MakeSource(const std::string& root) {
  WriteFile(root + "/dir " + kHyo + "/" + kJpName, "表示 text\n");
  std::string bin;
  for (int i = 0; i < 70000; ++i) bin += static_cast<char>((i * 7919) >> 5);
  WriteFile(root + "/data.bin", bin);
  WriteFile(root + "/empty.txt", "");
  WriteFile(root + "/back\\slash.txt", "x\n");
}

TEST(LibarchiveFormats, ListedAndExtractedAsBsdtarExtractsThem) {
  TempDir tmp;
  MakeSource(tmp / "src");
  struct Case {
    const char* name;
    const char* flags;
  };
  const Case cases[] = {{"a.7z", "--format 7zip"}, {"a.tar.xz", "-J"},     {"a.txz", "-J"},
                        {"a.tar.zst", "--zstd"},   {"a.tar.lz4", "--lz4"}, {"a.iso", "--format iso9660"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string arc = tmp / c.name;
    ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && " + kUtf8 + "bsdtar " + c.flags + " -cf " + Q(arc) + " *"), 0);
    EXPECT_EQ(ArchiverTypeFromContent(arc), atTgz);
    auto names = EntryNames(arc);
    EXPECT_NE(std::find(names.begin(), names.end(), "dir " + kHyo + "/" + kJpName), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "back\\slash.txt"), names.end());
    std::string peer = tmp / (std::string("bsd-") + c.name), ours = tmp / (std::string("own-") + c.name);
    fs::create_directories(peer);
    ASSERT_EQ(Sh(kUtf8 + std::string("bsdtar -xf ") + Q(arc) + " -C " + Q(peer)), 0);
    std::string report;
    ASSERT_EQ(Unpack(arc, ours, &report), 0) << report;
    EXPECT_EQ(Listing(ours), Listing(peer));
    // The general listing, which selecting the file shows in the pane.
    EXPECT_TRUE(PreviewListsGeneral(true, arc));
    TArcOutcome o = GeneralList(arc);
    ASSERT_TRUE(o.setPane);
    EXPECT_NE(Cp932ToUtf8(o.paneText).find(kJpName), std::string::npos);
  }
  // Single compressed files unpack under their own name.
  WriteFile(tmp / "one/note.txt", "single\n");
  ASSERT_EQ(Sh("cd " + Q(tmp / "one") + " && xz -k note.txt && zstd -q note.txt && mv note.txt.* .."), 0);
  for (const char* single : {"note.txt.xz", "note.txt.zst"}) {
    SCOPED_TRACE(single);
    std::string out = tmp / (std::string("o-") + single);
    ASSERT_EQ(Unpack(tmp / single, out), 0);
    EXPECT_EQ(ReadFile(out + "/note.txt"), "single\n");
  }
}

TEST(LibarchiveFormats, TarXzAndTarZstAreMadeAnd7zIsRefused) {
  TempDir tmp;
  MakeSource(tmp / "src");
  for (const char* name : {"m.tar.xz", "m.txz", "m.tar.zst", "m.tzst"}) {
    SCOPED_TRACE(name);
    std::string arc = tmp / name;
    TArchiveFile f;
    f.SetFileName(arc);
    f.SetOutputSize(65536);
    f.Options().x = 1;
    f.Options().r = 2;
    ASSERT_EQ(InFolder(tmp / "src", [&] { return f.Pack(nullptr, nullptr, {"."}, ""); }), 0)
        << Cp932ToUtf8(f.OutputText());
    const bool xz = std::string(name).find("x") != std::string::npos;
    EXPECT_EQ(Sh(std::string(xz ? "xz" : "zstd") + " -t " + Q(arc)), 0);
    std::string peer = tmp / (std::string("bsd-") + name);
    fs::create_directories(peer);
    ASSERT_EQ(Sh(kUtf8 + std::string("bsdtar -xf ") + Q(arc) + " -C " + Q(peer)), 0);
    EXPECT_EQ(Listing(peer), Listing(tmp / "src"));
  }
  TArchiveFile f;
  f.SetFileName(tmp / "no.7z");
  f.SetOutputSize(4096);
  f.Options().x = 1;
  EXPECT_NE(InFolder(tmp / "src", [&] { return f.Pack(nullptr, nullptr, {"empty.txt"}, ""); }), 0);
  EXPECT_FALSE(Exists(tmp / "no.7z"));
}

// An entry climbing out and an absolute one are refused, the rest is
// extracted, nothing lands outside the target.
TEST(LibarchiveFormats, SafetyRulesHold) {
  TempDir tmp;
  WriteFile(tmp / "src/ok.txt", "ok\n");
  WriteFile(tmp / "src/evil.txt", "evil\n");
  for (const char* flags : {"--format 7zip", "-J --format pax", "--zstd --format pax"}) {
    SCOPED_TRACE(flags);
    std::string arc = tmp / "evil.arc";
    ::unlink(arc.c_str());
    std::string name = std::string(flags).find("7zip") != std::string::npos ? "evil.7z"
                       : std::string(flags).find("-J") != std::string::npos ? "evil.tar.xz"
                                                                            : "evil.tar.zst";
    arc = tmp / name;
    ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && bsdtar " + flags + " -cf " + Q(arc) +
                 " -s ',^evil.txt$,../../escaped.txt,' -s ',^ok.txt$,/abs.txt,' -P ok.txt evil.txt"),
              0);
    std::string out = tmp / "deep/out";
    std::string report;
    Unpack(arc, out, &report);
    EXPECT_FALSE(Exists(tmp / "escaped.txt")) << report;
    EXPECT_FALSE(Exists(tmp / "deep/escaped.txt")) << report;
    EXPECT_FALSE(Exists("/abs.txt"));
    fs::remove_all(tmp / "deep");
  }
}

}  // namespace
}  // namespace navirt

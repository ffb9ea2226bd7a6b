// A plain tar is listed from its headers directly; the same archive
// compressed is listed through libarchive. Every record must agree, for
// the tar forms GNU tar and bsdtar write, for Shift_JIS names, and for
// archives the direct reader leaves to libarchive part way.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>

#include "archive/Archives.h"
#include "platform/Cp932.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

// Every record but the method, which names the compression.
std::vector<std::string> Records(const std::string& path) {
  std::vector<std::string> out;
  TArchiveFile f;
  f.SetFileName(path);
  if (!f.Open(nullptr, 0)) return {"cannot open"};
  TIndividualInfo info;
  for (int r = f.FindFirst("*.*", info); r == 0; r = f.FindNext(info)) {
    std::string mode = info.szMode;
    if (mode == "tar" || mode == "gzip") mode = "-";
    out.push_back(std::string(info.szFileName) + "|" + std::to_string(info.dwOriginalSize) + "|" +
                  std::to_string(info.dwCompressedSize) + "|" + std::to_string(info.wDate) + "|" +
                  std::to_string(info.wTime) + "|" + info.szAttribute + "|" + mode + "|" +
                  std::to_string(info.uOSType));
  }
  f.Close();
  return out;
}

void ExpectSameAsLibarchive(const std::string& tar) {
  SCOPED_TRACE(tar);
  const std::string tgz = tar.substr(0, tar.size() - 4) + ".tgz";
  ASSERT_EQ(Sh("gzip -c " + Q(tar) + " | tee " + Q(tgz)), 0);
  std::vector<std::string> direct = Records(tar), through = Records(tgz);
  EXPECT_FALSE(direct.empty());
  EXPECT_EQ(direct, through);
}

// Names long enough for GNU long names and pax, Japanese names, links, an
// empty folder, a read-only file, a fifo and a "\" in a name.
void MakeRichTree(const std::string& root) {
  MakeTree(root);
  std::string deep = root + "/" + std::string(60, 'd') + "/" + std::string(70, 'e');
  WriteFile(deep + "/" + std::string(120, 'n') + ".txt", "long\n");
  WriteFile(root + "/" + kHyo + "/" + kJpName, "jp\n");
  WriteFile(root + "/back\\slash name.txt", "bs\n");
  WriteFile(root + "/empty.txt", "");
  WriteFile(root + "/ro.txt", "read only\n");
  ::chmod((root + "/ro.txt").c_str(), 0444);
  fs::create_directories(root + "/empty dir");
  fs::create_symlink("a.txt", root + "/link");
  fs::create_hard_link(root + "/a.txt", root + "/hard");
  ::mkfifo((root + "/fifo").c_str(), 0644);
}

TEST(TarHeaders, DirectListingAgreesWithLibarchiveForEveryForm) {
  TempDir tmp;
  const std::string tree = tmp / "tree";
  MakeRichTree(tree);
  const std::string in = "cd " + Q(tree) + " && ";
  for (const char* form : {"gnu", "oldgnu", "pax", "ustar", "v7"}) {
    const std::string tar = tmp / (std::string("gnu-") + form + ".tar");
    // ustar and v7 cannot hold the longest names: the rest is still written.
    Sh(in + "tar --format=" + form + " -cf " + Q(tar) + " .");
    ExpectSameAsLibarchive(tar);
  }
  for (const char* form : {"ustar", "pax", "gnutar"}) {
    const std::string tar = tmp / (std::string("bsd-") + form + ".tar");
    Sh(in + "bsdtar --format " + form + " -cf " + Q(tar) + " .");
    ExpectSameAsLibarchive(tar);
  }
  // Names beyond ASCII but no three-byte sequence, written raw: the walk
  // over every name decides.
  WriteFile(tree + "/caf\xC3\xA9.txt", "latin\n");
  const std::string latin = tmp / "latin.tar";
  ASSERT_EQ(Sh(in + "tar --format=gnu -cf " + Q(latin) + " a.txt caf\xC3\xA9.txt"), 0);
  ExpectSameAsLibarchive(latin);
}

TEST(TarHeaders, ShiftJisNamesAndArchivesLeftToLibarchive) {
  TempDir tmp;
  const std::string sjis = tmp / "sjis";
  fs::create_directories(sjis);
  // Names stored as Shift_JIS bytes, as old tools wrote them: one of them
  // ends in the byte "\".
  WriteFile(sjis + "/" + Utf8ToCp932(kJpName), "sjis\n");
  WriteFile(sjis + "/" + Utf8ToCp932("ソフト.txt"), "so\n");
  WriteFile(sjis + "/plain.txt", "plain\n");
  // Half-width ﾃｱ in Shift_JIS is C3 B1, valid UTF-8 by itself: the other
  // names decide that it is Shift_JIS too.
  WriteFile(sjis + "/\xC3\xB1.txt", "kana\n");
  const std::string tar = tmp / "sjis.tar";
  ASSERT_EQ(Sh("cd " + Q(sjis) + " && tar --format=gnu -cf " + Q(tar) + " ."), 0);
  ExpectSameAsLibarchive(tar);
  std::vector<std::string> r = Records(tar);
  EXPECT_TRUE(std::any_of(r.begin(), r.end(), [](const std::string& s) {
    return s.rfind(Utf8ToCp932(kJpName) + "|", 0) == 0;
  })) << "the Shift_JIS name reads as itself";

  // A global pax header, which only libarchive reads, after a few entries;
  // and a damaged header checksum half way.
  const std::string tree = tmp / "tree";
  MakeTree(tree);
  const std::string global = tmp / "global.tar";
  ASSERT_EQ(
      Sh("cd " + Q(tree) + " && tar --format=pax --pax-option=globexthdr.name=g,comment=x -cf " + Q(global) + " ."), 0);
  ExpectSameAsLibarchive(global);
  ASSERT_EQ(Sh("cd " + Q(tree) + " && tar --format=gnu -cf " + Q(tmp / "gnu.tar") + " ."), 0);
  std::string bytes = ReadFile(tmp / "gnu.tar");
  std::vector<size_t> headers;
  for (size_t at = 0; at + 512 <= bytes.size(); at += 512)
    if (bytes.compare(at + 257, 5, "ustar") == 0) headers.push_back(at);
  ASSERT_GE(headers.size(), 4u);
  char& digit = bytes[headers[2] + 150];  // the third header's checksum
  digit = digit == '1' ? '2' : '1';
  WriteFile(tmp / "damaged.tar", bytes);
  ExpectSameAsLibarchive(tmp / "damaged.tar");
}

}  // namespace
}  // namespace navirt

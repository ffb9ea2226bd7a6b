// CAB, ARJ, BGA and RAR: archives from other programs or scripted byte by
// byte, read here; archives made here checked by other programs.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "archive/ArcListing.h"
#include "archive/Archives.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

int Extract(const std::string& arc, const std::string& out, std::string* report = nullptr) {
  TArchiveFile f;
  f.SetFileName(arc);
  f.SetOutputSize(65536);
  f.Options().x = 1;
  int rc = f.Extract(nullptr, nullptr, {}, out);
  if (report) *report = Cp932ToUtf8(f.OutputText());
  return rc;
}

int Pack(const std::string& arc, const std::string& folder, const std::vector<std::string>& names) {
  TArchiveFile f;
  f.SetFileName(arc);
  f.SetOutputSize(65536);
  f.Options().x = 1;
  f.Options().r = 2;
  int rc = InFolder(folder, [&] { return f.Pack(nullptr, nullptr, names, ""); });
  if (rc != 0) ADD_FAILURE() << Cp932ToUtf8(f.OutputText());
  return rc;
}

// A tree whose file names are Shift_JIS bytes on disk, as a Japanese
// archiver on Windows would have stored them.
std::string SjisTree(const std::string& root) {
  std::string sjisName = Utf8ToCp932(kJpName);
  WriteFile(root + "/a.txt", "hello\n");
  std::string text;
  for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + " of the file\n";
  WriteFile(root + "/sub/" + sjisName, text);
  return text;
}

TEST(Cab, GcabArchivesAndOwnArchivesBothWays) {
  TempDir tmp;
  MakeTree(tmp / "src");
  std::string g = tmp / "g.cab";
  ASSERT_EQ(
      Sh("cd " + Q(tmp / "src") + " && gcab -c -z " + Q(g) + " a.txt sub/" + Q(kJpName) + " " + Q(kSo + "フト.bin")),
      0);
  TempDir out;
  ASSERT_EQ(Extract(g, out.Path()), 0);
  EXPECT_TRUE(SameTree(tmp / "src", out.Path()));

  std::string m = tmp / "m.cab";
  ASSERT_EQ(Pack(m, tmp / "src", {"a.txt", "sub", kSo + "フト.bin"}), 0);
  EXPECT_EQ(Sh("cabextract -t " + Q(m)), 0);
  std::string listing = RunOutput("bsdtar --options cab:hdrcharset=CP932 -tf " + Q(m));
  EXPECT_NE(listing.find("sub/" + kJpName), std::string::npos) << listing;
  TempDir out2;
  ASSERT_EQ(Extract(m, out2.Path()), 0);
  EXPECT_TRUE(SameTree(tmp / "src", out2.Path()));
  // A second pack adds to the cabinet and keeps what was there.
  WriteFile(tmp / "src2/new.txt", "new");
  ASSERT_EQ(Pack(m, tmp / "src2", {"new.txt"}), 0);
  EXPECT_EQ(EntryNames(m).size(), 4u);
  EXPECT_EQ(Sh("cabextract -t " + Q(m)), 0);
}

TEST(Arj, EveryMethodFromArjWithShiftJisNames) {
  TempDir tmp;
  std::string text = SjisTree(tmp / "src");
  for (int m = 0; m <= 4; ++m) {
    SCOPED_TRACE(m);
    std::string arc = tmp / ("m" + std::to_string(m) + ".arj");
    ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && arj a -m" + std::to_string(m) + " -r -y " + Q(arc) + " '*'"), 0);
    auto names = EntryNames(arc);
    EXPECT_NE(std::find(names.begin(), names.end(), "sub/" + kJpName), names.end());
    TempDir out;
    std::string report;
    ASSERT_EQ(Extract(arc, out.Path(), &report), 0) << report;
    EXPECT_EQ(ReadFile(out / ("sub/" + kJpName)), text);
    EXPECT_EQ(ReadFile(out / "a.txt"), "hello\n");
  }
}

TEST(Bga, RoundTripsBothKindsAndDeletes) {
  TempDir tmp;
  MakeTree(tmp / "src");
  for (const char* ext : {"gza", "bza"}) {
    SCOPED_TRACE(ext);
    std::string arc = tmp / (std::string("b.") + ext);
    ASSERT_EQ(Pack(arc, tmp / "src", {"a.txt", "sub", kSo + "フト.bin"}), 0);
    TempDir out;
    ASSERT_EQ(Extract(arc, out.Path()), 0);
    EXPECT_TRUE(SameTree(tmp / "src", out.Path()));
    // Header: signed byte sum of offsets 4.. over header and name.
    std::string data = ReadFile(arc);
    unsigned dirLen = static_cast<unsigned char>(data[24]) | (static_cast<unsigned char>(data[25]) << 8);
    unsigned nameLen = static_cast<unsigned char>(data[26]) | (static_cast<unsigned char>(data[27]) << 8);
    int32_t sum = 0;
    for (size_t i = 4; i < 28 + dirLen + nameLen; ++i) sum += static_cast<signed char>(data[i]);
    uint32_t stored = 0;
    std::memcpy(&stored, data.data(), 4);
    EXPECT_EQ(stored, static_cast<uint32_t>(sum));
    TArchiveFile f;
    f.SetFileName(arc);
    f.SetOutputSize(4096);
    ASSERT_EQ(f.RemoveItems(nullptr, nullptr, {"a.txt"}), 0) << f.CommandLine();
    EXPECT_EQ(EntryNames(arc).size(), 2u);
  }
  // A Shift_JIS folder part ends in "\" and 表 ends in 0x5C too.
  std::string raw = ReadFile(tmp / "b.gza");
  EXPECT_NE(raw.find(Utf8ToCp932("sub\\" + kJpName)), std::string::npos);
}

// ---- scripted RAR archives ---------------------------------------------

void P16(std::string& s, unsigned v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void P32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}
uint32_t Crc(const std::string& s) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(s.data()), s.size()));
}

std::string Rar4Block(unsigned type, unsigned flags, const std::string& body) {
  std::string b;
  b += char(type);
  P16(b, flags);
  P16(b, static_cast<unsigned>(body.size() + 7));
  b += body;
  std::string out;
  P16(out, Crc(b) & 0xFFFF);
  return out + b;
}

std::string Rar4(const std::vector<std::pair<std::string, std::string>>& files, unsigned extraFlags = 0) {
  std::string out = std::string("Rar!\x1A\x07\x00", 7);
  out += Rar4Block(0x73, 0, std::string(6, '\0'));
  for (const auto& [name, data] : files) {
    std::string body;
    P32(body, static_cast<uint32_t>(data.size()));
    P32(body, static_cast<uint32_t>(data.size()));
    body += char(2);
    P32(body, Crc(data));
    P32(body, (54u << 25) | (3u << 21) | (9u << 16) | (12u << 11));
    body += char(20);
    body += char(0x30);
    P16(body, static_cast<unsigned>(name.size()));
    P32(body, 0x20);
    body += name;
    out += Rar4Block(0x74, 0x8000 | extraFlags, body) + data;
  }
  out += Rar4Block(0x7B, 0x4000, "");
  return out;
}

std::string V(uint64_t v) {
  std::string s;
  do {
    unsigned char c = v & 0x7F;
    v >>= 7;
    if (v) c |= 0x80;
    s += char(c);
  } while (v);
  return s;
}

std::string Rar5Block(const std::string& header) {
  std::string sized = V(header.size()) + header;
  std::string out;
  P32(out, Crc(sized));
  return out + sized;
}

std::string Rar5(const std::string& name, const std::string& data) {
  std::string out = std::string("Rar!\x1A\x07\x01\x00", 8);
  out += Rar5Block(V(1) + V(0) + V(0));
  std::string h = V(2) + V(2) + V(data.size()) + V(6) + V(data.size()) + V(0x20);
  P32(h, 1700000000);
  P32(h, Crc(data));
  h += V(0) + V(0) + V(name.size()) + name;
  out += Rar5Block(h) + data;
  out += Rar5Block(V(5) + V(0) + V(0));
  return out;
}

TEST(Rar, ScriptedRar4AndRar5WithBackslashTrailBytes) {
  TempDir tmp;
  std::string sjisPath = Utf8ToCp932("dir\\" + kJpName);
  WriteFile(tmp / "a.rar", Rar4({{sjisPath, "rar four\n"}, {"plain.txt", "plain\n"}}));
  EXPECT_EQ(EntryNames(tmp / "a.rar"), (std::vector<std::string>{"dir/" + kJpName, "plain.txt"}));
  TempDir out;
  std::string report;
  ASSERT_EQ(Extract(tmp / "a.rar", out.Path(), &report), 0) << report;
  EXPECT_EQ(ReadFile(out / ("dir/" + kJpName)), "rar four\n");

  WriteFile(tmp / "b.rar", Rar5("dir/" + kJpName, "rar five\n"));
  EXPECT_EQ(EntryNames(tmp / "b.rar"), (std::vector<std::string>{"dir/" + kJpName}));
  TempDir out5;
  ASSERT_EQ(Extract(tmp / "b.rar", out5.Path(), &report), 0) << report;
  EXPECT_EQ(ReadFile(out5 / ("dir/" + kJpName)), "rar five\n");
  // libarchive reads our scripted archives the same way.
  EXPECT_NE(RunOutput("bsdtar -tf " + Q(tmp / "b.rar")).find(kJpName), std::string::npos);
}

TEST(Rar, EncryptedEntriesAreRefusedWithAReport) {
  TempDir tmp;
  WriteFile(tmp / "e.rar", Rar4({{"secret.txt", "xxxx"}}, 0x04));
  TempDir out;
  std::string report;
  EXPECT_EQ(Extract(tmp / "e.rar", out.Path(), &report), 0x8023);
  EXPECT_NE(report.find("Encrypted entry refused: secret.txt"), std::string::npos) << report;
  EXPECT_FALSE(Exists(out / "secret.txt"));
}

TEST(Rar, BrokenCrcIsReportedAndNothingIsLeft) {
  TempDir tmp;
  std::string a = Rar4({{"f.txt", "content!"}});
  a[a.find("content!")] = 'C';
  WriteFile(tmp / "c.rar", a);
  TempDir out;
  EXPECT_EQ(Extract(tmp / "c.rar", out.Path()), 0x800C);
  EXPECT_FALSE(Exists(out / "f.txt"));
  EXPECT_TRUE(fs::is_empty(out.Path()));
}

}  // namespace
}  // namespace navirt

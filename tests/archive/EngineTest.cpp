// The libraries' shared machinery: command lines, names, times, checksums,
// wildcards, report text, and the -lh5- encoder against two decoders.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <random>

#include "archive/libs/ArcCommon.h"
#include "archive/libs/Arj.h"
#include "archive/libs/LibFrame.h"
#include "archive/libs/Lzh.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt::arc {
namespace {

using namespace arctest;

TEST(Parser, CommandWordsSwitchesQuotesFoldersAndResponseFiles) {
  TempDir tmp;
  WriteFile(tmp / "resp.txt", "\"b c.txt\"\r\n\"d\\e.txt\"\r\nplain.txt\r\n");
  CmdLine cl;
  std::string err;
  // Paths are this system's: "/" ends the folder, "\" is a character.
  std::string line =
      "x -+ -x1 \"-jo030101\"  \"/c/a\\b c.lzh\" \"/d/out\\/\" \"first.txt\" \"@" + (tmp / "resp.txt") + "\" ";
  ASSERT_EQ(ParseCommandLine(line, {"x", "l"}, {}, cl, err), kOk);
  EXPECT_EQ(cl.command, "x");
  EXPECT_EQ(cl.archive, "/c/a\\b c.lzh");
  EXPECT_EQ(cl.folder, "/d/out\\/");
  EXPECT_EQ(cl.names, (std::vector<std::string>{"first.txt", "b c.txt", "d\\e.txt", "plain.txt"}));
  EXPECT_EQ(cl.Number("x"), 1);
  EXPECT_EQ(cl.Number("c"), -1);
  EXPECT_EQ(cl.Text("jo"), "030101");
  EXPECT_TRUE(cl.HasSwitch("+"));
  // tar passes archive and folder as switch values.
  ASSERT_EQ(ParseCommandLine("x -use-directory=0 -f \"/a/b.tar\" -o \"/o\\\" ", {"x"}, {"f", "o"}, cl, err), kOk);
  EXPECT_EQ(cl.Text("f"), "/a/b.tar");
  EXPECT_EQ(cl.Text("o"), "/o\\");
  EXPECT_EQ(cl.Number("use-directory="), 0);
  // A missing response file is an error of its own.
  EXPECT_EQ(ParseCommandLine("x a.lzh @/nonexistent/list", {"x"}, {}, cl, err), kErrResponseRead);
}

TEST(Names, ShiftJisDecodedBeforeSplittingAndFallbacks) {
  bool fb = false;
  // 表 = 95 5C: a byte-wise split would cut it.
  EXPECT_EQ(NameFromArchive(Utf8ToCp932("dir\\" + kJpName), false, fb), "dir/" + kJpName);
  EXPECT_FALSE(fb);
  EXPECT_EQ(NameFromArchive("./a/b/", false, fb), "a/b");
  // Bytes that are not CP932 get a stable stand-in.
  EXPECT_EQ(NameFromArchive("ab\xA0.txt", false, fb), "ab%A0.txt");
  EXPECT_TRUE(fb);
  EXPECT_EQ(NameFromArchive("x\x81", false, fb), "x%81");
  EXPECT_EQ(NameFromArchive("caf\xC3\xA9", true, fb), "café");
  EXPECT_EQ(NameFromArchive("bad\xFF", true, fb), "bad%FF");
  EXPECT_TRUE(fb);
  bool ok = true;
  EXPECT_EQ(NameToCp932("表示.txt", ok), Utf8ToCp932("表示.txt"));
  EXPECT_TRUE(ok);
  EXPECT_EQ(NameToCp932("a\xF0\x9F\x98\x80.txt", ok), "a%F0%9F%98%80.txt");
  EXPECT_FALSE(ok);
}

TEST(Times, DosRoundTripAndTheEarliestDate) {
  std::tm tm{};
  tm.tm_year = 124;
  tm.tm_mon = 2;
  tm.tm_mday = 9;
  tm.tm_hour = 13;
  tm.tm_min = 5;
  tm.tm_sec = 14;
  tm.tm_isdst = -1;
  std::time_t t = std::mktime(&tm);
  uint16_t d, h;
  UnixToDos(t, d, h);
  EXPECT_EQ(d, (44 << 9) | (3 << 5) | 9);
  EXPECT_EQ(h, (13 << 11) | (5 << 5) | 7);
  EXPECT_EQ(DosToUnix(d, h), t);
  UnixToDos(0, d, h);
  EXPECT_EQ(d, (1 << 5) | 1);
  EXPECT_EQ(DosToUnix(0, 0), 0);
}

TEST(Checksums, KnownValues) {
  EXPECT_EQ(Crc16(0, "123456789", 9), 0xBB3D);  // CRC-16/ARC check value
  EXPECT_EQ(Crc32(0, "123456789", 9), 0xCBF43926u);
  // Any split gives the same result.
  std::string s(1000, 'x');
  for (size_t i = 0; i < s.size(); ++i) s[i] = static_cast<char>(i * 31);
  EXPECT_EQ(Crc16(Crc16(0, s.data(), 333), s.data() + 333, 667), Crc16(0, s.data(), 1000));
}

TEST(Wildcards, DosStyle) {
  EXPECT_TRUE(WildMatch("*.*", "noext"));
  EXPECT_TRUE(WildMatch("*.TXT", "dir/a.txt"));
  EXPECT_TRUE(WildMatch("dir/*.*", "dir/sub/a.txt"));
  EXPECT_TRUE(WildMatch("a?c", "abc"));
  EXPECT_FALSE(WildMatch("a?c", "ac"));
  EXPECT_TRUE(WildMatch("[[]x].txt", "[x].txt"));
  EXPECT_TRUE(WildMatch("[a-c]1", "b1"));
  EXPECT_FALSE(WildMatch("[!a-c]1", "b1"));
  EXPECT_TRUE(WildMatch("sub", "sub/inner.txt"));
  EXPECT_FALSE(WildMatch("su", "sub/inner.txt"));
}

TEST(Report, CopyNeverCutsADoubleByteCharacter) {
  Report r;
  r.Line(Utf8ToCp932("ab表"));  // a b 95 5C CR LF
  char buf[4];
  r.CopyTo(buf, sizeof buf);
  EXPECT_STREQ(buf, "ab");
  char big[64];
  r.CopyTo(big, sizeof big);
  EXPECT_EQ(std::string(big), Utf8ToCp932("ab表") + "\r\n");
  r.CopyTo(nullptr, 10);  // no buffer, no harm
}

TEST(Record, LayoutAndFields) {
  EXPECT_EQ(offsetof(IndividualInfo, wRatio), 20u);
  EXPECT_EQ(offsetof(IndividualInfo, wDate), 22u);
  EXPECT_EQ(offsetof(IndividualInfo, szFileName), 26u);
  EXPECT_EQ(offsetof(IndividualInfo, szAttribute), 542u);
  EXPECT_EQ(offsetof(IndividualInfo, szMode), 550u);
  ArcEntry e;
  e.path = "sub/" + kJpName;
  e.size = 2000;
  e.packed = 500;
  e.crc = 0xBEEF;
  e.attr = kAttrArchive | kAttrRO;
  e.method = "-lh5-";
  IndividualInfo info;
  std::memset(&info, 0x55, sizeof info);
  FillRecord(e, info);
  EXPECT_EQ(info.wRatio, 250);
  EXPECT_EQ(std::string(info.szFileName), Utf8ToCp932("sub/" + kJpName));
  EXPECT_STREQ(info.szAttribute, "a--r");
  EXPECT_STREQ(info.szMode, "-lh5-");
  EXPECT_EQ(info.dummy1[0], 0);
}

std::string Lh5RoundTripOwn(const std::string& in) {
  std::string packed = lzh::EncodeLh5(reinterpret_cast<const unsigned char*>(in.data()), in.size());
  std::string out, why;
  bool ok = arj::DecodeHuffmanLz(
      reinterpret_cast<const unsigned char*>(packed.data()), packed.size(), in.size(), 14, 4, false,
      [&](const unsigned char* p, size_t n) {
        out.append(reinterpret_cast<const char*>(p), n);
        return true;
      },
      why);
  return ok ? out : "FAILED: " + why;
}

TEST(Lh5, EncoderEdgeCasesDecodeWithOurDecoderAndWithLha) {
  std::mt19937 rng(7);
  std::string random(300000, '\0');
  for (char& c : random) c = static_cast<char>(rng());
  std::string runs(200000, 'a');
  std::string twoSymbols;
  for (int i = 0; i < 70000; ++i) twoSymbols += (rng() & 1) ? 'x' : 'y';
  std::string text;
  for (int i = 0; i < 20000; ++i) text += "行 " + std::to_string(i * 7919 % 1000) + " 表示ソフト\n";
  std::vector<std::string> inputs = {"a", "ab", "abcabcabcabc", runs, twoSymbols, random, text};
  TempDir tmp;
  for (size_t k = 0; k < inputs.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(Lh5RoundTripOwn(inputs[k]), inputs[k]);
    WriteFile(tmp / ("in" + std::to_string(k)), inputs[k]);
  }
  // The same data packed into one archive by the library, checked by lha.
  TArchiveFile f;
  f.SetFileName(tmp / "edge.lzh");
  f.SetOutputSize(8192);
  ASSERT_EQ(InFolder(tmp.Path(), [&] { return f.Pack(nullptr, nullptr, {"in*"}, ""); }), 0);
  EXPECT_EQ(Sh("lha t " + Q(tmp / "edge.lzh")), 0);
  std::string methods = RunOutput("lha v " + Q(tmp / "edge.lzh"));
  EXPECT_NE(methods.find("-lh5-"), std::string::npos);
  EXPECT_NE(methods.find("-lh0-"), std::string::npos);  // random data is stored
}

// Small pieces gather, large ones go straight to the file: the bytes come
// out in order whatever the mix, a patch lands where it was aimed, a
// truncation drops what follows it, and nothing shows under the target's
// name before Commit.
TEST(OutputFileWrites, MixedPiecesPatchTruncateAndCommit) {
  TempDir tmp;
  const std::string target = tmp / "out.bin";
  std::mt19937 rng(7);
  std::string expect;
  OutputFile out;
  ASSERT_TRUE(out.Open(target));
  for (size_t n : {10u, 70000u, 3u, 65536u, 65535u, 1u, 200000u, 4096u, 0u, 131072u, 17u}) {
    std::string piece(n, '\0');
    for (char& c : piece) c = static_cast<char>(rng());
    ASSERT_TRUE(out.Write(piece));
    expect += piece;
  }
  EXPECT_EQ(out.Written(), expect.size());
  EXPECT_FALSE(Exists(target));
  // A patch over bytes still gathered and one over bytes already written.
  ASSERT_TRUE(out.Patch(expect.size() - 5, "PATCH"));
  expect.replace(expect.size() - 5, 5, "PATCH");
  ASSERT_TRUE(out.Patch(2, "ab"));
  expect.replace(2, 2, "ab");
  ASSERT_TRUE(out.Commit());
  EXPECT_TRUE(ReadFile(target) == expect);  // large: compared whole, not printed

  OutputFile cut;
  ASSERT_TRUE(cut.Open(target));
  ASSERT_TRUE(cut.Write(std::string(100000, 'a')));
  ASSERT_TRUE(cut.Write(std::string(10, 'b')));
  ASSERT_TRUE(cut.Truncate(70000));
  ASSERT_TRUE(cut.Write(std::string(5, 'c')));
  ASSERT_TRUE(cut.Commit());
  EXPECT_EQ(ReadFile(target), std::string(70000, 'a') + "ccccc");

  // Aborted: the old file stays, no temporary is left.
  OutputFile dropped;
  ASSERT_TRUE(dropped.Open(target));
  ASSERT_TRUE(dropped.Write(std::string(300000, 'z')));
  dropped.Abort();
  EXPECT_EQ(ReadFile(target), std::string(70000, 'a') + "ccccc");
  size_t files = 0;
  for (const auto& e : fs::directory_iterator(tmp.Path())) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
}

TEST(Targets, PrepareTargetRefusesAndCreates) {
  TempDir tmp;
  std::string target, why;
  EXPECT_EQ(PrepareTarget(tmp.Path(), "a/b/c.txt", true, false, target, why), kOk);
  EXPECT_EQ(target, tmp.Path() + "/a/b/c.txt");
  EXPECT_TRUE(fs::is_directory(tmp / "a/b"));
  EXPECT_EQ(PrepareTarget(tmp.Path(), "a/b/c.txt", false, false, target, why), kOk);
  EXPECT_EQ(target, tmp.Path() + "/c.txt");
  EXPECT_NE(PrepareTarget(tmp.Path(), "../x", true, false, target, why), kOk);
  EXPECT_NE(PrepareTarget(tmp.Path(), "/etc/x", true, false, target, why), kOk);
  EXPECT_NE(PrepareTarget(tmp.Path(), "C:/x", true, false, target, why), kOk);
  WriteFile(tmp / "file", "x");
  EXPECT_NE(PrepareTarget(tmp.Path(), "file/x", true, false, target, why), kOk);
  EXPECT_TRUE(LinkStaysInside("a/link", "../b"));
  EXPECT_FALSE(LinkStaysInside("link", "../b"));
  EXPECT_FALSE(LinkStaysInside("a/link", "/etc"));
  EXPECT_TRUE(LinkStaysInside("a/b/link", "../c/../../d"));
  EXPECT_FALSE(LinkStaysInside("a/b/link", "../../../d"));
}

}  // namespace
}  // namespace navirt::arc

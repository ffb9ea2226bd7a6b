#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>

#include "edit/PaneText.h"
#include "preview/HexDump.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

std::vector<std::string> DumpLines(const std::string& bytes, bool* stopped = nullptr, KeepGoing k = {},
                                   size_t every = 65536) {
  return SplitLines(HexDumpPane(bytes, "info", k, every, stopped));
}

TEST(HexDump, LineCountsAtTheRowBoundaries) {
  // Four heading lines, then the rows.
  auto empty = DumpLines("");
  ASSERT_EQ(empty.size(), 5u);
  EXPECT_EQ(empty[0], "info");
  EXPECT_EQ(empty[1], "");
  EXPECT_EQ(empty[2], "00000000 : 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F");
  EXPECT_EQ(empty[3], "-------- : -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --");
  EXPECT_EQ(empty[4], "00000001 : ");

  std::string b15(15, '\x0a');
  auto l15 = DumpLines(b15);
  ASSERT_EQ(l15.size(), 5u);
  EXPECT_EQ(l15[4].size(), 11u + 15 * 3);

  std::string b16;
  for (int i = 0; i < 16; ++i) b16 += static_cast<char>(i == 15 ? 0xFF : i);
  auto l16 = DumpLines(b16);
  ASSERT_EQ(l16.size(), 5u);
  EXPECT_EQ(l16[4], "00000001 : 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E FF ");

  auto l17 = DumpLines(b16 + "\xab");
  ASSERT_EQ(l17.size(), 6u);
  EXPECT_EQ(l17[5], "00000002 : AB ");

  // Line numbers count lines, not offsets, in upper-case hexadecimal.
  auto big = DumpLines(std::string(16 * 26, 'A'));
  EXPECT_EQ(big.back().substr(0, 11), "0000001A : ");
}

TEST(HexDump, StopKeepsWhatWasWrittenAndSaysSo) {
  std::string bytes(16 * 10 + 3, '\x41');
  int calls = 0;
  bool stopped = false;
  // Stop at the second check: 4 rows per check, so 4 full rows are written,
  // then the partial last row (the size is no multiple of 16), then the note.
  auto lines = DumpLines(
      bytes, &stopped, [&] { return ++calls < 2; }, 64);
  EXPECT_TRUE(stopped);
  ASSERT_EQ(lines.size(), 4u + 4 + 1 + 1);
  EXPECT_EQ(lines[7].substr(0, 11), "00000004 : ");
  EXPECT_EQ(lines[8], "00000005 : ");
  EXPECT_EQ(lines.back(), kHexDumpStopped);
  // Stopped at once: no rows but the short last row.
  lines = DumpLines(bytes, &stopped, [] { return false; });
  EXPECT_TRUE(stopped);
  ASSERT_EQ(lines.size(), 6u);
  // Running to the end gives the full dump and no note.
  lines = DumpLines(
      bytes, &stopped, [] { return true; }, 16);
  EXPECT_FALSE(stopped);
  EXPECT_EQ(lines.size(), 4u + 11);
}

TEST(HexDump, BelowLineDigitsStandUnderTheirBytes) {
  auto out = BelowLineDump({"AB", "\x82\xa0z", ""}, "info");
  ASSERT_EQ(out.size(), 2u + 9);
  EXPECT_EQ(out[2], "AB");
  EXPECT_EQ(out[3], "44");
  EXPECT_EQ(out[4], "12");
  EXPECT_EQ(out[6], "8A7");
  EXPECT_EQ(out[7], "20A");
  EXPECT_EQ(out[10], "");
  bool stopped = false;
  int n = 0;
  out = BelowLineDump(
      {"a", "b", "c"}, "info", [&] { return n++ < 2; }, 1, &stopped);
  EXPECT_TRUE(stopped);
  EXPECT_EQ(out.size(), 2u + 6 + 1);
  EXPECT_EQ(out.back(), kHexDumpStopped);
}

TEST(HexDump, ToolPrintsHeadingAndRowsWithLfEnds) {
  const char* tool = std::getenv("NAVIRT_TOOL");
  if (!tool) GTEST_SKIP() << "NAVIRT_TOOL not set";
  UniqueTempDir tmp("navirt-hexdump");
  std::string path = tmp.File("in.bin");
  std::ofstream(path, std::ios::binary) << std::string("0123456789abcdefX");
  std::string cmd = std::string(tool) + " hexdump '" + path + "'";
  FILE* p = ::popen(cmd.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  EXPECT_EQ(::pclose(p), 0);
  EXPECT_EQ(out, std::string(kHexDumpHeading) + "\n" + kHexDumpRule + "\n" +
                     "00000001 : 30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66 \n00000002 : 58 \n");
  p = ::popen((std::string(tool) + " hexdump /nonexistent/x 2>/dev/null").c_str(), "r");
  while (std::fread(buf, 1, sizeof buf, p) > 0) {
  }
  EXPECT_EQ(WEXITSTATUS(::pclose(p)), 2);
}

// A file of several pieces, formatted while earlier ones are written: the
// dump of the whole, every row in its place.
TEST(HexDump, ToolDumpOfManyPiecesIsTheWholeDump) {
  const char* tool = std::getenv("NAVIRT_TOOL");
  if (!tool) GTEST_SKIP() << "NAVIRT_TOOL not set";
  UniqueTempDir tmp("navirt-hexdump");
  std::mt19937 rng(77);
  std::string bytes((size_t(5) << 20) + 7, '\0');
  for (char& c : bytes) c = static_cast<char>(rng());
  const std::string path = tmp.File("big.bin");
  std::ofstream(path, std::ios::binary) << bytes;
  FILE* p = ::popen((std::string(tool) + " hexdump '" + path + "'").c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  EXPECT_EQ(::pclose(p), 0);
  std::string want = std::string(kHexDumpHeading) + "\n" + kHexDumpRule + "\n";
  AppendHexDumpRows(bytes, want, "\n");
  ASSERT_EQ(out.size(), want.size());
  EXPECT_TRUE(out == want);
}

}  // namespace
}  // namespace navirt

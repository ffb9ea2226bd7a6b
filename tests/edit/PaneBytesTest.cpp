#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "codec/DetectCode.h"
#include "edit/PaneBytes.h"
#include "edit/PaneText.h"
#include "edit/SaveText.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

// The pane as it would be after editing: untouched lines by index, the
// given ones replaced by new bytes.
std::vector<PaneLine> Untouched(const TPaneBytes& pb) {
  std::vector<PaneLine> v;
  for (size_t i = 0; i < pb.LineCount(); ++i) v.push_back(PaneLine{static_cast<int>(i), {}});
  return v;
}

PaneLine Changed(std::string bytes) { return PaneLine{-1, std::move(bytes)}; }

TEST(PaneBytes, SplitsAtEveryLineEndAndKeepsThem) {
  TPaneBytes pb("a\r\nb\nc\rd");
  ASSERT_EQ(pb.LineCount(), 4u);
  EXPECT_EQ(pb.Line(0), "a");
  EXPECT_EQ(pb.End(0), LineEnd::CrLf);
  EXPECT_EQ(pb.End(1), LineEnd::Lf);
  EXPECT_EQ(pb.End(2), LineEnd::Cr);
  EXPECT_EQ(pb.End(3), LineEnd::None);
  EXPECT_EQ(TPaneBytes("x\n").LineCount(), 1u);
  EXPECT_EQ(TPaneBytes("").LineCount(), 0u);
  EXPECT_EQ(TPaneBytes("\n\n").LineCount(), 2u);
  EXPECT_EQ(TPaneBytes("a\nb\nc\r\n").DefaultEnd(), LineEnd::Lf);
}

TEST(PaneBytes, OneEditChangesOnlyThatLine) {
  // Mixed ends, an invalid CP932 byte pair, NEC and IBM duplicate codes,
  // a lone lead byte at the very end and no final line end.
  std::string text =
      std::string("first\r\n") + "\x87\x90 \xed\x40 \xfa\x54\n" + "bad \x81\x20 \xff\x80\r" + "mid\r\n" + "last \x82";
  TPaneBytes pb(text);
  ASSERT_EQ(pb.LineCount(), 5u);
  EXPECT_EQ(pb.Assemble(Untouched(pb)), text);

  auto lines = Untouched(pb);
  lines[3] = Changed("MID");
  std::string expect =
      std::string("first\r\n") + "\x87\x90 \xed\x40 \xfa\x54\n" + "bad \x81\x20 \xff\x80\r" + "MID\r\n" + "last \x82";
  EXPECT_EQ(pb.Assemble(lines), expect);

  // The screen round trip of the lossless decoder keeps every byte of the
  // lines the user did not touch, duplicates included.
  for (size_t i = 0; i < pb.LineCount(); ++i) {
    std::string line(pb.Line(i));
    EXPECT_EQ(EncodeCp932Lossless(DecodeCp932Lossless(line)), line) << i;
  }
}

TEST(PaneBytes, ChangedRunsTakeTheEndsTheyReplace) {
  TPaneBytes pb("a\nb\rc\nd");  // mostly LF: new lines get LF
  // Line b split in two by Enter: the first part gets a default end, the
  // last keeps b's CR.
  auto lines = Untouched(pb);
  lines[1] = Changed("b1");
  lines.insert(lines.begin() + 2, Changed("b2"));
  EXPECT_EQ(pb.Assemble(lines), "a\nb1\nb2\rc\nd");
  // Lines b and c joined: the joined line keeps c's end.
  lines = Untouched(pb);
  lines[1] = Changed("bc");
  lines.erase(lines.begin() + 2);
  EXPECT_EQ(pb.Assemble(lines), "a\nbc\nd");
  // A line added after the last one: the old last line now needs an end,
  // and the text still ends without one.
  lines = Untouched(pb);
  lines.back() = Changed("d");
  lines.push_back(Changed("e"));
  EXPECT_EQ(pb.Assemble(lines), "a\nb\rc\nd\ne");
  // A text that ended with a line end still does after a new last line.
  TPaneBytes ended("x\r\ny\r\n");
  lines = Untouched(ended);
  lines.back() = Changed("y");
  lines.push_back(Changed("z"));
  EXPECT_EQ(ended.Assemble(lines), "x\r\ny\r\nz\r\n");
  // Typing into an empty pane.
  TPaneBytes empty("");
  EXPECT_EQ(empty.Assemble({Changed("p"), Changed("q")}), "p\r\nq");
}

TEST(PaneBytes, LineEndConversionResultIsKept) {
  // A text put in with LF ends (a conversion's result) is saved with LF.
  TPaneBytes pb("one\ntwo\nthree\n");
  auto lines = Untouched(pb);
  lines[0] = Changed("ONE");
  EXPECT_EQ(pb.Assemble(lines), "ONE\ntwo\nthree\n");
}

class SaveTextTest : public ::testing::Test {
 protected:
  UniqueTempDir tmp_{"navirt-save"};
  const std::filesystem::path& dir_ = tmp_.path();
  std::string P(const std::string& n) const { return (dir_ / n).string(); }
  static void Put(const std::string& p, const std::string& s) { std::ofstream(p, std::ios::binary) << s; }
  static std::string Get(const std::string& p) {
    std::string s;
    ReadWholeFile(p, s);
    return s;
  }
};

// Lines a command writes back keep the final line end of the text they
// replace, whichever end it was; the lines read back as they were written.
TEST(PaneBytes, CommandLinesKeepTheFinalLineEnd) {
  for (const char* before : {"b\r\na\r\n", "b\na\n", "b\ra\r", "b\r\na\n"}) {
    TPaneBytes pb(before);
    ASSERT_TRUE(pb.EndsWithLineEnd()) << before;
    TPaneBytes after(JoinCommandLines(SplitLines("a\nb"), pb.EndsWithLineEnd()));
    EXPECT_EQ(after.Text(), "a\r\nb\r\n") << before;
    EXPECT_EQ(after.LineCount(), 2u);
    EXPECT_EQ(after.Assemble(Untouched(after)), "a\r\nb\r\n");
  }
  EXPECT_FALSE(TPaneBytes("b\r\na").EndsWithLineEnd());
  EXPECT_FALSE(TPaneBytes("").EndsWithLineEnd());
  EXPECT_EQ(JoinCommandLines({"a", "b"}, false), "a\r\nb");
  // No lines: no text, not even a line end.
  EXPECT_EQ(JoinCommandLines({}, true), "");
  // One empty line with its end is a text of one line end.
  EXPECT_EQ(JoinCommandLines({""}, true), "\r\n");
  EXPECT_EQ(TPaneBytes(JoinCommandLines({""}, true)).LineCount(), 1u);
  // A last line typed after the command's lines ends the text as it ended.
  TPaneBytes pb(JoinCommandLines({"x"}, true));
  EXPECT_EQ(pb.Assemble({PaneLine{0, {}}, Changed("typed")}), "x\r\ntyped\r\n");
}

// The lines and ends kept as line starts read back as a plain split of
// the text gives them, and the code found over the joined lines without
// joining them is the code of the joined text, on random texts whose bytes
// lean to line ends, lead bytes and the bytes the detection looks at.
TEST(PaneBytes, LinesAndCodeOfTheJoinedTextMatchAPlainSplit) {
  const unsigned char pool[] = {'\r', '\n', 'a',  ' ',  0x1B, '$',  'B',  '@',  0x00, 0x07, 0xFF, 0x81, 0x82, 0x8E,
                                0x9F, 0xA1, 0xB0, 0xDF, 0xE0, 0xEF, 0xF0, 0xFD, 0xFE, 0x40, 0x7E, 0x80, 0xA0};
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u, seed >> 8; };
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const size_t len = round < 2900 ? next() % 40 : 600 + next() % 400;
    // Long texts stay ASCII at first, so the detection runs past 512.
    for (size_t i = 0; i < len; ++i)
      text += static_cast<char>(round >= 2900 && i < 560 ? "ab\r\n"[next() % 4] : pool[next() % sizeof(pool)]);
    TPaneBytes pb(text);
    const std::vector<std::string> split = SplitLines(text);
    ASSERT_EQ(pb.LineCount(), split.size()) << round;
    std::string again;
    for (size_t i = 0; i < pb.LineCount(); ++i) {
      ASSERT_EQ(pb.Line(i), split[i]) << round;
      again += std::string(pb.Line(i)) + std::string(LineEndBytes(pb.End(i)));
    }
    ASSERT_EQ(again, text) << round;
    const std::string joined = PaneTextOfLoaded(text);
    ASSERT_EQ(pb.JoinedSize(), joined.size()) << round;
    ASSERT_EQ(pb.JoinedCode(), static_cast<int>(DetectCode(joined))) << round;
  }
}

// A short text put in place of a large one frees the large one's memory.
TEST(PaneBytes, TakingAShortTextLetsGoOfALargeOne) {
  TPaneBytes pb(std::string(1 << 20, 'x') + "\r\nend");
  const TPaneBytes small("a\nb");
  TPaneBytes copy = pb;
  pb = TPaneBytes("a\nb");
  EXPECT_LT(pb.Text().capacity(), 1024u);
  EXPECT_EQ(pb.LineCount(), 2u);
  EXPECT_EQ(pb.DefaultEnd(), LineEnd::Lf);
  copy = small;
  EXPECT_LT(copy.Text().capacity(), 1024u);
  EXPECT_EQ(copy.Line(1), "b");
}

// Every line end becomes one LF for the screen; other bytes, NUL and lone
// lead bytes included, pass as they are.
TEST(PaneText, NormalizeLineEndsMakesOneLfOfEachEnd) {
  EXPECT_EQ(NormalizeLineEnds("a\r\nb\rc\nd"), "a\nb\nc\nd");
  EXPECT_EQ(NormalizeLineEnds("\r\r\n\n\r"), "\n\n\n\n");
  EXPECT_EQ(NormalizeLineEnds(""), "");
  EXPECT_EQ(NormalizeLineEnds(std::string("x\0\x82\r\n\x81", 7)), std::string("x\0\x82\n\x81", 6));
  std::string big, expect;
  for (int i = 0; i < 5000; ++i) {
    big += std::to_string(i) + (i % 3 == 0 ? "\r\n" : i % 3 == 1 ? "\r" : "\n");
    expect += std::to_string(i) + "\n";
  }
  EXPECT_EQ(NormalizeLineEnds(big), expect);
}

TEST(SaveRules, BackupNameAndRichOrPlain) {
  EXPECT_EQ(BackupName("/d/memo.txt"), "/d/memo.$$$");
  EXPECT_EQ(BackupName("/d/memo"), "/d/memo.$$$");
  EXPECT_EQ(BackupName("/d.x/memo"), "/d.x/memo.$$$");
  EXPECT_EQ(BackupName("/d/.profile"), "/d/.profile.$$$");
  EXPECT_EQ(BackupName("/d/a.b.c"), "/d/a.b.$$$");
  EXPECT_TRUE(SaveAsRich("/d/a.RTF", false));
  EXPECT_FALSE(SaveAsRich("/d/a.Txt", true));
  EXPECT_TRUE(SaveAsRich("/d/a.doc", true));
  EXPECT_FALSE(SaveAsRich("/d/a", false));
}

TEST_F(SaveTextTest, BackupReplacesTheOlderBackup) {
  Put(P("memo.txt"), "previous");
  Put(P("memo.$$$"), "ancient");
  SaveResult r = SaveTextFile(P("memo.txt"), "new text", true);
  ASSERT_TRUE(r.ok) << r.error;
  EXPECT_EQ(Get(P("memo.txt")), "new text");
  EXPECT_EQ(Get(P("memo.$$$")), "previous");
  // Without backup the old backup stays as it was.
  r = SaveTextFile(P("memo.txt"), "newer", false);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(Get(P("memo.txt")), "newer");
  EXPECT_EQ(Get(P("memo.$$$")), "previous");
  // A new file makes no backup.
  ASSERT_TRUE(SaveTextFile(P("fresh.txt"), "x", true).ok);
  EXPECT_FALSE(std::filesystem::exists(P("fresh.$$$")));
  // Nothing of the temporary file is left behind.
  int count = 0;
  for (auto& e : std::filesystem::directory_iterator(dir_)) count += e.path().filename().string()[0] == '.';
  EXPECT_EQ(count, 0);
}

TEST_F(SaveTextTest, ALinkStaysALink) {
  Put(P("real.txt"), "old");
  std::filesystem::create_symlink(P("real.txt"), P("link.txt"));
  ASSERT_TRUE(SaveTextFile(P("link.txt"), "new", true).ok);
  EXPECT_TRUE(std::filesystem::is_symlink(P("link.txt")));
  EXPECT_EQ(Get(P("real.txt")), "new");
  EXPECT_EQ(Get(P("real.$$$")), "old");
  EXPECT_FALSE(std::filesystem::exists(P("link.$$$")));
}

TEST_F(SaveTextTest, FailedWriteLosesNothing) {
  Put(P("memo.txt"), "previous");
  Put(P("memo.$$$"), "ancient");
  // A read-only folder (not for root, who may write anyway).
  ::chmod(dir_.c_str(), 0555);
  bool rootBypasses = ::access(dir_.c_str(), W_OK) == 0;
  if (!rootBypasses) {
    SaveResult r = SaveTextFile(P("memo.txt"), "new text", true);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    EXPECT_EQ(Get(P("memo.txt")), "previous");
    EXPECT_EQ(Get(P("memo.$$$")), "ancient");
  }
  ::chmod(dir_.c_str(), 0755);
  // A target that is a folder: refused, nothing changes.
  std::filesystem::create_directories(P("folder.txt"));
  SaveResult r = SaveTextFile(P("folder.txt"), "x", true);
  EXPECT_FALSE(r.ok);
  EXPECT_TRUE(std::filesystem::is_directory(P("folder.txt")));
  // A missing folder: the system's message, no file anywhere.
  r = SaveTextFile(P("nowhere/a.txt"), "x", true);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "No such file or directory");
}

TEST_F(SaveTextTest, WriteErrorOfAFullDiskKeepsOldFileAndBackup) {
  // A file-size limit makes write() fail as a full disk would, even for
  // root.
  Put(P("memo.txt"), "previous");
  Put(P("memo.$$$"), "ancient");
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ::getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 4;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  SaveResult r = SaveTextFile(P("memo.txt"), "a text longer than four bytes", true);
  ::setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, "File too large");
  EXPECT_EQ(Get(P("memo.txt")), "previous");
  EXPECT_EQ(Get(P("memo.$$$")), "ancient");
  int hidden = 0;
  for (auto& e : std::filesystem::directory_iterator(dir_)) hidden += e.path().filename().string()[0] == '.';
  EXPECT_EQ(hidden, 0);
}

}  // namespace
}  // namespace navirt

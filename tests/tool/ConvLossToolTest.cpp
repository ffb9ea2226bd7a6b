// navirt-tool conv into Shift_JIS says what it could not carry, as iconv
// does; the JIS forms iconv and nkf give nine characters CP932 lacks; and
// undecodable bytes become U+FFFD on the way to UTF-8.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/Cp932.h"

namespace navirt {
namespace {

class ConvLoss : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/navirt-convloss-XXXXXX";
    dir_ = mkdtemp(tmpl);
    dir_ += "/";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string File(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + name, std::ios::binary) << bytes;
    return dir_ + name;
  }
  std::string Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  // Runs a command line; its standard output, standard error and status.
  int Run(const std::string& cmd, std::string& out, std::string* err = nullptr) {
    const int st = std::system((cmd + " > '" + dir_ + "out' 2> '" + dir_ + "err'").c_str());
    out = Read(dir_ + "out");
    if (err) *err = Read(dir_ + "err");
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  int Tool(const std::string& args, std::string& out, std::string* err = nullptr) {
    const char* tool = std::getenv("NAVIRT_TOOL");
    return Run(std::string(tool ? tool : NAVIRT_BINARY_DIR "/bin/navirt-tool") + " " + args, out, err);
  }
  std::string dir_;
};

std::string Without(std::string s, char c) {
  s.erase(std::remove(s.begin(), s.end(), c), s.end());
  return s;
}

TEST_F(ConvLoss, NineCharactersAsIconvAndNkfCarryThem) {
  // 〜 ‖ − ¢ £ ¬ — and ¥ ‾ (JIS X 0201's 5C and 7E, as iconv gives them).
  const std::string nine = "〜‖−¢£¬—¥‾\n";
  const std::string f = File("nine.txt", nine);
  std::string ours, theirs;
  ASSERT_EQ(Tool("conv utf8-sjis " + f, ours), 0);
  ASSERT_EQ(Run("iconv -f UTF-8 -t CP932 " + f, theirs), 0);
  EXPECT_EQ(ours, theirs);
  EXPECT_EQ(ours, "\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA\x81\x5C\x5C\x7E\n");
  // The same through ICU's path, which a character beyond CP932 forces.
  ASSERT_EQ(Tool("conv utf8-sjis " + File("nine2.txt", nine + "😀"), ours), 1);
  EXPECT_EQ(ours, theirs + "?");
  // And from UTF-16.
  std::string u16 = "\xFF\xFE";
  for (char16_t c : Utf8ToUtf16(nine)) {
    u16 += static_cast<char>(c & 0xFF);
    u16 += static_cast<char>(c >> 8);
  }
  ASSERT_EQ(Tool("conv utf16-sjis " + File("nine16.txt", u16), ours), 0);
  EXPECT_EQ(ours, theirs);
  // A search argument holding one finds the Shift_JIS text.
  const std::string hit = File("hit.txt", "x\r\nwave " + theirs.substr(0, 2) + " dash\r\n");
  ASSERT_EQ(Tool("grep -n 〜 " + hit, ours), 0);
  EXPECT_EQ(ours, Utf8ToCp932(hit) + "(2) :wave \x81\x60 dash\n");
}

// The output is iconv -c's with a "?" at each loss; the status is iconv's
// (1 once anything is lost); the message counts them and places the first.
TEST_F(ConvLoss, LossesAreCountedLikeIconv) {
  const std::string text =
      "first line\nab😀c\nd\xFF"
      "e\xE3\x81\nend é\n";
  const std::string f = File("lossy.txt", text);
  std::string ours, err, theirs;
  EXPECT_EQ(Tool("conv utf8-sjis " + f, ours, &err), 1);
  EXPECT_EQ(Run("iconv -f UTF-8 -t CP932 " + f, theirs), 1);
  ASSERT_EQ(Run("iconv -c -f UTF-8 -t CP932 " + f, theirs), 0);
  EXPECT_EQ(Without(ours, '?'), theirs);
  EXPECT_EQ(ours, "first line\nab?c\nd?e?\nend ?\n");
  EXPECT_NE(err.find("4 characters"), std::string::npos) << err;
  EXPECT_NE(err.find("line 2 (byte 13)"), std::string::npos) << err;
  // Nothing lost: status 0 and no message.
  EXPECT_EQ(Tool("conv utf8-sjis " + File("clean.txt", "漢字\n"), ours, &err), 0);
  EXPECT_EQ(err, "");
  // UTF-16: a lone surrogate and an emoji; the place counts from the mark.
  const std::string u16(
      "\xFF\xFE"
      "a\0\n\0b\0\x3D\xD8\x00\xDE"
      "c\0\x00\xD8"
      "d\0",
      18);
  EXPECT_EQ(Tool("conv utf16-sjis " + File("l16.txt", u16), ours, &err), 1);
  EXPECT_EQ(ours, "a\nb?c?d");
  EXPECT_NE(err.find("2 characters"), std::string::npos) << err;
  EXPECT_NE(err.find("line 2 (byte 8)"), std::string::npos) << err;
}

// Large inputs go a piece at a time: the count covers them all and the
// first loss is placed in the whole text, the lines of the pieces before it
// counted.
TEST_F(ConvLoss, PiecesAddUp) {
  std::string big;
  size_t lines = 0;
  while (big.size() < (2600u << 10)) {  // the first loss in the third piece
    big += "漢字かな line\n";
    ++lines;
  }
  const size_t at = big.size() + 3;
  big += "abc😀\n";
  big += big.substr(0, 300u << 10) + "😀\n";
  std::string ours, err;
  EXPECT_EQ(Tool("conv utf8-sjis " + File("big.txt", big), ours, &err), 1);
  EXPECT_NE(err.find("2 characters"), std::string::npos) << err;
  EXPECT_NE(err.find("line " + std::to_string(lines + 1) + " (byte " + std::to_string(at) + ")"), std::string::npos)
      << err;
}

TEST_F(ConvLoss, UndecodableBytesBecomeReplacementCharacters) {
  std::string ours;
  // 85 40 is no CP932 character, FD no byte of it.
  ASSERT_EQ(Tool("conv sjis-utf8 " + File("s.txt",
                                          "a\x85\x40"
                                          "b\xFD"
                                          "c"),
                 ours),
            0);
  EXPECT_EQ(ours,
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD"
            "c");
  // A lone EUC lead byte, in the middle and at the end.
  ASSERT_EQ(Tool("conv euc-utf8 " + File("e.txt",
                                         "a\xA4"
                                         "b\xA4"),
                 ours),
            0);
  EXPECT_EQ(ours,
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

// More than 64 KiB of UTF-8, then a Shift_JIS line: grep --auto finds the
// line (the file is judged whole, so it is not UTF-8), as plain grep does.
TEST_F(ConvLoss, GrepAutoJudgesTheWholeFile) {
  std::string text;
  while (text.size() < (70u << 10)) text += "ゆにこーど line\n";
  const std::string line = Utf8ToCp932("検索語の行");
  const std::string f = File("mixed.txt", text + line + "\n");
  std::string plain, autoOut;
  ASSERT_EQ(Tool("grep 検索語 " + f, plain), 0);
  ASSERT_EQ(Tool("grep --auto 検索語 " + f, autoOut), 0);
  EXPECT_EQ(autoOut, plain);
  // Short EUC words come out of auto-utf8 as themselves.
  std::string out;
  ASSERT_EQ(Tool("conv auto-utf8 " + File("euc.txt", "\xCF\xAB\xC6\xAF"), out), 0);
  EXPECT_EQ(out, "労働");
}

}  // namespace
}  // namespace navirt

// navirt-tool conv, eol, encode, decode and width as a shell user runs them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "codec/CodeConvert.h"
#include "codec/TransferEncoding.h"
#include "codec/UnicodeConvert.h"
#include "codec/WidthConvert.h"
#include "tests/codec/CodecTestUtil.h"

namespace navirt {
namespace {

using testutil::RunWithInput;

std::string Tool() {
  const char* t = std::getenv("NAVIRT_TOOL");
  return t ? t : NAVIRT_BINARY_DIR "/bin/navirt-tool";
}

int RunTool(const std::string& args, const std::string& input, std::string& out) {
  return RunWithInput("'" + Tool() + "' " + args, input, out);
}

const std::string kSjis = "\x8a\xbf\x8e\x9a\xb6\xde abc\r\n\x82\xa0\x81\x40Z";

TEST(CodecTool, ConvModesMatchTheFunctions) {
  std::string out;
  ASSERT_EQ(RunTool("conv sjis2jis", kSjis, out), 0);
  EXPECT_EQ(out, SjisToJis(kSjis));  // applied to the bytes as given, no closing line end
  ASSERT_EQ(RunTool("conv sjis2euc", kSjis, out), 0);
  EXPECT_EQ(out, SjisToEuc(kSjis));
  const std::string euc = SjisToEuc(kSjis), jis = SjisToJis(kSjis);
  ASSERT_EQ(RunTool("conv euc2sjis", euc, out), 0);
  EXPECT_EQ(out, kSjis);
  ASSERT_EQ(RunTool("conv euc2jis", euc, out), 0);
  EXPECT_EQ(out, EucToJis(euc));
  ASSERT_EQ(RunTool("conv jis2sjis", jis, out), 0);
  EXPECT_EQ(out, JisToSjis(jis));
  ASSERT_EQ(RunTool("conv jis2euc", jis, out), 0);
  EXPECT_EQ(out, JisToEuc(jis));
  ASSERT_EQ(RunTool("conv auto", euc, out), 0);
  EXPECT_EQ(out, EucToSjis(euc));
  ASSERT_EQ(RunTool("conv to-jis", kSjis, out), 0);
  EXPECT_EQ(out, SjisToJis(kSjis));
  ASSERT_EQ(RunTool("conv to-euc", jis, out), 0);
  EXPECT_EQ(out, JisToEuc(jis));
  ASSERT_EQ(RunTool("conv to-sjis", kSjis, out), 0);
  EXPECT_EQ(out, kSjis);
  // FILE instead of standard input.
  UniqueTempDir dir("navirt-codec");
  ASSERT_EQ(RunTool("conv sjis2euc '" + dir.Write("in.txt", kSjis) + "'", "", out), 0);
  EXPECT_EQ(out, SjisToEuc(kSjis));
}

TEST(CodecTool, EolEncodeDecodeWidth) {
  std::string out;
  ASSERT_EQ(RunTool("eol auto crlf", "a\rb\nc\r", out), 0);
  EXPECT_EQ(out, "a\r\nb\nc\r\n");
  ASSERT_EQ(RunTool("eol lf cr", "a\nb\r\n", out), 0);
  EXPECT_EQ(out, "a\rb\r\r");
  ASSERT_EQ(RunTool("encode base64", "abc\r\n", out), 0);
  EXPECT_EQ(out, "YWJjDQo=");
  ASSERT_EQ(RunTool("encode uu", "Cat", out), 0);
  EXPECT_EQ(out, "#0V%T\r`\r");
  ASSERT_EQ(RunTool("encode binhex", "", out), 0);
  EXPECT_EQ(out, "::");
  ASSERT_EQ(RunTool("encode mime", "x\x88\x9fy", out), 0);
  EXPECT_EQ(out, "x=?ISO-2022-JP?B?GyRCMCE=?=y");
  for (const char* kind : {"base64", "uu", "binhex"}) {
    std::string enc, dec;
    ASSERT_EQ(RunTool(std::string("encode ") + kind, kSjis, enc), 0);
    ASSERT_EQ(RunTool(std::string("decode ") + kind, enc, dec), 0);
    EXPECT_EQ(dec, kSjis) << kind;
  }
  ASSERT_EQ(RunTool("decode mime", "x=?ISO-2022-JP?B?GyRCMCE=?=y", out), 0);
  EXPECT_EQ(out, "x\x1b$B\x30\x21\x1b(Jy");
  ASSERT_EQ(RunTool("width h2z", kSjis, out), 0);
  EXPECT_EQ(out, HalfToFullWidth(kSjis));
  ASSERT_EQ(RunTool("width z2h", kSjis, out), 0);
  EXPECT_EQ(out, FullToHalfWidth(kSjis));
  ASSERT_EQ(RunTool("width kana", kSjis, out), 0);
  EXPECT_EQ(out, HalfKanaToFullKana(kSjis));
  ASSERT_EQ(RunTool("width space", kSjis, out), 0);
  EXPECT_EQ(out, WideSpaceToBlanks(kSjis));
}

// Several pieces' worth of text with every kind of unit next to line ends
// (broken leads before CR, kana before marks, CR LF split at a piece's
// end), and a line longer than a piece: the tool writes exactly what the
// function gives for the whole text.
TEST(CodecTool, LongInputsGiveTheWholeTextResult) {
  std::mt19937 rng(42);
  std::string t;
  const char* units[] = {"\x82\xa0", "\x88\x9f", "\xb6", "\xde", "\xdf", "\r",       "\n",           "\r\n",
                         "\x81\x40", "A",        "z",    "\x82", "\x8e", "\xa4\xa2", "\x8f\xb0\xa1", "\x81"};
  while (t.size() < (900u << 10)) t += units[rng() % 16];
  t += std::string(300u << 10, '\x82');  // one line longer than a piece
  t += "\r\n\xb6\xde";
  UniqueTempDir dir("navirt-codec");
  const std::string file = dir.Write("big.txt", t);
  struct Case {
    const char* args;
    std::string (*fn)(std::string_view);
  } cases[] = {{"conv sjis2euc", SjisToEuc},      {"conv euc2sjis", EucToSjis},   {"encode base64", Base64Encode},
               {"width h2z", HalfToFullWidth},    {"width z2h", FullToHalfWidth}, {"width kana", HalfKanaToFullKana},
               {"width space", WideSpaceToBlanks}};
  for (const Case& c : cases) {
    std::string out;
    ASSERT_EQ(RunTool(std::string(c.args) + " '" + file + "'", "", out), 0) << c.args;
    EXPECT_TRUE(out == c.fn(t)) << c.args;
    ASSERT_EQ(RunTool(c.args, t, out), 0) << c.args;  // the same through a pipe
    EXPECT_TRUE(out == c.fn(t)) << c.args;
  }
  // JIS text whose kanji mode stays on across line ends, with escapes of
  // every kind, broken ones and ESC bytes inside escapes.
  std::string jis;
  const char* jisUnits[] = {"\x1b$B", "\x1b(B", "\x1b(J", "\x1b$@", "\x1bxy", "\x1b\x1b$", "0!",      "4A", ";z",
                            "\r",     "\n",     "\r\n",   "a",      "\x1b(I", "\xb1",      "\x1b$\n", "!"};
  // Mostly kanji lines that never leave kanji mode, so pieces start in it.
  while (jis.size() < (900u << 10)) jis += rng() % 8 ? "0!4A;z\n" : jisUnits[rng() % 17];
  const std::string jisFile = dir.Write("jis.txt", jis);
  for (const Case& c : {Case{"conv jis2sjis", JisToSjis}, Case{"conv jis2euc", JisToEuc}}) {
    std::string out;
    ASSERT_EQ(RunTool(std::string(c.args) + " '" + jisFile + "'", "", out), 0) << c.args;
    EXPECT_TRUE(out == c.fn(jis)) << c.args;
  }
  for (const Case& c : {Case{"conv sjis2jis", SjisToJis}, Case{"conv euc2jis", EucToJis}}) {
    std::string out;
    ASSERT_EQ(RunTool(std::string(c.args) + " '" + file + "'", "", out), 0) << c.args;
    EXPECT_TRUE(out == c.fn(t)) << c.args;
  }
}

TEST(CodecTool, BadUsageExitsWithTwoAndWritesNothing) {
  std::string out;
  EXPECT_EQ(RunTool("conv", "x", out), 2);
  EXPECT_EQ(RunTool("conv utf8", "x", out), 2);
  EXPECT_EQ(RunTool("eol auto", "x", out), 2);
  EXPECT_EQ(RunTool("eol auto auto", "x", out), 2);
  EXPECT_EQ(RunTool("eol dos crlf", "x", out), 2);
  EXPECT_EQ(RunTool("encode rot13", "x", out), 2);
  EXPECT_EQ(RunTool("decode", "x", out), 2);
  EXPECT_EQ(RunTool("width wide", "x", out), 2);
  EXPECT_EQ(RunTool("conv auto /nonexistent/file", "x", out), 2);
  EXPECT_EQ(RunTool("conv auto a b", "x", out), 2);
  EXPECT_EQ(RunTool("conv sjis2euc /nonexistent/file", "x", out), 2);
  EXPECT_EQ(RunTool("width h2z /tmp", "x", out), 2);
  EXPECT_EQ(out, "");
}

}  // namespace
}  // namespace navirt

namespace navirt {
namespace {

// A file converted through its mapped bytes in pieces cut after line ends
// gives what the whole conversion and the read pieces (standard input) give:
// random Shift_JIS, EUC and UTF-8 bytes over several pieces, lines longer
// than a piece, CR-only stretches, lead bytes before line ends.
TEST(CodecTool, MappedPiecesEqualTheWholeConversion) {
  std::mt19937 rng(13);
  const std::vector<std::string> units = {
      "a",    " ",        "\n",       "\r\n",         "\r",           "\x82\xa0", "\x88\x9f", "\xb1",
      "\x82", "\xa4\xa2", "\x8e\xb1", "\xe3\x81\x82", "\xef\xbd\xb1", "\x81\x5c", "\xfc\xfc"};
  UniqueTempDir dir("navirt-codec");
  for (int round = 0; round < 3; ++round) {
    std::string text;
    const size_t size = (size_t(2) << 20) + rng() % 700000;
    while (text.size() < size) {
      if (rng() % 5000 == 0) text += std::string((size_t(1) << 20) + 3000, round == 2 ? '\r' : 'y');
      text += units[rng() % units.size()];
    }
    const std::string path = dir.Write("big.txt", text);
    for (const char* mode : {"sjis2euc", "euc2sjis", "sjis-utf8", "utf8-sjis"}) {
      std::string fromFile, fromStdin;
      // Status 1 when characters had no Shift_JIS form: the same both ways.
      const int rcFile = RunTool(std::string("conv ") + mode + " '" + path + "'", "", fromFile);
      ASSERT_TRUE(rcFile == 0 || rcFile == 1) << mode;
      ASSERT_EQ(RunTool(std::string("conv ") + mode, text, fromStdin), rcFile) << mode;
      EXPECT_TRUE(fromFile == fromStdin) << mode << " round " << round;
      if (std::string(mode) == "sjis2euc") {
        EXPECT_TRUE(fromFile == SjisToEuc(text));
      }
      if (std::string(mode) == "sjis-utf8") {
        EXPECT_TRUE(fromFile == SjisToUtf8(text));
      }
    }
    // The pieces converted side by side still make the whole text's
    // result, and its losses are counted and placed as in the whole text:
    // clean pieces (the fast tables) around lossy ones (ICU, much slower),
    // the first loss some pieces in.
    auto clean = [&](size_t n) {
      static const char* const kClean[] = {"a", " ", "\n", "\r\n", "\xe3\x81\x82", "\xef\xbd\xb1"};
      std::string c;
      while (c.size() < n) c += kClean[rng() % 6];
      return c;
    };
    const std::string lossy = clean((size_t(2) << 20) + rng() % 500000) + text + clean(size_t(3) << 20);
    const std::string lossyPath = dir.Write("lossy.txt", lossy);
    ConversionLoss loss;
    const std::string whole = Utf8ToSjis(lossy, loss);
    ASSERT_GT(loss.firstLine, 1000u);
    const std::string errFile = dir.File("err");
    std::string out;
    ASSERT_EQ(RunWithInput("{ '" + Tool() + "' conv utf8-sjis '" + lossyPath + "' 2>'" + errFile + "'; }", "", out), 1);
    EXPECT_TRUE(out == whole) << round;
    const std::string err = testutil::ReadAll(errFile);
    EXPECT_NE(err.find(" " + std::to_string(loss.count) + " characters"), std::string::npos) << err;
    EXPECT_NE(err.find("line " + std::to_string(loss.firstLine) + " (byte " + std::to_string(loss.firstOffset) + ")"),
              std::string::npos)
        << err;
  }
}

}  // namespace
}  // namespace navirt

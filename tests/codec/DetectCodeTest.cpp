#include "codec/DetectCode.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace navirt {
namespace {

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

TEST(DetectCode, BinaryBytesInFirstPhaseAndLater) {
  EXPECT_EQ(DetectCode(B({'a', 0x00, 'b', 'c'})), CodeBinary);
  std::string late(700, 'a');
  late[599] = '\x00';
  EXPECT_EQ(DetectCode(late), CodeBinary);  // the scan phase tests it too
  std::string afterSjis(700, 'a');
  afterSjis[10] = '\x82';
  afterSjis[11] = '\xA0';
  afterSjis[599] = '\x00';
  EXPECT_EQ(DetectCode(afterSjis), CodeSjis);
  EXPECT_EQ(DetectCode(B({'a', 'b', 0xFF})), CodeAscii);  // the last byte is no lead
  EXPECT_EQ(DetectCode(B({'a', 0xFF, 'b'})), CodeBinary);
}

TEST(DetectCode, JisEscapes) {
  std::string t = "abcdefghi\x1b$@xyz";
  EXPECT_EQ(DetectCode(t), CodeJis78);
  EXPECT_EQ(DetectCode("hello \x1b$Bxx"), CodeJis83);
  EXPECT_EQ(DetectCode("hello \x1b(Jxx"), CodeAscii);
  EXPECT_EQ(DetectCode("abc\x1b$"), CodeAscii);   // escape cut by the end
  EXPECT_EQ(DetectCode("abc\x1b$B"), CodeJis83);  // a taken byte may be the last one
  EXPECT_EQ(DetectCode("abc\x1b$Bx"), CodeJis83);
}

TEST(DetectCode, EucShiftJisAndUndecided) {
  EXPECT_EQ(DetectCode(B({0xA4, 0xA2, 0x0A})), CodeEucOrSjis);
  EXPECT_EQ(DetectCode(B({0xA4, 0xA2, 0xA4, 0xF3, 0x0A})), CodeEuc);
  EXPECT_EQ(DetectCode(B({0x82, 0xA0, 0x0A})), CodeSjis);
  EXPECT_EQ(DetectCode(B({0xB1, 0x41, 0x0A})), CodeSjis);
  EXPECT_EQ(DetectCode(B({0xE0, 0xA1, 0x0A})), CodeEucOrSjis);
  EXPECT_EQ(DetectCode(B({0xF0, 0xA1, 0x0A})), CodeEuc);
  // "ゐの記録" in EUC: A4 F0 decides, as a second byte F0 is EUC's alone.
  EXPECT_EQ(DetectCode(B({0xA4, 0xF0, 0xA4, 0xCE, 0xB5, 0xAD, 0xCF, 0xBF, 0x0A})), CodeEuc);
  // BEL (07) is binary, TAB (09) is not.
  EXPECT_EQ(DetectCode(B({'a', 0x07, 'b'})), CodeBinary);
  EXPECT_EQ(DetectCode(B({'a', 0x09, 'b'})), CodeAscii);
  // Past the first 512 bytes the walk itself finds it.
  EXPECT_EQ(DetectCode(std::string(600, 'a') + "\x07" + "b"), CodeBinary);
  EXPECT_EQ(DetectCode(std::string(600, 'a') + "\x08" + "b"), CodeAscii);
  EXPECT_EQ(DetectCode(B({0x8E, 0xB1, 0x0A})), CodeEucOrSjis);  // EUC half-width kana or SJIS
  EXPECT_EQ(DetectCode(B({0x8E, 0x41, 0x0A})), CodeSjis);
  EXPECT_EQ(DetectCode(B({0xE0, 0x40, 0x0A})), CodeSjis);
  EXPECT_EQ(DetectCode(B({0xE0, 0xFD, 0x0A})), CodeEuc);
  EXPECT_EQ(DetectCode(B({0x80, 0xA0, 0x0A})), CodeAscii);
}

TEST(DetectCode, LookAheadRunAfterAmbiguousPair) {
  // B0 E0: ambiguous pair, then the run decides on a SJIS-only byte.
  EXPECT_EQ(DetectCode(B({0xB0, 0xE0, 0x41, 0x88, 0x0A})), CodeSjis);
  EXPECT_EQ(DetectCode(B({0xB0, 0xE0, 0xC0, 0xFD, 0x0A})), CodeEuc);
  // 8D (and 81) inside the run are Shift_JIS leads EUC never has.
  EXPECT_EQ(DetectCode(B({0xB0, 0xE0, 0x8D, 0x0A})), CodeSjis);
  EXPECT_EQ(DetectCode(B({0xB0, 0xE0, 0x81, 0x0A})), CodeSjis);
  // 0x9D..0x9F do not decide inside the run.
  EXPECT_EQ(DetectCode(B({0xB0, 0xE0, 0x9D, 0x0A})), CodeEucOrSjis);
  // The run ends at a byte below 0x40; the SJIS byte after a blank is a new lead.
  EXPECT_EQ(DetectCode(B({0xB0, 0xE0, 0x20, 0x88, 0x0A})), CodeSjis);
  EXPECT_EQ(DetectCode(B({0xB0, 0xE0, 0x20, 0xA4, 0xA2, 0x0A})), CodeEucOrSjis);
  // A run that reaches the end stays undecided.
  EXPECT_EQ(DetectCode(B({0xB0, 0xE0, 0xC0, 0xC0})), CodeEucOrSjis);
}

TEST(DetectCode, ShortTexts) {
  for (int b = 0; b < 256; ++b) EXPECT_EQ(DetectCode(B({b})), CodeAscii) << b;
  EXPECT_EQ(DetectCode(B({0x82, 0xA0})), CodeSjis);
  EXPECT_EQ(DetectCode(B({0xA4, 0xF3})), CodeEuc);
}

TEST(DetectCode, LabelsAndNames) {
  EXPECT_STREQ(TextCodeLabel(CodeSjis), "ｼﾌﾄJIS");
  EXPECT_STREQ(TextCodeLabel(CodeEucOrSjis), "EUC+ｼﾌﾄJIS");
  EXPECT_STREQ(TextCodeLabel(CodeBinary), "ﾊﾞｲﾅﾘ");
  EXPECT_STREQ(TextCodeLabel(7), "");
  EXPECT_STREQ(TextCodeName(CodeJis78), "CodeJis78");
}

// Random texts against simple consequences of the rules.
TEST(DetectCode, RandomTextsObeyTheRules) {
  std::mt19937 rng(12345);
  for (int round = 0; round < 20000; ++round) {
    size_t n = rng() % 64 + 1;
    std::string s(n, ' ');
    for (auto& c : s) c = static_cast<char>(rng() % 4 == 0 ? (rng() % 256) : (0x20 + rng() % 0x5F));
    TextCode code = DetectCode(s);
    ASSERT_GE(code, CodeAscii);
    ASSERT_LE(code, CodeEucOrSjis);
    bool eightBit = false, escDollar = false, ctl = false;
    for (size_t i = 0; i + 1 < n; ++i) {
      unsigned char c = static_cast<unsigned char>(s[i]);
      if (c >= 0x80) eightBit = true;
      if (c == 0x1B) escDollar = true;
      if (c <= 7 || c == 0xFF) ctl = true;
    }
    if (!eightBit && !escDollar && !ctl) {
      ASSERT_EQ(code, CodeAscii) << s;
    }
    // First decisive evidence wins: whatever follows cannot change it.
    unsigned char last = static_cast<unsigned char>(s.back());
    bool lastIsCtl = last <= 7 || last == 0xFF;  // would become visible to the binary phase
    if (code != CodeAscii && code != CodeEucOrSjis && !lastIsCtl) {
      ASSERT_EQ(DetectCode(s + "\x82\xA0\x1b$B\xA4\xF3"), code);
    }
  }
}

}  // namespace
}  // namespace navirt

#include "codec/CodeConvert.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/codec/CodecTestUtil.h"

namespace navirt {
namespace {

using testutil::B;
using testutil::Hex;
using testutil::RunWithInput;

const std::string kEscKanji = "\x1b$B";
const std::string kEscRoman = "\x1b(J";

TEST(PairArithmetic, WholeTableBothWays) {
  int mappable = 0;
  for (int s1 = 0; s1 < 256; ++s1) {
    for (int s2 = 0; s2 < 256; ++s2) {
      if (!IsMappableSjisPair(s1, s2)) continue;
      ++mappable;
      BytePair j = SjisPairToJis(s1, s2);
      ASSERT_TRUE(IsJisByte(j.first) && IsJisByte(j.second)) << s1 << " " << s2;
      ASSERT_EQ(JisPairToSjis(j.first, j.second), (BytePair{uint8_t(s1), uint8_t(s2)}));
    }
  }
  EXPECT_EQ(mappable, 94 * 94);
  for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
    for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
      BytePair s = JisPairToSjis(j1, j2);
      ASSERT_TRUE(IsMappableSjisPair(s.first, s.second)) << j1 << " " << j2;
    }
  }
  EXPECT_EQ(JisPairToSjis(0x30, 0x21), (BytePair{0x88, 0x9F}));  // 亜
  EXPECT_EQ(JisPairToSjis(0x24, 0x22), (BytePair{0x82, 0xA0}));  // あ
  EXPECT_EQ(SjisPairToJis(0xEA, 0xA4), (BytePair{0x74, 0x26}));  // 熙, the last kanji
}

// Every half-width byte alone and with each mark, against nkf, which maps
// half-width katakana the same way when it writes EUC.
TEST(HalfKana, AgreesWithNkfIncludingVoicedMarks) {
  std::string input;
  std::vector<std::string> expected;
  for (int k = 0xA1; k <= 0xDF; ++k) {
    for (int mark : {0, 0xDE, 0xDF}) {
      std::string s(1, static_cast<char>(k));
      if (mark) s += static_cast<char>(mark);
      input += s + "\n";
      HalfKanaResult r = HalfKanaToJis(s, 0, KanaForm::Sjis);
      std::string euc = B({r.jis.first | 0x80, r.jis.second | 0x80});
      if (r.used < s.size()) {
        HalfKanaResult m = HalfKanaToJis(s, r.used, KanaForm::Sjis);
        euc += B({m.jis.first | 0x80, m.jis.second | 0x80});
      }
      expected.push_back(euc);
    }
  }
  std::string out;
  ASSERT_EQ(RunWithInput("nkf -S -e", input, out), 0);
  std::vector<std::string> got;
  size_t i = 0;
  while (i < out.size()) {
    size_t j = out.find('\n', i);
    got.push_back(out.substr(i, j - i));
    i = j + 1;
  }
  ASSERT_EQ(got.size(), expected.size());
  for (size_t k = 0; k < got.size(); ++k) EXPECT_EQ(Hex(got[k]), Hex(expected[k])) << "case " << k;
}

TEST(HalfKana, EucFormNeedsTheWholeMark) {
  HalfKanaResult r = HalfKanaToJis(B({0x8E, 0xB6, 0x8E, 0xDE}), 0, KanaForm::Euc);
  EXPECT_EQ(r.jis, (BytePair{0x25, 0x2C}));
  EXPECT_EQ(r.used, 4u);
  r = HalfKanaToJis(B({0x8E, 0xB6, 0x8E}), 0, KanaForm::Euc);  // mark cut off
  EXPECT_EQ(r.jis, (BytePair{0x25, 0x2B}));
  EXPECT_EQ(r.used, 2u);
  r = HalfKanaToJis(B({0x8E, 0xB6, 0xDE}), 0, KanaForm::Euc);  // a bare 0xDE is no EUC mark
  EXPECT_EQ(r.used, 2u);
  // No kana at the position: nothing used, nothing read past the text.
  EXPECT_EQ(HalfKanaToJis(B({0x8E}), 0, KanaForm::Euc).used, 0u);
  EXPECT_EQ(HalfKanaToJis(B({0x8E, 0x41}), 0, KanaForm::Euc).used, 0u);
  EXPECT_EQ(HalfKanaToJis("a", 0, KanaForm::Sjis).used, 0u);
  EXPECT_EQ(HalfKanaToJis(B({0xB1}), 1, KanaForm::Sjis).used, 0u);
}

TEST(SjisToJis, EscapesAroundKanjiAndHalfKana) {
  // 漢字abc CR LF
  EXPECT_EQ(SjisToJis("\x8a\xbf\x8e\x9a"
                      "abc\r\n"),
            kEscKanji + "\x34\x41\x3b\x7a" + kEscRoman + "abc\r\n");
  EXPECT_EQ(SjisToJis(B({0xB6, 0xDE})), kEscKanji + B({0x25, 0x2C}));
  EXPECT_EQ(SjisToJis(B({0xCA, 0xDF})), kEscKanji + B({0x25, 0x51}));
  EXPECT_EQ(SjisToJis(B({0xB3, 0xDF})), kEscKanji + B({0x25, 0x26, 0x21, 0x2C}));
  // Kanji mode is left before a line end and stays open at the end.
  EXPECT_EQ(SjisToJis("\x82\xa0\n\x82\xa0"), kEscKanji + "\x24\x22" + kEscRoman + "\n" + kEscKanji + "\x24\x22");
}

TEST(SjisToJis, UnmappableUnitsAreCopiedAndCutUnitsDropped) {
  // A user-defined character (lead 0xF0) is copied whole.
  EXPECT_EQ(SjisToJis(B({0xF0, 0x40, 'a'})), kEscKanji + B({0xF0, 0x40}) + kEscRoman + "a");
  // ... whatever its second byte (7E is "~" alone), up to the last lead FC.
  EXPECT_EQ(SjisToJis(B({0xF0, 0x7E, 'a'})), kEscKanji + B({0xF0, 0x7E}) + kEscRoman + "a");
  EXPECT_EQ(SjisToJis(B({0xFC, 0x40, 'a'})), kEscKanji + B({0xFC, 0x40}) + kEscRoman + "a");
  // A lead byte before a line end is copied alone; the line end still closes.
  EXPECT_EQ(SjisToJis(B({0x82, '\r', '\n'})), kEscKanji + B({0x82}) + kEscRoman + "\r\n");
  // 0x80 and 0xA0 are no lead bytes.
  EXPECT_EQ(SjisToJis(B({0x80, 0xA0})), kEscKanji + B({0x80, 0xA0}));
  // A lead byte at the very end is dropped.
  EXPECT_EQ(SjisToJis(B({'a', 0x82})), "a" + kEscKanji);
  EXPECT_EQ(SjisToEuc(B({'a', 0x82})), "a");
}

TEST(SjisEuc, HalfKanaKeepsItsWidth) {
  EXPECT_EQ(SjisToEuc(B({0xB1})), B({0x8E, 0xB1}));
  EXPECT_EQ(EucToSjis(B({0x8E, 0xB1})), B({0xB1}));
  EXPECT_EQ(SjisToEuc("\x88\x9f"
                      "A"),
            "\xb0\xa1"
            "A");
  EXPECT_EQ(EucToSjis("\xb0\xa1"
                      "A"),
            "\x88\x9f"
            "A");
}

TEST(EucConversions, MalformedUnits) {
  // JIS X 0212 triples cannot be written in the targets: copied whole.
  EXPECT_EQ(EucToSjis(B({0x8F, 0xB0, 0xA1, 'x'})), B({0x8F, 0xB0, 0xA1, 'x'}));
  EXPECT_EQ(EucToJis(B({0x8F, 0xB0, 0xA1, '\n'})), kEscKanji + B({0x8F, 0xB0, 0xA1}) + kEscRoman + "\n");
  // A lead before a 7-bit byte is copied alone.
  EXPECT_EQ(EucToSjis(B({0xB0, 'x'})), B({0xB0, 'x'}));
  EXPECT_EQ(EucToSjis(B({0x8E, 'x'})), B({0x8E, 'x'}));
  // Cut off by the end: dropped.
  EXPECT_EQ(EucToSjis(B({'x', 0xB0})), "x");
  EXPECT_EQ(EucToSjis(B({'x', 0x8F, 0xB0})), "x");
  // 0x80 and 0xFF are copied.
  EXPECT_EQ(EucToSjis(B({0x80, 0xFF})), B({0x80, 0xFF}));
  // EUC half-width kana with a mark merge into one JIS pair.
  EXPECT_EQ(EucToJis(B({0x8E, 0xCA, 0x8E, 0xDF, '\n'})), kEscKanji + B({0x25, 0x51}) + kEscRoman + "\n");
}

TEST(JisDecoders, EscapesAndModes) {
  const std::string jis83 = kEscKanji + "\x30\x21" + kEscRoman + "a\n";
  const std::string jis78 = "\x1b$@\x30\x21\x1b(Ba\n";
  EXPECT_EQ(JisToEuc(jis83),
            "\xb0\xa1"
            "a\n");
  EXPECT_EQ(JisToEuc(jis78), JisToEuc(jis83));
  EXPECT_EQ(JisToSjis(jis83),
            "\x88\x9f"
            "a\n");
  EXPECT_EQ(JisToSjis(jis78),
            "\x88\x9f"
            "a\n");
  // ESC ( I only leaves kanji mode.
  EXPECT_EQ(JisToSjis(kEscKanji + "\x30\x21\x1b(I\x31"),
            "\x88\x9f"
            "\x31");
  // Unknown escapes are swallowed without changing the mode.
  EXPECT_EQ(JisToEuc(kEscKanji + "\x1b"
                                 "xy\x30\x21"),
            "\xb0\xa1");
  // Escape cut off by the end.
  EXPECT_EQ(JisToSjis("ab\x1b$"), "ab");
  // Half a pair at the end is dropped; a broken pair keeps alignment.
  EXPECT_EQ(JisToSjis(kEscKanji + "\x30\x21\x30"), "\x88\x9f");
  EXPECT_EQ(JisToSjis(kEscKanji + "\x30\r\n\x30\x21"), "\x30\r\n\x88\x9f");
  // 8-bit bytes inside kanji mode are copied.
  EXPECT_EQ(JisToSjis(kEscKanji + "\xb0\x30\x21"), "\xb0\x88\x9f");
  EXPECT_EQ(JisToEuc(kEscKanji + "\xb0\x30\x21"), "\xb0\xb0\xa1");
}

// Empty kanji runs (ESC $ B ESC ( B) are valid ISO-2022-JP; the second
// escape must be read as an escape, not as text.
TEST(JisDecoders, BackToBackEscapes) {
  const std::string t = "a" + kEscKanji + "\x1b(Bb" + kEscKanji + kEscKanji + "\x30\x21\x1b(Bc";
  EXPECT_EQ(JisToSjis(t),
            "ab\x88\x9f"
            "c");
  EXPECT_EQ(JisToEuc(t),
            "ab\xb0\xa1"
            "c");
}

TEST(ConvertToCode, DetectsThenConverts) {
  EXPECT_EQ(ConvertToCode("plain ascii\r\n", CodeSjis), "plain ascii\r\n");
  const std::string undecided = B({0xA4, 0xA2, 0x0D, 0x0A});
  EXPECT_EQ(ConvertToCode(undecided, CodeSjis), undecided);
  EXPECT_EQ(ConvertToCode(kEscKanji + "\x30\x21" + kEscRoman + "\r\n", CodeSjis), "\x88\x9f\r\n");
  const std::string euc = "\xa4\xa2\xa4\xf3\r\n";  // あん
  EXPECT_EQ(ConvertToCode(euc, CodeSjis), "\x82\xa0\x82\xf1\r\n");
  EXPECT_EQ(ConvertToCode(euc, CodeEuc), euc);
  EXPECT_EQ(ConvertToCode(euc, CodeJis83), kEscKanji + "\x24\x22\x24\x73" + kEscRoman + "\r\n");
  const std::string sjis = "\x82\xa0\r\n";
  EXPECT_EQ(ConvertToCode(sjis, CodeEuc), "\xa4\xa2\r\n");
  EXPECT_EQ(ConvertToCode(sjis, CodeJis83), kEscKanji + "\x24\x22" + kEscRoman + "\r\n");
  // JIS78 stays JIS78 when JIS is wanted; binary stays as it is.
  const std::string jis78 = "\x1b$@\x30\x21\x1b(J\r\n";
  EXPECT_EQ(ConvertToCode(jis78, CodeJis83), jis78);
  EXPECT_EQ(ConvertToCode(jis78, CodeEuc), "\xb0\xa1\r\n");
  const std::string bin = B({0x82, 0xA0, 0x00, 0x01, 0x02});
  EXPECT_EQ(ConvertToCode(bin, CodeEuc), bin);
  EXPECT_EQ(ConvertToCode(sjis, 99), sjis);
}

TEST(LineEnds, DetectAndConvert) {
  EXPECT_EQ(DetectLineEnd("a\rb\n"), LineEndCr);
  EXPECT_EQ(DetectLineEnd("a\r\nb"), LineEndCrLf);
  EXPECT_EQ(DetectLineEnd("a\nb\r\n"), LineEndLf);
  EXPECT_EQ(DetectLineEnd("ab\r"), LineEndCr);
  EXPECT_EQ(DetectLineEnd("ab"), LineEndNone);
  EXPECT_EQ(ConvertLineEnds("a\rb\n", LineEndCr, LineEndCrLf), "a\r\nb\n");
  EXPECT_EQ(ConvertLineEnds("a\rb\rc\r", LineEndCr, LineEndCrLf), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(ConvertLineEnds("a\r\nb\rc\r\n", LineEndCrLf, LineEndLf), "a\nb\rc\n");
  EXPECT_EQ(ConvertLineEnds("a\r\r\n", LineEndCrLf, LineEndCr), "a\r\r");
  EXPECT_EQ(ConvertLineEnds("a\nb\n", LineEndLf, LineEndCr), "a\rb\r");
  EXPECT_EQ(ConvertLineEnds("a\nb", LineEndNone, LineEndCrLf), "a\nb");
  EXPECT_EQ(ConvertLineEnds("a\nb", LineEndLf, LineEndLf), "a\nb");
  EXPECT_EQ(ConvertLineEnds("", LineEndLf, LineEndCr), "");
  // Only whole sequences are replaced; CR LF stays intact when LF is wanted
  // from CR (its CR is replaced, its LF kept).
  EXPECT_EQ(ConvertLineEnds("a\r\n", LineEndCr, LineEndLf), "a\n\n");
}

// All of JIS X 0208 that the system's tables know, one character a line,
// converted by iconv and by us; they must agree except that we leave kanji
// mode with ESC ( J where iconv writes ESC ( B.
class IconvCrossCheck : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string euc;
    for (int r = 0x21; r <= 0x7E; ++r)
      for (int c = 0x21; c <= 0x7E; ++c) euc += B({r | 0x80, c | 0x80, '\n'});
    // -c drops what the tables lack; those lines come back empty.
    std::string sjis;
    const int rc = RunWithInput("iconv -c -f EUC-JP -t SHIFT_JIS", euc, sjis);
    ASSERT_TRUE(rc == 0 || rc == 1) << rc;  // 1: some were dropped
    std::string e, s;
    size_t i = 0, k = 0;
    while (i < sjis.size()) {
      size_t j = sjis.find('\n', i);
      if (j - i == 2) {
        e += euc.substr(k * 3, 2) + "\n";
        s += sjis.substr(i, 2) + "\n";
      }
      i = j + 1;
      ++k;
    }
    euc_ = new std::string(e + "ASCII text 0123 xyz\n");
    sjis_ = new std::string(s + "ASCII text 0123 xyz\n");
  }
  static void TearDownTestSuite() {
    delete euc_;
    delete sjis_;
  }
  static std::string* euc_;
  static std::string* sjis_;
};
std::string* IconvCrossCheck::euc_ = nullptr;
std::string* IconvCrossCheck::sjis_ = nullptr;

TEST_F(IconvCrossCheck, CoversJisX0208) {
  // JIS X 0208:1990 has 6879 characters.
  EXPECT_GE(sjis_->size() / 3, 6870u);
}

TEST_F(IconvCrossCheck, SjisAndEucBothWays) {
  EXPECT_TRUE(SjisToEuc(*sjis_) == *euc_);
  EXPECT_TRUE(EucToSjis(*euc_) == *sjis_);
}

TEST_F(IconvCrossCheck, ToAndFromJis) {
  std::string jis;
  ASSERT_EQ(RunWithInput("iconv -f SHIFT_JIS -t ISO-2022-JP", *sjis_, jis), 0);
  std::string expected = jis;
  for (size_t p = 0; (p = expected.find("\x1b(B", p)) != std::string::npos; p += 3) expected[p + 2] = 'J';
  EXPECT_TRUE(SjisToJis(*sjis_) == expected);
  EXPECT_TRUE(EucToJis(*euc_) == expected);
  EXPECT_TRUE(JisToSjis(jis) == *sjis_);
  EXPECT_TRUE(JisToEuc(jis) == *euc_);
}

TEST_F(IconvCrossCheck, HalfKanaToEuc) {
  std::string half;
  for (int k = 0xA1; k <= 0xDF; ++k) half += static_cast<char>(k);
  half += "\n";
  std::string euc;
  ASSERT_EQ(RunWithInput("iconv -f SHIFT_JIS -t EUC-JP", half, euc), 0);
  EXPECT_EQ(Hex(SjisToEuc(half)), Hex(euc));
  EXPECT_EQ(Hex(EucToSjis(euc)), Hex(half));
}

// Random texts of JIS X 0208 characters, half-width kana-free, and ASCII.
TEST(RoundTrip, RandomSjisTexts) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 200; ++round) {
    std::string t;
    const int len = rng() % 400;
    for (int i = 0; i < len; ++i) {
      switch (rng() % 4) {
        case 0:
          t += static_cast<char>(0x20 + rng() % 0x5F);
          break;
        case 1:
          t += (rng() % 2) ? "\r\n" : "\n";
          break;
        default: {
          BytePair s = JisPairToSjis(0x21 + rng() % 94, 0x21 + rng() % 94);
          t += static_cast<char>(s.first);
          t += static_cast<char>(s.second);
        }
      }
    }
    ASSERT_EQ(JisToSjis(SjisToJis(t)), t) << Hex(t);
    ASSERT_EQ(EucToSjis(SjisToEuc(t)), t) << Hex(t);
    ASSERT_EQ(JisToEuc(SjisToJis(t)), SjisToEuc(t)) << Hex(t);
  }
}

// Arbitrary bytes: no unit is lost except one cut off at the very end, and
// the decoders never grow the text.
TEST(Robustness, ArbitraryBytesKeepTheirLength) {
  std::mt19937 rng(99);
  for (int round = 0; round < 500; ++round) {
    std::string t;
    const int len = rng() % 64;
    for (int i = 0; i < len; ++i) t += static_cast<char>(rng() % 256);
    EXPECT_LE(EucToSjis(t).size(), t.size());
    EXPECT_LE(JisToSjis(t).size(), t.size());
    EXPECT_LE(JisToEuc(t).size(), t.size());
    EXPECT_GE(SjisToEuc(t).size() + 1, t.size());
  }
}

}  // namespace
}  // namespace navirt

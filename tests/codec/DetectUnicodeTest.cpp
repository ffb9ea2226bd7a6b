// UTF-8 and UTF-16 recognition ahead of DetectCode, and the validator.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec/CodeConvert.h"
#include "codec/DetectCode.h"
#include "codec/DetectUnicode.h"
#include "codec/UnicodeConvert.h"
#include "platform/Cp932.h"
#include "tests/codec/CodecTestUtil.h"

namespace navirt {
namespace {

using testutil::B;

std::string Prose() { return testutil::ReadAll(NAVIRT_SOURCE_DIR "/bench/codec_prose.txt"); }

TEST(DetectUnicode, MarksDecideAlone) {
  EXPECT_EQ(DetectUnicode(B({0xEF, 0xBB, 0xBF}) + "abc"), UnicodeCode::Utf8Bom);
  EXPECT_EQ(DetectUnicode(B({0xFF, 0xFE, 'a', 0})), UnicodeCode::Utf16Le);
  EXPECT_EQ(DetectUnicode(B({0xFE, 0xFF, 0, 'a'})), UnicodeCode::Utf16Be);
  // A mark followed by nothing is still that code: the file is an empty text.
  EXPECT_EQ(DetectUnicode(B({0xEF, 0xBB, 0xBF})), UnicodeCode::Utf8Bom);
  EXPECT_EQ(DetectUnicode(B({0xFF, 0xFE})), UnicodeCode::Utf16Le);
  EXPECT_EQ(DetectUnicode(B({0xFE, 0xFF})), UnicodeCode::Utf16Be);
  // Half a mark is not one.
  EXPECT_EQ(DetectUnicode(B({0xEF, 0xBB})), UnicodeCode::None);
  EXPECT_EQ(DetectUnicode(B({0xFF})), UnicodeCode::None);
}

TEST(DetectUnicode, Utf8WithoutMark) {
  EXPECT_EQ(DetectUnicode("日本語のテキスト\n"), UnicodeCode::Utf8);
  EXPECT_EQ(DetectUnicode(Prose()), UnicodeCode::Utf8);
  // ASCII only stays DetectCode's answer.
  EXPECT_EQ(DetectUnicode("plain text\r\n"), UnicodeCode::None);
  EXPECT_EQ(DetectUnicode(""), UnicodeCode::None);
  // Malformed, overlong, surrogate and too large forms.
  EXPECT_EQ(DetectUnicode("ab" + B({0xE3, 0x81})), UnicodeCode::None);
  EXPECT_EQ(DetectUnicode("ab" + B({0xC0, 0xAF})), UnicodeCode::None);
  EXPECT_EQ(DetectUnicode("ab" + B({0xED, 0xA0, 0x80})), UnicodeCode::None);
  EXPECT_EQ(DetectUnicode("ab" + B({0xF4, 0x90, 0x80, 0x80})), UnicodeCode::None);
  // A zero byte makes it no text, whatever else it holds.
  EXPECT_EQ(DetectUnicode(std::string("日本\0語", 10)), UnicodeCode::None);
}

TEST(DetectUnicode, JudgedOnTheWholeText) {
  std::string text;
  while (text.size() < kUnicodeWindow + 1000) text += "あいうえお\n";
  // A long sample may end inside a character: it counts as whole.
  for (size_t cut = 1; cut < 3; ++cut) {
    EXPECT_EQ(DetectUnicode(text + std::string("あ").substr(0, cut)), UnicodeCode::Utf8) << cut;
  }
  // Shift_JIS after 64 KiB of UTF-8 makes it no UTF-8 (grep --auto read
  // the Shift_JIS line as UTF-8 and missed it).
  std::string late = text + B({0x82, 0xA0, 0x82, 0xA2}) + "\n";
  EXPECT_EQ(DetectUnicode(late), UnicodeCode::None);
  std::string early = B({0x82, 0xA0}) + text;
  EXPECT_EQ(DetectUnicode(early), UnicodeCode::None);
  // Multi-byte characters only after 64 KiB of ASCII: UTF-8.
  std::string ascii(kUnicodeWindow, 'a');
  EXPECT_EQ(DetectUnicode(ascii + "日本"), UnicodeCode::Utf8);
}

// Short EUC words that are well-formed UTF-8 of rare letters are EUC; UTF-8
// that is clearly more likely stays UTF-8.
TEST(DetectUnicode, ShortEucWordsAreNotUtf8) {
  for (const char* word : {"労働", "同名", "半分"}) {
    const std::string euc = SjisToEuc(Utf8ToCp932(word));
    EXPECT_TRUE(IsWellFormedUtf8(euc)) << word;
    EXPECT_EQ(DetectUnicode(euc), UnicodeCode::None) << word;
    EXPECT_EQ(AutoToUtf8(euc), word);
  }
  for (const char* utf8 : {"café", "naïve", "Ελληνικά", "Привет", "労働", "ĳssel", "日本"})
    EXPECT_EQ(DetectUnicode(utf8), UnicodeCode::Utf8) << utf8;
}

TEST(DetectUnicode, LabelsAndTheInformationLine) {
  EXPECT_STREQ(UnicodeCodeLabel(UnicodeCode::Utf8), "UTF-8");
  EXPECT_STREQ(UnicodeCodeLabel(UnicodeCode::Utf8Bom), "UTF-8(BOM)");
  EXPECT_STREQ(UnicodeCodeLabel(UnicodeCode::Utf16Le), "UTF-16LE");
  EXPECT_STREQ(UnicodeCodeLabel(UnicodeCode::Utf16Be), "UTF-16BE");
  EXPECT_STREQ(UnicodeCodeLabel(UnicodeCode::None), "");
  EXPECT_EQ(FileCodeLabel("テスト"), "UTF-8");
  EXPECT_EQ(FileCodeLabel(B({0xFF, 0xFE, 'a', 0})), "UTF-16LE");
  // Everything else is DetectCode's label, which a UTF-8 text does not move.
  EXPECT_EQ(FileCodeLabel("abc"), "ASCII");
  EXPECT_EQ(FileCodeLabel(B({0x82, 0xA0})), "ｼﾌﾄJIS");
  EXPECT_EQ(FileCodeLabel(B({0xA4, 0xA2, 0xA4, 0xF3})), "EUC");
  EXPECT_EQ(FileCodeLabel(""), "");
  EXPECT_EQ(DetectCode("テスト"), CodeSjis);  // DetectCode itself is as it was
}

// The vectorised validator against the byte-at-a-time one, on texts that
// put every kind of error at every offset of a 64-byte block.
TEST(Utf8Validation, FastAgreesWithReference) {
  const std::string pieces[] = {"a",
                                "é",
                                "あ",
                                "😀",
                                B({0x80}),
                                B({0xC0, 0x80}),
                                B({0xC2}),
                                B({0xE0, 0x80, 0x80}),
                                B({0xE0, 0xA0}),
                                B({0xED, 0xA0, 0x80}),
                                B({0xED, 0x9F, 0xBF}),
                                B({0xF0, 0x8F, 0xBF, 0xBF}),
                                B({0xF4, 0x90, 0x80, 0x80}),
                                B({0xF4, 0x8F, 0xBF, 0xBF}),
                                B({0xF5, 0x80, 0x80, 0x80}),
                                B({0xFF}),
                                B({0xF0, 0x90, 0x80})};
  for (const std::string& p : pieces) {
    for (size_t at = 0; at < 70; ++at) {
      std::string t = std::string(at, 'x') + p + std::string(80, 'y');
      std::string t2 = std::string(at, 'x') + p;  // at the very end
      std::string t3 = std::string(at / 3, 'x') + "日本語日本語日本語日本語" + p + "語";
      for (const std::string& s : {t, t2, t3})
        ASSERT_EQ(IsWellFormedUtf8(s), IsWellFormedUtf8Scalar(s)) << testutil::Hex(p) << " at " << at;
    }
  }
  std::mt19937 rng(16);
  const std::string prose = Prose();
  for (int round = 0; round < 3000; ++round) {
    std::string s = prose.substr(rng() % 200, 40 + rng() % 400);
    if (round % 2) s[rng() % s.size()] = static_cast<char>(rng());
    ASSERT_EQ(IsWellFormedUtf8(s), IsWellFormedUtf8Scalar(s)) << round;
  }
  EXPECT_TRUE(IsWellFormedUtf8(prose));
}

// Shift_JIS and EUC-JP text is not taken for UTF-8: slices of the prose,
// cut anywhere, in both codes. The rate must be zero.
TEST(DetectUnicode, NoFalsePositivesOnShiftJisAndEuc) {
  std::string prose;
  while (prose.size() < 64 * 1024) prose += Prose();
  const std::string sjis = Utf8ToSjis(prose);
  const std::string euc = ConvertToCode(sjis, CodeEuc);
  ASSERT_GT(sjis.size(), 40000u);
  ASSERT_EQ(DetectCode(euc), CodeEuc);
  std::mt19937 rng(2026);
  int wrong = 0, tried = 0;
  for (const std::string* text : {&sjis, &euc}) {
    for (int k = 0; k < 2000; ++k) {
      const size_t len = 64 + rng() % (4096 - 64 + 1);
      const size_t at = rng() % (text->size() - len);
      const std::string_view slice = std::string_view(*text).substr(at, len);
      ++tried;
      if (DetectUnicode(slice) != UnicodeCode::None) ++wrong;
    }
  }
  EXPECT_EQ(tried, 4000);
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace navirt

// EUC-JP and JIS files in the pane: readable Shift_JIS, written back in the
// file's code, untouched lines byte for byte.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec/CodeConvert.h"
#include "codec/JapanesePane.h"
#include "codec/UnicodePane.h"
#include "platform/Cp932.h"
#include "tests/SjisText.h"
#include "tests/codec/CodecTestUtil.h"

namespace navirt {
namespace {

using testutil::Hex;

// The pane text with its line `index` (lines end in LF) replaced.
std::string WithLine(const std::string& pane, size_t index, const std::string& line) {
  size_t at = 0;
  for (size_t i = 0; i < index; ++i) at = pane.find('\n', at) + 1;
  size_t end = pane.find('\n', at);
  return pane.substr(0, at) + line + pane.substr(end);
}

// Random bytes drawn from an alphabet that makes the decoders' cases.
std::string Noise(std::mt19937& rng, const std::string& alphabet, size_t n) {
  std::string s;
  std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
  for (size_t i = 0; i < n; ++i) s += alphabet[pick(rng)];
  return s;
}

TEST(JapanesePaneTest, EucIsShownAsShiftJisAndWrittenBackExactly) {
  const std::string sjis = S("日本語のテキスト\nｶﾀｶﾅと①\nplain ascii\n");
  const std::string euc =
      SjisToEuc(S("日本語のテキスト\n")) + "\x8E\xB6\x8E\xC0\x8E\xB6\x8E\xC5" + SjisToEuc(S("と①\nplain ascii\n"));
  PaneLoad load = LoadFileForPane(euc);
  ASSERT_TRUE(load.unicode);
  EXPECT_EQ(load.unicode->Label(), "EUC");
  EXPECT_EQ(Hex(load.text), Hex(sjis));
  EXPECT_EQ(Hex(load.unicode->Encode(load.text)), Hex(euc));

  // A JIS X 0212 triple and stray bytes are kept as codes of their own.
  const std::string odd = euc + "\x8F\xB0\xA1 \xFF\x80\xA1" + "x";
  TUnicodePane p = TUnicodePane::ForJapanese(CodeEuc);
  EXPECT_EQ(Hex(p.Encode(p.Decode(odd))), Hex(odd));

  // An edited line is written in EUC, the others as they were.
  const std::string edited = WithLine(load.text, 2, S("新しい行"));
  EXPECT_EQ(
      Hex(load.unicode->Encode(edited)),
      Hex(SjisToEuc(S("日本語のテキスト\n")) + "\x8E\xB6\x8E\xC0\x8E\xB6\x8E\xC5" + SjisToEuc(S("と①\n新しい行\n"))));
}

TEST(JapanesePaneTest, AnyBytesComeBackUnchanged) {
  std::mt19937 rng(29);
  const std::string euc = std::string("\x8E\x8F\xA1\xB0\xDF\xE0\xFE\xFF\x80\xA0\x41\r\n", 13);
  const std::string jis = std::string("\x1B$(BJI@D&\x0E\x0F\x21\x30\x5F\x7E\r\n\xA1\xB6\x80\xFF", 21);
  for (int round = 0; round < 3000; ++round) {
    const std::string e = Noise(rng, euc, round % 40);
    TUnicodePane pe = TUnicodePane::ForJapanese(CodeEuc);
    ASSERT_EQ(Hex(pe.Encode(pe.Decode(e))), Hex(e));
    const std::string j = Noise(rng, jis, round % 60);
    TUnicodePane pj = TUnicodePane::ForJapanese(round % 2 ? CodeJis83 : CodeJis78);
    ASSERT_EQ(Hex(pj.Encode(pj.Decode(j))), Hex(j));
  }
}

TEST(JapanesePaneTest, JisKeepsItsEscapesAndEncodesEditedLinesAfresh) {
  // JIS78 kanji, Roman, kana by escape and by SO/SI, a line left in kanji
  // mode without a reset, and no reset at the very end.
  const std::string file = std::string("\x1B$@\x46\x7C\x4B\x5C\x1B(J abc\r\n") + "\x1B(I\x36\x40\x1B(B \x0E\x36\x0F\n" +
                           "\x1B$B\x30\x21\n\x30\x22\x1B(B end\n" + "\x1B$B\x30\x23";
  PaneLoad load = LoadFileForPane(file);
  ASSERT_TRUE(load.unicode);
  EXPECT_EQ(load.unicode->Label(), "JIS78");
  EXPECT_EQ(Hex(load.text), Hex(S("日本 abc\r\nｶﾀ ｶ\n亜\n唖 end\n娃")));
  EXPECT_EQ(Hex(load.unicode->Encode(load.text)), Hex(file));

  // The line before the one that goes on in kanji mode is changed: that
  // line gets its escape back, the others stay as stored. The new line
  // returns to one-byte mode the way the file first did (ESC ( J).
  const std::string edited = WithLine(load.text, 2, S("新ｶﾅ"));
  const std::string out = load.unicode->Encode(edited);
  EXPECT_EQ(Hex(out), Hex(std::string("\x1B$@\x46\x7C\x4B\x5C\x1B(J abc\r\n") + "\x1B(I\x36\x40\x1B(B \x0E\x36\x0F\n" +
                          "\x1B$@\x3F\x37\x1B(I\x36\x45\x1B(J\n" + "\x1B$B\x30\x22\x1B(B end\n" + "\x1B$B\x30\x23"));
  EXPECT_EQ(Hex(LoadFileForPane(out).text), Hex(edited));

  // Sorted lines keep their stored bytes; a JIS83 file writes ESC $ B.
  PaneLoad j83 = LoadFileForPane(SjisToJis(S("漢字一\r\n漢字二\r\n")));
  ASSERT_TRUE(j83.unicode);
  EXPECT_EQ(j83.unicode->Label(), "JIS83");
  EXPECT_EQ(Hex(j83.unicode->Encode(S("漢字二\r\n漢字一\r\n"))), Hex(SjisToJis(S("漢字二\r\n漢字一\r\n"))));
  EXPECT_EQ(Hex(j83.unicode->Encode(S("漢字三\r\n"))), Hex(SjisToJis(S("漢字三\r\n"))));
}

TEST(JapanesePaneTest, OtherFilesAreLeftToTheShiftJisPane) {
  EXPECT_FALSE(LoadFileForPane(S("シフトJISのテキスト\r\n")).unicode);
  EXPECT_FALSE(LoadFileForPane("ascii only\n").unicode);
  // Conversion output is shown as it is: only files get the mapping.
  EXPECT_FALSE(LoadForPane(SjisToEuc(S("日本語\n"))).unicode);
  PaneLoad u8 = LoadFileForPane("\xE6\x97\xA5\xE6\x9C\xAC\n");
  ASSERT_TRUE(u8.unicode);
  EXPECT_EQ(u8.unicode->Label(), "UTF-8");
}

}  // namespace
}  // namespace navirt

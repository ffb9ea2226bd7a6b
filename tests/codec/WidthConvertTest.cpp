#include "codec/WidthConvert.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "codec/CodeConvert.h"
#include "platform/Cp932.h"
#include "tests/SjisText.h"
#include "tests/codec/CodecTestUtil.h"

namespace navirt {
namespace {

using testutil::Hex;
using testutil::RunWithInput;

const char* kHalfSymbolsUtf8 = " !\"#$%&'()=`|-^\\~{@[+*};:]<>?_､｡･,./ｰ｢｣";
const char* kFullSymbolsUtf8 = "　！”＃＄％＆’（）＝‘｜－＾￥￣｛＠［＋＊｝；：］＜＞？＿、。・，．／ー「」";

TEST(HalfToFull, KanaMarksLettersAndSymbols) {
  EXPECT_EQ(U(HalfToFullWidth(S("ｶﾞ"))), "ガ");
  EXPECT_EQ(U(HalfToFullWidth(S("ﾊﾟ"))), "パ");
  EXPECT_EQ(U(HalfToFullWidth(S("ｶﾟ"))), "カ゜");
  EXPECT_EQ(U(HalfToFullWidth(S("ｳﾞ"))), "ウ゛");
  EXPECT_EQ(U(HalfToFullWidth(S("ﾄﾞﾞ"))), "ドﾞ");   // the second mark follows no kana
  EXPECT_EQ(U(HalfToFullWidth(S("ﾞxﾟ"))), "ﾞｘﾟ");  // lone marks stay
  EXPECT_EQ(U(HalfToFullWidth("A1")), "Ａ１");
  EXPECT_EQ(U(HalfToFullWidth("Zz09")), "Ｚｚ０９");
  EXPECT_EQ(U(HalfToFullWidth(S(kHalfSymbolsUtf8))), kFullSymbolsUtf8);
  EXPECT_EQ(U(HalfToFullWidth(S("ｦｧｯｰﾝ"))), "ヲァッーン");
  // Two-byte characters are never split: the trail of ア is 'A'.
  EXPECT_EQ(U(HalfToFullWidth(S("ア漢\\"))), "ア漢￥");
  // Control bytes and line ends stay.
  EXPECT_EQ(HalfToFullWidth("\t\r\n"), "\t\r\n");
}

TEST(FullToHalf, KanaLettersAndSymbols) {
  EXPECT_EQ(U(FullToHalfWidth(S("がっこう"))), "ｶﾞｯｺｳ");
  EXPECT_EQ(U(FullToHalfWidth(S("ヴ"))), "ｳﾞ");
  EXPECT_EQ(U(FullToHalfWidth(S("ＡＢＣ"))), "ABC");
  EXPECT_EQ(FullToHalfWidth(S("￥")), "\\");
  EXPECT_EQ(U(FullToHalfWidth(S(kFullSymbolsUtf8))), kHalfSymbolsUtf8);
  EXPECT_EQ(U(FullToHalfWidth(S("ゎヮゐヰゑヱヵヶぱ"))), "ﾜﾜｲｲｴｴｶｹﾊﾟ");
  EXPECT_EQ(U(FullToHalfWidth(S("ぁぃぅぇぉっゃゅょ"))), "ｧｨｩｪｫｯｬｭｮ");
  // Kanji, Greek and other symbols stay.
  EXPECT_EQ(U(FullToHalfWidth(S("漢字αЖ※゛"))), "漢字αЖ※゛");
}

// Every kana with a half-width form of its own converts the way nkf -Z4
// does; the approximated ones (ヮヰヱヵヶ) differ by design.
TEST(FullToHalf, KatakanaAgreesWithNkf) {
  std::string lines;
  std::set<int> approximated = {0x6E, 0x70, 0x71, 0x75, 0x76};
  for (int cell = 0x21; cell <= 0x76; ++cell) {
    if (approximated.count(cell)) continue;
    BytePair s = JisPairToSjis(0x25, cell);
    lines += static_cast<char>(s.first);
    lines += static_cast<char>(s.second);
    lines += '\n';
  }
  std::string nkf;
  ASSERT_EQ(RunWithInput("nkf -S -s -x -Z4", lines, nkf), 0);
  EXPECT_EQ(Hex(FullToHalfWidth(lines)), Hex(nkf));
  // Hiragana give the same half-width forms as katakana.
  for (int cell = 0x21; cell <= 0x73; ++cell) {
    BytePair h = JisPairToSjis(0x24, cell), k = JisPairToSjis(0x25, cell);
    std::string hs{char(h.first), char(h.second)}, ks{char(k.first), char(k.second)};
    EXPECT_EQ(FullToHalfWidth(hs), FullToHalfWidth(ks)) << cell;
  }
}

TEST(WidthRoundTrip, HalfKanaBackAndForth) {
  for (int k = 0xA1; k <= 0xDF; ++k) {
    std::string one(1, static_cast<char>(k));
    EXPECT_EQ(FullToHalfWidth(HalfToFullWidth(one)), one) << k;
    // Kana that take the mark come back with it.
    const bool voiced = (k >= 0xB6 && k <= 0xC4) || (k >= 0xCA && k <= 0xCE);
    if (voiced) {
      EXPECT_EQ(FullToHalfWidth(HalfToFullWidth(one + "\xDE")), one + "\xDE") << k;
    }
    if (k >= 0xCA && k <= 0xCE) {
      EXPECT_EQ(FullToHalfWidth(HalfToFullWidth(one + "\xDF")), one + "\xDF") << k;
    }
  }
}

TEST(HalfKanaOnly, EveryByteAloneMarksUnmerged) {
  EXPECT_EQ(U(HalfKanaToFullKana(S("ｶﾞ"))), "カ゛");
  EXPECT_EQ(HalfKanaToFullKana("ABC"), "ABC");
  EXPECT_EQ(U(HalfKanaToFullKana(S("｡｢｣､･ｰﾞﾟ"))), "。「」、・ー゛゜");
  EXPECT_EQ(U(HalfKanaToFullKana(S("A漢ｱ1"))), "A漢ア1");
  std::string all;
  for (int k = 0xA1; k <= 0xDF; ++k) all += static_cast<char>(k);
  const std::string full = HalfKanaToFullKana(all);
  ASSERT_EQ(full.size(), 2 * all.size());
  for (size_t i = 0; i < full.size(); i += 2) EXPECT_TRUE(IsSjisLead(static_cast<uint8_t>(full[i]))) << i;
  // Agrees with the full conversion wherever no mark is involved.
  EXPECT_EQ(HalfKanaToFullKana(S("ｱｲｳ｢ｰ｣")), HalfToFullWidth(S("ｱｲｳ｢ｰ｣")));
}

TEST(WideSpace, EachIdeographicSpaceBecomesTwoBlanks) {
  const std::string t = S("漢　字\r\n　") + "\x81\x81\x40";  // ＝ then '@'
  const std::string r = WideSpaceToBlanks(t);
  EXPECT_EQ(r.size(), t.size());
  EXPECT_EQ(r, S("漢  字\r\n  ") + "\x81\x81\x40");
  EXPECT_EQ(WideSpaceToBlanks(""), "");
}

}  // namespace
}  // namespace navirt

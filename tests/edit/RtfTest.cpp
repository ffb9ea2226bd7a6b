#include <gtest/gtest.h>

#include "edit/Rtf.h"

namespace navirt {
namespace {

TEST(Rtf, ReadsFontsSizesStylesColoursAndParagraphs) {
  const char* src =
      "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 Gothic;}"
      "{\\f1\\fswiss Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}"
      "{\\*\\generator hidden}{\\info{\\title no}}"
      "\\pard\\f1\\fs28 Hello \\b bold\\b0  \\i it\\i0\\par\n"
      "\\cf1\\ul red \\'82\\'a0\\ulnone\\line \\u12356?x\\uc2\\u12358\\'82\\'a4 \\{\\}\\\\\\tab end}";
  RtfDocument d = ReadRtf(src);
  ASSERT_EQ(d.paragraphs.size(), 3u);
  const auto& p0 = d.paragraphs[0];
  ASSERT_EQ(p0.size(), 4u);
  EXPECT_EQ(p0[0].text, "Hello ");
  EXPECT_EQ(p0[0].font, "Arial");
  EXPECT_EQ(p0[0].halfPoints, 28);
  EXPECT_TRUE(p0[1].bold);
  EXPECT_EQ(p0[1].text, "bold");
  EXPECT_EQ(p0[2].text, " ");
  EXPECT_TRUE(p0[3].italic);
  const auto& p1 = d.paragraphs[1];
  ASSERT_FALSE(p1.empty());
  EXPECT_TRUE(p1[0].hasColor);
  EXPECT_EQ(p1[0].color, 0xFF0000u);
  EXPECT_TRUE(p1[0].underline);
  EXPECT_EQ(p1[0].text, "red \x82\xa0");
  // \u12356 is い (82 A2) with a one-character fallback; then \uc2 う.
  EXPECT_EQ(d.paragraphs[2].front().text.substr(0, 3), "\x82\xa2x");
  EXPECT_EQ(d.PlainText(), "Hello bold it\r\nred \x82\xa0\r\n\x82\xa2x\x82\xa4 {}\\\tend");
}

TEST(Rtf, BrokenInputGivesWhatCouldBeRead) {
  EXPECT_EQ(ReadRtf("{\\rtf1 abc").PlainText(), "abc");
  EXPECT_EQ(ReadRtf("{\\rtf1 \\'8").PlainText(), "8");  // a cut escape is dropped
  EXPECT_EQ(ReadRtf("}}}{{{").PlainText(), "");
  std::string deep(10000, '{');
  EXPECT_EQ(ReadRtf(deep + "x").PlainText(), "");  // beyond the nesting limit nothing shows
  EXPECT_TRUE(LooksLikeRtf("{\\rtf1"));
  EXPECT_FALSE(LooksLikeRtf("{\\rt"));
}

TEST(Rtf, WriterRoundTripsThroughTheReader) {
  RtfDocument d;
  RtfRun a;
  a.text = "plain {braces} \\ and \x82\xa0\x82\xa2 \xb1\xb2 \x87\x90\xed\x40\t";
  RtfRun b;
  b.text = "bold red";
  b.bold = true;
  b.hasColor = true;
  b.color = 0x123456;
  b.font = "\x82\x6c\x82\x72 \x96\xbe\x92\xa9";
  b.halfPoints = 36;
  RtfRun c;
  c.text = "under italic";
  c.underline = c.italic = true;
  c.font = "Noto Sans";
  d.paragraphs = {{a, b}, {}, {c}};
  std::string rtf = WriteRtf(d, "Default Font", 20);
  EXPECT_TRUE(LooksLikeRtf(rtf));
  EXPECT_NE(rtf.find("\\ansicpg932"), std::string::npos);
  EXPECT_NE(rtf.find("\\u12354\\'82\\'a0"), std::string::npos);
  RtfDocument back = ReadRtf(rtf);
  ASSERT_EQ(back.paragraphs.size(), 3u);
  ASSERT_EQ(back.paragraphs[0].size(), 2u);
  EXPECT_EQ(back.paragraphs[0][0].text, a.text);
  EXPECT_EQ(back.paragraphs[0][0].font, "Default Font");
  EXPECT_EQ(back.paragraphs[0][0].halfPoints, 20);
  const RtfRun& rb = back.paragraphs[0][1];
  EXPECT_EQ(rb.text, b.text);
  EXPECT_TRUE(rb.bold);
  EXPECT_EQ(rb.color, 0x123456u);
  EXPECT_EQ(rb.font, b.font);
  EXPECT_EQ(rb.halfPoints, 36);
  EXPECT_TRUE(back.paragraphs[1].empty());
  EXPECT_TRUE(back.paragraphs[2][0].underline);
  EXPECT_TRUE(back.paragraphs[2][0].italic);
  EXPECT_FALSE(back.paragraphs[2][0].bold);
  EXPECT_EQ(back.PlainText(), d.PlainText());
}

}  // namespace
}  // namespace navirt

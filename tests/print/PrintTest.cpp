#include <gtest/gtest.h>

#include "print/PageLayout.h"
#include "print/PageRect.h"
#include "print/PaperNames.h"
#include "print/PrintSettings.h"
#include "settings/IniFile.h"

namespace navirt {
namespace {

// A4 at 600 dpi with a printer that cannot print 100 dots at the left and
// 120 at the top, 80 at the right and 90 at the bottom.
PrinterMetrics A4At600() {
  PrinterMetrics m;
  m.dpiX = m.dpiY = 600;
  m.paperWidth = 4961;
  m.paperHeight = 7016;
  m.offsetX = 100;
  m.offsetY = 120;
  m.width = m.paperWidth - 100 - 80;
  m.height = m.paperHeight - 120 - 90;
  return m;
}

TEST(PageRect, TwentyMillimetresAt600DpiAndOffset100Give372) {
  PrinterMetrics m = A4At600();
  Margins mm;
  mm.left = 20;
  EXPECT_EQ(ComputePageRect(m, mm).left, 372);  // 472.44 - 100
  // The constant is 25.39999, not 25.4: 254 mm at 100 dpi is a hair over 1000 dots.
  EXPECT_EQ(MmToDots(254, 100), 1000);
  EXPECT_EQ(MmToDots(25.39999 * 2.5 / 100, 100), 2);  // a tie goes to the even one
  EXPECT_EQ(RoundToEven(2.5), 2);
  EXPECT_EQ(RoundToEven(3.5), 4);
  EXPECT_EQ(RoundToEven(-0.5), 0);
}

TEST(PageRect, AllZeroMarginsReachThePaperEdges) {
  PrinterMetrics m = A4At600();
  PageRect r = ComputePageRect(m, Margins{});
  EXPECT_EQ(r, (PageRect{0, 0, m.width + m.RightStrip(), m.height + m.BottomStrip()}));
  EXPECT_EQ(m.RightStrip(), 80);
  EXPECT_EQ(m.BottomStrip(), 90);
}

TEST(PageRect, MarginsBeyondThePaperFallBackToTheWholeArea) {
  PrinterMetrics m = A4At600();
  Margins mm;
  mm.right = 9999;
  mm.bottom = 9999;
  mm.top = 10;
  PageRect r = ComputePageRect(m, mm);
  EXPECT_EQ(r.right, m.width);
  EXPECT_EQ(r.bottom, m.height);
  EXPECT_EQ(r.top, 236 - 120);  // 10 mm = 236.22 dots
  // A printer without a resolution divides nothing by zero.
  PrinterMetrics none;
  none.width = none.paperWidth = 50;
  none.height = none.paperHeight = 70;
  EXPECT_EQ(ComputePageRect(none, mm), (PageRect{0, 0, 50, 70}));
}

TEST(PageRect, StoredValuesThatAreNoNumbersCountAsZero) {
  EXPECT_EQ(MarginValue("15"), 15);
  EXPECT_EQ(MarginValue(" 7 "), 7);
  EXPECT_EQ(MarginValue(""), 0);
  EXPECT_EQ(MarginValue("1O"), 0);
  EXPECT_EQ(MarginValue("-5"), 0);
  EXPECT_EQ(MarginValue("99999999999999999999"), 0);
  TIniFile ini;
  ini.Parse("[Print]\nYohaku_T=abc\nYohaku_L=20\n");
  Margins m = StoredMargins(ini);
  EXPECT_EQ(m.top, 0);
  EXPECT_EQ(m.left, 20);
  EXPECT_EQ(StoredPageRect(ini, A4At600()).left, 372);
}

TEST(PrintSettings, OpeningRaisesZeroFieldsToTheirMinimaAndShowsRanges) {
  TIniFile ini;
  TPrintSettingsModel d;
  d.Open(ini, A4At600(), 9, 96);
  // 100 dots at 600 dpi = 4.23 mm; 120 dots = 5.08 mm; 80 = 3.39; 90 = 3.81.
  EXPECT_EQ(d.Field(mfLeft), "4");
  EXPECT_EQ(d.Field(mfTop), "5");
  EXPECT_EQ(d.Field(mfRight), "3");
  EXPECT_EQ(d.Field(mfBottom), "4");
  EXPECT_EQ(d.RangeText(mfLeft), "4-207");
  EXPECT_EQ(d.RangeText(mfRight), "3-202");
  EXPECT_EQ(d.PaperText(), "A4 210x297");
  EXPECT_EQ(d.Rect(), ComputePageRect(A4At600(), d.FieldMargins()));
}

TEST(PrintSettings, AValueAboveItsMaximumIsResetToTheMinimum) {
  TIniFile ini;
  ini.Parse("[Print]\nYohaku_T=9999\nYohaku_L=20\nYohaku_R=15\nYohaku_B=1\n");
  TPrintSettingsModel d;
  d.Open(ini, A4At600(), std::nullopt, 96);
  EXPECT_EQ(d.Field(mfTop), "5");  // not 297
  EXPECT_EQ(d.Field(mfLeft), "20");
  EXPECT_EQ(d.Field(mfRight), "15");
  EXPECT_EQ(d.Field(mfBottom), "4");  // below the minimum
  ASSERT_TRUE(d.SetField(mfRight, "500"));
  std::vector<MarginField> changed = d.ApplyRanges();
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(changed[0], mfRight);
  EXPECT_EQ(d.Field(mfRight), "3");
  EXPECT_TRUE(d.ApplyRanges().empty());
}

TEST(PrintSettings, EmptyAndNonNumericFieldsChangeNothingBad) {
  TIniFile ini;
  TPrintSettingsModel d;
  d.Open(ini, A4At600(), 9, 96);
  ASSERT_TRUE(d.SetField(mfLeft, "25"));
  std::string msg;
  EXPECT_FALSE(d.SetField(mfLeft, "2x", &msg));
  EXPECT_FALSE(msg.empty());
  EXPECT_FALSE(d.SetField(mfLeft, "12345"));
  EXPECT_FALSE(d.SetField(mfLeft, "-1"));
  EXPECT_EQ(d.Field(mfLeft), "25");
  EXPECT_TRUE(d.SetField(mfLeft, ""));
  EXPECT_EQ(d.Field(mfLeft), "0");
  // A stored value that is not a number opens as the minimum.
  ini.Parse("[Print]\nYohaku_L=twenty\nYohaku_T= 12 \n");
  d.Open(ini, A4At600(), 9, 96);
  EXPECT_EQ(d.Field(mfLeft), "4");
  EXPECT_EQ(d.Field(mfTop), "12");  // the same number the print job reads
  EXPECT_EQ(StoredMargins(ini).top, 12);
}

TEST(PrintSettings, OkStoresTheRangedTextsAndCancelStoresNothing) {
  TIniFile ini;
  ini.Parse("[Print]\nYohaku_L=20\n");
  TPrintSettingsModel d;
  d.Open(ini, A4At600(), 9, 96);
  d.SetField(mfTop, "8000");
  // Cancel: the model was edited but nothing was accepted.
  EXPECT_EQ(ini.ReadString("Print", "Yohaku_T", "none"), "none");
  PageRect r = d.Accept(ini);
  EXPECT_EQ(ini.ReadString("Print", "Yohaku_T", ""), "5");
  EXPECT_EQ(ini.ReadString("Print", "Yohaku_L", ""), "20");
  EXPECT_EQ(ini.ReadString("Print", "Yohaku_R", ""), "3");
  EXPECT_EQ(ini.ReadString("Print", "Yohaku_B", ""), "4");
  EXPECT_EQ(r.left, 372);
  EXPECT_EQ(r, StoredPageRect(ini, A4At600()));
}

TEST(PaperLabel, PageSizesMapOntoThePaperCodes) {
  EXPECT_EQ(PaperCodeOf(PageSizeId::A4), 9);
  EXPECT_EQ(PaperCodeOf(PageSizeId::Letter), 1);
  EXPECT_EQ(PaperCodeOf(PageSizeId::JisB5), 13);
  EXPECT_EQ(PaperCodeOf(PageSizeId::FanFoldGermanLegal), 41);
  EXPECT_EQ(PaperCodeOf(PageSizeId::ExecutiveStandard), 7);
  EXPECT_FALSE(PaperCodeOf(PageSizeId::Custom).has_value());
  EXPECT_FALSE(PaperCodeOf(PageSizeId::B4).has_value());  // ISO B4 had no code of its own here
  // The values follow the printing library's enumeration.
  EXPECT_EQ(static_cast<int>(PageSizeId::A4), 7);
  EXPECT_EQ(static_cast<int>(PageSizeId::Custom), 31);
  EXPECT_EQ(static_cast<int>(PageSizeId::EnvelopeYou4), 118);
  EXPECT_EQ(PaperCodeName(1), "ﾚﾀｰ");
  EXPECT_EQ(PaperCodeName(29), "Envelope C3  324 x 458 mm");
  EXPECT_EQ(PaperCodeName(118), "dmPaper_Fanfold_Lgl_German");
  EXPECT_EQ(PaperCodeName(42), "");
  EXPECT_EQ(PaperCodeName(0), "");
  EXPECT_EQ(PaperLabel(std::nullopt, 210, 297), " 210x297");
}

TEST(PaperLabel, APrinterWithoutVerticalResolutionUsesTheScreen) {
  PrinterMetrics m;
  m.dpiX = 600;
  m.dpiY = 0;
  m.paperWidth = 794;  // A4 at 96 ppi
  m.paperHeight = 1123;
  TPrintSettingsModel d;
  d.Open(TIniFile(), m, 9, 96);
  EXPECT_EQ(d.PaperText(), "A4 210x297");
}

TEST(PageLayout, LinesFillPagesAndAnEmptyPanePrintsOnePage) {
  EXPECT_EQ(LayoutPages({}, 1000), (std::vector<PageSpan>{{0, 0}}));
  std::vector<int64_t> lines(30, 100);
  EXPECT_EQ(LayoutPages(lines, 1000), (std::vector<PageSpan>{{0, 10}, {10, 10}, {20, 10}}));
  lines.push_back(1);
  EXPECT_EQ(LayoutPages(lines, 1000).size(), 4u);
  // A line taller than the page stands alone; the next page starts after it.
  EXPECT_EQ(LayoutPages({100, 5000, 100}, 1000), (std::vector<PageSpan>{{0, 1}, {1, 1}, {2, 1}}));
  EXPECT_EQ(LayoutPages({400, 400, 400}, 1000), (std::vector<PageSpan>{{0, 2}, {2, 1}}));
  EXPECT_EQ(LayoutPages({10, 10}, 0), (std::vector<PageSpan>{{0, 1}, {1, 1}}));
}

}  // namespace
}  // namespace navirt

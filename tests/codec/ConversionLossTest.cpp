// Conversions into Shift_JIS count what they could not carry, for the tool
// and for the window's status bar.
#include <gtest/gtest.h>

#include "codec/CodecCommands.h"
#include "codec/UnicodeConvert.h"
#include "platform/Cp932.h"

namespace navirt {
namespace {

TEST(ConversionLoss, CountedAndPlacedInBothPaths) {
  ConversionLoss loss;
  // The table path: the nine JIS forms lose nothing.
  EXPECT_EQ(Utf8ToSjis("〜−¥\n", loss), "\x81\x60\x81\x7C\x5C\n");
  EXPECT_EQ(loss.count, 0u);
  EXPECT_EQ(loss.firstLine, 0u);
  // ICU's path: an emoji, a malformed byte, a character CP932 lacks; the
  // invisible ones (a variation selector, a zero-width space) are dropped
  // without counting, as before.
  const std::string text =
      "ok\n〜x😀\xFF\n\xEF\xB8\x80\xE2\x80\x8B"
      "é";
  EXPECT_EQ(Utf8ToSjis(text, loss), "ok\n\x81\x60x??\n?");
  EXPECT_EQ(loss.count, 3u);
  EXPECT_EQ(loss.firstLine, 2u);
  EXPECT_EQ(loss.firstOffset, 7u);
  // A mark is not counted into the place.
  EXPECT_EQ(Utf8ToSjis("\xEF\xBB\xBF"
                       "a😀",
                       loss),
            "a?");
  EXPECT_EQ(loss.firstOffset, 4u);
  // UTF-16 big-endian: the place counts bytes from the file's start.
  EXPECT_EQ(Utf16ToSjis(std::string("\xFE\xFF\0a\0\n\xD8\x3D\xDE\x00", 10), loss), "a\n?");
  EXPECT_EQ(loss.count, 1u);
  EXPECT_EQ(loss.firstLine, 2u);
  EXPECT_EQ(loss.firstOffset, 6u);
}

TEST(ConversionLoss, WindowItemsCarryTheCountToTheStatusBar) {
  UnicodeCommandResult r = ApplyUnicodeCommand(UnicodeCommand::Utf8ToSjis, "a\nb😀\n😀");
  EXPECT_EQ(r.bytes, "a\r\nb?\r\n?\r\n");
  EXPECT_EQ(r.loss.count, 2u);
  EXPECT_EQ(ConversionLossText(r.loss), "2 文字をShift_JISに変換できず「?」にしました（最初は 2 行目）。");
  r = ApplyUnicodeCommand(UnicodeCommand::Utf8ToSjis, "〜\n");
  EXPECT_EQ(r.loss.count, 0u);
  EXPECT_EQ(ConversionLossText(r.loss), "");
  r = ApplyUnicodeCommand(UnicodeCommand::Utf16ToSjis, std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6));
  EXPECT_EQ(r.loss.count, 1u);
}

}  // namespace
}  // namespace navirt

#include <gtest/gtest.h>

#include <cstdlib>

#include "browse/Browse.h"
#include "browse/Drives.h"

namespace navirt {
namespace {

TEST(Mask, ParseAndMatch) {
  FileMask m = ParseMask("txt;BMP");
  ASSERT_EQ(m.exts.size(), 2u);
  EXPECT_EQ(m.exts[0], ".txt");
  EXPECT_EQ(m.exts[1], ".BMP");
  EXPECT_TRUE(MaskMatches(m, "a.TXT", false));
  EXPECT_TRUE(MaskMatches(m, "b.bmp", false));
  EXPECT_FALSE(MaskMatches(m, "c.jpg", false));
  EXPECT_FALSE(MaskMatches(m, "txt", false));
  EXPECT_TRUE(MaskMatches(m, "folder", true));
  EXPECT_TRUE(MaskMatches(m, "x.txt.bmp", false));
  EXPECT_FALSE(MaskMatches(m, "x.bmp.txt2", false));
  EXPECT_TRUE(ParseMask("*").all);
  EXPECT_TRUE(ParseMask("").all);
  EXPECT_TRUE(MaskMatches(ParseMask("*"), "noext", false));
  // Parts with a dot are kept as typed: "*.txt" matches nothing.
  FileMask star = ParseMask("*.txt");
  EXPECT_EQ(star.exts[0], "*.txt");
  EXPECT_FALSE(MaskMatches(star, "a.txt", false));
  EXPECT_EQ(ParseMask(".c;").exts, (std::vector<std::string>{".c", "."}));
  // The entry "." matches a name that ends with a dot.
  EXPECT_TRUE(MaskMatches(ParseMask("c;"), "odd.", false));
}

TEST(ListTexts, SizeAndDate) {
  EXPECT_EQ(ListSizeText(0), "               0");
  EXPECT_EQ(ListSizeText(1234567), "       1,234,567");
  EXPECT_EQ(ListSizeText(5ull << 32), "  21,474,836,480");  // beyond 32 bits
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(ListDateText(951782400 + 13 * 3600 + 5 * 60), "00/02/29 13:05");
}

TEST(Sort, CodesAndOrders) {
  EXPECT_EQ(SortCode(0, false), 0);
  EXPECT_EQ(SortCode(3, true), 93);
  std::vector<ListRow> rows(4);
  const char* names[] = {"b.txt", "A.txt", "c.txt", "a.txt"};
  const char* sizes[] = {"              10", "               9", "           1,000", "             100"};
  for (size_t i = 0; i < 4; ++i) {
    rows[i].texts[0] = names[i];
    rows[i].texts[1] = sizes[i];
    rows[i].index = i;
  }
  auto order = [&] {
    std::string s;
    for (auto& r : rows) s += std::to_string(r.index);
    return s;
  };
  SortListRows(rows, 1);  // sizes: right-aligned texts sort numerically
  EXPECT_EQ(order(), "1032");
  SortListRows(rows, 91);
  EXPECT_EQ(order(), "2301");
  SortListRows(rows, 0);
  EXPECT_EQ(rows[3].texts[0], "c.txt");
  EXPECT_EQ(rows[2].texts[0], "b.txt");
  SortListRows(rows, 90);
  EXPECT_EQ(rows[0].texts[0], "c.txt");
  std::string before = order();
  SortListRows(rows, 7);  // unknown code
  EXPECT_EQ(order(), before);
  // Japanese texts in the collation's order: hiragana before kanji.
  EXPECT_LT(CompareDisplayed("\xe3\x81\x82", "\xe6\xbc\xa2"), 0);
}

TEST(Folders, UpAndRoot) {
  EXPECT_EQ(ParentFolder("/a/b/"), "/a/");
  EXPECT_EQ(ParentFolder("/a/b"), "/a/");
  EXPECT_EQ(ParentFolder("/a/"), "/");
  EXPECT_EQ(ParentFolder("/"), "/");
  std::vector<std::string> drives = {"/", "/media/usb/", "/media/usb2"};
  EXPECT_EQ(DriveOf("/home/u/", drives), "/");
  EXPECT_EQ(DriveOf("/media/usb/docs/", drives), "/media/usb/");
  EXPECT_EQ(DriveOf("/media/usb2/x", drives), "/media/usb2/");
  EXPECT_EQ(DriveOf("/media/usb20/", drives), "/");
}

TEST(KeyMap, LettersAndKanaBytes) {
  EXPECT_EQ(KeyListLetter('j'), 'J');
  EXPECT_EQ(KeyListLetter('J'), 'J');
  EXPECT_EQ(KeyListLetter(U'\uFF8F'), 'J');  // ﾏ (CF)
  EXPECT_EQ(HalfWidthKanaByte(U'\uFF8F'), 0xCF);
  EXPECT_EQ(KeyListLetter('y'), 0);
  EXPECT_EQ(KeyListLetter(U'\uFF9D'), 0);  // ﾝ, Y's kana
  EXPECT_EQ(KeyListLetter('1'), 0);
  struct {
    unsigned char kana;
    char letter;
  } table[] = {{0xDA, ';'}, {0xC1, 'A'}, {0xBA, 'B'}, {0xBF, 'C'}, {0xBC, 'D'}, {0xB2, 'E'}, {0xCA, 'F'},
               {0xB7, 'G'}, {0xB8, 'H'}, {0xC6, 'I'}, {0xCF, 'J'}, {0xC9, 'K'}, {0xD8, 'L'}, {0xD3, 'M'},
               {0xD0, 'N'}, {0xD7, 'O'}, {0xBE, 'P'}, {0xC0, 'Q'}, {0xBD, 'R'}, {0xC4, 'S'}, {0xB6, 'T'},
               {0xC5, 'U'}, {0xCB, 'V'}, {0xC3, 'W'}, {0xBB, 'X'}, {0xC2, 'Z'}, {0xB0, '\\'}};
  for (auto& t : table) {
    char32_t ch = 0xFF61 + (t.kana - 0xA1);
    EXPECT_EQ(KeyListLetter(ch), t.letter) << std::hex << int(t.kana);
    EXPECT_EQ(KeyListLetter(static_cast<unsigned char>(t.letter)), t.letter);
  }
}

TEST(Drives, MountTable) {
  std::string table =
      "overlay / overlay rw 0 0\n"
      "proc /proc proc rw 0 0\n"
      "/dev/sdb1 /media/my\\040usb vfat rw 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n"
      "tmpfs /run tmpfs rw 0 0\n"
      "/dev/sda2 /home ext4 rw 0 0\n"
      "/dev/loop3 /snap/core/1 squashfs ro 0 0\n";
  auto d = ParseMounts(table);
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(d[0].mountPoint, "/");
  EXPECT_EQ(d[0].type, "overlay");
  EXPECT_EQ(d[1].mountPoint, "/home/");
  EXPECT_EQ(d[2].mountPoint, "/media/my usb/");
  EXPECT_EQ(d[2].letter, 'C');
  ASSERT_NE(DriveByLetter(d, 'c'), nullptr);
  EXPECT_EQ(DriveByLetter(d, 'c')->mountPoint, "/media/my usb/");
  EXPECT_EQ(DriveByLetter(d, 'z'), nullptr);
  EXPECT_EQ(ParseMounts("").size(), 1u);
  EXPECT_FALSE(ListDrives().empty());
}

}  // namespace
}  // namespace navirt

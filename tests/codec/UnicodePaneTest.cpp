// The lossless pane mapping of UTF-8 and UTF-16 files.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/UnicodeConvert.h"
#include "codec/UnicodePane.h"
#include "edit/PaneText.h"
#include "platform/Cp932.h"
#include "tests/codec/CodecTestUtil.h"

namespace navirt {
namespace {

using testutil::B;
using testutil::Hex;

// Text holding CP932 characters, emoji, JIS X 0213 kanji (剝, 𩸽, 𠮷),
// accented Latin and half-width kana, on several lines.
const std::string kMixed = "一行目：テスト\r\n剝がす𩸽と𠮷野家😀\r\nCafé naïve ｶﾀｶﾅ\r\n最後の行";

std::string Utf16(const std::string& utf8, bool bigEndian) {
  std::u16string u = Utf8ToUtf16(utf8);
  std::string out;
  for (char16_t c : u) {
    const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
  }
  return out;
}

// A file as its mark, its first line and the rest (from the first line end).
struct Case {
  const char* name;
  std::string mark, first, rest;
  bool bigEndian = false, utf16 = false;
};

std::vector<Case> Files() {
  const std::string rest = kMixed.substr(kMixed.find("\r\n"));
  const std::string first = kMixed.substr(0, kMixed.find("\r\n"));
  const std::string malformed = B({0x80, 0xE3, 0x81, 'x', 0xC0, 0xAF, 0xED, 0xA0, 0x80, 0xFF});
  return {
      {"utf8", "", first, rest},
      {"utf8 bom", B({0xEF, 0xBB, 0xBF}), first, rest},
      {"utf16le", B({0xFF, 0xFE}), Utf16(first, false), Utf16(rest, false), false, true},
      {"utf16be", B({0xFE, 0xFF}), Utf16(first, true), Utf16(rest, true), true, true},
      {"utf8 malformed", "", first + malformed, rest + "\r\n" + malformed + " end"},
      {"utf16 lone surrogates and odd end", B({0xFF, 0xFE}), Utf16("a", false) + B({0x00, 0xD8}),
       Utf16("\r\n", false) + B({'b', 0, 0x00, 0xDC, 0x3D, 0xD8}) + Utf16("\r\n", false) + "c", false, true},
  };
}

TEST(UnicodePane, LoadEditElsewhereSaveIsByteExact) {
  for (const Case& c : Files()) {
    SCOPED_TRACE(c.name);
    const std::string file = c.mark + c.first + c.rest;
    const UnicodeCode code = c.utf16          ? (c.bigEndian ? UnicodeCode::Utf16Be : UnicodeCode::Utf16Le)
                             : c.mark.empty() ? UnicodeCode::Utf8
                                              : UnicodeCode::Utf8Bom;
    // Malformed UTF-8 this early is not recognised; the mapping copes all the same.
    if (std::string(c.name) != "utf8 malformed") {
      EXPECT_EQ(DetectUnicode(file), code);
    }
    PaneLoad load{"", TUnicodePane(code)};
    load.text = load.unicode->Decode(file);
    EXPECT_EQ(Hex(load.unicode->Encode(load.text)), Hex(file));  // untouched: the same bytes
    // The first line changed by a line command; the others come back as stored.
    std::vector<std::string> lines = SplitLines(load.text);
    ASSERT_GE(lines.size(), 2u);
    lines[0] = Utf8ToCp932("編集した行");
    const std::string edited = c.utf16 ? Utf16("編集した行", c.bigEndian) : "編集した行";
    EXPECT_EQ(Hex(load.unicode->Encode(JoinLines(lines))), Hex(c.mark + edited + c.rest));
  }
}

TEST(UnicodePane, CharactersCp932HasAreTheirOwnCodes) {
  TUnicodePane pane(UnicodeCode::Utf8);
  EXPECT_EQ(Hex(pane.Decode("テスト abc ｶ")), Hex(Utf8ToCp932("テスト abc ｶ")));
  // Characters it lacks are one two-byte spare code each: a Shift_JIS
  // lead byte and its trail, so no command steps into them.
  const std::string p = pane.Decode("😀é剝");
  ASSERT_EQ(p.size(), 6u);
  for (size_t i = 0; i < p.size(); i += 2) {
    EXPECT_TRUE(IsSjisLead(static_cast<unsigned char>(p[i]))) << Hex(p);
    EXPECT_TRUE(TUnicodePane::IsSpareAt(p, i));
  }
  EXPECT_EQ(pane.CharacterCount(), 3u);
  // The same character gets the same code again.
  EXPECT_EQ(pane.Decode("é"), p.substr(2, 2));
  // The screen shows them as the characters themselves.
  EXPECT_EQ(Utf16ToUtf8(pane.ToScreen(p)), "😀é剝");
}

TEST(UnicodePane, SpareCodesAreNoCharacterOfCp932) {
  const Cp932Maps& m = Cp932Tables();
  for (size_t k = 0; k < kSpareCodeCount; ++k) {
    const uint16_t code = SpareCode(k);
    ASSERT_EQ(SpareIndex(code), static_cast<int>(k));
    const char16_t u = m.pair[code];
    // Undefined, or a private-use character of the user-defined rows.
    EXPECT_TRUE(u == 0 || (u >= 0xE000 && u <= 0xF8FF)) << std::hex << code;
  }
  EXPECT_EQ(SpareIndex(0x82A0), -1);
  EXPECT_EQ(SpareIndex(0xF07F), -1);
  // A private-use character in a file is kept like any other.
  TUnicodePane pane(UnicodeCode::Utf8);
  const std::string file = "\xEE\x80\x80";  // U+E000
  EXPECT_EQ(pane.Encode(pane.Decode(file)), file);
}

TEST(UnicodePane, MalformedBytesArePlaceholdersSavedUnchanged) {
  // The mark makes it UTF-8 whatever follows.
  const std::string file = B({0xEF, 0xBB, 0xBF}) + "ゆにこーど\n" + B({0x82, 0xA0, 0xE3, 0x81}) + "\n";
  ASSERT_EQ(DetectUnicode(file), UnicodeCode::Utf8Bom);
  PaneLoad load = LoadForPane(file);
  ASSERT_TRUE(load.unicode);
  EXPECT_EQ(load.unicode->Encode(load.text), file);
  const std::u16string screen = load.unicode->ToScreen(load.text);
  EXPECT_NE(screen.find(std::u16string{char16_t(kPlaceholderBase + 0x82), char16_t(kPlaceholderBase + 0xA0)}),
            std::u16string::npos);
  // What the screen gives back is the same pane text.
  EXPECT_EQ(load.unicode->FromScreen(screen), load.text);
}

TEST(UnicodePane, Utf16BadInput) {
  // A mark followed by nothing: an empty pane, and the mark written back.
  for (const std::string& f : {B({0xFF, 0xFE}), B({0xFE, 0xFF}), B({0xEF, 0xBB, 0xBF})}) {
    PaneLoad load = LoadForPane(f);
    ASSERT_TRUE(load.unicode);
    EXPECT_EQ(load.text, "");
    EXPECT_EQ(load.unicode->Encode(""), f);
    EXPECT_EQ(load.unicode->Encode("a"), f + (f.size() == 3 ? "a" : f[0] == '\xFF' ? B({'a', 0}) : B({0, 'a'})));
  }
  // Odd byte count and lone surrogates, LE and BE.
  for (const std::string& f :
       {B({0xFF, 0xFE, 'a', 0, 'b'}), B({0xFE, 0xFF, 0, 'a', 0xD8, 0x00}), B({0xFF, 0xFE, 0x00, 0xDC, 'a', 0}),
        B({0xFE, 0xFF, 0xD8, 0x3D, 0xD8, 0x3D, 0xDE, 0x00})}) {
    PaneLoad load = LoadForPane(f);
    ASSERT_TRUE(load.unicode);
    EXPECT_EQ(Hex(load.unicode->Encode(load.text)), Hex(f));
    EXPECT_EQ(load.text.size() % 2 == 0 || load.text.find('a') != std::string::npos, true);
  }
}

TEST(UnicodePane, AnyBytesComeBackExactly) {
  std::mt19937 rng(1616);
  const std::string alphabet[] = {"a",       "\n",      "\r\n",          "日",      "😀",       "é",       "ｶ",
                                  B({0x80}), B({0xE3}), B({0xF0, 0x9F}), B({0xFF}), B({0x00}), B({0xD8}), B({0xDC})};
  for (UnicodeCode code : {UnicodeCode::Utf8, UnicodeCode::Utf8Bom, UnicodeCode::Utf16Le, UnicodeCode::Utf16Be}) {
    for (int round = 0; round < 400; ++round) {
      std::string file;
      const int n = static_cast<int>(rng() % 60);
      for (int k = 0; k < n; ++k) {
        if (rng() % 3 == 0)
          file += static_cast<char>(rng());
        else
          file += alphabet[rng() % std::size(alphabet)];
      }
      TUnicodePane pane(code);
      const std::string text = pane.Decode(file);
      ASSERT_EQ(Hex(pane.Encode(text)), Hex(file)) << UnicodeCodeName(code) << " round " << round;
    }
  }
}

// Texts of several slices of the decoder and the screen mapping, so that
// characters and stray bytes fall across every kind of slice edge.
TEST(UnicodePane, LongTextsShowAndComeBackExactly) {
  std::mt19937 rng(4242);
  const std::string valid[] = {"a", "\r\n", "日", "😀", "é", "ｶ", "テスト", "𩸽", "abcdefghij"};
  for (int round = 0; round < 12; ++round) {
    std::string file;
    const size_t size = 40000 + rng() % 40000;
    while (file.size() < size) file += valid[rng() % std::size(valid)];
    TUnicodePane shown(UnicodeCode::Utf8);
    ASSERT_EQ(shown.ToScreen(shown.Decode(file)), Utf8ToUtf16(file)) << round;
    // Stray bytes among them: kept, and written back as they were.
    for (int k = 0; k < 200; ++k) {
      const size_t at = rng() % file.size();
      file.insert(at, 1, static_cast<char>(0x80 + rng() % 0x80));
    }
    TUnicodePane pane(UnicodeCode::Utf8);
    const std::string text = pane.Decode(file);
    ASSERT_EQ(pane.Encode(text), file) << round;
    // Through the screen too, unless a stray byte made a character of the
    // placeholders' own range (EF 9C-9F ..), which reads back as one.
    bool placeholderLike = false;
    for (size_t i = 0; i + 1 < file.size(); ++i) placeholderLike |= file[i] == '\xEF' && (file[i + 1] & 0xFC) == 0x9C;
    if (!placeholderLike) {
      ASSERT_EQ(pane.Encode(pane.FromScreen(pane.ToScreen(text))), file) << round;
    }
  }
}

TEST(UnicodePane, FullTableFallsBackToStoredBytes) {
  // More distinct characters CP932 lacks than there are spare codes.
  std::string file;
  for (char32_t cp = 0xAC00; cp < 0xAC00 + 3000; ++cp) file += Utf16ToUtf8(std::u16string(1, char16_t(cp)));
  for (UnicodeCode code : {UnicodeCode::Utf8, UnicodeCode::Utf16Le}) {
    const std::string f = code == UnicodeCode::Utf8 ? file : B({0xFF, 0xFE}) + Utf16(file, false);
    TUnicodePane pane(code);
    const std::string text = pane.Decode(f);
    EXPECT_EQ(pane.CharacterCount(), kSpareCodeCount - kRawByteCodes);
    EXPECT_EQ(pane.Encode(text), f);
  }
}

TEST(UnicodePane, TypedCharactersTakeNewCodes) {
  TUnicodePane pane(UnicodeCode::Utf16Be);
  pane.Decode(B({0xFE, 0xFF}));
  const std::string typed = pane.FromScreen(u"あ\U0001F600é");
  EXPECT_EQ(typed.substr(0, 2), Utf8ToCp932("あ"));
  EXPECT_EQ(Hex(pane.Encode(typed)), Hex(B({0xFE, 0xFF, 0x30, 0x42, 0xD8, 0x3D, 0xDE, 0x00, 0x00, 0xE9})));
  EXPECT_EQ(pane.ToScreen(typed), u"あ\U0001F600é");
  // A pane unit that is no character (a stray lead byte an edit left) is
  // written as U+FFFD rather than as a broken unit.
  EXPECT_EQ(Hex(pane.Encode(B({0x82}))), Hex(B({0xFE, 0xFF, 0xFF, 0xFD})));
}

}  // namespace
}  // namespace navirt

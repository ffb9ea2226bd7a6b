// Conversions through ICU and the Unicode items of the code menu.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "codec/CodeConvert.h"
#include "codec/CodecCommands.h"
#include "codec/DetectCode.h"
#include "codec/UnicodeConvert.h"
#include "platform/Cp932.h"
#include "tests/codec/CodecTestUtil.h"

namespace navirt {
namespace {

using testutil::B;
using testutil::Hex;

const std::string kText = "漢字とかなｶﾅ、記号①≒\r\nASCII line\r\n";

std::string Le16(const std::string& utf8) {
  std::string out;
  for (char16_t c : Utf8ToUtf16(utf8)) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

TEST(UnicodeConvert, BetweenShiftJisAndUtf8) {
  const std::string sjis = Utf8ToCp932(kText);
  EXPECT_EQ(Hex(Utf8ToSjis(kText)), Hex(sjis));
  EXPECT_EQ(SjisToUtf8(sjis), kText);
  // The mark goes; characters CP932 lacks become "?"; bad bytes too.
  EXPECT_EQ(Utf8ToSjis("\xEF\xBB\xBF"
                       "a😀é" +
                       B({0xFF}) + "b"),
            "a???b");
  // ICU leaves out characters meant to be invisible (U+FEFF inside a text).
  EXPECT_EQ(Utf8ToSjis("a\xEF\xBB\xBF"
                       "b"),
            "ab");
  // A Shift_JIS text the tables cannot read wholly goes through ICU, which
  // substitutes and goes on.
  const std::string broken = SjisToUtf8(B({0x82, 0xA0, 0x82}));
  EXPECT_EQ(broken.substr(0, 3), "あ");
  EXPECT_GT(broken.size(), 3u);
  EXPECT_EQ(SjisToUtf8(""), "");
}

// Every character of CP932 by the fast tables and by ICU itself (a text
// with one unreadable byte at its end goes wholly through ICU).
TEST(UnicodeConvert, ShiftJisTablesAgreeWithIcu) {
  std::string all;
  for (int c = 0x20; c < 0x100; ++c)
    if (c != 0x7F && !IsSjisLead(static_cast<unsigned char>(c)) && c != 0x80 && c != 0xA0 && c < 0xFD) all += char(c);
  const Cp932Maps& m = Cp932Tables();
  for (int code = 0x8140; code <= 0xFCFC; ++code)
    if (IsSjisLead(static_cast<unsigned char>(code >> 8)) && m.pair[code]) {
      all += static_cast<char>(code >> 8);
      all += static_cast<char>(code & 0xFF);
    }
  const std::string fast = SjisToUtf8(all);
  const std::string icu = SjisToUtf8(all + B({0x81}));
  ASSERT_GT(icu.size(), fast.size());
  EXPECT_TRUE(icu.compare(0, fast.size(), fast) == 0);
  EXPECT_GT(fast.size(), 20000u);
}

// Random Shift_JIS by the tables against ICU (one unreadable byte at the
// end sends a text wholly through ICU): ASCII runs of every length around
// the sixteen-byte steps, pairs, half-width kana and control codes, in texts
// long enough to cross the converter's slices with a pair on the edge.
TEST(UnicodeConvert, ShiftJisTablesAgreeWithIcuOnRandomText) {
  const Cp932Maps& m = Cp932Tables();
  std::vector<std::string> pairs;
  for (int code = 0x8140; code <= 0xFCFC; ++code)
    if (IsSjisLead(static_cast<unsigned char>(code >> 8)) && m.pair[code])
      pairs.push_back({static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)});
  std::mt19937 rng(2027);
  for (int round = 0; round < 40; ++round) {
    std::string text;
    const size_t size = rng() % (round < 20 ? 200 : 20000);
    while (text.size() < size) {
      switch (rng() % 4) {
        case 0:
          for (size_t n = rng() % 40; n > 0; --n) text += static_cast<char>(0x20 + rng() % 0x5F);
          break;
        case 1:
          for (size_t n = rng() % 30; n > 0; --n) text += pairs[rng() % pairs.size()];
          break;
        case 2:
          text += static_cast<char>(0xA1 + rng() % 0x3F);  // half-width kana
          break;
        default:
          text += "\x00\x1A\x1C\x7F\r\n"[rng() % 6];
      }
    }
    const std::optional<std::string> fast = SjisToUtf8ByTable(text);
    ASSERT_TRUE(fast) << "round " << round << ": " << Hex(text.substr(0, 64));
    const std::string icu = SjisToUtf8(text + B({0x81}));
    ASSERT_GT(icu.size(), fast->size()) << round;
    ASSERT_TRUE(icu.compare(0, fast->size(), *fast) == 0) << "round " << round << ": " << Hex(text.substr(0, 64));
  }
}

// And random UTF-8 of characters CP932 has, ASCII runs of every length
// between them, by the tables against ICU (a character CP932 lacks at the
// end sends a text wholly through ICU).
TEST(UnicodeConvert, Utf8TablesAgreeWithIcuOnRandomText) {
  const Cp932Maps& m = Cp932Tables();
  std::vector<char16_t> carried;
  for (char32_t u = 0x80; u < 0x10000; ++u)
    if (m.exact[u] && (u < 0xD800 || u > 0xDFFF)) carried.push_back(static_cast<char16_t>(u));
  std::mt19937 rng(2028);
  for (int round = 0; round < 40; ++round) {
    std::u16string text;
    const size_t size = rng() % (round < 20 ? 100 : 10000);
    while (text.size() < size) {
      if (rng() % 2)
        for (size_t n = rng() % 40; n > 0; --n) text += static_cast<char16_t>(1 + rng() % 0x7F);
      else
        for (size_t n = rng() % 20; n > 0; --n) text += carried[rng() % carried.size()];
    }
    const std::string utf8 = Utf16ToUtf8(text);
    const std::optional<std::string> fast = Utf8ToSjisByTable(utf8);
    ASSERT_TRUE(fast) << "round " << round;
    const std::string icu = Utf8ToSjis(utf8 + "😀");
    ASSERT_EQ(icu.size(), fast->size() + 1) << round;
    ASSERT_TRUE(icu.compare(0, fast->size(), *fast) == 0) << "round " << round;
  }
}

// The same with malformed and uncarried pieces among the characters: the
// tables take a text only when ICU gives the same bytes for it, and the
// whole conversion counts and places its losses as a scan of the text
// finds them (the first piece CP932 cannot take, its line).
TEST(UnicodeConvert, Utf8TablesRefuseWhatIcuWouldChange) {
  const Cp932Maps& m = Cp932Tables();
  std::vector<std::string> carried;
  for (char32_t u = 0x80; u < 0x10000; ++u)
    if (m.exact[u] && (u < 0xD800 || u > 0xDFFF)) carried.push_back(Utf16ToUtf8(std::u16string(1, char16_t(u))));
  // Each breaks a text: bare continuations, cut sequences, overlong forms,
  // surrogates, bytes never in UTF-8, and characters CP932 lacks.
  const std::vector<std::string> bad = {B({0x80}),
                                        B({0xBF}),
                                        B({0xE3, 0x81}),
                                        B({0xC3}),
                                        B({0xC0, 0xAF}),
                                        B({0xE0, 0x80, 0xAF}),
                                        B({0xE0, 0x82, 0xA7}),
                                        B({0xED, 0xA0, 0x80}),
                                        B({0xF8}),
                                        B({0xFF}),
                                        "😀",
                                        "한",
                                        B({0xE3, 0x81, 0x41})};
  std::mt19937 rng(2029);
  int taken = 0, refused = 0;
  for (int round = 0; round < 300; ++round) {
    std::string text;
    std::vector<size_t> badAt;
    const size_t size = rng() % 600;
    while (text.size() < size) {
      switch (rng() % 8) {
        case 0:
          if (rng() % 3 == 0) {
            badAt.push_back(text.size());
            text += bad[rng() % bad.size()];
          }
          break;
        case 1:
          text += '\n';
          break;
        case 2:
        case 3:
          for (size_t n = rng() % 20; n > 0; --n) text += static_cast<char>(0x20 + rng() % 0x5F);
          break;
        default:
          for (size_t n = rng() % 8; n > 0; --n) text += carried[rng() % carried.size()];
      }
    }
    const std::optional<std::string> fast = Utf8ToSjisByTable(text);
    const std::string icu = Utf8ToSjis(text + "😀");
    if (fast) {
      ++taken;
      ASSERT_TRUE(badAt.empty()) << "round " << round << ": " << Hex(text);
      ASSERT_EQ(icu, *fast + "?") << round;
      continue;
    }
    ++refused;
    ASSERT_FALSE(badAt.empty()) << "round " << round << ": " << Hex(text);
    ConversionLoss loss;
    const std::string whole = Utf8ToSjis(text, loss);
    ASSERT_EQ(whole + "?", icu) << round;
    EXPECT_EQ(loss.firstOffset, badAt.front()) << "round " << round << ": " << Hex(text);
    EXPECT_EQ(loss.firstLine, 1 + size_t(std::count(text.begin(), text.begin() + badAt.front(), '\n'))) << round;
    EXPECT_GE(loss.count, 1u);
  }
  EXPECT_GT(taken, 50);
  EXPECT_GT(refused, 50);
}

// And back: every character with a CP932 code, by the tables and by ICU
// (a character CP932 lacks at the end sends the whole text through ICU).
TEST(UnicodeConvert, Utf8TablesAgreeWithIcu) {
  std::u16string all;
  const Cp932Maps& m = Cp932Tables();
  for (char32_t u = 1; u < 0x10000; ++u)
    if (m.exact[u] && (u < 0xD800 || u > 0xDFFF)) all += static_cast<char16_t>(u);
  const std::string utf8 = Utf16ToUtf8(all);
  const std::string fast = Utf8ToSjis(utf8);
  const std::string icu = Utf8ToSjis(utf8 + "😀");
  EXPECT_EQ(icu.size(), fast.size() + 1);
  EXPECT_TRUE(icu.compare(0, fast.size(), fast) == 0);
  EXPECT_GT(fast.size(), 14000u);
  // Control codes are kept as they are on either path (ICU's CP932 would
  // swap three of them).
  const std::string controls = B({0x1A, 0x1C, 0x7F, 0x1B});
  EXPECT_EQ(Hex(Utf8ToSjis(controls + "😀")), Hex(controls + "?"));
  EXPECT_EQ(Hex(SjisToUtf8(controls + B({0x81}))).substr(0, 11), Hex(controls));
  EXPECT_EQ(Hex(Utf16ToSjis(B({0xFF, 0xFE, 0x1A, 0, 0x7F, 0}))), Hex(B({0x1A, 0x7F})));
  // Every length of sequence and malformed input end the same way as ICU's.
  for (const std::string& t : {std::string("aé日") + B({0xE3, 0x81}), std::string("x") + B({0xC0, 0xAF}) + "y",
                               std::string("ｶ") + B({0xED, 0xA0, 0x80})}) {
    EXPECT_EQ(Utf8ToSjis(t).find('?') != std::string::npos, true) << Hex(t);
  }
}

TEST(UnicodeConvert, Utf16EucAndJis) {
  const std::string sjis = Utf8ToCp932(kText);
  EXPECT_EQ(Hex(Utf16ToSjis(B({0xFF, 0xFE}) + Le16(kText))), Hex(sjis));
  std::string be;
  for (char16_t c : Utf8ToUtf16(kText)) {
    be += static_cast<char>(c >> 8);
    be += static_cast<char>(c & 0xFF);
  }
  EXPECT_EQ(Hex(Utf16ToSjis(B({0xFE, 0xFF}) + be)), Hex(sjis));
  EXPECT_EQ(Hex(Utf16ToSjis(Le16(kText))), Hex(sjis));  // no mark: little-endian
  // An odd last byte and a lone surrogate are substituted, nothing thrown.
  EXPECT_EQ(Utf16ToSjis(B({0xFF, 0xFE, 'a', 0, 'b'})), "a?");
  EXPECT_EQ(Utf16ToSjis(B({0xFF, 0xFE, 0x00, 0xD8, 'a', 0})), "?a");
  // EUC with half-width kana and a JIS X 0212 kanji (丂, 0x8F 0xB0 0xA1).
  const std::string euc = SjisToEuc(Utf8ToCp932("漢字ｶﾅ")) + B({0x8F, 0xB0, 0xA1});
  EXPECT_EQ(EucToUtf8(euc), "漢字ｶﾅ丂");
  EXPECT_EQ(JisToUtf8(SjisToJis(Utf8ToCp932("漢字 and かな\r\n"))), "漢字 and かな\r\n");
  EXPECT_EQ(JisToUtf8("\x1b$@\x34\x41\x3b\x7a\x1b(J!"), "漢字!");
}

TEST(UnicodeConvert, AutomaticBothWays) {
  const std::string sjis = Utf8ToCp932(kText);
  // JIS has no half-width kana: they come back full-width.
  const std::string jis = SjisToJis(sjis);
  const std::string fromJis = JisToSjis(jis);
  ASSERT_NE(fromJis, sjis);
  const std::pair<std::string, std::string> texts[] = {{kText, sjis},
                                                       {"\xEF\xBB\xBF" + kText, sjis},
                                                       {B({0xFF, 0xFE}) + Le16(kText), sjis},
                                                       {SjisToEuc(sjis), sjis},
                                                       {jis, fromJis},
                                                       {sjis, sjis}};
  for (const auto& [t, want] : texts) {
    EXPECT_EQ(Hex(AnyToSjis(t)), Hex(want)) << Hex(t.substr(0, 8));
    const std::string u = AutoToUtf8(t);
    const std::string wantUtf8 = SjisToUtf8(want);
    ASSERT_GE(u.size(), wantUtf8.size());
    EXPECT_EQ(u.substr(u.size() - wantUtf8.size()), wantUtf8) << Hex(t.substr(0, 8));
  }
  // What is already UTF-8, ASCII or binary stays as it is; undecided
  // between EUC and Shift_JIS is EUC.
  EXPECT_EQ(AutoToUtf8("\xEF\xBB\xBF"
                       "x日"),
            "\xEF\xBB\xBF"
            "x日");
  EXPECT_EQ(AutoToUtf8("ascii"), "ascii");
  EXPECT_EQ(AutoToUtf8(B({0xA4, 0xA2})), "あ");
  EXPECT_EQ(AnyToSjis(B({1, 2, 3, 0x82})), B({1, 2, 3, 0x82}));
  EXPECT_EQ(AnyToSjis(""), "");
}

TEST(UnicodeMenu, EnablingRule) {
  using C = UnicodeCommand;
  auto on = [](std::string_view pane, UnicodeCode file) {
    std::string s;
    auto bits = UnicodeMenuEnabling(pane, file);
    for (int k = 0; k < kUnicodeCommandCount; ++k)
      if (bits[static_cast<size_t>(k)]) s += std::string(s.empty() ? "" : " ") + UnicodeCommandCaption(C(k));
    return s;
  };
  const std::string sjis = Utf8ToCp932("漢字");
  // The file's own code first: the pane then holds the mapped Shift_JIS.
  EXPECT_EQ(on(sjis, UnicodeCode::Utf8), "UTF-8->Shift+JIS");
  EXPECT_EQ(on(sjis, UnicodeCode::Utf8Bom), "UTF-8->Shift+JIS");
  EXPECT_EQ(on(sjis, UnicodeCode::Utf16Le), "UTF-16->Shift+JIS");
  EXPECT_EQ(on(B({'a', 0}), UnicodeCode::Utf16Be), "UTF-16->Shift+JIS");
  // Otherwise the pane's text.
  EXPECT_EQ(on("漢字", UnicodeCode::None), "UTF-8->Shift+JIS");
  EXPECT_EQ(on(sjis, UnicodeCode::None), "Shift+JIS->UTF-8");
  EXPECT_EQ(on(SjisToEuc(Utf8ToCp932("漢字かな")), UnicodeCode::None), "EUC->UTF-8");
  EXPECT_EQ(on(B({0xA4, 0xA2}), UnicodeCode::None), "Shift+JIS->UTF-8 EUC->UTF-8");
  EXPECT_EQ(on("abc", UnicodeCode::None), "UTF-8->Shift+JIS Shift+JIS->UTF-8 EUC->UTF-8");
  EXPECT_EQ(on(SjisToJis(sjis), UnicodeCode::None), "");
  EXPECT_EQ(on(B({'a', 1, 'b'}), UnicodeCode::None), "");
  EXPECT_EQ(on("", UnicodeCode::Utf8), "");
  EXPECT_STREQ(UnicodeCommandHint(C::EucToUtf8), "EUC->UTF-8に変換します。");
}

TEST(UnicodeMenu, CommandsOnFiles) {
  UniqueTempDir dir("navirt-codec");
  const std::string u8 = dir.Write("u8.txt", "一\n二\r三");
  auto r = RunUnicodeCommandOnFile(UnicodeCommand::Utf8ToSjis, u8);
  ASSERT_TRUE(r);
  EXPECT_EQ(Hex(r->bytes), Hex(Utf8ToCp932("一\r\n二\r\n三\r\n")));
  EXPECT_EQ(r->code, UnicodeCode::None);
  const std::string sj = dir.Write("sj.txt", Utf8ToCp932("一\n二"));
  r = RunUnicodeCommandOnFile(UnicodeCommand::SjisToUtf8, sj);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->bytes, "一\r\n二\r\n");
  EXPECT_EQ(r->code, UnicodeCode::Utf8);
  const std::string u16 = dir.Write("u16.txt", B({0xFF, 0xFE}) + Le16("一\n二"));
  r = RunUnicodeCommandOnFile(UnicodeCommand::Utf16ToSjis, u16);
  ASSERT_TRUE(r);
  EXPECT_EQ(Hex(r->bytes), Hex(Utf8ToCp932("一\r\n二\r\n")));
  const std::string euc = dir.Write("euc.txt", SjisToEuc(Utf8ToCp932("一\n")));
  r = RunUnicodeCommandOnFile(UnicodeCommand::EucToUtf8, euc);
  ASSERT_TRUE(r);
  EXPECT_EQ(r->bytes, "一\r\n");
  EXPECT_FALSE(RunUnicodeCommandOnFile(UnicodeCommand::EucToUtf8, dir.File("missing")));
  EXPECT_FALSE(RunUnicodeCommandOnFile(UnicodeCommand::EucToUtf8, dir.path().string()));
}

}  // namespace
}  // namespace navirt

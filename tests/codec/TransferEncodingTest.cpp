#include "codec/TransferEncoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec/CodeConvert.h"
#include "tests/codec/CodecTestUtil.h"

namespace navirt {
namespace {

using testutil::B;
using testutil::Hex;
using testutil::RunWithInput;

std::string Bytes(size_t n, unsigned seed = 7) {
  std::mt19937 rng(seed);
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>(rng() % 256);
  return s;
}

TEST(Base64, Rfc4648VectorsAndSystemTool) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("f"), "Zg==");
  EXPECT_EQ(Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(Base64Encode("foo"), "Zm9v");
  EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
  EXPECT_EQ(Base64Encode("abc\r\n"), "YWJjDQo=");
  // No line breaks however long; same characters as coreutils' base64.
  const std::string big = Bytes(1000);
  std::string sys;
  ASSERT_EQ(RunWithInput("base64 -w0", big, sys), 0);
  EXPECT_EQ(Base64Encode(big), sys);
}

TEST(Base64, DecodeLengthsPaddingAndLineBreaks) {
  EXPECT_EQ(Base64Decode("Zg=="), "f");
  EXPECT_EQ(Base64Decode("Zm8="), "fo");
  EXPECT_EQ(Base64Decode("Zm9vYmFy"), "foobar");
  EXPECT_EQ(Base64Decode("Zm9v\r\nYmFy\r\n"), "foobar");
  EXPECT_EQ(Base64Decode("Zm9vYg"), "foob");  // unpadded tail
  EXPECT_EQ(Base64Decode(""), "");
  EXPECT_EQ(Base64Decode("\r\n"), "");
  // A group split by a line break decodes as if it were not.
  EXPECT_EQ(Base64Decode("Zm\r\n9v"), "foo");
  // Characters outside the alphabet count as 0 and keep their place.
  EXPECT_EQ(Hex(Base64Decode("Zm9v Zm9v")), Hex("foo" + B({0x01, 0x99, 0xBD})));
  EXPECT_EQ(Hex(Base64Decode("A*AA")), "00 00 00");
  // Stray padding never makes the result longer than its computed length.
  EXPECT_EQ(Base64Decode("===="), "");
  EXPECT_EQ(Base64Decode("Z==="), "");
}

TEST(MimeHeader, EncodesRunsOfTwoByteCharacters) {
  // x 亜 y
  EXPECT_EQ(MimeHeaderEncode("x\x88\x9fy"), "x=?ISO-2022-JP?B?GyRCMCE=?=y");
  // One word per run, however long; half-width kana and line ends stay.
  EXPECT_EQ(MimeHeaderEncode("\x82\xa0\x82\xa2\xb1\r\n"),
            "=?ISO-2022-JP?B?" + Base64Encode("\x1b$B\x24\x22\x24\x24") + "?=\xb1\r\n");
  EXPECT_EQ(MimeHeaderEncode("abc"), "abc");
  // A lead byte at the very end is no character: copied.
  EXPECT_EQ(MimeHeaderEncode("a\x82"), "a\x82");
}

TEST(MimeHeader, DecodesWordsToJisBytes) {
  EXPECT_EQ(MimeHeaderDecode("x=?ISO-2022-JP?B?GyRCMCE=?=y"), "x\x1b$B\x30\x21\x1b(Jy");
  EXPECT_EQ(MimeHeaderDecode("Subject: =?iso-2022-jp?b?GyRCMCE=?= and =?ISO-2022-JP?B?GyRCMCE=?="),
            "Subject: \x1b$B\x30\x21\x1b(J and \x1b$B\x30\x21\x1b(J");
  // Without a closing "?=" only the opening is removed.
  EXPECT_EQ(MimeHeaderDecode("a=?ISO-2022-JP?B?GyRC"), "aGyRC");
  EXPECT_EQ(MimeHeaderDecode("=?ISO-2022-JP?B?"
                             "?="),
            "\x1b(J");
  // A word whose decoded bytes complete another opening is decoded again,
  // as a search from the start of the text would.
  const std::string inner = "=?ISO-2022-JP?B?" + Base64Encode("\x1b$B\x30\x21") + "?=";
  EXPECT_EQ(MimeHeaderDecode("=?ISO-2022-JP?B?" + Base64Encode(inner) + "?="), "\x1b$B\x30\x21\x1b(J\x1b(J");
  EXPECT_EQ(MimeHeaderDecode("=?ISO-2022-J" + std::string("=?ISO-2022-JP?B?") + Base64Encode("P?B?QUJD?=") + "?="),
            "ABC\x1b(J\x1b(J");
}

TEST(MimeHeader, ManyUnclosedWordsStayLinear) {
  std::string t;
  for (int i = 0; i < 200000; ++i) t += "=?ISO-2022-JP?B?x";
  EXPECT_EQ(MimeHeaderDecode(t), std::string(200000, 'x'));
}

TEST(MimeHeader, RoundTripThroughJis) {
  const std::string sjis = "Re: \x8a\xbf\x8e\x9a and \x82\xa9\x82\xc8";
  EXPECT_EQ(JisToSjis(MimeHeaderDecode(MimeHeaderEncode(sjis))), sjis);
}

TEST(Uuencode, LineFramingAtTheBoundaries) {
  const std::string s44 = Bytes(44), s45 = Bytes(45), s46 = Bytes(46), s50 = Bytes(50), s90 = Bytes(90);
  std::string e = UuEncode(s44, "\r");
  ASSERT_EQ(e.size(), 1 + 60 + 3u);
  EXPECT_EQ(e[0], 0x20 + 44);
  EXPECT_EQ(e.substr(61), "\r`\r");
  e = UuEncode(s45, "\r");  // "M" line, its separator, then another before "`"
  ASSERT_EQ(e.size(), 1 + 60 + 1 + 3u);
  EXPECT_EQ(e[0], 'M');
  EXPECT_EQ(e.substr(61), "\r\r`\r");
  e = UuEncode(s46, "\r");
  EXPECT_EQ(e[0], 'M');
  EXPECT_EQ(e.substr(61), std::string("\r!") + e.substr(63, 2) + "``\r`\r");  // a final single byte
  e = UuEncode(s50, "\r");  // "M", 60 characters, CR, length of 5, 8 characters, CR, "`", CR
  ASSERT_EQ(e.size(), 1 + 60 + 1 + 1 + 8 + 3u);
  EXPECT_EQ(e[62], 0x20 + 5);
  EXPECT_EQ(e[70], '`');  // a final pair pads with one 0x60
  e = UuEncode(s90, "\n");
  EXPECT_EQ(e.substr(123), "\n\n`\n");
  EXPECT_EQ(UuEncode("", "\r"), "\r`\r");
  // Every character is from the alphabet 0x21-0x60.
  for (char c : UuEncode(Bytes(300), "")) EXPECT_TRUE(c >= 0x21 && c <= 0x60) << int(c);
}

TEST(Uuencode, DecodesBodies) {
  // The classic "Cat" example body.
  EXPECT_EQ(UuDecode("#0V%T\r`\r"), "Cat");
  EXPECT_EQ(UuDecode("#0V%T\n`\n"), "Cat");
  // Line ends read as CR LF after the command rejoins the lines.
  const std::string s50 = Bytes(50, 3);
  std::string enc = UuEncode(s50, "\r");
  std::string crlf;
  for (char c : enc) crlf += c == '\r' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(UuDecode(crlf), s50);
  // A line whose trailing characters were stripped reads them as 0.
  EXPECT_EQ(Hex(UuDecode("#0V\r`\r")), "43 60 00");
  // Characters outside the alphabet count as 0.
  EXPECT_EQ(Hex(UuDecode("#~~~~\r")), "00 00 00");
  // Decoding stops after the first line that is not full.
  EXPECT_EQ(UuDecode("#0V%T\r#0V%T\r"), "Cat");
  EXPECT_EQ(UuDecode(""), "");
}

TEST(BinHex, FramingAndAlphabet) {
  EXPECT_EQ(BinHexEncode("", "\r"), "::");
  // 45 bytes: 60 characters after the colon, the closing colon on the same line.
  std::string e = BinHexEncode(Bytes(45), "\r");
  EXPECT_EQ(e.size(), 62u);
  EXPECT_EQ(e.find('\r'), std::string::npos);
  // 48 bytes: the 16th group completes a 64-character line with three
  // characters, then the separator, then its fourth character.
  e = BinHexEncode(Bytes(48), "\r");
  ASSERT_EQ(e.size(), 64 + 1 + 1 + 1u);
  EXPECT_EQ(e[64], '\r');
  EXPECT_EQ(e.back(), ':');
  // A final pair at that point breaks the line before the closing colon.
  e = BinHexEncode(Bytes(47), "\r");
  EXPECT_EQ(e.substr(63), e.substr(63, 1) + "\r:");
  // Long texts: every line 64 characters.
  e = BinHexEncode(Bytes(3000), "\n");
  size_t start = 0, lines = 0;
  for (size_t p; (p = e.find('\n', start)) != std::string::npos; start = p + 1, ++lines) EXPECT_EQ(p - start, 64u);
  EXPECT_GT(lines, 40u);
  for (char c : BinHexEncode(Bytes(500), "")) EXPECT_EQ(std::string("7OWgno").find(c), std::string::npos) << c;
}

TEST(BinHex, DecoderEndsAtTheClosingColon) {
  EXPECT_EQ(BinHexDecode("::"), "");
  EXPECT_EQ(BinHexDecode(""), "");
  EXPECT_EQ(BinHexDecode(BinHexEncode("A", "\r")), "A");
  EXPECT_EQ(BinHexDecode(BinHexEncode("AB", "\r")), "AB");
  EXPECT_EQ(BinHexDecode(BinHexEncode("ABC", "\r")), "ABC");
  // Text after the closing colon is not decoded.
  EXPECT_EQ(BinHexDecode(BinHexEncode("ABC", "\r") + "junk!!!!"), "ABC");
  // Line breaks of any kind between characters.
  const std::string t = Bytes(200, 11);
  std::string e = BinHexEncode(t, "\r\n");
  EXPECT_EQ(BinHexDecode(e), t);
  std::string broken;
  for (size_t i = 0; i < e.size(); ++i) {
    broken += e[i];
    if (i % 7 == 3) broken += "\n";
  }
  EXPECT_EQ(BinHexDecode(broken), t);
}

TEST(RoundTrip, AllEncodingsAllLengths) {
  for (size_t n = 0; n < 200; ++n) {
    const std::string t = Bytes(n, static_cast<unsigned>(n));
    ASSERT_EQ(Base64Decode(Base64Encode(t)), t) << n;
    ASSERT_EQ(UuDecode(UuEncode(t, "\r")), t) << n;
    ASSERT_EQ(UuDecode(UuEncode(t, "\r\n")), t) << n;
    ASSERT_EQ(BinHexDecode(BinHexEncode(t, "\r")), t) << n;
  }
}

TEST(Robustness, DecodersOnArbitraryBytes) {
  std::mt19937 rng(5);
  for (int round = 0; round < 2000; ++round) {
    std::string t;
    const int len = rng() % 80;
    for (int i = 0; i < len; ++i) t += static_cast<char>(rng() % 256);
    // Lengths never exceed what the sizes computed in advance allow.
    EXPECT_LE(Base64Decode(t).size(), t.size() * 3 / 4 + 1);
    EXPECT_LE(BinHexDecode(t).size(), t.size() * 3 / 4 + 1);
    MimeHeaderDecode(t);
    UuDecode(t);
  }
}

}  // namespace
}  // namespace navirt

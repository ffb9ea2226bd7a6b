#include "codec/CodecCommands.h"

#include <gtest/gtest.h>

#include <string>

#include "codec/CodeConvert.h"
#include "codec/TransferEncoding.h"
#include "tests/codec/CodecTestUtil.h"

namespace navirt {
namespace {

using testutil::B;
using C = CodeCommand;

TEST(CodeCommands, FileIsReadAsLinesJoinedWithCrLf) {
  EXPECT_EQ(JoinLinesWithCrLf("abc"), "abc\r\n");
  EXPECT_EQ(JoinLinesWithCrLf("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(JoinLinesWithCrLf("a\r\n"), "a\r\n");
  EXPECT_EQ(JoinLinesWithCrLf("a\n\n"), "a\r\n\r\n");
  EXPECT_EQ(JoinLinesWithCrLf(""), "");
  EXPECT_EQ(JoinLinesWithCrLf(std::string("ab\0cd\n", 6)), "ab\r\n");  // the text ends at NUL
  EXPECT_EQ(JoinLinesWithCrLf(std::string("\0x", 2)), "");
}

TEST(CodeCommands, RunOnFiles) {
  UniqueTempDir dir("navirt-codec");
  // The Base64 command on a file holding the line abc encodes a b c CR LF.
  EXPECT_EQ(RunCodeCommandOnFile(C::Base64Encode, dir.Write("abc.txt", "abc")), Base64Encode("abc\r\n"));
  EXPECT_EQ(RunCodeCommandOnFile(C::Auto, dir.Write("euc.txt", "\xa4\xa2\xa4\xf3\n")), "\x82\xa0\x82\xf1\r\n");
  EXPECT_EQ(RunCodeCommandOnFile(C::SjisToJis, dir.Write("s.txt", "\x82\xa0")),
            "\x1b$B\x24\x22\x1b(J\r\n");  // closed by the added line end
  // uuencode and BinHex use CR between their lines.
  EXPECT_EQ(RunCodeCommandOnFile(C::UuEncode, dir.Write("c.txt", "C")), "#0PT*\r`\r");
  EXPECT_EQ(*RunCodeCommandOnFile(C::BinHexEncode, dir.Write("long.txt", std::string(60, 'x'))),
            BinHexEncode(std::string(60, 'x') + "\r\n", "\r"));
  // Decoding commands see the rejoined lines.
  EXPECT_EQ(RunCodeCommandOnFile(C::UuDecode, dir.Write("u.txt", "#0V%T\r`\r")), "Cat");
  EXPECT_EQ(RunCodeCommandOnFile(C::Base64Decode, dir.Write("b.txt", "Zm9v\nYmFy\n")), "foobar");
  EXPECT_EQ(RunCodeCommandOnFile(C::MimeDecode, dir.Write("m.txt", "=?ISO-2022-JP?B?GyRCMCE=?=\n")),
            "\x1b$B\x30\x21\x1b(J\r\n");
  // Missing file, folder, empty path: nothing happens.
  EXPECT_FALSE(RunCodeCommandOnFile(C::Auto, dir.File("missing")));
  EXPECT_FALSE(RunCodeCommandOnFile(C::Auto, dir.path().string()));
  EXPECT_FALSE(RunCodeCommandOnFile(C::Auto, ""));
}

TEST(LineEndCommands, ReadTheBytesAsStored) {
  UniqueTempDir dir("navirt-codec");
  const std::string crOnly = dir.Write("cr.txt", "a\rb\rc\r");
  EXPECT_EQ(RunLineEndCommandOnFile(LineEndCommand::CrToCrLf, crOnly), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(RunLineEndCommandOnFile(LineEndCommand::Auto, crOnly), "a\r\nb\r\nc\r\n");
  const std::string mixed = dir.Write("mixed.txt", "a\rb\nc\r\n");
  EXPECT_EQ(RunLineEndCommandOnFile(LineEndCommand::Auto, mixed), "a\r\nb\nc\r\n\n");  // only CR is converted
  EXPECT_EQ(RunLineEndCommandOnFile(LineEndCommand::LfToCrLf, mixed), "a\rb\r\nc\r\r\n");
  EXPECT_EQ(RunLineEndCommandOnFile(LineEndCommand::CrLfToCr, mixed), "a\rb\nc\r");
  EXPECT_EQ(RunLineEndCommandOnFile(LineEndCommand::LfToCr, mixed), "a\rb\rc\r\r");
  EXPECT_EQ(RunLineEndCommandOnFile(LineEndCommand::CrLfToLf, mixed), "a\rb\nc\n");
  EXPECT_EQ(RunLineEndCommandOnFile(LineEndCommand::CrToLf, mixed), "a\nb\nc\n\n");
  // NUL bytes are kept: these commands do not split the text.
  EXPECT_EQ(RunLineEndCommandOnFile(LineEndCommand::LfToCrLf, dir.Write("nul.txt", std::string("a\0\n", 3))),
            std::string("a\0\r\n", 4));
  EXPECT_FALSE(RunLineEndCommandOnFile(LineEndCommand::Auto, dir.File("missing")));
}

// UTF-8 and UTF-16 files reach the code items as their Shift_JIS text and
// the line-end items as their characters, never as bytes taken for Shift_JIS.
// A literal with its zero bytes.
template <size_t N>
std::string L(const char (&s)[N]) {
  return std::string(s, N - 1);
}

TEST(CodeCommands, UnicodeFilesAreReadDecoded) {
  const std::string sjis = "\x93\xfa\x96\x7b\r\nabc\r\n";  // 日本, abc
  EXPECT_EQ(CodeCommandInput("\xE6\x97\xA5\xE6\x9C\xAC\nabc"), sjis);
  EXPECT_EQ(CodeCommandInput("\xEF\xBB\xBF\xE6\x97\xA5\xE6\x9C\xAC\nabc\n"), sjis);
  EXPECT_EQ(CodeCommandInput(L("\xFF\xFE\xE5\x65\x2C\x67\n\0a\0b\0c\0")), sjis);
  EXPECT_EQ(CodeCommandInput(L("\xFE\xFF\x65\xE5\x67\x2C\0\r\0\n\0a\0b\0c")), sjis);
  EXPECT_EQ(CodeCommandInput("\x93\xfa\x96\x7b\nabc"), sjis);  // Shift_JIS as before
  EXPECT_EQ(ApplyCodeCommand(C::Auto, CodeCommandInput("\xE6\x97\xA5\xE6\x9C\xAC\nabc")), sjis);

  // CR to CR LF in UTF-16LE: 0D 00 becomes 0D 00 0A 00, never 0D 0A 00.
  const std::string le =
      L("\xFF\xFE"
        "a\0\r\0\x3D\xD8\x00\xDE\r\0");  // a CR 😀 CR
  PaneLoad out = LineEndCommandForPane(LineEndCommand::CrToCrLf, le);
  ASSERT_TRUE(out.unicode.has_value());
  EXPECT_EQ(out.unicode->Encode(out.text), L("\xFF\xFE"
                                             "a\0\r\0\n\0\x3D\xD8\x00\xDE\r\0\n\0"));
  out = LineEndCommandForPane(LineEndCommand::Auto, "\xE6\x97\xA5\n\xF0\x9F\x98\x80\n");
  ASSERT_TRUE(out.unicode.has_value());
  EXPECT_EQ(out.unicode->Encode(out.text), "\xE6\x97\xA5\r\n\xF0\x9F\x98\x80\r\n");
  out = LineEndCommandForPane(LineEndCommand::CrToLf, "a\rb\r");
  EXPECT_FALSE(out.unicode.has_value());
  EXPECT_EQ(out.text, "a\nb\n");
}

TEST(WidthCommands, WholeTextAndLineByLine) {
  EXPECT_EQ(ApplyWidthCommand(WidthCommand::HalfToFull, "A\r\nB"), "\x82\x60\r\n\x82\x61");
  EXPECT_EQ(ApplyWidthCommand(WidthCommand::FullToHalf, "\x82\x60\r\n\x82\x61"), "A\r\nB");
  EXPECT_EQ(ApplyWidthCommand(WidthCommand::HalfKanaToFull, "\xb1\r\n"), "\x83\x41\r\n");
  // A broken lead byte at a line's end cannot hide the next line's space.
  EXPECT_EQ(ApplyWidthCommand(WidthCommand::WideSpace, "\x81\x40x\x82\r\n\x81\x40"), "  x\x82\r\n  ");
}

// Which items "文字コード変換(&J)" enables for each detected code.
TEST(CodeMenu, EnablingRule) {
  auto enabled = [](std::string_view text) {
    std::string s;
    auto on = CodeMenuEnabling(text);
    const char* names[] = {"auto", "j2s",  "e2s",   "s2j", "e2j", "s2e", "j2e", "b64",
                           "b64d", "mime", "mimed", "uu",  "uud", "bh",  "bhd"};
    for (int i = 0; i < kCodeCommandCount; ++i)
      if (on[i]) s += std::string(s.empty() ? "" : " ") + names[i];
    return s;
  };
  const std::string always = "b64d mimed uu uud bh bhd";
  EXPECT_EQ(enabled(""), always);
  EXPECT_EQ(enabled(B({'a', 0x00, 'b'})), always);
  EXPECT_EQ(enabled("plain\r\n"), "auto j2s e2s s2j e2j s2e j2e b64 b64d mime mimed uu uud bh bhd");
  EXPECT_EQ(enabled("\x1b$B\x30\x21\x1b(J\r\n"), "auto j2s j2e b64 b64d mimed uu uud bh bhd");
  EXPECT_EQ(enabled("\x1b$@\x30\x21\x1b(J\r\n"), "auto j2s j2e b64 b64d mimed uu uud bh bhd");
  EXPECT_EQ(enabled("\xa4\xa2\xa4\xf3\r\n"), "auto e2s e2j b64 b64d mimed uu uud bh bhd");
  EXPECT_EQ(enabled("\x82\xa0\r\n"), "auto s2j s2e b64 b64d mime mimed uu uud bh bhd");
  EXPECT_EQ(enabled("\xa4\xa2\r\n"), "auto e2s s2j e2j s2e b64 b64d mime mimed uu uud bh bhd");
}

}  // namespace
}  // namespace navirt

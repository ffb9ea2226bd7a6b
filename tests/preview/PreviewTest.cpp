#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "preview/FolderSummary.h"
#include "preview/InfoLine.h"
#include "preview/ReadRule.h"
#include "preview/ReadSettingDialog.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

TEST(InfoLine, PiecesAreJoinedExactly) {
  setenv("TZ", "UTC", 1);
  tzset();
  FileStat st;
  st.found = true;
  st.size = 1234567;
  st.mtime = 86400 * 3;  // 1970-01-04, a Sunday
  st.attrs = faReadOnly | faHidden;
  std::string s = InfoLinePieces1To8("/home/u/.memo.txt", st);
  EXPECT_EQ(s, ".memo.txt         1,234,567 byte   1970.01.04(日)   R--H    /home/u/    ");
  st.found = false;
  EXPECT_EQ(InfoLinePieces1To8("/a/b", st).substr(0, 6), "b   - ");
  EXPECT_EQ(InfoLinePiece9("[Delphi unit]", "ASCII"), "    [Delphi unit]  ASCII");
  EXPECT_EQ(InfoLinePiece9("", ""), "      ");
  // An empty file and a file beyond 4 GiB: right-aligned true sizes.
  st.found = true;
  st.size = 0;
  EXPECT_NE(InfoLinePieces1To8("/e", st).find("              0 byte"), std::string::npos);
  st.size = 5ull << 30;
  EXPECT_NE(InfoLinePieces1To8("/e", st).find("  5,368,709,120 byte"), std::string::npos);
}

TEST(SniffFileType, LabelsInOrder) {
  EXPECT_EQ(SniffFileType("MZ\x90", "/x.exe"), "[実行ファイル]");
  EXPECT_EQ(SniffFileType("BM here", "/x.txt"), "[ﾋﾞｯﾄﾏｯﾌﾟ]");
  EXPECT_EQ(SniffFileType("DCU1", "/x"), "[DEL_U1]");
  EXPECT_EQ(SniffFileType("HSPPx", "/x"), "[DEL_U2]");
  EXPECT_EQ(SniffFileType(std::string("\x41\x86\x51\x44z"), "/x"), "[DEL_U3]");
  EXPECT_EQ(SniffFileType("program Foo;", "/x.dpr"), "[Delphi program]");
  EXPECT_EQ(SniffFileType("unit Foo;", "/x.pas"), "[Delphi unit]");
  EXPECT_EQ(SniffFileType("{\\rtf1", "/x.rtf"), "[ﾘｯﾁテキスト]");
  EXPECT_EQ(SniffFileType("?_\x03", "/x.hlp"), "[Helpファイル]");
  EXPECT_EQ(SniffFileType("?_\x03", "/x.txt"), "");
  EXPECT_EQ(SniffFileType("Program", "/x"), "");  // case matters
  EXPECT_EQ(SniffFileType("", "/x"), "");
  EXPECT_EQ(SniffFileType("MZ", ""), "");
  EXPECT_EQ(FirstLine("abc\r\ndef"), "abc");
  EXPECT_EQ(FirstLine("abc\rdef"), "abc");
  EXPECT_EQ(UpperExtension("/a.b/c.Hlp"), ".HLP");
  EXPECT_EQ(UpperExtension("/a.b/c"), "");
}

TEST(ReadRule, TableBoundaries) {
  ReadSettings rs;  // Byte 10000, Check on, no limit
  EXPECT_EQ(ChooseReadMode(rs, 10000, true), ReadMode::Direct);
  EXPECT_EQ(ChooseReadMode(rs, 10001, true), ReadMode::Buffered);
  rs.streamCheck = false;
  EXPECT_EQ(ChooseReadMode(rs, 50000, true), ReadMode::Direct);
  EXPECT_EQ(ChooseReadMode(rs, 50000, false), ReadMode::None);
  rs.readMax = 100;
  EXPECT_EQ(ChooseReadMode(rs, 100, false), ReadMode::Direct);
  EXPECT_EQ(ChooseReadMode(rs, 101, true), ReadMode::None);
  rs.streamCheck = true;
  rs.streamByte = 50;
  EXPECT_EQ(ChooseReadMode(rs, 50, true), ReadMode::Direct);
  EXPECT_EQ(ChooseReadMode(rs, 51, true), ReadMode::Buffered);
  EXPECT_EQ(ChooseReadMode(rs, 101, true), ReadMode::None);
  rs.readMax = -3;  // below zero means no limit too
  EXPECT_EQ(ChooseReadMode(rs, 1ull << 40, true), ReadMode::Buffered);

  TIniFile ini;
  ini.Parse("[StreamRead]\nByte=500\nCheck=0\n[ReadMax]\nByte=abc\n");
  ReadSettings loaded = LoadReadSettings(ini);
  EXPECT_EQ(loaded.streamByte, 500);
  EXPECT_FALSE(loaded.streamCheck);
  EXPECT_EQ(loaded.readMax, 0);
}

TEST(ReadSettingDialog, PresetsAndWhatOkWrites) {
  TIniFile ini;
  auto m = TReadSettingDialogModel::ForStreamRead(ini);
  EXPECT_EQ(m.caption, "Stream読み込みの設定");
  EXPECT_EQ(m.bytes, 10000);
  EXPECT_TRUE(m.checked);
  m.bytes = 5000000000;  // beyond the field's range
  m.checked = false;
  m.Accept(ini);
  EXPECT_EQ(ini.ReadInteger("StreamRead", "Byte", 0), 2147483647);
  EXPECT_EQ(ini.ReadString("StreamRead", "Check", ""), "0");
  auto r = TReadSettingDialogModel::ForReadMax(ini);
  EXPECT_FALSE(r.checkEnabled);
  EXPECT_TRUE(r.checked);
  EXPECT_EQ(r.note, "設定解除は０バイト");
  r.bytes = 100;
  r.Accept(ini);
  EXPECT_EQ(ini.ReadInteger("ReadMax", "Byte", 0), 100);
  EXPECT_FALSE(ini.ValueExists("ReadMax", "Check"));
}

TEST(ReadSettingDialog, CharsetsAndTabWidth) {
  EXPECT_EQ(CharsetIndexOf(128), 4);
  EXPECT_EQ(CharsetIndexOf(255), 18);
  EXPECT_EQ(CharsetIndexOf(3), -1);
  EXPECT_EQ(ParseTabWidth("4"), 4);
  EXPECT_EQ(ParseTabWidth(" 12 "), 12);
  EXPECT_EQ(ParseTabWidth("four"), 8);
  EXPECT_EQ(ParseTabWidth(""), 8);
  EXPECT_EQ(ParseTabWidth("0"), 8);
}

TEST(FolderSummary, CountsEveryFileBelowAndStopsWhenCancelled) {
  UniqueTempDir tmp("navirt-summary");
  const std::filesystem::path& dir = tmp.path();
  std::filesystem::create_directories(dir / "a" / "b");
  std::ofstream(dir / "one") << "12345";
  std::ofstream(dir / "a" / "two") << "123";
  std::ofstream(dir / "a" / "b" / "three") << "1";
  std::filesystem::create_directory_symlink(dir, dir / "a" / "loop");
  std::atomic<bool> cancel{false};
  FolderFigures f = WalkFolder(dir.string(), cancel);
  EXPECT_TRUE(f.complete);
  EXPECT_EQ(f.count, 3u);
  EXPECT_EQ(f.bytes, 9u);
  cancel = true;
  EXPECT_FALSE(WalkFolder(dir.string(), cancel).complete);
  EXPECT_EQ(FolderCountText(12345), "12,345 個");
  EXPECT_EQ(FolderBytesText(3ull << 32), "12,884,901,888 byte");
}

}  // namespace
}  // namespace navirt

// The line commands over small texts whose results are worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>

#include "edit/LineCommandTable.h"
#include "edit/LineCommands.h"
#include "edit/LineStream.h"
#include "platform/Cp932.h"
#include "tests/SjisText.h"

namespace navirt {
namespace {

LineList L(std::initializer_list<std::string_view> utf8) {
  LineList l;
  for (auto s : utf8) l.push_back(S(s));
  return l;
}

TEST(LineNumbers, WidthFollowsTheLineCount) {
  LineList hundred(100, "x");
  LineList n = AddLineNumbers(hundred, NumberForm::Head);
  EXPECT_EQ(n[0], "  1 x");
  EXPECT_EQ(n[9], " 10 x");
  EXPECT_EQ(n[99], "100 x");
  LineList twelve(12, "y");
  EXPECT_EQ(AddLineNumbers(twelve, NumberForm::HeadComma)[0], " 1,y");
  EXPECT_EQ(AddLineNumbers(twelve, NumberForm::Tail)[11], "y 12");
  EXPECT_EQ(AddLineNumbers(twelve, NumberForm::TailComma)[8], "y, 9");
  EXPECT_EQ(AddLineNumbers(LineList{"only"}, NumberForm::Head)[0], "1 only");
}

TEST(SerialNumbers, FormatsAndRanges) {
  LineList l{"a", "b", "c"};
  AddSerialNumbers(l, 0, 2, "X0000", 1);
  EXPECT_EQ(l, (LineList{"X0001 a", "X0002 b", "X0003 c"}));
  l = {"a", "b"};
  AddSerialNumbers(l, 0, 1, "A", 9);
  EXPECT_EQ(l, (LineList{"A9 a", "A10 b"}));
  l = {"a", "b"};
  AddSerialNumbers(l, 0, 1, "", 1);
  EXPECT_EQ(l, (LineList{"1 a", "2 b"}));
  l = {"a", "b", "c", "d"};
  AddSerialNumbers(l, 1, 2, "No.00", 99);  // only the selected lines; padding is a minimum
  EXPECT_EQ(l, (LineList{"a", "No.99 b", "No.100 c", "d"}));
  l = {"a", "b"};
  AddSerialNumbers(l, 0, 1, "N000", -2);
  EXPECT_EQ(l, (LineList{"N-002 a", "N-001 b"}));
  // A kanji format keeps its bytes; only trailing "0" characters pad.
  l = {"a"};
  AddSerialNumbers(l, 0, 0, S("第00"), 7);
  EXPECT_EQ(l[0], S("第07 a"));
}

TEST(NumberAnswers, WhatTheWindowAccepts) {
  EXPECT_EQ(ReadIntAnswer("12").value, 12);
  EXPECT_EQ(ReadIntAnswer("  -7").value, -7);
  EXPECT_EQ(ReadIntAnswer("$1F").value, 31);
  EXPECT_EQ(ReadIntAnswer("2147483647").value, 2147483647);
  EXPECT_EQ(ReadIntAnswer("-2147483648").value, -2147483647 - 1);
  for (const char* bad : {"", " ", "1.5", "12 ", "abc", "2147483648", "0x", "--1", "$"}) {
    NumberAnswer a = ReadIntAnswer(bad);
    EXPECT_FALSE(a.ok) << bad;
    EXPECT_EQ(a.message, "'" + std::string(bad) + "' は有効な整数値ではありません");
  }
  // The quoted answer is shown in UTF-8 whatever the pane's bytes were.
  EXPECT_EQ(ReadIntAnswer(S("１")).message, "'１' は有効な整数値ではありません");
  EXPECT_EQ(ReadHexSeparatorAnswer("2c").value, 0x2C);
  EXPECT_EQ(ReadHexSeparatorAnswer("FF").value, 0xFF);
  EXPECT_FALSE(ReadHexSeparatorAnswer("100").ok);
  EXPECT_FALSE(ReadHexSeparatorAnswer("00").ok);
  EXPECT_FALSE(ReadHexSeparatorAnswer("G1").ok);
  EXPECT_EQ(ReadRecordSizeAnswer("3").value, 3);
  EXPECT_FALSE(ReadRecordSizeAnswer("0").ok);
  EXPECT_FALSE(ReadRecordSizeAnswer("-4").ok);
}

TEST(Reverse, DoubleByteCharactersMoveWhole) {
  EXPECT_EQ(ReverseCharacters(S("aあbい")), S("いbあa"));
  EXPECT_EQ(ReverseCharacters("ab\x82"),
            "\x82"
            "ba");  // a lone lead byte at the end is one unit
  EXPECT_EQ(ReverseCharacters(std::string("a\0b", 3)), std::string("b\0a", 3));
}

TEST(CaretLine, DuplicateAndDelete) {
  LineList l{"a", "b", "c"};
  DuplicateLine(l, 1);
  EXPECT_EQ(l, (LineList{"a", "b", "b", "c"}));
  DeleteLine(l, 0);
  EXPECT_EQ(l, (LineList{"b", "b", "c"}));
  DeleteLine(l, 9);
  DuplicateLine(l, 9);
  EXPECT_EQ(l.size(), 3u);
}

TEST(CutAtColumn, PiecesNeverSplitACharacter) {
  EXPECT_EQ(CutAtColumn({"abcdefghij"}, 4), (LineList{"abcd", "efgh", "ij"}));
  EXPECT_EQ(CutAtColumn({"abcdefgh"}, 4), (LineList{"abcd", "efgh"}));
  EXPECT_EQ(CutAtColumn({"abc", ""}, 4), (LineList{"abc", ""}));
  // Byte 4 is the lead byte of あ: the piece is 3 bytes.
  EXPECT_EQ(CutAtColumn(L({"abcあd"}), 4), L({"abc", "あd"}));
  EXPECT_EQ(CutAtColumn(L({"abcdefgh"}), 3, "<"), L({"abc<", "def<", "gh"}));
}

TEST(CutAtColumn, ColumnOneOnDoubleByteMakesProgress) {
  EXPECT_EQ(CutAtColumn(L({"あいa"}), 1), L({"あ", "い", "a"}));
  EXPECT_EQ(CutAtColumn(L({"あい"}), 1, "|"), L({"あ|", "い"}));
  EXPECT_EQ(CutAtColumn({"ab"}, 0), (LineList{"ab"}));
}

TEST(InsertAtColumn, ShortLinesStayAndCharactersStayWhole) {
  EXPECT_EQ(InsertAtColumn({"abcdef", "abc", "ab"}, "|", 3), (LineList{"ab|cdef", "abc", "ab"}));
  EXPECT_EQ(InsertAtColumn({"abc"}, "|", 1), (LineList{"|abc"}));
  // Byte 2 (column 3 - 1) would be inside あ: inserted before it.
  EXPECT_EQ(InsertAtColumn(L({"aあbc"}), "|", 3), L({"a|あbc"}));
  EXPECT_EQ(InsertAtColumn(L({"aあbc"}), "|", 4), L({"aあ|bc"}));
}

TEST(ColumnRange, StartAndEndInsideCharacters) {
  // a あ い b: bytes a=0, あ=1-2, い=3-4, b=5
  std::string line = S("aあいb");
  // Start inside あ (column 3): extract narrows to after it, delete widens over it.
  EXPECT_EQ(ExtractColumns({line}, 3, 3), L({"い"}));
  EXPECT_EQ(DeleteColumns({line}, 3, 3), L({"ab"}));
  // End inside い (columns 2-4): extract keeps あ, delete removes あい.
  EXPECT_EQ(ExtractColumns({line}, 2, 3), L({"あ"}));
  EXPECT_EQ(DeleteColumns({line}, 2, 3), L({"ab"}));
  // Both ends inside one character: extract keeps nothing.
  EXPECT_EQ(ExtractColumns(L({"あ"}), 2, 1), L({""}));
  EXPECT_EQ(DeleteColumns(L({"あx"}), 2, 1), L({"x"}));
  // Width past the end, start past the end, width 0.
  EXPECT_EQ(ExtractColumns({"abc"}, 2, 99), (LineList{"bc"}));
  EXPECT_EQ(ExtractColumns({"abc"}, 5, 2), (LineList{""}));
  EXPECT_EQ(DeleteColumns({"abc"}, 5, 2), (LineList{"abc"}));
  EXPECT_EQ(ExtractColumns({"abc"}, 1, 0), (LineList{""}));
  EXPECT_EQ(DeleteColumns({"abc"}, 1, 0), (LineList{"abc"}));
}

TEST(Trims, LeadingThenIdeographicTrailingRules) {
  EXPECT_EQ(TrimLeadingBlanks(S(" 　 x")), " x");  // a blank after an ideographic space stays
  EXPECT_EQ(TrimLeadingBlanks(S("  　　x ")), "x ");
  EXPECT_EQ(TrimTrailingBlanks("x\t"), "x\t");
  EXPECT_EQ(TrimTrailingBlanks("x\t \t "), "x");
  EXPECT_EQ(TrimTrailingBlanks(S("x　　")), "x");
  EXPECT_EQ(TrimTrailingBlanks(S("x \t　")), "x \t");
  EXPECT_EQ(TrimTrailingBlanks(S("x\t 　")), "x");
  // 82 81 40: the character 82 81 and "@", not an ideographic space.
  EXPECT_EQ(TrimTrailingBlanks("\x82\x81\x40"), "\x82\x81\x40");
  EXPECT_EQ(TrimTrailingBlanks(std::string(" \0 ", 3)), "");
}

TEST(Deletes, BlanksTabsAndLineEnds) {
  EXPECT_EQ(DeleteBlanks(L({" a b ", "　"})), L({"ab", "　"}));
  EXPECT_EQ(DeleteIdeographicSpaces(L({"a　b　"})), L({"ab"}));
  EXPECT_EQ(DeleteIdeographicSpaces({"\x82\x81\x40"}), (LineList{"\x82\x81\x40"}));
  EXPECT_EQ(DeleteTabs({"\ta\tb\t"}), (LineList{"ab"}));
  EXPECT_EQ(DeleteLeadingTabs({"\t\ta\tb"}), (LineList{"a\tb"}));
  EXPECT_EQ(DeleteLineEnds({"a", "b", "", "c"}), (LineList{"abc"}));
  EXPECT_EQ(DeleteLineEndsInRange("ab\r\ncd\r\nef", 1, 4), "abcd\r\nef");
  EXPECT_EQ(DeleteLineEndsInRange("ab\r\ncd", 2, 1), "ab\r\ncd");  // half a pair stays
  EXPECT_EQ(DeleteLineEndsInRange("ab", 9, 1), "ab");
}

TEST(Deletes, EmptyAndRepeatedLines) {
  EXPECT_EQ(DeleteEmptyLines({"", " ", "a", ""}), (LineList{" ", "a"}));
  LineList l{"a", "a", "b", "a"};
  DeleteRepeatedLines(l);
  EXPECT_EQ(l, (LineList{"a", "b", "a"}));
  l = {"x", "x", "x"};
  DeleteRepeatedLines(l);
  EXPECT_EQ(l, (LineList{"x"}));
}

TEST(Deletes, RepeatedKeysWithEmptyKeys) {
  LineList l{"ab1", "ab2", "ac3", "ac4", "ab5"};
  EXPECT_EQ(DeleteRepeatedKeys(l, 2), (LineList{"ab1", "ac3", "ab5"}));
  // An empty first line has the empty key the first line is compared with.
  EXPECT_EQ(DeleteRepeatedKeys({"", "a", "a", ""}, 1), (LineList{"a", ""}));
  // A key of no bytes is refused by the command ("同じ項目を削除" with its
  // caret-column default at a line start): nothing is deleted.
  for (const char* answer : {"1", "0"}) {
    TLineRunResult r = RunLineCommand(LineCmd::DeleteRepeatedKeys, {"a", "b", "c"}, {answer});
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("2 以上"), std::string::npos) << r.message;
  }
  EXPECT_TRUE(RunLineCommand(LineCmd::DeleteRepeatedKeys, {"a", "b"}, {"2"}).ok);
  // The key is remembered for dropped lines too.
  EXPECT_EQ(DeleteRepeatedKeys({"a1", "b1", "b2", "a2"}, 1), (LineList{"a1", "b1", "a2"}));
}

TEST(Csv, RecordsOfNLines) {
  EXPECT_EQ(LinesToCsv({"a", "b", "c", "d"}, "\"", ",", 3), (LineList{"\"a\",\"b\",\"c\"", "\"d\""}));
  EXPECT_EQ(LinesToCsv({"x", "y", "z"}, "", "", 2), (LineList{"xy", "z"}));
  EXPECT_EQ(LinesToCsv({"x", "y"}, "'", ",", 10), (LineList{"'x','y'"}));  // N above the line count
  // An empty first field keeps its separator, quoted or not.
  EXPECT_EQ(LinesToCsv({"", "b", "c"}, "", ",", 3), (LineList{",b,c"}));
  EXPECT_EQ(LinesToCsv({"", "", "c", "", "e"}, "", ",", 2), (LineList{",", "c,", "e"}));
  EXPECT_EQ(LinesToCsv({"", "b"}, "\"", ",", 2), (LineList{"\"\",\"b\""}));
  EXPECT_EQ(LinesToCsv({"a"}, "", ",", 0), (LineList{"a"}));
}

TEST(Tabs, ReplacedByOneByte) { EXPECT_EQ(ReplaceTabs({"\ta\t"}, '_'), (LineList{"_a_"})); }

TEST(Sort, JapaneseOrderCaseIgnoredStable) {
  LineList in = L({"b", "B", "あ", "ア", "a", "亜", "A", "1"});
  LineList asc = SortLines(in, false);
  // Digits, Latin (case ignored, first seen first), kana, kanji.
  EXPECT_EQ(asc, L({"1", "a", "A", "b", "B", "あ", "ア", "亜"}));
  LineList desc = SortLines(in, true);
  // Equal keys keep their order in both directions.
  EXPECT_EQ(desc, L({"亜", "ア", "あ", "b", "B", "a", "A", "1"}));
  // Lines that do not decode sort without damage.
  LineList odd{"\x82", std::string("\0a", 2), "\xff\xfe", "a"};
  LineList s = SortLines(odd, false);
  std::sort(s.begin(), s.end());
  std::sort(odd.begin(), odd.end());
  EXPECT_EQ(s, odd);
}

TEST(Sort, HalvesSortedSideBySideKeepEqualLinesInOrder) {
  // Equal keys on both sides of the cut, both directions.
  LineList in{"b", "a", "B", "A", "a"};
  EXPECT_EQ(SortLines(in, false, 0), (LineList{"a", "A", "a", "b", "B"}));
  EXPECT_EQ(SortLines(in, true, 0), (LineList{"b", "B", "a", "A", "a"}));
  // The text is cut after a line end, never inside CR LF.
  EXPECT_EQ(SortLinesText("b\r\na\r\nB\r\n\r\nA\ra", false), "\r\na\r\nA\r\na\r\nb\r\nB");
  std::string out, buf;
  TLineJoiner j(
      buf, [&](std::string_view p) { out += p; }, 4);
  SortLinesText("b\r\na\r\nB\r\n\r\nA\ra", false, j, 0);
  j.Finish();
  EXPECT_EQ(out, "\r\na\r\nA\r\na\r\nb\r\nB");
}

TEST(Sort, ACancelTestEndsItEarlyAndOneSayingNoChangesNothing) {
  LineList in;
  for (unsigned i = 0; i < 200000; ++i) in.push_back(std::to_string((i * 7919u) % 200003u));
  for (size_t sideBySide : {size_t{0}, size_t{1000000}}) {
    // Asked while keys are built and while they are sorted; the first yes ends it.
    std::atomic<int> asked{0};
    EXPECT_THROW(SortLines(in, true, sideBySide, [&] { return ++asked > 20; }), TLinesCancelled);
    EXPECT_LE(asked.load(), 22 + 2);
    std::atomic<int> keyAsks{0};
    EXPECT_THROW(SortLines(in, false, sideBySide, [&] { return ++keyAsks > 60; }), TLinesCancelled);
    EXPECT_EQ(SortLines(in, false, sideBySide, [] { return false; }), SortLines(in, false, sideBySide));
  }
  // Through the line command as well.
  EXPECT_THROW(RunLineCommand(LineCmd::SortDesc, in, {}, {}, [] { return true; }), TLinesCancelled);
}

TEST(Sort, LongLinesAndSharedKeyHeads) {
  // Keys longer than a block of the key store, and lines whose keys agree
  // in their first bytes and differ later.
  std::string kanji;
  for (int i = 0; i < 700000; ++i) kanji += "\x88\x9f";
  LineList in{kanji + "b", "abcdefghijklmnop2", kanji + "a", "abcdefghijklmnop1", "ABCDEFGHIJKLMNOP1", ""};
  LineList s = SortLines(in, false);
  EXPECT_EQ(s, (LineList{"", "abcdefghijklmnop1", "ABCDEFGHIJKLMNOP1", "abcdefghijklmnop2", kanji + "a", kanji + "b"}));
}

TEST(CommandTable, CaptionsQuestionsAndRules) {
  const auto& num = LineCommandInfo(LineCmd::NumberHead);
  EXPECT_TRUE(num.switchToEdit);
  EXPECT_TRUE(num.wrapOff);
  const auto& trail = LineCommandInfo(LineCmd::TrimTrailing);
  EXPECT_TRUE(trail.switchToEdit);
  EXPECT_FALSE(trail.wrapOff);
  EXPECT_TRUE(LineCommandInfo(LineCmd::DeleteLeadingTabs).wrapOff);
  EXPECT_FALSE(LineCommandInfo(LineCmd::DeleteLeadingTabs).switchToEdit);
  EXPECT_EQ(LineCommandInfo(LineCmd::DeleteRepeated).minLines, 2u);
  const auto& serial = LineCommandInfo(LineCmd::Serial);
  ASSERT_EQ(serial.asks.size(), 2u);
  EXPECT_STREQ(serial.asks[0].title, "連番の書式入力");
  EXPECT_STREQ(serial.asks[1].prompt, "初期数値 例) 1");
  const auto& hex = LineCommandInfo(LineCmd::CsvHex);
  ASSERT_EQ(hex.asks.size(), 2u);
  EXPECT_STREQ(hex.asks[0].prompt, "１６進区切り文字(01-FF)");
  EXPECT_STREQ(hex.asks[1].prompt, "１レコードの行数");
  EXPECT_STREQ(LineCommandInfo(LineCmd::CsvDoubleQuote).caption, "\"+,");
  EXPECT_EQ(AnswerCount(LineCmd::CutAppend), 3u);
  TLinePaneState pane;
  pane.caretColumn = 7;
  EXPECT_EQ(AskDefaultText(LineCommandInfo(LineCmd::DeleteRepeatedKeys).asks[0], pane), "7");
  EXPECT_EQ(AskDefaultText(serial.asks[0], pane), "");
  // Every command is in the table once.
  std::set<LineCmd> seen;
  for (const auto& c : LineCommandTable()) EXPECT_TRUE(seen.insert(c.id).second);
  EXPECT_EQ(seen.size(), static_cast<size_t>(LineCmd::TabToUnderscore) + 1);
}

TEST(ColumnDialog, PresetsAndReading) {
  TForm30Model m;
  EXPECT_EQ(m.caption, "桁削除");
  TLinePaneState pane;
  pane.caretColumn = 12;
  pane.selLength = 0;
  m.Preset(LineCommandInfo(LineCmd::ExtractColumns).asks[0], pane);
  EXPECT_EQ(m.caption, "桁抽出");
  EXPECT_TRUE(m.widthShown);
  EXPECT_EQ(m.startText, "12");
  EXPECT_EQ(m.widthText, "1");  // the field's range starts at 1
  m.Preset(LineCommandInfo(LineCmd::CutAtColumn).asks[0], pane);
  EXPECT_EQ(m.caption, "指定位置で改行");
  EXPECT_FALSE(m.widthShown);
  pane.caretColumn = 70000;
  pane.selLength = 5;
  m.Preset(LineCommandInfo(LineCmd::DeleteColumns).asks[0], pane);
  EXPECT_EQ(m.startText, "65353");
  EXPECT_EQ(m.widthText, "5");
  m.startText = "x";
  m.widthText = "";
  EXPECT_EQ(m.Start(), 1);
  EXPECT_EQ(m.Width(), 0);
  m.startText = "0";
  m.widthText = "99999";
  EXPECT_EQ(m.Start(), 1);
  EXPECT_EQ(m.Width(), 65353);
}

TEST(RunLineCommand, RefusedAnswersChangeNothing) {
  LineList in{"a", "b", "c"};
  for (auto [id, answers] : std::vector<std::pair<LineCmd, std::vector<std::string>>>{
           {LineCmd::Serial, {"X0", "one"}},
           {LineCmd::DeleteRepeatedKeys, {"1.5"}},
           {LineCmd::CsvComma, {"0"}},
           {LineCmd::CsvComma, {"-1"}},
           {LineCmd::CsvHex, {"100", "2"}},
           {LineCmd::CsvHex, {"zz", "2"}},
           {LineCmd::CsvAny, {";", "x"}},
       }) {
    TLineRunResult r = RunLineCommand(id, in, answers);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.message.find("は有効な整数値ではありません"), std::string::npos);
    EXPECT_TRUE(r.lines.empty());
  }
  TLineRunResult r = RunLineCommand(LineCmd::CsvHex, in, {"3b", "2"});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.lines, (LineList{"a;b", "c"}));
}

TEST(RunLineCommand, PaneStateAndEmptyPane) {
  EXPECT_TRUE(RunLineCommand(LineCmd::SortAsc, {}, {}).lines.empty());
  EXPECT_EQ(RunLineCommand(LineCmd::DeleteRepeated, {"a"}, {}).lines, (LineList{"a"}));
  TLinePaneState pane;
  pane.selStart = 2;
  pane.selLength = 4;
  pane.selFirstLine = 1;
  pane.selLastLine = 2;
  EXPECT_EQ(RunLineCommand(LineCmd::Serial, {"a", "b", "c", "d"}, {"", "5"}, pane).lines,
            (LineList{"a", "5 b", "6 c", "d"}));
  EXPECT_EQ(RunLineCommand(LineCmd::DeleteLineEnds, {"a", "b", "c"}, {}, pane).lines, (LineList{"a", "bc"}));
  pane.caretLine = 2;
  EXPECT_EQ(RunLineCommand(LineCmd::DeleteLine, {"a", "b", "c"}, {}, pane).lines, (LineList{"a", "b"}));
  EXPECT_EQ(RunLineCommand(LineCmd::DeleteRepeatedKeys, {"ab", "ac", "b"}, {"2"}).lines, (LineList{"ab", "b"}));
  // A negative answer gives an empty key, as 1 does.
  EXPECT_EQ(RunLineCommand(LineCmd::DeleteRepeatedKeys, {"ab", "ac"}, {"-5"}).lines, LineList{});
  EXPECT_EQ(RunLineCommand(LineCmd::ExtractColumns, {"abcdef"}, {"2", "3"}).lines, (LineList{"bcd"}));
  EXPECT_EQ(RunLineCommand(LineCmd::CutAtColumn, {"abcdef"}, {"junk", ""}).lines,
            (LineList{"a", "b", "c", "d", "e", "f"}));  // an unreadable start reads as 1
}

}  // namespace
}  // namespace navirt

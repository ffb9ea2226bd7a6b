#include "edit/LineCommandTable.h"

#include <cstdlib>
#include <stdexcept>

#include "edit/PaneText.h"
#include "platform/Cp932.h"

namespace navirt {

namespace {

constexpr const char* kSort = "編集 / 行の並び替え";
constexpr const char* kNumber = "編集 / 行番号を追加";
constexpr const char* kEdit = "編集";
constexpr const char* kInsertAt = "編集 / 桁位置に挿入";
constexpr const char* kDelete = "削除";
constexpr const char* kBlanks = "削除 / 空白を削除";
constexpr const char* kTabs = "削除 / TAB文字を削除";
constexpr const char* kCsv = "変換 / 行->CSVデータ変換";
constexpr const char* kTabTo = "変換 / TAB文字->";

constexpr const char* kInsertPrompt = "挿入する文字を入力して下さい";
constexpr const char* kCsvTitle = "行->CSVデータ変換";

const TLineAsk kRecordSize{AskKind::RecordSize, kCsvTitle, "１レコードの行数", AskDefault::Empty, false};

std::vector<TLineCommandInfo> BuildTable() {
  using K = AskKind;
  using D = AskDefault;
  return {
      {LineCmd::SortAsc, kSort, "昇順", false, false, false, 1, {}},
      {LineCmd::SortDesc, kSort, "降順", false, false, false, 1, {}},
      {LineCmd::NumberHead, kNumber, "行頭", true, true, false, 1, {}},
      {LineCmd::NumberHeadComma, kNumber, "行頭（，）", true, true, false, 1, {}},
      {LineCmd::NumberTail, kNumber, "行末", true, true, false, 1, {}},
      {LineCmd::NumberTailComma, kNumber, "（，）行末", true, true, false, 1, {}},
      {LineCmd::Serial,
       kEdit,
       "連番を追加",
       false,
       false,
       false,
       1,
       {{K::Text, "連番の書式入力", "書式:(文字)+数字 例) X0000", D::Empty, false},
        {K::Integer, "連番の初期数値", "初期数値 例) 1", D::Empty, false}}},
      {LineCmd::Reverse, kEdit, "文字列リバース", false, false, false, 1, {}},
      {LineCmd::DuplicateLine, kEdit, "行を下に複写", false, false, true, 1, {}},
      {LineCmd::CutAtColumn,
       kInsertAt,
       "改行",
       false,
       false,
       false,
       1,
       {{K::Columns, "指定位置で改行", "", D::CaretColumn, false}}},
      {LineCmd::CutAppend,
       kInsertAt,
       "文字＋改行",
       false,
       false,
       false,
       1,
       {{K::Text, "指定桁位置に文字＋改行を挿入", kInsertPrompt, D::Empty, false},
        {K::Columns, "指定桁位置に文字＋改行を挿入", "", D::CaretColumn, false}}},
      {LineCmd::InsertText,
       kInsertAt,
       "文字",
       false,
       false,
       false,
       1,
       {{K::Text, "指定桁位置に文字を挿入", kInsertPrompt, D::Empty, false},
        {K::Columns, "指定桁位置に文字を挿入", "", D::CaretColumn, false}}},
      {LineCmd::ExtractColumns,
       "編集 and 削除",
       "桁抽出",
       false,
       false,
       false,
       1,
       {{K::Columns, "桁抽出", "", D::CaretColumn, true}}},
      {LineCmd::DeleteColumns,
       kDelete,
       "桁削除",
       false,
       false,
       false,
       1,
       {{K::Columns, "桁削除", "", D::CaretColumn, true}}},
      {LineCmd::TrimLeading, kBlanks, "行頭", true, true, false, 1, {}},
      {LineCmd::TrimTrailing, kBlanks, "行末", true, false, false, 1, {}},
      {LineCmd::DeleteBlanks, kBlanks, "全て－1バイト", true, false, false, 1, {}},
      {LineCmd::DeleteIdeoSpaces, kBlanks, "全て－2バイト", true, false, false, 1, {}},
      {LineCmd::DeleteTabs, kTabs, "全てのTAB", false, false, false, 1, {}},
      {LineCmd::DeleteLeadingTabs, kTabs, "行頭のTAB", false, true, false, 1, {}},
      {LineCmd::DeleteLineEnds, kDelete, "改行コードを削除", true, false, true, 1, {}},
      {LineCmd::DeleteEmpty, kDelete, "空行を削除", true, false, false, 1, {}},
      {LineCmd::DeleteRepeated, kDelete, "同じ行を削除", true, false, true, 2, {}},
      {LineCmd::DeleteLine, kDelete, "１行削除", false, false, true, 1, {}},
      {LineCmd::DeleteRepeatedKeys,
       kDelete,
       "同じ項目を削除",
       true,
       false,
       false,
       1,
       {{K::Integer, "同じ項目削除", "項目：行頭からの桁数(半角での桁数)", D::CaretColumn, false}}},
      {LineCmd::CsvDoubleQuote, kCsv, "\"+,", false, false, false, 1, {kRecordSize}},
      {LineCmd::CsvSingleQuote, kCsv, "'+,", false, false, false, 1, {kRecordSize}},
      {LineCmd::CsvComma, kCsv, "+,", false, false, false, 1, {kRecordSize}},
      {LineCmd::CsvTab, kCsv, "(TAB)", false, false, false, 1, {kRecordSize}},
      {LineCmd::CsvSpace, kCsv, "(空白)", false, false, false, 1, {kRecordSize}},
      {LineCmd::CsvNone, kCsv, "(区切り文字なし)", false, false, false, 1, {kRecordSize}},
      {LineCmd::CsvAny,
       kCsv,
       "(任意の文字)",
       false,
       false,
       false,
       1,
       {{K::Text, kCsvTitle, "区切り文字", D::Empty, false}, kRecordSize}},
      {LineCmd::CsvHex,
       kCsv,
       "(16進文字)",
       false,
       false,
       false,
       1,
       {{K::HexByte, kCsvTitle, "１６進区切り文字(01-FF)", D::Empty, false}, kRecordSize}},
      {LineCmd::TabToSpace, kTabTo, "空白", false, false, false, 1, {}},
      {LineCmd::TabToComma, kTabTo, "，(ｶﾝﾏ)", false, false, false, 1, {}},
      {LineCmd::TabToUnderscore, kTabTo, "＿(ｱﾝﾀﾞｰｽｺｱ)", false, false, false, 1, {}},
  };
}

TLineRunResult Refuse(const std::string& message) { return {false, message, {}}; }
constexpr const char* kEmptyKey = "項目の桁数が 1 以下では、全ての行が同じ項目になります。2 以上を指定して下さい。";
TLineRunResult Done(LineList lines) { return {true, {}, std::move(lines)}; }

void ReadColumns(const TLineAsk& ask, const std::vector<std::string>& answers, size_t at, int* start, int* width) {
  TForm30Model m;
  m.widthShown = ask.widthShown;
  m.startText = at < answers.size() ? answers[at] : "";
  m.widthText = at + 1 < answers.size() ? answers[at + 1] : "";
  *start = m.Start();
  *width = m.Width();
}

}  // namespace

const std::vector<TLineCommandInfo>& LineCommandTable() {
  static const std::vector<TLineCommandInfo> table = BuildTable();
  return table;
}

const TLineCommandInfo& LineCommandInfo(LineCmd id) {
  for (const auto& c : LineCommandTable())
    if (c.id == id) return c;
  throw std::logic_error("line command missing from the table");
}

size_t AnswerCount(LineCmd id) {
  size_t n = 0;
  for (const auto& a : LineCommandInfo(id).asks) n += a.kind == AskKind::Columns ? 2 : 1;
  return n;
}

std::string AskDefaultText(const TLineAsk& ask, const TLinePaneState& pane) {
  switch (ask.def) {
    case AskDefault::CaretColumn:
      return std::to_string(pane.caretColumn);
    case AskDefault::SelectionLength:
      return std::to_string(pane.selLength);
    case AskDefault::Empty:
      break;
  }
  return {};
}

void TForm30Model::Preset(const TLineAsk& ask, const TLinePaneState& pane) {
  caption = ask.title;
  widthShown = ask.widthShown;
  startText = std::to_string(Clamp(ask.def == AskDefault::CaretColumn ? pane.caretColumn : 1));
  widthText = std::to_string(Clamp(static_cast<long long>(pane.selLength)));
}

namespace {

// The fields' own reading: digits with an optional sign, else the fallback;
// a readable value goes through the field's range.
int ReadField(const std::string& text, int fallback) {
  NumberAnswer a = ReadIntAnswer(text);
  if (!a.ok) return fallback;
  return TForm30Model::Clamp(a.value);
}

}  // namespace

int TForm30Model::Start() const { return ReadField(startText, 1); }
int TForm30Model::Width() const { return ReadField(widthText, 0); }

TLineRunResult RunLineCommand(LineCmd id, LineList lines, const std::vector<std::string>& answers,
                              const TLinePaneState& pane, const LinesCancelTest& cancelled) {
  const TLineCommandInfo& info = LineCommandInfo(id);
  if (lines.size() < info.minLines) return Done(std::move(lines));
  if (answers.size() < AnswerCount(id)) return Refuse("answers missing");

  // Every answer is read before anything changes.
  std::vector<int64_t> numbers;
  std::vector<std::string> texts;
  int start = 1, width = 0;
  size_t at = 0;
  for (const TLineAsk& ask : info.asks) {
    const std::string& a = answers[at];
    NumberAnswer n;
    switch (ask.kind) {
      case AskKind::Text:
        texts.push_back(a);
        break;
      case AskKind::Integer:
        n = ReadIntAnswer(a);
        break;
      case AskKind::HexByte:
        n = ReadHexSeparatorAnswer(a);
        break;
      case AskKind::RecordSize:
        n = ReadRecordSizeAnswer(a);
        break;
      case AskKind::Columns:
        ReadColumns(ask, answers, at, &start, &width);
        break;
    }
    if (ask.kind == AskKind::Integer || ask.kind == AskKind::HexByte || ask.kind == AskKind::RecordSize) {
      if (!n.ok) return Refuse(n.message);
      numbers.push_back(n.value);
    }
    at += ask.kind == AskKind::Columns ? 2 : 1;
  }

  auto csv = [&](std::string_view q, std::string_view s) { return Done(LinesToCsv(lines, q, s, numbers.back())); };
  switch (id) {
    case LineCmd::SortAsc:
      return Done(SortLines(std::move(lines), false, 20000, cancelled));
    case LineCmd::SortDesc:
      return Done(SortLines(std::move(lines), true, 20000, cancelled));
    case LineCmd::NumberHead:
      return Done(AddLineNumbers(lines, NumberForm::Head));
    case LineCmd::NumberHeadComma:
      return Done(AddLineNumbers(lines, NumberForm::HeadComma));
    case LineCmd::NumberTail:
      return Done(AddLineNumbers(lines, NumberForm::Tail));
    case LineCmd::NumberTailComma:
      return Done(AddLineNumbers(lines, NumberForm::TailComma));
    case LineCmd::Serial: {
      size_t first = 0, last = lines.size() - 1;
      if (pane.selLength > 0) {
        first = pane.selFirstLine;
        last = pane.selLastLine;
      }
      AddSerialNumbers(lines, first, last, texts[0], numbers[0]);
      return Done(std::move(lines));
    }
    case LineCmd::Reverse:
      return Done(ReverseLines(lines));
    case LineCmd::DuplicateLine:
      DuplicateLine(lines, pane.caretLine);
      return Done(std::move(lines));
    case LineCmd::CutAtColumn:
      return Done(CutAtColumn(lines, start));
    case LineCmd::CutAppend:
      return Done(CutAtColumn(lines, start, texts[0]));
    case LineCmd::InsertText:
      return Done(InsertAtColumn(lines, texts[0], start));
    case LineCmd::ExtractColumns:
      return Done(ExtractColumns(lines, start, width));
    case LineCmd::DeleteColumns:
      return Done(DeleteColumns(lines, start, width));
    case LineCmd::TrimLeading:
      return Done(TrimLeading(lines));
    case LineCmd::TrimTrailing:
      return Done(TrimTrailing(lines));
    case LineCmd::DeleteBlanks:
      return Done(DeleteBlanks(lines));
    case LineCmd::DeleteIdeoSpaces:
      return Done(DeleteIdeographicSpaces(lines));
    case LineCmd::DeleteTabs:
      return Done(DeleteTabs(lines));
    case LineCmd::DeleteLeadingTabs:
      return Done(DeleteLeadingTabs(lines));
    case LineCmd::DeleteLineEnds:
      if (pane.selLength == 0) return Done(DeleteLineEnds(lines));
      return Done(SplitLines(DeleteLineEndsInRange(JoinLines(lines), pane.selStart, pane.selLength)));
    case LineCmd::DeleteEmpty:
      return Done(DeleteEmptyLines(lines));
    case LineCmd::DeleteRepeated:
      DeleteRepeatedLines(lines);
      return Done(std::move(lines));
    case LineCmd::DeleteLine:
      DeleteLine(lines, pane.caretLine);
      return Done(std::move(lines));
    case LineCmd::DeleteRepeatedKeys: {
      // A key of no bytes is the same on every line: all but none would go.
      int64_t k = numbers[0] - 1;
      if (k < 1) return Refuse(kEmptyKey);
      return Done(DeleteRepeatedKeys(lines, k));
    }
    case LineCmd::CsvDoubleQuote:
      return csv("\"", ",");
    case LineCmd::CsvSingleQuote:
      return csv("'", ",");
    case LineCmd::CsvComma:
      return csv("", ",");
    case LineCmd::CsvTab:
      return csv("", "\t");
    case LineCmd::CsvSpace:
      return csv("", " ");
    case LineCmd::CsvNone:
      return csv("", "");
    case LineCmd::CsvAny:
      return csv("", texts[0]);
    case LineCmd::CsvHex:
      return csv("", std::string(1, static_cast<char>(numbers[0])));
    case LineCmd::TabToSpace:
      return Done(ReplaceTabs(lines, ' '));
    case LineCmd::TabToComma:
      return Done(ReplaceTabs(lines, ','));
    case LineCmd::TabToUnderscore:
      return Done(ReplaceTabs(lines, '_'));
  }
  return Refuse("unknown line command");
}

}  // namespace navirt

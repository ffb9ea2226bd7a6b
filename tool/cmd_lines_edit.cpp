// The editing commands of `navirt-tool lines`: each row names a command of
// the pane and how its shell arguments become the answers to its questions.
#include <cstring>
#include <string>
#include <vector>

#include "edit/LineCommandTable.h"
#include "edit/LineStream.h"
#include "edit/LineTextForms.h"
#include "tool/LinesFace.h"
#include "tool/ToolIo.h"
#include "tool/ToolMessages.h"

namespace navirt::tool {

namespace {

int Run(LineCmd id, LinesCall& call, std::vector<std::string> answers) {
  TLineRunResult r = RunLineCommand(id, std::move(call.lines), answers);
  if (!r.ok) return Fail(r.message);
  call.lines = std::move(r.lines);
  return kExitOk;
}

// A column as the spin field takes it; a non-number is refused here, where
// the window's field could not have held it.
bool Column(const std::string& arg, std::string& out, int& rc) {
  NumberAnswer a = ReadIntAnswer(arg);
  if (!a.ok) {
    rc = Fail(a.message);
    return false;
  }
  out = std::to_string(TForm30Model::Clamp(a.value));
  return true;
}

int BadWord(const char* cmd, const std::string& word, const char* words) {
  return Fail(Tr(msg::kUnknownMode, {std::string("lines ") + cmd, word, words}));
}

template <LineCmd id>
int Plain(LinesCall& call) {
  return Run(id, call, {});
}

int Number(LinesCall& call) {
  const std::string& w = call.args[0];
  LineCmd id = w == "head"         ? LineCmd::NumberHead
               : w == "head-comma" ? LineCmd::NumberHeadComma
               : w == "tail"       ? LineCmd::NumberTail
               : w == "tail-comma" ? LineCmd::NumberTailComma
                                   : LineCmd::SortAsc;
  if (id == LineCmd::SortAsc) return BadWord("number", w, "head, head-comma, tail, tail-comma");
  return Run(id, call, {});
}

int Serial(LinesCall& call) { return Run(LineCmd::Serial, call, {call.args[0], call.args[1]}); }

int Cut(LinesCall& call) {
  std::string n;
  int rc = kExitOk;
  if (!Column(call.args[0], n, rc)) return rc;
  return Run(LineCmd::CutAtColumn, call, {n, "0"});
}

template <LineCmd id>
int TextAtColumn(LinesCall& call) {
  std::string n;
  int rc = kExitOk;
  if (!Column(call.args[1], n, rc)) return rc;
  return Run(id, call, {call.args[0], n, "0"});
}

template <LineCmd id>
int Columns(LinesCall& call) {
  std::string start, width;
  int rc = kExitOk;
  if (!Column(call.args[0], start, rc) || !Column(call.args[1], width, rc)) return rc;
  return Run(id, call, {start, width});
}

int DupKey(LinesCall& call) { return Run(LineCmd::DeleteRepeatedKeys, call, {call.args[0]}); }

std::size_t CsvArity(const std::vector<std::string>& args) {
  return !args.empty() && (args[0] == "any" || args[0] == "hex") ? 3 : 2;
}

int Csv(LinesCall& call) {
  const std::string& w = call.args[0];
  struct Mode {
    const char* word;
    LineCmd id;
  };
  static const Mode kModes[] = {{"dq", LineCmd::CsvDoubleQuote}, {"sq", LineCmd::CsvSingleQuote},
                                {"comma", LineCmd::CsvComma},    {"tab", LineCmd::CsvTab},
                                {"space", LineCmd::CsvSpace},    {"none", LineCmd::CsvNone},
                                {"any", LineCmd::CsvAny},        {"hex", LineCmd::CsvHex}};
  for (const Mode& m : kModes) {
    if (w != m.word) continue;
    std::vector<std::string> answers(call.args.begin() + 1, call.args.end());
    return Run(m.id, call, answers);
  }
  return BadWord("csv", w, "dq, sq, comma, tab, space, none, any, hex");
}

int TabTo(LinesCall& call) {
  const std::string& w = call.args[0];
  LineCmd id = w == "space"        ? LineCmd::TabToSpace
               : w == "comma"      ? LineCmd::TabToComma
               : w == "underscore" ? LineCmd::TabToUnderscore
                                   : LineCmd::SortAsc;
  if (id == LineCmd::SortAsc) return BadWord("tab-to", w, "space, comma, underscore");
  return Run(id, call, {});
}

// Whole-text forms of the commands large files are run through.
// Runs f with a joiner that writes in pieces.
template <class F>
int Pieces(const LinesWriteFn& write, F f) {
  std::string buf;
  TLineJoiner j(buf, write);
  f(j);
  if (j.Any()) buf.append("\r\n");  // every line ends, the last one too
  j.Finish();
  return kExitOk;
}

template <bool descending>
int SortText(const std::vector<std::string>&, std::string_view text, const LinesWriteFn& write) {
  return Pieces(write, [&](TLineJoiner& j) { SortLinesText(text, descending, j); });
}

int NumberText(const std::vector<std::string>& args, std::string_view text, const LinesWriteFn& write) {
  const std::string& w = args[0];
  NumberForm f = w == "head"         ? NumberForm::Head
                 : w == "head-comma" ? NumberForm::HeadComma
                 : w == "tail"       ? NumberForm::Tail
                                     : NumberForm::TailComma;
  if (w != "head" && w != "head-comma" && w != "tail" && w != "tail-comma")
    return BadWord("number", w, "head, head-comma, tail, tail-comma");
  return Pieces(write, [&](TLineJoiner& j) { NumberLinesText(text, f, j); });
}

template <void (*F)(std::string_view, TLineJoiner&)>
int Text(const std::vector<std::string>&, std::string_view text, const LinesWriteFn& write) {
  return Pieces(write, [&](TLineJoiner& j) { F(text, j); });
}

int TabToText(const std::vector<std::string>& args, std::string_view text, const LinesWriteFn& write) {
  const std::string& w = args[0];
  char by = w == "space" ? ' ' : w == "comma" ? ',' : w == "underscore" ? '_' : '\0';
  if (!by) return BadWord("tab-to", w, "space, comma, underscore");
  return Pieces(write, [&](TLineJoiner& j) { ReplaceTabsText(text, by, j); });
}

// The whole-text form with the answers the list form gets.
int AnswersText(LineCmd id, const std::vector<std::string>& answers, std::string_view text, const LinesWriteFn& write) {
  return Pieces(write, [&](TLineJoiner& j) { RunLineCommandText(id, text, answers, j); });
}

int CutText(const std::vector<std::string>& args, std::string_view text, const LinesWriteFn& write) {
  std::string n;
  int rc = kExitOk;
  if (!Column(args[0], n, rc)) return rc;
  return AnswersText(LineCmd::CutAtColumn, {n, "0"}, text, write);
}

template <LineCmd id>
int TextAtColumnText(const std::vector<std::string>& args, std::string_view text, const LinesWriteFn& write) {
  std::string n;
  int rc = kExitOk;
  if (!Column(args[1], n, rc)) return rc;
  return AnswersText(id, {args[0], n, "0"}, text, write);
}

template <LineCmd id>
int ColumnsText(const std::vector<std::string>& args, std::string_view text, const LinesWriteFn& write) {
  std::string start, width;
  int rc = kExitOk;
  if (!Column(args[0], start, rc) || !Column(args[1], width, rc)) return rc;
  return AnswersText(id, {start, width}, text, write);
}

}  // namespace

const LinesCommand kEditLinesCommands[] = {
    {"sort-asc",
     0,
     nullptr,
     Plain<LineCmd::SortAsc>,
     {"sort-asc                 sort lines ascending (Japanese order, case ignored)",
      "sort-asc                 行を昇順に並べ替え (日本語の順、大文字小文字は区別しない)"},
     SortText<false>},
    {"sort-desc",
     0,
     nullptr,
     Plain<LineCmd::SortDesc>,
     {"sort-desc                sort lines descending", "sort-desc                行を降順に並べ替え"},
     SortText<true>},
    {"number",
     1,
     nullptr,
     Number,
     {"number head|head-comma|tail|tail-comma  add line numbers",
      "number head|head-comma|tail|tail-comma  行番号を付ける"},
     NumberText},
    {"serial",
     2,
     nullptr,
     Serial,
     {"serial FORMAT FIRST      serial numbers (FORMAT's trailing 0s pad)",
      "serial FORMAT FIRST      連番を付ける (FORMAT の末尾の 0 が桁数)"}},
    {"reverse",
     0,
     nullptr,
     Plain<LineCmd::Reverse>,
     {"reverse                  reverse every line by characters", "reverse                  各行を文字単位で逆順に"},
     Text<ReverseLinesText>},
    {"cut",
     1,
     nullptr,
     Cut,
     {"cut N                    cut lines into pieces of N bytes", "cut N                    行を N バイトごとに切る"},
     CutText},
    {"cut-append",
     2,
     nullptr,
     TextAtColumn<LineCmd::CutAppend>,
     {"cut-append TEXT N        as cut, TEXT after every piece but the last",
      "cut-append TEXT N        cut と同じで、最後以外の各片の後に TEXT を付ける"},
     TextAtColumnText<LineCmd::CutAppend>},
    {"insert",
     2,
     nullptr,
     TextAtColumn<LineCmd::InsertText>,
     {"insert TEXT N            insert TEXT at column N", "insert TEXT N            N 桁目に TEXT を挿入"},
     TextAtColumnText<LineCmd::InsertText>},
    {"extract",
     2,
     nullptr,
     Columns<LineCmd::ExtractColumns>,
     {"extract START WIDTH      keep only columns START..START+WIDTH-1",
      "extract START WIDTH      START..START+WIDTH-1 桁だけを残す"},
     ColumnsText<LineCmd::ExtractColumns>},
    {"delete-cols",
     2,
     nullptr,
     Columns<LineCmd::DeleteColumns>,
     {"delete-cols START WIDTH  delete those columns", "delete-cols START WIDTH  その桁を削除"},
     ColumnsText<LineCmd::DeleteColumns>},
    {"trim-lead",
     0,
     nullptr,
     Plain<LineCmd::TrimLeading>,
     {"trim-lead                delete leading blanks and ideographic spaces",
      "trim-lead                行頭の空白と全角空白を削除"},
     Text<TrimLeadingText>},
    {"trim-trail",
     0,
     nullptr,
     Plain<LineCmd::TrimTrailing>,
     {"trim-trail               delete trailing blanks", "trim-trail               行末の空白を削除"}},
    {"del-spaces",
     0,
     nullptr,
     Plain<LineCmd::DeleteBlanks>,
     {"del-spaces               delete every blank", "del-spaces               空白をすべて削除"},
     Text<DeleteBlanksText>},
    {"del-ideo-spaces",
     0,
     nullptr,
     Plain<LineCmd::DeleteIdeoSpaces>,
     {"del-ideo-spaces          delete every ideographic space", "del-ideo-spaces          全角空白をすべて削除"}},
    {"del-tabs",
     0,
     nullptr,
     Plain<LineCmd::DeleteTabs>,
     {"del-tabs                 delete every TAB", "del-tabs                 TAB をすべて削除"},
     Text<DeleteTabsText>},
    {"del-lead-tabs",
     0,
     nullptr,
     Plain<LineCmd::DeleteLeadingTabs>,
     {"del-lead-tabs            delete leading TABs", "del-lead-tabs            行頭の TAB を削除"}},
    {"del-line-ends",
     0,
     nullptr,
     Plain<LineCmd::DeleteLineEnds>,
     {"del-line-ends            join all lines into one", "del-line-ends            すべての行を 1 行につなぐ"}},
    {"del-empty",
     0,
     nullptr,
     Plain<LineCmd::DeleteEmpty>,
     {"del-empty                delete empty lines", "del-empty                空行を削除"},
     Text<DeleteEmptyText>},
    {"del-dup",
     0,
     nullptr,
     Plain<LineCmd::DeleteRepeated>,
     {"del-dup                  delete repeated adjacent lines", "del-dup                  隣り合う重複行を削除"},
     Text<DeleteRepeatedText>},
    {"del-dup-key",
     1,
     nullptr,
     DupKey,
     {"del-dup-key K            delete lines whose first K-1 bytes repeat",
      "del-dup-key K            先頭 K-1 バイトが重複する行を削除"}},
    {"csv",
     0,
     CsvArity,
     Csv,
     {"csv dq|sq|comma|tab|space|none N | csv any SEP N | csv hex HH N  join N lines a record",
      "csv dq|sq|comma|tab|space|none N | csv any SEP N | csv hex HH N  N 行を 1 レコードにつなぐ"}},
    {"tab-to",
     1,
     nullptr,
     TabTo,
     {"tab-to space|comma|underscore  replace every TAB", "tab-to space|comma|underscore  TAB をすべて置き換える"},
     TabToText},
};
const std::size_t kEditLinesCommandCount = sizeof kEditLinesCommands / sizeof kEditLinesCommands[0];

}  // namespace navirt::tool

#pragma once
// What each line command of the menus 編集, 削除 and 変換 is: its caption,
// the questions it asks (titles, prompts, defaults), whether it first
// switches a browse pane to edit mode (E) and turns word wrap off while it
// runs (W), and one entry point that runs it over the pane's lines with the
// answers. The menu item asks, calls RunLineCommand and puts the lines back.
#include <cstddef>
#include <string>
#include <vector>

#include "edit/LineCommands.h"

namespace navirt {

enum class LineCmd {
  SortAsc,
  SortDesc,
  NumberHead,
  NumberHeadComma,
  NumberTail,
  NumberTailComma,
  Serial,
  Reverse,
  DuplicateLine,
  CutAtColumn,
  CutAppend,
  InsertText,
  ExtractColumns,
  DeleteColumns,
  TrimLeading,
  TrimTrailing,
  DeleteBlanks,
  DeleteIdeoSpaces,
  DeleteTabs,
  DeleteLeadingTabs,
  DeleteLineEnds,
  DeleteEmpty,
  DeleteRepeated,
  DeleteLine,
  DeleteRepeatedKeys,
  CsvDoubleQuote,
  CsvSingleQuote,
  CsvComma,
  CsvTab,
  CsvSpace,
  CsvNone,
  CsvAny,
  CsvHex,
  TabToSpace,
  TabToComma,
  TabToUnderscore,
};

// One question. Text goes through the input dialog; Columns through TForm30.
enum class AskKind { Text, Integer, HexByte, RecordSize, Columns };
enum class AskDefault { Empty, CaretColumn, SelectionLength };

struct TLineAsk {
  AskKind kind;
  const char* title;   // UTF-8; for Columns the caption of TForm30
  const char* prompt;  // UTF-8; empty for Columns
  AskDefault def;      // for Columns: the start's default (width: selection length)
  bool widthShown;     // Columns only
};

struct TLineCommandInfo {
  LineCmd id;
  const char* menu;     // the menu path(s) that list it, UTF-8
  const char* caption;  // UTF-8
  bool switchToEdit;    // E
  bool wrapOff;         // W
  bool inPlace;         // changes the pane's lines where they stand
  size_t minLines;      // does nothing on fewer lines
  std::vector<TLineAsk> asks;
};

const std::vector<TLineCommandInfo>& LineCommandTable();
const TLineCommandInfo& LineCommandInfo(LineCmd id);

// The caret and selection as the commands see them.
struct TLinePaneState {
  size_t caretLine = 0;     // 0-based
  int caretColumn = 1;      // 1-based byte column
  size_t selStart = 0;      // byte offset into the text joined by CR LF
  size_t selLength = 0;     // bytes
  size_t selFirstLine = 0;  // line holding the selection start
  size_t selLastLine = 0;   // line holding the selection end
};

// The default answer of a question, as the dialog shows it.
std::string AskDefaultText(const TLineAsk& ask, const TLinePaneState& pane);

// Column dialog TForm30 without its widget: two spin fields 1-65353 (the
// width field hidden for the cutting commands). Presets go through the
// fields' range; reading an unreadable start gives 1, an unreadable width 0.
class TForm30Model {
 public:
  static constexpr int kMin = 1;
  static constexpr int kMax = 65353;
  static constexpr const char* kDefaultCaption = "桁削除";
  static constexpr const char* kStartLabel = "何桁目から(1-9999)";
  static constexpr const char* kWidthLabel = "何文字分(1-9999)";

  std::string caption = kDefaultCaption;
  bool widthShown = true;
  std::string startText = "1", widthText = "1";

  void Preset(const TLineAsk& ask, const TLinePaneState& pane);
  int Start() const;
  int Width() const;
  static int Clamp(long long v) { return v < kMin ? kMin : v > kMax ? kMax : static_cast<int>(v); }
};

struct TLineRunResult {
  bool ok = false;
  std::string message;  // UTF-8: the window's message box when !ok
  LineList lines;       // the pane's new lines when ok
};

// answers: one per ask, in order; text answers are the pane's CP932 bytes,
// a Columns answer is two texts (start, width) read as TForm30 reads them.
// A refused answer gives !ok and no lines: the pane stays as it was.
// cancelled: asked now and then by the long ones (sorting), which then
// throw TLinesCancelled.
TLineRunResult RunLineCommand(LineCmd id, LineList lines, const std::vector<std::string>& answers,
                              const TLinePaneState& pane = {}, const LinesCancelTest& cancelled = {});
// How many answer texts a command takes (a Columns ask counts two).
size_t AnswerCount(LineCmd id);

}  // namespace navirt

#pragma once
// The pane's line commands as pure functions over its lines.
//
// Lines are Shift_JIS bytes without their line end; columns are bytes,
// 1-based. A lead byte (81-9F, E0-FC) and the byte after it are one
// character wherever a command walks a line; a lead byte at the very end of
// a line is a character of its own. Bytes a command does not touch pass
// through unchanged, invalid ones and NUL bytes included.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

using LineList = std::vector<std::string>;

// Number answers read the way the window reads them: an optional sign and
// decimal digits, or "$"/"0x" and hexadecimal digits, leading blanks
// allowed, 32-bit range. Answers are the pane's CP932 bytes; a failed read
// carries the window's message (UTF-8).
struct NumberAnswer {
  bool ok = false;
  int32_t value = 0;
  std::string message;  // UTF-8, empty when ok
};
NumberAnswer ReadIntAnswer(std::string_view answer);
std::string InvalidIntegerMessage(std::string_view answer);

// Separator byte of "(16進文字)": hexadecimal 01-FF.
NumberAnswer ReadHexSeparatorAnswer(std::string_view answer);
// Record size of "行->CSVデータ変換": at least 1.
NumberAnswer ReadRecordSizeAnswer(std::string_view answer);

// Number of decimal digits of n (1 for 0).
int DecimalWidth(uint64_t n);

enum class NumberForm { Head, HeadComma, Tail, TailComma };
LineList AddLineNumbers(const LineList& lines, NumberForm form);

// The format's trailing "0"s give the minimum digit count; the rest is the
// prefix. Lines [first, last] get prefix + number + " " in front.
void AddSerialNumbers(LineList& lines, size_t first, size_t last, std::string_view format, int64_t start);

std::string ReverseCharacters(std::string_view line);
LineList ReverseLines(const LineList& lines);

// Caret-line commands, in place; an index past the end does nothing.
void DuplicateLine(LineList& lines, size_t index);
void DeleteLine(LineList& lines, size_t index);

// "改行" / "文字＋改行": pieces of at most n bytes (a character that would
// be cut goes to the next piece; a line starting with a double-byte
// character cut at column 1 gives that character as a piece). Every piece
// but the last gets `appended` at its end. n < 1 changes nothing.
LineList CutAtColumn(const LineList& lines, int n, std::string_view appended = {});
// "文字": text inserted at column n of lines longer than n bytes, moved one
// byte to the left when it would split a character.
LineList InsertAtColumn(const LineList& lines, std::string_view text, int n);

// Byte range [begin, end) of the columns start..start+width-1 of a line,
// clipped to the line, narrowed (keep) or widened (remove) to whole
// characters.
struct ByteRange {
  size_t begin = 0, end = 0;
};
ByteRange ColumnRange(std::string_view line, int start, int width, bool widen);
LineList ExtractColumns(const LineList& lines, int start, int width);
LineList DeleteColumns(const LineList& lines, int start, int width);

std::string TrimLeadingBlanks(std::string_view line);
std::string TrimTrailingBlanks(std::string_view line);
LineList TrimLeading(const LineList& lines);
LineList TrimTrailing(const LineList& lines);

LineList DeleteBlanks(const LineList& lines);             // every byte 0x20
LineList DeleteIdeographicSpaces(const LineList& lines);  // every character 81 40
LineList DeleteTabs(const LineList& lines);
LineList DeleteLeadingTabs(const LineList& lines);
// Every line end of the text: one line.
LineList DeleteLineEnds(const LineList& lines);
// The CR LF pairs that lie wholly inside [selStart, selStart + selLength)
// of the pane's text (lines joined by CR LF).
std::string DeleteLineEndsInRange(std::string_view text, size_t selStart, size_t selLength);

LineList DeleteEmptyLines(const LineList& lines);
// Runs of equal adjacent lines shrink to one. In place, as the pane does it.
void DeleteRepeatedLines(LineList& lines);
// A line stays when its first k bytes differ from those of the line before
// it (the first line is compared with an empty key). k from the answer:
// answer - 1, 0 when negative.
LineList DeleteRepeatedKeys(const LineList& lines, int64_t k);

// "行->CSVデータ変換": fields quote + line + quote, separated, n lines a
// record. n < 1 changes nothing.
LineList LinesToCsv(const LineList& lines, std::string_view quote, std::string_view separator, int64_t n);

LineList ReplaceTabs(const LineList& lines, char by);

// A long line command asks this now and then; when it says yes the
// command ends by throwing TLinesCancelled.
using LinesCancelTest = std::function<bool()>;
struct TLinesCancelled {};

// ICU's Japanese collation over the losslessly decoded lines, case
// ignored; stable in both directions (equal lines keep their order).
// From sideBySideFrom lines on, the two halves are sorted side by side.
LineList SortLines(LineList lines, bool descending, size_t sideBySideFrom = 20000,
                   const LinesCancelTest& cancelled = {});

}  // namespace navirt

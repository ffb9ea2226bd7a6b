#pragma once
// The two hexadecimal views of the pane: the standard dump of a file's
// bytes, sixteen to a line, and the dump below each text line.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

// "00000000 : 00 01 ... 0F" and "-------- : -- ... --".
extern const char kHexDumpHeading[];
extern const char kHexDumpRule[];
extern const char kHexDumpStopped[];  // "中断しました！" (CP932)

// Called every checkEvery bytes (standard) or lines (below-line); a false
// answer stops the dump.
using KeepGoing = std::function<bool()>;

// Appends the data lines of the standard dump, each followed by eol: the
// line number from 1 as eight upper-case hexadecimal digits, " : ", then
// "XX " per byte. An empty input gives one line "00000001 : ". When stopped,
// the rows written so far stay, and a last partial row is still written
// when the size is not a multiple of 16. Returns false when stopped.
// firstLine numbers the first row: a file dumped piece by piece, in pieces
// of a multiple of 16 bytes, gives the rows of the whole.
bool AppendHexDumpRows(std::string_view bytes, std::string& out, std::string_view eol, const KeepGoing& keepGoing = {},
                       size_t checkEvery = 65536, size_t firstLine = 1);

// The standard dump as the pane shows it: the information line, an empty
// line, the two heading lines, the rows; "中断しました！" last when stopped.
// Lines are joined by CR LF.
std::string HexDumpPane(std::string_view bytes, std::string_view infoLine, const KeepGoing& keepGoing = {},
                        size_t checkEvery = 65536, bool* stopped = nullptr);

// The below-line dump: the information line, an empty line, then for each
// source line the line itself, the high digits and the low digits of its
// bytes, each under its byte.
std::vector<std::string> BelowLineDump(const std::vector<std::string>& lines, std::string_view infoLine,
                                       const KeepGoing& keepGoing = {}, size_t checkEvery = 256,
                                       bool* stopped = nullptr);

}  // namespace navirt

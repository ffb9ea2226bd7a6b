#pragma once
// Deleting or extracting lines, and replacing a plain text, straight over a
// text's bytes, for callers that hold the text whole (a file, the pane's
// byte mirror): the lines are found with memchr and never become strings of
// their own, and lines that lack the bytes every match needs are passed
// over without the engine. The result is the very bytes
// JoinLines(command(SplitLines(text))) gives: lines split at CR LF, CR or LF
// (a final line end opens no empty line), joined by CR LF.
#include <string>
#include <string_view>

#include "edit/LineStream.h"
#include "regex/bmRegExp.h"

namespace navirt {

class TPlainFinder;

// Bytes every line awk's expression matches holds (empty when nothing is
// known): the expression's must literal, unless it holds a line end (it
// would lie across lines) or a zero byte (a lead byte read alone, before a
// line end, matches the code lead x 256 without a zero byte in the text).
std::string_view LineMust(const TAWKStr& awk);

// Keeps the lines awk's expression matches (keep) or those it does not;
// returns how many lines matched.
int FilterTextLines(std::string_view text, const TAWKStr& awk, bool keep, std::string& out);
int FilterTextLines(std::string_view text, const TAWKStr& awk, bool keep, TLineJoiner& out);
// The same with a plain term at character starts; an empty term keeps
// every line.
int FilterTextLinesPlain(std::string_view text, std::string_view term, bool keep, std::string& out);
int FilterTextLinesPlain(std::string_view text, std::string_view term, bool keep, TLineJoiner& out);

// Every match of finder in every line replaced by with, as the finder's
// ReplaceIn does line by line; returns the count. The finder's text holds
// no CR or LF (a line never does; such a finder replaces nothing).
int ReplaceTextLines(std::string_view text, const TPlainFinder& finder, std::string_view with, TLineJoiner& out);

// The text with its line ends made CR LF and a final one dropped:
// JoinLines(SplitLines(text)).
std::string JoinedLines(std::string_view text);

}  // namespace navirt

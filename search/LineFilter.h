#pragma once
// Deleting or extracting lines straight over a text's bytes, for callers
// that hold the text whole (a file, the pane's byte mirror): the lines are
// found with memchr and never become strings of their own, and lines that
// lack the bytes every match needs are passed over without the engine.
// The result is the very bytes JoinLines(kept lines of SplitLines(text))
// gives: lines split at CR LF, CR or LF (a final line end opens no empty
// line), joined by CR LF.
#include <string>
#include <string_view>

#include "regex/bmRegExp.h"

namespace navirt {

// Keeps the lines awk's expression matches (keep) or those it does not;
// returns how many lines matched.
int FilterTextLines(std::string_view text, const TAWKStr& awk, bool keep, std::string& out);
// The same with a plain term at character starts; an empty term keeps
// every line.
int FilterTextLinesPlain(std::string_view text, std::string_view term, bool keep, std::string& out);

}  // namespace navirt

#pragma once
// Whole-text forms of the column and character commands and of the TeX
// removal, for large inputs: the same result as the list forms
// (JoinLines(command(SplitLines(text)))) with no string per line, so ten
// million short lines cost their bytes, not a string object each.
#include <functional>
#include <string>
#include <string_view>

#include "edit/LineCommandTable.h"
#include "edit/LineStream.h"

namespace navirt {

void ReverseLinesText(std::string_view text, TLineJoiner& j);
void CutAtColumnText(std::string_view text, int n, std::string_view appended, TLineJoiner& j);
void InsertAtColumnText(std::string_view text, std::string_view inserted, int n, TLineJoiner& j);
void ExtractColumnsText(std::string_view text, int start, int width, TLineJoiner& j);
void DeleteColumnsText(std::string_view text, int start, int width, TLineJoiner& j);
// RunLineCommand's whole-text form for the commands above (the answers read
// the same way); false, with nothing written, for any other command.
bool RunLineCommandText(LineCmd id, std::string_view text, const std::vector<std::string>& answers, TLineJoiner& j);

// Takes the text (it is dropped as soon as its lines are read): the lines
// joined by CR LF are what the expressions run over.
void StripTexText(std::string text, TLineJoiner& j);
// The two halves of it, for an input that is mapped rather than read: the
// lines of text joined by CR LF in a string of exactly that size (empty for
// a text without lines), and the removal over such a string. released(n),
// when given, is told whenever the first n bytes of text are not read again.
std::string JoinLinesCrLf(std::string_view text, const std::function<void(size_t)>& released = {});
void StripTexJoined(std::string crlfJoined, TLineJoiner& j);

}  // namespace navirt

#pragma once
// The pane's text as lines: split at CR LF, CR or LF; joined by CR LF.
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

std::vector<std::string> SplitLines(std::string_view text);
std::string JoinLines(const std::vector<std::string>& lines, std::string_view sep = "\r\n");

// The text of the lines a command writes back: joined by CR LF, and a CR LF
// after the last line when the text they replace ended with a line end, so
// saving keeps it. No lines give an empty text.
std::string JoinCommandLines(const std::vector<std::string>& lines, bool finalEnd);

// Any line end (CR LF, CR, LF) becomes LF, as the screen widget wants it.
std::string NormalizeLineEnds(std::string_view text);

// The pane's text of a loaded text, as the pane gives it back: lines split
// at CR LF, CR or LF and joined by CR LF, with no final line end. Reading it
// back from the pane would walk every block of the document.
std::string PaneTextOfLoaded(std::string_view loaded);

}  // namespace navirt

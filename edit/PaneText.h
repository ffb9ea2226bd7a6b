#pragma once
// The pane's text as lines: split at CR LF, CR or LF; joined by CR LF.
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

std::vector<std::string> SplitLines(std::string_view text);
std::string JoinLines(const std::vector<std::string>& lines, std::string_view sep = "\r\n");

// Any line end (CR LF, CR, LF) becomes LF, as the screen widget wants it.
std::string NormalizeLineEnds(std::string_view text);

}  // namespace navirt

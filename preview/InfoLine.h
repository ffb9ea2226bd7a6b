#pragma once
// The one-line file summary above the pane and its pieces. All text UTF-8.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/FileInfo.h"

namespace navirt {

// Pieces 1 to 8: name, size ("%15.0n byte" or "- "), date
// "yyyy.mm.dd(aaa)", attribute letters, folder with trailing "/".
std::string InfoLinePieces1To8(const std::string& path, const FileStat& st);
// Piece 9: four blanks, the type label, two blanks, the code label.
std::string InfoLinePiece9(const std::string& typeLabel, const std::string& codeLabel);

// The type label of a file from its first line, in square brackets, or
// empty. The ".HLP" test needs the path's extension.
std::string SniffFileType(std::string_view firstLine, const std::string& path);

// The first line of a text as the pane splits it (at CR LF, CR or LF).
std::string_view FirstLine(std::string_view text);

// Upper-cased extension with its dot (".TXT"), empty when there is none.
std::string UpperExtension(const std::string& path);

}  // namespace navirt

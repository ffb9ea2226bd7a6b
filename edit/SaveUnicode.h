#pragma once
// Saving the pane in the code of the file it came from: a UTF-8 or UTF-16
// file goes back in its own code, with its mark when it had one, through
// the mapping it was loaded with; any other pane text is written as it is.
#include <string>
#include <string_view>

#include "codec/UnicodePane.h"
#include "edit/SaveText.h"

namespace navirt {

// The bytes a save writes for the pane text.
std::string PaneFileBytes(std::string_view paneText, const TUnicodePane* unicode);

// Overwrite save and "名前をつけて保存" alike: the bytes above through
// SaveTextFile (temporary file first, optional ".$$$" backup).
SaveResult SavePaneText(const std::string& path, std::string_view paneText, const TUnicodePane* unicode, bool backup);

}  // namespace navirt

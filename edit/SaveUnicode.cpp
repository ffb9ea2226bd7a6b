#include "edit/SaveUnicode.h"

namespace navirt {

std::string PaneFileBytes(std::string_view paneText, const TUnicodePane* unicode) {
  return unicode ? unicode->Encode(paneText) : std::string(paneText);
}

SaveResult SavePaneText(const std::string& path, std::string_view paneText, const TUnicodePane* unicode, bool backup) {
  return SaveTextFile(path, PaneFileBytes(paneText, unicode), backup);
}

}  // namespace navirt

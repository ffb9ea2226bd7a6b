#pragma once
// What a search command asks of the window: a selection to set and centre,
// a piece or the whole of the text to replace, the marker, a message box.
// Commands never touch the pane themselves, so tests drive them on bytes.
#include <string>
#include <vector>

namespace navirt {

enum class SearchMsg { None, Information, Warning, Error };

struct TextSelection {
  size_t start = 0;  // bytes of the pane text
  size_t length = 0;
  bool operator==(const TextSelection&) const = default;
};

// In this order: the range or the text or the lines are replaced, then the
// selection is set, then the message shows.
struct SearchOutcome {
  bool select = false;  // select `selection`, then centre the find
  TextSelection selection;
  bool replaceRange = false;  // replace `range` by `replacement`
  TextSelection range;
  std::string replacement;     // Shift_JIS
  bool textChanged = false;    // the pane's text becomes `text`
  std::string text;            // Shift_JIS
  bool linesChanged = false;   // the pane's lines become `lines`
  bool clearModified = false;  // the modified flag is cleared before the lines go in
  std::vector<std::string> lines;
  bool markerRed = false;
  bool openDialog = false;  // the command needs the search dialog first
  int count = 0;
  SearchMsg kind = SearchMsg::None;
  std::string message;  // UTF-8; shown when kind is not None
};

// Messages of the search commands (UTF-8).
extern const char* const kMsgNotFoundSuffix;      // " 見つかりませんでした"
extern const char* const kMsgReplaceNotFound;     // "見つかりませんでした！"
extern const char* const kMsgReplacedSuffix;      // " 個置換！"
extern const char* const kMsgNoReplacement;       // "置換しませんでした"
extern const char* const kMsgReplaceCountPrefix;  // "置換回数 = "
extern const char* const kMsgLinesDeletedSuffix;  // "　行削除しました！"
extern const char* const kMsgLinesPickedSuffix;   // "　行抽出しました！"

}  // namespace navirt

#pragma once
// "テキストの検索", "下へ検索", "上へ検索" and the replace dialog, over the
// pane's bytes. The search dialog TForm32 and the replace dialog are plain
// models here; the window shows them and applies the outcomes.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "search/PlainFind.h"
#include "search/SearchOutcome.h"
#include "settings/IniFile.h"

namespace navirt {

constexpr const char* kFindSection = "FindDialogEx";
constexpr int kFindHistoryCap = 21;

// Dialog texts are UTF-8 (what the boxes show and the settings file keeps);
// the pane is Shift_JIS. These convert without loss either way.
std::string PaneToDialogText(std::string_view sjis);
std::string DialogToPaneText(std::string_view utf8);

// The main window's last search.
struct TFindSettings {
  std::string text;  // UTF-8
  bool down = true;
  bool wholeWord = false;
  bool matchCase = false;
};

// The search from the current selection: downward from its end, upward from
// the byte before its start (so a find may overlap the selection). With
// whole word a match begins a word (a delimiter or the text's start before
// it) and a delimiter or the text's end follows it; going down, the word
// the search starts in, or that starts right at its start, is passed over.
std::optional<TextSelection> FindInPane(std::string_view pane, const TFindSettings& settings, TextSelection from);

// The search step: nothing on an empty pane; the dialog when there is no
// search text; else select and centre the find, or the message
// text + " 見つかりませんでした".
SearchOutcome FindStep(std::string_view pane, const TFindSettings& settings, TextSelection current);
// "下へ検索" (down) and "上へ検索": set the direction and run the step.
SearchOutcome FindNextCommand(std::string_view pane, TFindSettings& settings, bool down, TextSelection current);

// The search dialog TForm32 ("検索").
class TSearchDialogModel {
 public:
  // Settings and history of "FindDialogEx"; the box shows the newest entry,
  // or "Text" when the history is empty.
  void Load(const TIniFile& ini);
  // The pane's selection (Shift_JIS), when there is one, becomes the text.
  void PresetSelection(std::string_view selectionSjis);
  // "検索(&F)": with a text, puts it at the top of the history (new: inserted
  // at 0; present: it changes places with the entry at 0), writes the
  // settings and at most 21 entries, and hands the search over.
  std::optional<TFindSettings> Accept(TIniFile& ini);

  std::string text;  // UTF-8
  std::vector<std::string> history;
  bool wholeWord = false;  // "単語単位で探す(&W)"
  bool matchCase = false;  // "大文字と小文字を区別する(&C)"
  bool down = true;        // "下へ(&D)"; false: "上へ(&U)"
};

// The modeless replace dialog ("置換(&R)"): find text, replace text, match
// case, whole word; find next, replace, replace all.
class TReplaceDialogModel {
 public:
  // Opening: the selection becomes the find text; after a replace all the
  // caret goes to the start; the marker turns red.
  SearchOutcome Open(TextSelection selection, std::string_view selectionSjis);
  // The next occurrence after the selection, with the dialog's options.
  SearchOutcome FindNext(std::string_view pane, TextSelection selection);
  // Replaces the selected occurrence (finding one first when none is
  // selected), then finds the next one after the inserted text.
  SearchOutcome Replace(std::string_view pane, TextSelection selection);
  // Every occurrence in the whole text, wherever the caret stands;
  // count + " 個置換！" and the caret after the last replacement.
  SearchOutcome ReplaceAll(std::string_view pane);

  std::string findText;     // UTF-8
  std::string replaceText;  // UTF-8
  bool matchCase = false;
  bool wholeWord = false;
  bool found = false;
  bool lastWasReplaceAll = false;

 private:
  PlainOptions Options() const { return {matchCase, wholeWord}; }
};

// The items of "検索(&S)" that follow the file list's selection, in both
// menus that hold them: enabled when a file is selected.
extern const char* const kSearchMenuFollowers[5];
bool SearchMenuItemsEnabled(const std::string& selectedPath);

}  // namespace navirt

#include "search/FindCommands.h"

#include <algorithm>
#include <utility>

#include "platform/Cp932.h"
#include "search/SearchHistory.h"

namespace navirt {

const char* const kMsgNotFoundSuffix = " 見つかりませんでした";
const char* const kMsgReplaceNotFound = "見つかりませんでした！";
const char* const kMsgReplacedSuffix = " 個置換！";
const char* const kMsgNoReplacement = "置換しませんでした";
const char* const kMsgReplaceCountPrefix = "置換回数 = ";
const char* const kMsgLinesDeletedSuffix = "　行削除しました！";
const char* const kMsgLinesPickedSuffix = "　行抽出しました！";

std::string PaneToDialogText(std::string_view sjis) { return Utf16ToUtf8(DecodeCp932Lossless(sjis)); }
std::string DialogToPaneText(std::string_view utf8) { return EncodeCp932Lossless(Utf8ToUtf16(utf8)); }

std::optional<TextSelection> FindInPane(std::string_view pane, const TFindSettings& settings, TextSelection from) {
  const std::string what = DialogToPaneText(settings.text);
  if (what.empty() || pane.empty()) return std::nullopt;
  TPlainFinder finder(what, {settings.matchCase, settings.wholeWord});
  const size_t s = std::min(from.start, pane.size());
  const size_t end = std::min(s + from.length, pane.size());
  size_t q = TPlainFinder::npos;
  if (settings.down) {
    // With whole word the word at the start is passed over: a word begins
    // only after a delimiter, so starting one byte later loses nothing else.
    q = finder.FindFrom(pane, settings.wholeWord ? end + 1 : end);
  } else if (s > 0) {
    q = finder.FindBackFrom(pane, s - 1);
  }
  if (q == TPlainFinder::npos) return std::nullopt;
  return TextSelection{q, what.size()};
}

SearchOutcome FindStep(std::string_view pane, const TFindSettings& settings, TextSelection current) {
  SearchOutcome o;
  if (pane.empty()) return o;
  if (settings.text.empty()) {
    o.openDialog = true;
    return o;
  }
  if (auto found = FindInPane(pane, settings, current)) {
    o.select = true;
    o.selection = *found;
    return o;
  }
  o.kind = SearchMsg::Information;
  o.message = settings.text + kMsgNotFoundSuffix;
  return o;
}

SearchOutcome FindNextCommand(std::string_view pane, TFindSettings& settings, bool down, TextSelection current) {
  if (settings.text.empty()) {
    SearchOutcome o;
    o.openDialog = true;
    return o;
  }
  settings.down = down;
  return FindStep(pane, settings, current);
}

// ------------------------------------------------------------- TForm32

void TSearchDialogModel::Load(const TIniFile& ini) {
  history = LoadHistoryItems(ini, kFindSection, "Count", "Items_");
  wholeWord = ini.ReadBool(kFindSection, "Check1", false);
  matchCase = ini.ReadBool(kFindSection, "Check2", false);
  down = ini.ReadInteger(kFindSection, "UpDown", 1) != 0;
  text = history.empty() ? ini.ReadString(kFindSection, "Text", "") : history.front();
}

void TSearchDialogModel::PresetSelection(std::string_view selectionSjis) {
  if (!selectionSjis.empty()) text = PaneToDialogText(selectionSjis);
}

std::optional<TFindSettings> TSearchDialogModel::Accept(TIniFile& ini) {
  if (text.empty()) return std::nullopt;
  auto it = std::find(history.begin(), history.end(), text);
  if (it == history.end()) {
    history.insert(history.begin(), text);
  } else {
    std::iter_swap(history.begin(), it);
  }
  if (history.size() > size_t(kFindHistoryCap)) history.resize(kFindHistoryCap);
  SaveHistoryItems(ini, kFindSection, "Count", "Items_", history, kFindHistoryCap);
  ini.WriteString(kFindSection, "Text", text);
  ini.WriteBool(kFindSection, "Check1", wholeWord);
  ini.WriteBool(kFindSection, "Check2", matchCase);
  ini.WriteInteger(kFindSection, "UpDown", down ? 1 : 0);
  return TFindSettings{text, down, wholeWord, matchCase};
}

// -------------------------------------------------------- replace dialog

SearchOutcome TReplaceDialogModel::Open(TextSelection selection, std::string_view selectionSjis) {
  SearchOutcome o;
  if (!selectionSjis.empty()) findText = PaneToDialogText(selectionSjis);
  if (lastWasReplaceAll) {
    o.select = true;
    o.selection = {0, 0};
  } else {
    o.selection = selection;
  }
  o.markerRed = true;
  return o;
}

SearchOutcome TReplaceDialogModel::FindNext(std::string_view pane, TextSelection selection) {
  found = false;
  SearchOutcome o;
  const std::string what = DialogToPaneText(findText);
  TPlainFinder finder(what, Options());
  size_t from = std::min(selection.start + selection.length, pane.size());
  size_t q = what.empty() ? TPlainFinder::npos : finder.FindFrom(pane, from);
  if (q == TPlainFinder::npos) {
    o.kind = SearchMsg::Information;
    o.message = kMsgReplaceNotFound;
    return o;
  }
  o.select = true;
  o.selection = {q, what.size()};
  o.markerRed = true;
  found = true;
  return o;
}

SearchOutcome TReplaceDialogModel::Replace(std::string_view pane, TextSelection selection) {
  const std::string what = DialogToPaneText(findText);
  TPlainFinder finder(what, Options());
  // Only a selection that still holds an occurrence is replaced; the user
  // may have moved it since the find.
  bool holds = found && selection.length == what.size() && selection.start + selection.length <= pane.size() &&
               IsCharStart(pane, selection.start) && finder.BytesMatchAt(pane, selection.start);
  if (!holds) {
    SearchOutcome first = FindNext(pane, selection);
    if (!first.select) return first;
    selection = first.selection;
  }
  const std::string with = DialogToPaneText(replaceText);
  std::string text(pane);
  text.replace(selection.start, selection.length, with);
  TextSelection caret{selection.start + with.size(), 0};
  SearchOutcome o = FindNext(text, caret);
  o.replaceRange = true;
  o.range = selection;
  o.replacement = with;
  o.markerRed = true;
  if (!o.select) {
    o.select = true;
    o.selection = caret;
  }
  return o;
}

SearchOutcome TReplaceDialogModel::ReplaceAll(std::string_view pane) {
  if (!found) {
    SearchOutcome first = FindNext(pane, {0, 0});
    if (!first.select) return first;
  }
  SearchOutcome o;
  const std::string what = DialogToPaneText(findText);
  const std::string with = DialogToPaneText(replaceText);
  // The caret goes after the last inserted text.
  TPlainFinder finder(what, Options());
  std::string out;
  size_t p = 0, caret = 0;
  int count = 0;
  for (size_t q = finder.FindFrom(pane, 0); q != TPlainFinder::npos; q = finder.FindFrom(pane, p, q)) {
    out.append(pane, p, q - p);
    out += with;
    caret = out.size();
    p = q + what.size();
    ++count;
  }
  lastWasReplaceAll = true;
  if (count == 0) return o;
  out.append(pane, p);
  o.textChanged = true;
  o.text = std::move(out);
  o.select = true;
  o.selection = {caret, 0};
  o.markerRed = true;
  o.count = count;
  o.kind = SearchMsg::Information;
  o.message = std::to_string(count) + kMsgReplacedSuffix;
  return o;
}

// --------------------------------------------------------------- menu

const char* const kSearchMenuFollowers[5] = {"テキストの検索(&F)..", "下へ検索(&N)", "←指定行へ移動(&J)", "置換(&R)",
                                             "置換　正規表現(&P)"};

bool SearchMenuItemsEnabled(const std::string& selectedPath) { return !selectedPath.empty(); }

}  // namespace navirt

#include "search/RegexReplace.h"

#include <algorithm>
#include <utility>

#include "search/FindCommands.h"
#include "search/PlainFind.h"
#include "search/SearchHistory.h"

namespace navirt {

const char* const kRegexLabelExpression = "検索する文字列(&S)";
const char* const kRegexLabelReplacement = "置換する文字列(&T)";
const char* const kRegexNote = "文字列には正規表現が使えます。";
const char* const kRegexFuzzyCaption = "文字の同一視(&D)";

TRegexDialogModel::TRegexDialogModel(RegexDialogUse u) : use(u) {
  switch (use) {
    case RegexDialogUse::Replace:
      caption = "正規表現置換";
      okCaption = "置換(&R)";
      break;
    case RegexDialogUse::ReplaceAll:
      caption = "一括置換";
      okCaption = "置換(&R)";
      showNote = showFuzzy = showTokens = false;
      break;
    case RegexDialogUse::DeleteLines:
      caption = "検索行削除－正規表現";
      okCaption = "検索(&S)";
      showReplacement = false;
      break;
    case RegexDialogUse::PickLines:
      caption = "検索－正規表現";
      okCaption = "検索(&S)";
      showReplacement = false;
      break;
  }
}

void TRegexDialogModel::Load(const TIniFile& ini) {
  expressionHistory = LoadHistoryItems(ini, kRegexSection, "DriveCount", "Items_");
  replacementHistory = LoadHistoryItems(ini, kRegexSection, "DriveCount2", "Items2_");
  expression = expressionHistory.empty() ? std::string() : expressionHistory.front();
  replacement = replacementHistory.empty() ? std::string() : replacementHistory.front();
  fuzzy = ini.ReadBool(kRegexSection, "Fuzzy", false);
}

void TRegexDialogModel::PresetSelection(std::string_view selectionSjis) {
  if (!selectionSjis.empty()) expression = PaneToDialogText(selectionSjis);
}

namespace {
void PutOnTopWhenNew(std::vector<std::string>& history, const std::string& text) {
  if (!text.empty() && std::find(history.begin(), history.end(), text) == history.end())
    history.insert(history.begin(), text);
  if (history.size() > size_t(kRegexHistoryCap)) history.resize(kRegexHistoryCap);
}
}  // namespace

void TRegexDialogModel::WriteHistories(TIniFile& ini) {
  SaveHistoryItems(ini, kRegexSection, "DriveCount", "Items_", expressionHistory, kRegexHistoryCap);
  SaveHistoryItems(ini, kRegexSection, "DriveCount2", "Items2_", replacementHistory, kRegexHistoryCap);
}

std::string TRegexDialogModel::Accept(TIniFile& ini) {
  PutOnTopWhenNew(expressionHistory, expression);
  if (showReplacement) PutOnTopWhenNew(replacementHistory, replacement);
  WriteHistories(ini);
  if (showFuzzy) ini.WriteBool(kRegexSection, "Fuzzy", fuzzy);
  return expression;
}

void TRegexDialogModel::Cancel(TIniFile& ini) { WriteHistories(ini); }

std::string* TRegexDialogModel::FieldText(Field focus) {
  if (focus == Field::Expression) return &expression;
  if (focus == Field::Replacement && showReplacement) return &replacement;
  return nullptr;
}

std::optional<int> TRegexDialogModel::PressToken(Field focus, int selStart, int selLength, const RegexToken& token) {
  std::string* field = FieldText(focus);
  if (!field) return std::nullopt;
  TokenEdit e = InsertToken(DialogToPaneText(*field), selStart, selLength, token);
  *field = PaneToDialogText(e.text);
  return e.caret;
}

std::optional<int> TRegexDialogModel::PressLineHead(Field focus) {
  std::string* field = FieldText(focus);
  if (!field) return std::nullopt;
  TokenEdit e = PrependLineHead(DialogToPaneText(*field));
  *field = PaneToDialogText(e.text);
  return e.caret;
}

std::optional<int> TRegexDialogModel::PressLineTail(Field focus) {
  std::string* field = FieldText(focus);
  if (!field) return std::nullopt;
  TokenEdit e = AppendLineTail(DialogToPaneText(*field));
  *field = PaneToDialogText(e.text);
  return e.caret;
}

std::string TokenHintShort(const char* hint) {
  std::string_view h(hint ? hint : "");
  return std::string(h.substr(0, h.find('|')));
}

std::string TokenHintLong(const char* hint) {
  std::string_view h(hint ? hint : "");
  size_t bar = h.find('|');
  return std::string(bar == std::string_view::npos ? h : h.substr(bar + 1));
}

void CompileForCommand(TAWKStr& awk, const std::string& expressionSjis, bool fuzzy) {
  awk.SetUseFuzzyCharDic(fuzzy);
  awk.SetRegExp(expressionSjis);
}

int RegexReplaceText(const TAWKStr& awk, std::string& text, const std::string& templateSjis) {
  return awk.GSub(templateSjis, text);
}

SearchOutcome RegexReplaceCommand(TAWKStr& awk, std::string_view pane, const std::string& expressionUtf8,
                                  const std::string& templateUtf8, bool fuzzy) {
  SearchOutcome o;
  if (pane.empty() || expressionUtf8.empty()) return o;
  std::string text(pane);
  int count = 0;
  try {
    CompileForCommand(awk, DialogToPaneText(expressionUtf8), fuzzy);
    count = RegexReplaceText(awk, text, DialogToPaneText(templateUtf8));
  } catch (const ERegExpParser& e) {
    o.kind = SearchMsg::Error;
    o.message = e.what();
    return o;
  }
  if (count <= 0) {
    o.kind = SearchMsg::Warning;
    o.message = kMsgNoReplacement;
    return o;
  }
  o.textChanged = true;
  o.text = std::move(text);
  o.markerRed = true;
  o.count = count;
  o.kind = SearchMsg::Information;
  o.message = kMsgReplaceCountPrefix + std::to_string(count);
  return o;
}

SearchOutcome ReplaceAllCommand(std::string_view pane, const std::string& findUtf8, const std::string& withUtf8) {
  SearchOutcome o;
  if (pane.empty() || findUtf8.empty()) return o;
  std::string text(pane);
  int count = ReplacePlain(text, DialogToPaneText(findUtf8), DialogToPaneText(withUtf8));
  if (count == 0) return o;
  o.textChanged = true;
  o.text = std::move(text);
  o.markerRed = true;
  o.count = count;
  return o;
}

}  // namespace navirt

#include "search/DeleteBySearch.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

#include "edit/PaneText.h"
#include "platform/AtomicFile.h"
#include "regex/RELineAutomaton.h"
#include "search/FindCommands.h"
#include "search/LineFilter.h"
#include "search/PlainFind.h"
#include "search/RegexReplace.h"
#include "search/SearchHistory.h"

namespace navirt {

namespace {

// Removes the lines for which holds() is `drop`; returns how many went.
template <class Pred>
int EraseLines(std::vector<std::string>& lines, Pred holds, bool drop) {
  size_t before = lines.size();
  std::erase_if(lines, [&](const std::string& l) { return holds(l) == drop; });
  return static_cast<int>(before - lines.size());
}

// Match over one line, skipping the engine when the bytes every match
// contains are missing; all attempts of the line at once when the line
// automaton is small enough.
struct LineMatcher {
  const TAWKStr& awk;
  std::string_view must;
  std::unique_ptr<TRELineAutomaton> all;
  explicit LineMatcher(const TAWKStr& a) : awk(a), must(LineMust(a)), all(TRELineAutomaton::Build(a)) {}
  bool operator()(const std::string& line) const {
    if (!must.empty() && (line.size() < must.size() || !memmem(line.data(), line.size(), must.data(), must.size())))
      return false;
    if (all) {
      // The automaton reads a line up to its CR or LF; a line holding one
      // goes to the engine.
      bool matched;
      const char* end = line.data() + line.size();
      if (all->ScanLine(line.data(), end, matched) == end) return matched;
    }
    return awk.Search(line).Found;
  }
};

std::vector<std::string> ToPane(const std::vector<std::string>& utf8) {
  std::vector<std::string> out;
  out.reserve(utf8.size());
  for (const std::string& t : utf8) out.push_back(DialogToPaneText(t));
  return out;
}

SearchOutcome LinesOutcome(std::vector<std::string> lines, int count) {
  SearchOutcome o;
  o.linesChanged = true;
  o.lines = std::move(lines);
  o.markerRed = true;
  o.count = count;
  return o;
}

SearchOutcome SyntaxError(const ERegExpParser& e) {
  SearchOutcome o;
  o.kind = SearchMsg::Error;
  o.message = e.what();
  return o;
}

}  // namespace

int DeleteLinesHolding(std::vector<std::string>& lines, std::string_view term) {
  if (term.empty()) return 0;
  TPlainFinder finder(term);
  return EraseLines(
      lines, [&](const std::string& l) { return finder.FoundIn(l); }, true);
}

int KeepLinesHolding(std::vector<std::string>& lines, std::string_view term) {
  if (term.empty()) return 0;
  TPlainFinder finder(term);
  EraseLines(
      lines, [&](const std::string& l) { return finder.FoundIn(l); }, false);
  return static_cast<int>(lines.size());
}

int DeleteLinesMatching(const TAWKStr& awk, std::vector<std::string>& lines) {
  return EraseLines(lines, LineMatcher(awk), true);
}

int KeepLinesMatching(const TAWKStr& awk, std::vector<std::string>& lines) {
  EraseLines(lines, LineMatcher(awk), false);
  return static_cast<int>(lines.size());
}

int DeletePhrase(std::string& text, std::string_view term) {
  if (term.empty()) return 0;
  return ReplacePlain(text, term, "");
}

int DeleteLinesByTerms(TAWKStr& awk, std::vector<std::string>& lines, const std::vector<std::string>& termsSjis,
                       bool regex) {
  std::vector<std::string> work = lines;
  int count = 0;
  for (const std::string& term : termsSjis) {
    if (term.empty()) continue;
    if (regex) {
      CompileForCommand(awk, term, false);
      count += DeleteLinesMatching(awk, work);
    } else {
      count += DeleteLinesHolding(work, term);
    }
  }
  lines = std::move(work);
  return count;
}

int DeletePhrasesByTerms(TAWKStr& awk, std::string& text, const std::vector<std::string>& termsSjis, bool regex) {
  std::string work = text;
  int count = 0;
  for (const std::string& term : termsSjis) {
    if (term.empty()) continue;
    if (regex) {
      CompileForCommand(awk, term, false);
      count += awk.GSub("", work);
    } else {
      count += DeletePhrase(work, term);
    }
  }
  text = std::move(work);
  return count;
}

bool PaneLinesEmpty(const std::vector<std::string>& lines) {
  return lines.empty() || (lines.size() == 1 && lines[0].empty());
}

SearchOutcome DeleteLinesCommand(const std::vector<std::string>& lines, const std::string& termUtf8) {
  if (PaneLinesEmpty(lines) || termUtf8.empty()) return {};
  std::vector<std::string> work = lines;
  int count = DeleteLinesHolding(work, DialogToPaneText(termUtf8));
  SearchOutcome o = LinesOutcome(std::move(work), count);
  o.kind = SearchMsg::Information;
  o.message = std::to_string(count) + kMsgLinesDeletedSuffix;
  return o;
}

SearchOutcome PickLinesCommand(const std::vector<std::string>& lines, const std::string& termUtf8) {
  if (PaneLinesEmpty(lines) || termUtf8.empty()) return {};
  std::vector<std::string> work = lines;
  int count = KeepLinesHolding(work, DialogToPaneText(termUtf8));
  SearchOutcome o = LinesOutcome(std::move(work), count);
  o.kind = SearchMsg::Information;
  o.message = std::to_string(count) + kMsgLinesPickedSuffix;
  return o;
}

SearchOutcome DeleteLinesRegexCommand(TAWKStr& awk, const std::vector<std::string>& lines,
                                      const std::string& expressionUtf8, bool fuzzy) {
  if (PaneLinesEmpty(lines)) return {};
  std::vector<std::string> work = lines;
  int count = 0;
  try {
    CompileForCommand(awk, DialogToPaneText(expressionUtf8), fuzzy);
    count = DeleteLinesMatching(awk, work);
  } catch (const ERegExpParser& e) {
    return SyntaxError(e);
  }
  SearchOutcome o = LinesOutcome(std::move(work), count);
  o.clearModified = true;
  return o;
}

SearchOutcome PickLinesRegexCommand(TAWKStr& awk, const std::vector<std::string>& lines,
                                    const std::string& expressionUtf8, bool fuzzy) {
  if (PaneLinesEmpty(lines) || expressionUtf8.empty()) return {};
  std::vector<std::string> work = lines;
  int count = 0;
  try {
    CompileForCommand(awk, DialogToPaneText(expressionUtf8), fuzzy);
    count = KeepLinesMatching(awk, work);
  } catch (const ERegExpParser& e) {
    return SyntaxError(e);
  }
  SearchOutcome o = LinesOutcome(std::move(work), count);
  o.clearModified = true;
  return o;
}

SearchOutcome DeletePhraseCommand(std::string_view pane, const std::string& termUtf8) {
  SearchOutcome o;
  if (pane.empty() || termUtf8.empty()) return o;
  std::string text(pane);
  int count = DeletePhrase(text, DialogToPaneText(termUtf8));
  if (count == 0) return o;
  o.textChanged = true;
  o.text = std::move(text);
  o.markerRed = true;
  o.count = count;
  return o;
}

SearchOutcome DeleteLinesByTermsCommand(TAWKStr& awk, const std::vector<std::string>& lines,
                                        const std::vector<std::string>& termsUtf8, bool regex) {
  if (PaneLinesEmpty(lines)) return {};
  std::vector<std::string> work = lines;
  int count = 0;
  try {
    count = DeleteLinesByTerms(awk, work, ToPane(termsUtf8), regex);
  } catch (const ERegExpParser& e) {
    return SyntaxError(e);
  }
  SearchOutcome o = LinesOutcome(std::move(work), count);
  o.clearModified = regex;
  return o;
}

SearchOutcome DeletePhrasesByTermsCommand(TAWKStr& awk, std::string_view pane,
                                          const std::vector<std::string>& termsUtf8, bool regex) {
  SearchOutcome o;
  if (pane.empty()) return o;
  std::string text(pane);
  int count = 0;
  try {
    count = DeletePhrasesByTerms(awk, text, ToPane(termsUtf8), regex);
  } catch (const ERegExpParser& e) {
    return SyntaxError(e);
  }
  o.textChanged = true;
  o.text = std::move(text);
  o.markerRed = true;
  o.count = count;
  return o;
}

// ------------------------------------------------------------- TForm31

TTermListDialogModel::TTermListDialogModel(bool lineDeletion)
    : caption(lineDeletion ? "検索行削除 連続" : "検索語句削除　連続") {}

void TTermListDialogModel::Load(const TIniFile& ini, const std::string& programFolder) {
  regex = ini.ReadBool(kTermListSection, "RegCheck", false);
  openFolder = ini.ReadString(kTermListSection, "Open31", programFolder);
  saveFolder = ini.ReadString(kTermListSection, "Save31", programFolder);
  int64_t count = std::clamp<int64_t>(ini.ReadInteger(kTermListSection, "ListCount", 0), 0, 100000);
  list.clear();
  for (int64_t i = 0; i < count; ++i) {
    std::string v = ini.ReadString(kTermListSection, "Items_" + std::to_string(i), "");
    v = v.size() >= 2 ? v.substr(1, v.size() - 2) : std::string();
    if (!v.empty()) list.push_back(std::move(v));
  }
  selected = list.empty() ? -1 : 0;
}

void TTermListDialogModel::PresetSelection(std::string_view selectionSjis) {
  if (!selectionSjis.empty()) field = PaneToDialogText(selectionSjis);
}

void TTermListDialogModel::Add() {
  // An empty term would remove every line as an expression.
  if (field.empty()) return;
  list.push_back(field);
  selected = static_cast<int>(list.size()) - 1;
  field.clear();
}

void TTermListDialogModel::Remove() {
  if (selected < 0 || selected >= static_cast<int>(list.size())) return;
  list.erase(list.begin() + selected);
  if (list.empty()) {
    selected = -1;
  } else {
    selected = selected > 0 ? selected - 1 : 0;
  }
}

void TTermListDialogModel::MoveUp() {
  if (selected <= 0 || selected >= static_cast<int>(list.size())) return;
  std::swap(list[size_t(selected)], list[size_t(selected) - 1]);
  --selected;
}

void TTermListDialogModel::MoveDown() {
  if (selected < 0 || selected + 1 >= static_cast<int>(list.size())) return;
  std::swap(list[size_t(selected)], list[size_t(selected) + 1]);
  ++selected;
}

void TTermListDialogModel::ClearField() { field.clear(); }

void TTermListDialogModel::ClearList() {
  list.clear();
  selected = -1;
}

void TTermListDialogModel::Click(int index) {
  if (index < 0 || index >= static_cast<int>(list.size())) return;
  selected = index;
  field = list[size_t(index)];
}

namespace {
std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
}  // namespace

std::optional<std::string> TTermListDialogModel::LoadFile(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::string(std::strerror(errno));
  std::string bytes;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  bool failed = std::ferror(f) != 0;
  int err = errno;
  std::fclose(f);
  if (failed) return std::string(std::strerror(err ? err : EIO));
  std::vector<std::string> loaded;
  for (const std::string& line : SplitLines(bytes))
    if (!line.empty()) loaded.push_back(PaneToDialogText(line));
  list = std::move(loaded);
  selected = list.empty() ? -1 : 0;
  openFolder = FolderOf(path);
  saveFileName = path;
  return std::nullopt;
}

std::optional<std::string> TTermListDialogModel::SaveFile(const std::string& path) {
  std::string bytes;
  for (const std::string& t : list) bytes += DialogToPaneText(t) + "\r\n";
  std::string error;
  if (!AtomicWriteFile(path, bytes, false, &error)) return error.empty() ? std::string("書き込めません") : error;
  saveFolder = FolderOf(path);
  openFileName = path;
  return std::nullopt;
}

void TTermListDialogModel::Execute(TIniFile& ini) {
  ini.WriteBool(kTermListSection, "RegCheck", regex);
  ini.WriteString(kTermListSection, "Open31", openFolder);
  ini.WriteString(kTermListSection, "Save31", saveFolder);
  int64_t old = ini.ReadInteger(kTermListSection, "ListCount", 0);
  for (int64_t i = static_cast<int64_t>(list.size()); i < old && i < 100000; ++i)
    ini.DeleteKey(kTermListSection, "Items_" + std::to_string(i));
  for (size_t i = 0; i < list.size(); ++i)
    ini.WriteString(kTermListSection, "Items_" + std::to_string(i), "#" + list[i] + "#");
  ini.WriteInteger(kTermListSection, "ListCount", static_cast<int64_t>(list.size()));
}

}  // namespace navirt

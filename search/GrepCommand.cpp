#include "search/GrepCommand.h"

#include <algorithm>

#include "codec/UnicodeConvert.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "settings/History.h"

namespace navirt {

std::vector<std::string> TGrepDialogModel::FilesOf(const std::vector<std::string>& names) const {
  std::vector<std::string> out;
  for (const std::string& n : names) {
    std::string path = folder_ + n;
    if (IsRegularFile(path)) out.push_back(path);
  }
  return out;
}

void TGrepDialogModel::Setup(const std::string& folder, const std::vector<std::string>& allNames,
                             const std::vector<std::string>& selectedNames) {
  folder_ = WithTrailingSlash(folder);
  all_ = allNames;
  selected_ = selectedNames;
  directoryLabel = folder;
  filesLabel = std::to_string(selectedNames.size()) + "個のファイル";
  groupEnabled = !selectedNames.empty();
  ChooseSelected(!selectedNames.empty());
}

void TGrepDialogModel::ChooseSelected(bool selected) {
  selectedGroup = selected;
  files = FilesOf(selected ? selected_ : all_);
}

void TGrepDialogModel::LoadHistory(const TIniFile& ini) {
  history = LoadHistoryList(ini, kGrepSection);
  autoDetectCode = ini.ReadBool(kGrepSection, kGrepAutoCodeKey, false);
  if (expression.empty() && !history.empty()) expression = history.front();
}

std::string TGrepDialogModel::Accept(TIniFile& ini) {
  if (!expression.empty() && std::find(history.begin(), history.end(), expression) == history.end())
    history.insert(history.begin(), expression);
  int written = 0;
  for (const std::string& h : history) {
    if (written == kGrepHistoryCap) break;
    ini.WriteString(kGrepSection, "Items_" + std::to_string(written), "#" + h + "#");
    ++written;
  }
  ini.WriteInteger(kGrepSection, "DriveCount", written);
  ini.WriteBool(kGrepSection, kGrepAutoCodeKey, autoDetectCode);
  if (history.size() > size_t(kGrepHistoryCap)) history.resize(kGrepHistoryCap);
  return expression;
}

int TGrepDialogModel::ToggleTokenPanel() {
  if (tokenPanelHeight == 0) {
    tokenPanelHeight = kGrepTokenPanelHeight;
    return kGrepTokenPanelHeight;
  }
  tokenPanelHeight = 0;
  return -kGrepTokenPanelHeight;
}

void SetGrepAutoDetectCode(TGrep& grep, bool on) {
  if (on)
    grep.ConvertText = [](std::string_view bytes) { return AnyToSjis(bytes); };
  else
    grep.ConvertText = nullptr;
}

std::string TGrepRun::HeadingLine(const std::string& expressionSjis) {
  return Utf8ToCp932("Grepの実行　検索正規表現 = ") + expressionSjis;
}

std::string TGrepRun::FileLine(const std::string& path) {
  return Utf8ToCp932("// 検索ファイル [ ") + Utf8ToCp932(path) + " ]";
}

std::string TGrepRun::MatchLine(const std::string& path, const RE_LineInfo_t& info, bool withLineNumber) {
  if (!withLineNumber) return info.Line;
  return Utf8ToCp932(path) + "(" + std::to_string(info.LineNo) + ") :" + info.Line;
}

const char* TGrepRun::CancelLine() { return "[Grepを中止]"; }

GrepRunResult TGrepRun::Run(TGrep& grep, const std::string& expressionSjis, const std::vector<std::string>& paths,
                            bool showFileNames, bool showLineNumbers,
                            const std::function<void(const std::string&)>& addLine,
                            const std::function<void(size_t index)>& onFile) {
  GrepRunResult result;
  addLine(HeadingLine(expressionSjis));
  addLine("");
  std::string current;
  auto previous = grep.OnMatch;
  grep.OnMatch = [&](TGrep*, const RE_LineInfo_t& info) {
    ++result.matches;
    addLine(MatchLine(current, info, showLineNumbers));
  };
  try {
    for (size_t i = 0; i < paths.size(); ++i) {
      const std::string& path = paths[i];
      if (onFile) onFile(i);
      current = path;
      if (showFileNames) addLine(FileLine(path));
      grep.Grep(path);
    }
  } catch (const EGrepCancel&) {
    result.outcome = GrepOutcome::Cancelled;
    addLine(Utf8ToCp932(CancelLine()));
  } catch (const std::exception& e) {
    result.outcome = GrepOutcome::Failed;
    result.error = e.what();
  }
  grep.OnMatch = previous;
  return result;
}

}  // namespace navirt

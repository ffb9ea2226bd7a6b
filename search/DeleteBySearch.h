#pragma once
// Deleting and extracting lines and phrases by a search, and the term-list
// dialog TForm31. Plain terms match at character starts only; expressions
// go through the window's TAWKStr. The pane text is never run through the
// escape conversion.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regex/bmRegExp.h"
#include "search/SearchOutcome.h"
#include "settings/IniFile.h"

namespace navirt {

// In place over the pane's lines (Shift_JIS); each returns how many lines
// went (deletion) or stayed (extraction). An empty term touches nothing; a
// line never holds a line end, so a term with one finds no line.
int DeleteLinesHolding(std::vector<std::string>& lines, std::string_view term);
int KeepLinesHolding(std::vector<std::string>& lines, std::string_view term);
// With the expression awk holds (every line tried with Match).
int DeleteLinesMatching(const TAWKStr& awk, std::vector<std::string>& lines);
int KeepLinesMatching(const TAWKStr& awk, std::vector<std::string>& lines);
// Every occurrence removed from the text; returns the count.
int DeletePhrase(std::string& text, std::string_view term);

// The term list applied in list order; raise ERegExpParser (the input is
// then unchanged). Empty terms are skipped.
int DeleteLinesByTerms(TAWKStr& awk, std::vector<std::string>& lines, const std::vector<std::string>& termsSjis,
                       bool regex);
int DeletePhrasesByTerms(TAWKStr& awk, std::string& text, const std::vector<std::string>& termsSjis, bool regex);

// An empty pane: no lines, or one empty line.
bool PaneLinesEmpty(const std::vector<std::string>& lines);

// Caption and prompt of the input dialog each plain command asks with.
struct InputDialogTexts {
  const char* caption;
  const char* prompt;
};
constexpr InputDialogTexts kDeleteLinesInput{"検索行削除", "検索する文字列"};
constexpr InputDialogTexts kPickLinesInput{"検索行抽出", "検索する文字列"};
constexpr InputDialogTexts kDeletePhraseInput{"一括削除", "削除する語句を入力して下さい"};

// The commands. Texts from dialogs are UTF-8.
// "検索行削除(&L)": count + "　行削除しました！".
SearchOutcome DeleteLinesCommand(const std::vector<std::string>& lines, const std::string& termUtf8);
// "検索行抽出(&C)": the pane keeps only the lines holding the term;
// count + "　行抽出しました！".
SearchOutcome PickLinesCommand(const std::vector<std::string>& lines, const std::string& termUtf8);
// "検索行削除　正規表現" (an empty expression removes every line) and
// "検索行抽出　正規表現" (an empty expression does nothing); no message but
// a syntax error's.
SearchOutcome DeleteLinesRegexCommand(TAWKStr& awk, const std::vector<std::string>& lines,
                                      const std::string& expressionUtf8, bool fuzzy);
SearchOutcome PickLinesRegexCommand(TAWKStr& awk, const std::vector<std::string>& lines,
                                    const std::string& expressionUtf8, bool fuzzy);
// "検索語句削除(&I)".
SearchOutcome DeletePhraseCommand(std::string_view pane, const std::string& termUtf8);
// "検索行削除　連続" and "検索語句削除　連続".
SearchOutcome DeleteLinesByTermsCommand(TAWKStr& awk, const std::vector<std::string>& lines,
                                        const std::vector<std::string>& termsUtf8, bool regex);
SearchOutcome DeletePhrasesByTermsCommand(TAWKStr& awk, std::string_view pane,
                                          const std::vector<std::string>& termsUtf8, bool regex);

constexpr const char* kTermListSection = "RenzokuDelete";

// The term-list dialog TForm31.
class TTermListDialogModel {
 public:
  // lineDeletion: opened by "検索行削除　連続" (caption "検索行削除 連続").
  explicit TTermListDialogModel(bool lineDeletion = false);

  // "RegCheck", the start folders "Open31"/"Save31" (default: the
  // program's folder) and the list.
  void Load(const TIniFile& ini, const std::string& programFolder);
  void PresetSelection(std::string_view selectionSjis);

  void Add();             // "リストに追加(&A)": the field's text appended, field cleared
  void Remove();          // "リストから削除(&D)"
  void MoveUp();          // "上へ"
  void MoveDown();        // "下へ"
  void ClearField();      // "文字列クリア"
  void ClearList();       // "全削除"
  void Click(int index);  // a list entry into the field

  // "読み込み(&L)" / "保存(&S)": one entry a line, Shift_JIS, CR LF. On
  // failure the system's message comes back and the list stays as it was.
  std::optional<std::string> LoadFile(const std::string& path);
  std::optional<std::string> SaveFile(const std::string& path);

  // "実行": writes the section; the terms go to the command.
  void Execute(TIniFile& ini);

  std::string caption;
  std::string field;              // UTF-8, "削除文字列(&C)"
  std::vector<std::string> list;  // UTF-8, "削除文字列リスト(&I)"
  int selected = -1;
  bool regex = false;  // "正規表現(&S)"
  std::string openFolder, saveFolder;
  std::string openFileName, saveFileName;

  static constexpr const char* kLoadTitle = "連続削除リストの読み込み";
  static constexpr const char* kSaveTitle = "連続削除リストの保存";
  static constexpr const char* kFilter = "テキスト|*.txt|すべて|*.*";
  static constexpr const char* kDefaultExt = "txt";
};

}  // namespace navirt

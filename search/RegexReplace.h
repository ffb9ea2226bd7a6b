#pragma once
// The regular-expression dialog TForm25 as a model, "置換　正規表現(&P)" and
// "置換　一括(&I)". The pane's own text is never run through the escape
// conversion: only the expression and the template read backslash
// sequences, so Windows paths, program sources and TeX stay as they are.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "regex/bmRegExp.h"
#include "search/RegexTokens.h"
#include "search/SearchOutcome.h"
#include "settings/IniFile.h"

namespace navirt {

constexpr const char* kRegexSection = "GrepR";
constexpr int kRegexHistoryCap = 20;

// What the dialog is opened for.
enum class RegexDialogUse {
  Replace,      // "置換　正規表現(&P)"
  ReplaceAll,   // "置換　一括(&I)": plain text, no note, check box or token panel
  DeleteLines,  // "検索行削除　正規表現": no replacement field
  PickLines,    // "検索行抽出　正規表現": no replacement field
};

class TRegexDialogModel {
 public:
  explicit TRegexDialogModel(RegexDialogUse use = RegexDialogUse::Replace);

  // Both histories and the check box of "GrepR"; each box shows the first
  // entry of its history.
  void Load(const TIniFile& ini);
  // The pane's selection (Shift_JIS), when there is one, becomes the
  // expression (the search text).
  void PresetSelection(std::string_view selectionSjis);
  // OK: each box's text goes to the top of its history when new; both
  // histories (at most 20 each) and the check box are written. Returns the
  // expression.
  std::string Accept(TIniFile& ini);
  // Cancel writes both histories as they are.
  void Cancel(TIniFile& ini);

  enum class Field { Expression, Replacement, Other };
  // A token button: inserts at the focused box's caret (bytes of its
  // Shift_JIS text), replacing its selection; returns the new caret, or
  // nothing when no box has the focus.
  std::optional<int> PressToken(Field focus, int selStart, int selLength, const RegexToken& token);
  // "^　" and "$" on the focused box.
  std::optional<int> PressLineHead(Field focus);
  std::optional<int> PressLineTail(Field focus);

  RegexDialogUse use;
  std::string caption;    // "正規表現置換", "一括置換", ...
  std::string okCaption;  // "置換(&R)" or "検索(&S)"
  bool showNote = true;   // "文字列には正規表現が使えます。"
  bool showFuzzy = true;  // "文字の同一視(&D)"
  bool showTokens = true;
  bool showReplacement = true;

  std::string expression;   // UTF-8, combo box CBRegExp
  std::string replacement;  // UTF-8, combo box ComboBox1
  std::vector<std::string> expressionHistory;
  std::vector<std::string> replacementHistory;
  bool fuzzy = false;  // starts unticked; kept under "GrepR"/"Fuzzy"

 private:
  std::string* FieldText(Field focus);
  void WriteHistories(TIniFile& ini);
};

// The short part of a token hint (the tool tip) and the long part.
std::string TokenHintShort(const char* hint);
std::string TokenHintLong(const char* hint);

// Labels of the dialog (UTF-8).
extern const char* const kRegexLabelExpression;   // "検索する文字列(&S)"
extern const char* const kRegexLabelReplacement;  // "置換する文字列(&T)"
extern const char* const kRegexNote;              // "文字列には正規表現が使えます。"
extern const char* const kRegexFuzzyCaption;      // "文字の同一視(&D)"

// Sets the expression with or without the character-equivalence
// dictionary; raises ERegExpParser.
void CompileForCommand(TAWKStr& awk, const std::string& expressionSjis, bool fuzzy);

// Every match in text replaced by the expanded template (as GSub); the
// text itself is taken as it stands. Returns the count.
int RegexReplaceText(const TAWKStr& awk, std::string& text, const std::string& templateSjis);

// "置換　正規表現(&P)" on the pane text: nothing on an empty pane or an
// empty expression; a syntax error gives the engine's message and leaves
// the pane; no match: "置換しませんでした" (warning); else the new text,
// "置換回数 = N", marker red.
SearchOutcome RegexReplaceCommand(TAWKStr& awk, std::string_view pane, const std::string& expressionUtf8,
                                  const std::string& templateUtf8, bool fuzzy);

// "置換　一括(&I)": every occurrence of the search text, case-sensitive, at
// character starts; no message. Nothing changes when there is none.
SearchOutcome ReplaceAllCommand(std::string_view pane, const std::string& findUtf8, const std::string& withUtf8);

}  // namespace navirt

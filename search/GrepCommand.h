#pragma once
// "Grepの実行(&G)": the grep dialog's logic and the run that writes the
// findings as pane lines, without widgets.
#include <functional>
#include <string>
#include <vector>

#include "regex/bmRegExp.h"
#include "settings/IniFile.h"

namespace navirt {

constexpr const char* kGrepSection = "Grep";
constexpr int kGrepHistoryCap = 10;
constexpr int kGrepTokenPanelHeight = 220;
// "文字コード自動判別": remembered in the grep section under this key.
constexpr const char* kGrepAutoCodeKey = "AutoCode";

// The dialog TForm9 ("Grepの実行") as a model.
class TGrepDialogModel {
 public:
  // folder: UTF-8 with or without a trailing "/"; names as the file list
  // shows them (folders among them are left out of the file list).
  void Setup(const std::string& folder, const std::vector<std::string>& allNames,
             const std::vector<std::string>& selectedNames);
  // The group "ファイル": true for "選択したﾌｧｲﾙ", false for "全ファイル".
  void ChooseSelected(bool selected);

  // The history and the "文字コード自動判別" flag.
  void LoadHistory(const TIniFile& ini);
  // OK: the expression goes to the top of the history when new, the
  // history and the flag are written. Returns the answer (the expression).
  std::string Accept(TIniFile& ini);
  // "正規表現文字表示": shows or hides the token panel; returns the change
  // of the dialog's height.
  int ToggleTokenPanel();

  std::string expression;            // UTF-8, the combo box's text
  std::vector<std::string> history;  // UTF-8
  bool useFuzzy = true;              // "文字の同一視(&D)"
  bool showFileNames = true;         // "検索ﾌｧｨﾙ名の表示(&K)"
  bool showLineNumbers = true;       // "行数の表示(&L)"
  bool selectedGroup = false;        // "選択したﾌｧｲﾙ" chosen
  bool autoDetectCode = false;       // "文字コード自動判別"
  bool groupEnabled = false;
  std::vector<std::string> files;  // UTF-8 paths in the read-only list
  std::string directoryLabel;      // Ldirectory
  std::string filesLabel;          // Lfiles, e.g. "3個のファイル"
  int tokenPanelHeight = 0;

 private:
  std::vector<std::string> FilesOf(const std::vector<std::string>& names) const;
  std::string folder_;
  std::vector<std::string> all_, selected_;
};

// Each file read in its own code (JIS, EUC, UTF-8, UTF-16 turned into
// Shift_JIS before matching) when on; the bytes as they are when off.
void SetGrepAutoDetectCode(TGrep& grep, bool on);

// What a grep run ended with.
enum class GrepOutcome { Done, Cancelled, Failed };

struct GrepRunResult {
  GrepOutcome outcome = GrepOutcome::Done;
  std::string error;  // UTF-8 message of a failed run
  int matches = 0;
};

// The pane lines of one run (steps after the expression compiled):
// the heading, an empty line, per file its name line (when shown) and its
// match lines; "[Grepを中止]" after a cancel. Lines are Shift_JIS; paths
// are UTF-8 and converted.
class TGrepRun {
 public:
  static std::string HeadingLine(const std::string& expressionSjis);
  static std::string FileLine(const std::string& path);
  static std::string MatchLine(const std::string& path, const RE_LineInfo_t& info, bool withLineNumber);
  static const char* CancelLine();  // "[Grepを中止]" (UTF-8)

  // Runs grep over the paths; addLine receives every pane line in order,
  // onFile (when set) the index of each file as its search begins.
  static GrepRunResult Run(TGrep& grep, const std::string& expressionSjis, const std::vector<std::string>& paths,
                           bool showFileNames, bool showLineNumbers,
                           const std::function<void(const std::string&)>& addLine,
                           const std::function<void(size_t index)>& onFile = {});
};

}  // namespace navirt

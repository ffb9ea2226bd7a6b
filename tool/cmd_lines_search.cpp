// The search commands of `navirt-tool lines`: deleting and extracting lines
// by a text or an expression, deleting a phrase, replacing. Counts go to
// standard error; a bad argument or an expression error changes nothing.
#include <cstdio>
#include <string>
#include <vector>

#include "edit/PaneText.h"
#include "regex/bmRegExp.h"
#include "search/DeleteBySearch.h"
#include "search/PlainFind.h"
#include "search/RegexReplace.h"
#include "tool/LinesFace.h"
#include "tool/ToolIo.h"

namespace navirt::tool {

namespace {

int Count(int n) {
  std::fprintf(stderr, "%d\n", n);
  return kExitOk;
}

// A plain text must be something a line can hold.
bool BadText(const char* command, const std::string& text, int& rc) {
  if (text.empty()) {
    rc = Fail(std::string("lines ") + command + ": the text is empty");
    return true;
  }
  if (text.find_first_of("\r\n") != std::string::npos) {
    rc = Fail(std::string("lines ") + command + ": the text holds a line break; lines never do");
    return true;
  }
  return false;
}

// "--fuzzy" in front switches the character-equivalence dictionary on.
bool TakeFuzzy(std::vector<std::string>& args) {
  if (!args.empty() && args.front() == "--fuzzy") {
    args.erase(args.begin());
    return true;
  }
  return false;
}

std::size_t OneOrFuzzy(const std::vector<std::string>& args) {
  return !args.empty() && args.front() == "--fuzzy" ? 2 : 1;
}
std::size_t TwoOrFuzzy(const std::vector<std::string>& args) {
  return !args.empty() && args.front() == "--fuzzy" ? 3 : 2;
}

bool Compile(const char* command, TAWKStr& awk, const std::string& expr, bool fuzzy, int& rc) {
  try {
    CompileForCommand(awk, expr, fuzzy);
    return true;
  } catch (const ERegExpParser& e) {
    rc = Fail(std::string("lines ") + command + ": " + e.what());
    return false;
  }
}

int DelMatch(LinesCall& call) {
  int rc;
  if (BadText("del-match", call.args[0], rc)) return rc;
  return Count(DeleteLinesHolding(call.lines, call.args[0]));
}

int KeepMatch(LinesCall& call) {
  int rc;
  if (BadText("keep-match", call.args[0], rc)) return rc;
  return Count(KeepLinesHolding(call.lines, call.args[0]));
}

int DelMatchRe(LinesCall& call) {
  bool fuzzy = TakeFuzzy(call.args);
  TAWKStr awk;
  int rc;
  if (!Compile("del-match-re", awk, call.args[0], fuzzy, rc)) return rc;
  return Count(DeleteLinesMatching(awk, call.lines));
}

int KeepMatchRe(LinesCall& call) {
  bool fuzzy = TakeFuzzy(call.args);
  if (call.args[0].empty()) return Fail("lines keep-match-re: the expression is empty");
  TAWKStr awk;
  int rc;
  if (!Compile("keep-match-re", awk, call.args[0], fuzzy, rc)) return rc;
  return Count(KeepLinesMatching(awk, call.lines));
}

int DelPhrase(LinesCall& call) {
  int rc;
  if (BadText("del-phrase", call.args[0], rc)) return rc;
  TPlainFinder finder(call.args[0]);
  int n = 0;
  for (std::string& line : call.lines) n += finder.ReplaceIn(line, "");
  return Count(n);
}

int Replace(LinesCall& call) {
  int rc;
  if (BadText("replace", call.args[0], rc)) return rc;
  TPlainFinder finder(call.args[0]);
  int n = 0;
  for (std::string& line : call.lines) n += finder.ReplaceIn(line, call.args[1]);
  return Count(n);
}

int ReplaceRe(LinesCall& call) {
  bool fuzzy = TakeFuzzy(call.args);
  if (call.args[0].empty()) return Fail("lines replace-re: the expression is empty");
  TAWKStr awk;
  int rc;
  if (!Compile("replace-re", awk, call.args[0], fuzzy, rc)) return rc;
  // The whole text, as the pane holds it: an expression may match line ends.
  std::string text = JoinLines(call.lines);
  int n;
  try {
    n = RegexReplaceText(awk, text, call.args[1]);
  } catch (const ERegExpParser& e) {
    return Fail(std::string("lines replace-re: ") + e.what());
  }
  if (n > 0) call.lines = SplitLines(text);
  return Count(n);
}

}  // namespace

const LinesCommand kSearchLinesCommands[] = {
    {"del-match", 1, nullptr, DelMatch, "del-match TEXT           delete the lines holding TEXT"},
    {"keep-match", 1, nullptr, KeepMatch, "keep-match TEXT          keep only the lines holding TEXT"},
    {"del-match-re", 1, OneOrFuzzy, DelMatchRe,
     "del-match-re [--fuzzy] EXPR   delete the lines EXPR matches (an empty EXPR: every line)"},
    {"keep-match-re", 1, OneOrFuzzy, KeepMatchRe, "keep-match-re [--fuzzy] EXPR  keep only the lines EXPR matches"},
    {"del-phrase", 1, nullptr, DelPhrase, "del-phrase TEXT          remove every occurrence of TEXT"},
    {"replace", 2, nullptr, Replace, "replace TEXT NEW         replace every occurrence of TEXT (case-sensitive)"},
    {"replace-re", 2, TwoOrFuzzy, ReplaceRe,
     "replace-re [--fuzzy] EXPR TEMPLATE  replace every match (& the match, \\& a literal &)"},
};
const std::size_t kSearchLinesCommandCount = sizeof kSearchLinesCommands / sizeof kSearchLinesCommands[0];

}  // namespace navirt::tool

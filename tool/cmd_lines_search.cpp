// The search commands of `navirt-tool lines`: deleting and extracting lines
// by a text or an expression, deleting a phrase, replacing. Counts go to
// standard error; a bad argument or an expression error changes nothing.
#include <cstdio>
#include <string>
#include <vector>

#include "edit/LineStream.h"
#include "edit/PaneText.h"
#include "regex/bmRegExp.h"
#include "search/DeleteBySearch.h"
#include "search/LineFilter.h"
#include "search/PlainFind.h"
#include "search/RegexReplace.h"
#include "tool/LinesFace.h"
#include "tool/ToolIo.h"
#include "tool/ToolMessages.h"

namespace navirt::tool {

namespace {

int Count(int n) {
  std::fprintf(stderr, "%d\n", n);
  return kExitOk;
}

// A plain text must be something a line can hold.
bool BadText(const char* command, const std::string& text, int& rc) {
  if (text.empty()) {
    rc = Fail(Tr(msg::kTextEmpty, {command}));
    return true;
  }
  if (text.find_first_of("\r\n") != std::string::npos) {
    rc = Fail(Tr(msg::kTextHasBreak, {command}));
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
  if (call.args[0].empty()) return Fail(Tr(msg::kExprEmpty, {"keep-match-re"}));
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
  // Line ends in NEW become the pane's lines, as replace-re makes them.
  if (n > 0 && call.args[1].find_first_of("\r\n") != std::string::npos) call.lines = SplitLines(JoinLines(call.lines));
  return Count(n);
}

int ReplaceRe(LinesCall& call) {
  bool fuzzy = TakeFuzzy(call.args);
  if (call.args[0].empty()) return Fail(Tr(msg::kExprEmpty, {"replace-re"}));
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

// The lines f gives, joined in one string.
template <class F>
int IntoJoined(std::string& out, F f) {
  TLineJoiner j(out);
  int n = f(j);
  j.Finish();
  return n;
}

// Whole-text forms: the same results with no string per line, the lines
// written in pieces as they are found.
template <class F>
int Pieces(const LinesWriteFn& write, F f) {
  std::string buf;
  TLineJoiner j(buf, write);
  int n = f(j);
  if (j.Any()) buf.append("\r\n");  // every line ends, the last one too
  j.Finish();
  return Count(n);
}

template <bool keep>
int MatchText(const std::vector<std::string>& args, std::string_view text, const LinesWriteFn& write) {
  int rc;
  if (BadText(keep ? "keep-match" : "del-match", args[0], rc)) return rc;
  return Pieces(write, [&](TLineJoiner& j) { return FilterTextLinesPlain(text, args[0], keep, j); });
}

template <bool keep>
int MatchReText(const std::vector<std::string>& given, std::string_view text, const LinesWriteFn& write) {
  const char* name = keep ? "keep-match-re" : "del-match-re";
  std::vector<std::string> args = given;
  bool fuzzy = TakeFuzzy(args);
  if (keep && args[0].empty()) return Fail(Tr(msg::kExprEmpty, {"keep-match-re"}));
  TAWKStr awk;
  int rc;
  if (!Compile(name, awk, args[0], fuzzy, rc)) return rc;
  return Pieces(write, [&](TLineJoiner& j) { return FilterTextLines(text, awk, keep, j); });
}

int ReplaceWith(const char* name, const std::string& what, const std::string& with, std::string_view text,
                const LinesWriteFn& write) {
  int rc;
  if (BadText(name, what, rc)) return rc;
  TPlainFinder finder(what);
  if (with.find_first_of("\r\n") == std::string::npos)
    return Pieces(write, [&](TLineJoiner& j) { return ReplaceTextLines(text, finder, with, j); });
  // Line ends in NEW become the pane's lines (CR LF), as replace-re makes them.
  std::string joined;
  int n = IntoJoined(joined, [&](TLineJoiner& j) { return ReplaceTextLines(text, finder, with, j); });
  return Pieces(write, [&](TLineJoiner& j) {
    ForEachLine(joined, [&](std::string_view line) { j.Next().append(line); });
    return n;
  });
}

int DelPhraseText(const std::vector<std::string>& args, std::string_view text, const LinesWriteFn& write) {
  return ReplaceWith("del-phrase", args[0], std::string(), text, write);
}

int ReplaceText(const std::vector<std::string>& args, std::string_view text, const LinesWriteFn& write) {
  return ReplaceWith("replace", args[0], args[1], text, write);
}

int ReplaceReText(const std::vector<std::string>& given, std::string_view input, const LinesWriteFn& write) {
  std::vector<std::string> args = given;
  bool fuzzy = TakeFuzzy(args);
  if (args[0].empty()) return Fail(Tr(msg::kExprEmpty, {"replace-re"}));
  TAWKStr awk;
  int rc;
  if (!Compile("replace-re", awk, args[0], fuzzy, rc)) return rc;
  // The whole text, as the pane holds it: an expression may match line ends.
  std::string text = JoinedLines(input);
  int n;
  try {
    n = RegexReplaceText(awk, text, args[1]);
  } catch (const ERegExpParser& e) {
    return Fail(std::string("lines replace-re: ") + e.what());
  }
  // A template may hold line ends: they become the pane's lines too.
  if (n > 0) text = JoinedLines(text);
  // Every line ends with CR LF, the last one too.
  if (CountLines(input) > 0 && (n == 0 || !text.empty())) text += "\r\n";
  write(text);
  return Count(n);
}

}  // namespace

const LinesCommand kSearchLinesCommands[] = {
    {"del-match",
     1,
     nullptr,
     DelMatch,
     {"del-match TEXT           delete the lines holding TEXT", "del-match TEXT           TEXT を含む行を削除"},
     MatchText<false>},
    {"keep-match",
     1,
     nullptr,
     KeepMatch,
     {"keep-match TEXT          keep only the lines holding TEXT", "keep-match TEXT          TEXT を含む行だけを残す"},
     MatchText<true>},
    {"del-match-re",
     1,
     OneOrFuzzy,
     DelMatchRe,
     {"del-match-re [--fuzzy] EXPR   delete the lines EXPR matches (an empty EXPR: every line)",
      "del-match-re [--fuzzy] EXPR   EXPR に一致する行を削除 (空の EXPR: すべての行)"},
     MatchReText<false>},
    {"keep-match-re",
     1,
     OneOrFuzzy,
     KeepMatchRe,
     {"keep-match-re [--fuzzy] EXPR  keep only the lines EXPR matches",
      "keep-match-re [--fuzzy] EXPR  EXPR に一致する行だけを残す"},
     MatchReText<true>},
    {"del-phrase",
     1,
     nullptr,
     DelPhrase,
     {"del-phrase TEXT          remove every occurrence of TEXT", "del-phrase TEXT          TEXT をすべて取り除く"},
     DelPhraseText},
    {"replace",
     2,
     nullptr,
     Replace,
     {"replace TEXT NEW         replace every occurrence of TEXT (case-sensitive)",
      "replace TEXT NEW         TEXT をすべて NEW に置換 (大文字小文字を区別)"},
     ReplaceText},
    {"replace-re",
     2,
     TwoOrFuzzy,
     ReplaceRe,
     {"replace-re [--fuzzy] EXPR TEMPLATE  replace every match (& the match, \\& a literal &)",
      "replace-re [--fuzzy] EXPR TEMPLATE  一致をすべて置換 (& は一致した文字列、\\& は & そのもの)"},
     ReplaceReText},
};
const std::size_t kSearchLinesCommandCount = sizeof kSearchLinesCommands / sizeof kSearchLinesCommands[0];

}  // namespace navirt::tool

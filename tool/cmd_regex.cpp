// grep, match and gsub: the regular-expression engine from a shell.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/UnicodeConvert.h"
#include "platform/Cp932.h"
#include "regex/bmRegExp.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"

namespace navirt::tool {

namespace {

struct RegexArgs {
  bool lineNumbers = false, fuzzy = false, utf8Out = false, sjisArgs = false, autoCode = false;
  std::vector<std::string> rest;
  std::string error;
};

RegexArgs ParseArgs(int argc, char** argv, bool grepOptions) {
  RegexArgs a;
  bool options = true;
  for (int i = 0; i < argc; ++i) {
    std::string s = argv[i];
    if (options && s == "--") {
      options = false;
    } else if (options && s == "--fuzzy") {
      a.fuzzy = true;
    } else if (options && s == "--sjis-args") {
      a.sjisArgs = true;
    } else if (options && grepOptions && s == "-n") {
      a.lineNumbers = true;
    } else if (options && grepOptions && s == "--auto") {
      a.autoCode = true;
    } else if (options && grepOptions && s == "-u") {
      a.utf8Out = true;
    } else if (options && s.size() > 1 && s[0] == '-' && s != "-") {
      a.error = "unknown option '" + s + "'";
    } else {
      a.rest.push_back(s);
    }
  }
  return a;
}

// The argument as the engine's bytes; false (after saying why) when the
// pane's code cannot hold it.
bool Arg(const RegexArgs& a, const std::string& s, std::string& out) {
  if (a.sjisArgs) {
    out = s;
    return true;
  }
  std::string error;
  if (ArgToCp932(s, out, error)) return true;
  Fail(error);
  return false;
}

int SyntaxError(const ERegExpParser& e) {
  return Fail(std::string(e.what()) + " (position " + std::to_string(e.ErrorPos) + ")");
}

// Output collected in large pieces; grep output can be big.
class OutBuffer {
 public:
  ~OutBuffer() { Flush(); }
  void Add(std::string_view s) {
    buf_ += s;
    if (buf_.size() >= (1u << 20)) Flush();
  }
  void Flush() {
    if (!buf_.empty()) WriteOutput(buf_);
    buf_.clear();
  }

 private:
  std::string buf_;
};

}  // namespace

int CmdGrep(int argc, char** argv) {
  RegexArgs a = ParseArgs(argc, argv, true);
  if (!a.error.empty()) return Fail(a.error);
  if (a.rest.size() < 2) return Fail("usage: grep [-n] [--fuzzy] [-u] [--auto] [--sjis-args] EXPR FILE...");
  std::string expr;
  if (!Arg(a, a.rest[0], expr)) return kExitUsage;
  TGrep grep;
  grep.CountLines = a.lineNumbers;
  if (a.autoCode) grep.ConvertText = [](std::string_view bytes) { return AnyToSjis(bytes); };
  try {
    grep.SetUseFuzzyCharDic(a.fuzzy);
    grep.SetRegExp(expr);
  } catch (const ERegExpParser& e) {
    return SyntaxError(e);
  }
  OutBuffer out;
  bool any = false;
  std::string path;
  std::string pathSjis;
  grep.OnMatch = [&](TGrep*, const RE_LineInfo_t& info) {
    any = true;
    std::string line;
    if (a.lineNumbers) {
      line = (a.utf8Out ? path : pathSjis) + "(" + std::to_string(info.LineNo) + ") :";
    }
    line += a.utf8Out ? Cp932ToUtf8(info.Line) : info.Line;
    line += '\n';
    out.Add(line);
  };
  int rc = kExitOk;
  for (size_t i = 1; i < a.rest.size(); ++i) {
    path = a.rest[i];
    pathSjis = Utf8ToCp932(path);
    try {
      grep.Grep(path);
    } catch (const EFileNotFound& e) {
      out.Flush();
      std::string why = e.what();
      if (why.rfind(path + ": ", 0) != 0) why = path + ": " + why;
      Fail("cannot read " + why);
      rc = kExitUsage;
    }
  }
  out.Flush();
  if (rc != kExitOk) return rc;
  return any ? kExitOk : kExitNoMatch;
}

int CmdMatch(int argc, char** argv) {
  RegexArgs a = ParseArgs(argc, argv, false);
  if (!a.error.empty()) return Fail(a.error);
  if (a.rest.empty() || a.rest.size() > 2) return Fail("usage: match [--fuzzy] [--sjis-args] EXPR [FILE]");
  std::string expr;
  if (!Arg(a, a.rest[0], expr)) return kExitUsage;
  TAWKStr awk;
  try {
    awk.SetUseFuzzyCharDic(a.fuzzy);
    awk.SetRegExp(expr);
  } catch (const ERegExpParser& e) {
    return SyntaxError(e);
  }
  std::string text;
  if (!ReadInput(a.rest.size() > 1 ? a.rest[1] : "", text)) return kExitUsage;
  int length = 0;
  int pos = awk.Match(text, &length);
  std::printf("%d %d\n", pos, length);
  return pos ? kExitOk : kExitNoMatch;
}

int CmdGsub(int argc, char** argv) {
  RegexArgs a = ParseArgs(argc, argv, false);
  if (!a.error.empty()) return Fail(a.error);
  if (a.rest.size() < 2 || a.rest.size() > 3) return Fail("usage: gsub [--fuzzy] [--sjis-args] EXPR TEMPLATE [FILE]");
  std::string expr, templ;
  if (!Arg(a, a.rest[0], expr) || !Arg(a, a.rest[1], templ)) return kExitUsage;
  TAWKStr awk;
  std::string text;
  try {
    awk.SetUseFuzzyCharDic(a.fuzzy);
    awk.SetRegExp(expr);
    if (!ReadInput(a.rest.size() > 2 ? a.rest[2] : "", text)) return kExitUsage;
    int count = awk.GSub(templ, text);
    if (!WriteOutput(text)) return WriteError();
    std::fprintf(stderr, "%d\n", count);
  } catch (const ERegExpParser& e) {
    return SyntaxError(e);
  }
  return kExitOk;
}

}  // namespace navirt::tool

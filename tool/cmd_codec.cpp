// conv, eol, encode, decode, width: the codec functions over the raw bytes
// of FILE or standard input, exactly as given (no line splitting).
#include <cstring>
#include <functional>
#include <string>

#include "codec/CodeConvert.h"
#include "codec/TransferEncoding.h"
#include "codec/WidthConvert.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"

namespace navirt::tool {

namespace {

using Fn = std::function<std::string(std::string_view)>;

struct Mode {
  const char* name;
  Fn fn;
};

// Runs fn over the input named by the optional argument after the mode.
int RunMode(const char* command, int argc, char** argv, int firstFileArg, const Fn& fn) {
  if (argc > firstFileArg + 1) return Fail(std::string(command) + ": too many arguments");
  std::string in;
  if (!ReadInput(argc > firstFileArg ? argv[firstFileArg] : "", in)) return kExitUsage;
  const std::string out = fn(in);
  in.clear();
  in.shrink_to_fit();
  if (!WriteOutput(out)) return Fail("cannot write standard output");
  return kExitOk;
}

int PickMode(const char* command, int argc, char** argv, std::initializer_list<Mode> modes) {
  std::string names;
  for (const Mode& m : modes) names += std::string(names.empty() ? "" : "|") + m.name;
  if (argc < 1) return Fail(std::string(command) + ": missing mode (" + names + ")");
  for (const Mode& m : modes)
    if (std::strcmp(argv[0], m.name) == 0) return RunMode(command, argc, argv, 1, m.fn);
  return Fail(std::string(command) + ": unknown mode '" + argv[0] + "' (" + names + ")");
}

int LineEndArg(const char* s, bool allowAuto) {
  if (allowAuto && std::strcmp(s, "auto") == 0) return -1;
  if (std::strcmp(s, "crlf") == 0) return LineEndCrLf;
  if (std::strcmp(s, "cr") == 0) return LineEndCr;
  if (std::strcmp(s, "lf") == 0) return LineEndLf;
  return 0;
}

}  // namespace

int CmdConv(int argc, char** argv) {
  auto to = [](int target) { return [target](std::string_view t) { return ConvertToCode(t, target); }; };
  return PickMode("conv", argc, argv,
                  {{"auto", to(CodeSjis)},
                   {"to-jis", to(CodeJis83)},
                   {"to-euc", to(CodeEuc)},
                   {"to-sjis", to(CodeSjis)},
                   {"jis2sjis", JisToSjis},
                   {"jis2euc", JisToEuc},
                   {"euc2sjis", EucToSjis},
                   {"euc2jis", EucToJis},
                   {"sjis2jis", SjisToJis},
                   {"sjis2euc", SjisToEuc}});
}

int CmdEol(int argc, char** argv) {
  if (argc < 2) return Fail("eol: usage: eol auto|crlf|cr|lf crlf|cr|lf [FILE]");
  const int from = LineEndArg(argv[0], true);
  const int to = LineEndArg(argv[1], false);
  if (from == 0) return Fail(std::string("eol: unknown line end '") + argv[0] + "' (auto|crlf|cr|lf)");
  if (to == 0) return Fail(std::string("eol: unknown line end '") + argv[1] + "' (crlf|cr|lf)");
  return RunMode("eol", argc, argv, 2, [from, to](std::string_view t) {
    return ConvertLineEnds(t, from < 0 ? DetectLineEnd(t) : from, to);
  });
}

int CmdEncode(int argc, char** argv) {
  return PickMode("encode", argc, argv,
                  {{"base64", Base64Encode},
                   {"mime", MimeHeaderEncode},
                   {"uu", [](std::string_view t) { return UuEncode(t, "\r"); }},
                   {"binhex", [](std::string_view t) { return BinHexEncode(t, "\r"); }}});
}

int CmdDecode(int argc, char** argv) {
  return PickMode("decode", argc, argv,
                  {{"base64", Base64Decode}, {"mime", MimeHeaderDecode}, {"uu", UuDecode}, {"binhex", BinHexDecode}});
}

int CmdWidth(int argc, char** argv) {
  return PickMode("width", argc, argv,
                  {{"h2z", HalfToFullWidth},
                   {"z2h", FullToHalfWidth},
                   {"kana", HalfKanaToFullKana},
                   {"space", WideSpaceToBlanks}});
}

}  // namespace navirt::tool

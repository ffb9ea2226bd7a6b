// lines: one pane line command over a file or standard input.
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "edit/PaneText.h"
#include "platform/Cp932.h"
#include "tool/Commands.h"
#include "tool/LinesFace.h"
#include "tool/ToolIo.h"
#include "tool/ToolMessages.h"

namespace navirt::tool {

namespace {

const LinesCommand* Find(const std::string& name) {
  for (const auto& table : {std::span(kEditLinesCommands, kEditLinesCommandCount),
                            std::span(kSearchLinesCommands, kSearchLinesCommandCount)}) {
    for (const LinesCommand& c : table)
      if (name == c.name) return &c;
  }
  return nullptr;
}

constexpr Msg kLinesHelp{
    "Usage: navirt-tool lines [--sjis-args] COMMAND [ARGS] [FILE]\n\n"
    "Splits the input at CR LF, CR or LF, runs COMMAND over the lines and\n"
    "writes them joined by CR LF. Text arguments are UTF-8, converted to\n"
    "Shift_JIS; with --sjis-args they are taken as raw bytes.\n\nCommands:\n",
    "使い方: navirt-tool lines [--sjis-args] COMMAND [ARGS] [FILE]\n\n"
    "入力を CR LF、CR または LF で行に分け、COMMAND を行に施して、\n"
    "CR LF でつないで書きます。文字列の引数は UTF-8 で、Shift_JIS に\n"
    "変換されます。--sjis-args を付けるとバイト列そのままとして扱います。\n\nコマンド:\n"};

void PrintLinesHelp() {
  std::fputs(Tr(kLinesHelp), stdout);
  for (const auto& table : {std::span(kEditLinesCommands, kEditLinesCommandCount),
                            std::span(kSearchLinesCommands, kSearchLinesCommandCount)}) {
    for (const LinesCommand& c : table) std::printf("  %s\n", Tr(c.usage));
  }
}

}  // namespace

int CmdLines(int argc, char** argv) {
  bool sjisArgs = false;
  int i = 0;
  for (; i < argc; ++i) {
    std::string s = argv[i];
    if (s == "--help" || s == "-h") {
      PrintLinesHelp();
      return kExitOk;
    }
    if (s == "--sjis-args") {
      sjisArgs = true;
      continue;
    }
    break;
  }
  if (i >= argc) return Fail(Tr(msg::kNoLinesCommand));
  const LinesCommand* cmd = Find(argv[i]);
  if (!cmd) return Fail(Tr(msg::kUnknownLinesCommand, {argv[i]}));
  std::vector<std::string> rest(argv + i + 1, argv + argc);
  std::size_t arity = cmd->arityOf ? cmd->arityOf(rest) : cmd->arity;
  if (rest.size() < arity || rest.size() > arity + 1)
    return Fail(Tr(msg::kNamedUsage, {std::string("lines ") + cmd->name, Tr(cmd->usage)}));
  LinesCall call;
  for (std::size_t k = 0; k < arity; ++k) {
    std::string arg = rest[k], error;
    if (!sjisArgs && !ArgToCp932(rest[k], arg, error)) return Fail(std::string("lines ") + cmd->name + ": " + error);
    call.args.push_back(std::move(arg));
  }
  const std::string path = rest.size() > arity ? rest.back() : std::string();
  if (cmd->runText) {
    MappedInput in;
    if (!in.Load(path)) return kExitUsage;
    bool writeFailed = false;
    int rc = cmd->runText(call.args, in.View(), [&](std::string_view piece) {
      if (!writeFailed && !WriteOutput(piece)) writeFailed = true;
    });
    if (rc != kExitOk) return rc;
    return writeFailed ? WriteError() : kExitOk;
  }
  std::string input;
  if (!ReadInput(path, input)) return kExitUsage;
  call.lines = SplitLines(input);
  if (int rc = cmd->run(call); rc != kExitOk) return rc;
  // Every line ends with CR LF, the last one too, as the pane saves it: a
  // last empty line is kept.
  if (!WriteOutput(JoinLines(call.lines)) || (!call.lines.empty() && !WriteOutput("\r\n"))) return WriteError();
  return kExitOk;
}

}  // namespace navirt::tool

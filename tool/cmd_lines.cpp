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

void PrintLinesHelp() {
  std::printf(
      "Usage: navirt-tool lines [--sjis-args] COMMAND [ARGS] [FILE]\n\n"
      "Splits the input at CR LF, CR or LF, runs COMMAND over the lines and\n"
      "writes them joined by CR LF. Text arguments are UTF-8, converted to\n"
      "Shift_JIS; with --sjis-args they are taken as raw bytes.\n\nCommands:\n");
  for (const auto& table : {std::span(kEditLinesCommands, kEditLinesCommandCount),
                            std::span(kSearchLinesCommands, kSearchLinesCommandCount)}) {
    for (const LinesCommand& c : table) std::printf("  %s\n", c.usage);
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
  if (i >= argc) return Fail("lines: no command (see navirt-tool lines --help)");
  const LinesCommand* cmd = Find(argv[i]);
  if (!cmd) return Fail(std::string("lines: unknown command '") + argv[i] + "' (see navirt-tool lines --help)");
  std::vector<std::string> rest(argv + i + 1, argv + argc);
  std::size_t arity = cmd->arityOf ? cmd->arityOf(rest) : cmd->arity;
  if (rest.size() < arity || rest.size() > arity + 1)
    return Fail(std::string("lines ") + cmd->name + ": usage: " + cmd->usage);
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

#pragma once
// `navirt-tool lines COMMAND [ARGS] [FILE]`: the pane's line commands from a
// shell. The face splits the input the way the pane does (CR LF, CR or LF),
// hands the lines to one command and writes them back joined by CR LF.
// Each area lists its commands in a table of its own file.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Messages.h"

namespace navirt::tool {

struct LinesCall {
  std::vector<std::string> args;   // CP932 bytes (converted from UTF-8 unless --sjis-args)
  std::vector<std::string> lines;  // in: the input's lines; out: the result
};

// Returns kExitOk, or prints its message through Fail() and returns kExitUsage.
using LinesFn = int (*)(LinesCall& call);
// How many of the arguments belong to the command; a further one is FILE.
using LinesArityFn = std::size_t (*)(const std::vector<std::string>& args);

// Optional: the command over the whole input at once, for commands that
// need no list of lines (large files then cost no string per line): it
// writes its lines joined by CR LF through write, in pieces. Same result
// as run.
using LinesWriteFn = std::function<void(std::string_view piece)>;
using LinesTextFn = int (*)(const std::vector<std::string>& args, std::string_view text, const LinesWriteFn& write);

struct LinesCommand {
  const char* name;
  std::size_t arity;     // used when arityOf is null
  LinesArityFn arityOf;  // for commands whose argument count depends on a mode word
  LinesFn run;
  Msg usage;  // one line for `lines --help`
  LinesTextFn runText = nullptr;
};

// The editing commands (sorting, numbering, columns, CSV, ...).
extern const LinesCommand kEditLinesCommands[];
extern const std::size_t kEditLinesCommandCount;
// The search commands (deleting and extracting by search, replacing).
extern const LinesCommand kSearchLinesCommands[];
extern const std::size_t kSearchLinesCommandCount;

}  // namespace navirt::tool

#pragma once
// Every subcommand takes the arguments after its own name.
#include "platform/Messages.h"

namespace navirt::tool {

using CommandFn = int (*)(int argc, char** argv);

struct Command {
  const char* name;
  CommandFn run;
  Msg usage;  // one line for --help
};

int CmdDetect(int argc, char** argv);
int CmdGrep(int argc, char** argv);
int CmdMatch(int argc, char** argv);
int CmdGsub(int argc, char** argv);
int CmdHexdump(int argc, char** argv);
int CmdArchive(int argc, char** argv);
int CmdConv(int argc, char** argv);
int CmdEol(int argc, char** argv);
int CmdEncode(int argc, char** argv);
int CmdDecode(int argc, char** argv);
int CmdWidth(int argc, char** argv);
int CmdLines(int argc, char** argv);
int CmdUntag(int argc, char** argv);
int CmdSysinfo(int argc, char** argv);
int CmdSplit(int argc, char** argv);
int CmdMerge(int argc, char** argv);
int CmdFileop(int argc, char** argv);

}  // namespace navirt::tool

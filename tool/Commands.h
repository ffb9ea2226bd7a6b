#pragma once
// Every subcommand takes the arguments after its own name.
namespace navirt::tool {

using CommandFn = int (*)(int argc, char** argv);

struct Command {
  const char* name;
  CommandFn run;
  const char* usage;  // one line for --help
};

int CmdDetect(int argc, char** argv);

}  // namespace navirt::tool

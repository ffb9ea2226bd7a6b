// navirt-tool: the core of Navirt from a shell.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "tool/Commands.h"
#include "tool/ToolIo.h"

using namespace navirt::tool;

namespace {

// One line per subcommand; each subsystem adds its own.
const Command kCommands[] = {
    {"arc", CmdArchive, "arc list|preview|extract|create|check ARCHIVE [-o DIR | FILE...]  archives"},
    {"detect", CmdDetect,
     "detect [--unicode] [FILE...]  print the detected character code (--unicode: UTF-8/UTF-16 labels first)"},
    {"grep", CmdGrep,
     "grep [-n] [--fuzzy] [-u] [--auto] [--sjis-args] EXPR FILE...  lines matching a regular expression (--auto: each "
     "file in its detected code)"},
    {"match", CmdMatch, "match [--fuzzy] [--sjis-args] EXPR [FILE]  position and length of the first match"},
    {"gsub", CmdGsub, "gsub [--fuzzy] [--sjis-args] EXPR TEMPLATE [FILE]  replace every match (count on stderr)"},
    {"hexdump", CmdHexdump, "hexdump [FILE]              the standard hexadecimal dump (heading and data lines)"},
    {"conv", CmdConv,
     "conv MODE [FILE]            code conversion; MODE "
     "auto|to-jis|to-euc|to-sjis|jis2sjis|jis2euc|euc2sjis|euc2jis|sjis2jis|sjis2euc|utf8-sjis|sjis-utf8|utf16-sjis|"
     "euc-utf8|jis-utf8|auto-utf8"},
    {"eol", CmdEol, "eol FROM TO [FILE]          line ends; FROM auto|crlf|cr|lf, TO crlf|cr|lf"},
    {"encode", CmdEncode, "encode base64|mime|uu|binhex [FILE]"},
    {"decode", CmdDecode, "decode base64|mime|uu|binhex [FILE]"},
    {"lines", CmdLines, "lines [--sjis-args] COMMAND [ARGS] [FILE]  pane line commands (lines --help)"},
    {"untag", CmdUntag, "untag html|html-tab-trim-empty|html-tab-empty|html-empty|tex [FILE]  markup to text"},
    {"sysinfo", CmdSysinfo, "sysinfo report|drive|date|about|url  system report, drive figures, date window, URL rule"},
    {"split", CmdSplit, "split [--force] FILE SIZE   pieces FILE.001... and the FILE.bat that joins them"},
    {"merge", CmdMerge, "merge TARGET FILE...        join FILEs into TARGET, record TARGET.bat"},
    {"fileop", CmdFileop, "fileop copy|move|trash|delete|names ...  file operations (fileop with no arguments: usage)"},
    {"width", CmdWidth, "width h2z|z2h|kana|space [FILE]   half-/full-width conversions"},
};

void PrintHelp() {
  std::printf(
      "Usage: navirt-tool COMMAND [ARGS...]\n\n"
      "Reads FILE or standard input, writes bytes to standard output.\n"
      "Exit status: 0 success, 1 no match, 2 bad usage or unreadable input.\n"
      "Text arguments are UTF-8 and converted to Shift_JIS; --sjis-args takes\n"
      "them as raw Shift_JIS bytes instead.\n\n"
      "Commands:\n");
  for (const Command& c : kCommands) std::printf("  %s\n", c.usage);
  std::printf("\n  --help       this text (COMMAND --help: that command's)\n  --version    the version\n");
}

void PrintCommandHelp(const Command& c) {
  std::printf(
      "Usage: navirt-tool %s\n\n"
      "Reads FILE or standard input, writes bytes to standard output.\n"
      "Exit status: 0 success, 1 no match, 2 bad usage or unreadable input.\n",
      c.usage);
}

bool IsHelp(const char* arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

int RunCommand(const Command& c, int argc, char** argv) {
  if (argc >= 1 && IsHelp(argv[0]) && std::strcmp(c.name, "lines") != 0) {
    PrintCommandHelp(c);
    return kExitOk;
  }
  try {
    return c.run(argc, argv);
  } catch (const std::bad_alloc&) {
    return Fail("out of memory");
  }
}

// Every command's last word: what it wrote must have arrived.
int Finish(int rc) {
  if (!OutputOk()) return WriteError();
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintHelp();
    return kExitUsage;
  }
  std::string cmd = argv[1];
  if (cmd == "--help" || cmd == "-h" || cmd == "help") {
    PrintHelp();
    return Finish(kExitOk);
  }
  if (cmd == "--version") {
    std::printf("navirt-tool %s\n", NAVIRT_VERSION);
    return Finish(kExitOk);
  }
  for (const Command& c : kCommands) {
    if (cmd == c.name) return Finish(RunCommand(c, argc - 2, argv + 2));
  }
  return Fail("unknown command '" + cmd + "' (see navirt-tool --help)");
}

// navirt-tool hexdump [FILE]: the standard dump's heading and data lines.
#include <string>

#include "preview/HexDump.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"

namespace navirt::tool {

int CmdHexdump(int argc, char** argv) {
  if (argc > 1) return Fail("usage: navirt-tool hexdump [FILE]");
  std::string path = argc == 1 ? argv[0] : "";
  std::string bytes;
  if (!ReadInput(path, bytes)) return kExitUsage;
  std::string out;
  out.reserve(bytes.size() / 16 * 60 + 200);
  out += kHexDumpHeading;
  out += '\n';
  out += kHexDumpRule;
  out += '\n';
  AppendHexDumpRows(bytes, out, "\n");
  return WriteOutput(out) ? kExitOk : kExitUsage;
}

}  // namespace navirt::tool

#include <cstdio>
#include <string>

#include "codec/DetectCode.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"

namespace navirt::tool {

namespace {
// Callers never hand an empty text to detection; an empty input is plain
// 7-bit text as far as a shell user is concerned.
TextCode DetectInput(const std::string& bytes) { return bytes.empty() ? CodeAscii : DetectCode(bytes); }
}  // namespace

int CmdDetect(int argc, char** argv) {
  if (argc == 0) {
    std::string in;
    if (!ReadInput("", in)) return kExitUsage;
    TextCode c = DetectInput(in);
    std::printf("%d %s\n", static_cast<int>(c), TextCodeName(c));
    return kExitOk;
  }
  int rc = kExitOk;
  for (int i = 0; i < argc; ++i) {
    std::string in;
    if (!ReadInput(argv[i], in)) {
      rc = kExitUsage;
      continue;
    }
    TextCode c = DetectInput(in);
    if (argc > 1) std::printf("%s: %d %s\n", argv[i], static_cast<int>(c), TextCodeName(c));
    else std::printf("%d %s\n", static_cast<int>(c), TextCodeName(c));
  }
  return rc;
}

}  // namespace navirt::tool

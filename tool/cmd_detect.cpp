#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/DetectCode.h"
#include "codec/DetectUnicode.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"

namespace navirt::tool {

namespace {
// Callers never hand an empty text to detection; an empty input is plain
// 7-bit text as far as a shell user is concerned.
TextCode DetectInput(const std::string& bytes) { return bytes.empty() ? CodeAscii : DetectCode(bytes); }

// "5 CodeSjis"; with unicode, a UTF-8 or UTF-16 text shows its label instead.
std::string Answer(const std::string& bytes, bool unicode) {
  if (unicode) {
    const UnicodeCode u = DetectUnicode(bytes);
    if (u != UnicodeCode::None) return UnicodeCodeLabel(u);
  }
  const TextCode c = DetectInput(bytes);
  return std::to_string(static_cast<int>(c)) + " " + TextCodeName(c);
}
}  // namespace

int CmdDetect(int argc, char** argv) {
  bool unicode = false;
  std::vector<const char*> files;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--unicode") == 0)
      unicode = true;
    else
      files.push_back(argv[i]);
  }
  if (files.empty()) {
    std::string in;
    if (!ReadInput("", in)) return kExitUsage;
    std::printf("%s\n", Answer(in, unicode).c_str());
    return kExitOk;
  }
  int rc = kExitOk;
  for (const char* f : files) {
    std::string in;
    if (!ReadInput(f, in)) {
      rc = kExitUsage;
      continue;
    }
    if (files.size() > 1)
      std::printf("%s: %s\n", f, Answer(in, unicode).c_str());
    else
      std::printf("%s\n", Answer(in, unicode).c_str());
  }
  return rc;
}

}  // namespace navirt::tool

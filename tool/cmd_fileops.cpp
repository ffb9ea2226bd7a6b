// navirt-tool split / merge: the file commands' pieces and command files
// from a shell.
#include <sys/stat.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "fileops/SplitMerge.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"

namespace navirt::tool {
namespace {

std::string Absolute(const std::string& p) {
  char buf[PATH_MAX];
  if (::realpath(p.c_str(), buf)) return buf;
  // A target that does not exist yet: its folder made absolute.
  auto slash = p.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : p.substr(0, slash + 1);
  if (::realpath(dir.c_str(), buf)) return std::string(buf) + "/" + (slash == std::string::npos ? p : p.substr(slash + 1));
  return p;
}

}  // namespace

int CmdSplit(int argc, char** argv) {
  if (argc != 2) return Fail("usage: split FILE SIZE");
  uint64_t size = 0;
  if (!ParsePieceSize(argv[1], size)) return Fail("size must be a positive whole number of bytes: " + std::string(argv[1]));
  JobResult r = SplitFile(argv[0], size);
  if (!r.ok) return Fail(r.error);
  for (const std::string& w : r.written) std::printf("%s\n", w.c_str());
  return kExitOk;
}

int CmdMerge(int argc, char** argv) {
  if (argc < 2) return Fail("usage: merge TARGET FILE...");
  std::string target = Absolute(argv[0]);
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    struct stat st;
    if (::stat(argv[i], &st) != 0 || S_ISDIR(st.st_mode)) return Fail(std::string("cannot read ") + argv[i]);
    files.push_back(Absolute(argv[i]));
  }
  // The sources are checked before the command file or ".bak" is written.
  JobResult prep = PrepareMerge(target, files);
  if (!prep.ok) return Fail(prep.error);
  JobResult r = MergeFiles(target, files);
  if (!r.ok) return Fail(r.error);
  std::printf("%s\n", target.c_str());
  return kExitOk;
}

}  // namespace navirt::tool

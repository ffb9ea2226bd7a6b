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
  if (::realpath(dir.c_str(), buf))
    return std::string(buf) + "/" + (slash == std::string::npos ? p : p.substr(slash + 1));
  return p;
}

}  // namespace

int CmdSplit(int argc, char** argv) {
  // Existing pieces or command file are replaced only with --force.
  bool force = argc > 0 && std::string(argv[0]) == "--force";
  if (force) {
    --argc;
    ++argv;
  }
  if (argc != 2) return Fail("usage: split [--force] FILE SIZE");
  uint64_t size = 0;
  if (!ParsePieceSize(argv[1], size))
    return Fail("size must be a positive whole number of bytes: " + std::string(argv[1]));
  JobHooks hooks;
  if (force) hooks.replace = [](const std::string&) { return true; };
  JobResult r = SplitFile(argv[0], size, hooks);
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

// navirt-tool fileop: copy, move, trash, delete and the name list from a
// shell, through the same job the window runs.
#include <dirent.h>

#include <algorithm>
#include <cstring>

#include "fileops/DirListing.h"
#include "fileops/SHFOP.h"
#include "platform/Trash.h"

namespace navirt::tool {

int CmdFileop(int argc, char** argv) {
  const char* usage =
      "usage: fileop copy|move [--overwrite|--keep-both] SOURCE... FOLDER | fileop trash|delete PATH... |"
      " fileop names [--full] FOLDER OUTPUT";
  if (argc < 2) return Fail(usage);
  std::string verb = argv[0];
  std::vector<std::string> args;
  TfFlagsOptions flags = NOCONFIRMMKDIR;
  bool full = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--overwrite")
      flags |= NOCONFIRMATION;
    else if (a == "--keep-both")
      flags |= RENAMEONCOLLISION;
    else if (a == "--full")
      full = true;
    else
      args.push_back(a);
  }
  if (verb == "names") {
    if (args.size() != 2) return Fail(usage);
    std::vector<std::string> names;
    DIR* d = ::opendir(args[0].c_str());
    if (!d) return Fail("cannot read " + args[0] + ": " + std::strerror(errno));
    while (dirent* e = ::readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.emplace_back(e->d_name);
    ::closedir(d);
    std::sort(names.begin(), names.end());
    std::string message;
    if (!SaveListText(args[1], FileNamesText(args[0], names, full), message)) return Fail(message);
    return kExitOk;
  }
  TSHFOP op;
  FreedesktopTrash trash;
  op.hooks.trash = &trash;
  op.Options = flags;
  if (verb == "copy" || verb == "move") {
    if (args.size() < 2) return Fail(usage);
    op.OperationF = verb == "copy" ? wCOPY : wMOVE;
    op.ToFolder = args.back();
    args.pop_back();
  } else if (verb == "trash" || verb == "delete") {
    op.OperationF = wDELETE;
    if (verb == "trash") op.Options |= ALLOWUNDO;
  } else {
    return Fail(usage);
  }
  op.FromFFList = args;
  if (!op.Execute()) return Fail(op.ErrorText().empty() ? std::string("stopped") : op.ErrorText());
  return kExitOk;
}

}  // namespace navirt::tool

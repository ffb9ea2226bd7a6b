#pragma once
// TSHFOP: one object runs copy, move, delete and rename over a list of
// sources, as a job that knows nothing of windows. The caller hands it
// hooks: progress (count, current name, bytes), a cancel flag it may set
// from any thread, the question about an existing target, and the question
// whether to create a missing target folder.
//
// Safety rules it keeps:
//  - a file is written under a hidden temporary name in the target folder
//    and renamed to its name only when complete, so a failure or cancel
//    never leaves a partial file under a real name;
//  - a move across file systems deletes each source only after its copy is
//    complete and flushed (fsync of file and folder);
//  - a folder is never copied or moved into itself or below itself;
//  - nothing is overwritten unless the conflict answer says so.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Trash.h"

namespace navirt {

enum class TwFuncOption { wCOPY, wDELETE, wMOVE, wRENAME };
using enum TwFuncOption;

enum TfFlagsOption : unsigned {
  ALLOWUNDO = 1u << 0,
  FILESONLY = 1u << 1,
  MULTIDESTFILES = 1u << 2,
  NOCONFIRMATION = 1u << 3,
  NOCONFIRMMKDIR = 1u << 4,
  RENAMEONCOLLISION = 1u << 5,
  SILENT = 1u << 6,
  SIMPLEPROGRESS = 1u << 7,
};
using TfFlagsOptions = unsigned;

struct FileOpProgress {
  uint64_t filesDone = 0, filesTotal = 0;
  uint64_t bytesDone = 0, bytesTotal = 0;
  std::string current;  // the item being worked on (full path)
};

enum class ConflictAnswer { Overwrite, Skip, KeepBoth, Cancel };
struct ConflictQuestion {
  std::string source, target;
  bool sourceIsDir = false, targetIsDir = false;
};
struct ConflictReply {
  ConflictAnswer answer = ConflictAnswer::Skip;
  bool applyToAll = false;
};

// Every hook is called on the thread that runs Execute; a question blocks
// the job until it is answered.
struct FileOpHooks {
  std::function<void(const FileOpProgress&)> progress;
  // Without it an existing target is skipped.
  std::function<ConflictReply(const ConflictQuestion&)> conflict;
  // Asked with folder + " は存在しません. 作成しますか？"; without it: no.
  std::function<bool(const std::string& question)> confirmMkdir;
  const std::atomic<bool>* cancel = nullptr;
  ITrash* trash = nullptr;  // delete with ALLOWUNDO; without it the delete fails
};

class TSHFOP;
using TSHFOPPreparedEvent = std::function<void(TSHFOP& sender, bool& proceed)>;

class TSHFOP {
 public:
  TwFuncOption OperationF = wCOPY;
  TfFlagsOptions Options = ALLOWUNDO;
  std::vector<std::string> FromFFList;
  std::string ToFolder;
  std::string ProgressTitle;
  bool GetFileList = false;
  TSHFOPPreparedEvent OnPrepared;
  FileOpHooks hooks;

  // True when every item was done and nothing was aborted or refused.
  bool Execute();

  bool Aborted() const { return aborted_; }
  // Why the last Execute failed: a refusal's own message, or
  // "File Operation に失敗しました" with the system's message. Empty when it
  // was cancelled or nothing was to be done.
  const std::string& ErrorText() const { return error_; }
  // Every file and folder the sources stand for (wildcards expanded,
  // folders walked), as step two of Execute collects them.
  const std::vector<std::string>& CollectedFiles() const { return collected_; }
  // The shell-style source and target texts: every entry followed by a
  // zero byte, and a final zero byte.
  std::string SourceText() const;
  std::string TargetText() const;
  // Targets written by the last Execute (final names, files and folders).
  const std::vector<std::string>& Written() const { return written_; }

 private:
  struct Run;
  bool aborted_ = false;
  std::string error_;
  std::vector<std::string> collected_;
  std::vector<std::string> written_;
};

// The rename rule of step three: a name part that starts with "*" and has
// its "." second ("*.txt") becomes "?*.txt".
std::string RenamePatternTarget(const std::string& to);
// A wildcard rename pattern applied to one name the way the old shell did:
// "?" copies one character, "*" copies up to the last occurrence of the
// character after it, other characters are written.
std::string ApplyRenamePattern(const std::string& name, const std::string& pattern);
bool HasWildcard(const std::string& s);
// Sources with "*" or "?" in their name part matched in their folder
// ("." and ".." skipped, names in folder order sorted by bytes).
std::vector<std::string> ExpandWildcards(const std::vector<std::string>& sources);
// True when child is folder itself or lies below it (real paths compared).
bool IsSameOrBelow(const std::string& folder, const std::string& child);
// "name (2).ext", "name (3).ext"...: the first free name in folder.
std::string KeepBothName(const std::string& folder, const std::string& name);

}  // namespace navirt

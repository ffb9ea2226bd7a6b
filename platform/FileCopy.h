#pragma once
// Byte copy between two open files, the fastest way the file systems allow:
// a reflink (FICLONE) shares the blocks outright, copy_file_range lets the
// kernel move them without a trip through user space, and read/write is the
// last resort (across file systems on older kernels, pipes, /proc files).
#include <cstdint>
#include <functional>
#include <string>

namespace navirt {

// onBytes gets the running total after each chunk and returns false to stop.
// Returns false on a system failure (error set to the system's message) or
// when stopped (cancelled set, error empty).
struct ByteCopyResult {
  bool ok = false;
  bool cancelled = false;
  uint64_t bytes = 0;
  std::string error;
};
ByteCopyResult CopyFileBytes(int in, int out, const std::function<bool(uint64_t done)>& onBytes = {});

// Copies the byte range [offset, offset+length) of in to the end of out
// (length may run past the end of in; the copy then ends there).
ByteCopyResult CopyFileRange(int in, uint64_t offset, uint64_t length, int out,
                             const std::function<bool(uint64_t done)>& onBytes = {});

// Unique hidden name in folder for a file being written (".navirt-part-XXXXXX"):
// opened O_EXCL, returns the descriptor and sets path; -1 with errno on failure.
int CreateTemporaryIn(const std::string& folder, std::string& path);

// renameat2(RENAME_NOREPLACE): false with errno EEXIST when to exists.
bool RenameNoReplace(const std::string& from, const std::string& to);

// Makes a completed file durable: fsync of the file and of its folder.
bool SyncFolderOf(const std::string& path);

}  // namespace navirt

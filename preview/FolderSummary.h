#pragma once
// Number and total size of the files below a folder, at any depth.
#include <atomic>
#include <cstdint>
#include <string>

namespace navirt {

struct FolderFigures {
  uint64_t count = 0;
  uint64_t bytes = 0;     // true 64-bit sum
  bool complete = false;  // false when cancelled
};

// Breadth-first walk; entries "." and ".." skipped, symbolic links to
// folders not followed (they could loop). Stops early when cancel is set.
FolderFigures WalkFolder(const std::string& folder, const std::atomic<bool>& cancel);

// Status-bar texts: "1,234 個" and "5,678 byte".
std::string FolderCountText(uint64_t count);
std::string FolderBytesText(uint64_t bytes);

}  // namespace navirt

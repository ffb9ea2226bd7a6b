#pragma once
// Copying dropped or dragged files into a folder. Nothing is overwritten:
// a name that already exists in the target is left alone and counted as a
// failure.
#include <string>
#include <vector>

namespace navirt {

struct CopyIntoResult {
  int copied = 0;
  int failed = 0;
  std::string firstError;  // the system's message of the first failure
};

// Copies files and folders (recursively) into targetFolder. A source that
// already lies in the target folder, or a folder copied into itself, fails.
CopyIntoResult CopyInto(const std::vector<std::string>& sources, const std::string& targetFolder);

}  // namespace navirt

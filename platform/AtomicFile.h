#pragma once
// Files the program rewrites whole (the settings file, folder listings, the
// split and merge batch files) must survive a crash or a full disk halfway through: the old file
// stays until a complete new one is renamed over it.
#include <string>
#include <string_view>

namespace navirt {

// Writes the whole content to a temporary file in the target's folder and
// renames it over the target only when complete, so a failed write never
// destroys the old file. The old file's mode and (where permitted) owner
// are kept, and a symbolic link stays one: the file it names is replaced.
// Creates missing parent folders when asked.
bool AtomicWriteFile(const std::string& path, std::string_view content, bool makeParents = false,
                     std::string* error = nullptr);

}  // namespace navirt

#pragma once
// Programs on Linux: any executable regular file is one.
#include <string>
#include <vector>

namespace navirt {

// A regular file (after symbolic links) the user may execute.
bool IsExecutableFile(const std::string& path);
// A name with a "/" is checked as it stands; a bare name is looked up in
// the folders of pathVar (":"-separated, as $PATH). Empty when not found.
std::string FindProgram(const std::string& name, const std::string& pathVar);
// The same with the process's $PATH.
std::string FindProgram(const std::string& name);

}  // namespace navirt

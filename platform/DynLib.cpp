// The archive handlers load their libraries by the Windows names the
// settings and command lines use. RTLD_NOW makes a library with a missing
// symbol fail at load rather than halfway through a command, and
// RTLD_LOCAL keeps one library's symbols from answering for another's.
#include "platform/DynLib.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>

#include "platform/FileInfo.h"
#include "platform/Paths.h"

namespace navirt {

std::string MapLibraryName(const std::string& windowsName) {
  std::string base = FileNamePart(windowsName);
  std::transform(base.begin(), base.end(), base.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (base.size() > 4 && base.compare(base.size() - 4, 4, ".dll") == 0) base.resize(base.size() - 4);
  return "lib" + base + ".so";
}

TDynamicLibrary::~TDynamicLibrary() { Unload(); }

bool TDynamicLibrary::Load(const std::string& windowsName) {
  Unload();
  std::string soname = MapLibraryName(windowsName);
  std::string local = WithTrailingSlash(ExecutableDir()) + soname;
  if (IsRegularFile(local) && LoadFile(local)) return true;
  return LoadFile(soname);
}

bool TDynamicLibrary::LoadFile(const std::string& path) {
  Unload();
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_) path_ = path;
  return handle_ != nullptr;
}

void* TDynamicLibrary::Symbol(const char* name) const { return handle_ ? ::dlsym(handle_, name) : nullptr; }

void TDynamicLibrary::Unload() {
  if (handle_) ::dlclose(handle_);
  handle_ = nullptr;
  path_.clear();
}

}  // namespace navirt

#pragma once
// Run-time loading of the archiver libraries. A Windows library name such
// as "UNLHA32.DLL" is looked up as libunlha32.so next to the executable,
// then on the system's library path.
#include <string>

namespace navirt {

// "UNLHA32.DLL" -> "libunlha32.so", "tar32.dll" -> "libtar32.so".
std::string MapLibraryName(const std::string& windowsName);

class TDynamicLibrary {
 public:
  TDynamicLibrary() = default;
  ~TDynamicLibrary();
  TDynamicLibrary(const TDynamicLibrary&) = delete;
  TDynamicLibrary& operator=(const TDynamicLibrary&) = delete;

  // Loads by Windows name; false when no file is found or it fails to load.
  bool Load(const std::string& windowsName);
  // Loads a file by exact path.
  bool LoadFile(const std::string& path);
  bool Loaded() const { return handle_ != nullptr; }
  void* Symbol(const char* name) const;
  void Unload();
  const std::string& LoadedPath() const { return path_; }

 private:
  void* handle_ = nullptr;
  std::string path_;
};

}  // namespace navirt

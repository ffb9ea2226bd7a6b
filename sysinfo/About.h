#pragma once
// "バージョン情報(&A)...": the program's name and version, the versions of
// Qt and ICU, and the shared libraries the running program has loaded.
#include <string>
#include <vector>

namespace navirt {

struct AboutFacts {
  std::string name = "Navirt";
  std::string version;     // NAVIRT_VERSION
  std::string qtVersion;   // from the window side (qVersion())
  std::string icuVersion;  // IcuVersion()
  std::vector<std::string> libraries;
};

std::string IcuVersion();
// File names of the shared libraries mapped into this process, sorted,
// each once (the program itself and the kernel's vDSO left out).
std::vector<std::string> LoadedLibraries();
// The window's text, lines joined by "\n" (UTF-8).
std::string BuildAboutText(const AboutFacts& f);

}  // namespace navirt

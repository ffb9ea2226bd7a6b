// The loaded libraries are read from the running process (dl_iterate_phdr),
// not from the build, so a bug report names what actually ran.
#include "sysinfo/About.h"

#include <link.h>
#include <unicode/uversion.h>

#include <algorithm>

namespace navirt {

std::string IcuVersion() {
  UVersionInfo v;
  u_getVersion(v);
  char buf[U_MAX_VERSION_STRING_LENGTH];
  u_versionToString(v, buf);
  return buf;
}

std::vector<std::string> LoadedLibraries() {
  std::vector<std::string> libs;
  dl_iterate_phdr(
      [](struct dl_phdr_info* info, size_t, void* data) -> int {
        auto* out = static_cast<std::vector<std::string>*>(data);
        if (!info->dlpi_name || !*info->dlpi_name) return 0;  // the program itself
        std::string path = info->dlpi_name;
        std::string name = path.substr(path.rfind('/') + 1);
        if (name.rfind("linux-vdso", 0) == 0) return 0;
        out->push_back(name);
        return 0;
      },
      &libs);
  std::sort(libs.begin(), libs.end());
  libs.erase(std::unique(libs.begin(), libs.end()), libs.end());
  return libs;
}

std::string BuildAboutText(const AboutFacts& f) {
  std::string t = f.name + " バージョン " + f.version + "\n";
  t += "Qt " + (f.qtVersion.empty() ? std::string("-") : f.qtVersion) + "\n";
  t += "ICU " + (f.icuVersion.empty() ? std::string("-") : f.icuVersion) + "\n";
  if (!f.libraries.empty()) {
    t += "\n使用しているライブラリ:\n";
    for (const auto& l : f.libraries) t += "  " + l + "\n";
  }
  return t;
}

}  // namespace navirt

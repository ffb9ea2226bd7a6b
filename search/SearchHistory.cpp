#include "search/SearchHistory.h"

#include <algorithm>

namespace navirt {

std::vector<std::string> LoadHistoryItems(const TIniFile& ini, const std::string& section, const std::string& countKey,
                                          const std::string& prefix) {
  // A damaged count must not stall the dialog.
  int64_t count = std::clamp<int64_t>(ini.ReadInteger(section, countKey, 0), 0, 10000);
  std::vector<std::string> out;
  for (int64_t i = 0; i < count; ++i) {
    std::string v = ini.ReadString(section, prefix + std::to_string(i), "");
    if (!v.empty() && v.front() == '#') v = v.size() >= 2 ? v.substr(1, v.size() - 2) : std::string();
    out.push_back(std::move(v));
  }
  return out;
}

void SaveHistoryItems(TIniFile& ini, const std::string& section, const std::string& countKey, const std::string& prefix,
                      const std::vector<std::string>& items, int cap) {
  size_t n = std::min(items.size(), size_t(std::max(cap, 0)));
  for (size_t i = 0; i < n; ++i) ini.WriteString(section, prefix + std::to_string(i), "#" + items[i] + "#");
  ini.WriteInteger(section, countKey, static_cast<int64_t>(n));
}

}  // namespace navirt

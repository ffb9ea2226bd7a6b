// Every dialog with a drop-down history stores it through these two
// functions, so the lists read back the same whichever dialog wrote them.
#include "settings/History.h"

#include <algorithm>

namespace navirt {

std::vector<std::string> LoadHistoryList(const TIniFile& ini, const std::string& section, const std::string& countKey) {
  std::vector<std::string> out;
  int64_t count = ini.ReadInteger(section, countKey, 0);
  if (count < 0) count = 0;
  if (count > 10000) count = 10000;  // a damaged count must not stall the dialog
  for (int64_t i = 0; i < count; ++i) {
    std::string v = ini.ReadString(section, "Items_" + std::to_string(i), "");
    if (!v.empty() && v.front() == '#') v = v.size() >= 2 ? v.substr(1, v.size() - 2) : std::string();
    out.push_back(v);
  }
  return out;
}

std::vector<std::string> SaveHistoryList(TIniFile& ini, const std::string& section, std::vector<std::string> items,
                                         const std::string& text, const std::string& countKey, int cap) {
  if (!text.empty()) {
    auto it = std::find(items.begin(), items.end(), text);
    if (it != items.end()) items.erase(it);
    items.insert(items.begin(), text);
  }
  std::erase_if(items, [](const std::string& s) { return s.empty(); });
  size_t n = std::min(items.size(), static_cast<size_t>(std::max(cap, 0)));
  for (size_t i = 0; i < n; ++i) ini.WriteString(section, "Items_" + std::to_string(i), "#" + items[i] + "#");
  ini.WriteInteger(section, countKey, static_cast<int64_t>(n));
  items.resize(n);
  return items;
}

}  // namespace navirt

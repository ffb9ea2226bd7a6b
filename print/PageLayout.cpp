#include "print/PageLayout.h"

namespace navirt {

std::vector<PageSpan> LayoutPages(const std::vector<int64_t>& lineHeights, int64_t pageHeight) {
  std::vector<PageSpan> pages;
  if (lineHeights.empty()) {
    pages.push_back({0, 0});
    return pages;
  }
  PageSpan cur{0, 0};
  int64_t used = 0;
  for (size_t i = 0; i < lineHeights.size(); ++i) {
    int64_t h = lineHeights[i] < 0 ? 0 : lineHeights[i];
    if (cur.count > 0 && used + h > pageHeight) {
      pages.push_back(cur);
      cur = {i, 0};
      used = 0;
    }
    ++cur.count;
    used += h;
  }
  pages.push_back(cur);
  return pages;
}

}  // namespace navirt

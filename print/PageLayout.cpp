// Page breaking is separate from painting so the print job and the tests
// get the same pages from the same line heights.
#include "print/PageLayout.h"

namespace navirt {

bool TPageBreaker::Place(int64_t lineHeight) {
  int64_t h = lineHeight < 0 ? 0 : lineHeight;
  bool breaks = lines_ > 0 && used_ + h > pageHeight_;
  if (breaks) {
    ++pages_;
    lines_ = 0;
    used_ = 0;
  }
  ++lines_;
  used_ += h;
  return breaks;
}

std::vector<PageSpan> LayoutPages(const std::vector<int64_t>& lineHeights, int64_t pageHeight) {
  std::vector<PageSpan> pages;
  PageSpan cur{0, 0};
  TPageBreaker breaker(pageHeight);
  for (size_t i = 0; i < lineHeights.size(); ++i) {
    if (breaker.Place(lineHeights[i])) {
      pages.push_back(cur);
      cur = {i, 0};
    }
    ++cur.count;
  }
  // No lines at all still make one empty page.
  pages.push_back(cur);
  return pages;
}

}  // namespace navirt

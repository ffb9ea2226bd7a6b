#pragma once
// Which lines of the pane go on which page. The window lays the text out in
// the pane's fonts and hands over the height of every laid-out line (a
// wrapped line counts once per visual line); this decides the pages.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace navirt {

struct PageSpan {
  size_t first = 0;  // index of the first line on the page
  size_t count = 0;  // lines on the page
  bool operator==(const PageSpan&) const = default;
};

// Each page starts with the first line that did not fit on the one before.
// A line taller than the page gets a page of its own (the printer clips it)
// so the layout always moves on. No lines at all still make one empty
// page: printing an empty pane gives a blank sheet, as it always did.
std::vector<PageSpan> LayoutPages(const std::vector<int64_t>& lineHeights, int64_t pageHeight);

// The same decision one line at a time, for printing as the text is laid
// out, without keeping every line's height.
class TPageBreaker {
 public:
  explicit TPageBreaker(int64_t pageHeight) : pageHeight_(pageHeight) {}
  // True when the line starts a new page (never the first line).
  bool Place(int64_t lineHeight);
  size_t Pages() const { return pages_; }

 private:
  int64_t pageHeight_;
  int64_t used_ = 0;
  size_t lines_ = 0;  // on the current page
  size_t pages_ = 1;
};

}  // namespace navirt

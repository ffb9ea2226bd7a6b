#include "edit/PaneBytes.h"

#include <algorithm>

namespace navirt {

std::string_view LineEndBytes(LineEnd e) {
  switch (e) {
    case LineEnd::CrLf:
      return "\r\n";
    case LineEnd::Lf:
      return "\n";
    case LineEnd::Cr:
      return "\r";
    case LineEnd::None:
      break;
  }
  return {};
}

TPaneBytes::TPaneBytes(std::string text) : text_(std::move(text)) {
  size_t counts[3] = {0, 0, 0};
  size_t start = 0;
  const size_t n = text_.size();
  const char* p = text_.data();
  for (size_t i = 0; i < n; ++i) {
    char c = p[i];
    if (c != '\r' && c != '\n') continue;
    OriginalLine l;
    l.offset = start;
    l.length = i - start;
    if (c == '\r' && i + 1 < n && p[i + 1] == '\n') {
      l.end = LineEnd::CrLf;
      ++i;
    } else {
      l.end = c == '\n' ? LineEnd::Lf : LineEnd::Cr;
    }
    ++counts[static_cast<int>(l.end)];
    lines_.push_back(l);
    start = i + 1;
  }
  if (start < n) lines_.push_back(OriginalLine{start, n - start, LineEnd::None});
  if (counts[1] > counts[0] && counts[1] >= counts[2])
    defaultEnd_ = LineEnd::Lf;
  else if (counts[2] > counts[0] && counts[2] > counts[1])
    defaultEnd_ = LineEnd::Cr;
}

std::string_view TPaneBytes::Line(size_t i) const {
  return std::string_view(text_).substr(lines_[i].offset, lines_[i].length);
}

std::string TPaneBytes::Assemble(const std::vector<PaneLine>& pane) const {
  std::string out;
  out.reserve(text_.size() + 64);
  const int origCount = static_cast<int>(lines_.size());
  size_t i = 0;
  int lastOriginal = -1;
  while (i < pane.size()) {
    const PaneLine& pl = pane[i];
    if (pl.original >= 0 && pl.original < origCount) {
      out.append(Line(static_cast<size_t>(pl.original)));
      LineEnd e = lines_[static_cast<size_t>(pl.original)].end;
      // An original last line that no longer ends the text needs an end.
      if (e == LineEnd::None && i + 1 < pane.size()) e = defaultEnd_;
      out.append(LineEndBytes(e));
      lastOriginal = pl.original;
      ++i;
      continue;
    }
    // A run of changed lines up to the next untouched original line.
    size_t runEnd = i;
    while (runEnd < pane.size() && !(pane[runEnd].original >= 0 && pane[runEnd].original < origCount)) ++runEnd;
    int nextOriginal = runEnd < pane.size() ? pane[runEnd].original : origCount;
    int firstReplaced = lastOriginal + 1;
    int replaced = std::max(0, nextOriginal - firstReplaced);
    size_t runLen = runEnd - i;
    for (size_t k = 0; k < runLen; ++k) {
      const PaneLine& line = pane[i + k];
      out.append(line.bytes);
      LineEnd e = defaultEnd_;
      if (replaced > 0) {
        if (k + 1 == runLen)
          e = lines_[static_cast<size_t>(firstReplaced + replaced - 1)].end;
        else if (static_cast<int>(k) < replaced - 1)
          e = lines_[static_cast<size_t>(firstReplaced) + k].end;
      } else if (runEnd == pane.size() && k + 1 == runLen) {
        // New lines that end the text: it ends as it did before.
        e = origCount > 0 ? lines_.back().end : LineEnd::None;
      }
      if (e == LineEnd::None && i + k + 1 < pane.size()) e = defaultEnd_;
      out.append(LineEndBytes(e));
    }
    i = runEnd;
  }
  return out;
}

}  // namespace navirt

#include "edit/PaneBytes.h"

#include <algorithm>
#include <cstring>

#include "codec/DetectCodeWith.h"

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

namespace {

// Calls f(end kind, offset after the end) for every line end of p[0, n).
// LF is found with memchr and the CRs before it in the same span, so runs
// of plain bytes are passed over a word at a time.
template <class F>
void ForEachLineEnd(const char* p, size_t n, F f) {
  size_t i = 0;
  while (i < n) {
    const void* hit = std::memchr(p + i, '\n', n - i);
    const size_t lf = hit ? static_cast<size_t>(static_cast<const char*>(hit) - p) : n;
    // Lone CRs before the LF (a CR just before it makes CR LF).
    for (;;) {
      const void* cr = std::memchr(p + i, '\r', lf - i);
      if (!cr) break;
      const size_t at = static_cast<size_t>(static_cast<const char*>(cr) - p);
      if (at + 1 == lf) break;
      f(LineEnd::Cr, at + 1);
      i = at + 1;
    }
    if (lf == n) return;
    f(lf > 0 && p[lf - 1] == '\r' && lf - 1 >= i ? LineEnd::CrLf : LineEnd::Lf, lf + 1);
    i = lf + 1;
  }
}

}  // namespace

TPaneBytes::TPaneBytes(std::string text) : text_(std::move(text)) {
  const size_t n = text_.size();
  if (n == 0) return;
  // Counted first, so the index is allocated once at its size: a growing
  // vector would briefly hold one and a half of it.
  size_t counts[3] = {0, 0, 0};
  ForEachLineEnd(text_.data(), n, [&](LineEnd e, size_t) { ++counts[static_cast<int>(e)]; });
  starts_.reserve(counts[0] + counts[1] + counts[2] + 2);
  starts_.push_back(0);
  ForEachLineEnd(text_.data(), n, [&](LineEnd, size_t next) { starts_.push_back(next); });
  if (starts_.back() < n) starts_.push_back(n);
  if (counts[1] > counts[0] && counts[1] >= counts[2])
    defaultEnd_ = LineEnd::Lf;
  else if (counts[2] > counts[0] && counts[2] > counts[1])
    defaultEnd_ = LineEnd::Cr;
}

TPaneBytes& TPaneBytes::operator=(TPaneBytes other) noexcept {
  // Swapped, the old buffers leave with other.
  text_.swap(other.text_);
  starts_.swap(other.starts_);
  defaultEnd_ = other.defaultEnd_;
  return *this;
}

LineEnd TPaneBytes::End(size_t i) const {
  const size_t b = starts_[i], e = starts_[i + 1];
  if (e == b) return LineEnd::None;
  const char last = text_[e - 1];
  if (last == '\n') return e - 1 > b && text_[e - 2] == '\r' ? LineEnd::CrLf : LineEnd::Lf;
  return last == '\r' ? LineEnd::Cr : LineEnd::None;
}

std::string_view TPaneBytes::Line(size_t i) const {
  const size_t b = starts_[i];
  return std::string_view(text_).substr(b, starts_[i + 1] - b - LineEndBytes(End(i)).size());
}

std::string TPaneBytes::Assemble(const std::vector<PaneLine>& pane) const {
  std::string out;
  out.reserve(text_.size() + 64);
  const int origCount = static_cast<int>(LineCount());
  size_t i = 0;
  int lastOriginal = -1;
  while (i < pane.size()) {
    const PaneLine& pl = pane[i];
    if (pl.original >= 0 && pl.original < origCount) {
      out.append(Line(static_cast<size_t>(pl.original)));
      LineEnd e = End(static_cast<size_t>(pl.original));
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
          e = End(static_cast<size_t>(firstReplaced + replaced - 1));
        else if (static_cast<int>(k) < replaced - 1)
          e = End(static_cast<size_t>(firstReplaced) + k);
      } else if (runEnd == pane.size() && k + 1 == runLen) {
        // New lines that end the text: it ends as it did before.
        e = origCount > 0 ? End(LineCount() - 1) : LineEnd::None;
      }
      if (e == LineEnd::None && i + k + 1 < pane.size()) e = defaultEnd_;
      out.append(LineEndBytes(e));
    }
    i = runEnd;
  }
  return out;
}

size_t TPaneBytes::JoinedSize() const {
  const size_t n = LineCount();
  if (n == 0) return 0;
  // Each line's own end gives way to CR LF; the last one goes.
  size_t size = text_.size() + 2 * (n - 1);
  for (size_t i = 0; i < n; ++i) size -= LineEndBytes(End(i)).size();
  return size;
}

int TPaneBytes::JoinedCode() const {
  if (LineCount() == 0) return DetectCode({});
  // A cursor on the line holding the byte asked for last.
  size_t line = 0, lineAt = 0;  // the line and where it starts in the joined text
  std::string_view cur = Line(0);
  auto byteAt = [&](size_t i) -> uint8_t {
    if (i < lineAt) line = 0, lineAt = 0, cur = Line(0);
    for (;;) {
      const size_t k = i - lineAt;
      if (k < cur.size()) return static_cast<uint8_t>(cur[k]);
      if (k == cur.size()) return '\r';
      if (k == cur.size() + 1) return '\n';
      lineAt += cur.size() + 2;
      cur = Line(++line);
    }
  };
  return DetectCodeWith(JoinedSize(), byteAt);
}

}  // namespace navirt

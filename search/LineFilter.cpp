#include "search/LineFilter.h"

#include <cstring>

#include "search/PlainFind.h"

namespace navirt {

namespace {

// Walks the lines; `matches` decides for a line that holds `must` (every
// line when must is empty).
template <class Matches>
int Filter(std::string_view text, std::string_view must, bool keep, std::string& out, Matches matches) {
  out.clear();
  out.reserve(keep ? text.size() / 16 : text.size() + text.size() / 32);
  const char* b = text.data();
  const size_t n = text.size();
  size_t nextMust = 0;  // first occurrence of must at or after the line, or npos
  bool mustValid = false;
  bool first = true;
  int count = 0;
  for (size_t p = 0; p < n;) {
    if (keep && !must.empty()) {
      // Lines before the next occurrence of must are neither kept nor
      // counted: go straight to the line that holds it.
      if (!mustValid || (nextMust != std::string_view::npos && nextMust < p)) {
        const void* hit = memmem(b + p, n - p, must.data(), must.size());
        nextMust = hit ? static_cast<size_t>(static_cast<const char*>(hit) - b) : std::string_view::npos;
        mustValid = true;
      }
      if (nextMust == std::string_view::npos) break;
      size_t start = nextMust;
      while (start > p && b[start - 1] != '\n' && b[start - 1] != '\r') --start;
      p = start;
    }
    // The line [p, e) and the start of the next one.
    const void* lf = std::memchr(b + p, '\n', n - p);
    size_t e = lf ? static_cast<size_t>(static_cast<const char*>(lf) - b) : n;
    if (const void* cr = std::memchr(b + p, '\r', e - p)) e = static_cast<size_t>(static_cast<const char*>(cr) - b);
    size_t next = e + 1;
    if (e < n && b[e] == '\r' && e + 1 < n && b[e + 1] == '\n') next = e + 2;

    bool candidate = true;
    if (!must.empty()) {
      if (!mustValid || (nextMust != std::string_view::npos && nextMust < p)) {
        const void* hit = memmem(b + p, n - p, must.data(), must.size());
        nextMust = hit ? static_cast<size_t>(static_cast<const char*>(hit) - b) : std::string_view::npos;
        mustValid = true;
      }
      candidate = nextMust != std::string_view::npos && nextMust + must.size() <= e;
    }
    bool matched = candidate && matches(text.substr(p, e - p));
    if (matched) ++count;
    if (matched == keep) {
      if (!first) out += "\r\n";
      out.append(b + p, e - p);
      first = false;
    }
    p = next;
  }
  return count;
}

}  // namespace

int FilterTextLines(std::string_view text, const TAWKStr& awk, bool keep, std::string& out) {
  return Filter(text, awk.DFA().MustLiteral, keep, out,
                [&](std::string_view line) { return awk.Search(line).Found; });
}

int FilterTextLinesPlain(std::string_view text, std::string_view term, bool keep, std::string& out) {
  // An empty term touches nothing: every line stays.
  if (term.empty()) return Filter(text, {}, false, out, [](std::string_view) { return false; });
  TPlainFinder finder(term);
  return Filter(text, term, keep, out, [&](std::string_view line) { return finder.FoundIn(line); });
}

}  // namespace navirt

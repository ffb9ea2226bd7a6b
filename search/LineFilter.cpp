#include "search/LineFilter.h"

#include <algorithm>
#include <cstring>

#include "regex/RELineAutomaton.h"
#include "regex/RENeedleFinder.h"
#include "search/PlainFind.h"

namespace navirt {

namespace {

// Walks the lines; `matches` decides for a line that holds `must` (every
// line when must is empty).
template <class Matches>
int Filter(std::string_view text, std::string_view must, bool keep, TLineJoiner& out, Matches matches) {
  const char* b = text.data();
  const size_t n = text.size();
  size_t nextMust = 0;  // first occurrence of must at or after the line, or npos
  bool mustValid = false;
  auto findMust = [&](size_t p) {
    if (!mustValid || (nextMust != std::string_view::npos && nextMust < p)) {
      const void* hit = memmem(b + p, n - p, must.data(), must.size());
      nextMust = hit ? static_cast<size_t>(static_cast<const char*>(hit) - b) : std::string_view::npos;
      mustValid = true;
    }
  };
  int count = 0;
  size_t nextLf = 0;
  bool lfKnown = false;
  for (size_t p = 0; p < n;) {
    if (keep && !must.empty()) {
      // Lines before the next occurrence of must are neither kept nor
      // counted: go straight to the line that holds it.
      findMust(p);
      if (nextMust == std::string_view::npos) break;
      size_t start = nextMust;
      while (start > p && b[start - 1] != '\n' && b[start - 1] != '\r') --start;
      p = start;
    }
    // The line [p, e) and the start of the next one. The next LF is kept
    // between lines: text of CR-only lines would send every look to the end.
    if (!lfKnown || nextLf < p) {
      lfKnown = true;
      const void* lf = std::memchr(b + p, '\n', n - p);
      nextLf = lf ? static_cast<size_t>(static_cast<const char*>(lf) - b) : n;
    }
    size_t e = nextLf;
    if (const void* cr = std::memchr(b + p, '\r', e - p)) e = static_cast<size_t>(static_cast<const char*>(cr) - b);
    size_t next = e + 1;
    if (e < n && b[e] == '\r' && e + 1 < n && b[e + 1] == '\n') next = e + 2;

    bool candidate = true;
    if (!must.empty()) {
      findMust(p);
      candidate = nextMust != std::string_view::npos && nextMust + must.size() <= e;
    }
    bool matched = candidate && matches(text.substr(p, e - p));
    if (matched) ++count;
    if (matched == keep) out.Next().append(b + p, e - p);
    p = next;
  }
  return count;
}

// Appends the lines of [p, q) (q a line start or the text's end) unchanged.
void CopyLines(const char* p, const char* q, TLineJoiner& out) {
  ForEachLine(std::string_view(p, size_t(q - p)), [&](std::string_view line) { out.Next().append(line); });
}

// The start of the line holding x, not before p (a line start).
const char* LineStartOf(const char* p, const char* x) {
  const void* lf = memrchr(p, '\n', size_t(x - p));
  const char* from = lf ? static_cast<const char*>(lf) + 1 : p;
  const void* cr = memrchr(from, '\r', size_t(x - from));
  return cr ? static_cast<const char*>(cr) + 1 : from;
}

// The same walk with the line automaton: it finds each line's end as it
// reads the line, and only lines holding must (when there is one) are read.
int FilterByAutomaton(std::string_view text, const TRELineAutomaton& a, std::string_view must, bool keep,
                      TLineJoiner& out) {
  const char* p = text.data();
  const char* const end = p + text.size();
  const std::string_view sample = text.substr(0, size_t(1) << 16);
  // A single byte common in the text finds a candidate in nearly every
  // line: the automaton passes over the lines faster without it.
  if (must.size() == 1 && size_t(std::count(sample.begin(), sample.end(), must[0])) * 32 > sample.size()) must = {};
  const TRENeedleFinder finder(std::string(must), sample);
  const char* nextMust = nullptr;
  bool mustKnown = false;
  int count = 0;
  while (p < end) {
    if (!must.empty()) {
      if (!mustKnown || (nextMust && nextMust < p)) {
        nextMust = finder.Find(p, end);
        mustKnown = true;
      }
      if (!nextMust) {
        // No line further on can match.
        if (!keep) CopyLines(p, end, out);
        break;
      }
      const char* start = LineStartOf(p, nextMust);
      if (!keep) CopyLines(p, start, out);
      p = start;
    }
    bool matched;
    const char* e = a.ScanLine(p, end, matched);
    if (matched) ++count;
    if (matched == keep) out.Next().append(p, size_t(e - p));
    p = e < end ? e + 1 + (*e == '\r' && e + 1 < end && e[1] == '\n') : end;
  }
  return count;
}

template <class F>
int IntoString(std::string& out, F f) {
  out.clear();
  TLineJoiner j(out);
  int n = f(j);
  j.Finish();
  return n;
}

}  // namespace

std::string_view LineMust(const TAWKStr& awk) {
  std::string_view must = awk.DFA().MustLiteral;
  if (must.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return {};
  return must;
}

int FilterTextLines(std::string_view text, const TAWKStr& awk, bool keep, TLineJoiner& out) {
  const std::string_view must = LineMust(awk);
  // All the attempts of a line at once where the automaton is small enough.
  if (const auto all = TRELineAutomaton::Build(awk)) return FilterByAutomaton(text, *all, must, keep, out);
  return Filter(text, must, keep, out, [&](std::string_view line) { return awk.Search(line).Found; });
}

int FilterTextLines(std::string_view text, const TAWKStr& awk, bool keep, std::string& out) {
  out.reserve(keep ? text.size() / 16 : text.size() + text.size() / 32);
  return IntoString(out, [&](TLineJoiner& j) { return FilterTextLines(text, awk, keep, j); });
}

int FilterTextLinesPlain(std::string_view text, std::string_view term, bool keep, TLineJoiner& out) {
  // An empty term touches nothing: every line stays.
  if (term.empty()) return Filter(text, {}, false, out, [](std::string_view) { return false; });
  TPlainFinder finder(term);
  return Filter(text, term, keep, out, [&](std::string_view line) { return finder.FoundIn(line); });
}

int FilterTextLinesPlain(std::string_view text, std::string_view term, bool keep, std::string& out) {
  out.reserve(keep ? text.size() / 16 : text.size() + text.size() / 32);
  return IntoString(out, [&](TLineJoiner& j) { return FilterTextLinesPlain(text, term, keep, j); });
}

int ReplaceTextLines(std::string_view text, const TPlainFinder& finder, std::string_view with, TLineJoiner& out) {
  const size_t m = finder.Size();
  const char* b = text.data();
  int count = 0;
  // The next match in the whole text: a match holds no line end, so it
  // lies inside one line, and the lines before it are copied whole. The
  // character starts are those of the line too: a line end is no lead byte.
  size_t next = finder.FindFrom(text, 0);
  ForEachLine(text, [&](std::string_view line) {
    std::string& o = out.Next();
    const size_t start = static_cast<size_t>(line.data() - b), end = start + line.size();
    // A finder holding a line end matched across lines: look again here.
    if (next != TPlainFinder::npos && next < start) next = finder.FindFrom(text, start, start);
    size_t p = start;
    while (next != TPlainFinder::npos && next + m <= end) {
      o.append(b + p, next - p);
      o.append(with);
      p = next + m;
      ++count;
      next = finder.FindFrom(text, p, next);
    }
    o.append(b + p, end - p);
  });
  return count;
}

std::string JoinedLines(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  TLineJoiner j(out);
  ForEachLine(text, [&](std::string_view line) { j.Next().append(line); });
  return out;
}

}  // namespace navirt

#include "edit/PaneText.h"

#include <cstring>

namespace navirt {

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\r' && c != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  // A final line end does not open an empty last line.
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines, std::string_view sep) {
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + sep.size();
  std::string out;
  out.reserve(total);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) out += sep;
    out += lines[i];
  }
  return out;
}

std::string JoinCommandLines(const std::vector<std::string>& lines, bool finalEnd) {
  std::string out = JoinLines(lines, "\r\n");
  if (finalEnd && !lines.empty()) out += "\r\n";
  return out;
}

std::string NormalizeLineEnds(std::string_view text) {
  // Runs between CRs are copied whole: this pass sees every byte of a
  // large pane on each load and refill.
  std::string out(text.size(), '\0');
  const char* p = text.data();
  const size_t n = text.size();
  size_t o = 0;
  for (size_t i = 0; i < n;) {
    const void* cr = std::memchr(p + i, '\r', n - i);
    const size_t j = cr ? static_cast<size_t>(static_cast<const char*>(cr) - p) : n;
    std::memcpy(out.data() + o, p + i, j - i);
    o += j - i;
    if (j == n) break;
    out[o++] = '\n';
    i = j + 1;
    if (i < n && p[i] == '\n') ++i;
  }
  out.resize(o);
  return out;
}

std::string PaneTextOfLoaded(std::string_view loaded) {
  std::string out;
  out.reserve(loaded.size() + 2);
  const char* p = loaded.data();
  const char* end = p + loaded.size();
  while (p < end) {
    const char* e = p;
    while (e < end && *e != '\r' && *e != '\n') ++e;
    out.append(p, static_cast<size_t>(e - p));
    if (e == end) break;
    p = e + (*e == '\r' && e + 1 < end && e[1] == '\n' ? 2 : 1);
    if (p < end) out += "\r\n";
  }
  return out;
}

}  // namespace navirt

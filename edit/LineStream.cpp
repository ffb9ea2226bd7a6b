#include "edit/LineStream.h"

#include <algorithm>

namespace navirt {

namespace {

template <class F>
std::string Whole(std::string_view text, F f) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  TLineJoiner j(out);
  f(j);
  return out;
}

void EraseByteText(std::string_view text, char byte, TLineJoiner& j) {
  ForEachLine(text, [&](std::string_view line) {
    std::string& o = j.Next();
    for (size_t from = 0; from < line.size();) {
      size_t at = line.find(byte, from);
      if (at == std::string_view::npos) at = line.size();
      o.append(line.substr(from, at - from));
      from = at + 1;
    }
  });
}

}  // namespace

size_t CountLines(std::string_view text) {
  size_t n = 0;
  ForEachLine(text, [&](std::string_view) { ++n; });
  return n;
}

void NumberLinesText(std::string_view text, NumberForm form, TLineJoiner& j) {
  const int w = DecimalWidth(CountLines(text));
  size_t i = 0;
  char num[24];
  const char sep = form == NumberForm::HeadComma || form == NumberForm::TailComma ? ',' : ' ';
  const bool head = form == NumberForm::Head || form == NumberForm::HeadComma;
  ForEachLine(text, [&](std::string_view line) {
    char* end = num + sizeof num;
    char* p = end;
    for (uint64_t v = ++i; v; v /= 10) *--p = static_cast<char>('0' + v % 10);
    while (end - p < w) *--p = ' ';
    std::string& o = j.Next();
    if (head) {
      o.append(p, end - p).append(1, sep).append(line);
    } else {
      o.append(line).append(1, sep).append(p, end - p);
    }
  });
}

void TrimLeadingText(std::string_view text, TLineJoiner& j) {
  ForEachLine(text, [&](std::string_view line) {
    size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    while (i + 1 < line.size() && line[i] == '\x81' && line[i + 1] == '\x40') i += 2;
    j.Next().append(line.substr(i));
  });
}

void DeleteRepeatedText(std::string_view text, TLineJoiner& j) {
  bool first = true;
  std::string_view prev;
  ForEachLine(text, [&](std::string_view line) {
    if (first || line != prev) j.Next().append(line);
    first = false;
    prev = line;
  });
}

void DeleteEmptyText(std::string_view text, TLineJoiner& j) {
  ForEachLine(text, [&](std::string_view line) {
    if (!line.empty()) j.Next().append(line);
  });
}

void ReplaceTabsText(std::string_view text, char by, TLineJoiner& j) {
  ForEachLine(text, [&](std::string_view line) {
    std::string& o = j.Next();
    size_t at = o.size();
    o.append(line);
    char* p = o.data() + at;
    char* end = o.data() + o.size();
    while ((p = static_cast<char*>(std::memchr(p, '\t', end - p))) != nullptr) *p++ = by;
  });
}

void DeleteTabsText(std::string_view text, TLineJoiner& j) { EraseByteText(text, '\t', j); }
void DeleteBlanksText(std::string_view text, TLineJoiner& j) { EraseByteText(text, ' ', j); }

std::string NumberLinesText(std::string_view text, NumberForm form) {
  return Whole(text, [&](TLineJoiner& j) { NumberLinesText(text, form, j); });
}
std::string TrimLeadingText(std::string_view text) {
  return Whole(text, [&](TLineJoiner& j) { TrimLeadingText(text, j); });
}
std::string DeleteRepeatedText(std::string_view text) {
  return Whole(text, [&](TLineJoiner& j) { DeleteRepeatedText(text, j); });
}
std::string DeleteEmptyText(std::string_view text) {
  return Whole(text, [&](TLineJoiner& j) { DeleteEmptyText(text, j); });
}
std::string ReplaceTabsText(std::string_view text, char by) {
  return Whole(text, [&](TLineJoiner& j) { ReplaceTabsText(text, by, j); });
}
std::string DeleteTabsText(std::string_view text) {
  return Whole(text, [&](TLineJoiner& j) { DeleteTabsText(text, j); });
}
std::string DeleteBlanksText(std::string_view text) {
  return Whole(text, [&](TLineJoiner& j) { DeleteBlanksText(text, j); });
}
std::string SortLinesText(std::string_view text, bool descending) {
  return Whole(text, [&](TLineJoiner& j) { SortLinesText(text, descending, j); });
}

}  // namespace navirt

#include "edit/LineStream.h"

#include <algorithm>

namespace navirt {

size_t CountLines(std::string_view text) {
  size_t n = 0;
  ForEachLine(text, [&](std::string_view) { ++n; });
  return n;
}

std::string NumberLinesText(std::string_view text, NumberForm form) {
  const size_t count = CountLines(text);
  const int w = DecimalWidth(count);
  std::string out;
  out.reserve(text.size() + count * (w + 3));
  TLineJoiner j(out);
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
  return out;
}

std::string TrimLeadingText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  TLineJoiner j(out);
  ForEachLine(text, [&](std::string_view line) {
    size_t i = 0;
    while (i < line.size() && line[i] == ' ') ++i;
    while (i + 1 < line.size() && line[i] == '\x81' && line[i + 1] == '\x40') i += 2;
    j.Next().append(line.substr(i));
  });
  return out;
}

std::string DeleteRepeatedText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  TLineJoiner j(out);
  bool first = true;
  std::string_view prev;
  ForEachLine(text, [&](std::string_view line) {
    if (first || line != prev) j.Next().append(line);
    first = false;
    prev = line;
  });
  return out;
}

std::string DeleteEmptyText(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  TLineJoiner j(out);
  ForEachLine(text, [&](std::string_view line) {
    if (!line.empty()) j.Next().append(line);
  });
  return out;
}

std::string ReplaceTabsText(std::string_view text, char by) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  TLineJoiner j(out);
  ForEachLine(text, [&](std::string_view line) {
    std::string& o = j.Next();
    size_t at = o.size();
    o.append(line);
    std::replace(o.begin() + at, o.end(), '\t', by);
  });
  return out;
}

namespace {

std::string EraseByteText(std::string_view text, char byte) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  TLineJoiner j(out);
  ForEachLine(text, [&](std::string_view line) {
    std::string& o = j.Next();
    for (size_t from = 0; from < line.size();) {
      size_t at = line.find(byte, from);
      if (at == std::string_view::npos) at = line.size();
      o.append(line.substr(from, at - from));
      from = at + 1;
    }
  });
  return out;
}

}  // namespace

std::string DeleteTabsText(std::string_view text) { return EraseByteText(text, '\t'); }
std::string DeleteBlanksText(std::string_view text) { return EraseByteText(text, ' '); }

}  // namespace navirt

#include "edit/LineCommands.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/Cp932.h"

namespace navirt {

namespace {

// Length of the character at i: a lead byte takes the byte after it.
inline size_t CharLen(std::string_view s, size_t i) {
  return IsSjisLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}

// Start of the character that holds byte `off` (off itself or off - 1).
size_t CharStartAt(std::string_view s, size_t off) {
  size_t i = 0;
  while (i < off) {
    size_t cl = CharLen(s, i);
    if (i + cl > off) break;
    i += cl;
  }
  return i;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

NumberAnswer Refused(std::string_view answer) { return {false, 0, InvalidIntegerMessage(answer)}; }

}  // namespace

std::string InvalidIntegerMessage(std::string_view answer) {
  return "'" + Cp932ToUtf8(answer) + "' は有効な整数値ではありません";
}

NumberAnswer ReadIntAnswer(std::string_view answer) {
  size_t i = 0;
  while (i < answer.size() && answer[i] == ' ') ++i;
  bool negative = false;
  if (i < answer.size() && (answer[i] == '+' || answer[i] == '-')) negative = answer[i++] == '-';
  int base = 10;
  if (i < answer.size() && answer[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < answer.size() && answer[i] == '0' && (answer[i + 1] == 'x' || answer[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i >= answer.size()) return Refused(answer);
  int64_t v = 0;
  for (; i < answer.size(); ++i) {
    int d = HexDigit(answer[i]);
    if (d < 0 || d >= base) return Refused(answer);
    v = v * base + d;
    if (v > int64_t{std::numeric_limits<int32_t>::max()} + 1) return Refused(answer);
  }
  if (negative) v = -v;
  if (v > std::numeric_limits<int32_t>::max()) return Refused(answer);
  return {true, static_cast<int32_t>(v), {}};
}

NumberAnswer ReadHexSeparatorAnswer(std::string_view answer) {
  // The answer is hexadecimal without a prefix, as the prompt "(01-FF)" asks.
  std::string_view digits = answer;
  while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 8) return Refused(answer);
  int64_t v = 0;
  for (char c : digits) {
    int d = HexDigit(c);
    if (d < 0) return Refused(answer);
    v = v * 16 + d;
  }
  // A separator is one byte; 00 would put NUL bytes into the text.
  if (v < 1 || v > 0xFF) return Refused(answer);
  return {true, static_cast<int32_t>(v), {}};
}

NumberAnswer ReadRecordSizeAnswer(std::string_view answer) {
  NumberAnswer a = ReadIntAnswer(answer);
  if (a.ok && a.value < 1) return Refused(answer);
  return a;
}

int DecimalWidth(uint64_t n) {
  int w = 1;
  while (n >= 10) {
    n /= 10;
    ++w;
  }
  return w;
}

LineList AddLineNumbers(const LineList& lines, NumberForm form) {
  const int w = DecimalWidth(lines.size());
  LineList out;
  out.reserve(lines.size());
  char num[24];
  for (size_t i = 0; i < lines.size(); ++i) {
    // Right-aligned with blanks to the width of the line count.
    char* end = num + sizeof num;
    char* p = end;
    for (uint64_t v = i + 1; v; v /= 10) *--p = static_cast<char>('0' + v % 10);
    while (end - p < w) *--p = ' ';
    std::string_view n(p, end - p);
    const std::string& l = lines[i];
    std::string s;
    s.reserve(l.size() + n.size() + 1);
    switch (form) {
      case NumberForm::Head:
        s.append(n).append(1, ' ').append(l);
        break;
      case NumberForm::HeadComma:
        s.append(n).append(1, ',').append(l);
        break;
      case NumberForm::Tail:
        s.append(l).append(1, ' ').append(n);
        break;
      case NumberForm::TailComma:
        s.append(l).append(1, ',').append(n);
        break;
    }
    out.push_back(std::move(s));
  }
  return out;
}

void AddSerialNumbers(LineList& lines, size_t first, size_t last, std::string_view format, int64_t start) {
  size_t z = 0;
  while (z < format.size() && format[format.size() - 1 - z] == '0') ++z;
  std::string_view prefix = format.substr(0, format.size() - z);
  int64_t n = start;
  for (size_t i = first; i <= last && i < lines.size(); ++i, ++n) {
    std::string digits = std::to_string(n < 0 ? -n : n);
    if (digits.size() < z) digits.insert(0, z - digits.size(), '0');
    std::string s(prefix);
    if (n < 0) s += '-';
    s += digits;
    s += ' ';
    s += lines[i];
    lines[i] = std::move(s);
  }
}

std::string ReverseCharacters(std::string_view line) {
  std::string out(line.size(), '\0');
  size_t w = line.size();
  for (size_t i = 0; i < line.size();) {
    size_t cl = CharLen(line, i);
    w -= cl;
    std::memcpy(out.data() + w, line.data() + i, cl);
    i += cl;
  }
  return out;
}

LineList ReverseLines(const LineList& lines) {
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines) out.push_back(ReverseCharacters(l));
  return out;
}

void DuplicateLine(LineList& lines, size_t index) {
  if (index < lines.size()) lines.insert(lines.begin() + index, lines[index]);
}

void DeleteLine(LineList& lines, size_t index) {
  if (index < lines.size()) lines.erase(lines.begin() + index);
}

LineList CutAtColumn(const LineList& lines, int n, std::string_view appended) {
  if (n < 1) return lines;
  const size_t width = static_cast<size_t>(n);
  LineList out;
  out.reserve(lines.size());
  for (const auto& line : lines) {
    std::string_view l(line);
    size_t pos = 0;
    while (l.size() - pos > width) {
      size_t i = pos;
      while (i < pos + width) {
        size_t cl = CharLen(l, i);
        if (i + cl > pos + width) break;
        i += cl;
      }
      // Column 1 on a double-byte character: the whole character, so the
      // cutting goes on.
      if (i == pos) {
        i += CharLen(l, pos);
        if (i == l.size()) break;  // the last character is the rest
      }
      std::string piece(l.substr(pos, i - pos));
      piece += appended;
      out.push_back(std::move(piece));
      pos = i;
    }
    out.emplace_back(l.substr(pos));
  }
  return out;
}

LineList InsertAtColumn(const LineList& lines, std::string_view text, int n) {
  if (n < 1) return lines;
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines) {
    if (l.size() <= static_cast<size_t>(n)) {
      out.push_back(l);
      continue;
    }
    size_t at = CharStartAt(l, static_cast<size_t>(n) - 1);
    std::string s;
    s.reserve(l.size() + text.size());
    s.append(l, 0, at).append(text).append(l, at, std::string::npos);
    out.push_back(std::move(s));
  }
  return out;
}

ByteRange ColumnRange(std::string_view line, int start, int width, bool widen) {
  const size_t len = line.size();
  size_t b = start < 1 ? 0 : static_cast<size_t>(start) - 1;
  if (b >= len) return {len, len};
  size_t e = width < 1 ? b : std::min(len, b + static_cast<size_t>(width));
  // Boundaries: whether b and e fall on the second byte of a character.
  bool bInside = false, eInside = false;
  for (size_t i = 0; i < e;) {
    size_t cl = CharLen(line, i);
    if (cl == 2) {
      if (i + 1 == b) bInside = true;
      if (i + 1 == e) eInside = true;
    }
    i += cl;
  }
  if (widen) {
    if (bInside) --b;
    if (eInside) ++e;
  } else {
    if (bInside) ++b;
    if (eInside) --e;
    if (e < b) e = b;
  }
  return {b, e};
}

LineList ExtractColumns(const LineList& lines, int start, int width) {
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines) {
    ByteRange r = ColumnRange(l, start, width, false);
    out.emplace_back(l, r.begin, r.end - r.begin);
  }
  return out;
}

LineList DeleteColumns(const LineList& lines, int start, int width) {
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines) {
    ByteRange r = ColumnRange(l, start, width, true);
    std::string s(l);
    s.erase(r.begin, r.end - r.begin);
    out.push_back(std::move(s));
  }
  return out;
}

std::string TrimLeadingBlanks(std::string_view line) {
  size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  while (i + 1 < line.size() && line[i] == '\x81' && line[i + 1] == '\x40') i += 2;
  return std::string(line.substr(i));
}

std::string TrimTrailingBlanks(std::string_view line) {
  // The trailing run of control bytes, blanks and ideographic spaces, found
  // on character boundaries; inside it every 40 ends an ideographic space.
  size_t run = 0;
  for (size_t i = 0; i < line.size();) {
    size_t cl = CharLen(line, i);
    bool blankish = cl == 1 ? static_cast<unsigned char>(line[i]) <= 0x20 : line[i] == '\x81' && line[i + 1] == '\x40';
    i += cl;
    if (!blankish) run = i;
  }
  size_t end = line.size();
  auto lastIsIdeo = [&] { return end >= run + 2 && line[end - 1] == '\x40'; };
  while (end > run && (line[end - 1] == ' ' || lastIsIdeo())) {
    while (end > run && static_cast<unsigned char>(line[end - 1]) <= 0x20) --end;
    if (lastIsIdeo()) end -= 2;
  }
  return std::string(line.substr(0, end));
}

LineList TrimLeading(const LineList& lines) {
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines) {
    if (l.empty() || (l[0] != ' ' && l[0] != '\x81')) {
      out.push_back(l);
    } else {
      out.push_back(TrimLeadingBlanks(l));
    }
  }
  return out;
}

LineList TrimTrailing(const LineList& lines) {
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines) out.push_back(TrimTrailingBlanks(l));
  return out;
}

namespace {

LineList EraseBytes(const LineList& lines, char byte) {
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines) {
    if (l.find(byte) == std::string::npos) {
      out.push_back(l);
      continue;
    }
    std::string s;
    s.reserve(l.size());
    for (char c : l)
      if (c != byte) s += c;
    out.push_back(std::move(s));
  }
  return out;
}

}  // namespace

LineList DeleteBlanks(const LineList& lines) { return EraseBytes(lines, ' '); }
LineList DeleteTabs(const LineList& lines) { return EraseBytes(lines, '\t'); }

LineList DeleteIdeographicSpaces(const LineList& lines) {
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines) {
    std::string s;
    s.reserve(l.size());
    for (size_t i = 0; i < l.size();) {
      size_t cl = CharLen(l, i);
      if (!(cl == 2 && l[i] == '\x81' && l[i + 1] == '\x40')) s.append(l, i, cl);
      i += cl;
    }
    out.push_back(std::move(s));
  }
  return out;
}

LineList DeleteLeadingTabs(const LineList& lines) {
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines) {
    size_t i = 0;
    while (i < l.size() && l[i] == '\t') ++i;
    out.emplace_back(l, i, std::string::npos);
  }
  return out;
}

LineList DeleteLineEnds(const LineList& lines) {
  if (lines.empty()) return {};
  size_t total = 0;
  for (const auto& l : lines) total += l.size();
  std::string s;
  s.reserve(total);
  for (const auto& l : lines) s += l;
  return {std::move(s)};
}

std::string DeleteLineEndsInRange(std::string_view text, size_t selStart, size_t selLength) {
  if (selStart > text.size()) return std::string(text);
  size_t end = std::min(text.size(), selStart + std::min(selLength, text.size()));
  std::string out(text.substr(0, selStart));
  for (size_t i = selStart; i < end; ++i) {
    if (text[i] == '\r' && i + 1 < end && text[i + 1] == '\n') {
      ++i;
      continue;
    }
    out += text[i];
  }
  out.append(text.substr(end));
  return out;
}

LineList DeleteEmptyLines(const LineList& lines) {
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines)
    if (!l.empty()) out.push_back(l);
  return out;
}

void DeleteRepeatedLines(LineList& lines) {
  if (lines.size() < 2) return;
  // Walking upwards with the kept line below as reference keeps one line of
  // every run of equal lines, which is what std::unique keeps.
  lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
}

LineList DeleteRepeatedKeys(const LineList& lines, int64_t k) {
  const size_t klen = k < 0 ? 0 : static_cast<size_t>(k);
  LineList out;
  std::string_view prev;
  for (const auto& l : lines) {
    std::string_view key = std::string_view(l).substr(0, std::min(klen, l.size()));
    if (key != prev) out.push_back(l);
    prev = key;
  }
  return out;
}

LineList LinesToCsv(const LineList& lines, std::string_view quote, std::string_view separator, int64_t n) {
  if (n < 1) return lines;
  LineList out;
  std::string record;
  int64_t inRecord = 0;
  for (const auto& l : lines) {
    // An empty first field keeps its separator: "", b, c is ",b,c".
    if (inRecord > 0) record += separator;
    record.append(quote).append(l).append(quote);
    if (++inRecord == n) {
      out.push_back(std::move(record));
      record.clear();
      inRecord = 0;
    }
  }
  if (inRecord) out.push_back(std::move(record));
  return out;
}

LineList ReplaceTabs(const LineList& lines, char by) {
  LineList out;
  out.reserve(lines.size());
  for (const auto& l : lines) {
    out.push_back(l);
    std::replace(out.back().begin(), out.back().end(), '\t', by);
  }
  return out;
}

}  // namespace navirt

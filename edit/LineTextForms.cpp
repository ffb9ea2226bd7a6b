#include "edit/LineTextForms.h"

#include <cstring>

#include "edit/LineCommands.h"
#include "edit/MarkupStrip.h"
#include "platform/Cp932.h"
#include "regex/bmRegExp.h"

namespace navirt {

namespace {
inline size_t CharLen(std::string_view s, size_t i) {
  return IsSjisLead(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
}
}  // namespace

void ReverseLinesText(std::string_view text, TLineJoiner& j) {
  ForEachLine(text, [&](std::string_view line) {
    std::string& o = j.Next();
    const size_t at = o.size();
    o.resize(at + line.size());
    char* out = o.data() + at;
    size_t w = line.size();
    for (size_t i = 0; i < line.size();) {
      const size_t cl = CharLen(line, i);
      w -= cl;
      std::memcpy(out + w, line.data() + i, cl);
      i += cl;
    }
  });
}

void CutAtColumnText(std::string_view text, int n, std::string_view appended, TLineJoiner& j) {
  if (n < 1) {
    ForEachLine(text, [&](std::string_view line) { j.Next().append(line); });
    return;
  }
  const size_t width = static_cast<size_t>(n);
  ForEachLine(text, [&](std::string_view l) {
    size_t pos = 0;
    while (l.size() - pos > width) {
      size_t i = pos;
      while (i < pos + width) {
        const size_t cl = CharLen(l, i);
        if (i + cl > pos + width) break;
        i += cl;
      }
      // Column 1 on a double-byte character: the whole character.
      if (i == pos) {
        i += CharLen(l, pos);
        if (i == l.size()) break;  // the last character is the rest
      }
      j.Next().append(l.substr(pos, i - pos)).append(appended);
      pos = i;
    }
    j.Next().append(l.substr(pos));
  });
}

void InsertAtColumnText(std::string_view text, std::string_view inserted, int n, TLineJoiner& j) {
  ForEachLine(text, [&](std::string_view l) {
    std::string& o = j.Next();
    if (n < 1 || l.size() <= static_cast<size_t>(n)) {
      o.append(l);
      return;
    }
    const size_t off = static_cast<size_t>(n) - 1;
    size_t at = 0;  // the start of the character holding byte off
    while (at < off) {
      const size_t cl = CharLen(l, at);
      if (at + cl > off) break;
      at += cl;
    }
    o.append(l.substr(0, at)).append(inserted).append(l.substr(at));
  });
}

void ExtractColumnsText(std::string_view text, int start, int width, TLineJoiner& j) {
  ForEachLine(text, [&](std::string_view l) {
    const ByteRange r = ColumnRange(l, start, width, false);
    j.Next().append(l.substr(r.begin, r.end - r.begin));
  });
}

void DeleteColumnsText(std::string_view text, int start, int width, TLineJoiner& j) {
  ForEachLine(text, [&](std::string_view l) {
    const ByteRange r = ColumnRange(l, start, width, true);
    j.Next().append(l.substr(0, r.begin)).append(l.substr(r.end));
  });
}

bool RunLineCommandText(LineCmd id, std::string_view text, const std::vector<std::string>& answers, TLineJoiner& j) {
  std::string inserted;
  int start = 1, width = 0;
  size_t at = 0;
  for (const TLineAsk& ask : LineCommandInfo(id).asks) {
    if (ask.kind == AskKind::Text) {
      inserted = at < answers.size() ? answers[at] : std::string();
    } else if (ask.kind == AskKind::Columns) {
      TForm30Model m;
      m.widthShown = ask.widthShown;
      m.startText = at < answers.size() ? answers[at] : "";
      m.widthText = at + 1 < answers.size() ? answers[at + 1] : "";
      start = m.Start();
      width = m.Width();
    }
    at += ask.kind == AskKind::Columns ? 2 : 1;
  }
  switch (id) {
    case LineCmd::Reverse:
      ReverseLinesText(text, j);
      return true;
    case LineCmd::CutAtColumn:
      CutAtColumnText(text, start, {}, j);
      return true;
    case LineCmd::CutAppend:
      CutAtColumnText(text, start, inserted, j);
      return true;
    case LineCmd::InsertText:
      InsertAtColumnText(text, inserted, start, j);
      return true;
    case LineCmd::ExtractColumns:
      ExtractColumnsText(text, start, width, j);
      return true;
    case LineCmd::DeleteColumns:
      DeleteColumnsText(text, start, width, j);
      return true;
    default:
      return false;
  }
}

std::string JoinLinesCrLf(std::string_view text, const std::function<void(size_t)>& released) {
  // Two passes, the size first: the result is allocated once at its size,
  // never grown by doubling into a copy.
  constexpr size_t kStep = 1 << 20;
  auto forEachLine = [&](auto&& f) {
    size_t next = kStep;
    ForEachLine(text, [&](std::string_view line) {
      const size_t at = static_cast<size_t>(line.data() - text.data());
      if (released && at >= next) {
        released(at);
        next = at + kStep;
      }
      f(line);
    });
    if (released) released(text.size());
  };
  size_t size = 0, lines = 0;
  forEachLine([&](std::string_view line) {
    size += line.size();
    ++lines;
  });
  std::string s;
  if (lines == 0) return s;  // an empty text stays empty
  s.reserve(size + 2 * lines);
  forEachLine([&](std::string_view line) {
    s.append(line);
    s.append("\r\n", 2);
  });
  s.resize(s.size() - 2);
  return s;
}

void StripTexJoined(std::string s, TLineJoiner& j) {
  if (s.empty()) return;
  TAWKStr awk;
  awk.LineSeparator = mcls_CRLF;
  StripTexInPlace(s, awk);
  ForEachLine(s, [&](std::string_view line) { j.Next().append(line); });
}

void StripTexText(std::string text, TLineJoiner& j) {
  // The lines joined by CR LF, as the pane holds them (a lead byte before
  // CR pairs with it there, and the expressions see that).
  std::string s = JoinLinesCrLf(text);
  std::string().swap(text);
  StripTexJoined(std::move(s), j);
}

}  // namespace navirt

#include "codec/JapanesePane.h"

#include <unordered_map>

#include "codec/CodeConvert.h"
#include "codec/UnicodePane.h"
#include "platform/Cp932.h"

namespace navirt {

namespace {

// Spare indices from here on have the lead 0xF0 or 0xF1 (see UnicodePane).
constexpr size_t kRawBase = 5 * 188;

void AppendCode(std::string& out, uint16_t code) {
  out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

bool IsTrail(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// A pane unit: one byte, or a lead and its trail.
size_t UnitLength(std::string_view pane, size_t i) {
  const auto c = static_cast<unsigned char>(pane[i]);
  return IsSjisLead(c) && i + 1 < pane.size() && IsTrail(static_cast<unsigned char>(pane[i + 1])) ? 2 : 1;
}

// JIS modes: the G0 set, and 0x80 while shifted out (SO) to kana.
enum : uint8_t { kAscii = 0, kRoman = 1, kKanji78 = 2, kKanji83 = 3, kKana = 4, kX0212 = 5, kShiftOut = 0x80 };

struct Escape {
  std::string_view bytes;
  uint8_t set;
};
constexpr Escape kEscapes[] = {
    {"\x1b(B", kAscii},   {"\x1b(J", kRoman}, {"\x1b(H", kRoman},  {"\x1b(I", kKana},     {"\x1b$@", kKanji78},
    {"\x1b$B", kKanji83}, {"\x1b&@", 0xFF},   {"\x1b$(D", kX0212}, {"\x1b$(B", kKanji83}, {"\x1b$(@", kKanji78},
};

std::string_view EscapeOf(uint8_t set) {
  switch (set) {
    case kRoman:
      return "\x1b(J";
    case kKanji78:
      return "\x1b$@";
    case kKanji83:
      return "\x1b$B";
    case kKana:
      return "\x1b(I";
    case kX0212:
      return "\x1b$(D";
    default:
      return "\x1b(B";
  }
}

// ASCII and JIS Roman differ in two rarely used codes, which the pane shows
// alike: no escape between them.
uint8_t G0(uint8_t state) { return (state & 0x7F) == kRoman ? kAscii : state & 0x7F; }

// Writes what takes the mode from `from` to `to`; asciiEscape is the file's
// own way back to one-byte characters.
void SwitchMode(std::string& out, uint8_t& from, uint8_t to, std::string_view asciiEscape) {
  if (G0(from) != G0(to)) out += (to & 0x7F) == kAscii ? asciiEscape : EscapeOf(to & 0x7F);
  if ((from & kShiftOut) != (to & kShiftOut)) out += (to & kShiftOut) ? '\x0E' : '\x0F';
  from = to;
}

// Lines are kept up to each LF: an LF in the pane is always one in the file
// (a CR may stand apart from its LF by an escape).
bool IsLineBreakAt(std::string_view s, size_t i) { return s[i] == '\n'; }

// Encodes one piece of pane text afresh from mode `state`.
void EncodeJisPiece(std::string& out, std::string_view pane, uint8_t& state, bool jis78, std::string_view asciiEsc) {
  const uint8_t kanji = jis78 ? kKanji78 : kKanji83;
  for (size_t i = 0; i < pane.size();) {
    const size_t len = UnitLength(pane, i);
    const auto c = static_cast<unsigned char>(pane[i]);
    if (len == 1) {
      if (c < 0x80) {
        SwitchMode(out, state, G0(state) == kAscii ? state & 0x7F : kAscii, asciiEsc);
        out += static_cast<char>(c);
      } else if (IsHalfKana(c)) {
        if (!(state & kShiftOut) && state != kKana) SwitchMode(out, state, kKana, asciiEsc);
        out += static_cast<char>(c - 0x80);
      } else {
        out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    const auto t = static_cast<unsigned char>(pane[i + 1]);
    if (const int raw = JapaneseRawByteAt(pane, i); raw >= 0) {
      out += static_cast<char>(raw);
    } else {
      BytePair j = IsMappableSjisPair(c, t) ? SjisPairToJis(c, t) : BytePair{0x22, 0x2E};  // 〓 for what JIS lacks
      if (state != kKanji78 && state != kKanji83) SwitchMode(out, state, kanji, asciiEsc);
      out += static_cast<char>(j.first);
      out += static_cast<char>(j.second);
    }
    i += 2;
  }
}

}  // namespace

uint16_t JapaneseRawCode(unsigned char b) { return SpareCode(kRawBase + b); }

int JapaneseRawByteAt(std::string_view pane, size_t i) {
  if (i + 1 >= pane.size()) return -1;
  const unsigned code = (static_cast<unsigned char>(pane[i]) << 8) | static_cast<unsigned char>(pane[i + 1]);
  const int k = SpareIndex(static_cast<uint16_t>(code));
  if (k < static_cast<int>(kRawBase) || k >= static_cast<int>(kRawBase + 256)) return -1;
  return k - static_cast<int>(kRawBase);
}

std::string DecodeEucForPane(std::string_view file) {
  std::string out;
  out.reserve(file.size() + file.size() / 8);
  const size_t n = file.size();
  for (size_t i = 0; i < n;) {
    const auto c = static_cast<unsigned char>(file[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const auto d = i + 1 < n ? static_cast<unsigned char>(file[i + 1]) : 0;
    if (IsEucByte(c) && IsEucByte(d)) {
      const BytePair s = JisPairToSjis(static_cast<uint8_t>(c - 0x80), static_cast<uint8_t>(d - 0x80));
      out += static_cast<char>(s.first);
      out += static_cast<char>(s.second);
      i += 2;
    } else if (c == 0x8E && IsHalfKana(d)) {
      out += static_cast<char>(d);
      i += 2;
    } else {
      AppendCode(out, JapaneseRawCode(c));
      ++i;
    }
  }
  return out;
}

std::string EncodeEucFromPane(std::string_view pane) {
  std::string out;
  out.reserve(pane.size() + pane.size() / 8);
  for (size_t i = 0; i < pane.size();) {
    const size_t len = UnitLength(pane, i);
    const auto c = static_cast<unsigned char>(pane[i]);
    if (len == 1) {
      if (IsHalfKana(c)) out += '\x8E';
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const auto t = static_cast<unsigned char>(pane[i + 1]);
    if (const int raw = JapaneseRawByteAt(pane, i); raw >= 0) {
      out += static_cast<char>(raw);
    } else if (IsMappableSjisPair(c, t)) {
      const BytePair j = SjisPairToJis(c, t);
      out += static_cast<char>(j.first + 0x80);
      out += static_cast<char>(j.second + 0x80);
    } else {
      out += "\xA2\xAE";  // 〓: a character EUC-JP lacks
    }
    i += 2;
  }
  return out;
}

std::string DecodeJisForPane(std::string_view file, std::shared_ptr<const TJisLines>& linesOut) {
  auto lines = std::make_shared<TJisLines>();
  lines->raw.assign(file);
  std::string& out = lines->pane;
  out.reserve(file.size());
  uint8_t state = kAscii;
  const size_t n = file.size();
  bool lineStart = true;
  for (size_t i = 0; i < n;) {
    if (lineStart) {
      lines->rawStart.push_back(i);
      lines->paneStart.push_back(out.size());
      lines->entryState.push_back(state);
      lineStart = false;
    }
    const auto c = static_cast<unsigned char>(file[i]);
    if (c == 0x1B) {
      const Escape* hit = nullptr;
      for (const Escape& e : kEscapes)
        if (file.substr(i, e.bytes.size()) == e.bytes) hit = &e;
      if (hit) {
        if (hit->set != 0xFF) state = static_cast<uint8_t>((state & kShiftOut) | hit->set);
        if (hit->set == kAscii || hit->set == kRoman) {
          if (lines->asciiEscape.empty()) lines->asciiEscape.assign(hit->bytes);
        }
        i += hit->bytes.size();
        continue;
      }
    }
    if (c == 0x0E || c == 0x0F) {
      state = static_cast<uint8_t>(c == 0x0E ? state | kShiftOut : state & 0x7F);
      ++i;
      continue;
    }
    const uint8_t set = state & 0x7F;
    if (c < 0x21 || c == 0x7F) {
      out += static_cast<char>(c);
      if (IsLineBreakAt(file, i)) lineStart = true;
      ++i;
    } else if (c >= 0x80) {
      // 8-bit kana stays readable; any other byte keeps its value.
      if (IsHalfKana(c))
        out += static_cast<char>(c);
      else
        AppendCode(out, JapaneseRawCode(c));
      ++i;
    } else if ((state & kShiftOut) || set == kKana) {
      if (c <= 0x5F)
        out += static_cast<char>(c + 0x80);
      else
        AppendCode(out, JapaneseRawCode(c));
      ++i;
    } else if (set == kKanji78 || set == kKanji83 || set == kX0212) {
      const auto d = i + 1 < n ? static_cast<unsigned char>(file[i + 1]) : 0;
      if (set != kX0212 && IsJisByte(d)) {
        const BytePair s = JisPairToSjis(c, d);
        out += static_cast<char>(s.first);
        out += static_cast<char>(s.second);
        i += 2;
      } else {
        AppendCode(out, JapaneseRawCode(c));
        ++i;
      }
    } else {
      out += static_cast<char>(c);
      ++i;
    }
  }
  lines->finalState = state;
  std::string pane = out;
  linesOut = std::move(lines);
  return pane;
}

std::string EncodeJisFromPane(std::string_view pane, const TJisLines* lines, bool jis78) {
  // The stored lines by their pane text; equal lines are taken in order.
  std::unordered_map<std::string_view, std::vector<size_t>> stored;
  const size_t count = lines ? lines->rawStart.size() : 0;
  for (size_t k = 0; k < count; ++k) {
    const size_t end = k + 1 < count ? lines->paneStart[k + 1] : lines->pane.size();
    stored[std::string_view(lines->pane).substr(lines->paneStart[k], end - lines->paneStart[k])].push_back(k);
  }
  const std::string_view asciiEsc =
      lines && !lines->asciiEscape.empty() ? std::string_view(lines->asciiEscape) : std::string_view("\x1b(B");
  std::unordered_map<std::string_view, size_t> used;
  std::string out;
  out.reserve(pane.size() + pane.size() / 4);
  uint8_t state = kAscii;
  bool freshLast = false;
  // A stored line of that text not yet written, else false.
  auto writeStored = [&](std::string_view piece) {
    auto it = stored.find(piece);
    if (it == stored.end()) return false;
    const size_t k = used[piece]++;
    if (k >= it->second.size()) return false;
    const size_t line = it->second[k];
    SwitchMode(out, state, lines->entryState[line], asciiEsc);
    const size_t rawEnd = line + 1 < count ? lines->rawStart[line + 1] : lines->raw.size();
    out.append(lines->raw, lines->rawStart[line], rawEnd - lines->rawStart[line]);
    state = line + 1 < count ? lines->entryState[line + 1] : lines->finalState;
    freshLast = false;
    return true;
  };
  for (size_t at = 0; at < pane.size();) {
    size_t e = at;
    while (e < pane.size() && !IsLineBreakAt(pane, e)) e += UnitLength(pane, e);
    if (e < pane.size()) ++e;
    const std::string_view piece = pane.substr(at, e - at);
    at = e;
    if (!writeStored(piece)) {
      EncodeJisPiece(out, piece, state, jis78, asciiEsc);
      freshLast = true;
    }
  }
  // Escapes after the last line end show nothing: they come back when the
  // text still ends there.
  if (pane.empty() || pane.back() == '\n') writeStored({});
  // A text of ours ends in one-byte mode; a stored last line ends as it did.
  if (freshLast && G0(state) != kAscii) SwitchMode(out, state, kAscii, asciiEsc);
  if (freshLast && (state & kShiftOut)) SwitchMode(out, state, state & 0x7F, asciiEsc);
  return out;
}

}  // namespace navirt

#include "codec/CodeConvert.h"

#include "codec/ByteSink.h"

namespace navirt {

using detail::Bytes;

namespace {

constexpr uint8_t kEsc = 0x1B;

// Row and cell of each half-width byte 0xA1-0xDF.
struct RowCell {
  uint8_t row, cell;
};
constexpr RowCell kHalfKana[0xDF - 0xA1 + 1] = {
    {0x21, 0x23}, {0x21, 0x56}, {0x21, 0x57}, {0x21, 0x22}, {0x21, 0x26},  // A1-A5 ｡｢｣､･
    {0x25, 0x72}, {0x25, 0x21}, {0x25, 0x23}, {0x25, 0x25}, {0x25, 0x27},  // A6-AA ｦｧｨｩｪ
    {0x25, 0x29}, {0x25, 0x63}, {0x25, 0x65}, {0x25, 0x67}, {0x25, 0x43},  // AB-AF ｫｬｭｮｯ
    {0x21, 0x3C},                                                          // B0 ｰ
    {0x25, 0x22}, {0x25, 0x24}, {0x25, 0x26}, {0x25, 0x28}, {0x25, 0x2A},  // B1-B5 ｱ-ｵ
    {0x25, 0x2B}, {0x25, 0x2D}, {0x25, 0x2F}, {0x25, 0x31}, {0x25, 0x33},  // B6-BA ｶ-ｺ
    {0x25, 0x35}, {0x25, 0x37}, {0x25, 0x39}, {0x25, 0x3B}, {0x25, 0x3D},  // BB-BF ｻ-ｿ
    {0x25, 0x3F}, {0x25, 0x41}, {0x25, 0x44}, {0x25, 0x46}, {0x25, 0x48},  // C0-C4 ﾀ-ﾄ
    {0x25, 0x4A}, {0x25, 0x4B}, {0x25, 0x4C}, {0x25, 0x4D}, {0x25, 0x4E},  // C5-C9 ﾅ-ﾉ
    {0x25, 0x4F}, {0x25, 0x52}, {0x25, 0x55}, {0x25, 0x58}, {0x25, 0x5B},  // CA-CE ﾊ-ﾎ
    {0x25, 0x5E}, {0x25, 0x5F}, {0x25, 0x60}, {0x25, 0x61}, {0x25, 0x62},  // CF-D3 ﾏ-ﾓ
    {0x25, 0x64}, {0x25, 0x66}, {0x25, 0x68},                              // D4-D6 ﾔﾕﾖ
    {0x25, 0x69}, {0x25, 0x6A}, {0x25, 0x6B}, {0x25, 0x6C}, {0x25, 0x6D},  // D7-DB ﾗ-ﾛ
    {0x25, 0x6F}, {0x25, 0x73},                                            // DC-DD ﾜﾝ
    {0x21, 0x2B}, {0x21, 0x2C},                                            // DE-DF ﾞﾟ
};

// Cell offset the mark adds to kana, or 0 when the two do not merge.
inline int MergeOffset(uint8_t kana, uint8_t mark) {
  if (mark == 0xDE) {
    if (kana == 0xB3) return 0x74 - 0x26;  // ｳﾞ -> ヴ
    if ((kana >= 0xB6 && kana <= 0xC4) || (kana >= 0xCA && kana <= 0xCE)) return 1;
  } else if (mark == 0xDF) {
    if (kana >= 0xCA && kana <= 0xCE) return 2;
  }
  return 0;
}

// Pointer form used by the converters; p points at the kana byte (Sjis) or
// at its 0x8E (Euc), and the kana byte is known to be present.
inline HalfKanaResult HalfKanaAt(const uint8_t* p, const uint8_t* e, KanaForm form) {
  const bool euc = form == KanaForm::Euc;
  const uint8_t kana = euc ? p[1] : p[0];
  const RowCell rc = kHalfKana[kana - 0xA1];
  const uint8_t* m = p + (euc ? 2 : 1);
  int add = 0;
  if (euc) {
    if (e - m >= 2 && m[0] == 0x8E) add = MergeOffset(kana, m[1]);
  } else if (m < e) {
    add = MergeOffset(kana, m[0]);
  }
  if (add != 0) return {{rc.row, static_cast<uint8_t>(rc.cell + add)}, euc ? 4u : 2u};
  return {{rc.row, rc.cell}, euc ? 2u : 1u};
}

// How a Shift_JIS unit beginning with a byte >= 0x80 (not half-width kana)
// is handled: a mappable pair, bytes copied as they are, or cut off.
enum class Unit { Pair, Copy1, Copy2, Copy3, CutOff };

inline Unit SjisUnit(const uint8_t* p, const uint8_t* e) {
  const uint8_t c = p[0];
  if (!((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC))) return Unit::Copy1;  // 0x80, 0xA0, 0xFD-0xFF
  if (p + 1 >= e) return Unit::CutOff;
  const uint8_t t = p[1];
  if (!((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC))) return Unit::Copy1;
  return c <= 0xEF ? Unit::Pair : Unit::Copy2;  // 0xF0-0xFC: user-defined area
}

// The same for EUC units beginning with a byte >= 0x80 other than a valid
// 0x8E kana (the caller tests that first).
inline Unit EucUnit(const uint8_t* p, const uint8_t* e) {
  const uint8_t c = p[0];
  if (c == 0x8E) {
    if (p + 1 >= e) return Unit::CutOff;
    return Unit::Copy1;  // not followed by a kana byte
  }
  if (c == 0x8F) {  // JIS X 0212 triple, which no target here can hold
    if (p + 1 >= e) return Unit::CutOff;
    if (!IsEucByte(p[1])) return Unit::Copy1;
    if (p + 2 >= e) return Unit::CutOff;
    return IsEucByte(p[2]) ? Unit::Copy3 : Unit::Copy1;
  }
  if (!IsEucByte(c)) return Unit::Copy1;
  if (p + 1 >= e) return Unit::CutOff;
  return IsEucByte(p[1]) ? Unit::Pair : Unit::Copy1;
}

inline size_t CopyCount(Unit u) { return u == Unit::Copy1 ? 1 : u == Unit::Copy2 ? 2 : 3; }

template <class S>
void SjisToJisRun(const uint8_t* p, const uint8_t* e, S& o) {
  bool kanji = false;
  while (p < e) {
    const uint8_t c = *p;
    if (c < 0x80) {
      if (kanji) {
        o.Put3(kEsc, '(', 'J');
        kanji = false;
      }
      o.Put(c);
      ++p;
      continue;
    }
    if (!kanji) {
      o.Put3(kEsc, '$', 'B');
      kanji = true;
    }
    if (IsHalfKana(c)) {
      HalfKanaResult r = HalfKanaAt(p, e, KanaForm::Sjis);
      o.Put2(r.jis.first, r.jis.second);
      p += r.used;
      continue;
    }
    Unit u = SjisUnit(p, e);
    if (u == Unit::Pair) {
      BytePair j = SjisPairToJis(p[0], p[1]);
      o.Put2(j.first, j.second);
      p += 2;
    } else if (u == Unit::CutOff) {
      break;
    } else {
      o.Copy(p, CopyCount(u));
      p += CopyCount(u);
    }
  }
}

template <class S>
void SjisToEucRun(const uint8_t* p, const uint8_t* e, S& o) {
  while (p < e) {
    const uint8_t c = *p;
    if (c < 0x80) {
      o.Put(c);
      ++p;
    } else if (IsHalfKana(c)) {
      o.Put2(0x8E, c);
      ++p;
    } else {
      Unit u = SjisUnit(p, e);
      if (u == Unit::Pair) {
        BytePair j = SjisPairToJis(p[0], p[1]);
        o.Put2(j.first | 0x80, j.second | 0x80);
        p += 2;
      } else if (u == Unit::CutOff) {
        break;
      } else {
        o.Copy(p, CopyCount(u));
        p += CopyCount(u);
      }
    }
  }
}

template <class S>
void EucToJisRun(const uint8_t* p, const uint8_t* e, S& o) {
  bool kanji = false;
  while (p < e) {
    const uint8_t c = *p;
    if (c < 0x80) {
      if (kanji) {
        o.Put3(kEsc, '(', 'J');
        kanji = false;
      }
      o.Put(c);
      ++p;
      continue;
    }
    if (!kanji) {
      o.Put3(kEsc, '$', 'B');
      kanji = true;
    }
    if (c == 0x8E && p + 1 < e && IsHalfKana(p[1])) {
      HalfKanaResult r = HalfKanaAt(p, e, KanaForm::Euc);
      o.Put2(r.jis.first, r.jis.second);
      p += r.used;
      continue;
    }
    Unit u = EucUnit(p, e);
    if (u == Unit::Pair) {
      o.Put2(p[0] & 0x7F, p[1] & 0x7F);
      p += 2;
    } else if (u == Unit::CutOff) {
      break;
    } else {
      o.Copy(p, CopyCount(u));
      p += CopyCount(u);
    }
  }
}

template <class S>
void EucToSjisRun(const uint8_t* p, const uint8_t* e, S& o) {
  while (p < e) {
    const uint8_t c = *p;
    if (c < 0x80) {
      o.Put(c);
      ++p;
      continue;
    }
    if (c == 0x8E && p + 1 < e && IsHalfKana(p[1])) {
      o.Put(p[1]);
      p += 2;
      continue;
    }
    Unit u = EucUnit(p, e);
    if (u == Unit::Pair) {
      BytePair s = JisPairToSjis(p[0] & 0x7F, p[1] & 0x7F);
      o.Put2(s.first, s.second);
      p += 2;
    } else if (u == Unit::CutOff) {
      break;
    } else {
      o.Copy(p, CopyCount(u));
      p += CopyCount(u);
    }
  }
}

// Escape sequences are three bytes; '$' enters kanji mode, '(' leaves it.
// Returns false when the sequence is cut off by the end.
inline bool TakeEscape(const uint8_t*& p, const uint8_t* e, bool& kanji) {
  if (e - p < 3) return false;
  if (p[1] == '$') kanji = true;
  else if (p[1] == '(') kanji = false;
  p += 3;
  return true;
}

template <class S>
void JisToEucRun(const uint8_t* p, const uint8_t* e, S& o) {
  bool kanji = false;
  while (p < e) {
    const uint8_t c = *p;
    if (c == kEsc) {
      if (!TakeEscape(p, e, kanji)) break;
      continue;
    }
    o.Put(kanji && IsJisByte(c) ? static_cast<uint8_t>(c | 0x80) : c);
    ++p;
  }
}

template <class S>
void JisToSjisRun(const uint8_t* p, const uint8_t* e, S& o) {
  bool kanji = false;
  while (p < e) {
    const uint8_t c = *p;
    if (c == kEsc) {
      if (!TakeEscape(p, e, kanji)) break;
      continue;
    }
    if (kanji && IsJisByte(c)) {
      if (p + 1 >= e) break;  // half a pair at the end
      if (IsJisByte(p[1])) {
        BytePair s = JisPairToSjis(c, p[1]);
        o.Put2(s.first, s.second);
        p += 2;
        continue;
      }
    }
    o.Put(c);
    ++p;
  }
}

}  // namespace

HalfKanaResult HalfKanaToJis(std::string_view text, size_t pos, KanaForm form) {
  const uint8_t* b = Bytes(text);
  return HalfKanaAt(b + pos, b + text.size(), form);
}

BytePair HalfKanaPair(uint8_t kana) {
  const RowCell rc = kHalfKana[kana - 0xA1];
  return {rc.row, rc.cell};
}

std::string SjisToJis(std::string_view text) {
  return detail::EmitSized([&](auto& o) { SjisToJisRun(Bytes(text), Bytes(text) + text.size(), o); });
}
std::string SjisToEuc(std::string_view text) {
  return detail::EmitSized([&](auto& o) { SjisToEucRun(Bytes(text), Bytes(text) + text.size(), o); });
}
std::string EucToJis(std::string_view text) {
  return detail::EmitSized([&](auto& o) { EucToJisRun(Bytes(text), Bytes(text) + text.size(), o); });
}
// The three below never lengthen their input.
std::string EucToSjis(std::string_view text) {
  return detail::EmitBounded(text.size(), [&](auto& o) { EucToSjisRun(Bytes(text), Bytes(text) + text.size(), o); });
}
std::string JisToEuc(std::string_view text) {
  return detail::EmitBounded(text.size(), [&](auto& o) { JisToEucRun(Bytes(text), Bytes(text) + text.size(), o); });
}
std::string JisToSjis(std::string_view text) {
  return detail::EmitBounded(text.size(), [&](auto& o) { JisToSjisRun(Bytes(text), Bytes(text) + text.size(), o); });
}

std::string ConvertToCode(std::string_view text, int target) {
  if (text.empty()) return std::string();
  const TextCode c = DetectCode(text);
  if (c == CodeAscii || c == CodeBinary || c == CodeEucOrSjis || c == target) return std::string(text);
  const bool fromJis = c == CodeJis83 || c == CodeJis78;
  switch (target) {
    case CodeSjis:
      if (fromJis) return JisToSjis(text);
      if (c == CodeEuc) return EucToSjis(text);
      break;
    case CodeEuc:
      if (fromJis) return JisToEuc(text);
      if (c == CodeSjis) return SjisToEuc(text);
      break;
    case CodeJis83:
      if (c == CodeEuc) return EucToJis(text);
      if (c == CodeSjis) return SjisToJis(text);
      break;  // JIS78 stays as it is
    default:
      break;
  }
  return std::string(text);
}

LineEndKind DetectLineEnd(std::string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') return LineEndLf;
    if (text[i] == '\r') return (i + 1 < text.size() && text[i + 1] == '\n') ? LineEndCrLf : LineEndCr;
  }
  return LineEndNone;
}

namespace {
std::string_view LineEndBytes(int kind) {
  switch (kind) {
    case LineEndCrLf: return "\r\n";
    case LineEndCr: return "\r";
    case LineEndLf: return "\n";
    default: return "";
  }
}
}  // namespace

std::string ConvertLineEnds(std::string_view text, int from, int to) {
  const std::string_view f = LineEndBytes(from);
  const std::string_view t = LineEndBytes(to);
  if (f.empty() || t.empty() || from == to) return std::string(text);
  auto run = [&](auto& o) {
    const uint8_t* p = Bytes(text);
    const uint8_t* e = p + text.size();
    const uint8_t first = static_cast<uint8_t>(f[0]);
    while (p < e) {
      // Copy up to the next candidate in one go.
      const uint8_t* q = p;
      while (q < e && *q != first) ++q;
      o.Copy(p, static_cast<size_t>(q - p));
      p = q;
      if (p >= e) break;
      if (f.size() == 2 && (p + 1 >= e || p[1] != '\n')) {
        o.Put(*p++);  // a CR on its own is no CR LF
        continue;
      }
      o.Copy(Bytes(t), t.size());
      p += f.size();
    }
  };
  return detail::EmitSized(run);
}

}  // namespace navirt

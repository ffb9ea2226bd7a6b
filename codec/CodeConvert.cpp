#include "codec/CodeConvert.h"

#include <cstring>

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

// The pair arithmetic as 64K tables indexed by a pair's two bytes as
// loaded from memory: one lookup replaces the arithmetic's data-dependent
// branches and tells at once whether the pair is mappable (0: it is not).
struct PairLut {
  uint16_t jisToSjis[65536];  // JIS pairs (0x21-0x7E)
  uint16_t eucToSjis[65536];  // EUC pairs (0xA1-0xFE)
  uint16_t sjisToJis[65536];  // mappable Shift_JIS pairs
};

inline uint16_t Pack(uint8_t a, uint8_t b) {
  const uint8_t two[2] = {a, b};
  uint16_t v;
  std::memcpy(&v, two, 2);
  return v;
}

const PairLut& Lut() {
  static PairLut* lut = [] {
    auto* t = new PairLut{};
    for (int j1 = 0x21; j1 <= 0x7E; ++j1) {
      for (int j2 = 0x21; j2 <= 0x7E; ++j2) {
        const BytePair s = JisPairToSjis(static_cast<uint8_t>(j1), static_cast<uint8_t>(j2));
        const uint16_t sv = Pack(s.first, s.second);
        t->jisToSjis[Pack(static_cast<uint8_t>(j1), static_cast<uint8_t>(j2))] = sv;
        t->eucToSjis[Pack(static_cast<uint8_t>(j1 | 0x80), static_cast<uint8_t>(j2 | 0x80))] = sv;
        t->sjisToJis[sv] = Pack(static_cast<uint8_t>(j1), static_cast<uint8_t>(j2));
      }
    }
    return t;
  }();
  return *lut;
}

using detail::Convert;
using detail::Writer;

void SjisToJisRun(const uint8_t* p, const uint8_t* e, std::string& out, size_t estimate) {
  Writer o(out, estimate);
  const PairLut& lut = Lut();
  bool kanji = false;
  while (p < e) {
    o.Need(8);
    const uint8_t c = *p;
    if (c < 0x80) {
      if (kanji) {
        o.Put3(kEsc, '(', 'J');
        kanji = false;
      }
      o.CopyAscii(p, e);
      continue;
    }
    if (!kanji) {
      o.Put3(kEsc, '$', 'B');
      kanji = true;
    }
    if (o.PairRun<detail::PairKind::SjisToJis>(p, e, lut.sjisToJis, 0)) continue;
    if (IsHalfKana(c)) {
      HalfKanaResult r = HalfKanaAt(p, e, KanaForm::Sjis);
      o.Put2(r.jis.first, r.jis.second);
      p += r.used;
      continue;
    }
    const Unit u = SjisUnit(p, e);
    if (u == Unit::CutOff) break;
    o.Copy(p, CopyCount(u));
    p += CopyCount(u);
  }
  o.Finish();
}

void SjisToEucRun(const uint8_t* p, const uint8_t* e, std::string& out, size_t estimate) {
  Writer o(out, estimate);
  const PairLut& lut = Lut();
  while (p < e) {
    o.Need(8);
    const uint8_t c = *p;
    if (c < 0x80) {
      o.CopyAscii(p, e);
      continue;
    }
    if (o.PairRun<detail::PairKind::SjisToJis>(p, e, lut.sjisToJis, 0x8080)) continue;
    if (IsHalfKana(c)) {
      o.Put2(0x8E, c);
      ++p;
      continue;
    }
    const Unit u = SjisUnit(p, e);
    if (u == Unit::CutOff) break;
    o.Copy(p, CopyCount(u));
    p += CopyCount(u);
  }
  o.Finish();
}

void EucToJisRun(const uint8_t* p, const uint8_t* e, std::string& out, size_t estimate) {
  Writer o(out, estimate);
  bool kanji = false;
  while (p < e) {
    o.Need(8);
    const uint8_t c = *p;
    if (c < 0x80) {
      if (kanji) {
        o.Put3(kEsc, '(', 'J');
        kanji = false;
      }
      o.CopyAscii(p, e);
      continue;
    }
    if (!kanji) {
      o.Put3(kEsc, '$', 'B');
      kanji = true;
    }
    if (p + 1 < e && IsEucByte(c) && IsEucByte(p[1])) {
      o.Put2(c & 0x7F, p[1] & 0x7F);
      p += 2;
      continue;
    }
    if (c == 0x8E && p + 1 < e && IsHalfKana(p[1])) {
      HalfKanaResult r = HalfKanaAt(p, e, KanaForm::Euc);
      o.Put2(r.jis.first, r.jis.second);
      p += r.used;
      continue;
    }
    const Unit u = EucUnit(p, e);
    if (u == Unit::CutOff) break;
    o.Copy(p, CopyCount(u));
    p += CopyCount(u);
  }
  o.Finish();
}

void EucToSjisRun(const uint8_t* p, const uint8_t* e, std::string& out, size_t estimate) {
  Writer o(out, estimate);
  const PairLut& lut = Lut();
  while (p < e) {
    o.Need(8);
    const uint8_t c = *p;
    if (c < 0x80) {
      o.CopyAscii(p, e);
      continue;
    }
    if (o.PairRun<detail::PairKind::EucToSjis>(p, e, lut.eucToSjis, 0)) continue;
    if (c == 0x8E && p + 1 < e && IsHalfKana(p[1])) {
      o.Put(p[1]);
      p += 2;
      continue;
    }
    const Unit u = EucUnit(p, e);
    if (u == Unit::CutOff) break;
    o.Copy(p, CopyCount(u));
    p += CopyCount(u);
  }
  o.Finish();
}

// Escape sequences are three bytes; '$' enters kanji mode, '(' leaves it.
// Returns false when the sequence is cut off by the end.
inline bool TakeEscape(const uint8_t*& p, const uint8_t* e, bool& kanji) {
  if (e - p < 3) return false;
  if (p[1] == '$')
    kanji = true;
  else if (p[1] == '(')
    kanji = false;
  p += 3;
  return true;
}

void JisToEucRun(const uint8_t* p, const uint8_t* e, std::string& out, size_t estimate) {
  Writer o(out, estimate);
  bool kanji = false;
  while (p < e) {
    if (*p == kEsc) {
      if (!TakeEscape(p, e, kanji)) break;
      continue;
    }
    // Up to the next escape every byte is handled alike.
    const size_t k = detail::RunWithout(p, e, kEsc);
    if (!kanji) {
      o.Copy(p, k);
    } else {
      o.Need(k);
      for (size_t i = 0; i < k; ++i) o.Put(IsJisByte(p[i]) ? static_cast<uint8_t>(p[i] | 0x80) : p[i]);
    }
    p += k;
  }
  o.Finish();
}

void JisToSjisRun(const uint8_t* p, const uint8_t* e, std::string& out, size_t estimate) {
  Writer o(out, estimate);
  const PairLut& lut = Lut();
  bool kanji = false;
  while (p < e) {
    o.Need(8);
    const uint8_t c = *p;
    if (c == kEsc) {
      if (!TakeEscape(p, e, kanji)) break;
      continue;
    }
    if (!kanji) {
      const size_t k = detail::RunWithout(p, e, kEsc);
      o.Copy(p, k);
      p += k;
      continue;
    }
    if (IsJisByte(c)) {
      if (o.PairRun<detail::PairKind::JisToSjis>(p, e, lut.jisToSjis, 0)) continue;
      if (p + 1 >= e) break;  // half a pair at the end
    }
    o.Put(c);
    ++p;
  }
  o.Finish();
}

}  // namespace

HalfKanaResult HalfKanaToJis(std::string_view text, size_t pos, KanaForm form) {
  const uint8_t* b = Bytes(text);
  const size_t kanaAt = form == KanaForm::Euc ? pos + 1 : pos;
  if (kanaAt >= text.size() || !IsHalfKana(b[kanaAt]) || (form == KanaForm::Euc && b[pos] != 0x8E)) return {{0, 0}, 0};
  return HalfKanaAt(b + pos, b + text.size(), form);
}

BytePair HalfKanaPair(uint8_t kana) {
  const RowCell rc = kHalfKana[kana - 0xA1];
  return {rc.row, rc.cell};
}

// Estimates: JIS adds escapes at every change of mode (about 7% on prose),
// EUC grows only by half-width kana; the decoders never lengthen a text.
std::string SjisToJis(std::string_view text) { return Convert(text, text.size() + text.size() / 8 + 64, SjisToJisRun); }
std::string SjisToEuc(std::string_view text) {
  return Convert(text, text.size() + text.size() / 64 + 64, SjisToEucRun);
}
std::string EucToJis(std::string_view text) { return Convert(text, text.size() + text.size() / 8 + 64, EucToJisRun); }
std::string EucToSjis(std::string_view text) { return Convert(text, text.size() + 8, EucToSjisRun); }
std::string JisToEuc(std::string_view text) { return Convert(text, text.size() + 8, JisToEucRun); }
std::string JisToSjis(std::string_view text) { return Convert(text, text.size() + 8, JisToSjisRun); }

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
    case LineEndCrLf:
      return "\r\n";
    case LineEndCr:
      return "\r";
    case LineEndLf:
      return "\n";
    default:
      return "";
  }
}
}  // namespace

std::string ConvertLineEnds(std::string_view text, int from, int to) {
  const std::string_view f = LineEndBytes(from);
  const std::string_view t = LineEndBytes(to);
  if (f.empty() || t.empty() || from == to) return std::string(text);
  std::string out;
  Writer o(out, t.size() > f.size() ? text.size() + text.size() / 8 + 64 : text.size() + 8);
  const uint8_t* p = Bytes(text);
  const uint8_t* e = p + text.size();
  const uint8_t first = static_cast<uint8_t>(f[0]);
  while (p < e) {
    // Copy up to the next candidate in one go.
    const size_t k = detail::RunWithout(p, e, first);
    o.Copy(p, k);
    p += k;
    if (p >= e) break;
    o.Need(2);
    if (f.size() == 2 && (p + 1 >= e || p[1] != '\n')) {
      o.Put(*p++);  // a CR on its own is no CR LF
      continue;
    }
    o.Copy(Bytes(t), t.size());
    p += f.size();
  }
  o.Finish();
  return out;
}

}  // namespace navirt

#include "codec/WidthConvert.h"

#include <array>
#include <cstdint>

#include "codec/ByteSink.h"
#include "codec/CodeConvert.h"
#include "platform/Cp932.h"

namespace navirt {

using detail::Bytes;

namespace {

using detail::Writer;

// Position i of one string corresponds to position i of the other.
constexpr char kHalfSymbols[] = " !\"#$%&'()=`|-^\\~{@[+*};:]<>?_\xA4\xA1\xA5,./\xB0\xA2\xA3";
// Shift_JIS trail bytes after the lead 0x81 of
// "　！”＃＄％＆’（）＝‘｜－＾￥￣｛＠［＋＊｝；：］＜＞？＿、。・，．／ー「」".
constexpr uint8_t kFullSymbolTrails[] = {0x40, 0x49, 0x68, 0x94, 0x90, 0x93, 0x95, 0x66, 0x69, 0x6A, 0x81, 0x65, 0x62,
                                         0x7C, 0x4F, 0x8F, 0x50, 0x6F, 0x97, 0x6D, 0x7B, 0x96, 0x70, 0x47, 0x46, 0x6E,
                                         0x83, 0x84, 0x48, 0x51, 0x41, 0x42, 0x45, 0x43, 0x44, 0x5E, 0x5B, 0x75, 0x76};
constexpr uint8_t kSymbolLead = 0x81;
static_assert(sizeof(kHalfSymbols) - 1 == 39 && sizeof(kFullSymbolTrails) == 39);

constexpr uint8_t kVoiced = 0xDE, kSemiVoiced = 0xDF;
constexpr uint8_t kFullVoicedTrail = 0x4A, kFullSemiVoicedTrail = 0x4B;  // ゛ ゜

struct Tables {
  // Half-width byte -> full-width Shift_JIS pair (symbols, digits, letters),
  // 0 when the byte has none.
  std::array<uint16_t, 256> halfToFull{};
  // Trail byte of a 0x81 symbol -> half-width byte, 0 when none.
  std::array<uint8_t, 256> symbolToHalf{};
  // JIS cell 0x21-0x76 of a kana (rows 4 and 5) -> half-width kana and mark.
  struct KanaHalf {
    uint8_t kana, mark;
  };
  std::array<KanaHalf, 0x77> kanaToHalf{};

  Tables() {
    for (int i = 0; i < 39; ++i) {
      halfToFull[static_cast<uint8_t>(kHalfSymbols[i])] =
          static_cast<uint16_t>(kSymbolLead << 8 | kFullSymbolTrails[i]);
      symbolToHalf[kFullSymbolTrails[i]] = static_cast<uint8_t>(kHalfSymbols[i]);
    }
    auto alnum = [&](int from, int to) {
      for (int c = from; c <= to; ++c) {
        BytePair s = JisPairToSjis(0x23, static_cast<uint8_t>(c));
        halfToFull[c] = static_cast<uint16_t>(s.first << 8 | s.second);
      }
    };
    alnum('0', '9');
    alnum('A', 'Z');
    alnum('a', 'z');

    for (int k = 0xA6; k <= 0xDD; ++k) {
      if (k == 0xB0) continue;
      const BytePair j = HalfKanaPair(static_cast<uint8_t>(k));
      kanaToHalf[j.second] = {static_cast<uint8_t>(k), 0};
      if ((k >= 0xB6 && k <= 0xC4) || (k >= 0xCA && k <= 0xCE))
        kanaToHalf[j.second + 1] = {static_cast<uint8_t>(k), kVoiced};
      if (k >= 0xCA && k <= 0xCE) kanaToHalf[j.second + 2] = {static_cast<uint8_t>(k), kSemiVoiced};
    }
    // Kana without a half-width form of their own.
    kanaToHalf[0x74] = {0xB3, kVoiced};  // ヴ -> ｳﾞ
    kanaToHalf[0x6E] = {0xDC, 0};        // ヮ -> ﾜ
    kanaToHalf[0x70] = {0xB2, 0};        // ヰ -> ｲ
    kanaToHalf[0x71] = {0xB4, 0};        // ヱ -> ｴ
    kanaToHalf[0x75] = {0xB6, 0};        // ヵ -> ｶ
    kanaToHalf[0x76] = {0xB9, 0};        // ヶ -> ｹ
  }
};

const Tables& T() {
  static const Tables t;
  return t;
}

inline bool IsKatakanaByte(uint8_t c) { return (c >= 0xA6 && c <= 0xAF) || (c >= 0xB1 && c <= 0xDD); }

template <class Out>
inline void PutJisAsSjis(Out& o, uint8_t row, uint8_t cell) {
  BytePair s = JisPairToSjis(row, cell);
  o.Put2(s.first, s.second);
}

// Letters and digits double, so the result's size varies with the text: a
// counting pass sizes it exactly. Inlined into each caller so the writer's
// position stays in registers.
template <class Out>
[[gnu::always_inline]] inline void HalfToFullRun(const uint8_t* p, const uint8_t* e, Out& o, const Tables& t) {
  bool afterKana = false;  // the previous character was an unmerged kana
  while (p < e) {
    o.Need(8);
    const uint8_t c = *p;
    if (IsSjisLead(c)) {
      // Runs of two-byte characters are copied as they are.
      do {
        if (p + 1 >= e) {
          o.Put(*p++);
          break;
        }
        o.Need(2);
        o.Put2(p[0], p[1]);
        p += 2;
      } while (p < e && IsSjisLead(*p));
      afterKana = false;
      continue;
    }
    if (IsKatakanaByte(c)) {
      const BytePair j = HalfKanaPair(c);
      int add = 0;
      if (p + 1 < e) {
        const uint8_t m = p[1];
        if (m == kVoiced && ((c >= 0xB6 && c <= 0xC4) || (c >= 0xCA && c <= 0xCE)))
          add = 1;
        else if (m == kSemiVoiced && c >= 0xCA && c <= 0xCE)
          add = 2;
      }
      PutJisAsSjis(o, j.first, static_cast<uint8_t>(j.second + add));
      p += add ? 2 : 1;
      afterKana = add == 0;
      continue;
    }
    if (c == kVoiced || c == kSemiVoiced) {
      if (afterKana)
        o.Put2(0x81, c == kVoiced ? kFullVoicedTrail : kFullSemiVoicedTrail);
      else
        o.Put(c);
      afterKana = false;
      ++p;
      continue;
    }
    afterKana = false;
    // Runs of single bytes: letters, digits and symbols double.
    do {
      o.Need(2);
      if (const uint16_t f = t.halfToFull[*p])
        o.Put2(static_cast<uint8_t>(f >> 8), static_cast<uint8_t>(f));
      else
        o.Put(*p);
      ++p;
    } while (p < e && *p < 0x80);
  }
}

void FullToHalfRun(const uint8_t* p, const uint8_t* e, std::string& out, size_t estimate, const Tables& t) {
  Writer o(out, estimate);
  while (p < e) {
    o.Need(8);
    const uint8_t c = *p;
    if (c < 0x80) {
      const size_t k = detail::AsciiRun(p, e);
      o.Copy(p, k);
      p += k;
      continue;
    }
    if (!IsSjisLead(c) || p + 1 >= e) {
      o.Put(c);
      ++p;
      continue;
    }
    const uint8_t tr = p[1];
    p += 2;
    if (IsMappableSjisPair(c, tr)) {
      const BytePair j = SjisPairToJis(c, tr);
      if (j.first == 0x24 || j.first == 0x25) {
        if (j.second <= 0x76) {
          const Tables::KanaHalf h = t.kanaToHalf[j.second];
          if (h.mark)
            o.Put2(h.kana, h.mark);
          else
            o.Put(h.kana);
          continue;
        }
      } else if (c == kSymbolLead && t.symbolToHalf[tr]) {
        o.Put(t.symbolToHalf[tr]);
        continue;
      } else if (j.first == 0x23) {
        o.Put(j.second);
        continue;
      }
    }
    o.Put2(c, tr);
  }
  o.Finish();
}

void HalfKanaToFullRun(const uint8_t* p, const uint8_t* e, std::string& out, size_t estimate) {
  Writer o(out, estimate);
  while (p < e) {
    o.Need(8);
    const uint8_t c = *p;
    if (c < 0x80) {
      const size_t k = detail::AsciiRun(p, e);
      o.Copy(p, k);
      p += k;
      continue;
    }
    if (IsSjisLead(c)) {
      if (p + 1 < e) {
        o.Put2(c, p[1]);
        p += 2;
      } else {
        o.Put(c);
        ++p;
      }
    } else if (IsHalfKana(c)) {
      const BytePair j = HalfKanaPair(c);
      PutJisAsSjis(o, j.first, j.second);
      ++p;
    } else {
      o.Put(c);
      ++p;
    }
  }
  o.Finish();
}

}  // namespace

std::string HalfToFullWidth(std::string_view text) {
  const Tables& t = T();
  const uint8_t* p = Bytes(text);
  const uint8_t* e = p + text.size();
  detail::Counter count;
  HalfToFullRun(p, e, count, t);
  std::string out;
  Writer w(out, count.n + 8);  // each unit asks for up to 8 bytes of room
  HalfToFullRun(p, e, w, t);
  w.Finish();
  return out;
}

std::string FullToHalfWidth(std::string_view text) {
  const Tables& t = T();
  return detail::Convert(text, text.size() + 8, [&](const uint8_t* p, const uint8_t* e, std::string& out, size_t est) {
    FullToHalfRun(p, e, out, est, t);
  });
}

std::string HalfKanaToFullKana(std::string_view text) {
  return detail::Convert(text, text.size() + text.size() / 64 + 64, HalfKanaToFullRun);
}

std::string WideSpaceToBlanks(std::string_view text) {
  std::string out(text);
  const size_t n = out.size();
  for (size_t i = 0; i < n; ++i) {
    const uint8_t c = static_cast<uint8_t>(out[i]);
    if (!IsSjisLead(c) || i + 1 >= n) continue;
    if (c == 0x81 && out[i + 1] == '\x40') out[i] = out[i + 1] = ' ';
    ++i;
  }
  return out;
}

}  // namespace navirt

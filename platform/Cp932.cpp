// The tables are built once from ICU's windows-31j converter, so the
// mapping is the one Windows uses, and kept in memory so that converting a
// character is an array look-up rather than a converter call.
#include "platform/Cp932.h"

#include <unicode/ucnv.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <array>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace navirt {
namespace {

struct Tables {
  std::array<char16_t, 256> single{};                             // 0 = no character
  std::vector<char16_t> pair;                                     // index lead<<8|trail, 0 = none
  std::vector<uint16_t> encode;                                   // BMP code point -> CP932 code, 0 = none
  std::vector<uint8_t> altPair;                                   // pair decodes, but is not canonical
  std::array<uint8_t, 256> altLead{};                             // some pair of this lead is in altPair
  std::unordered_map<char16_t, std::vector<uint16_t>> altEncode;  // its non-canonical pairs, in code order

  Tables() : pair(65536, 0), encode(65536, 0), altPair(65536, 0) {
    UErrorCode err = U_ZERO_ERROR;
    UConverter* cnv = ucnv_open("windows-31j", &err);
    if (U_FAILURE(err)) {
      err = U_ZERO_ERROR;
      cnv = ucnv_open("ibm-943_P15A-2003", &err);
    }
    if (U_FAILURE(err)) throw std::runtime_error("ICU has no CP932 converter");
    ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    auto decode = [&](const char* src, int len) -> char16_t {
      UChar out[4];
      UErrorCode e = U_ZERO_ERROR;
      ucnv_reset(cnv);
      int n = ucnv_toUChars(cnv, out, 4, src, len, &e);
      if (U_FAILURE(e) || n != 1) return 0;
      return static_cast<char16_t>(out[0]);
    };
    for (int b = 0; b < 256; ++b) {
      if (IsSjisLead(static_cast<unsigned char>(b))) continue;
      char c = static_cast<char>(b);
      char16_t u = b == 0 ? char16_t(0) : decode(&c, 1);
      if (b == 0 || u != 0) {
        single[b] = u;
        if (encode[u] == 0) encode[u] = static_cast<uint16_t>(b);
      }
    }
    // Every pair in one conversion: ICU's per-call cost would otherwise be
    // most of the program's start. A pair is a character when it gave
    // exactly one unit at its own offset and its trail was not reread.
    std::string src;
    std::vector<uint16_t> codes;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsSjisLead(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        src += static_cast<char>(lead);
        src += static_cast<char>(trail);
        codes.push_back(static_cast<uint16_t>((lead << 8) | trail));
      }
    }
    {
      std::vector<UChar> dst(src.size() * 2 + 16);
      std::vector<int32_t> off(dst.size(), -1);
      ucnv_reset(cnv);
      ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_SUBSTITUTE, nullptr, nullptr, nullptr, &err);
      UChar* target = dst.data();
      const char* source = src.data();
      UErrorCode e = U_ZERO_ERROR;
      ucnv_toUnicode(cnv, &target, dst.data() + dst.size(), &source, src.data() + src.size(), off.data(), true, &e);
      if (U_FAILURE(e)) throw std::runtime_error("ICU cannot convert CP932");
      std::vector<uint8_t> units(codes.size(), 0), reread(codes.size(), 0);
      std::vector<char16_t> value(codes.size(), 0);
      for (size_t j = 0, produced = static_cast<size_t>(target - dst.data()); j < produced; ++j) {
        if (off[j] < 0) continue;
        size_t k = static_cast<size_t>(off[j]) / 2;
        if (off[j] % 2) {
          reread[k] = 1;
        } else {
          ++units[k];
          value[k] = static_cast<char16_t>(dst[j]);
        }
      }
      for (size_t k = 0; k < codes.size(); ++k) {
        char16_t u = value[k];
        if (reread[k] || units[k] != 1 || u == 0 || u == 0xFFFD || u == 0x1A || (u >= 0xD800 && u <= 0xDFFF)) continue;
        pair[codes[k]] = u;
      }
    }
    // Canonical encodings come from ICU's own from-Unicode direction, again
    // in one conversion; a character without one writes nothing.
    {
      std::vector<UChar> us;
      std::vector<uint16_t> from;
      for (int code = 0x8140; code <= 0xFCFC; ++code) {
        if (pair[code] == 0) continue;
        us.push_back(pair[code]);
        from.push_back(static_cast<uint16_t>(code));
      }
      std::vector<char> bytes(us.size() * 4 + 16);
      std::vector<int32_t> off(bytes.size(), -1);
      ucnv_resetFromUnicode(cnv);
      ucnv_setFromUCallBack(cnv, UCNV_FROM_U_CALLBACK_SKIP, nullptr, nullptr, nullptr, &err);
      char* target = bytes.data();
      const UChar* source = us.data();
      UErrorCode e = U_ZERO_ERROR;
      ucnv_fromUnicode(cnv, &target, bytes.data() + bytes.size(), &source, us.data() + us.size(), off.data(), true, &e);
      if (U_FAILURE(e)) throw std::runtime_error("ICU cannot convert to CP932");
      std::vector<uint16_t> canonOf(us.size(), 0);
      std::vector<uint8_t> lengthOf(us.size(), 0);
      for (size_t j = 0, produced = static_cast<size_t>(target - bytes.data()); j < produced; ++j) {
        if (off[j] < 0) continue;
        size_t k = static_cast<size_t>(off[j]);
        canonOf[k] = static_cast<uint16_t>((canonOf[k] << 8) | static_cast<uint8_t>(bytes[j]));
        ++lengthOf[k];
      }
      for (size_t k = 0; k < us.size(); ++k) {
        const char16_t u = us[k];
        const uint16_t code = from[k];
        const uint16_t canon = lengthOf[k] <= 2 ? canonOf[k] : 0;
        if (canon == code) {
          encode[u] = code;
        } else {
          auto& alts = altEncode[u];
          alts.push_back(code);
          altPair[code] = static_cast<uint8_t>(alts.size());
          altLead[code >> 8] = 1;
          if (encode[u] == 0 && canon != 0) encode[u] = canon;
        }
      }
    }
    ucnv_close(cnv);
    // Our own marks must never be taken for characters.
    for (int k = 0; k < 16; ++k) encode[kAltPairMark + k] = 0;
    for (int b = 0; b < 256; ++b) encode[kPlaceholderBase + b] = 0;
  }
};

const Tables& T() {
  static const Tables t;
  return t;
}

struct ExactTable {
  std::vector<uint16_t> exact;
  Cp932Maps maps{};
  ExactTable() : exact(65536, 0) {
    const Tables& t = T();
    for (unsigned u = 1; u < 0x80; ++u) exact[u] = static_cast<uint16_t>(u);
    for (unsigned u = 0x80; u < 0x10000; ++u) {
      const uint16_t code = t.encode[u];
      if (code == 0) continue;
      const bool back = code < 0x100 ? t.single[code] == u : t.pair[code] == u && t.altPair[code] == 0;
      if (back) exact[u] = code;
    }
    maps = Cp932Maps{t.single.data(), t.pair.data(), exact.data()};
  }
};

// Returns the next code point of UTF-8 text, U+FFFD for a malformed byte.
char32_t NextUtf8(std::string_view s, size_t& i) {
  unsigned char c = static_cast<unsigned char>(s[i]);
  int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (len == 0 || i + len > s.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
  for (int k = 1; k < len; ++k) {
    unsigned char d = static_cast<unsigned char>(s[i + k]);
    if ((d & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (d & 0x3F);
  }
  i += len;
  return cp;
}

}  // namespace

const Cp932Maps& Cp932Tables() {
  static const ExactTable e;
  return e.maps;
}

std::u16string DecodeCp932Lossless(std::string_view bytes) {
  // Written through a pointer: appending unit by unit cost a third of a
  // 10 MiB preview's decode.
  std::u16string out;
  DecodeCp932LosslessInto(bytes, out);
  return out;
}

void DecodeCp932LosslessInto(std::string_view bytes, std::u16string& out) {
  // Never more units than bytes: a pair and its variant mark take two.
  out.resize(bytes.size());
  out.resize(DecodeCp932LosslessTo(bytes, out.data()));
}

size_t DecodeCp932LosslessTo(std::string_view bytes, char16_t* const out) {
  const Tables& t = T();
  char16_t* o = out;
  const size_t n = bytes.size();
  const char* p = bytes.data();
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(p[i]);
    if (c < 0x80 && c != 0) {
#if defined(__SSE2__)
      // 7-bit runs widened sixteen bytes at a time: the units written so
      // far never outnumber the bytes read, so sixteen more always fit.
      if (n - i >= 16) {
        const __m128i zero = _mm_setzero_si128();
        while (n - i >= 16) {
          const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_unpacklo_epi8(v, zero));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 8), _mm_unpackhi_epi8(v, zero));
          // A byte 0 is shown as a placeholder: it ends the run too.
          const unsigned stop = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(v, _mm_cmpeq_epi8(v, zero))));
          const unsigned k = stop ? static_cast<unsigned>(__builtin_ctz(stop)) : 16;
          i += k;
          o += k;
          if (stop) break;
        }
        continue;  // the first byte was 7-bit: the run moved on
      }
#endif
      *o++ = static_cast<char16_t>(c);
      ++i;
      continue;
    }
    if (IsSjisLead(c) && i + 1 < n) {
      const unsigned code = (c << 8) | static_cast<unsigned char>(p[i + 1]);
      if (const char16_t u = t.pair[code]) {
        *o++ = u;
        // Only a few rows hold variants: most pairs skip the second table.
        if (t.altLead[c] && t.altPair[code]) *o++ = static_cast<char16_t>(kAltPairMark + t.altPair[code] - 1);
        i += 2;
        continue;
      }
    }
    const char16_t u = IsSjisLead(c) ? char16_t(0) : t.single[c];
    *o++ = (u != 0 && c != 0) ? u : static_cast<char16_t>(kPlaceholderBase + c);
    ++i;
  }
  return static_cast<size_t>(o - out);
}

std::string EncodeCp932Lossless(std::u16string_view text) {
  const Tables& t = T();
  std::string out;
  out.reserve(text.size() * 2);
  const size_t n = text.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t u = text[i];
    if (u < 0x80) {
      out += static_cast<char>(u);
      continue;
    }
    if (u >= kPlaceholderBase && u <= kPlaceholderBase + 0xFF) {
      out += static_cast<char>(u - kPlaceholderBase);
      continue;
    }
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      ++i;  // a character beyond the BMP has no CP932 form
      out += '?';
      continue;
    }
    if (u >= kAltPairMark && u <= kAltPairMark + 15) continue;  // stray mark: nothing to write
    uint16_t code = t.encode[u];
    if (i + 1 < n && text[i + 1] >= kAltPairMark && text[i + 1] <= kAltPairMark + 15) {
      auto it = t.altEncode.find(u);
      size_t k = text[i + 1] - kAltPairMark;
      if (it != t.altEncode.end() && k < it->second.size()) code = it->second[k];
      ++i;
    }
    if (code == 0) {
      out += '?';
    } else if (code < 0x100) {
      out += static_cast<char>(code);
    } else {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size() * 3);
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    char32_t cp = NextUtf8(s, i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

namespace {
bool AllAscii(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}
}  // namespace

uint16_t JisFormOf(char32_t cp) {
  switch (cp) {
    case 0x301C:  // WAVE DASH
      return 0x8160;
    case 0x2016:  // DOUBLE VERTICAL LINE
      return 0x8161;
    case 0x2212:  // MINUS SIGN
      return 0x817C;
    case 0x00A2:  // CENT SIGN
      return 0x8191;
    case 0x00A3:  // POUND SIGN
      return 0x8192;
    case 0x00AC:  // NOT SIGN
      return 0x81CA;
    case 0x2014:  // EM DASH
      return 0x815C;
    case 0x00A5:  // YEN SIGN, JIS X 0201's 5C
      return 0x5C;
    case 0x203E:  // OVERLINE, JIS X 0201's 7E
      return 0x7E;
    default:
      return 0;
  }
}

std::string Utf8ToCp932(std::string_view utf8) {
  if (AllAscii(utf8)) return std::string(utf8);  // most names: nothing to convert
  const Tables& t = T();
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    char32_t cp = NextUtf8(utf8, i);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      continue;
    }
    uint16_t code = cp < 0x10000 ? t.encode[cp] : 0;
    if (code == 0)
      out += '?';
    else if (code < 0x100)
      out += static_cast<char>(code);
    else {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    }
  }
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  // The same characters as DecodeCp932Lossless, straight into UTF-8.
  const Tables& t = T();
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 2);
  const size_t n = cp932.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(cp932[i]);
    if (c < 0x80 && c != 0) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    if (IsSjisLead(c) && i + 1 < n) {
      const unsigned code = (c << 8) | static_cast<unsigned char>(cp932[i + 1]);
      if (char16_t u = t.pair[code]) {
        AppendUtf8(out, u);
        if (t.altPair[code]) AppendUtf8(out, static_cast<char16_t>(kAltPairMark + t.altPair[code] - 1));
        i += 2;
        continue;
      }
    }
    const char16_t u = IsSjisLead(c) ? char16_t(0) : t.single[c];
    AppendUtf8(out, (u != 0 && c != 0) ? u : static_cast<char16_t>(kPlaceholderBase + c));
    ++i;
  }
  return out;
}

}  // namespace navirt

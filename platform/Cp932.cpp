#include "platform/Cp932.h"

#include <unicode/ucnv.h>

#include <array>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace navirt {
namespace {

struct Tables {
  std::array<char16_t, 256> single{};          // 0 = no character
  std::vector<char16_t> pair;                  // index lead<<8|trail, 0 = none
  std::vector<uint16_t> encode;                // BMP code point -> CP932 code, 0 = none
  std::vector<uint8_t> altPair;                // pair decodes, but is not canonical
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
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
      if (!IsSjisLead(static_cast<unsigned char>(lead))) continue;
      for (int trail = 0x40; trail <= 0xFC; ++trail) {
        if (trail == 0x7F) continue;
        char src[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        char16_t u = decode(src, 2);
        if (u == 0 || (u >= 0xD800 && u <= 0xDFFF)) continue;
        pair[(lead << 8) | trail] = u;
      }
    }
    // Canonical encodings come from ICU's own from-Unicode direction.
    ucnv_setFromUCallBack(cnv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
    for (int code = 0x8140; code <= 0xFCFC; ++code) {
      char16_t u = pair[code];
      if (u == 0) continue;
      char out[4];
      UErrorCode e = U_ZERO_ERROR;
      ucnv_reset(cnv);
      UChar src = u;
      int n = ucnv_fromUChars(cnv, out, 4, &src, 1, &e);
      uint16_t canon = 0;
      if (U_SUCCESS(e) && n == 2) canon = static_cast<uint16_t>((uint8_t(out[0]) << 8) | uint8_t(out[1]));
      else if (U_SUCCESS(e) && n == 1) canon = uint8_t(out[0]);
      if (canon == code) {
        encode[u] = static_cast<uint16_t>(code);
      } else {
        auto& alts = altEncode[u];
        alts.push_back(static_cast<uint16_t>(code));
        altPair[code] = static_cast<uint8_t>(alts.size());
        if (encode[u] == 0 && canon != 0) encode[u] = canon;
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

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

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

std::u16string DecodeCp932Lossless(std::string_view bytes) {
  const Tables& t = T();
  std::u16string out;
  out.reserve(bytes.size());
  const size_t n = bytes.size();
  for (size_t i = 0; i < n;) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80 && c != 0) {
      out += static_cast<char16_t>(c);
      ++i;
      continue;
    }
    if (IsSjisLead(c) && i + 1 < n) {
      unsigned code = (c << 8) | static_cast<unsigned char>(bytes[i + 1]);
      char16_t u = t.pair[code];
      if (u != 0) {
        out += u;
        if (t.altPair[code]) out += static_cast<char16_t>(kAltPairMark + t.altPair[code] - 1);
        i += 2;
        continue;
      }
    }
    char16_t u = IsSjisLead(c) ? char16_t(0) : t.single[c];
    out += (u != 0 && c != 0) ? u : static_cast<char16_t>(kPlaceholderBase + c);
    ++i;
  }
  return out;
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
    if (code == 0) out += '?';
    else if (code < 0x100) out += static_cast<char>(code);
    else {
      out += static_cast<char>(code >> 8);
      out += static_cast<char>(code & 0xFF);
    }
  }
  return out;
}

std::string Cp932ToUtf8(std::string_view cp932) {
  // NUL is the one 7-bit byte the display mapping changes.
  if (AllAscii(cp932) && cp932.find('\0') == std::string_view::npos) return std::string(cp932);
  return Utf16ToUtf8(DecodeCp932Lossless(cp932));
}

}  // namespace navirt

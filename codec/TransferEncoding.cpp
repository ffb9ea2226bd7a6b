#include "codec/TransferEncoding.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codec/CodeConvert.h"
#include "platform/Cp932.h"

namespace navirt {

namespace {

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kBinHex[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";
constexpr uint8_t kNone = 255;

constexpr std::array<uint8_t, 256> Inverse(const char* alphabet) {
  std::array<uint8_t, 256> t{};
  for (auto& v : t) v = kNone;
  for (int i = 0; i < 64; ++i) t[static_cast<uint8_t>(alphabet[i])] = static_cast<uint8_t>(i);
  return t;
}
constexpr std::array<uint8_t, 256> kBase64Value = Inverse(kBase64);
constexpr std::array<uint8_t, 256> kBinHexValue = Inverse(kBinHex);

inline bool IsLineBreak(char c) { return c == '\r' || c == '\n'; }

inline char UuChar(unsigned v) { return v == 0 ? '`' : static_cast<char>(0x20 + v); }

// Value of a uuencode character; anything outside the alphabet counts as 0.
inline unsigned UuValue(uint8_t c) { return (c >= 0x21 && c <= 0x5F) ? c - 0x20u : 0u; }

// Three bytes, or fewer at the end (missing ones are 0), as four 6-bit values.
inline void Split3(const uint8_t* p, size_t k, unsigned v[4]) {
  const unsigned b0 = p[0], b1 = k > 1 ? p[1] : 0, b2 = k > 2 ? p[2] : 0;
  v[0] = b0 >> 2;
  v[1] = ((b0 << 4) & 0x3F) | (b1 >> 4);
  v[2] = ((b1 << 2) & 0x3F) | (b2 >> 6);
  v[3] = b2 & 0x3F;
}

}  // namespace

// Two Base64 characters for every 12-bit value, in memory order: a group
// of three bytes takes two lookups.
struct Base64Pairs {
  uint16_t v[4096];
  Base64Pairs() {
    for (int i = 0; i < 4096; ++i) {
      const char two[2] = {kBase64[i >> 6], kBase64[i & 0x3F]};
      std::memcpy(&v[i], two, 2);
    }
  }
};

std::string Base64Encode(std::string_view text) {
  static const Base64Pairs pairs;
  const size_t n = text.size();
  std::string out(4 * ((n + 2) / 3), '\0');
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  char* o = out.data();
  size_t i = 0;
  for (; i + 3 <= n; i += 3, o += 4) {
    const uint32_t w = (uint32_t{p[i]} << 16) | (uint32_t{p[i + 1]} << 8) | p[i + 2];
    std::memcpy(o, &pairs.v[w >> 12], 2);
    std::memcpy(o + 2, &pairs.v[w & 0xFFF], 2);
  }
  if (i < n) {
    unsigned v[4];
    Split3(p + i, n - i, v);
    o[0] = kBase64[v[0]];
    o[1] = kBase64[v[1]];
    o[2] = n - i == 2 ? kBase64[v[2]] : '=';
    o[3] = '=';
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  size_t m = 0;
  for (char c : text)
    if (!IsLineBreak(c) && c != '=') ++m;
  const size_t len = 3 * (m / 4) + (m % 4 ? m % 4 - 1 : 0);
  std::string out(len, '\0');
  size_t w = 0, i = 0;
  const size_t n = text.size();
  while (w < len) {
    uint8_t g[4];
    int k = 0;
    while (k < 4 && i < n) {
      const char c = text[i++];
      if (!IsLineBreak(c)) g[k++] = static_cast<uint8_t>(c);
    }
    if (k == 0) break;
    for (int j = k; j < 4; ++j) g[j] = '=';  // a short last group reads as padded
    const int count = g[2] == '=' ? 1 : g[3] == '=' ? 2 : 3;
    unsigned v[4];
    for (int j = 0; j < 4; ++j) {
      const uint8_t x = kBase64Value[g[j]];
      v[j] = x == kNone ? 0 : x;
    }
    const uint8_t bytes[3] = {static_cast<uint8_t>(v[0] << 2 | v[1] >> 4), static_cast<uint8_t>(v[1] << 4 | v[2] >> 2),
                              static_cast<uint8_t>(v[2] << 6 | v[3])};
    for (int j = 0; j < count && w < len; ++j) out[w++] = static_cast<char>(bytes[j]);
  }
  out.resize(w);
  return out;
}

std::string MimeHeaderEncode(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2 + 32);
  size_t i = 0;
  const size_t n = text.size();
  auto twoByteAt = [&](size_t k) { return k + 1 < n && IsSjisLead(static_cast<uint8_t>(text[k])); };
  while (i < n) {
    if (!twoByteAt(i)) {
      out.push_back(text[i++]);
      continue;
    }
    size_t j = i;
    while (twoByteAt(j)) j += 2;
    out += "=?ISO-2022-JP?B?";
    out += Base64Encode(SjisToJis(text.substr(i, j - i)));
    out += "?=";
    i = j;
  }
  return out;
}

std::string MimeHeaderDecode(std::string_view text) {
  // The text is consumed from the front into out. Decoded words go back in
  // front of the unread rest (kept reversed in `pushed`), so an encoded word
  // that decoding exposes, or one completed by what precedes it, is found as
  // a search from the start of the text would find it, in linear time.
  static constexpr char kPrefix[] = "=?ISO-2022-JP?B?";
  constexpr size_t kPrefixLen = sizeof(kPrefix) - 1;
  std::string out;
  out.reserve(text.size());
  std::string pushed;
  size_t sp = 0;
  bool noCloseLeft = false;  // a search found no "?=" in all of the rest

  auto restSize = [&] { return pushed.size() + (text.size() - sp); };
  auto restAt = [&](size_t k) -> char {
    return k < pushed.size() ? pushed[pushed.size() - 1 - k] : text[sp + (k - pushed.size())];
  };
  auto endsWithPrefix = [&] {
    const char* tail = out.data() + out.size() - kPrefixLen;
    for (size_t k = 0; k < kPrefixLen; ++k) {
      char c = tail[k];
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
      if (c != kPrefix[k]) return false;
    }
    return true;
  };

  while (true) {
    char c;
    if (!pushed.empty()) {
      c = pushed.back();
      pushed.pop_back();
    } else if (sp < text.size()) {
      c = text[sp++];
    } else {
      break;
    }
    out.push_back(c);
    if (c != '?' || out.size() < kPrefixLen || !endsWithPrefix()) continue;
    out.resize(out.size() - kPrefixLen);
    if (noCloseLeft) continue;
    const size_t rs = restSize();
    size_t close = rs;
    for (size_t k = 0; k + 1 < rs; ++k) {
      if (restAt(k) == '?' && restAt(k + 1) == '=') {
        close = k;
        break;
      }
    }
    if (close == rs) {
      noCloseLeft = true;
      continue;
    }
    std::string payload;
    payload.reserve(close);
    for (size_t k = 0; k < close; ++k) payload.push_back(restAt(k));
    // Drop the payload and its "?=" from the rest.
    size_t drop = close + 2;
    const size_t fromPushed = drop < pushed.size() ? drop : pushed.size();
    pushed.resize(pushed.size() - fromPushed);
    sp += drop - fromPushed;
    std::string decoded = Base64Decode(payload);
    decoded += "\x1b(J";
    for (size_t k = decoded.size(); k-- > 0;) pushed.push_back(decoded[k]);
  }
  return out;
}

std::string UuEncode(std::string_view text, std::string_view sep) {
  const size_t n = text.size();
  size_t full = n / 45;
  const size_t rest = n - full * 45;
  std::string out;
  out.reserve(full * (61 + sep.size()) + (rest ? 1 + 4 * ((rest + 2) / 3) : 0) + 2 * sep.size() + 1);
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  size_t i = 0;
  unsigned v[4];
  while (i < n) {
    const size_t onLine = full > 0 ? 45 : n - i;
    out.push_back(static_cast<char>(0x20 + onLine));
    for (size_t k = 0; k < onLine; k += 3) {
      Split3(p + i + k, onLine - k < 3 ? onLine - k : 3, v);
      for (unsigned x : v) out.push_back(UuChar(x));
    }
    i += onLine;
    if (full > 0) {
      out += sep;
      --full;
    }
  }
  out += sep;
  out.push_back('`');
  out += sep;
  return out;
}

namespace {
// Calls f(line) for every non-empty line; CR LF is one line end.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    size_t j = i;
    while (j < n && !IsLineBreak(text[j])) ++j;
    if (j > i && !f(text.substr(i, j - i))) return;
    if (j < n && text[j] == '\r' && j + 1 < n && text[j + 1] == '\n') ++j;
    i = j + 1;
  }
}
}  // namespace

std::string UuDecode(std::string_view text) {
  size_t len = 0;
  ForEachLine(text, [&](std::string_view line) {
    const unsigned l = UuValue(static_cast<uint8_t>(line[0]));
    len += l;
    return l == 45;  // the first line that is not full is the last
  });
  std::string out(len, '\0');
  size_t w = 0;
  ForEachLine(text, [&](std::string_view line) {
    const unsigned l = UuValue(static_cast<uint8_t>(line[0]));
    // Characters a mail system stripped from the end of a line read as 0.
    auto at = [&](size_t k) { return k < line.size() ? UuValue(static_cast<uint8_t>(line[k])) : 0u; };
    size_t pos = 1;
    for (int due = static_cast<int>(l); due > 0 && w < len; due -= 3, pos += 4) {
      const unsigned a = at(pos), b = at(pos + 1), c = at(pos + 2), d = at(pos + 3);
      const uint8_t bytes[3] = {static_cast<uint8_t>(a << 2 | b >> 4), static_cast<uint8_t>(b << 4 | c >> 2),
                                static_cast<uint8_t>(c << 6 | d)};
      for (int j = 0; j < (due < 3 ? due : 3) && w < len; ++j) out[w++] = static_cast<char>(bytes[j]);
    }
    return l == 45;
  });
  out.resize(w);
  return out;
}

std::string BinHexEncode(std::string_view text, std::string_view sep) {
  const size_t n = text.size();
  const size_t data = 4 * (n / 3) + (n % 3 ? n % 3 + 1 : 0);
  const size_t breaks = data >= 63 ? (data - 63) / 64 + 1 : 0;
  std::string out;
  out.reserve(data + 2 + breaks * sep.size());
  out.push_back(':');
  size_t lineLen = 1;
  const auto* p = reinterpret_cast<const uint8_t*>(text.data());
  unsigned v[4];
  for (size_t i = 0; i < n; i += 3) {
    const size_t k = n - i < 3 ? n - i : 3;
    Split3(p + i, k, v);
    for (size_t j = 0; j < k + 1; ++j) {
      out.push_back(kBinHex[v[j]]);
      if (++lineLen == 64) {
        out += sep;
        lineLen = 0;
      }
    }
  }
  out.push_back(':');
  return out;
}

std::string BinHexDecode(std::string_view text) {
  size_t m = 0;
  for (char c : text)
    if (!IsLineBreak(c)) ++m;
  const size_t d = m >= 2 ? m - 2 : 0;
  const size_t len = 3 * (d / 4) + (d % 4 ? d % 4 - 1 : 0);
  std::string out(len, '\0');
  size_t w = 0;
  size_t i = text.empty() ? 0 : 1;  // the opening ':'
  const size_t n = text.size();
  auto next = [&]() -> uint8_t {
    while (i < n && IsLineBreak(text[i])) ++i;
    return i < n ? kBinHexValue[static_cast<uint8_t>(text[i++])] : kNone;
  };
  auto put = [&](unsigned b) {
    if (w < len) out[w++] = static_cast<char>(b);
  };
  while (w < len) {
    const uint8_t a = next();
    if (a == kNone) break;
    const uint8_t b = next();
    if (b == kNone) break;
    put(a << 2 | b >> 4);
    const uint8_t c = next();
    if (c == kNone) break;
    put(((b << 4) | (c >> 2)) & 0xFF);
    const uint8_t e = next();
    if (e == kNone) break;
    put(((c << 6) | e) & 0xFF);
  }
  out.resize(w);
  return out;
}

}  // namespace navirt

// The pieces every format shares to describe an entry: the 558-byte record
// callers read, stored names decoded and encoded, DOS times, checksums and
// the wildcards that select entries.
#include "archive/libs/ArcCommon.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include "archive/libs/LibMessages.h"
#include "platform/Cp932.h"

namespace navirt::arc {

// ---- record ------------------------------------------------------------

std::string AttributeText(uint32_t attr) {
  std::string s = "----";
  if (attr & kAttrArchive) s[0] = 'a';
  if (attr & kAttrSystem) s[1] = 's';
  if (attr & kAttrHidden) s[2] = 'h';
  if (attr & kAttrRO) s[3] = 'r';
  return s;
}

void FillRecord(const ArcEntry& e, IndividualInfo& info) {
  std::memset(&info, 0, sizeof info);
  info.dwOriginalSize = static_cast<uint32_t>(std::min<uint64_t>(e.size, 0xFFFFFFFFu));
  info.dwCompressedSize = static_cast<uint32_t>(std::min<uint64_t>(e.packed, 0xFFFFFFFFu));
  info.dwCRC = e.crc;
  info.uFlag = 0;
  info.uOSType = e.os;
  info.wRatio = e.size ? static_cast<uint16_t>(std::min<uint64_t>(e.packed * 1000 / e.size, 0xFFFF)) : 0;
  info.wDate = e.dosDate;
  info.wTime = e.dosTime;
  std::string name = NameToCp932(e.path);
  if (e.isDir) name += '/';
  size_t n = std::min<size_t>(name.size(), sizeof info.szFileName - 1);
  std::memcpy(info.szFileName, name.data(), n);
  std::string attr = AttributeText(e.attr);
  std::memcpy(info.szAttribute, attr.data(), std::min<size_t>(attr.size(), 7));
  std::memcpy(info.szMode, e.method.data(), std::min<size_t>(e.method.size(), 7));
}

// ---- names -------------------------------------------------------------

namespace {
const char kHex[] = "0123456789ABCDEF";
void AppendPercent(std::string& out, unsigned char c) {
  out += '%';
  out += kHex[c >> 4];
  out += kHex[c & 15];
}
size_t Utf8Len(unsigned char c) {
  return c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
}
}  // namespace

bool IsValidUtf8(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    size_t len = Utf8Len(static_cast<unsigned char>(s[i]));
    if (len == 0 || i + len > s.size()) return false;
    for (size_t k = 1; k < len; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += len;
  }
  return true;
}

std::string NormalizeSlashes(std::string_view path, bool backslashSeparates) {
  std::string out;
  out.reserve(path.size());
  for (char c : path) {
    if (c == '\\' && backslashSeparates) c = '/';
    if (c == '/' && (out.empty() || out.back() == '/')) continue;
    out += c;
  }
  // "./" components say nothing.
  while (out.size() >= 2 && out[0] == '.' && out[1] == '/') out.erase(0, 2);
  if (!out.empty() && out.back() == '/') out.pop_back();
  return out;
}

std::string NameFromArchive(std::string_view raw, bool utf8, bool& fallback, bool backslashSeparates) {
  fallback = false;
  std::string out;
  bool ascii = std::all_of(raw.begin(), raw.end(), [](char c) { return (unsigned char)c < 0x80 && c != 0; });
  if (ascii) {
    out.assign(raw);
  } else if (utf8) {
    for (size_t i = 0; i < raw.size();) {
      size_t len = Utf8Len(static_cast<unsigned char>(raw[i]));
      bool ok = len > 0 && i + len <= raw.size() && raw[i] != 0;
      for (size_t k = 1; ok && k < len; ++k) ok = (static_cast<unsigned char>(raw[i + k]) & 0xC0) == 0x80;
      if (ok) {
        out.append(raw.substr(i, len));
        i += len;
      } else {
        AppendPercent(out, static_cast<unsigned char>(raw[i]));
        fallback = true;
        ++i;
      }
    }
  } else {
    std::u16string u = DecodeCp932Lossless(raw);
    std::u16string clean;
    clean.reserve(u.size());
    for (char16_t c : u) {
      if (c >= kAltPairMark && c < kAltPairMark + 16) continue;
      if (c >= kPlaceholderBase && c < kPlaceholderBase + 256) {
        if (!clean.empty()) {
          out += Utf16ToUtf8(clean);
          clean.clear();
        }
        AppendPercent(out, static_cast<unsigned char>(c - kPlaceholderBase));
        fallback = true;
        continue;
      }
      if (c == 0) {
        AppendPercent(out, 0);
        fallback = true;
        continue;
      }
      clean += c;
    }
    out += Utf16ToUtf8(clean);
  }
  if (backslashSeparates)
    for (char& c : out)
      if (c == '\\') c = '/';
  while (!out.empty() && out.back() == '/') out.pop_back();
  while (out.size() >= 2 && out[0] == '.' && out[1] == '/') out.erase(0, 2);
  return out;
}

std::string NameToCp932(std::string_view utf8, bool& ok) {
  ok = true;
  bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return (unsigned char)c < 0x80; });
  if (ascii) return std::string(utf8);
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t len = Utf8Len(c);
    bool valid = len > 0 && i + len <= utf8.size();
    for (size_t k = 1; valid && k < len; ++k) valid = (static_cast<unsigned char>(utf8[i + k]) & 0xC0) == 0x80;
    if (!valid) {
      AppendPercent(out, c);
      ok = false;
      ++i;
      continue;
    }
    if (len == 1) {
      out += static_cast<char>(c);
    } else {
      std::string_view ch = utf8.substr(i, len);
      std::string enc = Utf8ToCp932(ch);
      if (enc == "?" || enc.empty()) {
        for (char b : ch) AppendPercent(out, static_cast<unsigned char>(b));
        ok = false;
      } else {
        out += enc;
      }
    }
    i += len;
  }
  return out;
}

std::string NameToCp932(std::string_view utf8) {
  bool ok;
  return NameToCp932(utf8, ok);
}

// ---- times -------------------------------------------------------------

std::time_t DosToUnix(uint16_t date, uint16_t time) {
  if (date == 0) return 0;
  std::tm tm{};
  tm.tm_year = ((date >> 9) & 0x7F) + 80;
  tm.tm_mon = std::max(0, ((date >> 5) & 0x0F) - 1);
  tm.tm_mday = std::max(1, date & 0x1F);
  tm.tm_hour = (time >> 11) & 0x1F;
  tm.tm_min = (time >> 5) & 0x3F;
  tm.tm_sec = (time & 0x1F) * 2;
  tm.tm_isdst = -1;
  std::time_t t = std::mktime(&tm);
  return t == -1 ? 0 : t;
}

void UnixToDos(std::time_t t, uint16_t& date, uint16_t& time) {
  std::tm tm{};
  if (t <= 0 || !localtime_r(&t, &tm) || tm.tm_year < 80) {
    date = (1 << 5) | 1;  // 1980-01-01
    time = 0;
    return;
  }
  if (tm.tm_year > 207) tm.tm_year = 207;
  date = static_cast<uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
  time = static_cast<uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
}

// ---- checksums ---------------------------------------------------------

uint16_t Crc16(uint16_t crc, const void* data, size_t len) {
  // Four bytes a step through four derived tables.
  static const auto t = [] {
    std::array<std::array<uint16_t, 256>, 4> tab{};
    for (unsigned i = 0; i < 256; ++i) {
      uint16_t c = static_cast<uint16_t>(i);
      for (int k = 0; k < 8; ++k)
        c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : static_cast<uint16_t>(c >> 1);
      tab[0][i] = c;
    }
    for (int k = 1; k < 4; ++k)
      for (unsigned i = 0; i < 256; ++i)
        tab[k][i] = static_cast<uint16_t>((tab[k - 1][i] >> 8) ^ tab[0][tab[k - 1][i] & 0xFF]);
    return tab;
  }();
  const unsigned char* p = static_cast<const unsigned char*>(data);
  while (len >= 4) {
    unsigned x = crc ^ (p[0] | (p[1] << 8));
    crc = static_cast<uint16_t>(t[3][x & 0xFF] ^ t[2][(x >> 8) & 0xFF] ^ t[1][p[2]] ^ t[0][p[3]]);
    p += 4;
    len -= 4;
  }
  while (len--) crc = static_cast<uint16_t>(t[0][(crc ^ *p++) & 0xFF] ^ (crc >> 8));
  return crc;
}

uint32_t Crc32(uint32_t crc, const void* data, size_t len) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  while (len > 0) {
    uInt chunk = static_cast<uInt>(std::min<size_t>(len, 1u << 30));
    crc = static_cast<uint32_t>(crc32(crc, p, chunk));
    p += chunk;
    len -= chunk;
  }
  return crc;
}

// ---- wildcards ---------------------------------------------------------

namespace {
char Lower(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool Match(std::string_view p, std::string_view s) {
  size_t pi = 0, si = 0, starP = std::string_view::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starS = si;
      continue;
    }
    if (pi < p.size()) {
      if (p[pi] == '?') {
        ++pi;
        ++si;
        continue;
      }
      if (p[pi] == '[') {
        size_t close = p.find(']', pi + 1);
        if (close != std::string_view::npos && close > pi + 1) {
          std::string_view set = p.substr(pi + 1, close - pi - 1);
          bool neg = set[0] == '!' || set[0] == '^';
          if (neg) set.remove_prefix(1);
          bool hit = false;
          for (size_t k = 0; k < set.size(); ++k) {
            if (k + 2 < set.size() && set[k + 1] == '-') {
              if (Lower(s[si]) >= Lower(set[k]) && Lower(s[si]) <= Lower(set[k + 2])) hit = true;
              k += 2;
            } else if (Lower(set[k]) == Lower(s[si])) {
              hit = true;
            }
          }
          if (hit != neg) {
            pi = close + 1;
            ++si;
            continue;
          }
        } else if (Lower(s[si]) == '[') {
          ++pi;
          ++si;
          continue;
        }
      } else if (Lower(p[pi]) == Lower(s[si]) || (p[pi] == '\\' && s[si] == '/')) {
        ++pi;
        ++si;
        continue;
      }
    }
    if (starP == std::string_view::npos) return false;
    pi = starP + 1;
    si = ++starS;
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}
}  // namespace

bool WildMatch(std::string_view pattern, std::string_view path) {
  if (pattern == "*.*" || pattern == "*" || pattern.empty()) return true;
  // "\\" in a pattern matches a "\\" of a tar name or a separator.
  std::string p = NormalizeSlashes(pattern, false);
  if (p == "*.*" || p == "*" || p.empty()) return true;
  if (p.size() > 4 && p.compare(p.size() - 4, 4, "/*.*") == 0) p.replace(p.size() - 3, 3, "*");
  if (Match(p, path)) return true;
  if (p.find('/') == std::string::npos) {
    size_t slash = path.rfind('/');
    if (slash != std::string_view::npos && Match(p, path.substr(slash + 1))) return true;
  }
  // A folder name selects everything under it.
  if (path.size() > p.size() && path[p.size()] == '/' && Match(p, path.substr(0, p.size()))) return true;
  return false;
}

bool DiskWildMatch(std::string_view p, std::string_view s) {
  if (p == "*.*") return true;  // every name, with an extension or without
  size_t pi = 0, si = 0, starP = std::string_view::npos, starS = 0;
  while (si < s.size()) {
    if (pi < p.size() && p[pi] == '*') {
      starP = pi++;
      starS = si;
      continue;
    }
    if (pi < p.size() && (p[pi] == '?' || p[pi] == s[si])) {
      ++pi;
      ++si;
      continue;
    }
    if (starP == std::string_view::npos) return false;
    pi = starP + 1;
    si = ++starS;
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

bool MatchesAny(const std::vector<std::string>& patterns, const std::string& path) {
  if (patterns.empty()) return true;
  for (const auto& p : patterns)
    if (WildMatch(p, path)) return true;
  return false;
}

}  // namespace navirt::arc

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

// ---- command lines -----------------------------------------------------

std::vector<Token> Tokenize(std::string_view line) {
  std::vector<Token> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r' || line[i] == '\n')) ++i;
    if (i >= line.size()) break;
    Token t;
    bool inQuote = false;
    while (i < line.size()) {
      char c = line[i];
      if (c == '"') {
        inQuote = !inQuote;
        t.quoted = true;
        ++i;
        continue;
      }
      if (!inQuote && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) break;
      t.text += c;
      ++i;
    }
    out.push_back(std::move(t));
  }
  return out;
}

bool CmdLine::HasSwitch(std::string_view name) const {
  for (const auto& s : switches)
    if (s == name) return true;
  return false;
}

int CmdLine::Number(std::string_view name) const {
  int value = -1;
  for (const auto& s : switches) {
    if (s.size() < name.size() || s.compare(0, name.size(), name) != 0) continue;
    std::string_view rest(s);
    rest.remove_prefix(name.size());
    if (rest.empty()) {
      value = 1;
    } else if (std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; }) && rest.size() < 6) {
      value = std::atoi(std::string(rest).c_str());
    }
  }
  return value;
}

std::string CmdLine::Text(std::string_view name) const {
  std::string value;
  for (const auto& s : switches)
    if (s.size() > name.size() && s.compare(0, name.size(), name) == 0) value = s.substr(name.size());
  return value;
}

namespace {
// Paths on a command line are this system's: "/" separates, and "\" is a
// character of a name like any other.
std::string ToPath(std::string s) { return s; }

bool ReadResponseFile(const std::string& path, std::vector<std::string>& names) {
  std::string data;
  if (!ReadFileBytes(path, data)) return false;
  size_t start = 0;
  while (start <= data.size()) {
    size_t end = data.find('\n', start);
    if (end == std::string::npos) end = data.size();
    std::string_view line(data.data() + start, end - start);
    for (const Token& t : Tokenize(line))
      if (!t.text.empty()) names.push_back(ToPath(t.text));
    start = end + 1;
  }
  return true;
}
}  // namespace

int ParseCommandLine(std::string_view line, const std::vector<std::string>& commands,
                     const std::vector<std::string>& valueSwitches, CmdLine& out, std::string& err) {
  out = CmdLine{};
  std::vector<Token> tokens = Tokenize(line);
  size_t i = 0;
  if (!tokens.empty() && !tokens[0].quoted) {
    std::string first = tokens[0].text;
    std::transform(first.begin(), first.end(), first.begin(), [](char c) { return Lower(c); });
    if (std::find(commands.begin(), commands.end(), first) != commands.end()) {
      out.command = first;
      i = 1;
    }
  }
  bool archiveSeen = false;
  for (; i < tokens.size(); ++i) {
    const Token& t = tokens[i];
    if (t.text.size() > 1 && t.text[0] == '-') {
      std::string sw = t.text.substr(1);
      if (std::find(valueSwitches.begin(), valueSwitches.end(), sw) != valueSwitches.end() && i + 1 < tokens.size()) {
        sw += tokens[++i].text;
      }
      out.switches.push_back(std::move(sw));
      continue;
    }
    if (t.text.empty()) continue;
    if (t.text[0] == '@' && t.text.size() > 1) {
      std::string resp = ToPath(t.text.substr(1));
      if (!ReadResponseFile(resp, out.names)) {
        err = "cannot read the response file " + resp;
        return kErrResponseRead;
      }
      continue;
    }
    std::string path = ToPath(t.text);
    if (!archiveSeen) {
      out.archive = path;
      archiveSeen = true;
    } else if (out.folder.empty() && out.names.empty() && path.back() == '/') {
      out.folder = path;
    } else {
      out.names.push_back(path);
    }
  }
  return kOk;
}

// ---- report ------------------------------------------------------------

void Report::CopyTo(char* buf, uint32_t size) const {
  if (!buf || size == 0) return;
  size_t n = std::min<size_t>(text_.size(), size - 1);
  // Never cut a double-byte character in half.
  if (n < text_.size()) {
    size_t i = 0;
    while (i < n) {
      size_t step = IsSjisLead(static_cast<unsigned char>(text_[i])) ? 2 : 1;
      if (i + step > n) break;
      i += step;
    }
    n = i;
  }
  std::memcpy(buf, text_.data(), n);
  buf[n] = 0;
}

// ---- input -------------------------------------------------------------

InputFile::~InputFile() {
  if (map_) ::munmap(map_, size_);
}

bool InputFile::Open(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  size_ = static_cast<uint64_t>(st.st_size);
  if (size_ == 0) {
    ::close(fd);
    data_ = "";
    return true;
  }
  void* m = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (m == MAP_FAILED) {
    size_ = 0;
    return false;
  }
  map_ = m;
  data_ = static_cast<const char*>(m);
  return true;
}

void InputFile::DropPages() const {
  if (map_) ::madvise(map_, size_, MADV_DONTNEED);
}

namespace {
constexpr size_t kSinkPiece = 1 << 20;
constexpr uint64_t kDropEvery = 16u << 20;
}  // namespace

Sink TrimmingSink(const InputFile& in, const Sink& sink) {
  auto passed = std::make_shared<uint64_t>(0);
  return [&in, sink, passed](const unsigned char* p, size_t n) {
    while (n > 0) {
      size_t k = std::min(n, kSinkPiece);
      if (!sink(p, k)) return false;
      p += k;
      n -= k;
      *passed += k;
      if (*passed >= kDropEvery) {
        *passed = 0;
        in.DropPages();
      }
    }
    return true;
  };
}

uint32_t Crc32Of(const InputFile& in, const unsigned char* p, uint64_t n) {
  uint32_t crc = 0;
  while (n > 0) {
    size_t k = static_cast<size_t>(std::min<uint64_t>(n, kDropEvery));
    crc = Crc32(crc, p, k);
    p += k;
    n -= k;
    if (n > 0) in.DropPages();
  }
  return crc;
}

uint16_t Crc16Of(const InputFile& in, const unsigned char* p, uint64_t n) {
  uint16_t crc = 0;
  while (n > 0) {
    size_t k = static_cast<size_t>(std::min<uint64_t>(n, kDropEvery));
    crc = Crc16(crc, p, k);
    p += k;
    n -= k;
    if (n > 0) in.DropPages();
  }
  return crc;
}

bool ReadFileBytes(const std::string& path, std::string& out) {
  out.clear();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// ---- output ------------------------------------------------------------

namespace {
mode_t FileMode() {
  static const mode_t mode = [] {
    mode_t m = ::umask(022);
    ::umask(m);
    return static_cast<mode_t>(0666 & ~m);
  }();
  return mode;
}
}  // namespace

OutputFile::~OutputFile() { Abort(); }

// The temporary name: ".NAME.navirt-PID-XXXXXX" in the target's folder, so
// a run that was killed can be told from one still writing.
bool OutputFile::Open(const std::string& target) {
  Abort();
  target_ = target;
  size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.size() > 200) base.resize(200);
  std::string tmpl = dir + "." + base + ".navirt-" + std::to_string(::getpid()) + "-XXXXXX";
  std::vector<char> buf(tmpl.begin(), tmpl.end());
  buf.push_back(0);
  int fd = ::mkstemp(buf.data());
  if (fd < 0) return false;
  ::fchmod(fd, FileMode());
  temp_ = buf.data();
  direct_ = false;
  f_ = ::fdopen(fd, "wb");
  if (!f_) {
    ::close(fd);
    ::unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  written_ = 0;
  failed_ = false;
  return true;
}

// A free name is written under a temporary name too: a run killed half way
// leaves no half file under the entry's name. The rename at the end never
// replaces what appeared there meanwhile.
int OutputFile::OpenNew(const std::string& target) {
  struct stat st;
  if (::lstat(target.c_str(), &st) == 0) return EEXIST;
  if (errno != ENOENT) return errno ? errno : EIO;
  if (!Open(target)) return errno ? errno : EIO;
  direct_ = true;
  return 0;
}

void RemoveStaleTemporaries(const std::string& dir) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return;
  std::vector<std::string> stale;
  while (dirent* de = ::readdir(d)) {
    std::string n = de->d_name;
    size_t at = n.rfind(".navirt-");
    if (n.size() < 2 || n[0] != '.' || at == std::string::npos || at == 0) continue;
    size_t p = at + 8, q = p;
    while (q < n.size() && n[q] >= '0' && n[q] <= '9') ++q;
    if (q == p || q + 7 != n.size() || n[q] != '-' || q - p > 9) continue;
    pid_t pid = static_cast<pid_t>(std::stol(n.substr(p, q - p)));
    if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
    stale.push_back(n);
  }
  ::closedir(d);
  std::string prefix = dir.empty() || dir.back() == '/' ? dir : dir + "/";
  for (const auto& n : stale) {
    struct stat st;
    std::string path = prefix + n;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
  }
}

bool OutputFile::Write(const void* data, size_t len) {
  if (!f_ || failed_) return false;
  if (len && std::fwrite(data, 1, len, f_) != len) failed_ = true;
  written_ += len;
  return !failed_;
}

bool OutputFile::Patch(uint64_t off, std::string_view bytes) {
  if (!f_ || failed_) return false;
  if (off > written_ || bytes.size() > written_ - off || std::fflush(f_) != 0) return failed_ = true, false;
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::pwrite(::fileno(f_), bytes.data() + done, bytes.size() - done, static_cast<off_t>(off + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return failed_ = true, false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool OutputFile::Truncate(uint64_t off) {
  if (!f_ || failed_ || off > written_) return false;
  if (std::fflush(f_) != 0 || ::ftruncate(::fileno(f_), static_cast<off_t>(off)) != 0 ||
      ::fseeko(f_, static_cast<off_t>(off), SEEK_SET) != 0)
    return failed_ = true, false;
  written_ = off;
  return true;
}

bool OutputFile::Commit(std::time_t mtime, bool setTime) {
  if (!f_) return false;
  bool ok = !failed_ && std::fflush(f_) == 0;
  if (ok && setTime) {
    struct timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = mtime;
    ts[0].tv_nsec = ts[1].tv_nsec = 0;
    ::futimens(::fileno(f_), ts);
  }
  ok = (std::fclose(f_) == 0) && ok;
  f_ = nullptr;
  if (ok)
    ok = direct_ ? ::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) == 0
                 : ::rename(temp_.c_str(), target_.c_str()) == 0;
  if (!ok) ::unlink(temp_.c_str());
  temp_.clear();
  return ok;
}

void OutputFile::Abort() {
  direct_ = false;
  if (f_) {
    std::fclose(f_);
    f_ = nullptr;
  }
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}

// ---- files to pack, streamed -------------------------------------------

SourceFile::~SourceFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool SourceFile::Open(const std::string& path) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return false;
  struct stat st;
  if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

int SourceFile::Stream(const Sink& sink) {
  if (fd_ < 0) return kErrCannotRead;
  piece_.resize(kPiece);
  for (off_t pos = 0;;) {
    ssize_t n = ::pread(fd_, piece_.data(), piece_.size(), pos);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return kErrCannotRead;
    if (n == 0) return kOk;
    if (!sink(reinterpret_cast<const unsigned char*>(piece_.data()), static_cast<size_t>(n))) return kErrCannotWrite;
    pos += n;
  }
}

int DeflateFile(SourceFile& src, int level, int windowBits, const Sink& sink, uint32_t& crc, uint64_t& size) {
  z_stream zs{};
  if (deflateInit2(&zs, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK) return kErrMoreHeapMemory;
  crc = 0;
  size = 0;
  std::string buf(1 << 18, '\0');
  bool sinkFailed = false;
  auto pump = [&](const unsigned char* p, size_t n, int flush) {
    zs.next_in = const_cast<Bytef*>(p);
    zs.avail_in = static_cast<uInt>(n);
    int r;
    do {
      zs.next_out = reinterpret_cast<Bytef*>(buf.data());
      zs.avail_out = static_cast<uInt>(buf.size());
      r = deflate(&zs, flush);
      size_t got = buf.size() - zs.avail_out;
      if (got && !sink(reinterpret_cast<const unsigned char*>(buf.data()), got)) return sinkFailed = true, false;
    } while (r == Z_OK && (zs.avail_out == 0 || (flush == Z_FINISH)));
    return r == Z_OK || r == Z_STREAM_END || r == Z_BUF_ERROR;
  };
  int rc = src.Stream([&](const unsigned char* p, size_t n) {
    crc = Crc32(crc, p, n);
    size += n;
    return pump(p, n, Z_NO_FLUSH);
  });
  if (rc == kOk && !pump(nullptr, 0, Z_FINISH)) rc = sinkFailed ? kErrCannotWrite : kErrMoreHeapMemory;
  if (rc == kErrCannotWrite && !sinkFailed) rc = kErrMoreHeapMemory;
  deflateEnd(&zs);
  return rc;
}

int StoreFile(SourceFile& src, const Sink& sink, uint32_t& crc, uint64_t& size) {
  crc = 0;
  size = 0;
  return src.Stream([&](const unsigned char* p, size_t n) {
    crc = Crc32(crc, p, n);
    size += n;
    return sink(p, n);
  });
}

// ---- extraction targets ------------------------------------------------

std::string OutputFolder(const std::string& folder) {
  if (folder.empty()) return "./";
  std::string f = folder;
  if (f.back() != '/') f += '/';
  return f;
}

namespace {
bool SplitSafe(const std::string& entryPath, std::vector<std::string>& parts, std::string& why) {
  if (entryPath.empty()) {
    why = "empty name";
    return false;
  }
  if (entryPath[0] == '/' || entryPath[0] == '\\') {
    why = "absolute path refused";
    return false;
  }
  if (entryPath.size() >= 2 && entryPath[1] == ':' &&
      ((entryPath[0] >= 'A' && entryPath[0] <= 'Z') || (entryPath[0] >= 'a' && entryPath[0] <= 'z'))) {
    why = "drive prefix refused";
    return false;
  }
  size_t start = 0;
  while (start <= entryPath.size()) {
    size_t end = entryPath.find('/', start);
    if (end == std::string::npos) end = entryPath.size();
    std::string part = entryPath.substr(start, end - start);
    if (part == "..") {
      why = "\"..\" in the path refused";
      return false;
    }
    if (!part.empty() && part != ".") parts.push_back(part);
    start = end + 1;
  }
  if (parts.empty()) {
    why = "empty name";
    return false;
  }
  return true;
}
}  // namespace

bool FolderCache::Has(const std::string& folder) const {
  return std::binary_search(known.begin(), known.end(), folder);
}

void FolderCache::Add(const std::string& folder) {
  auto it = std::lower_bound(known.begin(), known.end(), folder);
  if (it == known.end() || *it != folder) known.insert(it, folder);
}

int PrepareTarget(const std::string& outDir, const std::string& entryPath, bool keepPaths, bool isDir,
                  std::string& target, std::string& why, FolderCache* cache) {
  std::vector<std::string> parts;
  // An unsafe stored name is a header no sound archive holds.
  if (!SplitSafe(entryPath, parts, why)) return kErrHeaderBroken;
  if (!keepPaths) {
    if (isDir) {
      why = "folder";
      return kErrUserSkip;
    }
    parts.erase(parts.begin(), parts.end() - 1);
  }
  std::string cur = OutputFolder(outDir);
  cur.pop_back();
  if (cur.empty()) cur = "/";
  struct stat st;
  const bool outKnown = cache && cache->Has(cur);
  if (!outKnown && ::stat(cur.c_str(), &st) != 0) {
    // The chosen folder itself may be new.
    std::string acc;
    for (size_t i = 0; i < cur.size(); ++i) {
      acc += cur[i];
      if ((cur[i] == '/' && i > 0) || i + 1 == cur.size()) {
        if (::mkdir(acc.c_str(), 0777) != 0 && errno != EEXIST) {
          why = "cannot create folder " + cur;
          return kErrMakeDirectory;
        }
      }
    }
  }
  size_t dirs = isDir ? parts.size() : parts.size() - 1;
  if (cache && !outKnown) cache->Add(cur);
  for (size_t i = 0; i < dirs; ++i) {
    cur += "/" + parts[i];
    if (cache && cache->Has(cur)) continue;
    if (::lstat(cur.c_str(), &st) == 0) {
      if (S_ISLNK(st.st_mode)) {
        why = "path through a symbolic link refused";
        return kErrMakeDirectory;
      }
      if (!S_ISDIR(st.st_mode)) {
        why = "a file stands in the way of folder " + parts[i];
        return kErrMakeDirectory;
      }
    } else if (::mkdir(cur.c_str(), 0777) != 0) {
      why = "cannot create folder " + parts[i];
      return kErrMakeDirectory;
    }
    if (cache) cache->Add(cur);
  }
  if (isDir) {
    target = cur;
    return kOk;
  }
  target = cur + "/" + parts.back();
  if (cache) return kOk;
  if (::lstat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    why = "a folder of that name exists";
    return kErrCannotWrite;
  }
  return kOk;
}

bool ShouldWrite(const std::string& target, std::time_t entryTime, Overwrite mode, std::string& why) {
  struct stat st;
  if (::lstat(target.c_str(), &st) != 0) return true;
  switch (mode) {
    case Overwrite::Always:
      return true;
    case Overwrite::Never:
      why = "already exists, skipped";
      return false;
    case Overwrite::IfNewer:
      if (entryTime > st.st_mtime) return true;
      why = "same or newer file exists, skipped";
      return false;
  }
  return false;
}

void ApplyMeta(const std::string& target, std::time_t mtime, uint32_t attr, bool isDir) {
  if (mtime > 0) {
    struct timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = mtime;
    ts[0].tv_nsec = ts[1].tv_nsec = 0;
    ::utimensat(AT_FDCWD, target.c_str(), ts, AT_SYMLINK_NOFOLLOW);
  }
  if (!isDir && (attr & kAttrRO)) {
    struct stat st;
    if (::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::chmod(target.c_str(), st.st_mode & ~0222);
  }
}

bool LinkStaysInside(const std::string& entryPath, const std::string& linkTarget) {
  if (linkTarget.empty() || linkTarget[0] == '/' || linkTarget[0] == '\\') return false;
  if (linkTarget.size() >= 2 && linkTarget[1] == ':') return false;
  int depth = 0;
  for (char c : entryPath)
    if (c == '/') ++depth;
  std::string t = linkTarget;
  for (char& c : t)
    if (c == '\\') c = '/';
  size_t start = 0;
  while (start <= t.size()) {
    size_t end = t.find('/', start);
    if (end == std::string::npos) end = t.size();
    std::string part = t.substr(start, end - start);
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (!part.empty() && part != ".") {
      ++depth;
    }
    start = end + 1;
  }
  return true;
}

// ---- collecting files to pack -----------------------------------------

namespace {
bool HasWild(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

void AddItem(const std::string& disk, const std::string& stored, const struct stat& st, std::vector<PackItem>& out) {
  PackItem it;
  it.disk = disk;
  // A "\\" of a name on disk is a character; formats whose names use it
  // as a separator read it back as one.
  it.stored = NormalizeSlashes(stored, false);
  it.isDir = S_ISDIR(st.st_mode);
  it.mtime = st.st_mtime;
  it.size = it.isDir ? 0 : static_cast<uint64_t>(st.st_size);
  it.attr = it.isDir ? kAttrDir : kAttrArchive;
  if (!(st.st_mode & S_IWUSR)) it.attr |= kAttrRO;
  std::string base = stored.substr(stored.rfind('/') == std::string::npos ? 0 : stored.rfind('/') + 1);
  if (!base.empty() && base[0] == '.') it.attr |= kAttrHidden;
  if (!it.stored.empty()) out.push_back(std::move(it));
}

// A symbolic link met while packing: a link item, or a warning.
void AddLink(const std::string& disk, const std::string& stored, const struct stat& st, bool storeLinks,
             std::vector<PackItem>& out, Report& rep) {
  if (!storeLinks) {
    rep.Utf8Line("Warning: symbolic link skipped: " + stored);
    return;
  }
  std::string target(4096, '\0');
  ssize_t n = ::readlink(disk.c_str(), target.data(), target.size());
  if (n <= 0 || static_cast<size_t>(n) >= target.size()) {
    rep.Utf8Line("Warning: unreadable symbolic link skipped: " + stored);
    return;
  }
  target.resize(static_cast<size_t>(n));
  AddItem(disk, stored, st, out);
  if (out.empty() || out.back().disk != disk) return;
  out.back().isLink = true;
  out.back().linkTarget = target;
  out.back().size = 0;
}

void Walk(const std::string& disk, const std::string& stored, bool includeHidden, bool storeLinks,
          std::vector<PackItem>& out, Report& rep) {
  DIR* d = ::opendir(disk.c_str());
  if (!d) {
    rep.Utf8Line("Warning: folder cannot be opened, skipped: " + stored);
    return;
  }
  std::vector<std::string> names;
  while (dirent* de = ::readdir(d)) {
    std::string n = de->d_name;
    if (n == "." || n == "..") continue;
    if (!includeHidden && n[0] == '.') continue;
    names.push_back(n);
  }
  ::closedir(d);
  std::sort(names.begin(), names.end());
  for (const auto& n : names) {
    std::string p = disk + "/" + n;
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0) continue;
    std::string s = stored.empty() ? n : stored + "/" + n;
    // A link is never followed: a link to ".." would leave the named
    // tree, two of them would loop.
    if (S_ISLNK(st.st_mode)) {
      AddLink(p, s, st, storeLinks, out, rep);
    } else if (S_ISDIR(st.st_mode)) {
      AddItem(p, s, st, out);
      Walk(p, s, includeHidden, storeLinks, out, rep);
    } else if (S_ISREG(st.st_mode)) {
      AddItem(p, s, st, out);
    }
  }
}

std::string StoredName(const std::string& name, const std::string& base, bool storedPaths) {
  std::string n = NormalizeSlashes(name, false);
  if (!storedPaths) {
    size_t slash = n.rfind('/');
    return slash == std::string::npos ? n : n.substr(slash + 1);
  }
  if (!base.empty() && !name.empty() && name[0] == '/') {
    std::string b = NormalizeSlashes(base, false);
    if (n.compare(0, b.size(), b) == 0 && n.size() > b.size() && n[b.size()] == '/') return n.substr(b.size() + 1);
  }
  // Only a relative form goes into an archive.
  std::vector<std::string> parts;
  size_t start = 0;
  std::string out;
  while (start <= n.size()) {
    size_t end = n.find('/', start);
    if (end == std::string::npos) end = n.size();
    std::string part = n.substr(start, end - start);
    if (!part.empty() && part != "." && part != "..") out += (out.empty() ? "" : "/") + part;
    start = end + 1;
  }
  return out;
}
}  // namespace

int CollectFiles(const std::vector<std::string>& names, const std::string& baseFolder, bool storedPaths, bool recurse,
                 bool includeHidden, std::vector<PackItem>& out, Report& rep, bool storeLinks) {
  for (const std::string& raw : names) {
    std::string name = raw;
    std::string disk = (!name.empty() && name[0] == '/') || baseFolder.empty() ? name : OutputFolder(baseFolder) + name;
    // A name that exists as given is that file, whatever it holds.
    if (HasWild(name) && !PathExists(disk)) {
      size_t slash = disk.rfind('/');
      std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : disk.substr(0, slash));
      std::string mask = slash == std::string::npos ? disk : disk.substr(slash + 1);
      size_t nslash = name.rfind('/');
      std::string storedDir = nslash == std::string::npos ? "" : name.substr(0, nslash + 1);
      DIR* d = ::opendir(dir.c_str());
      if (!d) {
        rep.Utf8Line("Cannot open folder: " + dir);
        return kErrFileOpen;
      }
      std::vector<std::string> found;
      while (dirent* de = ::readdir(d)) {
        std::string n = de->d_name;
        if (n == "." || n == "..") continue;
        if (!includeHidden && n[0] == '.') continue;
        if (DiskWildMatch(mask, n)) found.push_back(n);
      }
      ::closedir(d);
      std::sort(found.begin(), found.end());
      for (const auto& n : found) {
        std::string p = dir + "/" + n;
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0) continue;
        std::string s = StoredName(storedDir + n, baseFolder, storedPaths);
        if (S_ISLNK(st.st_mode)) {
          AddLink(p, s, st, storeLinks, out, rep);
        } else if (S_ISDIR(st.st_mode)) {
          if (!recurse) continue;
          AddItem(p, s, st, out);
          Walk(p, s, includeHidden, storeLinks, out, rep);
        } else if (S_ISREG(st.st_mode)) {
          AddItem(p, s, st, out);
        }
      }
      continue;
    }
    struct stat st;
    if (::stat(disk.c_str(), &st) != 0 && ::lstat(disk.c_str(), &st) != 0) {
      rep.Utf8Line("File not found: " + raw);
      return kErrFileOpen;
    }
    std::string s = StoredName(name, baseFolder, storedPaths);
    // A named link stays a link too (callers that mean the folder behind a
    // link list its files themselves).
    struct stat lst;
    if (::lstat(disk.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
      AddLink(disk, s, lst, storeLinks, out, rep);
    } else if (S_ISDIR(st.st_mode)) {
      if (!recurse) {
        // Without -r a named folder is the folder alone, as zip packs it.
        if (!s.empty()) AddItem(disk, s, st, out);
        continue;
      }
      if (!s.empty()) AddItem(disk, s, st, out);
      Walk(disk, s, includeHidden, storeLinks, out, rep);
    } else if (S_ISREG(st.st_mode)) {
      AddItem(disk, s, st, out);
    }
  }
  return kOk;
}

void DropArchiveItself(std::vector<PackItem>& items, const std::string& archive) {
  struct stat a;
  if (::stat(archive.c_str(), &a) != 0) return;
  items.erase(std::remove_if(items.begin(), items.end(),
                             [&](const PackItem& it) {
                               struct stat st;
                               return ::stat(it.disk.c_str(), &st) == 0 && st.st_dev == a.st_dev &&
                                      st.st_ino == a.st_ino;
                             }),
              items.end());
}

}  // namespace navirt::arc

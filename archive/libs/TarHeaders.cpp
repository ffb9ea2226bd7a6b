#include "archive/libs/TarHeaders.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cstring>

namespace navirt::arc::tarlib {

namespace {

constexpr uint64_t kBlock = 512;

// A name field: up to its first zero byte.
std::string Field(const unsigned char* p, size_t n) {
  size_t len = 0;
  while (len < n && p[len]) ++len;
  return std::string(reinterpret_cast<const char*>(p), len);
}

// An octal number, or GNU's base-256 form (first byte 0x80); false when it
// is neither.
bool Number(const unsigned char* p, size_t n, uint64_t& v) {
  v = 0;
  if (p[0] == 0x80) {
    for (size_t i = 1; i < n; ++i) {
      if (v >> 56) return false;
      v = (v << 8) | p[i];
    }
    return true;
  }
  size_t i = 0;
  while (i < n && p[i] == ' ') ++i;
  bool any = false;
  for (; i < n && p[i] >= '0' && p[i] <= '7'; ++i) {
    if (v >> 60) return false;
    v = (v << 3) | (p[i] - '0');
    any = true;
  }
  for (; i < n; ++i)
    if (p[i] != ' ' && p[i] != 0) return false;
  return any || p[0] == 0 || p[0] == ' ';
}

bool ChecksumOk(const unsigned char* b) {
  uint64_t stored;
  if (!Number(b + 148, 8, stored)) return false;
  // The whole block, then the checksum field counted as blanks.
  uint32_t sum = 0;
  for (uint64_t i = 0; i < kBlock; ++i) sum += b[i];
  for (uint64_t i = 148; i < 156; ++i) sum -= b[i];
  return sum + 8 * ' ' == stored;
}

bool AllZero(const unsigned char* b) {
  uint64_t any = 0;
  for (uint64_t i = 0; i < kBlock; i += 8) {
    uint64_t w;
    std::memcpy(&w, b + i, 8);
    any |= w;
  }
  return any == 0;
}

uint64_t Padded(uint64_t size) { return (size + kBlock - 1) / kBlock * kBlock; }

}  // namespace

bool TarHeaderReader::Open(const std::string& path) {
  pos_ = 0;
  unknown_ = false;
  if (!in_.Open(path)) return false;
#ifdef MADV_POPULATE_READ
  // A tar of small files has a header in every page: map them all in one
  // call rather than fault them in one by one. A large archive may be mostly
  // data never read here; it is left to fault as it goes.
  constexpr uint64_t kPopulateLimit = 256ull << 20;
  if (in_.Size() > 0 && in_.Size() <= kPopulateLimit)
    ::madvise(const_cast<unsigned char*>(in_.Data()), in_.Size(), MADV_POPULATE_READ);
#endif
  return true;
}

// pax records "LEN key=value\n"; the keys that change what is listed are
// taken, those that change nothing listed are passed over, any other is
// left to libarchive.
bool TarHeaderReader::ReadPax(uint64_t off, uint64_t size, TarHeader& h, bool& haveSize, bool& haveTime) {
  if (!in_.Has(off, size)) return false;
  std::string_view all = in_.View(off, size);
  size_t at = 0;
  while (at < all.size()) {
    size_t sp = all.find(' ', at);
    if (sp == std::string_view::npos) return false;
    uint64_t len = 0;
    for (size_t i = at; i < sp; ++i) {
      if (all[i] < '0' || all[i] > '9' || len > (1u << 30)) return false;
      len = len * 10 + (all[i] - '0');
    }
    if (len < sp - at + 3 || at + len > all.size() || all[at + len - 1] != '\n') return false;
    std::string_view rec = all.substr(sp + 1, at + len - 1 - (sp + 1));
    size_t eq = rec.find('=');
    if (eq == std::string_view::npos) return false;
    std::string_view key = rec.substr(0, eq), value = rec.substr(eq + 1);
    if (key == "path") {
      h.path.assign(value);
    } else if (key == "linkpath") {
      h.linkTarget.assign(value);
    } else if (key == "size" || key == "mtime") {
      // Digits, and for mtime a fraction libarchive drops.
      uint64_t v = 0;
      size_t i = 0;
      for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
        if (v > (1ull << 58)) return false;
        v = v * 10 + (value[i] - '0');
      }
      if (i == 0 || (i < value.size() && (key == "size" || value[i] != '.'))) return false;
      if (key == "size") {
        h.size = v;
        haveSize = true;
      } else {
        h.mtime = static_cast<std::time_t>(v);
        haveTime = true;
      }
    } else if (!(key == "uid" || key == "gid" || key == "uname" || key == "gname" || key == "atime" || key == "ctime" ||
                 key.substr(0, 6) == "SCHILY" || key.substr(0, 10) == "LIBARCHIVE")) {
      return false;
    }
    at += len;
  }
  return true;
}

bool TarHeaderReader::Next(TarHeader& h) {
  h = TarHeader{};
  std::string longName, longLink;
  bool haveLongName = false, haveLongLink = false, havePaxSize = false, havePaxTime = false;
  TarHeader pax;
  bool havePax = false;
  while (true) {
    if (!in_.Has(pos_, kBlock)) return pos_ == in_.Size() && !haveLongName && !havePax ? false : Fail();
    const unsigned char* b = in_.Data() + pos_;
    // The end: a block of zeros (a header always names something).
    if (b[0] == 0 && AllZero(b)) return haveLongName || haveLongLink || havePax ? Fail() : false;
    if (!ChecksumOk(b)) return Fail();
    uint64_t size = 0, mode = 0, mtime = 0;
    if (!Number(b + 124, 12, size) || !Number(b + 100, 8, mode) || !Number(b + 136, 12, mtime)) return Fail();
    const char type = static_cast<char>(b[156]);
    const uint64_t data = pos_ + kBlock;
    if (!in_.Has(data, size)) return Fail();
    const bool posix = std::memcmp(b + 257, "ustar\0", 6) == 0;
    const bool gnu = std::memcmp(b + 257, "ustar  \0", 8) == 0;
    if (!posix && !gnu && b[257] != 0) return Fail();
    pos_ = data + Padded(size);
    if (type == 'L' || type == 'K') {
      std::string& s = type == 'L' ? longName : longLink;
      s = Field(in_.Data() + data, size);
      (type == 'L' ? haveLongName : haveLongLink) = true;
      continue;
    }
    if (type == 'x') {
      if (!ReadPax(data, size, pax, havePaxSize, havePaxTime)) return Fail();
      havePax = true;
      continue;
    }
    if (!(type == '0' || type == '\0' || type == '7' || type == '1' || type == '2' || type == '3' || type == '4' ||
          type == '5' || type == '6'))
      return Fail();
    h.type = type;
    h.path = Field(b, 100);
    if (posix && b[345]) h.path = Field(b + 345, 155) + "/" + h.path;
    h.linkTarget = Field(b + 157, 100);
    if (haveLongName) h.path = longName;
    if (haveLongLink) h.linkTarget = longLink;
    if (havePax && !pax.path.empty()) h.path = pax.path;
    if (havePax && !pax.linkTarget.empty()) h.linkTarget = pax.linkTarget;
    h.size = havePaxSize ? pax.size : size;
    h.mode = static_cast<uint32_t>(mode & 07777);
    h.mtime = havePaxTime ? pax.mtime : static_cast<std::time_t>(mtime);
    // A pax size other than the header's moves where the next header is.
    if (havePaxSize) {
      if (!in_.Has(data, h.size)) return Fail();
      pos_ = data + Padded(h.size);
    }
    // Old archives mark a folder by its trailing "/" alone.
    if ((type == '0' || type == '\0') && !h.path.empty() && h.path.back() == '/') h.type = '5';
    // Links and special files carry no data of their own here.
    if (type != '0' && type != '\0' && type != '7' && h.size != 0 && type != '1') return Fail();
    return true;
  }
}

void FillEntryFromHeader(const TarHeader& h, bool utf8, ArcEntry& e) {
  bool fb = false;
  // "\\" is a character of a tar name.
  e.path = NameFromArchive(h.path, utf8, fb, false);
  e.nameFallback = fb;
  while (e.path.size() >= 2 && e.path[0] == '.' && e.path[1] == '/') e.path.erase(0, 2);
  e.size = h.size;
  e.packed = e.size;
  e.mtime = h.mtime;
  UnixToDos(e.mtime, e.dosDate, e.dosTime);
  e.isDir = h.type == '5';
  e.isLink = h.type == '2';
  e.attr = e.isDir ? kAttrDir : kAttrArchive;
  if (!(h.mode & S_IWUSR)) e.attr |= kAttrRO;
  if (e.isLink) e.linkTarget = NameFromArchive(h.linkTarget, utf8, fb, false);
  if (h.type == '1') {
    // Another name of an entry that came earlier in the archive.
    e.linkTarget = NameFromArchive(h.linkTarget, utf8, fb, false);
    e.isHardLink = true;
    e.method = "hlink";
  } else {
    e.method = "tar";
  }
  if (h.type == '3' || h.type == '4' || h.type == '6') {
    e.unsupported = true;
    e.method = "special";
  }
  e.os = 3;
}

}  // namespace navirt::arc::tarlib

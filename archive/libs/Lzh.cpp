#include "archive/libs/Lzh.h"

#include <lhasa.h>

#include <algorithm>
#include <cstring>
#include <queue>

#include "platform/Cp932.h"

namespace navirt::arc::lzh {
namespace {

// The code page the 0x46 extended header names for UTF-8 names.
constexpr uint32_t kUtf8CodePage = 65001;

uint32_t OsNumber(unsigned char id) {
  switch (id) {
    case 'M':
      return 0;
    case '2':
      return 1;
    case '9':
      return 2;
    case 'K':
      return 3;
    case '3':
      return 4;
    case 'H':
      return 5;
    case 'U':
      return 6;
    case 'C':
      return 7;
    case 'F':
      return 8;
    case 'm':
      return 9;
    case 'A':
      return 10;
    case 'J':
      return 11;
    case 'w':
      return 12;
    case 'W':
      return 13;
    default:
      return 14;
  }
}

bool IsMethod(const unsigned char* p) {
  return p[0] == '-' && p[1] == 'l' && (p[2] == 'h' || p[2] == 'z') && p[4] == '-';
}

std::string Utf16LeToUtf8(const unsigned char* p, size_t n) {
  std::u16string u;
  for (size_t i = 0; i + 1 < n; i += 2) u += static_cast<char16_t>(p[i] | (p[i + 1] << 8));
  return Utf16ToUtf8(u);
}

// What the parts of one header leave for the next step.
struct RawHeader {
  uint64_t packed = 0;  // the size field: data, and extended headers at level 1
  std::string rawName, rawDir, utfName, utfDir;
  bool haveUtfName = false, haveUtfDir = false;
  bool utf8Names = false;  // the code-page header says 65001
  uint64_t extStart = 0;
  uint32_t extSizeWidth = 2;
  uint64_t firstExt = 0;
  uint64_t headerEnd = 0;
  bool haveUnixTime = false;
  std::time_t unixTime = 0;
};

int Truncated(std::string& why, const char* what = "truncated header") {
  why = what;
  return -1;
}

// Levels 0 and 1: a checksummed base header with the name in it.
int ParseLevel01(const InputFile& in, uint64_t off, int level, ArcEntry& e, RawHeader& r, std::string& why) {
  const unsigned char* h = in.Data() + off;
  uint64_t hsize = h[0] + 2ull;
  if (!in.Has(off, hsize) || hsize < 24) return Truncated(why);
  unsigned sum = 0;
  for (uint64_t i = 2; i < hsize; ++i) sum += h[i];
  if ((sum & 0xFF) != h[1]) {
    why = "header checksum mismatch";
    return -2;
  }
  e.dosTime = Le16(h + 15);
  e.dosDate = Le16(h + 17);
  e.mtime = DosToUnix(e.dosDate, e.dosTime);
  unsigned n = h[21];
  if (22ull + n + 2 > hsize) return Truncated(why, "name runs past the header");
  r.rawName.assign(reinterpret_cast<const char*>(h + 22), n);
  e.crc = Le16(h + 22 + n);
  if (level == 0) {
    e.attr = h[19];
    e.os = OsNumber('M');
    r.headerEnd = off + hsize;
    e.packed = r.packed;
    return 1;
  }
  if (22ull + n + 5 > hsize) return Truncated(why, "truncated level-1 header");
  e.os = OsNumber(h[22 + n + 2]);
  r.firstExt = Le16(h + hsize - 2);
  r.extStart = off + hsize;
  e.attr = kAttrArchive;
  return 1;
}

// Levels 2 and 3: the header's whole size first, names in extended headers.
int ParseLevel23(const InputFile& in, uint64_t off, int level, ArcEntry& e, RawHeader& r, std::string& why) {
  const unsigned char* h = in.Data() + off;
  const uint64_t base = level == 2 ? 26 : 32;
  if (!in.Has(off, base)) return Truncated(why);
  uint64_t total = level == 2 ? Le16(h) : Le32(h + 24);
  r.firstExt = level == 2 ? Le16(h + 24) : Le32(h + 28);
  r.extStart = off + base;
  r.extSizeWidth = level == 2 ? 2 : 4;
  if (total < base) return Truncated(why, "header size too small");
  if (!in.Has(off, total)) return Truncated(why);
  e.crc = Le16(h + 21);
  e.os = OsNumber(h[23]);
  e.mtime = static_cast<std::time_t>(Le32(h + 15));
  UnixToDos(e.mtime, e.dosDate, e.dosTime);
  r.headerEnd = off + total;
  e.packed = r.packed;
  e.attr = kAttrArchive;
  return 1;
}

// One extended header's content.
void TakeExtended(unsigned type, const unsigned char* d, uint64_t dn, ArcEntry& e, RawHeader& r) {
  switch (type) {
    case 0x01:
      r.rawName.assign(reinterpret_cast<const char*>(d), dn);
      break;
    case 0x02:
      r.rawDir.assign(reinterpret_cast<const char*>(d), dn);
      break;
    case 0x40:
      if (dn >= 2) e.attr = Le16(d);
      break;
    case 0x44:
      r.utfName = Utf16LeToUtf8(d, dn);
      r.haveUtfName = true;
      break;
    case 0x45:
      r.utfDir = Utf16LeToUtf8(d, dn);
      r.haveUtfDir = true;
      break;
    case 0x46:
      if (dn >= 4) r.utf8Names = Le32(d) == kUtf8CodePage;
      break;
    case 0x54:
      if (dn >= 4) {
        r.unixTime = static_cast<std::time_t>(Le32(d));
        r.haveUnixTime = true;
      }
      break;
    default:
      break;
  }
}

int ReadExtendedHeaders(const InputFile& in, int level, ArcEntry& e, RawHeader& r, std::string& why) {
  uint64_t pos = r.extStart;
  uint64_t next = r.firstExt;
  uint64_t extTotal = 0;
  int guard = 0;
  while (next != 0) {
    if (++guard > 4096 || next < r.extSizeWidth + 1 || !in.Has(pos, next))
      return Truncated(why, "broken extended header");
    const unsigned char* x = in.Data() + pos;
    TakeExtended(x[0], x + 1, next - 1 - r.extSizeWidth, e, r);
    extTotal += next;
    pos += next;
    next = r.extSizeWidth == 2 ? Le16(x + next - 2) : Le32(x + next - 4);
  }
  if (level == 1) {
    if (extTotal > r.packed) return Truncated(why, "extended headers larger than the entry");
    e.packed = r.packed - extTotal;
    r.headerEnd = pos;
    if (r.haveUnixTime && e.dosDate == 0) {
      e.mtime = r.unixTime;
      UnixToDos(e.mtime, e.dosDate, e.dosTime);
    }
  }
  return 1;
}

// Names: decoded first, split after; a Unix link is "name|target".
void DecodeNames(const RawHeader& r, ArcEntry& e) {
  bool fb1 = false, fb2 = false;
  std::string dir;
  if (r.haveUtfDir) {
    dir = r.utfDir;
    for (char& c : dir)
      if (c == '\\' || c == '\xFF') c = '/';
  } else if (!r.rawDir.empty()) {
    size_t start = 0;
    while (start < r.rawDir.size()) {
      size_t end = r.rawDir.find('\xFF', start);
      if (end == std::string::npos) end = r.rawDir.size();
      bool fb = false;
      std::string part = NameFromArchive(std::string_view(r.rawDir).substr(start, end - start), r.utf8Names, fb);
      fb2 = fb2 || fb;
      if (!part.empty()) dir += (dir.empty() ? "" : "/") + part;
      start = end + 1;
    }
  }
  std::string name = r.haveUtfName ? r.utfName : NameFromArchive(r.rawName, r.utf8Names, fb1);
  for (char& c : name)
    if (c == '\\') c = '/';
  e.nameFallback = fb1 || fb2;
  e.path = dir.empty() ? name : (name.empty() ? dir : dir + "/" + name);
  while (!e.path.empty() && e.path.back() == '/') e.path.pop_back();
  e.isDir = e.method == "-lhd-";
  if (e.isDir) e.attr |= kAttrDir;
  size_t bar = e.path.find('|');
  if (e.isDir && bar != std::string::npos) {
    e.isLink = true;
    e.isDir = false;
    e.linkTarget = e.path.substr(bar + 1);
    e.path.resize(bar);
  }
}

// Parses one header at off. Returns 1 for an entry, 0 at the end, or a
// negative number when the header is broken.
int ParseHeader(const InputFile& in, uint64_t off, ArcEntry& e, std::string& why) {
  if (!in.Has(off, 1) || in.Data()[off] == 0) return 0;
  if (!in.Has(off, 24)) return Truncated(why);
  const unsigned char* h = in.Data() + off;
  if (!IsMethod(h + 2)) return Truncated(why, "not an LHA header");
  const int level = h[20];
  e = ArcEntry{};
  e.level = level;
  e.headerOffset = off;
  e.method.assign(reinterpret_cast<const char*>(h + 2), 5);
  RawHeader r;
  r.packed = Le32(h + 7);
  e.size = Le32(h + 11);
  int rc;
  if (level == 0 || level == 1)
    rc = ParseLevel01(in, off, level, e, r, why);
  else if (level == 2 || level == 3)
    rc = ParseLevel23(in, off, level, e, r, why);
  else
    rc = Truncated(why, "unknown header level");
  if (rc != 1) return rc;
  if (level >= 1 && (rc = ReadExtendedHeaders(in, level, e, r, why)) != 1) return rc;
  e.dataOffset = r.headerEnd;
  e.headerSize = r.headerEnd - off;
  DecodeNames(r, e);
  if (!in.Has(e.dataOffset, e.packed)) {
    why = "entry data runs past the end of the archive";
    return -3;
  }
  static const char* known[] = {"-lh0-", "-lh1-", "-lh4-", "-lh5-", "-lh6-", "-lh7-",
                                "-lhd-", "-lzs-", "-lz4-", "-lz5-", "-lhx-"};
  e.unsupported = std::none_of(std::begin(known), std::end(known), [&](const char* m) { return e.method == m; });
  return 1;
}

bool HeaderAt(const InputFile& in, uint64_t off) {
  ArcEntry e;
  std::string why;
  return ParseHeader(in, off, e, why) == 1;
}

}  // namespace

int64_t FindStart(const InputFile& in) {
  // What looks like a header at the start is one; a broken one is an
  // error, not a reason to look further in.
  if (in.Has(0, 7) && IsMethod(in.Data() + 2)) return 0;
  if (HeaderAt(in, 0)) return 0;
  uint64_t limit = std::min<uint64_t>(in.Size(), 65536);
  for (uint64_t i = 1; i + 7 < limit; ++i) {
    if (in.Data()[i + 2] == '-' && IsMethod(in.Data() + i + 2) && HeaderAt(in, i)) return static_cast<int64_t>(i);
  }
  return -1;
}

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why) {
  int64_t start = FindStart(in);
  if (start < 0) {
    // An empty archive is a lone terminating zero byte.
    if (in.Size() == 1 && in.Data()[0] == 0) return kOk;
    why = "not an LHA archive";
    return kErrFileStyle;
  }
  uint64_t off = static_cast<uint64_t>(start);
  while (true) {
    ArcEntry e;
    int r = ParseHeader(in, off, e, why);
    if (r == 0) break;
    if (r == -2) return kErrHeaderCrc;
    if (r == -3) return kErrEof;
    if (r < 0) return kErrHeaderBroken;
    off = e.dataOffset + e.packed;
    out.push_back(std::move(e));
  }
  return kOk;
}

namespace {
struct Feed {
  const unsigned char* p;
  size_t left;
};
size_t FeedCallback(void* buf, size_t len, void* user) {
  Feed* f = static_cast<Feed*>(user);
  size_t n = std::min(len, f->left);
  std::memcpy(buf, f->p, n);
  f->p += n;
  f->left -= n;
  return n;
}
}  // namespace

int Unpack(const InputFile& in, const ArcEntry& e, const Sink& sink, std::string& why) {
  if (e.isDir || e.isLink) return kOk;
  const unsigned char* src = in.Data() + e.dataOffset;
  uint16_t crc = 0;
  if (e.method == "-lh0-" || e.method == "-lz4-") {
    if (e.packed != e.size) {
      why = "stored entry has mismatched sizes";
      return kErrHeaderBroken;
    }
    crc = Crc16Of(in, src, e.size);
    if (crc != static_cast<uint16_t>(e.crc)) {
      why = "CRC mismatch";
      return kErrFileCrc;
    }
    if (!sink(src, e.size)) {
      why = "write error";
      return kErrCannotWrite;
    }
    return kOk;
  }
  char name[8];
  std::memcpy(name, e.method.c_str(), 6);
  LHADecoderType* type = lha_decoder_for_name(name);
  if (!type) {
    why = "unsupported method " + e.method;
    return kErrNotSupport;
  }
  Feed feed{src, static_cast<size_t>(e.packed)};
  LHADecoder* dec = lha_decoder_new(type, FeedCallback, &feed, static_cast<size_t>(e.size));
  if (!dec) {
    why = "out of memory";
    return kErrMoreHeapMemory;
  }
  std::vector<uint8_t> buf(65536);
  uint64_t done = 0;
  int rc = kOk;
  while (done < e.size) {
    size_t want = static_cast<size_t>(std::min<uint64_t>(buf.size(), e.size - done));
    size_t got = lha_decoder_read(dec, buf.data(), want);
    if (got == 0) {
      why = "compressed data ends early";
      rc = kErrHuffmanCode;
      break;
    }
    crc = Crc16(crc, buf.data(), got);
    if (!sink(buf.data(), got)) {
      why = "write error";
      rc = kErrCannotWrite;
      break;
    }
    done += got;
  }
  lha_decoder_free(dec);
  if (rc == kOk && crc != static_cast<uint16_t>(e.crc)) {
    why = "CRC mismatch";
    rc = kErrFileCrc;
  }
  return rc;
}

std::string BuildHeader(const std::string& path, bool isDir, const std::string& method, uint64_t packed, uint64_t size,
                        uint16_t crc, std::time_t mtime, uint32_t attr, bool& nameOk) {
  std::string cp = NameToCp932(path, nameOk);
  // A name CP932 cannot hold goes out as UTF-8 under the code-page header,
  // which readers that know it take as such; nothing is lost to %XX.
  const bool utf8 = !nameOk && IsValidUtf8(path);
  if (utf8) {
    cp = path;
    nameOk = true;
  }
  std::string dir, name;
  if (isDir) {
    dir = cp;
  } else {
    // "/" is ASCII and never a CP932 trail byte, so splitting here is safe.
    size_t slash = cp.rfind('/');
    if (slash != std::string::npos) {
      dir = cp.substr(0, slash);
      name = cp.substr(slash + 1);
    } else {
      name = cp;
    }
  }
  std::string h;
  Put16(h, 0);  // total size, patched below
  h += method.substr(0, 5);
  Put32(h, static_cast<uint32_t>(packed));
  Put32(h, static_cast<uint32_t>(size));
  Put32(h, static_cast<uint32_t>(mtime));
  h += char(0x20);
  h += char(2);
  Put16(h, crc);
  h += 'M';
  std::string ext;
  auto addExt = [&](unsigned char type, const std::string& data) {
    Put16(h, static_cast<uint16_t>(data.size() + 3));  // previous "next size"
    h += static_cast<char>(type);
    h += data;
  };
  addExt(0x00, std::string(2, '\0'));
  size_t crcPos = h.size() - 2;
  if (!name.empty() || !isDir) addExt(0x01, name);
  if (!dir.empty()) {
    std::string d;
    for (char c : dir) d += c == '/' ? '\xFF' : c;
    d += '\xFF';
    addExt(0x02, d);
  }
  std::string a;
  Put16(a, static_cast<uint16_t>(attr));
  addExt(0x40, a);
  if (utf8) {
    std::string cpId;
    Put32(cpId, kUtf8CodePage);
    addExt(0x46, cpId);
  }
  Put16(h, 0);  // no more extended headers
  if ((h.size() & 0xFF) == 0) h += '\0';
  h[0] = static_cast<char>(h.size() & 0xFF);
  h[1] = static_cast<char>((h.size() >> 8) & 0xFF);
  uint16_t hc = Crc16(0, h.data(), h.size());
  h[crcPos] = static_cast<char>(hc & 0xFF);
  h[crcPos + 1] = static_cast<char>(hc >> 8);
  return h;
}

}  // namespace navirt::arc::lzh

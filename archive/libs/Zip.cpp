#include "archive/libs/Zip.h"

#include <bzlib.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "archive/libs/LibFrame.h"
#include "archive/libs/LibMessages.h"
#include "platform/Cp932.h"

namespace navirt::arc::zip {
namespace {

int64_t FindEnd(const InputFile& in) {
  if (in.Size() < 22) return -1;
  uint64_t stop = in.Size() > 65557 ? in.Size() - 65557 : 0;
  for (uint64_t i = in.Size() - 22 + 1; i-- > stop;) {
    if (Le32(in.Data() + i) == kEndSig) return static_cast<int64_t>(i);
  }
  return -1;
}

const char* MethodName(unsigned m) {
  switch (m) {
    case 0:
      return "Stored";
    case 8:
      return "Deflate";
    case 9:
      return "Defl64";
    case 12:
      return "BZip2";
    case 14:
      return "LZMA";
    case 99:
      return "AES";
    default:
      return nullptr;
  }
}

}  // namespace

namespace {

// Where the central directory lies: from the end record, or its Zip64 form.
struct CentralDir {
  uint64_t count = 0, size = 0, offset = 0;
  uint64_t shift = 0;  // a self-extracting stub before the archive
};

int FindCentralDir(const InputFile& in, CentralDir& cd, std::string& why) {
  int64_t end = FindEnd(in);
  if (end < 0) {
    why = "no ZIP end record";
    return kErrFileStyle;
  }
  const unsigned char* eocd = in.Data() + end;
  cd.count = Le16(eocd + 10);
  cd.size = Le32(eocd + 12);
  cd.offset = Le32(eocd + 16);
  if (cd.offset == 0xFFFFFFFFu || cd.count == 0xFFFF) {
    // Zip64: the locator sits just before the end record.
    if (end >= 20 && Le32(in.Data() + end - 20) == 0x07064B50) {
      uint64_t rec = Le32(in.Data() + end - 12) | (uint64_t(Le32(in.Data() + end - 8)) << 32);
      if (in.Has(rec, 56) && Le32(in.Data() + rec) == 0x06064B50) {
        const unsigned char* r = in.Data() + rec;
        cd.count = Le32(r + 32) | (uint64_t(Le32(r + 36)) << 32);
        cd.size = Le32(r + 40) | (uint64_t(Le32(r + 44)) << 32);
        cd.offset = Le32(r + 48) | (uint64_t(Le32(r + 52)) << 32);
      }
    }
  }
  // A prefix (self-extracting stub) shifts every offset; Zip64 records
  // between the directory and the end record do not.
  bool atOffset = in.Has(cd.offset, 4) && Le32(in.Data() + cd.offset) == kCentralSig;
  if (!atOffset && static_cast<uint64_t>(end) >= cd.size && cd.offset + cd.size < static_cast<uint64_t>(end))
    cd.shift = static_cast<uint64_t>(end) - cd.size - cd.offset;
  if (!in.Has(cd.offset + cd.shift, cd.size)) {
    why = "central directory out of range";
    return kErrHeaderBroken;
  }
  return kOk;
}

// Extra fields of a central record: Zip64 sizes, Unicode path, Unix time.
void ReadExtras(const unsigned char* x, unsigned xlen, std::string_view rawName, ArcEntry& e, uint64_t& lho,
                std::string& unicodePath) {
  for (unsigned i = 0; i + 4 <= xlen;) {
    unsigned id = Le16(x + i), sz = Le16(x + i + 2);
    if (i + 4 + sz > xlen) break;
    const unsigned char* d = x + i + 4;
    if (id == 0x0001) {
      unsigned o = 0;
      for (uint64_t* v : {&e.size, &e.packed, &lho}) {
        if (*v == 0xFFFFFFFFu && o + 8 <= sz) {
          *v = Le32(d + o) | (uint64_t(Le32(d + o + 4)) << 32);
          o += 8;
        }
      }
    } else if (id == 0x7075 && sz >= 5 && d[0] == 1) {
      if (Le32(d + 1) == Crc32(0, rawName.data(), rawName.size()))
        unicodePath.assign(reinterpret_cast<const char*>(d + 5), sz - 5);
    } else if (id == 0x5455 && sz >= 5 && (d[0] & 1)) {
      e.mtime = static_cast<std::time_t>(static_cast<int32_t>(Le32(d + 1)));
    }
    i += 4 + sz;
  }
}

// The name, kind and attributes the record gives.
void DecodeName(std::string_view rawName, const std::string& unicodePath, unsigned host, unsigned flags, uint32_t eattr,
                ArcEntry& e) {
  bool fb = false;
  // A "\\" is a separator of Windows zips; Unix hosts write it as part
  // of a name (Info-ZIP, bsdtar and 7-Zip on Linux alike).
  const bool unixHost = host == 3 || host == 19;
  // Without the UTF-8 flag a name is Shift_JIS, except from a Unix host
  // whose name reads as UTF-8 (Info-ZIP on Linux sets no flag).
  const bool utf8 = (flags & 0x800) != 0 || (unixHost && IsValidUtf8(rawName));
  if (!unicodePath.empty() && IsValidUtf8(unicodePath))
    e.path = NameFromArchive(unicodePath, true, fb, !unixHost);
  else
    e.path = NameFromArchive(rawName, utf8, fb, !unixHost);
  e.nameFallback = fb;
  e.isDir = !rawName.empty() && (rawName.back() == '/' || rawName.back() == '\\');
  e.attr = eattr & 0xFF;
  if (unixHost) {
    uint32_t mode = eattr >> 16;
    if (S_ISDIR(mode)) e.isDir = true;
    if (S_ISLNK(mode)) e.isLink = true;
    if (mode && !(mode & S_IWUSR)) e.attr |= kAttrRO;
  }
  if (e.isDir) e.attr |= kAttrDir;
  if (e.attr == 0) e.attr = e.isDir ? kAttrDir : kAttrArchive;
}

// One central record at pos into e; its size in recSize.
int ReadCentralRecord(const InputFile& in, uint64_t pos, uint64_t shift, ArcEntry& e, uint64_t& recSize,
                      std::string& why) {
  if (!in.Has(pos, 46) || Le32(in.Data() + pos) != kCentralSig) {
    why = "broken central directory";
    return kErrHeaderBroken;
  }
  const unsigned char* c = in.Data() + pos;
  unsigned nlen = Le16(c + 28), xlen = Le16(c + 30), clen = Le16(c + 32);
  if (!in.Has(pos + 46, uint64_t(nlen) + xlen + clen)) {
    why = "broken central directory";
    return kErrHeaderBroken;
  }
  unsigned host = c[5];
  unsigned flags = Le16(c + 8);
  unsigned method = Le16(c + 10);
  e.dosTime = Le16(c + 12);
  e.dosDate = Le16(c + 14);
  e.mtime = DosToUnix(e.dosDate, e.dosTime);
  e.crc = Le32(c + 16);
  e.packed = Le32(c + 20);
  e.size = Le32(c + 24);
  uint64_t lho = Le32(c + 42);
  std::string_view rawName(reinterpret_cast<const char*>(c + 46), nlen);
  std::string unicodePath;
  ReadExtras(c + 46 + nlen, xlen, rawName, e, lho, unicodePath);
  DecodeName(rawName, unicodePath, host, flags, Le32(c + 38), e);
  e.os = host;
  e.encrypted = (flags & 1) != 0;
  const char* mn = MethodName(method);
  e.method = mn ? mn : "M" + std::to_string(method);
  e.unsupported = !(method == 0 || method == 8 || method == 12);
  e.aux = method | (flags << 16);
  e.headerOffset = lho + shift;
  recSize = 46ull + nlen + xlen + clen;
  e.headerSize = recSize;  // central record size
  e.dataOffset = pos;      // central record position
  return kOk;
}

// Link targets are the entries' data.
void ReadLinkTargets(const InputFile& in, std::vector<ArcEntry>& out) {
  for (ArcEntry& e : out) {
    if (!e.isLink || e.encrypted || e.unsupported || e.size > 4096) continue;
    std::string t, w;
    if (Unpack(
            in, e,
            [&](const unsigned char* p, size_t n) {
              t.append(reinterpret_cast<const char*>(p), n);
              return true;
            },
            w) == kOk)
      e.linkTarget = t;
  }
}

}  // namespace

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why) {
  CentralDir cd;
  if (int rc = FindCentralDir(in, cd, why); rc != kOk) return rc;
  uint64_t pos = cd.offset + cd.shift;
  out.reserve(out.size() + std::min<uint64_t>(cd.count, cd.size / 46));
  for (uint64_t k = 0; k < cd.count; ++k) {
    ArcEntry e;
    uint64_t recSize = 0;
    if (int rc = ReadCentralRecord(in, pos, cd.shift, e, recSize, why); rc != kOk) return rc;
    pos += recSize;
    // "./" says nothing about any file.
    if (e.isDir && (e.path.empty() || e.path == ".")) continue;
    out.push_back(std::move(e));
  }
  ReadLinkTargets(in, out);
  return kOk;
}

bool DataStart(const InputFile& in, const ArcEntry& e, uint64_t& start) {
  if (!in.Has(e.headerOffset, 30) || Le32(in.Data() + e.headerOffset) != kLocalSig) return false;
  const unsigned char* l = in.Data() + e.headerOffset;
  start = e.headerOffset + 30 + Le16(l + 26) + Le16(l + 28);
  return in.Has(start, e.packed);
}

namespace {

// The running result of unpacking one entry.
struct Produced {
  uint32_t crc = 0;
  uint64_t size = 0;
  // Counts a piece and hands it on; false past the entry's size or when
  // the sink stops.
  bool Take(const ArcEntry& e, const Sink& sink, const unsigned char* p, size_t n) {
    crc = Crc32(crc, p, n);
    size += n;
    return size <= e.size && sink(p, n);
  }
};

int UnpackStored(const InputFile& in, const ArcEntry& e, const unsigned char* src, const Sink& sink, std::string& why) {
  if (e.packed != e.size) {
    why = "stored sizes differ";
    return kErrHeaderBroken;
  }
  if (Crc32Of(in, src, e.size) != e.crc) {
    why = "CRC mismatch";
    return kErrFileCrc;
  }
  if (!sink(src, e.size)) {
    why = "write error";
    return kErrCannotWrite;
  }
  return kOk;
}

int Inflate(const ArcEntry& e, const unsigned char* src, const Sink& sink, Produced& out, std::string& why) {
  std::vector<unsigned char> buf(1 << 16);
  z_stream zs{};
  if (inflateInit2(&zs, -15) != Z_OK) return kErrMoreHeapMemory;
  uint64_t left = e.packed;
  const unsigned char* p = src;
  int zr = Z_OK;
  while (zr != Z_STREAM_END) {
    if (zs.avail_in == 0 && left > 0) {
      uInt chunk = static_cast<uInt>(std::min<uint64_t>(left, 1u << 30));
      zs.next_in = const_cast<Bytef*>(p);
      zs.avail_in = chunk;
      p += chunk;
      left -= chunk;
    }
    zs.next_out = buf.data();
    zs.avail_out = static_cast<uInt>(buf.size());
    zr = inflate(&zs, Z_NO_FLUSH);
    size_t got = buf.size() - zs.avail_out;
    if (zr != Z_OK && zr != Z_STREAM_END && !(zr == Z_BUF_ERROR && got > 0)) break;
    if (got) {
      if (!out.Take(e, sink, buf.data(), got)) {
        zr = out.size > e.size ? Z_DATA_ERROR : Z_ERRNO;
        break;
      }
    } else if (zr != Z_STREAM_END && zs.avail_in == 0 && left == 0) {
      // An empty entry ends its stream without output (03 00).
      zr = Z_DATA_ERROR;
      break;
    }
  }
  inflateEnd(&zs);
  if (zr == Z_ERRNO) {
    why = "write error";
    return kErrCannotWrite;
  }
  if (zr != Z_STREAM_END) {
    why = "compressed data is broken";
    return kErrHuffmanCode;
  }
  return kOk;
}

int Unbzip2(const ArcEntry& e, const unsigned char* src, const Sink& sink, Produced& out, std::string& why) {
  std::vector<unsigned char> buf(1 << 16);
  bz_stream bs{};
  if (BZ2_bzDecompressInit(&bs, 0, 0) != BZ_OK) return kErrMoreHeapMemory;
  uint64_t left = e.packed;
  const char* p = reinterpret_cast<const char*>(src);
  int br = BZ_OK;
  while (br == BZ_OK) {
    if (bs.avail_in == 0 && left > 0) {
      unsigned chunk = static_cast<unsigned>(std::min<uint64_t>(left, 1u << 30));
      bs.next_in = const_cast<char*>(p);
      bs.avail_in = chunk;
      p += chunk;
      left -= chunk;
    }
    bs.next_out = reinterpret_cast<char*>(buf.data());
    bs.avail_out = static_cast<unsigned>(buf.size());
    br = BZ2_bzDecompress(&bs);
    size_t got = buf.size() - bs.avail_out;
    if (got) {
      if (!out.Take(e, sink, buf.data(), got)) {
        br = BZ_DATA_ERROR;
        break;
      }
    } else if (br == BZ_OK && bs.avail_in == 0 && left == 0) {
      br = BZ_DATA_ERROR;
    }
  }
  BZ2_bzDecompressEnd(&bs);
  if (br != BZ_STREAM_END) {
    why = "compressed data is broken";
    return kErrHuffmanCode;
  }
  return kOk;
}

}  // namespace

int Unpack(const InputFile& in, const ArcEntry& e, const Sink& sink, std::string& why) {
  if (e.isDir) return kOk;
  if (e.encrypted) {
    why = "encrypted";
    return kErrNotSupport;
  }
  uint64_t start;
  if (!DataStart(in, e, start)) {
    why = "broken local header";
    return kErrHeaderBroken;
  }
  const unsigned char* src = in.Data() + start;
  const unsigned method = e.aux & 0xFFFF;
  if (method == 0) return UnpackStored(in, e, src, sink, why);
  Produced out;
  int rc;
  if (method == 8) {
    rc = Inflate(e, src, sink, out, why);
  } else if (method == 12) {
    rc = Unbzip2(e, src, sink, out, why);
  } else {
    why = "unsupported method " + e.method;
    return kErrNotSupport;
  }
  if (rc != kOk) return rc;
  if (out.size != e.size) {
    why = "size mismatch";
    return kErrEof;
  }
  if (out.crc != e.crc) {
    why = "CRC mismatch";
    return kErrFileCrc;
  }
  return kOk;
}

}  // namespace navirt::arc::zip

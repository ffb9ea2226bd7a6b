#include "archive/libs/Zip.h"

#include <bzlib.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>

#include "archive/libs/LibFrame.h"
#include "platform/Cp932.h"

namespace navirt::arc::zip {
namespace {

constexpr uint32_t kLocalSig = 0x04034B50, kCentralSig = 0x02014B50, kEndSig = 0x06054B50;

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

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why) {
  int64_t end = FindEnd(in);
  if (end < 0) {
    why = "no ZIP end record";
    return kErrFileStyle;
  }
  const unsigned char* eocd = in.Data() + end;
  uint64_t count = Le16(eocd + 10);
  uint64_t cdSize = Le32(eocd + 12);
  uint64_t cdOff = Le32(eocd + 16);
  if (cdOff == 0xFFFFFFFFu || count == 0xFFFF) {
    // Zip64: the locator sits just before the end record.
    if (end >= 20 && Le32(in.Data() + end - 20) == 0x07064B50) {
      uint64_t rec = Le32(in.Data() + end - 12) | (uint64_t(Le32(in.Data() + end - 8)) << 32);
      if (in.Has(rec, 56) && Le32(in.Data() + rec) == 0x06064B50) {
        const unsigned char* r = in.Data() + rec;
        count = Le32(r + 32) | (uint64_t(Le32(r + 36)) << 32);
        cdSize = Le32(r + 40) | (uint64_t(Le32(r + 44)) << 32);
        cdOff = Le32(r + 48) | (uint64_t(Le32(r + 52)) << 32);
      }
    }
  }
  // A prefix (self-extracting stub) shifts every offset; Zip64 records
  // between the directory and the end record do not.
  uint64_t shift = 0;
  bool atOffset = in.Has(cdOff, 4) && Le32(in.Data() + cdOff) == kCentralSig;
  if (!atOffset && static_cast<uint64_t>(end) >= cdSize && cdOff + cdSize < static_cast<uint64_t>(end))
    shift = static_cast<uint64_t>(end) - cdSize - cdOff;
  uint64_t pos = cdOff + shift;
  if (!in.Has(pos, cdSize)) {
    why = "central directory out of range";
    return kErrHeaderBroken;
  }
  out.reserve(out.size() + std::min<uint64_t>(count, cdSize / 46));
  for (uint64_t k = 0; k < count; ++k) {
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
    ArcEntry e;
    unsigned host = c[5];
    unsigned flags = Le16(c + 8);
    unsigned method = Le16(c + 10);
    e.dosTime = Le16(c + 12);
    e.dosDate = Le16(c + 14);
    e.mtime = DosToUnix(e.dosDate, e.dosTime);
    e.crc = Le32(c + 16);
    e.packed = Le32(c + 20);
    e.size = Le32(c + 24);
    uint32_t eattr = Le32(c + 38);
    uint64_t lho = Le32(c + 42);
    std::string_view rawName(reinterpret_cast<const char*>(c + 46), nlen);
    std::string unicodePath;
    // Extra fields: Zip64 sizes, Unicode path, Unix time.
    const unsigned char* x = c + 46 + nlen;
    for (unsigned i = 0; i + 4 <= xlen;) {
      unsigned id = Le16(x + i), sz = Le16(x + i + 2);
      if (i + 4 + sz > xlen) break;
      const unsigned char* d = x + i + 4;
      if (id == 0x0001) {
        unsigned o = 0;
        if (e.size == 0xFFFFFFFFu && o + 8 <= sz) {
          e.size = Le32(d + o) | (uint64_t(Le32(d + o + 4)) << 32);
          o += 8;
        }
        if (e.packed == 0xFFFFFFFFu && o + 8 <= sz) {
          e.packed = Le32(d + o) | (uint64_t(Le32(d + o + 4)) << 32);
          o += 8;
        }
        if (lho == 0xFFFFFFFFu && o + 8 <= sz) {
          lho = Le32(d + o) | (uint64_t(Le32(d + o + 4)) << 32);
          o += 8;
        }
      } else if (id == 0x7075 && sz >= 5 && d[0] == 1) {
        if (Le32(d + 1) == Crc32(0, rawName.data(), rawName.size()))
          unicodePath.assign(reinterpret_cast<const char*>(d + 5), sz - 5);
      } else if (id == 0x5455 && sz >= 5 && (d[0] & 1)) {
        e.mtime = static_cast<std::time_t>(static_cast<int32_t>(Le32(d + 1)));
      }
      i += 4 + sz;
    }
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
    if (host == 3 || host == 19) {
      uint32_t mode = eattr >> 16;
      if (S_ISDIR(mode)) e.isDir = true;
      if (S_ISLNK(mode)) e.isLink = true;
      if (mode && !(mode & S_IWUSR)) e.attr |= kAttrRO;
    }
    if (e.isDir) e.attr |= kAttrDir;
    if (e.attr == 0) e.attr = e.isDir ? kAttrDir : kAttrArchive;
    e.os = host;
    e.encrypted = (flags & 1) != 0;
    const char* mn = MethodName(method);
    e.method = mn ? mn : "M" + std::to_string(method);
    e.unsupported = !(method == 0 || method == 8 || method == 12);
    e.aux = method | (flags << 16);
    e.headerOffset = lho + shift;
    e.headerSize = 46 + nlen + xlen + clen;  // central record size
    e.dataOffset = pos;                      // central record position
    pos += 46ull + nlen + xlen + clen;
    // "./" says nothing about any file.
    if (e.isDir && (e.path.empty() || e.path == ".")) continue;
    out.push_back(std::move(e));
  }
  // Link targets are the entries' data.
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
  return kOk;
}

namespace {
// Start of the entry's data, from its local header.
bool DataStart(const InputFile& in, const ArcEntry& e, uint64_t& start) {
  if (!in.Has(e.headerOffset, 30) || Le32(in.Data() + e.headerOffset) != kLocalSig) return false;
  const unsigned char* l = in.Data() + e.headerOffset;
  start = e.headerOffset + 30 + Le16(l + 26) + Le16(l + 28);
  return in.Has(start, e.packed);
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
  unsigned method = e.aux & 0xFFFF;
  uint32_t crc = 0;
  uint64_t produced = 0;
  if (method == 0) {
    if (e.packed != e.size) {
      why = "stored sizes differ";
      return kErrHeaderBroken;
    }
    crc = Crc32Of(in, src, e.size);
    if (crc != e.crc) {
      why = "CRC mismatch";
      return kErrFileCrc;
    }
    if (!sink(src, e.size)) {
      why = "write error";
      return kErrCannotWrite;
    }
    return kOk;
  }
  std::vector<unsigned char> buf(1 << 16);
  if (method == 8) {
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
        crc = Crc32(crc, buf.data(), got);
        produced += got;
        if (produced > e.size || !sink(buf.data(), got)) {
          zr = produced > e.size ? Z_DATA_ERROR : Z_ERRNO;
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
  } else if (method == 12) {
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
        crc = Crc32(crc, buf.data(), got);
        produced += got;
        if (produced > e.size || !sink(buf.data(), got)) {
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
  } else {
    why = "unsupported method " + e.method;
    return kErrNotSupport;
  }
  if (produced != e.size) {
    why = "size mismatch";
    return kErrEof;
  }
  if (crc != e.crc) {
    why = "CRC mismatch";
    return kErrFileCrc;
  }
  return kOk;
}

// ---- writer ------------------------------------------------------------

namespace {

struct Central {
  std::string record;  // the central entry, offset patched on write
};

// The name bytes of a new entry and the flags they need: UTF-8 with the
// language-encoding flag (bit 11) for any name beyond ASCII, which unzip,
// 7-Zip, bsdtar and current Windows read; Shift_JIS without it when asked.
uint16_t StoredNameOf(const PackItem& it, bool sjis, std::string& name, Report& rep) {
  bool ascii = std::all_of(it.stored.begin(), it.stored.end(), [](char c) { return (unsigned char)c < 0x80; });
  if (ascii) {
    name = it.stored;
    return 0;
  }
  if (sjis) {
    bool ok = true;
    name = NameToCp932(it.stored, ok);
    if (ok) return 0;
    // The report is Shift_JIS too: characters it lacks show as "?" there.
    rep.Line("Warning: no Shift_JIS form, name stored as UTF-8: " + Utf8ToCp932(it.stored));
  }
  name = it.stored;
  return 0x800;
}

// The folders some item lies in.
std::set<std::string> FoldersHolding(const std::vector<PackItem>& items) {
  std::set<std::string> out;
  for (const PackItem& it : items)
    for (size_t slash = it.stored.rfind('/'); slash != std::string::npos && slash > 0;
         slash = it.stored.rfind('/', slash - 1))
      if (!out.insert(it.stored.substr(0, slash)).second) break;
  return out;
}

uint32_t UnixMode(const PackItem& it) {
  if (it.isDir) return 040755;
  return (it.attr & kAttrRO) ? 0100444 : 0100644;
}

}  // namespace

int Write(const std::string& path, WriteMode mode, const std::vector<PackItem>& items,
          const std::vector<std::string>& patterns, const WriteOptions& opt, Report& rep) {
  std::vector<ArcEntry> old;
  InputFile in;
  if (PathExists(path)) {
    if (!in.Open(path)) {
      rep.Utf8Line("Cannot open " + path);
      return kErrArcFileOpen;
    }
    std::string why;
    int rc = List(in, old, why);
    if (rc != kOk) {
      rep.Utf8Line(path + ": " + why);
      return rc;
    }
  } else if (mode == WriteMode::Delete || mode == WriteMode::Freshen) {
    rep.Utf8Line("Archive not found: " + path);
    return kErrArcFileOpen;
  }
  std::map<std::string, size_t> index;
  for (size_t i = 0; i < old.size(); ++i) index[old[i].path] = i;
  std::vector<int> replaceBy(old.size(), -1);
  std::vector<bool> drop(old.size(), false);
  std::vector<size_t> appended;
  size_t deleted = 0;
  if (mode == WriteMode::Delete) {
    for (size_t i = 0; i < old.size(); ++i)
      if (MatchesAny(patterns, old[i].path)) {
        drop[i] = true;
        ++deleted;
        rep.Line("deleting: " + NameToCp932(old[i].path));
      }
    if (deleted == 0) {
      rep.Line("zip: nothing to delete; archive unchanged.");
      return kOk;
    }
  } else {
    std::map<std::string, bool> taken;
    const std::set<std::string> parents = FoldersHolding(items);
    for (size_t k = 0; k < items.size(); ++k) {
      const PackItem& it = items[k];
      // Without folder entries, an empty folder still keeps its own.
      if (it.isDir && !opt.dirEntries && parents.count(it.stored)) continue;
      if (taken[it.stored]) continue;
      taken[it.stored] = true;
      auto f = index.find(it.stored);
      if (f != index.end()) {
        bool newer = (it.mtime & ~std::time_t(1)) > old[f->second].mtime;
        if (mode == WriteMode::Add || newer) replaceBy[f->second] = static_cast<int>(k);
      } else if (mode != WriteMode::Freshen) {
        appended.push_back(k);
      }
    }
  }
  OutputFile out;
  if (!out.Open(path)) {
    rep.Line("Cannot create a work file.");
    return kErrTmpOpen;
  }
  std::vector<std::string> central;
  int result = kOk;
  auto writeNew = [&](const PackItem& it) -> int {
    if (!NotifyPacking(it)) {
      rep.Line("Stopped.");
      return kErrUserCancel;
    }
    std::string name;
    uint16_t flags = StoredNameOf(it, opt.sjisNames, name, rep);
    if (it.isDir) name += '/';
    // Made by Unix for UTF-8 names (unzip turns a DOS host's names from
    // the OEM code page) and for a "\\" in a name (a DOS host's separates;
    // libarchive takes the host from the local header's version too).
    const bool unixMade = (flags & 0x800) || it.stored.find('\\') != std::string::npos;
    uint16_t date, time;
    UnixToDos(it.mtime, date, time);
    uint64_t offset = out.Written();
    if (offset >= 0xFFFFFFFFull) {
      rep.Line("Archive too large.");
      return kErrNotSupport;
    }
    SourceFile src;
    if (!it.isDir) {
      if (!src.Open(it.disk)) {
        rep.Utf8Line("Cannot read " + it.disk);
        return kErrFileOpen;
      }
      if (src.Size() >= 0xFFFFFFFFull) {
        rep.Utf8Line("File too large: " + it.disk);
        return kErrNotSupport;
      }
    }
    uint16_t method = !it.isDir && opt.level > 0 && src.Size() > 0 ? 8 : 0;
    // The sizes and CRC are known once the data is through: the header goes
    // out with zeros and is mended afterwards, so no file is held whole.
    std::string lh;
    Put32(lh, kLocalSig);
    Put16(lh, unixMade ? 0x0314 : 20);
    Put16(lh, flags);
    Put16(lh, method);
    Put16(lh, time);
    Put16(lh, date);
    Put32(lh, 0);
    Put32(lh, 0);
    Put32(lh, 0);
    Put16(lh, static_cast<uint16_t>(name.size()));
    Put16(lh, 0);
    lh += name;
    if (!out.Write(lh)) return kErrCannotWrite;
    const uint64_t dataStart = out.Written();
    uint32_t crc = 0;
    uint64_t size = 0;
    if (!it.isDir) {
      Sink sink = [&out](const unsigned char* p, size_t n) { return out.Write(p, n); };
      int rc = method == 8 ? DeflateFile(src, opt.level, -15, sink, crc, size) : StoreFile(src, sink, crc, size);
      if (rc == kOk && method == 8 && out.Written() - dataStart >= size) {
        // Packing did not pay: the same bytes stored instead.
        method = 0;
        rc = out.Truncate(dataStart) ? StoreFile(src, sink, crc, size) : kErrCannotWrite;
      }
      if (rc == kErrCannotRead) rep.Utf8Line("Cannot read " + it.disk);
      if (rc != kOk) return rc;
      if (size >= 0xFFFFFFFFull) {
        rep.Utf8Line("File too large: " + it.disk);
        return kErrNotSupport;
      }
    }
    const uint64_t psize = out.Written() - dataStart;
    if (psize >= 0xFFFFFFFFull) {
      rep.Line("Archive too large.");
      return kErrNotSupport;
    }
    std::string fix;
    Put16(fix, method);
    Put16(fix, time);
    Put16(fix, date);
    Put32(fix, crc);
    Put32(fix, static_cast<uint32_t>(psize));
    Put32(fix, static_cast<uint32_t>(size));
    if (!out.Patch(offset + 8, fix)) return kErrCannotWrite;
    std::string ce;
    Put32(ce, kCentralSig);
    Put16(ce, unixMade ? 0x0314 : 20);  // made by MS-DOS (or Unix), version 2.0
    Put16(ce, unixMade ? 0x0314 : 20);
    Put16(ce, flags);
    Put16(ce, method);
    Put16(ce, time);
    Put16(ce, date);
    Put32(ce, crc);
    Put32(ce, static_cast<uint32_t>(psize));
    Put32(ce, static_cast<uint32_t>(size));
    Put16(ce, static_cast<uint16_t>(name.size()));
    Put16(ce, 0);
    Put16(ce, 0);
    Put16(ce, 0);
    Put16(ce, 0);
    Put32(ce, (it.attr & 0xFF) | (unixMade ? UnixMode(it) << 16 : 0));
    Put32(ce, static_cast<uint32_t>(offset));
    ce += name;
    central.push_back(std::move(ce));
    char buf[48];
    std::snprintf(buf, sizeof buf, " (%s %d%%)", method == 8 ? "deflated" : "stored",
                  size ? static_cast<int>(100 - psize * 100 / size) : 0);
    rep.Line("  adding: " + Utf8ToCp932(it.stored) + (it.isDir ? "/" : "") + buf);
    return kOk;
  };
  for (size_t i = 0; i < old.size() && result == kOk; ++i) {
    if (drop[i]) continue;
    if (replaceBy[i] >= 0) {
      result = writeNew(items[replaceBy[i]]);
      continue;
    }
    const ArcEntry& e = old[i];
    uint64_t start;
    if (!DataStart(in, e, start)) {
      result = kErrHeaderBroken;
      break;
    }
    uint64_t endPos = start + e.packed;
    unsigned flags = e.aux >> 16;
    if (flags & 8) {
      bool zip64 = e.size >= 0xFFFFFFFFull || e.packed >= 0xFFFFFFFFull;
      uint64_t dlen = in.Has(endPos, 4) && Le32(in.Data() + endPos) == 0x08074B50 ? 4 : 0;
      dlen += zip64 ? 20 : 12;
      endPos = std::min<uint64_t>(endPos + dlen, in.Size());
    }
    uint64_t offset = out.Written();
    if (offset >= 0xFFFFFFFFull || e.headerOffset >= 0xFFFFFFFFull) {
      result = kErrNotSupport;
      break;
    }
    if (!out.Write(in.View(e.headerOffset, endPos - e.headerOffset))) {
      result = kErrCannotWrite;
      break;
    }
    std::string ce(in.View(e.dataOffset, e.headerSize));
    ce[42] = static_cast<char>(offset & 0xFF);
    ce[43] = static_cast<char>((offset >> 8) & 0xFF);
    ce[44] = static_cast<char>((offset >> 16) & 0xFF);
    ce[45] = static_cast<char>((offset >> 24) & 0xFF);
    central.push_back(std::move(ce));
  }
  for (size_t k : appended) {
    if (result != kOk) break;
    result = writeNew(items[k]);
  }
  if (result == kOk && central.size() >= 0xFFFF) {
    rep.Line("Too many entries for a ZIP without Zip64.");
    result = kErrNotSupport;
  }
  if (result == kOk) {
    uint64_t cdStart = out.Written();
    for (const auto& c : central)
      if (!out.Write(c)) result = kErrCannotWrite;
    uint64_t cdSize = out.Written() - cdStart;
    std::string end;
    Put32(end, kEndSig);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, static_cast<uint16_t>(central.size()));
    Put16(end, static_cast<uint16_t>(central.size()));
    Put32(end, static_cast<uint32_t>(cdSize));
    Put32(end, static_cast<uint32_t>(cdStart));
    Put16(end, 0);
    if (result == kOk && !out.Write(end)) result = kErrCannotWrite;
  }
  if (result != kOk) {
    out.Abort();
    rep.Line("Archive left unchanged.");
    return result;
  }
  if (!out.Commit()) {
    rep.Line("Cannot write the archive back.");
    return kErrTmpCopy;
  }
  return kOk;
}

}  // namespace navirt::arc::zip

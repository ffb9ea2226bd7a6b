#include "archive/libs/Bga.h"

#include <bzlib.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "archive/libs/LibFrame.h"
#include "archive/libs/LibMessages.h"

namespace navirt::arc::bga {
namespace {

constexpr size_t kHeader = 28;

uint32_t HeaderSum(const unsigned char* p, size_t n) {
  int32_t sum = 0;
  for (size_t i = 4; i < n; ++i) sum += static_cast<signed char>(p[i]);
  return static_cast<uint32_t>(sum);
}

bool IsTag(const unsigned char* p) { return std::memcmp(p, "GZIP", 4) == 0 || std::memcmp(p, "BZ2\0", 4) == 0; }

// 1 entry, 0 end, -1 broken.
int ParseAt(const InputFile& in, uint64_t off, ArcEntry& e) {
  if (!in.Has(off, 1)) return 0;
  if (!in.Has(off, kHeader)) return -1;
  const unsigned char* h = in.Data() + off;
  if (!IsTag(h + 4)) return -1;
  unsigned dirLen = Le16(h + 24), nameLen = Le16(h + 26);
  if (!in.Has(off + kHeader, uint64_t(dirLen) + nameLen)) return -1;
  if (HeaderSum(h, kHeader + dirLen + nameLen) != Le32(h)) return -1;
  e = ArcEntry{};
  e.packed = Le32(h + 8);
  e.size = Le32(h + 12);
  e.dosDate = Le16(h + 16);
  e.dosTime = Le16(h + 18);
  e.mtime = DosToUnix(e.dosDate, e.dosTime);
  e.attr = h[20];
  unsigned arcType = Le16(h + 22);
  std::string raw(reinterpret_cast<const char*>(h + kHeader), dirLen + nameLen);
  bool fb = false;
  e.path = NameFromArchive(raw, false, fb);
  e.nameFallback = fb;
  e.isDir = (e.attr & kAttrDir) != 0 || nameLen == 0;
  bool bz = h[4] == 'B';
  std::string lower = e.path;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  static const char* packedExts[] = {".arc", ".arj", ".bz2", ".bza", ".cab", ".gz", ".gza", ".lzh", ".lzs",
                                     ".pak", ".rar", ".taz", ".tbz", ".tgz", ".z",  ".zip", ".zoo"};
  bool storedExt = false;
  for (const char* x : packedExts) {
    size_t n = std::strlen(x);
    if (lower.size() >= n && lower.compare(lower.size() - n, n, x) == 0) storedExt = true;
  }
  bool stored = arcType == 2 || (arcType == 0 && e.packed == e.size && storedExt) || e.isDir;
  e.aux = stored ? 0 : (bz ? 2 : 1);
  e.method = stored ? "Stored" : (bz ? "BZ2" : "GZIP");
  e.headerOffset = off;
  e.dataOffset = off + kHeader + dirLen + nameLen;
  e.headerSize = kHeader + dirLen + nameLen;
  if (!in.Has(e.dataOffset, e.packed)) return -1;
  return 1;
}

}  // namespace

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why) {
  // A self-extracting stub may come first.
  uint64_t start = 0;
  ArcEntry e;
  bool found = false;
  for (uint64_t i = 0; i + kHeader <= std::min<uint64_t>(in.Size(), 65536); ++i) {
    if (IsTag(in.Data() + i + 4) && ParseAt(in, i, e) == 1) {
      start = i;
      found = true;
      break;
    }
  }
  if (!found) {
    why = "not a BGA archive";
    return kErrFileStyle;
  }
  uint64_t off = start;
  while (true) {
    int r = ParseAt(in, off, e);
    if (r == 0) break;
    if (r < 0) {
      why = "broken header";
      return kErrHeaderBroken;
    }
    off = e.dataOffset + e.packed;
    out.push_back(e);
  }
  return kOk;
}

int Unpack(const InputFile& in, const ArcEntry& e, const Sink& sink, std::string& why) {
  if (e.isDir) return kOk;
  const unsigned char* src = in.Data() + e.dataOffset;
  uint64_t produced = 0;
  std::vector<unsigned char> buf(1 << 16);
  auto emit = [&](const unsigned char* p, size_t n) {
    produced += n;
    return produced <= e.size && sink(p, n);
  };
  if (e.aux == 0) {
    if (e.packed != e.size) {
      why = "stored sizes differ";
      return kErrHeaderBroken;
    }
    if (!emit(src, e.packed)) {
      why = "write error";
      return kErrCannotWrite;
    }
    return kOk;
  }
  bool ok = false;
  if (e.aux == 1) {
    int bits = -15;
    if (e.packed >= 2 && src[0] == 0x1F && src[1] == 0x8B)
      bits = 31;
    else if (e.packed >= 2 && (src[0] & 0x0F) == 8 && ((src[0] << 8) | src[1]) % 31 == 0)
      bits = 15;
    z_stream zs{};
    if (inflateInit2(&zs, bits) != Z_OK) return kErrMoreHeapMemory;
    zs.next_in = const_cast<Bytef*>(src);
    zs.avail_in = static_cast<uInt>(e.packed);
    int r = Z_OK;
    while (r == Z_OK) {
      zs.next_out = buf.data();
      zs.avail_out = static_cast<uInt>(buf.size());
      r = inflate(&zs, Z_NO_FLUSH);
      size_t got = buf.size() - zs.avail_out;
      if (got && !emit(buf.data(), got)) {
        r = Z_ERRNO;
        break;
      }
      if (r == Z_BUF_ERROR || (r == Z_OK && got == 0 && zs.avail_in == 0)) break;
    }
    inflateEnd(&zs);
    ok = r == Z_STREAM_END;
  } else {
    bz_stream bs{};
    if (BZ2_bzDecompressInit(&bs, 0, 0) != BZ_OK) return kErrMoreHeapMemory;
    bs.next_in = const_cast<char*>(reinterpret_cast<const char*>(src));
    bs.avail_in = static_cast<unsigned>(e.packed);
    int r = BZ_OK;
    while (r == BZ_OK) {
      bs.next_out = reinterpret_cast<char*>(buf.data());
      bs.avail_out = static_cast<unsigned>(buf.size());
      r = BZ2_bzDecompress(&bs);
      size_t got = buf.size() - bs.avail_out;
      if (got && !emit(buf.data(), got)) {
        r = BZ_IO_ERROR;
        break;
      }
      if (r == BZ_OK && got == 0 && bs.avail_in == 0) break;
    }
    BZ2_bzDecompressEnd(&bs);
    ok = r == BZ_STREAM_END;
  }
  if (!ok || produced != e.size) {
    why = "compressed data is broken";
    return kErrHuffmanCode;
  }
  return kOk;
}

namespace {
// bzip2 of a whole file, a piece at a time.
int BzipFile(SourceFile& src, const Sink& sink, uint64_t& size) {
  bz_stream bs{};
  if (BZ2_bzCompressInit(&bs, 9, 0, 0) != BZ_OK) return kErrMoreHeapMemory;
  std::string buf(1 << 18, '\0');
  size = 0;
  bool sinkFailed = false;
  auto pump = [&](const unsigned char* p, size_t n, int action) {
    bs.next_in = const_cast<char*>(reinterpret_cast<const char*>(p));
    bs.avail_in = static_cast<unsigned>(n);
    for (;;) {
      bs.next_out = buf.data();
      bs.avail_out = static_cast<unsigned>(buf.size());
      int r = BZ2_bzCompress(&bs, action);
      size_t got = buf.size() - bs.avail_out;
      if (got && !sink(reinterpret_cast<const unsigned char*>(buf.data()), got)) return sinkFailed = true, false;
      if (r == BZ_STREAM_END) return true;
      if (r != BZ_RUN_OK && r != BZ_FINISH_OK) return false;
      if (action == BZ_RUN && bs.avail_in == 0) return true;
    }
  };
  int rc = src.Stream([&](const unsigned char* p, size_t n) {
    size += n;
    return pump(p, n, BZ_RUN);
  });
  if (rc == kOk && !pump(nullptr, 0, BZ_FINISH)) rc = kErrCannotWrite;
  if (rc == kErrCannotWrite && !sinkFailed) rc = kErrMoreHeapMemory;
  BZ2_bzCompressEnd(&bs);
  return rc;
}

std::string RecordHeader(const std::string& dir, const std::string& file, bool bzip2, uint64_t packed, uint64_t size,
                         const PackItem& item, bool stored) {
  uint16_t date, time;
  UnixToDos(item.mtime, date, time);
  std::string h;
  Put32(h, 0);
  h += bzip2 ? std::string("BZ2\0", 4) : std::string("GZIP");
  Put32(h, static_cast<uint32_t>(packed));
  Put32(h, static_cast<uint32_t>(size));
  Put16(h, date);
  Put16(h, time);
  h += static_cast<char>(item.attr & 0x27);
  h += '\0';
  Put16(h, stored ? 2 : 1);
  Put16(h, static_cast<uint16_t>(dir.size()));
  Put16(h, static_cast<uint16_t>(file.size()));
  h += dir + file;
  uint32_t sum = HeaderSum(reinterpret_cast<const unsigned char*>(h.data()), h.size());
  for (int i = 0; i < 4; ++i) h[i] = static_cast<char>((sum >> (8 * i)) & 0xFF);
  return h;
}
}  // namespace

int WriteRecord(const PackItem& item, bool bzip2, int level, OutputFile& out, Report& rep) {
  if (!NotifyPacking(item)) {
    rep.Say(msg::kStopped);
    return kErrUserCancel;
  }
  SourceFile src;
  if (!src.Open(item.disk)) {
    rep.SayUtf8(msg::kCannotRead, {item.disk});
    return kErrFileOpen;
  }
  if (src.Size() >= 0xFFFFFFFFull) {
    rep.SayUtf8(msg::kFileTooLarge, {item.disk});
    return kErrNotSupport;
  }
  bool ok = true;
  std::string name = NameToCp932(item.stored, ok);
  if (!ok) rep.Say(msg::kNameFallback, {name});
  size_t slash = name.rfind('/');
  std::string dir = slash == std::string::npos ? "" : name.substr(0, slash + 1);
  std::string file = slash == std::string::npos ? name : name.substr(slash + 1);
  for (char& c : dir)
    if (c == '/') c = '\\';
  // The header carries the sizes: it goes out first with a guess and is
  // mended once the data is through, so the file is never held whole.
  const uint64_t start = out.Written();
  bool stored = level == 0 || src.Size() == 0;
  std::string h = RecordHeader(dir, file, bzip2, 0, 0, item, stored);
  if (!out.Write(h)) return kErrCannotWrite;
  const uint64_t dataStart = out.Written();
  Sink sink = [&out](const unsigned char* p, size_t n) { return out.Write(p, n); };
  uint32_t crc = 0;
  uint64_t size = 0;
  int rc = stored  ? StoreFile(src, sink, crc, size)
           : bzip2 ? BzipFile(src, sink, size)
                   : DeflateFile(src, level < 0 ? 6 : std::min(level, 9), 31, sink, crc, size);
  if (rc == kOk && !stored && out.Written() - dataStart >= size) {
    stored = true;
    rc = out.Truncate(dataStart) ? StoreFile(src, sink, crc, size) : kErrCannotWrite;
  }
  if (rc == kErrCannotRead) rep.SayUtf8(msg::kCannotRead, {item.disk});
  if (rc != kOk) return rc;
  const uint64_t packed = out.Written() - dataStart;
  if (size >= 0xFFFFFFFFull || packed >= 0xFFFFFFFFull) {
    rep.SayUtf8(msg::kFileTooLarge, {item.disk});
    return kErrNotSupport;
  }
  if (!out.Patch(start, RecordHeader(dir, file, bzip2, packed, size, item, stored))) return kErrCannotWrite;
  char buf[32];
  std::snprintf(buf, sizeof buf, " (%.1f%%)", size == 0 ? 0.0 : packed * 100.0 / size);
  rep.Line(Text932(msg::kAdding, {NameToCp932(item.stored)}) + buf);
  return kOk;
}

}  // namespace navirt::arc::bga

#include "archive/libs/Cab.h"

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "archive/libs/LibFrame.h"
#include "archive/libs/LibMessages.h"

namespace navirt::arc::cab {
namespace {

struct Folder {
  uint64_t firstBlock = 0;
  unsigned blocks = 0;
  unsigned type = 0;
};

struct Layout {
  std::vector<Folder> folders;
  unsigned dataReserve = 0;
};

int ParseLayout(const InputFile& in, Layout& lay, uint64_t& filesOff, unsigned& nFiles, std::string& why) {
  if (!in.Has(0, 36) || std::memcmp(in.Data(), "MSCF", 4) != 0) {
    why = "not a cabinet";
    return kErrFileStyle;
  }
  const unsigned char* h = in.Data();
  unsigned nFolders = Le16(h + 26);
  nFiles = Le16(h + 28);
  unsigned flags = Le16(h + 30);
  filesOff = Le32(h + 16);
  uint64_t pos = 36;
  unsigned folderReserve = 0;
  if (flags & 4) {
    if (!in.Has(pos, 4)) {
      why = "truncated header";
      return kErrHeaderBroken;
    }
    unsigned headerReserve = Le16(h + pos);
    folderReserve = h[pos + 2];
    lay.dataReserve = h[pos + 3];
    pos += 4 + headerReserve;
  }
  for (int k = 0; k < 2; ++k) {
    if (flags & (k == 0 ? 1 : 2)) {
      // Neighbour cabinet and disk names.
      for (int s = 0; s < 2; ++s) {
        while (in.Has(pos, 1) && in.Data()[pos] != 0) ++pos;
        ++pos;
      }
    }
  }
  for (unsigned i = 0; i < nFolders; ++i) {
    if (!in.Has(pos, 8)) {
      why = "truncated folder table";
      return kErrHeaderBroken;
    }
    Folder f;
    f.firstBlock = Le32(in.Data() + pos);
    f.blocks = Le16(in.Data() + pos + 4);
    f.type = Le16(in.Data() + pos + 6);
    lay.folders.push_back(f);
    pos += 8 + folderReserve;
  }
  return kOk;
}

const char* MethodOf(unsigned type) {
  switch (type & 0x0F) {
    case 0:
      return "None";
    case 1:
      return "MSZIP";
    case 2:
      return "Quantum";
    case 3:
      return "LZX";
    default:
      return "Unknown";
  }
}

}  // namespace

uint32_t Checksum(const unsigned char* p, size_t n, uint32_t seed) {
  uint32_t csum = seed;
  size_t words = n / 4;
  for (size_t i = 0; i < words; ++i) csum ^= Le32(p + 4 * i);
  const unsigned char* r = p + 4 * words;
  uint32_t ul = 0;
  switch (n % 4) {
    case 3:
      ul = (uint32_t(r[0]) << 16) | (uint32_t(r[1]) << 8) | r[2];
      break;
    case 2:
      ul = (uint32_t(r[0]) << 8) | r[1];
      break;
    case 1:
      ul = r[0];
      break;
  }
  return csum ^ ul;
}

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why) {
  Layout lay;
  uint64_t pos;
  unsigned nFiles;
  int rc = ParseLayout(in, lay, pos, nFiles, why);
  if (rc != kOk) return rc;
  std::map<unsigned, std::pair<uint64_t, uint64_t>> folderSizes;  // unpacked total, packed total
  size_t first = out.size();
  for (unsigned i = 0; i < nFiles; ++i) {
    if (!in.Has(pos, 16)) {
      why = "truncated file table";
      return kErrHeaderBroken;
    }
    const unsigned char* f = in.Data() + pos;
    ArcEntry e;
    e.size = Le32(f);
    e.dataOffset = Le32(f + 4);
    e.aux = Le16(f + 8);
    e.dosDate = Le16(f + 10);
    e.dosTime = Le16(f + 12);
    unsigned attribs = Le16(f + 14);
    uint64_t n = pos + 16;
    while (n < in.Size() && in.Data()[n] != 0 && n - pos < 16 + 1024) ++n;
    if (n >= in.Size() || in.Data()[n] != 0) {
      why = "broken file name";
      return kErrHeaderBroken;
    }
    bool fb = false;
    e.path = NameFromArchive(in.View(pos + 16, n - pos - 16), (attribs & 0x80) != 0, fb);
    e.nameFallback = fb;
    e.attr = attribs & 0x3F;
    if (e.attr == 0) e.attr = kAttrArchive;
    e.mtime = DosToUnix(e.dosDate, e.dosTime);
    if (e.aux >= lay.folders.size()) {
      e.unsupported = true;  // continued from or into another cabinet
      e.method = "Split";
    } else {
      e.method = MethodOf(lay.folders[e.aux].type);
      unsigned t = lay.folders[e.aux].type & 0x0F;
      e.unsupported = t > 3;
      folderSizes[e.aux].first += e.size;
    }
    out.push_back(std::move(e));
    pos = n + 1;
  }
  // No packed size per file: share each folder's packed bytes out. The
  // walk touches a page in every block, and the kernel maps its
  // neighbours with it: the pages passed go again every few MiB, or a
  // large cabinet would sit whole in memory.
  constexpr uint64_t kDropEvery = 16u << 20;
  for (auto& [idx, sizes] : folderSizes) {
    const Folder& fo = lay.folders[idx];
    uint64_t p = fo.firstBlock, packed = 0, dropped = p;
    for (unsigned b = 0; b < fo.blocks && in.Has(p, 8); ++b) {
      unsigned cb = Le16(in.Data() + p + 4);
      packed += cb;
      p += 8 + lay.dataReserve + cb;
      if (p - dropped >= kDropEvery) {
        in.DropPages();
        dropped = p;
      }
    }
    sizes.second = packed;
  }
  for (size_t i = first; i < out.size(); ++i) {
    auto it = folderSizes.find(out[i].aux);
    if (it != folderSizes.end() && it->second.first > 0)
      out[i].packed = out[i].size * it->second.second / it->second.first;
  }
  return kOk;
}

// ---- unpacking ---------------------------------------------------------

struct Unpacker::Impl {
  const InputFile& in;
  std::string path;
  const std::vector<ArcEntry>& entries;
  Layout lay;
  bool useLibarchive = false;
  // Own decoder state for one folder.
  int folder = -1;
  unsigned nextBlock = 0;
  uint64_t blockPos = 0;
  uint64_t bufStart = 0;
  std::string buf, history;
  // libarchive state.
  archive* la = nullptr;
  long laCur = -1;

  Impl(const InputFile& i, const std::string& p, const std::vector<ArcEntry>& e) : in(i), path(p), entries(e) {
    uint64_t off;
    unsigned n;
    std::string why;
    ParseLayout(in, lay, off, n, why);
    for (const Folder& f : lay.folders)
      if ((f.type & 0x0F) >= 2) useLibarchive = true;
  }
  ~Impl() {
    if (la) archive_read_free(la);
  }

  void StartFolder(int idx) {
    folder = idx;
    nextBlock = 0;
    blockPos = lay.folders[idx].firstBlock;
    bufStart = 0;
    buf.clear();
    history.clear();
  }

  int NextBlock(std::string& why) {
    const Folder& f = lay.folders[folder];
    if (nextBlock >= f.blocks || !in.Has(blockPos, 8 + lay.dataReserve)) {
      why = "folder data ends early";
      return kErrEof;
    }
    const unsigned char* d = in.Data() + blockPos;
    uint32_t csum = Le32(d);
    unsigned cb = Le16(d + 4), cu = Le16(d + 6);
    uint64_t dataPos = blockPos + 8 + lay.dataReserve;
    if (!in.Has(dataPos, cb) || cu > 32768) {
      why = "broken data block";
      return kErrEof;
    }
    const unsigned char* src = in.Data() + dataPos;
    if (csum != 0 && Checksum(d + 4, 4, Checksum(src, cb, 0)) != csum) {
      why = "data block checksum mismatch";
      return kErrFileCrc;
    }
    bufStart += buf.size();
    buf.assign(cu, '\0');
    if ((f.type & 0x0F) == 0) {
      if (cb != cu) {
        why = "stored block sizes differ";
        return kErrHeaderBroken;
      }
      std::memcpy(buf.data(), src, cu);
    } else {
      if (cb < 2 || src[0] != 'C' || src[1] != 'K') {
        why = "MSZIP block without its signature";
        return kErrHuffmanCode;
      }
      z_stream zs{};
      if (inflateInit2(&zs, -15) != Z_OK) return kErrMoreHeapMemory;
      if (!history.empty())
        inflateSetDictionary(&zs, reinterpret_cast<const Bytef*>(history.data()), static_cast<uInt>(history.size()));
      zs.next_in = const_cast<Bytef*>(src + 2);
      zs.avail_in = cb - 2;
      zs.next_out = reinterpret_cast<Bytef*>(buf.data());
      zs.avail_out = cu;
      int r = inflate(&zs, Z_FINISH);
      bool ok = (r == Z_STREAM_END || (r == Z_BUF_ERROR && zs.avail_out == 0)) && zs.avail_out == 0;
      inflateEnd(&zs);
      if (!ok) {
        why = "MSZIP data is broken";
        return kErrHuffmanCode;
      }
    }
    history += buf;
    if (history.size() > 32768) history.erase(0, history.size() - 32768);
    blockPos = dataPos + cb;
    ++nextBlock;
    return kOk;
  }

  int OwnUnpack(const ArcEntry& e, const Sink& sink, std::string& why) {
    int idx = static_cast<int>(e.aux);
    uint64_t off = e.dataOffset, left = e.size;
    if (folder != idx || off < bufStart) StartFolder(idx);
    uint32_t dummy = 0;
    (void)dummy;
    while (left > 0) {
      if (off >= bufStart + buf.size()) {
        int rc = NextBlock(why);
        if (rc != kOk) return rc;
        continue;
      }
      if (off < bufStart) {
        why = "bad offset";
        return kErrHeaderBroken;
      }
      size_t at = static_cast<size_t>(off - bufStart);
      size_t n = static_cast<size_t>(std::min<uint64_t>(left, buf.size() - at));
      if (!sink(reinterpret_cast<const unsigned char*>(buf.data()) + at, n)) {
        why = "write error";
        return kErrCannotWrite;
      }
      off += n;
      left -= n;
    }
    return kOk;
  }

  int LibUnpack(size_t idx, const Sink& sink, std::string& why) {
    if (!la || laCur >= static_cast<long>(idx)) {
      if (la) archive_read_free(la);
      la = archive_read_new();
      archive_read_support_format_cab(la);
      archive_read_set_options(la, "cab:hdrcharset=CP932");
      laCur = -1;
      if (archive_read_open_filename(la, path.c_str(), 1 << 16) != ARCHIVE_OK) {
        why = "cannot open";
        return kErrArcFileOpen;
      }
    }
    archive_entry* ae;
    while (laCur < static_cast<long>(idx)) {
      if (archive_read_next_header(la, &ae) != ARCHIVE_OK) {
        why = archive_error_string(la) ? archive_error_string(la) : "broken cabinet";
        laCur = 1L << 30;
        return kErrHeaderBroken;
      }
      ++laCur;
    }
    char b[65536];
    la_ssize_t n;
    while ((n = archive_read_data(la, b, sizeof b)) > 0)
      if (!sink(reinterpret_cast<unsigned char*>(b), static_cast<size_t>(n))) {
        why = "write error";
        return kErrCannotWrite;
      }
    if (n < 0) {
      why = archive_error_string(la) ? archive_error_string(la) : "broken data";
      return kErrHuffmanCode;
    }
    return kOk;
  }
};

Unpacker::Unpacker(const InputFile& in, const std::string& path, const std::vector<ArcEntry>& entries)
    : impl_(std::make_unique<Impl>(in, path, entries)) {}
Unpacker::~Unpacker() = default;

int Unpacker::Unpack(size_t idx, const Sink& sink, std::string& why) {
  const ArcEntry& e = impl_->entries[idx];
  if (e.unsupported) {
    why = "unsupported";
    return kErrNotSupport;
  }
  return impl_->useLibarchive ? impl_->LibUnpack(idx, sink, why) : impl_->OwnUnpack(e, sink, why);
}

// ---- writer ------------------------------------------------------------

namespace {
// The folder's data as CFDATA blocks of 32 KiB, each an independent deflate
// stream after "CK", written as soon as a block is full.
class BlockWriter {
 public:
  explicit BlockWriter(OutputFile& out) : out_(out) { block_.reserve(kBlock); }
  bool Add(const unsigned char* p, size_t n) {
    while (n > 0) {
      size_t take = std::min(n, kBlock - block_.size());
      block_.append(reinterpret_cast<const char*>(p), take);
      p += take;
      n -= take;
      if (block_.size() == kBlock && !Flush()) return false;
    }
    return true;
  }
  bool Flush() {
    if (block_.empty()) return true;
    if (++blocks_ >= 0xFFFF) return tooMany_ = true, false;
    z_stream zs{};
    if (deflateInit2(&zs, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) return false;
    std::string packed(deflateBound(&zs, static_cast<uLong>(block_.size())) + 16, '\0');
    zs.next_in = reinterpret_cast<Bytef*>(block_.data());
    zs.avail_in = static_cast<uInt>(block_.size());
    zs.next_out = reinterpret_cast<Bytef*>(packed.data());
    zs.avail_out = static_cast<uInt>(packed.size());
    int r = deflate(&zs, Z_FINISH);
    packed.resize(zs.total_out);
    deflateEnd(&zs);
    if (r != Z_STREAM_END) return false;
    packed.insert(0, "CK");
    std::string hdr;
    Put16(hdr, static_cast<uint16_t>(packed.size()));
    Put16(hdr, static_cast<uint16_t>(block_.size()));
    uint32_t csum = Checksum(reinterpret_cast<const unsigned char*>(hdr.data()), 4,
                             Checksum(reinterpret_cast<const unsigned char*>(packed.data()), packed.size(), 0));
    std::string rec;
    Put32(rec, csum);
    rec += hdr;
    rec += packed;
    block_.clear();
    return out_.Write(rec);
  }
  unsigned Blocks() const { return blocks_; }
  bool TooMany() const { return tooMany_; }

 private:
  static constexpr size_t kBlock = 32768;
  OutputFile& out_;
  std::string block_;
  unsigned blocks_ = 0;
  bool tooMany_ = false;
};

struct FileRec {
  std::string name;
  uint32_t size = 0, offset = 0;
  uint16_t date = 0, time = 0, attr = 0;
};

FileRec MakeRec(const std::string& path, uint32_t attr) {
  FileRec r;
  bool ok = true;
  std::string name = NameToCp932(path, ok);
  r.attr = static_cast<uint16_t>(attr & 0x27);
  if (!ok) {
    name = path;  // UTF-8, marked as such
    r.attr |= 0x80;
  }
  for (char& c : name)
    if (c == '/') c = '\\';
  r.name = name;
  return r;
}

// Header, folder and file table; written first with the sizes as far as
// known and again when the data is through (its length never changes).
std::string CabHead(const std::vector<FileRec>& files, unsigned nBlocks, uint32_t total) {
  std::string fileTable;
  for (const FileRec& r : files) {
    Put32(fileTable, r.size);
    Put32(fileTable, r.offset);
    Put16(fileTable, 0);
    Put16(fileTable, r.date);
    Put16(fileTable, r.time);
    Put16(fileTable, r.attr);
    fileTable += r.name;
    fileTable += '\0';
  }
  uint32_t coffFiles = 36 + 8;
  uint32_t coffData = coffFiles + static_cast<uint32_t>(fileTable.size());
  std::string out = "MSCF";
  Put32(out, 0);
  Put32(out, total);
  Put32(out, 0);
  Put32(out, coffFiles);
  Put32(out, 0);
  out += char(3);
  out += char(1);
  Put16(out, 1);
  Put16(out, static_cast<uint16_t>(files.size()));
  Put16(out, 0);
  Put16(out, 0x4E56);
  Put16(out, 0);
  Put32(out, coffData);
  Put16(out, static_cast<uint16_t>(nBlocks));
  Put16(out, 1);  // MSZIP
  out += fileTable;
  return out;
}
}  // namespace

int Write(const std::string& path, const std::vector<KeptEntry>& kept, const std::vector<PackItem>& items,
          Report& rep) {
  std::vector<FileRec> files;
  std::vector<const PackItem*> sources;
  for (const KeptEntry& k : kept) {
    FileRec r = MakeRec(k.entry.path, k.entry.attr);
    r.date = k.entry.dosDate;
    r.time = k.entry.dosTime;
    files.push_back(r);
  }
  for (const PackItem& it : items) {
    if (it.isDir) continue;
    FileRec r = MakeRec(it.stored, it.attr);
    UnixToDos(it.mtime, r.date, r.time);
    files.push_back(r);
    sources.push_back(&it);
  }
  if (files.size() > 0xFFFF) {
    rep.Say(msg::kTooManyCabFiles);
    return kErrNotSupport;
  }
  OutputFile of;
  if (!of.Open(path)) {
    rep.Say(msg::kNoWorkFile);
    return kErrTmpOpen;
  }
  if (!of.Write(CabHead(files, 0, 0))) {
    rep.Say(msg::kCannotWriteCabinet);
    return kErrCannotWrite;
  }
  BlockWriter blocks(of);
  uint64_t folderSize = 0;
  bool tooLarge = false;
  Sink sink = [&](const unsigned char* p, size_t n) {
    folderSize += n;
    if (folderSize > 0x7FFF0000u) return tooLarge = true, false;
    return blocks.Add(p, n);
  };
  auto fail = [&](int rc) -> int {
    of.Abort();
    if (tooLarge || blocks.TooMany()) {
      rep.Say(msg::kCabinetTooLarge);
      return kErrNotSupport;
    }
    return rc;
  };
  size_t f = 0;
  for (const KeptEntry& k : kept) {
    FileRec& r = files[f++];
    r.offset = static_cast<uint32_t>(folderSize);
    std::string why;
    int rc = k.unpack(sink, why);
    if (rc != kOk) {
      rep.SayUtf8(msg::kNamedReason, {k.entry.path, Reason(why)});
      return fail(rc);
    }
    r.size = static_cast<uint32_t>(folderSize - r.offset);
  }
  for (const PackItem* it : sources) {
    FileRec& r = files[f++];
    if (!NotifyPacking(*it)) {
      rep.Say(msg::kStopped);
      return fail(kErrUserCancel);
    }
    SourceFile src;
    if (!src.Open(it->disk)) {
      rep.SayUtf8(msg::kCannotRead, {it->disk});
      return fail(kErrFileOpen);
    }
    r.offset = static_cast<uint32_t>(folderSize);
    int rc = src.Stream(sink);
    if (rc == kErrCannotRead) rep.SayUtf8(msg::kCannotRead, {it->disk});
    if (rc != kOk) return fail(rc);
    r.size = static_cast<uint32_t>(folderSize - r.offset);
    rep.Say(msg::kAdding, {NameToCp932(it->stored)});
  }
  if (!blocks.Flush()) return fail(kErrCannotWrite);
  const uint64_t total = of.Written();
  if (total > 0x7FFFFFFFu) return tooLarge = true, fail(kErrNotSupport);
  if (!of.Patch(0, CabHead(files, blocks.Blocks(), static_cast<uint32_t>(total))) || !of.Commit()) {
    rep.Say(msg::kCannotWriteCabinet);
    return kErrCannotWrite;
  }
  return kOk;
}

}  // namespace navirt::arc::cab

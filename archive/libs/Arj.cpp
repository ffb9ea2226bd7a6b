#include "archive/libs/Arj.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace navirt::arc::arj {
namespace {

class BitReader {
 public:
  BitReader(const unsigned char* p, size_t n) : p_(p), n_(n) {}
  // Past the end the stream reads as zero bits; overrun() tells.
  unsigned Bit() {
    if (bitPos_ == 0) {
      cur_ = pos_ < n_ ? p_[pos_] : 0;
      if (pos_ >= n_) ++overrun_;
      ++pos_;
      bitPos_ = 8;
    }
    --bitPos_;
    return (cur_ >> bitPos_) & 1;
  }
  uint32_t Bits(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = (v << 1) | Bit();
    return v;
  }
  bool Overrun() const { return overrun_ > 2; }

 private:
  const unsigned char* p_;
  size_t n_;
  size_t pos_ = 0;
  int bitPos_ = 0;
  unsigned cur_ = 0;
  int overrun_ = 0;
};

// Canonical Huffman table: shorter codes first, then by symbol.
class Huffman {
 public:
  bool Build(const std::vector<uint8_t>& lens) {
    single_ = -1;
    count_.fill(0);
    symbols_.clear();
    for (uint8_t l : lens) {
      if (l > 16) return false;
      ++count_[l];
    }
    count_[0] = 0;
    // Over-subscribed code sets are broken data.
    int left = 1;
    for (int l = 1; l <= 16; ++l) {
      left <<= 1;
      left -= count_[l];
      if (left < 0) return false;
    }
    for (int l = 1; l <= 16; ++l)
      for (size_t s = 0; s < lens.size(); ++s)
        if (lens[s] == l) symbols_.push_back(static_cast<uint16_t>(s));
    return !symbols_.empty();
  }
  void Single(int sym) {
    single_ = sym;
    symbols_.clear();
  }
  int Decode(BitReader& br) const {
    if (single_ >= 0) return single_;
    int code = 0, first = 0, index = 0;
    for (int l = 1; l <= 16; ++l) {
      code |= static_cast<int>(br.Bit());
      int c = count_[l];
      if (code - first < c) return symbols_[index + code - first];
      index += c;
      first = (first + c) << 1;
      code <<= 1;
    }
    return -1;
  }

 private:
  std::array<int, 17> count_{};
  std::vector<uint16_t> symbols_;
  int single_ = -1;
};

bool ReadPtLen(BitReader& br, Huffman& h, int nn, int nbit, int special) {
  int n = static_cast<int>(br.Bits(nbit));
  if (n == 0) {
    int c = static_cast<int>(br.Bits(nbit));
    if (c >= nn) return false;
    h.Single(c);
    return true;
  }
  if (n > nn) return false;
  std::vector<uint8_t> len(nn, 0);
  int i = 0;
  while (i < n) {
    int c = static_cast<int>(br.Bits(3));
    if (c == 7) {
      while (br.Bit()) {
        if (++c > 16) return false;
      }
    }
    len[i++] = static_cast<uint8_t>(c);
    if (i == special) {
      int z = static_cast<int>(br.Bits(2));
      while (z-- > 0 && i < nn) len[i++] = 0;
    }
  }
  return h.Build(len);
}

constexpr int kNC = 510, kNT = 19, kCBit = 9, kTBit = 5;

bool ReadCLen(BitReader& br, const Huffman& t, Huffman& c) {
  int n = static_cast<int>(br.Bits(kCBit));
  if (n == 0) {
    int s = static_cast<int>(br.Bits(kCBit));
    if (s >= kNC) return false;
    c.Single(s);
    return true;
  }
  if (n > kNC) return false;
  std::vector<uint8_t> len(kNC, 0);
  int i = 0;
  while (i < n) {
    int k = t.Decode(br);
    if (k < 0) return false;
    if (k <= 2) {
      int count = k == 0 ? 1 : k == 1 ? static_cast<int>(br.Bits(4)) + 3 : static_cast<int>(br.Bits(kCBit)) + 20;
      if (i + count > n) return false;
      while (count-- > 0) len[i++] = 0;
    } else {
      if (k - 2 > 16) return false;
      len[i++] = static_cast<uint8_t>(k - 2);
    }
  }
  return c.Build(len);
}

// Output through a 64 KiB ring, flushed to the sink as it fills.
class Window {
 public:
  explicit Window(const Sink& sink) : sink_(sink), ring_(kSize) {}
  bool Put(unsigned char c) {
    ring_[pos_++ & kMask] = c;
    ++total_;
    if ((pos_ & kMask) == 0) return Flush();
    return true;
  }
  bool Copy(uint64_t dist, unsigned len) {
    if (dist + 1 > total_) return false;
    for (unsigned k = 0; k < len; ++k)
      if (!Put(ring_[(pos_ - dist - 1) & kMask])) return false;
    return true;
  }
  bool Flush() {
    size_t start = flushed_ & kMask;
    size_t n = static_cast<size_t>(pos_ - flushed_);
    flushed_ = pos_;
    if (n == 0) return true;
    return sink_(ring_.data() + start, n);
  }
  uint64_t Total() const { return total_; }

 private:
  static constexpr size_t kSize = 1 << 16, kMask = kSize - 1;
  const Sink& sink_;
  std::vector<unsigned char> ring_;
  uint64_t pos_ = 0, flushed_ = 0, total_ = 0;
};

}  // namespace

bool DecodeHuffmanLz(const unsigned char* src, size_t srcLen, uint64_t size, int np, int pbit, bool arjBlockCount,
                     const Sink& sink, std::string& why) {
  BitReader br(src, srcLen);
  Window w(sink);
  Huffman t, c, p;
  uint32_t left = 0;
  while (w.Total() < size) {
    if (left == 0) {
      left = br.Bits(16);
      if (left == 0 && arjBlockCount) left = 65536;
      if (left == 0 || !ReadPtLen(br, t, kNT, kTBit, 3) || !ReadCLen(br, t, c) || !ReadPtLen(br, p, np, pbit, -1)) {
        why = "broken Huffman tables";
        return false;
      }
    }
    --left;
    int sym = c.Decode(br);
    if (sym < 0 || br.Overrun()) {
      why = "broken compressed data";
      return false;
    }
    if (sym < 256) {
      if (!w.Put(static_cast<unsigned char>(sym))) {
        why = "write error";
        return false;
      }
      continue;
    }
    unsigned len = static_cast<unsigned>(sym - 253);
    int ps = p.Decode(br);
    if (ps < 0) {
      why = "broken compressed data";
      return false;
    }
    uint64_t dist = ps == 0 ? 0 : (uint64_t(1) << (ps - 1)) + br.Bits(ps - 1);
    len = static_cast<unsigned>(std::min<uint64_t>(len, size - w.Total()));
    if (!w.Copy(dist, len)) {
      why = "match points before the start";
      return false;
    }
  }
  if (!w.Flush()) {
    why = "write error";
    return false;
  }
  return true;
}

bool DecodeFastest(const unsigned char* src, size_t srcLen, uint64_t size, const Sink& sink, std::string& why) {
  BitReader br(src, srcLen);
  Window w(sink);
  while (w.Total() < size) {
    if (br.Overrun()) {
      why = "compressed data ends early";
      return false;
    }
    int ones = 0;
    while (ones < 7 && br.Bit()) ++ones;
    uint32_t c = (1u << ones) - 1 + (ones ? br.Bits(ones) : 0);
    if (c == 0) {
      if (!w.Put(static_cast<unsigned char>(br.Bits(8)))) {
        why = "write error";
        return false;
      }
      continue;
    }
    unsigned len = c + 2;
    int width = 9;
    uint32_t plus = 0, pwr = 1u << 9;
    while (width < 13 && br.Bit()) {
      plus += pwr;
      pwr <<= 1;
      ++width;
    }
    uint32_t pos = plus + br.Bits(width);
    len = static_cast<unsigned>(std::min<uint64_t>(len, size - w.Total()));
    if (!w.Copy(pos, len)) {
      why = "match points before the start";
      return false;
    }
  }
  if (!w.Flush()) {
    why = "write error";
    return false;
  }
  return true;
}

namespace {

// Reads the block at off: basic header (checked) and its extended headers.
// Returns the offset after them, 0 at the end marker, -1 when broken.
int64_t ReadBlock(const InputFile& in, uint64_t off, uint64_t& hdr, unsigned& hsize) {
  if (!in.Has(off, 4) || in.Data()[off] != 0x60 || in.Data()[off + 1] != 0xEA) return -1;
  hsize = Le16(in.Data() + off + 2);
  if (hsize == 0) return 0;
  if (hsize > 2600 || hsize < 30 || !in.Has(off + 4, hsize + 4ull)) return -1;
  hdr = off + 4;
  if (Crc32(0, in.Data() + hdr, hsize) != Le32(in.Data() + hdr + hsize)) return -1;
  uint64_t pos = hdr + hsize + 4;
  for (int guard = 0; guard < 64; ++guard) {
    if (!in.Has(pos, 2)) return -1;
    unsigned ext = Le16(in.Data() + pos);
    pos += 2;
    if (ext == 0) return static_cast<int64_t>(pos);
    if (!in.Has(pos, ext + 4ull)) return -1;
    pos += ext + 4;
  }
  return -1;
}

int64_t FindStart(const InputFile& in) {
  uint64_t limit = std::min<uint64_t>(in.Size(), 1 << 18);
  for (uint64_t i = 0; i + 4 < limit; ++i) {
    if (in.Data()[i] != 0x60 || in.Data()[i + 1] != 0xEA) continue;
    uint64_t hdr;
    unsigned hs;
    if (ReadBlock(in, i, hdr, hs) > 0 && in.Data()[hdr + 6] == 2) return static_cast<int64_t>(i);
  }
  return -1;
}

}  // namespace

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why) {
  int64_t start = FindStart(in);
  if (start < 0) {
    why = "not an ARJ archive";
    return kErrFileStyle;
  }
  uint64_t hdr;
  unsigned hs;
  int64_t next = ReadBlock(in, static_cast<uint64_t>(start), hdr, hs);
  uint64_t pos = static_cast<uint64_t>(next);
  while (true) {
    int64_t after = ReadBlock(in, pos, hdr, hs);
    if (after == 0) break;
    if (after < 0) {
      // Some writers leave no end marker.
      if (!in.Has(pos, 1)) break;
      why = "broken header";
      return kErrHeaderBroken;
    }
    const unsigned char* h = in.Data() + hdr;
    unsigned first = h[0];
    if (first > hs) {
      why = "broken header";
      return kErrHeaderBroken;
    }
    unsigned version = h[1], host = h[3], flags = h[4], method = h[5], type = h[6];
    ArcEntry e;
    uint32_t ts = Le32(h + 8);
    e.packed = Le32(h + 12);
    e.size = Le32(h + 16);
    e.crc = Le32(h + 20);
    unsigned access = Le16(h + 26);
    size_t nameEnd = first;
    while (nameEnd < hs && h[nameEnd] != 0) ++nameEnd;
    bool fb = false;
    bool unixHost = host == 2 || host == 8;
    std::string_view raw(reinterpret_cast<const char*>(h + first), nameEnd - first);
    // Unix hosts store the bytes the file system had, today UTF-8.
    e.path = NameFromArchive(raw, unixHost && IsValidUtf8(raw), fb);
    e.nameFallback = fb;
    if (unixHost && version >= 11 && version <= 49) {
      e.mtime = static_cast<std::time_t>(ts);
      UnixToDos(e.mtime, e.dosDate, e.dosTime);
    } else {
      e.dosTime = static_cast<uint16_t>(ts & 0xFFFF);
      e.dosDate = static_cast<uint16_t>(ts >> 16);
      e.mtime = DosToUnix(e.dosDate, e.dosTime);
    }
    if (unixHost) {
      e.attr = kAttrArchive;
      if (!(access & S_IWUSR)) e.attr |= kAttrRO;
    } else {
      e.attr = access & 0x3F;
    }
    e.os = host;
    e.isDir = type == 3;
    if (e.isDir) e.attr |= kAttrDir;
    e.encrypted = (flags & 0x01) != 0;
    e.unsupported = (flags & 0x04) != 0 || method > 4 || type > 3;
    e.method = method == 0 ? "Stored" : "Method" + std::to_string(method);
    e.aux = method;
    e.headerOffset = pos;
    e.dataOffset = static_cast<uint64_t>(after);
    if (!in.Has(e.dataOffset, e.packed)) {
      why = "entry data runs past the end";
      return kErrEof;
    }
    pos = e.dataOffset + e.packed;
    if (type == 4) continue;  // a volume label names no file
    out.push_back(std::move(e));
  }
  return kOk;
}

int Unpack(const InputFile& in, const ArcEntry& e, const Sink& sink, std::string& why) {
  if (e.isDir) return kOk;
  if (e.encrypted || e.unsupported) {
    why = e.encrypted ? "garbled (encrypted) entry" : "unsupported entry";
    return kErrNotSupport;
  }
  const unsigned char* src = in.Data() + e.dataOffset;
  uint32_t crc = 0;
  Sink counting = [&](const unsigned char* p, size_t n) {
    crc = Crc32(crc, p, n);
    return sink(p, n);
  };
  bool ok;
  if (e.aux == 0) {
    if (e.packed != e.size) {
      why = "stored sizes differ";
      return kErrHeaderBroken;
    }
    ok = counting(src, e.size);
    if (!ok) why = "write error";
  } else if (e.aux <= 3) {
    ok = DecodeHuffmanLz(src, e.packed, e.size, 17, 5, true, counting, why);
  } else {
    ok = DecodeFastest(src, e.packed, e.size, counting, why);
  }
  if (!ok) return why == "write error" ? kErrCannotWrite : kErrHuffmanCode;
  if (crc != e.crc) {
    why = "CRC mismatch";
    return kErrFileCrc;
  }
  return kOk;
}

}  // namespace navirt::arc::arj

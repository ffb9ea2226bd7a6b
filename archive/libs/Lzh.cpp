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

// Parses one header at off. Returns 1 for an entry, 0 at the end, or a
// negative number when the header is broken.
int ParseHeader(const InputFile& in, uint64_t off, ArcEntry& e, std::string& why) {
  if (!in.Has(off, 1) || in.Data()[off] == 0) return 0;
  if (!in.Has(off, 24)) {
    why = "truncated header";
    return -1;
  }
  const unsigned char* h = in.Data() + off;
  if (!IsMethod(h + 2)) {
    why = "not an LHA header";
    return -1;
  }
  int level = h[20];
  e = ArcEntry{};
  e.level = level;
  e.headerOffset = off;
  e.method.assign(reinterpret_cast<const char*>(h + 2), 5);
  uint64_t packed = Le32(h + 7);
  e.size = Le32(h + 11);
  std::string rawName, rawDir, utfName, utfDir;
  bool haveUtfName = false, haveUtfDir = false;
  bool utf8Names = false;  // the code-page header says 65001
  uint64_t extStart = 0;
  uint32_t extSizeWidth = 2;
  uint64_t firstExt = 0;
  uint64_t headerEnd = 0;
  bool haveUnixTime = false;
  std::time_t unixTime = 0;
  if (level == 0 || level == 1) {
    uint64_t hsize = h[0] + 2ull;
    if (!in.Has(off, hsize) || hsize < 24) {
      why = "truncated header";
      return -1;
    }
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
    if (22ull + n + 2 > hsize) {
      why = "name runs past the header";
      return -1;
    }
    rawName.assign(reinterpret_cast<const char*>(h + 22), n);
    e.crc = Le16(h + 22 + n);
    if (level == 0) {
      e.attr = h[19];
      e.os = OsNumber('M');
      headerEnd = off + hsize;
      e.packed = packed;
    } else {
      if (22ull + n + 5 > hsize) {
        why = "truncated level-1 header";
        return -1;
      }
      e.os = OsNumber(h[22 + n + 2]);
      firstExt = Le16(h + hsize - 2);
      extStart = off + hsize;
      e.attr = kAttrArchive;
    }
  } else if (level == 2 || level == 3) {
    uint64_t total;
    if (level == 2) {
      if (!in.Has(off, 26)) {
        why = "truncated header";
        return -1;
      }
      total = Le16(h);
      firstExt = Le16(h + 24);
      extStart = off + 26;
      if (total < 26) {
        why = "header size too small";
        return -1;
      }
    } else {
      if (!in.Has(off, 32)) {
        why = "truncated header";
        return -1;
      }
      total = Le32(h + 24);
      firstExt = Le32(h + 28);
      extStart = off + 32;
      extSizeWidth = 4;
      if (total < 32) {
        why = "header size too small";
        return -1;
      }
    }
    if (!in.Has(off, total)) {
      why = "truncated header";
      return -1;
    }
    e.crc = Le16(h + 21);
    e.os = OsNumber(h[23]);
    e.mtime = static_cast<std::time_t>(Le32(h + 15));
    UnixToDos(e.mtime, e.dosDate, e.dosTime);
    headerEnd = off + total;
    e.packed = packed;
    e.attr = kAttrArchive;
  } else {
    why = "unknown header level";
    return -1;
  }
  // Extended headers.
  if (level >= 1) {
    uint64_t pos = extStart;
    uint64_t next = firstExt;
    uint64_t extTotal = 0;
    int guard = 0;
    while (next != 0) {
      if (++guard > 4096 || next < extSizeWidth + 1 || !in.Has(pos, next)) {
        why = "broken extended header";
        return -1;
      }
      const unsigned char* x = in.Data() + pos;
      unsigned type = x[0];
      const unsigned char* d = x + 1;
      uint64_t dn = next - 1 - extSizeWidth;
      switch (type) {
        case 0x01:
          rawName.assign(reinterpret_cast<const char*>(d), dn);
          break;
        case 0x02:
          rawDir.assign(reinterpret_cast<const char*>(d), dn);
          break;
        case 0x40:
          if (dn >= 2) e.attr = Le16(d);
          break;
        case 0x44:
          utfName = Utf16LeToUtf8(d, dn);
          haveUtfName = true;
          break;
        case 0x45:
          utfDir = Utf16LeToUtf8(d, dn);
          haveUtfDir = true;
          break;
        case 0x46:
          if (dn >= 4) utf8Names = Le32(d) == kUtf8CodePage;
          break;
        case 0x54:
          if (dn >= 4) {
            unixTime = static_cast<std::time_t>(Le32(d));
            haveUnixTime = true;
          }
          break;
        default:
          break;
      }
      extTotal += next;
      pos += next;
      next = extSizeWidth == 2 ? Le16(x + next - 2) : Le32(x + next - 4);
    }
    if (level == 1) {
      if (extTotal > packed) {
        why = "extended headers larger than the entry";
        return -1;
      }
      e.packed = packed - extTotal;
      headerEnd = pos;
      if (haveUnixTime && e.dosDate == 0) {
        e.mtime = unixTime;
        UnixToDos(e.mtime, e.dosDate, e.dosTime);
      }
    }
  }
  e.dataOffset = headerEnd;
  e.headerSize = headerEnd - off;
  // Names: decode first, split after.
  bool fb1 = false, fb2 = false;
  std::string dir;
  if (haveUtfDir) {
    dir = utfDir;
    for (char& c : dir)
      if (c == '\\' || c == '\xFF') c = '/';
  } else if (!rawDir.empty()) {
    size_t start = 0;
    while (start < rawDir.size()) {
      size_t end = rawDir.find('\xFF', start);
      if (end == std::string::npos) end = rawDir.size();
      bool fb = false;
      std::string part = NameFromArchive(std::string_view(rawDir).substr(start, end - start), utf8Names, fb);
      fb2 = fb2 || fb;
      if (!part.empty()) dir += (dir.empty() ? "" : "/") + part;
      start = end + 1;
    }
  }
  std::string name = haveUtfName ? utfName : NameFromArchive(rawName, utf8Names, fb1);
  for (char& c : name)
    if (c == '\\') c = '/';
  e.nameFallback = fb1 || fb2;
  e.path = dir.empty() ? name : (name.empty() ? dir : dir + "/" + name);
  while (!e.path.empty() && e.path.back() == '/') e.path.pop_back();
  e.isDir = e.method == "-lhd-";
  if (e.isDir) e.attr |= kAttrDir;
  // A Unix link is stored as "name|target".
  size_t bar = e.path.find('|');
  if (e.isDir && bar != std::string::npos) {
    e.isLink = true;
    e.isDir = false;
    e.linkTarget = e.path.substr(bar + 1);
    e.path.resize(bar);
  }
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

// ---- -lh5- encoder -----------------------------------------------------

namespace {

constexpr int kDicBits = 13;
constexpr int kDicSize = 1 << kDicBits;
constexpr int kMaxMatch = 256;
constexpr int kThreshold = 3;
constexpr int kNC = 510;
constexpr int kNP = kDicBits + 1;
constexpr int kNT = 19;
constexpr int kCBit = 9;
constexpr int kPBit = 4;
constexpr int kTBit = 5;
constexpr int kHashBits = 15;
constexpr int kChainLimit = 16;

class BitWriter {
 public:
  explicit BitWriter(std::string& out) : out_(out) {}
  void Put(int nbits, uint32_t value) {
    if (nbits == 0) return;
    acc_ = (acc_ << nbits) | (value & ((1ull << nbits) - 1));
    n_ += nbits;
    while (n_ >= 8) {
      n_ -= 8;
      out_ += static_cast<char>((acc_ >> n_) & 0xFF);
    }
  }
  void Flush() {
    if (n_ > 0) out_ += static_cast<char>((acc_ << (8 - n_)) & 0xFF);
    n_ = 0;
    acc_ = 0;
  }

 private:
  std::string& out_;
  uint64_t acc_ = 0;
  int n_ = 0;
};

// Huffman code lengths at most 16 bits; unused symbols get 0.
void MakeLengths(const std::vector<uint32_t>& freqIn, std::vector<uint8_t>& len) {
  size_t n = freqIn.size();
  len.assign(n, 0);
  std::vector<uint32_t> freq = freqIn;
  for (;;) {
    struct Node {
      uint64_t f;
      int left, right;
    };
    std::vector<Node> nodes;
    using Item = std::pair<uint64_t, int>;
    std::priority_queue<Item, std::vector<Item>, std::greater<Item>> heap;
    for (size_t i = 0; i < n; ++i) {
      if (freq[i] == 0) continue;
      nodes.push_back({freq[i], -1, static_cast<int>(i)});
      heap.push({freq[i], static_cast<int>(nodes.size() - 1)});
    }
    if (nodes.size() < 2) {
      for (auto& nd : nodes) len[nd.right] = 1;
      return;
    }
    while (heap.size() > 1) {
      Item a = heap.top();
      heap.pop();
      Item b = heap.top();
      heap.pop();
      nodes.push_back({a.first + b.first, a.second, b.second});
      heap.push({a.first + b.first, static_cast<int>(nodes.size() - 1)});
    }
    // Depths by walking from the root.
    std::vector<std::pair<int, int>> stack{{heap.top().second, 0}};
    int maxDepth = 0;
    std::fill(len.begin(), len.end(), 0);
    while (!stack.empty()) {
      auto [idx, depth] = stack.back();
      stack.pop_back();
      const Node& nd = nodes[idx];
      if (nd.left < 0) {
        len[nd.right] = static_cast<uint8_t>(std::min(depth, 255));
        maxDepth = std::max(maxDepth, depth);
      } else {
        stack.push_back({nd.left, depth + 1});
        stack.push_back({nd.right, depth + 1});
      }
    }
    if (maxDepth <= 16) return;
    for (auto& f : freq)
      if (f) f = (f + 1) / 2;
  }
}

void MakeCodes(const std::vector<uint8_t>& len, std::vector<uint16_t>& code) {
  code.assign(len.size(), 0);
  uint32_t next = 0;
  for (int l = 1; l <= 16; ++l) {
    for (size_t s = 0; s < len.size(); ++s)
      if (len[s] == l) code[s] = static_cast<uint16_t>(next++);
    next <<= 1;
  }
}

int Used(const std::vector<uint32_t>& f, int& only) {
  int used = 0;
  for (size_t i = 0; i < f.size(); ++i)
    if (f[i]) {
      ++used;
      only = static_cast<int>(i);
    }
  return used;
}

void WritePtLen(BitWriter& bw, const std::vector<uint8_t>& ptLen, int nbit, int special) {
  int n = static_cast<int>(ptLen.size());
  while (n > 0 && ptLen[n - 1] == 0) --n;
  bw.Put(nbit, n);
  int i = 0;
  while (i < n) {
    int k = ptLen[i++];
    if (k <= 6)
      bw.Put(3, k);
    else
      bw.Put(k - 3, (1u << (k - 3)) - 2);
    if (i == special) {
      while (i < 6 && i < n && ptLen[i] == 0) ++i;
      bw.Put(2, (i - 3) & 3);
    }
  }
}

struct Block {
  std::vector<uint16_t> sym;   // C symbols
  std::vector<uint16_t> dist;  // distance - 1 for matches
};

int PSymbol(unsigned d) {
  int p = 0;
  while (d) {
    ++p;
    d >>= 1;
  }
  return p;
}

void EncodeBlock(BitWriter& bw, const Block& b) {
  std::vector<uint32_t> cf(kNC, 0), pf(kNP, 0);
  size_t di = 0;
  for (uint16_t c : b.sym) {
    ++cf[c];
    if (c >= 256) ++pf[PSymbol(b.dist[di++])];
  }
  bw.Put(16, static_cast<uint32_t>(b.sym.size()));
  std::vector<uint8_t> cLen, ptLen;
  std::vector<uint16_t> cCode, ptCode;
  int only = 0;
  if (Used(cf, only) <= 1) {
    bw.Put(kTBit, 0);
    bw.Put(kTBit, 0);
    bw.Put(kCBit, 0);
    bw.Put(kCBit, only);
    cLen.assign(kNC, 0);
    cCode.assign(kNC, 0);
  } else {
    MakeLengths(cf, cLen);
    MakeCodes(cLen, cCode);
    int n = kNC;
    while (n > 0 && cLen[n - 1] == 0) --n;
    std::vector<uint32_t> tf(kNT, 0);
    for (int i = 0; i < n;) {
      int k = cLen[i++];
      if (k == 0) {
        int count = 1;
        while (i < n && cLen[i] == 0) {
          ++i;
          ++count;
        }
        if (count <= 2)
          tf[0] += count;
        else if (count <= 18)
          tf[1]++;
        else if (count == 19) {
          tf[0]++;
          tf[1]++;
        } else
          tf[2]++;
      } else {
        tf[k + 2]++;
      }
    }
    int tonly = 0;
    if (Used(tf, tonly) <= 1) {
      bw.Put(kTBit, 0);
      bw.Put(kTBit, tonly);
      ptLen.assign(kNT, 0);
      ptCode.assign(kNT, 0);
    } else {
      MakeLengths(tf, ptLen);
      MakeCodes(ptLen, ptCode);
      WritePtLen(bw, ptLen, kTBit, 3);
    }
    bw.Put(kCBit, n);
    for (int i = 0; i < n;) {
      int k = cLen[i++];
      if (k == 0) {
        int count = 1;
        while (i < n && cLen[i] == 0) {
          ++i;
          ++count;
        }
        if (count <= 2) {
          for (int j = 0; j < count; ++j) bw.Put(ptLen[0], ptCode[0]);
        } else if (count <= 18) {
          bw.Put(ptLen[1], ptCode[1]);
          bw.Put(4, count - 3);
        } else if (count == 19) {
          bw.Put(ptLen[0], ptCode[0]);
          bw.Put(ptLen[1], ptCode[1]);
          bw.Put(4, 15);
        } else {
          bw.Put(ptLen[2], ptCode[2]);
          bw.Put(kCBit, count - 20);
        }
      } else {
        bw.Put(ptLen[k + 2], ptCode[k + 2]);
      }
    }
  }
  std::vector<uint8_t> pLen;
  std::vector<uint16_t> pCode;
  int ponly = 0;
  if (Used(pf, ponly) <= 1) {
    bw.Put(kPBit, 0);
    bw.Put(kPBit, ponly);
    pLen.assign(kNP, 0);
    pCode.assign(kNP, 0);
  } else {
    MakeLengths(pf, pLen);
    MakeCodes(pLen, pCode);
    WritePtLen(bw, pLen, kPBit, -1);
  }
  di = 0;
  for (uint16_t c : b.sym) {
    bw.Put(cLen[c], cCode[c]);
    if (c >= 256) {
      unsigned d = b.dist[di++];
      int p = PSymbol(d);
      bw.Put(pLen[p], pCode[p]);
      if (p > 1) bw.Put(p - 1, d & ((1u << (p - 1)) - 1));
    }
  }
}

}  // namespace

std::string EncodeLh5(const unsigned char* data, size_t n) {
  std::string out;
  EncodeLh5(
      data, n,
      [&out](const unsigned char* p, size_t k) {
        out.append(reinterpret_cast<const char*>(p), k);
        return true;
      },
      nullptr);
  return out;
}

bool EncodeLh5(const unsigned char* data, size_t n, const Sink& sink, const std::function<void()>& consumed) {
  constexpr size_t kOutPiece = 1 << 20;
  constexpr size_t kConsumedStep = 16u << 20;
  std::string out;
  out.reserve(kOutPiece + (1 << 16));
  BitWriter bw(out);
  size_t reported = 0;
  std::vector<int32_t> head(1 << kHashBits, -1);
  std::vector<int32_t> prev(kDicSize, -1);
  auto hash = [&](size_t i) {
    uint32_t v = (uint32_t(data[i]) << 16) | (uint32_t(data[i + 1]) << 8) | data[i + 2];
    return (v * 2654435761u) >> (32 - kHashBits);
  };
  auto insert = [&](size_t i) {
    if (i + 2 >= n) return;
    uint32_t h = hash(i);
    prev[i & (kDicSize - 1)] = head[h];
    head[h] = static_cast<int32_t>(i);
  };
  // Length of the common run at a and b, up to max, 8 bytes at a time.
  auto common = [&](size_t a, size_t b, size_t max) -> size_t {
    size_t l = 0;
    while (l + 8 <= max) {
      uint64_t x, y;
      std::memcpy(&x, data + a + l, 8);
      std::memcpy(&y, data + b + l, 8);
      if (x != y) return l + (__builtin_ctzll(x ^ y) >> 3);
      l += 8;
    }
    while (l < max && data[a + l] == data[b + l]) ++l;
    return l;
  };
  auto longest = [&](size_t i, unsigned& bestDist) -> unsigned {
    if (i + kThreshold > n) return 0;
    unsigned best = 0;
    size_t maxLen = std::min<size_t>(kMaxMatch, n - i);
    int32_t cand = head[hash(i)];
    int chain = kChainLimit;
    while (cand >= 0 && chain-- > 0) {
      size_t c = static_cast<size_t>(cand);
      if (c >= i || i - c > kDicSize) break;
      if (data[c + best] == data[i + best] && data[c] == data[i]) {
        size_t l = common(c, i, maxLen);
        if (l > best) {
          best = static_cast<unsigned>(l);
          bestDist = static_cast<unsigned>(i - c - 1);
          if (l == maxLen) break;
        }
      }
      int32_t p = prev[c & (kDicSize - 1)];
      if (p >= cand) break;
      cand = p;
    }
    return best >= kThreshold ? best : 0;
  };
  Block blk;
  blk.sym.reserve(1 << 15);
  blk.dist.reserve(1 << 14);
  const size_t kBlockSyms = 0x7F00;
  size_t i = 0;
  unsigned curDist = 0;
  unsigned curLen = longest(i, curDist);
  while (i < n) {
    if (curLen >= kThreshold) {
      // One step of lazy matching.
      insert(i);
      unsigned nextDist = 0;
      unsigned nextLen = (curLen < 24 && i + 1 < n) ? longest(i + 1, nextDist) : 0;
      if (nextLen > curLen) {
        blk.sym.push_back(data[i]);
        ++i;
        curLen = nextLen;
        curDist = nextDist;
      } else {
        blk.sym.push_back(static_cast<uint16_t>(curLen + 253));
        blk.dist.push_back(static_cast<uint16_t>(curDist));
        for (size_t k = 1; k < curLen; ++k) insert(i + k);
        i += curLen;
        curLen = i < n ? longest(i, curDist) : 0;
      }
    } else {
      insert(i);
      blk.sym.push_back(data[i]);
      ++i;
      curLen = i < n ? longest(i, curDist) : 0;
    }
    if (blk.sym.size() >= kBlockSyms) {
      EncodeBlock(bw, blk);
      blk.sym.clear();
      blk.dist.clear();
      // Whole bytes go on as they come; the bits of a byte not yet full
      // stay in the writer.
      if (out.size() >= kOutPiece) {
        if (!sink(reinterpret_cast<const unsigned char*>(out.data()), out.size())) return false;
        out.clear();
      }
      if (consumed && i - reported >= kConsumedStep) {
        consumed();
        reported = i;
      }
    }
  }
  if (!blk.sym.empty()) EncodeBlock(bw, blk);
  bw.Flush();
  return out.empty() || sink(reinterpret_cast<const unsigned char*>(out.data()), out.size());
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

// The -lh5- encoder: LHA archives written by this project pack with it
// (liblhasa only decodes). Hash chains find matches in an 8 KiB window;
// blocks are coded with Huffman tables built per block.
#include <algorithm>
#include <cstring>
#include <queue>

#include "archive/libs/Lzh.h"

namespace navirt::arc::lzh {

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

}  // namespace navirt::arc::lzh

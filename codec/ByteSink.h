#pragma once
// Output buffer of the converters. It starts at an estimate of the result's
// size and grows only when a text needs more; the result is then cut to
// what was written. The write position lives in the converter's own
// registers: the buffer object never escapes, so byte stores cannot alias it.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "codec/PairBlock.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace navirt::detail {

inline const uint8_t* Bytes(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

struct Span {
  uint8_t* p;
  uint8_t* end;
};

// Makes room for k more bytes after p; returns the moved position and end.
Span GrowOutput(std::string& s, uint8_t* p, size_t k);

// Length of the run of 7-bit bytes at p, eight at a time.
inline size_t AsciiRun(const uint8_t* p, const uint8_t* e) {
  const uint8_t* q = p;
  while (e - q >= 8) {
    uint64_t w;
    std::memcpy(&w, q, 8);
    if (w & 0x8080808080808080ull) break;
    q += 8;
  }
  while (q < e && *q < 0x80) ++q;
  return static_cast<size_t>(q - p);
}

class Writer {
 public:
  Writer(std::string& s, size_t capacity) : s_(&s) {
    s.resize(capacity);
    p_ = Base();
    end_ = p_ + capacity;
  }
  // Every unit asks for the room it may use before writing.
  void Need(size_t k) {
    if (static_cast<size_t>(end_ - p_) < k) {
      Span r = GrowOutput(*s_, p_, k);
      p_ = r.p;
      end_ = r.end;
    }
  }
  void Put(uint8_t a) { *p_++ = a; }
  void Put2(uint8_t a, uint8_t b) {
    p_[0] = a;
    p_[1] = b;
    p_ += 2;
  }
  void Put3(uint8_t a, uint8_t b, uint8_t c) {
    p_[0] = a;
    p_[1] = b;
    p_[2] = c;
    p_ += 3;
  }
  void Copy(const uint8_t* s, size_t k) {
    Need(k);
    std::memcpy(p_, s, k);
    p_ += k;
  }
  // Converts consecutive two-byte units while they last and fit; returns
  // how many it converted. Eight at a time by the arithmetic of kind, the
  // rest through table (0: stop), which holds the same answers.
  template <PairKind kind>
  [[gnu::always_inline]] size_t PairRun(const uint8_t*& in, const uint8_t* e, const uint16_t* table, uint16_t orMask) {
    size_t max = static_cast<size_t>(e - in) / 2;
    const size_t room = static_cast<size_t>(end_ - p_) / 2;
    if (room < max) max = room;
    size_t i = 0;
    if (kPairBlocks && blocks_) {
      while (max - i >= 8) {
        const size_t n = PairBlock<kind>(in + 2 * i, p_ + 2 * i, orMask);
        i += n;
        if (n < 8) {
          max = i;  // the next unit does not map
          break;
        }
      }
    }
    for (; i < max; ++i) {
      uint16_t k;
      std::memcpy(&k, in + 2 * i, 2);
      uint16_t v = table[k];
      if (!v) break;
      v |= orMask;
      std::memcpy(p_ + 2 * i, &v, 2);
    }
    in += 2 * i;
    p_ += 2 * i;
    return i;
  }
  // Copies the run of 7-bit bytes at in, sixteen at a time: each block is
  // stored whole and the positions move past its leading 7-bit bytes.
  [[gnu::always_inline]] void CopyAscii(const uint8_t*& in, const uint8_t* e) {
#if defined(__SSE2__)
    if (blocks_) {
      while (e - in >= 16) {
        Need(16);
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p_), v);
        if (const unsigned high = static_cast<unsigned>(_mm_movemask_epi8(v))) {
          const unsigned n = static_cast<unsigned>(__builtin_ctz(high));
          in += n;
          p_ += n;
          return;
        }
        in += 16;
        p_ += 16;
      }
    }
#endif
    const size_t k = AsciiRun(in, e);
    Copy(in, k);
    in += k;
  }
  // Tests compare the block paths with the plain ones.
  void UseBlocks(bool on) { blocks_ = on; }
  void Finish() { s_->resize(static_cast<size_t>(p_ - Base())); }

 private:
  uint8_t* Base() { return reinterpret_cast<uint8_t*>(s_->data()); }
  std::string* s_;
  uint8_t* p_;
  uint8_t* end_;
  bool blocks_ = true;
};

// The writer's interface, counting only: sizes a result exactly.
struct Counter {
  size_t n = 0;
  void Need(size_t) {}
  void Put(uint8_t) { ++n; }
  void Put2(uint8_t, uint8_t) { n += 2; }
  void Put3(uint8_t, uint8_t, uint8_t) { n += 3; }
  void Copy(const uint8_t*, size_t k) { n += k; }
};

// Length of the run at p free of the byte b, eight at a time.
inline size_t RunWithout(const uint8_t* p, const uint8_t* e, uint8_t b) {
  const uint64_t pattern = 0x0101010101010101ull * b;
  const uint8_t* q = p;
  while (e - q >= 8) {
    uint64_t w;
    std::memcpy(&w, q, 8);
    const uint64_t x = w ^ pattern;
    if ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) break;
    q += 8;
  }
  while (q < e && *q != b) ++q;
  return static_cast<size_t>(q - p);
}

// run(begin, end, out, estimate) keeps its Writer local, so that the
// write position stays in registers.
template <class Run>
std::string Convert(std::string_view text, size_t estimate, Run run) {
  std::string out;
  run(Bytes(text), Bytes(text) + text.size(), out, estimate);
  return out;
}

}  // namespace navirt::detail

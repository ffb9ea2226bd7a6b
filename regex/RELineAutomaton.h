#pragma once
// Whole lines decided in one pass: whether TAWKStr's search finds a match in
// a line. Every attempt of the line runs at once: a state of this automaton
// is the set of DFA states the running attempts stand in, so each character
// costs one table step and no attempt is walked twice. Built in full from
// the expression's DFA; too large a set automaton is refused and the caller
// searches line by line.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <vector>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "regex/bmRegExp.h"

namespace navirt {

class TRELineAutomaton {
 public:
  // nullptr when the automaton would exceed its limits.
  static std::unique_ptr<TRELineAutomaton> Build(const TMatchCORE& re);

  // What TAWKStr's Search(line).Found gives for a line holding no CR or LF. As the engine
  // reads texts, a zero byte ends the part that is searched.
  bool Matches(std::string_view line) const {
    bool matched;
    ScanLine(line.data(), line.data() + line.size(), matched);
    return matched;
  }

  // Reads the line that begins at from, up to its CR or LF or to end: returns
  // where the line ends, and in matched whether its search finds a match.
  const char* ScanLine(const char* from, const char* end, bool& matched) const {
    const auto* p = reinterpret_cast<const unsigned char*>(from);
    const auto* e = reinterpret_cast<const unsigned char*>(end);
    if (p == e || kind_[*p] >= kZero) {
      matched = emptyFound_;
      return p < e && *p == 0 ? LineEnd(from + 1, end) : from;
    }
    if (allLines_) {
      matched = true;
      return LineEnd(from, end);
    }
    uint32_t st = start_;
    while (p < e) {
      if (st == 0) {
        p = SkipQuiet(p, e);
        if (p == e) break;
      }
      const unsigned b = *p;
      uint32_t cls = kind_[b];
      if (cls < kLead) {
        ++p;
      } else if (cls == kLead) {
        // A lead byte pairs with the next byte unless the line or the
        // searched part ends there.
        if (p + 1 < e && pairs_[p[1]]) {
          cls = leadRow_[b][p[1]];
          p += 2;
        } else {
          cls = lone_[b];
          ++p;
        }
      } else {  // a zero byte, CR or LF
        break;
      }
      const uint32_t t = table_[st + cls];
      if (t & 1) {
        matched = true;
        return LineEnd(reinterpret_cast<const char*>(p), end);
      }
      st = t >> 1;
    }
    matched = tailAccepts_[st / nclasses_] != 0;
    return p < e && *p == 0 ? LineEnd(reinterpret_cast<const char*>(p), end) : reinterpret_cast<const char*>(p);
  }

  // No attempt runs at p (a character's start): the first character at or
  // after p that begins one, or a zero byte, CR or LF; else e. Bytes are
  // looked for one by one, 16 at a time where they fall in a few ranges,
  // and a hit is taken when it starts a character.
  const unsigned char* SkipQuiet(const unsigned char* p, const unsigned char* e) const {
    for (;;) {
      const unsigned char* x = FindLoud(p, e);
      if (x == e || kind_[*x] >= kZero) return x;
      // Bytes before x begin nothing, so a run of lead bytes right before
      // it pairs off from its first: x is the second byte of a character
      // when the run is odd.
      const unsigned char* r = x;
      while (r > p && kind_[r[-1]] == kLead) --r;
      if (((x - r) & 1) == 0) return x;
      p = x + 1;
      if (p == e) return e;
    }
  }

  // The first byte in [p, e) whose skip_ is 0, or e.
  const unsigned char* FindLoud(const unsigned char* p, const unsigned char* e) const {
#if defined(__SSE2__)
    if (ranges_ > 0) {
      const __m128i zero = _mm_setzero_si128();
      for (; e - p >= 16; p += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i m = zero;
        for (int i = 0; i < ranges_; ++i)
          m = _mm_or_si128(m, _mm_cmpeq_epi8(_mm_subs_epu8(_mm_sub_epi8(x, lowv_[i]), spanv_[i]), zero));
        if (const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(m))) return p + __builtin_ctz(bits);
      }
    }
#endif
    while (p < e && skip_[*p]) ++p;
    return p;
  }

  // The first CR or LF at or after p, or end.
  static const char* LineEnd(const char* p, const char* end) {
    const void* lf = std::memchr(p, '\n', size_t(end - p));
    const char* stop = lf ? static_cast<const char*>(lf) : end;
    const void* cr = std::memchr(p, '\r', size_t(stop - p));
    return cr ? static_cast<const char*>(cr) : stop;
  }

 private:
  static constexpr uint32_t kLead = 0x10000;
  static constexpr uint32_t kZero = 0x10001;  // a zero byte, CR or LF

  uint32_t nclasses_ = 1;
  uint32_t start_ = 0;       // the set at a line's start, times the class count
  bool emptyFound_ = false;  // the result for an empty line
  bool allLines_ = false;    // every non-empty line matches
  uint32_t kind_[256] = {};  // a single byte's class, or kLead / kZero
  bool pairs_[256] = {};     // may follow a lead byte in a character
  // With no attempt running: 1 a single byte, 2 a lead byte, that begins
  // nothing; 0 any other byte.
  uint8_t skip_[256] = {};
  // The bytes whose skip_ is 0 as ranges low .. low + span (none: too many).
  int ranges_ = 0;
  uint8_t low_[8] = {}, span_[8] = {};
#if defined(__SSE2__)
  __m128i lowv_[8] = {}, spanv_[8] = {};
#endif
  uint32_t lone_[256] = {};            // the class of a lead byte read alone
  const uint16_t* leadRow_[256] = {};  // into rows_
  std::vector<uint16_t> rows_;
  // Entry: (target set x class count) << 1 | 1 when an attempt accepts.
  std::vector<uint32_t> table_;
  std::vector<uint8_t> tailAccepts_;  // per set: the line's end completes a match
};

}  // namespace navirt

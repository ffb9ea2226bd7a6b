#pragma once
// Whole lines decided in one pass: whether TAWKStr's search finds a match in
// a line. Every attempt of the line runs at once: a state of this automaton
// is the set of DFA states the running attempts stand in, so each character
// costs one table step and no attempt is walked twice. Built in full when
// the expression is compiled into it; too large a set automaton is refused
// and the caller searches line by line.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "regex/bmRegExp.h"

namespace navirt {

class TRELineAutomaton {
 public:
  // nullptr when the automaton would exceed its limits.
  static std::unique_ptr<TRELineAutomaton> Build(const TMatchCORE& re);

  // re.Search(line).Found for a line that holds no CR or LF. As the engine
  // reads texts, a zero byte ends the part that is searched.
  bool Matches(std::string_view line) const {
    const auto* p = reinterpret_cast<const unsigned char*>(line.data());
    const auto* end = p + line.size();
    if (p == end || *p == 0) return emptyFound_;
    if (allLines_) return true;
    uint32_t st = start_;
    while (p < end) {
      const unsigned b = *p;
      uint32_t cls = kind_[b];
      if (cls < kLead) {
        ++p;
      } else if (cls == kLead) {
        // A lead byte pairs with any following byte but zero; cut by the
        // end or a zero byte it reads alone.
        if (p + 1 < end && p[1] != 0) {
          cls = leadRow_[b][p[1]];
          p += 2;
        } else {
          cls = lone_[b];
          ++p;
        }
      } else {  // zero byte
        break;
      }
      const uint32_t e = table_[st + cls];
      if (e & 1) return true;
      st = e >> 1;
    }
    return tailAccepts_[st / nclasses_] != 0;
  }

  int StateCount() const { return static_cast<int>(tailAccepts_.size()); }

 private:
  static constexpr uint32_t kLead = 0x10000;
  static constexpr uint32_t kZero = 0x10001;

  uint32_t nclasses_ = 1;
  uint32_t start_ = 0;        // the set at a line's start, times the class count
  bool emptyFound_ = false;   // the result for an empty line
  bool allLines_ = false;     // every non-empty line matches
  uint32_t kind_[256] = {};   // a single byte's class, or kLead / kZero
  uint32_t lone_[256] = {};   // the class of a lead byte read alone
  const uint16_t* leadRow_[256] = {};  // into rows_
  std::vector<uint16_t> rows_;
  size_t rowAt_[256] = {};
  // Entry: (target set x class count) << 1 | 1 when an attempt accepts.
  std::vector<uint32_t> table_;
  std::vector<uint8_t> tailAccepts_;  // per set: the line's end completes a match
};

}  // namespace navirt

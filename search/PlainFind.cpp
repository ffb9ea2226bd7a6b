#include "search/PlainFind.h"

#include <algorithm>
#include <cstring>

#include "platform/Cp932.h"

namespace navirt {

namespace {

inline unsigned char U(char c) { return static_cast<unsigned char>(c); }

inline unsigned char UpperSingle(unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; }

// Character start at p, counting lead-byte values back no further than
// floor, a position known to start a character.
inline bool CharStartAbove(const unsigned char* b, size_t n, size_t floor, size_t p) {
  if (p >= n) return true;
  size_t k = 0;
  while (p - k > floor && IsSjisLead(b[p - k - 1])) ++k;
  return (k & 1) == 0 || !IsSjisTrail(b[p]);
}

}  // namespace

bool IsWordDelimiter(unsigned char b) {
  return b <= 0x2F || (b >= 0x3A && b <= 0x40) || (b >= 0x5B && b <= 0x60) || (b >= 0x7B && b <= 0x80) ||
         (b >= 0xA0 && b <= 0xDF) || b >= 0xFD;
}

bool IsCharStart(std::string_view text, size_t p) {
  return CharStartAbove(reinterpret_cast<const unsigned char*>(text.data()), text.size(), 0, p);
}

TPlainFinder::TPlainFinder(std::string_view what, PlainOptions options) : what_(what), options_(options) {
  if (!options_.matchCase) {
    // Upper-case single-byte characters only; a pair keeps both bytes.
    for (size_t i = 0; i < what_.size();) {
      unsigned char c = U(what_[i]);
      if (IsSjisLead(c) && i + 1 < what_.size() && IsSjisTrail(U(what_[i + 1]))) {
        i += 2;
      } else {
        what_[i] = static_cast<char>(UpperSingle(c));
        ++i;
      }
    }
  }
  if (!what_.empty()) {
    first_ = U(what_[0]);
    firstOther_ = first_;
    if (!options_.matchCase && first_ >= 'A' && first_ <= 'Z') firstOther_ = first_ + 32;
  }
}

bool TPlainFinder::BytesMatchAt(std::string_view text, size_t p) const {
  const size_t m = what_.size();
  if (m == 0 || p > text.size() || text.size() - p < m) return false;
  const unsigned char* b = reinterpret_cast<const unsigned char*>(text.data()) + p;
  bool loneLeadAtEnd = false;
  if (options_.matchCase) {
    if (std::memcmp(b, what_.data(), m) != 0) return false;
    // Only the pattern's own last character can be cut: a lone lead byte.
    size_t i = 0;
    while (i < m) {
      unsigned char c = U(what_[i]);
      if (IsSjisLead(c) && i + 1 < m && IsSjisTrail(U(what_[i + 1]))) {
        i += 2;
      } else {
        loneLeadAtEnd = i + 1 == m && IsSjisLead(c);
        ++i;
      }
    }
  } else {
    for (size_t i = 0; i < m;) {
      unsigned char c = U(what_[i]);
      if (IsSjisLead(c) && i + 1 < m && IsSjisTrail(U(what_[i + 1]))) {
        if (b[i] != c || b[i + 1] != U(what_[i + 1])) return false;
        i += 2;
      } else {
        if (UpperSingle(b[i]) != c) return false;
        loneLeadAtEnd = i + 1 == m && IsSjisLead(c);
        ++i;
      }
    }
  }
  return !(loneLeadAtEnd && p + m < text.size() && IsSjisTrail(U(text[p + m])));
}

bool TPlainFinder::WordEdgesAt(std::string_view text, size_t p) const {
  if (!options_.wholeWord) return true;
  const size_t end = p + what_.size();
  if (IsWordDelimiter(U(text[p]))) return false;
  if (p > 0 && !IsWordDelimiter(U(text[p - 1]))) return false;
  return end >= text.size() || IsWordDelimiter(U(text[end]));
}

size_t TPlainFinder::NextByteCandidate(const char* b, size_t n, size_t from) const {
  const size_t m = what_.size();
  if (from >= n || n - from < m) return npos;
  const size_t lastStart = n - m;
  if (options_.matchCase) {
    const void* hit = memmem(b + from, n - from, what_.data(), m);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - b) : npos;
  }
  // Both cases of the first byte, a slice at a time, so that a rare one
  // does not send every call to the end of the text.
  constexpr size_t kSlice = 4096;
  for (size_t p = from; p <= lastStart;) {
    size_t len = std::min(kSlice, lastStart - p + 1);
    const void* a = std::memchr(b + p, first_, len);
    size_t q = a ? static_cast<size_t>(static_cast<const char*>(a) - b) : npos;
    if (firstOther_ != first_) {
      const void* o = std::memchr(b + p, firstOther_, (q == npos ? p + len : q) - p);
      if (o) q = static_cast<size_t>(static_cast<const char*>(o) - b);
    }
    if (q == npos) {
      p += len;
      continue;
    }
    if (BytesMatchAt(std::string_view(b, n), q)) return q;
    p = q + 1;
  }
  return npos;
}

size_t TPlainFinder::FindFrom(std::string_view text, size_t from, size_t knownStart) const {
  if (what_.empty()) return npos;
  const char* b = text.data();
  const auto* ub = reinterpret_cast<const unsigned char*>(b);
  const size_t n = text.size();
  if (from > n) return npos;
  // A trail byte at from starts no match, and the byte after it starts a character.
  size_t floor = CharStartAbove(ub, n, std::min(knownStart, from), from) ? from : from + 1;
  for (size_t p = floor;;) {
    size_t q = NextByteCandidate(b, n, p);
    if (q == npos) return npos;
    if (CharStartAbove(ub, n, floor, q)) {
      floor = q;
      if (BytesMatchAt(text, q) && WordEdgesAt(text, q)) return q;
    } else {
      floor = q + 1;  // q is a trail byte, so the next byte starts a character
    }
    p = q + 1;
  }
}

size_t TPlainFinder::FindBackFrom(std::string_view text, size_t last) const {
  const size_t m = what_.size();
  if (m == 0 || text.size() < m) return npos;
  size_t q = std::min(last, text.size() - m);
  for (;; --q) {
    unsigned char c = U(text[q]);
    if ((c == first_ || c == firstOther_) && BytesMatchAt(text, q) && IsCharStart(text, q) && WordEdgesAt(text, q))
      return q;
    if (q == 0) return npos;
  }
}

int ReplacePlain(std::string& text, std::string_view what, std::string_view with, PlainOptions options) {
  return TPlainFinder(what, options).ReplaceIn(text, with);
}

int TPlainFinder::ReplaceIn(std::string& text, std::string_view with) const {
  size_t q = FindFrom(text, 0);
  if (q == npos) return 0;
  std::string out;
  out.reserve(text.size() + (with.size() > what_.size() ? text.size() / 8 : 0));
  size_t p = 0;
  int count = 0;
  while (q != npos) {
    out.append(text, p, q - p);
    out.append(with);
    p = q + what_.size();
    ++count;
    q = FindFrom(text, p, q);
  }
  out.append(text, p);
  text.swap(out);
  return count;
}

int LineOfOffset(std::string_view text, size_t offset) {
  std::string_view before = text.substr(0, std::min(offset, text.size()));
  size_t lines = static_cast<size_t>(std::count(before.begin(), before.end(), '\n'));
  // A CR ends a line of its own unless an LF follows.
  for (size_t p = before.find('\r'); p != std::string_view::npos; p = before.find('\r', p + 1)) {
    if (p + 1 >= text.size() || text[p + 1] != '\n') ++lines;
  }
  return static_cast<int>(lines);
}

}  // namespace navirt

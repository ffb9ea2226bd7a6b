// Grep over a whole mapped file. Most files hold no CR and no zero byte:
// then the file's bytes are the character stream TTxtFile would make (less
// its leading LF and a final LF), so the scans run straight over the mapped
// pages with no block copies and no per-line setup. A literal is found by
// its two rarest bytes; an expression's lines are first narrowed to those
// holding its required literal (or one of its required literals, by the
// multi-literal finder) and only those lines run the all-attempts
// automaton. Files with CR or zero bytes, and expressions whose literals
// reach across a line end, go the block reader's way.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <memory>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Cp932.h"
#include "regex/REMultiFinder.h"
#include "regex/RENeedleFinder.h"
#include "regex/bmRegExp.h"

namespace navirt {

namespace {

constexpr size_t kWindow = size_t(1) << 20;  // bytes scanned between polls

bool HasCrOrZero(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  for (; end - p >= 64; p += 64) {
    __m128i m = _mm_setzero_si128();
    for (int k = 0; k < 64; k += 16) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
      m = _mm_or_si128(m, _mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, zero)));
    }
    if (_mm_movemask_epi8(m)) return true;
  }
#endif
  for (; p < end; ++p)
    if (*p == '\r' || *p == '\0') return true;
  return false;
}

size_t CountLfs(const char* p, const char* end) {
  size_t n = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  while (end - p >= 16) {
    __m128i acc = _mm_setzero_si128();
    for (int i = 0; i < 255 && end - p >= 16; ++i, p += 16)
      acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf));
    const __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
    n += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
  }
#endif
  for (; p < end; ++p) n += *p == '\n';
  return n;
}

class Mapping {
 public:
  ~Mapping() {
    if (data_) ::munmap(data_, size_);
  }
  // False when the path is no regular, non-empty file that maps.
  bool Open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
      size_ = size_t(st.st_size);
      void* m = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
      if (m != MAP_FAILED) data_ = m;
    }
    ::close(fd);
    return data_ != nullptr;
  }
  const char* Data() const { return static_cast<const char*>(data_); }
  size_t Size() const { return size_; }

 private:
  void* data_ = nullptr;
  size_t size_ = 0;
};

// Where an attempt may begin: the bytes that start one from the empty set
// (for a lead byte, with any byte after it), found 16 at a time where they
// fall in a few ranges.
class QuietSkip {
 public:
  explicit QuietSkip(const TREScanAutomaton* a) {
    if (!a) return;
    const uint8_t* start = a->StartByte();
    for (int b = 0; b < 256; ++b) loud_[b] = start[b] != 0;
    for (int b = 0; b < 256; ++b) {
      if (!loud_[b]) continue;
      if (b > 0 && loud_[b - 1]) {
        ++span_[ranges_ - 1];
        continue;
      }
      if (ranges_ == 8) {
        ranges_ = -1;  // too many: one byte at a time
        break;
      }
      low_[ranges_++] = uint8_t(b);
    }
  }

  // The first character start in [p, lf) that may begin an attempt, p being
  // a character start; lf when there is none.
  size_t Next(const char* s, size_t p, size_t lf) const {
    const auto* u = reinterpret_cast<const unsigned char*>(s);
    for (;;) {
      size_t x = p;
#if defined(__SSE2__)
      if (ranges_ >= 0) {
        const __m128i zero = _mm_setzero_si128();
        for (; lf - x >= 16; x += 16) {
          const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(u + x));
          __m128i m = zero;
          for (int i = 0; i < ranges_; ++i)
            m = _mm_or_si128(m, _mm_cmpeq_epi8(_mm_subs_epu8(_mm_sub_epi8(v, _mm_set1_epi8(char(low_[i]))),
                                                             _mm_set1_epi8(char(span_[i]))),
                                               zero));
          if (const unsigned bits = static_cast<unsigned>(_mm_movemask_epi8(m))) {
            x += size_t(__builtin_ctz(bits));
            break;
          }
        }
      }
#endif
      while (x < lf && !loud_[u[x]]) ++x;
      if (x >= lf) return lf;
      // Bytes before x begin nothing, so a run of lead bytes right before
      // it pairs off from its first: x is a second byte when the run is odd.
      size_t r = x;
      while (r > p && IsSjisLead(u[r - 1])) --r;
      if (((x - r) & 1) == 0) return x;
      p = x + 1;
    }
  }

 private:
  bool loud_[256] = {};
  int ranges_ = 0;
  uint8_t low_[8] = {}, span_[8] = {};
};

}  // namespace

bool TGrep::WholeFileScan(const std::string& path) {
  const TRE_DFA& dfa = DFA();
  const bool literal = scanKind_ == scan_Literal;
  const TREScanAutomaton* a = nullptr;
  // A literal may begin and end with LF (a line's head and tail), not
  // hold one inside.
  size_t from = 0, to = literalCodes_.size();
  if (literal) {
    if (from < to && literalCodes_[from] == '\n') ++from;
    if (to > from && literalCodes_[to - 1] == '\n') --to;
    if (from == to) return false;
    for (size_t i = from; i < to; ++i) {
      const uint32_t c = literalCodes_[i];
      // Only whole characters other than LF: as the byte scan needs.
      if (c == '\n' || (c < 0x100 ? IsSjisLead(static_cast<unsigned char>(c))
                                  : !IsSjisLead(static_cast<unsigned char>(c >> 8)) || (c & 0xFF) == '\n'))
        return false;
    }
  } else {
    a = dfa.ScanAutomaton(LineTailChar());
    if (!a) return false;
  }
  Mapping map;
  if (!map.Open(path)) return false;
  const char* d = map.Data();
  const size_t n = map.Size();
  if (HasCrOrZero(d, d + n)) return false;
  wholeScanned_ = true;

  size_t counted = 0;
  int64_t lfs = 0;
  auto poll = [&] {
    if (OnProcessMessages) OnProcessMessages();
    if (Cancel) throw EGrepCancel();
  };
  auto lineStart = [&](size_t x) {
    const void* lf = x ? memrchr(d, '\n', x) : nullptr;
    return lf ? size_t(static_cast<const char*>(lf) - d) + 1 : 0;
  };
  auto lineEnd = [&](size_t x) {
    const void* lf = std::memchr(d + x, '\n', n - x);
    return lf ? size_t(static_cast<const char*>(lf) - d) : n;
  };
  auto report = [&](size_t ls, size_t le) {
    poll();
    RE_LineInfo_t info;
    info.Line.assign(d + ls, le - ls);
    if (CountLines) {
      lfs += int64_t(CountLfs(d + counted, d + ls));
      counted = ls;
      info.LineNo = int32_t(lfs + 1);
    }
    OnMatch(this, info);
  };

  // Runs every attempt of the line [ls, le) from the LF before it through
  // the LF after it, as the block reader's stream has them.
  const uint32_t* tab = a ? a->Table() : nullptr;
  const uint16_t* single = dfa.SingleClass();
  const QuietSkip quiet(a);
  auto runLine = [&](const char* s, size_t prevLf, size_t lf) {
    uint32_t st = 0;
    for (size_t p = prevLf; p <= lf;) {
      if (st == 0 && p > prevLf) {
        // With no attempt running, the LF ending the line accepts nothing.
        p = quiet.Next(s, p, lf);
        if (p >= lf) return false;
      }
      const auto b = static_cast<unsigned char>(s[p]);
      uint32_t cls;
      const size_t q = p;
      if (IsSjisLead(b) && s[p + 1] != '\n') {
        cls = dfa.LeadRow(b)[static_cast<unsigned char>(s[p + 1])];
        p += 2;
      } else {
        cls = single[b];
        p += 1;
      }
      const uint32_t e = tab[st + cls];
      st = e >> 2;
      if (q == lf) return (e & TREScanAutomaton::kOldAccept) != 0;
      if (e & 3) return true;
    }
    return false;
  };
  std::string edge;
  auto lineMatches = [&](size_t ls, size_t le) {
    if (ls > 0 && le < n) return runLine(d, ls - 1, le);
    // The first line and a last line without LF: their LFs are added.
    edge.assign(1, '\n');
    edge.append(d + ls, le - ls);
    edge += '\n';
    return runLine(edge.data(), 0, edge.size() - 1);
  };

  // Candidate scans: find(from, to) gives a hit in [from, to) or nullptr;
  // test(ls, le, x) decides the line of a hit at x; a line that fails may
  // hold a later hit only for literals (a hit inside a character).
  auto candidates = [&](auto find, size_t reach, auto test, bool retryLine) {
    size_t pos = 0;
    while (pos < n) {
      const size_t wend = std::min(n, pos + kWindow);
      const char* hit = find(d + pos, d + std::min(n, wend + reach));
      if (!hit || size_t(hit - d) >= wend) {
        pos = wend;
        poll();
        continue;
      }
      const size_t x = size_t(hit - d);
      const size_t ls = lineStart(x);
      const size_t le = lineEnd(x);
      if (test(ls, le, x)) {
        report(ls, le);
        pos = le + 1;
      } else {
        pos = retryLine ? x + 1 : le + 1;
      }
    }
  };

  if (literal) {
    std::string lit;
    for (size_t i = from; i < to; ++i) REAppendCode(lit, literalCodes_[i]);
    const bool atHead = from > 0, atTail = to < literalCodes_.size();
    const TRENeedleFinder finder(lit, std::string_view(d, std::min(n, size_t(1) << 16)));
    auto found = [&](size_t ls, size_t le, size_t x) {
      if (atHead && x != ls) return false;
      if (atTail && x + lit.size() != le) return false;
      size_t run = 0;
      for (size_t i = x; i > ls && IsSjisLead(static_cast<unsigned char>(d[i - 1])); --i) ++run;
      return run % 2 == 0;
    };
    candidates([&](const char* p, const char* e) { return finder.Find(p, e); }, lit.size() - 1, found, true);
    return true;
  }

  auto byLine = [&](size_t ls, size_t le, size_t) { return lineMatches(ls, le); };
  auto noLf = [](const std::string& s) { return !s.empty() && s.find('\n') == std::string::npos; };
  const std::string& must = dfa.MustLiteral;
  const std::vector<std::string>& set = dfa.MustSet;
  const bool setUsable = set.size() >= 2 && std::all_of(set.begin(), set.end(), noLf);
  size_t setMin = 0;
  for (const std::string& s : set) setMin = setMin ? std::min(setMin, s.size()) : s.size();
  if (noLf(must) && (must.size() >= 3 || !setUsable || must.size() >= setMin)) {
    const TRENeedleFinder finder(must, std::string_view(d, std::min(n, size_t(1) << 16)));
    candidates([&](const char* p, const char* e) { return finder.Find(p, e); }, must.size() - 1, byLine, false);
    return true;
  }
  if (setUsable && set.size() <= TREMultiFinder::kMaxStrings) {
    const TREMultiFinder finder(set);
    candidates([&](const char* p, const char* e) { return finder.Find(p, e); }, finder.MaxLength() - 1, byLine, false);
    return true;
  }

  // No literal to look for: the automaton runs over the lines between the
  // first LF and the last, the lines at either edge on their own.
  const size_t firstLf = lineEnd(0);
  if (lineMatches(0, firstLf)) report(0, firstLf);
  if (firstLf >= n) return true;
  const void* lastPtr = memrchr(d, '\n', n);
  const size_t lastLf = size_t(static_cast<const char*>(lastPtr) - d);
  const uint8_t* startByte = a->StartByte();
  size_t p = firstLf;
  uint32_t st = 0;
  size_t nextPoll = p + kWindow;
  while (p <= lastLf) {
    if (p >= nextPoll) {
      poll();
      nextPoll = p + kWindow;
    }
    if (st == 0) {
      while (p < lastLf && !startByte[static_cast<unsigned char>(d[p])])
        p += (IsSjisLead(static_cast<unsigned char>(d[p])) && d[p + 1] != '\n') ? 2 : 1;
    }
    const auto b = static_cast<unsigned char>(d[p]);
    const size_t q = p;
    uint32_t cls;
    if (IsSjisLead(b) && d[p + 1] != '\n') {
      cls = dfa.LeadRow(b)[static_cast<unsigned char>(d[p + 1])];
      p += 2;
    } else {
      cls = single[b];
      p += 1;
    }
    const uint32_t e = tab[st + cls];
    st = e >> 2;
    if (!(e & 3)) continue;
    if (b == '\n') {
      // q ends a line: earlier attempts belong to it, the attempt begun at
      // q to the next line (the last line is the edge's).
      if (e & TREScanAutomaton::kOldAccept) report(lineStart(q), q);
      if ((e & TREScanAutomaton::kNewAccept) && q < lastLf) {
        const size_t le = lineEnd(q + 1);
        report(q + 1, le);
        p = le;
        st = 0;
      }
    } else {
      const size_t ls = lineStart(q);
      const size_t le = lineEnd(q);
      report(ls, le);
      p = le;
      st = 0;
    }
  }
  if (lastLf + 1 < n && lineMatches(lastLf + 1, n)) report(lastLf + 1, n);
  return true;
}

}  // namespace navirt

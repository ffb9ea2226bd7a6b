// Sorting the pane's lines. Each line is decoded losslessly, case-folded
// (the collation then sees no case at all, while width and kana type still
// count) and turned into an ICU sort key once. The sort moves 32-byte items:
// the key's first 16 bytes as two numbers (most comparisons end there, and
// need not follow a pointer), a pointer to the rest of the key in a block
// arena, and the caller's tag (the line's index or offset, which grows
// with the line order). Comparing the tags last makes the order total, so an
// in-place sort gives the stable result without a merge buffer: a 64 MiB
// text sorts in less than twice its size. In-place radix passes over the
// keys' first sixteen bytes split the items into buckets before the
// comparisons, which then rarely reach the rest of a key. A large text's two halves
// get their keys built and sorted side by side, on two threads, and are
// merged as the lines are written out.
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <system_error>
#include <thread>

#include "edit/LineCommands.h"
#include "edit/LineStream.h"
#include "platform/Cp932.h"

namespace navirt {

namespace {

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};

constexpr size_t kBlock = size_t{4} << 20;
const uint8_t kEmptyRest[1] = {0};

}  // namespace

struct TSortKeys::Impl {
  std::unique_ptr<UCollator, CollatorCloser> coll;
  std::vector<std::unique_ptr<uint8_t[]>> blocks;
  size_t used = kBlock;  // in the last block
  std::u16string decoded;
  std::u16string folded;
  std::vector<uint8_t> key;
  // A repeated line takes the key of its first copy, with no collation: an
  // open-addressed table of numbers + 1 into `firsts` by the hash of the
  // line's bytes. Given up when few lines repeat, so distinct lines pay
  // nothing for it.
  std::vector<uint32_t> slots;
  std::vector<std::pair<std::string_view, uint32_t>> firsts;  // line, its item
  size_t looked = 0, shared = 0;
  bool sharing = true;

  uint8_t* Room(size_t n) {
    if (n > kBlock / 4) {
      // A long key gets a block of its own; the open block stays the last.
      auto at = blocks.empty() ? blocks.end() : blocks.end() - 1;
      return blocks.insert(at, std::unique_ptr<uint8_t[]>(new uint8_t[n]))->get();
    }
    if (used + n > kBlock) {
      blocks.emplace_back(new uint8_t[kBlock]);
      used = 0;
    }
    uint8_t* p = blocks.back().get() + used;
    used += n;
    return p;
  }
};

TSortKeys::TSortKeys() : impl_(std::make_unique<Impl>()) {
  UErrorCode err = U_ZERO_ERROR;
  impl_->coll.reset(ucol_open("ja", &err));
  if (U_FAILURE(err)) impl_->coll.reset();
  // Hiragana and katakana differ only at the fourth level in Japanese.
  if (impl_->coll) ucol_setStrength(impl_->coll.get(), UCOL_QUATERNARY);
}

TSortKeys::~TSortKeys() = default;

namespace {
uint64_t HashBytes(const uint8_t* p, size_t n) {
  uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    h = (h ^ w) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 29;
  }
  uint64_t w = 0;
  std::memcpy(&w, p, n);
  h = (h ^ w) * 0xC4CEB9FE1A85EC53ull;
  return h ^ (h >> 32);
}
}  // namespace

// The item of an earlier line with the same bytes, or nullptr (then the
// item about to be added is noted as that line's first).
const TSortKeys::Item* TSortKeys::SameLine(std::string_view line) {
  Impl& m = *impl_;
  if (!m.sharing) return nullptr;
  if (m.looked == 65536 && m.shared * 8 < m.looked) {
    // Few repeats: no table.
    m.sharing = false;
    std::vector<uint32_t>().swap(m.slots);
    std::vector<std::pair<std::string_view, uint32_t>>().swap(m.firsts);
    return nullptr;
  }
  ++m.looked;
  auto hash = [](std::string_view l) { return HashBytes(reinterpret_cast<const uint8_t*>(l.data()), l.size()); };
  if ((m.firsts.size() + 1) * 2 > m.slots.size()) {
    std::vector<uint32_t> bigger(std::max<size_t>(1024, m.slots.size() * 2), 0);
    const size_t mask = bigger.size() - 1;
    for (uint32_t v : m.slots) {
      if (!v) continue;
      size_t i = hash(m.firsts[v - 1].first) & mask;
      while (bigger[i]) i = (i + 1) & mask;
      bigger[i] = v;
    }
    m.slots.swap(bigger);
  }
  const size_t mask = m.slots.size() - 1;
  size_t i = hash(line) & mask;
  for (; m.slots[i]; i = (i + 1) & mask) {
    const auto& f = m.firsts[m.slots[i] - 1];
    if (f.first == line) {
      ++m.shared;
      return &items_[f.second];
    }
  }
  if (items_.size() >= 0xFFFFFFFFu) return nullptr;
  m.firsts.emplace_back(line, static_cast<uint32_t>(items_.size()));  // the item about to be added
  m.slots[i] = static_cast<uint32_t>(m.firsts.size());
  return nullptr;
}

void TSortKeys::Reserve(size_t n) { items_.reserve(n); }

void TSortKeys::Add(std::string_view line, uint64_t tag) {
  Impl& m = *impl_;
  if (const Item* same = SameLine(line)) {
    Item it = *same;
    it.tag = tag;
    items_.push_back(it);
    return;
  }
  const std::u16string& u = m.decoded;
  DecodeCp932LosslessInto(line, m.decoded);
  if (m.folded.size() < u.size() * 3 + 1) m.folded.resize(u.size() * 3 + 1);
  UErrorCode err = U_ZERO_ERROR;
  int32_t flen = u_strFoldCase(m.folded.data(), static_cast<int32_t>(m.folded.size()), u.data(),
                               static_cast<int32_t>(u.size()), U_FOLD_CASE_DEFAULT, &err);
  if (U_FAILURE(err)) flen = 0;
  size_t klen = 0;  // with the terminating 0
  if (m.coll) {
    if (m.key.size() < 256) m.key.resize(256);
    int32_t need =
        ucol_getSortKey(m.coll.get(), m.folded.data(), flen, m.key.data(), static_cast<int32_t>(m.key.size()));
    if (need > static_cast<int32_t>(m.key.size())) {
      m.key.resize(need);
      need = ucol_getSortKey(m.coll.get(), m.folded.data(), flen, m.key.data(), need);
    }
    klen = need;
  } else {
    // No collator: code-unit order of the folded text, as a key of bytes 1-128.
    m.key.clear();
    for (int32_t k = 0; k < flen; ++k) {
      m.key.push_back(static_cast<uint8_t>((m.folded[k] >> 14) + 1));
      m.key.push_back(static_cast<uint8_t>(((m.folded[k] >> 7) & 0x7F) + 1));
      m.key.push_back(static_cast<uint8_t>((m.folded[k] & 0x7F) + 1));
    }
    m.key.push_back(0);
    klen = m.key.size();
  }
  Item it;
  it.tag = tag;
  it.head = 0;
  it.head2 = 0;
  for (size_t k = 0; k < 8; ++k) it.head = (it.head << 8) | (k < klen ? m.key[k] : 0);
  for (size_t k = 8; k < 16; ++k) it.head2 = (it.head2 << 8) | (k < klen ? m.key[k] : 0);
  if (klen > 16) {
    uint8_t* p = m.Room(klen - 16);
    std::memcpy(p, m.key.data() + 16, klen - 16);
    it.rest = p;
  } else {
    it.rest = kEmptyRest;
  }
  items_.push_back(it);
}

namespace {

// Keys compared once, three ways: equal keys (repeated lines) cost one walk
// over the key, not two.
int KeyCompare(const TSortKeys::Item& a, const TSortKeys::Item& b) {
  if (a.head != b.head) return a.head < b.head ? -1 : 1;
  // Keys hold no zero byte but their end: a head ending in 0 is the key.
  if ((a.head & 0xFF) == 0) return 0;
  if (a.head2 != b.head2) return a.head2 < b.head2 ? -1 : 1;
  if ((a.head2 & 0xFF) == 0 || a.rest == b.rest) return 0;
  return std::strcmp(reinterpret_cast<const char*>(a.rest), reinterpret_cast<const char*>(b.rest));
}

// The sorted order: by key, equal keys by tag in both directions.
template <bool kDescending>
bool Before(const TSortKeys::Item& a, const TSortKeys::Item& b) {
  const int c = KeyCompare(a, b);
  if (c != 0) return kDescending ? c > 0 : c < 0;
  return a.tag < b.tag;
}

// The sort's comparison, asking the cancel test every few thousand calls
// (std::sort copies it, so the count lives outside).
template <bool kDescending>
struct CancellableBefore {
  const LinesCancelTest* cancelled;
  size_t* count;
  bool operator()(const TSortKeys::Item& a, const TSortKeys::Item& b) const {
    if ((++*count & 0xFFF) == 0 && (*cancelled)()) throw TLinesCancelled();
    return Before<kDescending>(a, b);
  }
};

template <bool kDescending>
void MergeInto(const std::vector<TSortKeys::Item>& a, const std::vector<TSortKeys::Item>& b,
               const std::function<void(uint64_t)>& emit) {
  auto ia = a.begin(), ib = b.begin();
  while (ia != a.end() && ib != b.end()) emit(Before<kDescending>(*ib, *ia) ? (ib++)->tag : (ia++)->tag);
  for (; ia != a.end(); ++ia) emit(ia->tag);
  for (; ib != b.end(); ++ib) emit(ib->tag);
}

// Builds and sorts the keys of two parts of the lines, the second on a
// thread of its own when the machine has a second core, and calls emit
// with every tag in the sorted order. add(keys, k) adds part k's lines;
// part 1's tags all follow part 0's.
void SortInParts(bool two, bool descending, const std::function<void(TSortKeys&, int)>& add,
                 const std::function<void(uint64_t)>& emit, const LinesCancelTest& cancelled = {}) {
  TSortKeys first;
  // Each key set opens a collator: the second only when there are halves.
  std::optional<TSortKeys> second;
  if (two) second.emplace();
  std::exception_ptr failed;
  auto work = [&] {
    try {
      add(*second, 1);
      second->Sort(descending, cancelled);
    } catch (...) {
      failed = std::current_exception();
    }
  };
  bool started = false;
  {
    std::thread side;
    struct Join {
      std::thread& t;
      ~Join() {
        if (t.joinable()) t.join();
      }
    } join{side};
    if (two && std::thread::hardware_concurrency() > 1) {
      try {
        side = std::thread(work);
        started = true;
      } catch (const std::system_error&) {
        // No thread to be had: the same work, one part after the other.
      }
    }
    add(first, 0);
    first.Sort(descending, cancelled);
  }
  if (two && !started) work();
  if (failed) std::rethrow_exception(failed);
  if (second)
    TSortKeys::Merge(first, *second, descending, emit);
  else
    first.ForEach(emit);
}

// Sorts [first, last) by the radix of key byte `at` (0-15, in head and
// head2; an in-place pass: each item is swapped straight into its bucket),
// then each bucket by the next byte, down to buckets small enough for the
// comparison sort. Buckets follow the byte order (reversed when
// descending), and within a bucket less decides as it would have for the
// whole, so the result is the comparison sort's: equal keys stay in tag
// order. No memory beyond the items.
template <bool kDescending, class Less>
void RadixSort(TSortKeys::Item* first, TSortKeys::Item* last, int at, const Less& less,
               const LinesCancelTest& cancelled) {
  constexpr size_t kSmall = 256;
  const size_t n = static_cast<size_t>(last - first);
  if (n <= kSmall || at >= 16) {
    std::sort(first, last, less);
    return;
  }
  if (cancelled && cancelled()) throw TLinesCancelled();
  const int shift = 56 - 8 * (at % 8);
  auto digit = [shift, at](const TSortKeys::Item& it) {
    return static_cast<unsigned>((at < 8 ? it.head : it.head2) >> shift) & 0xFF;
  };
  size_t count[256] = {};
  for (const TSortKeys::Item* p = first; p != last; ++p) ++count[digit(*p)];
  size_t start[257];
  size_t next[256];
  start[0] = 0;
  for (unsigned k = 0; k < 256; ++k) {
    const unsigned b = kDescending ? 255 - k : k;
    next[b] = start[k];
    start[k + 1] = start[k] + count[b];
  }
  for (unsigned k = 0; k < 256; ++k) {
    const unsigned b = kDescending ? 255 - k : k;
    const size_t end = start[k + 1];
    while (next[b] < end) {
      TSortKeys::Item it = first[next[b]];
      for (unsigned d = digit(it); d != b; d = digit(it)) std::swap(it, first[next[d]++]);
      first[next[b]++] = it;
    }
  }
  for (unsigned k = 0; k < 256; ++k) {
    const unsigned b = kDescending ? 255 - k : k;
    if (count[b] < 2) continue;
    TSortKeys::Item* from = first + start[k];
    // A 0 byte ends the key: the bucket's keys are all equal.
    if (b == 0)
      std::sort(from, from + count[b], less);
    else
      RadixSort<kDescending>(from, from + count[b], at + 1, less, cancelled);
  }
}

template <bool kDescending>
void SortItems(std::vector<TSortKeys::Item>& items, const LinesCancelTest& cancelled, bool radix) {
  TSortKeys::Item* first = items.data();
  TSortKeys::Item* last = first + items.size();
  if (cancelled) {
    size_t count = 0;
    const CancellableBefore<kDescending> less{&cancelled, &count};
    if (radix)
      RadixSort<kDescending>(first, last, 0, less, cancelled);
    else
      std::sort(first, last, less);
    return;
  }
  if (radix)
    RadixSort<kDescending>(first, last, 0, Before<kDescending>, cancelled);
  else
    std::sort(first, last, Before<kDescending>);
}

}  // namespace

void TSortKeys::Sort(bool descending, const LinesCancelTest& cancelled, bool radix) {
  if (descending)
    SortItems<true>(items_, cancelled, radix);
  else
    SortItems<false>(items_, cancelled, radix);
}

void TSortKeys::ForEach(const std::function<void(uint64_t)>& emit) const {
  for (const Item& it : items_) emit(it.tag);
}

void TSortKeys::Merge(const TSortKeys& a, const TSortKeys& b, bool descending,
                      const std::function<void(uint64_t)>& emit) {
  if (descending)
    MergeInto<true>(a.items_, b.items_, emit);
  else
    MergeInto<false>(a.items_, b.items_, emit);
}

LineList SortLines(LineList lines, bool descending, size_t sideBySideFrom, const LinesCancelTest& cancelled) {
  if (lines.size() < 2) return lines;
  const size_t n = lines.size();
  const bool two = n >= sideBySideFrom;
  const size_t cut = two ? n / 2 : n;
  LineList out;
  out.reserve(n);
  SortInParts(
      two, descending,
      [&](TSortKeys& keys, int k) {
        const size_t from = k == 0 ? 0 : cut, to = k == 0 ? cut : n;
        keys.Reserve(to - from);
        for (size_t i = from; i < to; ++i) {
          if (cancelled && (i & 0xFFF) == 0 && cancelled()) throw TLinesCancelled();
          keys.Add(lines[i], i);
        }
      },
      [&](uint64_t i) { out.push_back(std::move(lines[i])); }, cancelled);
  return out;
}

namespace {
// Where a text's second half starts: after the first line end past its
// middle; 0 when no line starts there.
size_t SecondHalf(std::string_view text) {
  size_t at = text.find('\n', text.size() / 2);
  // With no LF left, a CR there stands alone.
  if (at == std::string_view::npos) at = text.find('\r', text.size() / 2);
  return at != std::string_view::npos && at + 1 < text.size() ? at + 1 : 0;
}
}  // namespace

void SortLinesText(std::string_view text, bool descending, TLineJoiner& j, size_t sideBySideFrom) {
  const size_t cut = text.size() >= sideBySideFrom ? SecondHalf(text) : 0;
  const char* end = text.data() + text.size();
  SortInParts(
      cut != 0, descending,
      [&](TSortKeys& keys, int k) {
        std::string_view part = cut == 0 ? text : k == 0 ? text.substr(0, cut) : text.substr(cut);
        keys.Reserve(CountLines(part));
        ForEachLine(part, [&](std::string_view l) { keys.Add(l, static_cast<uint64_t>(l.data() - text.data())); });
      },
      [&](uint64_t start) {
        // The line runs from its start to the next line end.
        const char* p = text.data() + start;
        const char* e = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        if (!e) e = end;
        // A CR before it ends the line sooner (CR LF, or a lone CR).
        if (const void* cr = std::memchr(p, '\r', static_cast<size_t>(e - p))) e = static_cast<const char*>(cr);
        j.Next().append(p, static_cast<size_t>(e - p));
      });
}

}  // namespace navirt

// Sorting the pane's lines. Each line is decoded losslessly, case-folded
// (the collation then sees no case at all, while width and kana type still
// count) and turned into an ICU sort key once. The sort moves 32-byte items:
// the key's first 16 bytes as two numbers (most comparisons end there, and
// need not follow a pointer), a pointer to the rest of the key in a block
// arena, and the caller's tag (the line's index or offset, which grows
// with the line order). Comparing the tags last makes the order total, so an
// in-place sort gives the stable result without a merge buffer: a 64 MiB
// text sorts in less than three times its size. A large text's two halves
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

void TSortKeys::Reserve(size_t n) { items_.reserve(n); }

void TSortKeys::Add(std::string_view line, uint64_t tag) {
  Impl& m = *impl_;
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

bool KeyLess(const TSortKeys::Item& a, const TSortKeys::Item& b) {
  if (a.head != b.head) return a.head < b.head;
  // Keys hold no zero byte but their end: a head ending in 0 is the key.
  if ((a.head & 0xFF) == 0) return false;
  if (a.head2 != b.head2) return a.head2 < b.head2;
  if ((a.head2 & 0xFF) == 0) return false;
  return std::strcmp(reinterpret_cast<const char*>(a.rest), reinterpret_cast<const char*>(b.rest)) < 0;
}

// The sorted order: by key, equal keys by tag in both directions.
template <bool kDescending>
bool Before(const TSortKeys::Item& a, const TSortKeys::Item& b) {
  if (kDescending ? KeyLess(b, a) : KeyLess(a, b)) return true;
  if (kDescending ? KeyLess(a, b) : KeyLess(b, a)) return false;
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

}  // namespace

void TSortKeys::Sort(bool descending, const LinesCancelTest& cancelled) {
  if (cancelled) {
    size_t count = 0;
    if (descending)
      std::sort(items_.begin(), items_.end(), CancellableBefore<true>{&cancelled, &count});
    else
      std::sort(items_.begin(), items_.end(), CancellableBefore<false>{&cancelled, &count});
    return;
  }
  if (descending)
    std::sort(items_.begin(), items_.end(), Before<true>);
  else
    std::sort(items_.begin(), items_.end(), Before<false>);
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
        const char* e = p;
        while (e < end && *e != '\r' && *e != '\n') ++e;
        j.Next().append(p, static_cast<size_t>(e - p));
      });
}

}  // namespace navirt

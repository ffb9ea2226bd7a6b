#pragma once
// Line commands over a whole text at once, for large inputs: the text is
// split the way the pane splits it (CR LF, CR or LF; a final line end opens
// no empty line) and the result is the lines joined by CR LF, exactly
// JoinLines(command(SplitLines(text))) without a string per line.
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "edit/LineCommands.h"

namespace navirt {

// Calls f(line) for every line of the text.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const char* lf = static_cast<const char*>(std::memchr(p, '\n', end - p));
    const char* stop = lf ? lf : end;
    // A lone CR also ends a line; it is rare, so look for it per segment.
    const char* cr;
    while ((cr = static_cast<const char*>(std::memchr(p, '\r', stop - p))) != nullptr) {
      if (cr + 1 == lf) break;  // CR LF
      f(std::string_view(p, cr - p));
      p = cr + 1;
    }
    if (cr) {
      f(std::string_view(p, cr - p));
    } else if (lf || p < stop) {
      f(std::string_view(p, stop - p));
    }
    if (!lf) return;
    p = lf + 1;
  }
}

size_t CountLines(std::string_view text);

// Appends lines with CR LF between them. With a flush function the lines
// leave in pieces of about `chunk` bytes, so a large result is never whole
// in memory; Finish hands over the last piece.
class TLineJoiner {
 public:
  using FlushFn = std::function<void(std::string_view)>;
  explicit TLineJoiner(std::string& out, FlushFn flush = {}, size_t chunk = size_t{1} << 20)
      : out_(out), flush_(std::move(flush)), chunk_(chunk) {}
  std::string& Next() {
    if (flush_ && out_.size() >= chunk_) {
      flush_(out_);
      out_.clear();
    }
    if (any_) out_.append("\r\n", 2);
    any_ = true;
    return out_;
  }
  // Whether a line was begun.
  bool Any() const { return any_; }
  void Finish() {
    if (flush_ && !out_.empty()) flush_(out_);
    if (flush_) out_.clear();
  }

 private:
  std::string& out_;
  FlushFn flush_;
  size_t chunk_;
  bool any_ = false;
};

void NumberLinesText(std::string_view text, NumberForm form, TLineJoiner& j);
void TrimLeadingText(std::string_view text, TLineJoiner& j);
void DeleteRepeatedText(std::string_view text, TLineJoiner& j);
void DeleteEmptyText(std::string_view text, TLineJoiner& j);
void ReplaceTabsText(std::string_view text, char by, TLineJoiner& j);
void DeleteTabsText(std::string_view text, TLineJoiner& j);
void DeleteBlanksText(std::string_view text, TLineJoiner& j);
// A text from sideBySideFrom bytes on is sorted in two halves side by side.
void SortLinesText(std::string_view text, bool descending, TLineJoiner& j, size_t sideBySideFrom = 1 << 20);

// The same, the whole result at once.
std::string NumberLinesText(std::string_view text, NumberForm form);
std::string TrimLeadingText(std::string_view text);
std::string DeleteRepeatedText(std::string_view text);
std::string DeleteEmptyText(std::string_view text);
std::string ReplaceTabsText(std::string_view text, char by);
std::string DeleteTabsText(std::string_view text);
std::string DeleteBlanksText(std::string_view text);
std::string SortLinesText(std::string_view text, bool descending);

// Sort keys of lines, each built once: Add every line with a tag that
// grows with the line order (each line's bytes staying valid until the
// last Add), then Sort; Merge walks two sorted sets as one
// (equal lines keep their order in both directions).
class TSortKeys {
 public:
  struct Item {
    uint64_t head;        // the key's first 8 bytes, big-endian, 0-padded
    uint64_t head2;       // its next 8 bytes, the same way
    const uint8_t* rest;  // the key from its 17th byte, 0-terminated
    uint64_t tag;
  };
  TSortKeys();
  ~TSortKeys();
  TSortKeys(const TSortKeys&) = delete;
  TSortKeys& operator=(const TSortKeys&) = delete;
  void Reserve(size_t lines);
  void Add(std::string_view line, uint64_t tag);
  // cancelled: asked now and then; yes throws TLinesCancelled. Radix
  // passes on the keys' leading bytes first, unless radix is false
  // (comparisons alone: tests hold the two against each other).
  void Sort(bool descending, const LinesCancelTest& cancelled = {}, bool radix = true);
  // Calls emit with the tags in the order of the keys.
  void ForEach(const std::function<void(uint64_t)>& emit) const;
  // Calls emit with the tags of a and b in the order of their keys; both
  // sorted in that direction, and every tag of b greater than a's.
  static void Merge(const TSortKeys& a, const TSortKeys& b, bool descending, const std::function<void(uint64_t)>& emit);

 private:
  const Item* SameLine(std::string_view line);
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::vector<Item> items_;
};

}  // namespace navirt

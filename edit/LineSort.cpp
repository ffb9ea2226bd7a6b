// Sorting the pane's lines. Each line is decoded losslessly, case-folded
// (the collation then sees no case at all, while width and kana type still
// count) and turned into an ICU sort key once; the keys live in one arena so
// that a big text costs few allocations for them, and the sort compares keys
// with strcmp only.
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "edit/LineCommands.h"
#include "edit/LineStream.h"
#include "platform/Cp932.h"

namespace navirt {

namespace {

struct CollatorCloser {
  void operator()(UCollator* c) const { ucol_close(c); }
};

}  // namespace

std::vector<uint32_t> SortOrder(const std::vector<std::string_view>& lines, bool descending) {
  const size_t n = lines.size();
  std::vector<uint32_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = static_cast<uint32_t>(i);
  if (n < 2) return order;
  UErrorCode err = U_ZERO_ERROR;
  std::unique_ptr<UCollator, CollatorCloser> coll(ucol_open("ja", &err));
  if (U_FAILURE(err)) coll.reset();
  // Hiragana and katakana differ only at the fourth level in Japanese.
  if (coll) ucol_setStrength(coll.get(), UCOL_QUATERNARY);

  std::vector<uint8_t> arena;
  std::vector<size_t> offset(n + 1);
  std::u16string folded;
  for (size_t i = 0; i < n; ++i) {
    offset[i] = arena.size();
    std::u16string u = DecodeCp932Lossless(lines[i]);
    folded.resize(u.size() * 3 + 1);
    err = U_ZERO_ERROR;
    int32_t flen = u_strFoldCase(folded.data(), static_cast<int32_t>(folded.size()), u.data(),
                                 static_cast<int32_t>(u.size()), U_FOLD_CASE_DEFAULT, &err);
    if (U_FAILURE(err)) flen = 0;
    if (coll) {
      size_t at = arena.size();
      int32_t room = static_cast<int32_t>(std::max<size_t>(64, flen * 4 + 16));
      arena.resize(at + room);
      int32_t need = ucol_getSortKey(coll.get(), folded.data(), flen, arena.data() + at, room);
      if (need > room) {
        arena.resize(at + need);
        need = ucol_getSortKey(coll.get(), folded.data(), flen, arena.data() + at, need);
      }
      arena.resize(at + need);  // includes the terminating 0
    } else {
      // No collator: code point order of the folded text, still one key.
      for (int32_t k = 0; k < flen; ++k) {
        arena.push_back(static_cast<uint8_t>((folded[k] >> 14) + 1));
        arena.push_back(static_cast<uint8_t>(((folded[k] >> 7) & 0x7F) + 1));
        arena.push_back(static_cast<uint8_t>((folded[k] & 0x7F) + 1));
      }
      arena.push_back(0);
    }
  }
  offset[n] = arena.size();

  const char* base = reinterpret_cast<const char*>(arena.data());
  if (descending) {
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return std::strcmp(base + offset[b], base + offset[a]) < 0; });
  } else {
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return std::strcmp(base + offset[a], base + offset[b]) < 0; });
  }
  return order;
}

Lines SortLines(Lines lines, bool descending) {
  std::vector<std::string_view> views(lines.begin(), lines.end());
  std::vector<uint32_t> order = SortOrder(views, descending);
  Lines out;
  out.reserve(lines.size());
  for (uint32_t i : order) out.push_back(std::move(lines[i]));
  return out;
}

void SortLinesText(std::string_view text, bool descending, TLineJoiner& j) {
  std::vector<std::string_view> views;
  ForEachLine(text, [&](std::string_view l) { views.push_back(l); });
  std::vector<uint32_t> order = SortOrder(views, descending);
  for (uint32_t i : order) j.Next().append(views[i]);
}

}  // namespace navirt

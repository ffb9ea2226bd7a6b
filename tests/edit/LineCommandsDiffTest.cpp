// Every line command against a second, plain implementation that first cuts
// each line into characters, over random Shift_JIS lines with blanks, TABs,
// ideographic spaces, NUL bytes, invalid bytes and lone lead bytes.
#include <gtest/gtest.h>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <cstdio>
#include <random>

#include "edit/LineCommandTable.h"
#include "edit/LineStream.h"
#include "edit/PaneText.h"
#include "platform/Cp932.h"

namespace navirt {
namespace {

using Chars = std::vector<std::string>;
const std::string kIdeo = "\x81\x40";

Chars Split(const std::string& l) {
  Chars c;
  for (size_t i = 0; i < l.size();) {
    unsigned char b = static_cast<unsigned char>(l[i]);
    size_t n = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && i + 1 < l.size() ? 2 : 1;
    c.push_back(l.substr(i, n));
    i += n;
  }
  return c;
}

std::string Join(const Chars& c) {
  std::string s;
  for (const auto& x : c) s += x;
  return s;
}

// ---------------------------------------------------------- the references
LineList RefNumbers(const LineList& in, const char* fmt) {
  int w = static_cast<int>(std::to_string(in.size()).size());
  LineList out;
  for (size_t i = 0; i < in.size(); ++i) {
    char num[32];
    std::snprintf(num, sizeof num, "%*zu", w, i + 1);
    std::string f = fmt;
    out.push_back(f == "h "   ? num + std::string(" ") + in[i]
                  : f == "h," ? num + std::string(",") + in[i]
                  : f == "t " ? in[i] + " " + num
                              : in[i] + "," + num);
  }
  return out;
}

LineList RefSerial(LineList in, const std::string& format, long long first) {
  size_t cut = format.find_last_not_of('0');
  std::string prefix = cut == std::string::npos ? "" : format.substr(0, cut + 1);
  int zeros = static_cast<int>(format.size() - prefix.size());
  for (auto& l : in) {
    char num[48];
    long long n = first++;
    std::snprintf(num, sizeof num, "%0*lld", n < 0 ? zeros + 1 : zeros, n);
    l = prefix + num + " " + l;
  }
  return in;
}

LineList RefCut(const LineList& in, size_t n, const std::string& tail) {
  LineList out;
  for (const auto& l : in) {
    LineList pieces;
    std::string piece;
    for (const auto& c : Split(l)) {
      if (!piece.empty() && piece.size() + c.size() > n) {
        pieces.push_back(piece);
        piece.clear();
      }
      piece += c;
      if (piece.size() > n) {  // one character wider than a piece
        pieces.push_back(piece);
        piece.clear();
      }
    }
    if (!piece.empty() || pieces.empty()) pieces.push_back(piece);
    for (size_t i = 0; i < pieces.size(); ++i) out.push_back(pieces[i] + (i + 1 < pieces.size() ? tail : ""));
  }
  return out;
}

LineList RefInsert(const LineList& in, const std::string& text, size_t n) {
  LineList out;
  for (const auto& l : in) {
    if (l.size() <= n) {
      out.push_back(l);
      continue;
    }
    std::string s;
    bool done = false;
    for (const auto& c : Split(l)) {
      if (!done && s.size() + c.size() > n - 1) {
        s += text;
        done = true;
      }
      s += c;
    }
    out.push_back(s);
  }
  return out;
}

LineList RefColumns(const LineList& in, size_t start, size_t width, bool keep) {
  LineList out;
  for (const auto& l : in) {
    size_t b = start - 1, e = std::min(l.size(), b + width);
    if (b >= l.size()) {
      out.push_back(keep ? "" : l);
      continue;
    }
    std::string kept, rest;
    size_t at = 0;
    for (const auto& c : Split(l)) {
      size_t cb = at, ce = at + c.size();
      at = ce;
      bool inside = cb >= b && ce <= e;
      bool touches = cb < e && ce > b;
      if (keep ? inside : !touches) (keep ? kept : rest) += c;
    }
    out.push_back(keep ? kept : rest);
  }
  return out;
}

std::string RefTrimTrail(const std::string& l) {
  Chars c = Split(l);
  auto last = [&] { return c.empty() ? std::string() : c.back(); };
  while (!c.empty() && (last() == " " || last() == kIdeo)) {
    while (!c.empty() && c.back().size() == 1 && static_cast<unsigned char>(c.back()[0]) <= 0x20) c.pop_back();
    if (!c.empty() && c.back() == kIdeo) c.pop_back();
  }
  return Join(c);
}

std::string RefTrimLead(const std::string& l) {
  Chars c = Split(l);
  size_t i = 0;
  while (i < c.size() && c[i] == " ") ++i;
  while (i < c.size() && c[i] == kIdeo) ++i;
  return Join(Chars(c.begin() + i, c.end()));
}

template <class F>
LineList Each(const LineList& in, F f) {
  LineList out;
  for (const auto& l : in) out.push_back(f(l));
  return out;
}

std::string WithoutBytes(std::string s, char b) {
  s.erase(std::remove(s.begin(), s.end(), b), s.end());
  return s;
}

LineList RefDedup(const LineList& in) {
  if (in.size() < 2) return in;
  LineList rev;
  std::string ref = in.back();
  rev.push_back(ref);
  for (size_t i = in.size() - 1; i-- > 0;) {
    if (in[i] == ref) continue;
    ref = in[i];
    rev.push_back(ref);
  }
  return LineList(rev.rbegin(), rev.rend());
}

LineList RefDedupKey(const LineList& in, long long answer) {
  long long k = std::max(0LL, answer - 1);
  LineList out;
  std::string prevKey;
  for (const auto& l : in) {
    std::string key = l.substr(0, std::min<size_t>(k, l.size()));
    if (key != prevKey) out.push_back(l);
    prevKey = key;
  }
  return out;
}

LineList RefCsv(const LineList& in, const std::string& q, const std::string& s, size_t n) {
  LineList out;
  std::string rec;
  size_t count = 0;
  for (const auto& l : in) {
    rec = count % n == 0 ? q + l + q : rec + s + q + l + q;
    if (++count % n == 0) {
      out.push_back(rec);
      rec.clear();
    }
  }
  if (count % n) out.push_back(rec);
  return out;
}

LineList RefSort(const LineList& in, bool desc) {
  UErrorCode err = U_ZERO_ERROR;
  UCollator* coll = ucol_open("ja", &err);
  ucol_setStrength(coll, UCOL_QUATERNARY);
  auto fold = [](const std::string& l) {
    std::u16string u = DecodeCp932Lossless(l), f(u.size() * 3 + 1, u'\0');
    UErrorCode e = U_ZERO_ERROR;
    f.resize(u_strFoldCase(f.data(), static_cast<int32_t>(f.size()), u.data(), static_cast<int32_t>(u.size()),
                           U_FOLD_CASE_DEFAULT, &e));
    return f;
  };
  LineList out = in;
  std::stable_sort(out.begin(), out.end(), [&](const std::string& a, const std::string& b) {
    std::u16string fa = fold(a), fb = fold(b);
    UCollationResult r =
        ucol_strcoll(coll, fa.data(), static_cast<int32_t>(fa.size()), fb.data(), static_cast<int32_t>(fb.size()));
    return desc ? r == UCOL_GREATER : r == UCOL_LESS;
  });
  ucol_close(coll);
  return out;
}

// --------------------------------------------------------- random lines
class RandomText {
 public:
  explicit RandomText(unsigned seed) : rng_(seed) {}
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

  std::string Unit() {
    static const char* const kUnits[] = {"a",
                                         "B",
                                         "z",
                                         " ",
                                         " ",
                                         "\t",
                                         "\t",
                                         "0",
                                         ",",
                                         "&",
                                         "{",
                                         std::string("\0", 1).c_str(),
                                         "\x81\x40",
                                         "\x81\x40",
                                         "\x82\xa0",
                                         "\x83\x41",
                                         "\x88\x9f",
                                         "\x83\x7b",
                                         "\x82\x81\x40",
                                         "\xb1",
                                         "\xdf",
                                         "\x80",
                                         "\xa0",
                                         "\xfd",
                                         "\xff",
                                         "\x81\x20",
                                         "\x81\x09",
                                         "\xe0\x40",
                                         "\xfc\xfc"};
    int i = Int(0, static_cast<int>(std::size(kUnits)) - 1);
    if (i == 11) return std::string("\0", 1);
    return kUnits[i];
  }

  std::string Line() {
    std::string l;
    if (Int(0, 9) == 0) return l;
    int n = Int(1, 12);
    for (int i = 0; i < n; ++i) l += Unit();
    if (Int(0, 7) == 0) l += "\x82";  // a lone lead byte at the end
    return l;
  }

  LineList Text() {
    LineList pool;
    for (int i = 0; i < 4; ++i) pool.push_back(Line());
    LineList t;
    int n = Int(0, 25);
    for (int i = 0; i < n; ++i) t.push_back(Int(0, 2) == 0 ? pool[Int(0, 3)] : Line());
    return t;
  }

 private:
  std::mt19937 rng_;
};

LineList Core(LineCmd id, const LineList& in, std::vector<std::string> answers = {}) {
  TLineRunResult r = RunLineCommand(id, in, answers);
  EXPECT_TRUE(r.ok) << r.message;
  return r.lines;
}

TEST(LineCommandsDifferential, AgreeWithPlainImplementations) {
  RandomText R(20261208);
  for (int round = 0; round < 400; ++round) {
    LineList in = R.Text();
    SCOPED_TRACE("round " + std::to_string(round));
    // An empty pane: every command leaves it as it is.
    if (in.empty()) {
      EXPECT_TRUE(Core(LineCmd::Reverse, in).empty());
      continue;
    }
    EXPECT_EQ(Core(LineCmd::NumberHead, in), RefNumbers(in, "h "));
    EXPECT_EQ(Core(LineCmd::NumberHeadComma, in), RefNumbers(in, "h,"));
    EXPECT_EQ(Core(LineCmd::NumberTail, in), RefNumbers(in, "t "));
    EXPECT_EQ(Core(LineCmd::NumberTailComma, in), RefNumbers(in, "t,"));
    std::string fmt = std::string(R.Int(0, 1) ? "\x82\xa0" : "No.") + std::string(R.Int(0, 4), '0');
    int first = R.Int(-20, 2000);
    EXPECT_EQ(Core(LineCmd::Serial, in, {fmt, std::to_string(first)}), RefSerial(in, fmt, first));
    EXPECT_EQ(Core(LineCmd::Reverse, in), Each(in, [](const std::string& l) {
                Chars c = Split(l);
                std::reverse(c.begin(), c.end());
                return Join(c);
              }));
    int n = R.Int(1, 9);
    EXPECT_EQ(Core(LineCmd::CutAtColumn, in, {std::to_string(n), ""}), RefCut(in, n, ""));
    EXPECT_EQ(Core(LineCmd::CutAppend, in, {"\x81\x5e", std::to_string(n), ""}), RefCut(in, n, "\x81\x5e"));
    EXPECT_EQ(Core(LineCmd::InsertText, in, {"|", std::to_string(n), ""}), RefInsert(in, "|", n));
    int w = R.Int(0, 9);  // the field reads 0 as its lowest value, 1
    EXPECT_EQ(Core(LineCmd::ExtractColumns, in, {std::to_string(n), std::to_string(w)}),
              RefColumns(in, n, std::max(w, 1), true));
    EXPECT_EQ(Core(LineCmd::DeleteColumns, in, {std::to_string(n), std::to_string(w)}),
              RefColumns(in, n, std::max(w, 1), false));
    EXPECT_EQ(Core(LineCmd::TrimLeading, in), Each(in, RefTrimLead));
    EXPECT_EQ(Core(LineCmd::TrimTrailing, in), Each(in, RefTrimTrail));
    EXPECT_EQ(Core(LineCmd::DeleteBlanks, in), Each(in, [](const std::string& l) { return WithoutBytes(l, ' '); }));
    EXPECT_EQ(Core(LineCmd::DeleteIdeoSpaces, in), Each(in, [](const std::string& l) {
                Chars c = Split(l);
                c.erase(std::remove(c.begin(), c.end(), kIdeo), c.end());
                return Join(c);
              }));
    EXPECT_EQ(Core(LineCmd::DeleteTabs, in), Each(in, [](const std::string& l) { return WithoutBytes(l, '\t'); }));
    EXPECT_EQ(Core(LineCmd::DeleteLeadingTabs, in), Each(in, [](const std::string& l) {
                size_t i = l.find_first_not_of('\t');
                return i == std::string::npos ? std::string() : l.substr(i);
              }));
    std::string all;
    for (const auto& l : in) all += l;
    EXPECT_EQ(Core(LineCmd::DeleteLineEnds, in), LineList{all});
    LineList nonEmpty;
    std::copy_if(in.begin(), in.end(), std::back_inserter(nonEmpty), [](const std::string& l) { return !l.empty(); });
    EXPECT_EQ(Core(LineCmd::DeleteEmpty, in), nonEmpty);
    EXPECT_EQ(Core(LineCmd::DeleteRepeated, in), RefDedup(in));
    int key = R.Int(-2, 6);
    if (key >= 2) {
      EXPECT_EQ(Core(LineCmd::DeleteRepeatedKeys, in, {std::to_string(key)}), RefDedupKey(in, key));
    } else {
      EXPECT_FALSE(RunLineCommand(LineCmd::DeleteRepeatedKeys, in, {std::to_string(key)}).ok);
    }
    size_t rec = R.Int(1, 30);
    std::string rs = std::to_string(rec);
    EXPECT_EQ(Core(LineCmd::CsvDoubleQuote, in, {rs}), RefCsv(in, "\"", ",", rec));
    EXPECT_EQ(Core(LineCmd::CsvSingleQuote, in, {rs}), RefCsv(in, "'", ",", rec));
    EXPECT_EQ(Core(LineCmd::CsvComma, in, {rs}), RefCsv(in, "", ",", rec));
    EXPECT_EQ(Core(LineCmd::CsvTab, in, {rs}), RefCsv(in, "", "\t", rec));
    EXPECT_EQ(Core(LineCmd::CsvSpace, in, {rs}), RefCsv(in, "", " ", rec));
    EXPECT_EQ(Core(LineCmd::CsvNone, in, {rs}), RefCsv(in, "", "", rec));
    EXPECT_EQ(Core(LineCmd::CsvAny, in, {"\x81\x41", rs}), RefCsv(in, "", "\x81\x41", rec));
    EXPECT_EQ(Core(LineCmd::CsvHex, in, {"7c", rs}), RefCsv(in, "", "|", rec));
    for (auto [id, by] :
         {std::pair{LineCmd::TabToSpace, ' '}, {LineCmd::TabToComma, ','}, {LineCmd::TabToUnderscore, '_'}})
      EXPECT_EQ(Core(id, in), Each(in, [by = by](std::string l) {
                  std::replace(l.begin(), l.end(), '\t', by);
                  return l;
                }));
    EXPECT_EQ(Core(LineCmd::SortAsc, in), RefSort(in, false));
    EXPECT_EQ(Core(LineCmd::SortDesc, in), RefSort(in, true));
  }
}

// The radix passes over the keys' leading bytes give the order of the
// comparison sort alone, ties in line order: thousands of lines sharing
// long beginnings (so the passes reach the second eight key bytes and
// beyond), repeats, case and width twins, empty lines, both directions,
// with and without a cancel test.
TEST(LineCommandsDifferential, RadixSortEqualsTheComparisonSort) {
  std::mt19937 rng(31);
  const std::vector<std::string> starts = {"",
                                           "abc",
                                           "ABC ",
                                           "version 1.",
                                           "\x82\xa0\x82\xa2",
                                           "\x83"
                                           "A\x83"
                                           "C",
                                           "\x88\x9f",
                                           "ａｂ",
                                           "0"};
  const std::vector<std::string> units = {"a",        "A",    "b",        "z",        " ",  "1", "9",       "\x82\xa0",
                                          "\x83\x41", "\xb1", "\x88\x9f", "\x81\x40", "\t", "-", "\x82\x60"};
  for (int round = 0; round < 12; ++round) {
    std::vector<std::string> lines(round < 6 ? 300 + rng() % 300 : 3000 + rng() % 3000);
    for (std::string& l : lines) {
      // Short lines repeated hundreds of times: whole buckets of equal keys.
      if (round >= 6 && rng() % 5 == 0) {
        l = std::vector<std::string>{"", "a", "A", "\x82\xa0"}[rng() % 4];
        continue;
      }
      if (rng() % 10 == 0 && &l != &lines[0]) {
        l = lines[rng() % static_cast<size_t>(&l - &lines[0])];  // a repeat
        continue;
      }
      l = starts[rng() % starts.size()];
      for (size_t n = rng() % 6; n > 0; --n) l += starts[rng() % starts.size()];
      for (size_t n = rng() % 8; n > 0; --n) l += units[rng() % units.size()];
    }
    const bool descending = round % 2;
    const LinesCancelTest never = [] { return false; };
    std::vector<std::vector<uint64_t>> orders;
    for (int way = 0; way < 3; ++way) {
      TSortKeys keys;
      for (size_t i = 0; i < lines.size(); ++i) keys.Add(lines[i], i);
      keys.Sort(descending, way == 2 ? never : LinesCancelTest{}, way != 0);
      orders.emplace_back();
      keys.ForEach([&](uint64_t tag) { orders.back().push_back(tag); });
    }
    SCOPED_TRACE("round " + std::to_string(round));
    ASSERT_EQ(orders[0].size(), lines.size());
    EXPECT_TRUE(orders[1] == orders[0]);
    EXPECT_TRUE(orders[2] == orders[0]);
  }
}

// The whole-text forms give what the list forms give, over texts with every
// kind of line end, empty lines and a missing or present final line end.
TEST(LineCommandsDifferential, WholeTextFormsEqualTheListForms) {
  RandomText R(7);
  const char* const kEnds[] = {"\r\n", "\n", "\r", "\r\n", "\n"};
  for (int round = 0; round < 500; ++round) {
    LineList lines = R.Text();
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
      text += lines[i];
      if (i + 1 < lines.size() || R.Int(0, 1)) text += kEnds[R.Int(0, 4)];
    }
    if (R.Int(0, 20) == 0) text += "\r\r\n\n\r";
    SCOPED_TRACE("round " + std::to_string(round));
    LineList in = SplitLines(text);
    size_t n = 0;
    ForEachLine(text, [&](std::string_view l) { EXPECT_EQ(l, in.at(n++)); });
    EXPECT_EQ(n, in.size());
    for (auto f : {NumberForm::Head, NumberForm::HeadComma, NumberForm::Tail, NumberForm::TailComma})
      EXPECT_EQ(NumberLinesText(text, f), JoinLines(AddLineNumbers(in, f)));
    EXPECT_EQ(TrimLeadingText(text), JoinLines(TrimLeading(in)));
    LineList dedup = in;
    DeleteRepeatedLines(dedup);
    EXPECT_EQ(DeleteRepeatedText(text), JoinLines(dedup));
    EXPECT_EQ(DeleteEmptyText(text), JoinLines(DeleteEmptyLines(in)));
    EXPECT_EQ(ReplaceTabsText(text, ','), JoinLines(ReplaceTabs(in, ',')));
    EXPECT_EQ(DeleteTabsText(text), JoinLines(DeleteTabs(in)));
    EXPECT_EQ(DeleteBlanksText(text), JoinLines(DeleteBlanks(in)));
    EXPECT_EQ(SortLinesText(text, round % 2), JoinLines(SortLines(in, round % 2)));
    // Sorted in two halves side by side: the same lines in the same order.
    std::string halves, hbuf;
    TLineJoiner hj(
        hbuf, [&](std::string_view p) { halves += p; }, 64);
    SortLinesText(text, round % 2, hj, 0);
    hj.Finish();
    EXPECT_EQ(halves, JoinLines(SortLines(in, round % 2)));
    EXPECT_EQ(SortLines(in, round % 2, 0), SortLines(in, round % 2));
    // In small pieces the result is the same bytes.
    std::string pieces, buf;
    TLineJoiner j(
        buf, [&](std::string_view p) { pieces += p; }, 7);
    NumberLinesText(text, NumberForm::Tail, j);
    j.Finish();
    EXPECT_TRUE(buf.empty());
    EXPECT_EQ(pieces, JoinLines(AddLineNumbers(in, NumberForm::Tail)));
  }
}

}  // namespace
}  // namespace navirt

#pragma once
// Plain (non-expression) searching in the pane's Shift_JIS bytes.
//
// A match starts only where a character starts and ends where one ends, so
// "\" (0x5C) or "@" never lands on the second byte of 表 or ソ. Whether a
// byte starts a character is decided locally: the position after any byte
// that is not a lead-byte value starts a character, and inside a run of
// lead-byte values the bytes pair up from there (every lead-byte value is
// also a trail-byte value). So no search converts or walks the whole text
// from its start, and forward scans re-check only the bytes since the last
// position they settled.
//
// Without "match case" only single-byte letters compare regardless of case;
// trail bytes that look like letters (the 0x61 of ヂ) keep their value.
#include <cstddef>
#include <string>
#include <string_view>

namespace navirt {

// Bytes that end a word for whole-word searches: 0x00-0x2F, 0x3A-0x40,
// 0x5B-0x60, 0x7B-0x80, 0xA0-0xDF, 0xFD-0xFF ("_" and half-width katakana
// among them).
bool IsWordDelimiter(unsigned char b);

// True when a character starts at byte p (p == text.size() counts).
bool IsCharStart(std::string_view text, size_t p);

struct PlainOptions {
  bool matchCase = true;
  // The match is preceded by a delimiter (or the text's start) and followed
  // by one (or the text's end).
  bool wholeWord = false;
};

class TPlainFinder {
 public:
  TPlainFinder(std::string_view what, PlainOptions options = {});

  size_t Size() const { return what_.size(); }
  // The bytes of the text from p hold the search text (case folded as the
  // options say) and end on a character boundary. Character start and word
  // edges are not checked here.
  bool BytesMatchAt(std::string_view text, size_t p) const;
  // The first match starting at or after from (a character start or not);
  // npos when none. An empty search text finds nothing.
  size_t FindFrom(std::string_view text, size_t from) const { return FindFrom(text, from, 0); }
  // The same, told a character start at or before from (the last match, a
  // line start): whether from starts a character is settled without going
  // back further, so a scan from match to match stays linear.
  size_t FindFrom(std::string_view text, size_t from, size_t knownStart) const;
  // The last match starting at or before last; npos when none.
  size_t FindBackFrom(std::string_view text, size_t last) const;
  // Every match replaced, left to right; the scan goes on after each match
  // in the old text. Returns the count; the text is unchanged when 0.
  int ReplaceIn(std::string& text, std::string_view with) const;
  // Whether the text holds a match anywhere.
  bool FoundIn(std::string_view text) const { return FindFrom(text, 0) != npos; }

  static constexpr size_t npos = std::string_view::npos;

 private:
  bool WordEdgesAt(std::string_view text, size_t p) const;
  size_t NextByteCandidate(const char* b, size_t n, size_t from) const;

  std::string what_;
  PlainOptions options_;
  unsigned char first_ = 0, firstOther_ = 0;  // the first byte in both cases
};

// Every match replaced, left to right, non-overlapping (a replacement that
// holds the search text is not searched again). Returns the count.
int ReplacePlain(std::string& text, std::string_view what, std::string_view with, PlainOptions options = {});

// 0-based line (CR LF, CR or LF ends a line) holding byte offset.
int LineOfOffset(std::string_view text, size_t offset);

// Centring the find: after the caret is scrolled into view, the pane
// scrolls down by this many lines (first visible line F, selection line L).
inline int CentreScrollLines(int firstVisibleLine, int selectionLine) { return (selectionLine - firstVisibleLine) / 2; }

}  // namespace navirt

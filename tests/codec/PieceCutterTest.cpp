// Cutting streamed input into pieces: the same cuts as a search of the
// whole buffer, at the cost of one look at each byte.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "codec/CodeConvert.h"
#include "codec/PieceCutter.h"

namespace navirt {
namespace {

// Feeds text in reads of the given size the way the streaming commands do
// and returns the converted whole.
template <typename Fn>
std::string Stream(const std::string& text, size_t read, Pieces how, Fn fn, PieceCutter* out = nullptr) {
  PieceCutter cutter(how);
  std::string buf, result;
  size_t pos = 0;
  while (pos < text.size() || !buf.empty()) {
    const bool eof = pos >= text.size();
    if (!eof) {
      buf.append(text, pos, read);
      pos += read;
    }
    size_t cut = buf.size();
    bool kanji = false;
    if (pos < text.size()) {
      cut = cutter.Cut(buf);
      kanji = cutter.KanjiAtCut();
      if (cut == 0) continue;
    }
    result += fn(std::string_view(buf).substr(0, cut));
    buf.erase(0, cut);
    if (kanji) buf.insert(0, "\x1b$B");
  }
  if (out) *out = cutter;
  return result;
}

TEST(PieceCutter, LineEndCutsAreTheLastLineEndOfTheNewBytes) {
  std::mt19937 rng(17);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const int n = static_cast<int>(rng() % 3000);
    for (int i = 0; i < n; ++i) {
      const unsigned r = rng() % 40;
      text += r == 0 ? '\n' : r == 1 ? '\r' : r < 6 ? '\x82' : static_cast<char>('a' + r % 26);
    }
    const size_t read = 1 + rng() % 300;
    EXPECT_EQ(Stream(text, read, Pieces::AfterLineEnds, SjisToEuc), SjisToEuc(text)) << round;
  }
}

TEST(PieceCutter, JisPiecesConvertAsTheWhole) {
  std::mt19937 rng(5);
  const char* parts[] = {"\x1b$B", "\x1b(B", "\x1b(J", "$\"", "0!", "ab", "\r\n", "\n", "x", "\x1b"};
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const int n = static_cast<int>(rng() % 400);
    for (int i = 0; i < n; ++i) text += parts[rng() % 10];
    const size_t read = 1 + rng() % 64;
    EXPECT_EQ(Stream(text, read, Pieces::AfterJisLineEnds, JisToSjis), JisToSjis(text)) << round;
  }
}

TEST(PieceCutter, TextWithoutPlacesToCutIsLookedAtOnce) {
  const std::string line(8u << 20, 'a');
  const std::string jis = "\x1b$B" + std::string(8u << 20, '0');
  for (auto [text, how] : {std::pair{&line, Pieces::AfterLineEnds}, std::pair{&jis, Pieces::AfterJisLineEnds}}) {
    PieceCutter cutter(how);
    std::string buf;
    for (size_t pos = 0; pos < text->size(); pos += 64 << 10) {
      buf.append(*text, pos, 64 << 10);
      EXPECT_EQ(cutter.Cut(buf), 0u);
    }
    // Every byte once, not once per read (that would be 64 times as many).
    EXPECT_LE(cutter.Examined(), text->size() + 16);
  }
}

}  // namespace
}  // namespace navirt

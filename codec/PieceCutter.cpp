#include "codec/PieceCutter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace navirt {

namespace {

// The place after the last CR or LF of JIS text that is not inside an
// escape sequence (0: none), and whether kanji mode is on there. Escapes
// are read as the decoders read them: three bytes from every ESC.
inline bool HasByte(uint64_t w, uint8_t b) {
  const uint64_t x = w ^ (0x0101010101010101ull * b);
  return ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) != 0;
}

using JisScan = PieceCutter::JisScan;

void JisCut(std::string_view text, JisScan& scan) {
  bool kanji = scan.kanji;
  size_t cut = scan.cut;
  bool kanjiAtCut = scan.kanjiAtCut;
  const char* const begin = text.data();
  const char* p = begin + scan.pos;
  const char* const e = begin + text.size();
  while (p < e) {
    // Eight bytes at a time past everything but ESC, CR and LF.
    while (e - p >= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      if (HasByte(w, 0x1B) || HasByte(w, '\r') || HasByte(w, '\n')) break;
      p += 8;
    }
    if (p >= e) break;
    const char c = *p;
    if (c == '\x1b') {
      if (e - p < 3) break;
      if (p[1] == '$')
        kanji = true;
      else if (p[1] == '(')
        kanji = false;
      p += 3;
      continue;
    }
    ++p;
    if (c == '\r' || c == '\n') {
      cut = static_cast<size_t>(p - begin);
      kanjiAtCut = kanji;
    }
  }
  scan = {static_cast<size_t>(p - begin), kanji, cut, kanjiAtCut};
}

// Where a piece of JIS text may end: preferably right after its last
// kanji-in or kanji-out escape (found from the end, so the text is not
// scanned), else after its last line end outside an escape. An ESC with no
// ESC in the two bytes before it always begins an escape. Escapes before
// from were tried on an earlier call.
size_t JisPieceEnd(std::string_view text, size_t from, JisScan& scan, bool& kanjiAtCut) {
  const char* b = text.data();
  const size_t n = text.size();
  size_t end = n;
  from = from > 2 ? from - 2 : 0;
  for (int tries = 0; tries < 16 && end > 2 && end > from; ++tries) {
    const void* f = ::memrchr(b + from, 0x1B, end - from);
    if (!f) break;
    const size_t i = static_cast<size_t>(static_cast<const char*>(f) - b);
    end = i;
    if (i < 2 || i + 3 > n || b[i - 1] == 0x1B || b[i - 2] == 0x1B) continue;
    if (b[i + 1] != '$' && b[i + 1] != '(') continue;
    kanjiAtCut = b[i + 1] == '$';
    return i + 3;
  }
  JisCut(text, scan);
  kanjiAtCut = scan.kanjiAtCut;
  return scan.cut;
}

}  // namespace

size_t PieceCutter::Cut(std::string_view buf) {
  const size_t from = std::min(scanned_, buf.size());
  size_t cut = 0;
  kanjiAtCut_ = false;
  if (how_ == Pieces::Triples) {
    cut = buf.size() / 3 * 3;
  } else if (how_ == Pieces::AfterJisLineEnds) {
    cut = JisPieceEnd(buf, from, jis_, kanjiAtCut_);
  } else {
    // Only the bytes read since the last call can hold a new line end.
    const size_t last = buf.substr(from).find_last_of("\r\n");
    cut = last == std::string_view::npos ? 0 : from + last + 1;
  }
  examined_ += buf.size() - from;
  scanned_ = buf.size();
  if (cut) {
    scanned_ = 0;
    jis_ = JisScan{};
  }
  return cut;
}

}  // namespace navirt

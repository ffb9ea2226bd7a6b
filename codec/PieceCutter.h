#pragma once
// Where a streamed conversion may cut its input into pieces without
// changing a byte of its result. The input arrives read after read into a
// growing buffer; each call looks at the bytes added since the last one,
// so a text with no place to cut costs its length, not its length squared.
#include <cstddef>
#include <string_view>

namespace navirt {

// How a conversion may be cut into pieces without changing a byte of its
// result: not at all; after any CR or LF (in Shift_JIS and EUC a CR or LF
// always ends a unit, and these conversions carry no state past it, the
// JIS encoders leaving kanji mode there); for JIS text after an escape or
// a line end outside one, the next piece starting with ESC $ B when kanji
// mode is on there; or at 3-byte groups.
enum class Pieces { Whole, AfterLineEnds, AfterJisLineEnds, Triples };

class PieceCutter {
 public:
  explicit PieceCutter(Pieces how) : how_(how) {}
  // The length of buf's first piece (0: no place to cut yet). buf is the
  // buffer of the last call with bytes appended, or, after a cut, the
  // bytes behind the cut (with ESC $ B before them when KanjiAtCut()).
  size_t Cut(std::string_view buf);
  // JIS text: kanji mode is on at the cut.
  bool KanjiAtCut() const { return kanjiAtCut_; }
  // Bytes looked at over all calls (the cost the benchmarks watch).
  size_t Examined() const { return examined_; }

  struct JisScan {
    size_t pos = 0;
    bool kanji = false;
    size_t cut = 0;
    bool kanjiAtCut = false;
  };

 private:
  Pieces how_;
  size_t scanned_ = 0;
  bool kanjiAtCut_ = false;
  size_t examined_ = 0;
  JisScan jis_;
};

}  // namespace navirt

#pragma once
// The pane's exact bytes. A loaded text is kept as it came, line by line
// with each line's own end (CR LF, LF, CR or none), so saving after an edit
// changes only the lines the user touched. Only where each line starts is
// kept beside the bytes (8 bytes a line): a line's length and end are read
// back from the bytes, since a line holds no CR or LF of its own.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

enum class LineEnd : uint8_t { CrLf, Lf, Cr, None };

std::string_view LineEndBytes(LineEnd e);

// One line of the pane when it is written out: either an original line
// untouched (index into the original lines) or new bytes.
struct PaneLine {
  int original = -1;  // >= 0: the original line of that index
  std::string bytes;  // used when original < 0
};

class TPaneBytes {
 public:
  TPaneBytes() = default;
  // Splits at CR LF, CR or LF. A final line end opens no empty last line;
  // it is kept as the last line's end.
  explicit TPaneBytes(std::string text);
  TPaneBytes(const TPaneBytes&) = default;
  TPaneBytes(TPaneBytes&&) noexcept = default;
  // An assignment lets go of the text before: std::string keeps its own
  // buffer when it takes a short text, so a small file shown after a huge
  // one would keep the huge one's memory.
  TPaneBytes& operator=(TPaneBytes other) noexcept;

  const std::string& Text() const { return text_; }
  size_t LineCount() const { return starts_.empty() ? 0 : starts_.size() - 1; }
  std::string_view Line(size_t i) const;
  LineEnd End(size_t i) const;
  // Whether the text's last line has a line end.
  bool EndsWithLineEnd() const { return LineCount() > 0 && End(LineCount() - 1) != LineEnd::None; }
  // Memory kept beside the text, for the pane's accounting.
  size_t IndexBytes() const { return starts_.capacity() * sizeof(size_t); }
  // The end new lines get: the most common end of the text, CR LF when
  // there is none.
  LineEnd DefaultEnd() const { return defaultEnd_; }

  // The bytes of the pane's lines. Untouched lines keep their bytes and
  // their end; a run of changed lines takes over, in order, the ends of the
  // original lines it replaced (the last one of the run the end of the last
  // one replaced, so a missing final line end stays missing); further lines
  // of a longer run take the default end.
  std::string Assemble(const std::vector<PaneLine>& pane) const;

  // The pane's text as it reads it back (lines joined by CR LF, no final
  // line end), byte by byte without building it; the size of that text.
  size_t JoinedSize() const;
  // The code detection over that text.
  int JoinedCode() const;

 private:
  std::string text_;
  // Where each line starts, and the text's size after the last: line i is
  // [starts_[i], starts_[i + 1]) with its end. Empty for an empty text.
  std::vector<size_t> starts_;
  LineEnd defaultEnd_ = LineEnd::CrLf;
};

}  // namespace navirt

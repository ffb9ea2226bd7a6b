#pragma once
// The pane's exact bytes. A loaded text is kept as it came, line by line
// with each line's own end (CR LF, LF, CR or none), so saving after an edit
// changes only the lines the user touched.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

enum class LineEnd : uint8_t { CrLf, Lf, Cr, None };

std::string_view LineEndBytes(LineEnd e);

struct OriginalLine {
  size_t offset = 0;  // into the original text
  size_t length = 0;  // without the line end
  LineEnd end = LineEnd::None;
};

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

  const std::string& Text() const { return text_; }
  const std::vector<OriginalLine>& Lines() const { return lines_; }
  size_t LineCount() const { return lines_.size(); }
  std::string_view Line(size_t i) const;
  LineEnd End(size_t i) const { return lines_[i].end; }
  // Whether the text's last line has a line end.
  bool EndsWithLineEnd() const { return !lines_.empty() && lines_.back().end != LineEnd::None; }
  // The end new lines get: the most common end of the text, CR LF when
  // there is none.
  LineEnd DefaultEnd() const { return defaultEnd_; }

  // The bytes of the pane's lines. Untouched lines keep their bytes and
  // their end; a run of changed lines takes over, in order, the ends of the
  // original lines it replaced (the last one of the run the end of the last
  // one replaced, so a missing final line end stays missing); further lines
  // of a longer run take the default end.
  std::string Assemble(const std::vector<PaneLine>& pane) const;

 private:
  std::string text_;
  std::vector<OriginalLine> lines_;
  LineEnd defaultEnd_ = LineEnd::CrLf;
};

}  // namespace navirt

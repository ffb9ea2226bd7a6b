#pragma once
// A small RTF reader and writer for the pane's rich-text mode: fonts, sizes,
// bold, italic, underline, colours and paragraphs. Text is CP932 bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

struct RtfRun {
  std::string text;    // CP932, no line ends
  std::string font;    // face name, CP932; empty: the pane's font
  int halfPoints = 0;  // size in half points; 0: the pane's size
  bool bold = false, italic = false, underline = false;
  bool hasColor = false;
  uint32_t color = 0;  // 0xRRGGBB
  bool operator==(const RtfRun&) const = default;
};

using RtfParagraph = std::vector<RtfRun>;

struct RtfDocument {
  std::vector<RtfParagraph> paragraphs;
  // The paragraphs' texts joined by CR LF.
  std::string PlainText() const;
};

// True when the text starts like an RTF file ("{\rtf").
bool LooksLikeRtf(std::string_view bytes);

// Reads RTF. Unknown control words and destinations are skipped; \'hh
// bytes are taken as CP932, \uN characters are converted to CP932 (with
// their \ucN fallback skipped). Never fails: broken input gives what could
// be read.
RtfDocument ReadRtf(std::string_view rtf);

// Writes RTF that this reader and common word processors read back:
// Shift_JIS text as \'hh under \ansicpg932 and \fcharset128, with \uN for
// double-byte characters so Unicode readers get them too.
std::string WriteRtf(const RtfDocument& doc, const std::string& defaultFont = "", int defaultHalfPoints = 20);

}  // namespace navirt

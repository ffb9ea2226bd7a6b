#pragma once
// An EUC-JP or 7-bit JIS file in the pane, which holds Shift_JIS, shown
// readably and written back in its own code without losing a byte.
//
// EUC: every JIS X 0208 pair becomes its Shift_JIS pair and SS2 kana the
// half-width byte; both ways are exact inverses. Any other byte of 0x80 and
// above (JIS X 0212 triples, stray bytes) becomes a spare code of the
// user-defined rows (leads 0xF0, 0xF1), which an EUC pair never maps to,
// and is written back as that byte.
//
// JIS: the escapes are the file's, not the text's, so a line can be written
// in several ways. Each line is kept as stored with the mode it starts in;
// a line of the pane equal to a stored line is written as those bytes (with
// an escape in front when the mode before it differs), and only new or
// changed lines are encoded afresh: ESC $ B (ESC $ @ for a JIS78 file) for
// kanji, ESC ( I for half-width kana, back to ESC ( B before a line end.
// Bytes that are no JIS character get the spare codes as for EUC.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace navirt {

std::string DecodeEucForPane(std::string_view file);
std::string EncodeEucFromPane(std::string_view pane);

// The lines of a JIS file as stored.
struct TJisLines {
  std::string raw;                  // the file
  std::string pane;                 // its pane text
  std::vector<size_t> rawStart;     // where each line starts in raw
  std::vector<size_t> paneStart;    // and in pane
  std::vector<uint8_t> entryState;  // the mode each line starts in
  uint8_t finalState = 0;           // the mode at the end of the file
  std::string asciiEscape;          // the first ESC ( B, ESC ( J or ESC ( H
};

std::string DecodeJisForPane(std::string_view file, std::shared_ptr<const TJisLines>& lines);
std::string EncodeJisFromPane(std::string_view pane, const TJisLines* lines, bool jis78);

// The spare code standing for a stored byte in an EUC or JIS pane, and the
// byte of a code at pane[i] (-1 when it is none).
uint16_t JapaneseRawCode(unsigned char b);
int JapaneseRawByteAt(std::string_view pane, size_t i);

}  // namespace navirt

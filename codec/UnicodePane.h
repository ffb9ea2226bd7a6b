#pragma once
// A UTF-8 or UTF-16 file in the pane, which holds Shift_JIS bytes, without
// losing a byte of it.
//
// Characters CP932 has become their own Shift_JIS codes. Characters it
// lacks (emoji, JIS X 0213 kanji, accented Latin...) become spare two-byte
// codes, which no command splits: the code pages' undefined rows (leads
// 0x85, 0x86, 0xEB, 0xEC, 0xEF) and the user-defined rows (leads 0xF0 to
// 0xF9). The first 256 spare codes stand for the bytes 0x00 to 0xFF as
// stored (malformed UTF-8, an odd last byte of UTF-16); the others are
// handed out to characters in the order the text first uses them, and the
// pane object keeps that table. Encode(Decode(file)) == file for any bytes,
// and since line ends map to line ends, lines left alone come back byte for
// byte after an edit elsewhere.
//
// An EUC-JP or 7-bit JIS file is held the same way (codec/JapanesePane):
// the pane shows it as Shift_JIS and it is written back in its own code.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "codec/DetectCode.h"
#include "codec/DetectUnicode.h"

namespace navirt {

constexpr size_t kSpareCodeCount = 15 * 188;
constexpr size_t kRawByteCodes = 256;

// The Shift_JIS code of spare index k (0 <= k < kSpareCodeCount), and back
// (-1 when the code is not a spare one).
uint16_t SpareCode(size_t k);
int SpareIndex(uint16_t code);

struct TJisLines;

class TUnicodePane {
 public:
  // code: the file's code as DetectUnicode named it (not None).
  explicit TUnicodePane(UnicodeCode code);
  // An EUC-JP or JIS file: code is CodeEuc, CodeJis83 or CodeJis78.
  static TUnicodePane ForJapanese(TextCode code);

  // None for an EUC or JIS file.
  UnicodeCode Code() const { return code_; }
  // CodeEuc, CodeJis83 or CodeJis78 for such a file, else -1.
  int JapaneseCode() const { return japanese_; }
  // The label the information line shows for the file's code.
  std::string Label() const;
  bool HasMark() const { return mark_; }

  // The file's bytes as pane text (Shift_JIS). The mark, when the file
  // starts with it, is kept aside and written again by Encode.
  std::string Decode(std::string_view file);
  // The pane text as file bytes in the file's code. A pane unit that is no
  // character (a stray byte made by an edit) is written as U+FFFD.
  std::string Encode(std::string_view pane) const;

  // The screen's text for pane text: every character as itself; stored
  // bytes that were no character as U+F700 + byte, as the Shift_JIS
  // display shows bytes it cannot decode.
  std::u16string ToScreen(std::string_view pane) const;
  // The same into out, which has room for pane.size() units; returns how
  // many were written.
  size_t ToScreenTo(std::string_view pane, char16_t* out) const;
  // Text typed or pasted on the screen into pane text; characters CP932
  // lacks get spare codes (which may grow the table).
  std::string FromScreen(std::u16string_view screen);

  // True when the pane code at pane[i] is a spare code of this pane.
  static bool IsSpareAt(std::string_view pane, size_t i);
  size_t CharacterCount() const { return chars_.size(); }

 private:
  // Appends the pane form of one character (or lone UTF-16 unit); raw is
  // how the file stored it, used when the table is full.
  void AppendChar(std::string& pane, char32_t cp, std::string_view raw);
  void AppendFileChar(std::string& out, char32_t cp) const;

  UnicodeCode code_;
  int japanese_ = -1;
  std::shared_ptr<const TJisLines> jis_;  // a JIS file's lines as stored
  bool mark_ = false;
  std::vector<char32_t> chars_;                    // spare index - 256 -> character
  std::unordered_map<char32_t, uint16_t> codeOf_;  // character -> spare code
};

// What the pane holds for a file's bytes: a UTF-8 or UTF-16 file through
// the mapping above (unicode set, to be kept with the pane for showing and
// saving), anything else as it is.
struct PaneLoad {
  std::string text;
  std::optional<TUnicodePane> unicode;
};
PaneLoad LoadForPane(std::string_view fileBytes);
// The same for a file shown as stored: EUC-JP and JIS files too.
PaneLoad LoadFileForPane(std::string_view fileBytes);

}  // namespace navirt

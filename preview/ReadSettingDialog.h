#pragma once
// The logic of the two read-setting dialogs (stream reading and read
// limit): captions, presets, validation and what OK writes.
#include <cstdint>
#include <string>

#include "settings/IniFile.h"

namespace navirt {

class TReadSettingDialogModel {
 public:
  enum class Kind { StreamRead, ReadMax };

  static TReadSettingDialogModel ForStreamRead(const TIniFile& ini);
  static TReadSettingDialogModel ForReadMax(const TIniFile& ini);

  Kind kind = Kind::StreamRead;
  std::string caption;
  std::string checkCaption;
  std::string note;
  int64_t bytes = 0;
  bool checked = true;
  bool checkEnabled = true;

  static constexpr int64_t kMinBytes = 0;
  static constexpr int64_t kMaxBytes = 2147483647;
  static constexpr int64_t kStep = 1000;

  // Values outside 0..2147483647 are clamped. Writes the section on OK.
  void Accept(TIniFile& ini);
};

// The character sets the text character-set dialog offers.
struct CharsetEntry {
  const char* label;  // UTF-8
  int number;
};
const CharsetEntry* Charsets(int& count);
// Index of the entry for a character-set number, -1 when not in the table.
int CharsetIndexOf(int number);

// "TABの文字数": a non-number (or a value outside 1..256) counts as 8.
int ParseTabWidth(const std::string& text);

}  // namespace navirt

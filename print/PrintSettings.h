#pragma once
// "印刷設定" (TForm6) without the widget: four margin fields, their allowed
// ranges from the printer, the paper label and what OK stores in the
// section "Print" of the settings file.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "print/PageRect.h"
#include "settings/IniFile.h"

namespace navirt {

enum MarginField { mfTop, mfLeft, mfRight, mfBottom };

struct MarginRange {
  int64_t min = 0, max = 0;  // millimetres
};

// Settings keys of the four fields.
const char* MarginKey(MarginField f);

// The margins stored in the settings file; absent or non-numeric values are 0.
Margins StoredMargins(const TIniFile& ini);
// The page rectangle a print job uses.
inline PageRect StoredPageRect(const TIniFile& ini, const PrinterMetrics& m) {
  return ComputePageRect(m, StoredMargins(ini));
}

class TPrintSettingsModel {
 public:
  static constexpr size_t kMaxDigits = 4;

  // paperCode: the printer's paper-size code, none when it could not be read.
  // screenPpi stands in for both resolutions of a printer reporting no
  // vertical one.
  void Open(const TIniFile& ini, const PrinterMetrics& m, std::optional<int> paperCode, int screenPpi);

  const std::string& Field(MarginField f) const { return fields_[f]; }
  // Typing into a field. Digits only, at most four: anything else is
  // refused with a message and the field keeps its text. An emptied field
  // becomes "0" at once.
  bool SetField(MarginField f, const std::string& text, std::string* message = nullptr);

  MarginRange Range(MarginField f) const { return ranges_[f]; }
  // The range label: minimum, "-", maximum.
  std::string RangeText(MarginField f) const;
  // Below the minimum and above the maximum both go to the minimum.
  // Returns the fields it changed.
  std::vector<MarginField> ApplyRanges();

  Margins FieldMargins() const;
  const PageRect& Rect() const { return rect_; }
  const std::string& PaperText() const { return paper_; }

  // OK: ranges applied, the four texts stored; returns the rectangle the
  // next job uses (from the stored values).
  PageRect Accept(TIniFile& ini);

 private:
  PrinterMetrics metrics_;
  std::array<std::string, 4> fields_{"0", "0", "0", "0"};
  std::array<MarginRange, 4> ranges_{};
  PageRect rect_;
  std::string paper_;
};

}  // namespace navirt

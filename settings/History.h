#pragma once
// History lists of the dialogs' drop-down boxes: a count key, then
// "Items_0", "Items_1", ... each value wrapped in "#" so that leading and
// trailing blanks survive the settings file.
#include <string>
#include <vector>

#include "settings/IniFile.h"

namespace navirt {

constexpr int kInputHistoryCap = 21;
constexpr const char* kInputHistoryCountKey = "DriveCount";

std::vector<std::string> LoadHistoryList(const TIniFile& ini, const std::string& section,
                                         const std::string& countKey = kInputHistoryCountKey);

// Moves text to the top (when not empty), drops empty entries, writes at
// most cap entries and their number under countKey. Returns the new list.
std::vector<std::string> SaveHistoryList(TIniFile& ini, const std::string& section, std::vector<std::string> items,
                                         const std::string& text, const std::string& countKey = kInputHistoryCountKey,
                                         int cap = kInputHistoryCap);

// The input dialog's logic without the widget: caption, prompt, note, the
// answer box and its history.
class TInputDialogModel {
 public:
  std::string caption, prompt, note, text;
  std::vector<std::string> history;

  void LoadHistory(const TIniFile& ini, const std::string& section) { history = LoadHistoryList(ini, section); }
  // OK: stores the history and returns the answer for DialogAnswer.
  std::string Accept(TIniFile& ini, const std::string& section) {
    history = SaveHistoryList(ini, section, history, text);
    return text;
  }
};

}  // namespace navirt

#pragma once
// "ツールボタンの設定" (TForm21) without its widget: which toolbar buttons
// are shown, one key per button in the sections "ToolBar1" and "ToolBar2".
#include <set>
#include <string>
#include <vector>

#include "app/ToolButtonIds.h"
#include "settings/IniFile.h"

namespace navirt {

struct ToolButtonEntry {
  int page;             // 0 "メイン" (ToolBar1), 1 "ビュー" (ToolBar2)
  const char* caption;  // as the check list shows it
  const char* button;   // the key and the button's name
};
// The 41 entries in the dialog's order: 24 on "メイン", 17 on "ビュー".
const std::vector<ToolButtonEntry>& ToolButtonCatalog();
const char* ToolBarSection(int page);

// Buttons hidden now, and why: hidden since start (their key was off) or
// hidden by the dialog in this run. The window keeps one for its lifetime.
struct ToolButtonState {
  std::set<std::string> hiddenAtStart;
  std::set<std::string> hiddenByDialog;
};
ToolButtonState ToolButtonStateAtStart(const TIniFile& ini);

struct ToolButtonChange {
  std::string button;
  bool visible;
  bool operator==(const ToolButtonChange&) const = default;
};

class TToolButtonDialogModel {
 public:
  static constexpr const char* kText =
      "表示するツールボタンを選択して下さい。\n非表示->表示の設定は次の起動から有効になります。";

  void Open(const TIniFile& ini);
  size_t Count() const { return checked_.size(); }
  bool Checked(size_t i) const { return checked_[i]; }
  void SetChecked(size_t i, bool on);
  // "全て表示(&A)": every entry of both pages.
  void CheckAll();
  // OK: writes all 41 keys and returns what changes at once. An unchecked
  // button is hidden; a checked one that the dialog hid in this run comes
  // back; one hidden since start comes back at the next start.
  std::vector<ToolButtonChange> Accept(TIniFile& ini, ToolButtonState& state) const;

 private:
  std::vector<bool> checked_;
};

}  // namespace navirt

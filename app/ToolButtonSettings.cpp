#include "app/ToolButtonSettings.h"

namespace navirt {

const std::vector<ToolButtonEntry>& ToolButtonCatalog() {
  static const std::vector<ToolButtonEntry> c = {
      {0, "印刷", "ToolButton36"},
      {0, "印刷設定", "ToolButton35"},
      {0, "コピー", "ToolButton4"},
      {0, "移動", "ToolButton5"},
      {0, "削除", "ToolButton3"},
      {0, "名前の変更", "ToolButton6"},
      {0, "属性変更", "ToolButton40"},
      {0, "ドライブ", "ToolButton38"},
      {0, "上へ", "ToolButton55"},
      {0, "登録フォルダー", "ToolButton11"},
      {0, "フォルダー", "ToolButton41"},
      {0, "拡張子", "ToolButton12"},
      {0, "並び替え", "ToolButton46"},
      {0, "大きいアイコン", "ToolButton13"},
      {0, "小さいアイコン", "ToolButton22"},
      {0, "一覧", "ToolButton27"},
      {0, "詳細", "ToolButton28"},
      {0, "エディター", "ToolButton30"},
      {0, "実行", "ToolButton34"},
      {0, "書庫解凍", "ToolButton42"},
      {0, "書庫作成", "ToolButton43"},
      {0, "書庫内一覧", "ToolButton44"},
      {0, "ヘルプ", "ToolButton8"},
      {0, "終了", "ToolButton2"},
      {1, "表示", "ToolButton49"},
      {1, "テキストの再表示", "ToolButton17"},
      {1, "切り取り", "ToolButton10"},
      {1, "コピー", "ToolButton14"},
      {1, "貼り付け", "ToolButton19"},
      {1, "削除", "ToolButton21"},
      {1, "上書き保存", "ToolButton54"},
      {1, "名前をつけて保存", "ToolButton20"},
      {1, "文頭", "ToolButton25"},
      {1, "文末", "ToolButton26"},
      {1, "検索", "ToolButton33"},
      {1, "置換", "ToolButton53"},
      {1, "URL", "ToolButton48"},
      {1, "html->txt", "ToolButton51"},
      {1, "文字コード", "ToolButton52"},
      {1, "簡易編集", "ToolButton7"},
      {1, "折り返し", "ToolButton39"},
  };
  return c;
}

const char* ToolBarSection(int page) { return page == 0 ? "ToolBar1" : "ToolBar2"; }

ToolButtonState ToolButtonStateAtStart(const TIniFile& ini) {
  ToolButtonState s;
  for (const auto& e : ToolButtonCatalog())
    if (!ini.ReadBool(ToolBarSection(e.page), e.button, true)) s.hiddenAtStart.insert(e.button);
  return s;
}

void TToolButtonDialogModel::Open(const TIniFile& ini) {
  checked_.clear();
  for (const auto& e : ToolButtonCatalog()) checked_.push_back(ini.ReadBool(ToolBarSection(e.page), e.button, true));
}

void TToolButtonDialogModel::SetChecked(size_t i, bool on) {
  if (i < checked_.size()) checked_[i] = on;
}

void TToolButtonDialogModel::CheckAll() {
  for (size_t i = 0; i < checked_.size(); ++i) checked_[i] = true;
}

std::vector<ToolButtonChange> TToolButtonDialogModel::Accept(TIniFile& ini, ToolButtonState& state) const {
  std::vector<ToolButtonChange> changes;
  const auto& cat = ToolButtonCatalog();
  for (size_t i = 0; i < cat.size() && i < checked_.size(); ++i) {
    const std::string button = cat[i].button;
    ini.WriteBool(ToolBarSection(cat[i].page), button, checked_[i]);
    bool hiddenNow = state.hiddenAtStart.count(button) || state.hiddenByDialog.count(button);
    if (!checked_[i]) {
      if (!hiddenNow) changes.push_back({button, false});
      if (!state.hiddenAtStart.count(button)) state.hiddenByDialog.insert(button);
    } else if (state.hiddenByDialog.erase(button)) {
      changes.push_back({button, true});
    }
  }
  return changes;
}

}  // namespace navirt

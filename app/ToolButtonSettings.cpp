#include "app/ToolButtonSettings.h"

namespace navirt {

const std::vector<ToolButtonEntry>& ToolButtonCatalog() {
  static const std::vector<ToolButtonEntry> c = {
      {0, "印刷", btn::Print.key},
      {0, "印刷設定", btn::PrintSetup.key},
      {0, "コピー", btn::FileCopy.key},
      {0, "移動", btn::FileMove.key},
      {0, "削除", btn::FileDelete.key},
      {0, "名前の変更", btn::Rename.key},
      {0, "属性変更", btn::Attributes.key},
      {0, "ドライブ", btn::Drive.key},
      {0, "上へ", btn::Up.key},
      {0, "登録フォルダー", btn::RegisteredFolders.key},
      {0, "フォルダー", btn::Folder.key},
      {0, "拡張子", btn::Mask.key},
      {0, "並び替え", btn::Sort.key},
      {0, "大きいアイコン", btn::LargeIcons.key},
      {0, "小さいアイコン", btn::SmallIcons.key},
      {0, "一覧", btn::List.key},
      {0, "詳細", btn::Details.key},
      {0, "エディター", btn::Editor.key},
      {0, "実行", btn::Run.key},
      {0, "書庫解凍", btn::ArcExtract.key},
      {0, "書庫作成", btn::ArcCreate.key},
      {0, "書庫内一覧", btn::ArcList.key},
      {0, "ヘルプ", btn::Help.key},
      {0, "終了", btn::Exit.key},
      {1, "表示", btn::Show.key},
      {1, "テキストの再表示", btn::Refresh.key},
      {1, "切り取り", btn::Cut.key},
      {1, "コピー", btn::Copy.key},
      {1, "貼り付け", btn::Paste.key},
      {1, "削除", btn::Delete.key},
      {1, "上書き保存", btn::Save.key},
      {1, "名前をつけて保存", btn::SaveAs.key},
      {1, "文頭", btn::Top.key},
      {1, "文末", btn::End.key},
      {1, "検索", btn::Find.key},
      {1, "置換", btn::Replace.key},
      {1, "URL", btn::Url.key},
      {1, "html->txt", btn::HtmlToText.key},
      {1, "文字コード", btn::Code.key},
      {1, "簡易編集", btn::EditMode.key},
      {1, "折り返し", btn::WordWrap.key},
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

#pragma once
// The file commands' own texts, UTF-8, exactly as the user sees them.
namespace navirt::msg {

inline constexpr const char* kCopied = "個のファイルをコピーしました。";
inline constexpr const char* kCopyFailed = "コピーできませんでした。";
inline constexpr const char* kMoved = "個のファイルを移動しました。";
inline constexpr const char* kMoveFailed = "移動できませんでした。";
inline constexpr const char* kDeleted = "個のファイルを削除しました。";
inline constexpr const char* kDeleteForGood = "完全に削除しますか？";
inline constexpr const char* kFiles = "個のファイル";
inline constexpr const char* kNotExistCreate = " は存在しません. 作成しますか？";
inline constexpr const char* kOperationFailed = "File Operation に失敗しました";
inline constexpr const char* kAttrReadFailed = "属性情報取得に失敗しました。";
inline constexpr const char* kAttrWriteFailed = "属性変更に失敗しました。";
inline constexpr const char* kMerged = "ファイルを結合しました。";
inline constexpr const char* kCannotSplitInto = "個のﾌｧｲﾙに分割できません。";
inline constexpr const char* kSavedTo = " に保存しました。";

// Refusals the old program had no text for.
inline constexpr const char* kCopyIntoItself = "コピー先のフォルダーは、コピー元のフォルダーと同じかその中にあります。";
inline constexpr const char* kMoveIntoItself = "移動先のフォルダーは、移動元のフォルダーと同じかその中にあります。";
inline constexpr const char* kSlashInName = "ファイル名に / は使えません。";
inline constexpr const char* kNameExists = "同じ名前のファイルが既にあります。";
inline constexpr const char* kNoTrash = "ごみ箱が使えません。";
inline constexpr const char* kNotAPieceSize = "分割するサイズを 1 以上の数値で指定して下さい。";
inline constexpr const char* kSplitWouldReplaceSource = "分割するファイル自身になるため分割できません。";
inline constexpr const char* kSplitPieceExists = "既にあります（置き換えるには --force）。";

}  // namespace navirt::msg

#pragma once
// The archiver libraries' report texts, English and Japanese. A library
// speaks its user's locale until its caller picks a language with
// PrefixSetLangueJapanese / PrefixSetLangueEnglish (the window always asks
// for Japanese). "{1}", "{2}" stand for the names put in.
#include <string>
#include <string_view>

#include "platform/Messages.h"

namespace navirt::arc {

// Report::Say's text: the message in CP932 with the (CP932) arguments put in.
std::string Text932(const Msg& m, std::initializer_list<std::string_view> cp932Args = {});
// A reason the readers and the extraction give in English ("CRC mismatch",
// "cannot open " + name), in the chosen language, UTF-8.
std::string Reason(std::string_view en);
// The same as CP932 for report lines.
std::string Reason932(std::string_view en);

namespace msg {
// Listings.
inline constexpr Msg kListingOf{"Listing of archive : {1}", "書庫の一覧 : {1}"};
inline constexpr Msg kListingHeader{" Original   Packed  Ratio   Date     Time    Attr Method  CRC      Name",
                                    "  元サイズ     圧縮後 圧縮率 日付     時刻     属性 方式    CRC      名前"};
inline constexpr Msg kFileCount{"{1} file(s)", "{1} 個のファイル"};
// Extraction.
inline constexpr Msg kExtracting{"Extracting {1}", "展開: {1}"};
inline constexpr Msg kExtractingHardLink{"Extracting {1} => {2}", "展開: {1} => {2}"};
inline constexpr Msg kExtractingLink{"Extracting {1} -> {2}", "展開: {1} -> {2}"};
inline constexpr Msg kNameFallback{"Warning: name not in CP932, stored as {1}",
                                   "警告: 名前を Shift_JIS で表せないため {1} としました"};
inline constexpr Msg kEncryptedRefused{"Encrypted entry refused: {1}", "暗号化されているため展開しません: {1}"};
inline constexpr Msg kUnsupportedMethod{"Unsupported method {1}: {2}", "対応していない圧縮方式 {1} です: {2}"};
inline constexpr Msg kRefused{"Refused: {1} ({2})", "展開しません: {1} ({2})"};
inline constexpr Msg kSkipped{"Skipped: {1} ({2})", "スキップしました: {1} ({2})"};
inline constexpr Msg kCannotLink{"Cannot link: {1} ({2})", "リンクを作成できません: {1} ({2})"};
inline constexpr Msg kCannotCreateLink{"Cannot create link: {1}", "リンクを作成できません: {1}"};
inline constexpr Msg kCannotCreate{"Cannot create: {1}", "ファイルを作成できません: {1}"};
inline constexpr Msg kCancelled{"Cancelled: {1}", "中止しました: {1}"};
inline constexpr Msg kEntryError{"Error: {1} ({2})", "エラー: {1} ({2})"};
inline constexpr Msg kWriteError{"Write error: {1}", "書き込みエラー: {1}"};
inline constexpr Msg kExtracted{"{1} file(s) extracted, {2} skipped, {3} error(s).",
                                "{1} 個のファイルを展開しました（スキップ {2} 個、エラー {3} 個）。"};
inline constexpr Msg kRefusedUnsafe{
    "{1} entr{2} refused as unsafe (a name or link leading outside the folder).",
    "{1} 個の格納ファイルは安全でないため展開しませんでした (展開先フォルダーの外に出る名前かリンク)。"};
inline constexpr Msg kNothingExtracted{"{1}; nothing extracted.", "{1}。何も展開していません。"};
inline constexpr Msg kOutOfMemory{"Out of memory.", "メモリーが足りません。"};
inline constexpr Msg kError{"Error: {1}", "エラー: {1}"};
inline constexpr Msg kNoSfx{"Self-extracting archives cannot be made on this system.",
                            "このシステムでは自己解凍書庫を作成できません。"};
// Testing.
inline constexpr Msg kTesting{"Testing {1} {2}", "検査: {1} {2}"};
inline constexpr Msg kArchiveOk{"Archive is OK.", "書庫は正常です。"};
inline constexpr Msg kArchiveHasErrors{"Archive has errors.", "書庫にエラーがあります。"};
// Command lines and archives.
inline constexpr Msg kCommandMissing{"Command missing.", "コマンドが指定されていません。"};
inline constexpr Msg kArchiveNameMissing{"Archive name missing.", "書庫のファイル名が指定されていません。"};
inline constexpr Msg kFileNamesMissing{"File names missing.", "ファイル名が指定されていません。"};
inline constexpr Msg kCannotOpen{"Cannot open {1}", "開けません: {1}"};
inline constexpr Msg kArchiveNotFound{"Archive not found: {1}", "書庫が見つかりません: {1}"};
inline constexpr Msg kNamedReason{"{1}: {2}", "{1}: {2}"};
inline constexpr Msg kReadOnlyLibrary{"This library only lists and extracts.",
                                      "このライブラリーは一覧と展開だけを行います。"};
inline constexpr Msg kNothingToDo{"nothing to do.", "何もすることがありません。"};
// Packing and updating.
inline constexpr Msg kAdding{"Adding {1}", "格納: {1}"};
inline constexpr Msg kDeleting{"Deleting {1}", "削除: {1}"};
inline constexpr Msg kPacked{"{1} file(s) packed.", "{1} 個のファイルを格納しました。"};
inline constexpr Msg kStopped{"Stopped.", "中止しました。"};
inline constexpr Msg kCannotRead{"Cannot read {1}", "読み込めません: {1}"};
inline constexpr Msg kFileTooLarge{"File too large: {1}", "ファイルが大きすぎます: {1}"};
inline constexpr Msg kNoWorkFile{"Cannot create a work file.", "作業ファイルを作成できません。"};
inline constexpr Msg kCannotWriteBack{"Cannot write the archive back.", "作業ファイルを書庫に書き戻せません。"};
inline constexpr Msg kLeftUnchanged{"Archive left unchanged.", "書庫は変更していません。"};
inline constexpr Msg kNoMatchUnchanged{"No matching entries; archive unchanged.",
                                       "一致する格納ファイルがないため、書庫は変更していません。"};
inline constexpr Msg kNotWritten{"Archive not written.", "書庫は作成していません。"};
inline constexpr Msg kArchiveTooLarge{"Archive too large.", "書庫が大きすぎます。"};
inline constexpr Msg kNameAsUtf8{"Warning: no Shift_JIS form, name stored as UTF-8: {1}",
                                 "警告: Shift_JIS で表せないため、名前を UTF-8 で格納しました: {1}"};
inline constexpr Msg kTooManyZipEntries{"Too many entries for a ZIP without Zip64.",
                                        "Zip64 を使わない ZIP には格納ファイルが多すぎます。"};
inline constexpr Msg kTooManyCabFiles{"Too many files for one cabinet.",
                                      "一つのキャビネットにはファイルが多すぎます。"};
inline constexpr Msg kCannotWriteCabinet{"Cannot write the cabinet.", "キャビネットを書き込めません。"};
inline constexpr Msg kCabinetTooLarge{"Cabinet too large.", "キャビネットが大きすぎます。"};
inline constexpr Msg kFolderUnreadable{"Warning: folder cannot be opened, skipped: {1}",
                                       "警告: 開けないフォルダーは格納しません: {1}"};
inline constexpr Msg kLinkSkipped{"Warning: symbolic link skipped: {1}", "警告: シンボリックリンクは格納しません: {1}"};
inline constexpr Msg kUnreadableLinkSkipped{"Warning: unreadable symbolic link skipped: {1}",
                                            "警告: 読めないシンボリックリンクは格納しません: {1}"};
inline constexpr Msg kCannotOpenFolder{"Cannot open folder: {1}", "フォルダーを開けません: {1}"};
inline constexpr Msg kFileNotFound{"File not found: {1}", "ファイルが見つかりません: {1}"};
}  // namespace msg

}  // namespace navirt::arc

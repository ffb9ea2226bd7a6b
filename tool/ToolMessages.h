#pragma once
// navirt-tool's own messages, English and Japanese (the locale chooses).
// "{1}", "{2}" stand for the names and values put in.
#include <string>
#include <string_view>

#include "platform/Messages.h"

namespace navirt::tool {
// The core's Japanese texts within text in the process's language: under
// an English locale the engine's and handlers' messages become English.
std::string InShellLanguage(std::string_view text);
}  // namespace navirt::tool

namespace navirt::tool::msg {

// Input and output.
inline constexpr Msg kCannotReadStdin{"cannot read standard input", "標準入力を読み込めません"};
inline constexpr Msg kCannotRead{"cannot read {1}: {2}", "{1} を読み込めません: {2}"};
inline constexpr Msg kCannotReadPath{"cannot read {1}", "{1} を読み込めません"};
inline constexpr Msg kIsFolder{"is a folder", "フォルダーです"};
inline constexpr Msg kWriteError{"write error: {1}", "書き込みエラー: {1}"};
inline constexpr Msg kNotUtf8{"the argument is not UTF-8 (byte 0x{1}; --sjis-args takes raw bytes)",
                              "引数が UTF-8 ではありません (バイト 0x{1}。--sjis-args ではバイトのまま渡せます)"};
inline constexpr Msg kNoShiftJis{"the character '{1}' ({2}) has no Shift_JIS form",
                                 "文字 '{1}' ({2}) は Shift_JIS で表せません"};
inline constexpr Msg kOutOfMemory{"out of memory", "メモリーが足りません"};
// Commands and their words.
inline constexpr Msg kUnknownCommand{"unknown command '{1}' (see navirt-tool --help)",
                                     "コマンド '{1}' はありません (navirt-tool --help を参照)"};
inline constexpr Msg kUsage{"usage: {1}", "使い方: {1}"};
inline constexpr Msg kNamedUsage{"{1}: usage: {2}", "{1}: 使い方: {2}"};
inline constexpr Msg kTooManyArgs{"{1}: too many arguments", "{1}: 引数が多すぎます"};
inline constexpr Msg kMissingMode{"{1}: missing mode ({2})", "{1}: モードを指定してください ({2})"};
inline constexpr Msg kUnknownMode{"{1}: unknown mode '{2}' ({3})", "{1}: モード '{2}' はありません ({3})"};
inline constexpr Msg kUnknownLineEnd{"eol: unknown line end '{1}' ({2})", "eol: 改行 '{1}' はありません ({2})"};
inline constexpr Msg kUnknownOption{"unknown option '{1}'", "オプション '{1}' はありません"};
inline constexpr Msg kNoLinesCommand{"lines: no command (see navirt-tool lines --help)",
                                     "lines: コマンドを指定してください (navirt-tool lines --help を参照)"};
inline constexpr Msg kUnknownLinesCommand{"lines: unknown command '{1}' (see navirt-tool lines --help)",
                                          "lines: コマンド '{1}' はありません (navirt-tool lines --help を参照)"};
inline constexpr Msg kTextEmpty{"lines {1}: the text is empty", "lines {1}: 文字列が空です"};
inline constexpr Msg kTextHasBreak{"lines {1}: the text holds a line break; lines never do",
                                   "lines {1}: 文字列に改行があります (行は改行を含みません)"};
inline constexpr Msg kExprEmpty{"lines {1}: the expression is empty", "lines {1}: 正規表現が空です"};
inline constexpr Msg kAtPosition{"{1} (position {2})", "{1} (位置 {2})"};
// Conversions.
inline constexpr Msg kConversionLossOne{
    "conv: {1} character without a Shift_JIS form written as \"?\"; the first at line {2} (byte {3})",
    "conv: Shift_JIS にない文字 {1} 個を \"?\" にしました。最初は {2} 行目 (先頭から {3} バイトの位置)"};
inline constexpr Msg kConversionLoss{
    "conv: {1} characters without a Shift_JIS form written as \"?\"; the first at line {2} (byte {3})",
    "conv: Shift_JIS にない文字 {1} 個を \"?\" にしました。最初は {2} 行目 (先頭から {3} バイトの位置)"};
// Archives.
inline constexpr Msg kIsFolderNotArchive{"{1}: is a folder, not an archive",
                                         "{1}: フォルダーです (書庫ではありません)"};
inline constexpr Msg kNoSuchFile{"{1}: no such file", "{1}: ファイルがありません"};
inline constexpr Msg kNotRegularFile{"{1}: not a regular file", "{1}: 通常のファイルではありません"};
inline constexpr Msg kResult{"result {1}", "結果 {1}"};
inline constexpr Msg kNotRecognised{"{1}: not an archive the libraries recognise",
                                    "{1}: 書庫ライブラリーが扱える書庫ではありません"};
inline constexpr Msg kShownAsIsNoListing{"{1}: shown as it is (no listing)",
                                         "{1}: そのまま表示されます (一覧はありません)"};
inline constexpr Msg kShownAsIs{"{1}: shown as it is (no LHA listing)",
                                "{1}: そのまま表示されます (LHA の一覧はありません)"};
inline constexpr Msg kNoFormat{"{1}: the extension names no archive format", "{1}: 拡張子が書庫の形式を表していません"};
// What the library's report says of an entry refused as unsafe, and the
// result line that then names the cause.
inline constexpr Msg kUnsafeMarker{" refused as unsafe ", "安全でないため展開しませんでした"};
inline constexpr Msg kUnsafeRefused{
    "unsafe entries refused (named above with the reason); nothing was written for them",
    "安全でない格納ファイルを展開しませんでした (上に理由とともに挙げたもの)。"
    "それらは何も書き込んでいません"};
inline constexpr Msg kSkippedName{"skipped: {1}", "スキップしました: {1}"};
inline constexpr Msg kNothingPacked{"nothing was packed", "何も格納しませんでした"};
inline constexpr Msg kCannotWriteArchive{"{1}: cannot write the archive", "{1}: 書庫を書き込めません"};
inline constexpr Msg kNotAnArchive{"{1}: not recognised as an archive", "{1}: 書庫として認識できません"};
// Files.
inline constexpr Msg kBadPieceSize{"size must be a positive whole number of bytes: {1}",
                                   "大きさはバイト数 (1 以上の整数) で指定してください: {1}"};
inline constexpr Msg kStopped{"stopped", "中止しました"};
// System.
inline constexpr Msg kNoFolder{"no folder", "フォルダーがありません"};
inline constexpr Msg kNotADate{"not a date: {1}", "日付ではありません: {1}"};
inline constexpr Msg kHelpNotInstalled{"the help is not installed: {1}", "ヘルプがインストールされていません: {1}"};

}  // namespace navirt::tool::msg

#pragma once
// What the code, transfer-encoding, line-end and width menu commands do,
// apart from the widgets: which conversion each runs, how the file is read
// for it, and which items the "文字コード変換(&J)" menu enables.
#include <bitset>
#include <optional>
#include <string>
#include <string_view>

#include "codec/DetectUnicode.h"
#include "codec/UnicodeConvert.h"
#include "codec/UnicodePane.h"

namespace navirt {

enum class CodeCommand {
  Auto,          // "文字コード自動変換(&A)": ConvertToCode(text, CodeSjis)
  JisToSjis,     // "JIS->Shift+JIS(&J)"
  EucToSjis,     // "EUC->Shift+JIS(&E)"
  SjisToJis,     // "Shift+JIS->JIS(&I)"
  EucToJis,      // "EUC->JIS(&U)"
  SjisToEuc,     // "Shift+JIS->EUC(&C)"
  JisToEuc,      // "JIS->EUC(&S)"
  Base64Encode,  // "->Base64(&B)"
  Base64Decode,  // "Base64->"
  MimeEncode,    // "->Mailヘッダー形式(&M)"
  MimeDecode,    // "Mailヘッダー形式->"
  UuEncode,      // "->Unicode"
  UuDecode,      // "Unicode->"
  BinHexEncode,  // "->BinHex"
  BinHexDecode,  // "BinHex->"
};
constexpr int kCodeCommandCount = 15;

enum class LineEndCommand { Auto, CrToCrLf, LfToCrLf, CrLfToCr, LfToCr, CrLfToLf, CrToLf };

enum class WidthCommand { HalfToFull, FullToHalf, HalfKanaToFull, WideSpace };

// The file's bytes as the code commands see them: cut at the first NUL,
// split at CR LF, CR or LF, and joined with CR LF after every line.
std::string JoinLinesWithCrLf(std::string_view bytes);

// The conversion a command applies to the whole prepared text. The
// uuencode and BinHex encoders get the separator CR.
std::string ApplyCodeCommand(CodeCommand cmd, std::string_view text);

// The text the code items read from a file's bytes: a UTF-8 or UTF-16 file
// decoded to Shift_JIS ("?" for what CP932 lacks), as "UTF-8->Shift+JIS"
// gives it, so its characters are never taken for Shift_JIS or EUC bytes;
// any other file as JoinLinesWithCrLf.
std::string CodeCommandInput(std::string_view fileBytes);

// Reads the file and runs the command on CodeCommandInput; nullopt when the
// file cannot be read (the command then does nothing).
std::optional<std::string> RunCodeCommandOnFile(CodeCommand cmd, const std::string& path);

// Line-end commands work on the file's bytes as stored.
std::string ApplyLineEndCommand(LineEndCommand cmd, std::string_view bytes);
std::optional<std::string> RunLineEndCommandOnFile(LineEndCommand cmd, const std::string& path);
// What a line-end item shows for a file's bytes: a UTF-8 or UTF-16 file is
// converted on its characters (a UTF-16 unit is never split) and stays in
// its code through the pane mapping, so it reads as itself and saves back
// in its code; any other file as ApplyLineEndCommand.
PaneLoad LineEndCommandForPane(LineEndCommand cmd, std::string_view fileBytes);

std::string ApplyWidthCommand(WidthCommand cmd, std::string_view paneText);

// The enabled state of every item of "文字コード変換(&J)" for the pane's
// current text, indexed by CodeCommand.
std::bitset<kCodeCommandCount> CodeMenuEnabling(std::string_view paneText);

// The items of "文字コード変換(&J)" that go through Unicode.
enum class UnicodeCommand {
  Utf8ToSjis,   // "UTF-8->Shift+JIS"
  SjisToUtf8,   // "Shift+JIS->UTF-8"
  Utf16ToSjis,  // "UTF-16->Shift+JIS"
  EucToUtf8,    // "EUC->UTF-8"
};
constexpr int kUnicodeCommandCount = 4;
const char* UnicodeCommandCaption(UnicodeCommand cmd);
const char* UnicodeCommandHint(UnicodeCommand cmd);

// The enabled state of the four items, indexed by UnicodeCommand. fileCode
// is the code of the file the pane shows (DetectUnicode of its bytes; None
// for a Shift_JIS pane or a conversion result): a UTF-8 file enables
// UTF-8->Shift+JIS, a UTF-16 file UTF-16->Shift+JIS; otherwise the pane's
// DetectCode decides as for the other items: ASCII enables all four but
// UTF-16, Shift_JIS the one from Shift_JIS, EUC the one from EUC, undecided
// both. An empty pane enables none.
std::bitset<kUnicodeCommandCount> UnicodeMenuEnabling(std::string_view paneText, UnicodeCode fileCode);

// What a Unicode item shows: the converted text and the code it is in
// (None: Shift_JIS for the pane as it is; Utf8: to be shown through the
// lossless UTF-8 pane mapping).
struct UnicodeCommandResult {
  std::string bytes;
  UnicodeCode code = UnicodeCode::None;
  ConversionLoss loss;  // into Shift_JIS: what became "?"
};
// The status-bar text for a conversion's losses, empty when none (CP932
// free: UTF-8, as the window's texts are).
std::string ConversionLossText(const ConversionLoss& loss);
// The conversion of the file's bytes: lines joined with CR LF as for the
// other code items (after decoding, for UTF-16).
UnicodeCommandResult ApplyUnicodeCommand(UnicodeCommand cmd, std::string_view fileBytes);
std::optional<UnicodeCommandResult> RunUnicodeCommandOnFile(UnicodeCommand cmd, const std::string& path);

}  // namespace navirt

// The code conversion items that go through Unicode.
#include "codec/CodecCommands.h"
#include "codec/DetectCode.h"
#include "codec/UnicodeConvert.h"
#include "platform/FileInfo.h"

namespace navirt {

const char* UnicodeCommandCaption(UnicodeCommand cmd) {
  switch (cmd) {
    case UnicodeCommand::Utf8ToSjis:
      return "UTF-8->Shift+JIS";
    case UnicodeCommand::SjisToUtf8:
      return "Shift+JIS->UTF-8";
    case UnicodeCommand::Utf16ToSjis:
      return "UTF-16->Shift+JIS";
    case UnicodeCommand::EucToUtf8:
      return "EUC->UTF-8";
  }
  return "";
}

const char* UnicodeCommandHint(UnicodeCommand cmd) {
  switch (cmd) {
    case UnicodeCommand::Utf8ToSjis:
      return "UTF-8->Shift+JISに変換します。";
    case UnicodeCommand::SjisToUtf8:
      return "Shift+JIS->UTF-8に変換します。";
    case UnicodeCommand::Utf16ToSjis:
      return "UTF-16->Shift+JISに変換します。";
    case UnicodeCommand::EucToUtf8:
      return "EUC->UTF-8に変換します。";
  }
  return "";
}

std::bitset<kUnicodeCommandCount> UnicodeMenuEnabling(std::string_view paneText, UnicodeCode fileCode) {
  using C = UnicodeCommand;
  std::bitset<kUnicodeCommandCount> on;
  auto enable = [&](C c) { on.set(static_cast<size_t>(c)); };
  if (paneText.empty()) return on;
  switch (fileCode) {
    case UnicodeCode::Utf8:
    case UnicodeCode::Utf8Bom:
      enable(C::Utf8ToSjis);
      return on;
    case UnicodeCode::Utf16Le:
    case UnicodeCode::Utf16Be:
      enable(C::Utf16ToSjis);
      return on;
    case UnicodeCode::None:
      break;
  }
  // A pane holding UTF-8 bytes as they are (no pane mapping) counts as UTF-8.
  const UnicodeCode own = DetectUnicode(paneText);
  if (own == UnicodeCode::Utf8 || own == UnicodeCode::Utf8Bom) {
    enable(C::Utf8ToSjis);
    return on;
  }
  switch (DetectCode(paneText)) {
    case CodeAscii:
      enable(C::Utf8ToSjis);
      enable(C::SjisToUtf8);
      enable(C::EucToUtf8);
      break;
    case CodeSjis:
      enable(C::SjisToUtf8);
      break;
    case CodeEuc:
      enable(C::EucToUtf8);
      break;
    case CodeEucOrSjis:
      enable(C::SjisToUtf8);
      enable(C::EucToUtf8);
      break;
    default:
      break;
  }
  return on;
}

UnicodeCommandResult ApplyUnicodeCommand(UnicodeCommand cmd, std::string_view fileBytes) {
  switch (cmd) {
    case UnicodeCommand::Utf8ToSjis: {
      UnicodeCommandResult r;
      r.bytes = Utf8ToSjis(JoinLinesWithCrLf(fileBytes), r.loss);
      return r;
    }
    case UnicodeCommand::SjisToUtf8:
      return {SjisToUtf8(JoinLinesWithCrLf(fileBytes)), UnicodeCode::Utf8, {}};
    case UnicodeCommand::Utf16ToSjis: {
      UnicodeCommandResult r;
      r.bytes = JoinLinesWithCrLf(Utf16ToSjis(fileBytes, r.loss));
      return r;
    }
    case UnicodeCommand::EucToUtf8:
      return {EucToUtf8(JoinLinesWithCrLf(fileBytes)), UnicodeCode::Utf8, {}};
  }
  return {};
}

std::string ConversionLossText(const ConversionLoss& loss) {
  if (loss.count == 0) return {};
  return std::to_string(loss.count) + " 文字をShift_JISに変換できず「?」にしました（最初は " +
         std::to_string(loss.firstLine) + " 行目）。";
}

std::optional<UnicodeCommandResult> RunUnicodeCommandOnFile(UnicodeCommand cmd, const std::string& path) {
  std::string bytes;
  if (path.empty() || !IsRegularFile(path) || !ReadWholeFile(path, bytes)) return std::nullopt;
  return ApplyUnicodeCommand(cmd, bytes);
}

}  // namespace navirt

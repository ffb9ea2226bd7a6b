#include "codec/CodecCommands.h"

#include <initializer_list>

#include "codec/CodeConvert.h"
#include "codec/DetectCode.h"
#include "codec/TransferEncoding.h"
#include "codec/WidthConvert.h"
#include "platform/FileInfo.h"

namespace navirt {

std::string JoinLinesWithCrLf(std::string_view bytes) {
  const size_t nul = bytes.find('\0');
  if (nul != std::string_view::npos) bytes = bytes.substr(0, nul);
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 16 + 2);
  size_t i = 0;
  const size_t n = bytes.size();
  while (i < n) {
    size_t j = i;
    while (j < n && bytes[j] != '\r' && bytes[j] != '\n') ++j;
    out.append(bytes.data() + i, j - i);
    out += "\r\n";
    if (j < n && bytes[j] == '\r' && j + 1 < n && bytes[j + 1] == '\n') ++j;
    i = j + 1;  // a line end at the very end opens no further line
  }
  return out;
}

std::string ApplyCodeCommand(CodeCommand cmd, std::string_view text) {
  switch (cmd) {
    case CodeCommand::Auto:
      return ConvertToCode(text, CodeSjis);
    case CodeCommand::JisToSjis:
      return JisToSjis(text);
    case CodeCommand::EucToSjis:
      return EucToSjis(text);
    case CodeCommand::SjisToJis:
      return SjisToJis(text);
    case CodeCommand::EucToJis:
      return EucToJis(text);
    case CodeCommand::SjisToEuc:
      return SjisToEuc(text);
    case CodeCommand::JisToEuc:
      return JisToEuc(text);
    case CodeCommand::Base64Encode:
      return Base64Encode(text);
    case CodeCommand::Base64Decode:
      return Base64Decode(text);
    case CodeCommand::MimeEncode:
      return MimeHeaderEncode(text);
    case CodeCommand::MimeDecode:
      return MimeHeaderDecode(text);
    case CodeCommand::UuEncode:
      return UuEncode(text, "\r");
    case CodeCommand::UuDecode:
      return UuDecode(text);
    case CodeCommand::BinHexEncode:
      return BinHexEncode(text, "\r");
    case CodeCommand::BinHexDecode:
      return BinHexDecode(text);
  }
  return std::string(text);
}

std::string CodeCommandInput(std::string_view fileBytes) {
  switch (DetectUnicode(fileBytes)) {
    case UnicodeCode::Utf8:
    case UnicodeCode::Utf8Bom:
      return ApplyUnicodeCommand(UnicodeCommand::Utf8ToSjis, fileBytes).bytes;
    case UnicodeCode::Utf16Le:
    case UnicodeCode::Utf16Be:
      return ApplyUnicodeCommand(UnicodeCommand::Utf16ToSjis, fileBytes).bytes;
    case UnicodeCode::None:
      break;
  }
  return JoinLinesWithCrLf(fileBytes);
}

std::optional<std::string> RunCodeCommandOnFile(CodeCommand cmd, const std::string& path) {
  std::string bytes;
  if (path.empty() || !IsRegularFile(path) || !ReadWholeFile(path, bytes)) return std::nullopt;
  return ApplyCodeCommand(cmd, CodeCommandInput(bytes));
}

std::string ApplyLineEndCommand(LineEndCommand cmd, std::string_view bytes) {
  switch (cmd) {
    case LineEndCommand::Auto:
      return ConvertLineEnds(bytes, DetectLineEnd(bytes), LineEndCrLf);
    case LineEndCommand::CrToCrLf:
      return ConvertLineEnds(bytes, LineEndCr, LineEndCrLf);
    case LineEndCommand::LfToCrLf:
      return ConvertLineEnds(bytes, LineEndLf, LineEndCrLf);
    case LineEndCommand::CrLfToCr:
      return ConvertLineEnds(bytes, LineEndCrLf, LineEndCr);
    case LineEndCommand::LfToCr:
      return ConvertLineEnds(bytes, LineEndLf, LineEndCr);
    case LineEndCommand::CrLfToLf:
      return ConvertLineEnds(bytes, LineEndCrLf, LineEndLf);
    case LineEndCommand::CrToLf:
      return ConvertLineEnds(bytes, LineEndCr, LineEndLf);
  }
  return std::string(bytes);
}

std::optional<std::string> RunLineEndCommandOnFile(LineEndCommand cmd, const std::string& path) {
  std::string bytes;
  if (path.empty() || !IsRegularFile(path) || !ReadWholeFile(path, bytes)) return std::nullopt;
  return ApplyLineEndCommand(cmd, bytes);
}

PaneLoad LineEndCommandForPane(LineEndCommand cmd, std::string_view fileBytes) {
  // The pane form keeps every line end as a single-byte CR or LF and puts
  // no CR or LF byte inside a character, so the byte rules apply to it.
  PaneLoad load = LoadForPane(fileBytes);
  load.text = ApplyLineEndCommand(cmd, load.text);
  return load;
}

std::string ApplyWidthCommand(WidthCommand cmd, std::string_view paneText) {
  switch (cmd) {
    case WidthCommand::HalfToFull:
      return HalfToFullWidth(paneText);
    case WidthCommand::FullToHalf:
      return FullToHalfWidth(paneText);
    case WidthCommand::HalfKanaToFull:
      return HalfKanaToFullKana(paneText);
    case WidthCommand::WideSpace: {
      // Line by line, so a broken character at a line's end cannot pair
      // with the line end.
      std::string out;
      out.reserve(paneText.size());
      size_t i = 0;
      while (i < paneText.size()) {
        size_t j = i;
        while (j < paneText.size() && paneText[j] != '\r' && paneText[j] != '\n') ++j;
        out += WideSpaceToBlanks(paneText.substr(i, j - i));
        if (j < paneText.size()) out.push_back(paneText[j++]);
        i = j;
      }
      return out;
    }
  }
  return std::string(paneText);
}

std::bitset<kCodeCommandCount> CodeMenuEnabling(std::string_view paneText) {
  using C = CodeCommand;
  std::bitset<kCodeCommandCount> on;
  auto enable = [&](std::initializer_list<C> cmds) {
    for (C c : cmds) on.set(static_cast<size_t>(c));
  };
  enable({C::Base64Decode, C::MimeDecode, C::UuEncode, C::UuDecode, C::BinHexEncode, C::BinHexDecode});
  if (paneText.empty()) return on;
  switch (DetectCode(paneText)) {
    case CodeBinary:
      break;
    case CodeAscii:
      enable({C::Auto, C::JisToSjis, C::EucToSjis, C::SjisToJis, C::EucToJis, C::SjisToEuc, C::JisToEuc,
              C::Base64Encode, C::MimeEncode});
      break;
    case CodeJis83:
    case CodeJis78:
      enable({C::Auto, C::JisToSjis, C::JisToEuc, C::Base64Encode});
      break;
    case CodeEuc:
      enable({C::Auto, C::EucToJis, C::EucToSjis, C::Base64Encode});
      break;
    case CodeSjis:
      enable({C::Auto, C::SjisToJis, C::SjisToEuc, C::Base64Encode, C::MimeEncode});
      break;
    case CodeEucOrSjis:
      enable({C::Auto, C::EucToJis, C::EucToSjis, C::SjisToJis, C::SjisToEuc, C::Base64Encode, C::MimeEncode});
      break;
  }
  return on;
}

}  // namespace navirt

#pragma once
// Mail-safe 7-bit forms: Base64, ISO-2022-JP header words, a uuencode body
// and a BinHex 4.0 alphabet body. Pure functions over bytes; none reports an
// error. Decoders size their result before they start and never write past
// it; a character outside an alphabet inside a Base64 or uuencode group
// counts as the value 0.
#include <string>
#include <string_view>

namespace navirt {

// RFC 2045 alphabet, "=" padding, no line breaks.
std::string Base64Encode(std::string_view text);
// CR and LF are skipped; groups are read four characters at a time.
std::string Base64Decode(std::string_view text);

// Runs of two-byte Shift_JIS characters become "=?ISO-2022-JP?B?...?=".
std::string MimeHeaderEncode(std::string_view text);
// Encoded words become their JIS bytes followed by ESC ( J.
std::string MimeHeaderDecode(std::string_view text);

// Lines of 45 bytes ("M" lines), a last shorter line, then sep, "`", sep.
// No begin or end lines.
std::string UuEncode(std::string_view text, std::string_view sep);
std::string UuDecode(std::string_view text);

// ":" + BinHex 4.0 alphabet in 64-character lines + ":"; no header,
// checksum or run-length compression.
std::string BinHexEncode(std::string_view text, std::string_view sep);
std::string BinHexDecode(std::string_view text);

}  // namespace navirt

#pragma once
// Conversions between Shift_JIS, EUC-JP, JIS and the Unicode forms, through
// ICU's code pages. Characters the target lacks become "?", bytes the source
// cannot decode become U+FFFD (or "?" in Shift_JIS); invisible characters
// CP932 lacks (U+FEFF, variation selectors) are left out. Nine characters
// CP932 lacks go to Shift_JIS as iconv and nkf carry them (JisFormOf). A
// byte-order mark at the start of a Unicode source is dropped; UTF-8
// results carry none.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace navirt {

// What a conversion into Shift_JIS could not carry: each character CP932
// lacks and each undecodable piece of the source became one "?". The first
// is at byte firstOffset of the source, on line firstLine (1-based); both
// are 0 when count is.
struct ConversionLoss {
  size_t count = 0;
  size_t firstOffset = 0;
  size_t firstLine = 0;
  // Adds a later piece's losses; pieceStart and linesBefore place it.
  void Add(const ConversionLoss& piece, size_t pieceStart, size_t linesBefore);
};

std::string Utf8ToSjis(std::string_view utf8);
std::string Utf8ToSjis(std::string_view utf8, ConversionLoss& loss);
std::string SjisToUtf8(std::string_view sjis);
// The fast paths of the two above through the CP932 tables alone; nothing
// when the text needs ICU itself (a unit the tables lack). Tests hold them
// against ICU.
std::optional<std::string> Utf8ToSjisByTable(std::string_view utf8);
std::optional<std::string> SjisToUtf8ByTable(std::string_view sjis);
// UTF-16 after its mark (FF FE little-endian, FE FF big-endian); without a
// mark it is read as little-endian. An odd last byte becomes "?".
std::string Utf16ToSjis(std::string_view utf16);
std::string Utf16ToSjis(std::string_view utf16, ConversionLoss& loss);
std::string Utf16ToUtf8(std::string_view utf16);
// EUC-JP with JIS X 0212 (0x8F) and half-width kana (0x8E).
std::string EucToUtf8(std::string_view euc);
// 7-bit JIS (ISO-2022-JP with JIS X 0201 kana and JIS X 0212).
std::string JisToUtf8(std::string_view jis);

// The text in UTF-8 whatever its code: DetectUnicode first, then
// DetectCode. UTF-8 comes back unchanged (its mark too), as do ASCII and
// binary. A text undecided between EUC and Shift_JIS is read as EUC: the
// Shift_JIS reading would be half-width kana alone.
std::string AutoToUtf8(std::string_view text);

// The text in Shift_JIS whatever its code: UTF-8 and UTF-16 through ICU,
// JIS and EUC as the automatic code conversion does; anything else comes
// back unchanged. Used where a text of any code must be read as the pane's.
std::string AnyToSjis(std::string_view text);

}  // namespace navirt

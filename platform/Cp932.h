#pragma once
// Code page 932 (Shift_JIS as Windows writes it) <-> Unicode.
//
// The pane's text is CP932 bytes; only the screen sees Unicode. The lossless
// pair below guarantees EncodeCp932Lossless(DecodeCp932Lossless(b)) == b for
// any byte string b:
//  - a byte or pair that does not decode becomes a placeholder U+F700 + byte;
//  - a pair that decodes to a character whose canonical encoding is another
//    pair (NEC/IBM duplicates) is shown as that character followed by U+FE00,
//    an invisible variation selector (U+FE00 + n for the n-th such pair of
//    that character) that tells the encoder which pair it was.
#include <cstdint>
#include <string>
#include <string_view>

namespace navirt {

inline bool IsSjisLead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsSjisTrail(unsigned char c) { return c >= 0x40 && c <= 0xFC && c != 0x7F; }

constexpr char16_t kPlaceholderBase = 0xF700;
constexpr char16_t kAltPairMark = 0xFE00;

std::u16string DecodeCp932Lossless(std::string_view bytes);
// The same into a buffer the caller reuses (its old content is dropped).
void DecodeCp932LosslessInto(std::string_view bytes, std::u16string& out);
// The same into out, which has room for bytes.size() units (never more
// are written); returns how many were written. For callers that own a
// buffer of their own (the screen's string), so nothing is copied again.
size_t DecodeCp932LosslessTo(std::string_view bytes, char16_t* out);

// The tables behind the mappings, for converters that go a character at a
// time. exact[u] is the code (one byte below 0x100, else lead<<8|trail) that
// decodes to exactly the BMP character u and nothing else, 0 when CP932 has
// none; exact[0] is 0 too, though byte 0 stands for U+0000.
struct Cp932Maps {
  const char16_t* single;  // 256 entries: byte -> character, 0 none (lead bytes 0)
  const char16_t* pair;    // 65536 entries: lead<<8|trail -> character, 0 none
  const uint16_t* exact;   // 65536 entries
};
const Cp932Maps& Cp932Tables();
std::string EncodeCp932Lossless(std::u16string_view text);

// Characters CP932 lacks that the JIS-based converters (iconv, nkf) carry
// to the JIS character they stand for: U+301C WAVE DASH to 81 60, U+2212
// MINUS SIGN to 81 7C, U+00A5 YEN SIGN to 5C and so on (nine in all). 0 for
// any other character. For text only: a file name keeps what it holds.
uint16_t JisFormOf(char32_t cp);

// Text from the system (file names, paths, report lines) into the pane and
// back. Characters CP932 lacks become '?'; invalid UTF-8 bytes too.
std::string Utf8ToCp932(std::string_view utf8);
std::string Cp932ToUtf8(std::string_view cp932);

std::string Utf16ToUtf8(std::u16string_view s);
std::u16string Utf8ToUtf16(std::string_view s);

// One code point as UTF-8 bytes (surrogates are the caller's to refuse).
// Inline: the converters call it once per character.
inline void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace navirt

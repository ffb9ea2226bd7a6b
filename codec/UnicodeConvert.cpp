#include "codec/UnicodeConvert.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>

#include "codec/AsciiRuns.h"
#include "codec/CodeConvert.h"
#include "codec/DetectCode.h"
#include "codec/DetectUnicode.h"
#include "platform/Cp932.h"

namespace navirt {

namespace {

struct CloseConverter {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, CloseConverter>;

Converter Open(const char* name, bool sjisTarget) {
  UErrorCode err = U_ZERO_ERROR;
  Converter c(ucnv_open(name, &err));
  if (U_FAILURE(err) || !c) throw std::runtime_error(std::string("ICU has no converter ") + name);
  if (sjisTarget) {
    err = U_ZERO_ERROR;
    ucnv_setSubstChars(c.get(), "?", 1, &err);
  }
  return c;
}

constexpr const char* kSjis = "windows-31j";

// A piece the source cannot decode becomes U+FFFD, as Unicode asks (ICU's
// code pages would give their own substitute, U+001A, instead).
void DecodeFailureToFffd(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                         UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  static const UChar kReplacement = 0xFFFD;
  *err = U_ZERO_ERROR;
  ucnv_cbToUWriteUChars(args, &kReplacement, 1, 0, err);
}

// Into Shift_JIS: the nine JIS forms, then "?" for what is still missing,
// counted (characters ICU leaves out silently are not losses).
void EncodeFailureToSjis(const void* context, UConverterFromUnicodeArgs* args, const UChar* units, int32_t length,
                         UChar32 cp, UConverterCallbackReason reason, UErrorCode* err) {
  if (reason > UCNV_IRREGULAR) return;
  if (reason == UCNV_UNASSIGNED) {
    if (const uint16_t jis = JisFormOf(static_cast<char32_t>(cp))) {
      const char bytes[2] = {static_cast<char>(jis >> 8), static_cast<char>(jis & 0xFF)};
      *err = U_ZERO_ERROR;
      if (jis >= 0x100)
        ucnv_cbFromUWriteBytes(args, bytes, 2, 0, err);
      else
        ucnv_cbFromUWriteBytes(args, bytes + 1, 1, 0, err);
      return;
    }
  }
  const char* before = args->target;
  UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, units, length, cp, reason, err);
  if (context && args->target != before) ++*static_cast<size_t*>(const_cast<void*>(context));
}

// One pass through ICU's pivot; maxGrowth bounds the result's size per
// input byte, so the result is written once and never reallocated. lost
// counts the "?" a Shift_JIS result got.
std::string ConvertRaw(const char* from, const char* to, std::string_view in, size_t maxGrowth,
                       size_t* lost = nullptr) {
  if (in.empty()) return {};
  Converter src = Open(from, false);
  const bool sjis = std::string_view(to) == kSjis;
  Converter dst = Open(to, sjis);
  UErrorCode cbErr = U_ZERO_ERROR;
  ucnv_setToUCallBack(src.get(), DecodeFailureToFffd, nullptr, nullptr, nullptr, &cbErr);
  if (sjis) ucnv_setFromUCallBack(dst.get(), EncodeFailureToSjis, lost, nullptr, nullptr, &cbErr);
  std::string out(in.size() * maxGrowth + 16, '\0');
  char* target = out.data();
  const char* source = in.data();
  UChar pivot[4096];
  UChar* pivotSource = pivot;
  UChar* pivotTarget = pivot;
  UErrorCode err = U_ZERO_ERROR;
  ucnv_convertEx(dst.get(), src.get(), &target, out.data() + out.size(), &source, in.data() + in.size(), pivot,
                 &pivotSource, &pivotTarget, pivot + 4096, true, true, &err);
  if (U_FAILURE(err)) throw std::runtime_error(std::string("ICU cannot convert: ") + u_errorName(err));
  out.resize(static_cast<size_t>(target - out.data()));
  return out;
}

// ICU's CP932 swaps three control codes (0x1A, 0x1C, 0x7F) as IBM's code
// pages do; Windows, iconv and the rest of this program keep them as they
// are. In Shift_JIS and UTF-8 results those bytes are always single
// characters, so ICU's images are mapped back byte by byte.
std::string Convert(const char* from, const char* to, std::string_view in, size_t maxGrowth, size_t* lost = nullptr) {
  std::string out = ConvertRaw(from, to, in, maxGrowth, lost);
  const std::string_view f(from), t(to);
  if ((t != kSjis && t != "UTF-8") || out.find_first_of(std::string_view("\x1A\x1C\x7F", 3)) == std::string::npos)
    return out;
  const std::string_view controls = f == "UTF-16LE"   ? std::string_view("\x1A\0\x1C\0\x7F\0", 6)
                                    : f == "UTF-16BE" ? std::string_view("\0\x1A\0\x1C\0\x7F", 6)
                                                      : std::string_view("\x1A\x1C\x7F", 3);
  const std::string image = ConvertRaw(from, to, controls, 1);
  if (image.size() != 3) return out;
  unsigned char back[256];
  for (int b = 0; b < 256; ++b) back[b] = static_cast<unsigned char>(b);
  back[static_cast<unsigned char>(image[0])] = 0x1A;
  back[static_cast<unsigned char>(image[1])] = 0x1C;
  back[static_cast<unsigned char>(image[2])] = 0x7F;
  for (char& c : out) c = static_cast<char>(back[static_cast<unsigned char>(c)]);
  return out;
}

std::string_view WithoutMark(std::string_view s, std::string_view mark) {
  return s.substr(0, mark.size()) == mark ? s.substr(mark.size()) : s;
}

// UTF-16 as ICU should read it: the mark decides the order and is dropped.
const char* Utf16Order(std::string_view& s) {
  if (s.substr(0, 2) == "\xFE\xFF") {
    s.remove_prefix(2);
    return "UTF-16BE";
  }
  s = WithoutMark(s, "\xFF\xFE");
  return "UTF-16LE";
}

// The exact CP932 codes as they are stored: the lead byte first in memory
// (one two-byte store a character), 0 for none.
struct StoredCodeTable {
  uint16_t code[65536];
};

const StoredCodeTable& StoredCodes() {
  static const StoredCodeTable* const table = [] {
    auto* t = new StoredCodeTable{};
    const uint16_t* exact = Cp932Tables().exact;
    for (unsigned cp = 0; cp < 65536; ++cp) {
      const unsigned code = exact[cp];
      const unsigned char bytes[2] = {static_cast<unsigned char>(code > 0xFF ? code >> 8 : code),
                                      static_cast<unsigned char>(code > 0xFF ? code & 0xFF : 0)};
      std::memcpy(&t->code[cp], bytes, 2);
    }
    return t;
  }();
  return *table;
}

}  // namespace

// UTF-8 to Shift_JIS through the CP932 tables: every character must have
// the code ICU gives it (the exact table holds just those); a text with a
// character the table lacks, or a malformed byte, goes through ICU itself.
std::optional<std::string> Utf8ToSjisByTable(std::string_view utf8) {
  const uint16_t* const stored = StoredCodes().code;
  // Never longer than the UTF-8: a character's code is at most as long as
  // its UTF-8 bytes, so the output stays behind the input and the block
  // stores of CopyAscii always have their room.
  std::string out(utf8.size(), '\0');
  char* o = out.data();
  const unsigned char* const begin = reinterpret_cast<const unsigned char*>(utf8.data());
  const unsigned char* p = begin;
  const unsigned char* const e = p + utf8.size();
  while (p < e) {
    detail::CopyAscii(p, e, o);
    // Then the characters up to the next ASCII byte.
    while (p < e) {
      const unsigned c = *p;
      if (c < 0x80) break;
      char32_t cp;
      // Kana, kanji and the full-width forms: three bytes, checked as one
      // word, first byte lowest (a lead 1110xxxx and two 10xxxxxx), and not
      // overlong. A surrogate (ED A0-BF) has no code in the table, so it
      // goes the long way all the same.
      const uint32_t w = e - p >= 3 ? p[0] | (p[1] << 8) | (uint32_t{p[2]} << 16) : 0;
      cp = ((w & 0x0F) << 12) | ((w >> 2) & 0xFC0) | ((w >> 16) & 0x3F);
      if ((w & 0xC0C0F0) == 0x8080E0 && cp >= 0x800) {
        p += 3;
      } else {
        const size_t len = Utf8SequenceLength(utf8, static_cast<size_t>(p - begin));
        if (len == 0 || len == 4) return std::nullopt;  // CP932 has nothing beyond the BMP
        cp = len == 2 ? ((c & 0x1F) << 6) | (p[1] & 0x3F) : ((c & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        p += len;
      }
      // Both bytes stored whatever the length: the output is behind the
      // input. Past ASCII only the half-width katakana have one-byte codes,
      // so the length follows from the character.
      if (const uint16_t bytes = stored[cp]) {
        std::memcpy(o, &bytes, 2);
        o += 1 + (cp - 0xFF61u >= 0x3Fu);
        continue;
      }
      const unsigned code = JisFormOf(cp);
      if (code == 0) return std::nullopt;
      const bool two = code > 0xFF;
      o[0] = static_cast<char>(two ? code >> 8 : code);
      o[1] = static_cast<char>(code);
      o += 1 + two;
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

namespace {

bool CarriedToSjis(char32_t cp) {
  if (cp < 0x80) return true;
  if (cp < 0x10000 && Cp932Tables().exact[cp] != 0) return true;
  return JisFormOf(cp) != 0 || u_hasBinaryProperty(static_cast<UChar32>(cp), UCHAR_DEFAULT_IGNORABLE_CODE_POINT);
}

// Where the first loss of a UTF-8 text lies (only asked once there is one).
void LocateUtf8Loss(std::string_view text, size_t base, ConversionLoss& loss) {
  for (size_t i = 0; i < text.size();) {
    const size_t len = Utf8SequenceLength(text, i);
    char32_t cp = 0;
    if (len > 0) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      cp = len == 1 ? c : len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
      for (size_t k = 1; k < len; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    }
    if (len == 0 || !CarriedToSjis(cp)) {
      loss.firstOffset = base + i;
      loss.firstLine = 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + i, '\n'));
      return;
    }
    i += len;
  }
}

// The same for UTF-16 in the given order (little-endian when le).
void LocateUtf16Loss(std::string_view text, bool le, size_t base, ConversionLoss& loss) {
  auto unit = [&](size_t i) {
    const unsigned a = static_cast<unsigned char>(text[i]), b = static_cast<unsigned char>(text[i + 1]);
    return le ? (b << 8) | a : (a << 8) | b;
  };
  for (size_t i = 0; i < text.size();) {
    size_t len = 2;
    bool bad = i + 2 > text.size();
    char32_t cp = bad ? 0 : unit(i);
    if (!bad && cp >= 0xD800 && cp <= 0xDBFF) {
      const unsigned lo = i + 4 <= text.size() ? unit(i + 2) : 0;
      bad = lo < 0xDC00 || lo > 0xDFFF;
      if (!bad) {
        cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
        len = 4;
      }
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      bad = true;
    }
    if (bad || !CarriedToSjis(cp)) {
      // Lines count LF units of this order.
      loss.firstOffset = base + i;
      size_t lines = 1;
      for (size_t k = 0; k + 2 <= i; k += 2)
        if (unit(k) == 0x0A) ++lines;
      loss.firstLine = lines;
      return;
    }
    i += len;
  }
}

}  // namespace

void ConversionLoss::Add(const ConversionLoss& piece, size_t pieceStart, size_t linesBefore) {
  if (piece.count == 0) return;
  if (count == 0) {
    firstOffset = pieceStart + piece.firstOffset;
    firstLine = linesBefore + piece.firstLine;
  }
  count += piece.count;
}

std::string Utf8ToSjis(std::string_view utf8) {
  ConversionLoss unused;
  return Utf8ToSjis(utf8, unused);
}

std::string Utf8ToSjis(std::string_view utf8, ConversionLoss& loss) {
  loss = {};
  const size_t mark = utf8.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  utf8.remove_prefix(mark);
  if (auto fast = Utf8ToSjisByTable(utf8)) return std::move(*fast);
  std::string out = Convert("UTF-8", kSjis, utf8, 1, &loss.count);
  if (loss.count > 0) LocateUtf8Loss(utf8, mark, loss);
  return out;
}

namespace {

// Every Shift_JIS unit's UTF-8 bytes, ready to store: the bytes first in
// memory order, their count in the last byte (0: the unit has no
// character). The 60 lead bytes get a row of 256 trails each (60 KiB, at
// home in the second-level cache); the single bytes a row of their own.
struct Utf8Units {
  uint32_t pair[60 * 256];
  uint32_t single[256];
  uint8_t row[256];  // lead byte -> its row in pair
};

uint32_t PackUtf8(char16_t u) {
  unsigned char b[4] = {0, 0, 0, 0};
  if (u == 0) return 0;
  if (u < 0x80) {
    b[0] = static_cast<unsigned char>(u);
    b[3] = 1;
  } else if (u < 0x800) {
    b[0] = static_cast<unsigned char>(0xC0 | (u >> 6));
    b[1] = static_cast<unsigned char>(0x80 | (u & 0x3F));
    b[3] = 2;
  } else {
    b[0] = static_cast<unsigned char>(0xE0 | (u >> 12));
    b[1] = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
    b[2] = static_cast<unsigned char>(0x80 | (u & 0x3F));
    b[3] = 3;
  }
  uint32_t v;
  std::memcpy(&v, b, 4);
  return v;
}

inline unsigned UnitLength(uint32_t v) {
  unsigned char b[4];
  std::memcpy(b, &v, 4);
  return b[3];
}

const Utf8Units& Utf8UnitTable() {
  static const Utf8Units* const table = [] {
    auto* t = new Utf8Units{};
    const Cp932Maps& m = Cp932Tables();
    unsigned rows = 0;
    for (unsigned c = 0; c < 256; ++c) {
      t->single[c] = c < 0x80 ? PackUtf8(static_cast<char16_t>(c == 0 ? 0 : c)) : PackUtf8(m.single[c]);
      if (!IsSjisLead(static_cast<unsigned char>(c))) continue;
      t->row[c] = static_cast<uint8_t>(rows);
      for (unsigned trail = 0; trail < 256; ++trail) t->pair[rows * 256 + trail] = PackUtf8(m.pair[(c << 8) | trail]);
      ++rows;
    }
    // Byte 0 is a character too (U+0000), one byte long.
    const unsigned char zero[4] = {0, 0, 0, 1};
    std::memcpy(&t->single[0], zero, 4);
    return t;
  }();
  return *table;
}

}  // namespace

// Shift_JIS to UTF-8 through the tables ICU's CP932 converter gave
// (platform/Cp932): ASCII runs are copied sixteen bytes at a time, every
// other unit is one lookup of its finished UTF-8 bytes and one store. A
// text with a unit those tables have no character for goes through ICU
// itself, so that its substitutions are ICU's.
std::optional<std::string> SjisToUtf8ByTable(std::string_view sjis) {
  const Utf8Units& t = Utf8UnitTable();
  // Japanese text grows by half; the room is checked a slice at a time, so
  // that the result is neither cleared at three times the input nor
  // checked at every character.
  constexpr size_t kSlice = 4096;
  std::string out(sjis.size() + sjis.size() / 2 + 3 * kSlice + 64, '\0');
  size_t used = 0;
  const char* p = sjis.data();
  const char* const e = p + sjis.size();
  while (p < e) {
    if (out.size() - used < 3 * kSlice + 64) out.resize(out.size() * 2);
    char* o = out.data() + used;
    const char* const sliceEnd = e - p > static_cast<ptrdiff_t>(kSlice) ? p + kSlice : e;
    while (p < sliceEnd) {
      detail::CopyAscii(p, sliceEnd, o);
      // Then the run of other units, up to the next ASCII byte.
      while (p < sliceEnd) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c < 0x80) break;
        uint32_t v;
        if (IsSjisLead(c)) {
          if (e - p < 2) return std::nullopt;
          v = t.pair[t.row[c] * 256u + static_cast<unsigned char>(p[1])];
          p += 2;  // may step one byte past the slice: the room allows it
        } else {
          v = t.single[c];
          ++p;
        }
        const unsigned len = UnitLength(v);
        if (len == 0) return std::nullopt;
        std::memcpy(o, &v, 4);  // the room holds the extra byte
        o += len;
      }
    }
    used = static_cast<size_t>(o - out.data());
  }
  out.resize(used);
  return out;
}

std::string SjisToUtf8(std::string_view sjis) {
  if (auto fast = SjisToUtf8ByTable(sjis)) return std::move(*fast);
  return Convert(kSjis, "UTF-8", sjis, 3);
}

std::string Utf16ToSjis(std::string_view utf16) {
  ConversionLoss unused;
  return Utf16ToSjis(utf16, unused);
}

std::string Utf16ToSjis(std::string_view utf16, ConversionLoss& loss) {
  loss = {};
  const size_t size = utf16.size();
  const char* order = Utf16Order(utf16);
  std::string out = Convert(order, kSjis, utf16, 2, &loss.count);
  if (loss.count > 0) LocateUtf16Loss(utf16, std::string_view(order) == "UTF-16LE", size - utf16.size(), loss);
  return out;
}

std::string Utf16ToUtf8(std::string_view utf16) {
  const char* order = Utf16Order(utf16);
  return Convert(order, "UTF-8", utf16, 3);
}

std::string EucToUtf8(std::string_view euc) { return Convert("EUC-JP", "UTF-8", euc, 3); }

std::string JisToUtf8(std::string_view jis) { return Convert("ISO_2022,locale=ja,version=4", "UTF-8", jis, 3); }

std::string AutoToUtf8(std::string_view text) {
  if (text.empty()) return {};
  switch (DetectUnicode(text)) {
    case UnicodeCode::Utf16Le:
    case UnicodeCode::Utf16Be:
      return Utf16ToUtf8(text);
    case UnicodeCode::Utf8:
    case UnicodeCode::Utf8Bom:
      return std::string(text);
    case UnicodeCode::None:
      break;
  }
  switch (DetectCode(text)) {
    case CodeJis83:
    case CodeJis78:
      return JisToUtf8(text);
    case CodeEuc:
    case CodeEucOrSjis:  // EUC kanji, or Shift_JIS half-width kana alone
      return EucToUtf8(text);
    case CodeSjis:
      return SjisToUtf8(text);
    default:
      return std::string(text);
  }
}

std::string AnyToSjis(std::string_view text) {
  if (text.empty()) return {};
  switch (DetectUnicode(text)) {
    case UnicodeCode::Utf16Le:
    case UnicodeCode::Utf16Be:
      return Utf16ToSjis(text);
    case UnicodeCode::Utf8:
    case UnicodeCode::Utf8Bom:
      return Utf8ToSjis(text);
    case UnicodeCode::None:
      break;
  }
  return ConvertToCode(text, CodeSjis);
}

}  // namespace navirt

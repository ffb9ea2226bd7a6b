#include "codec/UnicodePane.h"

#include <algorithm>
#include <cstring>

#include "codec/AsciiRuns.h"
#include "codec/JapanesePane.h"
#include "platform/Cp932.h"

namespace navirt {

namespace {

constexpr unsigned char kSpareLeads[15] = {0x85, 0x86, 0xEB, 0xEC, 0xEF, 0xF0, 0xF1, 0xF2,
                                           0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9};

// Lead byte -> its index among kSpareLeads, -1 for the others: asked for
// every two-byte code shown or decoded, so a table rather than a search.
struct SpareLeadTable {
  signed char index[256];
  constexpr SpareLeadTable() : index() {
    for (int b = 0; b < 256; ++b) index[b] = -1;
    for (int k = 0; k < 15; ++k) index[kSpareLeads[k]] = static_cast<signed char>(k);
  }
};
constexpr SpareLeadTable kSpareLeadTable;

int SpareLeadIndex(unsigned char lead) { return kSpareLeadTable.index[lead]; }

bool IsSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDFFF; }

void AppendCode(std::string& out, uint16_t code) {
  if (code >= 0x100) out += static_cast<char>(code >> 8);
  out += static_cast<char>(code & 0xFF);
}

void AppendUnit(std::string& out, char16_t u, bool bigEndian) {
  const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
  out += bigEndian ? hi : lo;
  out += bigEndian ? lo : hi;
}

char32_t Utf8Value(std::string_view s, size_t i, size_t len) {
  auto b = [&](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(s[i + k])); };
  switch (len) {
    case 1:
      return b(0);
    case 2:
      return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
      return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    default:
      return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
  }
}

// The CP932 code standing for exactly this character, unless it is a spare
// code (the user-defined rows decode to private-use characters).
uint16_t ExactCode(const Cp932Maps& m, char32_t cp) {
  if (cp >= 0x10000) return 0;
  const uint16_t code = m.exact[cp];
  if (code >= 0x100 && SpareLeadIndex(static_cast<unsigned char>(code >> 8)) >= 0) return 0;
  return code;
}

}  // namespace

uint16_t SpareCode(size_t k) {
  const unsigned lead = kSpareLeads[k / 188];
  const unsigned t = static_cast<unsigned>(k % 188);
  return static_cast<uint16_t>((lead << 8) | (t < 63 ? 0x40 + t : 0x41 + t));
}

int SpareIndex(uint16_t code) {
  const int lead = SpareLeadIndex(static_cast<unsigned char>(code >> 8));
  const unsigned trail = code & 0xFF;
  if (lead < 0 || trail < 0x40 || trail > 0xFC || trail == 0x7F) return -1;
  return lead * 188 + static_cast<int>(trail < 0x7F ? trail - 0x40 : trail - 0x41);
}

TUnicodePane::TUnicodePane(UnicodeCode code) : code_(code) {}

TUnicodePane TUnicodePane::ForJapanese(TextCode code) {
  TUnicodePane p(UnicodeCode::None);
  p.japanese_ = code;
  return p;
}

std::string TUnicodePane::Label() const { return japanese_ >= 0 ? TextCodeLabel(japanese_) : UnicodeCodeLabel(code_); }

bool TUnicodePane::IsSpareAt(std::string_view pane, size_t i) {
  if (i + 1 >= pane.size()) return false;
  const unsigned code = (static_cast<unsigned char>(pane[i]) << 8) | static_cast<unsigned char>(pane[i + 1]);
  return SpareIndex(static_cast<uint16_t>(code)) >= 0;
}

void TUnicodePane::AppendChar(std::string& pane, char32_t cp, std::string_view raw) {
  auto it = codeOf_.find(cp);
  if (it != codeOf_.end()) {
    AppendCode(pane, it->second);
    return;
  }
  if (kRawByteCodes + chars_.size() < kSpareCodeCount) {
    const uint16_t code = SpareCode(kRawByteCodes + chars_.size());
    chars_.push_back(cp);
    codeOf_.emplace(cp, code);
    AppendCode(pane, code);
    return;
  }
  // The table is full: the stored bytes stand for themselves.
  for (char c : raw) AppendCode(pane, SpareCode(static_cast<unsigned char>(c)));
}

std::string TUnicodePane::Decode(std::string_view file) {
  if (japanese_ == CodeEuc) return DecodeEucForPane(file);
  if (japanese_ >= 0) return DecodeJisForPane(file, jis_);
  const Cp932Maps& m = Cp932Tables();
  const size_t markLen = UnicodeMarkLength(code_);
  const std::string_view mark = code_ == UnicodeCode::Utf16Le   ? std::string_view("\xFF\xFE")
                                : code_ == UnicodeCode::Utf16Be ? std::string_view("\xFE\xFF")
                                                                : std::string_view("\xEF\xBB\xBF");
  mark_ = markLen > 0 && file.substr(0, markLen) == mark;
  if (mark_) file.remove_prefix(markLen);
  std::string pane;
  pane.reserve(file.size() + file.size() / 4);
  const size_t n = file.size();
  if (code_ == UnicodeCode::Utf8 || code_ == UnicodeCode::Utf8Bom) {
    // Written through a pointer, a slice of the input at a time: a
    // character gives at most two bytes per byte it takes (a stray byte
    // becomes a two-byte code), so each slice's room is made once, and
    // only just ahead of the writing (the reserved rest stays untouched).
    constexpr size_t kSlice = 16 << 10;
    const char* p = file.data();
    size_t used = 0;
    for (size_t i = 0; i < n;) {
      const size_t sliceEnd = std::min(n, i + kSlice);
      if (pane.size() < used + 2 * (sliceEnd - i) + 16) pane.resize(used + 2 * (sliceEnd - i) + 16);
      char* o = pane.data() + used;
      auto put = [&o](uint16_t code) {
        if (code >= 0x100) *o++ = static_cast<char>(code >> 8);
        *o++ = static_cast<char>(code & 0xFF);
      };
      // A character the pane has no code for yet, through the spare table.
      auto putSpare = [&](char32_t cp, std::string_view raw) {
        std::string codes;
        AppendChar(codes, cp, raw);
        std::memcpy(o, codes.data(), codes.size());  // at most two bytes a raw byte
        o += codes.size();
      };
      while (i < sliceEnd) {
        const unsigned c = static_cast<unsigned char>(p[i]);
        if (c < 0x80) {
          // Runs of 7-bit bytes are copied as they are (the room holds
          // the sixteen-byte stores).
          const char* q = p + i;
          detail::CopyAscii(q, p + sliceEnd, o);
          i = static_cast<size_t>(q - p);
          continue;
        }
        // Three-byte sequences (kana and kanji, nearly every non-ASCII
        // character of a Japanese text) are checked and decoded here; the
        // leads E0 and ED, with narrower second bytes, go the general way.
        if (c >= 0xE1 && c <= 0xEF && c != 0xED && i + 2 < n && (static_cast<unsigned char>(p[i + 1]) & 0xC0) == 0x80 &&
            (static_cast<unsigned char>(p[i + 2]) & 0xC0) == 0x80) {
          const char32_t cp = ((c & 0x0F) << 12) | ((static_cast<unsigned char>(p[i + 1]) & 0x3F) << 6) |
                              (static_cast<unsigned char>(p[i + 2]) & 0x3F);
          if (const uint16_t code = ExactCode(m, cp))
            put(code);
          else
            putSpare(cp, file.substr(i, 3));
          i += 3;
          continue;
        }
        const size_t len = Utf8SequenceLength(file, i);
        if (len == 0) {
          put(SpareCode(static_cast<unsigned char>(p[i])));
          ++i;
          continue;
        }
        const char32_t cp = Utf8Value(file, i, len);
        if (const uint16_t code = ExactCode(m, cp))
          put(code);
        else
          putSpare(cp, file.substr(i, len));
        i += len;
      }
      used = static_cast<size_t>(o - pane.data());
    }
    pane.resize(used);
    return pane;
  }
  const bool be = code_ == UnicodeCode::Utf16Be;
  auto unit = [&](size_t i) -> char16_t {
    const unsigned a = static_cast<unsigned char>(file[i]), b = static_cast<unsigned char>(file[i + 1]);
    return static_cast<char16_t>(be ? (a << 8) | b : (b << 8) | a);
  };
  size_t i = 0;
  for (; i + 2 <= n;) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 4 <= n) {
      const char16_t v = unit(i + 2);
      if (v >= 0xDC00 && v <= 0xDFFF) {
        const char32_t cp = 0x10000 + ((char32_t(u) - 0xD800) << 10) + (v - 0xDC00);
        AppendChar(pane, cp, file.substr(i, 4));
        i += 4;
        continue;
      }
    }
    if (const uint16_t code = IsSurrogate(u) || u == 0 ? 0 : ExactCode(m, u))
      AppendCode(pane, code);
    else if (u == 0)
      pane += '\0';
    else
      AppendChar(pane, u, file.substr(i, 2));  // a lone surrogate keeps its unit
    i += 2;
  }
  if (i < n) AppendCode(pane, SpareCode(static_cast<unsigned char>(file[i])));  // an odd last byte
  return pane;
}

void TUnicodePane::AppendFileChar(std::string& out, char32_t cp) const {
  if (code_ == UnicodeCode::Utf16Le || code_ == UnicodeCode::Utf16Be) {
    const bool be = code_ == UnicodeCode::Utf16Be;
    if (cp >= 0x10000) {
      AppendUnit(out, static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)), be);
      AppendUnit(out, static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)), be);
    } else {
      AppendUnit(out, static_cast<char16_t>(cp), be);
    }
    return;
  }
  AppendUtf8(out, IsSurrogate(cp) ? 0xFFFD : cp);
}

std::string TUnicodePane::Encode(std::string_view pane) const {
  if (japanese_ == CodeEuc) return EncodeEucFromPane(pane);
  if (japanese_ >= 0) return EncodeJisFromPane(pane, jis_.get(), japanese_ == CodeJis78);
  const Cp932Maps& m = Cp932Tables();
  const bool utf8 = code_ == UnicodeCode::Utf8 || code_ == UnicodeCode::Utf8Bom;
  std::string out;
  out.reserve(pane.size() + pane.size() / 2 + 3);
  if (mark_)
    out += code_ == UnicodeCode::Utf16Le ? "\xFF\xFE" : code_ == UnicodeCode::Utf16Be ? "\xFE\xFF" : "\xEF\xBB\xBF";
  const size_t n = pane.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(pane[i]);
    if (c < 0x80) {
      if (utf8) {
        // 7-bit runs go out as they are.
        size_t j = i + 1;
        while (j < n && static_cast<unsigned char>(pane[j]) < 0x80) ++j;
        out.append(pane.data() + i, j - i);
        i = j;
      } else {
        AppendFileChar(out, c);
        ++i;
      }
      continue;
    }
    if (IsSjisLead(c) && i + 1 < n) {
      const uint16_t code = static_cast<uint16_t>((c << 8) | static_cast<unsigned char>(pane[i + 1]));
      const int k = SpareIndex(code);
      if (k >= 0 && static_cast<size_t>(k) < kRawByteCodes) {
        out += static_cast<char>(k);
        i += 2;
        continue;
      }
      if (k >= 0 && static_cast<size_t>(k) - kRawByteCodes < chars_.size()) {
        AppendFileChar(out, chars_[static_cast<size_t>(k) - kRawByteCodes]);
        i += 2;
        continue;
      }
      if (k < 0 && m.pair[code] != 0) {
        AppendFileChar(out, m.pair[code]);
        i += 2;
        continue;
      }
      // A pair that is no character: each byte below.
    }
    const char16_t u = IsSjisLead(c) ? char16_t(0) : m.single[c];
    AppendFileChar(out, u != 0 ? char32_t(u) : char32_t(0xFFFD));
    ++i;
  }
  return out;
}

std::u16string TUnicodePane::ToScreen(std::string_view pane) const {
  std::u16string out(pane.size(), u'\0');
  out.resize(ToScreenTo(pane, out.data()));
  return out;
}

size_t TUnicodePane::ToScreenTo(std::string_view pane, char16_t* const out) const {
  if (japanese_ >= 0) return DecodeCp932LosslessTo(pane, out);
  const Cp932Maps& m = Cp932Tables();
  // Never more units than bytes: a two-byte code gives at most a
  // surrogate pair.
  char16_t* o = out;
  const size_t n = pane.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(pane[i]);
    if (c < 0x80) {
      *o++ = c == 0 ? kPlaceholderBase : static_cast<char16_t>(c);
      ++i;
      continue;
    }
    if (IsSjisLead(c) && i + 1 < n) {
      const uint16_t code = static_cast<uint16_t>((c << 8) | static_cast<unsigned char>(pane[i + 1]));
      char32_t cp = m.pair[code];
      // Most codes are no spare ones and stand for their own character.
      if (const int k = SpareLeadIndex(c) < 0 ? -1 : SpareIndex(code); k >= 0) {
        cp = 0;
        if (static_cast<size_t>(k) < kRawByteCodes)
          cp = kPlaceholderBase + static_cast<char32_t>(k);
        else if (static_cast<size_t>(k) - kRawByteCodes < chars_.size())
          cp = chars_[static_cast<size_t>(k) - kRawByteCodes];
      }
      if (cp != 0) {
        if (cp >= 0x10000) {
          *o++ = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
          *o++ = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
          *o++ = static_cast<char16_t>(cp);
        }
        i += 2;
        continue;
      }
    }
    const char16_t u = IsSjisLead(c) ? char16_t(0) : m.single[c];
    *o++ = u != 0 ? u : static_cast<char16_t>(kPlaceholderBase + c);
    ++i;
  }
  return static_cast<size_t>(o - out);
}

std::string TUnicodePane::FromScreen(std::u16string_view screen) {
  if (japanese_ >= 0) return EncodeCp932Lossless(screen);
  const Cp932Maps& m = Cp932Tables();
  const bool utf8 = code_ == UnicodeCode::Utf8 || code_ == UnicodeCode::Utf8Bom;
  std::string pane;
  pane.reserve(screen.size() * 2);
  for (size_t i = 0; i < screen.size(); ++i) {
    char32_t cp = screen[i];
    size_t units = 1;
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < screen.size() && screen[i + 1] >= 0xDC00 && screen[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (screen[i + 1] - 0xDC00);
      units = 2;
    }
    i += units - 1;
    if (cp < 0x80) {
      pane += static_cast<char>(cp);
      continue;
    }
    if (cp >= kPlaceholderBase && cp <= kPlaceholderBase + 0xFF && !codeOf_.count(cp)) {
      if (cp == kPlaceholderBase)
        pane += '\0';
      else
        AppendCode(pane, SpareCode(cp - kPlaceholderBase));
      continue;
    }
    if (const uint16_t code = IsSurrogate(cp) ? 0 : ExactCode(m, cp)) {
      AppendCode(pane, code);
      continue;
    }
    std::string raw;
    if (utf8 && IsSurrogate(cp))
      AppendUtf8(raw, 0xFFFD);
    else
      AppendFileChar(raw, cp);
    AppendChar(pane, cp, raw);
  }
  return pane;
}

PaneLoad LoadForPane(std::string_view fileBytes) {
  PaneLoad load;
  const UnicodeCode code = DetectUnicode(fileBytes);
  if (code == UnicodeCode::None) {
    load.text.assign(fileBytes);
    return load;
  }
  load.unicode.emplace(code);
  load.text = load.unicode->Decode(fileBytes);
  return load;
}

PaneLoad LoadFileForPane(std::string_view fileBytes) {
  PaneLoad load = LoadForPane(fileBytes);
  if (load.unicode) return load;
  const TextCode code = DetectCode(fileBytes);
  if (code != CodeEuc && code != CodeJis83 && code != CodeJis78) return load;
  load.unicode = TUnicodePane::ForJapanese(code);
  load.text = load.unicode->Decode(fileBytes);
  return load;
}

}  // namespace navirt

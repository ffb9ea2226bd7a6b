#include "codec/DetectUnicode.h"

#include <cstdint>
#include <cstring>

#include "codec/DetectCode.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define NAVIRT_UTF8_AVX2 1
#endif

namespace navirt {

size_t Utf8SequenceLength(std::string_view s, size_t i) {
  const size_t n = s.size();
  auto at = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned c = at(i);
  if (c < 0x80) return 1;
  auto cont = [&](size_t k, unsigned lo, unsigned hi) { return k < n && at(k) >= lo && at(k) <= hi; };
  if (c >= 0xC2 && c <= 0xDF) return cont(i + 1, 0x80, 0xBF) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    const unsigned lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    return cont(i + 1, lo, hi) && cont(i + 2, 0x80, 0xBF) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const unsigned lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
    return cont(i + 1, lo, hi) && cont(i + 2, 0x80, 0xBF) && cont(i + 3, 0x80, 0xBF) ? 4 : 0;
  }
  return 0;
}

bool IsWellFormedUtf8Scalar(std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const size_t len = Utf8SequenceLength(s, i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

#ifdef NAVIRT_UTF8_AVX2
namespace {

// The table check of Keiser and Lemire: every error shows in the first two
// bytes of a sequence (by three 16-entry lookups) or in a continuation byte
// that is missing or too many (by the bytes two and three back).
constexpr uint8_t kTooShort = 1 << 0, kTooLong = 1 << 1, kOverlong3 = 1 << 2, kTooLarge = 1 << 3, kSurrogate = 1 << 4,
                  kOverlong2 = 1 << 5, kTooLarge1000 = 1 << 6, kOverlong4 = 1 << 6, kTwoConts = 1 << 7;
constexpr uint8_t kCarry = kTooShort | kTooLong | kTwoConts;

__attribute__((target("avx2"))) inline __m256i Lookup16(__m256i idx, const uint8_t (&t)[16]) {
  const __m128i lane = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t));
  return _mm256_shuffle_epi8(_mm256_broadcastsi128_si256(lane), idx);
}

template <int N>
__attribute__((target("avx2"))) inline __m256i Prev(__m256i input, __m256i prevInput) {
  return _mm256_alignr_epi8(input, _mm256_permute2x128_si256(prevInput, input, 0x21), 16 - N);
}

__attribute__((target("avx2"))) inline __m256i High4(__m256i v) {
  return _mm256_and_si256(_mm256_srli_epi16(v, 4), _mm256_set1_epi8(0x0F));
}

constexpr uint8_t kByte1High[16] = {kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTooLong,
                                    kTwoConts,
                                    kTwoConts,
                                    kTwoConts,
                                    kTwoConts,
                                    kTooShort | kOverlong2,
                                    kTooShort,
                                    kTooShort | kOverlong3 | kSurrogate,
                                    kTooShort | kTooLarge | kTooLarge1000 | kOverlong4};
constexpr uint8_t kByte1Low[16] = {kCarry | kOverlong3 | kOverlong2 | kOverlong4,
                                   kCarry | kOverlong2,
                                   kCarry,
                                   kCarry,
                                   kCarry | kTooLarge,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000 | kSurrogate,
                                   kCarry | kTooLarge | kTooLarge1000,
                                   kCarry | kTooLarge | kTooLarge1000};
constexpr uint8_t kByte2High[16] = {kTooShort,
                                    kTooShort,
                                    kTooShort,
                                    kTooShort,
                                    kTooShort,
                                    kTooShort,
                                    kTooShort,
                                    kTooShort,
                                    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge1000 | kOverlong4,
                                    kTooLong | kOverlong2 | kTwoConts | kOverlong3 | kTooLarge,
                                    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
                                    kTooLong | kOverlong2 | kTwoConts | kSurrogate | kTooLarge,
                                    kTooShort,
                                    kTooShort,
                                    kTooShort,
                                    kTooShort};

__attribute__((target("avx2"))) inline __m256i CheckBlock(__m256i input, __m256i prevInput) {
  const __m256i prev1 = Prev<1>(input, prevInput);
  const __m256i special =
      _mm256_and_si256(_mm256_and_si256(Lookup16(High4(prev1), kByte1High),
                                        Lookup16(_mm256_and_si256(prev1, _mm256_set1_epi8(0x0F)), kByte1Low)),
                       Lookup16(High4(input), kByte2High));
  const __m256i third = _mm256_subs_epu8(Prev<2>(input, prevInput), _mm256_set1_epi8(char(0xE0 - 0x80)));
  const __m256i fourth = _mm256_subs_epu8(Prev<3>(input, prevInput), _mm256_set1_epi8(char(0xF0 - 0x80)));
  const __m256i must23 = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(char(0x80)));
  return _mm256_xor_si256(must23, special);
}

__attribute__((target("avx2"))) inline __m256i Incomplete(__m256i input) {
  const __m256i maxValue =
      _mm256_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                       -1, -1, -1, -1, -1, char(0xF0 - 1), char(0xE0 - 1), char(0xC0 - 1));
  return _mm256_subs_epu8(input, maxValue);
}

struct Avx2State {
  __m256i error, prevInput, prevIncomplete;
};

__attribute__((target("avx2"))) inline void Step(Avx2State& s, __m256i input) {
  if (_mm256_movemask_epi8(input) == 0) {
    s.error = _mm256_or_si256(s.error, s.prevIncomplete);
  } else {
    s.error = _mm256_or_si256(s.error, CheckBlock(input, s.prevInput));
    s.prevIncomplete = Incomplete(input);
  }
  s.prevInput = input;
}

__attribute__((target("avx2"))) bool WellFormedAvx2(const unsigned char* p, size_t n) {
  Avx2State s{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
  size_t i = 0;
  for (; i + 64 <= n; i += 64) {
    const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i));
    const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + i + 32));
    if (_mm256_movemask_epi8(_mm256_or_si256(a, b)) == 0) {
      s.error = _mm256_or_si256(s.error, s.prevIncomplete);
      s.prevIncomplete = _mm256_setzero_si256();
      s.prevInput = b;
      continue;
    }
    Step(s, a);
    Step(s, b);
    if ((i & 0xFFFF) == 0 && !_mm256_testz_si256(s.error, s.error)) return false;  // stop early on bad text
  }
  for (; i < n; i += 32) {
    // The tail padded with zero bytes, which end any open sequence as an error.
    alignas(32) unsigned char tail[32] = {};
    std::memcpy(tail, p + i, n - i < 32 ? n - i : 32);
    Step(s, _mm256_load_si256(reinterpret_cast<const __m256i*>(tail)));
  }
  s.error = _mm256_or_si256(s.error, s.prevIncomplete);
  return _mm256_testz_si256(s.error, s.error);
}

bool HaveAvx2() {
  static const bool have = __builtin_cpu_supports("avx2");
  return have;
}

}  // namespace
#endif

bool IsWellFormedUtf8(std::string_view s) {
#ifdef NAVIRT_UTF8_AVX2
  if (HaveAvx2()) return WellFormedAvx2(reinterpret_cast<const unsigned char*>(s.data()), s.size());
#endif
  return IsWellFormedUtf8Scalar(s);
}

namespace {

bool HasByteAtLeast80(std::string_view s) {
  for (char c : s)
    if (static_cast<unsigned char>(c) >= 0x80) return true;
  return false;
}

// A long text (a sample read from a larger file) cut back to the start of
// a sequence its end splits, so that a character on the edge is not taken
// for an error.
std::string_view WithoutCutEnd(std::string_view text) {
  if (text.size() <= kUnicodeWindow) return text;
  size_t lead = text.size() - 1;
  for (int k = 0; k < 3 && lead > 0 && (static_cast<unsigned char>(text[lead]) & 0xC0) == 0x80; ++k) --lead;
  const unsigned char c = static_cast<unsigned char>(text[lead]);
  const size_t want = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
  return text.substr(0, lead + want > text.size() ? lead : text.size());
}

// A character of a two-byte sequence that UTF-8 text commonly holds:
// Latin-1 and Latin Extended-A, Greek (not Coptic), Cyrillic, Hebrew and
// Arabic letters. EUC kanji read as UTF-8 land mostly elsewhere (労働 is
// Coptic ϫ and Latin Extended-B Ư).
bool CommonTwoByteCharacter(char32_t cp) {
  return (cp >= 0xA0 && cp <= 0x17F) || (cp >= 0x370 && cp <= 0x3FF && !(cp >= 0x3E2 && cp <= 0x3EF)) ||
         (cp >= 0x400 && cp <= 0x6FF);
}

// EUC-JP words may also be well-formed UTF-8 (a lead C2-DF and a trail
// A1-BF make a kanji in both). Such a text is EUC unless UTF-8 is clearly
// more likely: it holds a longer sequence (kana and kanji take three bytes
// in UTF-8), a byte EUC-JP cannot have there, or mostly common letters.
bool EucMoreLikely(std::string_view text) {
  size_t common = 0, rare = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) continue;
    if (c >= 0xE0 || i + 1 >= text.size()) return false;
    const unsigned char t = static_cast<unsigned char>(text[i + 1]);
    if (c < 0xA1 || t < 0xA1) return false;  // not an EUC-JP pair
    const char32_t cp = ((c & 0x1F) << 6) | (t & 0x3F);
    ++(CommonTwoByteCharacter(cp) ? common : rare);
    ++i;
  }
  return rare > common;
}

}  // namespace

UnicodeCode DetectUnicode(std::string_view text) {
  auto starts = [&](std::string_view mark) { return text.substr(0, mark.size()) == mark; };
  if (starts("\xEF\xBB\xBF")) return UnicodeCode::Utf8Bom;
  if (starts("\xFF\xFE")) return UnicodeCode::Utf16Le;
  if (starts("\xFE\xFF")) return UnicodeCode::Utf16Be;
  // The whole text is judged: UTF-8 followed by anything else is not
  // UTF-8. Only a sample cut short may end inside a character.
  const std::string_view whole = WithoutCutEnd(text);
  if (whole.find('\0') != std::string_view::npos) return UnicodeCode::None;  // a text holds no zero bytes
  if (!HasByteAtLeast80(whole) || !IsWellFormedUtf8(whole)) return UnicodeCode::None;
  if (EucMoreLikely(whole)) return UnicodeCode::None;
  return UnicodeCode::Utf8;
}

const char* UnicodeCodeLabel(UnicodeCode code) {
  switch (code) {
    case UnicodeCode::Utf8:
      return "UTF-8";
    case UnicodeCode::Utf8Bom:
      return "UTF-8(BOM)";
    case UnicodeCode::Utf16Le:
      return "UTF-16LE";
    case UnicodeCode::Utf16Be:
      return "UTF-16BE";
    case UnicodeCode::None:
      break;
  }
  return "";
}

const char* UnicodeCodeName(UnicodeCode code) {
  switch (code) {
    case UnicodeCode::Utf8:
      return "Utf8";
    case UnicodeCode::Utf8Bom:
      return "Utf8Bom";
    case UnicodeCode::Utf16Le:
      return "Utf16Le";
    case UnicodeCode::Utf16Be:
      return "Utf16Be";
    case UnicodeCode::None:
      break;
  }
  return "None";
}

std::string FileCodeLabel(std::string_view text) {
  if (text.empty()) return "";
  const UnicodeCode u = DetectUnicode(text);
  if (u != UnicodeCode::None) return UnicodeCodeLabel(u);
  return TextCodeLabel(DetectCode(text));
}

size_t UnicodeMarkLength(UnicodeCode code) {
  switch (code) {
    case UnicodeCode::Utf8Bom:
      return 3;
    case UnicodeCode::Utf16Le:
    case UnicodeCode::Utf16Be:
      return 2;
    default:
      return 0;
  }
}

}  // namespace navirt

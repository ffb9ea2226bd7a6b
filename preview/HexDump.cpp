#include "preview/HexDump.h"

#include "preview/HexRow.h"

namespace navirt {

const char kHexDumpHeading[] = "00000000 : 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F";
const char kHexDumpRule[] = "-------- : -- -- -- -- -- -- -- -- -- -- -- -- -- -- -- --";
const char kHexDumpStopped[] = "\x92\x86\x92\x66\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x49";

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

inline char* PutLineNumber(char* p, size_t n) {
  HexNumber8(static_cast<uint32_t>(n), p);
  p[8] = ' ';
  p[9] = ':';
  p[10] = ' ';
  return p + 11;
}

}  // namespace

bool AppendHexDumpRows(std::string_view bytes, std::string& out, std::string_view eol, const KeepGoing& keepGoing,
                       size_t checkEvery, size_t firstLine) {
  const size_t n = bytes.size();
  const size_t fullRows = n / 16;
  const size_t rowLen = 11 + 48 + eol.size();
  const auto* src = reinterpret_cast<const unsigned char*>(bytes.data());
  if (checkEvery < 16) checkEvery = 16;
  const size_t rowsPerCheck = checkEvery / 16;
  size_t base = out.size();
  out.resize(base + (fullRows + 1) * rowLen);
  char* p = out.data() + base;
  size_t line = firstLine;
  size_t row = 0;
  bool stopped = false;
  for (; row < fullRows; ++row) {
    if (keepGoing && row % rowsPerCheck == 0 && !keepGoing()) {
      stopped = true;
      break;
    }
    p = PutLineNumber(p, line++);
    HexRow16(src + row * 16, p);
    p += 48;
    for (char c : eol) *p++ = c;
  }
  // The last row: the rest of the bytes, or an empty row for an empty file
  // or a stop right after a full row, unless the size is a multiple of 16.
  if (n % 16 != 0 || n == 0) {
    p = PutLineNumber(p, line);
    if (!stopped) {
      for (size_t i = fullRows * 16; i < n; ++i) {
        p[0] = kDigits[src[i] >> 4];
        p[1] = kDigits[src[i] & 0xF];
        p[2] = ' ';
        p += 3;
      }
    }
    for (char c : eol) *p++ = c;
  }
  out.resize(static_cast<size_t>(p - out.data()));
  return !stopped;
}

std::string HexDumpPane(std::string_view bytes, std::string_view infoLine, const KeepGoing& keepGoing,
                        size_t checkEvery, bool* stopped) {
  std::string out;
  out.reserve(bytes.size() / 16 * 61 + 256 + infoLine.size());
  out.append(infoLine);
  out += "\r\n\r\n";
  out += kHexDumpHeading;
  out += "\r\n";
  out += kHexDumpRule;
  out += "\r\n";
  bool done = AppendHexDumpRows(bytes, out, "\r\n", keepGoing, checkEvery);
  if (!done)
    out += kHexDumpStopped;
  else
    out.resize(out.size() - 2);  // lines are joined, not terminated
  if (stopped) *stopped = !done;
  return out;
}

std::vector<std::string> BelowLineDump(const std::vector<std::string>& lines, std::string_view infoLine,
                                       const KeepGoing& keepGoing, size_t checkEvery, bool* stopped) {
  std::vector<std::string> out;
  out.reserve(lines.size() * 3 + 3);
  out.emplace_back(infoLine);
  out.emplace_back();
  if (checkEvery == 0) checkEvery = 1;
  bool done = true;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (keepGoing && i % checkEvery == 0 && !keepGoing()) {
      done = false;
      break;
    }
    const std::string& src = lines[i];
    std::string hi(src.size(), ' '), lo(src.size(), ' ');
    for (size_t k = 0; k < src.size(); ++k) {
      unsigned char c = static_cast<unsigned char>(src[k]);
      hi[k] = kDigits[c >> 4];
      lo[k] = kDigits[c & 0xF];
    }
    out.push_back(src);
    out.push_back(std::move(hi));
    out.push_back(std::move(lo));
  }
  if (!done) out.emplace_back(kHexDumpStopped);
  if (stopped) *stopped = !done;
  return out;
}

}  // namespace navirt

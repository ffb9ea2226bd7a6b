// TTxtFile, the block reader that shows a file as one character stream, and
// TGrep, which reports every line holding a match.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/Cp932.h"
#include "regex/RENeedleFinder.h"
#include "regex/bmRegExp.h"

namespace navirt {

namespace {

[[noreturn]] void OpenError(const std::string& path, int err) { throw EFileNotFound(path + ": " + std::strerror(err)); }

const char* FindByte(const char* p, const char* end, char c) {
  return static_cast<const char*>(std::memchr(p, c, size_t(end - p)));
}

// The first CR or zero byte.
const char* FindCrOrZero(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i zero = _mm_setzero_si128();
  for (; p + 16 <= end; p += 16) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, zero))));
    if (m) return p + __builtin_ctz(m);
  }
#endif
  for (; p < end; ++p)
    if (*p == '\r' || *p == '\0') return p;
  return nullptr;
}

size_t CountLf(const char* p, const char* end) {
  size_t n = 0;
#if defined(__SSE2__)
  const __m128i lf = _mm_set1_epi8('\n');
  while (p + 16 <= end) {
    // Byte counters (each compare adds 1 as 0 - (-1)), summed before they
    // can overflow.
    __m128i acc = _mm_setzero_si128();
    for (int i = 0; i < 255 && p + 16 <= end; ++i, p += 16)
      acc = _mm_sub_epi8(acc, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), lf));
    __m128i sums = _mm_sad_epu8(acc, _mm_setzero_si128());
    n += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
  }
#endif
  for (; p < end; ++p) n += *p == '\n';
  return n;
}

}  // namespace

// ------------------------------------------------------------------ TTxtFile

TTxtFile::TTxtFile(const std::string& path, std::atomic<bool>& cancel, std::function<void()> processMessages,
                   const Converter& convert)
    : cancel_(cancel), processMessages_(std::move(processMessages)) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) OpenError(path, errno);
  struct stat st;
  if (::fstat(fd_, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd_);
    fd_ = -1;
    OpenError(path, EISDIR);
  }
  raw_.resize(kBlockSize);
  data_.reserve(kBlockSize + 100);
  try {
    if (convert) {
      std::string bytes;
      for (;;) {
        const size_t old = bytes.size();
        bytes.resize(old + kBlockSize);
        const ssize_t r = ::read(fd_, bytes.data() + old, kBlockSize);
        bytes.resize(old + (r > 0 ? size_t(r) : 0));
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) throw EFileNotFound(std::string("read error: ") + std::strerror(errno));
        if (r == 0) break;
      }
      converted_ = convert(bytes);
      fromMemory_ = true;
    }
    if (!Fill()) throw EEndOfFile();
  } catch (...) {
    ::close(fd_);
    fd_ = -1;
    throw;
  }
}

TTxtFile::~TTxtFile() {
  if (fd_ >= 0) ::close(fd_);
}

void TTxtFile::Poll() {
  if (processMessages_) processMessages_();
  if (cancel_) throw EGrepCancel();
}

bool TTxtFile::Fill() {
  if (eof_) return false;
  size_t n = 0;
  if (fromMemory_) {
    n = std::min(kBlockSize, converted_.size() - convertedPos_);
    std::memcpy(raw_.data(), converted_.data() + convertedPos_, n);
    convertedPos_ += n;
    if (convertedPos_ == converted_.size()) eof_ = true;
  }
  while (!fromMemory_ && n < kBlockSize) {
    ssize_t r = ::read(fd_, raw_.data() + n, kBlockSize - n);
    if (r < 0) {
      if (errno == EINTR) continue;
      throw EFileNotFound(std::string("read error: ") + std::strerror(errno));
    }
    if (r == 0) {
      eof_ = true;
      break;
    }
    n += size_t(r);
  }
  if (n == 0 && !started_) return false;  // an empty file
  size_t before = data_.size();
  if (!started_) {
    data_ += '\n';
    started_ = true;
  }
  // Runs without CR or zero bytes are copied whole.
  const char* in = raw_.data();
  const char* inEnd = in + n;
  while (in < inEnd) {
    if (pendingCR_) {
      pendingCR_ = false;
      data_ += '\n';
      if (*in == '\n') {  // CR LF is one LF
        ++in;
        continue;
      }
    }
    const char* special = FindCrOrZero(in, inEnd);
    const char* runEnd = special ? special : inEnd;
    data_.append(in, size_t(runEnd - in));
    in = runEnd;
    if (in == inEnd) break;
    if (*in == '\r')
      pendingCR_ = true;
    else
      data_ += ' ';
    ++in;
  }
  if (eof_) {
    if (pendingCR_) {
      pendingCR_ = false;
      data_ += '\n';
    }
    if (data_.empty() || data_.back() != '\n') data_ += '\n';
  }
  if (data_.size() > before) {
    const void* lf = memrchr(data_.data() + before, '\n', data_.size() - before);
    if (lf) lineEnd_ = size_t(static_cast<const char*>(lf) - data_.data()) + 1;
  }
  Poll();
  return data_.size() > before || n > 0;
}

void TTxtFile::Compact(size_t keep) {
  if (keep == 0) return;
  if (countPos_ < keep) {
    LineNumberAt(keep);
  }
  data_.erase(0, keep);
  countPos_ -= keep;
  lineEnd_ = lineEnd_ >= keep ? lineEnd_ - keep : 0;
  scan_ = scan_ >= keep ? scan_ - keep : 0;
  ahead_ = ahead_ >= keep ? ahead_ - keep : 0;
}

int32_t TTxtFile::LineNumberAt(size_t lineStart) {
  if (lineStart > countPos_) {
    lfCount_ += static_cast<int64_t>(CountLf(data_.data() + countPos_, data_.data() + lineStart));
    countPos_ = lineStart;
  }
  return static_cast<int32_t>(lfCount_);
}

bool TTxtFile::EnsureAvailable(size_t pos) {
  while (pos >= data_.size()) {
    if (eof_) return false;
    // Keep the line the scan cursor stands in; the look-ahead is never
    // behind the scan cursor.
    const void* lf = scan_ ? memrchr(data_.data(), '\n', scan_) : nullptr;
    size_t keep = lf ? size_t(static_cast<const char*>(lf) - data_.data()) : 0;
    if (keep > 0 && pos >= keep) {
      Compact(keep);
      pos -= keep;
    }
    Fill();
  }
  return true;
}

uint32_t TTxtFile::ReadAt(size_t& pos) {
  // pos may be shifted by compaction; callers pass scan_ or ahead_ directly.
  if (!EnsureAvailable(pos)) return kNoChar;
  unsigned char b = static_cast<unsigned char>(data_[pos]);
  // The stream ends with LF, so a lead byte always has a next byte; it may
  // lie in the next block.
  if (IsSjisLead(b) && EnsureAvailable(pos + 1) && data_[pos + 1] != '\n') {
    uint32_t c = uint32_t(b) << 8 | static_cast<unsigned char>(data_[pos + 1]);
    pos += 2;
    return c;
  }
  pos += 1;
  return b;
}

uint32_t TTxtFile::ReadScan() {
  uint32_t c = ReadAt(scan_);
  if (c == kNoChar) throw EEndOfFile();
  ahead_ = scan_;
  return c;
}

uint32_t TTxtFile::ReadAhead() { return ReadAt(ahead_); }

RE_LineInfo_t TTxtFile::GetThisLine() {
  Poll();
  size_t lf;
  RE_LineInfo_t info = LineAt(scan_, &lf);
  scan_ = lf;
  return info;
}

RE_LineInfo_t TTxtFile::LineAt(size_t pos, size_t* lineEndLf) {
  // The line's end: the next LF at or after pos.
  size_t from = pos;
  for (;;) {
    const char* lf = from < data_.size() ? FindByte(data_.data() + from, data_.data() + data_.size(), '\n') : nullptr;
    if (lf) {
      *lineEndLf = size_t(lf - data_.data());
      break;
    }
    if (eof_) throw EEndOfFile();
    from = data_.size();
    Fill();  // grows the buffer; nothing before pos is dropped
  }
  const void* prev = pos ? memrchr(data_.data(), '\n', pos) : nullptr;
  size_t start = prev ? size_t(static_cast<const char*>(prev) - data_.data()) + 1 : 0;
  RE_LineInfo_t info;
  info.Line.assign(data_, start, *lineEndLf - start);
  info.LineNo = LineNumberAt(start);
  return info;
}

// --------------------------------------------------------------------- TGrep

TGrep::TGrep() {
  PreProcessor().UseBuiltinFuzzyCharDic = true;
  RegExpChanged();
}

void TGrep::RegExpChanged() {
  const TRE_DFA& dfa = DFA();
  literalCodes_.clear();
  if (dfa.IsLiteral() && dfa.LiteralCodes.size() <= 16383) {
    scanKind_ = scan_Literal;
    literalCodes_.assign(dfa.LiteralCodes.begin(), dfa.LiteralCodes.end());
  } else {
    scanKind_ = scan_Automaton;
  }
}

void TGrep::Grep(const std::string& path) {
  if (!OnMatch) return;
  Cancel = false;
  wholeScanned_ = false;
  if (!UseReferenceScan && !ConvertText && WholeFileScan(path)) return;
  std::unique_ptr<TTxtFile> f;
  try {
    f = std::make_unique<TTxtFile>(path, Cancel, OnProcessMessages, ConvertText);
  } catch (const EEndOfFile&) {
    return;  // an empty file
  }
  try {
    if (scanKind_ == scan_Literal) {
      // Byte search is exact when every code is a whole character of the
      // stream: a lone lead byte or a lead byte before LF is not.
      bool bytewise = !UseReferenceScan;
      for (uint32_t c : literalCodes_) {
        if (c < 0x100 ? IsSjisLead(static_cast<unsigned char>(c))
                      : (!IsSjisLead(static_cast<unsigned char>(c >> 8)) || (c & 0xFF) == '\n'))
          bytewise = false;
      }
      if (literalCodes_.empty()) return;  // the empty literal matches nothing
      if (bytewise)
        FastLiteralScan(*f);
      else
        ReferenceLiteralScan(*f);
    } else {
      const TREScanAutomaton* a = UseReferenceScan ? nullptr : DFA().ScanAutomaton(LineTailChar());
      if (a)
        FastAutomatonScan(*f, *a);
      else
        ReferenceAutomatonScan(*f);
    }
  } catch (const EEndOfFile&) {
  }
}

void TGrep::ReferenceAutomatonScan(TTxtFile& f) {
  const TRE_DFA& dfa = DFA();
  const int init = dfa.InitialState();
  for (;;) {
    uint32_t c = f.ReadScan();
    int s = dfa.Step(init, c);
    while (s >= 0) {
      if (dfa.Accepting(s)) {
        RE_LineInfo_t info = f.GetThisLine();
        OnMatch(this, info);
        break;
      }
      s = dfa.Step(s, f.ReadAhead());
    }
  }
}

void TGrep::ReferenceLiteralScan(TTxtFile& f) {
  const size_t n = literalCodes_.size();
  for (;;) {
    uint32_t c = f.ReadScan();
    size_t i = 0;
    while (c == literalCodes_[i]) {
      if (++i == n) {
        RE_LineInfo_t info = f.GetThisLine();
        OnMatch(this, info);
        break;
      }
      c = f.ReadAhead();
    }
  }
}

// Reports the line starting at lineStart (the byte after an LF); returns the
// position of the LF that ends it, where scanning resumes.
size_t TGrep::ReportLine(TTxtFile& f, size_t lineStart) {
  f.Poll();
  size_t lf;
  RE_LineInfo_t info = f.LineAt(lineStart, &lf);
  OnMatch(this, info);
  return lf;
}

namespace {
// True when pos begins a character: LF always does; otherwise an even run of
// lead-byte values stands before it (the buffer always starts with an LF).
bool IsCharStart(const std::string& d, size_t pos) {
  if (d[pos] == '\n') return true;
  size_t run = 0;
  for (size_t i = pos; i > 0 && IsSjisLead(static_cast<unsigned char>(d[i - 1])); --i) ++run;
  return run % 2 == 0;
}

size_t PrevLf(const std::string& d, size_t pos) {
  const void* p = pos ? memrchr(d.data(), '\n', pos) : nullptr;
  return p ? size_t(static_cast<const char*>(p) - d.data()) : 0;
}
}  // namespace

void TGrep::FastLiteralScan(TTxtFile& f) {
  std::string lit;
  for (uint32_t c : literalCodes_) REAppendCode(lit, c);
  const size_t n = lit.size();
  const TRENeedleFinder finder(lit, f.data_);
  size_t pos = 0;
  for (;;) {
    const std::string& d = f.data_;
    const char* hit = pos < f.lineEnd_ ? finder.Find(d.data() + pos, d.data() + f.lineEnd_) : nullptr;
    if (hit && size_t(hit - d.data()) + n > f.lineEnd_) hit = nullptr;  // waits for the rest of its line
    if (!hit) {
      if (f.eof_) return;
      size_t keepPos = f.lineEnd_ >= n ? std::max(pos, f.lineEnd_ - (n - 1)) : pos;
      if (keepPos > d.size()) keepPos = d.size();
      size_t keep = PrevLf(d, keepPos + 1 > d.size() ? d.size() : keepPos + 1);
      f.Compact(keep);
      pos = keepPos - keep;
      f.Fill();
      continue;
    }
    size_t x = size_t(hit - d.data());
    if (!IsCharStart(d, x)) {
      pos = x + 1;
      continue;
    }
    size_t lineStart = d[x] == '\n' ? x + 1 : PrevLf(d, x) + 1;
    if (lineStart >= d.size() && f.eof_) return;  // the LF that ends the stream
    pos = ReportLine(f, lineStart);
  }
}

void TGrep::FastAutomatonScan(TTxtFile& f, const TREScanAutomaton& a) {
  const TRE_DFA& dfa = DFA();
  const uint32_t* tab = a.Table();
  const uint8_t* startByte = a.StartByte();
  const uint16_t* single = dfa.SingleClass();
  const std::string& must = DFA().MustLiteral;

  // Runs the attempts of one line window: from the LF before the line
  // through the LF that ends it. True when the line is to be reported.
  auto lineMatches = [&](const std::string& d, size_t prevLf, size_t lf) {
    uint32_t st = 0;
    for (size_t p = prevLf; p <= lf;) {
      unsigned char b = static_cast<unsigned char>(d[p]);
      uint32_t cls;
      size_t q = p;
      if (IsSjisLead(b) && d[p + 1] != '\n') {
        cls = dfa.LeadRow(b)[static_cast<unsigned char>(d[p + 1])];
        p += 2;
      } else {
        cls = single[b];
        p += 1;
      }
      uint32_t e = tab[st + cls];
      st = e >> 2;
      if (q == lf) return (e & TREScanAutomaton::kOldAccept) != 0;
      if (e & 3) return true;
    }
    return false;
  };

  if (must.find_first_not_of('\n') != std::string::npos) {
    // Only lines that hold the bytes every match holds are run.
    const size_t n = must.size();
    const TRENeedleFinder finder(must, f.data_);
    size_t pos = 0;
    for (;;) {
      const std::string& d = f.data_;
      const char* hit = pos < f.lineEnd_ ? finder.Find(d.data() + pos, d.data() + f.lineEnd_) : nullptr;
      if (!hit) {
        if (f.eof_) return;
        size_t keepPos = f.lineEnd_ >= n ? std::max(pos, f.lineEnd_ - (n - 1)) : pos;
        size_t keep = PrevLf(d, std::min(keepPos + 1, d.size()));
        f.Compact(keep);
        pos = keepPos - keep;
        f.Fill();
        continue;
      }
      size_t x = size_t(hit - d.data());
      // Candidate lines: the one x lies in; for a leading LF the next one.
      size_t candidates[2];
      int count = 0;
      if (d[x] == '\n') {
        candidates[count++] = x + 1;
      } else {
        candidates[count++] = PrevLf(d, x) + 1;
      }
      size_t resume = x + 1;
      for (int i = 0; i < count; ++i) {
        size_t ls = candidates[i];
        if (ls >= f.data_.size() && f.eof_) break;
        size_t lf;
        {
          // The line's end may lie beyond the complete lines held so far.
          const std::string& dd = f.data_;
          const char* e = nullptr;
          while (!(e = ls < dd.size() ? FindByte(dd.data() + ls, dd.data() + dd.size(), '\n') : nullptr)) {
            if (f.eof_) return;
            f.Fill();
          }
          lf = size_t(e - f.data_.data());
        }
        if (ls > 0 && lineMatches(f.data_, ls - 1, lf)) {
          ReportLine(f, ls);
        }
        resume = std::max(resume, lf);
      }
      pos = resume;
    }
  }

  size_t p = 0;
  uint32_t st = 0;
  for (;;) {
    const std::string& d = f.data_;
    const size_t end = f.lineEnd_;
    const char* base = d.data();
    while (p < end) {
      if (st == 0) {
        while (p < end && !startByte[static_cast<unsigned char>(base[p])])
          p += (IsSjisLead(static_cast<unsigned char>(base[p])) && base[p + 1] != '\n') ? 2 : 1;
        if (p >= end) break;
      }
      unsigned char b = static_cast<unsigned char>(base[p]);
      const size_t q = p;
      uint32_t cls;
      if (IsSjisLead(b) && base[p + 1] != '\n') {
        cls = dfa.LeadRow(b)[static_cast<unsigned char>(base[p + 1])];
        p += 2;
      } else {
        cls = single[b];
        p += 1;
      }
      const uint32_t e = tab[st + cls];
      st = e >> 2;
      if (!(e & 3)) continue;
      if (b == '\n') {
        // q ends a line: earlier attempts belong to it, the attempt begun at
        // q to the next line.
        if (e & TREScanAutomaton::kOldAccept) ReportLine(f, PrevLf(d, q) + 1);
        if (e & TREScanAutomaton::kNewAccept) {
          if (q + 1 >= d.size() && f.eof_) return;
          p = ReportLine(f, q + 1);
          st = 0;
        }
      } else {
        p = ReportLine(f, PrevLf(d, q) + 1);
        st = 0;
      }
      break;  // the buffer may have grown: reload its pointers
    }
    if (p < f.lineEnd_) continue;
    if (f.eof_) return;
    // Attempts running now began at the LF before p at the earliest.
    size_t keep = p - 1;
    f.Compact(keep);
    p -= keep;
    f.Fill();
  }
}

}  // namespace navirt

// conv, eol, encode, decode, width: the codec functions over the raw bytes
// of FILE or standard input, exactly as given (the lines are not split and
// rejoined as the menu commands do).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "codec/CodeConvert.h"
#include "codec/PieceCutter.h"
#include "codec/TransferEncoding.h"
#include "codec/UnicodeConvert.h"
#include "codec/WidthConvert.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"
#include "tool/ToolMessages.h"

namespace navirt::tool {

namespace {

using Fn = std::function<std::string(std::string_view)>;

// Into Shift_JIS with the losses told: each piece's own, placed by the
// pieces before it.
using LossyFn = std::string (*)(std::string_view, ConversionLoss&);

// What the conversions into Shift_JIS could not carry, over all pieces.
struct LossTally {
  ConversionLoss total;
  size_t offset = 0, lines = 0;
  // The pieces come in order.
  void Add(std::string_view piece, const ConversionLoss& loss, size_t lineFeeds) {
    total.Add(loss, offset, lines);
    offset += piece.size();
    lines += lineFeeds;
  }
};

struct Mode {
  const char* name;
  Fn fn;
  Pieces pieces = Pieces::Whole;
  LossyFn lossy = nullptr;  // with fn its sequential form
};

size_t CountLineFeeds(std::string_view t);

// The input bytes: a regular file is mapped rather than copied, which
// spares a copy of the whole text and its memory; anything else (standard
// input, a pipe) is read.
class Input {
 public:
  Input() = default;
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  ~Input() {
    if (map_) ::munmap(map_, size_);
  }
  bool Load(const std::string& path) {
    if (!path.empty() && path != "-") {
      const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      struct stat st;
      if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        void* m = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
        if (m != MAP_FAILED) {
          ::close(fd);
          map_ = m;
          size_ = static_cast<size_t>(st.st_size);
          ::madvise(map_, size_, MADV_SEQUENTIAL);
          return true;
        }
      }
      if (fd >= 0) ::close(fd);
    }
    return ReadInput(path, bytes_);  // reports its own errors
  }
  std::string_view View() const {
    return map_ ? std::string_view(static_cast<const char*>(map_), size_) : std::string_view(bytes_);
  }

 private:
  void* map_ = nullptr;
  size_t size_ = 0;
  std::string bytes_;
};

// Runs fn over the input a piece at a time and writes each result at once:
// memory stays at a piece whatever the input, and the pieces stay in the
// cache. A line longer than a piece is read whole.
int RunPiecewise(const std::string& path, const Fn& fn, Pieces how) {
  const bool stdinInput = path.empty() || path == "-";
  int fd = 0;
  if (!stdinInput) {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      if (fd >= 0) ::close(fd);
      std::string unused;
      ReadInput(path, unused);  // says why
      return kExitUsage;
    }
  }
  constexpr size_t kPiece = 256 << 10;
  PieceCutter cutter(how);
  std::string buf;
  bool eof = false;
  int rc = kExitOk;
  while (!eof || !buf.empty()) {
    const size_t want = buf.size() + kPiece;
    while (!eof && buf.size() < want) {
      const size_t old = buf.size();
      buf.resize(want);
      const ssize_t n = ::read(fd, buf.data() + old, want - old);
      buf.resize(old + (n > 0 ? static_cast<size_t>(n) : 0));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        rc = Fail(stdinInput ? Tr(msg::kCannotReadStdin) : Tr(msg::kCannotRead, {path, ErrorText(errno)}));
        eof = true;
        buf.clear();
      } else if (n == 0) {
        eof = true;
      }
    }
    if (rc != kExitOk) break;
    size_t cut = buf.size();
    bool kanjiAtCut = false;
    if (!eof) {
      cut = cutter.Cut(buf);
      kanjiAtCut = cutter.KanjiAtCut();
      if (cut == 0) continue;  // no place to cut yet: read on
    }
    if (!WriteOutput(fn(std::string_view(buf).substr(0, cut)))) {
      rc = WriteError();
      break;
    }
    buf.erase(0, cut);
    if (kanjiAtCut) buf.insert(0, "\x1b$B");  // the escape writes nothing
  }
  if (!stdinInput) ::close(fd);
  return rc;
}

// A regular file cut after line ends runs over its mapped bytes: the same
// pieces without a read copy. Two threads each take the next piece and
// convert it; the pieces go in order to a writer thread while the next ones
// are converted, and the pages behind each are let go, so memory stays at a
// few pieces. With lossy the losses go to tally in file order. False when
// the input is no regular file.
bool RunMappedLinePieces(const std::string& path, const Fn& fn, LossyFn lossy, LossTally& tally, int& rc) {
  struct stat st;
  if (path.empty() || path == "-" || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0)
    return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const size_t size = static_cast<size_t>(st.st_size);
  void* m = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (m == MAP_FAILED) return false;
  ::madvise(m, size, MADV_SEQUENTIAL);
  const char* d = static_cast<const char*>(m);
  constexpr size_t kPiece = 1 << 20;
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  // After the last line end of the piece from pos (LF, else CR), else after
  // the next one: a longer line is one piece.
  auto cutAfter = [&](size_t pos) {
    if (size - pos <= kPiece) return size;
    const void* end = memrchr(d + pos, '\n', kPiece);
    if (!end) end = memrchr(d + pos, '\r', kPiece);
    for (size_t at = pos + kPiece; !end && at < size; at += kPiece) {
      const size_t n = std::min(kPiece, size - at);
      end = std::memchr(d + at, '\n', n);
      if (const void* cr =
              std::memchr(d + at, '\r', end ? static_cast<size_t>(static_cast<const char*>(end) - (d + at)) : n))
        end = cr;
    }
    return end ? static_cast<size_t>(static_cast<const char*>(end) - d) + 1 : size;
  };
  // Finished pieces wait here until those before them are handed on. No
  // thread waits for its turn: whichever finds the handing free hands on
  // every piece that is next in order, and the other goes on converting.
  // The writer thread sleeps between pieces, so a busy machine wakes it
  // promptly, where a converting thread that also wrote lost its turns.
  struct Done {
    std::string bytes;
    ConversionLoss loss;
    size_t pos = 0, cut = 0;
  };
  BackgroundOutput output;
  std::mutex mu;
  std::condition_variable roomCv;
  std::map<size_t, Done> finished;
  size_t next = 0;                       // where the next piece to take begins
  size_t taken = 0;                      // pieces taken
  size_t written = 0;                    // pieces handed on to be written, in order
  size_t released = 0;                   // the mapped bytes let go of, from the start
  bool writing = false, failed = false;  // writing: a thread is handing on
  constexpr size_t kAhead = 4;           // pieces taken and not yet handed on, at most
  auto work = [&] {
    for (;;) {
      Done piece;
      size_t index;
      {
        std::unique_lock lock(mu);
        roomCv.wait(lock, [&] { return failed || next >= size || taken - written < kAhead; });
        if (failed || next >= size) return;
        piece.pos = next;
        piece.cut = cutAfter(next);
        next = piece.cut;
        index = taken++;
      }
      const std::string_view in(d + piece.pos, piece.cut - piece.pos);
      piece.bytes = lossy ? lossy(in, piece.loss) : fn(in);
      std::unique_lock lock(mu);
      if (failed) return;
      finished.emplace(index, std::move(piece));
      if (writing) continue;  // the thread handing on takes it in its turn
      writing = true;
      for (auto it = finished.find(written); !failed && it != finished.end(); it = finished.find(written)) {
        Done out = std::move(it->second);
        finished.erase(it);
        // The lines before the first loss are counted once there is one.
        if (out.loss.count > 0)
          tally.total.Add(out.loss, out.pos, tally.total.count == 0 ? CountLineFeeds(std::string_view(d, out.pos)) : 0);
        lock.unlock();
        const bool ok = output.Put(std::move(out.bytes));
        // Only what was not let go before: the walk over the whole prefix
        // grew with every piece.
        if (const size_t done = out.cut / page * page; done > released) {
          ::madvise(const_cast<char*>(d) + released, done - released, MADV_DONTNEED);
          released = done;
        }
        lock.lock();
        if (!ok) failed = true;
        ++written;
        roomCv.notify_all();
      }
      writing = false;
      if (failed) return;
    }
  };
  // A conversion that throws stops both threads; the error goes on from here.
  std::exception_ptr thrown;
  auto guarded = [&] {
    try {
      work();
    } catch (...) {
      std::lock_guard lock(mu);
      if (!thrown) thrown = std::current_exception();
      failed = true;
      roomCv.notify_all();
    }
  };
  std::thread helper;
  if (std::thread::hardware_concurrency() >= 2) {
    try {
      helper = std::thread(guarded);
    } catch (const std::system_error&) {
      // No second thread to be had: this one does it all.
    }
  }
  guarded();
  if (helper.joinable()) helper.join();
  if (thrown) {
    ::munmap(m, size);
    std::rethrow_exception(thrown);
  }
  if (!output.Finish()) failed = true;
  rc = failed ? WriteError() : kExitOk;
  ::munmap(m, size);
  return true;
}

// Runs fn over the input named by the optional argument after the mode.
// With lossy and tally, fn is lossy's sequential form (its losses go to
// tally as it goes).
int RunMode(const char* command, int argc, char** argv, int firstFileArg, const Fn& fn, Pieces pieces = Pieces::Whole,
            LossyFn lossy = nullptr, LossTally* tally = nullptr) {
  if (argc > firstFileArg + 1) return Fail(Tr(msg::kTooManyArgs, {command}));
  const std::string path = argc > firstFileArg ? argv[firstFileArg] : "";
  LossTally unused;
  if (int rc = kExitOk;
      pieces == Pieces::AfterLineEnds && RunMappedLinePieces(path, fn, lossy, tally ? *tally : unused, rc))
    return rc;
  if (pieces != Pieces::Whole) return RunPiecewise(path, fn, pieces);
  std::string out;
  {
    Input in;
    if (!in.Load(path)) return kExitUsage;
    out = fn(in.View());
  }
  if (!WriteOutput(out)) return WriteError();
  return kExitOk;
}

int PickMode(const char* command, int argc, char** argv, std::initializer_list<Mode> modes,
             LossTally* tally = nullptr) {
  std::string names;
  for (const Mode& m : modes) names += std::string(names.empty() ? "" : "|") + m.name;
  if (argc < 1) return Fail(Tr(msg::kMissingMode, {command, names}));
  for (const Mode& m : modes)
    if (std::strcmp(argv[0], m.name) == 0) return RunMode(command, argc, argv, 1, m.fn, m.pieces, m.lossy, tally);
  return Fail(Tr(msg::kUnknownMode, {command, argv[0], names}));
}

int LineEndArg(const char* s, bool allowAuto) {
  if (allowAuto && std::strcmp(s, "auto") == 0) return -1;
  if (std::strcmp(s, "crlf") == 0) return LineEndCrLf;
  if (std::strcmp(s, "cr") == 0) return LineEndCr;
  if (std::strcmp(s, "lf") == 0) return LineEndLf;
  return 0;
}

// The LF bytes of a piece, sixteen at a time: the lines before a later
// piece's first loss.
size_t CountLineFeeds(std::string_view t) {
  size_t n = 0, i = 0;
#if defined(__SSE2__)
  // Byte counters (each -1 per LF), summed before any can wrap.
  const __m128i lf = _mm_set1_epi8('\n');
  while (i + 16 <= t.size()) {
    __m128i counts = _mm_setzero_si128();
    for (int k = 0; k < 255 && i + 16 <= t.size(); ++k, i += 16) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t.data() + i));
      counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(v, lf));
    }
    const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
    n += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
  }
#endif
  for (; i < t.size(); ++i) n += t[i] == '\n';
  return n;
}

// Like iconv -c: the output is written whole, and the losses are told and
// make the exit status 1.
int ReportLoss(int rc, const LossTally& tally) {
  if (rc != kExitOk || tally.total.count == 0) return rc;
  const Msg& text = tally.total.count == 1 ? msg::kConversionLossOne : msg::kConversionLoss;
  std::fprintf(stderr, "navirt-tool: %s\n",
               Tr(text, {std::to_string(tally.total.count), std::to_string(tally.total.firstLine),
                         std::to_string(tally.total.firstOffset)})
                   .c_str());
  return 1;
}

}  // namespace

int CmdConv(int argc, char** argv) {
  auto to = [](int target) { return [target](std::string_view t) { return ConvertToCode(t, target); }; };
  LossTally tally;
  auto counted = [&tally](LossyFn convert) {
    return [&tally, convert](std::string_view t) {
      ConversionLoss piece;
      std::string out = convert(t, piece);
      tally.Add(t, piece, CountLineFeeds(t));
      return out;
    };
  };
  const int rc = PickMode("conv", argc, argv,
                          {{"auto", to(CodeSjis)},
                           {"to-jis", to(CodeJis83)},
                           {"to-euc", to(CodeEuc)},
                           {"to-sjis", to(CodeSjis)},
                           {"jis2sjis", JisToSjis, Pieces::AfterJisLineEnds},
                           {"jis2euc", JisToEuc, Pieces::AfterJisLineEnds},
                           {"euc2sjis", EucToSjis, Pieces::AfterLineEnds},
                           {"euc2jis", EucToJis, Pieces::AfterLineEnds},
                           {"sjis2jis", SjisToJis, Pieces::AfterLineEnds},
                           {"sjis2euc", SjisToEuc, Pieces::AfterLineEnds},
                           {"utf8-sjis", counted(Utf8ToSjis), Pieces::AfterLineEnds, Utf8ToSjis},
                           {"sjis-utf8", SjisToUtf8, Pieces::AfterLineEnds},
                           {"utf16-sjis", counted(Utf16ToSjis)},
                           {"euc-utf8", EucToUtf8, Pieces::AfterLineEnds},
                           {"jis-utf8", JisToUtf8},
                           {"auto-utf8", AutoToUtf8}},
                          &tally);
  return ReportLoss(rc, tally);
}

int CmdEol(int argc, char** argv) {
  if (argc < 2) return Fail(Tr(msg::kNamedUsage, {"eol", "eol auto|crlf|cr|lf crlf|cr|lf [FILE]"}));
  const int from = LineEndArg(argv[0], true);
  const int to = LineEndArg(argv[1], false);
  if (from == 0) return Fail(Tr(msg::kUnknownLineEnd, {argv[0], "auto|crlf|cr|lf"}));
  if (to == 0) return Fail(Tr(msg::kUnknownLineEnd, {argv[1], "crlf|cr|lf"}));
  return RunMode("eol", argc, argv, 2,
                 [from, to](std::string_view t) { return ConvertLineEnds(t, from < 0 ? DetectLineEnd(t) : from, to); });
}

int CmdEncode(int argc, char** argv) {
  return PickMode("encode", argc, argv,
                  {{"base64", Base64Encode, Pieces::Triples},
                   {"mime", MimeHeaderEncode},
                   {"uu", [](std::string_view t) { return UuEncode(t, "\r"); }},
                   {"binhex", [](std::string_view t) { return BinHexEncode(t, "\r"); }}});
}

int CmdDecode(int argc, char** argv) {
  return PickMode("decode", argc, argv,
                  {{"base64", Base64Decode}, {"mime", MimeHeaderDecode}, {"uu", UuDecode}, {"binhex", BinHexDecode}});
}

int CmdWidth(int argc, char** argv) {
  return PickMode("width", argc, argv,
                  {{"h2z", HalfToFullWidth, Pieces::AfterLineEnds},
                   {"z2h", FullToHalfWidth, Pieces::AfterLineEnds},
                   {"kana", HalfKanaToFullKana, Pieces::AfterLineEnds},
                   {"space", WideSpaceToBlanks, Pieces::AfterLineEnds}});
}

}  // namespace navirt::tool

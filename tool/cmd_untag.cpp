// untag: HTML or TeX markup to text, as the pane's commands do it.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "edit/LineTextForms.h"
#include "edit/MarkupStrip.h"
#include "edit/PaneText.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"
#include "tool/ToolMessages.h"

namespace navirt::tool {

namespace {

// The lines of a regular, non-empty file joined by CR LF, read through a
// map; false (out untouched) for anything else, which is read as usual.
bool JoinMappedFile(const std::string& path, std::string& out) {
  if (path.empty() || path == "-") return false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
    ::close(fd);
    return false;
  }
  const size_t size = static_cast<size_t>(st.st_size);
  void* m = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
  ::close(fd);
  if (m == MAP_FAILED) return false;
  ::madvise(m, size, MADV_SEQUENTIAL);
  const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
  out = JoinLinesCrLf(std::string_view(static_cast<const char*>(m), size), [&](size_t n) {
    if (n / page > 0) ::madvise(m, n / page * page, MADV_DONTNEED);
  });
  ::munmap(m, size);
  return true;
}

}  // namespace

int CmdUntag(int argc, char** argv) {
  if (argc < 1 || argc > 2)
    return Fail(Tr(msg::kUsage, {"untag html|html-tab-trim-empty|html-tab-empty|html-empty|tex [FILE]"}));
  std::string mode = argv[0];
  HtmlVariant v = HtmlVariant::Plain;
  bool tex = false;
  if (mode == "html") {
    v = HtmlVariant::Plain;
  } else if (mode == "html-tab-trim-empty") {
    v = HtmlVariant::TabTrimEmpty;
  } else if (mode == "html-tab-empty") {
    v = HtmlVariant::TabEmpty;
  } else if (mode == "html-empty") {
    v = HtmlVariant::Empty;
  } else if (mode == "tex") {
    tex = true;
  } else {
    return Fail(Tr(msg::kUnknownMode, {"untag", mode, "html, html-tab-trim-empty, html-tab-empty, html-empty, tex"}));
  }
  if (tex) {
    // Whole text, written in pieces: no string per line. A regular file is
    // mapped and its pages let go as they are read, so that memory holds
    // little more than the CR LF form the expressions run over.
    std::string joined;
    const std::string path = argc > 1 ? argv[1] : std::string();
    if (!JoinMappedFile(path, joined)) {
      std::string input;
      if (!ReadInput(path, input)) return kExitUsage;
      joined = JoinLinesCrLf(input);
    }
    std::string buf;
    bool writeFailed = false;
    TLineJoiner j(buf, [&](std::string_view piece) {
      if (!writeFailed && !WriteOutput(piece)) writeFailed = true;
    });
    StripTexJoined(std::move(joined), j);
    if (j.Any()) buf.append("\r\n");  // every line ends, the last one too
    j.Finish();
    return writeFailed ? WriteError() : kExitOk;
  }
  std::string input;
  if (!ReadInput(argc > 1 ? argv[1] : std::string(), input)) return kExitUsage;
  LineList lines = SplitLines(input);
  std::string().swap(input);
  // An empty text stays empty, as the pane does nothing on an empty pane.
  if (!lines.empty()) lines = StripHtmlVariant(lines, v).lines;
  if (!WriteOutput(JoinLines(lines)) || (!lines.empty() && !WriteOutput("\r\n"))) return WriteError();
  return kExitOk;
}

}  // namespace navirt::tool

// navirt-tool hexdump [FILE]: the standard dump's heading and data lines.
// The file is dumped a piece at a time, so memory stays at a few pieces and
// their rows whatever the file's size.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/FileInfo.h"
#include "preview/HexDump.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"
#include "tool/ToolMessages.h"

namespace navirt::tool {

namespace {
// Reads until buf is full or the input ends; -1 on a read error.
ssize_t ReadFull(int fd, char* buf, size_t size) {
  size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, buf + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(got);
}
}  // namespace

int CmdHexdump(int argc, char** argv) {
  if (argc > 1) return Fail(Tr(msg::kUsage, {"navirt-tool hexdump [FILE]"}));
  const std::string path = argc == 1 ? argv[0] : "";
  const bool stdinInput = path.empty() || path == "-";
  int fd = 0;
  if (!stdinInput) {
    if (IsDirectory(path)) return Fail(Tr(msg::kCannotRead, {path, Tr(msg::kIsFolder)}));
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(Tr(msg::kCannotRead, {path, ErrorText(errno)}));
  }
  constexpr size_t kPiece = 256 << 10;  // a multiple of 16: rows never split
  std::string piece(kPiece, '\0');
  std::string out = std::string(kHexDumpHeading) + "\n" + kHexDumpRule + "\n";
  size_t line = 1;
  int rc = kExitOk;
  // The next piece is read and formatted while the last one is written.
  BackgroundOutput output;
  for (bool first = true;; first = false) {
    const ssize_t n = ReadFull(fd, piece.data(), kPiece);
    if (n < 0) {
      rc = Fail(stdinInput ? Tr(msg::kCannotReadStdin) : Tr(msg::kCannotRead, {path, ErrorText(errno)}));
      break;
    }
    // An empty file still has its one empty row.
    if (n > 0 || first)
      AppendHexDumpRows(std::string_view(piece.data(), static_cast<size_t>(n)), out, "\n", {}, 65536, line);
    line += static_cast<size_t>(n) / 16;
    if (!output.Put(std::move(out))) break;
    out = std::string();
    if (static_cast<size_t>(n) < kPiece) break;
  }
  if (!output.Finish() && rc == kExitOk) rc = WriteError();
  if (!stdinInput) ::close(fd);
  return rc;
}

}  // namespace navirt::tool

#include "tool/ToolIo.h"

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iostream>
#include <mutex>
#include <system_error>
#include <thread>

#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "tool/ToolMessages.h"

namespace navirt::tool {

bool ReadInput(const std::string& path, std::string& out) {
  out.clear();
  if (path.empty() || path == "-") {
    char buf[1 << 16];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0) out.append(buf, n);
    if (std::ferror(stdin)) {
      Fail(Tr(msg::kCannotReadStdin));
      return false;
    }
    return true;
  }
  errno = 0;
  if (IsDirectory(path)) {
    Fail(Tr(msg::kCannotRead, {path, Tr(msg::kIsFolder)}));
    return false;
  }
  if (!ReadWholeFile(path, out)) {
    Fail(Tr(msg::kCannotRead, {path, ErrorText(errno ? errno : ENOENT)}));
    return false;
  }
  return true;
}

MappedInput::~MappedInput() {
  if (map_) ::munmap(map_, size_);
}

bool MappedInput::Load(const std::string& path) {
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
  return ReadInput(path, bytes_);
}

std::string_view MappedInput::View() const {
  return map_ ? std::string_view(static_cast<const char*>(map_), size_) : std::string_view(bytes_);
}

namespace {
// The reason of the first failed write to standard output (0: none).
int& OutputErrno() {
  static int err = 0;
  return err;
}
void NoteOutputError() {
  if (OutputErrno() == 0) OutputErrno() = errno ? errno : EIO;
}
}  // namespace

bool WriteOutput(std::string_view bytes) {
  errno = 0;
  // A large result goes out in one write: through stdio it became a write
  // of whole buffers, a copy of the rest into the buffer and a third write.
  if (bytes.size() >= (64u << 10) && std::fflush(stdout) == 0) {
    const int fd = ::fileno(stdout);
    while (!bytes.empty()) {
      const ssize_t n = ::write(fd, bytes.data(), bytes.size());
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;
        NoteOutputError();
        return false;
      }
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }
  if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0) return true;
  NoteOutputError();
  return false;
}

struct BackgroundOutput::State {
  std::mutex m;
  std::condition_variable cv;
  std::deque<std::string> waiting;
  bool closing = false;
  bool failed = false;
  std::thread writer;
};

BackgroundOutput::BackgroundOutput() : s_(std::make_unique<State>()) {
  // Results of a few MiB come and go for every piece: kept in the heap and
  // reused, rather than mapped fresh each time (the new pages' faults and
  // clearing cost as much as the work).
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
  if (std::thread::hardware_concurrency() < 2) return;
  try {
    s_->writer = std::thread([s = s_.get()] {
      std::unique_lock lock(s->m);
      for (;;) {
        s->cv.wait(lock, [s] { return !s->waiting.empty() || s->closing; });
        if (s->waiting.empty()) return;
        std::string bytes = std::move(s->waiting.front());
        lock.unlock();
        const bool ok = WriteOutput(bytes);
        bytes = std::string();  // freed outside the lock
        lock.lock();
        s->waiting.pop_front();
        if (!ok) {
          s->failed = true;
          s->waiting.clear();
        }
        s->cv.notify_all();
      }
    });
  } catch (const std::system_error&) {
    // No thread to be had: Put writes itself.
  }
}

BackgroundOutput::~BackgroundOutput() { Finish(); }

bool BackgroundOutput::Put(std::string bytes) {
  State& s = *s_;
  if (!s.writer.joinable()) {
    if (!s.failed && !WriteOutput(bytes)) s.failed = true;
    return !s.failed;
  }
  std::unique_lock lock(s.m);
  // The front is being written; one more may wait behind it.
  s.cv.wait(lock, [&s] { return s.waiting.size() < 2 || s.failed; });
  if (s.failed) return false;
  s.waiting.push_back(std::move(bytes));
  s.cv.notify_all();
  return true;
}

bool BackgroundOutput::Finish() {
  State& s = *s_;
  if (s.writer.joinable()) {
    {
      std::lock_guard lock(s.m);
      s.closing = true;
    }
    s.cv.notify_all();
    s.writer.join();
  }
  return !s.failed;
}

bool OutputOk() {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) NoteOutputError();
  return OutputErrno() == 0;
}

int WriteError() {
  static bool told = false;  // said once, however many writes failed
  OutputOk();
  if (told) return kExitUsage;
  told = true;
  return Fail(Tr(msg::kWriteError, {ErrorText(OutputErrno() ? OutputErrno() : EIO)}));
}

bool ArgToCp932(std::string_view utf8, std::string& out, std::string& error) {
  out.clear();
  for (size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const size_t len = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    bool valid = len > 0 && i + len <= utf8.size() && c < 0xF5;
    char32_t cp = len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
    for (size_t k = 1; valid && k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(utf8[i + k]);
      valid = (t & 0xC0) == 0x80;
      cp = (cp << 6) | (t & 0x3F);
    }
    valid = valid && !(len == 3 && cp < 0x800) && !(len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) &&
            !(cp >= 0xD800 && cp <= 0xDFFF);
    if (!valid) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "%02X", c);
      error = Tr(msg::kNotUtf8, {buf});
      return false;
    }
    const std::string_view ch = utf8.substr(i, len);
    std::string enc = Utf8ToCp932(ch);
    if (enc == "?") {
      // As the text conversions carry it (a search for 〜 finds 81 60).
      if (const uint16_t jis = JisFormOf(cp)) {
        if (jis >= 0x100) out += static_cast<char>(jis >> 8);
        out += static_cast<char>(jis & 0xFF);
        i += len;
        continue;
      }
      char buf[32];
      std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
      error = Tr(msg::kNoShiftJis, {ch, buf});
      return false;
    }
    out += enc;
    i += len;
  }
  return true;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "navirt-tool: %s\n", InShellLanguage(message).c_str());
  return kExitUsage;
}

}  // namespace navirt::tool

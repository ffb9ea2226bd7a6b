#include "preview/ui/PreviewLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "codec/DetectCode.h"
#include "codec/DetectUnicode.h"
#include "codec/UnicodePane.h"
#include "edit/Rtf.h"
#include "edit/ui/RichEdit.h"
#include "preview/InfoLine.h"

namespace {

enum class Read { Ok, Failed, OverLimit };

// The whole file, a few MiB at a time so an abandoned read stops soon;
// never more than limit + 1 bytes (limit 0: no limit).
Read ReadCancellable(const std::string& path, const TPaneFeed& feed, uint64_t limit, std::string& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Read::Failed;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) {
    uint64_t size = static_cast<uint64_t>(st.st_size);
    if (limit > 0) size = std::min(size, limit);
    out.reserve(static_cast<size_t>(size) + 1);
  }
  constexpr size_t kStep = 8u << 20;
  Read result = Read::Ok;
  for (;;) {
    if (feed.Cancelled()) {
      result = Read::Failed;
      break;
    }
    const size_t at = out.size();
    if (limit > 0 && at > limit) {
      result = Read::OverLimit;
      break;
    }
    // Within the size reserved, so the buffer is not moved and doubled.
    size_t step = out.capacity() > at ? std::min(kStep, out.capacity() - at) : kStep;
    if (limit > 0) step = std::min<uint64_t>(step, limit + 1 - at);
    out.resize(at + step);
    const ssize_t n = ::read(fd, out.data() + at, step);
    if (n < 0) {
      result = Read::Failed;
      break;
    }
    out.resize(at + static_cast<size_t>(n));
    if (n == 0) break;
  }
  ::close(fd);
  if (result != Read::Ok) std::string().swap(out);
  return result;
}

// As LoadFileForPane, but a file shown as stored keeps its own buffer.
navirt::PaneLoad LoadTaking(std::string file) {
  if (navirt::DetectUnicode(file) == navirt::UnicodeCode::None) {
    const navirt::TextCode code = navirt::DetectCode(file);
    if (code != navirt::CodeEuc && code != navirt::CodeJis83 && code != navirt::CodeJis78)
      return navirt::PaneLoad{std::move(file), std::nullopt};
  }
  return navirt::LoadFileForPane(file);
}

// The labels of the pane's text: a UTF-8, UTF-16, EUC or JIS file's own
// code, else the guess over the text as the pane reads it back.
TPreviewLoader::Labels LabelsOf(const navirt::TPaneBytes& bytes, const navirt::TUnicodePane* unicode,
                                const std::string& path) {
  TPreviewLoader::Labels l;
  const bool empty = bytes.LineCount() == 0;
  l.code = unicode ? unicode->Label() : empty ? std::string() : navirt::TextCodeLabel(bytes.JoinedCode());
  l.type = navirt::SniffFileType(empty ? std::string_view() : bytes.Line(0), path);
  return l;
}

}  // namespace

TPreviewLoader::TPreviewLoader() : worker_([this] { Run(); }) {}

TPreviewLoader::~TPreviewLoader() {
  {
    std::lock_guard lock(m_);
    stop_ = true;
    if (current_) current_->Cancel();
    if (next_) next_->feed->Cancel();
  }
  wake_.notify_all();
  worker_.join();
}

void TPreviewLoader::Start(std::string path, std::shared_ptr<TPaneFeed> feed, QObject* context,
                           std::function<void(const Labels&)> labels, Options options) {
  {
    std::lock_guard lock(m_);
    if (current_) current_->Cancel();
    if (next_) next_->feed->Cancel();
    next_ = std::make_unique<Job>(Job{std::move(path), std::move(feed), context, std::move(labels), options});
  }
  wake_.notify_all();
}

void TPreviewLoader::Run() {
  for (;;) {
    std::unique_ptr<Job> job;
    {
      std::unique_lock lock(m_);
      current_.reset();
      wake_.wait(lock, [&] { return stop_ || next_; });
      if (stop_) return;
      job = std::move(next_);
      current_ = job->feed;
    }
    Load(*job);
  }
}

void TPreviewLoader::Load(const Job& job) {
  TPaneFeed& feed = *job.feed;
  auto post = [&job](Labels l) {
    if (!job.context) return;
    QMetaObject::invokeMethod(
        job.context,
        [feed = job.feed, labels = job.labels, l = std::move(l)] {
          if (!feed->Cancelled()) labels(l);
        },
        Qt::QueuedConnection);
  };
  std::string file;
  if (ReadCancellable(job.path, feed, job.options.limit, file) != Read::Ok) {
    if (feed.Cancelled()) return;
    // Unreadable, or grown past the read limit: the pane stays empty, the
    // labels too.
    post({});
    feed.Finish(navirt::TPaneBytes(), std::nullopt);
    return;
  }
  if (job.options.rich && navirt::LooksLikeRtf(file)) {
    navirt::RtfDocument doc = navirt::ReadRtf(file);
    std::string().swap(file);
    navirt::TPaneBytes bytes(doc.PlainText());
    if (feed.Cancelled()) return;
    post(LabelsOf(bytes, nullptr, job.path));
    size_t para = 0;
    while (para < doc.paragraphs.size())
      if (!feed.Push(TRichEdit::MakeRichPiece(doc.paragraphs, para, kPieceBytes / 16))) return;
    feed.Finish(std::move(bytes), std::nullopt);
    return;
  }
  navirt::PaneLoad load = LoadTaking(std::move(file));
  navirt::TPaneBytes bytes(std::move(load.text));
  const navirt::TUnicodePane* unicode = load.unicode ? &*load.unicode : nullptr;
  if (feed.Cancelled()) return;
  post(LabelsOf(bytes, unicode, job.path));
  size_t line = 0, offset = 0;
  while (line < bytes.LineCount())
    if (!feed.Push(TRichEdit::MakePiece(bytes, unicode, line, offset, kPieceBytes))) return;
  feed.Finish(std::move(bytes), std::move(load.unicode));
}

#include "preview/ui/PreviewLoader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "codec/DetectCode.h"
#include "codec/UnicodePane.h"
#include "edit/PaneText.h"
#include "edit/ui/RichEdit.h"
#include "preview/InfoLine.h"

namespace {

// The whole file, a few MiB at a time so an abandoned read stops soon.
bool ReadCancellable(const std::string& path, const TPaneFeed& feed, std::string& out) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) == 0 && st.st_size > 0) out.reserve(static_cast<size_t>(st.st_size) + 1);
  constexpr size_t kStep = 8u << 20;
  bool ok = true;
  for (;;) {
    if (feed.Cancelled()) {
      ok = false;
      break;
    }
    const size_t at = out.size();
    // Within the size reserved, so the buffer is not moved and doubled.
    const size_t step = out.capacity() > at ? std::min(kStep, out.capacity() - at) : kStep;
    out.resize(at + step);
    const ssize_t n = ::read(fd, out.data() + at, step);
    if (n < 0) {
      ok = false;
      break;
    }
    out.resize(at + static_cast<size_t>(n));
    if (n == 0) break;
  }
  ::close(fd);
  return ok;
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
                           std::function<void(const Labels&)> labels) {
  {
    std::lock_guard lock(m_);
    if (current_) current_->Cancel();
    if (next_) next_->feed->Cancel();
    next_ = std::make_unique<Job>(Job{std::move(path), std::move(feed), context, std::move(labels)});
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
  if (!ReadCancellable(job.path, feed, file)) {
    if (feed.Cancelled()) return;
    // Unreadable: the pane stays empty, the labels too.
    post({});
    feed.Finish(navirt::TPaneBytes(), std::nullopt);
    return;
  }
  navirt::PaneLoad load = navirt::LoadFileForPane(file);
  std::string().swap(file);
  if (feed.Cancelled()) return;
  Labels labels;
  {
    // A UTF-8, UTF-16, EUC or JIS file's code is known; the information
    // line needs only its first line.
    std::string text = load.unicode ? std::string(navirt::FirstLine(load.text)) : navirt::PaneTextOfLoaded(load.text);
    labels.code = load.unicode ? load.unicode->Label()
                               : (text.empty() ? std::string() : navirt::TextCodeLabel(navirt::DetectCode(text)));
    labels.type = navirt::SniffFileType(navirt::FirstLine(text), job.path);
  }
  if (feed.Cancelled()) return;
  post(labels);
  navirt::TPaneBytes bytes(std::move(load.text));
  const navirt::TUnicodePane* unicode = load.unicode ? &*load.unicode : nullptr;
  size_t line = 0, offset = 0;
  while (line < bytes.LineCount())
    if (!feed.Push(TRichEdit::MakePiece(bytes, unicode, line, offset, kPieceBytes))) return;
  feed.Finish(std::move(bytes), std::move(load.unicode));
}

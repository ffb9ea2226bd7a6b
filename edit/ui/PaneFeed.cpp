#include "edit/ui/PaneFeed.h"

bool TPaneFeed::Push(TPanePiece piece) {
  std::unique_lock lock(m_);
  changed_.wait(lock, [&] { return cancelled_ || queue_.size() < max_; });
  if (cancelled_) return false;
  const bool wasEmpty = queue_.empty();
  queue_.push_back(std::move(piece));
  changed_.notify_all();
  if (wasEmpty && notify_) notify_();
  return true;
}

void TPaneFeed::Finish(navirt::TPaneBytes bytes, std::optional<navirt::TUnicodePane> unicode) {
  std::lock_guard lock(m_);
  if (cancelled_) return;
  bytes_ = std::move(bytes);
  unicode_ = std::move(unicode);
  done_ = true;
  changed_.notify_all();
  if (queue_.empty() && notify_) notify_();
}

bool TPaneFeed::Cancelled() const {
  std::lock_guard lock(m_);
  return cancelled_;
}

void TPaneFeed::SetNotify(std::function<void()> notify) {
  std::lock_guard lock(m_);
  notify_ = std::move(notify);
}

void TPaneFeed::Cancel() {
  std::lock_guard lock(m_);
  cancelled_ = true;
  notify_ = nullptr;
  queue_.clear();
  bytes_ = navirt::TPaneBytes();
  unicode_.reset();
  changed_.notify_all();
}

TPaneFeed::Got TPaneFeed::Pop(TPanePiece& piece, navirt::TPaneBytes& bytes,
                              std::optional<navirt::TUnicodePane>& unicode, bool wait) {
  std::unique_lock lock(m_);
  if (wait) changed_.wait(lock, [&] { return cancelled_ || done_ || !queue_.empty(); });
  if (!queue_.empty()) {
    piece = std::move(queue_.front());
    queue_.pop_front();
    changed_.notify_all();
    return Got::Piece;
  }
  if (done_) {
    bytes = std::move(bytes_);
    unicode = std::move(unicode_);
    done_ = false;
    return Got::Done;
  }
  return Got::Empty;
}

#pragma once
// A large text handed to the pane piece by piece. A worker thread reads and
// decodes the file into the screen's blocks; the window inserts them a few
// at a time between events, so it never waits for the whole text. The
// queue is short: a worker runs at most a few pieces ahead of the screen.
#include <QString>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "codec/UnicodePane.h"
#include "edit/PaneBytes.h"
#include "edit/Rtf.h"

// Blocks of the pane's document: text joined by LF (a block's lines by
// U+2028), and for each block its first original line and whether it
// continues the line of the block before. A rich text's piece holds
// paragraphs instead, one block each.
struct TPanePiece {
  QString text;
  std::vector<int> first;
  std::vector<bool> cont;
  int lines = 0;  // lines this piece starts
  std::vector<navirt::RtfParagraph> rich;
};

class TPaneFeed {
 public:
  explicit TPaneFeed(size_t maxQueued = 8) : max_(maxQueued) {}

  // Worker side. Push waits while the queue is full; false once cancelled.
  bool Push(TPanePiece piece);
  // Every piece is pushed; the pane takes the text's bytes and mapping.
  void Finish(navirt::TPaneBytes bytes, std::optional<navirt::TUnicodePane> unicode);
  bool Cancelled() const;

  // Window side. Called, from the worker, when a piece or the end arrives
  // at an empty queue (the window drains the queue before it waits again).
  void SetNotify(std::function<void()> notify);
  // Stops the worker at its next step; nothing more is notified.
  void Cancel();
  enum class Got { Piece, Done, Empty };
  // The next piece, or Done with the bytes and mapping moved out. With
  // wait, blocks until one of them is there.
  Got Pop(TPanePiece& piece, navirt::TPaneBytes& bytes, std::optional<navirt::TUnicodePane>& unicode, bool wait);

 private:
  mutable std::mutex m_;
  std::condition_variable changed_;
  std::deque<TPanePiece> queue_;
  size_t max_;
  bool done_ = false;
  bool cancelled_ = false;
  navirt::TPaneBytes bytes_;
  std::optional<navirt::TUnicodePane> unicode_;
  std::function<void()> notify_;
};

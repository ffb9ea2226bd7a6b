#pragma once
// Loads a large file into the pane off the window's thread. One worker
// reads the file, finds its code and file-type labels and decodes it into
// the pane's blocks (edit/ui/PaneFeed); the window only inserts them. A
// newer load, or the pane taking other text, abandons the one before at
// its next step, so moving on through the list never waits for a file.
// Memory: the file's bytes go to the pane as they were read (no copy is
// made of a file shown as stored), the labels are found on them in place,
// and the queue holds a few pieces.
#include <QObject>

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "edit/ui/PaneFeed.h"

class TPreviewLoader {
 public:
  struct Labels {
    std::string type;  // SniffFileType of the text's first line
    std::string code;  // the code label, empty for an empty or unread text
  };
  // Bytes of the file per piece the window inserts.
  static constexpr size_t kPieceBytes = 1024 * 1024;

  TPreviewLoader();
  ~TPreviewLoader();
  TPreviewLoader(const TPreviewLoader&) = delete;
  TPreviewLoader& operator=(const TPreviewLoader&) = delete;

  struct Options {
    // The read limit: a file that has grown past it since it was looked
    // at is not loaded (the pane stays empty, as for a file over the
    // limit), and no more than the limit is ever read. 0: none.
    uint64_t limit = 0;
    // An RTF file is rendered, its paragraphs' styles kept.
    bool rich = false;
  };

  // Reads path into feed. labels runs on context's thread once the text is
  // known (before its pieces arrive), unless the feed was cancelled.
  void Start(std::string path, std::shared_ptr<TPaneFeed> feed, QObject* context,
             std::function<void(const Labels&)> labels, Options options);

 private:
  struct Job {
    std::string path;
    std::shared_ptr<TPaneFeed> feed;
    QObject* context;  // outlives the loader
    std::function<void(const Labels&)> labels;
    Options options;
  };
  void Run();
  static void Load(const Job& job);

  std::mutex m_;
  std::condition_variable wake_;
  std::unique_ptr<Job> next_;
  std::shared_ptr<TPaneFeed> current_;
  bool stop_ = false;
  std::thread worker_;
};

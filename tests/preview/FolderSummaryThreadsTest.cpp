// The folder summary as the window runs it: on a pool thread, perhaps while
// another walk is still running, cancelled from the window's thread. Run
// under ThreadSanitizer by scripts/tsan.sh.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "preview/FolderSummary.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

TEST(FolderSummaryThreads, WalksOnTwoThreadsAtOnceAndACancelFromOutside) {
  UniqueTempDir tmp("navirt-summarythreads");
  for (int d = 0; d < 20; ++d) {
    std::filesystem::create_directories(tmp.path() / std::to_string(d) / "sub");
    for (int f = 0; f < 10; ++f) std::ofstream(tmp.path() / std::to_string(d) / "sub" / std::to_string(f)) << "1234";
  }
  const std::string folder = tmp.path().string();
  std::atomic<bool> never{false};
  FolderFigures first, second;
  std::thread t1([&] { first = WalkFolder(folder, never); }), t2([&] { second = WalkFolder(folder, never); });
  t1.join();
  t2.join();
  EXPECT_TRUE(first.complete && second.complete);
  EXPECT_EQ(first.count, 200u);
  EXPECT_EQ(first.bytes, 800u);
  EXPECT_EQ(second.count, first.count);
  EXPECT_EQ(second.bytes, first.bytes);

  // A new folder shown cancels the walk still running for the old one.
  std::atomic<bool> cancel{false};
  FolderFigures cancelled;
  std::thread t3([&] { cancelled = WalkFolder(folder, cancel); });
  cancel = true;
  t3.join();
  EXPECT_LE(cancelled.count, 200u);
  EXPECT_EQ(cancelled.complete, cancelled.count == 200u && cancelled.bytes == 800u);
}

}  // namespace
}  // namespace navirt

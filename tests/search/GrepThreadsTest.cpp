// Grep as the window runs it: on a worker thread, stopped from the window's
// thread. Run under ThreadSanitizer by scripts/tsan.sh.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/Cp932.h"
#include "search/GrepCommand.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

bool WaitFor(const std::atomic<bool>& flag) {
  for (int i = 0; i < 10000 && !flag; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return flag;
}

TEST(GrepThreads, StopPressedOnTheWindowThreadEndsTheWorkersRun) {
  UniqueTempDir tmp("navirt-grepthreads");
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "abc " + std::to_string(i) + "\n";
  const std::string a = tmp.Write("a.txt", big), b = tmp.Write("b.txt", big);

  TGrep grep;
  grep.SetRegExp("abc");
  std::atomic<bool> stop{false}, begun{false};
  grep.OnProcessMessages = [&] {
    if (stop) grep.Cancel = true;
  };
  std::vector<std::string> lines;  // the worker's until it is joined
  GrepRunResult r;
  std::thread worker([&] {
    r = TGrepRun::Run(grep, "abc", {a, b}, true, false, [&](const std::string& l) {
      lines.push_back(Cp932ToUtf8(l));
      // The first match waits for the window's stop, so the stop always
      // lands in the middle of the run.
      if (lines.size() == 4) {
        begun = true;
        for (int i = 0; i < 10000 && !stop; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  });
  ASSERT_TRUE(WaitFor(begun)) << "the run never reached its first match";
  stop = true;
  worker.join();
  EXPECT_EQ(r.outcome, GrepOutcome::Cancelled);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_LT(lines.size(), 20000u);
  EXPECT_EQ(lines.back(), "[Grepを中止]");
}

TEST(GrepThreads, TwoRunsAtOnceOnTwoThreadsFindWhatOneFinds) {
  UniqueTempDir tmp("navirt-grepthreads");
  std::string text;
  for (int i = 0; i < 5000; ++i) text += (i % 7 ? "xyz " : "abc ") + std::to_string(i) + "\n";
  const std::string a = tmp.Write("a.txt", text);
  auto run = [&](std::vector<std::string>& out) {
    TGrep grep;
    grep.SetRegExp("a[b]c [0-9]+");
    TGrepRun::Run(grep, "a[b]c [0-9]+", {a}, false, true, [&](const std::string& l) { out.push_back(l); });
  };
  std::vector<std::string> alone, first, second;
  run(alone);
  std::thread t1([&] { run(first); }), t2([&] { run(second); });
  t1.join();
  t2.join();
  EXPECT_EQ(alone.size(), 2u + 715u);  // heading, empty line, every seventh line
  EXPECT_EQ(first, alone);
  EXPECT_EQ(second, alone);
}

}  // namespace
}  // namespace navirt

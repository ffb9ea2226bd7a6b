#pragma once
// What a job hands long archive work: the cancel flag its window sets and
// a report of each entry reached. Both may be absent.
#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

namespace navirt {

// The state a library's progress hook passes: an entry begins, or a large
// entry is still being written.
inline constexpr int kArcStateEntry = 1;
inline constexpr int kArcStateInEntry = 2;

struct TArcProgress {
  const std::atomic<bool>* cancel = nullptr;
  // Entries reached so far and the current entry's name (UTF-8).
  std::function<void(size_t done, const std::string& name)> step;

  bool Cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

}  // namespace navirt

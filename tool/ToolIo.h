#pragma once
// Shared plumbing of navirt-tool's subcommands.
#include <memory>
#include <string>
#include <string_view>

namespace navirt::tool {

// Exit statuses every subcommand uses.
constexpr int kExitOk = 0;
constexpr int kExitNoMatch = 1;
constexpr int kExitUsage = 2;

// Reads FILE, or standard input when path is empty or "-". On failure
// prints "navirt-tool: cannot read PATH: reason" and returns false.
bool ReadInput(const std::string& path, std::string& out);
// The input bytes without a copy where possible: a regular file is mapped,
// anything else (standard input, a pipe) is read. Load reports its errors
// as ReadInput does.
class MappedInput {
 public:
  MappedInput() = default;
  MappedInput(const MappedInput&) = delete;
  MappedInput& operator=(const MappedInput&) = delete;
  ~MappedInput();
  bool Load(const std::string& path);
  std::string_view View() const;

 private:
  void* map_ = nullptr;
  size_t size_ = 0;
  std::string bytes_;
};

// Writes bytes to standard output unchanged. A failure is kept for
// CheckOutput and reported once.
bool WriteOutput(std::string_view bytes);
// Writes results on a thread of its own while the caller makes the next
// ones, so that on two cores the work and the copy into the output
// overlap. They are written in the order given; at most two wait, so memory
// stays at a few results. With one core the writes happen in Put.
class BackgroundOutput {
 public:
  BackgroundOutput();
  BackgroundOutput(const BackgroundOutput&) = delete;
  BackgroundOutput& operator=(const BackgroundOutput&) = delete;
  ~BackgroundOutput();  // waits for the writes
  // False once a write failed (later results are dropped).
  bool Put(std::string bytes);
  // Waits for every write: true when all arrived.
  bool Finish();

 private:
  struct State;
  std::unique_ptr<State> s_;
};
// Prints "navirt-tool: write error: reason" and returns kExitUsage.
int WriteError();
// Flushes standard output: true when everything written arrived.
bool OutputOk();
// A UTF-8 argument as CP932 bytes. A character CP932 lacks, or bytes that
// are not UTF-8, leave an error naming them (the "?" that would stand in
// is an operator in expressions).
bool ArgToCp932(std::string_view utf8, std::string& out, std::string& error);
// Prints "navirt-tool: message" to standard error and returns kExitUsage.
int Fail(const std::string& message);

}  // namespace navirt::tool

#pragma once
// Shared plumbing of navirt-tool's subcommands.
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

// Writes bytes to standard output unchanged.
bool WriteOutput(std::string_view bytes);
// Prints "navirt-tool: message" to standard error and returns kExitUsage.
int Fail(const std::string& message);

}  // namespace navirt::tool

#pragma once
// Starting other programs. Everything the program hands to the desktop goes
// through IProcessStarter, so tests replace it with the recording fake of
// platform/FakeProcessStarter.h and never reach a real program (least of
// all the power services).
#include <string>
#include <vector>

namespace navirt {

struct ProgramCall {
  std::string program;            // a bare name looked up in $PATH, or a path
  std::vector<std::string> args;  // passed as they are: no shell sees them
  std::string workdir;            // empty: the process's current folder
  bool operator==(const ProgramCall&) const = default;
};

struct StartResult {
  bool ok = false;
  std::string message;  // UTF-8, for a message box when !ok
};

class IProcessStarter {
 public:
  virtual ~IProcessStarter() = default;
  // Whether the program can be found (a path to an executable file, or a
  // name in $PATH).
  virtual bool Exists(const std::string& program) const = 0;
  // Starts the program detached; returns once it runs (or failed to).
  virtual StartResult Start(const ProgramCall& call) = 0;
};

// The real one: fork and exec without a shell, in a new session, reaped at
// once so no zombie stays behind; a failed exec is reported with its reason.
class TSpawnStarter : public IProcessStarter {
 public:
  bool Exists(const std::string& program) const override;
  StartResult Start(const ProgramCall& call) override;
};

// An argument the system cannot pass (it would be cut at a NUL byte):
// the message, empty when the call is fine.
std::string UnpassableArgumentMessage(const ProgramCall& call);

// "<program> が見つかりません。"
std::string MissingProgramMessage(const std::string& program);

}  // namespace navirt

#pragma once
// The recording stand-in for IProcessStarter: remembers every call and
// starts nothing. Programs count as present unless marked missing.
#include <set>
#include <string>
#include <vector>

#include "platform/ProcessStarter.h"

namespace navirt {

class TRecordingStarter : public IProcessStarter {
 public:
  std::vector<ProgramCall> calls;
  std::set<std::string> missing;  // programs Exists denies and Start refuses
  bool onlyListed = false;        // when set, only `present` exist
  std::set<std::string> present;

  bool Exists(const std::string& program) const override {
    if (missing.count(program)) return false;
    return !onlyListed || present.count(program) > 0;
  }
  StartResult Start(const ProgramCall& call) override {
    if (!Exists(call.program)) return {false, MissingProgramMessage(call.program)};
    calls.push_back(call);
    return {true, ""};
  }
};

}  // namespace navirt

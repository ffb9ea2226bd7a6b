#pragma once
// The LHA commands talk to UNLHA32 directly with command strings: the
// library is loaded once for them, its version decides whether they are
// enabled, and each command's report comes back from a 65,536-byte buffer.
#include <cstdint>
#include <string>

#include "archive/ArcJob.h"
#include "platform/DynLib.h"

namespace navirt {

class TLhaDirect {
 public:
  static constexpr uint32_t kOutputSize = 65536;
  static constexpr int kNoLibrary = 0x8018;

  // Loads the library (tests name one that does not exist).
  explicit TLhaDirect(const std::string& winName = "UNLHA32.DLL");
  TLhaDirect(const TLhaDirect&) = delete;
  TLhaDirect& operator=(const TLhaDirect&) = delete;

  // 0 when no LHA library is present.
  uint16_t Version() const { return version_; }
  // The library's check of the path, passed between double quotes; false
  // without the library.
  bool Check(const std::string& path, int mode) const;
  // Runs one command; output gets the report (CP932). kNoLibrary without
  // calling anything when the library is missing. With progress, a set
  // cancel flag stops the run before the next entry.
  int Run(const std::string& command, std::string& output, const TArcProgress* progress = nullptr,
          uint32_t outputSize = kOutputSize) const;
  // A listing command ("l", "v") whose report is never cut: run again with
  // a larger buffer while the report fills it.
  int RunListing(const std::string& command, std::string& output) const;

 private:
  TDynamicLibrary lib_;
  uint16_t version_ = 0;
  void* main_ = nullptr;
  void* check_ = nullptr;
  void* setOwner_ = nullptr;
  void* killOwner_ = nullptr;
  void* langJa_ = nullptr;  // UnlhaSetLangueJapanese, UnlhaSetLangueEnglish
  void* langEn_ = nullptr;
};

// Whether "LHA解凍(&X)", "LHA作成(&A)", "LHA一覧(&L)" and "LHAコマンド(&C)"
// are enabled.
bool LhaCommandsEnabled(int lhaVersion);
// Their menu items.
inline constexpr const char* kLhaItems[] = {"MlhaU", "MlhaP", "Mlhalist", "Mlhacommand"};

}  // namespace navirt

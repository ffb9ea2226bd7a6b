#include "archive/LhaDirect.h"

#include <vector>

#include "archive/libs/ArcCommon.h"
#include "platform/Cp932.h"
#include "platform/Messages.h"

namespace navirt {

namespace {
using MainFn = int (*)(void*, const char*, char*, uint32_t);
using CheckFn = int (*)(const char*, int);
using GetVersionFn = uint16_t (*)();
using ProgressFn = int (*)(void*, unsigned, unsigned, void*);
using SetOwnerFn = int (*)(void*, ProgressFn);
using KillOwnerFn = int (*)(void*);

struct ProgressState {
  const TArcProgress* progress;
  size_t done = 0;
};

// Called by the library before each entry, and now and then inside a
// large one (which counts no entry); 0 stops the run.
int OnEntry(void* wnd, unsigned, unsigned state, void* info) {
  auto* st = static_cast<ProgressState*>(wnd);
  if (!st) return 1;
  if (st->progress->Cancelled()) return 0;
  const bool inEntry = state == static_cast<unsigned>(kArcStateInEntry);
  if (!inEntry) ++st->done;
  if (st->progress->step) {
    const auto* rec = static_cast<const arc::IndividualInfo*>(info);
    st->progress->step(st->done, rec && !inEntry ? Cp932ToUtf8(rec->szFileName) : std::string());
  }
  return st->progress->Cancelled() ? 0 : 1;
}
}  // namespace

TLhaDirect::TLhaDirect(const std::string& winName) {
  if (!lib_.Load(winName)) return;
  auto getVersion = reinterpret_cast<GetVersionFn>(lib_.Symbol("UnlhaGetVersion"));
  main_ = lib_.Symbol("Unlha");
  check_ = lib_.Symbol("UnlhaCheckArchive");
  setOwner_ = lib_.Symbol("UnlhaSetOwnerWindowEx");
  killOwner_ = lib_.Symbol("UnlhaKillOwnerWindowEx");
  langJa_ = lib_.Symbol("UnlhaSetLangueJapanese");
  langEn_ = lib_.Symbol("UnlhaSetLangueEnglish");
  version_ = getVersion && main_ ? getVersion() : 0;
}

bool TLhaDirect::Check(const std::string& path, int mode) const {
  if (!check_ || version_ == 0) return false;
  std::string quoted = "\"" + path + "\"";
  return reinterpret_cast<CheckFn>(check_)(quoted.c_str(), mode) != 0;
}

int TLhaDirect::Run(const std::string& command, std::string& output, const TArcProgress* progress,
                    uint32_t outputSize) const {
  output.clear();
  if (!main_ || version_ == 0) return kNoLibrary;
  if (outputSize == 0) outputSize = 1;
  std::vector<char> buf(outputSize, 0);
  ProgressState st{progress};
  bool hooked = progress && setOwner_ && killOwner_;
  if (hooked) reinterpret_cast<SetOwnerFn>(setOwner_)(&st, &OnEntry);
  // The report in the program's language (the window's is Japanese).
  if (void* lang = MessageLanguage() == MsgLang::Japanese ? langJa_ : langEn_) reinterpret_cast<int (*)()>(lang)();
  int rc = reinterpret_cast<MainFn>(main_)(nullptr, command.c_str(), buf.data(), outputSize);
  if (hooked) reinterpret_cast<KillOwnerFn>(killOwner_)(&st);
  buf.back() = 0;
  output = buf.data();
  return rc;
}

int TLhaDirect::RunListing(const std::string& command, std::string& output) const {
  constexpr uint32_t kLargest = 256u << 20;
  uint32_t size = kOutputSize;
  for (;;) {
    int rc = Run(command, output, nullptr, size);
    // A report that fills the buffer was cut; listings can be run again.
    // (cut one byte short when a double-byte character would not fit).
    if (output.size() + 2 < size || size >= kLargest) return rc;
    size *= 4;
  }
}

bool LhaCommandsEnabled(int lhaVersion) { return lhaVersion > 0; }

}  // namespace navirt

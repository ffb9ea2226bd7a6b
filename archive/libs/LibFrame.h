#pragma once
// The frame every archiver library shares: the exported entry points,
// listing handles, the report of a listing, and the extraction loop.
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "archive/libs/ArcCommon.h"

namespace navirt::arc {

// Entries of an open archive, one at a time.
class EntryCursor {
 public:
  virtual ~EntryCursor() = default;
  // Back to the first entry; false when the archive cannot be read again.
  virtual bool Rewind() = 0;
  // The next entry; false at the end.
  virtual bool Next(ArcEntry& e) = 0;
};

class ArcLibrary {
 public:
  virtual ~ArcLibrary() = default;
  virtual uint16_t Version() const { return 100; }
  // Runs one command line; the report goes to rep.
  virtual int Run(const std::string& cmdline, Report& rep) = 0;
  virtual int List(const std::string& path, std::vector<ArcEntry>& out, std::string& why) = 0;
  // The listing handle's source: the whole list by default; a format that
  // streams (tar) reads header after header instead.
  virtual std::unique_ptr<EntryCursor> OpenCursor(const std::string& path, std::string& why);
  // Header walk (mode bit 2 = 0x02 of the low bits asks for data checks).
  virtual bool Check(const std::string& path, int mode);
  // Unpacks one entry into memory; a library without it answers kErrNotSupport.
  virtual int ExtractToMemory(const std::string& path, const std::string& name, std::string& data, ArcEntry& entry,
                              std::string& why);
};

// How one extraction run behaves.
struct ExtractJob {
  std::string outDir;
  bool keepPaths = true;
  Overwrite overwrite = Overwrite::Never;
  std::vector<std::string> patterns;
  // With replaceListed, an existing file is replaced only when its full
  // path is in replace, whatever overwrite says: the caller asked about
  // each one before the run, and a file that appeared since is kept.
  bool replaceListed = false;
  std::set<std::string> replace;
};
// The switch every library's extraction takes, "-replace-only=LIST": LIST
// names the files that may be replaced, one full path a line. kOk, or
// kErrResponseRead with a line in rep.
int ReadReplaceList(const CmdLine& cl, ExtractJob& job, Report& rep);

// Unpacks the entry with index idx into sink (called in rising idx order).
using UnpackFn = std::function<int(size_t idx, const Sink& sink, std::string& why)>;

// The listing of a format whose whole archive is read through InputFile.
using ListFn = int (*)(const InputFile& in, std::vector<ArcEntry>& out, std::string& why);
int ListArchiveFile(const std::string& path, ListFn list, std::vector<ArcEntry>& out, std::string& why);

// Unpacks the first file entry whose path matches name into data.
int ExtractMatchToMemory(const std::vector<ArcEntry>& entries, const std::string& name, const UnpackFn& unpack,
                         std::string& data, ArcEntry& entry, std::string& why);

struct ExtractStats {
  size_t done = 0, skipped = 0, failed = 0;
  size_t refused = 0;  // unsafe names and links, also counted in failed
  int result = kOk;
  bool cancelled = false;
  FolderCache folders;
  std::set<std::string> swept;  // folders cleared of killed runs' leftovers
  void Fail(int code);
};
// One entry: select, make a safe target, write through a temporary file,
// report. For readers that stream (tar) and cannot list first.
void ExtractOne(const ArcEntry& e, const ExtractJob& job, const std::function<int(const Sink&, std::string&)>& unpack,
                Report& rep, ExtractStats& st);
int FinishExtract(const ExtractStats& st, Report& rep);

// The loop every library's extraction runs: select, make safe targets,
// write through temporary files, report each file and a summary.
int ExtractEntries(const std::vector<ArcEntry>& entries, const ExtractJob& job, const UnpackFn& unpack, Report& rep);
// Listing report for "l" (short names) or "v" (full paths).
void ListingReport(const std::string& archive, const std::vector<ArcEntry>& entries, bool longNames, Report& rep);
// Counts entries selected by patterns; lists refused kinds.
int SfxUnsupported(Report& rep);

// The caller's progress hook (SetOwnerWindowEx): called before each entry
// with kStateEntry and the entry's record, and again with kStateInEntry
// after every kInEntryStep bytes written of a large entry; a zero answer
// stops the run, removing the entry being written.
using ProgressCallback = int (*)(void* wnd, unsigned msg, unsigned state, void* info);
enum : unsigned { kStateEntry = 1, kStateInEntry = 2 };
inline constexpr uint64_t kInEntryStep = 1u << 20;
void SetProgress(void* wnd, ProgressCallback cb);
bool NotifyProgress(const ArcEntry& e, unsigned state = kStateEntry);
// The same for a file about to be packed.
bool NotifyPacking(const PackItem& it);

// Exported-call helpers.
int ApiRun(ArcLibrary& lib, const char* cmd, char* out, uint32_t size);
int ApiCheck(ArcLibrary& lib, const char* file, int mode);
void* ApiOpen(ArcLibrary& lib, const char* file, uint32_t mode);
int ApiFindFirst(void* h, const char* wild, IndividualInfo* info);
int ApiFindNext(void* h, IndividualInfo* info);
int ApiClose(void* h);
int ApiExtractMem(ArcLibrary& lib, const char* cmd, unsigned char* buf, uint32_t size, std::time_t* time,
                  uint16_t* attr, uint32_t* written);

}  // namespace navirt::arc

#define NAVIRT_ARC_EXPORT extern "C" __attribute__((visibility("default")))

// The language of the reports: the locale's until the caller picks one.
#define NAVIRT_ARC_LANGUAGE_ENTRY_POINTS(PFX)              \
  NAVIRT_ARC_EXPORT int PFX##SetLangueJapanese() {         \
    navirt::SetMessageLanguage(navirt::MsgLang::Japanese); \
    return 0;                                              \
  }                                                        \
  NAVIRT_ARC_EXPORT int PFX##SetLangueEnglish() {          \
    navirt::SetMessageLanguage(navirt::MsgLang::English);  \
    return 0;                                              \
  }

// Defines every entry point of one library: Prefix, PrefixCheckArchive,
// PrefixOpenArchive, PrefixFindFirst, PrefixFindNext, PrefixCloseArchive,
// PrefixSetOwnerWindowEx, PrefixKillOwnerWindowEx, PrefixExtractMem,
// PrefixGetVersion, PrefixSetLangueJapanese, PrefixSetLangueEnglish.
#define NAVIRT_ARC_ENTRY_POINTS(PFX, LIB)                                                                              \
  NAVIRT_ARC_LANGUAGE_ENTRY_POINTS(PFX)                                                                                \
  NAVIRT_ARC_EXPORT int PFX(void* wnd, const char* cmd, char* out, uint32_t size) {                                    \
    return navirt::arc::ApiRun(LIB, cmd, out, size);                                                                   \
  }                                                                                                                    \
  NAVIRT_ARC_EXPORT int PFX##CheckArchive(const char* file, int mode) {                                                \
    return navirt::arc::ApiCheck(LIB, file, mode);                                                                     \
  }                                                                                                                    \
  NAVIRT_ARC_EXPORT void* PFX##OpenArchive(void* wnd, const char* file, uint32_t mode) {                               \
    return navirt::arc::ApiOpen(LIB, file, mode);                                                                      \
  }                                                                                                                    \
  NAVIRT_ARC_EXPORT int PFX##FindFirst(void* h, const char* wild, navirt::arc::IndividualInfo* info) {                 \
    return navirt::arc::ApiFindFirst(h, wild, info);                                                                   \
  }                                                                                                                    \
  NAVIRT_ARC_EXPORT int PFX##FindNext(void* h, navirt::arc::IndividualInfo* info) {                                    \
    return navirt::arc::ApiFindNext(h, info);                                                                          \
  }                                                                                                                    \
  NAVIRT_ARC_EXPORT int PFX##CloseArchive(void* h) { return navirt::arc::ApiClose(h); }                                \
  NAVIRT_ARC_EXPORT int PFX##SetOwnerWindowEx(void* wnd, navirt::arc::ProgressCallback cb) {                           \
    navirt::arc::SetProgress(wnd, cb);                                                                                 \
    return 1;                                                                                                          \
  }                                                                                                                    \
  NAVIRT_ARC_EXPORT int PFX##KillOwnerWindowEx(void* wnd) {                                                            \
    navirt::arc::SetProgress(nullptr, nullptr);                                                                        \
    return 1;                                                                                                          \
  }                                                                                                                    \
  NAVIRT_ARC_EXPORT int PFX##ExtractMem(void* wnd, const char* cmd, unsigned char* buf, uint32_t size, std::time_t* t, \
                                        uint16_t* attr, uint32_t* written) {                                           \
    return navirt::arc::ApiExtractMem(LIB, cmd, buf, size, t, attr, written);                                          \
  }                                                                                                                    \
  NAVIRT_ARC_EXPORT uint16_t PFX##GetVersion() { return (LIB).Version(); }

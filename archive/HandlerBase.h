#pragma once
// What the format handlers share: the archiver libraries (each loaded once
// and kept for the life of the process), their entry-point types, the
// handlers' messages, the table of command words, and the base that runs a
// command line in a library.
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/Archives.h"

namespace navirt::arcimpl {

// Messages of operations a format lacks.
extern const char* const kMsgPack;
extern const char* const kMsgRemove;
extern const char* const kMsgUpdate;
extern const char* const kMsgSfx;
extern const char* const kMsgToMemory;
extern const char* const kMsgCheck;
// Messages of a library that cannot be loaded.
extern const char* const kLoadLha;
extern const char* const kLoadZipAny;
extern const char* const kLoadZipCreate;
extern const char* const kLoadZipExtract;
extern const char* const kLoadCab;
extern const char* const kLoadArj;
extern const char* const kLoadTar;
extern const char* const kLoadRar;
extern const char* const kLoadBga;
extern const char* const kEntryMissing;

// A response file that cannot be written.
constexpr int kResWriteError = 0x8025;

using MainFn = int (*)(void*, const char*, char*, uint32_t);
using CheckFn = int (*)(const char*, int);
using OpenFn = void* (*)(void*, const char*, uint32_t);
using FindFirstFn = int (*)(void*, const char*, TIndividualInfo*);
using FindNextFn = int (*)(void*, TIndividualInfo*);
using CloseFn = int (*)(void*);
using ProgressFn = int (*)(void*, unsigned, unsigned, void*);
using SetOwnerFn = int (*)(void*, ProgressFn);
using KillOwnerFn = int (*)(void*);
using ExtractMemFn = int (*)(void*, const char*, unsigned char*, uint32_t, std::time_t*, uint16_t*, uint32_t*);
using TarTypeFn = int (*)(const char*);
using GetVersionFn = uint16_t (*)();

// The libraries by their Windows names ("UNLHA32.DLL").
bool EnsureLoaded(const std::string& winName);
void Unload(const std::string& winName);
// Entry point by name, looked up once; nullptr when absent.
void* Lookup(const std::string& winName, const std::string& name);
std::string LoadedPath(const std::string& winName);

// The progress hook the libraries call; wnd is the archive-file object.
int ProgressThunk(void* wnd, unsigned msg, unsigned state, void* info);

// The command word each family sends for an operation; nullptr where the
// family has no such command.
enum class TWordSet { Lha, Zip32j, Lmzip32, Cab, Arj, Tar, Rar, Bga };
struct TCommandWords {
  TWordSet set;
  const char* extract;
  const char* extractFlat;  // extraction without folders (RAR's option x = 0)
  const char* pack;
  const char* remove;
  const char* update;
  const char* sfx;
};
const TCommandWords& Words(TWordSet set);

// Runs command lines in one library's main entry and keeps the line and
// the report text in the archive-file object's context.
class TLibArchiver : public TArchiver {
 public:
  using TArchiver::TArchiver;

 protected:
  int RunWith(MainFn fn, void* wnd, const std::string& cmd);
  static int MemCall(ExtractMemFn fn, void* wnd, const std::string& archive, const std::string& name,
                     std::string& data);
  // UserOptions, then archive, folder, names and UserFileList.
  bool Tail(TCmdOpt& c, const TArchiverOptions& o, bool useRes, const std::string& archive, const std::string& folder,
            const std::vector<std::string>& names, const std::function<std::string(const std::string&)>& filter);
};

// A handler bound to one library and one prefix.
class TDllArchiver : public TLibArchiver {
 public:
  TDllArchiver(TArchiverContext& ctx, const char* dll, const char* prefix, const char* loadMsg)
      : TLibArchiver(ctx), dll_(dll), prefix_(prefix), loadMsg_(loadMsg) {}

  void LoadDLL() override;
  void FreeDLL() override;
  void* OpenArchive(void* wnd, const std::string& name, uint32_t mode) override;
  int FindFirst(void* h, const std::string& wild, TIndividualInfo& info) override;
  int FindNext(void* h, TIndividualInfo& info) override;
  int CloseArchive(void* h) override;
  bool CheckArchive(const std::string& name, int mode) override;
  void SetOwnerWindow(void* wnd, void* callback) override;
  void KillOwnerWindow(void* wnd) override;
  int ExtractToMemory(void* wnd, const std::string& archive, const std::string& name, std::string& data) override;

 protected:
  // The entry prefix + suffix; raises when the library lacks it.
  void* EntryPoint(const char* suffix);
  template <typename Fn>
  Fn Entry(const char* suffix) {
    return reinterpret_cast<Fn>(EntryPoint(suffix));
  }
  int Run(void* wnd, const std::string& cmd) { return RunWith(Entry<MainFn>(""), wnd, cmd); }

  const char* dll_;
  const char* prefix_;
  const char* loadMsg_;

 private:
  // Listing calls come once per entry: keep what was found.
  std::vector<std::pair<const char*, void*>> found_;
};

// The handlers of each family.
std::unique_ptr<TArchiver> MakeLha32(TArchiverContext& ctx);
std::unique_ptr<TArchiver> MakeArj32(TArchiverContext& ctx);
std::unique_ptr<TArchiver> MakeZip32(TArchiverContext& ctx);
std::unique_ptr<TArchiver> MakeCab32(TArchiverContext& ctx);
// kind: 0 tar, 1 compressed tar, 2 bzip2.
std::unique_ptr<TArchiver> MakeTar32(TArchiverContext& ctx, int kind);
std::unique_ptr<TArchiver> MakeRar32(TArchiverContext& ctx);
std::unique_ptr<TArchiver> MakeBga32(TArchiverContext& ctx);

// ".ext" in lower case; empty when the name has none.
std::string LowerExt(const std::string& name);

}  // namespace navirt::arcimpl

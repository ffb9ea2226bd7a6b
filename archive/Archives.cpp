#include "archive/Archives.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/DynLib.h"
#include "platform/FileInfo.h"

namespace navirt {

const char* const kMsgUnknownFormat = "書庫の形式を判別できません。";
const char* const kMsgBadType = "書庫の形式を特定できませんでした。";

namespace {

const char* const kMsgPack = "この形式では書庫ファイルの作成をサポートしておりません。";
const char* const kMsgRemove = "この形式の書庫ではファイルの削除をサポートしておりません。";
const char* const kMsgUpdate = "この形式の書庫では書庫の更新をサポートしておりません。";
const char* const kMsgSfx = "この形式では自己解凍書庫の作成をサポートしておりません。";
const char* const kMsgToMemory = "この形式ではメモリへの展開をサポートしておりません。";
const char* const kMsgCheck = "この形式では書庫チェック機能をサポートしておりません。";

const char* const kLoadLha = "Lha 形式書庫を扱うには UNLHA32.DLL が 必要です。";
const char* const kLoadZipAny = "ZIP 形式書庫を解凍するには UNZIP32.DLL が、作成するには ZIP32J.DLL が必要です。";
const char* const kLoadZipCreate = "ZIP 形式書庫の作成には ZIP32J.DLL または LMZIP32.DLL が必要です。";
const char* const kLoadZipExtract = "ZIP 形式書庫の解凍には UNZIP32.DLL または LMZIP32.DLL が必要です。";
const char* const kLoadCab = "CAB 形式書庫を扱うには CAB32.DLL が 必要です。";
const char* const kLoadArj = "ARJ 形式書庫を扱うには UNARJ32J.DLL が 必要です。";
const char* const kLoadTar = "tar/tgz/taz/bz2 形式書庫を扱うには tar32.dll が 必要です。";
const char* const kLoadRar = "この機能の使用には UNRAR32.DLL が 必要です。";
const char* const kLoadBga = "Bga 形式書庫を扱うには BGA32.DLL が 必要です。";
const char* const kEntryMissing = " のエントリが見つかりません。";

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

// ---- libraries, loaded once and kept ---------------------------------

struct LibSlot {
  TDynamicLibrary lib;
  bool tried = false;
  std::map<std::string, void*> entries;
};

std::mutex g_libMutex;

LibSlot& Slot(const std::string& winName) {
  static std::map<std::string, std::unique_ptr<LibSlot>> slots;
  auto& s = slots[winName];
  if (!s) s = std::make_unique<LibSlot>();
  return *s;
}

bool EnsureLoaded(const std::string& winName) {
  std::lock_guard<std::mutex> lock(g_libMutex);
  LibSlot& s = Slot(winName);
  if (!s.tried) {
    s.tried = true;
    s.lib.Load(winName);
  }
  return s.lib.Loaded();
}

void Unload(const std::string& winName) {
  std::lock_guard<std::mutex> lock(g_libMutex);
  LibSlot& s = Slot(winName);
  s.lib.Unload();
  s.entries.clear();
  s.tried = false;
}

// Entry point by name, looked up once; nullptr when absent.
void* Lookup(const std::string& winName, const std::string& name) {
  if (!EnsureLoaded(winName)) return nullptr;
  std::lock_guard<std::mutex> lock(g_libMutex);
  LibSlot& s = Slot(winName);
  auto it = s.entries.find(name);
  if (it != s.entries.end()) return it->second;
  void* p = s.lib.Symbol(name.c_str());
  s.entries[name] = p;
  return p;
}

std::string LoadedPath(const std::string& winName) {
  std::lock_guard<std::mutex> lock(g_libMutex);
  return Slot(winName).lib.LoadedPath();
}

int ProgressThunk(void* wnd, unsigned msg, unsigned state, void* info) {
  TArchiveFile* f = static_cast<TArchiveFile*>(wnd);
  return f && f->ReportProgress(static_cast<int>(state), static_cast<const TIndividualInfo*>(info)) ? 1 : 0;
}

std::string ZipNameFilter(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '\\') out += '/';
    else if (c == '[') out += "[[]";
    else out += c;
  }
  return out;
}

// ---- a handler bound to one library ----------------------------------

class TDllArchiver : public TArchiver {
 public:
  TDllArchiver(TArchiverContext& ctx, const char* dll, const char* prefix, const char* loadMsg)
      : TArchiver(ctx), dll_(dll), prefix_(prefix), loadMsg_(loadMsg) {}

  void LoadDLL() override {
    if (!EnsureLoaded(dll_)) throw EArchiver(loadMsg_);
  }
  void FreeDLL() override {
    found_.clear();
    Unload(dll_);
  }

  void* OpenArchive(void* wnd, const std::string& name, uint32_t mode) override {
    return Entry<OpenFn>("OpenArchive")(wnd, name.c_str(), mode);
  }
  int FindFirst(void* h, const std::string& wild, TIndividualInfo& info) override {
    return Entry<FindFirstFn>("FindFirst")(h, wild.c_str(), &info);
  }
  int FindNext(void* h, TIndividualInfo& info) override { return Entry<FindNextFn>("FindNext")(h, &info); }
  int CloseArchive(void* h) override { return Entry<CloseFn>("CloseArchive")(h); }
  bool CheckArchive(const std::string& name, int mode) override {
    return Entry<CheckFn>("CheckArchive")(name.c_str(), mode) != 0;
  }
  void SetOwnerWindow(void* wnd, void* callback) override {
    TArchiver::SetOwnerWindow(wnd, callback);
    Entry<SetOwnerFn>("SetOwnerWindowEx")(wnd, reinterpret_cast<ProgressFn>(callback));
  }
  void KillOwnerWindow(void* wnd) override {
    TArchiver::KillOwnerWindow(wnd);
    Entry<KillOwnerFn>("KillOwnerWindowEx")(wnd);
  }
  int ExtractToMemory(void* wnd, const std::string& archive, const std::string& name, std::string& data) override {
    return MemCall(Entry<ExtractMemFn>("ExtractMem"), wnd, archive, name, data);
  }

 protected:
  template <typename Fn>
  Fn Entry(const char* suffix) {
    // Listing calls come once per entry: keep what was found.
    for (const auto& [s, p] : found_)
      if (s == suffix) return reinterpret_cast<Fn>(p);
    LoadDLL();
    std::string name = std::string(prefix_) + suffix;
    void* p = Lookup(dll_, name);
    if (!p) throw EArchiver(LoadedPath(dll_) + " に " + name + kEntryMissing);
    found_.emplace_back(suffix, p);
    return reinterpret_cast<Fn>(p);
  }
  std::vector<std::pair<const char*, void*>> found_;

  int Run(void* wnd, const std::string& cmd) { return RunWith(Entry<MainFn>(""), wnd, cmd); }

  int RunWith(MainFn fn, void* wnd, const std::string& cmd) {
    ctx_.commandLine = cmd;
    if (!ctx_.output.empty()) ctx_.output[0] = 0;
    return fn(wnd, cmd.c_str(), ctx_.output.empty() ? nullptr : ctx_.output.data(),
              static_cast<uint32_t>(ctx_.output.size()));
  }

  static int MemCall(ExtractMemFn fn, void* wnd, const std::string& archive, const std::string& name,
                     std::string& data) {
    std::string cmd = "\"" + archive + "\" \"" + name + "\"";
    if (data.empty()) data.resize(4u << 20);
    uint32_t written = 0;
    std::time_t t = 0;
    uint16_t attr = 0;
    int rc = fn(wnd, cmd.c_str(), reinterpret_cast<unsigned char*>(data.data()), static_cast<uint32_t>(data.size()),
                &t, &attr, &written);
    data.resize(rc == 0 ? written : 0);
    return rc;
  }

  // UserOptions, then archive, folder, names and UserFileList.
  bool Tail(TCmdOpt& c, const TArchiverOptions& o, bool useRes, const std::string& archive, const std::string& folder,
            const std::vector<std::string>& names, const std::function<std::string(const std::string&)>& filter) {
    c.Fixed(o.UserOptions);
    c.Quoted("", archive);
    c.Folder("", folder);
    if (!c.Files(names, filter, o.ResFileName, useRes && !o.ResFileName.empty())) return false;
    c.Fixed(o.UserFileList);
    return true;
  }

  const char* dll_;
  const char* prefix_;
  const char* loadMsg_;
};

constexpr int kResWriteError = 0x8025;

// ---- LHA ---------------------------------------------------------------

class TLha32 : public TDllArchiver {
 public:
  explicit TLha32(TArchiverContext& ctx, const char* dll = "UNLHA32.DLL", const char* prefix = "Unlha",
                  const char* msg = kLoadLha)
      : TDllArchiver(ctx, dll, prefix, msg) {}

  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    return Command(wnd, "x", o, useRes, archive, folder, names);
  }
  int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
           const std::vector<std::string>& names, const std::string& base) override {
    return LhaCommand(wnd, "u", o, useRes, archive, base, names);
  }
  int RemoveItems(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
                  const std::vector<std::string>& names) override {
    return LhaCommand(wnd, "d", o, useRes, archive, "", names);
  }
  int Update(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
             const std::vector<std::string>& names, const std::string& base) override {
    return LhaCommand(wnd, "f", o, useRes, archive, base, names);
  }
  int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder) override {
    return LhaCommand(wnd, "s", o, false, archive, folder, {});
  }
  void PrepareToPack() override { TArchiver::PrepareToPack(); }
  int ExtractToMemory(void* wnd, const std::string& archive, const std::string& name, std::string& data) override {
    if (!EnsureLoaded("UNLHA32.DLL")) throw EArchiver(kLoadLha);
    void* p = Lookup("UNLHA32.DLL", "UnlhaExtractMem");
    if (!p) throw EArchiver(LoadedPath("UNLHA32.DLL") + " に UnlhaExtractMem" + kEntryMissing);
    return MemCall(reinterpret_cast<ExtractMemFn>(p), wnd, archive, name, data);
  }

  static void Switches(TCmdOpt& c, const TArchiverOptions& o, bool progress) {
    c.Fixed("-+");
    c.Num("a", o.a);
    c.Num("c", o.c);
    c.Num("e", o.e);
    c.Num("f", o.f);
    c.Num("h", o.h);
    c.Num("i", o.i);
    c.Num("l", o.l);
    c.Num("m", o.m);
    c.Num("n", progress ? 1 : o.n);
    c.Num("o", o.o);
    c.Num("p", o.p);
    c.Num("r", o.r);
    c.Num("s", o.s);
    c.Num("t", o.t);
    c.Num("u", o.u);
    c.Folder("w", o.w);
    c.Num("x", o.x);
    c.Num("y", o.y);
    c.Num("z", o.z);
    c.Num("jc", o.jc);
    c.Num("jd", o.jd);
    c.Num("je", o.je);
    c.Num("jf", o.jf);
    c.Num("jh", o.jh);
    c.Num("ji", o.ji);
    c.Num("jm", o.jm);
    c.Num("jn", o.jn);
    c.Quoted("jo", o.jo);
    c.Quoted("job", o.job);
    c.Num("jp", o.jp);
    c.Num("jr", o.jr);
    c.Num("jss", o.jss);
    c.Num("jw", o.jw);
    for (const auto& x : o.jx) c.Quoted("jx", x);
    c.Num("jyc", o.jyc);
    c.Num("jyd", o.jyd);
    c.Num("jyk", o.jyk);
    c.Num("jyn", o.jyn);
    c.Num("jyo", o.jyo);
    c.Quoted("jz", o.jz);
    c.Num("ga", o.ga);
    c.Num("gd", o.gd);
    c.Num("ge", o.ge);
    c.Num("gf", o.gf);
    c.Num("gj", o.gj);
    c.Num("gm", o.gm);
    c.Num("gn", o.gn);
    c.Num("go", o.go);
    c.Num("gp", o.gp);
    c.Quoted("gr", o.gr);
    c.Num("gs", o.gs);
    c.Num("gu", o.gu);
    c.Num("gw", o.gw);
  }

 protected:
  // Runs word with the LHA switch set in this handler's own library.
  int Command(void* wnd, const std::string& word, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::string& folder, const std::vector<std::string>& names) {
    TCmdOpt c;
    Switches(c, o, ctx_.progressWindow);
    if (!Tail(c, o, useRes, archive, folder, names, nullptr)) return kResWriteError;
    return Run(nullptr, word + c.Text());
  }
  // The same through UNLHA32 itself (ARJ's writing goes there too).
  int LhaCommand(void* wnd, const std::string& word, const TArchiverOptions& o, bool useRes,
                 const std::string& archive, const std::string& folder, const std::vector<std::string>& names) {
    if (!EnsureLoaded("UNLHA32.DLL")) throw EArchiver(kLoadLha);
    void* p = Lookup("UNLHA32.DLL", "Unlha");
    if (!p) throw EArchiver(LoadedPath("UNLHA32.DLL") + " に Unlha" + kEntryMissing);
    TCmdOpt c;
    Switches(c, o, ctx_.progressWindow);
    if (!Tail(c, o, useRes, archive, folder, names, nullptr)) return kResWriteError;
    return RunWith(reinterpret_cast<MainFn>(p), wnd, word + c.Text());
  }
};

class TArj32 : public TLha32 {
 public:
  explicit TArj32(TArchiverContext& ctx) : TLha32(ctx, "UNARJ32J.DLL", "Unarj", kLoadArj) {}
  // No library here writes ARJ: the LHA library would put an LZH archive
  // under the ".arj" name.
  void PrepareToPack() override { throw EArchiver(kMsgPack); }
  int Pack(void*, const TArchiverOptions&, bool, const std::string&, const std::vector<std::string>&,
           const std::string&) override {
    throw EArchiver(kMsgPack);
  }
};

// ---- ZIP ---------------------------------------------------------------

class TZip32 : public TArchiver {
 public:
  explicit TZip32(TArchiverContext& ctx) : TArchiver(ctx) {}

  void LoadDLL() override {
    bool any = false;
    for (const char* d : {"UNZIP32.DLL", "ZIP32J.DLL", "LMZIP32.DLL"}) any = EnsureLoaded(d) || any;
    if (!any) throw EArchiver(kLoadZipAny);
  }
  void FreeDLL() override {
    for (const char* d : {"UNZIP32.DLL", "ZIP32J.DLL", "LMZIP32.DLL"}) Unload(d);
  }
  void* OpenArchive(void* wnd, const std::string& name, uint32_t mode) override {
    return Find<OpenFn>("UnZipOpenArchive", {"LMZIP32.DLL", "ZIP32J.DLL", "UNZIP32.DLL"})(wnd, name.c_str(), mode);
  }
  int FindFirst(void* h, const std::string& wild, TIndividualInfo& info) override {
    return Find<FindFirstFn>("UnZipFindFirst", {"LMZIP32.DLL", "ZIP32J.DLL", "UNZIP32.DLL"})(h, wild.c_str(), &info);
  }
  int FindNext(void* h, TIndividualInfo& info) override {
    return Find<FindNextFn>("UnZipFindNext", {"LMZIP32.DLL", "ZIP32J.DLL", "UNZIP32.DLL"})(h, &info);
  }
  int CloseArchive(void* h) override {
    return Find<CloseFn>("UnZipCloseArchive", {"LMZIP32.DLL", "ZIP32J.DLL", "UNZIP32.DLL"})(h);
  }
  bool CheckArchive(const std::string& name, int mode) override {
    return Find<CheckFn>("UnZipCheckArchive", {"UNZIP32.DLL", "LMZIP32.DLL", "ZIP32J.DLL"})(name.c_str(), mode) != 0;
  }
  int ExtractToMemory(void* wnd, const std::string& archive, const std::string& name, std::string& data) override {
    auto fn = Find<ExtractMemFn>("UnZipExtractMem", {"UNZIP32.DLL", "LMZIP32.DLL", "ZIP32J.DLL"});
    std::string cmd = "\"" + archive + "\" \"" + name + "\"";
    if (data.empty()) data.resize(4u << 20);
    uint32_t written = 0;
    std::time_t t = 0;
    uint16_t attr = 0;
    int rc = fn(wnd, cmd.c_str(), reinterpret_cast<unsigned char*>(data.data()), static_cast<uint32_t>(data.size()),
                &t, &attr, &written);
    data.resize(rc == 0 ? written : 0);
    return rc;
  }
  void SetOwnerWindow(void* wnd, void* callback) override {
    TArchiver::SetOwnerWindow(wnd, callback);
    Find<SetOwnerFn>("UnZipSetOwnerWindowEx", {"UNZIP32.DLL"})(wnd, reinterpret_cast<ProgressFn>(callback));
  }
  void KillOwnerWindow(void* wnd) override {
    TArchiver::KillOwnerWindow(wnd);
    Find<KillOwnerFn>("UnZipKillOwnerWindowEx", {"UNZIP32.DLL"})(wnd);
  }

  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    bool un = EnsureLoaded("UNZIP32.DLL"), lm = EnsureLoaded("LMZIP32.DLL");
    if (!un && !lm) throw EArchiver(kLoadZipExtract);
    auto fn = Find<MainFn>("UnZip", {"UNZIP32.DLL", "LMZIP32.DLL"});
    TCmdOpt c;
    c.Flag("o", o.c == 1);
    c.Flag("-i", ctx_.progressWindow || o.n > 0);
    c.Flag("j", o.x == 0);
    if (!Tail(c, o, useRes, archive, folder, names, ZipNameFilter)) return kResWriteError;
    return RunWith(fn, wnd, "-x" + c.Text());
  }

  void PrepareToPack() override {
    LoadDLLQuiet();
    if (!EnsureLoaded("ZIP32J.DLL") && !EnsureLoaded("LMZIP32.DLL")) throw EArchiver(kLoadZipCreate);
  }

  int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
           const std::vector<std::string>& names, const std::string& base) override {
    if (EnsureLoaded("ZIP32J.DLL")) {
      auto fn = Find<MainFn>("Zip", {"ZIP32J.DLL"});
      TCmdOpt c;
      c.Flag("S", o.a > 0);
      c.Flag("D", o.a < 2);
      c.Flag("v", o.l > 0);
      c.Flag("q", o.n > 0);
      c.Flag("r", o.r > 0);
      c.Flag("o", o.n > 0);
      c.Flag("u", o.u > 0);
      c.Flag("j", o.x == 0);
      c.Flag("FF", o.jc > 0);
      c.Flag("k", o.ji > 0);
      if (o.jm != -1) c.Fixed("-" + std::to_string(o.jm));
      c.Flag("J", o.gd > 0);
      if (!Tail(c, o, useRes, archive, base, names, ZipNameFilter)) return kResWriteError;
      return RunWith(fn, wnd, c.Text());
    }
    if (!EnsureLoaded("LMZIP32.DLL")) throw EArchiver(kLoadZipCreate);
    auto fn = Find<MainFn>("Zip", {"LMZIP32.DLL"});
    TCmdOpt c;
    c.Flag("o", o.c == 1);
    c.Flag("j", o.x == 0);
    if (!Tail(c, o, useRes, archive, base, names, nullptr)) return kResWriteError;
    ::unlink(archive.c_str());
    return RunWith(fn, wnd, "-ru" + c.Text());
  }
  int RemoveItems(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
                  const std::vector<std::string>& names) override {
    return Simple(wnd, "-d", o, useRes, archive, "", names);
  }
  int Update(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
             const std::vector<std::string>& names, const std::string& base) override {
    return Simple(wnd, "-f", o, useRes, archive, base, names);
  }
  int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder) override {
    auto fn = Find<MainFn>("Zip", {"ZIP32J.DLL", "LMZIP32.DLL"});
    std::string exe = archive;
    size_t dot = exe.rfind('.');
    if (dot != std::string::npos && exe.find('/', dot) == std::string::npos) exe.resize(dot);
    return RunWith(fn, wnd, "-A " + exe + ".exe");
  }

 private:
  void LoadDLLQuiet() {
    for (const char* d : {"UNZIP32.DLL", "ZIP32J.DLL", "LMZIP32.DLL"}) EnsureLoaded(d);
  }

  int Simple(void* wnd, const std::string& word, const TArchiverOptions& o, bool useRes, const std::string& archive,
             const std::string& folder, const std::vector<std::string>& names) {
    auto fn = Find<MainFn>("Zip", {"ZIP32J.DLL", "LMZIP32.DLL"});
    TCmdOpt c;
    if (!Tail(c, o, useRes, archive, folder, names, ZipNameFilter)) return kResWriteError;
    return RunWith(fn, wnd, word + c.Text());
  }

  template <typename Fn>
  Fn Find(const std::string& name, std::initializer_list<const char*> order) {
    LoadDLL();
    for (const char* d : order) {
      std::string n = name;
      // That library spells the prefix "Unzip".
      if (std::strcmp(d, "LMZIP32.DLL") == 0 && n.size() > 2 && n[2] == 'Z') n[2] = 'z';
      if (void* p = Lookup(d, n)) return reinterpret_cast<Fn>(p);
    }
    throw EArchiver(name + kEntryMissing);
  }

  int RunWith(MainFn fn, void* wnd, const std::string& cmd) {
    ctx_.commandLine = cmd;
    if (!ctx_.output.empty()) ctx_.output[0] = 0;
    return fn(wnd, cmd.c_str(), ctx_.output.empty() ? nullptr : ctx_.output.data(),
              static_cast<uint32_t>(ctx_.output.size()));
  }

  bool Tail(TCmdOpt& c, const TArchiverOptions& o, bool useRes, const std::string& archive, const std::string& folder,
            const std::vector<std::string>& names, const std::function<std::string(const std::string&)>& filter) {
    c.Fixed(o.UserOptions);
    c.Quoted("", archive);
    c.Folder("", folder);
    if (!c.Files(names, filter, o.ResFileName, useRes && !o.ResFileName.empty())) return false;
    c.Fixed(o.UserFileList);
    return true;
  }
};

// ---- CAB ---------------------------------------------------------------

class TCab32 : public TDllArchiver {
 public:
  explicit TCab32(TArchiverContext& ctx) : TDllArchiver(ctx, "CAB32.DLL", "Cab", kLoadCab) {}
  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    return Command(wnd, "-x", o, useRes, archive, folder, names);
  }
  int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
           const std::vector<std::string>& names, const std::string& base) override {
    return Command(wnd, "-a", o, useRes, archive, base, names);
  }
  int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder) override {
    return Command(wnd, "-f", o, false, archive, folder, {});
  }

 private:
  int Command(void* wnd, const std::string& word, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::string& folder, const std::vector<std::string>& names) {
    TCmdOpt c;
    c.Flag("o", o.c == 1);
    c.Flag("i", ctx_.progressWindow || o.n > 0);
    c.Flag("r", o.r > 0);
    c.Flag("j", o.x == 0);
    c.Flag("q", o.ji > 0);
    if (!Tail(c, o, useRes, archive, folder, names, nullptr)) return kResWriteError;
    return Run(wnd, word + c.Text());
  }
};

// ---- TAR family ----------------------------------------------------------

class TTar32 : public TDllArchiver {
 public:
  explicit TTar32(TArchiverContext& ctx, int kind = 0) : TDllArchiver(ctx, "tar32.dll", "Tar", kLoadTar), kind_(kind) {}
  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    return Command(wnd, "x", o, useRes, archive, folder, names);
  }
  int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
           const std::vector<std::string>& names, const std::string& base) override {
    return Command(wnd, "c", o, useRes, archive, base, names);
  }
  int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder) override {
    if (kind_ == 2) return TArchiver::MakeSfx(wnd, o, archive, folder);
    return Command(wnd, "s", o, false, archive, folder, {});
  }

 private:
  int Command(void* wnd, const std::string& word, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::string& folder, const std::vector<std::string>& names) {
    TCmdOpt c;
    c.Flag("AH", o.a > 0);
    c.Flag("I", o.a == 0);
    c.Flag("-display-dialog=0", !ctx_.progressWindow && o.n > 0);
    c.Flag("g", o.o > 0);
    c.Num("check-all-path=", o.p);
    c.Num("use-directory=", o.x);
    if (kind_ == 1) c.Fixed(o.jm <= 0 ? "-z" : "-z" + std::to_string(o.jm));
    if (kind_ == 2) c.Fixed(o.jm <= 0 ? "-B" : "-B" + std::to_string(o.jm));
    c.Fixed(o.UserOptions);
    c.Quoted("f", archive, true);
    c.Folder("o", folder, true);
    if (!c.Files(names, nullptr, o.ResFileName, useRes && !o.ResFileName.empty())) return kResWriteError;
    c.Fixed(o.UserFileList);
    return Run(wnd, word + c.Text());
  }
  int kind_;  // 0 tar, 1 compressed tar, 2 bzip2
};

// ---- RAR ---------------------------------------------------------------

class TRar32 : public TDllArchiver {
 public:
  explicit TRar32(TArchiverContext& ctx) : TDllArchiver(ctx, "UNRAR32.DLL", "Unrar", kLoadRar) {}
  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    TCmdOpt c;
    c.Flag("u", o.c <= 0);
    c.Flag("y", o.m > 0);
    c.Flag("s", o.p > 0);
    if (!Tail(c, o, useRes, archive, folder, names, nullptr)) return kResWriteError;
    return Run(wnd, (o.x == 0 ? "-e" : "-x") + c.Text());
  }
};

// ---- BGA ---------------------------------------------------------------

class TBGA32 : public TDllArchiver {
 public:
  explicit TBGA32(TArchiverContext& ctx) : TDllArchiver(ctx, "BGA32.DLL", "Bga", kLoadBga) {}
  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    return Command(wnd, "x", o, useRes, archive, folder, names);
  }
  int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
           const std::vector<std::string>& names, const std::string& base) override {
    return Command(wnd, "a", o, useRes, archive, base, names);
  }
  int RemoveItems(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
                  const std::vector<std::string>& names) override {
    return Command(wnd, "d", o, useRes, archive, "", names);
  }
  int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder) override {
    return Command(wnd, "s", o, false, archive, folder, {});
  }
  int ExtractToMemory(void*, const std::string&, const std::string&, std::string&) override {
    throw EArchiver(kMsgToMemory);
  }

 private:
  int Command(void* wnd, const std::string& word, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::string& folder, const std::vector<std::string>& names) {
    TCmdOpt c;
    c.Flag("a", o.a > 0);
    c.Fixed(o.c <= 0 ? "-n" : "-o");
    c.Flag("i", ctx_.progressWindow || o.n > 0);
    c.Flag("r", o.r > 0);
    c.Flag("j", o.x <= 0);
    c.Num("l", o.jm);
    if (!Tail(c, o, useRes, archive, folder, names, nullptr)) return kResWriteError;
    return Run(wnd, word + c.Text());
  }
};

std::string LowerExt(const std::string& name) {
  size_t slash = name.find_last_of("/\\");
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

}  // namespace

// ---- options and command lines -------------------------------------------

void TArchiverOptions::Reset() {
  a = c = e = f = h = i = l = m = n = o = p = r = s = t = u = -1;
  w.clear();
  x = y = z = jc = jd = je = jf = jh = ji = jm = jn = -1;
  jo.clear();
  job.clear();
  jp = jr = jss = jw = -1;
  jx.clear();
  jyc = jyd = jyk = jyn = jyo = -1;
  jz.clear();
  ga = gd = ge = gf = gj = gm = gn = go = gp = -1;
  gr.clear();
  gs = gu = gw = -1;
  UserOptions.clear();
  UserFileList.clear();
  PackFilter = pfComponent;
  ResFileName.clear();
  ResFileUsage = ruOnPack | ruOnUnpack | ruOnRemoveItem;
}

void TCmdOpt::Num(const std::string& name, int n) {
  if (n != -1) Fixed("-" + name + std::to_string(n));
}

void TCmdOpt::Flag(const std::string& name, bool on) {
  if (on) Fixed("-" + name);
}

void TCmdOpt::Quoted(const std::string& name, const std::string& value, bool tarStyle) {
  if (value.empty()) return;
  if (name.empty()) {
    Fixed("\"" + value + "\"");
    return;
  }
  std::string sw = name[0] == ' ' ? name.substr(1) : "-" + name;
  if (tarStyle) Fixed(sw + " \"" + value + "\"");
  else Fixed("\"" + sw + value + "\"");
}

void TCmdOpt::Folder(const std::string& name, const std::string& folder, bool tarStyle) {
  if (folder.empty()) return;
  // Paths here are UTF-8, where a 0x5C byte is always the character itself.
  std::string f = folder.back() == '\\' ? folder : folder + "\\";
  Quoted(name, f, tarStyle);
}

bool TCmdOpt::Files(const std::vector<std::string>& names, const std::function<std::string(const std::string&)>& filter,
                    const std::string& resFile, bool useResFile) {
  if (useResFile) {
    std::string body;
    for (const auto& n : names) body += "\"" + (filter ? filter(n) : n) + "\"\r\n";
    std::FILE* f = std::fopen(resFile.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(body.data(), 1, body.size(), f) == body.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok) return false;
    Quoted("", "@" + resFile);
    return true;
  }
  for (const auto& n : names) Quoted("", filter ? filter(n) : n);
  return true;
}

// ---- the base handler ------------------------------------------------------

void TArchiver::LoadDLL() { throw EArchiver("Abstract method 'TArchiver.LoadDLL' was called"); }
void TArchiver::FreeDLL() { throw EArchiver("Abstract method 'TArchiver.FreeDLL' was called"); }
int TArchiver::Extract(void*, const TArchiverOptions&, bool, const std::string&, const std::vector<std::string>&,
                       const std::string&) {
  // Every handler unpacks; the base has no library to ask.
  throw EArchiver("Abstract method 'TArchiver.Extract' was called");
}
int TArchiver::Pack(void*, const TArchiverOptions&, bool, const std::string&, const std::vector<std::string>&,
                    const std::string&) {
  throw EArchiver(kMsgPack);
}
int TArchiver::RemoveItems(void*, const TArchiverOptions&, bool, const std::string&, const std::vector<std::string>&) {
  throw EArchiver(kMsgRemove);
}
int TArchiver::Update(void*, const TArchiverOptions&, bool, const std::string&, const std::vector<std::string>&,
                      const std::string&) {
  throw EArchiver(kMsgUpdate);
}
int TArchiver::MakeSfx(void*, const TArchiverOptions&, const std::string&, const std::string&) {
  throw EArchiver(kMsgSfx);
}
int TArchiver::ExtractToMemory(void*, const std::string&, const std::string&, std::string&) {
  throw EArchiver(kMsgToMemory);
}
bool TArchiver::CheckArchive(const std::string&, int) { throw EArchiver(kMsgCheck); }

// ---- detection -------------------------------------------------------------

TArchiverType ArchiverTypeFromName(const std::string& fileName) {
  std::string ext = LowerExt(fileName);
  if (ext == ".lzh") return atLha;
  if (ext == ".cab") return atCab;
  if (ext == ".zip") return atZip;
  if (ext == ".arj") return atArj;
  if (ext == ".rar") return atRar;
  if (ext == ".gza" || ext == ".bza") return atBga;
  if (ext == ".bz2") return atBZ2;
  if (ext == ".tar") return atTar;
  if (ext == ".z" || ext == ".gz" || ext == ".tgz" || ext == ".taz") return atTgz;
  if (ext == ".exe") return atAutoDetect;
  return atNone;
}

namespace {
bool OpenProbe(const char* dll, const std::string& openName, const std::string& closeName, const std::string& path) {
  auto open = reinterpret_cast<OpenFn>(Lookup(dll, openName));
  auto close = reinterpret_cast<CloseFn>(Lookup(dll, closeName));
  if (!open || !close) return false;
  void* h = open(nullptr, path.c_str(), 0x800002);
  if (!h) return false;
  close(h);
  return true;
}
}  // namespace

TArchiverType ArchiverTypeFromContent(const std::string& path) {
  TArchiverType tarAnswer = atNone;
  if (auto tt = reinterpret_cast<TarTypeFn>(Lookup("tar32.dll", "TarGetArchiveType"))) {
    int t = tt(path.c_str());
    if (t == 1) tarAnswer = atTar;
    else if (t >= 2 && t <= 5) tarAnswer = atTgz;
    else if (t == 6 || t == 7) tarAnswer = atBZ2;
  }
  bool exists = IsRegularFile(path);
  // LHA first: its check must pass before the open.
  if (auto check = reinterpret_cast<CheckFn>(Lookup("UNLHA32.DLL", "UnlhaCheckArchive"))) {
    if (check(path.c_str(), 16) && OpenProbe("UNLHA32.DLL", "UnlhaOpenArchive", "UnlhaCloseArchive", path)) return atLha;
  }
  if (OpenProbe("CAB32.DLL", "CabOpenArchive", "CabCloseArchive", path)) return atCab;
  if (exists && OpenProbe("BGA32.DLL", "BgaOpenArchive", "BgaCloseArchive", path)) return atBga;
  if (exists) {
    for (const char* d : {"LMZIP32.DLL", "ZIP32J.DLL", "UNZIP32.DLL"}) {
      std::string o = std::strcmp(d, "LMZIP32.DLL") == 0 ? "UnzipOpenArchive" : "UnZipOpenArchive";
      std::string c = std::strcmp(d, "LMZIP32.DLL") == 0 ? "UnzipCloseArchive" : "UnZipCloseArchive";
      if (OpenProbe(d, o, c, path)) return atZip;
    }
  }
  if (OpenProbe("UNARJ32J.DLL", "UnarjOpenArchive", "UnarjCloseArchive", path)) return atArj;
  if (OpenProbe("UNRAR32.DLL", "UnrarOpenArchive", "UnrarCloseArchive", path)) return atRar;
  return tarAnswer;
}

std::unique_ptr<TArchiver> MakeArchiver(TArchiverType type, TArchiverContext& ctx) {
  switch (type) {
    case atLha: return std::make_unique<TLha32>(ctx);
    case atZip: return std::make_unique<TZip32>(ctx);
    case atCab: return std::make_unique<TCab32>(ctx);
    case atArj: return std::make_unique<TArj32>(ctx);
    case atTar: return std::make_unique<TTar32>(ctx, 0);
    case atTgz: return std::make_unique<TTar32>(ctx, 1);
    case atBZ2: return std::make_unique<TTar32>(ctx, 2);
    case atRar: return std::make_unique<TRar32>(ctx);
    case atBga: return std::make_unique<TBGA32>(ctx);
    default: return nullptr;
  }
}

// ---- the archive-file object -----------------------------------------------

TArchiveFile::TArchiveFile() = default;

TArchiveFile::~TArchiveFile() {
  try {
    Close();
  } catch (...) {
  }
}

void TArchiveFile::SetFileName(const std::string& name) {
  SetArchiverType(ArchiverTypeFromName(name));
  fileName_ = name;
}

void TArchiveFile::SetOutputSize(int size) {
  ctx_.output.assign(static_cast<size_t>(std::max(0, size)), 0);
}

void TArchiveFile::SetArchiverType(TArchiverType type) {
  if (type == atNone) return;
  if (type == atAutoDetect) {
    type_ = type;
    return;
  }
  if (type < atLha || type > atBga) throw EArchiver(kMsgBadType);
  handler_ = MakeArchiver(type, ctx_);
  type_ = type;
}

TArchiver& TArchiveFile::Resolve() {
  if (type_ == atAutoDetect) SetArchiverType(ArchiverTypeFromContent(fileName_));
  if (!handler_) throw EArchiver(kMsgUnknownFormat);
  return *handler_;
}

std::string TArchiveFile::OutputText() const {
  const auto& o = ctx_.output;
  auto end = std::find(o.begin(), o.end(), '\0');
  return std::string(o.begin(), end);
}

bool TArchiveFile::ReportProgress(int state, const TIndividualInfo* info) {
  if (!OnProgress) return true;
  bool abort = false;
  OnProgress(this, state, info, abort);
  return !abort;
}

template <typename F>
int TArchiveFile::WithProgress(F&& op) {
  if (!OnProgress) return op();
  TArchiver& h = *handler_;
  ctx_.progressWindow = true;
  h.SetOwnerWindow(this, reinterpret_cast<void*>(&ProgressThunk));
  int rc;
  try {
    rc = op();
  } catch (...) {
    ctx_.progressWindow = false;
    h.KillOwnerWindow(this);
    throw;
  }
  ctx_.progressWindow = false;
  h.KillOwnerWindow(this);
  return rc;
}

bool TArchiveFile::Check(int mode, int extra) {
  TArchiver& h = Resolve();
  return h.CheckArchive(fileName_, type_ == atZip ? mode : mode + extra);
}

bool TArchiveFile::Open(void* wnd, int mode) {
  TArchiver& h = Resolve();
  Close();
  handle_ = h.OpenArchive(wnd, fileName_, static_cast<uint32_t>(mode));
  return handle_ != nullptr;
}

int TArchiveFile::FindFirst(const std::string& wild, TIndividualInfo& info) {
  return Resolve().FindFirst(handle_, wild, info);
}

int TArchiveFile::FindNext(TIndividualInfo& info) { return Resolve().FindNext(handle_, info); }

void TArchiveFile::Close() {
  if (!handle_ || !handler_) {
    handle_ = nullptr;
    return;
  }
  void* h = handle_;
  handle_ = nullptr;
  handler_->CloseArchive(h);
}

int TArchiveFile::Extract(void* wnd, const TArchiverOptions* opts, const std::vector<std::string>& names,
                          const std::string& folder) {
  TArchiver& h = Resolve();
  const TArchiverOptions& o = opts ? *opts : options_;
  return WithProgress([&] { return h.Extract(wnd, o, (o.ResFileUsage & ruOnUnpack) != 0, fileName_, names, folder); });
}

int TArchiveFile::Pack(void* wnd, const TArchiverOptions* opts, const std::vector<std::string>& names,
                       const std::string& base) {
  TArchiver& h = Resolve();
  h.PrepareToPack();
  const TArchiverOptions& o = opts ? *opts : options_;
  if (o.PackFilter == pfArchiver)
    return WithProgress([&] { return h.Pack(wnd, o, (o.ResFileUsage & ruOnPack) != 0, fileName_, names, base); });
  TArchiverOptions work = o;
  work.ResFileUsage = TArchiverOptions().ResFileUsage;
  std::vector<std::string> list;
  int rc = ExpandPackNames(work, names, list, [this] { return !ReportProgress(0, nullptr); });
  if (rc != 0) return rc;
  if (list.empty()) {
    if (!ctx_.output.empty()) ctx_.output[0] = 0;
    return 0;
  }
  work.r = -1;
  work.jo.clear();
  work.job.clear();
  work.p = 1;
  work.jx.clear();
  return WithProgress([&] { return h.Pack(wnd, work, (work.ResFileUsage & ruOnPack) != 0, fileName_, list, base); });
}

int TArchiveFile::RemoveItems(void* wnd, const TArchiverOptions* opts, const std::vector<std::string>& names) {
  TArchiver& h = Resolve();
  const TArchiverOptions& o = opts ? *opts : options_;
  return WithProgress([&] { return h.RemoveItems(wnd, o, (o.ResFileUsage & ruOnRemoveItem) != 0, fileName_, names); });
}

int TArchiveFile::Update(void* wnd, const TArchiverOptions* opts, const std::vector<std::string>& names,
                         const std::string& base) {
  TArchiver& h = Resolve();
  const TArchiverOptions& o = opts ? *opts : options_;
  return WithProgress([&] { return h.Update(wnd, o, (o.ResFileUsage & ruOnUpdate) != 0, fileName_, names, base); });
}

// ---- name expansion ----------------------------------------------------------

bool ParseTimeLimit(const std::string& text, bool upper, std::time_t& limit) {
  std::string t = text;
  if (!t.empty() && (t[0] == 'l' || t[0] == 'L')) t.erase(0, 1);
  if (!std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; })) return false;
  int year, rest;
  if (t.size() == 6 || t.size() == 12) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    year = (tm.tm_year + 1900) / 100 * 100 + std::stoi(t.substr(0, 2));
    rest = 2;
  } else if (t.size() == 8 || t.size() == 14) {
    year = std::stoi(t.substr(0, 4));
    rest = 4;
  } else {
    return false;
  }
  std::string md = t.substr(rest, 4);
  std::string hms = t.size() > static_cast<size_t>(rest + 4) ? t.substr(rest + 4) : (upper ? "235959" : "000000");
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = std::stoi(md.substr(0, 2)) - 1;
  tm.tm_mday = std::stoi(md.substr(2, 2));
  tm.tm_hour = std::stoi(hms.substr(0, 2));
  tm.tm_min = std::stoi(hms.substr(2, 2));
  tm.tm_sec = std::stoi(hms.substr(4, 2));
  tm.tm_isdst = -1;
  limit = std::mktime(&tm);
  return limit != -1;
}

namespace {

struct ExpandCtx {
  const TArchiverOptions& o;
  bool hasLo, hasHi;
  std::time_t lo, hi;
  const std::function<bool()>& stop;
  bool stopped = false;
  bool literal = false;  // the mask names a file that exists as given
  // Names to pack match case-sensitively with "*" and "?" only; exclusions
  // keep the archivers' looser masks (they can only leave files out).
  bool diskMasks = true;
};

bool Hidden(const std::string& path, const std::string& name) {
  if (!name.empty() && name[0] == '.') return true;
  bool ok = false;
  uint32_t attrs = ReadAttributes(path, ok);
  return ok && (attrs & (faHidden | faSysFile));
}

void SearchFolder(ExpandCtx& cx, const std::string& dir, const std::string& shownDir, const std::string& mask,
                  bool recurse, std::vector<std::string>& out) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return;
  std::vector<std::string> names;
  while (dirent* de = ::readdir(d)) names.push_back(de->d_name);
  ::closedir(d);
  std::sort(names.begin(), names.end());
  std::vector<std::string> subdirs;
  for (const std::string& n : names) {
    if (cx.stopped) return;
    if (n == "." || n == "..") continue;
    std::string full = dir.empty() ? n : (dir.back() == '/' ? dir + n : dir + "/" + n);
    struct stat st;
    // Links are not followed: the library stores or skips them.
    if (::lstat(full.c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      if (recurse && (cx.o.a > 0 || !Hidden(full, n))) subdirs.push_back(n);
      continue;
    }
    if (cx.literal ? n != mask : cx.diskMasks ? !arc::DiskWildMatch(mask, n) : !arc::WildMatch(mask, n)) continue;
    if (cx.o.a <= 0 && Hidden(full, n)) continue;
    if (cx.hasLo && st.st_mtime < cx.lo) continue;
    if (cx.hasHi && st.st_mtime > cx.hi) continue;
    if (cx.stop && cx.stop()) {
      cx.stopped = true;
      return;
    }
    out.push_back(shownDir.empty() ? n : shownDir + "\\" + n);
  }
  for (const std::string& s : subdirs) {
    std::string full = dir.empty() ? s : (dir.back() == '/' ? dir + s : dir + "/" + s);
    SearchFolder(cx, full, shownDir.empty() ? s : shownDir + "\\" + s, mask, recurse, out);
  }
}

void ExpandOne(ExpandCtx& cx, const std::string& name, std::vector<std::string>& out) {
  std::string folder, mask;
  std::string diskName = name;
  // "\" separates, unless the name exists as given: then it is a
  // character of that name.
  struct stat given;
  const bool asGiven = name.find('\\') != std::string::npos && ::lstat(name.c_str(), &given) == 0;
  if (!asGiven)
    for (char& ch : diskName)
      if (ch == '\\') ch = '/';
  cx.literal = false;
  if (cx.o.r > 1 && IsDirectory(diskName)) {
    folder = name;
    while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    mask = "*.*";
  } else {
    size_t sep = name.find_last_of(asGiven ? "/" : "/\\");
    folder = sep == std::string::npos ? "" : name.substr(0, sep);
    mask = sep == std::string::npos ? name : name.substr(sep + 1);
    if (sep == 0) folder = name.substr(0, 1);
    struct stat st;
    cx.literal = cx.diskMasks && ::lstat(diskName.c_str(), &st) == 0;
  }
  std::string dir = folder;
  if (!asGiven)
    for (char& ch : dir)
      if (ch == '\\') ch = '/';
  bool wild = !cx.literal && mask.find_first_of("*?") != std::string::npos;
  bool recurse = cx.o.r > 0 && (cx.o.p <= 0 || wild);
  if (folder == "/" || folder == "\\") {
    // The root keeps its one separator.
    std::vector<std::string> tmp;
    SearchFolder(cx, "/", "", mask, recurse, tmp);
    for (auto& t : tmp) out.push_back("/" + t);
    return;
  }
  SearchFolder(cx, dir, folder, mask, recurse, out);
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

int ExpandPackNames(const TArchiverOptions& o, const std::vector<std::string>& names, std::vector<std::string>& out,
                    const std::function<bool()>& stop) {
  ExpandCtx cx{o, false, false, 0, 0, stop};
  cx.hasLo = ParseTimeLimit(o.jo, false, cx.lo);
  cx.hasHi = ParseTimeLimit(o.job, true, cx.hi);
  std::vector<std::string> excluded;
  {
    ExpandCtx ex{o, false, false, 0, 0, std::function<bool()>()};
    ex.diskMasks = false;
    for (const auto& x : o.jx) ExpandOne(ex, x, excluded);
  }
  std::vector<std::string> lowerEx;
  for (const auto& e : excluded) lowerEx.push_back(Lower(e));
  std::sort(lowerEx.begin(), lowerEx.end());
  std::vector<std::string> found;
  for (const auto& n : names) {
    ExpandOne(cx, n, found);
    if (cx.stopped) return 0x8020;
  }
  out.clear();
  for (auto& f : found)
    if (!std::binary_search(lowerEx.begin(), lowerEx.end(), Lower(f))) out.push_back(f);
  std::sort(out.begin(), out.end());
  out.erase(std::unique(out.begin(), out.end()), out.end());
  return 0;
}

}  // namespace navirt

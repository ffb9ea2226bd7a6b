#include "archive/HandlerBase.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/DynLib.h"
#include "platform/Messages.h"

namespace navirt::arcimpl {

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

// ---- libraries, loaded once and kept ---------------------------------

namespace {
struct LibSlot {
  TDynamicLibrary lib;
  bool tried = false;
  std::map<std::string, void*> entries;
  bool langLooked = false;
  int (*langJa)() = nullptr;  // PrefixSetLangueJapanese / English, when there
  int (*langEn)() = nullptr;
};

std::mutex g_libMutex;

LibSlot& Slot(const std::string& winName) {
  static std::map<std::string, std::unique_ptr<LibSlot>> slots;
  auto& s = slots[winName];
  if (!s) s = std::make_unique<LibSlot>();
  return *s;
}

// The library reports in the caller's language, asked before every use: the
// setting is the library's own and another caller may have changed it.
void TellLanguage(LibSlot& s) {
  if (!s.langLooked) {
    s.langLooked = true;
    // One library may answer under several prefixes; they share one setting.
    for (const char* prefix : {"Unlha", "UnZip", "Unzip", "Zip", "Cab", "Unarj", "Tar", "Unrar", "Bga"}) {
      void* ja = s.lib.Symbol((std::string(prefix) + "SetLangueJapanese").c_str());
      void* en = s.lib.Symbol((std::string(prefix) + "SetLangueEnglish").c_str());
      if (ja && en) {
        s.langJa = reinterpret_cast<int (*)()>(ja);
        s.langEn = reinterpret_cast<int (*)()>(en);
        break;
      }
    }
  }
  if (auto set = MessageLanguage() == MsgLang::Japanese ? s.langJa : s.langEn) set();
}
}  // namespace

bool EnsureLoaded(const std::string& winName) {
  std::lock_guard<std::mutex> lock(g_libMutex);
  LibSlot& s = Slot(winName);
  if (!s.tried) {
    s.tried = true;
    s.lib.Load(winName);
  }
  if (s.lib.Loaded()) TellLanguage(s);
  return s.lib.Loaded();
}

void Unload(const std::string& winName) {
  std::lock_guard<std::mutex> lock(g_libMutex);
  LibSlot& s = Slot(winName);
  s.lib.Unload();
  s.entries.clear();
  s.tried = false;
  s.langLooked = false;
  s.langJa = s.langEn = nullptr;
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

// ---- command words ---------------------------------------------------

namespace {
// ARJ writes through the LHA library, so it sends LHA's words there.
constexpr TCommandWords kWords[] = {
    {TWordSet::Lha, "x", nullptr, "u", "d", "f", "s"},
    {TWordSet::Zip32j, "-x", nullptr, "", "-d", "-f", "-A"},
    {TWordSet::Lmzip32, "-x", nullptr, "-ru", "-d", "-f", "-A"},
    {TWordSet::Cab, "-x", nullptr, "-a", nullptr, nullptr, "-f"},
    {TWordSet::Arj, "x", nullptr, "u", "d", "f", "s"},
    {TWordSet::Tar, "x", nullptr, "c", nullptr, nullptr, "s"},
    {TWordSet::Rar, "-x", "-e", nullptr, nullptr, nullptr, nullptr},
    {TWordSet::Bga, "x", nullptr, "a", "d", nullptr, "s"},
};
}  // namespace

const TCommandWords& Words(TWordSet set) {
  for (const auto& w : kWords)
    if (w.set == set) return w;
  return kWords[0];
}

// ---- running a command ---------------------------------------------------

int TLibArchiver::RunWith(MainFn fn, void* wnd, const std::string& cmd) {
  ctx_.commandLine = cmd;
  if (!ctx_.output.empty()) ctx_.output[0] = 0;
  return fn(wnd, cmd.c_str(), ctx_.output.empty() ? nullptr : ctx_.output.data(),
            static_cast<uint32_t>(ctx_.output.size()));
}

int TLibArchiver::MemCall(ExtractMemFn fn, void* wnd, const std::string& archive, const std::string& name,
                          std::string& data) {
  std::string cmd = "\"" + archive + "\" \"" + name + "\"";
  if (data.empty()) data.resize(4u << 20);
  uint32_t written = 0;
  std::time_t t = 0;
  uint16_t attr = 0;
  int rc = fn(wnd, cmd.c_str(), reinterpret_cast<unsigned char*>(data.data()), static_cast<uint32_t>(data.size()), &t,
              &attr, &written);
  data.resize(rc == 0 ? written : 0);
  return rc;
}

bool TLibArchiver::Tail(TCmdOpt& c, const TArchiverOptions& o, bool useRes, const std::string& archive,
                        const std::string& folder, const std::vector<std::string>& names,
                        const std::function<std::string(const std::string&)>& filter) {
  c.Fixed(o.UserOptions);
  c.Quoted("replace-only=", o.ReplaceList);
  c.Quoted("", archive);
  c.Folder("", folder);
  if (!c.Files(names, filter, o.ResFileName, useRes && !o.ResFileName.empty())) return false;
  c.Fixed(o.UserFileList);
  return true;
}

// ---- a handler bound to one library ----------------------------------

void TDllArchiver::LoadDLL() {
  if (!EnsureLoaded(dll_)) throw EArchiver(loadMsg_);
}

void TDllArchiver::FreeDLL() {
  found_.clear();
  Unload(dll_);
}

void* TDllArchiver::EntryPoint(const char* suffix) {
  for (const auto& [s, p] : found_)
    if (s == suffix) return p;
  LoadDLL();
  std::string name = std::string(prefix_) + suffix;
  void* p = Lookup(dll_, name);
  if (!p) throw EArchiver(LoadedPath(dll_) + " に " + name + kEntryMissing);
  found_.emplace_back(suffix, p);
  return p;
}

void* TDllArchiver::OpenArchive(void* wnd, const std::string& name, uint32_t mode) {
  return Entry<OpenFn>("OpenArchive")(wnd, name.c_str(), mode);
}
int TDllArchiver::FindFirst(void* h, const std::string& wild, TIndividualInfo& info) {
  return Entry<FindFirstFn>("FindFirst")(h, wild.c_str(), &info);
}
int TDllArchiver::FindNext(void* h, TIndividualInfo& info) { return Entry<FindNextFn>("FindNext")(h, &info); }
int TDllArchiver::CloseArchive(void* h) { return Entry<CloseFn>("CloseArchive")(h); }
bool TDllArchiver::CheckArchive(const std::string& name, int mode) {
  return Entry<CheckFn>("CheckArchive")(name.c_str(), mode) != 0;
}
void TDllArchiver::SetOwnerWindow(void* wnd, void* callback) {
  TArchiver::SetOwnerWindow(wnd, callback);
  Entry<SetOwnerFn>("SetOwnerWindowEx")(wnd, reinterpret_cast<ProgressFn>(callback));
}
void TDllArchiver::KillOwnerWindow(void* wnd) {
  TArchiver::KillOwnerWindow(wnd);
  Entry<KillOwnerFn>("KillOwnerWindowEx")(wnd);
}
int TDllArchiver::ExtractToMemory(void* wnd, const std::string& archive, const std::string& name, std::string& data) {
  return MemCall(Entry<ExtractMemFn>("ExtractMem"), wnd, archive, name, data);
}

std::string LowerExt(const std::string& name) {
  size_t slash = name.find_last_of("/\\");
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

}  // namespace navirt::arcimpl

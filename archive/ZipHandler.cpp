// TZip32: ZIP through three libraries. UNZIP32 unpacks, ZIP32J packs and
// also answers the listing calls, LMZIP32 stands in for both under the
// prefixes "Zip" and "Unzip".
#include <unistd.h>

#include <cstring>

#include "archive/HandlerBase.h"

namespace navirt::arcimpl {
namespace {

constexpr const char* kUnzip32 = "UNZIP32.DLL";
constexpr const char* kZip32j = "ZIP32J.DLL";
constexpr const char* kLmzip32 = "LMZIP32.DLL";

std::string ZipNameFilter(const std::string& name) {
  std::string out;
  for (char c : name) {
    if (c == '[')
      out += "[[]";
    else
      out += c;
  }
  return out;
}

class TZip32 : public TLibArchiver {
 public:
  explicit TZip32(TArchiverContext& ctx) : TLibArchiver(ctx) {}

  void LoadDLL() override {
    bool any = false;
    for (const char* d : {kUnzip32, kZip32j, kLmzip32}) any = EnsureLoaded(d) || any;
    if (!any) throw EArchiver(kLoadZipAny);
  }
  void FreeDLL() override {
    for (const char* d : {kUnzip32, kZip32j, kLmzip32}) Unload(d);
  }
  void* OpenArchive(void* wnd, const std::string& name, uint32_t mode) override {
    return Find<OpenFn>("UnZipOpenArchive", {kLmzip32, kZip32j, kUnzip32})(wnd, name.c_str(), mode);
  }
  int FindFirst(void* h, const std::string& wild, TIndividualInfo& info) override {
    return Find<FindFirstFn>("UnZipFindFirst", {kLmzip32, kZip32j, kUnzip32})(h, wild.c_str(), &info);
  }
  int FindNext(void* h, TIndividualInfo& info) override {
    return Find<FindNextFn>("UnZipFindNext", {kLmzip32, kZip32j, kUnzip32})(h, &info);
  }
  int CloseArchive(void* h) override { return Find<CloseFn>("UnZipCloseArchive", {kLmzip32, kZip32j, kUnzip32})(h); }
  bool CheckArchive(const std::string& name, int mode) override {
    return Find<CheckFn>("UnZipCheckArchive", {kUnzip32, kLmzip32, kZip32j})(name.c_str(), mode) != 0;
  }
  int ExtractToMemory(void* wnd, const std::string& archive, const std::string& name, std::string& data) override {
    return MemCall(Find<ExtractMemFn>("UnZipExtractMem", {kUnzip32, kLmzip32, kZip32j}), wnd, archive, name, data);
  }
  void SetOwnerWindow(void* wnd, void* callback) override {
    TArchiver::SetOwnerWindow(wnd, callback);
    Find<SetOwnerFn>("UnZipSetOwnerWindowEx", {kUnzip32})(wnd, reinterpret_cast<ProgressFn>(callback));
  }
  void KillOwnerWindow(void* wnd) override {
    TArchiver::KillOwnerWindow(wnd);
    Find<KillOwnerFn>("UnZipKillOwnerWindowEx", {kUnzip32})(wnd);
  }

  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    bool un = EnsureLoaded(kUnzip32), lm = EnsureLoaded(kLmzip32);
    if (!un && !lm) throw EArchiver(kLoadZipExtract);
    auto fn = Find<MainFn>("UnZip", {kUnzip32, kLmzip32});
    TCmdOpt c;
    c.Flag("o", o.c == 1);
    c.Flag("-i", ctx_.progressWindow || o.n > 0);
    c.Flag("j", o.x == 0);
    if (!Tail(c, o, useRes, archive, folder, names, ZipNameFilter)) return kResWriteError;
    return RunWith(fn, wnd, Words(TWordSet::Zip32j).extract + c.Text());
  }

  void PrepareToPack() override {
    for (const char* d : {kUnzip32, kZip32j, kLmzip32}) EnsureLoaded(d);
    if (!EnsureLoaded(kZip32j) && !EnsureLoaded(kLmzip32)) throw EArchiver(kLoadZipCreate);
  }

  int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
           const std::vector<std::string>& names, const std::string& base) override {
    if (EnsureLoaded(kZip32j)) {
      auto fn = Find<MainFn>("Zip", {kZip32j});
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
      c.Flag("-sjis-names", o.SjisNames);
      if (!Tail(c, o, useRes, archive, base, names, ZipNameFilter)) return kResWriteError;
      return RunWith(fn, wnd, Words(TWordSet::Zip32j).pack + c.Text());
    }
    if (!EnsureLoaded(kLmzip32)) throw EArchiver(kLoadZipCreate);
    auto fn = Find<MainFn>("Zip", {kLmzip32});
    TCmdOpt c;
    c.Flag("o", o.c == 1);
    c.Flag("j", o.x == 0);
    if (!Tail(c, o, useRes, archive, base, names, nullptr)) return kResWriteError;
    // This library adds to an archive it finds: start from none.
    ::unlink(archive.c_str());
    return RunWith(fn, wnd, Words(TWordSet::Lmzip32).pack + c.Text());
  }
  int RemoveItems(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
                  const std::vector<std::string>& names) override {
    return Simple(wnd, Words(TWordSet::Zip32j).remove, o, useRes, archive, "", names);
  }
  int Update(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
             const std::vector<std::string>& names, const std::string& base) override {
    return Simple(wnd, Words(TWordSet::Zip32j).update, o, useRes, archive, base, names);
  }
  int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder) override {
    auto fn = Find<MainFn>("Zip", {kZip32j, kLmzip32});
    std::string exe = archive;
    size_t dot = exe.rfind('.');
    if (dot != std::string::npos && exe.find('/', dot) == std::string::npos) exe.resize(dot);
    return RunWith(fn, wnd, std::string(Words(TWordSet::Zip32j).sfx) + " " + exe + ".exe");
  }

 private:
  int Simple(void* wnd, const std::string& word, const TArchiverOptions& o, bool useRes, const std::string& archive,
             const std::string& folder, const std::vector<std::string>& names) {
    auto fn = Find<MainFn>("Zip", {kZip32j, kLmzip32});
    TCmdOpt c;
    if (!Tail(c, o, useRes, archive, folder, names, ZipNameFilter)) return kResWriteError;
    return RunWith(fn, wnd, word + c.Text());
  }

  // The first library in order that has the entry; LMZIP32 spells the
  // prefix "Unzip".
  template <typename Fn>
  Fn Find(const std::string& name, std::initializer_list<const char*> order) {
    LoadDLL();
    for (const char* d : order) {
      std::string n = name;
      if (std::strcmp(d, kLmzip32) == 0 && n.size() > 2 && n[2] == 'Z') n[2] = 'z';
      if (void* p = Lookup(d, n)) return reinterpret_cast<Fn>(p);
    }
    throw EArchiver(name + kEntryMissing);
  }
};

}  // namespace

std::unique_ptr<TArchiver> MakeZip32(TArchiverContext& ctx) { return std::make_unique<TZip32>(ctx); }

}  // namespace navirt::arcimpl

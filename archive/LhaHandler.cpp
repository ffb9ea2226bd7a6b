// The LHA family: TLha32 over UNLHA32, and TArj32, which lists and unpacks
// through UNARJ32J and refuses to write.
#include "archive/HandlerBase.h"

namespace navirt::arcimpl {
namespace {

// The LHA switch set, in the order it is sent.
struct LhaSwitch {
  const char* name;
  int8_t TArchiverOptions::*num;
  std::string TArchiverOptions::*text;  // quoted value
  bool folder;                          // text is a folder
};
constexpr LhaSwitch kLhaSwitches[] = {
    {"a", &TArchiverOptions::a, nullptr, false},     {"c", &TArchiverOptions::c, nullptr, false},
    {"e", &TArchiverOptions::e, nullptr, false},     {"f", &TArchiverOptions::f, nullptr, false},
    {"h", &TArchiverOptions::h, nullptr, false},     {"i", &TArchiverOptions::i, nullptr, false},
    {"l", &TArchiverOptions::l, nullptr, false},     {"m", &TArchiverOptions::m, nullptr, false},
    {"n", &TArchiverOptions::n, nullptr, false},     {"o", &TArchiverOptions::o, nullptr, false},
    {"p", &TArchiverOptions::p, nullptr, false},     {"r", &TArchiverOptions::r, nullptr, false},
    {"s", &TArchiverOptions::s, nullptr, false},     {"t", &TArchiverOptions::t, nullptr, false},
    {"u", &TArchiverOptions::u, nullptr, false},     {"w", nullptr, &TArchiverOptions::w, true},
    {"x", &TArchiverOptions::x, nullptr, false},     {"y", &TArchiverOptions::y, nullptr, false},
    {"z", &TArchiverOptions::z, nullptr, false},     {"jc", &TArchiverOptions::jc, nullptr, false},
    {"jd", &TArchiverOptions::jd, nullptr, false},   {"je", &TArchiverOptions::je, nullptr, false},
    {"jf", &TArchiverOptions::jf, nullptr, false},   {"jh", &TArchiverOptions::jh, nullptr, false},
    {"ji", &TArchiverOptions::ji, nullptr, false},   {"jm", &TArchiverOptions::jm, nullptr, false},
    {"jn", &TArchiverOptions::jn, nullptr, false},   {"jo", nullptr, &TArchiverOptions::jo, false},
    {"job", nullptr, &TArchiverOptions::job, false}, {"jp", &TArchiverOptions::jp, nullptr, false},
    {"jr", &TArchiverOptions::jr, nullptr, false},   {"jss", &TArchiverOptions::jss, nullptr, false},
    {"jw", &TArchiverOptions::jw, nullptr, false},   {"jx", nullptr, nullptr, false},
    {"jyc", &TArchiverOptions::jyc, nullptr, false}, {"jyd", &TArchiverOptions::jyd, nullptr, false},
    {"jyk", &TArchiverOptions::jyk, nullptr, false}, {"jyn", &TArchiverOptions::jyn, nullptr, false},
    {"jyo", &TArchiverOptions::jyo, nullptr, false}, {"jz", nullptr, &TArchiverOptions::jz, false},
    {"ga", &TArchiverOptions::ga, nullptr, false},   {"gd", &TArchiverOptions::gd, nullptr, false},
    {"ge", &TArchiverOptions::ge, nullptr, false},   {"gf", &TArchiverOptions::gf, nullptr, false},
    {"gj", &TArchiverOptions::gj, nullptr, false},   {"gm", &TArchiverOptions::gm, nullptr, false},
    {"gn", &TArchiverOptions::gn, nullptr, false},   {"go", &TArchiverOptions::go, nullptr, false},
    {"gp", &TArchiverOptions::gp, nullptr, false},   {"gr", nullptr, &TArchiverOptions::gr, false},
    {"gs", &TArchiverOptions::gs, nullptr, false},   {"gu", &TArchiverOptions::gu, nullptr, false},
    {"gw", &TArchiverOptions::gw, nullptr, false},
};

void LhaSwitches(TCmdOpt& c, const TArchiverOptions& o, bool progress) {
  c.Fixed("-+");
  for (const LhaSwitch& s : kLhaSwitches) {
    std::string name = s.name;
    if (s.num) {
      // A progress window of ours replaces the library's own.
      c.Num(name, progress && name == "n" ? 1 : o.*s.num);
    } else if (s.folder) {
      c.Folder(name, o.*s.text);
    } else if (s.text) {
      c.Quoted(name, o.*s.text);
    } else {
      for (const auto& x : o.jx) c.Quoted(name, x);
    }
  }
}

class TLha32 : public TDllArchiver {
 public:
  explicit TLha32(TArchiverContext& ctx, TWordSet set = TWordSet::Lha, const char* dll = "UNLHA32.DLL",
                  const char* prefix = "Unlha", const char* msg = kLoadLha)
      : TDllArchiver(ctx, dll, prefix, msg), words_(Words(set)) {}

  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    return Command(wnd, words_.extract, o, useRes, archive, folder, names);
  }
  int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
           const std::vector<std::string>& names, const std::string& base) override {
    return LhaCommand(wnd, words_.pack, o, useRes, archive, base, names);
  }
  int RemoveItems(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
                  const std::vector<std::string>& names) override {
    return LhaCommand(wnd, words_.remove, o, useRes, archive, "", names);
  }
  int Update(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
             const std::vector<std::string>& names, const std::string& base) override {
    return LhaCommand(wnd, words_.update, o, useRes, archive, base, names);
  }
  int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder) override {
    return LhaCommand(wnd, words_.sfx, o, false, archive, folder, {});
  }
  void PrepareToPack() override { TArchiver::PrepareToPack(); }
  int ExtractToMemory(void* wnd, const std::string& archive, const std::string& name, std::string& data) override {
    if (!EnsureLoaded("UNLHA32.DLL")) throw EArchiver(kLoadLha);
    void* p = Lookup("UNLHA32.DLL", "UnlhaExtractMem");
    if (!p) throw EArchiver(LoadedPath("UNLHA32.DLL") + " に UnlhaExtractMem" + kEntryMissing);
    return MemCall(reinterpret_cast<ExtractMemFn>(p), wnd, archive, name, data);
  }

 protected:
  // Runs word with the LHA switch set in this handler's own library.
  int Command(void* wnd, const std::string& word, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::string& folder, const std::vector<std::string>& names) {
    TCmdOpt c;
    LhaSwitches(c, o, ctx_.progressWindow);
    if (!Tail(c, o, useRes, archive, folder, names, nullptr)) return kResWriteError;
    return Run(nullptr, word + c.Text());
  }
  // The same through UNLHA32 itself (ARJ's writing goes there too).
  int LhaCommand(void* wnd, const std::string& word, const TArchiverOptions& o, bool useRes, const std::string& archive,
                 const std::string& folder, const std::vector<std::string>& names) {
    if (!EnsureLoaded("UNLHA32.DLL")) throw EArchiver(kLoadLha);
    void* p = Lookup("UNLHA32.DLL", "Unlha");
    if (!p) throw EArchiver(LoadedPath("UNLHA32.DLL") + " に Unlha" + kEntryMissing);
    TCmdOpt c;
    LhaSwitches(c, o, ctx_.progressWindow);
    if (!Tail(c, o, useRes, archive, folder, names, nullptr)) return kResWriteError;
    return RunWith(reinterpret_cast<MainFn>(p), wnd, word + c.Text());
  }

  const TCommandWords& words_;
};

class TArj32 : public TLha32 {
 public:
  explicit TArj32(TArchiverContext& ctx) : TLha32(ctx, TWordSet::Arj, "UNARJ32J.DLL", "Unarj", kLoadArj) {}
  // No library here writes ARJ: the LHA library would put an LZH archive
  // under the ".arj" name.
  void PrepareToPack() override { throw EArchiver(kMsgPack); }
  int Pack(void*, const TArchiverOptions&, bool, const std::string&, const std::vector<std::string>&,
           const std::string&) override {
    throw EArchiver(kMsgPack);
  }
};

}  // namespace

std::unique_ptr<TArchiver> MakeLha32(TArchiverContext& ctx) { return std::make_unique<TLha32>(ctx); }
std::unique_ptr<TArchiver> MakeArj32(TArchiverContext& ctx) { return std::make_unique<TArj32>(ctx); }

}  // namespace navirt::arcimpl

// TBGA32: the GZA and BZA formats through BGA32.
#include "archive/HandlerBase.h"

namespace navirt::arcimpl {
namespace {

class TBGA32 : public TDllArchiver {
 public:
  explicit TBGA32(TArchiverContext& ctx) : TDllArchiver(ctx, "BGA32.DLL", "Bga", kLoadBga) {}
  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    return Command(wnd, words_.extract, o, useRes, archive, folder, names);
  }
  int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
           const std::vector<std::string>& names, const std::string& base) override {
    return Command(wnd, words_.pack, o, useRes, archive, base, names);
  }
  int RemoveItems(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
                  const std::vector<std::string>& names) override {
    return Command(wnd, words_.remove, o, useRes, archive, "", names);
  }
  int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder) override {
    return Command(wnd, words_.sfx, o, false, archive, folder, {});
  }
  int ExtractToMemory(void*, const std::string&, const std::string&, std::string&) override {
    throw EArchiver(kMsgToMemory);
  }

 private:
  const TCommandWords& words_ = Words(TWordSet::Bga);

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

}  // namespace

std::unique_ptr<TArchiver> MakeBga32(TArchiverContext& ctx) { return std::make_unique<TBGA32>(ctx); }

}  // namespace navirt::arcimpl

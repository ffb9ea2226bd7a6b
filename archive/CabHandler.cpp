// TCab32: CAB through CAB32.
#include "archive/HandlerBase.h"

namespace navirt::arcimpl {
namespace {

class TCab32 : public TDllArchiver {
 public:
  explicit TCab32(TArchiverContext& ctx) : TDllArchiver(ctx, "CAB32.DLL", "Cab", kLoadCab) {}
  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    return Command(wnd, words_.extract, o, useRes, archive, folder, names);
  }
  int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
           const std::vector<std::string>& names, const std::string& base) override {
    return Command(wnd, words_.pack, o, useRes, archive, base, names);
  }
  int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder) override {
    return Command(wnd, words_.sfx, o, false, archive, folder, {});
  }

 private:
  const TCommandWords& words_ = Words(TWordSet::Cab);

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

}  // namespace

std::unique_ptr<TArchiver> MakeCab32(TArchiverContext& ctx) { return std::make_unique<TCab32>(ctx); }

}  // namespace navirt::arcimpl

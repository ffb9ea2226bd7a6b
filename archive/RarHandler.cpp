// TRar32: RAR through UNRAR32, which only lists and unpacks.
#include "archive/HandlerBase.h"

namespace navirt::arcimpl {
namespace {

class TRar32 : public TDllArchiver {
 public:
  explicit TRar32(TArchiverContext& ctx) : TDllArchiver(ctx, "UNRAR32.DLL", "Unrar", kLoadRar) {}
  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    const TCommandWords& w = Words(TWordSet::Rar);
    TCmdOpt c;
    c.Flag("u", o.c <= 0);
    c.Flag("y", o.m > 0);
    c.Flag("s", o.p > 0);
    if (!Tail(c, o, useRes, archive, folder, names, nullptr)) return kResWriteError;
    return Run(wnd, (o.x == 0 ? w.extractFlat : w.extract) + c.Text());
  }
};

}  // namespace

std::unique_ptr<TArchiver> MakeRar32(TArchiverContext& ctx) { return std::make_unique<TRar32>(ctx); }

}  // namespace navirt::arcimpl

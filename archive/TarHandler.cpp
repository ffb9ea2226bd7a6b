// The tar family through tar32: TTar32 for tar, compressed tar and bzip2.
#include "archive/HandlerBase.h"

namespace navirt::arcimpl {
namespace {

class TTar32 : public TDllArchiver {
 public:
  TTar32(TArchiverContext& ctx, int kind) : TDllArchiver(ctx, "tar32.dll", "Tar", kLoadTar), kind_(kind) {}
  int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
              const std::vector<std::string>& names, const std::string& folder) override {
    return Command(wnd, words_.extract, o, useRes, archive, folder, names);
  }
  int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
           const std::vector<std::string>& names, const std::string& base) override {
    return Command(wnd, words_.pack, o, useRes, archive, base, names);
  }
  int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder) override {
    // No self-extracting bzip2.
    if (kind_ == 2) return TArchiver::MakeSfx(wnd, o, archive, folder);
    return Command(wnd, words_.sfx, o, false, archive, folder, {});
  }

 private:
  const TCommandWords& words_ = Words(TWordSet::Tar);

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
    c.Quoted("replace-only=", o.ReplaceList);
    c.Quoted("f", archive, true);
    c.Folder("o", folder, true);
    if (!c.Files(names, nullptr, o.ResFileName, useRes && !o.ResFileName.empty())) return kResWriteError;
    c.Fixed(o.UserFileList);
    return Run(wnd, word + c.Text());
  }
  int kind_;  // 0 tar, 1 compressed tar, 2 bzip2
};

}  // namespace

std::unique_ptr<TArchiver> MakeTar32(TArchiverContext& ctx, int kind) { return std::make_unique<TTar32>(ctx, kind); }

}  // namespace navirt::arcimpl

// The archive-file object: the format from the name or the content, the
// handler it makes, and each operation with its progress hook.
#include <algorithm>
#include <cstring>

#include "archive/HandlerBase.h"
#include "platform/FileInfo.h"

namespace navirt {

using namespace arcimpl;

const char* const kMsgUnknownFormat = "書庫の形式を判別できません。";
const char* const kMsgBadType = "書庫の形式を特定できませんでした。";

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
    if (t == 1)
      tarAnswer = atTar;
    else if (t >= 2 && t <= 5)
      tarAnswer = atTgz;
    else if (t == 6 || t == 7)
      tarAnswer = atBZ2;
  }
  bool exists = IsRegularFile(path);
  // LHA first: its check must pass before the open.
  if (auto check = reinterpret_cast<CheckFn>(Lookup("UNLHA32.DLL", "UnlhaCheckArchive"))) {
    if (check(path.c_str(), 16) && OpenProbe("UNLHA32.DLL", "UnlhaOpenArchive", "UnlhaCloseArchive", path))
      return atLha;
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
    case atLha:
      return MakeLha32(ctx);
    case atZip:
      return MakeZip32(ctx);
    case atCab:
      return MakeCab32(ctx);
    case atArj:
      return MakeArj32(ctx);
    case atTar:
      return MakeTar32(ctx, 0);
    case atTgz:
      return MakeTar32(ctx, 1);
    case atBZ2:
      return MakeTar32(ctx, 2);
    case atRar:
      return MakeRar32(ctx);
    case atBga:
      return MakeBga32(ctx);
    default:
      return nullptr;
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

void TArchiveFile::SetOutputSize(int size) { ctx_.output.assign(static_cast<size_t>(std::max(0, size)), 0); }

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
  skipped_.clear();
  const TArchiverOptions& o = opts ? *opts : options_;
  if (o.PackFilter == pfArchiver)
    return WithProgress([&] { return h.Pack(wnd, o, (o.ResFileUsage & ruOnPack) != 0, fileName_, names, base); });
  TArchiverOptions work = o;
  work.ResFileUsage = TArchiverOptions().ResFileUsage;
  std::vector<std::string> list;
  // Zip and tar keep empty folders; LHA, CAB and the others leave them out.
  const bool folders = type_ == atZip || type_ == atTar || type_ == atTgz || type_ == atBZ2;
  int rc = ExpandPackNames(
      work, names, list, [this] { return !ReportProgress(0, nullptr); }, &skipped_, folders);
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

}  // namespace navirt

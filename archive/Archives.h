#pragma once
// The archive-file object and its format handlers. Each handler turns an
// operation into a command line for its archiver library, which is loaded
// at run time (next to the program, then the library path) on first need.
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/ArcJob.h"
#include "archive/libs/ArcCommon.h"

namespace navirt {

using TIndividualInfo = arc::IndividualInfo;

enum TArchiverType { atLha, atZip, atCab, atArj, atTar, atTgz, atBZ2, atRar, atBga, atYz1, atNone, atAutoDetect };
enum TPackFilter { pfArchiver, pfComponent };
enum TResFileUsageItem : unsigned { ruOnPack = 1, ruOnUnpack = 2, ruOnRemoveItem = 4, ruOnUpdate = 8 };
using TResFileUsage = unsigned;

class EArchiver : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Messages the handlers raise (UTF-8).
extern const char* const kMsgUnknownFormat;  // 書庫の形式を判別できません。
extern const char* const kMsgBadType;        // 書庫の形式を特定できませんでした。

class TArchiverOptions {
 public:
  TArchiverOptions() { Reset(); }
  void Reset();

  int8_t a, c, e, f, h, i, l, m, n, o, p, r, s, t, u;
  std::string w;
  int8_t x, y, z, jc, jd, je, jf, jh, ji, jm, jn;
  std::string jo, job;
  int8_t jp, jr, jss, jw;
  std::vector<std::string> jx;
  int8_t jyc, jyd, jyk, jyn, jyo;
  std::string jz;
  int8_t ga, gd, ge, gf, gj, gm, gn, go, gp;
  std::string gr;
  int8_t gs, gu, gw;
  std::string UserOptions;
  std::string UserFileList;
  TPackFilter PackFilter;
  std::string ResFileName;
  TResFileUsage ResFileUsage;
  // Zip names beyond ASCII in Shift_JIS (old Japanese tools) instead of
  // UTF-8 with the language-encoding flag.
  bool SjisNames;
  // An extraction replaces only the existing files this list names (one
  // full path a line); it keeps every other one, whatever the format's
  // own switches say. Empty: the format's own rule.
  std::string ReplaceList;
};

// Command-line builder: every piece is a blank followed by the piece.
class TCmdOpt {
 public:
  const std::string& Text() const { return text_; }
  void Clear() { text_.clear(); }
  void Fixed(const std::string& piece) { text_ += " " + piece; }
  void Num(const std::string& name, int n);
  void Flag(const std::string& name, bool on);
  void Quoted(const std::string& name, const std::string& value, bool tarStyle = false);
  void Folder(const std::string& name, const std::string& folder, bool tarStyle = false);
  // Names (after filter) as quoted values, or "@resfile" when a response
  // file is used. False when the response file cannot be written.
  bool Files(const std::vector<std::string>& names, const std::function<std::string(const std::string&)>& filter,
             const std::string& resFile, bool useResFile);

 private:
  std::string text_;
};

// state: kArcStateEntry as an entry begins; kArcStateInEntry while a large
// entry is still being written (abort then removes that entry's file).
using TArchiverProgressEvent = std::function<void(void* sender, int state, const TIndividualInfo* info, bool& abort)>;

class TArchiver;

// State a handler works with, owned by the archive-file object.
struct TArchiverContext {
  std::vector<char> output;     // report text of the last command
  std::string commandLine;      // last command line
  bool progressWindow = false;  // a progress window is set
};

class TArchiver {
 public:
  explicit TArchiver(TArchiverContext& ctx) : ctx_(ctx) {}
  virtual ~TArchiver() = default;
  virtual void LoadDLL();
  virtual void FreeDLL();
  virtual void* OpenArchive(void* wnd, const std::string& name, uint32_t mode) { return nullptr; }
  virtual int FindFirst(void* h, const std::string& wild, TIndividualInfo& info) { return -1; }
  virtual int FindNext(void* h, TIndividualInfo& info) { return -1; }
  virtual int CloseArchive(void* h) { return 0; }
  virtual int Extract(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
                      const std::vector<std::string>& names, const std::string& folder);
  virtual int Pack(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
                   const std::vector<std::string>& names, const std::string& base);
  virtual int RemoveItems(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
                          const std::vector<std::string>& names);
  virtual int Update(void* wnd, const TArchiverOptions& o, bool useRes, const std::string& archive,
                     const std::vector<std::string>& names, const std::string& base);
  virtual int MakeSfx(void* wnd, const TArchiverOptions& o, const std::string& archive, const std::string& folder);
  virtual int ExtractToMemory(void* wnd, const std::string& archive, const std::string& name, std::string& data);
  virtual bool CheckArchive(const std::string& name, int mode);
  virtual void SetOwnerWindow(void* wnd, void* callback) { progressWnd_ = wnd; }
  virtual void KillOwnerWindow(void* wnd) { progressWnd_ = nullptr; }
  virtual void PrepareToPack() { LoadDLL(); }

 protected:
  TArchiverContext& ctx_;
  void* progressWnd_ = nullptr;
};

// Type from the file name alone; atAutoDetect for ".exe" (content decides).
TArchiverType ArchiverTypeFromName(const std::string& fileName);
// Type from the content through the libraries' recognisers.
TArchiverType ArchiverTypeFromContent(const std::string& path);
std::unique_ptr<TArchiver> MakeArchiver(TArchiverType type, TArchiverContext& ctx);

class TArchiveFile {
 public:
  TArchiveFile();
  ~TArchiveFile();
  TArchiveFile(const TArchiveFile&) = delete;
  TArchiveFile& operator=(const TArchiveFile&) = delete;

  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& name);
  int OutputSize() const { return static_cast<int>(ctx_.output.size()); }
  void SetOutputSize(int size);
  TArchiverOptions& Options() { return options_; }
  TArchiverType ArchiverType() const { return type_; }
  void SetArchiverType(TArchiverType type);
  TArchiverProgressEvent OnProgress;

  bool Check(int mode, int extra);
  bool Open(void* wnd, int mode);
  int FindFirst(const std::string& wild, TIndividualInfo& info);
  int FindNext(TIndividualInfo& info);
  void Close();
  int Extract(void* wnd, const TArchiverOptions* opts, const std::vector<std::string>& names,
              const std::string& folder);
  int Pack(void* wnd, const TArchiverOptions* opts, const std::vector<std::string>& names, const std::string& base);
  int RemoveItems(void* wnd, const TArchiverOptions* opts, const std::vector<std::string>& names);
  int Update(void* wnd, const TArchiverOptions* opts, const std::vector<std::string>& names, const std::string& base);

  // The report text of the last command (up to the first zero byte).
  std::string OutputText() const;
  // What the last Pack left out and why, one "name (reason)" each.
  const std::vector<std::string>& Skipped() const { return skipped_; }
  const std::string& CommandLine() const { return ctx_.commandLine; }
  TArchiver* Handler() { return handler_.get(); }

  // Called by the libraries' progress hook.
  bool ReportProgress(int state, const TIndividualInfo* info);

 private:
  TArchiver& Resolve();
  template <typename F>
  int WithProgress(F&& op);

  std::string fileName_;
  TArchiverType type_ = atAutoDetect;
  TArchiverOptions options_;
  TArchiverContext ctx_;
  std::unique_ptr<TArchiver> handler_;
  void* handle_ = nullptr;
  std::vector<std::string> skipped_;
};

// Names to pack, expanded by the object itself (pfComponent): masks,
// recursion, hidden files, the jo/job time limits and jx exclusions.
// Returns 0 or 0x8020 when the progress hook asks to stop. Whatever is
// left out other than by the user's masks, limits and exclusions (a folder
// that cannot be opened, a file with the hidden attribute) goes to skipped
// as "name (reason)". emptyFolders names the empty folders too, for the
// formats that keep folders.
int ExpandPackNames(const TArchiverOptions& o, const std::vector<std::string>& names, std::vector<std::string>& out,
                    const std::function<bool()>& stop, std::vector<std::string>* skipped = nullptr,
                    bool emptyFolders = false);
// "l"-prefixed YYMMDD[hhmmss] or YYYYMMDD[hhmmss]; false when no limit.
bool ParseTimeLimit(const std::string& text, bool upper, std::time_t& limit);

}  // namespace navirt

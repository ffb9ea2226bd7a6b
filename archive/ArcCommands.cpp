#include "archive/ArcCommands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <memory>

#include "archive/ArcListing.h"
#include "archive/Archives.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"

namespace navirt {

namespace {

const char* const kNotExtracted = "解凍できませんでした。";
const char* const kBadName = "ファイル名が正しくありません。";
constexpr int kGeneralOutputSize = 8192;
constexpr int kCannotOpen = 0x8018;
constexpr int kWriteBackFailed = 0x802C;
constexpr int kUserCancel = 0x8020;

std::string UpperExt(const std::string& path) {
  std::string name = FileNamePart(path);
  size_t dot = name.rfind('.');
  if (dot == std::string::npos) return "";
  std::string ext = name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return ext;
}

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string JoinFolder(const std::string& folder, const std::string& name) { return WithTrailingSlash(folder) + name; }

// The hidden and system attributes only: a leading "." is a naming habit,
// packed.
bool IsHiddenFile(const std::string& path) { return (DosXattrBits(path) & (faHidden | faSysFile)) != 0; }

// A name typed into a dialog that stays a name in the folder being shown.
bool PlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string::npos;
}

TArcOutcome ErrorOutcome(const std::string& text) {
  TArcOutcome out;
  out.acted = true;
  out.messageKind = TArcMessageKind::Error;
  out.message = text;
  return out;
}

// The archive-file object's progress hook, fed from a job's flag. A
// report from inside a large entry counts nothing but lets Cancel in. The
// entry's name is passed on at most every few milliseconds: nobody reads
// 20,000 names a second, and converting each costs time.
void HookProgress(TArchiveFile& f, const TArcProgress* progress, size_t& done) {
  if (!progress) return;
  using Clock = std::chrono::steady_clock;
  auto nextName = std::make_shared<Clock::time_point>();
  f.OnProgress = [progress, &done, nextName](void*, int state, const TIndividualInfo* info, bool& abort) {
    if (progress->Cancelled()) {
      abort = true;
      return;
    }
    const bool inEntry = state == kArcStateInEntry;
    if (!inEntry) ++done;
    std::string name;
    if (info && !inEntry) {
      const Clock::time_point now = Clock::now();
      if (now >= *nextName) {
        *nextName = now + std::chrono::milliseconds(20);
        name = Cp932ToUtf8(info->szFileName);
      }
    }
    if (progress->step) progress->step(done, name);
    if (progress->Cancelled()) abort = true;
  };
}

std::string WithLineEnd(std::string text) {
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') text += "\r\n";
  return text;
}

// A name next to target for packing, not in use.
std::string TemporaryPackName(const std::string& target) {
  std::string folder = FolderPart(target), base = FileNamePart(target);
  auto stamp = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  for (unsigned long long n = stamp;; ++n) {
    std::string name =
        folder + ".navirt-pack-" + std::to_string(::getpid()) + "-" + std::to_string(n % 1000000) + "-" + base;
    struct stat st;
    if (::lstat(name.c_str(), &st) != 0) return name;
  }
}

// The files an extraction may replace, in a private temporary file for the
// library's run, removed with the object. A name with a line break cannot
// be listed, and is kept rather than split into other names.
class ReplaceListFile {
 public:
  explicit ReplaceListFile(const std::vector<std::string>* names) {
    if (!names) return;
    std::error_code ec;
    std::string dir = std::filesystem::temp_directory_path(ec).string();
    if (ec || dir.empty()) dir = "/tmp";
    std::string name = WithTrailingSlash(dir) + "navirt-replace-XXXXXX";
    int fd = ::mkstemp(name.data());
    if (fd < 0) {
      failed_ = true;
      return;
    }
    path_ = name;
    std::string body;
    for (const std::string& n : *names)
      if (n.find('\n') == std::string::npos) body += n + "\n";
    size_t done = 0;
    while (done < body.size()) {
      ssize_t w = ::write(fd, body.data() + done, body.size() - done);
      if (w <= 0) break;
      done += static_cast<size_t>(w);
    }
    failed_ = ::close(fd) != 0 || done != body.size();
  }
  ~ReplaceListFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  ReplaceListFile(const ReplaceListFile&) = delete;
  ReplaceListFile& operator=(const ReplaceListFile&) = delete;
  bool Failed() const { return failed_; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  bool failed_ = false;
};

const char* const kNoReplaceList = "上書きしてよいファイルの一覧を書けませんでした。何も解凍していません。";

}  // namespace

// ---- dispatch --------------------------------------------------------

TArcRoute RouteByExtension(const std::string& path, const TLhaDirect& lha) {
  std::string ext = UpperExt(path);
  if (ext == ".LZH") return TArcRoute::Lha;
  if (ext == ".EXE") return lha.Check(path, 0) ? TArcRoute::Lha : TArcRoute::General;
  return TArcRoute::General;
}

bool GeneralExtractAccepts(const std::string& path) {
  static const char* const kExts[] = {".LZH", ".EXE", ".ZIP", ".ARJ", ".CAB",  ".TAR", ".RAR", ".GZ",
                                      ".7Z",  ".XZ",  ".TXZ", ".ZST", ".TZST", ".ISO", ".LZ4"};
  std::string ext = UpperExt(path);
  return std::any_of(std::begin(kExts), std::end(kExts), [&](const char* e) { return ext == e; });
}

bool PreviewListsGeneral(bool mlhashow, const std::string& path) {
  if (!mlhashow || path.empty()) return false;
  static const char* const kExts[] = {".7Z", ".XZ", ".TXZ", ".ZST", ".TZST", ".ISO", ".LZ4"};
  std::string ext = UpperExt(path);
  return std::any_of(std::begin(kExts), std::end(kExts), [&](const char* e) { return ext == e; });
}

bool PreviewListsArchive(bool mlhashow, const std::string& path, const TLhaDirect& lha) {
  if (!mlhashow || path.empty()) return false;
  std::string ext = UpperExt(path);
  return (ext == ".LZH" || ext == ".EXE") && lha.Check(path, 0);
}

// ---- texts -----------------------------------------------------------

std::string ResultCodeMessage(int code) { return ArchiveResultMessage(code); }

std::string ResultCodeLine(int code) { return "Result code = " + std::to_string(code); }

std::string ArcNameWithExt(const std::string& name, const std::string& ext) {
  size_t slash = name.rfind('/');
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + ext;
  return name.substr(0, dot) + ext;
}

// ---- dialogs ---------------------------------------------------------

std::string TArcTargetModel::TargetFolder() const {
  if (answer.empty()) return "";
  if (answer.back() == '/') return answer;
  return answer + "/";
}

TArcTargetModel ExtractDialog(const TArcSelection& sel) {
  TArcTargetModel m;
  m.folder = sel.currentFolder;
  m.answer = sel.currentFolder;
  m.files = {sel.selectedPath};
  return m;
}

TInputDialogModel LhaCreateDialog(const TArcSelection& sel, const TIniFile& ini) {
  TInputDialogModel m;
  m.caption = "ＬＨＡファイルに圧縮";
  m.prompt = "圧縮ファイル名を指定します。　ex) navir.lzh";
  m.note = "";
  m.text = ArcNameWithExt(FileNamePart(sel.selectedPath), ".lzh");
  m.LoadHistory(ini, kLhaPackSection);
  return m;
}

TInputDialogModel ArcCreateDialog(const TArcSelection& sel, const TIniFile& ini) {
  TInputDialogModel m;
  m.caption = "書庫ファイルを作成";
  m.prompt = "圧縮ファイル名 拡張子指定。ex)navirt.zip";
  m.text = ArcNameWithExt(FileNamePart(sel.selectedPath), ".lzh");
  m.LoadHistory(ini, kArcPackSection);
  return m;
}

bool ArcCreateSjisNames(const TIniFile& ini) { return ini.ReadBool(kArcPackSection, "SjisNames", false); }

void SetArcCreateSjisNames(TIniFile& ini, bool on) { ini.WriteBool(kArcPackSection, "SjisNames", on); }

std::string LhaArchivePath(const std::string& entered, const std::string& currentFolder, std::string& message) {
  message.clear();
  if (entered.empty()) return "";
  if (!PlainFileName(entered)) {
    message = kBadName;
    return "";
  }
  std::string name = AsciiLower(UpperExt(entered)) == ".lzh" ? entered : ArcNameWithExt(entered, ".lzh");
  return JoinFolder(currentFolder, name);
}

std::string ArcArchivePath(const std::string& entered, const std::string& currentFolder, std::string& message) {
  message.clear();
  if (entered.empty()) return "";
  if (!PlainFileName(entered)) {
    message = kBadName;
    return "";
  }
  return JoinFolder(currentFolder, entered);
}

// ---- listing ---------------------------------------------------------

TArcOutcome LhaList(const std::string& path, const TLhaDirect& lha, bool longNames) {
  TArcOutcome out;
  if (path.empty() || !LhaCommandsEnabled(lha.Version())) return out;
  out.acted = true;
  out.fileInfo = true;
  if (!lha.Check(path, 4)) {
    out.normalPreview = true;
    return out;
  }
  out.labelBlue = true;
  out.setPane = true;
  std::string report;
  out.result = lha.RunListing(std::string(longNames ? "v" : "l") + " " + Quoted(path), report);
  if (out.result == 0) out.paneText = report;
  return out;
}

TArcOutcome LhaPreview(const std::string& path, const TLhaDirect& lha) {
  if (!LhaCommandsEnabled(lha.Version())) {
    TArcOutcome out;
    out.acted = true;
    out.normalPreview = true;
    return out;
  }
  return LhaList(path, lha, false);
}

TArcOutcome GeneralList(const std::string& path, const TArcProgress* progress) {
  TArcOutcome out;
  if (path.empty()) return out;
  try {
    TArchiveFile f;
    f.SetFileName(path);
    out.acted = true;
    if (!f.Check(1, 4)) {
      out.messageKind = TArcMessageKind::Warning;
      out.message = ResultCodeMessage(kCannotOpen);
      out.result = kCannotOpen;
      return out;
    }
    out.labelBlue = true;
    out.setPane = true;
    if (!f.Open(nullptr, 0)) {
      // Gone between the check and the open.
      out.messageKind = TArcMessageKind::Warning;
      out.message = ResultCodeMessage(kCannotOpen);
      out.result = kCannotOpen;
      return out;
    }
    TArchiveListing listing(path);
    TIndividualInfo info;
    size_t done = 0;
    for (int r = f.FindFirst("*.*", info); r == 0; r = f.FindNext(info)) {
      if (progress && progress->Cancelled()) {
        out.cancelled = true;
        break;
      }
      listing.Add(info);
      ++done;
      if (progress && progress->step && (done & 255) == 0) progress->step(done, Cp932ToUtf8(info.szFileName));
    }
    f.Close();
    out.paneText = listing.Finish();
  } catch (const EArchiver& e) {
    return ErrorOutcome(e.what());
  }
  return out;
}

// ---- extraction ------------------------------------------------------

TArcOutcome LhaExtract(const std::string& path, const TArcTargetModel& target, bool flat, bool todirOpen,
                       const TLhaDirect& lha, const TArcProgress* progress,
                       const std::vector<std::string>* replaceOnly) {
  TArcOutcome out;
  std::string folder = target.TargetFolder();
  if (path.empty() || folder.empty() || !LhaCommandsEnabled(lha.Version())) return out;
  ReplaceListFile list(replaceOnly);
  if (list.Failed()) return ErrorOutcome(kNoReplaceList);
  out.acted = true;
  out.lastTarget = target.answer;
  std::string report;
  std::string cmd = std::string(flat ? "e" : "x") + " " + Quoted(path) + " " + Quoted(folder);
  if (replaceOnly) cmd += " " + Quoted("-replace-only=" + list.Path());
  out.result = lha.Run(cmd, report, progress);
  out.cancelled = progress && progress->Cancelled();
  if (out.result != 0) {
    out.messageKind = TArcMessageKind::Warning;
    out.message = kNotExtracted;
    out.normalPreview = true;
    return out;
  }
  out.setPane = true;
  out.paneText = report;
  out.reloadList = true;
  if (flat) {
    // The archive again, in its normal preview instead of the report.
    out.reselect = FileNamePart(path);
    out.normalPreview = true;
    return out;
  }
  if (todirOpen) {
    out.jumpFolder = folder;
    while (out.jumpFolder.size() > 1 && out.jumpFolder.back() == '/') out.jumpFolder.pop_back();
  }
  out.labelBlue = true;
  return out;
}

TArcOutcome GeneralExtract(const std::string& path, const TArcTargetModel& target, const TArcProgress* progress,
                           const std::vector<std::string>* replaceOnly) {
  TArcOutcome out;
  if (path.empty() || !GeneralExtractAccepts(path)) return out;
  // The folder is always passed: the process's current folder need not be
  // the one shown.
  std::string folder = target.TargetFolder();
  if (folder.empty()) return out;
  ReplaceListFile list(replaceOnly);
  if (list.Failed()) return ErrorOutcome(kNoReplaceList);
  out.acted = true;
  out.lastTarget = target.answer;
  try {
    TArchiveFile f;
    f.SetFileName(path);
    f.SetOutputSize(kGeneralOutputSize);
    f.Options().x = 1;
    f.Options().ReplaceList = list.Path();
    size_t done = 0;
    HookProgress(f, progress, done);
    out.result = f.Extract(nullptr, nullptr, {}, folder);
    out.cancelled = progress && progress->Cancelled();
    out.reloadList = true;
    out.setPane = true;
    // A result without a message opens with the report itself.
    const std::string message = ResultCodeMessage(out.result);
    out.paneText = (message.empty() ? std::string() : Utf8ToCp932(message) + "\r\n") + f.OutputText();
    out.labelBlue = true;
  } catch (const EArchiver& e) {
    return ErrorOutcome(e.what());
  }
  return out;
}

// ---- creation --------------------------------------------------------

TArcOutcome LhaCreate(const TArcSelection& sel, const std::string& archivePath, const TLhaDirect& lha) {
  TArcOutcome out;
  if (archivePath.empty() || !LhaCommandsEnabled(lha.Version())) return out;
  out.acted = true;
  std::string cmd = "a " + Quoted(archivePath);
  for (const auto& name : sel.selectedNames) cmd += " " + Quoted(JoinFolder(sel.currentFolder, name));
  std::string report;
  out.result = lha.Run(cmd, report);
  if (out.result == 0) {
    out.setPane = true;
    out.paneText = report;
    out.labelBlue = true;
  }
  out.labelText = archivePath + "   " + std::to_string(sel.selectedNames.size()) + "個のファイル";
  out.reloadList = true;
  return out;
}

TArcOutcome GeneralCreate(const TArcSelection& sel, const std::string& archivePath, const TArcProgress* progress,
                          bool sjisNames) {
  TArcOutcome out;
  if (archivePath.empty()) return out;
  out.acted = true;
  // Only plain files without the hidden attribute; whatever else was
  // selected is named in the result.
  std::vector<std::string> names;
  std::string skipped;
  for (const auto& caption : sel.selectedNames) {
    if (!PlainFileName(caption)) continue;
    std::string full = JoinFolder(sel.currentFolder, caption);
    struct stat st;
    const char* why = nullptr;
    if (::lstat(full.c_str(), &st) != 0)
      why = "cannot read";
    else if (!S_ISREG(st.st_mode))
      why = S_ISDIR(st.st_mode) ? "a folder" : "not a plain file";
    else if (IsHiddenFile(full))
      why = "hidden attribute";
    if (why) {
      skipped += Utf8ToCp932("Skipped: " + caption + " (" + why + ")") + "\r\n";
      continue;
    }
    names.push_back(caption);
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());

  std::string temp = TemporaryPackName(archivePath);
  std::string report;
  try {
    TArchiveFile f;
    f.SetFileName(temp);
    f.SetOutputSize(kGeneralOutputSize);
    f.Options().x = 1;
    f.Options().PackFilter = pfArchiver;
    f.Options().SjisNames = sjisNames;
    size_t done = 0;
    HookProgress(f, progress, done);
    if (!names.empty() && !(progress && progress->Cancelled())) {
      out.result = f.Pack(nullptr, nullptr, names, sel.currentFolder);
      report = f.OutputText();
    }
  } catch (const EArchiver& e) {
    ::unlink(temp.c_str());
    return ErrorOutcome(e.what());
  }
  // A cancelled run keeps nothing of what it packed.
  out.cancelled = progress && progress->Cancelled();
  if (out.cancelled && out.result == 0) out.result = kUserCancel;
  if (out.result == 0 && IsRegularFile(temp)) {
    if (::rename(temp.c_str(), archivePath.c_str()) != 0) out.result = kWriteBackFailed;
  }
  ::unlink(temp.c_str());
  out.reloadList = true;
  out.setPane = true;
  out.paneText = WithLineEnd(report) + skipped + ResultCodeLine(out.result);
  out.labelText = "";
  out.labelBlue = true;
  return out;
}

}  // namespace navirt

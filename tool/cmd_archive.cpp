// navirt-tool arc: list, extract, create and check archives through the
// archive-file object and the project's archiver libraries.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "archive/ArcCommands.h"
#include "archive/ArcListing.h"
#include "archive/Archives.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "tool/Commands.h"
#include "tool/ToolIo.h"
#include "tool/ToolMessages.h"

namespace navirt::tool {
namespace {

constexpr int kExitFailed = 1;

std::string ToTerminal(const std::string& cp932);

int Failed(const std::string& message, const std::string& report = std::string()) {
  if (!report.empty()) std::fprintf(stderr, "%s", ToTerminal(report).c_str());
  std::fprintf(stderr, "navirt-tool: %s\n", InShellLanguage(message).c_str());
  return kExitFailed;
}

// CP932 report text for the terminal; ASCII lines pass unchanged.
std::string ToTerminal(const std::string& cp932) {
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 8);
  size_t start = 0;
  while (start < cp932.size()) {
    size_t end = cp932.find('\n', start);
    end = end == std::string::npos ? cp932.size() : end + 1;
    std::string_view line(cp932.data() + start, end - start);
    bool ascii = true;
    for (char c : line) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii)
      out.append(line);
    else
      out += Cp932ToUtf8(line);
    start = end;
  }
  return out;
}

// An archive path that names no file is bad input, not a failed run.
bool Unusable(const std::string& path, int& rc) {
  if (IsDirectory(path))
    rc = Fail(Tr(msg::kIsFolderNotArchive, {path}));
  else if (!StatPath(path).found)
    rc = Fail(Tr(msg::kNoSuchFile, {path}));
  else if (!IsRegularFile(path))
    rc = Fail(Tr(msg::kNotRegularFile, {path}));
  else
    return false;
  return true;
}

// A library's result code in words: the window's Japanese texts, or these.
std::string ResultText(int rc) {
  if (MessageLanguage() == MsgLang::Japanese) return ArchiveResultMessage(rc);
  static const std::pair<int, const char*> kEnglish[] = {
      {0x8005, "not enough disk space"},
      {0x8006, "the target file is read-only"},
      {0x8007, "skipped by the user"},
      {0x800C, "a stored file's checksum does not match"},
      {0x800D, "cannot open the file"},
      {0x800E, "a newer file exists at the target"},
      {0x800F, "the file does not exist at the target"},
      {0x8010, "the file already exists"},
      {0x8012, "cannot create the folder"},
      {0x8013, "write error"},
      {0x8014, "a stored file's Huffman code is broken"},
      {0x8016, "the archive header's checksum does not match"},
      {0x8017, "the archive header is broken"},
      {0x8018, "cannot open the archive"},
      {0x8019, "no archive name given"},
      {0x801A, "read error"},
      {0x801B, "not a valid archive of this kind"},
      {0x801C, "wrong command"},
      {0x801D, "out of working memory"},
      {0x801E, "out of global memory"},
      {0x801F, "the library is busy"},
      {0x8020, "cancelled by the user"},
      {0x8021, "a listing call before the archive was opened"},
      {0x8022, "FindNext before FindFirst"},
      {0x8023, "a call the library does not support"},
      {0x8024, "wrong date or time format"},
      {0x8025, "cannot create a work file"},
      {0x8026, "folder path too long"},
      {0x8027, "cannot work on a read-only archive"},
      {0x8028, "a file of the same name is already stored"},
      {0x8029, "no archive in the folder"},
      {0x802A, "cannot read the response file"},
      {0x802B, "file names are needed"},
      {0x802C, "cannot write the work file back into the archive"},
      {0x802D, "archive data are missing"},
  };
  for (const auto& [code, text] : kEnglish)
    if (code == rc) return text;
  return "";
}

int ResultFailure(int rc, TArchiveFile& f) {
  char code[32];
  std::snprintf(code, sizeof code, "0x%04X", rc);
  std::string text = ResultText(rc);
  // Entries refused as unsafe carry the broken header's code; the report
  // above names each with its reason.
  if (f.OutputText().find(Utf8ToCp932(Tr(msg::kUnsafeMarker))) != std::string::npos) text = Tr(msg::kUnsafeRefused);
  return Failed(Tr(msg::kResult, {code + (text.empty() ? "" : " " + text)}), f.OutputText());
}

// The text "一覧(&V)" puts in the pane.
int List(const std::string& path) {
  if (int rc; Unusable(path, rc)) return rc;
  TArcOutcome o = GeneralList(path);
  if (!o.message.empty()) return Failed(path + ": " + o.message);
  if (!o.setPane) return Failed(Tr(msg::kNotRecognised, {path}));
  WriteOutput(ToTerminal(o.paneText));
  return kExitOk;
}

// What selecting the file shows with "LHA書庫内容表示(&L)" checked: the LHA
// listing, or nothing when the normal preview would run.
int Preview(const std::string& path) {
  if (int rc; Unusable(path, rc)) return rc;
  if (PreviewListsGeneral(true, path)) {
    TArcOutcome o = GeneralList(path);
    if (!o.setPane) return Failed(Tr(msg::kShownAsIsNoListing, {path}));
    WriteOutput(ToTerminal(o.paneText));
    return kExitOk;
  }
  TLhaDirect lha;
  if (!PreviewListsArchive(true, path, lha)) return Failed(Tr(msg::kShownAsIs, {path}));
  TArcOutcome o = LhaPreview(path, lha);
  if (o.normalPreview) return Failed(Tr(msg::kShownAsIs, {path}));
  WriteOutput(ToTerminal(o.paneText));
  return kExitOk;
}

int Extract(const std::string& path, const std::string& dir) {
  if (int rc; Unusable(path, rc)) return rc;
  TArchiveFile f;
  f.SetFileName(path);
  f.SetOutputSize(1 << 20);
  f.Options().x = 1;
  int rc = f.Extract(nullptr, nullptr, {}, dir);
  if (rc != 0) return ResultFailure(rc, f);
  WriteOutput(ToTerminal(f.OutputText()));
  return kExitOk;
}

// Status 0: everything packed; 1: packed, but something was left out (each
// named on standard error); 2: nothing written.
int Create(const std::string& path, const std::vector<std::string>& files, bool sjisNames) {
  auto failed = [](const std::string& message, const std::string& report = std::string()) {
    Failed(message, report);
    return kExitUsage;
  };
  if (ArchiverTypeFromName(path) == atNone || ArchiverTypeFromName(path) == atAutoDetect)
    return failed(Tr(msg::kNoFormat, {path}));
  bool folders = false;
  for (const auto& f : files) {
    if (!StatPath(f).found && f.find_first_of("*?") == std::string::npos) return failed(Tr(msg::kNoSuchFile, {f}));
    folders = folders || IsDirectory(f);
  }
  // Packed under a temporary name first: a failure keeps the old archive.
  std::string dir = FolderPart(path);
  std::string base = FileNamePart(path);
  std::string temp = dir + ".navirt-new-" + std::to_string(::getpid()) + "-" + base;
  ::unlink(temp.c_str());
  TArchiveFile f;
  f.SetFileName(temp);
  f.SetOutputSize(1 << 20);
  f.Options().x = 1;
  if (folders) f.Options().r = 2;
  f.Options().SjisNames = sjisNames;
  int rc;
  try {
    rc = f.Pack(nullptr, nullptr, files, "");
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  std::string skipped;
  for (const std::string& s : f.Skipped()) skipped += "navirt-tool: " + Tr(msg::kSkippedName, {s}) + "\n";
  if (rc != 0) {
    ::unlink(temp.c_str());
    std::fprintf(stderr, "%s", skipped.c_str());
    ResultFailure(rc, f);
    return kExitUsage;
  }
  if (!IsRegularFile(temp)) {
    std::fprintf(stderr, "%s", skipped.c_str());
    return failed(Tr(msg::kNothingPacked));
  }
  if (::rename(temp.c_str(), path.c_str()) != 0) {
    ::unlink(temp.c_str());
    return failed(Tr(msg::kCannotWriteArchive, {path}));
  }
  WriteOutput(ToTerminal(f.OutputText()));
  if (skipped.empty()) return kExitOk;
  std::fprintf(stderr, "%s", skipped.c_str());
  return kExitFailed;
}

int Check(const std::string& path) {
  if (int rc; Unusable(path, rc)) return rc;
  TArchiveFile f;
  f.SetFileName(path);
  return f.Check(0, 0) ? kExitOk : Failed(Tr(msg::kNotAnArchive, {path}));
}

}  // namespace

int CmdArchive(int argc, char** argv) {
  if (argc < 2) return Fail(Tr(msg::kUsage, {"arc list|preview|extract|create|check ARCHIVE ..."}));
  std::string sub = argv[0], path = argv[1];
  try {
    if (sub == "list" && argc == 2) return List(path);
    if (sub == "check" && argc == 2) return Check(path);
    if (sub == "preview" && argc == 2) return Preview(path);
    if (sub == "extract") {
      std::string dir;
      if (argc == 4 && std::string(argv[2]) == "-o")
        dir = argv[3];
      else if (argc != 2)
        return Fail(Tr(msg::kUsage, {"arc extract ARCHIVE [-o DIR]"}));
      return Extract(path, dir);
    }
    if (sub == "create" && path == "--sjis-names" && argc >= 4)
      return Create(argv[2], std::vector<std::string>(argv + 3, argv + argc), true);
    if (sub == "create" && argc >= 3) return Create(path, std::vector<std::string>(argv + 2, argv + argc), false);
  } catch (const EArchiver& e) {
    return Failed(e.what());
  }
  return Fail(Tr(msg::kUsage, {"arc list|preview|extract|create|check ARCHIVE ..."}));
}

}  // namespace navirt::tool

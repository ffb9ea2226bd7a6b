#pragma once
// Cutting a file into numbered pieces (name.001, name.002, ... name.000 for
// the thousandth) with a command file that joins them at a command prompt,
// and joining files in a chosen order. Both run as jobs: progress hook,
// cancel flag, and a result instead of message boxes.
//
// Every piece and every merged file is written under a temporary name and
// renamed when complete, so a failure or cancel leaves only whole files; a
// merge target that is one of its own sources is read before it is replaced.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/History.h"
#include "settings/IniFile.h"

namespace navirt {

constexpr uint64_t kMaxPieces = 1000;

std::string ChangeFileExt(const std::string& path, const std::string& ext);
// Piece i of source: path without extension + "." + last three digits.
std::string PieceName(const std::string& sourcePath, uint64_t i);
// size / pieceSize + 1: an exact multiple ends with an empty piece. A piece
// size below 1 counts as 1.
uint64_t PieceCount(uint64_t fileSize, uint64_t pieceSize);
// The command files, lines ended by CR LF.
std::string SplitCommandText(const std::string& sourcePath, uint64_t count);
std::string MergeCommandText(const std::string& target, const std::vector<std::string>& files);

struct JobProgress {
  uint64_t step = 0, steps = 0;  // piece or file number, 1-based
  uint64_t bytesDone = 0, bytesTotal = 0;
  std::string current;
};
struct JobHooks {
  std::function<void(const JobProgress&)> progress;
  // Split: asked, before anything is written, for each piece or command
  // file that exists; false stops the split (cancelled, nothing written).
  // Without it an existing file stops the split with an error.
  std::function<bool(const std::string& existing)> replace;
  const std::atomic<bool>* cancel = nullptr;
};
struct JobResult {
  bool ok = false;
  bool cancelled = false;
  std::string error;                 // the system's message, with the path
  std::vector<std::string> written;  // files left complete
};

// Refuses (nothing written) when the piece size is 0, more than 1000
// pieces would result, a piece or the command file would be the source
// itself, or one exists and hooks.replace does not agree. The command file
// is written unless cancelled.
JobResult SplitFile(const std::string& source, uint64_t pieceSize, const JobHooks& hooks = {});
// Target created anew from the files in order (keeping an old target's
// mode), then the command file written; a cancel or failure leaves the
// old target and command file as they were.
JobResult MergeFiles(const std::string& target, const std::vector<std::string>& files, const JobHooks& hooks = {});
// The merge dialog's OK: the ".bak" copy (same mode) of a target that is
// the first file.
JobResult PrepareMerge(const std::string& target, const std::vector<std::string>& files);

// A positive whole number of bytes, or false.
bool ParsePieceSize(const std::string& text, uint64_t& size);
// The progress window's texts.
std::string SplitProgressCaption();
std::string SplitProgressLabel(const std::string& path);
std::string SplitProgressCount(uint64_t i, uint64_t count);

// The split dialog TForm17 without its widgets.
class TSplitDialogModel {
 public:
  static constexpr const char* kSection = "DIV";
  static constexpr int kCap = 10;
  struct Preset {
    const char* label;
    uint64_t size;
  };
  static constexpr Preset kPresets[5] = {
      {"1.44M", 1457664}, {"1.25M", 1250304}, {"720K", 730112}, {"640K", 649216}, {"任意ｻｲｽﾞ", 1000000}};

  std::string caption = "ﾌｧｲﾙの分割";
  std::string text = "分割するサイズを指定して下さい。";
  std::string path;
  uint64_t fileSize = 0;
  int preset = 0;
  std::string sizeText;
  std::vector<std::string> sizeItems;  // the box's list: the four sizes, then the history
  std::vector<std::string> history;
  std::string countLine;
  std::vector<std::string> pieceList;  // "作成するﾌｧｲﾙ": pieces, then the command file
  bool focusOk = false;                // after Enter: OK (true) or the box

  void Open(const TIniFile& ini, const std::string& filePath, uint64_t size);
  std::string SizeLine() const;  // "%15.0n byte"
  void ChoosePreset(int index);
  // Enter in the size box. Returns the warning to show, or "".
  std::string Enter();
  // OK. Returns false with the warning when the size cannot be used; else
  // the history is saved and answer holds the text for DialogAnswer.
  bool Accept(TIniFile& ini, std::string& answer, std::string& warning);

 private:
  uint64_t BoxSize() const;
  void Recompute();
};

// The merge dialog TForm20 without its widgets.
class TMergeDialogModel {
 public:
  std::string caption = "ファイル結合";
  std::string labelTarget = "結合先ファイル名(&T)";
  std::string labelList = "結合するファイルリスト-結合順(&I)";
  std::string folder;
  std::string countLine;
  std::string targetName;
  std::vector<std::string> items;
  int chosen = -1;

  void Open(const std::string& currentFolder, const std::vector<std::string>& selectedNames);
  bool OkEnabled() const { return !targetName.empty(); }
  void Up();
  void Down();
  void Delete();
  std::string InfoLine() const;
  std::string TargetPath() const;
  std::vector<std::string> SourcePaths() const;
};

}  // namespace navirt

#pragma once
// Directory listings in the layout of a Japanese command prompt's "dir":
// volume lines, " FOLDER のディレクトリ", "yyyy/mm/dd  hh:mm" dates, <DIR>,
// sizes with separators, "個のファイル" / "個のディレクトリ" /
// "バイトの空き領域" totals and a grand total under /S. navirt-dir prints
// it; the listing commands run navirt-dir as a process and show its output.
//
// Attributes as everywhere in Navirt: R is a missing owner write bit, H a
// dot name or the hidden bit of user.DOSATTRIB, A and S bits of it. Without
// /A hidden and system entries are left out, as the command always did.
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "settings/History.h"
#include "settings/IniFile.h"

namespace navirt {

struct DirOptions {
  std::string path;  // may hold wildcards in its name part; empty: "."
  bool sjis = false;
  bool attrGiven = false;    // /A: without letters lists everything
  std::string attrRequired;  // letters of D R H S A that must be set
  std::string attrExcluded;  // and those that must not
  struct SortKey {
    char key;  // N S E D G A
    bool reverse;
  };
  std::vector<SortKey> sort;  // empty: by name
  bool recurse = false, bare = false, wide = false, verbose = false, lower = false;
};

// "/A:-D", "/AD", "/O:-S", "/S" ... case-insensitive; the first other word
// is the path. False with a message for an unknown switch.
bool ParseDirArgs(const std::vector<std::string>& args, DirOptions& o, std::string& error);
// Blanks separate words, double quotes group (and are dropped).
std::vector<std::string> SplitArguments(const std::string& text);

struct VolumeInfo {
  std::string mount;  // the mount point the folder lies on
  uint32_t serial = 0;
  uint64_t freeBytes = 0;
};
VolumeInfo VolumeOf(const std::string& folder);

// The listing as UTF-8 text, lines ended by LF (CR LF with sjis, which the
// caller then converts). Returns 0, or 1 when nothing matched, a folder
// could not be read or the folder does not exist (the message, naming the
// folder, is then part of the text). Links to folders are listed, never
// entered under /S. A name that exists is itself; otherwise only "*" and
// "?" are wild. A fixed
// volume makes the output reproducible for tests.
int DirListing(const DirOptions& o, std::string& out, const VolumeInfo* fixedVolume = nullptr);

// Running it: navirt-dir next to the running program, output into file.
std::string DirProgramPath();
// false with the system's message when the process cannot be started.
// cancelled is asked while the process runs; when it says yes the process
// is killed at once and the result is false with an empty message.
bool RunDirProgram(const std::string& program, const std::string& arguments, const std::string& outputFile,
                   std::string& error, const std::function<bool()>& cancelled = {});
// The preview's label after a listing.
std::string DirResultLabel(const std::string& arguments);

// The temporary output file: the program's path with ".tmp" when its folder
// is writable, else navirt.tmp in the user's cache folder.
std::string ListingTempPath(const std::string& exePath, bool exeDirWritable, const std::string& cacheHome,
                            const std::string& home);
std::string ListingTempPath();

// The direct listing's input box ("DirSet" history).
TInputDialogModel DirectListingDialog(const std::string& currentFolder);
constexpr const char* kDirSetSection = "DirSet";

// The listing dialog TForm7 without its widgets.
class TDirDialogModel {
 public:
  static constexpr const char* kSection = "LHA";
  static constexpr int kCap = 10;
  std::string caption = "dirｺﾏﾝﾄﾞ結果表示";
  std::string text = "dir ｺﾏﾝﾄﾞを実行し、その結果を表示します。dir ｺﾏﾝﾄﾞ の設定を入力して下さい。";
  std::string pathLabel = "ﾄﾞﾗｲﾌﾞ､ﾊﾟｽ(&P)";
  std::string pathHint = "ﾜｲﾙﾄﾞｶｰﾄﾞが使えます。例) c:\\navir\\*.*";

  std::string path;
  int attr = 0;  // index into AttrChoices(); 0 is "普通"
  int sort = 0;  // index into SortChoices(); 0 is "普通"
  bool subdirs = false;
  int format = 0;  // index into FormatChoices()
  bool lower = false;
  std::vector<std::string> history;

  static const std::vector<std::string>& AttrChoices();
  static const std::vector<std::string>& SortChoices();
  static const std::vector<std::string>& FormatChoices();

  void Open(const TIniFile& ini, const std::string& currentFolder);
  void ChooseFolder(const std::string& folder) { path = folder; }
  // The read-only box "ｺﾏﾝﾄﾞ": six parts, a single blank for each at rest.
  std::string CommandLine() const;
  // OK: history saved; the command line plus one blank for DialogAnswer.
  std::string Accept(TIniFile& ini);
};

// Saving the file list's names (names only or folder + "/" + name), one
// per line with CR LF, and the folder tree (one tab per level).
std::string FileNamesText(const std::string& folder, const std::vector<std::string>& names, bool fullPaths);
struct TreeLine {
  int level;  // 0 for the top
  std::string text;
};
std::string FolderTreeText(const std::vector<TreeLine>& nodes);
std::string DefaultNamesFile(const std::string& folder);  // the folder's own name + ".txt"
constexpr const char* kSaveNamesTitle = "現在表示のﾌｫﾙﾀﾞｰのファイル名を保存";
constexpr const char* kSaveTreeTitle = "現在表示のフォルダーツリー名を保存";
// Writes text to path whole or not at all. Returns the information text
// (path + " に保存しました。") or false with the system's message.
bool SaveListText(const std::string& path, const std::string& text, std::string& message);

}  // namespace navirt

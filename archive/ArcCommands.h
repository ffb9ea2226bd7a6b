#pragma once
// The commands of the menu "書庫(&L)" without widgets. Each command takes
// the file list's state, runs its dialogs through callbacks, and returns
// what the window shows afterwards (TArcOutcome). Listing and extraction
// take a TArcProgress so that a job can run them off the window's thread.
//
// Paths are UTF-8; pane texts are CP932; messages and label texts UTF-8.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/ArcJob.h"
#include "archive/LhaDirect.h"
#include "settings/History.h"
#include "settings/IniFile.h"

namespace navirt {

// The file list's state a command starts from.
struct TArcSelection {
  std::string selectedPath;                // SelectedPath; empty when none
  std::string currentFolder;               // CurrentFolder
  std::vector<std::string> selectedNames;  // captions of the selected items, in list order
  size_t listCount = 0;                    // items in the file list
};

enum class TArcMessageKind { None, Information, Warning, Error };

// What the window does after a command, in this order:
//  1. the message box;
//  2. the folder tree moves to jumpFolder;
//  3. the file list is reloaded, then reselect is selected again
//     (matched without regard to case);
//  4. the pane: the normal preview of the selected file when
//     normalPreview, else the information line of the file when fileInfo,
//     then paneText replaces the pane's text (emptied, unmodified) when
//     setPane;
//  5. the label: labelText replaces its text when set, and it turns blue
//     when labelBlue.
struct TArcOutcome {
  bool acted = false;  // false: the command did nothing at all
  TArcMessageKind messageKind = TArcMessageKind::None;
  std::string message;
  std::string jumpFolder;
  bool reloadList = false;
  std::string reselect;
  bool normalPreview = false;
  bool fileInfo = false;
  bool setPane = false;
  std::string paneText;
  std::optional<std::string> labelText;
  bool labelBlue = false;
  bool cancelled = false;  // a job's Cancel ended the work
  std::string lastTarget;  // the folder box text of an extraction
  int result = 0;          // the library's result code
};

// ---- dispatch --------------------------------------------------------

enum class TArcRoute { Lha, General };
// ".LZH" goes to LHA; ".EXE" to LHA when its check (mode 0) passes, else
// the general command; everything else to the general command.
TArcRoute RouteByExtension(const std::string& path, const TLhaDirect& lha);
// The extensions the general extraction accepts.
bool GeneralExtractAccepts(const std::string& path);
// With "LHA書庫内容表示(&L)" checked, whether selecting path lists it
// through LHA instead of the normal preview.
bool PreviewListsArchive(bool mlhashow, const std::string& path, const TLhaDirect& lha);
// The same for the formats read through libarchive (7z, xz, zstd, lz4,
// ISO images), which selecting lists with the general listing.
bool PreviewListsGeneral(bool mlhashow, const std::string& path);

// ---- texts -----------------------------------------------------------

// The message of a result code in the general extraction (UTF-8; empty
// when the code has none).
std::string ResultCodeMessage(int code);
// "Result code = " and the code, as the general creation shows it.
std::string ResultCodeLine(int code);
// name with its extension replaced by ext (".lzh").
std::string ArcNameWithExt(const std::string& name, const std::string& ext);

// ---- dialogs ---------------------------------------------------------

// The file-operation dialog as the extractions open it.
struct TArcTargetModel {
  std::string folder;  // tree, heading and folder box
  std::string operation = "解凍";
  std::string countText = "1個のファイル";
  std::vector<std::string> files;  // the archive
  std::string answer;              // the folder box after OK
  // The answer with one trailing separator, as command lines take it.
  std::string TargetFolder() const;
};
TArcTargetModel ExtractDialog(const TArcSelection& sel);

// The input dialog of "LHA作成(&A)" (history "LHApack") and "作成(&M)"
// (history "ARCpack"), preset from the selected file.
TInputDialogModel LhaCreateDialog(const TArcSelection& sel, const TIniFile& ini);
TInputDialogModel ArcCreateDialog(const TArcSelection& sel, const TIniFile& ini);
inline constexpr const char* kLhaPackSection = "LHApack";
inline constexpr const char* kArcPackSection = "ARCpack";
// The create dialog's setting beside its history: zip names in Shift_JIS
// for old Japanese tools instead of UTF-8.
bool ArcCreateSjisNames(const TIniFile& ini);
void SetArcCreateSjisNames(TIniFile& ini, bool on);

// The LHA archive for an entered name: ".lzh" unless it has it already,
// put in the folder being shown. Empty when the name is no plain file name
// (the message says why).
std::string LhaArchivePath(const std::string& entered, const std::string& currentFolder, std::string& message);
// The same for the general creation, whose extension chooses the format.
std::string ArcArchivePath(const std::string& entered, const std::string& currentFolder, std::string& message);

// ---- commands after their dialogs --------------------------------------

// "LHA一覧(&L)" on the LHA route, "LHA一覧-拡張（&V）" (longNames), and the
// listing in the preview.
TArcOutcome LhaList(const std::string& path, const TLhaDirect& lha, bool longNames);
// A selection change with "LHA書庫内容表示(&L)" checked.
TArcOutcome LhaPreview(const std::string& path, const TLhaDirect& lha);
// "一覧(&V)": the listing through the archive-file object.
TArcOutcome GeneralList(const std::string& path, const TArcProgress* progress = nullptr);
// "LHA解凍(&X)" (flat = false) and "LHA解凍-書庫のみ(&E)" (flat = true) into
// the chosen folder.
// With replaceOnly, existing files are replaced only when listed there.
TArcOutcome LhaExtract(const std::string& path, const TArcTargetModel& target, bool flat, bool todirOpen,
                       const TLhaDirect& lha, const TArcProgress* progress = nullptr,
                       const std::vector<std::string>* replaceOnly = nullptr);
// "解凍(&U)" into the chosen folder.
TArcOutcome GeneralExtract(const std::string& path, const TArcTargetModel& target,
                           const TArcProgress* progress = nullptr,
                           const std::vector<std::string>* replaceOnly = nullptr);
// "LHA作成(&A)": the selected items into archivePath.
TArcOutcome LhaCreate(const TArcSelection& sel, const std::string& archivePath, const TLhaDirect& lha);
// "作成(&M)": the selected plain files of the folder being shown (no
// folders, no hidden files) into archivePath, packed under a temporary
// name and renamed when complete, so a failure keeps an old archive.
// sjisNames writes a zip's names in Shift_JIS.
TArcOutcome GeneralCreate(const TArcSelection& sel, const std::string& archivePath,
                          const TArcProgress* progress = nullptr, bool sjisNames = false);

// ---- a command in three steps -------------------------------------------
// Ask: the command's checks and the dialog it needs, on the window's
// thread, before any work. Plan: the answer made into the work to do,
// with a question about each existing file an extraction would replace.
// Execute: the work alone; it asks nothing and may run on a job's thread.

enum class TArcCommand { Mlhalist, Mlha_V, MlhaU, Mlha_E, MlhaP, Marclist1, Marcunpack1, Marcmake };
enum class TArcQuestion { None, Target, Name };

struct TArcAsk {
  bool stop = false;    // the checks ended the command: show stopped
  TArcOutcome stopped;  // (acted false: nothing at all)
  TArcQuestion question = TArcQuestion::None;
  TArcTargetModel target;        // question Target: its answer is the folder
  TInputDialogModel name;        // question Name: its text is the name
  const char* nameSection = "";  // the name's history section
  bool sjisNames = false;        // "作成(&M)": the dialog's Shift_JIS setting
  bool lhaRoute = false;         // the LHA library does the work
};
TArcAsk AskArcCommand(TArcCommand cmd, const TArcSelection& sel, const TLhaDirect& lha, const TIniFile& ini);

enum class TReplaceAnswer { Replace, Keep, Cancel };

struct TArcPlan {
  TArcCommand command = TArcCommand::Mlhalist;
  TArcSelection sel;
  bool lhaRoute = false;
  bool stop = false;  // a name refused: show stopped
  TArcOutcome stopped;
  TArcTargetModel target;   // extractions
  bool flat = false;        // extraction without folders
  std::string archivePath;  // creations: the archive to write
  bool sjisNames = false;   // zip names in Shift_JIS
  // Extractions: the existing files entries would land on, in archive
  // order; only those answered Replace are replaced, every other existing
  // file is kept.
  std::vector<std::string> existing;
  std::vector<std::string> replace;
  size_t kept = 0;
  bool cancelled = false;

  // The next existing file to ask about; null once all are answered or
  // the extraction is cancelled.
  const std::string* Question() const;
  // The answer for Question(); toAll answers every one after it the same.
  void Answer(TReplaceAnswer answer, bool toAll);

 private:
  size_t next_ = 0;
};
// The ask's answer into a plan; a typed name's history goes to ini. The
// existing files an extraction meets are found here, by listing the whole
// archive: long work for a large one, so the window runs it as a job. A
// cancelled listing cancels the plan.
TArcPlan PlanArcCommand(TArcCommand cmd, const TArcSelection& sel, const TArcAsk& ask, const TLhaDirect& lha,
                        TIniFile& ini, const TArcProgress* progress = nullptr);
// Whether PlanArcCommand lists the archive for cmd (and should run off the
// window's thread).
bool PlanListsArchive(TArcCommand cmd);
// The files and links under folder that the archive's file entries would
// land on (flat: by the last part of their names), each once. Stops early
// when progress is cancelled.
std::vector<std::string> ExistingTargets(const std::string& archive, const std::string& folder, bool flat,
                                         const TArcProgress* progress = nullptr);
TArcOutcome ExecuteArcPlan(const TArcPlan& plan, const TLhaDirect& lha, bool todirOpen,
                           const TArcProgress* progress = nullptr);

// ---- whole commands ------------------------------------------------------

using TAskTarget = std::function<bool(TArcTargetModel&)>;  // false on Cancel
using TAskName = std::function<bool(TInputDialogModel&)>;  // false on Cancel
// The question about one existing file; toAll answers the rest the same.
using TAskReplace = std::function<TReplaceAnswer(const std::string& existing, bool& toAll)>;

struct TArcCommandEnv {
  const TLhaDirect& lha;
  TIniFile& ini;
  TAskTarget askTarget;
  TAskName askName;
  bool todirOpen = false;  // "処理先フォルダー表示(&F)"
  const TArcProgress* progress = nullptr;
  TAskReplace askReplace = nullptr;  // none: every existing file is kept
};

// One command from start to end, its questions through env's callbacks.
TArcOutcome RunArcCommand(TArcCommand cmd, const TArcSelection& sel, TArcCommandEnv& env);

}  // namespace navirt

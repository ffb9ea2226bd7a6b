#pragma once
// What each file command of the file list does, without windows: the
// window asks its questions (dialogs, confirmations), then calls these and
// shows the report: a message of the given kind, the folder to go to and
// the name to select again.
#include <string>
#include <vector>

#include "fileops/SHFOP.h"
#include "platform/DosAttributes.h"
#include "settings/History.h"
#include "settings/IniFile.h"

namespace navirt {

enum class MessageKind { None, Information, Warning, Error };

struct CommandReport {
  bool ok = false;
  MessageKind kind = MessageKind::None;
  std::string message;
  std::string gotoFolder;  // non-empty: the tree moves there
  std::string selectName;  // the item to select after the reload
};

struct FileCommandContext {
  std::string currentFolder;
  bool dialogdisp = true;  // Mdialogdisp1
  bool todiropen = false;  // Mtodiropen1
  bool dragdrop = true;    // Mdragdrop1
};

// Copy of the selected items (full paths, list order) to target.
CommandReport RunCopy(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& sources,
                      const std::string& target);
// Move: as copy; folders move with all they hold.
CommandReport RunMove(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& sources,
                      const std::string& target);
// Delete to the Trash (the caller has asked its confirmation).
CommandReport RunTrash(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& sources);
// Shift+Delete, after "完全に削除しますか？" was answered yes.
CommandReport RunPermanentDelete(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& sources);
// Files dropped on the window: copied into the folder being shown.
CommandReport RunDrop(TSHFOP& op, const FileCommandContext& ctx, const std::vector<std::string>& dropped);

// Rename within the folder. The same name does nothing; a name holding "/"
// is refused; an existing name is never overwritten.
CommandReport RunRename(const FileCommandContext& ctx, const std::string& oldName, const std::string& newName);
// Duplicate: a byte-for-byte copy under a new name in the same folder.
CommandReport RunDuplicate(const FileCommandContext& ctx, const std::string& name, const std::string& newName);
// Make one folder inside the folder being shown.
CommandReport RunMakeFolder(const FileCommandContext& ctx, const std::string& name);

// The input boxes of rename, duplicate and make folder.
TInputDialogModel RenameDialog(const std::string& name);
TInputDialogModel DuplicateDialog(const std::string& name);
TInputDialogModel MakeFolderDialog(const std::string& currentFolder);

// The file-operation dialog TForm2 without its widgets.
class TFileOpDialogModel {
 public:
  static constexpr const char* kSection = "File";
  static constexpr const char* kCountKey = "ToFileCount";
  static constexpr int kCap = 10;
  enum Choice { Copy = 0, Move = 1, Extract = 2 };

  std::string caption = "ファイル操作";
  std::string LDirectory;
  int RGfile = Copy;
  std::vector<std::string> choices{"コピー", "移動", "解凍"};
  std::string Lfiles;              // count line
  std::vector<std::string> Memo1;  // the sources, one per line
  std::string CBdir;               // the folder box
  std::vector<std::string> history;

  // The box starts at the last target, or for an extraction at the folder
  // being shown.
  void Open(const TIniFile& ini, const std::string& currentFolder, Choice choice,
            const std::vector<std::string>& sources);
  // A folder chosen in the tree goes to the box and the heading.
  void ChooseFolder(const std::string& folder);
  // OK: history saved; returns the target folder for DialogAnswer.
  std::string Accept(TIniFile& ini);
};

// The attribute dialog TForm5 without its widgets.
class TAttributeDialogModel {
 public:
  explicit TAttributeDialogModel(IFileAttributes& attrs) : attrs_(attrs) {}
  std::string caption = "ﾌｧｲﾙの属性変更";
  std::string text = "ﾌｧｲﾙの属性を変更します。";
  std::string group = "属性";
  std::string labelR = "書き込み禁止(&R)", labelA = "ｱｰｶｲﾌﾞ(&A)", labelS = "ｼｽﾃﾑ(&S)", labelH = "隠しﾌｧｲﾙ(&H)";

  std::string path;
  bool readOnly = false, archive = false, system = false, hidden = false;
  bool boxesEnabled = true;
  bool hiddenEnabled = true;  // a dot name is hidden anyway: checked and disabled

  // Returns the warning to show ("属性情報取得に失敗しました。") or "".
  std::string Open(const std::string& filePath);
  // OK: writes the four bits only when they changed. Returns the warning
  // ("属性変更に失敗しました。") or "".
  std::string Accept();
  uint32_t Attributes() const;

 private:
  IFileAttributes& attrs_;
  uint32_t original_ = 0;
};

}  // namespace navirt

#pragma once
// The file commands of the main window: copy, move, delete, rename,
// duplicate, make folder, attributes, split, merge, listings and the
// saved name lists, in the File menu and the file list's pop-up.
#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fileops/SHFOP.h"
#include "platform/DosAttributes.h"
#include "platform/Trash.h"

class IHost;

// Owns what the commands share: the one TSHFOP whose options carry over
// from command to command, and the services behind the platform
// interfaces (tests put fakes in their place).
class TFileOpsController : public QObject {
 public:
  TFileOpsController(IHost& host, QObject* owner);

  navirt::TSHFOP op;
  navirt::ITrash* trash;
  navirt::IFileAttributes* attributes;
  int jobShowAfterMs = 300;  // when the progress window appears
  // Called on the job's thread at every progress step, before the cancel
  // flag is read (tests hold a job here until its window is up).
  std::function<void()> stepHook;
  // The listing program (empty: navirt-dir next to this program).
  std::string dirProgram;

  IHost& host;

 private:
  std::unique_ptr<navirt::FreedesktopTrash> systemTrash_;
  navirt::SystemFileAttributes systemAttributes_;
};

// The controller the install handed over for host (null before).
TFileOpsController* FileOpsControllerOf(const IHost& host);

// Installs the commands and returns their controller (the window owns it).
TFileOpsController& InstallFileOpsCommands(IHost& host);

// Copies files into a folder as the copy command does (a job with its
// progress and its question for existing names, then its messages); the
// list is reloaded and the folder shown stays.
void CopyFilesInto(IHost& host, const std::vector<std::string>& sources, const std::string& target);
// Files dropped on the window: copied into the folder shown the same way,
// unless the drop option is off or the first already lies there.
void CopyDroppedFiles(IHost& host, const std::vector<std::string>& dropped);

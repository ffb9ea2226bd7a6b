#pragma once
// The menu "書庫(&L)": the LHA and the general archive commands, their
// copies in the file list's pop-up menu, the toolbar buttons, the option
// "LHA書庫内容表示(&L)" and the LHA listing in place of the preview.
#include <QObject>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/ArcCommands.h"
#include "host/ui/Job.h"

class IHost;
class QAction;
class QMenu;

class TArchiveController : public QObject {
  Q_OBJECT
 public:
  TArchiveController(IHost& host, QObject* owner);
  ~TArchiveController() override;

  // One command: its dialogs here, its work as a job, then its outcome.
  void Run(navirt::TArcCommand command);
  // The preview hook: the listing of an LHA archive while the option is
  // on; false lets the normal preview run.
  bool Preview();
  // Shows what a command left, in the order TArcOutcome documents.
  void Apply(const navirt::TArcOutcome& out);

  int LhaVersion() const;
  // Loads another LHA library in place of UNLHA32 (one that is missing
  // gives version 0 and turns the LHA items off).
  void UseLhaLibrary(const std::string& winName);
  // The LHA items, their submenu and buttons follow the version.
  void ApplyLhaAvailability();

  // Called on the job's thread at every entry, before the cancel flag is
  // read (tests hold a job here until its window is up).
  std::function<void()> stepHook;

  QMenu* LhaCommandMenu = nullptr;  // "LHAコマンド(&H)"

 private:
  navirt::TArcSelection Selection() const;
  // The questions of the ask step; false on Cancel.
  bool AskTarget(navirt::TArcTargetModel& m);
  bool AskCreate(navirt::TArcAsk& ask);
  bool AskReplace(navirt::TArcPlan& plan);
  // work as a job whose steps feed its window and read its Cancel.
  JobOutcome RunAsJob(const JobSpec& spec, const std::function<void(const navirt::TArcProgress&)>& work);

  IHost& host_;
  std::unique_ptr<navirt::TLhaDirect> lha_;
  bool applying_ = false;
};

// Installs the commands and returns their controller (the window owns it).
TArchiveController& InstallArchiveCommands(IHost& host);
// The controller the install handed over for host (null before).
TArchiveController* ArchiveControllerOf(const IHost& host);

// Each subsystem adds its menu commands to the main window here, in menu
// order. One line per subsystem: its Install function and its header.
#include <QAction>

#include "app/ui/KeyTable.h"
#include "app/ui/MainToolBar.h"
#include "app/ui/RegisteredCommands.h"
#include "app/ui/Unit1.h"
#include "archive/ui/ArchiveCommands.h"
#include "browse/ui/BrowseCommands.h"
#include "codec/ui/CodecMenu.h"
#include "edit/ui/EditCommands.h"
#include "edit/ui/LineCommandsUi.h"
#include "fileops/ui/FileOpsCommands.h"
#include "preview/ui/HexDumpDialog.h"
#include "preview/ui/PictureView.h"
#include "print/ui/PrintCommands.h"
#include "search/ui/GrepCommands.h"
#include "search/ui/SearchCommands.h"
#include "sysinfo/ui/SysinfoCommandIds.h"
#include "sysinfo/ui/SysinfoCommands.h"

void TForm1::InstallSubsystemCommands() {
  InstallEditCommands(*this);
  InstallLineCommands(*this);
  InstallSearchCommands(*this);
  InstallGrepCommands(*this);
  InstallBrowseCommands(*this);
  InstallKeyMap(*this);
  InstallFileOpsCommands(*this);
  InstallHexDumpCommands(*this);
  InstallPictureCommands(*this);
  InstallCodecCommands(*this);
  InstallArchiveCommands(*this);
  InstallPrintCommands(*this);
  InstallSysinfoCommands(*this);
  // The date item of the menu bar opens the date window and shows the
  // caption that command gives it.
  if (QAction* date = Commands().Action(cmd::MnowInfo)) {
    connect(Mnow, &QAction::triggered, this, [this] { Commands().Trigger(cmd::MnowInfo); });
    connect(date, &QAction::changed, Mnow, [this, date] { Mnow->setText(date->text()); });
  }
  InstallRegisteredCommands(*this);
  BuildToolBarButtons(*this);
}

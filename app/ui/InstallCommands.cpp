// Each subsystem adds its menu commands to the main window here, in menu
// order. One line per subsystem: its Install function and its header.
#include "app/ui/Unit1.h"
#include "preview/ui/Unit24.h"
#include "preview/ui/PictureView.h"
#include "edit/ui/EditCommands.h"
#include "browse/ui/BrowseCommands.h"
#include "codec/ui/CodecMenu.h"
#include "search/ui/GrepCommands.h"
#include "search/ui/SearchCommands.h"

void TForm1::InstallSubsystemCommands() {
  InstallEditCommands(this);
  InstallSearchCommands(*this);
  InstallGrepCommands(this);
  InstallBrowseCommands(this);
  InstallHexDumpCommands(this);
  InstallPictureCommands(this);
  InstallCodecCommands(this);
}

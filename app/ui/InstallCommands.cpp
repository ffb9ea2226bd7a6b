// Each subsystem adds its menu commands to the main window here, in menu
// order. One line per subsystem: its Install function and its header.
#include "app/ui/Unit1.h"
#include "codec/ui/CodecMenu.h"

void TForm1::InstallSubsystemCommands() {
  InstallCodecCommands(this);
}

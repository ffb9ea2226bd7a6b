#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"

#define NAVIRT_APP_COMMANDS(X) \
  X(Mexit)                     \
  X(Mtextnewview)              \
  X(Mtextrepaint1)             \
  X(MeditView1)                \
  X(Mwordwrap)                 \
  X(Mv)                        \
  X(MshowFile)                 \
  X(Mdisp)                     \
  X(Mmousepoint)               \
  X(Mtoolbar)                  \
  X(Msubtoolbar1)              \
  X(Mcloseinitview1)           \
  X(Mfonttext)                 \
  X(Mfontfile)                 \
  X(Mtabset1)                  \
  X(Mchartset)                 \
  X(MstreamRead1)              \
  X(Mreadmax1)                 \
  X(Minitdirectry1)            \
  X(Minifileclear1)            \
  X(Mediter)                   \
  X(MediterSet)                \
  X(Mfolderreg)                \
  X(Mfolderregset)             \
  X(Mexeset)                   \
  X(Mtoolbarset)

namespace cmd {
NAVIRT_APP_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

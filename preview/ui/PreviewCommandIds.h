#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"

#define NAVIRT_PREVIEW_COMMANDS(X) \
  X(Mdump1a1)                      \
  X(Mdump1b1)                      \
  X(Mgazodisp1)                    \
  X(Mgazostrech1)                  \
  X(Mgazokakudai0)                 \
  X(Mgazokakudai1)                 \
  X(Mgazokakudai2)                 \
  X(Mgazokakudai3)                 \
  X(Mgazokakudai4)                 \
  X(Mgazokakudai5)                 \
  X(Mgazokakudai6)                 \
  X(Mgazokakudai7)

namespace cmd {
NAVIRT_PREVIEW_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

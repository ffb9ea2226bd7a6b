#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"

#define NAVIRT_PRINT_COMMANDS(X) \
  X(Mprint)                      \
  X(Mprintset)                   \
  X(Mprinterset)

namespace cmd {
NAVIRT_PRINT_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

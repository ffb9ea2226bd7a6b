#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"

#define NAVIRT_ARCHIVE_COMMANDS(X) \
  X(MlhaU)                         \
  X(MlhaP)                         \
  X(Mlhalist)                      \
  X(Mlha_V)                        \
  X(Mlha_E)                        \
  X(Marcunpack1)                   \
  X(Marclist1)                     \
  X(Marcmake)                      \
  X(Mlhashow)

namespace cmd {
NAVIRT_ARCHIVE_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

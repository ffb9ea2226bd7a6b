#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"
#include "host/ui/SharedCommandIds.h"

#define NAVIRT_BROWSE_COMMANDS(X) \
  X(Micon1)                       \
  X(Micon2)                       \
  X(Micon3)                       \
  X(Micon4)                       \
  X(Mdrivem)                      \
  X(Mfolderm)                     \
  X(Mmask)                        \
  X(Mfilesort1)                   \
  X(Mup)                          \
  X(Mrootfolder)                  \
  X(Minitview)                    \
  X(Mfilenamecurrent)             \
  X(Mfilenamefull)                \
  X(Mfilenameonly)                \
  X(Mcolumnauto)                  \
  X(Mcolumninit)                  \
  X(Mcolumnname)                  \
  X(Mcontextfolder)               \
  X(Mcontextopen)                 \
  X(Mcontextopenwith)             \
  X(Mcontextprops)                \
  X(Mtreeopen)                    \
  X(Mtreerename)                  \
  X(Msubfolderview1)

namespace cmd {
NAVIRT_BROWSE_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

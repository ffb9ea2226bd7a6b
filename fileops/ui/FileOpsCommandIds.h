#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"

#define NAVIRT_FILEOPS_COMMANDS(X) \
  X(Mfilecopy)                     \
  X(Mfilemove)                     \
  X(Mfiledelete)                   \
  X(Mfiledelete2)                  \
  X(Mrename)                       \
  X(Mfilefukusei)                  \
  X(Mmkdir)                        \
  X(Mpropaty)                      \
  X(Mfilediv)                      \
  X(Mfilemerge)                    \
  X(Mdircommand1)                  \
  X(Mdircommand2)                  \
  X(Mfilenamesave1)                \
  X(Mfilenamesave2)                \
  X(Mfoldersave)                   \
  X(Mfilenamecopy1)                \
  X(Mdialogdisp1)

namespace cmd {
NAVIRT_FILEOPS_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"

#define NAVIRT_SYSINFO_COMMANDS(X) \
  X(MnowInfo)                      \
  X(Msysteminfo1)                  \
  X(MdriveInfo)                    \
  X(Mgomi)                         \
  X(Mdos)                          \
  X(Mcontrolpanel)                 \
  X(Mdiskcopy1)                    \
  X(Mformat)                       \
  X(Mssaver)                       \
  X(Mstart)                        \
  X(Msend)                         \
  X(MexitW)                        \
  X(Msysreboot1)                   \
  X(Msyslogoff1)                   \
  X(Msysstandby1)                  \
  X(Mfileexe)                      \
  X(Murl)                          \
  X(Mhelpcontents)                 \
  X(Mhelpsearch)                   \
  X(Mhelpusage)                    \
  X(Mabout)

namespace cmd {
NAVIRT_SYSINFO_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

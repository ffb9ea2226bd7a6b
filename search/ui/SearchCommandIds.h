#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"

#define NAVIRT_SEARCH_COMMANDS(X) \
  X(Mgrep)                        \
  X(Mgrep2)                       \
  X(Mserch)                       \
  X(MserchNext)                   \
  X(Mserchnextup1)                \
  X(Mreplace1)                    \
  X(MreplaceGrep1)                \
  X(Mreplaceall1)                 \
  X(Mdeleteline1)                 \
  X(MdeletelineR1)                \
  X(Mrenzokudeleteline1)          \
  X(Mpickupline1)                 \
  X(MpickuplineSEIKI1)            \
  X(Mstringreplace1)              \
  X(Mrenzku1)

namespace cmd {
NAVIRT_SEARCH_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"

#define NAVIRT_EDIT_COMMANDS(X) \
  X(Mundo) \
  X(Mcut) \
  X(Mcopy) \
  X(Mpaste) \
  X(Mtextdelete) \
  X(Mallselect) \
  X(Mkanihensyu) \
  X(Mjump) \
  X(Msaveas) \
  X(Msave) \
  X(Mbackup1) \
  X(Mtodiropen1) \
  X(Mrtf) \
  X(Mtexttop) \
  X(Mtextend)

namespace cmd {
NAVIRT_EDIT_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

#pragma once
// Commands and options that more than one subsystem names, declared once
// here so no subsystem includes another's list. Each is still installed by
// the one subsystem that owns its row: Mkanihensyu and Mjump by edit (search
// turns edit mode on and shows the jump in its menu), the option
// Mtodiropen1 by edit (file and archive commands show the target folder),
// the option Mdragdrop1 by browse (file commands copy drops).
#include "host/ui/CommandName.h"

#define NAVIRT_SHARED_COMMANDS(X) \
  X(Mkanihensyu)                  \
  X(Mjump)                        \
  X(Mtodiropen1)                  \
  X(Mdragdrop1)

namespace cmd {
NAVIRT_SHARED_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

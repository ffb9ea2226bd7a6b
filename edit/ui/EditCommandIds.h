#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"
#include "host/ui/SharedCommandIds.h"

#define NAVIRT_EDIT_COMMANDS(X) \
  X(Mundo)                      \
  X(Mredo)                      \
  X(Mcut)                       \
  X(Mcopy)                      \
  X(Mpaste)                     \
  X(Mtextdelete)                \
  X(Mallselect)                 \
  X(Msaveas)                    \
  X(Msave)                      \
  X(Mbackup1)                   \
  X(Mrtf)                       \
  X(Mtexttop)                   \
  X(Mtextend)                   \
  X(Msortasc)                   \
  X(Msortdesc)                  \
  X(Mnumberhead)                \
  X(Mnumberheadcomma)           \
  X(Mnumbertail)                \
  X(Mnumbertailcomma)           \
  X(Mserialnumber)              \
  X(Mreverse)                   \
  X(Mlinecopydown)              \
  X(Mcutatcolumn)               \
  X(Mcutappend)                 \
  X(Minsertatcolumn)            \
  X(Mcolumnextract)             \
  X(Mcolumndelete)              \
  X(Mgofirstline)               \
  X(Mgolastline)                \
  X(Mtrimlead)                  \
  X(Mtrimtrail)                 \
  X(Mdelblanks)                 \
  X(Mdelideospaces)             \
  X(Mdeltabs)                   \
  X(Mdelleadtabs)               \
  X(Mdellineends)               \
  X(Mdelemptylines)             \
  X(Mdelsamelines)              \
  X(Mdelcaretline)              \
  X(Mdelsamekeys)               \
  X(Mselectiondelete)           \
  X(Mcsvdquote)                 \
  X(Mcsvsquote)                 \
  X(Mcsvcomma)                  \
  X(Mcsvtab)                    \
  X(Mcsvspace)                  \
  X(Mcsvnone)                   \
  X(Mcsvany)                    \
  X(Mcsvhex)                    \
  X(Mtabtospace)                \
  X(Mtabtocomma)                \
  X(Mtabtounderscore)           \
  X(Mhtml)                      \
  X(Mhtmltabtrimempty)          \
  X(Mhtmltabempty)              \
  X(Mhtmlempty)                 \
  X(Mtex)                       \
  X(Mhtmldel)                   \
  X(Mhtmldeltabtrimempty)       \
  X(Mhtmldeltabempty)           \
  X(Mhtmldelempty)              \
  X(Mtexdel)

namespace cmd {
NAVIRT_EDIT_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

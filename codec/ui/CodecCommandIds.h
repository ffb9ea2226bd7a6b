#pragma once
// The commands of this subsystem, by the names the menus, toolbars, the key
// map and the settings file know them by. A command whose row is not built
// yet is still declared here: its key and its key-list entry show disabled.
#include "host/ui/CommandName.h"

#define NAVIRT_CODEC_COMMANDS(X) \
  X(Mcodeauto)                   \
  X(Mjis2sjis)                   \
  X(Meuc2sjis)                   \
  X(Msjis2jis)                   \
  X(Meuc2jis)                    \
  X(Msjis2euc)                   \
  X(Mjis2euc)                    \
  X(Mutf82sjis)                  \
  X(Msjis2utf8)                  \
  X(Mutf162sjis)                 \
  X(Meuc2utf8)                   \
  X(Mbase64enc)                  \
  X(Mbase64dec)                  \
  X(Mmimeenc)                    \
  X(Mmimedec)                    \
  X(Muuenc)                      \
  X(Muudec)                      \
  X(Mbinhexenc)                  \
  X(Mbinhexdec)                  \
  X(Mcrlfauto)                   \
  X(Mcr2crlf)                    \
  X(Mlf2crlf)                    \
  X(Mcrlf2cr)                    \
  X(Mlf2cr)                      \
  X(Mcrlf2lf)                    \
  X(Mcr2lf)                      \
  X(Mhan2zen)                    \
  X(Mzen2han)                    \
  X(Mhankana2zen)                \
  X(Mzenspace2han)               \
  X(MpopupCodeAuto)

namespace cmd {
NAVIRT_CODEC_COMMANDS(NAVIRT_DECLARE_COMMAND)
}  // namespace cmd

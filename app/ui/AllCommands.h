#pragma once
// Every declared command of every subsystem, for the tests that check that
// each menu item, button and key names exactly one of them.
#include <iterator>

#include "app/ui/AppCommandIds.h"
#include "archive/ui/ArchiveCommandIds.h"
#include "browse/ui/BrowseCommandIds.h"
#include "codec/ui/CodecCommandIds.h"
#include "edit/ui/EditCommandIds.h"
#include "fileops/ui/FileOpsCommandIds.h"
#include "host/ui/SharedCommandIds.h"
#include "preview/ui/PreviewCommandIds.h"
#include "print/ui/PrintCommandIds.h"
#include "search/ui/SearchCommandIds.h"
#include "sysinfo/ui/SysinfoCommandIds.h"

inline constexpr CommandName kAllCommands[] = {
    NAVIRT_APP_COMMANDS(NAVIRT_LIST_COMMAND) NAVIRT_BROWSE_COMMANDS(NAVIRT_LIST_COMMAND)
        NAVIRT_CODEC_COMMANDS(NAVIRT_LIST_COMMAND) NAVIRT_EDIT_COMMANDS(NAVIRT_LIST_COMMAND)
            NAVIRT_PREVIEW_COMMANDS(NAVIRT_LIST_COMMAND) NAVIRT_SEARCH_COMMANDS(NAVIRT_LIST_COMMAND)
                NAVIRT_FILEOPS_COMMANDS(NAVIRT_LIST_COMMAND) NAVIRT_ARCHIVE_COMMANDS(NAVIRT_LIST_COMMAND)
                    NAVIRT_SYSINFO_COMMANDS(NAVIRT_LIST_COMMAND) NAVIRT_PRINT_COMMANDS(NAVIRT_LIST_COMMAND)
                        NAVIRT_SHARED_COMMANDS(NAVIRT_LIST_COMMAND)};

#pragma once
// Browsing: view styles, navigation, the drive, folder, mask and sort
// dialogs, file-name listings, the panes' pop-ups, the key map, drag and drop.
#include "browse/ui/DragDrop.h"
#include "browse/ui/FileViews.h"
#include "browse/ui/KeyMap.h"
#include "browse/ui/Navigation.h"

class IHost;

void InstallBrowseCommands(IHost& host);

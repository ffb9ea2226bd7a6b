#pragma once
// The registered applications ("実行(&G)"), the registered folders'
// pop-up (key G) and the editor (key E) in the application menu.
class IHost;
class QMenu;

void InstallRegisteredCommands(IHost& host);

// The menus as the settings file describes them now (built again each
// time they open, so a change in the file shows at once).
QMenu* ApplicationMenuOf(IHost& host);       // Mexedo
QMenu* ApplicationPopupMenuOf(IHost& host);  // Mexedo2, its twin in the pane's pop-up
QMenu* FolderPopupOf(IHost& host);           // PopupMenu2
void RebuildRegisteredMenus(IHost& host);

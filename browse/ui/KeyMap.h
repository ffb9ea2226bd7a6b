#pragma once
// The browsing panes' own keys: Backspace, Enter, Home, the arrows and the
// keypad's view styles work the same whatever commands the window offers.
// The letters and Delete run other subsystems' commands, so the window maps
// them (app/ui/KeyTable.h).
class IHost;
class QKeyEvent;
class QMenu;
class QObject;

// A key pressed in the folder tree or the file list; true when consumed.
bool BrowseKeyPress(IHost& host, QObject* target, QKeyEvent* key);
// The key list's entries for those keys: the four view styles, Enter, BS
// and HOME.
void AddBrowseKeyItems(IHost& host, QMenu* keys);

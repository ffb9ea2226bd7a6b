#pragma once
// Moving about the folders: every navigation command goes to a folder the
// same way, then selects and focuses the list's first item.
#include <string>

class IHost;
class QAbstractItemView;

// Goes to a folder and selects and focuses the list's first item.
// Returns false (and stays) when the folder cannot be shown.
bool NavigateTo(IHost& host, const std::string& folder);
// As NavigateTo under the hourglass, the information line emptied first;
// back to the previous folder when the target cannot be shown.
void NavigateOrGoBack(IHost& host, const std::string& folder);
void GoUp(IHost& host);
void GoRoot(IHost& host);
void SelectFirstItem(IHost& host);
// Enter: opens the selected folder; false when the selection is no folder.
bool OpenSelectedFolder(IHost& host);
// The list view of the current style: the icon view, or the details view.
QAbstractItemView* ActiveFileView(IHost& host);

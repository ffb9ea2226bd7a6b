#pragma once
// Dragging files: from the list to a folder of the tree (Shift held), from
// the list to other programs and from other programs onto the window (while
// "ドラッグ&&ドロップ使用" is on). Every drop copies as the copy command does.
#include <string>

class IHost;

void InstallDragAndDrop(IHost& host);
// The list's selected files dropped on a folder of the tree (trailing '/'):
// copied there; a drop on the folder shown or outside every node ("")
// copies nothing and warns.
void DropSelectionOnFolder(IHost& host, const std::string& target);

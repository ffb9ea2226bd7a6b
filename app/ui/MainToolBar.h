#pragma once
// Both toolbars in their final order, once every subsystem has installed
// its commands: buttons for commands that have none of their own yet, and
// every button in the order of the toolbar lists, in groups.
class IHost;

void CompleteToolBars(IHost& host);

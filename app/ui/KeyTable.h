#pragma once
// The key map of the folder tree and the file list: which command each
// letter of the key list runs, and the key list of the whole-menu pop-up
// that carries the same commands. It names every subsystem's commands, so
// the window keeps it; browsing keeps its own keys (browse/ui/KeyMap.h).
#include "host/ui/CommandName.h"

class IHost;
class QKeyEvent;
class QObject;

// A key pressed in the folder tree or the file list; true when consumed.
bool PaneKeyPress(IHost& host, QObject* target, QKeyEvent* key);
// Runs the command of a key-list letter ('A'..'Z', ';', '\\').
void RunKeyLetter(IHost& host, char letter);
// The command a letter of the key map runs; null for the browser's own keys.
const CommandName* KeyLetterCommand(char letter);
// "ショートカットキー(&Y)" in the whole-menu pop-up, then its closing items,
// and the panes' key handler. After the browse commands: the key list
// follows their pop-up items.
void InstallKeyMap(IHost& host);

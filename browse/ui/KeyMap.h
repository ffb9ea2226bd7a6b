#pragma once
// The key map of the folder tree and the file list, and the key list of the
// whole-menu pop-up that carries the same commands.
#include "host/ui/CommandName.h"

class IHost;
class QKeyEvent;
class QObject;

// A key pressed in the folder tree or the file list; true when consumed.
bool BrowseKeyPress(IHost& host, QObject* target, QKeyEvent* key);
// Runs the command of a key-list letter ('A'..'Z', ';', '\\').
void RunKeyLetter(IHost& host, char letter);
// The command a letter of the key map runs; null for the browser's own keys.
const CommandName* KeyLetterCommand(char letter);
// Runs a command for a key; a command not built or not usable now beeps
// and says so in the status bar instead of doing nothing silently.
bool RunKeyCommand(IHost& host, CommandName name);
// "ショートカットキー(&K)" in the whole-menu pop-up, then its closing items.
void InstallKeyList(IHost& host);

#pragma once
// Browsing: view styles, navigation, the drive, folder, mask and sort
// dialogs, file-name listings, the key map, drag and drop.
#include <string>

#include "host/ui/CommandName.h"
#include <vector>

class QAbstractItemView;
class QKeyEvent;
class QObject;
class TForm1;

void InstallBrowseCommands(TForm1* form);

// Goes to a folder and selects and focuses the list's first item.
// Returns false (and stays) when the folder cannot be shown.
bool NavigateTo(TForm1* form, const std::string& folder);
void GoUp(TForm1* form);
void GoRoot(TForm1* form);
void SelectFirstItem(TForm1* form);

// 1 large icons, 2 small icons, 3 list, 4 details.
void ApplyFileViewStyle(TForm1* form, int style);
QAbstractItemView* ActiveFileView(TForm1* form);
// Fits the details view's columns to their content, the name taking the rest.
void FitFileColumns(TForm1* form);

// A key pressed in the folder tree or the file list; true when consumed.
bool BrowseKeyPress(TForm1* form, QObject* target, QKeyEvent* key);
// Runs the command of a key-list letter ('A'..'Z', ';', '\\').
void RunKeyLetter(TForm1* form, char letter);
// The command a letter of the key map runs; null for the browser's own keys.
const CommandName* KeyLetterCommand(char letter);
// Runs a command for a key; a command not built or not usable now beeps
// and says so in the status bar instead of doing nothing silently.
bool RunKeyCommand(TForm1* form, CommandName name);

// Copies paths into a folder as a drop does, with its messages.
void CopyDroppedFiles(TForm1* form, const std::vector<std::string>& paths, const std::string& target);

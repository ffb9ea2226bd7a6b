#pragma once
#include <string>

class IHost;

// The edit pane's commands: modes, clipboard, jump, caret buttons, saving.
void InstallEditCommands(IHost& host);

// Saving, for the commands and for tests. SaveAs asks for the name unless
// one is given.
bool SavePaneAs(IHost* host, const std::string& target = {});
bool SavePaneOver(IHost* host);
// The save the question "変更を保存しますか？" runs: over the selected file
// (else under a name), the views left as they are for what follows.
bool SavePaneInPlace(IHost* host);

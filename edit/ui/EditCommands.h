#pragma once
class TForm1;
#include <string>

// The edit pane's commands: modes, clipboard, jump, caret buttons, saving.
void InstallEditCommands(TForm1* form);

// Saving, for the commands and for tests. SaveAs asks for the name unless
// one is given.
bool SavePaneAs(TForm1* form, const std::string& target = {});
bool SavePaneOver(TForm1* form);

#pragma once
// The hexadecimal dumps, run as jobs with their progress window and Cancel.

#include <functional>

class TForm1;

// The two dump commands; they act on SelectedPath and the pane.
void StandardHexDump(TForm1* form);
void BelowLineHexDump(TForm1* form);
void InstallHexDumpCommands(TForm1* form);

// Tests watch the dump's progress checks through this hook (worker thread).
extern std::function<void()> hexDumpProgressHook;

#pragma once
// The hexadecimal dumps, run as jobs with their progress window and Cancel.

#include <functional>

class IHost;

// The two dump commands; they act on the selected file and the pane.
void StandardHexDump(IHost& host);
void BelowLineHexDump(IHost& host);
void InstallHexDumpCommands(IHost& host);

// Tests watch the dump's progress checks through this hook (worker thread).
extern std::function<void()> hexDumpProgressHook;

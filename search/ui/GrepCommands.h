#pragma once
// "Grepの実行(&G)" and "Grepの中止(&Q)" in the search menu.
class TForm1;
class TGrepController;

void InstallGrepCommands(TForm1* form);
// The form's grep component Grep1 and its run state (nullptr before
// InstallGrepCommands).
TGrepController* GrepControllerOf(TForm1* form);

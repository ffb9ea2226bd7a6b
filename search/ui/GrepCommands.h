#pragma once
// "Grepの実行(&G)" and "Grepの中止(&Q)" in the search menu.
class IHost;

void InstallGrepCommands(IHost& host);

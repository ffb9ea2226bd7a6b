#pragma once
// The information menu: date window, system report, drive information, the
// desktop shortcuts, shut-down and its kin, running a file, opening a URL;
// the help menu: About and the help pages.
#include "platform/DesktopServices.h"

class IHost;

void InstallSysinfoCommands(IHost& host);

// The desktop services the window's commands go through. The window owns a
// real process starter; tests hand it the recording fake instead (the
// starter must outlive the window).
navirt::TDesktopServices& DesktopServicesOf(IHost& host);
void ReplaceProcessStarter(IHost& host, navirt::IProcessStarter& starter, const navirt::DesktopEnv& env);

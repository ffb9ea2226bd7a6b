#pragma once
// Both toolbars, built once every subsystem has installed its commands:
// each button of the toolbar lists, in their order and groups, is the
// button of the command that list slot names.
class IHost;

void BuildToolBarButtons(IHost& host);

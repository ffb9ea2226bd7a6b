#pragma once
// The main toolbar in its final order, once every subsystem has installed
// its commands and buttons: every button in the order of the toolbar list,
// in groups.
class IHost;

void CompleteMainToolBar(IHost& host);

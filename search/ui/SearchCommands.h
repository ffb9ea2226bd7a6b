#pragma once
// The search menu's find and replace commands and the delete menu's
// commands that delete or extract by a search.
#include <string_view>

#include "search/SearchOutcome.h"

class IHost;
class TRichEdit;

void InstallSearchCommands(IHost& host);

// Applies what a search command asks of the window, in the outcome's
// order: the range or the text or the lines are replaced, the marker set,
// the selection set and centred, the message shown. paneBytes is the
// pane's text the command worked on (its byte mirror).
void ApplySearchOutcome(IHost& host, const navirt::SearchOutcome& o, std::string_view paneBytes);

// Selects bytes [start, start + length) of text (the pane's Text()) and
// centres the find; converts only the lines the selection touches.
void SelectPaneBytes(TRichEdit* pane, std::string_view text, navirt::TextSelection sel);

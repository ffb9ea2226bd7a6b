#pragma once
// The search menu's find and replace commands and the delete menu's
// commands that delete or extract by a search.
#include <string_view>

#include "search/SearchOutcome.h"

#include <QTextBlock>

#include <vector>

class IHost;
class QTextDocument;
class TRichEdit;

// The first line of each block of the pane's document, made on first use
// and dropped (Invalidate) whenever the pane's text changes.
class TBlockLineIndex {
 public:
  void Invalidate() { valid_ = false; }
  // The block holding line (the last block when there are fewer lines) and
  // the line's index within it.
  QTextBlock Find(const QTextDocument* doc, int line, int* within);

 private:
  void Build(const QTextDocument* doc);
  std::vector<int> firstLine_;
  bool valid_ = false;
};

void InstallSearchCommands(IHost& host);

// Applies what a search command asks of the window, in the outcome's
// order: the range or the text or the lines are replaced, the marker set,
// the selection set and centred, the message shown. paneBytes is the
// pane's text the command worked on (its byte mirror).
void ApplySearchOutcome(IHost& host, const navirt::SearchOutcome& o, std::string_view paneBytes,
                        TBlockLineIndex* index = nullptr);

// Selects bytes [start, start + length) of text (the pane's Text()) and
// centres the find; converts only the lines the selection touches.
void SelectPaneBytes(TRichEdit* pane, std::string_view text, navirt::TextSelection sel,
                     TBlockLineIndex* index = nullptr);

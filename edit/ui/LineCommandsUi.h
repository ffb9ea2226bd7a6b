#pragma once
// The line commands of the menus 編集, 削除 and 変換 (sorting, numbering,
// columns, trimming, CSV records, TAB replacement), HTML and TeX removal,
// their pop-up copies and the toolbar button "html->txt".
#include <QObject>

#include "regex/bmRegExp.h"

class IHost;

// What the commands keep between runs, owned by the main window: the
// engine object whose cache keeps the TeX expressions compiled, and when the
// HTML job's progress window appears.
class TLineCommandsUi : public QObject {
  Q_OBJECT
 public:
  explicit TLineCommandsUi(QObject* parent);
  navirt::TAWKStr AWKStr1;
  int jobShowAfterMs = 300;
};

void InstallLineCommands(IHost& host);

#include "app/ui/MainToolBar.h"

#include <QAction>
#include <QApplication>
#include <QToolBar>

#include <algorithm>
#include <iterator>

#include "app/MainSettings.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"
#include "sysinfo/ui/SysinfoCommandIds.h"

namespace {

struct ButtonRow {
  const char* object;
  const char* tip;  // the hint's title, also the button's text
  CommandName command;
};

// Buttons the toolbar lists name whose subsystem adds none of its own.
const ButtonRow kTextButtons[] = {
    {"ToolButton48", "URL", cmd::Murl},
};

QAction* Named(QToolBar* bar, const QString& name) {
  for (QAction* a : bar->actions())
    if (a->objectName() == name) return a;
  return nullptr;
}

void AddMissing(IHost& host, QToolBar* bar, const ButtonRow* rows, size_t n) {
  IHost* h = &host;
  for (size_t i = 0; i < n; ++i) {
    const ButtonRow& b = rows[i];
    if (Named(bar, b.object)) continue;
    auto* a = new QAction(QString::fromUtf8(b.tip), bar);
    a->setObjectName(b.object);
    a->setToolTip(QString::fromUtf8(b.tip));
    a->setStatusTip(QString::fromUtf8(b.tip));
    a->setProperty("navirtCommand", b.command.text);
    CommandName command = b.command;
    QObject::connect(a, &QAction::triggered, bar, [h, command] {
      if (!h->Commands().Trigger(command)) QApplication::beep();
    });
    bar->addAction(a);
  }
}

// The action after a on the bar, null at the end.
QAction* After(QToolBar* bar, QAction* a) {
  const QList<QAction*> all = bar->actions();
  qsizetype i = all.indexOf(a);
  return i >= 0 && i + 1 < all.size() ? all[i + 1] : nullptr;
}

// The buttons named in order, a separator after each of groupEnds. Only
// buttons out of place move (a moved button gets a new widget, and some
// subsystems set theirs up), and buttons the list does not know stay.
void Order(QToolBar* bar, const std::vector<std::string>& order, const QStringList& groupEnds) {
  for (QAction* a : bar->actions())
    if (a->isSeparator()) {
      bar->removeAction(a);
      delete a;
    }
  std::vector<QAction*> want;
  for (const std::string& name : order)
    if (QAction* a = Named(bar, QString::fromStdString(name))) want.push_back(a);
  if (want.empty()) return;
  // The longest run already in order stays where it is.
  const QList<QAction*> all = bar->actions();
  const size_t n = want.size();
  std::vector<size_t> len(n, 1), prev(n, n);
  for (size_t i = 0; i < n; ++i)
    for (size_t j = 0; j < i; ++j)
      if (all.indexOf(want[j]) < all.indexOf(want[i]) && len[j] + 1 > len[i]) {
        len[i] = len[j] + 1;
        prev[i] = j;
      }
  std::vector<bool> keep(n, false);
  size_t last = size_t(std::max_element(len.begin(), len.end()) - len.begin());
  for (size_t i = last; i < n; i = prev[i]) keep[i] = true;
  for (size_t i = 0; i < n; ++i) {
    if (keep[i]) continue;
    bar->removeAction(want[i]);
    QAction* before = nullptr;
    if (i > 0)
      before = After(bar, want[i - 1]);
    else
      for (size_t j = 1; j < n && !before; ++j)
        if (keep[j]) before = want[j];
    bar->insertAction(before, want[i]);
  }
  for (QAction* a : want)
    if (groupEnds.contains(a->objectName())) bar->insertSeparator(After(bar, a));
}

}  // namespace

void CompleteToolBars(IHost& host) {
  AddMissing(host, host.TextToolBar(), kTextButtons, std::size(kTextButtons));

  // The list's order; "dirコマンド" (not in the settings) after the mask.
  std::vector<std::string> order = navirt::ToolBar1Buttons();
  for (size_t i = 0; i < order.size(); ++i)
    if (order[i] == "ToolButton12") {
      order.insert(order.begin() + long(i) + 1, "ToolButton47");
      break;
    }
  Order(host.MainToolBar(), order,
        {"ToolButton35", "ToolButton40", "ToolButton47", "ToolButton28", "ToolButton34", "ToolButton44"});
  // The pane's show/hide switch leads the text toolbar; it is not in the settings.
  std::vector<std::string> text = navirt::ToolBar2Buttons();
  text.insert(text.begin(), "SBeditview");
  Order(host.TextToolBar(), text,
        {"SBeditview", "ToolButton17", "ToolButton21", "ToolButton20", "ToolButton26", "ToolButton48"});
}

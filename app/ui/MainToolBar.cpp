#include "app/ui/MainToolBar.h"

#include <QAction>
#include <QToolBar>

#include "app/MainSettings.h"
#include "host/ui/Host.h"

namespace {

QAction* Named(QToolBar* bar, const QString& name) {
  for (QAction* a : bar->actions())
    if (a->objectName() == name) return a;
  return nullptr;
}

}  // namespace

void CompleteMainToolBar(IHost& host) {
  QToolBar* bar = host.MainToolBar();
  // The list's order; "dirコマンド" (not in the settings) after the mask.
  std::vector<std::string> order = navirt::ToolBar1Buttons();
  for (size_t i = 0; i < order.size(); ++i)
    if (order[i] == "ToolButton12") {
      order.insert(order.begin() + long(i) + 1, "ToolButton47");
      break;
    }
  // A group ends after each of these.
  const QStringList groupEnds = {"ToolButton35", "ToolButton40", "ToolButton47", "ToolButton28", "ToolButton34",
                                 "ToolButton44"};
  for (QAction* a : bar->actions())
    if (a->isSeparator()) {
      bar->removeAction(a);
      delete a;
    }
  std::vector<QAction*> placed;
  for (const std::string& name : order)
    if (QAction* a = Named(bar, QString::fromStdString(name))) {
      bar->removeAction(a);
      placed.push_back(a);
    }
  // Buttons the list does not know keep their place ahead of the list's.
  for (QAction* a : placed) {
    bar->addAction(a);
    if (groupEnds.contains(a->objectName())) bar->addSeparator();
  }
}

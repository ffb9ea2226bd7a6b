#include "app/ui/MainToolBar.h"

#include <QAction>
#include <QApplication>
#include <QToolBar>

#include "app/MainSettings.h"
#include "fileops/ui/FileOpsCommandIds.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Host.h"

namespace {

struct ButtonRow {
  const char* object;
  const char* tip;  // the hint's title, also the button's text
  CommandName command;
};

// File commands whose buttons the toolbar list names.
const ButtonRow kFileButtons[] = {
    {"ToolButton4", "コピー(C)", cmd::Mfilecopy},   {"ToolButton5", "移動(M)", cmd::Mfilemove},
    {"ToolButton3", "削除(D)", cmd::Mfiledelete},   {"ToolButton6", "名前の変更(R)", cmd::Mrename},
    {"ToolButton40", "属性変更(A)", cmd::Mpropaty}, {"ToolButton47", "dirコマンド", cmd::Mdircommand2},
};

QAction* Named(QToolBar* bar, const QString& name) {
  for (QAction* a : bar->actions())
    if (a->objectName() == name) return a;
  return nullptr;
}

}  // namespace

void CompleteMainToolBar(IHost& host) {
  QToolBar* bar = host.MainToolBar();
  IHost* h = &host;
  for (const ButtonRow& b : kFileButtons) {
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

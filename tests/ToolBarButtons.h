#pragma once
// A toolbar button as the user meets it: the shown widget of a toolbar slot,
// clicked with the mouse through the window system.
#include <QAction>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

#include "app/ToolButtonIds.h"

inline QToolButton* ToolButtonOf(QWidget* window, navirt::ToolButtonId id) {
  QAction* place = window->findChild<QAction*>(QString::fromLatin1(id.key));
  if (!place) return nullptr;
  for (QToolBar* bar : window->findChildren<QToolBar*>())
    if (bar->actions().contains(place)) return qobject_cast<QToolButton*>(bar->widgetForAction(place));
  return nullptr;
}

// Shows the window when it is not, then clicks. False when the button is
// missing or hidden (a click could not reach it).
[[nodiscard]] inline bool ClickToolButton(QWidget* window, navirt::ToolButtonId id) {
  if (!window->isVisible()) {
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) return false;
  }
  QToolButton* b = ToolButtonOf(window, id);
  if (!b || !b->isVisible()) return false;
  QTest::mouseClick(b, Qt::LeftButton);
  return true;
}

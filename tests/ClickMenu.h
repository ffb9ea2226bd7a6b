#pragma once
// A menu item as the user reaches it: a click on its menu in the window's
// menu bar, on each sub-menu on the way, then on the item, all through the
// window system. The menus' enabling rules run as they open, so a disabled
// item takes the click and does nothing.
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <vector>

// The menus from the bar down to the one holding item; empty when the bar
// does not reach it.
inline std::vector<QMenu*> MenuPathTo(QMenu* menu, QAction* item) {
  for (QAction* a : menu->actions()) {
    if (a == item) return {menu};
    if (QMenu* sub = a->menu()) {
      std::vector<QMenu*> below = MenuPathTo(sub, item);
      if (!below.empty()) {
        below.insert(below.begin(), menu);
        return below;
      }
    }
  }
  return {};
}

// Shows the window when it is not. False when no menu of the bar holds
// the item or a menu did not open.
[[nodiscard]] inline bool ClickMenuItem(QMainWindow* window, QAction* item) {
  if (!item) return false;
  if (!window->isVisible()) {
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) return false;
  }
  QMenuBar* bar = window->menuBar();
  // An item of the bar itself is clicked there.
  if (bar->actions().contains(item)) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(item).center());
    return true;
  }
  std::vector<QMenu*> path;
  for (QAction* top : bar->actions()) {
    if (top->menu() && top->isVisible() && (path = MenuPathTo(top->menu(), item)).size()) break;
  }
  if (path.empty()) return false;
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(path.front()->menuAction()).center());
  for (size_t i = 0; i < path.size(); ++i) {
    QMenu* menu = path[i];
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000)) return false;
    QAction* next = i + 1 < path.size() ? path[i + 1]->menuAction() : item;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(next).center());
  }
  // A disabled item leaves its menu open; the user closes it.
  while (QWidget* open = QApplication::activePopupWidget()) open->close();
  // The keyboard goes back to the window, as the window manager hands it
  // back when a menu closes (keys and shortcuts reach it again).
  if (window->isVisible() && QGuiApplication::focusWindow() != window->windowHandle()) {
    window->activateWindow();
    window->windowHandle()->requestActivate();
    (void)QTest::qWaitFor([window] { return QGuiApplication::focusWindow() == window->windowHandle(); }, 1000);
  }
  return true;
}

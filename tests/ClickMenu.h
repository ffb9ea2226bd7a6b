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

inline bool ShowWindow(QMainWindow* window) {
  if (window->isVisible()) return true;
  window->show();
  return QTest::qWaitForWindowExposed(window);
}

// Opens target as the user does: a click on its title in the menu bar, then
// on each sub-menu on the way. False when the bar does not reach it or a
// menu did not open.
[[nodiscard]] inline bool OpenMenu(QMainWindow* window, QMenu* target) {
  if (!target || !ShowWindow(window)) return false;
  QMenuBar* bar = window->menuBar();
  std::vector<QMenu*> path;
  for (QAction* top : bar->actions()) {
    if (!top->menu() || !top->isVisible()) continue;
    if (top->menu() == target) {
      path = {target};
      break;
    }
    path = MenuPathTo(top->menu(), target->menuAction());
    if (!path.empty()) {
      path.push_back(target);
      break;
    }
  }
  if (path.empty()) return false;
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(path.front()->menuAction()).center());
  for (size_t i = 0; i < path.size(); ++i) {
    QMenu* menu = path[i];
    if (!QTest::qWaitFor([menu] { return menu->isVisible(); }, 2000)) return false;
    if (i + 1 < path.size())
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(path[i + 1]->menuAction()).center());
  }
  return true;
}

// After a click in a menu: a disabled item leaves its menu open and the
// user closes it; the keyboard goes back to the window, as the window
// manager hands it back when a menu closes (keys and shortcuts reach it
// again).
inline void CloseMenus(QMainWindow* window) {
  while (QWidget* open = QApplication::activePopupWidget()) open->close();
  if (window->isVisible() && QGuiApplication::focusWindow() != window->windowHandle()) {
    window->activateWindow();
    window->windowHandle()->requestActivate();
    (void)QTest::qWaitFor([window] { return QGuiApplication::focusWindow() == window->windowHandle(); }, 1000);
  }
}

// Clicks item in its menu. False when no menu of the bar holds it or a
// menu did not open.
[[nodiscard]] inline bool ClickMenuItem(QMainWindow* window, QAction* item) {
  if (!item || !ShowWindow(window)) return false;
  QMenuBar* bar = window->menuBar();
  // An item of the bar itself is clicked there.
  if (bar->actions().contains(item)) {
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(item).center());
    return true;
  }
  QMenu* holder = nullptr;
  for (QAction* top : bar->actions()) {
    if (!top->menu() || !top->isVisible()) continue;
    std::vector<QMenu*> path = MenuPathTo(top->menu(), item);
    if (!path.empty()) {
      holder = path.back();
      break;
    }
  }
  if (!OpenMenu(window, holder)) return false;
  QTest::mouseClick(holder, Qt::LeftButton, {}, holder->actionGeometry(item).center());
  CloseMenus(window);
  return true;
}

// Clicks the item of that caption in menu, as menu shows it once open (a
// menu that builds its items as it opens). False when it has none.
[[nodiscard]] inline bool ClickMenuText(QMainWindow* window, QMenu* menu, const QString& caption) {
  if (!OpenMenu(window, menu)) return false;
  QAction* item = nullptr;
  for (QAction* a : menu->actions())
    if (a->text() == caption) item = a;
  if (item) QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
  CloseMenus(window);
  return item != nullptr;
}

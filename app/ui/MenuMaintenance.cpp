#include "app/ui/MenuMaintenance.h"

#include <QAction>
#include <QMenu>

void TQtNumberedMenu::Show() {
  for (QMenu* menu : menus_) {
    if (!menu) continue;
    menu->clear();
    for (const navirt::MenuItemSpec& item : Items()) {
      QAction* a = menu->addAction(QString::fromStdString(item.caption));
      a->setStatusTip(QString::fromStdString(item.hint));
      a->setToolTip(QString::fromStdString(item.hint));
      a->setData(item.tag);
      int tag = item.tag;
      auto clicked = clicked_;
      QObject::connect(a, &QAction::triggered, menu, [clicked, tag] { clicked(tag); });
    }
  }
}

void TQtNumberedMenu::Rebuild(const std::vector<navirt::MenuItemSpec>& items) {
  TNumberedMenu::Rebuild(items);
  Show();
}
void TQtNumberedMenu::Add(const std::string& text, int n) {
  TNumberedMenu::Add(text, n);
  Show();
}
void TQtNumberedMenu::Delete(int index) {
  TNumberedMenu::Delete(index);
  Show();
}
void TQtNumberedMenu::Update(const std::string& text, int index) {
  TNumberedMenu::Update(text, index);
  Show();
}
void TQtNumberedMenu::MoveUp(int index) {
  TNumberedMenu::MoveUp(index);
  Show();
}
void TQtNumberedMenu::MoveDown(int index) {
  TNumberedMenu::MoveDown(index);
  Show();
}

#pragma once
// The numbered menus kept by the registration dialogs, on real menus: every
// change of the list shows in each menu at once (the application list has
// two menus, the folder list one).
#include <functional>
#include <vector>

#include "app/NumberedMenu.h"

class QMenu;

class TQtNumberedMenu : public navirt::TNumberedMenu {
 public:
  // clicked(tag) runs when an item is chosen.
  TQtNumberedMenu(std::vector<QMenu*> menus, std::function<void(int)> clicked)
      : menus_(std::move(menus)), clicked_(std::move(clicked)) {}

  void Rebuild(const std::vector<navirt::MenuItemSpec>& items) override;
  void Add(const std::string& text, int n) override;
  void Delete(int index) override;
  void Update(const std::string& text, int index) override;
  void MoveUp(int index) override;
  void MoveDown(int index) override;

 private:
  void Show();
  std::vector<QMenu*> menus_;
  std::function<void(int)> clicked_;
};

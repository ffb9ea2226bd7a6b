#include "app/NumberedMenu.h"

#include <utility>

namespace navirt {

std::string NumberedCaption(int n, const std::string& text) { return "&" + std::to_string(n) + " " + text; }

MenuItemSpec NumberedItem(int n, const std::string& text) { return {NumberedCaption(n, text), text, n}; }

void TNumberedMenu::Add(const std::string& text, int n) { items_.push_back(NumberedItem(n, text)); }

void TNumberedMenu::Delete(int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  items_.erase(items_.begin() + index);
  Renumber();
}

void TNumberedMenu::Update(const std::string& text, int index) {
  if (index < 0 || index >= static_cast<int>(items_.size())) return;
  items_[index] = NumberedItem(index + 1, text);
}

void TNumberedMenu::MoveUp(int index) {
  if (index < 1 || index >= static_cast<int>(items_.size())) return;
  std::swap(items_[index - 1].hint, items_[index].hint);
  Renumber();
}

void TNumberedMenu::MoveDown(int index) {
  if (index < 0 || index + 1 >= static_cast<int>(items_.size())) return;
  std::swap(items_[index].hint, items_[index + 1].hint);
  Renumber();
}

void TNumberedMenu::Renumber() {
  for (size_t i = 0; i < items_.size(); ++i) items_[i] = NumberedItem(static_cast<int>(i) + 1, items_[i].hint);
}

}  // namespace navirt

#pragma once
// The numbered menus of registered applications ("実行(&G)" and its twin)
// and registered folders (PopupMenu2): "&n text", hint text, tag n. The
// dialogs change them at every step through TMenuMaintenance, which the
// main window implements on its menus and TNumberedMenu on a plain list.
#include <string>
#include <vector>

namespace navirt {

struct MenuItemSpec {
  std::string caption;  // "&" n " " text: the digit is the accelerator
  std::string hint;     // the text alone
  int tag = 0;          // n, by which a click finds entry n - 1
  bool operator==(const MenuItemSpec&) const = default;
};

std::string NumberedCaption(int n, const std::string& text);
MenuItemSpec NumberedItem(int n, const std::string& text);

class TMenuMaintenance {
 public:
  virtual ~TMenuMaintenance() = default;
  virtual void Rebuild(const std::vector<MenuItemSpec>& items) = 0;
  virtual void Add(const std::string& text, int n) = 0;
  virtual void Delete(int index) = 0;
  virtual void Update(const std::string& text, int index) = 0;
  virtual void MoveUp(int index) = 0;
  virtual void MoveDown(int index) = 0;
};

// The menu as a list. Positions outside the list are ignored. After a
// move or a delete every item is numbered by its position again, so a
// caption's number, its tag and the entry it starts always agree.
class TNumberedMenu : public TMenuMaintenance {
 public:
  const std::vector<MenuItemSpec>& Items() const { return items_; }

  void Rebuild(const std::vector<MenuItemSpec>& items) override { items_ = items; }
  void Add(const std::string& text, int n) override;
  void Delete(int index) override;
  void Update(const std::string& text, int index) override;
  void MoveUp(int index) override;
  void MoveDown(int index) override;

 private:
  void Renumber();
  std::vector<MenuItemSpec> items_;
};

}  // namespace navirt

#pragma once
// Command tables: each subsystem's ui/ folder declares its commands in one
// table of rows (name, caption, shortcut, handler, enabling rule, hint), and
// its install function hands the table to the registry with the menu the
// rows belong to. Menus, pop-up copies, toolbars and the key map reach
// commands through the registry by their constant names.
#include <QKeySequence>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "host/ui/CommandName.h"

class IHost;
class QAction;
class QMenu;
class QObject;
class QToolBar;

struct CommandRow {
  CommandName name;
  const char* caption = "";         // UTF-8, with its "&" accelerator
  const char* shortcut = nullptr;   // QKeySequence text ("Ctrl+S", "F3"), or none
  std::function<void(IHost&)> run;  // the handler
  // The enabling rule, asked when the item's menu opens; none: always enabled.
  std::function<bool(IHost&)> enabled = {};
  const char* hint = nullptr;                      // "short|long": tool tip and status-bar text
  bool checkable = false;                          // option items
  bool checked = false;                            // an option's default
  std::function<void(IHost&, bool)> toggled = {};  // options
};

// Runs a command's work; an exception (running out of memory among them)
// ends it with an error box instead of leaving the window. False then.
bool RunGuarded(IHost& host, const std::function<void()>& work);

class TCommandRegistry {
 public:
  TCommandRegistry(IHost& host, QObject* owner);

  // Makes the row's action and puts it at the end of menu (if any). A name
  // installed twice is a programming error and throws std::logic_error.
  QAction* Install(const CommandRow& row, QMenu* menu = nullptr);
  void Install(const std::vector<CommandRow>& rows, QMenu* menu);
  // Adds an installed command to another menu or a toolbar (the same action:
  // one check mark, one enabled state).
  void AddTo(QMenu* menu, CommandName name);
  QAction* AddTo(QToolBar* bar, CommandName name);

  // The action of a command; null until the subsystem that owns it is built.
  QAction* Action(CommandName name) const;
  bool Has(CommandName name) const { return Action(name) != nullptr; }
  // Runs a command as its menu item would: false when it is not built,
  // disabled by its rule, or another command's job is running.
  bool Trigger(CommandName name);
  bool Checked(CommandName name, bool def) const;

  // Applies the enabling rules of the actions in that menu.
  void UpdateEnabling(QMenu* menu);
  // Every installed name, for the tests that walk menus, toolbars and keys.
  std::vector<std::string> InstalledNames() const;

  // While a job runs no other command starts.
  void SetBusy(bool busy) { busy_ = busy; }
  bool Busy() const { return busy_; }

 private:
  IHost& host_;
  QObject* owner_;
  std::map<std::string, QAction*> actions_;
  std::map<std::string, std::function<bool(IHost&)>> rules_;
  bool busy_ = false;
};

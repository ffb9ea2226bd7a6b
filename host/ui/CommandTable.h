#pragma once
// Command tables: each subsystem's ui/ folder declares its commands in one
// table of rows (name, caption, shortcut, handler, enabling rule, hint, icon
// and button), and its install function hands the table to the registry with
// the menu the rows belong to. Menus, pop-up copies, toolbars and the key map
// reach commands through the registry by their constant names; the window
// places the buttons in the order of its toolbar lists.
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
class QIcon;
class QToolBar;
class QToolButton;
class QWidget;

// How a command shows as a toolbar button, when it has one.
struct ButtonLook {
  const char* text = nullptr;  // the button's caption (its accessible name); none: no button
  // "short|long": tool tip and status text; none: the caption as the tip and
  // the command's own status text.
  const char* hint = nullptr;
  // Shown pressed while true, for a toggle the command flips (edit mode,
  // word wrap); an option command's button shows its check instead.
  std::function<bool(IHost&)> down = {};
  // A menu beside the button (its arrow opens it; the button runs the command).
  std::function<QMenu*(IHost&)> menu = {};
};

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
  const char* icon = nullptr;                      // the button's picture, by name (ButtonIcon)
  ButtonLook button = {};
};

// A row with its toolbar button.
CommandRow WithButton(CommandRow row, const char* icon, ButtonLook look);

// The project's own picture of that name (a resource), else the icon theme's.
QIcon ButtonIcon(const char* name);

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
  // Adds an installed command to another menu (the same action: one check
  // mark, one enabled state).
  void AddTo(QMenu* menu, CommandName name);
  // Puts the command's button at the end of the bar. The button shows the
  // command's action (its enabled state and check) and runs it as a key
  // would; it stands in the bar as an action named slot, which the toolbar
  // settings hide without hiding the menu item. Null when the command is not
  // installed or has no button.
  QAction* AddTo(QToolBar* bar, CommandName name, const char* slot);
  QToolButton* Button(CommandName name) const;
  // A new caption, hint and picture for a command's button (a switch that
  // names what it does next).
  void SetButtonLook(CommandName name, const char* text, const char* hint, const char* icon);
  // Asks the buttons' pressed rules again, after a toggle changed elsewhere.
  void RefreshButtons();
  // The button whose click runs the current command, else null: a command
  // that opens a menu puts it under the button.
  QWidget* InvokingButton() const { return invoker_; }

  // The action of a command; null until the subsystem that owns it is built.
  QAction* Action(CommandName name) const;
  bool Has(CommandName name) const { return Action(name) != nullptr; }
  // Runs a command as its menu item would. When it is not built, disabled by
  // its rule, or another command's job is running, it is refused: the host
  // beeps and says why (CommandRefused), and the result is false.
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
  struct ButtonRow {
    ButtonLook look;
    const char* icon = nullptr;
    QToolButton* widget = nullptr;
  };
  std::map<std::string, ButtonRow> buttons_;
  void ShowLook(QToolButton* b, const char* text, const char* hint, const char* icon, QAction* command);
  void SyncButton(const std::string& name);
  QWidget* invoker_ = nullptr;
  bool refused_ = false;
  bool busy_ = false;
};

// One registry so that each command has exactly one QAction: a menu item,
// its pop-up copy and a key all enable, check and run through it, and a
// command's exception stops at RunGuarded instead of the event loop.
#include "host/ui/CommandTable.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QToolBar>

#include <stdexcept>

#include "host/ui/Host.h"

TCommandRegistry::TCommandRegistry(IHost& host, QObject* owner) : host_(host), owner_(owner) {}

bool RunGuarded(IHost& host, const std::function<void()>& work) {
  // An exception must not cross Qt's event loop: the command stops with a
  // message, and what it had not yet put in the pane or the files stays out.
  QString message;
  try {
    work();
    return true;
  } catch (const std::bad_alloc&) {
    message = "メモリが不足しています。";
  } catch (const std::exception& e) {
    message = QString::fromUtf8(e.what());
  } catch (...) {
    message = "処理中にエラーが発生しました。";
  }
  host.MessageDlg(message, "", TMsgKind::Error);
  return false;
}

QAction* TCommandRegistry::Install(const CommandRow& row, QMenu* menu) {
  const std::string key = row.name.text;
  if (actions_.count(key)) throw std::logic_error("command installed twice: " + key);
  auto* a = new QAction(QString::fromUtf8(row.caption), owner_);
  a->setObjectName(QString::fromLatin1(row.name.text));
  if (row.shortcut && *row.shortcut) {
    a->setShortcut(QKeySequence(QString::fromLatin1(row.shortcut)));
    a->setShortcutContext(Qt::WindowShortcut);
  }
  if (row.hint) {
    QString hint = QString::fromUtf8(row.hint);
    a->setToolTip(hint.section('|', 0, 0));
    a->setStatusTip(hint.contains('|') ? hint.section('|', 1) : hint);
  }
  if (row.checkable) {
    a->setCheckable(true);
    a->setChecked(row.checked);
    if (row.toggled) {
      auto toggled = row.toggled;
      QObject::connect(a, &QAction::toggled, owner_, [this, toggled](bool on) { toggled(host_, on); });
    }
  }
  if (row.run) {
    auto run = row.run;
    QObject::connect(a, &QAction::triggered, owner_, [this, run] {
      if (busy_) return;  // a job is running
      RunGuarded(host_, [&] { run(host_); });
    });
  } else if (!row.checkable) {
    // Declared, not built yet: shown, never doing nothing without a word.
    a->setEnabled(false);
  }
  if (row.enabled) rules_[key] = row.enabled;
  actions_[key] = a;
  if (menu) {
    menu->addAction(a);
    // Rules are asked once per opening of the menu that shows the item.
    if (row.enabled && !menu->property("navirtRules").toBool()) {
      menu->setProperty("navirtRules", true);
      QObject::connect(menu, &QMenu::aboutToShow, owner_, [this, menu] { UpdateEnabling(menu); });
      // Keys and buttons reach the same actions: the rule is asked again
      // when they trigger (Trigger), so the menu's verdict must not stay.
      QObject::connect(menu, &QMenu::aboutToHide, owner_, [this, menu] {
        for (QAction* a : menu->actions())
          if (rules_.count(a->objectName().toStdString())) a->setEnabled(true);
      });
    }
  }
  return a;
}

void TCommandRegistry::Install(const std::vector<CommandRow>& rows, QMenu* menu) {
  for (const CommandRow& r : rows) Install(r, menu);
}

void TCommandRegistry::AddTo(QMenu* menu, CommandName name) {
  if (QAction* a = Action(name)) menu->addAction(a);
}

QAction* TCommandRegistry::AddTo(QToolBar* bar, CommandName name) {
  QAction* a = Action(name);
  if (a) bar->addAction(a);
  return a;
}

QAction* TCommandRegistry::Action(CommandName name) const {
  auto it = actions_.find(name.text);
  return it == actions_.end() ? nullptr : it->second;
}

bool TCommandRegistry::Trigger(CommandName name) {
  QAction* a = Action(name);
  if (!a || busy_) return false;
  auto rule = rules_.find(name.text);
  if (rule != rules_.end() && !rule->second(host_)) return false;
  if (!a->isEnabled()) return false;
  a->trigger();
  return true;
}

bool TCommandRegistry::Checked(CommandName name, bool def) const {
  QAction* a = Action(name);
  return a && a->isCheckable() ? a->isChecked() : def;
}

void TCommandRegistry::UpdateEnabling(QMenu* menu) {
  for (QAction* a : menu->actions()) {
    auto rule = rules_.find(a->objectName().toStdString());
    if (rule != rules_.end()) a->setEnabled(rule->second(host_));
  }
}

std::vector<std::string> TCommandRegistry::InstalledNames() const {
  std::vector<std::string> out;
  for (const auto& [name, a] : actions_) out.push_back(name);
  return out;
}

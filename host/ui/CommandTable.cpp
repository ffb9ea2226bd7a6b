// One registry so that each command has exactly one QAction: a menu item,
// its pop-up copy, a key and a toolbar button all enable, check and run
// through it, a refused command is refused in one place with one message,
// and a command's exception stops at RunGuarded instead of the event loop.
#include "host/ui/CommandTable.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include <stdexcept>

#include "host/ui/Host.h"

TCommandRegistry::TCommandRegistry(IHost& host, QObject* owner) : host_(host), owner_(owner) {}

CommandRow WithButton(CommandRow row, const char* icon, ButtonLook look) {
  row.icon = icon;
  row.button = std::move(look);
  return row;
}

QIcon ButtonIcon(const char* name) {
  if (!name || !*name) return QIcon();
  const QString own = QString(":/navirt/buttons/%1.svg").arg(QLatin1String(name));
  if (QFile::exists(own)) return QIcon(own);
  return QIcon::fromTheme(QLatin1String(name));
}

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
    const CommandName name = row.name;
    QObject::connect(a, &QAction::triggered, owner_, [this, run, name] {
      // A key or a button reaches the command past its menu: its rule is
      // asked here, and so is whether a job runs.
      auto rule = rules_.find(name.text);
      if (busy_ || (rule != rules_.end() && !rule->second(host_))) {
        refused_ = true;
        host_.CommandRefused(name);
        return;
      }
      RunGuarded(host_, [&] { run(host_); });
    });
  } else if (!row.checkable) {
    // Declared, not built yet: shown, never doing nothing without a word.
    a->setEnabled(false);
  }
  if (row.enabled) rules_[key] = row.enabled;
  actions_[key] = a;
  if (row.button.text) buttons_[key] = ButtonRow{row.button, row.icon, nullptr};
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

void TCommandRegistry::ShowLook(QToolButton* b, const char* text, const char* hint, const char* icon,
                                QAction* command) {
  const QString caption = QString::fromUtf8(text);
  b->setText(caption);
  if (hint) {
    const QString h = QString::fromUtf8(hint);
    b->setToolTip(h.section('|', 0, 0));
    b->setStatusTip(h.contains('|') ? h.section('|', 1) : h);
  } else {
    b->setToolTip(caption);
    b->setStatusTip(command->statusTip());
  }
  b->setIcon(ButtonIcon(icon));
}

QAction* TCommandRegistry::AddTo(QToolBar* bar, CommandName name, const char* slot) {
  QAction* command = Action(name);
  auto it = buttons_.find(name.text);
  if (!command || it == buttons_.end()) return nullptr;
  ButtonRow& row = it->second;
  // A button of the bar's own kind, bound to the command rather than made
  // from a second action: the slot's action only holds its place.
  auto* b = new QToolButton(bar);
  b->setObjectName(QString::fromLatin1(slot) + "Button");
  b->setAutoRaise(true);
  b->setFocusPolicy(Qt::NoFocus);
  b->setIconSize(bar->iconSize());
  b->setToolButtonStyle(bar->toolButtonStyle());
  QObject::connect(bar, &QToolBar::iconSizeChanged, b, &QToolButton::setIconSize);
  QObject::connect(bar, &QToolBar::toolButtonStyleChanged, b, &QToolButton::setToolButtonStyle);
  ShowLook(b, row.look.text, row.look.hint, row.icon, command);
  if (row.look.menu) {
    if (QMenu* m = row.look.menu(host_)) {
      b->setMenu(m);
      b->setPopupMode(QToolButton::MenuButtonPopup);
    }
  }
  b->setCheckable(command->isCheckable() || row.look.down);
  row.widget = b;
  const std::string key = name.text;
  QObject::connect(command, &QAction::changed, b, [this, key] { SyncButton(key); });
  QObject::connect(command, &QAction::triggered, b, [this, key] { SyncButton(key); });
  QObject::connect(b, &QToolButton::clicked, b, [this, b, name, key] {
    invoker_ = b;
    Trigger(name);
    invoker_ = nullptr;
    SyncButton(key);
  });
  SyncButton(key);
  QAction* place = bar->addWidget(b);
  place->setObjectName(QString::fromLatin1(slot));
  place->setText(b->text());
  return place;
}

void TCommandRegistry::SyncButton(const std::string& name) {
  auto it = buttons_.find(name);
  QAction* command = Action(CommandName{it == buttons_.end() ? "" : it->first.c_str()});
  if (it == buttons_.end() || !it->second.widget || !command) return;
  QToolButton* b = it->second.widget;
  b->setEnabled(command->isEnabled());
  if (command->isCheckable())
    b->setChecked(command->isChecked());
  else if (it->second.look.down)
    b->setChecked(it->second.look.down(host_));
}

QToolButton* TCommandRegistry::Button(CommandName name) const {
  auto it = buttons_.find(name.text);
  return it == buttons_.end() ? nullptr : it->second.widget;
}

void TCommandRegistry::SetButtonLook(CommandName name, const char* text, const char* hint, const char* icon) {
  auto it = buttons_.find(name.text);
  if (it == buttons_.end() || !it->second.widget) return;
  ShowLook(it->second.widget, text, hint, icon, Action(name));
}

void TCommandRegistry::RefreshButtons() {
  for (auto& [name, row] : buttons_) SyncButton(name);
}

QAction* TCommandRegistry::Action(CommandName name) const {
  auto it = actions_.find(name.text);
  return it == actions_.end() ? nullptr : it->second;
}

bool TCommandRegistry::Trigger(CommandName name) {
  QAction* a = Action(name);
  if (!a || !a->isEnabled() || busy_) {
    host_.CommandRefused(name);
    return false;
  }
  // The action's own handler asks the rule and refuses.
  refused_ = false;
  a->trigger();
  return !refused_;
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

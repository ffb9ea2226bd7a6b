// Every menu item, toolbar button and key names exactly one declared
// command; a command out of memory leaves the pane alone; closing the
// window cancels a running job (the job itself: tests/host/ui/JobTest.cpp).
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWidgetAction>

#include <atomic>
#include <chrono>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>

#include "app/ui/AllCommands.h"
#include "app/ui/KeyTable.h"
#include "app/ui/Unit1.h"
#include "browse/ui/BrowseCommands.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Job.h"

namespace {

std::set<std::string> Declared() {
  std::set<std::string> names;
  for (const CommandName& c : kAllCommands) names.insert(c.text);
  return names;
}

void CollectMenu(QMenu* menu, std::vector<QAction*>& out, std::set<QMenu*>& seen) {
  if (!menu || !seen.insert(menu).second) return;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator()) continue;
    if (a->menu()) {
      CollectMenu(a->menu(), out, seen);
      continue;
    }
    out.push_back(a);
  }
}

}  // namespace

class CommandsAndJobsTest : public QObject {
  Q_OBJECT
  QTemporaryDir tmp_;
  QStringList messages_;

  std::unique_ptr<TForm1> NewForm() {
    auto f = std::make_unique<TForm1>();
    f->resize(900, 600);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbOK);
    };
    return f;
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    messages_.clear();
    jobShowAfterMsOverride = 0;
  }
  void cleanup() {
    jobWindowHook = nullptr;
    jobShowAfterMsOverride = -1;
  }

  void declaredNamesAreUnique() {
    std::set<std::string> seen;
    for (const CommandName& c : kAllCommands) QVERIFY2(seen.insert(c.text).second, c.text);
  }

  void everyMenuItemButtonAndKeyNamesOneDeclaredCommand() {
    auto f = NewForm();
    const std::set<std::string> declared = Declared();
    std::vector<QAction*> items;
    std::set<QMenu*> seen;
    for (QAction* top : f->MainMenu1->actions()) CollectMenu(top->menu(), items, seen);
    CollectMenu(f->PopupMenu1, items, seen);
    CollectMenu(f->FileListPopup, items, seen);
    int checked = 0;
    for (QAction* a : items) {
      const QString name = a->objectName();
      // The key list's entries stand for keys; they are checked below.
      if (name.startsWith("Mkey_") || name.isEmpty()) continue;
      // A pop-up's own copy of an item names the command it stands for.
      const QString twinOf = a->property("navirtCommand").toString();
      if (!twinOf.isEmpty()) {
        QVERIFY2(declared.count(twinOf.toStdString()), qPrintable("copy " + name + " of undeclared " + twinOf));
        continue;
      }
      QVERIFY2(declared.count(name.toStdString()), qPrintable("undeclared menu item " + name + " " + a->text()));
      const QByteArray latin = name.toLatin1();
      QCOMPARE(f->Commands().Action(CommandName{latin.constData()}), a);
      ++checked;
    }
    QVERIFY(checked > 50);
    // Every toolbar button is the button of an installed command.
    std::set<QWidget*> commandButtons;
    for (const std::string& name : f->Commands().InstalledNames())
      if (QWidget* b = f->Commands().Button(CommandName{name.c_str()})) commandButtons.insert(b);
    int buttons = 0;
    for (QToolBar* bar : {f->ToolBar1, f->ToolBar2}) {
      for (QAction* a : bar->actions()) {
        if (a->isSeparator()) continue;
        QVERIFY2(commandButtons.count(bar->widgetForAction(a)),
                 qPrintable("toolbar slot " + a->objectName() + " shows no command"));
        ++buttons;
      }
    }
    QCOMPARE(buttons, 43);
    const char letters[] = "ABCDEFGHIJKLMNOPRSTUWX";
    for (const char* p = letters; *p; ++p) {
      const CommandName* c = KeyLetterCommand(*p);
      QVERIFY2(c, qPrintable(QString("key %1 has no command").arg(*p)));
      QVERIFY(declared.count(c->text));
    }
    for (const std::string& name : f->Commands().InstalledNames()) QVERIFY2(declared.count(name), name.c_str());
  }

  void aRowNotBuiltYetIsDisabledAndTriggersNothing() {
    auto f = NewForm();
    // A fresh registry over the same window, so the row cannot clash.
    TCommandRegistry registry(*f, f.get());
    int ran = 0;
    CommandRow unbuiltRow;
    unbuiltRow.name = cmd::Mprint;
    unbuiltRow.caption = "印刷(&P)";
    QAction* unbuilt = registry.Install(unbuiltRow);
    CommandRow builtRow;
    builtRow.name = cmd::Mprintset;
    builtRow.caption = "印刷設定(&U)";
    builtRow.run = [&](IHost&) { ++ran; };
    builtRow.enabled = [](IHost&) { return false; };
    QAction* built = registry.Install(builtRow);
    QVERIFY(!unbuilt->isEnabled());
    QVERIFY(!registry.Trigger(cmd::Mprint));
    QVERIFY(!registry.Trigger(cmd::Mprintset));  // its rule says no
    QCOMPARE(ran, 0);
    bool threw = false;
    try {
      registry.Install(unbuiltRow);
    } catch (const std::logic_error&) {
      threw = true;
    }
    QVERIFY(threw);
    (void)built;
  }

  void aCommandRunningOutOfMemoryShowsAMessageAndLeavesThePaneAlone() {
    auto f = NewForm();
    f->SetPaneText("unchanged", navirt::clBlack);
    const CommandName name{"TestOutOfMemory"};
    f->Commands().Install(CommandRow{name, "試験", nullptr, [](IHost&) { throw std::bad_alloc(); }});
    QVERIFY(f->Commands().Trigger(name));  // the key and the menu item take this path
    QCOMPARE(messages_, QStringList{"メモリが不足しています。"});
    QCOMPARE(f->PaneText(), std::string("unchanged"));
    QVERIFY(f->Commands().Trigger(cmd::Mtextrepaint1));
  }

  void closingTheWindowCancelsTheJobAndClosesAfterIt() {
    auto f = NewForm();
    jobWindowHook = [&](QDialog&) { f->close(); };
    bool sawCancel = false;
    JobOutcome out = RunJob(*f, JobSpec{"試験", "", ""}, [&](TJobContext& job) {
      while (!job.Cancelled()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
      sawCancel = true;
    });
    QVERIFY(out.cancelled);
    QVERIFY(sawCancel);
    QTRY_VERIFY(!f->isVisible());
  }
};

QTEST_MAIN(CommandsAndJobsTest)
#include "CommandsAndJobsTest.moc"

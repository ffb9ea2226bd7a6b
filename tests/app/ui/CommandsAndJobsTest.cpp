// Every menu item, toolbar button and key names exactly one declared
// command; long work runs as a job that can be cancelled, fails cleanly and
// keeps other commands out while it runs.
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

#include "app/ui/Unit1.h"
#include "browse/ui/BrowseCommands.h"
#include "host/ui/AllCommands.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Job.h"
#include "tests/JobInput.h"

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

  // A click on キャンセル, Space or Return on the focused button and Escape,
  // all through the window system, end the job; the output so far stays
  // in order.
  void cancelByEveryInputKeepsTheBatchesSoFarInOrder() {
    for (CancelInput how : kCancelInputs) {
      auto f = NewForm();
      std::string got;
      bool shown = false;
      jobWindowHook = [&](QDialog& w) {
        shown = true;
        PressCancel(w, how);
      };
      jobHoldUntilShown = true;
      JobSpec spec{"試験", "試験中．．．", "detail"};
      JobOutcome out = RunJob(
          *f, spec,
          [](TJobContext& job) {
            for (int i = 0; i < 20000 && !job.Cancelled(); ++i) {
              job.SetDone(i);
              job.Emit(std::to_string(i % 10));
              std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
          },
          [&](std::string&& b) { got += b; });
      jobHoldUntilShown = false;
      QVERIFY2(shown, CancelInputName(how));
      QVERIFY2(out.cancelled, CancelInputName(how));
      QVERIFY(!out.failed);
      QVERIFY2(!got.empty() && got.size() < 20000, CancelInputName(how));
      for (size_t i = 0; i < got.size(); ++i) QCOMPARE(got[i], char('0' + i % 10));
      QVERIFY(!f->Commands().Busy());
    }
  }

  void anExceptionEndsTheJobWithItsMessageAndTheWindowStaysUsable() {
    auto f = NewForm();
    JobOutcome out = RunJob(*f, JobSpec{"試験", "", ""}, [](TJobContext&) { throw std::runtime_error("壊れた"); });
    QVERIFY(out.failed);
    QCOMPARE(out.message, QString("壊れた"));
    QCOMPARE(messages_, QStringList{"壊れた"});
    QVERIFY(!f->Commands().Busy());
    // The next command and the next job run as usual.
    QVERIFY(f->Commands().Trigger(cmd::Mtextrepaint1));
    std::string got;
    JobOutcome ok = RunJob(
        *f, JobSpec{"試験", "", ""}, [](TJobContext& j) { j.Emit("done"); }, [&](std::string&& b) { got += b; });
    QVERIFY(!ok.failed && !ok.cancelled);
    QCOMPARE(got, std::string("done"));
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

  void noOtherCommandStartsWhileAJobRuns() {
    auto f = NewForm();
    std::atomic<bool> release{false};
    bool refused = false, clickIgnored = false;
    int before = 0;
    jobWindowHook = [&](QDialog&) {
      refused = !f->Commands().Trigger(cmd::Mtextrepaint1);
      // A key in the list does not reach it either.
      before = f->FileView1->currentIndex().row();
      QTest::keyClick(f->FileView1, Qt::Key_End);
      // Nor one through the window system.
      f->FileView1->setFocus();
      QTest::keyClick(f->windowHandle(), Qt::Key_End);
      clickIgnored = f->FileView1->currentIndex().row() == before;
      release = true;
    };
    RunJob(*f, JobSpec{"試験", "", ""}, [&](TJobContext&) {
      while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
    QVERIFY(refused);
    QVERIFY(clickIgnored);
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

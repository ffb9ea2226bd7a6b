// Registered applications and folders and the editor on the main window,
// offscreen; programs go to the recording starter.
#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/Registered.h"
#include "app/ui/AppCommandIds.h"
#include "app/ui/RegisteredCommands.h"
#include "app/ui/Unit1.h"
#include "host/ui/CommandTable.h"
#include "platform/FakeProcessStarter.h"
#include "sysinfo/ui/SysinfoCommands.h"
#include "tests/ClickMenu.h"

namespace fs = std::filesystem;
using navirt::ProgramCall;

class RegisteredUiTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string root_;
  navirt::TRecordingStarter fake_;
  QStringList messages_;

  std::string Program(const std::string& name) {
    std::string p = root_ + "bin/" + name;
    std::ofstream(p) << "#!/bin/sh\n";
    fs::permissions(p, fs::perms::owner_all);
    return p;
  }
  std::unique_ptr<TForm1> NewForm() {
    auto f = std::make_unique<TForm1>();
    ReplaceProcessStarter(*f, fake_, navirt::DesktopEnv{});
    f->resize(900, 600);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbOK);
    };
    f->GoToFolder(root_ + "work/");
    QTest::qWait(10);
    return f;
  }
  static QAction* Item(QMenu* m, const QString& caption) {
    for (QAction* a : m->actions())
      if (a->text() == caption) return a;
    return nullptr;
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    root_ = tmp_.path().toStdString() + "/r/";
    fs::remove_all(root_);
    fs::remove(tmp_.path().toStdString() + "/navirt.ini");
    for (const char* d : {"bin", "work", "a", "b"}) fs::create_directories(root_ + d);
    fake_ = navirt::TRecordingStarter();
    messages_.clear();
  }

  void applicationItemsStartTheirProgramInTheCurrentFolder() {
    std::string one = Program("one"), two = Program("two");
    {
      auto f = NewForm();
      navirt::TIniFile ini = f->OpenSettings();
      navirt::SaveApplications(ini, {{one, "First"}, {two, "Second"}, {root_ + "bin/gone", "Gone"}});
      QVERIFY(f->WriteSettings(ini));
      RebuildRegisteredMenus(*f);
      QMenu* apps = ApplicationMenuOf(*f);
      QVERIFY(apps);
      QCOMPARE(apps->actions().size(), 3);
      QVERIFY(Item(apps, "&2 Second"));
      QVERIFY(ClickMenuText(f.get(), apps, "&2 Second"));
      QCOMPARE(fake_.calls.size(), size_t(1));
      QVERIFY((fake_.calls[0] == ProgramCall{two, {}, root_ + "work/"}));
      // A stored program that is gone says so and starts nothing.
      QVERIFY(ClickMenuText(f.get(), apps, "&3 Gone"));
      QCOMPARE(fake_.calls.size(), size_t(1));
      QCOMPARE(messages_.size(), 1);
      QVERIFY(messages_[0].contains("gone"));

      // The settings file decides, not the caption: a changed order shows
      // when the menu opens again.
      ini = f->OpenSettings();
      navirt::SaveApplications(ini, {{two, "Second"}, {one, "First"}});
      QVERIFY(f->WriteSettings(ini));
      QVERIFY(OpenMenu(f.get(), apps));
      QVERIFY(Item(apps, "&1 Second"));
      CloseMenus(f.get());
      QVERIFY(ClickMenuText(f.get(), apps, "&2 First"));
      QVERIFY((fake_.calls.back() == ProgramCall{one, {}, root_ + "work/"}));
    }
  }

  void folderPopupJumpsAndKeyGShowsIt() {
    auto f = NewForm();
    navirt::TIniFile ini = f->OpenSettings();
    navirt::SaveFolders(ini, {root_ + "a", "", root_ + "b"});
    QVERIFY(f->WriteSettings(ini));
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_G);
    QMenu* popup = FolderPopupOf(*f);
    QVERIFY(popup);
    QTRY_VERIFY(popup->isVisible());
    // The empty second entry leaves a gap in the numbers.
    QCOMPARE(popup->actions().size(), 2);
    QVERIFY(Item(popup, QString::fromStdString("&1 " + root_ + "a")));
    QAction* third = Item(popup, QString::fromStdString("&3 " + root_ + "b"));
    QVERIFY(third);
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(third).center());
    QCOMPARE(QString::fromStdString(f->HostFolder()), QString::fromStdString(root_ + "b/"));
    QVERIFY(messages_.isEmpty());
  }

  void keyEOpensTheSelectedFileInTheStoredEditor() {
    std::string editor = Program("myedit");
    std::ofstream(root_ + "work/note.txt") << "x";
    auto f = NewForm();
    navirt::TIniFile ini = f->OpenSettings();
    navirt::StoreEditor(ini, editor);
    QVERIFY(f->WriteSettings(ini));
    QVERIFY(f->SelectFileByName("note.txt"));
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_E);
    QCOMPARE(fake_.calls.size(), size_t(1));
    QVERIFY((fake_.calls[0] == ProgramCall{editor, {root_ + "work/note.txt"}, root_ + "work/"}));
  }
};

QTEST_MAIN(RegisteredUiTest)
#include "RegisteredUiTest.moc"

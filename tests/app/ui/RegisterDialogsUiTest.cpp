// The registration dialogs and the toolbar-button dialog on the main
// window, offscreen: each is driven through the dialog hook as a user
// would click it; the settings file and the menus are checked while the
// dialog is open and after it closes. Programs go to the recording starter.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/MainSettings.h"
#include "app/Registered.h"
#include "app/ToolButtonSettings.h"
#include "app/ui/AppCommandIds.h"
#include "app/ui/ApplicationDialog.h"
#include "app/ui/FolderDialog.h"
#include "app/ui/RegisteredCommands.h"
#include "app/ui/ShellTree.h"
#include "app/ui/ToolButtonDialog.h"
#include "app/ui/Unit1.h"
#include "host/ui/CommandTable.h"
#include "platform/FakeProcessStarter.h"
#include "sysinfo/ui/SysinfoCommands.h"
#include "tests/ClickMenu.h"
#include "tests/PressButton.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;
using navirt::ProgramCall;

class RegisterDialogsUiTest : public QObject {
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
    f->resize(1200, 600);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbOK);
    };
    f->GoToFolder(root_ + "work/");
    QTest::qWait(10);
    return f;
  }
  void Store(TForm1* f, const std::function<void(navirt::TIniFile&)>& change) {
    navirt::TIniFile ini = f->OpenSettings();
    change(ini);
    QVERIFY(f->WriteSettings(ini));
  }
  static QStringList Captions(QMenu* m) {
    QStringList c;
    for (QAction* a : m->actions()) c << a->text();
    return c;
  }
  // Caption, hint and tag of each item.
  static QStringList Items(QMenu* m) {
    QStringList c;
    for (QAction* a : m->actions()) c << QString("%1|%2|%3").arg(a->text(), a->statusTip()).arg(a->data().toInt());
    return c;
  }
  static QStringList Rows(QListWidget* list) {
    QStringList r;
    for (int i = 0; i < list->count(); ++i) r << list->item(i)->text();
    return r;
  }
  static QString U(const std::string& s) { return QString::fromStdString(s); }
  // Runs the command; the hook plays the user's part on the dialog of type D.
  template <class D>
  bool Run(TForm1* f, CommandName command, std::function<int(D&)> play) {
    bool seen = false;
    f->dialogHook = [&](QDialog& d) {
      auto* dialog = qobject_cast<D*>(&d);
      if (!dialog) return int(QDialog::Rejected);
      seen = true;
      return play(*dialog);
    };
    (void)ClickMenuItem(f, f->Commands().Action(command));
    f->dialogHook = nullptr;
    return seen;
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    root_ = tmp_.path().toStdString() + "/r/";
    fs::remove_all(root_);
    fs::remove(tmp_.path().toStdString() + "/navirt.ini");
    for (const char* d : {"bin", "work", "a", "b", "c"}) fs::create_directories(root_ + d);
    fake_ = navirt::TRecordingStarter();
    messages_.clear();
  }

  void applicationDialogMovesTheThirdUpAndTheMenusFollow() {
    std::string one = Program("one"), two = Program("two"), three = Program("three"), four = Program("four.sh");
    auto f = NewForm();
    Store(f.get(), [&](navirt::TIniFile& ini) {
      navirt::SaveApplications(ini, {{one, "One"}, {root_ + "bin/gone", "Gone"}, {two, "Two"}, {three, "Three"}});
    });
    QMenu* apps = ApplicationMenuOf(*f);
    // The twin is a menu of its own in the pane's pop-up.
    QMenu* apps2 = ApplicationPopupMenuOf(*f);
    QVERIFY(apps2 && apps2 != apps);
    QVERIFY(f->PopupMenu1->actions().contains(apps2->menuAction()));
    QCOMPARE(apps2->title(), QString("実行(&G)"));
    auto twins = [&] {
      QCOMPARE(Items(apps2), Items(apps));
      for (int i = 0; i < apps->actions().size(); ++i) QCOMPARE(apps->actions()[i]->data().toInt(), i + 1);
    };
    bool seen = Run<TForm22>(f.get(), cmd::Mexeset, [&](TForm22& d) {
      [&] {
        QCOMPARE(d.windowTitle(), QString("ｱﾌﾟﾘｹｰｼｮﾝの設定"));
        // The program that is gone is left out, of the list and the menu.
        QCOMPARE(Rows(d.ListBox1), QStringList({"One", "Two", "Three"}));
        QCOMPARE(Captions(apps), QStringList({"&1 One", "&2 Two", "&3 Three"}));
        twins();
        QVERIFY(!d.Button1->isEnabled());
        QVERIFY(!d.Button2->isEnabled());
        d.ListBox1->setCurrentRow(2);
        QCOMPARE(d.Edit1->text(), U(three));
        QCOMPARE(d.Edit2->text(), QString("Three"));
        QVERIFY(d.Button2->isEnabled());
        PressButton(d.Button3);
        QCOMPARE(Rows(d.ListBox1), QStringList({"One", "Three", "Two"}));
        QCOMPARE(d.ListBox1->currentRow(), 1);
        QCOMPARE(Captions(apps), QStringList({"&1 One", "&2 Three", "&3 Two"}));
        twins();
        // A path that names no program is refused and changes nothing.
        d.Edit1->setText(U(root_ + "bin/nothing"));
        PressButton(d.Button1);
        QCOMPARE(messages_, QStringList{U(root_ + "bin/nothing") + " は設定できませんでした。"});
        QCOMPARE(d.ListBox1->count(), 3);
        QCOMPARE(apps->actions().size(), 3);
        // A program picked in the tree fills both fields: its path, and
        // its name without the extension.
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QVERIFY(ClickInTree(d.ShellTreeView1, U(four)));
        QCOMPARE(d.Edit1->text(), U(four));
        QCOMPARE(d.Edit2->text(), QString("four"));
        // The name may be typed over before registering.
        d.Edit2->setText("Four");
        PressButton(d.Button1);
        QCOMPARE(Captions(apps).last(), QString("&4 Four"));
        twins();
        // Deleting the first leaves no selection and empty fields.
        d.ListBox1->setCurrentRow(0);
        PressButton(d.Button5);
        QCOMPARE(Rows(d.ListBox1), QStringList({"Three", "Two", "Four"}));
        QCOMPARE(Captions(apps), QStringList({"&1 Three", "&2 Two", "&3 Four"}));
        twins();
        QVERIFY(d.Edit1->text().isEmpty());
        QVERIFY(!d.Button1->isEnabled());
        // Updating renames the entry and its item.
        d.ListBox1->setCurrentRow(2);
        d.Edit2->setText("Vier");
        PressButton(d.Button2);
        QCOMPARE(Captions(apps).last(), QString("&3 Vier"));
        twins();
        // Nothing is written while the dialog is open.
        QCOMPARE(navirt::LoadApplications(f->OpenSettings()).size(), size_t(4));
      }();
      return int(QDialog::Accepted);
    });
    QVERIFY(seen);
    auto stored = navirt::LoadApplications(f->OpenSettings());
    QVERIFY((stored == std::vector<navirt::AppEntry>{{three, "Three"}, {two, "Two"}, {four, "Vier"}}));
    // Item 1 now starts the former third program, read from the file.
    QVERIFY(ClickMenuText(f.get(), apps, "&1 Three"));
    QCOMPARE(fake_.calls.size(), size_t(1));
    QVERIFY((fake_.calls[0] == ProgramCall{three, {}, root_ + "work/"}));
    // The pop-up's twin starts the same entries.
    emit f->PopupMenu1->aboutToShow();
    twins();
    apps2->actions()[1]->trigger();
    QCOMPARE(fake_.calls.size(), size_t(2));
    QVERIFY((fake_.calls[1] == ProgramCall{two, {}, root_ + "work/"}));
  }

  // A program is any executable file: the application dialog's tree lists
  // folders and programs, the folder dialog's folders alone.
  // The names under a folder as the shown tree lists them, once read.
  static QStringList Listed(TShellTree* tree, const QString& folder) {
    // The folder is read in the background: the names once they stop changing.
    QStringList names, last;
    for (int i = 0, same = 0; i < 250 && same < 10; ++i) {
      QTest::qWait(20);
      QModelIndex cur = tree->currentIndex();
      QModelIndex parent = cur.isValid() && tree->PathOf(cur.parent()) == folder ? cur.parent() : QModelIndex();
      names.clear();
      if (parent.isValid()) {
        QAbstractItemModel* m = tree->model();
        if (m->canFetchMore(parent)) m->fetchMore(parent);
        for (int r = 0; r < m->rowCount(parent); ++r) names << m->index(r, 0, parent).data().toString();
      }
      names.sort();
      same = !names.isEmpty() && names == last ? same + 1 : 0;
      last = names;
    }
    return names;
  }
  // Opens the tree at path and clicks that node where it is shown.
  static bool ClickInTree(TShellTree* tree, const QString& path) {
    tree->OpenAt(path);
    QRect at;
    for (int i = 0; i < 250; ++i) {
      QTest::qWait(20);
      if (tree->PathOf(tree->currentIndex()) != path) continue;
      tree->scrollTo(tree->currentIndex());
      at = tree->visualRect(tree->currentIndex());
      if (at.isValid() && tree->viewport()->rect().contains(at.center())) break;
    }
    if (!at.isValid()) return false;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at.center());
    return true;
  }
  static void ClickRow(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
  }

  void treesListProgramsOrFolders() {
    std::string tool = Program("tool");
    std::ofstream(root_ + "bin/readme.txt") << "x";
    fs::create_directories(root_ + "bin/sub");
    auto f = NewForm();
    Store(f.get(), [&](navirt::TIniFile& ini) {
      navirt::SaveFolders(ini, {root_ + "a", root_ + "bin/sub"});
      ini.WriteInteger("Mexe", "Count", 2);
      ini.WriteString("Mexe", "File0", Program("first"));
      ini.WriteString("Mexe", "Name0", "first");
      ini.WriteString("Mexe", "File1", tool);
      ini.WriteString("Mexe", "Name1", "tool");
    });
    // A click on a list entry opens the tree at its path the first time,
    // and the tree shows the programs and folders there, not the rest.
    QStringList programs, folders;
    QString programAt, folderAt;
    // The tree's current node once it settles (it reads folders lazily).
    auto settled = [](TShellTree* tree, const QString& want) {
      for (int i = 0; i < 250 && tree->PathOf(tree->currentIndex()) != want; ++i) QTest::qWait(20);
      return tree->PathOf(tree->currentIndex());
    };
    QVERIFY(Run<TForm22>(f.get(), cmd::Mexeset, [&](TForm22& d) {
      d.show();
      (void)QTest::qWaitForWindowExposed(&d);
      ClickRow(d.ListBox1, 1);
      programAt = settled(d.ShellTreeView1, U(tool));
      programs = Listed(d.ShellTreeView1, U(root_ + "bin"));
      return int(QDialog::Rejected);
    }));
    QString field;
    QVERIFY(Run<TForm23>(f.get(), cmd::Mfolderregset, [&](TForm23& d) {
      d.show();
      (void)QTest::qWaitForWindowExposed(&d);
      ClickRow(d.ListBox1, 1);
      folderAt = settled(d.ShellTreeView1, U(root_ + "bin/sub"));
      folders = Listed(d.ShellTreeView1, U(root_ + "bin"));
      field = d.Edit1->text();
      return int(QDialog::Rejected);
    }));
    // Opening the tree never wrote into the field.
    QCOMPARE(field, U(root_ + "bin/sub"));
    QCOMPARE(programAt, U(tool));
    QCOMPARE(folderAt, U(root_ + "bin/sub"));
    QCOMPARE(programs, QStringList({"first", "sub", "tool"}));
    QCOMPARE(folders, QStringList({"sub"}));
  }

  void foldersFormsKeepTheirFieldWhenTheTreeGetsTheKeyboard() {
    auto f = NewForm();
    // No editor stored: the field stays empty (the desktop's editor) and
    // OK stays enabled, whatever the tree chooses as its first node.
    QString field = "unseen";
    bool okEnabled = false;
    bool seen = Run<TForm4>(f.get(), cmd::MediterSet, [&](TForm4& d) {
      d.show();
      (void)QTest::qWaitForWindowExposed(&d);
      QTest::keyClick(d.Edit1, Qt::Key_Tab);  // on to the tree
      QTest::qWait(300);
      field = d.Edit1->text();
      okEnabled = d.OkButton()->isEnabled();
      QTest::mouseClick(d.OkButton(), Qt::LeftButton);
      return d.result();
    });
    QVERIFY(seen);
    QCOMPARE(field, QString());
    QVERIFY(okEnabled);
    QCOMPARE(U(f->OpenSettings().ReadString("Editer", "Editer", "none")), QString(""));
    // The start-up folder: OK without a change stores no folder.
    field = "unseen";
    seen = Run<TForm4>(f.get(), cmd::Minitdirectry1, [&](TForm4& d) {
      d.show();
      (void)QTest::qWaitForWindowExposed(&d);
      d.DirectoryTree->setFocus();
      QTest::qWait(300);
      field = d.Edit1->text();
      QTest::mouseClick(d.OkButton(), Qt::LeftButton);
      return d.result();
    });
    QVERIFY(seen);
    QCOMPARE(field, QString());
    QCOMPARE(U(f->OpenSettings().ReadString("InitFolder", "InitFolderName", "none")), QString(""));
    // A click in the tree is the user's choice: it goes into the field.
    field = "unseen";
    seen = Run<TForm4>(f.get(), cmd::Minitdirectry1, [&](TForm4& d) {
      d.show();
      (void)QTest::qWaitForWindowExposed(&d);
      (void)ClickInTree(d.DirectoryTree, U(root_ + "a"));
      field = d.Edit1->text();
      QTest::mouseClick(d.OkButton(), Qt::LeftButton);
      return d.result();
    });
    QVERIFY(seen);
    QCOMPARE(field, U(root_ + "a"));
    QCOMPARE(U(f->OpenSettings().ReadString("InitFolder", "InitFolderName", "")), U(root_ + "a"));
  }

  void folderDialogRegistersOnceAndClosesTheGap() {
    std::string a = root_ + "a", b = root_ + "b", c = root_ + "c";
    auto f = NewForm();
    Store(f.get(), [&](navirt::TIniFile& ini) { navirt::SaveFolders(ini, {a, "", b}); });
    RebuildRegisteredMenus(*f);
    QMenu* popup = FolderPopupOf(*f);
    QCOMPARE(Captions(popup), QStringList({U("&1 " + a), U("&3 " + b)}));
    bool seen = Run<TForm23>(f.get(), cmd::Mfolderregset, [&](TForm23& d) {
      [&] {
        QCOMPARE(d.windowTitle(), QString("登録ﾌｫﾙﾀﾞｰの設定"));
        QCOMPARE(Rows(d.ListBox1), QStringList({U(a), "", U(b)}));
        QVERIFY(!d.Button1->isEnabled());
        QVERIFY(!d.Button5->isEnabled());
        // The same folder twice is registered once.
        d.Edit1->setText(U(a));
        QVERIFY(d.Button1->isEnabled());
        PressButton(d.Button1);
        QCOMPARE(d.ListBox1->count(), 3);
        d.Edit1->setText(U(c));
        PressButton(d.Button1);
        QCOMPARE(Rows(d.ListBox1), QStringList({U(a), "", U(b), U(c)}));
        QCOMPARE(Captions(popup).last(), U("&4 " + c));
        d.ListBox1->setCurrentRow(3);
        QVERIFY(d.Button5->isEnabled());
        QCOMPARE(d.Edit1->text(), U(c));
        PressButton(d.Button3);
        QCOMPARE(Rows(d.ListBox1), QStringList({U(a), "", U(c), U(b)}));
        QCOMPARE(Captions(popup).mid(2), QStringList({U("&3 " + c), U("&4 " + b)}));
      }();
      return int(QDialog::Rejected);  // the window's close box closes it too
    });
    QVERIFY(seen);
    // The empty entry is gone and the menu numbered anew.
    QVERIFY((navirt::LoadFolders(f->OpenSettings()) == std::vector<std::string>{a, c, b}));
    QCOMPARE(Captions(popup), QStringList({U("&1 " + a), U("&2 " + c), U("&3 " + b)}));
    popup->actions()[1]->trigger();
    QCOMPARE(U(f->HostFolder()), U(c + "/"));
  }

  void editorDialogTakesOnlyAProgram() {
    std::string editor = Program("myedit");
    std::ofstream(root_ + "bin/notes.txt") << "x";
    std::ofstream(root_ + "work/note.txt") << "x";
    auto f = NewForm();
    bool seen = Run<TForm4>(f.get(), cmd::MediterSet, [&](TForm4& d) {
      [&] {
        QCOMPARE(d.windowTitle(), QString("ｴﾃﾞｨﾀｰの設定"));
        QCOMPARE(d.Label1->text(), QString("ｴﾃﾞｨﾀｰの実行ﾌｧｲﾙをﾌﾙﾊﾟｽで指定して下さい。"));
        QCOMPARE(d.Label2->text(), QString("以前の設定："));
        // Empty: the desktop's own editor.
        QVERIFY(d.Edit1->text().isEmpty());
        QVERIFY(d.OkButton()->isEnabled());
        d.Edit1->setText(U(root_ + "bin/notes.txt"));
        QVERIFY(!d.OkButton()->isEnabled());
        d.Edit1->setText(U(root_ + "bin"));
        QVERIFY(!d.OkButton()->isEnabled());
        d.Edit1->setText(U(editor));
        QVERIFY(d.OkButton()->isEnabled());
      }();
      return int(QDialog::Accepted);
    });
    QVERIFY(seen);
    QCOMPARE(U(f->OpenSettings().ReadString("Editer", "Editer", "")), U(editor));
    // The stored editor is shown as before, and key E uses it.
    seen = Run<TForm4>(f.get(), cmd::MediterSet, [&](TForm4& d) {
      [&] {
        QCOMPARE(d.Label2->text(), U("以前の設定:" + editor));
        QCOMPARE(d.Edit1->text(), U(editor));
        d.Edit1->setText(U(root_ + "bin/notes.txt"));
      }();
      return int(QDialog::Accepted);  // forced past a disabled OK: refused
    });
    QVERIFY(seen);
    QCOMPARE(U(f->OpenSettings().ReadString("Editer", "Editer", "")), U(editor));
    QVERIFY(f->SelectFileByName("note.txt"));
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_E);
    QCOMPARE(fake_.calls.size(), size_t(1));
    QVERIFY((fake_.calls[0] == ProgramCall{editor, {root_ + "work/note.txt"}, root_ + "work/"}));
  }

  void toolButtonDialogHidesAtOnceAndShowsWhatItHid() {
    // A button switched off in the file stays hidden this run.
    {
      navirt::TIniFile ini;
      ini.WriteBool("ToolBar1", "ToolButton30", false);
      QVERIFY(ini.SaveAs(tmp_.path().toStdString() + "/navirt.ini"));
    }
    auto f = NewForm();
    QAction* exit = f->ActionNamed(btn::Exit.key);
    QAction* edit = f->ActionNamed(btn::Editor.key);
    QVERIFY(exit && edit);
    QVERIFY(exit->isVisible());
    QVERIFY(!edit->isVisible());
    auto uncheck = [&](TForm21& d, const QString& caption, bool on) {
      for (QListWidget* list : {d.CheckListBox1, d.CheckListBox2})
        for (QListWidgetItem* item : list->findItems(caption, Qt::MatchExactly))
          item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    };
    bool seen = Run<TForm21>(f.get(), cmd::Mtoolbarset, [&](TForm21& d) {
      [&] {
        QCOMPARE(d.windowTitle(), QString("ツールボタンの設定"));
        QCOMPARE(d.PageControl1->currentIndex(), 0);
        QCOMPARE(d.PageControl1->tabText(0), QString("メイン"));
        QCOMPARE(d.CheckListBox1->count(), 24);
        QCOMPARE(d.CheckListBox2->count(), 17);
        QCOMPARE(d.CheckListBox1->item(17)->text(), QString("エディター"));
        QCOMPARE(d.CheckListBox1->item(17)->checkState(), Qt::Unchecked);
        QCOMPARE(d.CheckListBox1->item(23)->checkState(), Qt::Checked);
        uncheck(d, "終了", false);
        uncheck(d, "折り返し", false);
      }();
      PressButton(d.BOK);
      return d.result();
    });
    QVERIFY(seen);
    QVERIFY(!exit->isVisible());
    QVERIFY(!f->ActionNamed(btn::WordWrap.key)->isVisible());
    navirt::TIniFile ini = f->OpenSettings();
    QVERIFY(!ini.ReadBool("ToolBar1", "ToolButton2", true));
    QVERIFY(!ini.ReadBool("ToolBar2", "ToolButton39", true));
    QVERIFY(ini.ReadBool("ToolBar1", "ToolButton36", false));  // all 41 keys written
    QVERIFY(ini.ReadBool("ToolBar2", "ToolButton49", false));

    QCOMPARE(f->Answer(), QString("true"));

    // Cancel changes nothing, though every entry was checked.
    f->SetAnswer("before");
    seen = Run<TForm21>(f.get(), cmd::Mtoolbarset, [&](TForm21& d) {
      PressButton(d.Button1);
      PressButton(d.BCancel);
      return d.result();
    });
    QVERIFY(seen);
    QCOMPARE(f->Answer(), QString("before"));
    QVERIFY(!exit->isVisible());
    QVERIFY(!f->OpenSettings().ReadBool("ToolBar1", "ToolButton2", true));

    // "全て表示(&A)": what the dialog hid comes back at once; the button
    // hidden since start waits for the next start.
    seen = Run<TForm21>(f.get(), cmd::Mtoolbarset, [&](TForm21& d) {
      [&] {
        QCOMPARE(d.CheckListBox1->item(23)->checkState(), Qt::Unchecked);
        PressButton(d.Button1);
        QCOMPARE(d.CheckListBox1->item(23)->checkState(), Qt::Checked);
        QCOMPARE(d.CheckListBox2->item(16)->checkState(), Qt::Checked);
        QCOMPARE(d.CheckListBox1->item(17)->checkState(), Qt::Checked);
      }();
      return int(QDialog::Accepted);
    });
    QVERIFY(seen);
    QVERIFY(exit->isVisible());
    QVERIFY(f->ActionNamed(btn::WordWrap.key)->isVisible());
    QVERIFY(!edit->isVisible());
    QVERIFY(f->OpenSettings().ReadBool("ToolBar1", "ToolButton30", false));
  }

  // In the dialog's own modal loop: OK ends it accepted and applies the
  // checks, Cancel and Escape end it refused and apply nothing.
  void toolButtonDialogAnswersInItsOwnLoop() {
    auto f = NewForm();
    QAction* exit = f->ActionNamed(btn::Exit.key);
    auto play = [&](std::function<void(TForm21&)> act) {
      bool played = false;
      std::function<void()> poll;
      poll = [&] {
        auto* d = qobject_cast<TForm21*>(QApplication::activeModalWidget());
        if (!d) {
          QTimer::singleShot(10, poll);
          return;
        }
        played = true;
        act(*d);
      };
      QTimer::singleShot(0, poll);
      f->SetAnswer(QString());
      (void)ClickMenuItem(f.get(), f->Commands().Action(cmd::Mtoolbarset));
      return played;
    };
    auto exitOff = [](TForm21& d) {
      d.CheckListBox1->findItems("終了", Qt::MatchExactly).first()->setCheckState(Qt::Unchecked);
    };
    QVERIFY(play([&](TForm21& d) {
      exitOff(d);
      PressButton(d.BCancel);
    }));
    QVERIFY(exit->isVisible());
    QVERIFY(f->Answer().isEmpty());
    QVERIFY(play([&](TForm21& d) {
      exitOff(d);
      QTest::keyClick(&d, Qt::Key_Escape);
    }));
    QVERIFY(exit->isVisible());
    QVERIFY(f->OpenSettings().ReadBool("ToolBar1", "ToolButton2", true));
    QVERIFY(play([&](TForm21& d) {
      exitOff(d);
      PressButton(d.BOK);
    }));
    QVERIFY(!exit->isVisible());
    QCOMPARE(f->Answer(), QString("true"));
    QVERIFY(!f->OpenSettings().ReadBool("ToolBar1", "ToolButton2", true));
  }

  void mainToolbarHoldsEveryButtonInOrder() {
    std::string editor = Program("myedit");
    std::ofstream(root_ + "work/note.txt") << "x";
    auto f = NewForm();
    Store(f.get(), [&](navirt::TIniFile& ini) {
      navirt::StoreEditor(ini, editor);
      navirt::SaveFolders(ini, {root_ + "a"});
    });
    QStringList expected, present;
    for (const navirt::ToolBarEntry& e : navirt::ToolBar1Buttons()) expected << e.button.key;
    for (QAction* a : f->MainToolBar()->actions())
      if (!a->isSeparator()) present << a->objectName();
    QCOMPARE(present.join(" "), expected.join(" "));
    for (const navirt::ToolBarEntry& e : navirt::ToolBar1Buttons()) {
      QToolButton* b = ToolButtonOf(f.get(), e.button);
      QVERIFY(b);
      QVERIFY(!b->icon().isNull());
      QVERIFY(!b->toolTip().isEmpty());
    }
    // Each button's hint title as the toolbar lists give it.
    const std::pair<navirt::ToolButtonId, const char*> hints[] = {
        {btn::Print, "印刷"},
        {btn::PrintSetup, "印刷設定"},
        {btn::FileCopy, "コピー(C)"},
        {btn::FileMove, "移動(M)"},
        {btn::FileDelete, "削除(D)"},
        {btn::Rename, "名前の変更(R)"},
        {btn::Attributes, "属性変更(A)"},
        {btn::Drive, "ドライブ(O)"},
        {btn::Up, "上へ(BS)"},
        {btn::Sort, "並び替え(S)"},
        {btn::RegisteredFolders, "登録フォルダー(G)"},
        {btn::Folder, "フォルダー(L)"},
        {btn::Mask, "拡張子(W)"},
        {btn::DirCommand, "dirコマンド"},
        {btn::LargeIcons, "大きいアイコン(1)"},
        {btn::SmallIcons, "小さいアイコン(2)"},
        {btn::List, "一覧(3)"},
        {btn::Details, "詳細(4)"},
        {btn::Editor, "エディター(E)"},
        {btn::Run, "実行(X)"},
        {btn::ArcExtract, "書庫解凍(U)"},
        {btn::ArcCreate, "書庫作成(P)"},
        {btn::ArcList, "書庫内一覧(I)"},
        {btn::Help, "ヘルプ(H)"},
        {btn::Exit, "終了(Q)"},
        {btn::HidePane, "隠す"},
        {btn::Show, "表示"},
        {btn::Refresh, "テキストの再表示"},
        {btn::Url, "URL"},
        {btn::HtmlToText, "htmlタグ削除"},
        {btn::Code, "文字コード(T)"},
        {btn::EditMode, "簡易編集"},
        {btn::WordWrap, "折り返し"},
    };
    QStringList wrong;
    for (const auto& [button, hint] : hints)
      if (ToolButtonOf(f.get(), button)->toolTip() != QString(hint))
        wrong << QString("%1: %2").arg(button.key, ToolButtonOf(f.get(), button)->toolTip());
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join("; ")));
    // The text toolbar likewise, after the pane's show/hide switch.
    QStringList text, onBar;
    for (const navirt::ToolBarEntry& e : navirt::ToolBar2Buttons()) text << e.button.key;
    for (QAction* a : f->TextToolBar()->actions())
      if (!a->isSeparator()) onBar << a->objectName();
    QCOMPARE(onBar.join(" "), text.join(" "));
    for (const navirt::ToolBarEntry& e : navirt::ToolBar2Buttons())
      QVERIFY2(!ToolButtonOf(f.get(), e.button)->icon().isNull(), e.button.key);
    // The code button has its own menu arrow.
    QToolButton* code = ToolButtonOf(f.get(), btn::Code);
    QVERIFY(code);
    QCOMPARE(code->popupMode(), QToolButton::MenuButtonPopup);

    QVERIFY(f->SelectFileByName("note.txt"));
    f->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    QVERIFY(ClickToolButton(f.get(), btn::Editor));
    QCOMPARE(fake_.calls.size(), size_t(1));
    QVERIFY((fake_.calls[0] == ProgramCall{editor, {root_ + "work/note.txt"}, root_ + "work/"}));
    // "実行": the file with the program the desktop gives it.
    QVERIFY(ClickToolButton(f.get(), btn::Run));
    QCOMPARE(fake_.calls.size(), size_t(2));
    QVERIFY(fake_.calls[1].args == std::vector<std::string>{root_ + "work/note.txt"});
    // "登録フォルダー": the pop-up under the button.
    QVERIFY(ClickToolButton(f.get(), btn::RegisteredFolders));
    QMenu* popup = FolderPopupOf(*f);
    QTRY_VERIFY(popup->isVisible());
    QWidget* button = ToolButtonOf(f.get(), btn::RegisteredFolders);
    QCOMPARE(popup->pos().x(), button->mapToGlobal(QPoint(0, 0)).x());
    QCOMPARE(Captions(popup), QStringList{U("&1 " + root_ + "a")});
    popup->hide();
  }
};

QTEST_MAIN(RegisterDialogsUiTest)
#include "RegisterDialogsUiTest.moc"

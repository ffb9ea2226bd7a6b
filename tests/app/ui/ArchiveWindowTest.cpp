// The archive commands in the whole window: their copies in the file
// list's pop-up and the option menu, their toolbar buttons, the letters of
// the key map in the file list, the menu bar's keys, and the preview of an
// LHA archive the option turns on.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "app/ui/Unit1.h"
#include "archive/ui/ArcCreateDialog.h"
#include "archive/ui/ArchiveCommands.h"
#include "browse/ui/FileListModel.h"
#include "edit/ui/RichEdit.h"
#include "fileops/ui/FileOpsDialogs.h"
#include "platform/Cp932.h"
#include "settings/IniFile.h"
#include "tests/ClickMenu.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

class ArchiveWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string iniPath_;
  std::string folder_;
  QStringList messages_;

  void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  // Runs navirt-tool in the folder (names are stored as given).
  bool Tool(const std::string& args) {
    std::string tool = std::string(NAVIRT_BINARY_DIR) + "/bin/navirt-tool";
    std::string cmd = "cd / && cd '" + folder_ + "' && '" + tool + "' " + args + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
  }
  std::unique_ptr<TForm1> NewForm() {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    QTest::qWait(10);
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbOK);
    };
    f->GoToFolder(folder_);
    return f;
  }
  static QString Pane(TForm1* f) { return QString::fromStdString(navirt::Cp932ToUtf8(f->PaneText())); }
  static void Select(TForm1* f, const std::vector<std::string>& names) {
    auto* sel = f->FileView1->selectionModel();
    sel->clearSelection();
    bool first = true;
    for (const auto& n : names) {
      int row = f->FileModel->RowOfName(n, true);
      QVERIFY2(row >= 0, n.c_str());
      QModelIndex idx = f->FileModel->index(row, 0);
      if (first)
        sel->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      else
        sel->select(idx, QItemSelectionModel::Select | QItemSelectionModel::Rows);
      first = false;
    }
  }
  static QAction* Act(TForm1* f, CommandName n) { return f->Commands().Action(n); }

 private slots:
 private slots:
  void init() {
    iniPath_ = tmp_.path().toStdString() + "/navirt.ini";
    fs::remove(iniPath_);
    qputenv("NAVIRT_INI", QByteArray::fromStdString(iniPath_));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    folder_ = tmp_.path().toStdString() + "/arc dir/";
    fs::remove_all(folder_);
    fs::create_directories(folder_ + "sub");
    Write(folder_ + "a.txt", "alpha\r\n");
    Write(folder_ + "b.txt", "bravo\r\n");
    Write(folder_ + ".hidden.txt", "hidden\r\n");
    Write(folder_ + "sub/inner.txt", "inner\r\n");
    Write(folder_ + "plain.exe", "not an archive\r\n");
    QVERIFY(Tool("arc create pack.zip a.txt b.txt"));
    QVERIFY(Tool("arc create pack.lzh a.txt b.txt"));
    messages_.clear();
  }

  void menuRowsPopupCopiesAndButtons() {
    auto f = NewForm();
    QMenu* menu = f->Marchive;
    QStringList captions;
    for (QAction* a : menu->actions())
      if (!a->isSeparator()) captions << a->text();
    QCOMPARE(captions, (QStringList{"LHA解凍(&X)", "LHA作成(&P)", "LHA一覧(&L)", "LHAコマンド(&H)", "解凍(&U)",
                                    "一覧(&V)", "作成(&N)"}));
    QVERIFY(menu->menuAction()->isVisible());
    auto* ctl = ArchiveControllerOf(*f);
    QVERIFY(ctl);
    QStringList sub;
    for (QAction* a : ctl->LhaCommandMenu->actions()) sub << a->objectName();
    QCOMPARE(sub, (QStringList{"Mlha_V", "Mlha_E"}));
    QVERIFY(f->FileListPopup->actions().contains(Act(f.get(), cmd::Marcmake)));
    QVERIFY(f->FileListPopup->actions().contains(ctl->LhaCommandMenu->menuAction()));
    QVERIFY(f->Moption->actions().contains(Act(f.get(), cmd::Mlhashow)));
    QToolButton* b = ToolButtonOf(f.get(), btn::ArcList);
    QVERIFY(b);
    QCOMPARE(b->text(), QString("書庫内一覧"));
    QCOMPARE(f->Commands().Button(cmd::Mlhalist), b);
    // The button runs the command: the listing of the selected archive.
    Select(f.get(), {"pack.zip"});
    QVERIFY(ClickToolButton(f.get(), btn::ArcList));
    QVERIFY2(Pane(f.get()).contains("Listing of archive : "), qPrintable(Pane(f.get())));
  }

  // The target dialog answered by a click on its shown OK.
  static int PressOkWithFolder(QDialog& d, const std::string& folder) {
    auto* dlg = dynamic_cast<TForm2*>(&d);
    if (!dlg) return int(QDialog::Rejected);
    dlg->CBdir->setEditText(QString::fromStdString(folder));
    dlg->show();
    (void)QTest::qWaitForWindowExposed(dlg);
    QTest::mouseClick(dlg->BOK, Qt::LeftButton);
    return d.result();
  }

  // The key "U" on the archive in the file list (the list reloads after
  // each extraction: select it again).
  static void PressU(TForm1* f, const std::string& archive) {
    Select(f, {archive});
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_U);
  }

  void keyUExtractsAndAsksForExistingFiles() {
    auto f = NewForm();
    const std::string out = tmp_.path().toStdString() + "/out over";
    fs::remove_all(out);
    fs::create_directories(out);
    Write(out + "/a.txt", "old a");
    QStringList asked;
    f->dialogHook = [&](QDialog& d) {
      auto* q = dynamic_cast<TConflictDialog*>(&d);
      if (!q) return PressOkWithFolder(d, out);
      q->show();
      (void)QTest::qWaitForWindowExposed(q);
      asked << q->findChild<QLabel*>("Ltext")->text();
      QTest::mouseClick(q->BOverwrite, Qt::LeftButton);
      return d.result();
    };
    PressU(f.get(), "pack.zip");
    QCOMPARE(asked.size(), 1);
    QVERIFY2(asked[0].contains(QString::fromStdString(out + "/a.txt")), qPrintable(asked[0]));
    QCOMPARE(Read(out + "/a.txt"), std::string("alpha\r\n"));
    QCOMPARE(Read(out + "/b.txt"), std::string("bravo\r\n"));
    QVERIFY(messages_.isEmpty());
  }

  // The create dialog answered by keys: the name typed over the preset,
  // Space on the Shift_JIS box when it should change, Enter.
  static int TypeArchiveName(QDialog& d, const QString& name, std::optional<bool> sjis, bool* wasChecked = nullptr) {
    auto* dlg = qobject_cast<TArcCreateDialog*>(&d);
    if (!dlg) return int(QDialog::Rejected);
    dlg->show();
    (void)QTest::qWaitForWindowExposed(dlg);
    if (wasChecked) *wasChecked = dlg->CBsjis->isChecked();
    if (sjis && dlg->CBsjis->isChecked() != *sjis) QTest::keyClick(dlg->CBsjis, Qt::Key_Space);
    QLineEdit* edit = dlg->ComboBox1->lineEdit();
    edit->selectAll();
    QTest::keyClicks(edit, name);
    QTest::keyClick(edit, Qt::Key_Return);
    return d.result();
  }

  // Opens "書庫(&L)" with Alt+L and picks "作成(&N)" with N.
  static void CreateByMenuKeys(TForm1* f) {
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_L, Qt::AltModifier);
    QTRY_VERIFY(f->Marchive->isVisible());
    QTest::keyClick(f->Marchive, Qt::Key_N);
  }

  void createsFromTheMenuBarsKeys() {
    auto f = NewForm();
    f->dialogHook = [](QDialog& d) { return TypeArchiveName(d, "keys.zip", {}); };
    Select(f.get(), {"a.txt", "b.txt"});
    CreateByMenuKeys(f.get());
    QVERIFY(fs::exists(folder_ + "keys.zip"));
    QVERIFY2(Pane(f.get()).contains("格納: a.txt"), qPrintable(Pane(f.get())));
  }

  void previewListsLhaArchivesOnlyWithTheOption() {
    auto f = NewForm();
    QAction* show = Act(f.get(), cmd::Mlhashow);
    QVERIFY(!show->isChecked());
    Select(f.get(), {"pack.lzh"});
    QVERIFY(!Pane(f.get()).contains("個のファイル"));  // the raw bytes of the archive
    QCOMPARE(f->InfoLineColor(), navirt::clBlack);

    QVERIFY(ClickMenuItem(f.get(), show));
    QVERIFY(show->isChecked());
    Select(f.get(), {"a.txt"});
    QCOMPARE(Pane(f.get()), QString("alpha"));
    Select(f.get(), {"pack.lzh"});
    QVERIFY2(Pane(f.get()).contains("2 個のファイル") && Pane(f.get()).contains("b.txt"), qPrintable(Pane(f.get())));
    QCOMPARE(f->InfoLineColor(), navirt::clBlue);
    QVERIFY(f->InfoLine().startsWith("pack.lzh"));
    // An ".exe" that is no archive, and a ZIP, keep the normal preview.
    Select(f.get(), {"plain.exe"});
    QCOMPARE(Pane(f.get()), QString("not an archive"));
    QCOMPARE(f->InfoLineColor(), navirt::clBlack);
    Select(f.get(), {"pack.zip"});
    QVERIFY(!Pane(f.get()).contains("Listing"));

    // Off again: the archive's bytes, not its listing.
    QVERIFY(ClickMenuItem(f.get(), show));
    QVERIFY(!show->isChecked());
    Select(f.get(), {"pack.lzh"});
    QCOMPARE(f->InfoLineColor(), navirt::clBlack);
    QVERIFY(!Pane(f.get()).contains("個のファイル"));
  }

  void keysListAndToggleThePreview() {
    auto f = NewForm();
    Select(f.get(), {"pack.zip"});
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_I);
    QVERIFY2(Pane(f.get()).contains("Listing of archive : "), qPrintable(Pane(f.get())));
    QCOMPARE(f->InfoLineColor(), navirt::clBlue);
    QVERIFY(f->ActionNamed("Mkey_I")->isEnabled());

    // ";" turns the option on and lists the selected archive.
    Select(f.get(), {"pack.lzh"});
    QVERIFY(!Pane(f.get()).contains("個のファイル"));
    QTest::keyClick(f->FileView1, Qt::Key_Semicolon);
    QVERIFY(Act(f.get(), cmd::Mlhashow)->isChecked());
    QVERIFY2(Pane(f.get()).contains("2 個のファイル"), qPrintable(Pane(f.get())));
    QTest::keyClick(f->FileView1, Qt::Key_Semicolon);
    QVERIFY(!Act(f.get(), cmd::Mlhashow)->isChecked());
  }

  void withoutTheLhaLibraryKeysAndButtonsSayWhy() {
    auto f = NewForm();
    auto* ctl = ArchiveControllerOf(*f);
    ctl->UseLhaLibrary("NOSUCHLHA32.DLL");
    QVERIFY(!ToolButtonOf(f.get(), btn::ArcExtract)->isEnabled());
    // Key I says why and leaves the pane alone.
    Select(f.get(), {"pack.zip"});
    QString before = Pane(f.get());
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_I);
    QCOMPARE(Pane(f.get()), before);
    QVERIFY2(f->StatusPanel(4).contains("LHA一覧"), qPrintable(f->StatusPanel(4)));

    // The preview option alone shows no listing without the library.
    QVERIFY(ClickMenuItem(f.get(), Act(f.get(), cmd::Mlhashow)));
    Select(f.get(), {"pack.lzh"});
    QVERIFY(!Pane(f.get()).contains("個のファイル"));
    QCOMPARE(f->InfoLineColor(), navirt::clBlack);
    ctl->UseLhaLibrary("UNLHA32.DLL");
    QVERIFY(ToolButtonOf(f.get(), btn::ArcExtract)->isEnabled());
  }
};

QTEST_MAIN(ArchiveWindowTest)
#include "ArchiveWindowTest.moc"

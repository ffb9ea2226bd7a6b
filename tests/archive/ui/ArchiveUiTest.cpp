// The archive menu on the real main window over a temporary folder, with
// archives made by navirt-tool.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolBar>
#include <QTreeView>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <thread>

#include "app/ui/InputDialog.h"
#include "app/ui/Unit1.h"
#include "archive/ui/ArcCreateDialog.h"
#include "archive/ui/ArchiveCommands.h"
#include "browse/ui/FileListModel.h"
#include "edit/ui/RichEdit.h"
#include "fileops/ui/FileOpsDialogs.h"
#include "host/ui/Job.h"
#include "platform/Cp932.h"
#include "settings/IniFile.h"
#include "tests/JobInput.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

class ArchiveUiTest : public QObject {
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

  void listingGoesToThePaneInBlue() {
    auto f = NewForm();
    Select(f.get(), {"pack.zip"});
    Act(f.get(), cmd::Marclist1)->trigger();
    QStringList lines = Pane(f.get()).split("\r\n");
    QVERIFY2(lines.size() > 6, qPrintable(Pane(f.get())));
    QCOMPARE(lines[1], "Listing of archive : " + QString::fromStdString(folder_ + "pack.zip"));
    QVERIFY(lines.filter("a.txt").size() == 1 && lines.filter("b.txt").size() == 1);
    QVERIFY2(Pane(f.get()).contains("     2 files"), qPrintable(Pane(f.get())));
    QCOMPARE(f->InfoLineColor(), navirt::clBlue);
    QVERIFY(!f->PaneHasUnsavedEdits());
    QVERIFY(messages_.isEmpty());

    // The LHA route for ".lzh": the library's own listing, also blue.
    Select(f.get(), {"b.txt"});
    QCOMPARE(f->InfoLineColor(), navirt::clBlack);
    Select(f.get(), {"pack.lzh"});
    Act(f.get(), cmd::Mlhalist)->trigger();
    // The library's report is Japanese like the window, whatever the locale.
    QVERIFY2(Pane(f.get()).startsWith("書庫の一覧 : "), qPrintable(Pane(f.get())));
    QVERIFY(Pane(f.get()).contains("2 個のファイル") && Pane(f.get()).contains("b.txt"));
    QVERIFY(Pane(f.get()).contains("  元サイズ     圧縮後 圧縮率"));
    QVERIFY(!Pane(f.get()).contains("  Name            Original"));
    QCOMPARE(f->InfoLineColor(), navirt::clBlue);
    QVERIFY(f->InfoLine().startsWith("pack.lzh"));

    // Not an archive: nothing but a word, and the pane keeps the file.
    Select(f.get(), {"a.txt"});
    Act(f.get(), cmd::Marclist1)->trigger();
    QCOMPARE(Pane(f.get()), QString("alpha"));
    QCOMPARE(messages_.size(), 1);
  }

  void extractionAsksForTheFolderInTheFileOperationDialog() {
    auto f = NewForm();
    const std::string out = tmp_.path().toStdString() + "/out zip";
    fs::create_directories(out);
    QStringList seen;
    bool extractChosen = false;
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm2*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      seen << dlg->windowTitle() << dlg->Lfiles->text() << dlg->Memo1->toPlainText() << dlg->CBdir->currentText()
           << dlg->LDirectory->text();
      extractChosen = dlg->RGfile[2]->isChecked() && dlg->RGfile[2]->text() == "解凍";
      return PressOkWithFolder(d, out);
    };
    Select(f.get(), {"pack.zip"});
    Act(f.get(), cmd::Marcunpack1)->trigger();
    QCOMPARE(seen.value(0), QString("ファイル操作"));
    QCOMPARE(seen.value(1), QString("1個のファイル"));
    QCOMPARE(seen.value(2), QString::fromStdString(folder_ + "pack.zip"));
    QCOMPARE(seen.value(3), QString::fromStdString(folder_));
    QCOMPARE(seen.value(4), QString::fromStdString(folder_));
    QVERIFY(extractChosen);
    QCOMPARE(Read(out + "/a.txt"), std::string("alpha\r\n"));
    QCOMPARE(Read(out + "/b.txt"), std::string("bravo\r\n"));
    QVERIFY2(Pane(f.get()).contains("展開: a.txt") && Pane(f.get()).contains("2 個のファイルを展開しました"),
             qPrintable(Pane(f.get())));
    QVERIFY(!Pane(f.get()).contains("Extracting") && !Pane(f.get()).contains("extracted"));
    QCOMPARE(f->InfoLineColor(), navirt::clBlue);
    QVERIFY(messages_.isEmpty());
    // The target heads the dialog's history, the one copy and move share.
    QCOMPARE(navirt::TIniFile(iniPath_).ReadString("File", "Items_0", ""), "#" + out + "#");

    // Cancel: nothing is written, the pane keeps what it had.
    const std::string out2 = tmp_.path().toStdString() + "/out lzh";
    fs::create_directories(out2);
    Select(f.get(), {"pack.lzh"});
    QString before = Pane(f.get());
    f->dialogHook = [&](QDialog& d) {
      seen.clear();
      if (auto* dlg = dynamic_cast<TForm2*>(&d)) seen << dlg->CBdir->currentText();
      return int(QDialog::Rejected);
    };
    Act(f.get(), cmd::MlhaU)->trigger();
    // Again at the folder shown, not at the last target.
    QCOMPARE(seen, QStringList{QString::fromStdString(folder_)});
    QVERIFY(fs::is_empty(out2));
    QCOMPARE(Pane(f.get()), before);

    // LHA extraction with "処理先フォルダー表示" on moves to the target.
    Act(f.get(), cmd::Mtodiropen1)->setChecked(true);
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm2*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      return PressOkWithFolder(d, out2);
    };
    Select(f.get(), {"pack.lzh"});
    Act(f.get(), cmd::MlhaU)->trigger();
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join("|")));
    QCOMPARE(Read(out2 + "/a.txt"), std::string("alpha\r\n"));
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(out2 + "/"));
    QCOMPARE(f->InfoLineColor(), navirt::clBlue);
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

  void extractionOverExistingFilesAsksForEach() {
    auto f = NewForm();
    const std::string out = tmp_.path().toStdString() + "/out over";
    fs::remove_all(out);
    fs::create_directories(out);
    Write(out + "/a.txt", "old a");
    Write(out + "/b.txt", "old b");
    // Each question: what it names, and the input it gets.
    QStringList asked;
    std::function<void(TConflictDialog*)> answer;
    f->dialogHook = [&](QDialog& d) {
      auto* q = dynamic_cast<TConflictDialog*>(&d);
      if (!q) return PressOkWithFolder(d, out);
      q->show();
      (void)QTest::qWaitForWindowExposed(q);
      asked << q->findChild<QLabel*>("Ltext")->text();
      if (q->BKeepBoth->isVisible()) asked << "両方残す shown";
      answer(q);
      return d.result();
    };
    // 上書き for a.txt by mouse, Enter (スキップ, the default) for b.txt.
    int n = 0;
    answer = [&](TConflictDialog* q) {
      if (n++ == 0)
        QTest::mouseClick(q->BOverwrite, Qt::LeftButton);
      else
        QTest::keyClick(q, Qt::Key_Return);
    };
    PressU(f.get(), "pack.zip");
    QCOMPARE(asked.size(), 2);
    QVERIFY2(asked[0].contains(QString::fromStdString(out + "/a.txt")), qPrintable(asked[0]));
    QVERIFY2(asked[1].contains(QString::fromStdString(out + "/b.txt")), qPrintable(asked[1]));
    QCOMPARE(Read(out + "/a.txt"), std::string("alpha\r\n"));
    QCOMPARE(Read(out + "/b.txt"), std::string("old b"));
    QVERIFY2(Pane(f.get()).startsWith("既にあった 1 個のファイルはスキップしました"), qPrintable(Pane(f.get())));
    QVERIFY(messages_.isEmpty());

    // "残りのすべてに適用" with スキップ: one question for both files.
    Write(out + "/a.txt", "old a");
    asked.clear();
    answer = [&](TConflictDialog* q) {
      QTest::keyClick(q->CBall, Qt::Key_Space);
      QTest::mouseClick(q->BSkip, Qt::LeftButton);
    };
    PressU(f.get(), "pack.zip");
    QCOMPARE(asked.size(), 1);
    QCOMPARE(Read(out + "/a.txt"), std::string("old a"));
    QCOMPARE(Read(out + "/b.txt"), std::string("old b"));
    QVERIFY2(Pane(f.get()).startsWith("既にあった 2 個のファイルはスキップしました"), qPrintable(Pane(f.get())));

    // Escape at the question: nothing is extracted, not even the free name.
    fs::remove(out + "/b.txt");
    Select(f.get(), {"pack.zip"});
    QString before = Pane(f.get());
    asked.clear();
    answer = [&](TConflictDialog* q) { QTest::keyClick(q, Qt::Key_Escape); };
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_U);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(Read(out + "/a.txt"), std::string("old a"));
    QVERIFY(!fs::exists(out + "/b.txt"));
    QCOMPARE(Pane(f.get()), before);

    // The LHA route asks the same way: 上書き for all.
    Write(out + "/b.txt", "old b");
    asked.clear();
    answer = [&](TConflictDialog* q) {
      QTest::keyClick(q->CBall, Qt::Key_Space);
      QTest::mouseClick(q->BOverwrite, Qt::LeftButton);
    };
    PressU(f.get(), "pack.lzh");
    QCOMPARE(asked.size(), 1);
    QCOMPARE(Read(out + "/a.txt"), std::string("alpha\r\n"));
    QCOMPARE(Read(out + "/b.txt"), std::string("bravo\r\n"));
    QVERIFY(messages_.isEmpty());
  }

  void cancelledExtractionKeepsWholeEntriesOnly() {
    // Entries big enough that each one is real work, all different.
    const int entries = 40;
    std::string names;
    for (int i = 0; i < entries; ++i) {
      std::string body;
      for (int k = 0; k < 20000; ++k) body += char('a' + (i * 7 + k) % 26);
      Write(folder_ + "e" + std::to_string(i) + ".txt", body);
      names += " e" + std::to_string(i) + ".txt";
    }
    QVERIFY(Tool("arc create many.zip" + names));
    const std::string out = tmp_.path().toStdString() + "/out cancel/";
    fs::remove_all(out);
    fs::create_directories(out);
    auto f = NewForm();
    auto* ctl = ArchiveControllerOf(*f);
    std::atomic<bool> cancelled{false};
    std::atomic<int> steps{0};
    // The job waits at its third entry until its window is up and Cancel pressed.
    ctl->stepHook = [&] {
      if (++steps != 3) return;
      for (int i = 0; i < 5000 && !cancelled; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    jobShowAfterMsOverride = 0;
    QString jobTitle;
    jobWindowHook = [&](QDialog& w) {
      // The listing before the questions is a job of its own: let it end.
      if (w.findChild<QLabel*>("JobHeading")->text() != "解凍中．．．") return;
      jobTitle = w.windowTitle();
      PressCancel(w, CancelInput::Click);
      cancelled = true;
    };
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm2*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      return PressOkWithFolder(d, out);
    };
    Select(f.get(), {"many.zip"});
    Act(f.get(), cmd::Marcunpack1)->trigger();
    jobWindowHook = nullptr;
    jobShowAfterMsOverride = -1;
    ctl->stepHook = nullptr;
    QVERIFY(cancelled);
    QCOMPARE(jobTitle, QString("解凍"));
    // Every file there is whole and has its entry's bytes; no half-written
    // file under any name; the later entries were never started.
    int kept = 0;
    for (const auto& e : fs::directory_iterator(out)) {
      std::string name = e.path().filename().string();
      QVERIFY2(name.size() > 1 && name[0] == 'e', name.c_str());
      QCOMPARE(Read(out + name), Read(folder_ + name));
      ++kept;
    }
    QVERIFY2(kept >= 1 && kept < entries, qPrintable(QString::number(kept)));
    QVERIFY2(Pane(f.get()).contains("ユーザーによって処理を中断されました。"), qPrintable(Pane(f.get())));
    QCOMPARE(f->InfoLineColor(), navirt::clBlue);
  }

  void extractionListsTheArchiveInAJobThatCancels() {
    const std::string out = tmp_.path().toStdString() + "/out listing/";
    fs::remove_all(out);
    fs::create_directories(out);
    Write(out + "a.txt", "old a");
    auto f = NewForm();
    auto* ctl = ArchiveControllerOf(*f);
    // The listing is held at its first entry until Cancel is pressed.
    std::atomic<bool> cancelled{false}, onWindowThread{false};
    std::atomic<int> steps{0};
    ctl->stepHook = [&] {
      ++steps;
      if (QThread::currentThread() == qApp->thread()) onWindowThread = true;
      for (int i = 0; i < 5000 && !cancelled; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    jobShowAfterMsOverride = 0;
    QStringList shown;
    jobWindowHook = [&](QDialog& w) {
      shown << w.windowTitle() << w.findChild<QLabel*>("JobHeading")->text();
      PressCancel(w, CancelInput::Escape);
      cancelled = true;
    };
    int questions = 0;
    f->dialogHook = [&](QDialog& d) {
      auto* q = dynamic_cast<TConflictDialog*>(&d);
      if (!q) return PressOkWithFolder(d, out);
      ++questions;
      q->show();
      (void)QTest::qWaitForWindowExposed(q);
      QTest::mouseClick(q->BSkip, Qt::LeftButton);
      return d.result();
    };
    Select(f.get(), {"pack.zip"});
    const QString before = Pane(f.get());
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_U);
    jobWindowHook = nullptr;
    jobShowAfterMsOverride = -1;
    // Off the window's thread, in a window of its own; Escape there ends
    // the command before any question and any file.
    QCOMPARE(shown, (QStringList{"解凍", "書庫の内容を確認中．．．"}));
    QCOMPARE(int(steps), 1);
    QVERIFY(!onWindowThread);
    QCOMPARE(questions, 0);
    QCOMPARE(Read(out + "a.txt"), std::string("old a"));
    QVERIFY(!fs::exists(out + "b.txt"));
    QCOMPARE(Pane(f.get()), before);
    QVERIFY(messages_.isEmpty());

    // Left to run, the listing finds a.txt and its question comes after it.
    ctl->stepHook = nullptr;
    PressU(f.get(), "pack.zip");
    QCOMPARE(questions, 1);
    QCOMPARE(Read(out + "a.txt"), std::string("old a"));
    QCOMPARE(Read(out + "b.txt"), std::string("bravo\r\n"));
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

  void zipNamesInShiftJisWhenTheCreateDialogSaysSo() {
    const std::string jp = "\xE8\xA1\xA8.txt";  // 表.txt: its second byte in Shift_JIS is "\"
    Write(folder_ + jp, "hyo\r\n");
    auto f = NewForm();
    bool wasChecked = true;
    f->dialogHook = [&](QDialog& d) { return TypeArchiveName(d, "sj.zip", true, &wasChecked); };
    Select(f.get(), {jp});
    CreateByMenuKeys(f.get());
    QVERIFY(!wasChecked);  // UTF-8 unless asked
    const std::string sjisName = navirt::Utf8ToCp932(jp);
    std::string bytes = Read(folder_ + "sj.zip");
    QVERIFY2(bytes.find(sjisName) != std::string::npos, qPrintable(Pane(f.get())));
    QVERIFY(bytes.find(jp) == std::string::npos);
    QVERIFY(navirt::TIniFile(iniPath_).ReadBool("ARCpack", "SjisNames", false));

    // The setting is kept for the next time; turned off, names are UTF-8.
    f->dialogHook = [&](QDialog& d) { return TypeArchiveName(d, "u8.zip", false, &wasChecked); };
    Select(f.get(), {jp});
    CreateByMenuKeys(f.get());
    QVERIFY(wasChecked);
    bytes = Read(folder_ + "u8.zip");
    QVERIFY(bytes.find(jp) != std::string::npos);
    QVERIFY(bytes.find(sjisName) == std::string::npos);
    QVERIFY(!navirt::TIniFile(iniPath_).ReadBool("ARCpack", "SjisNames", true));
    fs::remove(folder_ + jp);
  }

  void creationPacksTheSelectedFiles() {
    auto f = NewForm();
    f->dialogHook = [](QDialog& d) { return TypeArchiveName(d, "made.zip", {}); };
    // A folder in the selection contributes nothing; a name beginning with
    // "." is an ordinary name here and is packed.
    Select(f.get(), {"a.txt", "b.txt", "sub", ".hidden.txt"});
    Act(f.get(), cmd::Marcmake)->trigger();
    QVERIFY(fs::exists(folder_ + "made.zip"));
    QVERIFY2(Pane(f.get()).endsWith("Result code = 0"), qPrintable(Pane(f.get())));
    QVERIFY2(Pane(f.get()).contains("格納: a.txt"), qPrintable(Pane(f.get())));
    QCOMPARE(f->InfoLineColor(), navirt::clBlue);
    navirt::TIniFile ini(iniPath_);
    QCOMPARE(ini.ReadString("ARCpack", "Items_0", ""), std::string("#made.zip#"));
    // What it holds, as "一覧(&V)" shows it.
    QVERIFY(f->SelectFileByName("made.zip"));
    Act(f.get(), cmd::Marclist1)->trigger();
    QString listing = Pane(f.get());
    QVERIFY2(listing.contains("a.txt") && listing.contains("b.txt"), qPrintable(listing));
    QVERIFY2(!listing.contains("inner") && listing.contains(".hidden.txt"), qPrintable(listing));
    QVERIFY2(listing.contains("     3 files"), qPrintable(listing));

    // LHA creation: ".lzh" replaces another extension; the label names it.
    f->dialogHook = [](QDialog& d) {
      auto* dlg = qobject_cast<TForm33*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      dlg->show();
      (void)QTest::qWaitForWindowExposed(dlg);
      dlg->ComboBox1->lineEdit()->selectAll();
      QTest::keyClicks(dlg->ComboBox1->lineEdit(), "made2.txt");
      QTest::keyClick(dlg->ComboBox1->lineEdit(), Qt::Key_Return);
      return d.result();
    };
    Select(f.get(), {"a.txt", "b.txt"});
    Act(f.get(), cmd::MlhaP)->trigger();
    QVERIFY(fs::exists(folder_ + "made2.lzh"));
    QVERIFY(!fs::exists(folder_ + "made2.txt"));
    QCOMPARE(f->InfoLine(), QString::fromStdString(folder_ + "made2.lzh   2個のファイル"));

    // Cancel at the name: no archive, no history.
    f->dialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    Select(f.get(), {"a.txt"});
    Act(f.get(), cmd::Marcmake)->trigger();
    QVERIFY(!fs::exists(folder_ + "a.lzh"));
    navirt::TIniFile after(iniPath_);
    QCOMPARE(after.ReadString("ARCpack", "Items_1", ""), std::string());
  }

  void previewListsLhaArchivesOnlyWithTheOption() {
    auto f = NewForm();
    QAction* show = Act(f.get(), cmd::Mlhashow);
    QVERIFY(!show->isChecked());
    Select(f.get(), {"pack.lzh"});
    QVERIFY(!Pane(f.get()).contains("個のファイル"));  // the raw bytes of the archive
    QCOMPARE(f->InfoLineColor(), navirt::clBlack);

    show->setChecked(true);
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
    show->setChecked(false);
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

  void withoutTheLhaLibraryItsItemsAreOff() {
    auto f = NewForm();
    auto* ctl = ArchiveControllerOf(*f);
    QVERIFY(ctl->LhaVersion() > 0);
    ctl->UseLhaLibrary("NOSUCHLHA32.DLL");
    QCOMPARE(ctl->LhaVersion(), 0);
    emit f->Marchive->aboutToShow();
    for (CommandName n : {cmd::MlhaU, cmd::MlhaP, cmd::Mlhalist, cmd::Mlha_V, cmd::Mlha_E})
      QVERIFY2(!Act(f.get(), n)->isEnabled(), n.text);
    QVERIFY(!ctl->LhaCommandMenu->menuAction()->isEnabled());
    QVERIFY(Act(f.get(), cmd::Marclist1)->isEnabled());
    QVERIFY(!ToolButtonOf(f.get(), btn::ArcExtract)->isEnabled());
    emit f->Marchive->aboutToHide();

    // Key I says why and leaves the pane alone; the general list still works.
    Select(f.get(), {"pack.zip"});
    QString before = Pane(f.get());
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_I);
    QCOMPARE(Pane(f.get()), before);
    QVERIFY2(f->StatusPanel(4).contains("LHA一覧"), qPrintable(f->StatusPanel(4)));
    Act(f.get(), cmd::Marclist1)->trigger();
    QVERIFY(Pane(f.get()).contains("Listing of archive : "));

    // The preview option alone shows no listing without the library.
    Act(f.get(), cmd::Mlhashow)->setChecked(true);
    Select(f.get(), {"pack.lzh"});
    QVERIFY(!Pane(f.get()).contains("個のファイル"));
    QCOMPARE(f->InfoLineColor(), navirt::clBlack);
    ctl->UseLhaLibrary("UNLHA32.DLL");
    QVERIFY(ToolButtonOf(f.get(), btn::ArcExtract)->isEnabled());
  }
};

QTEST_MAIN(ArchiveUiTest)
#include "ArchiveUiTest.moc"

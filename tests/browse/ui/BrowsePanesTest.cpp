// Folder tree and file list: view styles, masks, sorting, up and root,
// the key map with kana, listings, drops.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDropEvent>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "app/ui/Unit1.h"
#include "browse/ui/BrowseCommands.h"
#include "browse/ui/DriveDialog.h"
#include "browse/ui/FileListModel.h"
#include "browse/ui/SortDialog.h"
#include "edit/ui/RichEdit.h"
#include "fileops/ui/FileOpsCommands.h"
#include "fileops/ui/FileOpsDialogs.h"
#include "host/ui/InputDialog.h"
#include "tests/ClickMenu.h"
#include "tests/PressButton.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;
using navirt::ConflictAnswer;

class BrowsePanesTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;
  QStringList messages_;
  QStringList dialogs_;

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
  }
  std::unique_ptr<TForm1> Open() {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbOK);
    };
    f->HandleCommandLine(folder_);
    return f;
  }
  QStringList Names(TForm1* f) {
    QStringList out;
    for (int r = 0; r < f->FileModel->rowCount(); ++r) out << QString::fromStdString(f->FileModel->Entry(r).name);
    return out;
  }
  static std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
  }
  // Answers the question about an existing name; counts the questions.
  void AnswerConflicts(TForm1* f, ConflictAnswer& answer, int& asked) {
    f->dialogHook = [&answer, &asked](QDialog& d) {
      auto* c = dynamic_cast<TConflictDialog*>(&d);
      if (!c) return int(QDialog::Rejected);
      ++asked;
      QPushButton* b = answer == ConflictAnswer::Skip        ? c->BSkip
                       : answer == ConflictAnswer::KeepBoth  ? c->BKeepBoth
                       : answer == ConflictAnswer::Overwrite ? c->BOverwrite
                                                             : c->BCancel;
      PressButton(b);
      return d.result();
    };
  }
  // Answers the input dialog with a text and remembers its caption.
  void Answer(TForm1* f, const QString& text) {
    f->dialogHook = [this, text](QDialog& d) {
      dialogs_ << d.windowTitle();
      if (auto* dlg = qobject_cast<TForm33*>(&d)) {
        dlg->SetAnswerText(text);
        return int(QDialog::Accepted);
      }
      return int(QDialog::Rejected);
    };
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    folder_ = tmp_.path().toStdString() + "/list/";
    fs::remove_all(folder_);
    fs::create_directories(folder_ + "zfolder/deeper");
    Write("b.txt", std::string(1000, 'b'));
    Write("a.BMP", "BM not really");
    Write("c.jpg", std::string(9, 'c'));
    Write("noext", std::string(100, 'n'));
    messages_.clear();
    dialogs_.clear();
  }

  void viewStylesKeepOneCheckAndOneButton() {
    auto f = Open();
    QCOMPARE(f->Settings.icon, 3);  // the list style by default
    QVERIFY(f->FileIconView1->isVisible());
    QVERIFY(ToolButtonOf(f.get(), btn::List)->isChecked());
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Micon4")));
    QVERIFY(f->FileView1->isVisible());
    QVERIFY(!f->FileIconView1->isVisible());
    QVERIFY(ToolButtonOf(f.get(), btn::Details)->isChecked());
    QVERIFY(!ToolButtonOf(f.get(), btn::List)->isChecked());
    QVERIFY(f->ActionNamed("Micon4")->isChecked());
    // Keypad 1 from the list: large icons.
    QTest::keyClick(f->FileView1, Qt::Key_1, Qt::KeypadModifier);
    QCOMPARE(f->Settings.icon, 1);
    QCOMPARE(f->FileIconView1->viewMode(), QListView::IconMode);
    QVERIFY(f->ActionNamed("Micon1")->isChecked());
    QVERIFY(!f->ActionNamed("Micon4")->isChecked());
    // The list's texts and headings.
    QCOMPARE(f->FileModel->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString("ｻｲｽﾞ"));
    int row = f->FileModel->RowOfName("b.txt", false);
    QCOMPARE(f->FileModel->CellText(row, 1), QString("           1,000"));
    QVERIFY(
        QRegularExpression("^\\d\\d/\\d\\d/\\d\\d \\d\\d:\\d\\d$").match(f->FileModel->CellText(row, 3)).hasMatch());
  }

  // Every name shows whole in the list styles, however short the first
  // one is; large icons give a name two lines.
  void namesAreNotCutInTheListStyles() {
    Write("a-much-longer-name-than-the-others.txt", "x");
    Write(
        "\xE6\xBC\xA2\xE5\xAD\x97\xE3\x81\xAE\xE5\x90\x8D\xE5\x89\x8D\xE3\x81\xAE\xE9\x95\xB7\xE3\x81\x84"
        "\xE3\x83\x95\xE3\x82\xA1\xE3\x82\xA4\xE3\x83\xAB.txt",
        "y");
    auto f = Open();
    QListView* v = f->FileIconView1;
    for (const char* style : {"Micon3", "Micon2"}) {
      QVERIFY(ClickMenuItem(f.get(), f->ActionNamed(style)));
      QCoreApplication::processEvents();
      const QFontMetrics fm(v->font());
      for (int r = 0; r < f->FileModel->rowCount(); ++r) {
        const QModelIndex i = f->FileModel->index(r, 0);
        const int text = fm.horizontalAdvance(i.data().toString());
        QVERIFY2(v->visualRect(i).width() >= text + v->iconSize().width(), qPrintable(i.data().toString()));
      }
    }
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Micon1")));
    QCoreApplication::processEvents();
    const QModelIndex first = f->FileModel->index(0, 0);
    QVERIFY(v->visualRect(first).height() >= v->iconSize().height() + 2 * v->fontMetrics().lineSpacing());
  }

  void maskListsFoldersAndMatchingFiles() {
    auto f = Open();
    Answer(f.get(), "txt;bmp");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mmask")));
    QCOMPARE(dialogs_.value(0), QString("拡張子の指定"));
    QCOMPARE(Names(f.get()), QStringList({"zfolder", "a.BMP", "b.txt"}));
    QVERIFY(ToolButtonOf(f.get(), btn::Mask)->isChecked());
    Answer(f.get(), "*");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mmask")));
    QCOMPARE(Names(f.get()).size(), 5);
    QVERIFY(!ToolButtonOf(f.get(), btn::Mask)->isChecked());
  }

  void sortBySizeDescendingAndCancel() {
    auto f = Open();
    f->dialogHook = [](QDialog& d) {
      auto* s = qobject_cast<TForm15*>(&d);
      if (!s) return int(QDialog::Rejected);
      s->Keys[1]->setChecked(true);
      s->CheckBox1->setChecked(true);
      return int(QDialog::Accepted);
    };
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mfilesort1")));
    // Right-aligned size texts: 1,000 > 100 > 13 > 9; the folder's empty
    // size text sorts last when descending.
    QCOMPARE(Names(f.get()), QStringList({"b.txt", "noext", "a.BMP", "c.jpg", "zfolder"}));
    f->dialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mfilesort1")));
    QCOMPARE(Names(f.get()).first(), QString("b.txt"));
  }

  void upRootAndEnterWithTheKeys() {
    auto f = Open();
    QAbstractItemView* list = ActiveFileView(*f);
    QVERIFY(f->SelectFileByName("zfolder"));
    QTest::keyClick(list, Qt::Key_Return);
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_ + "zfolder/"));
    // The first item is selected and focused after going there.
    QCOMPARE(QString::fromStdString(f->SelectedPath), QString::fromStdString(folder_ + "zfolder/deeper"));
    QTest::keyClick(ActiveFileView(*f), Qt::Key_Backspace);
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_));
    // Enter on a file is passed on: the folder stays.
    QVERIFY(f->SelectFileByName("b.txt"));
    QTest::keyClick(ActiveFileView(*f), Qt::Key_Return);
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_));
    // Root, then up from the root stays at the root.
    QTest::keyClicks(ActiveFileView(*f), "\\");
    QCOMPARE(f->CurrentFolder.substr(0, 1), std::string("/"));
    NavigateTo(*f, "/");
    GoUp(*f);
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString("/"));
  }

  void kanaBytesWorkLikeTheirLetters() {
    Write("lines.txt", "1\r\n2\r\n3\r\n4\r\n");
    auto f = Open();
    QVERIFY(f->SelectFileByName("lines.txt"));
    Answer(f.get(), "3");
    // ﾏ (CF) typed in kana mode is J: jump to a line.
    QKeyEvent kana(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(0xFF8F)));
    QApplication::sendEvent(ActiveFileView(*f), &kana);
    QCOMPARE(dialogs_.value(0), QString("指定行へジャンプ"));
    QCOMPARE(f->RichEdit1->CaretLine(), 3);
    // W and ﾃ (C3) both open the mask dialog; Y does nothing.
    Answer(f.get(), "*");
    QTest::keyClicks(ActiveFileView(*f), "w");
    QKeyEvent kanaW(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(0xFF83)));
    QApplication::sendEvent(ActiveFileView(*f), &kanaW);
    QTest::keyClicks(ActiveFileView(*f), "y");
    QCOMPARE(dialogs_.size(), 3);
    QCOMPARE(dialogs_.value(2), QString("拡張子の指定"));
    // The key list of the pop-up carries the same commands.
    auto* keys = f->PopupMenu1->findChild<QMenu*>("Mshortcutkey");
    QVERIFY(keys);
    QStringList captions;
    for (QAction* a : keys->actions()) captions << a->text();
    QVERIFY(captions.contains("&B 16進表示"));
    QVERIFY(captions.contains("&V テキストを表示"));
    QVERIFY(captions.contains("HOME 一番上のファイル"));
  }

  void driveAndFolderDialogsFallBackOnFailure() {
    auto f = Open();
    // A folder that does not exist: the previous folder stays.
    Answer(f.get(), QString::fromStdString(folder_ + "missing"));
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mfolderm")));
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_));
    Answer(f.get(), QString::fromStdString(folder_ + "zfolder"));
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mfolderm")));
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_ + "zfolder/"));
    // The single letter A is the first drive, the root.
    Answer(f.get(), "a");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mfolderm")));
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString("/"));
    // The drive dialog: choosing a drive's button answers at once.
    f->dialogHook = [](QDialog& d) {
      auto* dlg = qobject_cast<TForm10*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      if (dlg->DriveButtons.empty()) return int(QDialog::Rejected);
      PressButton(dlg->DriveButtons.front());
      return dlg->result();
    };
    NavigateTo(*f, folder_);
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mdrivem")));
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString("/"));
  }

  void oddNamesAndRenamedFolders() {
    // A name that is not valid UTF-8 is listed and previewed by its bytes.
    Write("bad\xff.txt", "content");
    auto f = Open();
    int row = f->FileModel->RowOfName("bad\xff.txt", false);
    QVERIFY(row >= 0);
    f->FileView1->selectionModel()->setCurrentIndex(f->FileModel->index(row, 0),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QCOMPARE(f->RichEdit1->Text(), std::string("content"));
    // Renaming the folder being shown in the tree: the folder follows.
    NavigateTo(*f, folder_ + "zfolder");
    QModelIndex node = f->FolderModel->index(QString::fromStdString(folder_ + "zfolder"));
    QVERIFY(node.isValid());
    QVERIFY(f->FolderModel->setData(node, "yfolder"));
    QTRY_COMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_ + "yfolder/"));
    QVERIFY(fs::is_directory(folder_ + "yfolder/deeper"));
    // An unreadable or vanished folder shows an empty list, no crash.
    fs::remove_all(folder_ + "yfolder");
    f->RefreshAll();
    QCOMPARE(f->FileModel->rowCount(), 0);
  }

  void filesDroppedOnTheWindowOnlyWhileTheOptionIsOn() {
    auto f = Open();
    std::string outside = tmp_.path().toStdString() + "/dropped.txt";
    std::ofstream(outside) << "from another program";
    // As the desktop delivers it: an enter, then the drop on the target
    // that accepted the enter.
    auto drop = [&] {
      QMimeData mime;
      mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(outside))});
      QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(f.get(), &enter);
      QDropEvent ev(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(f.get(), &ev);
    };
    f->ActionNamed("Mdragdrop1")->setChecked(false);
    drop();
    QVERIFY(!fs::exists(folder_ + "dropped.txt"));
    f->ActionNamed("Mdragdrop1")->setChecked(true);
    drop();
    QVERIFY(fs::exists(folder_ + "dropped.txt"));
    QCOMPARE(messages_.value(0), QString("1個のファイルをコピーしました。"));
    QVERIFY(f->FileModel->RowOfName("dropped.txt", false) >= 0);
    // A file of the folder shown dropped on it: ignored.
    outside = folder_ + "b.txt";
    drop();
    QCOMPARE(messages_.size(), 1);
  }

  void openWithAProgramOfTheUsersChoice() {
    auto f = Open();
    QVERIFY(f->SelectFileByName("b.txt"));
    // "cp -t DIR": the program gets the selected file's path as its last
    // argument, without a shell in between.
    Answer(f.get(), QString("cp -t \"%1\"").arg(tmp_.path()));
    f->ActionNamed("Mcontextopenwith")->trigger();
    QTRY_VERIFY(fs::exists(tmp_.path().toStdString() + "/b.txt"));
    Answer(f.get(), "/nonexistent/program");
    f->ActionNamed("Mcontextopenwith")->trigger();
    QVERIFY(messages_.value(0).endsWith("起動できませんでした。"));
  }

  void comboGoesToTheChosenDrive() {
    auto f = Open();
    QVERIFY(f->ComboView1->count() >= 1);
    QCOMPARE(f->ComboView1->itemText(0), QString("/"));
    f->ComboView1->setCurrentIndex(0);
    emit f->ComboView1->activated(0);
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString("/"));
    QVERIFY(!f->SelectedPath.empty());  // the first item is selected
    // A typed path that does not exist leaves the folder as it was.
    f->ComboView1->setEditText("/no/such/folder");
    emit f->ComboView1->activated(0);
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString("/"));
  }

  void listingsAndDrops() {
    auto f = Open();
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mfilenameonly")));
    QCOMPARE(f->RichEdit1->LineCount(), 5);
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(0)), QString("zfolder"));
    QCOMPARE(f->InfoColor, navirt::clBlue);
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mfilenamefull")));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(1)), QString::fromStdString(folder_ + "a.BMP"));
    // Files dropped on the window are copied into the folder shown.
    f->ActionNamed("Mdragdrop1")->setChecked(true);
    std::string outside = tmp_.path().toStdString() + "/outside.txt";
    std::ofstream(outside) << "dropped";
    CopyDroppedFiles(*f, {outside});
    QVERIFY(fs::exists(folder_ + "outside.txt"));
    QCOMPARE(messages_.value(0), QString("1個のファイルをコピーしました。"));
    // Again: the name exists and the copy asks, as the copy command does.
    // Cancel: nothing is overwritten.
    std::ofstream(outside) << "changed";
    ConflictAnswer answer = ConflictAnswer::Cancel;
    int asked = 0;
    AnswerConflicts(f.get(), answer, asked);
    CopyDroppedFiles(*f, {outside});
    QCOMPARE(asked, 1);
    QVERIFY(messages_.value(1).startsWith("コピーできませんでした。"));
    QCOMPARE(ReadFile(folder_ + "outside.txt"), std::string("dropped"));
    // Keep both: the dropped file arrives under a new name.
    answer = ConflictAnswer::KeepBoth;
    CopyDroppedFiles(*f, {outside});
    QCOMPARE(asked, 2);
    QCOMPARE(ReadFile(folder_ + "outside.txt"), std::string("dropped"));
    QCOMPARE(ReadFile(folder_ + "outside (2).txt"), std::string("changed"));
  }

  void listSelectionDraggedToATreeFolderIsCopiedThere() {
    Write("zfolder/b.txt", "older b");
    auto f = Open();
    QItemSelectionModel* sel = f->FileView1->selectionModel();
    sel->clearSelection();
    for (const char* name : {"b.txt", "c.jpg"})
      sel->select(f->FileModel->index(f->FileModel->RowOfName(name, false), 0),
                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
    ConflictAnswer answer = ConflictAnswer::Skip;
    int asked = 0;
    AnswerConflicts(f.get(), answer, asked);
    DropSelectionOnFolder(*f, folder_ + "zfolder/");
    // b.txt exists there: asked and skipped; c.jpg copied. The folder shown
    // and the tree's selection stay.
    QCOMPARE(asked, 1);
    QCOMPARE(ReadFile(folder_ + "zfolder/b.txt"), std::string("older b"));
    QCOMPARE(ReadFile(folder_ + "zfolder/c.jpg"), std::string(9, 'c'));
    // The count is of what was written: the skipped file is not in it.
    QCOMPARE(messages_.value(0), QString("1個のファイルをコピーしました。"));
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_));
    QCOMPARE(f->FolderModel->filePath(f->FolderView1->currentIndex()) + "/", QString::fromStdString(folder_));
    // On the folder shown, or beside every node: nothing copied, a warning.
    messages_.clear();
    QVERIFY(f->SelectFileByName("noext"));
    DropSelectionOnFolder(*f, folder_);
    DropSelectionOnFolder(*f, "");
    QCOMPARE(messages_, QStringList({"コピーできませんでした。", "コピーできませんでした。"}));
    QVERIFY(!fs::exists(folder_ + "zfolder/noext"));
    // A drag from another program over a node of the tree is the window's
    // drop: the file goes to the folder shown, not to the node's folder.
    f->ActionNamed("Mdragdrop1")->setChecked(true);
    std::string outside = tmp_.path().toStdString() + "/over-tree.txt";
    std::ofstream(outside) << "x";
    QModelIndex node = f->FolderModel->index(QString::fromStdString(folder_ + "zfolder"));
    f->FolderView1->expand(f->FolderView1->currentIndex());
    QTRY_VERIFY(!f->FolderView1->visualRect(node).isEmpty());
    QPoint at = f->FolderView1->visualRect(node).center();
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(outside))});
    QWidget* port = f->FolderView1->viewport();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &drop);
    QVERIFY(!fs::exists(folder_ + "zfolder/over-tree.txt"));
    QVERIFY(fs::exists(folder_ + "over-tree.txt"));
    QCOMPARE(messages_.value(2), QString("1個のファイルをコピーしました。"));
  }
};

QTEST_MAIN(BrowsePanesTest)
#include "BrowsePanesTest.moc"

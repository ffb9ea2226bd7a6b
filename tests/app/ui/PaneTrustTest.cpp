// Edits a user can trust, driven by keys and clicks on the shown window:
// the question before edits would be replaced, commands as undo steps,
// EUC and JIS files edited and saved in their code, a save with nothing to
// save, the caret buttons.
#include <QAction>
#include <QApplication>
#include <QFileSystemModel>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <filesystem>
#include <fstream>

#include "app/ui/Unit1.h"
#include "browse/ui/FileListModel.h"
#include "codec/CodeConvert.h"
#include "codec/UnicodePane.h"
#include "edit/ui/RichEdit.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;
using navirt::clBlack;
using navirt::clBlue;
using navirt::clRed;

class PaneTrustTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;
  QStringList messages_;
  QList<int> answers_;  // the buttons pressed in the coming message boxes

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) {
    std::string s;
    navirt::ReadWholeFile(folder_ + name, s);
    return s;
  }
  std::unique_ptr<TForm1> Open(const std::string& name) {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return answers_.isEmpty() ? int(mbCancel) : answers_.takeFirst();
    };
    f->HandleCommandLine(folder_ + name);
    f->activateWindow();
    if (!QTest::qWaitForWindowActive(f.get())) qWarning("window not active");
    return f;
  }
  // Clicks the menu bar's menu and the items of the path, as a user does.
  static void ClickMenu(TForm1* f, const QStringList& path) {
    QMenuBar* bar = f->menuBar();
    QAction* top = nullptr;
    for (QAction* a : bar->actions())
      if (a->text() == path.first()) top = a;
    QVERIFY2(top && top->menu(), qPrintable(path.first()));
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
    QMenu* menu = top->menu();
    QTRY_VERIFY(menu->isVisible());
    for (int i = 1; i < path.size(); ++i) {
      QAction* item = nullptr;
      for (QAction* a : menu->actions())
        if (a->text() == path[i]) item = a;
      QVERIFY2(item, qPrintable(path[i]));
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(item).center());
      if (item->menu()) {
        menu = item->menu();
        QTRY_VERIFY(menu->isVisible());
      }
    }
    QTRY_VERIFY(!QApplication::activePopupWidget());
  }
  static void ClickButton(TForm1* f, navirt::ToolButtonId id) { QVERIFY2(ClickToolButton(f, id), id.key); }
  // Types text (any characters) where the caret of the pane is.
  static void Type(TForm1* f, const QString& text) {
    f->RichEdit1->setFocus();
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, f->RichEdit1, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
  static void Key(QWidget* w, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    w->setFocus();
    QTest::keyClick(w, key, mods);
  }
  static QString Screen(TForm1* f) {
    QString s = f->RichEdit1->toPlainText();
    s.replace(QChar(0x2028), QChar('\n'));
    return s;
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    folder_ = tmp_.path().toStdString() + "/work/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    messages_.clear();
    answers_.clear();
  }

  void movingOnAsksBeforeEditsAreLost() {
    Write("a.txt", "pear\napple\npear\n");
    Write("b.txt", "other\n");
    auto f = Open("a.txt");
    ClickMenu(f.get(), {"編集(&E)", "行の並び替え", "昇順"});
    QCOMPARE(Screen(f.get()), QString("apple\npear\npear"));
    QCOMPARE(f->InfoColor, clRed);
    QTreeView* list = f->FileView1;

    // キャンセル: the pane keeps the work and the file stays selected.
    answers_ = {mbCancel};
    Key(list, Qt::Key_Down);
    QCOMPARE(messages_, QStringList{"変更を保存しますか？"});
    QCOMPARE(Screen(f.get()), QString("apple\npear\npear"));
    QCOMPARE(QString::fromStdString(f->SelectedPath), QString::fromStdString(folder_ + "a.txt"));
    QTRY_COMPARE(list->currentIndex().row(), f->FileModel->RowOfName("a.txt", false));
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(Screen(f.get()), QString("apple\npear\npear"));
    QCOMPARE(f->InfoColor, clRed);

    // いいえ: the work goes, the file is as it was.
    answers_ = {mbNo};
    Key(list, Qt::Key_Down);
    QCOMPARE(messages_.size(), 2);
    QCOMPARE(Screen(f.get()), QString("other"));
    QCOMPARE(Read("a.txt"), std::string("pear\napple\npear\n"));

    // Back, edit again, はい saves over the file and the move goes on.
    Key(list, Qt::Key_Up);
    QCOMPARE(messages_.size(), 2);  // a file as stored asks nothing
    ClickMenu(f.get(), {"削除(&K)", "同じ行を削除"});
    QCOMPARE(Screen(f.get()), QString("pear\napple\npear"));  // no equal neighbours: unchanged, still a step
    ClickMenu(f.get(), {"編集(&E)", "行の並び替え", "降順"});
    answers_ = {mbYes};
    Key(list, Qt::Key_Down);
    QCOMPARE(messages_.size(), 3);
    QCOMPARE(Read("a.txt"), std::string("pear\r\npear\r\napple\r\n"));  // a command's lines end in CR LF
    QCOMPARE(Screen(f.get()), QString("other"));

    // Program output (blue) never asks: the refresh key goes through.
    Key(list, Qt::Key_N);
    QCOMPARE(messages_.size(), 3);
  }

  void foldersAndRefreshAskToo() {
    fs::create_directories(folder_ + "sub");
    Write("a.txt", "x\ny\n");
    auto f = Open("a.txt");
    ClickButton(f.get(), btn::EditMode);  // edit mode
    f->RichEdit1->moveCursor(QTextCursor::End);
    Type(f.get(), "z");
    QVERIFY(f->RichEdit1->Modified());
    // The refresh key, キャンセル: the pane and the selection stay.
    answers_ = {mbCancel};
    Key(f->FileView1, Qt::Key_N);
    QCOMPARE(messages_, QStringList{"変更を保存しますか？"});
    QCOMPARE(Screen(f.get()), QString("x\nyz"));
    QCOMPARE(QString::fromStdString(f->SelectedPath), QString::fromStdString(folder_ + "a.txt"));
    // A click on another folder in the tree, キャンセル: the tree goes back
    // to the file's folder.
    answers_ = {mbCancel};
    const std::string before = f->CurrentFolder;
    QTreeView* tree = f->FolderView1;
    const QString subPath = QString::fromStdString(folder_ + "sub");
    tree->scrollTo(f->FolderModel->index(subPath));
    QTRY_VERIFY(!tree->visualRect(f->FolderModel->index(subPath)).isEmpty());
    // The tree is narrow and the folder deep: its name starts near the edge.
    // The rows move as folders load: the place is found at each click.
    auto at = [&] {
      const QModelIndex sub = f->FolderModel->index(subPath);
      tree->scrollTo(sub);
      const QRect r = tree->visualRect(sub);
      return QPoint(std::min(r.left() + 6, tree->viewport()->width() - 2), r.center().y());
    };
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at());
    QCOMPARE(messages_.size(), 2);
    QCOMPARE(f->CurrentFolder, before);
    QTRY_COMPARE(f->FolderModel->filePath(tree->currentIndex()) + "/", QString::fromStdString(before));
    QCOMPARE(Screen(f.get()), QString("x\nyz"));
    // Ctrl+S saves, and the folder change then asks nothing.
    Key(f->RichEdit1, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Read("a.txt"), std::string("x\nyz\n"));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at());
    QCOMPARE(messages_.size(), 2);
    QTRY_COMPARE(f->CurrentFolder, folder_ + "sub/");
  }

  void everyCommandIsOneUndoStep() {
    // LF line ends and a typed edit before the command: undoing the command
    // gives back the typed text, and saving keeps the file's line ends.
    Write("u.txt", "c\nb\na\n");
    auto f = Open("u.txt");
    ClickButton(f.get(), btn::EditMode);
    f->RichEdit1->GoToLine(1);
    Type(f.get(), "X");
    ClickMenu(f.get(), {"編集(&E)", "行の並び替え", "昇順"});
    QCOMPARE(Screen(f.get()), QString("a\nc\nXb"));
    Key(f->RichEdit1, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Screen(f.get()), QString("c\nXb\na"));
    QCOMPARE(f->RichEdit1->Text(), std::string("c\r\nXb\r\na"));
    Key(f->RichEdit1, Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier);
    QCOMPARE(Screen(f.get()), QString("a\nc\nXb"));
    // The menu item undoes too, also with the focus in the list.
    f->FileView1->setFocus();
    ClickMenu(f.get(), {"編集(&E)", "元に戻す(&U)"});
    QCOMPARE(Screen(f.get()), QString("c\nXb\na"));
    Key(f->RichEdit1, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(Read("u.txt"), std::string("c\nXb\na\n"));

    // In browse mode: the width conversion and a search's replace all.
    Write("w.txt", navirt::Utf8ToCp932("ｶﾅ\r\n"));
    auto g = Open("w.txt");
    QVERIFY(!g->RichEdit1->EditMode());
    ClickMenu(g.get(), {"変換(&C)", "半角ｶﾅ->全角カナ"});
    QCOMPARE(Screen(g.get()), QString("カナ"));
    Key(g->FileView1, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(Screen(g.get()), QString("ｶﾅ"));
    QCOMPARE(g->RichEdit1->Bytes(), navirt::Utf8ToCp932("ｶﾅ\r\n"));
  }

  void eucAndJisFilesAreEditedInTheirOwnCode() {
    const std::string euc = navirt::SjisToEuc(navirt::Utf8ToCp932("一行目の漢字\n二行目\n三行目\n"));
    const std::string jis = navirt::SjisToJis(navirt::Utf8ToCp932("一行目の漢字\r\n二行目\r\n三行目\r\n"));
    Write("e.txt", euc);
    Write("j.txt", jis);
    auto f = Open("e.txt");
    QCOMPARE(Screen(f.get()), QString("一行目の漢字\n二行目\n三行目"));
    QVERIFY2(f->InfoLine().endsWith("EUC"), qPrintable(f->InfoLine()));
    ClickButton(f.get(), btn::EditMode);
    f->RichEdit1->GoToLine(1);
    Type(f.get(), "新しい");
    Key(f->RichEdit1, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(QString::fromStdString(navirt::Cp932ToUtf8(navirt::EucToSjis(Read("e.txt")))),
             QString("一行目の漢字\n新しい二行目\n三行目\n"));
    const std::string saved = Read("e.txt");
    QCOMPARE(saved.substr(0, 13), euc.substr(0, 13));  // the first line as stored

    // The code conversion key still reads the file: T shows it in Shift_JIS.
    Key(f->FileView1, Qt::Key_T);
    QCOMPARE(Screen(f.get()), QString("一行目の漢字\n新しい二行目\n三行目"));
    QCOMPARE(f->InfoColor, clBlue);
    QVERIFY(f->RichEdit1->Unicode() == nullptr);

    auto g = Open("j.txt");
    QCOMPARE(Screen(g.get()), QString("一行目の漢字\n二行目\n三行目"));
    QVERIFY2(g->InfoLine().endsWith("JIS83"), qPrintable(g->InfoLine()));
    ClickButton(g.get(), btn::EditMode);
    g->RichEdit1->GoToLine(2);
    Type(g.get(), "ｶﾅ");
    Key(g->RichEdit1, Qt::Key_S, Qt::ControlModifier);
    const std::string jsaved = Read("j.txt");
    QCOMPARE(QString::fromStdString(navirt::Cp932ToUtf8(navirt::LoadFileForPane(jsaved).text)),
             QString("一行目の漢字\r\n二行目\r\nｶﾅ三行目\r\n"));
    const size_t twoLines = jis.find("\r\n", jis.find("\r\n") + 2) + 2;
    QCOMPARE(jsaved.substr(0, twoLines), jis.substr(0, twoLines));
    for (char c : jsaved) QVERIFY(static_cast<unsigned char>(c) < 0x80);  // still 7-bit
  }

  void savingAnUnchangedFileDoesNothing() {
    Write("s.txt", "same\r\n");
    const auto before = fs::last_write_time(folder_ + "s.txt");
    auto f = Open("s.txt");
    Key(f->RichEdit1, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!fs::exists(folder_ + "s.$$$"));
    QCOMPARE(fs::last_write_time(folder_ + "s.txt"), before);
    QCOMPARE(f->StatusPanel(4), QString("変更はありません"));
    // Edit mode alone changes nothing either; a typed letter does.
    ClickButton(f.get(), btn::EditMode);
    Key(f->RichEdit1, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(!fs::exists(folder_ + "s.$$$"));
    Type(f.get(), "x");
    Key(f->RichEdit1, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(fs::exists(folder_ + "s.$$$"));
    QCOMPARE(Read("s.txt"), std::string("xsame\r\n"));
  }

  void theEndButtonGoesAfterTheLastCharacter() {
    Write("t.txt", "one\r\nlast");
    auto f = Open("t.txt");
    ClickButton(f.get(), btn::End);
    QCOMPARE(f->RichEdit1->CaretLine(), 2);
    QCOMPARE(f->RichEdit1->CaretColumn(), 5);
    ClickButton(f.get(), btn::Top);
    QCOMPARE(f->RichEdit1->CaretColumn(), 1);
    ClickMenu(f.get(), {"編集(&E)", "↓最終行へ移動(&B)"});
    QCOMPARE(f->RichEdit1->CaretColumn(), 5);
    // Typing there appends.
    ClickButton(f.get(), btn::EditMode);
    ClickButton(f.get(), btn::End);
    Type(f.get(), "!");
    QCOMPARE(f->RichEdit1->Line(1), std::string("last!"));
  }
};

QTEST_MAIN(PaneTrustTest)
#include "PaneTrustTest.moc"

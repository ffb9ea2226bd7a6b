// A conversion into Shift_JIS that loses characters says so in the status
// bar: the file chosen with the keys in the list, the conversion run from
// the menu bar with the keys, the count and the first line read where the
// user reads them.
#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/ui/Unit1.h"
#include "edit/ui/RichEdit.h"

namespace fs = std::filesystem;

class ConversionLossUiTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
  }

  // Opens "変換(&C)" > "文字コード変換(&J)" with Alt+C and J, walks down
  // to the item named `name` and presses Enter.
  static void RunFromCodeMenu(TForm1* f, const char* name) {
    QTest::keyClick(f, Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(f->Mconvert->isVisible());
    QTest::keyClick(f->Mconvert, Qt::Key_J);
    auto* codes = f->Mconvert->findChild<QMenu*>("Mcodeconvert");
    QVERIFY(codes);
    QTRY_VERIFY(codes->isVisible());
    QAction* target = f->ActionNamed(name);
    QVERIFY(target);
    for (int i = 0; i < 40 && codes->activeAction() != target; ++i) QTest::keyClick(codes, Qt::Key_Down);
    QCOMPARE(codes->activeAction(), target);
    QTest::keyClick(codes, Qt::Key_Return);
    QTRY_VERIFY(!codes->isVisible());
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    folder_ = tmp_.path().toStdString() + "/files/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }

  void lostCharactersAreCountedInTheStatusBar() {
    // "〜" has a JIS form and is carried; the emoji and "é" are not.
    Write("a.txt", "plain\n");
    Write("u8.txt", "〜 carried\n😀 lost\nabc é\n");
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    f->HandleCommandLine(folder_ + "a.txt");
    QTreeView* list = f->FileView1;
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY2(f->InfoLine().startsWith("u8.txt"), qPrintable(f->InfoLine()));
    QVERIFY2(f->InfoLine().endsWith("UTF-8"), qPrintable(f->InfoLine()));
    QVERIFY(f->StatusPanel(4).isEmpty());

    RunFromCodeMenu(f.get(), "Mutf82sjis");
    QCOMPARE(f->RichEdit1->Bytes(), std::string("\x81\x60 carried\r\n? lost\r\nabc ?\r\n"));
    QCOMPARE(f->StatusPanel(4), QString("2 文字をShift_JISに変換できず「?」にしました（最初は 2 行目）。"));
  }
};

QTEST_MAIN(ConversionLossUiTest)
#include "ConversionLossUiTest.moc"

// The code, encoding, line-end and width commands driven through the main
// window's menus, offscreen.
#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/ui/Unit1.h"
#include "codec/CodeConvert.h"
#include "codec/TransferEncoding.h"
#include "edit/ui/RichEdit.h"
#include "tests/ClickMenu.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

class CodecMenuTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;

  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
    return folder_ + name;
  }
  std::unique_ptr<TForm1> NewForm() {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    QTest::qWait(10);
    return f;
  }
  static QAction* Action(TForm1* f, const char* name) {
    QAction* a = f->ActionNamed(name);
    if (!a) qFatal("no action %s", name);
    return a;
  }
  static QString Hex(const std::string& s) { return QString::fromLatin1(QByteArray::fromStdString(s).toHex(' ')); }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    folder_ = tmp_.path().toStdString() + "/files/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }

  void codeCommandsReadTheFileAsLinesAndShowTheResultInBlue() {
    auto f = NewForm();
    const std::string euc = "\xa4\xa2\xa4\xf3\nabc";  // no final line end
    f->HandleCommandLine(Write("euc.txt", euc));
    QCOMPARE(f->InfoColor, navirt::clBlack);
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Meuc2sjis")));
    QCOMPARE(Hex(f->RichEdit1->Bytes()), Hex("\x82\xa0\x82\xf1\r\nabc\r\n"));
    QCOMPARE(f->InfoColor, navirt::clBlue);
    QVERIFY2(f->InfoLine().startsWith("euc.txt"), qPrintable(f->InfoLine()));
    QVERIFY2(f->InfoLine().endsWith("ｼﾌﾄJIS"), qPrintable(f->InfoLine()));
    QVERIFY(!f->RichEdit1->Modified());
    // The file itself is untouched.
    std::ifstream in(folder_ + "euc.txt", std::ios::binary);
    QCOMPARE(std::string(std::istreambuf_iterator<char>(in), {}), euc);

    // Transfer encodings run through the same steps.
    f->HandleCommandLine(Write("abc.txt", "abc"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mbase64enc")));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Bytes()), QString("YWJjDQo="));
    f->HandleCommandLine(Write("cat.uu", "#0V%T\r`\r"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Muudec")));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Bytes()), QString("Cat"));
  }

  void commandsWithoutAFileDoNothing() {
    auto f = NewForm();
    f->HandleCommandLine(Write("a.txt", "text\r\n"));
    fs::remove(folder_ + "a.txt");  // vanished since it was listed
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mcodeauto")));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mcr2crlf")));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Bytes()), QString("text\r\n"));
    QCOMPARE(f->InfoColor, navirt::clBlack);
  }

  void menuEnablesItemsByTheCodeOfThePaneText() {
    auto f = NewForm();
    auto* menu = f->findChild<QMenu*>("Mcodeconvert");
    QVERIFY(menu);
    auto enabled = [&](const char* name) { return Action(f.get(), name)->isEnabled(); };
    f->HandleCommandLine(Write("euc.txt", "\xa4\xa2\xa4\xf3\r\n"));
    emit menu->aboutToShow();
    QVERIFY(enabled("Mcodeauto") && enabled("Meuc2sjis") && enabled("Meuc2jis") && enabled("Mbase64enc"));
    QVERIFY(!enabled("Mjis2sjis") && !enabled("Msjis2jis") && !enabled("Mmimeenc"));
    QVERIFY(enabled("Mbase64dec") && enabled("Muuenc") && enabled("Mbinhexenc"));  // never disabled
    emit menu->aboutToHide();
    QVERIFY(enabled("Mjis2sjis") && enabled("Mmimeenc"));  // the button's pop-up shares the items

    f->HandleCommandLine(Write("sjis.txt", "\x82\xa0\r\n"));
    emit menu->aboutToShow();
    QVERIFY(enabled("Msjis2jis") && enabled("Msjis2euc") && enabled("Mmimeenc") && !enabled("Meuc2sjis"));
    emit menu->aboutToHide();

    f->HandleCommandLine(Write("bin.dat", std::string("\x00\x01\x02zz", 5)));
    emit menu->aboutToShow();
    QVERIFY(!enabled("Mcodeauto") && !enabled("Mbase64enc") && enabled("Mbinhexdec"));
    emit menu->aboutToHide();
  }

  void codeSubmenuNeedsASelectedFile() {
    auto f = NewForm();
    QAction* item = Action(f.get(), "McodeconvertItem");
    f->SelectedPath.clear();
    emit f->Mconvert->aboutToShow();
    QVERIFY(!item->isEnabled());
    f->HandleCommandLine(Write("a.txt", "text\r\n"));
    emit f->Mview->aboutToShow();
    QVERIFY(item->isEnabled());
  }

  void lineEndCommandsReadTheBytesAsStored() {
    auto f = NewForm();
    f->HandleCommandLine(Write("cr.txt", "a\rb\r"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mcr2crlf")));
    QCOMPARE(Hex(f->RichEdit1->Bytes()), Hex("a\r\nb\r\n"));
    QCOMPARE(f->InfoColor, navirt::clBlue);
    f->HandleCommandLine(Write("crlf.txt", "a\r\nb\r\n"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mcrlf2lf")));
    QCOMPARE(Hex(f->RichEdit1->Bytes()), Hex("a\nb\n"));
    f->HandleCommandLine(Write("lf.txt", "a\nb"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mcrlfauto")));
    QCOMPARE(Hex(f->RichEdit1->Bytes()), Hex("a\r\nb"));
  }

  void widthCommandsChangeThePaneAndMarkItRed() {
    auto f = NewForm();
    f->HandleCommandLine(Write("w.txt",
                               "\xb6\xde"
                               "A1\r\n\x81\x40x\r\n"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mhan2zen")));
    QCOMPARE(Hex(f->RichEdit1->Text()), Hex("\x83\x4b\x82\x60\x82\x50\r\n\x81\x40\x82\x98"));
    QCOMPARE(f->InfoColor, navirt::clRed);
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mzenspace2han")));
    QCOMPARE(Hex(f->RichEdit1->Text()), Hex("\x83\x4b\x82\x60\x82\x50\r\n  \x82\x98"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mzen2han")));
    QCOMPARE(Hex(f->RichEdit1->Text()), Hex("\xb6\xde"
                                            "A1\r\n  x"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mhankana2zen")));
    QCOMPARE(Hex(f->RichEdit1->Text()), Hex("\x83\x4a\x81\x4a"
                                            "A1\r\n  x"));
  }

  void toolbarButtonConvertsAutomaticallyAndCarriesThePopup() {
    auto f = NewForm();
    QToolButton* tool = ToolButtonOf(f.get(), btn::Code);
    QVERIFY(tool);
    QCOMPARE(tool->menu(), f->PopupMenu3);
    QCOMPARE(tool->popupMode(), QToolButton::MenuButtonPopup);
    QStringList captions;
    for (QAction* a : f->PopupMenu3->actions())
      if (!a->isSeparator()) captions << a->text();
    QCOMPARE(captions.size(), 15);
    QCOMPARE(captions.first(), QString("自動変換(&A)"));
    QVERIFY(captions.contains("BinHex->"));

    const std::string jis = "\x1b$B\x30\x21\x1b(J\r\n";
    f->HandleCommandLine(Write("jis.txt", jis));
    QVERIFY(ClickToolButton(f.get(), btn::Code));
    QCOMPARE(Hex(f->RichEdit1->Bytes()), Hex("\x88\x9f\r\n"));
    QCOMPARE(f->InfoColor, navirt::clBlue);
  }
};

QTEST_MAIN(CodecMenuTest)
#include "CodecMenuTest.moc"

// UTF-8 and UTF-16 files in the main window: previewed readably with their
// own code named, edited and saved back in that code, converted through the
// code menu, and found by grep with the code check box.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/ui/Unit1.h"
#include "codec/CodeConvert.h"
#include "codec/TransferEncoding.h"
#include "edit/ui/EditCommands.h"
#include "edit/ui/RichEdit.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "search/ui/GrepDialog.h"
#include "tests/ClickMenu.h"
#include "tests/PressButton.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

namespace {

// UTF-8 text as UTF-16LE or UTF-16BE bytes.
std::string Utf16(const QString& s, bool littleEndian) {
  std::string out;
  for (QChar c : s) {
    const char lo = static_cast<char>(c.unicode() & 0xFF), hi = static_cast<char>(c.unicode() >> 8);
    out += littleEndian ? lo : hi;
    out += littleEndian ? hi : lo;
  }
  return out;
}

QString Hex(const std::string& s) { return QString::fromLatin1(QByteArray::fromStdString(s).toHex(' ')); }

}  // namespace

class UnicodeUiTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;
  QStringList messages_;

  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
    return folder_ + name;
  }
  std::string Read(const std::string& name) {
    std::string s;
    navirt::ReadWholeFile(folder_ + name, s);
    return s;
  }
  std::unique_ptr<TForm1> NewForm() {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbYes);
    };
    QTest::qWait(10);
    return f;
  }
  static QAction* Action(TForm1* f, const char* name) {
    QAction* a = f->ActionNamed(name);
    if (!a) qFatal("no action %s", name);
    return a;
  }
  // What the user reads on the screen, lines joined by LF.
  static QString Screen(TForm1* f) {
    QString s = f->RichEdit1->toPlainText();
    s.replace(QChar(0x2028), QChar('\n'));
    return s;
  }
  static void TypeAtLine(TForm1* f, int line, const QString& text) {
    if (!f->RichEdit1->EditMode()) QVERIFY(ClickToolButton(f, btn::EditMode));
    f->RichEdit1->GoToLine(line);
    f->RichEdit1->setFocus();
    // Key events carrying the text, as a keyboard without an input method
    // sends them (keyClicks takes Latin-1 only).
    for (QChar c : text) QTest::sendKeyEvent(QTest::Click, f->RichEdit1, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    folder_ = tmp_.path().toStdString() + "/files/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    messages_.clear();
  }

  void utf8FileIsShownReadablyAndNamedUtf8() {
    auto f = NewForm();
    // "𠮷" is outside CP932 and outside the BMP, "é" outside CP932.
    const QString text = "日本語のテキスト😀\ncafé 𠮷野家\nascii\n";
    f->HandleCommandLine(Write("u8.txt", text.toStdString()));
    QCOMPARE(Screen(f.get()), QString("日本語のテキスト😀\ncafé 𠮷野家\nascii"));
    QVERIFY2(f->InfoLine().endsWith("UTF-8"), qPrintable(f->InfoLine()));
    QCOMPARE(f->InfoColor, navirt::clBlack);
    // Commands see Shift_JIS; the emoji is one two-byte placeholder code.
    const std::string line0 = f->RichEdit1->Line(0);
    QCOMPARE(line0.substr(0, 16), navirt::Utf8ToCp932("日本語のテキスト"));
    QCOMPARE(line0.size(), size_t(18));
    QCOMPARE(f->RichEdit1->Line(2), std::string("ascii"));

    // With a mark the label says so, and a Shift_JIS file next is labelled
    // by the old guess again.
    f->HandleCommandLine(Write("bom.txt", "\xEF\xBB\xBFかな\n"));
    QCOMPARE(Screen(f.get()), QString("かな"));
    QVERIFY2(f->InfoLine().endsWith("UTF-8(BOM)"), qPrintable(f->InfoLine()));
    f->HandleCommandLine(Write("sjis.txt", navirt::Utf8ToCp932("かな\r\n")));
    QCOMPARE(Screen(f.get()), QString("かな"));
    QVERIFY(f->RichEdit1->Unicode() == nullptr);
    QVERIFY2(f->InfoLine().endsWith("ｼﾌﾄJIS"), qPrintable(f->InfoLine()));
  }

  void utf16FilesWithAMarkAreShownReadably() {
    auto f = NewForm();
    const QString text = "かな漢字🍣\r\nline 2\r\n";
    f->HandleCommandLine(Write("le.txt", "\xFF\xFE" + Utf16(text, true)));
    QCOMPARE(Screen(f.get()), QString("かな漢字🍣\nline 2"));
    QVERIFY2(f->InfoLine().endsWith("UTF-16LE"), qPrintable(f->InfoLine()));
    QCOMPARE(f->InfoColor, navirt::clBlack);
    f->HandleCommandLine(Write("be.txt", "\xFE\xFF" + Utf16(text, false)));
    QCOMPARE(Screen(f.get()), QString("かな漢字🍣\nline 2"));
    QVERIFY2(f->InfoLine().endsWith("UTF-16BE"), qPrintable(f->InfoLine()));
    // A mark with nothing after it: an empty UTF-16 file, not binary.
    f->HandleCommandLine(Write("empty16.txt", "\xFF\xFE"));
    QCOMPARE(f->RichEdit1->LineCount(), 0);
    QVERIFY2(f->InfoLine().endsWith("UTF-16LE"), qPrintable(f->InfoLine()));
  }

  void editingOneLineSavesEveryOtherByteAsItWas() {
    auto f = NewForm();
    f->ActionNamed("Mbackup1")->setChecked(false);
    // UTF-16LE with a mark, an emoji, a lone surrogate and an odd last byte.
    const std::string lines0 = "\xFF\xFE" + Utf16("一行目😀\r\n", true);
    const std::string lone = std::string("\x00\xD8", 2) + Utf16("x\r\n", true);  // unpaired high surrogate
    const std::string edit = Utf16("edit\r\n", true);
    const std::string tail = Utf16("最後", true) + "\x41";
    const std::string file = lines0 + lone + edit + tail;
    Write("le.txt", file);
    f->HandleCommandLine(folder_ + "le.txt");
    QVERIFY2(f->InfoLine().endsWith("UTF-16LE"), qPrintable(f->InfoLine()));
    TypeAtLine(f.get(), 2, "あ");
    QCOMPARE(f->InfoColor, navirt::clRed);
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Msave")));
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join("|")));
    const std::string expect = lines0 + lone + Utf16("あ", true) + edit + tail;
    QCOMPARE(Hex(Read("le.txt")), Hex(expect));

    // "名前をつけて保存" keeps the code and the mark too.
    QVERIFY(SavePaneAs(f.get(), folder_ + "copy.txt"));
    QCOMPARE(Hex(Read("copy.txt")), Hex(expect));

    // UTF-8 without a mark: JIS X 0213 kanji and emoji, judged on the whole
    // text (a malformed byte anywhere would make it not UTF-8).
    std::string filler;
    while (filler.size() < 70000) filler += "つなぎの行 filler line\n";
    const std::string u8head = "𠀋😀\n", u8tail = filler + "last end\n";
    Write("u8.txt", u8head + "ed\n" + u8tail);
    f->HandleCommandLine(folder_ + "u8.txt");
    QVERIFY2(f->InfoLine().endsWith("UTF-8"), qPrintable(f->InfoLine()));
    const int bad = f->RichEdit1->LineCount() - 1;
    QCOMPARE(Screen(f.get()).split('\n').value(bad), QString("last end"));
    TypeAtLine(f.get(), 1, "Z");
    QVERIFY(SavePaneOver(f.get()));
    QCOMPARE(Read("u8.txt") == u8head + "Zed\n" + u8tail, true);
  }

  void typedCharactersOutsideCp932AreSavedAsThemselves() {
    auto f = NewForm();
    f->ActionNamed("Mbackup1")->setChecked(false);
    Write("t.txt", "名前\n");
    f->HandleCommandLine(folder_ + "t.txt");
    TypeAtLine(f.get(), 0, "");
    f->RichEdit1->insertPlainText("🎉é");  // a paste: the emoji is two units at once
    QCOMPARE(Screen(f.get()), QString("🎉é名前"));
    QVERIFY(SavePaneOver(f.get()));
    QCOMPARE(Read("t.txt"), std::string("🎉é名前\n"));
  }

  void conversionItemsRunThroughTheCodeMenu() {
    auto f = NewForm();
    auto* menu = f->findChild<QMenu*>("Mcodeconvert");
    QVERIFY(menu);
    QStringList captions;
    for (QAction* a : menu->actions()) captions << a->text();
    for (const char* c : {"UTF-8->Shift+JIS", "Shift+JIS->UTF-8", "UTF-16->Shift+JIS", "EUC->UTF-8"})
      QVERIFY2(captions.contains(c), c);

    const std::string u8 = "日本語\nabc\n";
    f->HandleCommandLine(Write("u8.txt", u8));
    emit menu->aboutToShow();
    QVERIFY(Action(f.get(), "Mutf82sjis")->isEnabled());
    QVERIFY(!Action(f.get(), "Mutf162sjis")->isEnabled());
    emit menu->aboutToHide();
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mutf82sjis")));
    QCOMPARE(Hex(f->RichEdit1->Bytes()), Hex(navirt::Utf8ToCp932("日本語\r\nabc\r\n")));
    QVERIFY(f->RichEdit1->Unicode() == nullptr);
    QCOMPARE(f->InfoColor, navirt::clBlue);
    QVERIFY2(f->InfoLine().endsWith("ｼﾌﾄJIS"), qPrintable(f->InfoLine()));
    QCOMPARE(Read("u8.txt"), u8);  // the file is untouched

    // Shift_JIS to UTF-8: readable on the screen, labelled UTF-8, and a
    // save writes UTF-8.
    f->HandleCommandLine(Write("sjis.txt", navirt::Utf8ToCp932("かな\r\n")));
    emit menu->aboutToShow();
    QVERIFY(Action(f.get(), "Msjis2utf8")->isEnabled());
    QVERIFY(!Action(f.get(), "Mutf82sjis")->isEnabled());
    emit menu->aboutToHide();
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Msjis2utf8")));
    QCOMPARE(Screen(f.get()), QString("かな"));
    QVERIFY2(f->InfoLine().endsWith("UTF-8"), qPrintable(f->InfoLine()));
    QCOMPARE(f->InfoColor, navirt::clBlue);
    QVERIFY(SavePaneAs(f.get(), folder_ + "out.txt"));
    QCOMPARE(Read("out.txt"), std::string("かな\r\n"));
  }

  void grepReadsEachFileInItsCodeWhenTheBoxIsChecked() {
    Write("sjis.txt", navirt::Utf8ToCp932("古い漢字\r\n"));
    Write("u8.txt", "新しい漢字\n");
    Write("u16.txt", "\xFF\xFE" + Utf16("UTF-16の漢字\r\n", true));
    auto f = NewForm();
    f->GoToFolder(folder_);
    QTest::qWait(10);
    bool boxWasChecked = false;
    auto answer = [&](bool autoCode) {
      f->dialogHook = [&boxWasChecked, autoCode](QDialog& d) {
        auto* g = qobject_cast<TForm9*>(&d);
        if (!g) return int(QDialog::Rejected);
        boxWasChecked = g->CBautocode->isChecked();
        g->CBRegExp->setEditText("漢字");
        g->CBautocode->setChecked(autoCode);
        PressButton(g->BOK);
        return d.result();
      };
    };
    auto hits = [&] {
      QString pane = QString::fromStdString(navirt::Cp932ToUtf8(f->RichEdit1->Text()));
      QStringList found;
      for (const QString& l : pane.split("\r\n"))
        if (l.contains(" :")) found << l.section(" :", 1);
      found.sort();
      return found;
    };

    answer(false);
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mgrep")));
    QCOMPARE(hits(), QStringList({"古い漢字"}));
    QVERIFY(!boxWasChecked);

    answer(true);
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mgrep")));
    QCOMPARE(hits(), QStringList({"UTF-16の漢字", "古い漢字", "新しい漢字"}));  // sorted by code
    // The grep's output is Shift_JIS text of its own, no file's mapping.
    QVERIFY(f->RichEdit1->Unicode() == nullptr);

    // The box is remembered.
    answer(true);
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mgrep")));
    QVERIFY(boxWasChecked);
    QVERIFY(messages_.isEmpty());
  }

  // The older code items read a UTF-8 or UTF-16 file as its characters in
  // Shift_JIS, as the pane shows it, never its bytes as Shift_JIS.
  void codeItemsReadUnicodeFilesDecoded() {
    auto f = NewForm();
    const std::string sjis = navirt::Utf8ToCp932("日本語\r\nabc\r\n");
    f->HandleCommandLine(Write("u8.txt", "日本語\nabc\n"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Msjis2jis")));
    QCOMPARE(Hex(f->RichEdit1->Bytes()), Hex(navirt::SjisToJis(sjis)));
    QCOMPARE(f->InfoColor, navirt::clBlue);
    f->HandleCommandLine(folder_ + "u8.txt");
    QVERIFY(ClickToolButton(f.get(), btn::Code));  // automatic conversion
    QCOMPARE(Hex(f->RichEdit1->Bytes()), Hex(sjis));
    QVERIFY2(f->InfoLine().endsWith("ｼﾌﾄJIS"), qPrintable(f->InfoLine()));
    // UTF-16 holds zero bytes: read as bytes, the file ended at the first.
    f->HandleCommandLine(Write("le.txt", "\xFF\xFE" + Utf16("日本語\r\nabc\r\n", true)));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mbase64enc")));
    QCOMPARE(f->RichEdit1->Bytes(), navirt::Base64Encode(sjis));
    f->HandleCommandLine(Write("be.txt", "\xFE\xFF" + Utf16("日本語\nabc\n", false)));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Msjis2euc")));
    QCOMPARE(Hex(f->RichEdit1->Bytes()), Hex(navirt::SjisToEuc(sjis)));
    QCOMPARE(Read("be.txt"), "\xFE\xFF" + Utf16("日本語\nabc\n", false));  // untouched
  }

  // A decoder whose result is UTF-8 shows it readably, labelled UTF-8.
  void decodedUtf8ResultsAreShownAsUtf8() {
    auto f = NewForm();
    f->HandleCommandLine(Write("b64.txt", navirt::Base64Encode("😀漢字\r\n") + "\r\n"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mbase64dec")));
    QCOMPARE(Screen(f.get()), QString("😀漢字"));
    QVERIFY(f->RichEdit1->Unicode() != nullptr);
    QVERIFY2(f->InfoLine().endsWith("UTF-8"), qPrintable(f->InfoLine()));
    QCOMPARE(f->InfoColor, navirt::clBlue);
    QVERIFY(SavePaneAs(f.get(), folder_ + "decoded.txt"));
    QCOMPARE(Read("decoded.txt"), std::string("😀漢字\r\n"));
  }

  // Line ends of a UTF-16 file are converted on its characters; the result
  // reads as itself and saves in the file's code.
  void lineEndItemsKeepUnicodeFilesInTheirCode() {
    auto f = NewForm();
    f->HandleCommandLine(Write("cr16.txt", "\xFF\xFE" + Utf16("か\rb😀\r", true)));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mcr2crlf")));
    QCOMPARE(Screen(f.get()), QString("か\nb😀"));
    QVERIFY2(f->InfoLine().endsWith("UTF-16LE"), qPrintable(f->InfoLine()));
    QCOMPARE(f->InfoColor, navirt::clBlue);
    QVERIFY(SavePaneAs(f.get(), folder_ + "crlf16.txt"));
    QCOMPARE(Hex(Read("crlf16.txt")), Hex("\xFF\xFE" + Utf16("か\r\nb😀\r\n", true)));
    f->HandleCommandLine(Write("crlf8.txt", "漢字\r\n😀\r\n"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mcrlfauto")));  // nothing to do: CR LF already
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mcrlf2lf")));
    QCOMPARE(Screen(f.get()), QString("漢字\n😀"));
    QVERIFY(SavePaneAs(f.get(), folder_ + "lf8.txt"));
    QCOMPARE(Read("lf8.txt"), std::string("漢字\n😀\n"));
  }

  // Width conversions and the dump below the lines work on the characters
  // and keep what CP932 lacks readable.
  void widthAndBelowLineDumpOnUtf8() {
    auto f = NewForm();
    f->ActionNamed("Mbackup1")->setChecked(false);
    f->HandleCommandLine(Write("w8.txt", "ＡＢ😀\n"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mzen2han")));
    QCOMPARE(Screen(f.get()), QString("AB😀"));
    QCOMPARE(f->InfoColor, navirt::clRed);
    QVERIFY(SavePaneOver(f.get()));
    // Lines a command wrote back are joined by CR LF; the file's final
    // line end stays.
    QCOMPARE(Hex(Read("w8.txt")), Hex("AB😀\r\n"));
    f->HandleCommandLine(Write("d8.txt", "a😀\n"));
    QVERIFY(ClickMenuItem(f.get(), Action(f.get(), "Mdump1b1")));
    const QStringList lines = Screen(f.get()).split('\n');
    QVERIFY2(lines.size() == 5, qPrintable(lines.join('|')));
    QCOMPARE(lines[2], QString("a😀"));
    QCOMPARE(lines[3].left(1), QString("6"));  // 'a' is 0x61
    QCOMPARE(lines[4].left(1), QString("1"));
    QCOMPARE(f->InfoColor, navirt::clBlue);
  }

  void programOutputDropsTheFilesMapping() {
    auto f = NewForm();
    f->HandleCommandLine(Write("u8.txt", "😀\n"));
    QVERIFY(f->RichEdit1->Unicode() != nullptr);
    // A change of the file's own text keeps it, output replaces it.
    f->SetPaneText(f->RichEdit1->Text() + "\r\nmore", navirt::clRed);
    QVERIFY(f->RichEdit1->Unicode() != nullptr);
    QCOMPARE(Screen(f.get()), QString("😀\nmore"));
    f->SetPaneLines({"out"}, navirt::clBlack);
    QVERIFY(f->RichEdit1->Unicode() == nullptr);
    f->HandleCommandLine(folder_ + "u8.txt");
    f->SetPaneText("output", navirt::clBlack);
    QVERIFY(f->RichEdit1->Unicode() == nullptr);
  }
};

QTEST_MAIN(UnicodeUiTest)
#include "UnicodeUiTest.moc"

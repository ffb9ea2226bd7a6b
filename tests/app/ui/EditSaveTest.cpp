// The edit pane driven as a user would: edit one place, save, and only the
// touched bytes change.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeView>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "app/ui/Unit1.h"
#include "edit/Rtf.h"
#include "edit/ui/EditCommands.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/InputDialog.h"
#include "platform/FileInfo.h"
#include "tests/ClickMenu.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

class EditSaveTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;
  QStringList messages_;

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
      return int(mbYes);
    };
    f->HandleCommandLine(folder_ + name);
    return f;
  }
  // Types text at the start of a line (0-based), in edit mode.
  static void TypeAtLine(TForm1* f, int line, const QString& text) {
    if (!f->RichEdit1->EditMode()) QVERIFY(ClickToolButton(f, btn::EditMode));
    f->RichEdit1->GoToLine(line);
    f->RichEdit1->setFocus();
    QTest::keyClicks(f->RichEdit1, text);
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    folder_ = tmp_.path().toStdString() + "/work/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    messages_.clear();
  }

  void oneEditChangesOnlyItsBytes() {
    // Mixed line ends, invalid CP932, NEC and IBM duplicate codes (which
    // the system's converters would rewrite), no final line end.
    std::string text = std::string("head\r\n") + "\x87\x90\xed\x40\xfa\x54 dup\n" + "bad \x81\x20\xff\x80\xa0\r" +
                       "edit me\r\n" + "tail \x82";
    Write("memo.txt", text);
    Write("memo.$$$", "ancient");
    auto f = Open("memo.txt");
    QCOMPARE(f->RichEdit1->LineCount(), 5);
    TypeAtLine(f.get(), 3, "X");
    QCOMPARE(f->InfoColor, navirt::clRed);
    QVERIFY(f->RichEdit1->Modified());
    QVERIFY(f->ActionNamed("Msave")->shortcut() == QKeySequence("Ctrl+S"));
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Msave")));
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join("|")));
    std::string expect = text;
    expect.insert(expect.find("edit me"), "X");
    QCOMPARE(Read("memo.txt"), expect);
    QCOMPARE(Read("memo.$$$"), text);  // the old backup was replaced
    // Saved, then previewed again: a pane still in edit mode shows red.
    QVERIFY(f->RichEdit1->EditMode());
    QCOMPARE(f->InfoColor, navirt::clRed);
    QVERIFY(!f->RichEdit1->Modified());
    QCOMPARE(f->RichEdit1->Bytes(), expect);
  }

  void newLinesTakeTheTextsLineEnd() {
    std::string text = "one\ntwo\nthree\n";
    Write("lf.txt", text);
    auto f = Open("lf.txt");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mbackup1")));
    QVERIFY(!f->ActionNamed("Mbackup1")->isChecked());
    TypeAtLine(f.get(), 1, "2");
    QTest::keyClick(f->RichEdit1, Qt::Key_Return);
    QVERIFY(SavePaneOver(f.get()));
    QCOMPARE(Read("lf.txt"), std::string("one\n2\ntwo\nthree\n"));
    QVERIFY(!fs::exists(folder_ + "lf.$$$"));
    // Without backup the pane keeps its text, only the information line
    // is rebuilt.
    QVERIFY(f->InfoLine().startsWith("lf.txt"));
  }

  void failedWriteLosesNothing() {
    Write("keep.txt", "previous content");
    Write("keep.$$$", "old backup");
    auto f = Open("keep.txt");
    TypeAtLine(f.get(), 0, "a longer text than the limit allows ");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 8;
    ::setrlimit(RLIMIT_FSIZE, &small);
    bool ok = SavePaneOver(f.get());
    ::setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(!ok);
    QCOMPARE(messages_.size(), 1);
    QVERIFY2(messages_[0].contains("File too large"), qPrintable(messages_[0]));
    QCOMPARE(Read("keep.txt"), std::string("previous content"));
    QCOMPARE(Read("keep.$$$"), std::string("old backup"));
    QVERIFY(f->RichEdit1->Modified());  // the edit is still in the pane
  }

  void saveAsRtfWritesRichTextAndReadsBack() {
    Write("plain.txt", "\x82\xa0\x82\xa2 rich\r\nsecond");
    auto f = Open("plain.txt");
    QVERIFY(!f->ActionNamed("Mrtf")->isChecked());
    QVERIFY(SavePaneAs(f.get(), folder_ + "out.RTF"));
    std::string rtf = Read("out.RTF");
    QVERIFY(navirt::LooksLikeRtf(rtf));
    QCOMPARE(navirt::ReadRtf(rtf).PlainText(), std::string("\x82\xa0\x82\xa2 rich\r\nsecond"));
    QVERIFY(!f->RichEdit1->RichMode());
    // With RTF on, the file is rendered: bold survives the trip.
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mrtf")));
    QVERIFY(f->ActionNamed("Mrtf")->isChecked());
    QCOMPARE(f->SBarRPanel(3), QString("RTF"));
    Write("styled.rtf", "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs30 plain \\b bold\\b0\\par next}");
    f->RefreshViews();
    QVERIFY(f->SelectFileByName("styled.rtf"));
    QCOMPARE(f->RichEdit1->LineCount(), 2);
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(0)), QString("plain bold"));
    navirt::RtfDocument d = f->RichEdit1->Rich();
    QVERIFY(d.paragraphs[0].size() >= 2);
    QVERIFY(d.paragraphs[0][1].bold);
    QCOMPARE(d.paragraphs[0][0].halfPoints, 30);
    QVERIFY(SavePaneAs(f.get(), folder_ + "again.rtf"));
    navirt::RtfDocument back = navirt::ReadRtf(Read("again.rtf"));
    QCOMPARE(back.PlainText(), std::string("plain bold\r\nnext"));
    QVERIFY(back.paragraphs[0][1].bold);
    QVERIFY(!back.paragraphs[0][0].bold);
  }

  void saveAsElsewhereShowsThatFolderWhenAsked() {
    Write("src.txt", "text\r\n");
    fs::create_directories(folder_ + "other");
    auto f = Open("src.txt");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mtodiropen1")));
    QVERIFY(f->ActionNamed("Mtodiropen1")->isChecked());
    QVERIFY(SavePaneAs(f.get(), folder_ + "other/copy.txt"));
    QCOMPARE(Read("other/copy.txt"), std::string("text\r\n"));
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_ + "other/"));
    QCOMPARE(QString::fromStdString(f->SelectedPath), QString::fromStdString(folder_ + "other/copy.txt"));
    // The dialog is titled as its Part says; cancel writes nothing.
    QString title;
    f->dialogHook = [&](QDialog& d) {
      title = d.windowTitle();
      return int(QDialog::Rejected);
    };
    QVERIFY(!SavePaneAs(f.get()));
    QCOMPARE(title, QString("テキストに名前を付けて保存"));
  }

  void jumpCaretButtonsAndClipboard() {
    std::string text;
    for (int i = 1; i <= 10; ++i) text += "line " + std::to_string(i) + "\r\n";
    Write("ten.txt", text);
    auto f = Open("ten.txt");
    auto answer = [&](const QString& a) {
      f->dialogHook = [a](QDialog& d) {
        auto* dlg = qobject_cast<TForm33*>(&d);
        if (!dlg) return int(QDialog::Rejected);
        dlg->SetAnswerText(a);
        return int(QDialog::Accepted);
      };
    };
    answer("abc");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mjump")));
    QCOMPARE(f->RichEdit1->CaretLine(), 1);
    answer("99999");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mjump")));
    QCOMPARE(f->RichEdit1->CaretLine(), 10);
    QCOMPARE(f->SBarRPanel(0), QString("10行 1列"));
    answer("4");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mjump")));
    QCOMPARE(f->RichEdit1->CaretLine(), 4);
    QVERIFY(ClickToolButton(f.get(), btn::End));
    QCOMPARE(f->RichEdit1->CaretLine(), 10);
    QCOMPARE(f->RichEdit1->CaretColumn(), 8);  // after the last byte
    QVERIFY(ClickToolButton(f.get(), btn::Top));
    QCOMPARE(f->RichEdit1->CaretLine(), 1);
    QCOMPARE(f->RichEdit1->CaretColumn(), 1);

    // Cut with nothing selected changes nothing, not even the marker.
    navirt::TColor before = f->InfoColor;
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mcut")));
    QCOMPARE(f->InfoColor, before);
    QCOMPARE(f->RichEdit1->Text(), text.substr(0, text.size() - 2));
    // Delete works in edit mode only.
    f->RichEdit1->selectAll();
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mtextdelete")));
    QCOMPARE(f->RichEdit1->LineCount(), 10);
    // Copy then paste at the end: marker red.
    QTextCursor c = f->RichEdit1->textCursor();
    c.setPosition(0);
    c.setPosition(4, QTextCursor::KeepAnchor);
    f->RichEdit1->setTextCursor(c);
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mcopy")));
    QVERIFY(!f->RichEdit1->textCursor().hasSelection());
    QCOMPARE(QApplication::clipboard()->text(), QString("line"));
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mpaste")));
    QCOMPARE(f->InfoColor, navirt::clRed);
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(0)), QString("lineline 1"));
    // The edit menu's mode caption follows the mode.
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mkanihensyu")));
    QVERIFY(f->RichEdit1->EditMode());
    QCOMPARE(f->SBarRPanel(2), QString("編集"));
    QMenuBar* bar = f->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(f->Medit->menuAction()).center());
    QTRY_VERIFY(f->Medit->isVisible());
    QCOMPARE(f->ActionNamed("Mkanihensyu")->text(), QString("簡易編集を解除(&R)"));
    QTest::keyClick(f->Medit, Qt::Key_Escape);
    QTRY_VERIFY(!f->Medit->isVisible());
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mkanihensyu")));
    QCOMPARE(f->SBarRPanel(2), QString("閲覧"));
    QCOMPARE(f->InfoColor, navirt::clBlack);
  }
};

QTEST_MAIN(EditSaveTest)
#include "EditSaveTest.moc"

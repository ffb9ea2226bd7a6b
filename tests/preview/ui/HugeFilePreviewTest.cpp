// Large files in the preview, chosen with the arrow keys in the shown list:
// the information line is there as the key returns, the pane fills
// between events, moving on abandons the fill, and the filled pane holds
// the file's text exactly as a file loaded at once would.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QElapsedTimer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTreeView>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/ui/Unit1.h"
#include "edit/Rtf.h"
#include "edit/ui/RichEdit.h"
#include "fileops/ui/FileOpsCommandIds.h"
#include "fileops/ui/FileOpsDialogs.h"
#include "preview/ui/PreviewLoader.h"
#include "tests/ClickMenu.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

class HugeFilePreviewTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;
  std::string bigText_;   // b_big.txt: Shift_JIS lines, CR LF
  std::string bin_;       // d_big.bin
  std::string longLine_;  // e_long.txt's first line
  std::string rtf_;       // f_rich.rtf: over 1 MiB of styled paragraphs

  static std::string BigLine(int i) {
    // "日本語の行" and the line's number.
    return "\x93\xfa\x96\x7b\x8c\xea\x82\xcc\x8d\x73 line " + std::to_string(i);
  }

  std::unique_ptr<TForm1> Open(const char* selected) {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    QApplication::setActiveWindow(f.get());
    (void)QTest::qWaitForWindowExposed(f.get());
    f->HandleCommandLine(folder_ + selected);
    f->FileView1->setFocus();
    return f;
  }

  // Runs events until the pane has filled (or a few seconds have passed).
  static bool WaitFilled(TForm1* f) {
    QElapsedTimer t;
    t.start();
    while (f->RichEdit1->Filling() && t.elapsed() < 20000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    return !f->RichEdit1->Filling();
  }

  static QString ScreenOf(TForm1* f) {
    QString s;
    for (QTextBlock b = f->RichEdit1->document()->begin(); b.isValid(); b = b.next()) {
      if (b != f->RichEdit1->document()->begin() && !TRichEdit::ContinuesLine(b)) s += QChar(0x2028);
      s += b.text();
    }
    return s;
  }

 private slots:
  void initTestCase() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    folder_ = tmp_.path().toStdString() + "/big/";
    fs::create_directories(folder_);
    std::ofstream(folder_ + "a_small.txt") << "small\r\n";
    for (int i = 0; bigText_.size() < (24u << 20); ++i) bigText_ += BigLine(i) + "\r\n";
    std::ofstream(folder_ + "b_big.txt", std::ios::binary) << bigText_;
    std::ofstream(folder_ + "c_next.txt", std::ios::binary) << "next file\r\nsecond line\r\n";
    bin_.resize(3u << 20);
    for (size_t i = 0; i < bin_.size(); ++i) bin_[i] = static_cast<char>((i * 37 + i / 251) & 0xFF);
    std::ofstream(folder_ + "d_big.bin", std::ios::binary) << bin_;
    // One line of 1.5 MiB double-byte characters one byte off the pieces'
    // bounds, then a short line.
    longLine_ = "x";
    while (longLine_.size() < (3u << 19)) longLine_ += "\x82\xa0";
    std::ofstream(folder_ + "e_long.txt", std::ios::binary) << longLine_ + "\r\nend";
    // Paragraphs in bold, italic, a colour and another size by turns.
    navirt::RtfDocument doc;
    for (int i = 0; i < 40000; ++i) {
      navirt::RtfRun plain{BigLine(i) + " ", "", 0};
      navirt::RtfRun styled{"styled", "", i % 3 == 0 ? 28 : 0};
      styled.bold = i % 2 == 0;
      styled.italic = i % 5 == 0;
      styled.hasColor = i % 7 == 0;
      styled.color = 0xC00000;
      doc.paragraphs.push_back({plain, styled});
    }
    rtf_ = navirt::WriteRtf(doc, "MS Gothic", 20);
    std::ofstream(folder_ + "f_rich.rtf", std::ios::binary) << rtf_;
  }

  // The key returns at once with the information line; the text follows
  // between events and is the file's, to the byte.
  void theInformationLineComesFirstAndTheTextFollows() {
    auto f = Open("a_small.txt");
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QVERIFY2(f->InfoLine().startsWith("b_big.txt"), qPrintable(f->InfoLine()));
    QVERIFY(f->RichEdit1->Filling());
    QVERIFY(WaitFilled(f.get()));
    QVERIFY2(f->InfoLine().endsWith("ｼﾌﾄJIS"), qPrintable(f->InfoLine()));
    const int lines = static_cast<int>(std::count(bigText_.begin(), bigText_.end(), '\n'));
    QCOMPARE(f->RichEdit1->LineCount(), lines);
    QCOMPARE(f->RichEdit1->Line(lines - 1), BigLine(lines - 1));
    QCOMPARE(f->RichEdit1->Bytes(), bigText_);
    QVERIFY(!f->RichEdit1->Modified());
    // The pane shows the top of the file, as after a load at once.
    QCOMPARE(f->RichEdit1->CaretLine(), 1);
    QCOMPARE(f->RichEdit1->verticalScrollBar()->value(), 0);
    QVERIFY(f->RichEdit1->HeldBytes() > bigText_.size());
    // A small file after it: the big one's memory goes with it.
    QTest::keyClick(f->FileView1, Qt::Key_Up);
    QCOMPARE(f->RichEdit1->Text(), std::string("small"));
    QVERIFY2(f->RichEdit1->HeldBytes() < 4096, qPrintable(QString::number(f->RichEdit1->HeldBytes())));
  }

  // A second Down while the big file fills: the next file shows, and no
  // piece of the one before joins it.
  void movingOnAbandonsTheFill() {
    auto f = Open("a_small.txt");
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QElapsedTimer t;
    t.start();
    while (f->RichEdit1->LineCount() == 0 && t.elapsed() < 20000) QApplication::processEvents();
    QVERIFY(f->RichEdit1->Filling());
    QVERIFY(f->RichEdit1->LineCount() > 0);
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QVERIFY2(f->InfoLine().startsWith("c_next.txt"), qPrintable(f->InfoLine()));
    QTest::qWait(300);
    QCOMPARE(f->RichEdit1->Text(), std::string("next file\r\nsecond line"));
    QCOMPARE(f->RichEdit1->LineCount(), 2);
    QVERIFY2(f->InfoLine().endsWith("ASCII"), qPrintable(f->InfoLine()));
    // Down again onto another large file while nothing fills: its own text.
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QVERIFY(f->InfoLine().startsWith("d_big.bin"));
    QVERIFY(WaitFilled(f.get()));
    QCOMPARE(f->RichEdit1->Bytes(), bin_);
    QVERIFY2(f->InfoLine().endsWith("ﾊﾞｲﾅﾘ"), qPrintable(f->InfoLine()));
  }

  // Up from the binary file back onto the big text while the binary fills.
  void aLargeFileAfterALargeFile() {
    auto f = Open("c_next.txt");
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QVERIFY(f->InfoLine().startsWith("d_big.bin"));
    QTest::keyClick(f->FileView1, Qt::Key_Up);
    QTest::keyClick(f->FileView1, Qt::Key_Up);
    QVERIFY(f->InfoLine().startsWith("b_big.txt"));
    QVERIFY(WaitFilled(f.get()));
    QCOMPARE(f->RichEdit1->Bytes(), bigText_);
    QVERIFY2(f->InfoLine().endsWith("ｼﾌﾄJIS"), qPrintable(f->InfoLine()));
  }

  // A line longer than a piece is cut between characters, never inside
  // one: the screen shows what a whole-file load shows.
  void aLongLineIsCutBetweenCharacters() {
    auto f = Open("d_big.bin");
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QVERIFY(f->InfoLine().startsWith("e_long.txt"));
    QVERIFY(WaitFilled(f.get()));
    QCOMPARE(f->RichEdit1->LineCount(), 2);
    QCOMPARE(f->RichEdit1->Line(0), longLine_);
    QCOMPARE(f->RichEdit1->Line(1), std::string("end"));
    QCOMPARE(ScreenOf(f.get()), TRichEdit::ToScreen(longLine_) + QChar(0x2028) + "end");
  }

  // After a split the source is selected again: its information line at
  // once, its text filling between events, not before the window is free.
  void theSplitSourceIsPreviewedWithoutAFreeze() {
    const std::string sub = folder_ + "split/";
    fs::create_directories(sub);
    std::ofstream(sub + "s.bin", std::ios::binary) << bin_;
    auto f = Open("split/s.bin");
    QVERIFY(WaitFilled(f.get()));
    f->messageHook = [](const QString&, const QString&, TMsgKind, int) { return int(mbOK); };
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm17*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      d.show();
      QWindow* w = d.windowHandle();
      dlg->CBsize->setFocus();
      QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
      for (const char* c = "2000000"; *c; ++c) QTest::keyClick(w, *c);
      QTest::keyClick(w, Qt::Key_Return);  // the piece list
      QTest::keyClick(w, Qt::Key_Return);  // OK: splits
      return d.result();
    };
    QVERIFY(ClickMenuItem(f.get(), f->FindAction(cmd::Mfilediv)));
    f->dialogHook = nullptr;
    QVERIFY(fs::exists(sub + "s.002"));
    QVERIFY2(f->InfoLine().startsWith("s.bin"), qPrintable(f->InfoLine()));
    QVERIFY(f->RichEdit1->Filling());
    QVERIFY(WaitFilled(f.get()));
    QCOMPARE(f->RichEdit1->Bytes(), bin_);
  }

  // In rich mode a large RTF file fills between events as a text file
  // does, and the pane ends as a file rendered at once.
  void aLargeRtfFileFillsInTheBackground() {
    QVERIFY(rtf_.size() > (1u << 20));
    std::ofstream(tmp_.path().toStdString() + "/navirt.ini") << "[Menu]\nMrtf=1\n";
    auto f = Open("e_long.txt");
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QVERIFY2(f->InfoLine().startsWith("f_rich.rtf"), qPrintable(f->InfoLine()));
    QVERIFY(f->RichEdit1->Filling());
    QVERIFY(WaitFilled(f.get()));
    // The labels of the text shown: no type, its code.
    QVERIFY2(f->InfoLine().endsWith("      ｼﾌﾄJIS"), qPrintable(f->InfoLine()));
    TRichEdit atOnce;
    atOnce.SetRich(navirt::ReadRtf(rtf_));
    QCOMPARE(f->RichEdit1->LineCount(), 40000);
    QCOMPARE(f->RichEdit1->Text(), atOnce.Text());
    QVERIFY(f->RichEdit1->Rich().paragraphs == atOnce.Rich().paragraphs);
    QCOMPARE(f->RichEdit1->Line(39999), BigLine(39999) + " styled");
    QVERIFY(!f->RichEdit1->Modified());
    f.reset();
    fs::remove(tmp_.path().toStdString() + "/navirt.ini");
  }

  // A paste while the file fills (the toolbar's button, the caret at the
  // top) goes into the whole text: it counts as an edit, its lines are
  // counted, and the file's lines follow it whole.
  void aPasteWhileFillingGoesIntoTheWholeText() {
    auto f = Open("a_small.txt");
    QApplication::clipboard()->setText("pasted\nline ");
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QVERIFY(f->RichEdit1->Filling());
    QVERIFY(ClickToolButton(f.get(), btn::Paste));
    QVERIFY(WaitFilled(f.get()));
    const int lines = static_cast<int>(std::count(bigText_.begin(), bigText_.end(), '\n'));
    QCOMPARE(f->RichEdit1->LineCount(), lines + 1);
    QCOMPARE(f->RichEdit1->Bytes(), "pasted\r\nline " + bigText_);
    QVERIFY(f->RichEdit1->Modified());
    // Moving on asks before the pasted text goes.
    int asked = 0;
    f->messageHook = [&](const QString&, const QString&, TMsgKind, int) {
      ++asked;
      return int(mbCancel);
    };
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QCOMPARE(asked, 1);
    f->messageHook = nullptr;
    QCOMPARE(f->RichEdit1->Line(1), "line " + BigLine(0));
  }

  // A file that grew past the read limit after it was looked at is read
  // no further than the limit, and nothing of it is shown.
  void aFileGrownPastTheReadLimitIsNotShown() {
    TPreviewLoader loader;
    auto feed = std::make_shared<TPaneFeed>(4);
    QObject context;
    TPreviewLoader::Labels got{"unset", "unset"};
    TPreviewLoader::Options options;
    options.limit = 1u << 20;
    loader.Start(
        folder_ + "d_big.bin", feed, &context, [&](const TPreviewLoader::Labels& l) { got = l; }, options);
    TPanePiece piece;
    navirt::TPaneBytes bytes(std::string("old"));
    std::optional<navirt::TUnicodePane> unicode;
    QCOMPARE(feed->Pop(piece, bytes, unicode, true), TPaneFeed::Got::Done);
    QCOMPARE(bytes.LineCount(), size_t(0));
    QTest::qWait(50);
    QCOMPARE(got.code, std::string());
    // Within the limit the same file is read whole.
    auto whole = std::make_shared<TPaneFeed>(4);
    options.limit = bin_.size();
    loader.Start(
        folder_ + "d_big.bin", whole, &context, [](const TPreviewLoader::Labels&) {}, options);
    TPaneFeed::Got g;
    while ((g = whole->Pop(piece, bytes, unicode, true)) == TPaneFeed::Got::Piece) {
    }
    QCOMPARE(g, TPaneFeed::Got::Done);
    QCOMPARE(bytes.Text(), bin_);
  }

  // Asking for the text while it fills (a command on the pane) gets all
  // of it; the read limit still keeps a large file out of the pane.
  void theWholeTextForACommandAndTheReadLimit() {
    auto f = Open("a_small.txt");
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QVERIFY(f->RichEdit1->Filling());
    QCOMPARE(f->RichEdit1->Text().size(), bigText_.size() - 2);
    QVERIFY(!f->RichEdit1->Filling());
    f.reset();
    std::ofstream(tmp_.path().toStdString() + "/navirt.ini") << "[ReadMax]\nByte=1000000\n";
    f = Open("a_small.txt");
    QTest::keyClick(f->FileView1, Qt::Key_Down);
    QVERIFY(f->InfoLine().startsWith("b_big.txt"));
    QVERIFY(!f->RichEdit1->Filling());
    QTest::qWait(100);
    QCOMPARE(f->RichEdit1->LineCount(), 0);
    fs::remove(tmp_.path().toStdString() + "/navirt.ini");
  }
};

QTEST_MAIN(HugeFilePreviewTest)
#include "HugeFilePreviewTest.moc"

// The pane groups lines into document blocks for speed; every line API
// must still count lines.
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <string>
#include <vector>

#include "edit/ui/RichEdit.h"
#include "search/ui/SearchCommands.h"

class PaneGroupingTest : public QObject {
  Q_OBJECT

  static std::string Numbered(int n, const char* eol) {
    std::string s;
    for (int i = 0; i < n; ++i) s += "line" + std::to_string(i) + eol;
    return s;
  }

 private slots:
  void linesAcrossBlockBoundaries() {
    TRichEdit pane;
    pane.SetText(Numbered(100, "\r\n"));
    QVERIFY(pane.document()->blockCount() < 100);  // grouped
    QCOMPARE(pane.LineCount(), 100);
    QCOMPARE(QString::fromStdString(pane.Line(0)), QString("line0"));
    QCOMPARE(QString::fromStdString(pane.Line(31)), QString("line31"));
    QCOMPARE(QString::fromStdString(pane.Line(32)), QString("line32"));
    QCOMPARE(QString::fromStdString(pane.Line(99)), QString("line99"));
    QCOMPARE(pane.Line(100), std::string());
    auto lines = pane.Lines();
    QCOMPARE(lines.size(), size_t(100));
    QCOMPARE(QString::fromStdString(lines[64]), QString("line64"));
    // Text() of an untouched pane and of an edited one agree on the form.
    std::string expect = Numbered(100, "\r\n");
    expect.resize(expect.size() - 2);
    QCOMPARE(pane.Text(), expect);
    pane.setReadOnly(false);
    QTextCursor c(pane.document());
    c.movePosition(QTextCursor::End);
    c.insertText("!");
    QCOMPARE(pane.Text(), expect + "!");
    QCOMPARE(pane.LineCount(), 100);
  }

  void mixedLineEndsAndCaretPosition() {
    TRichEdit pane;
    pane.SetText("a\rbb\nccc\r\n\x82\xa0x");
    QCOMPARE(pane.LineCount(), 4);
    QCOMPARE(pane.Text(), std::string("a\r\nbb\r\nccc\r\n\x82\xa0x"));
    QTextCursor c = pane.textCursor();
    c.movePosition(QTextCursor::End);
    pane.setTextCursor(c);
    QCOMPARE(pane.CaretLine(), 4);
    QCOMPARE(pane.CaretColumn(), 4);  // after a two-byte character and "x"
    c.movePosition(QTextCursor::Start);
    c.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor, 2);
    pane.setTextCursor(c);
    QCOMPARE(pane.SelText(), std::string("a\r\nbb\r\n"));
  }

  // A line too long to lay out at once is shown in several blocks; the
  // pane's lines, bytes, caret and selection still see one line.
  void longLineInPieces() {
    std::string kana;
    for (int i = 0; i < 1500; ++i) kana += "\x82\xa0";  // あ: one character, two bytes
    std::string digits;
    for (int i = 0; i < 2500; ++i) digits += char('0' + i % 10);
    const std::string text = kana + "x\r\nshort\n" + digits;
    TRichEdit pane;
    pane.SetText(text);
    QVERIFY(pane.document()->blockCount() >= 5);
    QCOMPARE(pane.LineCount(), 3);
    QCOMPARE(pane.Line(0), kana + "x");
    QCOMPARE(pane.Line(1), std::string("short"));
    QCOMPARE(pane.Line(2), digits);
    QCOMPARE(pane.Lines(), (std::vector<std::string>{kana + "x", "short", digits}));
    QCOMPARE(pane.Text(), kana + "x\r\nshort\r\n" + digits);
    QCOMPARE(pane.Bytes(), text);

    // Byte offsets, lines and columns past a piece boundary.
    pane.SetCaretOffset(2100);  // after 1050 kana: in the second piece
    QCOMPARE(pane.CaretLine(), 1);
    QCOMPARE(pane.CaretColumn(), 2101);
    QCOMPARE(pane.SelStart(), 2100);
    const size_t line2 = 3001 + 2 + 5 + 2;  // where the digits start
    pane.SetCaretOffset(static_cast<int>(line2) + 2000);
    QCOMPARE(pane.CaretLine(), 3);
    QCOMPARE(pane.CaretColumn(), 2001);
    pane.GoToLine(2);
    QCOMPARE(pane.CaretLine(), 3);
    QCOMPARE(pane.CaretColumn(), 1);
    pane.GoToLine(1);
    QCOMPARE(pane.CaretLine(), 2);

    // A selection across a piece boundary is one run of the line.
    pane.SetCaretOffset(2040);
    QTextCursor c = pane.textCursor();
    const int from = c.position();
    c.setPosition(pane.Advance(from, 10), QTextCursor::KeepAnchor);
    pane.setTextCursor(c);
    QCOMPARE(pane.SelText(), kana.substr(0, 20));
    QCOMPARE(pane.SelStart(), 2040);
    QCOMPARE(pane.SelLength(), 20);
    // A selection from inside the long line into the next line.
    c.setPosition(pane.Advance(from, 484), QTextCursor::KeepAnchor);
    pane.setTextCursor(c);
    QCOMPARE(pane.SelText(), kana.substr(2040) + "x\r\nsh");

    // The finder selects a match deep in the long line exactly.
    TBlockLineIndex index;
    SelectPaneBytes(&pane, pane.Text(), navirt::TextSelection{line2 + 1500, 3}, &index);
    QCOMPARE(pane.SelText(), digits.substr(1500, 3));
    QCOMPARE(pane.SelStart(), static_cast<int>(line2) + 1500);
  }

  // Typing into a long line's pieces: Backspace and Delete at a piece's
  // edge delete the character beside it, typing over a selection across
  // pieces stays in the line, Enter splits the line there, a backspace at
  // the start of the next line joins the lines.
  void editingAPiecedLine() {
    std::string digits;
    for (int i = 0; i < 2500; ++i) digits += char('0' + i % 10);
    TRichEdit pane;
    pane.SetText(digits + "\r\nnext\r\n");
    pane.SetEditMode(true);
    QTextBlock second = pane.document()->begin().next();
    QVERIFY(TRichEdit::ContinuesLine(second));

    std::string d = digits;
    pane.setTextCursor(QTextCursor(second));
    QTest::keyClick(&pane, Qt::Key_Backspace);
    d.erase(1023, 1);
    QCOMPARE(pane.Text(), d + "\r\nnext");
    QTextCursor c(pane.document()->begin());
    c.movePosition(QTextCursor::EndOfBlock);
    pane.setTextCursor(c);
    QTest::keyClick(&pane, Qt::Key_Delete);
    d.erase(1023, 1);
    QCOMPARE(pane.Text(), d + "\r\nnext");
    QCOMPARE(pane.LineCount(), 2);

    // "Z" typed over 1010..1030, across the first piece boundary.
    pane.SetCaretOffset(1010);
    c = pane.textCursor();
    c.setPosition(pane.Advance(c.position(), 20), QTextCursor::KeepAnchor);
    pane.setTextCursor(c);
    QTest::keyClicks(&pane, "Z");
    d.replace(1010, 20, "Z");
    QCOMPARE(pane.Text(), d + "\r\nnext");
    QCOMPARE(pane.LineCount(), 2);

    pane.SetCaretOffset(1500);
    QTest::keyClicks(&pane, "AB");
    QTest::keyClick(&pane, Qt::Key_Return);
    const std::string split = d.substr(0, 1500) + "AB\r\n" + d.substr(1500) + "\r\nnext";
    QCOMPARE(pane.Text(), split);
    QCOMPARE(pane.LineCount(), 3);
    QCOMPARE(pane.Line(1), d.substr(1500));
    QCOMPARE(pane.Bytes(), split + "\r\n");  // the final line end stays

    pane.GoToLine(2);
    QTest::keyClick(&pane, Qt::Key_Backspace);
    QCOMPARE(pane.Text(), d.substr(0, 1500) + "AB\r\n" + d.substr(1500) + "next");
    QCOMPARE(pane.LineCount(), 2);
    QCOMPARE(pane.CaretLine(), 2);
  }

  // Undo and redo give back a long line whole: the breaks between its
  // pieces come back as breaks, not as line ends, and a line end typed
  // inside a piece goes away again.
  void undoAndRedoKeepALongLine() {
    std::string digits;
    for (int i = 0; i < 2500; ++i) digits += char('0' + i % 10);
    const std::string text = digits + "\r\nnext";
    TRichEdit pane;
    pane.SetText(text + "\r\n");
    pane.SetEditMode(true);
    pane.setFocus();

    // A selection across the first piece boundary, deleted.
    pane.SetCaretOffset(1010);
    QTextCursor c = pane.textCursor();
    c.setPosition(pane.Advance(c.position(), 20), QTextCursor::KeepAnchor);
    pane.setTextCursor(c);
    QTest::keyClick(&pane, Qt::Key_Delete);
    std::string d = digits;
    d.erase(1010, 20);
    QCOMPARE(pane.Text(), d + "\r\nnext");
    QTest::keySequence(&pane, QKeySequence::Undo);
    QCOMPARE(pane.Text(), text);
    QCOMPARE(pane.LineCount(), 2);
    QCOMPARE(pane.Bytes(), text + "\r\n");
    QTest::keySequence(&pane, QKeySequence::Redo);
    QCOMPARE(pane.Text(), d + "\r\nnext");
    pane.undo();  // the menu's path
    QCOMPARE(pane.Text(), text);

    // Across two boundaries, replaced by typing; then undone step by step.
    pane.SetCaretOffset(1000);
    c = pane.textCursor();
    c.setPosition(pane.Advance(c.position(), 1100), QTextCursor::KeepAnchor);
    pane.setTextCursor(c);
    QTest::keyClicks(&pane, "xy");
    QCOMPARE(pane.LineCount(), 2);
    while (pane.document()->isUndoAvailable()) pane.undo();
    QCOMPARE(pane.Text(), text);
    QCOMPARE(pane.LineCount(), 2);

    // A line end typed inside the second piece, undone and redone.
    pane.SetCaretOffset(1500);
    QTest::keyClick(&pane, Qt::Key_Return);
    const std::string split = digits.substr(0, 1500) + "\r\n" + digits.substr(1500) + "\r\nnext";
    QCOMPARE(pane.Text(), split);
    QTest::keySequence(&pane, QKeySequence::Undo);
    QCOMPARE(pane.Text(), text);
    QCOMPARE(pane.LineCount(), 2);
    QTest::keySequence(&pane, QKeySequence::Redo);
    QCOMPARE(pane.Text(), split);
    QCOMPARE(pane.LineCount(), 3);
    QCOMPARE(pane.Line(1), digits.substr(1500));

    // Text with line ends put inside a piece, then undone.
    pane.undo();
    pane.SetCaretOffset(2100);
    pane.SetSelText("a\r\nb\r\nc");
    QCOMPARE(pane.LineCount(), 4);
    QCOMPARE(pane.Line(0), digits.substr(0, 2100) + "a");
    QCOMPARE(pane.Line(1), std::string("b"));
    QCOMPARE(pane.Line(2), "c" + digits.substr(2100));
    pane.undo();
    QCOMPARE(pane.Text(), text);
  }

  // Lines written back by a command keep the text's final line end, and
  // read back the way a loaded text would be.
  void setLinesKeepsTheFinalLineEnd() {
    TRichEdit pane;
    pane.SetText("b\na\n");
    pane.SetLines({"a", "b"});
    QCOMPARE(pane.Bytes(), std::string("a\r\nb\r\n"));
    QVERIFY(pane.EndsWithLineEnd());
    pane.SetLines({"c"});
    QCOMPARE(pane.Bytes(), std::string("c\r\n"));
    pane.SetText("b\r\na");
    pane.SetLines({"a", "b"});
    QCOMPARE(pane.Bytes(), std::string("a\r\nb"));
    // An empty last line with no end after it reads back as a final end.
    pane.SetLines({"a", ""});
    QCOMPARE(pane.LineCount(), 1);
    QCOMPARE(pane.Bytes(), std::string("a\r\n"));
    pane.SetLines({});
    QCOMPARE(pane.Bytes(), std::string());
    QCOMPARE(pane.LineCount(), 0);
  }

  void setLinesKeepsTheModifiedFlag() {
    TRichEdit pane;
    pane.SetText("x");
    QVERIFY(!pane.Modified());
    // Program output: no undo step, the flag as it was.
    pane.SetLines({"1", "2", "3"}, false);
    QVERIFY(!pane.Modified());
    QVERIFY(!pane.document()->isUndoAvailable());
    QCOMPARE(pane.LineCount(), 3);
    pane.SetModified(true);
    pane.SetLines({"4"}, false);
    QVERIFY(pane.Modified());
    // A command's result: one undo step, which the flag follows.
    pane.SetModified(false);
    pane.SetLines({"5", "6"});
    QVERIFY(pane.Modified());
    pane.undo();
    QCOMPARE(pane.Text(), std::string("4"));
    QVERIFY(!pane.Modified());
    pane.Clear();
    QCOMPARE(pane.LineCount(), 0);
    QCOMPARE(pane.Text(), std::string());
  }
};

QTEST_MAIN(PaneGroupingTest)
#include "PaneGroupingTest.moc"

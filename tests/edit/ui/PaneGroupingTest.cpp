// The pane groups lines into document blocks for speed; every line API
// must still count lines.
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include "edit/ui/RichEdit.h"

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

  void setLinesKeepsTheModifiedFlag() {
    TRichEdit pane;
    pane.SetText("x");
    QVERIFY(!pane.Modified());
    pane.SetLines({"1", "2", "3"});
    QVERIFY(!pane.Modified());
    QCOMPARE(pane.LineCount(), 3);
    pane.SetModified(true);
    pane.SetLines({"4"});
    QVERIFY(pane.Modified());
    pane.Clear();
    QCOMPARE(pane.LineCount(), 0);
    QCOMPARE(pane.Text(), std::string());
  }
};

QTEST_MAIN(PaneGroupingTest)
#include "PaneGroupingTest.moc"

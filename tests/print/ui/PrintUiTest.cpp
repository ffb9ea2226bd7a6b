// Printing the pane to a PDF file and the margin dialog, on the main window offscreen.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "app/ui/Unit1.h"
#include "edit/Rtf.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/Job.h"
#include "print/PrintSettings.h"
#include "print/ui/PrintCommandIds.h"
#include "print/ui/PrintCommands.h"
#include "print/ui/PrintSettingsDialog.h"
#include "tests/ClickMenu.h"
#include "tests/JobInput.h"
#include "tests/PressButton.h"

class PrintUiTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  QStringList messages_;
  int printDialogs_ = 0;

  std::unique_ptr<TForm1> NewForm() {
    auto f = std::make_unique<TForm1>();
    f->resize(900, 600);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbOK);
    };
    QTest::qWait(10);
    return f;
  }
  // The printer dialog answered with a PDF file.
  void PrintTo(TForm1* f, const QString& pdf) {
    f->dialogHook = [this, pdf](QDialog& d) {
      auto* p = qobject_cast<QPrintDialog*>(&d);
      if (!p) return int(QDialog::Rejected);
      ++printDialogs_;
      p->printer()->setOutputFormat(QPrinter::PdfFormat);
      p->printer()->setOutputFileName(pdf);
      return int(QDialog::Accepted);
    };
  }
  static int PdfPages(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    QByteArray pdf = file.readAll();
    int pages = 0;
    for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1)) {
      char next = at + 11 < pdf.size() ? pdf[at + 11] : ' ';
      if (next != 's') ++pages;  // "/Type /Pages" is the page tree
    }
    return pages;
  }
  // The text of each page as a reader gets it: glyphs of the page streams
  // through the font's map back to characters, blanks left out, in
  // compatibility form (the map may name a radical for its kanji).
  static QStringList PdfPageTexts(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray pdf = file.readAll();
    QList<QByteArray> streams;
    for (qsizetype at = pdf.indexOf("stream\n"); at >= 0; at = pdf.indexOf("stream\n", at + 1)) {
      if (at >= 3 && pdf.mid(at - 3, 3) == "end") continue;
      qsizetype from = at + 7, to = pdf.indexOf("endstream", from);
      if (to < 0) break;
      QByteArray raw = pdf.mid(from, to - from);
      // qUncompress wants the size first; a guess does, it grows.
      QByteArray data = qUncompress(QByteArray("\x00\x10\x00\x00", 4) + raw);
      streams << (data.isEmpty() ? raw : data);
    }
    auto chars = [](const QString& hex) {
      QString s;
      for (qsizetype i = 0; i + 4 <= hex.size(); i += 4) s += QChar(char16_t(hex.mid(i, 4).toUInt(nullptr, 16)));
      return s;
    };
    QHash<uint, QString> map;
    static const QRegularExpression range("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*(\\[[^\\]]*\\]|<[0-9A-Fa-f]+>)");
    static const QRegularExpression hexes("<([0-9A-Fa-f]+)>");
    for (const QByteArray& s : streams) {
      QString cmap = QString::fromLatin1(s);
      for (qsizetype at = cmap.indexOf("beginbfrange"); at >= 0; at = cmap.indexOf("beginbfrange", at + 1)) {
        QString body = cmap.mid(at, cmap.indexOf("endbfrange", at) - at);
        for (auto m = range.globalMatch(body); m.hasNext();) {
          auto x = m.next();
          uint lo = x.captured(1).toUInt(nullptr, 16), hi = x.captured(2).toUInt(nullptr, 16);
          QStringList targets;
          for (auto t = hexes.globalMatch(x.captured(3)); t.hasNext();) targets << chars(t.next().captured(1));
          for (uint g = lo; g <= hi; ++g) {
            if (targets.size() > 1)
              map[g] = targets.value(qsizetype(g - lo));
            else if (!targets.isEmpty() && !targets[0].isEmpty())
              map[g] = targets[0].left(targets[0].size() - 1) + QChar(char16_t(targets[0].back().unicode() + (g - lo)));
          }
        }
      }
    }
    QStringList pages;
    static const QRegularExpression shown("<([0-9A-Fa-f]+)>\\s*Tj");
    for (const QByteArray& s : streams) {
      if (!s.contains(" Tj")) continue;
      QString text;
      for (auto m = shown.globalMatch(QString::fromLatin1(s)); m.hasNext();) {
        QString hex = m.next().captured(1);
        for (qsizetype i = 0; i + 4 <= hex.size(); i += 4) text += map.value(hex.mid(i, 4).toUInt(nullptr, 16), "?");
      }
      pages << Readable(text);
    }
    return pages;
  }
  static bool PageStreamsContain(const QString& path, const QByteArray& needle) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    for (qsizetype at = bytes.indexOf("stream\n"); at >= 0; at = bytes.indexOf("stream\n", at + 1)) {
      qsizetype to = bytes.indexOf("endstream", at);
      QByteArray data = qUncompress(QByteArray("\x00\x10\x00\x00", 4) + bytes.mid(at + 7, to - at - 7));
      if (data.contains(needle)) return true;
    }
    return false;
  }
  static QString Readable(QString text) {
    text.remove(QRegularExpression("\\s"));
    return text.normalized(QString::NormalizationForm_KC);
  }
  static std::string Lines(int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "line " + std::to_string(i + 1) + "\r\n";
    text.resize(text.size() - 2);
    return text;
  }
  // Lines of this text on a full page, as the printer lays it out.
  static int LinesPerPage(TForm1* f, const QString& pdf) {
    QPrinter& printer = PrinterOf(*f);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    auto plan = PlanPages(QString::fromStdString(Lines(1000)), f->RichEdit1->font(), printer,
                          navirt::StoredPageRect(f->OpenSettings(), MetricsOf(printer)));
    return plan.pages.size() > 1 ? int(plan.pages[0].count) : 0;
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    QFile::remove(tmp_.path() + "/navirt.ini");
    messages_.clear();
    printDialogs_ = 0;
  }

  void pagesFollowTheText() {
    auto f = NewForm();
    const QString pdf = tmp_.path() + "/out.pdf";
    int perPage = LinesPerPage(f.get(), pdf);
    QVERIFY(perPage > 5);
    PrintTo(f.get(), pdf);
    // Two full pages and one line more: three pages; exactly two full: two.
    f->RichEdit1->SetText(Lines(2 * perPage + 1));
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    QCOMPARE(printDialogs_, 1);
    QCOMPARE(PdfPages(pdf), 3);
    QFile::remove(pdf);
    f->RichEdit1->SetText(Lines(2 * perPage));
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    QCOMPARE(PdfPages(pdf), 2);
    QVERIFY(messages_.isEmpty());
  }

  // Printing lays the text out as it goes; its pages must be the ones the
  // plan counts, with wrapped lines, blank lines, tabs and a CR LF mix.
  void printedPagesAgreeWithThePlanAndProgressRuns() {
    auto f = NewForm();
    QString text;
    for (int i = 0; i < 700; ++i) {
      text += QString::number(i) + (i % 7 == 0 ? QString(300, QChar(0x3042)) : QString("\tx"));
      text += i % 11 == 0 ? "\n\n" : "\n";
    }
    QPrinter& printer = PrinterOf(*f);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(tmp_.path() + "/plan.pdf");
    navirt::PageRect rect = navirt::StoredPageRect(f->OpenSettings(), MetricsOf(printer));
    PrintPlan plan = PlanPages(text, f->RichEdit1->font(), printer, rect);
    QVERIFY(plan.pages.size() > 3);
    std::vector<qsizetype> done;
    int pages = PrintText(text, f->RichEdit1->font(), Qt::black, printer, rect, [&](qsizetype d, qsizetype total) {
      if (total != text.size()) done.push_back(-1);
      done.push_back(d);
      return false;
    });
    QCOMPARE(pages, int(plan.pages.size()));
    QCOMPARE(PdfPages(tmp_.path() + "/plan.pdf"), pages);
    QCOMPARE(done.size(), plan.pages.size());
    QVERIFY(std::is_sorted(done.begin(), done.end()));
    QVERIFY(done.front() > 0 && done.back() <= text.size());

    // Stopping before the third page leaves two printed.
    printer.setOutputFileName(tmp_.path() + "/stop.pdf");
    int asked = 0;
    pages = PrintText(text, f->RichEdit1->font(), Qt::black, printer, rect,
                      [&](qsizetype, qsizetype) { return ++asked == 3; });
    QCOMPARE(pages, 2);
  }

  // What the printer gets is the pane's text, in order, cut where the
  // plan cuts it: nothing lost at a page break or on the last page.
  void printedTextReadsBackPageByPage() {
    auto f = NewForm();
    const QString pdf = tmp_.path() + "/text.pdf";
    QString text;
    for (int i = 0; i < 400; ++i)
      text += QString::number(i) + QString::fromUtf8("行目：日本語の文章です。ﾌｧｲﾙ\tNavirt") +
              (i >= 150 && i % 50 == 0 ? QString(200, QChar(0x304B)) : QString()) + "\n";
    f->RichEdit1->setPlainText(text);
    PrintTo(f.get(), pdf);
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    QStringList pages = PdfPageTexts(pdf);
    QCOMPARE(pages.size(), PdfPages(pdf));
    QVERIFY(pages.size() >= 3);
    QCOMPARE(pages.join(QString()), Readable(f->RichEdit1->toPlainText()));
    // Page two begins with the first line the plan puts on it (no line
    // before it wraps).
    QPrinter& printer = PrinterOf(*f);
    PrintPlan plan = PlanPages(f->RichEdit1->toPlainText(), f->RichEdit1->font(), printer,
                               navirt::StoredPageRect(f->OpenSettings(), MetricsOf(printer)));
    QCOMPARE(qsizetype(plan.pages.size()), pages.size());
    QString firstOnTwo = QString::number(plan.pages[1].first) + QString::fromUtf8("行目");
    QVERIFY2(pages[1].startsWith(firstOnTwo), qPrintable(pages[1].left(20) + " / " + firstOnTwo));
  }

  // What a reader (pdftotext) takes from the PDF is the pane's text itself:
  // 日 and not the radical ⽇ that shares its glyph, in both ways of setting
  // a line (straight from the font's map, and the full layout for lines
  // that wrap or hold tabs).
  void printedPdfReadsBackAsThePaneWithPdftotext() {
    const QString tool = QStandardPaths::findExecutable("pdftotext");
    if (tool.isEmpty()) QSKIP("pdftotext is not installed (scripts/setup.sh installs it)");
    auto f = NewForm();
    const QString pdf = tmp_.path() + "/kanji.pdf";
    QString text = QString::fromUtf8(
        "日本語の文章です。一人の大きな子が見る。\n"
        "月と木と水と火と土、山に入る。\n"
        "ASCII line 2026 (abc)\n"
        "タブ\tの行：日本\n");
    text += QString(90, QChar(0x65E5)) + "\n";  // 日 x 90: wraps
    f->RichEdit1->setPlainText(text);
    PrintTo(f.get(), pdf);
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    QProcess p;
    p.start(tool, {"-enc", "UTF-8", pdf, "-"});
    QVERIFY(p.waitForFinished(30000));
    QString read = QString::fromUtf8(p.readAllStandardOutput());
    read.remove(QRegularExpression("\\s"));
    QString want = f->RichEdit1->toPlainText();
    want.remove(QRegularExpression("\\s"));
    QCOMPARE(read, want);
  }

  // A rich pane prints in its own sizes and colours: big red lines take
  // more pages than the same text plain, and the red reaches the page.
  void aRichPanePrintsInItsFontsAndColours() {
    auto f = NewForm();
    navirt::RtfDocument doc;
    for (int i = 0; i < 120; ++i) {
      navirt::RtfRun big;
      big.text = "Big " + std::to_string(i);
      big.halfPoints = 56;
      big.hasColor = true;
      big.color = 0xFF0000;
      navirt::RtfRun plain;
      plain.text = " plain";
      doc.paragraphs.push_back({big, plain});
    }
    const QString plainPdf = tmp_.path() + "/plain.pdf", richPdf = tmp_.path() + "/rich.pdf";
    f->RichEdit1->SetText(doc.PlainText());
    PrintTo(f.get(), plainPdf);
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    f->RichEdit1->SetRich(doc);
    PrintTo(f.get(), richPdf);
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    int plainPages = PdfPages(plainPdf), richPages = PdfPages(richPdf);
    QVERIFY2(plainPages >= 1 && richPages > plainPages, qPrintable(QString("%1 %2").arg(plainPages).arg(richPages)));
    QStringList pages = PdfPageTexts(richPdf);
    QCOMPARE(pages.join(QString()), Readable(f->RichEdit1->toPlainText()));
    QVERIFY(PageStreamsContain(richPdf, "1 0 0 scn"));  // red
  }

  // The pane's own text colour (the font dialog's) is the ink.
  void thePanesColourIsTheInk() {
    auto f = NewForm();
    const QString pdf = tmp_.path() + "/blue.pdf";
    QPalette pal = f->RichEdit1->palette();
    pal.setColor(QPalette::Text, Qt::blue);
    f->RichEdit1->setPalette(pal);
    f->RichEdit1->SetText(Lines(10));
    PrintTo(f.get(), pdf);
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    QVERIFY(PageStreamsContain(pdf, "0 0 1 scn"));
    QVERIFY(!PageStreamsContain(pdf, "0 0 0 scn"));
  }

  void cancelStopsThePrintJob() {
    auto f = NewForm();
    const QString pdf = tmp_.path() + "/cancelled.pdf";
    PrintTo(f.get(), pdf);
    f->RichEdit1->SetText(Lines(200000));
    jobShowAfterMsOverride = 0;
    jobHoldUntilShown = true;
    bool shown = false;
    jobWindowHook = [&](QDialog& d) {
      shown = true;
      PressCancel(d, CancelInput::Click);
    };
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    jobWindowHook = nullptr;
    jobShowAfterMsOverride = -1;
    jobHoldUntilShown = false;
    QVERIFY(shown);
    QVERIFY(messages_.isEmpty());
    QVERIFY(!f->Commands().Busy());
    // Far fewer pages than the text's thousands, or no file at all.
    QVERIFY(PdfPages(pdf) < 100);
  }

  void anEmptyPanePrintsOnePage() {
    auto f = NewForm();
    const QString pdf = tmp_.path() + "/empty.pdf";
    f->RichEdit1->Clear();
    PrintTo(f.get(), pdf);
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    QCOMPARE(PdfPages(pdf), 1);
  }

  void longLinesWrapOntoMorePages() {
    auto f = NewForm();
    const QString pdf = tmp_.path() + "/wrap.pdf";
    int perPage = LinesPerPage(f.get(), pdf);
    // Each line wraps at the margin at least once: more than one page.
    std::string text;
    for (int i = 0; i < perPage; ++i) text += std::string(400, 'x') + "\r\n";
    f->RichEdit1->SetText(text);
    PrintTo(f.get(), pdf);
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    QVERIFY2(PdfPages(pdf) >= 2, qPrintable(QString::number(PdfPages(pdf))));
  }

  // The pane holds a very long line in several blocks; on paper it is one
  // line, and a colour after it stays on its own characters.
  void aLongLinePrintsAsOneLine() {
    auto f = NewForm();
    f->RichEdit1->SetText(std::string(3000, 'x') + "\r\nend\r\n");
    QVERIFY(f->RichEdit1->document()->blockCount() > 2);
    QTextCursor c(f->RichEdit1->document());
    c.setPosition(f->RichEdit1->Advance(0, 3001));
    c.setPosition(f->RichEdit1->Advance(0, 3004), QTextCursor::KeepAnchor);
    QTextCharFormat red;
    red.setForeground(Qt::red);
    c.mergeCharFormat(red);
    PaneContent content = PrintableContent(*f->RichEdit1);
    QCOMPARE(content.text.size(), 3000 + 4);
    QCOMPARE(content.text.right(5), QString("x\nend"));
    QVERIFY(!content.text.left(3000).contains('\n'));
    QCOMPARE(content.formats.size(), 1);
    QCOMPARE(content.formats[0].start, 3001);
    QCOMPARE(content.formats[0].length, 3);
  }

  void storedMarginsShrinkThePage() {
    auto f = NewForm();
    const QString pdf = tmp_.path() + "/margins.pdf";
    int perPage = LinesPerPage(f.get(), pdf);
    navirt::TIniFile ini = f->OpenSettings();
    ini.WriteString("Print", "Yohaku_T", "100");
    ini.WriteString("Print", "Yohaku_B", "100");
    QVERIFY(f->WriteSettings(ini));
    int narrow = LinesPerPage(f.get(), pdf);
    QVERIFY2(narrow > 0 && narrow < perPage * 2 / 3, qPrintable(QString("%1 %2").arg(narrow).arg(perPage)));
    f->RichEdit1->SetText(Lines(perPage));
    PrintTo(f.get(), pdf);
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    QVERIFY(PdfPages(pdf) >= 2);
  }

  void cancellingThePrinterDialogPrintsNothing() {
    auto f = NewForm();
    const QString pdf = tmp_.path() + "/cancel.pdf";
    f->RichEdit1->SetText("text");
    f->dialogHook = [&](QDialog& d) {
      if (auto* p = qobject_cast<QPrintDialog*>(&d)) p->printer()->setOutputFileName(pdf);
      return int(QDialog::Rejected);
    };
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprint)));
    QVERIFY(!QFile::exists(pdf));
  }

  // "プリンタの設定": the printer and its options with OK and Cancel; OK,
  // clicked, keeps the choice for the next print and prints nothing.
  void printerSetupSaysOkAndPrintsNothing() {
    auto f = NewForm();
    const QString pdf = tmp_.path() + "/setup.pdf";
    f->RichEdit1->SetText("text");
    QString title;
    QStringList buttons;
    bool rangeOffered = true;
    int result = -1;
    f->dialogHook = [&](QDialog& d) {
      auto* p = qobject_cast<QPrintDialog*>(&d);
      if (!p) return int(QDialog::Rejected);
      p->printer()->setOutputFormat(QPrinter::PdfFormat);
      p->printer()->setOutputFileName(pdf);
      d.show();
      (void)QTest::qWaitForWindowExposed(&d);
      title = d.windowTitle();
      QPushButton* ok = nullptr;
      for (QPushButton* b : d.findChildren<QPushButton*>()) {
        if (!b->isVisible()) continue;
        buttons << b->text();
        if (b->text() == "OK") ok = b;
      }
      rangeOffered = p->testOption(QAbstractPrintDialog::PrintPageRange);
      if (ok) QTest::mouseClick(ok, Qt::LeftButton);
      result = d.result();
      return result;
    };
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprinterset)));
    QCOMPARE(title, QString("プリンタの設定"));
    QVERIFY2(buttons.contains("OK") && !buttons.join('|').contains("印刷") && !buttons.join('|').contains("Print"),
             qPrintable(buttons.join('|')));
    QVERIFY(!rangeOffered);
    QCOMPARE(result, int(QDialog::Accepted));
    QTest::qWait(50);
    QVERIFY(!QFile::exists(pdf));
  }

  void marginDialogRefusesLettersAndStoresOnOk() {
    auto f = NewForm();
    PrinterOf(*f).setOutputFormat(QPrinter::PdfFormat);
    QString paper;
    QStringList seen;
    f->dialogHook = [&](QDialog& d) {
      auto* form = qobject_cast<TForm6*>(&d);
      if (!form) return int(QDialog::Rejected);
      paper = form->LPaper->text();
      QLineEdit* top = form->EditT;
      top->setFocus();
      top->selectAll();
      QTest::keyClicks(top, "12");
      seen << top->text();
      QTest::keyClicks(top, "a");  // refused: the field keeps its text
      seen << top->text();
      form->EditL->selectAll();
      QTest::keyClick(form->EditL, Qt::Key_Delete);  // emptied: "0" at once
      seen << form->EditL->text();
      form->EditB->setText("");
      QTest::keyClicks(form->EditB, "25");
      PressButton(form->BOK);
      return d.result();
    };
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprintset)));
    QCOMPARE(seen, QStringList({"12", "12", "0"}));
    QCOMPARE(messages_.size(), 1);
    QVERIFY(paper.contains("x"));
    navirt::TIniFile ini = f->OpenSettings();
    QCOMPARE(QString::fromStdString(ini.ReadString("Print", "Yohaku_T", "")), QString("12"));
    QCOMPARE(QString::fromStdString(ini.ReadString("Print", "Yohaku_B", "")), QString("25"));
    QVERIFY(!ini.ReadString("Print", "Yohaku_L", "").empty());
    QVERIFY(!ini.ReadString("Print", "Yohaku_R", "").empty());

    // Cancel keeps what was stored.
    f->dialogHook = [&](QDialog& d) {
      auto* form = qobject_cast<TForm6*>(&d);
      if (!form) return int(QDialog::Rejected);
      seen << form->EditT->text();
      form->EditT->setText("");
      QTest::keyClicks(form->EditT, "30");
      PressButton(form->BCancel);
      return d.result();
    };
    seen.clear();
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mprintset)));
    QCOMPARE(seen, QStringList({"12"}));
    QCOMPARE(QString::fromStdString(f->OpenSettings().ReadString("Print", "Yohaku_T", "")), QString("12"));
  }
};

QTEST_MAIN(PrintUiTest)
#include "PrintUiTest.moc"

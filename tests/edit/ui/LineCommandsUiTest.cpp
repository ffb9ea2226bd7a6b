// The line commands and the markup removals on a plain host with the edit
// commands alone, started from their menu items and buttons: what goes into
// the pane, what comes out, the marker, the questions and their answers.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "edit/LineCommandTable.h"
#include "edit/LineCommands.h"
#include "edit/ui/ColumnDialog.h"
#include "edit/ui/EditCommandIds.h"
#include "edit/ui/EditCommands.h"
#include "edit/ui/LineCommandsUi.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/InputDialog.h"
#include "host/ui/Job.h"
#include "host/ui/SharedCommandIds.h"
#include "platform/Cp932.h"
#include "tests/ClickMenu.h"
#include "tests/FakePaneHost.h"
#include "tests/JobInput.h"

namespace fs = std::filesystem;
using navirt::clBlack;
using navirt::clRed;
using Lines = std::vector<std::string>;

namespace {

// One scripted answer per dialog, in the order the dialogs come.
struct Answer {
  bool ok = true;
  QString text;   // input dialog
  int start = 0;  // column dialog (0: leave the preset)
  int width = 0;
};

}  // namespace

class LineCommandsUiTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;
  QStringList messages_;
  QStringList titles_;   // every dialog's caption, in order
  QStringList presets_;  // input dialogs' preset answers
  std::vector<TForm30*> columnDialogs_;
  bool widthShown_ = false;
  int presetStart_ = 0, presetWidth_ = 0;
  std::vector<Answer> script_;

  // A host showing the file, selected, in its pane as the preview shows it.
  std::unique_ptr<TFakePaneHost> Open(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
    auto f = std::make_unique<TFakePaneHost>();
    InstallEditCommands(*f);
    InstallLineCommands(*f);
    for (CommandName b : {cmd::Mkanihensyu, cmd::Mhtmldel}) f->PlaceButton(b);
    f->resize(1000, 700);
    f->show();
    f->activateWindow();
    if (!QTest::qWaitForWindowActive(f.get())) qWarning("window not active");
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      // New text put in over edits (the cases' own setting up) drops them.
      if (text == "変更を保存しますか？") return int(mbNo);
      messages_ << text;
      return int(mbOK);
    };
    f->dialogHook = [this](QDialog& d) {
      titles_ << d.windowTitle();
      if (script_.empty()) return int(QDialog::Rejected);
      Answer a = script_.front();
      script_.erase(script_.begin());
      if (auto* in = qobject_cast<TForm33*>(&d)) {
        presets_ << in->AnswerText();
        if (!a.text.isNull()) in->SetAnswerText(a.text);
      } else if (auto* col = qobject_cast<TForm30*>(&d)) {
        widthShown_ = !col->SpinEdit2->isHidden();
        presetStart_ = col->SpinEdit1->value();
        presetWidth_ = col->SpinEdit2->value();
        if (a.start) col->SpinEdit1->setValue(a.start);
        if (a.width) col->SpinEdit2->setValue(a.width);
      }
      return int(a.ok ? QDialog::Accepted : QDialog::Rejected);
    };
    f->folder = folder_;
    f->listed = {folder_ + name};
    f->selection = f->listed;
    f->SetPaneText(bytes, clBlack);
    return f;
  }
  // Clicks the command's menu item.
  static void Run(TFakePaneHost* f, CommandName name) {
    QVERIFY2(ClickMenuItem(f, f->Commands().Action(name)), name.text);
  }
  // Ctrl+S in the pane, the window active again as after any dialog.
  static void Save(TFakePaneHost* f) {
    f->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f));
    f->edit->setFocus();
    QTest::keyClick(f->edit, Qt::Key_S, Qt::ControlModifier);
  }
  static void ClickButton(TFakePaneHost* f, CommandName name) {
    QToolButton* b = f->Commands().Button(name);
    QVERIFY2(b && b->isVisible(), name.text);
    QTest::mouseClick(b, Qt::LeftButton);
  }
  // Lines shown as one readable string in a failure.
  static QString J(const Lines& lines) {
    QStringList out;
    for (const std::string& l : lines) out << Sjis(l);
    return out.join(" | ");
  }
  static QString Sjis(const std::string& cp932) { return QString::fromStdString(navirt::Cp932ToUtf8(cp932)); }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    folder_ = tmp_.path().toStdString() + "/work/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    messages_.clear();
    titles_.clear();
    presets_.clear();
    script_.clear();
    jobWindowHook = nullptr;
  }

  // Sorting keeps browse mode; numbering first switches to edit mode and
  // keeps the word wrap the user chose; both leave the marker red.
  void sortThenNumberEditModeAndWrap() {
    auto f = Open("s.txt", "b\r\nA\r\nc\r\na\r\n");
    QCOMPARE(f->InfoLineColor(), clBlack);
    QVERIFY(!f->edit->EditMode());
    Run(f.get(), cmd::Msortdesc);
    QCOMPARE(J(f->PaneLines()), J(Lines{"c", "b", "A", "a"}));
    QCOMPARE(f->InfoLineColor(), clRed);
    QVERIFY(!f->edit->EditMode());
    Run(f.get(), cmd::Msortasc);
    QCOMPARE(J(f->PaneLines()), J(Lines{"A", "a", "b", "c"}));

    f->edit->SetWordWrap(true);  // the window's word-wrap switch
    QVERIFY(f->edit->WordWrap());
    Run(f.get(), cmd::Mnumbertailcomma);
    QCOMPARE(J(f->PaneLines()), J(Lines{"A,1", "a,2", "b,3", "c,4"}));
    QVERIFY(f->edit->EditMode());
    QVERIFY(f->Commands().Button(cmd::Mkanihensyu)->isChecked());
    QCOMPARE(f->PaneStatus(2).trimmed(), QString("編集"));
    QVERIFY(f->edit->WordWrap());
    QCOMPARE(f->InfoLineColor(), clRed);
    QVERIFY(titles_.isEmpty());
  }

  // The column dialog: its caption, the caret column and the selection
  // length as presets, the width field only where it counts.
  void columnDialogPresetsAndAnswers() {
    auto f = Open("c.txt", "abcdefghij\r\n0123456789\r\n");
    f->edit->GoToLine(1);
    QTextCursor cur = f->edit->textCursor();
    // "234" selected from its end, so the caret stands in column 3.
    cur.movePosition(QTextCursor::Right, QTextCursor::MoveAnchor, 5);
    cur.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, 3);
    f->edit->setTextCursor(cur);
    script_ = {{true, {}, 0, 4}};
    Run(f.get(), cmd::Mcolumnextract);
    QCOMPARE(titles_, QStringList{"桁抽出"});
    QVERIFY(widthShown_);
    QCOMPARE(presetStart_, 3);
    QCOMPARE(presetWidth_, 3);
    QCOMPARE(J(f->PaneLines()), J(Lines{"cdef", "2345"}));  // from the caret column 3, 4 wide

    script_ = {{true, {}, 3, 0}};
    f->edit->SetCaretOffset(0);
    Run(f.get(), cmd::Mcutatcolumn);
    QCOMPARE(titles_.last(), QString("指定位置で改行"));
    QVERIFY(!widthShown_);
    QCOMPARE(presetStart_, 1);
    QCOMPARE(J(f->PaneLines()), J(Lines{"cde", "f", "234", "5"}));
    QCOMPARE(f->InfoLineColor(), clRed);
  }

  // The column dialog's presets after a selection made with the mouse,
  // dragged either way: the start column is where the selection starts,
  // the width its length.
  void columnDialogPresetsFollowAMouseDragEitherWay() {
    auto f = Open("d.txt", "abcdefghij\r\n0123456789\r\n");
    TRichEdit* pane = f->edit;
    QWindow* w = f->windowHandle();
    auto at = [&](int offset) {
      QTextCursor c(pane->document());
      c.setPosition(offset);
      QRect r = pane->cursorRect(c);
      return pane->viewport()->mapTo(f.get(), QPoint(r.left(), r.center().y()));
    };
    const int lineStart = pane->document()->find("0123456789").selectionStart();
    QVERIFY(lineStart > 0);
    for (bool forward : {true, false}) {
      const QPoint from = at(lineStart + (forward ? 2 : 5)), to = at(lineStart + (forward ? 5 : 2));
      QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
      QTest::mouseMove(w, (from + to) / 2);
      QTest::mouseMove(w, to);
      QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, to);
      QCOMPARE(pane->textCursor().selectedText(), QString("234"));
      script_ = {{false, {}, 0, 0}};
      Run(f.get(), cmd::Mcolumnextract);
      QVERIFY2(presetStart_ == 3, forward ? "forward" : "backward");
      QCOMPARE(presetWidth_, 3);
      QCOMPARE(J(f->PaneLines()), J(Lines{"abcdefghij", "0123456789"}));
      QTest::qWait(600);  // the next press is not a double click
    }
  }

  // Text questions: titles, the caret column preset, a Japanese answer
  // reaching the lines as Shift_JIS, the selected lines only.
  void questionsAndAnswers() {
    auto f = Open("q.txt", "one\r\ntwo\r\nthree\r\nfour\r\n");
    // Lines 2 and 3 selected.
    f->edit->GoToLine(1);
    QTextCursor cur = f->edit->textCursor();
    cur.movePosition(QTextCursor::Down, QTextCursor::KeepAnchor);
    cur.movePosition(QTextCursor::Right, QTextCursor::KeepAnchor, 2);
    f->edit->setTextCursor(cur);
    script_ = {{true, "番00"}, {true, "9"}};
    Run(f.get(), cmd::Mserialnumber);
    QCOMPARE(titles_, (QStringList{"連番の書式入力", "連番の初期数値"}));
    std::string ban = navirt::Utf8ToCp932("番");
    QCOMPARE(J(f->PaneLines()), J(Lines{"one", ban + "09 two", ban + "10 three", "four"}));

    titles_.clear();
    f->edit->SetCaretOffset(2);  // column 3 of the first line
    script_ = {{true, "-"}, {true, {}, 2, 0}};
    Run(f.get(), cmd::Mcutappend);
    QCOMPARE(titles_, (QStringList{"指定桁位置に文字＋改行を挿入", "指定桁位置に文字＋改行を挿入"}));
    QCOMPARE(presetStart_, 3);
    QCOMPARE(f->PaneLines()[0], std::string("on-"));
    QCOMPARE(f->PaneLines()[1], std::string("e"));

    f->SetPaneLines({"ab1", "ab2", "ac3"}, clBlack);
    f->edit->SetCaretOffset(2);
    script_ = {{true, QString()}};  // keep the preset
    Run(f.get(), cmd::Mdelsamekeys);
    QCOMPARE(presets_.last(), QString("3"));
    QCOMPARE(J(f->PaneLines()), J(Lines{"ab1", "ac3"}));
    QVERIFY(f->edit->EditMode());
  }

  // A refused number shows its message and changes nothing, and the next
  // question is not asked; Cancel at any question changes nothing.
  void refusedAnswersAndCancelChangeNothing() {
    auto f = Open("r.txt", "x\r\ny\r\nz\r\n");
    const Lines before = f->PaneLines();
    script_ = {{true, "100"}, {true, "1"}};
    Run(f.get(), cmd::Mcsvhex);
    QCOMPARE(titles_.size(), 1);
    QCOMPARE(messages_.size(), 1);
    QVERIFY(!messages_[0].isEmpty());
    QCOMPARE(J(f->PaneLines()), J(before));
    QCOMPARE(f->InfoLineColor(), clBlack);

    script_ = {{true, "abc"}};
    Run(f.get(), cmd::Mdelsamekeys);
    QCOMPARE(messages_.size(), 2);
    QCOMPARE(messages_[1], QString::fromStdString(navirt::InvalidIntegerMessage("abc")));
    QCOMPARE(J(f->PaneLines()), J(before));
    QVERIFY(!f->edit->EditMode());

    script_ = {{true, "0"}};
    Run(f.get(), cmd::Mcsvnone);
    QCOMPARE(messages_.size(), 3);
    QCOMPARE(J(f->PaneLines()), J(before));

    script_ = {{true, "X", 0, 0}, {false, {}, 0, 0}};
    Run(f.get(), cmd::Minsertatcolumn);
    script_ = {{false, {}, 0, 0}};
    Run(f.get(), cmd::Mserialnumber);
    script_ = {{false, {}, 0, 0}};
    Run(f.get(), cmd::Mcolumndelete);
    QCOMPARE(titles_.size(), 7);
    QCOMPARE(messages_.size(), 3);
    QCOMPARE(J(f->PaneLines()), J(before));
    QCOMPARE(f->InfoLineColor(), clBlack);

    // The answer that is read works: records of two.
    script_ = {{true, "2"}};
    Run(f.get(), cmd::Mcsvnone);
    QCOMPARE(J(f->PaneLines()), J(Lines{"xy", "z"}));
    QCOMPARE(f->InfoLineColor(), clRed);
  }

  // Commands at the caret line, an empty pane, the selection delete alias.
  void caretLineCommandsAndEmptyPane() {
    auto f = Open("l.txt", "a\r\nb\r\nc\r\n");
    f->edit->GoToLine(1);
    Run(f.get(), cmd::Mlinecopydown);
    QCOMPARE(J(f->PaneLines()), J(Lines{"a", "b", "b", "c"}));
    QCOMPARE(f->edit->CaretLine(), 2);
    Run(f.get(), cmd::Mdelcaretline);
    Run(f.get(), cmd::Mdelcaretline);
    QCOMPARE(J(f->PaneLines()), J(Lines{"a", "c"}));

    f->SetPaneText("", clBlack);
    for (CommandName c :
         {cmd::Msortasc, cmd::Mserialnumber, cmd::Mcolumnextract, cmd::Mtrimlead, cmd::Mhtml, cmd::Mtex})
      Run(f.get(), c);
    QVERIFY(titles_.isEmpty());
    QVERIFY(f->PaneText().empty());
    QCOMPARE(f->InfoLineColor(), clBlack);
    QVERIFY(!f->edit->EditMode());
  }

  // HTML removal as a job, through the menu item, its 削除 copy and the
  // toolbar button.
  void htmlRemovalFinishes() {
    auto f = Open("p.html", "a<BR>b\r\nc</P>\r\n<LI>x</LI>\r\ntail &AMP; end");
    Run(f.get(), cmd::Mhtml);
    QCOMPARE(J(f->PaneLines()), J(Lines{"a", "", "bc", "",
                                        "\x81\x45"
                                        "xtail & end"}));
    QCOMPARE(f->InfoLineColor(), clRed);
    QVERIFY(!f->edit->EditMode());

    f->SetPaneLines({"a<BR>", "", "b<P>c"}, clBlack);
    Run(f.get(), cmd::Mhtmldelempty);
    QCOMPARE(J(f->PaneLines()), J(Lines{"a", "b", "c"}));

    f->SetPaneLines({"<p>q\t<br>"}, clBlack);
    ClickButton(f.get(), cmd::Mhtmldel);
    QCOMPARE(J(f->PaneLines()), J(Lines{"", "", "q\t"}));
    QCOMPARE(f->InfoLineColor(), clRed);
  }

  // Cancel in the progress window keeps the output so far and says so.
  void htmlRemovalCancelled() {
    auto f = Open("big.html", "x");
    Lines big(600000, "x<BR>");
    f->SetPaneLines(big, clBlack);
    auto* ui = f->findChild<TLineCommandsUi*>("LineCommandsUi");
    QVERIFY(ui);
    ui->jobShowAfterMs = 0;
    // A busy machine could otherwise finish the work before the window shows.
    jobHoldUntilShown = true;
    QString title, heading, detail;
    jobWindowHook = [&](QDialog& d) {
      title = d.windowTitle();
      heading = d.findChild<QLabel*>("JobHeading")->text();
      detail = d.findChild<QLabel*>("JobDetail")->text();
      PressCancel(d, CancelInput::Click);
    };
    Run(f.get(), cmd::Mhtmldel);
    jobHoldUntilShown = false;
    QCOMPARE(title, QString("html->テキスト"));
    QCOMPARE(heading, QString("htmlをテキストに変換中．．．"));
    QCOMPARE(detail, QString("big.html"));
    Lines out = f->PaneLines();
    QVERIFY(out.size() >= 1 && out.size() < big.size());
    QCOMPARE(Sjis(out.back()), QString("中断しました！"));
    for (size_t i = 0; i + 1 < out.size(); ++i) QCOMPARE(out[i], std::string("x"));
    QCOMPARE(f->InfoLineColor(), clRed);
    QVERIFY(!f->Commands().Busy());
  }

  // A line command runs as a job: Cancel in its progress window, by a
  // click, Space, Return or Escape, leaves the pane and the marker as they
  // were.
  void lineCommandCancelled() {
    auto f = Open("n.txt", "x");
    Lines many;
    for (unsigned i = 0; i < 300000; ++i) many.push_back(std::to_string((i * 7919u) % 300007u));
    f->SetPaneLines(many, clBlack);
    for (CancelInput how : kCancelInputs) {
      QString title;
      bool shown = false;
      jobShowAfterMsOverride = 0;
      jobWindowHook = [&](QDialog& d) {
        shown = true;
        title = d.windowTitle();
        PressCancel(d, how);
      };
      // A busy machine shows the window late, an idle one may finish the
      // sort first: such a round is run again.
      for (int attempt = 0; attempt < 5 && !shown; ++attempt) {
        f->SetPaneLines(many, clBlack);
        Run(f.get(), cmd::Msortdesc);
      }
      jobShowAfterMsOverride = -1;
      QVERIFY2(shown, CancelInputName(how));
      QCOMPARE(title, QString("降順"));
      QVERIFY2(f->PaneLines() == many, CancelInputName(how));
      QCOMPARE(f->InfoLineColor(), clBlack);
      QVERIFY(messages_.isEmpty());
      QVERIFY(!f->Commands().Busy());
    }
  }

  // Saving after a command writes the lines joined by CR LF and keeps the
  // file's final line end (a file without one stays without).
  void saveAfterACommandKeepsTheFinalLineEnd() {
    struct Case {
      const char* file;
      CommandName command;
      std::string saved;
    };
    const Case cases[] = {
        {"b\r\nA\r\na\r\n", cmd::Msortasc, "A\r\na\r\nb\r\n"},
        {"x\ny\n", cmd::Mnumberhead, "1 x\r\n2 y\r\n"},
        {"a\r\nb\r\nc", cmd::Msortdesc, "c\r\nb\r\na"},
        {"a\r\nb\rc\n", cmd::Mdellineends, "abc\r\n"},
        {"a\r\n\r\n b\r\n", cmd::Mdelemptylines, "a\r\n b\r\n"},
        {"a<BR>b\r\n", cmd::Mhtml, "a\r\n\r\nb\r\n"},
        {"\\section{A}\r\n", cmd::Mtex, "{A}\r\n"},
    };
    for (const Case& c : cases) {
      auto f = Open("s.txt", c.file);
      Run(f.get(), cmd::Mbackup1);
      QVERIFY(!f->Commands().Checked(cmd::Mbackup1, true));
      Run(f.get(), c.command);
      QCOMPARE(f->InfoLineColor(), clRed);
      Save(f.get());
      QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join("|")));
      std::string saved;
      std::ifstream in(folder_ + "s.txt", std::ios::binary);
      saved.assign(std::istreambuf_iterator<char>(in), {});
      QCOMPARE(QByteArray::fromStdString(saved), QByteArray::fromStdString(c.saved));
    }
  }

  // Deleting the line ends of many lines leaves one line longer than the
  // pane lays out at once: the pane shows it in pieces, yet its text and
  // the saved bytes are that one line exactly.
  void deletingLineEndsMakesOneLongLine() {
    std::string file, joined;
    for (int i = 0; i < 3000; ++i) {
      std::string line = std::to_string(i) + "\x93\xfa\x96\x7b";  // 日本
      file += line + "\r\n";
      joined += line;
    }
    auto f = Open("long.txt", file);
    Run(f.get(), cmd::Mbackup1);
    Run(f.get(), cmd::Mdellineends);
    QCOMPARE(f->edit->LineCount(), 1);
    QVERIFY(f->edit->document()->blockCount() > 10);
    QVERIFY(f->PaneText() == joined);
    Save(f.get());
    std::string saved;
    std::ifstream in(folder_ + "long.txt", std::ios::binary);
    saved.assign(std::istreambuf_iterator<char>(in), {});
    QVERIFY(saved == joined + "\r\n");
    // Line commands read the long line back whole.
    Run(f.get(), cmd::Mreverse);
    QCOMPARE(f->edit->LineCount(), 1);
    QVERIFY(f->PaneText() == navirt::ReverseCharacters(joined));
  }

  // TeX removal through the window's engine object, in edit mode.
  void texRemoval() {
    auto f = Open("t.tex", "\\section{Intro} % note\r\n\\documentclass[a4j]{jarticle}\r\nplain{}[]");
    Run(f.get(), cmd::Mtexdel);
    QCOMPARE(J(f->PaneLines()), J(Lines{"{Intro} ", "", "plain"}));
    QVERIFY(f->edit->EditMode());
    QCOMPARE(f->InfoLineColor(), clRed);
  }
};

QTEST_MAIN(LineCommandsUiTest)
#include "LineCommandsUiTest.moc"

// The information and help menus on the main window, offscreen. Every
// desktop call goes to the recording starter: nothing is started, least of
// all a power service.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTimer>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/ui/AppCommandIds.h"
#include "app/ui/Unit1.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/CommandTable.h"
#include "host/ui/InputDialog.h"
#include "platform/Cp932.h"
#include "platform/FakeProcessStarter.h"
#include "sysinfo/ui/AboutDialog.h"
#include "sysinfo/ui/DriveInfoForm.h"
#include "sysinfo/ui/SysinfoCommandIds.h"
#include "sysinfo/ui/SysinfoCommands.h"
#include "tests/ClickMenu.h"
#include "tests/PressButton.h"

namespace fs = std::filesystem;
using navirt::ProgramCall;

struct Message {
  QString text;
  TMsgKind kind;
  int buttons;
};

class SysinfoUiTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;
  navirt::TRecordingStarter fake_;
  QList<Message> messages_;
  int answer_ = mbOK;

  std::unique_ptr<TForm1> NewForm() {
    auto f = std::make_unique<TForm1>();
    // Before anything can run: the window's services go to the fake.
    navirt::DesktopEnv env;
    env.currentDesktop = "GNOME";
    env.sessionId = "7";
    env.user = "someone";
    ReplaceProcessStarter(*f, fake_, env);
    f->resize(900, 600);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind kind, int buttons) {
      messages_ << Message{text, kind, buttons};
      return answer_;
    };
    f->GoToFolder(folder_);
    QTest::qWait(10);
    return f;
  }
  static QString PaneUtf8(TForm1* f) { return QString::fromStdString(navirt::Cp932ToUtf8(f->RichEdit1->Text())); }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    folder_ = tmp_.path().toStdString() + "/files/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fake_ = navirt::TRecordingStarter();
    messages_.clear();
    answer_ = mbOK;
  }

  void shortcutsReachTheDesktopWithTheirArguments() {
    auto f = NewForm();
    f->RichEdit1->SetText("first\r\nsecond");
    struct Case {
      CommandName command;
      ProgramCall call;
    };
    const Case cases[] = {
        {cmd::Mgomi, {"nautilus", {"trash:///"}, ""}},
        {cmd::Mdos, {"x-terminal-emulator", {}, folder_}},
        {cmd::Mcontrolpanel, {"gnome-control-center", {}, ""}},
        {cmd::Mdiskcopy1, {"gnome-disks", {}, ""}},
        {cmd::Mformat, {"gnome-disks", {}, ""}},
        {cmd::Mssaver, {"xdg-screensaver", {"activate"}, ""}},
        {cmd::Msend, {"xdg-email", {"--body", "first\nsecond"}, ""}},
        {cmd::Msysstandby1, {"systemctl", {"suspend"}, ""}},
    };
    // "ディスク　フォーマット" asks for the drive first: OK with its example.
    QString formatPrompt;
    f->dialogHook = [&](QDialog& d) {
      if (auto* in = qobject_cast<TForm33*>(&d)) formatPrompt = in->windowTitle();
      return int(QDialog::Accepted);
    };
    for (const Case& c : cases) {
      fake_.calls.clear();
      QVERIFY2(ClickMenuItem(f.get(), f->Commands().Action(c.command)), c.command.text);
      QCOMPARE(fake_.calls.size(), size_t(1));
      QCOMPARE(QString::fromStdString(fake_.calls[0].program), QString::fromStdString(c.call.program));
      QVERIFY2(fake_.calls[0] == c.call, c.command.text);
    }
    QCOMPARE(formatPrompt, QString("ﾃﾞｨｽｸのﾌｫｰﾏｯﾄ"));
    // Cancelled, it starts nothing.
    f->dialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    fake_.calls.clear();
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mformat)));
    QVERIFY(fake_.calls.empty());
    f->dialogHook = nullptr;
    fake_.calls.clear();
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mstart)));
    QCOMPARE(fake_.calls.size(), size_t(1));
    QCOMPARE(QString::fromStdString(fake_.calls[0].program), QString("gdbus"));
    QVERIFY(fake_.calls[0].args.back() == "org.gnome.Shell.ShowApplications");
    // Standby asks nothing; no shortcut showed a message.
    QVERIFY(messages_.isEmpty());
  }

  void aMissingProgramIsNamed() {
    auto f = NewForm();
    fake_.missing = {"x-terminal-emulator"};
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mdos)));
    QVERIFY(fake_.calls.empty());
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_[0].text.contains("x-terminal-emulator"));
    QVERIFY(messages_[0].kind == TMsgKind::Error);
  }

  void powerCommandsAskOnceAndNoDoesNothing() {
    auto f = NewForm();
    const CommandName commands[] = {cmd::MexitW, cmd::Msysreboot1, cmd::Msyslogoff1};
    answer_ = mbNo;
    for (CommandName c : commands) QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(c)));
    QVERIFY(fake_.calls.empty());
    QCOMPARE(messages_.size(), 3);
    for (const Message& m : messages_) {
      QVERIFY(m.kind == TMsgKind::Confirmation);
      QCOMPARE(m.buttons, int(mbYes | mbNo | mbDefaultNo));
    }
    messages_.clear();
    answer_ = mbYes;
    for (CommandName c : commands) QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(c)));
    QCOMPARE(messages_.size(), 3);
    const std::vector<ProgramCall> expected = {
        {"systemctl", {"poweroff"}, ""}, {"systemctl", {"reboot"}, ""}, {"loginctl", {"terminate-session", "7"}, ""}};
    QVERIFY(fake_.calls == expected);
  }

  void enterOrEscapeOnAPowerQuestionAnswersNo() {
    auto f = NewForm();
    f->messageHook = nullptr;  // the real box, answered by keys
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
      for (CommandName c : {cmd::MexitW, cmd::Msysreboot1, cmd::Msyslogoff1}) {
        QString asked;
        QTimer::singleShot(100, [&asked, key] {
          QWidget* box = QApplication::activeModalWidget();
          if (!box) return;
          asked = box->findChild<QLabel*>("qt_msgbox_label") ? box->findChild<QLabel*>("qt_msgbox_label")->text() : "?";
          QTest::keyClick(box, key);
        });
        QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(c)));
        QVERIFY2(!asked.isEmpty(), c.text);
      }
    }
    QVERIFY(fake_.calls.empty());
  }

  void systemReportFillsThePaneInBlue() {
    auto f = NewForm();
    f->RichEdit1->SetText("old");
    f->SetInfoLine("file.txt", navirt::clRed);
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Msysteminfo1)));
    QStringList lines = PaneUtf8(f.get()).split("\r\n");
    QVERIFY(lines.size() > 5);
    QVERIFY(lines[0].startsWith("Windowsﾃﾞｨﾚｸﾄﾘ = "));
    QVERIFY(lines[2].startsWith("ｶﾚﾝﾄﾃﾞｨﾚｸﾄﾘ = "));
    QVERIFY(lines.filter("環境変数 = PATH=").size() == 1);
    QVERIFY(lines.last().startsWith("起動時間 = "));
    QVERIFY(!lines.contains("old"));
    QCOMPARE(f->InfoLineColor(), navirt::clBlue);
    QVERIFY(f->InfoLine().isEmpty());
    QVERIFY(!f->RichEdit1->Modified());
    // The folder panels do not describe the report.
    QCOMPARE(f->StatusPanel(0), QString());
    QCOMPARE(f->StatusPanel(1), QString());
  }

  void urlFromTheCaretLineGoesToTheBrowser() {
    auto f = NewForm();
    f->RichEdit1->SetText(navirt::Utf8ToCp932("一行目\r\n見て http://example.com/a?b=1 です"));
    f->RichEdit1->SetCaretOffset(int(f->RichEdit1->Text().size()));
    QCOMPARE(f->RichEdit1->CaretLine(), 2);
    QString offered;
    int width = 0, box = 0, plainWidth = 0, plainBox = 0;
    f->dialogHook = [&](QDialog& d) {
      auto* q = qobject_cast<TForm33*>(&d);
      if (!q) return int(QDialog::Rejected);
      offered = q->AnswerText();
      ShowOnScreen(q);
      width = q->width();
      box = q->ComboBox1->width();
      {
        // The input dialog as other commands show it, with the same texts.
        navirt::TInputDialogModel m;
        m.caption = q->windowTitle().toStdString();
        m.prompt = q->Label1->text().toStdString();
        m.text = offered.toStdString();
        TForm33 plain(f.get(), m);
        ShowOnScreen(&plain);
        plainWidth = plain.width();
        plainBox = plain.ComboBox1->width();
      }
      PressButton(q->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok));
      return d.result();
    };
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Murl)));
    QCOMPARE(offered, QString("http://example.com/a?b=1"));
    // One and a half times as wide, the input box likewise.
    QVERIFY2(std::abs(width - plainWidth * 3 / 2) <= 2, qPrintable(QString("%1 beside %2").arg(width).arg(plainWidth)));
    QVERIFY2(box >= plainBox * 3 / 2, qPrintable(QString("box %1 beside %2").arg(box).arg(plainBox)));
    QCOMPARE(fake_.calls.size(), size_t(1));
    QVERIFY((fake_.calls[0] == ProgramCall{"xdg-open", {"http://example.com/a?b=1"}, ""}));
    QVERIFY(f->OpenSettings().ReadString("URL", "Items_0", "").find("example.com") != std::string::npos);

    // A selection needs no "://"; the typed address without a scheme is http.
    fake_.calls.clear();
    f->RichEdit1->SetText("go www.example.jp/x now");
    QTextCursor c = f->RichEdit1->textCursor();
    c.setPosition(3);
    c.setPosition(20, QTextCursor::KeepAnchor);
    f->RichEdit1->setTextCursor(c);
    QCOMPARE(f->RichEdit1->SelLength(), 17);
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Murl)));
    QCOMPARE(offered, QString("www.example.jp/x"));
    QVERIFY((fake_.calls.at(0) == ProgramCall{"xdg-open", {"http://www.example.jp/x"}, ""}));

    // Cancel opens nothing.
    fake_.calls.clear();
    f->dialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Murl)));
    QVERIFY(fake_.calls.empty());
  }

  void runFileOpensTheSelectedFile() {
    std::ofstream(folder_ + "a.txt") << "hello";
    auto f = NewForm();
    QVERIFY(f->SelectFileByName("a.txt"));
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mfileexe)));
    QCOMPARE(fake_.calls.size(), size_t(1));
    QVERIFY((fake_.calls[0] == ProgramCall{"xdg-open", {folder_ + "a.txt"}, folder_}));
    // The same file is selected and shown again.
    QCOMPARE(QString::fromStdString(f->HostSelectedPath()), QString::fromStdString(folder_ + "a.txt"));
  }

  void helpOpensTheOwnPagesAndTheKeyHDoesToo() {
    auto f = NewForm();
    struct Case {
      CommandName command;
      const char* page;
    };
    for (Case c : {Case{cmd::Mhelpcontents, "index.html"}, Case{cmd::Mhelpsearch, "keywords.html"},
                   Case{cmd::Mhelpusage, "usage.html"}}) {
      fake_.calls.clear();
      QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(c.command)));
      QCOMPARE(fake_.calls.size(), size_t(1));
      QCOMPARE(QString::fromStdString(fake_.calls[0].program), QString("xdg-open"));
      const std::string& url = fake_.calls[0].args.at(0);
      QVERIFY2(url.rfind("file://", 0) == 0 && url.find(std::string("/docs/help/") + c.page) != std::string::npos,
               url.c_str());
    }
    fake_.calls.clear();
    f->FileView1->setFocus();
    QTest::keyClick(f->FileView1, Qt::Key_H);
    QCOMPARE(fake_.calls.size(), size_t(1));
    QVERIFY(fake_.calls[0].args.at(0).find("/index.html") != std::string::npos);
    QVERIFY(messages_.isEmpty());
  }

  void dateAboutAndDriveWindows() {
    auto f = NewForm();
    QAction* now = f->findChild<QAction*>("Mnow");
    QVERIFY(now);
    QVERIFY(ClickMenuItem(f.get(), now));
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_[0].text.startsWith("現在\n\n"));
    QVERIFY(now->text().startsWith(" 20"));

    // The version window fits the screen with all its libraries (in a
    // list that scrolls) and closes with its OK, clicked.
    messages_.clear();
    QString heading;
    int libraries = 0, result = -1;
    QSize size;
    bool closed = false;
    f->dialogHook = [&](QDialog& d) {
      auto* w = qobject_cast<TAboutDialog*>(&d);
      if (!w) return int(QDialog::Rejected);
      d.show();
      (void)QTest::qWaitForWindowExposed(&d);
      heading = w->Heading->text();
      libraries = w->Libraries->count();
      size = d.frameGeometry().size();
      QTest::mouseClick(w->Buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
      closed = !d.isVisible();
      result = d.result();
      return result;
    };
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mabout)));
    f->dialogHook = nullptr;
    QVERIFY(messages_.isEmpty());
    QVERIFY(heading.contains("Navirt"));
    QVERIFY(heading.contains(qVersion()));
    QVERIFY2(libraries > 20, qPrintable(QString::number(libraries)));
    const QSize screen = f->screen()->availableGeometry().size();
    QVERIFY2(size.height() < screen.height() && size.width() < screen.width(),
             qPrintable(QString("%1x%2").arg(size.width()).arg(size.height())));
    QVERIFY(closed);
    QCOMPARE(result, int(QDialog::Accepted));

    QString summary;
    int circle = 0;
    f->dialogHook = [&](QDialog& d) {
      auto* w = qobject_cast<TDriveInfoForm*>(&d);
      if (!w) return int(QDialog::Rejected);
      summary = w->Edit1->text();
      circle = w->Chart1->Angles().used + w->Chart1->Angles().free;
      return int(QDialog::Accepted);
    };
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::MdriveInfo)));
    QVERIFY2(summary.contains(" 全容量 ") && summary.contains(" byte"), qPrintable(summary));
    QCOMPARE(circle, 5760);
  }

  // Shown, the drive window cuts none of its texts: the summary box holds
  // its whole line, the block label and the chart's title their width,
  // also for a long mount point and a large disk.
  void driveWindowShowsItsTextsWhole() {
    navirt::DriveFigures big;  // a large disk: a summary longer than the other texts
    big.root = "/";
    big.blockSize = 1 << 20;
    big.blocks = 40000000;
    big.freeBlocks = 12345678;
    navirt::DriveFigures named = big;  // a long mount point: a long chart title
    named.root = "/media/someone/とても長い名前のバックアップ用ボリューム_2026";
    for (const navirt::DriveFigures& figures : {big, named}) {
      TDriveInfoForm w(nullptr, figures);
      QVERIFY(ShowOnScreen(&w));
      QLineEdit* e = w.Edit1;
      // Where the caret is drawn (painting scrolls the box to it).
      auto caret = [e] {
        (void)e->grab();
        return e->inputMethodQuery(Qt::ImCursorRectangle).toRect();
      };
      const QString summary = e->text();
      e->setCursorPosition(0);
      const int start = caret().center().x();
      e->setCursorPosition(int(summary.size()));
      const int end = caret().center().x();
      // Unscrolled, the caret at the end stands the text's width right of
      // the start.
      QVERIFY2(std::abs(end - start - e->fontMetrics().horizontalAdvance(summary)) <= 1,
               qPrintable(QString("%1 .. %2 for %3").arg(start).arg(end).arg(summary)));
      QVERIFY(caret().right() <= e->width());
      QVERIFY2(w.Label1->width() >= w.Label1->sizeHint().width(), qPrintable(w.Label1->text()));
      const QString title = QString::fromStdString(navirt::BuildDriveInfoTexts(figures).chartTitle);
      QVERIFY2(w.Chart1->width() >= w.Chart1->fontMetrics().horizontalAdvance(title),
               qPrintable(QString("%1 for %2").arg(w.Chart1->width()).arg(title)));
    }
  }
};

QTEST_MAIN(SysinfoUiTest)
#include "SysinfoUiTest.moc"

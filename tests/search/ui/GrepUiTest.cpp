// "Grepの実行(&G)" and "Grepの中止(&Q)" on a plain host with the search
// commands alone, offscreen: the search runs as a job with its progress
// window.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>

#include "edit/PaneText.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/Job.h"
#include "platform/Cp932.h"
#include "platform/FileInfo.h"
#include "search/GrepCommand.h"
#include "search/RegexTokens.h"
#include "search/ui/GrepCommands.h"
#include "search/ui/GrepDialog.h"
#include "search/ui/SearchCommandIds.h"
#include "search/ui/SearchCommands.h"
#include "tests/ClickMenu.h"
#include "tests/FakePaneHost.h"
#include "tests/JobInput.h"
#include "tests/PressButton.h"

namespace fs = std::filesystem;

class GrepUiTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;
  QStringList messages_;

  std::string Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
    return folder_ + name;
  }
  // The host shows the folder: its items in name order, as the list shows them.
  std::unique_ptr<TFakePaneHost> NewForm() {
    auto f = std::make_unique<TFakePaneHost>();
    InstallSearchCommands(*f);
    InstallGrepCommands(*f);
    f->resize(1000, 700);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbOK);
    };
    f->folder = folder_;
    for (const auto& e : fs::directory_iterator(folder_)) f->listed.push_back(e.path().string());
    std::sort(f->listed.begin(), f->listed.end());
    return f;
  }
  // Answers the grep dialog with an expression.
  static void Answer(TFakePaneHost* f, const QString& expr, bool lineNumbers = true) {
    f->dialogHook = [expr, lineNumbers](QDialog& d) {
      auto* g = qobject_cast<TForm9*>(&d);
      if (!g) return int(QDialog::Rejected);
      g->CBRegExp->setEditText(expr);
      g->CBlinenumber->setChecked(lineNumbers);
      PressButton(g->BOK);
      return d.result();
    };
  }
  static QString PaneUtf8(TFakePaneHost* f) { return QString::fromStdString(navirt::Cp932ToUtf8(f->edit->Text())); }
  static QAction* Grep(TFakePaneHost* f) { return f->Commands().Action(cmd::Mgrep); }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    folder_ = tmp_.path().toStdString() + "/files/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    messages_.clear();
  }

  void grepWritesHeadingFilesAndLinesIntoThePane() {
    std::string a = Write("a.txt", "xabc\r\nabc");
    std::string b = Write("b.txt", navirt::Utf8ToCp932("漢字\nなし\n"));
    fs::create_directory(folder_ + "sub");
    auto f = NewForm();
    Answer(f.get(), "abc|漢字");
    QVERIFY(ClickMenuItem(f.get(), Grep(f.get())));
    QStringList lines = PaneUtf8(f.get()).split("\r\n");
    QCOMPARE(lines.value(0), QString("Grepの実行　検索正規表現 = abc|漢字"));
    QCOMPARE(lines.value(1), QString());
    QCOMPARE(lines.value(2), QString::fromStdString("// 検索ファイル [ " + a + " ]"));
    QCOMPARE(lines.value(3), QString::fromStdString(a + "(1) :xabc"));
    QCOMPARE(lines.value(4), QString::fromStdString(a + "(2) :abc"));
    QCOMPARE(lines.value(5), QString::fromStdString("// 検索ファイル [ " + b + " ]"));
    QCOMPARE(lines.value(6), QString::fromStdString(b + "(1) :漢字"));
    QCOMPARE(lines.size(), 7);
    QVERIFY(!f->edit->Modified());
    QVERIFY(messages_.isEmpty());
    // The history holds the expression.
    navirt::TIniFile ini = f->OpenSettings();
    QCOMPARE(QString::fromStdString(ini.ReadString("Grep", "Items_0", "")), QString("#abc|漢字#"));
  }

  void syntaxErrorLeavesThePane() {
    Write("a.txt", "abc");
    auto f = NewForm();
    f->edit->SetText("keep");
    Answer(f.get(), "(abc");
    QVERIFY(ClickMenuItem(f.get(), Grep(f.get())));
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0], QString("右(閉じ)括弧が必要です"));
    QCOMPARE(QString::fromStdString(f->edit->Text()), QString("keep"));
    // Cancel, or an empty expression, does nothing.
    f->dialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    QVERIFY(ClickMenuItem(f.get(), Grep(f.get())));
    Answer(f.get(), "");
    QVERIFY(ClickMenuItem(f.get(), Grep(f.get())));
    QCOMPARE(QString::fromStdString(f->edit->Text()), QString("keep"));
  }

  // What the run itself gives for the files of the list, in its order:
  // the text the pane must show.
  static std::string Expected(TFakePaneHost* f, const std::string& expr, bool lineNumbers) {
    std::vector<std::string> files;
    for (const std::string& p : f->HostListedPaths())
      if (navirt::IsRegularFile(p)) files.push_back(p);
    navirt::TGrep grep;
    grep.SetRegExp(navirt::Utf8ToCp932(expr));
    std::vector<std::string> lines;
    navirt::TGrepRun::Run(grep, navirt::Utf8ToCp932(expr), files, true, lineNumbers,
                          [&](const std::string& l) { lines.push_back(l); });
    return navirt::JoinLines(lines);
  }
  // Files large enough that a search is still running when its window shows.
  void WriteLongFiles(int files, int lines) {
    for (int k = 0; k < files; ++k) {
      std::string big;
      for (int i = 0; i < lines; ++i) big += "line " + std::to_string(i) + (i % 3 ? " match\n" : " other\n");
      Write(std::string(1, char('a' + k)) + ".txt", big);
    }
  }

  void outputOnATreeIsTheRunsOutput() {
    // Several files, one holding no match, one in a folder of its own (left
    // out), and enough lines for many batches.
    WriteLongFiles(3, 40000);
    Write("d.txt", navirt::Utf8ToCp932("なし\r\n漢字 match\r\n"));
    Write("e.txt", "nothing here\n");
    fs::create_directory(folder_ + "sub");
    Write("sub/f.txt", "match\n");
    auto f = NewForm();
    Answer(f.get(), "match|漢字");
    QVERIFY(ClickMenuItem(f.get(), Grep(f.get())));
    const std::string want = Expected(f.get(), "match|漢字", true);
    QVERIFY(want.size() > 1000000);
    QVERIFY(f->edit->Text() == want);
    QVERIFY(!f->edit->Modified());
    QVERIFY(messages_.isEmpty());
    QVERIFY(!f->Commands().Busy());
  }

  void cancelKeepsTheOutputSoFarInOrder() {
    WriteLongFiles(4, 300000);
    auto f = NewForm();
    Answer(f.get(), "match", true);
    int dialogs = 0;
    bool secondGrepRan = true, busy = false;
    QString heading;
    jobShowAfterMsOverride = 0;
    jobWindowHook = [&](QDialog& w) {
      heading = w.findChild<QLabel*>("JobHeading")->text();
      busy = f->Commands().Busy();
      // No other command starts meanwhile: neither a second grep nor a key.
      f->dialogHook = [&dialogs](QDialog&) {
        ++dialogs;
        return int(QDialog::Rejected);
      };
      secondGrepRan = f->Commands().Trigger(cmd::Mgrep);
      QTest::keyClick(f->edit, Qt::Key_F, Qt::ControlModifier);
      PressCancel(w, CancelInput::Click);
    };
    QVERIFY(ClickMenuItem(f.get(), Grep(f.get())));
    jobWindowHook = nullptr;
    jobShowAfterMsOverride = -1;
    QCOMPARE(heading, QString("Grep実行中．．．"));
    QVERIFY(busy);
    QVERIFY(!secondGrepRan);
    QCOMPARE(dialogs, 0);
    QCOMPARE(messages_, QStringList{"Grepを中止しました。"});
    // The lines found so far, as the whole run begins, then the stop's line.
    const std::string text = f->edit->Text();
    const std::string stop = "\r\n" + navirt::Utf8ToCp932("[Grepを中止]");
    QVERIFY(text.size() > stop.size() && text.compare(text.size() - stop.size(), stop.size(), stop) == 0);
    const std::string kept = text.substr(0, text.size() - stop.size());
    const std::string full = Expected(f.get(), "match", true);
    QVERIFY(kept.size() < full.size());
    QVERIFY(full.compare(0, kept.size(), kept) == 0);
    QVERIFY(full.size() == kept.size() || full.compare(kept.size(), 2, "\r\n") == 0);
    QVERIFY(!f->edit->Modified());
    // The window is free again.
    QVERIFY(!f->Commands().Busy());
    QMenu* search = f->Menu(HostMenu::Search);
    emit search->aboutToShow();
    QVERIFY(!f->Commands().Action(cmd::Mgrep2)->isEnabled());
    QVERIFY(f->Commands().Action(cmd::Mgrep)->isEnabled());
    emit search->aboutToHide();
  }

  void dialogTokensAndFileGroup() {
    Write("a.txt", "a");
    Write("b.txt", "b");
    navirt::TGrepDialogModel model;
    model.Setup(folder_, {"a.txt", "b.txt"}, {"b.txt"});
    TForm9 d(nullptr, model);
    d.show();
    QVERIFY(d.RBselected->isChecked());
    QCOMPARE(d.ListFiles->count(), 1);
    d.RBall->setChecked(true);
    QCOMPARE(d.ListFiles->count(), 2);
    QVERIFY(d.CBusefuzzy->isChecked());
    d.CBRegExp->setEditText("ab");
    d.CBRegExp->lineEdit()->setCursorPosition(1);
    d.ApplyToken(navirt::RegexTokenButtons()[16]);  // "[０-９]" goes in whole
    QCOMPARE(d.CBRegExp->currentText(), QString("a[０-９]b"));
    QCOMPARE(d.CBRegExp->lineEdit()->cursorPosition(), 6);
    d.CBRegExp->lineEdit()->setSelection(0, 1);
    d.ApplyToken(navirt::RegexTokenButtons()[0]);  // "[-]" over the selected "a"
    QCOMPARE(d.CBRegExp->currentText(), QString("[-][０-９]b"));
    QCOMPARE(d.CBRegExp->lineEdit()->cursorPosition(), 1);
    d.ApplyToken(navirt::kTokenLineTail);
    QCOMPARE(d.CBRegExp->currentText(), QString("[-][０-９]b$"));
    QCOMPARE(d.CBRegExp->lineEdit()->cursorPosition(), 10);
    int h = d.PanelTokens->height();
    QCOMPARE(h, 0);
    PressButton(d.BtokenPanel);
    QCOMPARE(d.PanelTokens->height(), 220);
  }
};

QTEST_MAIN(GrepUiTest)
#include "GrepUiTest.moc"

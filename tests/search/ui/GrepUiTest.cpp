// "Grepの実行(&G)" and "Grepの中止(&Q)" in the main window, offscreen.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/ui/Unit1.h"
#include "edit/ui/RichEdit.h"
#include "platform/Cp932.h"
#include "search/RegexTokens.h"
#include "search/ui/GrepController.h"
#include "search/ui/GrepCommands.h"
#include "search/ui/GrepDialog.h"

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
  std::unique_ptr<TForm1> NewForm() {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbOK);
    };
    f->GoToFolder(folder_);
    QTest::qWait(10);
    return f;
  }
  // Answers the grep dialog with an expression.
  static void Answer(TForm1* f, const QString& expr, bool lineNumbers = true) {
    f->dialogHook = [expr, lineNumbers](QDialog& d) {
      auto* g = qobject_cast<TForm9*>(&d);
      if (!g) return int(QDialog::Rejected);
      g->CBRegExp->setEditText(expr);
      g->CBlinenumber->setChecked(lineNumbers);
      g->BOK->click();
      return d.result();
    };
  }
  static QString PaneUtf8(TForm1* f) { return QString::fromStdString(navirt::Cp932ToUtf8(f->RichEdit1->Text())); }

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
    f->ActionNamed("Mgrep")->trigger();
    QStringList lines = PaneUtf8(f.get()).split("\r\n");
    QCOMPARE(lines.value(0), QString("Grepの実行　検索正規表現 = abc|漢字"));
    QCOMPARE(lines.value(1), QString());
    QCOMPARE(lines.value(2), QString::fromStdString("// 検索ファイル [ " + a + " ]"));
    QCOMPARE(lines.value(3), QString::fromStdString(a + "(1) :xabc"));
    QCOMPARE(lines.value(4), QString::fromStdString(a + "(2) :abc"));
    QCOMPARE(lines.value(5), QString::fromStdString("// 検索ファイル [ " + b + " ]"));
    QCOMPARE(lines.value(6), QString::fromStdString(b + "(1) :漢字"));
    QCOMPARE(lines.size(), 7);
    QVERIFY(!f->RichEdit1->Modified());
    QVERIFY(messages_.isEmpty());
    // The history holds the expression.
    navirt::TIniFile ini = f->OpenSettings();
    QCOMPARE(QString::fromStdString(ini.ReadString("Grep", "Items_0", "")), QString("#abc|漢字#"));
  }

  void syntaxErrorLeavesThePane() {
    Write("a.txt", "abc");
    auto f = NewForm();
    f->RichEdit1->SetText("keep");
    Answer(f.get(), "(abc");
    f->ActionNamed("Mgrep")->trigger();
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(messages_[0], QString("右(閉じ)括弧が必要です"));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString("keep"));
    // Cancel, or an empty expression, does nothing.
    f->dialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    f->ActionNamed("Mgrep")->trigger();
    Answer(f.get(), "");
    f->ActionNamed("Mgrep")->trigger();
    QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString("keep"));
  }

  void stopDuringALongGrep() {
    std::string big;
    for (int i = 0; i < 200000; ++i) big += "line " + std::to_string(i) + " match\n";
    Write("a.txt", big);
    Write("b.txt", big);
    auto f = NewForm();
    Answer(f.get(), "match", false);
    bool stopEnabled = false;
    // Events reach the window while the grep runs: the stop command works.
    QTimer::singleShot(0, f.get(), [&] {
      stopEnabled = f->ActionNamed("Mgrep2")->isEnabled();
      f->ActionNamed("Mgrep2")->trigger();
    });
    f->ActionNamed("Mgrep")->trigger();
    QVERIFY(stopEnabled);
    QCOMPARE(messages_, QStringList{"Grepを中止しました。"});
    QStringList lines = PaneUtf8(f.get()).split("\r\n");
    QCOMPARE(lines.last(), QString("[Grepを中止]"));
    QVERIFY(lines.size() < 400004);
    QVERIFY(!f->ActionNamed("Mgrep2")->isEnabled());
    QVERIFY(f->ActionNamed("Mgrep")->isEnabled());
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
    d.BtokenPanel->click();
    QCOMPARE(d.PanelTokens->height(), 220);
  }
};

QTEST_MAIN(GrepUiTest)
#include "GrepUiTest.moc"

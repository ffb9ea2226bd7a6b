// Finding, replacing and deleting by a search on a plain host with the
// search commands alone, offscreen; commands start from their keys and
// menu items.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>

#include <filesystem>
#include <fstream>
#include <memory>

#include "edit/ui/RichEdit.h"
#include "host/ui/InputDialog.h"
#include "platform/Cp932.h"
#include "search/ui/RegexDialog.h"
#include "search/ui/ReplaceDialog.h"
#include "search/ui/SearchCommandIds.h"
#include "search/ui/SearchCommands.h"
#include "search/ui/SearchDialog.h"
#include "search/ui/TermListDialog.h"
#include "settings/Colors.h"
#include "tests/ClickMenu.h"
#include "tests/FakePaneHost.h"
#include "tests/PressButton.h"

namespace fs = std::filesystem;

class SearchUiTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;
  QStringList messages_;

  // A host showing doc.txt (the selected file) in its pane.
  std::unique_ptr<TFakePaneHost> FormShowing(const std::string& bytes) {
    std::ofstream(folder_ + "doc.txt", std::ios::binary) << bytes;
    auto f = std::make_unique<TFakePaneHost>();
    InstallSearchCommands(*f);
    f->resize(1000, 700);
    f->show();
    f->activateWindow();
    if (!QTest::qWaitForWindowActive(f.get())) return nullptr;
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbOK);
    };
    f->folder = folder_;
    f->listed = {folder_ + "doc.txt"};
    f->selection = f->listed;
    f->SetPaneText(bytes, navirt::clBlue);
    return f;
  }
  static std::string Pane(TFakePaneHost* f) { return f->edit->Text(); }
  static QString Sel(TFakePaneHost* f) { return QString::fromStdString(navirt::Cp932ToUtf8(f->edit->SelText())); }
  static void Key(TFakePaneHost* f, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    f->edit->setFocus();
    QTest::keyClick(f->edit, key, mods);
  }
  // Clicks the command's menu item.
  static void Click(TFakePaneHost* f, CommandName name) {
    QVERIFY2(ClickMenuItem(f, f->Commands().Action(name)), name.text);
  }
  // Answers the input dialog with a text.
  static void AnswerInput(TFakePaneHost* f, const QString& text) {
    f->dialogHook = [text](QDialog& d) {
      auto* input = qobject_cast<TForm33*>(&d);
      if (!input) return int(QDialog::Rejected);
      input->SetAnswerText(text);
      return int(QDialog::Accepted);
    };
  }
  // Answers the regular-expression dialog.
  static void AnswerRegex(TFakePaneHost* f, const QString& expr, const QString& with) {
    f->dialogHook = [expr, with](QDialog& d) {
      auto* r = qobject_cast<TForm25*>(&d);
      if (!r) return int(QDialog::Rejected);
      r->CBRegExp->setEditText(expr);
      r->ComboBox1->setEditText(with);
      PressButton(r->BOK);
      return d.result();
    };
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    fs::remove(tmp_.path().toStdString() + "/navirt.ini");
    folder_ = tmp_.path().toStdString() + "/files/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    messages_.clear();
  }

  void findDownAndUpThroughKeys() {
    // 表 is 0x95 0x5C: a search for "\" must pass over its second byte.
    auto f = FormShowing("xxab\r\n\x95\x5c\\ab end");
    QVERIFY(f);
    f->dialogHook = [](QDialog& d) {
      auto* s = qobject_cast<TForm32*>(&d);
      if (!s) return int(QDialog::Rejected);
      s->ComboBox1->setEditText("ab");
      PressButton(s->BFind);
      return d.result();
    };
    Key(f.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(f->edit->SelStart(), 2);
    QCOMPARE(Sel(f.get()), QString("ab"));
    Key(f.get(), Qt::Key_F3);
    QCOMPARE(f->edit->SelStart(), 9);
    QCOMPARE(f->edit->SelLength(), 2);
    Key(f.get(), Qt::Key_F3);
    QCOMPARE(messages_, QStringList{"ab 見つかりませんでした"});
    QCOMPARE(f->edit->SelStart(), 9);
    Key(f.get(), Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(f->edit->SelStart(), 2);
    Key(f.get(), Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(messages_.size(), 2);

    // The dialog shows the selection; the last search is kept in the settings.
    QString shown;
    f->dialogHook = [&shown](QDialog& d) {
      auto* s = qobject_cast<TForm32*>(&d);
      if (!s) return int(QDialog::Rejected);
      shown = s->ComboBox1->currentText();
      s->ComboBox1->setEditText("\\");
      PressButton(s->BFind);
      return d.result();
    };
    Key(f.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(shown, QString("ab"));
    QCOMPARE(f->edit->SelStart(), 8);
    QCOMPARE(Sel(f.get()), QString("\\"));
    navirt::TIniFile ini = f->OpenSettings();
    QCOMPARE(QString::fromStdString(ini.ReadString("FindDialogEx", "Items_0", "")), QString("#\\#"));
    QCOMPARE(QString::fromStdString(ini.ReadString("FindDialogEx", "Items_1", "")), QString("#ab#"));

    // A typed change reaches the next search (the pane's bytes are read again).
    f->dialogHook = [](QDialog& d) {
      auto* s = qobject_cast<TForm32*>(&d);
      if (!s) return int(QDialog::Rejected);
      s->ComboBox1->setEditText("ab");
      PressButton(s->BFind);
      return d.result();
    };
    Key(f.get(), Qt::Key_F, Qt::ControlModifier);  // down from the "\": the "ab" at 9
    QCOMPARE(f->edit->SelStart(), 9);
    f->edit->SetEditMode(true);
    f->edit->moveCursor(QTextCursor::Start);
    QTest::keyClicks(f->edit, "ab ");
    Key(f.get(), Qt::Key_F3);
    QCOMPARE(f->edit->SelStart(), 5);
    QCOMPARE(Sel(f.get()), QString("ab"));
  }

  void keysNeedASelectedFileAndAText() {
    auto f = FormShowing("abc");
    QVERIFY(f);
    // No search text yet: F3 opens the dialog; cancel changes nothing.
    int opened = 0;
    f->dialogHook = [&opened](QDialog& d) {
      if (qobject_cast<TForm32*>(&d)) ++opened;
      return int(QDialog::Rejected);
    };
    Key(f.get(), Qt::Key_F3);
    QCOMPARE(opened, 1);
    QCOMPARE(f->edit->SelLength(), 0);
    // With no file selected the search items are off.
    f->selection.clear();
    Click(f.get(), cmd::Mserch);
    Click(f.get(), cmd::MserchNext);
    QCOMPARE(opened, 1);
    Click(f.get(), cmd::Mserchnextup1);  // not one of the items that follow the list
    QCOMPARE(opened, 2);
    QCOMPARE(Pane(f.get()), std::string("abc"));
  }

  // The search menu's rule holds for the keys: with no file selected
  // Ctrl+F and F3 do nothing to the pane and are refused with a word.
  void searchRuleHoldsForKeys() {
    auto f = FormShowing("ab ab");
    QVERIFY(f);
    int opened = 0;
    f->dialogHook = [&opened](QDialog& d) {
      auto* s = qobject_cast<TForm32*>(&d);
      if (!s) return int(QDialog::Rejected);
      ++opened;
      s->ComboBox1->setEditText("ab");
      PressButton(s->BFind);
      return d.result();
    };
    Key(f.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(opened, 1);
    QCOMPARE(f->edit->SelStart(), 0);

    f->selection.clear();
    Key(f.get(), Qt::Key_F3);
    QCOMPARE(f->edit->SelStart(), 0);  // not moved on to the second "ab"
    Key(f.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(opened, 1);
    QCOMPARE(f->refused.size(), size_t(2));
    QCOMPARE(QString(f->refused[0].text), QString(cmd::MserchNext.text));
    QCOMPARE(QString(f->refused[1].text), QString(cmd::Mserch.text));
    QVERIFY(messages_.isEmpty());
    // Shift+F3 is not one of the items the rule names: it runs (nothing
    // lies above the first "ab").
    Key(f.get(), Qt::Key_F3, Qt::ShiftModifier);
    QCOMPARE(messages_, QStringList{"ab 見つかりませんでした"});

    // The menu applies the same rule as it opens.
    QMenuBar* bar = f->menuBar();
    QMenu* menu = f->Menu(HostMenu::Search);
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY(menu->isVisible());
    QVERIFY(!f->Commands().Action(cmd::Mserch)->isEnabled());
    QVERIFY(!f->Commands().Action(cmd::MreplaceGrep1)->isEnabled());
    QVERIFY(f->Commands().Action(cmd::Mreplaceall1)->isEnabled());
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY(!menu->isVisible());
    f->selection = f->listed;
    Key(f.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(opened, 2);
  }

  void replaceDialogAndReplaceAll() {
    auto f = FormShowing("aaa\r\nbab\r\nC:\\temp\\n");
    QVERIFY(f);
    Click(f.get(), cmd::Mreplace1);
    auto* r = f->findChild<TReplaceDialog1*>();
    QVERIFY(r && r->isVisible());
    QCOMPARE(f->InfoLineColor(), navirt::clRed);
    r->EditFind->setText("a");
    r->EditReplace->setText("xy");
    PressButton(r->BFindNext);
    QCOMPARE(f->edit->SelStart(), 0);
    QCOMPARE(f->edit->SelLength(), 1);
    PressButton(r->BReplace);
    QCOMPARE(Pane(f.get()), std::string("xyaa\r\nbab\r\nC:\\temp\\n"));
    QCOMPARE(f->edit->SelStart(), 2);  // the next "a", after the inserted text
    PressButton(r->BReplaceAll);
    QCOMPARE(Pane(f.get()), std::string("xyxyxy\r\nbxyb\r\nC:\\temp\\n"));
    QCOMPARE(messages_, QStringList{"3 個置換！"});
    QVERIFY(f->edit->Modified());
    // A replacement holding the find text ends too.
    r->EditFind->setText("xy");
    r->EditReplace->setText("xyxy");
    PressButton(r->BReplaceAll);
    QCOMPARE(Pane(f.get()), std::string("xyxyxyxyxyxy\r\nbxyxyb\r\nC:\\temp\\n"));
    QCOMPARE(messages_.last(), QString("4 個置換！"));
    r->EditFind->setText("none");
    PressButton(r->BFindNext);
    QCOMPARE(messages_.last(), QString("見つかりませんでした！"));
    r->close();
  }

  void regexReplaceKeepsThePaneOnASyntaxError() {
    const std::string text = "a1b22\r\nc\\n333";
    auto f = FormShowing(text);
    QVERIFY(f);
    const navirt::TColor before = f->InfoLineColor();
    AnswerRegex(f.get(), "(ab", "x");
    Click(f.get(), cmd::MreplaceGrep1);
    QCOMPARE(messages_, QStringList{"右(閉じ)括弧が必要です"});
    QCOMPARE(Pane(f.get()), text);
    QCOMPARE(f->InfoLineColor(), before);
    QVERIFY(!f->edit->Modified());

    messages_.clear();
    AnswerRegex(f.get(), "[0-9]+", "#");
    Click(f.get(), cmd::MreplaceGrep1);
    QCOMPARE(messages_, QStringList{"置換回数 = 3"});
    QCOMPARE(Pane(f.get()), std::string("a#b#\r\nc\\n#"));  // the "\n" of the text stays
    QCOMPARE(f->InfoLineColor(), navirt::clRed);
    navirt::TIniFile ini = f->OpenSettings();
    QCOMPARE(QString::fromStdString(ini.ReadString("GrepR", "Items_0", "")), QString("#[0-9]+#"));
    QCOMPARE(QString::fromStdString(ini.ReadString("GrepR", "Items2_0", "")), QString("###"));

    // "置換　一括": plain, case-sensitive; no message.
    messages_.clear();
    f->dialogHook = [](QDialog& d) {
      auto* r = qobject_cast<TForm25*>(&d);
      if (!r || r->PanelTokens->isVisibleTo(r) || r->CBusefuzzy->isVisibleTo(r)) return int(QDialog::Rejected);
      r->CBRegExp->setEditText("#");
      r->ComboBox1->setEditText("[n]");
      PressButton(r->BOK);
      return d.result();
    };
    Click(f.get(), cmd::Mreplaceall1);
    QCOMPARE(Pane(f.get()), std::string("a[n]b[n]\r\nc\\n[n]"));
    QVERIFY(messages_.isEmpty());
  }

  void tokenButtonsInsertIntoTheFocusedBox() {
    navirt::TRegexDialogModel model;
    TForm25 d(nullptr, model);
    d.show();
    QVERIFY(QTest::qWaitForWindowActive(&d));
    d.ComboBox1->setFocus();
    d.ComboBox1->setEditText("ab");
    d.ComboBox1->lineEdit()->setCursorPosition(1);
    auto buttons = d.PanelTokens->findChildren<QPushButton*>();
    QPushButton* digits = nullptr;
    for (QPushButton* b : buttons)
      if (b->text() == "[0-9]") digits = b;
    QVERIFY(digits);
    QCOMPARE(digits->toolTip(), QString("数字(1ﾊﾞｲﾄ)"));  // the short hint only
    PressButton(digits);
    QCOMPARE(d.ComboBox1->currentText(), QString("a[0-9]b"));
    QCOMPARE(d.ComboBox1->lineEdit()->cursorPosition(), 6);
    QCOMPARE(d.CBRegExp->currentText(), QString());
  }

  void deleteAndPickLinesBySearch() {
    auto f = FormShowing("ax\r\nb\r\nxx\r\n12\r\nq\\x");
    QVERIFY(f);
    AnswerInput(f.get(), "x");
    Click(f.get(), cmd::Mdeleteline1);
    QCOMPARE(Pane(f.get()), std::string("b\r\n12"));
    QCOMPARE(messages_, QStringList{"3　行削除しました！"});
    QCOMPARE(f->InfoLineColor(), navirt::clRed);
    // Cancel changes nothing.
    f->dialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    Click(f.get(), cmd::Mpickupline1);
    QCOMPARE(Pane(f.get()), std::string("b\r\n12"));
    // Extraction by an expression.
    f->dialogHook = [](QDialog& d) {
      auto* r = qobject_cast<TForm25*>(&d);
      if (!r || r->ComboBox1->isVisibleTo(r) || r->BOK->text() != "検索(&S)") return int(QDialog::Rejected);
      r->CBRegExp->setEditText("^[0-9]+$");
      PressButton(r->BOK);
      return d.result();
    };
    Click(f.get(), cmd::MpickuplineSEIKI1);
    QCOMPARE(Pane(f.get()), std::string("12"));
    QCOMPARE(messages_.size(), 1);
  }

  void termListDrivesLineDeletionAndKeepsItsFile() {
    auto f = FormShowing("xa\r\nyb\r\nz");
    QVERIFY(f);
    const QString listFile = QString::fromStdString(folder_ + "terms.txt");
    const QString missing = QString::fromStdString(folder_ + "missing.txt");
    QString caption;
    QStringList afterReload;
    int listAfterFailure = -1;
    f->dialogHook = [&](QDialog& d) {
      auto* t = qobject_cast<TForm31*>(&d);
      if (!t) return int(QDialog::Rejected);
      caption = t->windowTitle();
      QString answer = listFile;
      // The file dialogs of load and save are answered with a path.
      t->execDialog = [&answer](QDialog& fd) {
        auto* files = qobject_cast<QFileDialog*>(&fd);
        if (!files) return int(QDialog::Rejected);
        files->selectFile(answer);
        return int(QDialog::Accepted);
      };
      for (const char* term : {"a", "b", "c"}) {
        t->Edit1->setText(term);
        PressButton(t->BAdd);
      }
      t->ListBox1->setCurrentRow(2);
      PressButton(t->BRemove);
      PressButton(t->BSave);
      PressButton(t->BClearList);
      PressButton(t->BLoad);
      for (int i = 0; i < t->ListBox1->count(); ++i) afterReload << t->ListBox1->item(i)->text();
      answer = missing;
      PressButton(t->BLoad);
      listAfterFailure = t->ListBox1->count();
      PressButton(t->BExecute);
      return d.result();
    };
    Click(f.get(), cmd::Mrenzokudeleteline1);
    QCOMPARE(caption, QString("検索行削除 連続"));
    QCOMPARE(afterReload, (QStringList{"a", "b"}));
    QCOMPARE(listAfterFailure, 2);
    QCOMPARE(messages_.size(), 1);  // the load failure's system message
    QCOMPARE(Pane(f.get()), std::string("z"));
    std::ifstream in(listFile.toStdString(), std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    QCOMPARE(saved, std::string("a\r\nb\r\n"));
    navirt::TIniFile ini = f->OpenSettings();
    QCOMPARE(ini.ReadInteger("RenzokuDelete", "ListCount", 0), int64_t(2));
    QCOMPARE(QString::fromStdString(ini.ReadString("RenzokuDelete", "Items_1", "")), QString("#b#"));
  }
};

QTEST_MAIN(SearchUiTest)
#include "SearchUiTest.moc"

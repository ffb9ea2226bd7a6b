// What a new user met first: moving through the list in every view, menus
// opened with Alt, the pane's height over restarts, the caret in browse
// mode, state left stale by saves and resets, fonts, hints, closing with
// edits.
#include <QAction>
#include <QApplication>
#include <QColor>
#include <QDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <filesystem>
#include <fstream>

#include "app/ui/FontColorDialog.h"
#include "app/ui/Translations.h"
#include "app/ui/Unit1.h"
#include "browse/ui/BrowseCommands.h"
#include "browse/ui/FileListModel.h"
#include "edit/ui/EditCommands.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/InputDialog.h"
#include "preview/ui/CharsetDialog.h"
#include "settings/IniFile.h"
#include "tests/ClickMenu.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

class WindowRepairsTest : public QObject {
  Q_OBJECT
  QTemporaryDir tmp_;
  std::string ini_, folder_;
  QStringList messages_;
  int answer_ = mbOK;

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(folder_ + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::unique_ptr<TForm1> Open(const std::string& path) {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return answer_;
    };
    f->HandleCommandLine(path);
    return f;
  }
  static bool Shows(TForm1* f, const char* name) {
    return f->InfoLine().startsWith(name) && f->StatusPanel(3) == "1 個選択";
  }

 private slots:
  void init() {
    ini_ = tmp_.path().toStdString() + "/navirt.ini";
    fs::remove(ini_);
    qputenv("NAVIRT_INI", QByteArray::fromStdString(ini_));
    folder_ = tmp_.path().toStdString() + "/list/";
    fs::remove_all(folder_);
    fs::create_directories(folder_ + "sub");
    Write("a.txt", "first\r\n");
    Write("b.txt", "second\r\n");
    Write("c.txt", "third\r\n");
    Write("picture_sunset_very_long_name.txt", "x");
    messages_.clear();
    answer_ = mbOK;
  }

  void keysMoveAndPreviewInEveryViewStyle() {
    auto f = Open(folder_);
    for (int style = 1; style <= 4; ++style) {
      ApplyFileViewStyle(*f, style);
      QAbstractItemView* v = ActiveFileView(*f);
      v->setFocus();
      QTest::keyClick(v, Qt::Key_Home);
      // The first item is the folder: selected, nothing to preview.
      QVERIFY2(QString::fromStdString(f->SelectedPath).endsWith("sub") && f->StatusPanel(3) == "1 個選択",
               qPrintable(QString("style %1 Home: %2").arg(style).arg(f->StatusPanel(3))));
      // Icons flow in rows, the list and the details in columns.
      const Qt::Key step = style <= 2 ? Qt::Key_Right : Qt::Key_Down;
      QTest::keyClick(v, step);
      QTest::keyClick(v, step);
      QVERIFY2(Shows(f.get(), "b.txt"),
               qPrintable(QString("style %1: %2 / %3").arg(style).arg(f->InfoLine(), f->StatusPanel(3))));
      QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString("second"));
      QTest::keyClick(v, Qt::Key_End);
      QVERIFY(Shows(f.get(), "picture_sunset_very_long_name.txt"));
      // A click on an item previews it.
      QModelIndex a = f->FileModel->index(f->FileModel->RowOfName("a.txt", false), 0);
      QTest::mouseClick(v->viewport(), Qt::LeftButton, {}, v->visualRect(a).center());
      QVERIFY2(Shows(f.get(), "a.txt"), qPrintable(f->InfoLine()));
    }
  }

  void aMenuOpenedWithAltDoesNotStopPreviews() {
    auto f = Open(folder_ + "a.txt");
    QAbstractItemView* v = ActiveFileView(*f);
    v->setFocus();
    QTest::keyPress(v, Qt::Key_Alt, Qt::AltModifier);
    QVERIFY(f->AltHeld);
    // The menu takes the keyboard and with it the release of Alt.
    f->Mfile->popup(QPoint(10, 10));
    QTest::keyRelease(f->Mfile, Qt::Key_Alt);
    f->Mfile->hide();
    QVERIFY(!f->AltHeld);
    QTest::keyClick(v, Qt::Key_Down);
    QVERIFY2(Shows(f.get(), "b.txt"), qPrintable(f->InfoLine()));
  }

  void thePaneKeepsItsHeightOverRestarts() {
    int stored[3];
    for (int round = 0; round < 3; ++round) {
      auto f = Open(folder_);
      QTest::qWait(20);
      if (round == 0) f->Splitter3->setSizes({200, 400});
      f->close();
      navirt::TIniFile ini;
      ini.Load(ini_);
      stored[round] = ini.ReadInteger("PanelRB", "Height", -1);
    }
    QVERIFY(stored[0] > 0);
    qInfo() << stored[0] << stored[1] << stored[2];
    QCOMPARE(stored[1], stored[0]);
    QCOMPARE(stored[2], stored[0]);
  }

  void browseModeHasACaretAndCutChangesNothing() {
    auto f = Open(folder_ + "a.txt");
    TRichEdit* pane = f->RichEdit1;
    pane->SetText("one\r\ntwo\r\nthree");
    QVERIFY(pane->isReadOnly());
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Down);
    QCOMPARE(pane->CaretLine(), 2);
    QTest::keyClick(pane, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(pane->CaretLine(), 3);
    QTest::keyClick(pane, Qt::Key_Home, Qt::ShiftModifier);
    QVERIFY(pane->textCursor().hasSelection());
    const navirt::TColor before = f->InfoColor;
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mcut")));
    QCOMPARE(QString::fromStdString(pane->Text()), QString("one\r\ntwo\r\nthree"));
    QCOMPARE(f->InfoColor, before);
  }

  void savesResetsAndRefreshesLeaveNothingStale() {
    auto f = Open(folder_ + "a.txt");
    // Overwrite save: the folder's figures follow the new size.
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mkanihensyu")));
    f->RichEdit1->setFocus();
    QTest::keyClicks(f->RichEdit1, "longer text ");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Msave")));
    f->WaitForSummary();
    const auto bytes = [&] {
      uint64_t n = 0;
      for (auto& e : fs::recursive_directory_iterator(folder_))
        if (e.is_regular_file()) n += e.file_size();
      return n;
    }();
    QVERIFY2(f->StatusPanel(2).contains(QString::number(bytes)), qPrintable(f->StatusPanel(2)));

    // "テキストを再表示" shows the selected file again.
    f->SelectFileByName("b.txt");
    f->RichEdit1->Clear();
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mtextrepaint1")));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString("second"));

    // "ファイルを再表示" turns real-time mode on together with its indicators.
    f->ActionNamed("Mdisp")->setChecked(false);
    QCOMPARE(f->SBarRPanel(4), QString("Vﾓｰﾄﾞ"));
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mtextnewview")));
    QVERIFY(f->ActionNamed("Mdisp")->isChecked());
    QCOMPARE(f->SBarRPanel(4), QString("ﾘｱﾙﾓｰﾄﾞ"));

    // Settings reset: no mask, browse mode everywhere, the options of the reset.
    f->FileModel->SetMask(navirt::ParseMask("bmp"));
    f->RefreshViews();
    f->ActionNamed("Mgazodisp1")->setChecked(false);
    f->show();
    if (!f->RichEdit1->EditMode()) QVERIFY(ClickToolButton(f.get(), btn::EditMode));
    QVERIFY(ToolButtonOf(f.get(), btn::EditMode)->isChecked());
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Minifileclear1")));
    QVERIFY(f->FileModel->Mask().all);
    QVERIFY(f->FileModel->rowCount() >= 4);
    QVERIFY(!ToolButtonOf(f.get(), btn::EditMode)->isChecked());
    QVERIFY(f->RichEdit1->isReadOnly());
    QCOMPARE(f->SBarRPanel(2), QString("閲覧"));
    QVERIFY(f->ActionNamed("Mgazodisp1")->isChecked());
    QCOMPARE(f->StatusPanel(0), QString::fromStdString(f->CurrentFolder));
  }

  void aFolderChangeInTheTreeLeavesNoSelectionCount() {
    auto f = Open(folder_ + "a.txt");
    QCOMPARE(f->StatusPanel(3), QString("1 個選択"));
    f->GoToFolder(folder_ + "sub");
    QCOMPARE(f->StatusPanel(3), QString("0 個選択"));
    QTRY_COMPARE(f->FolderModel->filePath(f->FolderView1->currentIndex()) + "/",
                 QString::fromStdString(folder_ + "sub/"));
  }

  void saveAsRemembersItsNameAndFolder() {
    auto f = Open(folder_ + "a.txt");
    // Saved through the function the dialog's answer reaches.
    f->RichEdit1->SetText("saved");
    QVERIFY(SavePaneAs(f.get(), folder_ + "sub/new.txt"));
    f->close();
    navirt::TIniFile ini;
    ini.Load(ini_);
    QCOMPARE(QString::fromStdString(ini.ReadString("File", "Save", "")),
             QString::fromStdString(folder_ + "sub/new.txt"));
    QCOMPARE(QString::fromStdString(ini.ReadString("File", "Dir", "")), QString::fromStdString(folder_ + "sub/"));
  }

  void fontsCarryTheirColourAndTheCharacterSetStays() {
    auto f = Open(folder_ + "a.txt");
    f->dialogHook = [](QDialog& d) {
      auto* dlg = qobject_cast<TFontColorDialog*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      dlg->SetSelectedColor(QColor(200, 0, 0));
      return int(QDialog::Accepted);
    };
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mfonttext")));
    QCOMPARE(f->RichEdit1->palette().color(QPalette::Text), QColor(200, 0, 0));
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mfontfile")));
    QCOMPARE(f->FileView1->palette().color(QPalette::Text), QColor(200, 0, 0));
    QCOMPARE(f->FileIconView1->palette().color(QPalette::Text), QColor(200, 0, 0));
    // The colour survives the next preview.
    f->SelectFileByName("b.txt");
    QCOMPARE(f->RichEdit1->palette().color(QPalette::Text), QColor(200, 0, 0));
    // A character set chosen for the pane survives the next preview.
    f->RichEdit1->setProperty("navirtCharset", 129);
    QFont chosen = f->RichEdit1->font();
    TForm8::ApplyCharset(chosen, 129);
    f->RichEdit1->setFont(chosen);
    f->SelectFileByName("c.txt");
    QCOMPARE(f->RichEdit1->font().families(), chosen.families());
  }

  void hintsSplitIntoAShortTipAndALongStatusText() {
    auto f = Open(folder_);
    QToolButton* edit = ToolButtonOf(f.get(), btn::EditMode);
    QCOMPARE(edit->toolTip(), QString("簡易編集"));
    QCOMPARE(edit->statusTip(), QString("簡易編集ﾓｰﾄﾞのｵﾝｵﾌです。"));
    for (QAction* a : f->findChildren<QAction*>()) QVERIFY2(!a->toolTip().contains('|'), qPrintable(a->toolTip()));
  }

  void theWindowReadsWellAtItsSmallestAndInDetails() {
    auto f = Open(folder_);
    QCOMPARE(f->minimumSize(), QSize(640, 420));
    QCOMPARE(f->ToolBar1->actions().last()->objectName(), QString(btn::Exit.key));
    ApplyFileViewStyle(*f, 4);
    QTest::qWait(10);
    QHeaderView* h = f->FileView1->header();
    const QFontMetrics fm(f->FileView1->font());
    QVERIFY2(h->sectionSize(0) >= fm.horizontalAdvance("picture_sunset_very_long_name.txt"),
             qPrintable(QString::number(h->sectionSize(0))));
    QVERIFY2(h->sectionSize(3) < 300, qPrintable(QString::number(h->sectionSize(3))));
    QCOMPARE(
        f->FileModel->data(f->FileModel->index(f->FileModel->RowOfName("a.txt", false), 0), Qt::ToolTipRole).toString(),
        QString("a.txt"));
    QCOMPARE(f->FileIconView1->textElideMode(), Qt::ElideMiddle);
  }

  void theBelowLineDumpPutsEachDigitUnderItsByte() {
    auto f = Open(folder_ + "a.txt");
    // A proportional font chosen for the pane would shift the digits.
    f->Settings.fontR.name = "Noto Sans CJK JP";
    f->SelectFileByName("b.txt");
    f->RichEdit1->SetText(
        "\x82\xa0"
        "A");  // あA
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mdump1b1")));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(3)), QString("8A4"));
    QFontMetricsF m(f->RichEdit1->font());
    QCOMPARE(m.horizontalAdvance(QString::fromUtf8("あ")), 2 * m.horizontalAdvance("8"));
    QCOMPARE(m.horizontalAdvance("A"), m.horizontalAdvance("4"));
  }

  void standardDialogsSpeakJapanese() {
    QVERIFY(InstallJapaneseTranslations(*qApp));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("キャンセル"));
  }

  void closingWithTypedEditsAsksFirst() {
    auto f = Open(folder_ + "a.txt");
    QVERIFY(ClickMenuItem(f.get(), f->ActionNamed("Mkanihensyu")));
    f->RichEdit1->setFocus();
    QTest::keyClicks(f->RichEdit1, "new ");
    answer_ = mbCancel;
    f->close();
    QCOMPARE(messages_, QStringList{"変更を保存しますか？"});
    QVERIFY(f->isVisible());
    answer_ = mbYes;
    f->close();
    QVERIFY(!f->isVisible());
    QCOMPARE(QString::fromStdString(Read("a.txt")), QString("new first\r\n"));

    // Program output (blue) never asks.
    messages_.clear();
    auto g = Open(folder_ + "b.txt");
    g->SetPaneText("listing", navirt::clBlue);
    g->close();
    QVERIFY(messages_.isEmpty());
    QVERIFY(!g->isVisible());
  }
};

QTEST_MAIN(WindowRepairsTest)
#include "WindowRepairsTest.moc"

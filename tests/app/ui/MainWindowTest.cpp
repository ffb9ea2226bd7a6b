// The main window driven as a user would, offscreen.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <filesystem>
#include <fstream>

#include "app/StartupPath.h"
#include "app/ui/AppIcon.h"
#include "app/ui/Unit1.h"
#include "browse/ui/FileListModel.h"
#include "edit/ui/RichEdit.h"
#include "host/ui/InputDialog.h"
#include "settings/IniFile.h"
#include "tests/ClickMenu.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

class MainWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string iniPath_;
  std::string folder_;

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
  }
  std::unique_ptr<TForm1> NewForm() {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    QTest::qWait(10);
    return f;
  }

 private slots:
  void init() {
    iniPath_ = tmp_.path().toStdString() + "/navirt.ini";
    fs::remove(iniPath_);
    qputenv("NAVIRT_INI", QByteArray::fromStdString(iniPath_));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(tmp_.path().toStdString() + "/xdg"));
    folder_ = tmp_.path().toStdString() + "/files dir/";
    fs::remove_all(folder_);
    fs::create_directories(folder_ + "sub");
    Write("a_sjis.txt", "program x;\r\n\x82\xa0\x82\xa2\x82\xa4\r\n");
    Write("b_ascii.txt", "hello\r\n");
    Write("c_euc.txt", "\xa4\xa2\xa4\xf3\n");
    Write("d_empty.txt", "");
    Write("sub/inner.txt", "12345");
  }

  // The window's icon is the one installed for the desktop's menu.
  void iconIsTheInstalledOne() {
    QImage small = NavirtIconPixmap(48).toImage();
    QImage shipped = QPixmap(QStringLiteral(NAVIRT_SOURCE_DIR "/dist/icons/navirt-48.png")).toImage();
    QVERIFY(!shipped.isNull());
    QCOMPARE(small, shipped);
    QCOMPARE(NavirtIconPixmap(256).size(), QSize(256, 256));
    QCOMPARE(NavirtIconPixmap(16).size(), QSize(16, 16));
  }

  void commandLineWithBlanksOpensFolderAndPreviewsFile() {
    auto f = NewForm();
    std::string arg = navirt::JoinArguments({tmp_.path().toStdString() + "/files", "dir/A_SJIS.TXT"});
    f->HandleCommandLine(arg);
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_));
    QCOMPARE(QString::fromStdString(f->SelectedPath), QString::fromStdString(folder_ + "a_sjis.txt"));
    QString info = f->InfoLine();
    QVERIFY2(info.startsWith("a_sjis.txt   "), qPrintable(info));
    QVERIFY2(info.contains("             20 byte"), qPrintable(info));
    QVERIFY2(info.endsWith("    [Delphi program]  ｼﾌﾄJIS"), qPrintable(info));
    QCOMPARE(f->RichEdit1->LineCount(), 2);
    QCOMPARE(QString::fromStdString(f->RichEdit1->Line(1)), QString::fromStdString("\x82\xa0\x82\xa2\x82\xa4"));
    QCOMPARE(f->RichEdit1->toPlainText().split('\n').value(1), QString("あいう"));
    f->WaitForSummary();
    QCOMPARE(f->StatusPanel(1).trimmed(), QString("5 個"));
    QCOMPARE(f->StatusPanel(2).trimmed(), QString("37 byte"));
    QCOMPARE(f->StatusPanel(0), QString::fromStdString(folder_));
    if (!qEnvironmentVariableIsEmpty("NAVIRT_SCREENSHOT")) {
      QTest::qWait(1500);  // the folder tree fills in the background
      f->grab().save(qEnvironmentVariable("NAVIRT_SCREENSHOT"));
    }
  }

  void movingTheSelectionPreviewsUnlessShiftIsHeld() {
    auto f = NewForm();
    f->HandleCommandLine(folder_ + "a_sjis.txt");
    QTreeView* list = f->FileView1;
    int rowB = f->FileModel->RowOfName("b_ascii.txt", false);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    QCOMPARE(list->currentIndex().row(), rowB);
    QVERIFY(f->InfoLine().endsWith("  ASCII"));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString("hello"));

    // Shift alone held: the selection grows, nothing is previewed.
    QTest::keyPress(list, Qt::Key_Shift, Qt::ShiftModifier);
    QVERIFY(f->ShiftHeld);
    QTest::keyClick(list, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString("hello"));
    QCOMPARE(f->StatusPanel(3), QString("2 個選択"));
    QTest::keyRelease(list, Qt::Key_Shift);
    QVERIFY(!f->ShiftHeld);
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY2(f->InfoLine().startsWith("d_empty.txt"), qPrintable(f->InfoLine()));
    QVERIFY(f->InfoLine().contains("              0 byte"));
    QCOMPARE(f->RichEdit1->LineCount(), 0);
    QVERIFY(f->InfoLine().endsWith("      "));  // empty type and code labels
  }

  void readLimitShowsOnlyTheInformationLine() {
    navirt::TIniFile ini;
    ini.WriteInteger("ReadMax", "Byte", 5);
    QVERIFY(ini.SaveAs(iniPath_));
    auto f = NewForm();
    f->HandleCommandLine(folder_ + "b_ascii.txt");  // 7 bytes > 5
    QVERIFY(f->InfoLine().startsWith("b_ascii.txt"));
    QCOMPARE(f->RichEdit1->LineCount(), 0);
    QVERIFY2(!f->InfoLine().contains("ASCII"), qPrintable(f->InfoLine()));
    // The setting is read at every preview: lifting it applies at once.
    ini.WriteInteger("ReadMax", "Byte", 0);
    QVERIFY(ini.SaveAs(iniPath_));
    f->SelectFileByName("c_euc.txt");
    QVERIFY(f->InfoLine().endsWith("  EUC"));
  }

  void missingPathsSelectNothingAndAFolderShowsItsFirstFile() {
    auto f = NewForm();
    f->HandleCommandLine(folder_ + "no such file.txt");
    QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_));
    QVERIFY(f->SelectedPath.empty());
    QCOMPARE(f->RichEdit1->LineCount(), 0);
    std::string before = f->CurrentFolder;
    f->HandleCommandLine("/no/such/folder/x.txt");
    QCOMPARE(f->CurrentFolder, before);
    f->HandleCommandLine(folder_);
    QCOMPARE(QString::fromStdString(f->SelectedPath), QString::fromStdString(folder_ + "a_sjis.txt"));
    QVERIFY(f->InfoLine().endsWith("ｼﾌﾄJIS"));
  }

  // A file deleted before the list noticed: no information line, and the
  // previous file's text does not stay under its name.
  void vanishedFileEmptiesThePane() {
    auto f = NewForm();
    f->HandleCommandLine(folder_ + "b_ascii.txt");
    fs::remove(folder_ + "c_euc.txt");
    f->SelectFileByName("c_euc.txt");
    QCOMPARE(f->InfoLine(), QString());
    QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString());
  }

  void settingsSurviveARestartAndBadValuesFallBack() {
    navirt::TIniFile ini;
    ini.WriteInteger("Form", "Left", -5);
    ini.WriteInteger("Form", "Height", 100000);
    ini.WriteInteger("FileView", "Hottrack", 0);
    ini.WriteInteger("Menu", "Mmousepoint", 1);
    ini.WriteInteger("Menu", "Mdisp", 0);
    ini.WriteString("Mine", "Keep", "yes");
    ini.WriteString("FolderView", "Directory", folder_ + "sub/");
    QVERIFY(ini.SaveAs(iniPath_));
    {
      auto f = NewForm();
      QCOMPARE(f->geometry().left() >= 0, true);
      QVERIFY(!f->Mmousepoint->isChecked());
      QVERIFY(!f->Mdisp->isChecked());
      QVERIFY(!f->RealTimeMode);
      QCOMPARE(f->SBarRPanel(4), QString("Vﾓｰﾄﾞ"));
      QCOMPARE(QString::fromStdString(f->CurrentFolder), QString::fromStdString(folder_ + "sub/"));
      QCOMPARE(f->Settings.height, 480);
      QVERIFY(ClickMenuItem(f.get(), f->Mdisp));  // back on
      f->Mcloseinitview1->setChecked(false);
      f->close();
    }
    navirt::TIniFile after(iniPath_);
    QCOMPARE(after.ReadString("Mine", "Keep", ""), std::string("yes"));
    QCOMPARE(after.ReadString("Menu", "Mdisp", ""), std::string("1"));
    QCOMPARE(after.ReadString("FolderView", "Directory", ""), folder_ + "sub/");
    QCOMPARE(after.ReadString("System", "Program", ""), std::string("NAVIRT"));
  }

  void resetDeletesTheFileAndCloseWritesACompleteOne() {
    navirt::TIniFile ini;
    ini.WriteString("Mine", "Keep", "yes");
    QVERIFY(ini.SaveAs(iniPath_));
    auto f = NewForm();
    QVERIFY(ClickMenuItem(f.get(), f->Minifileclear1));
    QVERIFY(!fs::exists(iniPath_));
    QVERIFY(f->RichEdit1->isVisible());
    QVERIFY(f->RichEdit1->isReadOnly());  // still the view mode of the edit button
    f->close();
    navirt::TIniFile after(iniPath_);
    for (const char* sec : {"System", "File", "Form", "PanelL", "PanelRB", "FontR", "FontF", "FolderView", "FileView",
                            "RichEdit", "Menu"})
      QVERIFY2(after.SectionExists(sec), sec);
    QVERIFY(!after.SectionExists("Mine"));
    QCOMPARE(after.ReadString("Menu", "Mgazokakudai", ""), std::string("0"));
    QCOMPARE(after.ReadString("RichEdit", "richtabwidth", ""), std::string("8"));
  }

  void unwritableSettingsPlaceFallsBackAndKeepsTheOldFile() {
    // A settings path under a file cannot be written, even by root.
    std::string blocker = tmp_.path().toStdString() + "/blocker";
    std::ofstream(blocker) << "old";
    qputenv("NAVIRT_INI", QByteArray::fromStdString(blocker + "/navirt.ini"));
    {
      auto f = NewForm();
      f->close();
    }
    std::ifstream in(blocker);
    std::string content((std::istreambuf_iterator<char>(in)), {});
    QCOMPARE(QString::fromStdString(content), QString("old"));
    QVERIFY(fs::exists(tmp_.path().toStdString() + "/xdg/navirt/navirt.ini"));
  }

  void inputDialogKeepsHistoryAndTabWidthApplies() {
    auto f = NewForm();
    f->dialogHook = [](QDialog& d) {
      auto* dlg = qobject_cast<TForm33*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      dlg->SetAnswerText("4");
      return int(QDialog::Accepted);
    };
    QVERIFY(ClickMenuItem(f.get(), f->Mtabset1));
    QCOMPARE(f->TabWidth, 4);
    QCOMPARE(f->DialogAnswer, QString("4"));
    f->dialogHook = [](QDialog& d) {
      qobject_cast<TForm33*>(&d)->SetAnswerText("  spaced  ");
      return int(QDialog::Accepted);
    };
    QVERIFY(f->InputQuery("c", "p", "", "FolderSet", ""));
    navirt::TIniFile ini(iniPath_);
    QCOMPARE(ini.ReadString("FolderSet", "Items_0", ""), std::string("#  spaced  #"));
    QCOMPARE(ini.ReadInteger("FolderSet", "DriveCount", 0), 1);
    f->dialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    f->DialogAnswer.clear();
    QVERIFY(!f->InputQuery("c", "p", "", "FolderSet", "x"));
    QCOMPARE(f->DialogAnswer, QString());
  }

  void paneSizesComeFromTheSettingsOrTheDefaults() {
    {
      auto f = NewForm();
      // Room for a folder name in the window's font, never more than a third.
      const int tree = f->Splitter2->sizes().value(0);
      QVERIFY2(tree > 137 && tree <= f->width() / 3, qPrintable(QString::number(tree)));
      int rb = f->Splitter3->sizes().value(1);
      QVERIFY2(qAbs(rb - f->PanelR->height() * 2 / 3) <= 8, qPrintable(QString::number(rb)));
    }
    navirt::TIniFile ini;
    ini.WriteInteger("PanelL", "Width", 210);
    ini.WriteInteger("PanelRB", "Height", 150);
    QVERIFY(ini.SaveAs(iniPath_));
    auto f = NewForm();
    QCOMPARE(f->Splitter2->sizes().value(0), 210);
    QCOMPARE(f->Splitter3->sizes().value(1), 150);
  }

  void hidingThePaneFlipsCaptions() {
    auto f = NewForm();
    QVERIFY(ClickMenuItem(f.get(), f->MeditView1));
    QVERIFY(!f->RichEdit1->isVisible());
    QCOMPARE(f->MeditView1->text(), QString("テキスト表示を表示する(&I)"));
    // The button's hint: the short text as its tip, the long one in the status bar.
    QToolButton* hide = ToolButtonOf(f.get(), btn::HidePane);
    QVERIFY(hide);
    QCOMPARE(hide->toolTip(), QString("表示する"));
    QCOMPARE(hide->statusTip(), QString("テキスト表示部分を表示します。"));
    QVERIFY(ClickToolButton(f.get(), btn::HidePane));
    QVERIFY(f->RichEdit1->isVisible());
    QCOMPARE(f->MeditView1->text(), QString("テキスト表示を隠す(&I)"));
    QCOMPARE(hide->toolTip(), QString("隠す"));
    QCOMPARE(hide->statusTip(), QString("テキスト表示部分を隠します。"));
  }

  void onDemandDisplayInVMode() {
    auto f = NewForm();
    QVERIFY(ClickMenuItem(f.get(), f->Mdisp));  // V mode
    QVERIFY(!f->RealTimeMode);
    f->HandleCommandLine(folder_ + "b_ascii.txt");
    QCOMPARE(f->RichEdit1->LineCount(), 0);  // no real-time preview
    QVERIFY(ClickToolButton(f.get(), btn::Show));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString("hello"));
    QCOMPARE(f->InfoColor, navirt::clBlue);
  }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"

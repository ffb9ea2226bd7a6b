// The main window as a new user meets it, through keys and clicks: the
// keyboard in the list from the start and after hiding the pane, the font
// dialog's Escape, files deleted by other programs, the details view's
// column widths over resizes and restarts.
#include <QAction>
#include <QApplication>
#include <QFontComboBox>
#include <QFontDialog>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/ui/FontColorDialog.h"
#include "app/ui/Unit1.h"
#include "browse/ui/BrowseCommands.h"
#include "browse/ui/FileListModel.h"
#include "browse/ui/FileViews.h"
#include "edit/ui/RichEdit.h"
#include "settings/IniFile.h"
#include "tests/ClickMenu.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

class WindowPolishTest : public QObject {
  Q_OBJECT
  QTemporaryDir tmp_;
  std::string ini_, folder_;

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
  }
  std::unique_ptr<TForm1> Open(const std::string& path) {
    auto f = std::make_unique<TForm1>();
    f->show();
    QApplication::setActiveWindow(f.get());
    (void)QTest::qWaitForWindowActive(f.get());
    f->HandleCommandLine(path);
    return f;
  }

 private slots:
  void init() {
    ini_ = tmp_.path().toStdString() + "/navirt.ini";
    fs::remove(ini_);
    qputenv("NAVIRT_INI", QByteArray::fromStdString(ini_));
    folder_ = tmp_.path().toStdString() + "/list/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    Write("a.txt", "first\r\n");
    Write("b.txt", "second\r\n");
    Write("c.txt", "third\r\n");
  }

  // A start in a folder: its first file shown, the keyboard in the list.
  void theListHasTheKeyboardFromTheStart() {
    for (int style : {3, 4}) {
      {
        navirt::TIniFile ini;
        ini.Load(ini_);
        ini.WriteInteger("FileView", "Icon", style);
        QVERIFY(ini.SaveAs(ini_));
      }
      auto f = Open(folder_);
      QAbstractItemView* list = ActiveFileView(*f);
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
      QVERIFY2(f->InfoLine().startsWith("a.txt"), qPrintable(f->InfoLine()));
      QVERIFY(!f->StatusPanel(0).isEmpty());
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
      QVERIFY2(f->InfoLine().startsWith("b.txt"), qPrintable(f->InfoLine()));
      f->close();
    }
  }

  // "隠す" and back: the keyboard stays on the file view the style shows.
  void hidingThePaneKeepsTheKeyboardOnTheList() {
    for (int style : {1, 2, 3, 4}) {
      auto f = Open(folder_);
      ApplyFileViewStyle(*f, style);
      QAbstractItemView* list = ActiveFileView(*f);
      list->setFocus();
      QWidget* hide = ToolButtonOf(f.get(), btn::HidePane);
      QVERIFY(hide && hide->isVisible());
      QTest::mouseClick(hide, Qt::LeftButton);
      QVERIFY(!f->RichEdit1->isVisible());
      QVERIFY2(QApplication::focusWidget() == list,
               qPrintable(QString("style %1: %2")
                              .arg(style)
                              .arg(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "none")));
      QTest::mouseClick(hide, Qt::LeftButton);
      QVERIFY(f->RichEdit1->isVisible());
      QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(list));
      QTest::keyClick(list, style <= 2 ? Qt::Key_Right : Qt::Key_Down);
      QVERIFY2(f->InfoLine().startsWith("b.txt"), qPrintable(f->InfoLine()));
      f->close();
    }
  }

  // Escape in the embedded font chooser closes the whole dialog, and the
  // font stays as it was.
  void escapeClosesTheFontDialogWithNoChange() {
    auto f = Open(folder_);
    const QFont before = f->RichEdit1->font();
    bool visibleAfterEscape = true;
    int result = -1;
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = qobject_cast<TFontColorDialog*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      d.show();
      (void)QTest::qWaitForWindowExposed(&d);
      // Another size chosen, then Escape in the chooser's own field.
      dlg->SetSelectedFont(QFont(before.family(), before.pointSize() + 7));
      QWidget* field = dlg->FontDialog->focusWidget() ? dlg->FontDialog->focusWidget() : dlg->FontDialog;
      QTest::keyClick(field, Qt::Key_Escape);
      visibleAfterEscape = d.isVisible();
      result = d.result();
      return result;
    };
    QVERIFY(ClickMenuItem(f.get(), f->Commands().Action(cmd::Mfonttext)));
    QVERIFY(!visibleAfterEscape);
    QCOMPARE(result, int(QDialog::Rejected));
    QCOMPARE(f->RichEdit1->font().pointSize(), before.pointSize());
  }

  // A file deleted by another program leaves the list; the pane that
  // showed it is emptied, so nothing can be saved under its name.
  void aFileDeletedOutsideLeavesTheListAndThePane() {
    auto f = Open(folder_);
    QAbstractItemView* list = ActiveFileView(*f);
    QTest::keyClick(list, Qt::Key_Down);
    QVERIFY(f->InfoLine().startsWith("b.txt"));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString("second"));
    fs::remove(folder_ + "b.txt");
    Write("d.txt", "fourth\r\n");
    QTRY_VERIFY_WITH_TIMEOUT(f->FileModel->RowOfName("b.txt", false) < 0, 5000);
    QVERIFY(f->FileModel->RowOfName("d.txt", false) >= 0);
    QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString());
    QVERIFY(f->InfoLine().isEmpty());
    QVERIFY(f->SelectedPath.empty());
    // The list still answers the keys.
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Home);
    QVERIFY(f->InfoLine().startsWith("a.txt"));
    // A deletion elsewhere in the folder keeps the selection and the pane.
    fs::remove(folder_ + "c.txt");
    QTRY_VERIFY_WITH_TIMEOUT(f->FileModel->RowOfName("c.txt", false) < 0, 5000);
    QVERIFY(f->InfoLine().startsWith("a.txt"));
    QCOMPARE(QString::fromStdString(f->RichEdit1->Text()), QString("first"));
    QCOMPARE(f->StatusPanel(3), QString("1 個選択"));
  }

  // Every button of the main toolbar says what it does in the hint panel.
  void everyMainButtonHasAHint() {
    auto f = Open(folder_);
    for (QAction* a : f->ToolBar1->actions()) {
      if (a->isSeparator() || !a->isVisible()) continue;
      QWidget* b = f->ToolBar1->widgetForAction(a);
      QVERIFY2(b && !b->statusTip().isEmpty(), qPrintable(a->objectName() + " " + a->text()));
    }
    QWidget* up = ToolButtonOf(f.get(), btn::Up);
    QVERIFY(up);
    QTest::mouseMove(up);
    QTRY_COMPARE(f->StatusPanel(4), QString("一つ上のフォルダーへ移動します。"));
  }

  // The whole-menu pop-up: one accelerator per item, the key list usable,
  // and it ends with closing the program and the pop-up; the list's own
  // pop-up names the file's properties.
  void popUpMenusReadAsTheyShould() {
    auto f = Open(folder_);
    auto accelerators = [](QMenu* m) {
      QStringList seen, clashes;
      for (QAction* a : m->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        int at = a->text().indexOf('&');
        if (at < 0 || at + 1 >= a->text().size()) continue;
        QString key = a->text().mid(at + 1, 1).toUpper();
        if (seen.contains(key)) clashes << a->text();
        seen << key;
      }
      return clashes;
    };
    QVERIFY2(accelerators(f->PopupMenu1).isEmpty(), qPrintable(accelerators(f->PopupMenu1).join(", ")));
    QList<QAction*> items = f->PopupMenu1->actions();
    QCOMPARE(items.value(items.size() - 2)->text(), QString("Navirtの終了(&Q)"));
    QCOMPARE(items.last()->text(), QString("メニューを閉じる(&Z)"));
    QMenu* keys = f->PopupMenu1->findChild<QMenu*>("Mshortcutkey");
    QVERIFY(keys);
    QAbstractItemView* list = ActiveFileView(*f);
    QTest::keyClick(list, Qt::Key_Z);  // Z opens the whole menu
    QTRY_VERIFY(f->PopupMenu1->isVisible());
    f->PopupMenu1->setActiveAction(keys->menuAction());
    QTest::keyClick(f->PopupMenu1, Qt::Key_Right);
    QTRY_VERIFY(keys->isVisible());
    QAction* shiftDel = nullptr;
    for (QAction* a : keys->actions())
      if (a->text() == "SHIFT+DEL ファイルの削除") shiftDel = a;
    QVERIFY(shiftDel);
    QVERIFY(shiftDel->isEnabled());
    keys->close();
    f->PopupMenu1->close();
    QMenu* fileMenu = f->findChild<QMenu*>("FileContextMenu");
    QVERIFY(fileMenu);
    QStringList captions;
    for (QAction* a : fileMenu->actions()) captions << a->text();
    QVERIFY2(captions.contains("ファイルのプロパティ(&F)"), qPrintable(captions.join(", ")));
  }

  // A folder that cannot be read says so instead of "0 個 0 byte".
  void anUnreadableFolderSaysSo() {
    if (::geteuid() == 0) QSKIP("root reads every folder");
    fs::create_directories(folder_ + "closed");
    fs::permissions(folder_ + "closed", fs::perms::none);
    auto f = Open(folder_ + "closed/");
    fs::permissions(folder_ + "closed", fs::perms::owner_all);
    QVERIFY2(f->InfoLine().contains("読み込めません"), qPrintable(f->InfoLine()));
    QCOMPARE(f->StatusPanel(1), QString("読み込めません"));
  }

  // Stored column widths are applied and survive resizes and a restart;
  // "自動幅" fits once and holds over the next resize too.
  void detailsColumnsKeepTheirWidths() {
    {
      navirt::TIniFile ini;
      ini.WriteInteger("FileView", "Icon", 4);
      ini.WriteInteger("FileView", "Colum1", 150);
      ini.WriteInteger("FileView", "Colum2", 90);
      ini.WriteInteger("FileView", "Colum3", 130);
      QVERIFY(ini.SaveAs(ini_));
    }
    auto f = Open(folder_);
    auto widths = [&f] {
      QHeaderView* header = f->FileView1->header();
      return QList<int>{header->sectionSize(1), header->sectionSize(2), header->sectionSize(3)};
    };
    QHeaderView* header = f->FileView1->header();
    QCOMPARE(widths(), QList<int>({150, 90, 130}));
    f->resize(f->width() + 120, f->height());
    QTest::qWait(20);
    QCOMPARE(widths(), QList<int>({150, 90, 130}));
    // The name column takes what the others leave.
    QVERIFY(header->sectionSize(0) >= f->FileView1->viewport()->width() - 370 - 2);
    f->close();
    f.reset();
    {
      navirt::TIniFile ini;
      ini.Load(ini_);
      QCOMPARE(ini.ReadInteger("FileView", "Colum1", 0), 150);
      QCOMPARE(ini.ReadInteger("FileView", "Colum2", 0), 90);
      QCOMPARE(ini.ReadInteger("FileView", "Colum3", 0), 130);
    }
    // "自動幅" from the View menu, opened with the keys.
    f = Open(folder_);
    header = f->FileView1->header();
    QCOMPARE(widths(), QList<int>({150, 90, 130}));
    QMenu* widthMenu = f->Mview->findChild<QMenu*>("Mcolumnwidth");
    QVERIFY(widthMenu);
    QTest::keyClick(f.get(), Qt::Key_D, Qt::AltModifier);
    QTRY_VERIFY(f->Mview->isVisible());
    f->Mview->setActiveAction(widthMenu->menuAction());
    QTest::keyClick(f->Mview, Qt::Key_Right);
    QTRY_VERIFY(widthMenu->isVisible());
    QTest::keyClick(widthMenu, Qt::Key_X);
    const QList<int> fitted = widths();
    QVERIFY(fitted != QList<int>({150, 90, 130}));
    f->FileView1->resizeColumnToContents(2);
    QCOMPARE(header->sectionSize(2), fitted[1]);  // fitted to the content
    f->resize(f->width() - 100, f->height());
    QTest::qWait(20);
    QCOMPARE(widths(), fitted);
  }
};

QTEST_MAIN(WindowPolishTest)
#include "WindowPolishTest.moc"

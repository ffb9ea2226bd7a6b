// The save dialogs as a user meets them: opened from the shown window by a
// click or the menu keys, on a screen of ordinary size; every column of every
// file shows whole, and the dialog answers Return and Escape.
#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <functional>

#include "app/ui/Unit1.h"
#include "search/DeleteBySearch.h"
#include "search/ui/TermListDialog.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

namespace {

// Names of the length people give their documents.
const char* const kNames[] = {
    "令和六年度第三四半期売上集計表（確定版）.txt",
    "取引先別請求書一覧_2026年12月分.txt",
    "memo.txt",
};

// What the dialog showed, read inside its own event loop.
struct Seen {
  bool opened = false;
  int rows = 0;
  QStringList cut;  // cells whose text does not fit where it is shown
  QRect frame, screen;
};

// Waits for the modal file dialog, reads it, then answers it with ANSWER
// (keys pressed on the dialog).
void WhenDialogOpens(Seen& seen, int files, std::function<void(QFileDialog*)> answer) {
  QTimer::singleShot(0, [&seen, files, answer] {
    QFileDialog* dlg = nullptr;
    for (int i = 0; i < 500 && !dlg; ++i) {
      dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      if (!dlg) QTest::qWait(10);
    }
    if (!dlg) return;
    seen.opened = true;
    QVERIFY(QTest::qWaitForWindowExposed(dlg));
    auto* tree = dlg->findChild<QTreeView*>("treeView");
    // The folder is read on a thread: wait for its files.
    for (int i = 0; i < 500 && tree && tree->model()->rowCount(tree->rootIndex()) < files; ++i) QTest::qWait(10);
    QTest::qWait(50);
    seen.frame = dlg->frameGeometry();
    seen.screen = dlg->screen()->availableGeometry();
    if (tree && tree->isVisible()) {
      QAbstractItemModel* m = tree->model();
      const QFontMetrics fm = tree->fontMetrics();
      const int icon = tree->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, tree);
      seen.rows = m->rowCount(tree->rootIndex());
      for (int r = 0; r < seen.rows; ++r) {
        for (int c = 0; c < 4; ++c) {
          QModelIndex idx = m->index(r, c, tree->rootIndex());
          const QString text = idx.data(Qt::DisplayRole).toString();
          const QRect shown = tree->visualRect(idx) & tree->viewport()->rect();
          // The text, the cell's margins and, first, the icon.
          const int need = fm.horizontalAdvance(text) + 8 + (c == 0 ? icon + 4 : 0);
          if (tree->isColumnHidden(c) || shown.width() < need)
            seen.cut << QString("%1 (%2 of %3 px)").arg(text).arg(shown.width()).arg(need);
        }
      }
    } else {
      seen.cut << "the detail view is not shown";
    }
    answer(dlg);
  });
}

}  // namespace

class SaveDialogTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;

  std::unique_ptr<TForm1> Open(const std::string& name) {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    f->messageHook = [](const QString&, const QString&, TMsgKind, int) { return int(mbYes); };
    f->HandleCommandLine(folder_ + name);
    if (!QTest::qWaitForWindowExposed(f.get())) return nullptr;
    return f;
  }
  static QString Report(const Seen& seen) {
    return QString("rows %1, dialog %2x%3 at %4,%5 on %6x%7; cut: %8")
        .arg(seen.rows)
        .arg(seen.frame.width())
        .arg(seen.frame.height())
        .arg(seen.frame.x())
        .arg(seen.frame.y())
        .arg(seen.screen.width())
        .arg(seen.screen.height())
        .arg(seen.cut.join(" | "));
  }
  static void CheckWhole(const Seen& seen, int files) {
    QVERIFY(seen.opened);
    QVERIFY2(seen.rows >= files, qPrintable(Report(seen)));
    QVERIFY2(seen.cut.isEmpty(), qPrintable(Report(seen)));
    QVERIFY2(seen.screen.contains(seen.frame), qPrintable(Report(seen)));
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    folder_ = tmp_.path().toStdString() + "/書類/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    for (const char* n : kNames) std::ofstream(folder_ + n, std::ios::binary) << "本文\r\n";
  }

  // The pane's "save as" from its toolbar button: a new name typed and
  // Return writes the pane there.
  void paneSaveAsShowsWholeNamesAndSavesByKeys() {
    auto f = Open("memo.txt");
    QVERIFY(f);
    Seen seen;
    WhenDialogOpens(seen, 3, [](QFileDialog* dlg) {
      auto* name = dlg->findChild<QLineEdit*>("fileNameEdit");
      if (!name) return;
      name->selectAll();
      QTest::keyClicks(name, "copy.txt");
      QTest::keyClick(name, Qt::Key_Return);
    });
    QVERIFY(ClickToolButton(f.get(), btn::SaveAs));
    CheckWhole(seen, 3);
    QTRY_VERIFY(fs::exists(folder_ + "copy.txt"));
  }

  // The file-name list from the information menu by its keys; Escape
  // leaves no file.
  void nameListDialogShowsWholeNamesAndEscapeSavesNothing() {
    auto f = Open("memo.txt");
    QVERIFY(f);
    Seen seen;
    WhenDialogOpens(seen, 3, [](QFileDialog* dlg) { QTest::keyClick(dlg, Qt::Key_Escape); });
    f->activateWindow();
    QTest::keyClick(f.get(), Qt::Key_I, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_O);
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_O);
    QTRY_VERIFY(seen.opened);
    CheckWhole(seen, 3);
    QVERIFY(!fs::exists(folder_ + "書類.txt"));
    QCOMPARE(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 3);
  }

  // The term list dialog's 保存 opens the same wide dialog.
  void termListSaveDialogShowsWholeNames() {
    navirt::TTermListDialogModel model(true);
    model.saveFolder = folder_;
    model.list = {"語句"};
    TForm31 dlg(nullptr, model);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QPushButton* save = nullptr;
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
      if (b->text().remove('&').startsWith("保存")) save = b;
    QVERIFY(save);
    Seen seen;
    WhenDialogOpens(seen, 3, [](QFileDialog* d) { QTest::keyClick(d, Qt::Key_Escape); });
    QTest::mouseClick(save, Qt::LeftButton);
    CheckWhole(seen, 3);
  }
};

// A screen of an ordinary desk size (the offscreen default is 800x800).
int main(int argc, char** argv) {
  QTemporaryDir config;
  const QString json = config.path() + "/screen.json";
  QFile out(json);
  if (!out.open(QIODevice::WriteOnly)) return 1;
  out.write(R"({"screens":[{"name":"desk","x":0,"y":0,"width":1366,"height":768,"logicalDpi":96}]})");
  out.close();
  qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + json.toUtf8());
  QApplication app(argc, argv);
  SaveDialogTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "SaveDialogTest.moc"

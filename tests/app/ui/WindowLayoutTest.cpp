// How the main window shares its room, read from the shown widgets: the
// folder tree at a deep folder, the list and the pane in a smaller window.
#include <QFileSystemModel>
#include <QListView>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QWindow>

#include <filesystem>
#include <fstream>

#include "app/ui/Unit1.h"
#include "browse/ui/FileListModel.h"
#include "browse/ui/FileViews.h"

namespace fs = std::filesystem;

class WindowLayoutTest : public QObject {
  Q_OBJECT
  QTemporaryDir tmp_;
  std::string ini_;

  std::unique_ptr<TForm1> Open(const std::string& path, QSize size) {
    auto f = std::make_unique<TForm1>();
    f->resize(size);
    f->show();
    f->messageHook = [](const QString&, const QString&, TMsgKind, int) { return mbOK; };
    f->HandleCommandLine(path);
    return f;
  }
  // Drags the handle between the list and the pane by dy pixels, pressing
  // and moving through the window as a mouse does.
  static void DragPaneHandle(TForm1* f, int dy) {
    QSplitterHandle* handle = f->Splitter3->handle(1);
    QWindow* w = f->windowHandle();
    const QPoint from = handle->mapTo(f, handle->rect().center());
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, from);
    for (int step = 1; step <= 4; ++step) QTest::mouseMove(w, from + QPoint(0, dy * step / 4));
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, from + QPoint(0, dy));
  }

 private slots:
  void init() {
    ini_ = tmp_.path().toStdString() + "/navirt.ini";
    fs::remove(ini_);
    qputenv("NAVIRT_INI", QByteArray::fromStdString(ini_));
  }

  // A first start at a deep folder: its node is in view with its name,
  // not only its icon at the tree's right edge.
  void theTreeShowsADeepFolderByName() {
    const std::string deep = tmp_.path().toStdString() + "/deep/level_one_folder/level_two_folder/level_three_folder/";
    fs::create_directories(deep);
    std::ofstream(deep + "a.txt") << "a";
    auto f = Open(deep, QSize(900, 600));
    QTreeView* tree = f->FolderView1;
    const QString want = QString::fromStdString(deep).chopped(1);
    QTRY_COMPARE_WITH_TIMEOUT(f->FolderModel->filePath(tree->currentIndex()), want, 10000);
    // Wider than a column that shows a few letters, narrower than a third.
    const int column = f->Splitter2->sizes().value(0);
    QVERIFY2(column > 137 && column <= f->width() / 3, qPrintable(QString::number(column)));
    auto named = [&] {
      const QModelIndex cur = tree->currentIndex();
      const QRect r = tree->visualRect(cur);
      const int name = tree->sizeHintForIndex(cur).width();
      return r.top() >= 0 && r.bottom() <= tree->viewport()->height() && r.left() >= 0 &&
             r.left() + name <= tree->viewport()->width();
    };
    QTRY_VERIFY_WITH_TIMEOUT(named(), 5000);
    QVERIFY(tree->horizontalScrollBar()->value() > 0);
  }

  // The pane dragged tall, the window made small: the list keeps rows of
  // its own; the window grown back, the pane has the height it was given.
  void aSmallerWindowSharesItsHeight() {
    const std::string folder = tmp_.path().toStdString() + "/list/";
    fs::create_directories(folder);
    for (int i = 0; i < 40; ++i) std::ofstream(folder + "file" + std::to_string(i) + ".txt") << i;
    auto f = Open(folder, QSize(900, 800));
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    const int before = f->Splitter3->sizes().value(1);
    DragPaneHandle(f.get(), -120);
    const QList<int> dragged = f->Splitter3->sizes();
    QVERIFY2(dragged.value(1) > before + 100, qPrintable(QString("%1 -> %2").arg(before).arg(dragged.value(1))));

    f->resize(900, 480);
    QTest::qWait(20);
    const QList<int> small = f->Splitter3->sizes();
    const int total = small.value(0) + small.value(1);
    // The list keeps the height it had, or a third of the room if less.
    const int floor = std::min(dragged.value(0), total / 3);
    QVERIFY2(small.value(0) >= floor - 2,
             qPrintable(QString("list %1, pane %2, at least %3").arg(small.value(0)).arg(small.value(1)).arg(floor)));
    QVERIFY(small.value(1) < dragged.value(1));

    f->resize(900, 800);
    QTest::qWait(20);
    QCOMPARE(f->Splitter3->sizes().value(1), dragged.value(1));
  }

  // Large icons: a name shows whole on two lines, or up to "…" at its
  // end; a line ends after a space, "_", "-" or "." when it has one, never
  // inside a word, and none is wider than the icon's cell.
  void largeIconNamesBreakBetweenWords() {
    const std::string folder = tmp_.path().toStdString() + "/icons/";
    fs::create_directories(folder);
    const QStringList names = {"a long name with spaces in it.txt",
                               "picture_sunset_evening_beach.jpg",
                               "議事録_二〇二六年十二月_定例会議.txt",
                               "short.txt",
                               "report-2026.txt",
                               "picture_sunset.jpg",
                               "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz.txt"};
    for (const QString& n : names) std::ofstream(folder + n.toStdString()) << "x";
    auto f = Open(folder, QSize(900, 600));
    QVERIFY(QTest::qWaitForWindowExposed(f.get()));
    f->FileView1->setFocus();
    QTest::keyClick(f->windowHandle(), Qt::Key_1, Qt::KeypadModifier);
    QListView* v = f->FileIconView1;
    QTRY_VERIFY(v->isVisible() && v->viewMode() == QListView::IconMode);
    const QFontMetrics fm(v->font());
    for (const QString& name : names) {
      const int row = f->FileModel->RowOfName(name.toStdString(), false);
      QVERIFY2(row >= 0, qPrintable(name));
      const QModelIndex idx = f->FileModel->index(row, 0);
      const QStringList lines = ShownIconCaption(v, idx);
      const QString why = name + " -> " + lines.join(" | ");
      QVERIFY2(!lines.isEmpty() && lines.size() <= 2, qPrintable(why));
      for (const QString& line : lines)
        QVERIFY2(fm.horizontalAdvance(line) <= v->visualRect(idx).width(), qPrintable(why));
      QString shown = lines.join("");
      if (shown.endsWith(QChar(0x2026)))
        shown.chop(1);
      else
        QCOMPARE(shown, name);
      QVERIFY2(name.startsWith(shown), qPrintable(why));
      for (int i = 0; i + 1 < lines.size(); ++i) {
        QVERIFY2(!lines[i].contains(QChar(0x2026)), qPrintable(why));
        const QChar last = lines[i].back();
        const bool separator = QString(" _-.").contains(last);
        const bool cjk = last.unicode() >= 0x3000;
        const bool hasSeparator = lines[i].contains(QRegularExpression("[ _.-]"));
        QVERIFY2(separator || cjk || !hasSeparator, qPrintable(why));
      }
    }
    // A short name is whole, and so is one that fits on two lines.
    auto caption = [&](const char* name) {
      return ShownIconCaption(v, f->FileModel->index(f->FileModel->RowOfName(name, false), 0));
    };
    QCOMPARE(caption("short.txt"), QStringList{"short.txt"});
    QCOMPARE(caption("picture_sunset.jpg"), QStringList({"picture_", "sunset.jpg"}));
  }
};

QTEST_MAIN(WindowLayoutTest)
#include "WindowLayoutTest.moc"

// The toolbars of the shown window as the user meets them: both bars in the
// order and groups of their lists, every button with a picture of its own in
// colour, and a refused button that says why.
#include <QAction>
#include <QApplication>
#include <QColor>
#include <QImage>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include "app/MainSettings.h"
#include "app/ui/Unit1.h"
#include "host/ui/AllCommands.h"
#include "host/ui/CommandTable.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

class ToolBarsAndMenusTest : public QObject {
  Q_OBJECT
  QTemporaryDir tmp_;
  std::string folder_;

  std::unique_ptr<TForm1> Open() {
    auto f = std::make_unique<TForm1>();
    f->resize(1200, 700);
    f->show();
    QApplication::setActiveWindow(f.get());
    (void)QTest::qWaitForWindowActive(f.get());
    f->HandleCommandLine(folder_);
    return f;
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    folder_ = tmp_.path().toStdString() + "/list/";
    fs::create_directories(folder_);
    std::ofstream(folder_ + "a.txt") << "a\r\n";
  }

  void bothToolbarsFollowTheirLists() {
    auto f = Open();
    for (auto [bar, list] :
         {std::pair{f->ToolBar1, &navirt::ToolBar1Buttons()}, std::pair{f->ToolBar2, &navirt::ToolBar2Buttons()}}) {
      QStringList want, shown;
      for (const navirt::ToolBarEntry& e : *list) {
        want << e.button.key;
        if (e.groupEnd) want << "|";
      }
      if (want.last() == "|") want.removeLast();
      for (QAction* a : bar->actions()) {
        shown << (a->isSeparator() ? QString("|") : a->objectName());
        if (a->isSeparator()) continue;
        auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a));
        QVERIFY2(b && b->isVisible() && !b->text().isEmpty(), qPrintable(a->objectName()));
      }
      QCOMPARE(shown.join(" "), want.join(" "));
    }
  }

  // Each button has a picture no other button has, in colour while enabled.
  void everyButtonHasItsOwnColourPicture() {
    auto f = Open();
    std::map<QByteArray, QString> seen;
    QStringList pale;
    for (QToolBar* bar : {f->ToolBar1, f->ToolBar2}) {
      for (QAction* a : bar->actions()) {
        if (a->isSeparator()) continue;
        auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a));
        QVERIFY(b);
        QVERIFY2(!b->icon().isNull(), qPrintable(a->objectName()));
        const QImage image = b->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
        QVERIFY2(!image.isNull(), qPrintable(a->objectName()));
        const QByteArray bytes(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        auto [it, fresh] = seen.emplace(bytes, a->objectName());
        QVERIFY2(fresh, qPrintable(a->objectName() + " looks like " + it->second));
        // Colour, not the grey of a disabled button: some opaque pixels well
        // saturated.
        int coloured = 0;
        for (int y = 0; y < image.height(); ++y)
          for (int x = 0; x < image.width(); ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            if (c.alpha() > 200 && c.hsvSaturation() > 90 && c.value() > 60) ++coloured;
          }
        if (coloured < 12) pale << QString("%1: %2 coloured pixels").arg(a->objectName()).arg(coloured);
      }
    }
    QVERIFY2(pale.isEmpty(), qPrintable(pale.join("; ")));
    QCOMPARE(int(seen.size()), 43);
  }

  // A button whose command cannot run now beeps and says why, like a key.
  void aRefusedButtonSaysWhy() {
    auto f = Open();
    f->FileView1->clearSelection();
    f->FileIconView1->clearSelection();
    int dialogs = 0;
    f->dialogHook = [&](QDialog&) {
      ++dialogs;
      return 0;
    };
    f->SetStatusPanel(4, "");
    QVERIFY(ClickToolButton(f.get(), btn::FileCopy));
    QCOMPARE(dialogs, 0);
    QCOMPARE(f->StatusPanel(4), QString("「ファイル　コピー(C)」は今は使えません。"));
  }
};

QTEST_MAIN(ToolBarsAndMenusTest)
#include "ToolBarsAndMenusTest.moc"

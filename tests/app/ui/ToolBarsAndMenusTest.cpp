// The toolbars and menus of the shown window as the user meets them: both
// bars in the order and groups of their lists, every button with a picture
// of its own in colour, a refused button that says why, no menu with two
// items on one accelerator, and the listings under "情報(&I)".
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
#include "app/ui/AllCommands.h"
#include "app/ui/Unit1.h"
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
  // The letter after a single "&", upper-cased; 0 when there is none.
  static QChar Accelerator(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
      if (text[i] != '&') continue;
      if (text[i + 1] == '&') {
        ++i;
        continue;
      }
      return text[i + 1].toUpper();
    }
    return QChar();
  }
  // Every menu reachable from m, m included.
  static void Menus(QMenu* m, std::set<QMenu*>& out) {
    if (!m || !out.insert(m).second) return;
    for (QAction* a : m->actions()) Menus(a->menu(), out);
  }
  static QStringList Captions(QMenu* m) {
    QStringList out;
    for (QAction* a : m->actions())
      if (!a->isSeparator() && a->isVisible()) out << a->text();
    return out;
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

  void noMenuHasTwoItemsOnOneAccelerator() {
    auto f = Open();
    std::set<QMenu*> menus;
    for (QAction* top : f->menuBar()->actions()) Menus(top->menu(), menus);
    for (QMenu* m : {f->PopupMenu1, f->PopupMenu2, f->PopupMenu3, f->FileListPopup}) Menus(m, menus);
    QVERIFY(menus.size() > 20);
    QStringList clashes;
    for (QMenu* m : menus) {
      emit m->aboutToShow();  // menus that fill or name items when they open
      std::map<QChar, QString> used;
      for (QAction* a : m->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        const QChar key = Accelerator(a->text());
        if (key.isNull()) continue;
        auto [it, fresh] = used.emplace(key, a->text());
        if (!fresh) clashes << QString("%1: %2 / %3").arg(m->title(), it->second, a->text());
      }
      emit m->aboutToHide();
    }
    QVERIFY2(clashes.isEmpty(), qPrintable(clashes.join("\n")));
  }

  // The file menu holds the file commands; the listings and the name lists
  // stand under "情報(&I)".
  void listingsAndNameListsStandUnderInfo() {
    auto f = Open();
    const QStringList file = Captions(f->Mfile), info = Captions(f->Minfo);
    for (const char* caption : {"dirコマンド(&I)", "ファイル名の保存(&O)", "フォルダー名の保存(&D)", "パス名(&P)"}) {
      QVERIFY2(!file.contains(caption), caption);
    }
    QCOMPARE(info.mid(0, 5), (QStringList{"ファイル名表示(&G)", "dirコマンド(&I)", "ファイル名の保存(&O)",
                                          "フォルダー名の保存(&D)", "パス名(&P)"}));
    for (CommandName n :
         {cmd::Mdircommand1, cmd::Mdircommand2, cmd::Mfilenamesave1, cmd::Mfoldersave, cmd::Mfilenamecopy1}) {
      std::set<QMenu*> under;
      Menus(f->Minfo, under);
      bool found = false;
      for (QMenu* m : under) found = found || m->actions().contains(f->Commands().Action(n));
      QVERIFY2(found, n.text);
    }
  }
};

QTEST_MAIN(ToolBarsAndMenusTest)
#include "ToolBarsAndMenusTest.moc"

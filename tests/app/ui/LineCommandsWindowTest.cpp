// The line commands in the whole window: each stands under the menu path
// of its table row, in the table's order, with the pane's pop-up and the
// text toolbar carrying their copies.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <filesystem>
#include <fstream>

#include "app/ui/Unit1.h"
#include "edit/LineCommandTable.h"
#include "edit/ui/EditCommandIds.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

namespace {

QMenu* SubMenu(QMenu* menu, const QString& title) {
  for (QAction* a : menu->actions())
    if (a->menu() && a->text() == title) return a->menu();
  return nullptr;
}

QAction* Item(QMenu* menu, const QString& caption) {
  if (!menu) return nullptr;
  for (QAction* a : menu->actions())
    if (!a->menu() && a->text() == caption) return a;
  return nullptr;
}

}  // namespace

class LineCommandsWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;

  std::unique_ptr<TForm1> Open(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ + name, std::ios::binary) << bytes;
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    f->HandleCommandLine(folder_ + name);
    return f;
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    folder_ = tmp_.path().toStdString() + "/work/";
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }

  // Every command of the table stands under the menu path it belongs to,
  // and the pop-up and the toolbar carry their copies.
  void everyCommandIsInItsMenus() {
    auto f = Open("a.txt", "a\r\n");
    auto top = [&](const char* title) {
      for (QAction* a : f->MainMenu1->actions())
        if (a->menu() && a->text().startsWith(QString::fromUtf8(title))) return a->menu();
      return static_cast<QMenu*>(nullptr);
    };
    for (const navirt::TLineCommandInfo& c : navirt::LineCommandTable()) {
      QStringList paths = QString::fromUtf8(c.menu).split(" and ");
      for (const QString& path : paths) {
        QStringList parts = path.split(" / ");
        QMenu* m = top(parts[0].toUtf8().constData());
        if (parts.size() > 1) m = m ? SubMenu(m, parts[1]) : nullptr;
        QVERIFY2(Item(m, QString::fromUtf8(c.caption)), qPrintable(path + " : " + QString::fromUtf8(c.caption)));
      }
    }
    QMenu* conv = SubMenu(top("変換"), "html->テキスト(&L)");
    QMenu* del = SubMenu(top("削除"), "htmlタグ削除");
    for (const char* c : {"html->テキスト(&L)", "html->テキスト抽出(＋TAB，行頭空白，空行削除)",
                          "html->テキスト抽出(＋TAB，空行削除)", "html->テキスト抽出(＋空行削除)", "TeX->テキスト"})
      QVERIFY2(Item(conv, QString::fromUtf8(c)), c);
    for (const char* c : {"標準削除", "html->テキスト抽出(＋空行削除)", "TeXタグ削除"})
      QVERIFY2(Item(del, QString::fromUtf8(c)), c);
    QVERIFY(Item(top("削除"), "選択範囲削除(&D)"));
    QVERIFY(Item(top("編集"), "↑先頭行へ移動(&T)"));
    // The extract item of both menus is one command.
    QCOMPARE(Item(top("削除"), "桁抽出"), f->Commands().Action(cmd::Mcolumnextract));
    // The pane's pop-up carries the three menus themselves.
    for (const char* title : {"編集", "削除", "変換"})
      QVERIFY2(f->PopupMenu1->actions().contains(top(title)->menuAction()), title);
    QMenu* popupSort = SubMenu(f->PopupMenu1, "行の並び替え");
    QCOMPARE(Item(popupSort, "降順"), f->Commands().Action(cmd::Msortdesc));
    QToolButton* button = ToolButtonOf(f.get(), btn::HtmlToText);
    QVERIFY(button);
    QCOMPARE(button->toolTip(), QString("htmlタグ削除"));
    // Its place: before the code-conversion and edit-mode buttons.
    const QList<QAction*> bar = f->ToolBar2->actions();
    QVERIFY(bar.indexOf(f->ActionNamed(btn::HtmlToText.key)) < bar.indexOf(f->ActionNamed(btn::Code.key)));
    QVERIFY(bar.indexOf(f->ActionNamed(btn::Code.key)) < bar.indexOf(f->ActionNamed(btn::EditMode.key)));
  }

  // The line commands stand in each menu in the order of the command
  // table ("menu / submenu / caption" in table order), the selection
  // deletion after the line commands of 削除, the caret moves last in 編集.
  void menuOrderFollowsTheTable() {
    auto f = Open("a.txt", "a\r\n");
    auto top = [&](const QString& title) {
      for (QAction* a : f->MainMenu1->actions())
        if (a->menu() && a->text().startsWith(title)) return a->menu();
      return static_cast<QMenu*>(nullptr);
    };
    for (const char* title : {"編集", "削除", "変換"}) {
      const QString menu = QString::fromUtf8(title);
      QStringList expected;
      for (const navirt::TLineCommandInfo& c : navirt::LineCommandTable())
        for (const QString& path : QString::fromUtf8(c.menu).split(" and "))
          if (path.split(" / ").first() == menu) expected << path + " / " + QString::fromUtf8(c.caption);
      if (menu == "削除") expected << "削除 / 選択範囲削除(&D)";
      if (menu == "編集")
        expected << "編集 / ↑先頭行へ移動(&T)"
                 << "編集 / ↓最終行へ移動(&B)";
      QStringList shown;
      QMenu* m = top(menu);
      QVERIFY(m);
      for (QAction* a : m->actions()) {
        if (a->isSeparator()) continue;
        if (!a->menu()) {
          shown << menu + " / " + a->text();
          continue;
        }
        for (QAction* sub : a->menu()->actions()) shown << menu + " / " + a->text() + " / " + sub->text();
      }
      QStringList lineItems;
      for (const QString& s : shown)
        if (expected.contains(s)) lineItems << s;
      QCOMPARE(lineItems, expected);
    }
  }
};

QTEST_MAIN(LineCommandsWindowTest)
#include "LineCommandsWindowTest.moc"

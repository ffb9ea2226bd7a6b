// The search commands in the whole window: the rule of the search menu
// holds for its keys, its copy in the whole-menu pop-up, the edit menu's
// jump item standing in it, and the toolbar's buttons, and a refusal is
// said in the status bar.
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/ui/Unit1.h"
#include "edit/ui/EditCommandIds.h"
#include "edit/ui/RichEdit.h"
#include "search/ui/SearchCommandIds.h"
#include "search/ui/SearchDialog.h"
#include "tests/PressButton.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;

class SearchWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_;
  QStringList messages_;

  // A window showing doc.txt (selected in the file list) in its pane.
  std::unique_ptr<TForm1> FormShowing(const std::string& bytes) {
    std::ofstream(folder_ + "doc.txt", std::ios::binary) << bytes;
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    f->activateWindow();
    if (!QTest::qWaitForWindowActive(f.get())) return nullptr;
    f->messageHook = [this](const QString& text, const QString&, TMsgKind, int) {
      messages_ << text;
      return int(mbOK);
    };
    f->GoToFolder(folder_);
    QTest::qWait(10);
    if (!f->SelectFileByName("doc.txt")) return nullptr;
    f->PreviewSelectedFile();
    return f;
  }
  static void Key(TForm1* f, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    f->RichEdit1->setFocus();
    QTest::keyClick(f->RichEdit1, key, mods);
  }
  // Opens the search menu from the menu bar; its rule runs as it opens.
  static void OpenSearchMenu(TForm1* f) {
    QMenuBar* bar = f->menuBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(f->Msearch->menuAction()).center());
    QTRY_VERIFY(f->Msearch->isVisible());
  }
  static void CloseMenu(TForm1* f) {
    QTest::keyClick(f->Msearch, Qt::Key_Escape);
    QTRY_VERIFY(!f->Msearch->isVisible());
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

  void searchRuleHoldsForKeysCopiesAndButtons() {
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
    QCOMPARE(f->RichEdit1->SelStart(), 0);

    const std::string selected = f->SelectedPath;
    f->SelectedPath.clear();
    Key(f.get(), Qt::Key_F3);
    QCOMPARE(f->RichEdit1->SelStart(), 0);  // not moved on to the second "ab"
    QCOMPARE(f->StatusPanel(4), QString("「下へ検索(N)」は今は使えません。"));
    Key(f.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(opened, 1);
    QCOMPARE(f->StatusPanel(4), QString("「テキストの検索(F)..」は今は使えません。"));
    QVERIFY(messages_.isEmpty());

    // The menu and its copy in the whole-menu pop-up: one menu, and the
    // jump item stands in it under the same rule.
    QVERIFY(f->PopupMenu1->actions().contains(f->Msearch->menuAction()));
    QAction* jump = f->FindAction(cmd::Mjump);
    QVERIFY(jump && f->Msearch->actions().contains(jump));
    OpenSearchMenu(f.get());
    QVERIFY(!jump->isEnabled());
    QVERIFY(!f->FindAction(cmd::Mserch)->isEnabled());
    QVERIFY(!f->FindAction(cmd::MreplaceGrep1)->isEnabled());
    QVERIFY(f->FindAction(cmd::Mreplaceall1)->isEnabled());
    CloseMenu(f.get());
    QVERIFY(jump->isEnabled());

    // The toolbar's buttons run the same commands under the same rule.
    QToolButton* find = ToolButtonOf(f.get(), btn::Find);
    QToolButton* replace = ToolButtonOf(f.get(), btn::Replace);
    QVERIFY(find && replace);
    QCOMPARE(f->Commands().Button(cmd::Mserch), find);
    QCOMPARE(f->Commands().Button(cmd::Mreplace1), replace);
    QVERIFY(ClickToolButton(f.get(), btn::Find));
    QCOMPARE(opened, 1);
    QCOMPARE(f->StatusPanel(4), QString("「テキストの検索(F)..」は今は使えません。"));
    f->SelectedPath = selected;
    QVERIFY(ClickToolButton(f.get(), btn::Find));
    QCOMPARE(opened, 2);
    OpenSearchMenu(f.get());
    QVERIFY(jump->isEnabled());
    QVERIFY(f->FindAction(cmd::Mserch)->isEnabled());
    CloseMenu(f.get());
  }
};

QTEST_MAIN(SearchWindowTest)
#include "SearchWindowTest.moc"

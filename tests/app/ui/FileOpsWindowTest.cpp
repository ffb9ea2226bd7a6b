// The file commands in the whole window: their toolbar buttons and copies
// in the file list's pop-up, the letters and Delete keys of the key map in
// the file list, and the save of the window's folder tree.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "app/ui/Unit1.h"
#include "browse/ui/BrowseCommands.h"
#include "browse/ui/FileListModel.h"
#include "fileops/ui/FileOpsCommands.h"
#include "fileops/ui/FileOpsDialogs.h"
#include "host/ui/InputDialog.h"
#include "host/ui/Job.h"
#include "platform/Cp932.h"
#include "settings/IniFile.h"
#include "tests/ClickMenu.h"
#include "tests/PressButton.h"
#include "tests/ToolBarButtons.h"

namespace fs = std::filesystem;
using namespace navirt;

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Moves items into a folder of its own and remembers them.
class FakeTrash : public ITrash {
 public:
  explicit FakeTrash(std::string bin) : bin_(std::move(bin)) { fs::create_directories(bin_); }
  bool MoveToTrash(const std::string& path, std::string* error) override {
    std::error_code ec;
    fs::rename(path, bin_ + fs::path(path).filename().string(), ec);
    if (ec) {
      if (error) *error = ec.message();
      return false;
    }
    trashed.push_back(path);
    return true;
  }
  std::vector<std::string> trashed;

 private:
  std::string bin_;
};

}  // namespace

class FileOpsWindowTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_, dest_;
  QStringList messages_;
  QList<TMsgKind> kinds_;
  int answer_ = mbYes;  // the answer to confirmations

  void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  std::unique_ptr<TForm1> Open() {
    auto f = std::make_unique<TForm1>();
    f->resize(1000, 700);
    f->show();
    f->messageHook = [this](const QString& text, const QString&, TMsgKind kind, int) {
      messages_ << text;
      kinds_ << kind;
      return kind == TMsgKind::Confirmation ? answer_ : int(mbOK);
    };
    f->HandleCommandLine(folder_);
    QTest::qWait(10);
    return f;
  }
  // Selects the named items of the list, in list order.
  static void Select(TForm1* f, const QStringList& names) {
    QItemSelectionModel* sel = f->FileView1->selectionModel();
    sel->clearSelection();
    for (int r = 0; r < f->FileModel->rowCount(); ++r) {
      if (!names.contains(QString::fromStdString(f->FileModel->Entry(r).name))) continue;
      QModelIndex i = f->FileModel->index(r, 0);
      sel->setCurrentIndex(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    ActiveFileView(*f)->setFocus();
  }
  static void Key(TForm1* f, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(ActiveFileView(*f), key, mods);
  }
  static QString Pane(TForm1* f) { return QString::fromStdString(Cp932ToUtf8(f->PaneText())); }
  // Answers the input box with text, remembering its caption, prompt and preset.
  void AnswerInput(TForm1* f, const QString& text, QStringList* seen) {
    f->dialogHook = [text, seen](QDialog& d) {
      auto* dlg = qobject_cast<TForm33*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      if (seen) *seen << d.windowTitle() << dlg->Label1->text() << dlg->ComboBox1->currentText();
      dlg->SetAnswerText(text);
      return int(QDialog::Accepted);
    };
  }
  // Answers the save dialog with path (empty: Cancel), remembering its title,
  // folder and proposed name.
  void AnswerSave(TForm1* f, const std::string& path, QStringList* seen) {
    f->dialogHook = [path, seen](QDialog& d) {
      auto* dlg = qobject_cast<QFileDialog*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      if (seen) {
        auto* name = dlg->findChild<QLineEdit*>("fileNameEdit");
        *seen << dlg->windowTitle() << dlg->directory().absolutePath() << (name ? name->text() : QString());
      }
      if (path.empty()) return int(QDialog::Rejected);
      dlg->selectFile(QString::fromStdString(path));
      static_cast<QDialog*>(dlg)->accept();  // QFileDialog's own accept takes the name
      return d.result();
    };
  }
  static QString SelectedName(TForm1* f) {
    return QString::fromStdString(fs::path(f->SelectedPath).filename().string());
  }

 private slots:
  void init() {
    qputenv("NAVIRT_INI", QByteArray::fromStdString(tmp_.path().toStdString() + "/navirt.ini"));
    folder_ = tmp_.path().toStdString() + "/list/";
    dest_ = tmp_.path().toStdString() + "/dest/";
    fs::remove_all(folder_);
    fs::remove_all(dest_);
    fs::remove(tmp_.path().toStdString() + "/navirt.ini");
    fs::create_directories(folder_);
    fs::create_directories(dest_);
    messages_.clear();
    kinds_.clear();
    answer_ = mbYes;
    jobWindowHook = nullptr;
  }

  void toolbarButtonsRunTheFileCommands() {
    Write(folder_ + "a.txt", "a");
    // A button hidden by the toolbar settings leaves its menu item alone.
    {
      TIniFile ini(tmp_.path().toStdString() + "/navirt.ini");
      ini.WriteBool("ToolBar1", "ToolButton6", false);
      QVERIFY(ini.Save());
    }
    auto f = Open();
    QList<QAction*> bar = f->ToolBar1->actions();
    auto at = [&](const char* name) {
      for (int i = 0; i < bar.size(); ++i)
        if (bar[i]->objectName() == name) return i;
      return -1;
    };
    const std::pair<navirt::ToolButtonId, CommandName> buttons[] = {
        {btn::FileCopy, cmd::Mfilecopy}, {btn::FileMove, cmd::Mfilemove},  {btn::FileDelete, cmd::Mfiledelete},
        {btn::Rename, cmd::Mrename},     {btn::Attributes, cmd::Mpropaty}, {btn::DirCommand, cmd::Mdircommand2}};
    int previous = -1;
    for (const auto& [id, command] : buttons) {
      QToolButton* b = ToolButtonOf(f.get(), id);
      QVERIFY2(b && at(id.key) >= 0, id.key);
      QCOMPARE(f->Commands().Button(command), b);
      QVERIFY2(!b->icon().isNull(), id.key);
      if (!(id == btn::DirCommand)) QVERIFY2(at(id.key) > previous, id.key);
      previous = at(id.key);
    }
    QCOMPARE(ToolButtonOf(f.get(), btn::FileCopy)->text(), QString("コピー(C)"));
    QCOMPARE(ToolButtonOf(f.get(), btn::Attributes)->text(), QString("属性変更(A)"));
    // In the toolbar's order: the file buttons before the drive button,
    // "dirコマンド" right after the mask button.
    QVERIFY(at(btn::Attributes.key) < at(btn::Drive.key));
    QCOMPARE(at(btn::DirCommand.key), at(btn::Mask.key) + 1);
    QVERIFY(!f->ActionNamed(btn::Rename.key)->isVisible());
    QVERIFY(f->FindAction(cmd::Mrename)->isVisible());

    // The delete button sends the selection to the Trash.
    FakeTrash trash(tmp_.path().toStdString() + "/bin/");
    FileOpsControllerOf(*f)->trash = &trash;
    Select(f.get(), {"a.txt"});
    QVERIFY(ClickToolButton(f.get(), btn::FileDelete));
    QCOMPARE(trash.trashed, std::vector<std::string>{folder_ + "a.txt"});
    // "dirコマンド" opens the listing dialog.
    QString caption;
    f->dialogHook = [&](QDialog& d) {
      caption = d.windowTitle();
      return int(QDialog::Rejected);
    };
    QVERIFY(ClickToolButton(f.get(), btn::DirCommand));
    QCOMPARE(caption, QString("dirｺﾏﾝﾄﾞ結果表示"));
  }

  // Each letter of the file list's key map and Delete start their file
  // command; the pop-up carries the copy command.
  void fileListKeysStartTheFileCommands() {
    Write(folder_ + "a.txt", "a");
    auto f = Open();
    QVERIFY(f->FileListPopup->actions().contains(f->FindAction(cmd::Mfilecopy)));
    FakeTrash trash(tmp_.path().toStdString() + "/bin/");
    FileOpsControllerOf(*f)->trash = &trash;
    QStringList seen;
    f->dialogHook = [&](QDialog& d) {
      seen << d.windowTitle();
      return int(QDialog::Rejected);
    };
    const std::pair<Qt::Key, const char*> keys[] = {{Qt::Key_C, "ファイル操作"},
                                                    {Qt::Key_M, "ファイル操作"},
                                                    {Qt::Key_R, "ファイル名の変更"},
                                                    {Qt::Key_K, "ﾃﾞｨﾚｸﾄﾘの作成"}};
    for (const auto& [key, title] : keys) {
      seen.clear();
      Select(f.get(), {"a.txt"});
      Key(f.get(), key);
      QCOMPARE(seen, QStringList{QString::fromUtf8(title)});
    }
    QVERIFY(fs::exists(folder_ + "a.txt"));

    // Shift+Delete asks its own question; Delete sends to the Trash.
    answer_ = mbNo;
    Select(f.get(), {"a.txt"});
    Key(f.get(), Qt::Key_Delete, Qt::ShiftModifier);
    QCOMPARE(messages_.value(0), QString("完全に削除しますか？"));
    QVERIFY(fs::exists(folder_ + "a.txt"));
    answer_ = mbYes;
    Select(f.get(), {"a.txt"});
    Key(f.get(), Qt::Key_Delete);
    QCOMPARE(trash.trashed, std::vector<std::string>{folder_ + "a.txt"});
    QCOMPARE(f->FileModel->rowCount(), 0);
  }

  // The folder tree: one line per node, a tab per level below the top; the
  // folder shown is in it at its depth.
  void folderTreeSaveWritesTheTreeShown() {
    Write(folder_ + "a.txt", "a");
    auto f = Open();
    const std::string out = tmp_.path().toStdString() + "/tree.txt";
    QStringList parts = QString::fromStdString(folder_).split('/', Qt::SkipEmptyParts);
    const QString deepest = "\r\n" + QString(parts.size(), '\t') + "list\r\n";
    // The tree loads its folders in the background: saved again until the
    // folder shown has come.
    QStringList seen;
    QString tree;
    for (int waited = 0; waited < 10000 && !tree.contains(deepest); waited += 200) {
      if (waited) QTest::qWait(200);
      seen.clear();
      fs::remove(out);
      AnswerSave(f.get(), out, &seen);
      QVERIFY(ClickMenuItem(f.get(), f->FindAction(cmd::Mfoldersave)));
      tree = QString::fromStdString(ReadFile(out));
    }
    QCOMPARE(seen.value(0), QString("現在表示のフォルダーツリー名を保存"));
    QVERIFY2(tree.startsWith("/\r\n"), qPrintable(tree));
    QVERIFY2(tree.contains(deepest), qPrintable(tree));
    QVERIFY2(tree.contains("\r\n" + QString(parts.size() - 1, '\t') + parts[parts.size() - 2] + "\r\n"),
             qPrintable(tree));
  }
};

QTEST_MAIN(FileOpsWindowTest)
#include "FileOpsWindowTest.moc"

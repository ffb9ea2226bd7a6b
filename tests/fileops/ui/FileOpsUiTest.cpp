// The file commands on a plain host with the file commands alone, over a
// temporary folder, started from their menu items.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>
#include <QWindow>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <thread>

#include <sys/stat.h>

#include "fileops/ui/FileOpsCommandIds.h"
#include "fileops/ui/FileOpsCommands.h"
#include "fileops/ui/FileOpsDialogs.h"
#include "host/ui/InputDialog.h"
#include "host/ui/Job.h"
#include "host/ui/SharedCommandIds.h"
#include "platform/Cp932.h"
#include "settings/IniFile.h"
#include "tests/ClickMenu.h"
#include "tests/FakeHost.h"
#include "tests/JobInput.h"
#include "tests/PressButton.h"

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

// Attributes kept in memory; a path missing from the map cannot be read.
class FakeAttributes : public IFileAttributes {
 public:
  bool Read(const std::string& path, uint32_t& attrs) override {
    auto it = bits.find(path);
    if (it == bits.end()) return false;
    attrs = it->second;
    return true;
  }
  bool Write(const std::string& path, uint32_t attrs, std::string*) override {
    bits[path] = attrs;
    ++writes;
    return true;
  }
  std::map<std::string, uint32_t> bits;
  int writes = 0;
};

// A plain host over a real folder: going there or a refresh lists it again,
// names in order, into `listed` and the list view's model, as the window's
// file list does.
class TFolderHost : public TFakeHost {
 public:
  TFolderHost() {
    fileList = new QTreeView(this);
    fileList->setModel(&model_);
    fileList->hide();
  }
  void RefreshAll() override {
    TFakeHost::RefreshAll();
    List();
  }
  void RefreshViews() override {
    TFakeHost::RefreshViews();
    List();
  }
  void GoToFolder(const std::string& f) override {
    TFakeHost::GoToFolder(f);
    List();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const std::string& p : listed) names.push_back(fs::path(p).filename().string());
    return names;
  }

 private:
  void List() {
    listed.clear();
    for (const auto& e : fs::directory_iterator(folder)) listed.push_back(e.path().string());
    std::sort(listed.begin(), listed.end());
    model_.clear();
    for (const std::string& n : Names()) model_.appendRow(new QStandardItem(QString::fromStdString(n)));
  }
  QStandardItemModel model_;
};

}  // namespace

class FileOpsUiTest : public QObject {
  Q_OBJECT

  QTemporaryDir tmp_;
  std::string folder_, dest_;
  QStringList messages_;
  QList<TMsgKind> kinds_;
  int answer_ = mbYes;  // the answer to confirmations

  void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }
  // The host shows the folder, with the file commands alone.
  std::unique_ptr<TFolderHost> Open() {
    auto f = std::make_unique<TFolderHost>();
    f->settingsPath = tmp_.path().toStdString() + "/navirt.ini";
    InstallFileOpsCommands(*f);
    f->resize(1000, 700);
    f->show();
    f->activateWindow();
    if (!QTest::qWaitForWindowActive(f.get())) qWarning("window not active");
    f->messageHook = [this](const QString& text, const QString&, TMsgKind kind, int) {
      messages_ << text;
      kinds_ << kind;
      return kind == TMsgKind::Confirmation ? answer_ : int(mbOK);
    };
    f->GoToFolder(folder_);
    return f;
  }
  // Selects the named items of the list, in list order.
  static void Select(TFolderHost* f, const QStringList& names) {
    f->selection.clear();
    for (const std::string& p : f->listed)
      if (names.contains(QString::fromStdString(fs::path(p).filename().string()))) f->selection.push_back(p);
  }
  // Clicks the command's menu item.
  static void Click(TFolderHost* f, CommandName name) {
    QVERIFY2(ClickMenuItem(f, f->Commands().Action(name)), name.text);
  }
  static bool Listed(TFolderHost* f, const std::string& name) {
    std::vector<std::string> names = f->Names();
    return std::find(names.begin(), names.end(), name) != names.end();
  }
  static QString Pane(TFolderHost* f) { return QString::fromStdString(Cp932ToUtf8(f->PaneText())); }
  // Answers the input box with text, remembering its caption, prompt and preset.
  void AnswerInput(TFolderHost* f, const QString& text, QStringList* seen) {
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
  void AnswerSave(TFolderHost* f, const std::string& path, QStringList* seen) {
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
  static QString SelectedName(TFolderHost* f) {
    return QString::fromStdString(fs::path(f->HostSelectedPath()).filename().string());
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

  void copyIntoTheFolderChosenInTheDialog() {
    Write(folder_ + "a.txt", std::string("bin\0ary\n", 8));
    Write(folder_ + "b.txt", "bee");
    auto f = Open();
    QVERIFY(f->Commands().Action(cmd::Mdialogdisp1)->isCheckable());
    Select(f.get(), {"a.txt"});
    QString count, memo;
    bool copyChosen = false;
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm2*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      count = dlg->Lfiles->text();
      memo = dlg->Memo1->toPlainText();
      copyChosen = dlg->RGfile[0]->isChecked();
      dlg->CBdir->setEditText(QString::fromStdString(dest_));
      PressButton(dlg->BOK);
      return d.result();
    };
    Click(f.get(), cmd::Mfilecopy);
    QVERIFY(copyChosen);
    QCOMPARE(count, QString("1個のファイル"));
    QCOMPARE(memo, QString::fromStdString(folder_ + "a.txt"));
    QCOMPARE(ReadFile(dest_ + "a.txt"), std::string("bin\0ary\n", 8));
    QVERIFY(fs::exists(folder_ + "a.txt"));
    QVERIFY(!fs::exists(dest_ + "b.txt"));
    QCOMPARE(messages_, QStringList{"1個のファイルをコピーしました。"});
    QCOMPARE(SelectedName(f.get()), QString("a.txt"));
    // The target went to the top of the dialog's history.
    TIniFile ini;
    ini.Load(tmp_.path().toStdString() + "/navirt.ini");
    QCOMPARE(ini.ReadString("File", "Items_0", ""), "#" + dest_ + "#");

    // Into the folder being shown: nothing is copied, a warning says so.
    messages_.clear();
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm2*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      dlg->CBdir->setEditText(QString::fromStdString(folder_));
      PressButton(dlg->BOK);
      return d.result();
    };
    Select(f.get(), {"b.txt"});
    Click(f.get(), cmd::Mfilecopy);
    QCOMPARE(messages_, QStringList{"コピーできませんでした。"});
    QCOMPARE(kinds_.last(), TMsgKind::Warning);
    int entries = 0;
    for (auto& e : fs::directory_iterator(folder_)) (void)e, ++entries;
    QCOMPARE(entries, 2);
  }

  void duplicateCopiesTheBytesUnderTheNewName() {
    const char raw[] = "text\nwith LF\0and a zero\r\n\x82\xa0";
    const std::string bytes(raw, sizeof raw - 1);
    Write(folder_ + "a.bin", bytes);
    ::chmod((folder_ + "a.bin").c_str(), 0640);
    Write(folder_ + "taken.bin", "other");
    auto f = Open();
    QStringList seen;
    AnswerInput(f.get(), "copy.bin", &seen);
    Select(f.get(), {"a.bin"});
    Click(f.get(), cmd::Mfilefukusei);
    QCOMPARE(seen, (QStringList{"ファイル別名複製", "a.bin ->新しい名前？", "a.bin"}));
    QCOMPARE(ReadFile(folder_ + "copy.bin"), bytes);
    QCOMPARE(ReadFile(folder_ + "a.bin"), bytes);
    struct stat st;
    QCOMPARE(::stat((folder_ + "copy.bin").c_str(), &st), 0);
    QCOMPARE(int(st.st_mode & 0777), 0640);
    QCOMPARE(SelectedName(f.get()), QString("copy.bin"));
    QVERIFY(Listed(f.get(), "copy.bin"));
    QVERIFY(messages_.isEmpty());

    // An existing name is refused and keeps its bytes; the same name and
    // Cancel do nothing.
    AnswerInput(f.get(), "taken.bin", nullptr);
    Select(f.get(), {"a.bin"});
    Click(f.get(), cmd::Mfilefukusei);
    QCOMPARE(messages_, QStringList{"同じ名前のファイルが既にあります。"});
    QCOMPARE(ReadFile(folder_ + "taken.bin"), std::string("other"));
    AnswerInput(f.get(), "a.bin", nullptr);
    Click(f.get(), cmd::Mfilefukusei);
    f->dialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    Click(f.get(), cmd::Mfilefukusei);
    int entries = 0;
    for (auto& e : fs::directory_iterator(folder_)) (void)e, ++entries;
    QCOMPARE(entries, 3);
  }

  void listingsShowTheDirectoryOutputInThePane() {
    Write(folder_ + "a.txt", "12345");
    Write(folder_ + "b.txt", std::string(1234, 'b'));
    fs::create_directories(folder_ + "sub");
    auto f = Open();
    // The direct listing: the folder as typed, the "DirSet" history.
    QStringList seen;
    AnswerInput(f.get(), QString::fromStdString(folder_), &seen);
    Click(f.get(), cmd::Mdircommand1);
    QCOMPARE(seen.value(0), QString("フォルダーの指定"));
    QCOMPARE(seen.value(2), QString::fromStdString(folder_));
    QString pane = Pane(f.get());
    QStringList lines = pane.split("\r\n");
    QVERIFY2(lines.contains(" " + QString::fromStdString(folder_.substr(0, folder_.size() - 1)) + " のディレクトリ") ||
                 lines.contains(" " + QString::fromStdString(folder_) + " のディレクトリ"),
             qPrintable(pane));
    QVERIFY2(!lines.filter(QRegularExpression("^\\d{4}/\\d\\d/\\d\\d  \\d\\d:\\d\\d +1,234 b\\.txt$")).isEmpty(),
             qPrintable(pane));
    QVERIFY2(!lines.filter(QRegularExpression("<DIR> +sub$")).isEmpty(), qPrintable(pane));
    QVERIFY2(!lines.filter(QRegularExpression("^ +2 個のファイル +1,239 バイト$")).isEmpty(), qPrintable(pane));
    QVERIFY(pane.contains("バイトの空き領域"));
    QCOMPARE(f->InfoLine(), "dir   " + QString::fromStdString(folder_) + "   の結果");
    QCOMPARE(f->InfoLineColor(), clBlue);
    QCOMPARE(TIniFile(tmp_.path().toStdString() + "/navirt.ini").ReadString("DirSet", "Items_0", ""),
             "#" + folder_ + "#");

    // The listing dialog: names only, reversed; the command line it shows is
    // the one run.
    QString command;
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm7*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      dlg->CBpath->setEditText(QString::fromStdString(folder_));
      dlg->CBsort->setCurrentIndex(dlg->CBsort->findText("-N 名前－逆順"));
      dlg->CBformat->setCurrentIndex(dlg->CBformat->findText("名前のみ(/B)"));
      command = dlg->Ecommand->text();
      PressButton(dlg->BOK);
      return d.result();
    };
    Click(f.get(), cmd::Mdircommand2);
    QCOMPARE(command, "\"" + QString::fromStdString(folder_) + "\"  /O:-N  /B ");
    QCOMPARE(Pane(f.get()), QString("sub\r\nb.txt\r\na.txt"));
    QCOMPARE(f->InfoLine(), "dir   " + command + "    の結果");
    QCOMPARE(TIniFile(tmp_.path().toStdString() + "/navirt.ini").ReadString("LHA", "Items_0", ""), "#" + folder_ + "#");

    // Cancel leaves the pane as it was.
    f->dialogHook = [](QDialog&) { return int(QDialog::Rejected); };
    Click(f.get(), cmd::Mdircommand2);
    Click(f.get(), cmd::Mdircommand1);
    QCOMPARE(Pane(f.get()), QString("sub\r\nb.txt\r\na.txt"));
  }

  // A listing runs as a job: キャンセル, by a click or Escape, ends its
  // process at once and the pane keeps what it showed.
  void aListingIsCancelledFromItsWindow() {
    Write(folder_ + "a.txt", "shown");
    const std::string slow = tmp_.path().toStdString() + "/slow-dir";
    Write(slow, "#!/bin/sh\necho partial\nexec sleep 60\n");
    fs::permissions(slow, fs::perms::owner_all);
    auto f = Open();
    TFileOpsController* c = FileOpsControllerOf(*f);
    c->dirProgram = slow;
    c->jobShowAfterMs = 0;
    for (CancelInput how : {CancelInput::Click, CancelInput::Escape}) {
      const QString before = Pane(f.get());
      bool shown = false;
      jobWindowHook = [&](QDialog& w) {
        shown = true;
        PressCancel(w, how);
      };
      AnswerInput(f.get(), QString::fromStdString(folder_), nullptr);
      Click(f.get(), cmd::Mdircommand1);
      jobWindowHook = nullptr;
      QVERIFY2(shown, CancelInputName(how));
      QCOMPARE(Pane(f.get()), before);
      QVERIFY(!Pane(f.get()).contains("partial"));
      QVERIFY(messages_.isEmpty());
      QVERIFY(!f->Commands().Busy());
    }
  }

  void nameSavesWriteTheListAndThePath() {
    Write(folder_ + "b.txt", "b");
    Write(folder_ + "a.txt", "a");
    fs::create_directories(folder_ + "sub");
    auto f = Open();
    QStringList shown;
    for (const std::string& n : f->Names()) shown << QString::fromStdString(n);
    QCOMPARE(shown.size(), 3);
    const std::string out = tmp_.path().toStdString() + "/names.txt";
    QStringList seen;
    AnswerSave(f.get(), out, &seen);
    Select(f.get(), {"a.txt"});  // all items are written, not only the selected
    Click(f.get(), cmd::Mfilenamesave1);
    QCOMPARE(seen.value(0), QString("現在表示のﾌｫﾙﾀﾞｰのファイル名を保存"));
    QCOMPARE(seen.value(1) + "/", QString::fromStdString(folder_));
    QCOMPARE(seen.value(2), QString("list.txt"));
    QCOMPARE(QString::fromStdString(ReadFile(out)), shown.join("\r\n") + "\r\n");
    QCOMPARE(messages_, QStringList{QString::fromStdString(out) + " に保存しました。"});

    messages_.clear();
    fs::remove(out);  // the save dialog would ask before replacing it
    AnswerSave(f.get(), out, nullptr);
    Click(f.get(), cmd::Mfilenamesave2);
    QStringList full;
    for (const QString& n : shown) full << QString::fromStdString(folder_) + n;
    QCOMPARE(QString::fromStdString(ReadFile(out)), full.join("\r\n") + "\r\n");

    // Cancel writes nothing and says nothing.
    messages_.clear();
    fs::remove(out);
    AnswerSave(f.get(), "", nullptr);
    Click(f.get(), cmd::Mfilenamesave1);
    QVERIFY(!fs::exists(out));
    QVERIFY(messages_.isEmpty());

    // The path of the selected file to the clipboard.
    QApplication::clipboard()->setText("before");
    Select(f.get(), {"b.txt"});
    Click(f.get(), cmd::Mfilenamecopy1);
    QCOMPARE(QApplication::clipboard()->text(), QString::fromStdString(folder_ + "b.txt"));
  }

  void pathsDraggedOntoAFolderAreCopiedAsAJobWithTheQuestion() {
    const std::string outside = tmp_.path().toStdString() + "/outside/";
    fs::remove_all(outside);
    fs::create_directories(outside);
    Write(outside + "a.txt", "new a");
    Write(outside + "c.txt", "new c");
    Write(dest_ + "a.txt", "old a");
    auto f = Open();
    const std::string shown = f->folder;
    QStringList asked;
    f->dialogHook = [&](QDialog& d) {
      auto* c = dynamic_cast<TConflictDialog*>(&d);
      if (!c) return int(QDialog::Rejected);
      asked << c->findChild<QLabel*>("Ltext")->text();
      PressButton(c->BOverwrite);
      return d.result();
    };
    CopyFilesInto(*f, {outside + "a.txt", outside + "c.txt"}, dest_);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(ReadFile(dest_ + "a.txt"), std::string("new a"));
    QCOMPARE(ReadFile(dest_ + "c.txt"), std::string("new c"));
    QVERIFY(fs::exists(outside + "a.txt"));
    QCOMPARE(messages_, QStringList{"2個のファイルをコピーしました。"});
    // The folder shown stays.
    QCOMPARE(f->folder, shown);
  }

  void existingTargetsAskSkipKeepBothOrOverwrite() {
    Write(folder_ + "a.txt", "new a");
    Write(folder_ + "b.txt", "new b");
    Write(dest_ + "a.txt", "old a");
    Write(dest_ + "b.txt", "old b");
    auto f = Open();
    QStringList asked;
    ConflictAnswer answer = ConflictAnswer::Skip;
    bool all = false;
    f->dialogHook = [&](QDialog& d) {
      if (auto* dlg = dynamic_cast<TForm2*>(&d)) {
        dlg->CBdir->setEditText(QString::fromStdString(dest_));
        PressButton(dlg->BOK);
        return d.result();
      }
      if (auto* c = dynamic_cast<TConflictDialog*>(&d)) {
        asked << QString::fromStdString(
            fs::path(c->findChild<QLabel*>("Ltext")->text().section('\n', 1, 1).toStdString()).filename().string());
        c->CBall->setChecked(all);
        QPushButton* b = answer == ConflictAnswer::Skip        ? c->BSkip
                         : answer == ConflictAnswer::KeepBoth  ? c->BKeepBoth
                         : answer == ConflictAnswer::Overwrite ? c->BOverwrite
                                                               : c->BCancel;
        PressButton(b);
        return d.result();
      }
      return int(QDialog::Rejected);
    };
    // Skip, asked for each name.
    Select(f.get(), {"a.txt", "b.txt"});
    Click(f.get(), cmd::Mfilecopy);
    QCOMPARE(asked, (QStringList{"a.txt", "b.txt"}));
    QCOMPARE(ReadFile(dest_ + "a.txt"), std::string("old a"));
    QCOMPARE(ReadFile(dest_ + "b.txt"), std::string("old b"));

    // Keep both, for all: asked once, both copies under new names.
    asked.clear();
    answer = ConflictAnswer::KeepBoth;
    all = true;
    Select(f.get(), {"a.txt", "b.txt"});
    Click(f.get(), cmd::Mfilecopy);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(ReadFile(dest_ + "a (2).txt"), std::string("new a"));
    QCOMPARE(ReadFile(dest_ + "b (2).txt"), std::string("new b"));
    QCOMPARE(ReadFile(dest_ + "a.txt"), std::string("old a"));

    // Cancel: nothing overwritten, the copy reported as failed.
    messages_.clear();
    asked.clear();
    answer = ConflictAnswer::Cancel;
    all = false;
    Select(f.get(), {"a.txt"});
    Click(f.get(), cmd::Mfilecopy);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(ReadFile(dest_ + "a.txt"), std::string("old a"));
    QVERIFY(messages_.join("\n").contains("コピーできませんでした。"));

    // Overwrite (move): the target gets the new bytes, the source is gone.
    answer = ConflictAnswer::Overwrite;
    Select(f.get(), {"b.txt"});
    Click(f.get(), cmd::Mfilemove);
    QCOMPARE(ReadFile(dest_ + "b.txt"), std::string("new b"));
    QVERIFY(!fs::exists(folder_ + "b.txt"));
  }

  void deleteGoesToTheTrashShiftDeleteAsksFirst() {
    Write(folder_ + "a.txt", "a");
    Write(folder_ + "b.txt", "b");
    auto f = Open();
    FakeTrash trash(tmp_.path().toStdString() + "/bin/");
    FileOpsControllerOf(*f)->trash = &trash;

    // Declined: nothing moves.
    answer_ = mbNo;
    Select(f.get(), {"a.txt"});
    Click(f.get(), cmd::Mfiledelete);
    QVERIFY(fs::exists(folder_ + "a.txt"));
    QVERIFY(trash.trashed.empty());

    answer_ = mbYes;
    messages_.clear();
    Select(f.get(), {"a.txt"});
    Click(f.get(), cmd::Mfiledelete);
    QCOMPARE(trash.trashed, std::vector<std::string>{folder_ + "a.txt"});
    QVERIFY(!fs::exists(folder_ + "a.txt"));
    QCOMPARE(messages_.last(), QString("1個のファイルを削除しました。"));
    QCOMPARE(f->listed.size(), size_t(1));

    // Shift+Delete asks its own question; No keeps the file.
    messages_.clear();
    answer_ = mbNo;
    Select(f.get(), {"b.txt"});
    Click(f.get(), cmd::Mfiledelete2);
    QCOMPARE(messages_.first(), QString("完全に削除しますか？"));
    QVERIFY(fs::exists(folder_ + "b.txt"));
    answer_ = mbYes;
    Select(f.get(), {"b.txt"});
    Click(f.get(), cmd::Mfiledelete2);
    QVERIFY(!fs::exists(folder_ + "b.txt"));
    QCOMPARE(trash.trashed.size(), size_t(1));  // not through the trash

    // Without a trash the delete fails with a message and the file stays.
    Write(folder_ + "c.txt", "c");
    f->RefreshAll();
    FileOpsControllerOf(*f)->trash = nullptr;
    messages_.clear();
    Select(f.get(), {"c.txt"});
    Click(f.get(), cmd::Mfiledelete);
    QVERIFY(fs::exists(folder_ + "c.txt"));
    QCOMPARE(kinds_.last(), TMsgKind::Error);
  }

  void renameAndMakeFolderThroughTheInputBox() {
    Write(folder_ + "a.txt", "keep");
    auto f = Open();
    QString caption, answer = "b.txt";
    f->dialogHook = [&](QDialog& d) {
      caption = d.windowTitle();
      auto* dlg = qobject_cast<TForm33*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      dlg->SetAnswerText(answer);
      return int(QDialog::Accepted);
    };
    Select(f.get(), {"a.txt"});
    Click(f.get(), cmd::Mrename);
    QCOMPARE(caption, QString("ファイル名の変更"));
    QVERIFY(!fs::exists(folder_ + "a.txt"));
    QCOMPARE(ReadFile(folder_ + "b.txt"), std::string("keep"));
    QCOMPARE(SelectedName(f.get()), QString("b.txt"));

    // A name with "/" is refused and the file stays.
    answer = "x/y.txt";
    Select(f.get(), {"b.txt"});
    Click(f.get(), cmd::Mrename);
    QCOMPARE(messages_.last(), QString("ファイル名に / は使えません。"));
    QVERIFY(fs::exists(folder_ + "b.txt"));

    answer = "sub";
    Click(f.get(), cmd::Mmkdir);
    QCOMPARE(caption, QString("ﾃﾞｨﾚｸﾄﾘの作成"));
    QVERIFY(fs::is_directory(folder_ + "sub"));
    QVERIFY(Listed(f.get(), "sub"));
    QCOMPARE(QString::fromStdString(f->folder), QString::fromStdString(folder_));
  }

  void attributeDialogWritesOnlyChangedBits() {
    Write(folder_ + "a.txt", "a");
    Write(folder_ + ".dot", "d");
    auto f = Open();
    FakeAttributes attrs;
    attrs.bits[folder_ + "a.txt"] = faReadOnly;
    FileOpsControllerOf(*f)->attributes = &attrs;
    bool hiddenEnabled = true, readOnlyShown = false;
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm5*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      readOnlyShown = dlg->CBreadonly->isChecked();
      hiddenEnabled = dlg->CBhidden->isEnabled();
      dlg->CBarchive->setChecked(true);
      PressButton(dlg->BOK);
      return d.result();
    };
    Select(f.get(), {"a.txt"});
    Click(f.get(), cmd::Mpropaty);
    QVERIFY(readOnlyShown);
    QVERIFY(hiddenEnabled);
    QCOMPARE(attrs.bits[folder_ + "a.txt"], uint32_t(faReadOnly | faArchive));
    QCOMPARE(SelectedName(f.get()), QString("a.txt"));

    // Unreadable attributes: the warning, and OK writes nothing.
    messages_.clear();
    attrs.writes = 0;
    Select(f.get(), {".dot"});
    Click(f.get(), cmd::Mpropaty);
    QCOMPARE(messages_, QStringList{"属性情報取得に失敗しました。"});
    QVERIFY(!hiddenEnabled);
    QCOMPARE(attrs.writes, 0);
  }

  // Copy and move count the files they put in place; M moves a folder; the
  // dialog's tree opens at the folder shown.
  void copyAndMoveOfAFolderCountItsFilesFromTheFolderShown() {
    fs::create_directories(folder_ + "many/deep");
    for (int i = 0; i < 24; ++i) Write(folder_ + "many/f" + std::to_string(i), "x");
    Write(folder_ + "many/deep/last", "y");
    auto f = Open();
    QString treeAt;
    std::string target = dest_;
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm2*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      dlg->show();
      // The folders load in the background; the tree must still show the
      // folder once they have come.
      // The folders load in the background: wait until the tree stands on
      // the folder (a loaded machine may take longer than a second).
      for (int waited = 0; waited < 10000; waited += 100) {
        QTest::qWait(100);
        treeAt = dlg->FolderModel->filePath(dlg->FolderView1->currentIndex());
        if (treeAt + "/" == QString::fromStdString(folder_)) break;
      }
      dlg->CBdir->setEditText(QString::fromStdString(target));
      QTest::mouseClick(dlg->BOK, Qt::LeftButton);
      return d.result();
    };
    Select(f.get(), {"many"});
    Click(f.get(), cmd::Mfilecopy);
    QCOMPARE(treeAt + "/", QString::fromStdString(folder_));
    QCOMPARE(messages_, QStringList{"25個のファイルをコピーしました。"});
    QVERIFY(fs::exists(dest_ + "many/deep/last"));

    messages_.clear();
    target = dest_ + "moved/";
    fs::create_directories(target);
    Select(f.get(), {"many"});
    Click(f.get(), cmd::Mfilemove);
    QCOMPARE(messages_, QStringList{"25個のファイルを移動しました。"});
    QVERIFY(!fs::exists(folder_ + "many"));
    QVERIFY(fs::exists(target + "many/deep/last"));
  }

  // The direct listing's preset for a folder with a blank is quoted, so
  // running it as it stands lists that folder.
  void directListingOfAFolderWithABlank() {
    folder_ += "日本 フォルダ/";
    fs::create_directories(folder_);
    Write(folder_ + "a.txt", "12345");
    auto f = Open();
    QString preset;
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = qobject_cast<TForm33*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      preset = dlg->ComboBox1->currentText();
      return int(QDialog::Accepted);
    };
    Select(f.get(), {"a.txt"});
    Click(f.get(), cmd::Mdircommand1);
    QCOMPARE(preset, "\"" + QString::fromStdString(folder_) + "\"");
    QVERIFY2(messages_.isEmpty(), qPrintable(messages_.join("|")));
    QVERIFY2(Pane(f.get()).contains("日本 フォルダ") && Pane(f.get()).contains("a.txt"), qPrintable(Pane(f.get())));
  }

  // Merging into the first file with an old command file: the first file's
  // backup and the old command file's are both kept.
  void mergeIntoTheFirstFileKeepsBothBackups() {
    Write(folder_ + "x.txt", "XX");
    Write(folder_ + "y.txt", "YY");
    Write(folder_ + "x.bat", "old command file");
    auto f = Open();
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm20*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      dlg->Etarget->setText("x.txt");
      dlg->show();
      (void)QTest::qWaitForWindowExposed(dlg);
      QTest::mouseClick(dlg->BOK, Qt::LeftButton);
      return d.result();
    };
    Select(f.get(), {"x.txt", "y.txt"});
    Click(f.get(), cmd::Mfilemerge);
    QCOMPARE(ReadFile(folder_ + "x.txt"), std::string("XXYY"));
    QCOMPARE(ReadFile(folder_ + "x.bak"), std::string("XX"));
    QCOMPARE(ReadFile(folder_ + "x (2).bak"), std::string("old command file"));
  }

  void mergeJoinsInTheOrderSetInTheDialog() {
    Write(folder_ + "a.txt", "AAA");
    Write(folder_ + "b.txt", "BB");
    Write(folder_ + "c.txt", "C");
    auto f = Open();
    bool okBeforeName = true;
    QString info;
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm20*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      okBeforeName = dlg->BOK->isEnabled();
      dlg->Etarget->setText("all.txt");
      info = dlg->Linfo->text();
      dlg->LBfiles->setCurrentRow(0);
      PressButton(dlg->BDown);  // b a c
      dlg->LBfiles->setCurrentRow(2);
      PressButton(dlg->BDelete);  // b a
      PressButton(dlg->BOK);
      return d.result();
    };
    Select(f.get(), {"a.txt", "b.txt", "c.txt"});
    Click(f.get(), cmd::Mfilemerge);
    QVERIFY(!okBeforeName);
    QCOMPARE(info, QString("結合情報は all.bat に記録されます。"));
    QCOMPARE(ReadFile(folder_ + "all.txt"), std::string("BBAAA"));
    QVERIFY(fs::exists(folder_ + "all.bat"));
    QCOMPARE(ReadFile(folder_ + "c.txt"), std::string("C"));
    QCOMPARE(messages_, QStringList{"ファイルを結合しました。"});
    QCOMPARE(SelectedName(f.get()), QString("all.txt"));
  }

  // Enter in the size box, typed as a person types, recounts and lists the
  // pieces and moves to OK; a size that is not a number gets the warning,
  // and OK with it neither splits nor closes.
  void splitDialogEnterChecksTheSizeAndOkRefusesABadOne() {
    Write(folder_ + "s.dat", std::string(2000, 'x'));
    auto f = Open();
    bool openAfterBadEnter = false, openAfterBadOk = false, openAfterEnter = false, okFocused = false;
    int listAfterBadEnter = -1;
    QString count;
    QStringList list, warningsBeforeOk;
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm17*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      d.show();
      QWindow* w = d.windowHandle();
      dlg->CBsize->setFocus();
      auto type = [&](const char* text) {
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        for (const char* c = text; *c; ++c) QTest::keyClick(w, *c);
      };
      type("abc");
      QTest::keyClick(w, Qt::Key_Return);
      openAfterBadEnter = d.isVisible();
      listAfterBadEnter = dlg->LBfiles->count();
      warningsBeforeOk = messages_;
      QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, dlg->BOK->mapTo(&d, dlg->BOK->rect().center()));
      openAfterBadOk = d.isVisible();
      dlg->CBsize->setFocus();
      type("500");
      QTest::keyClick(w, Qt::Key_Return);
      openAfterEnter = d.isVisible();
      count = dlg->Lcount->text();
      for (int i = 0; i < dlg->LBfiles->count(); ++i) list << dlg->LBfiles->item(i)->text();
      okFocused = d.focusWidget() == dlg->BOK;
      QTest::keyClick(w, Qt::Key_Return);  // now on OK: splits
      return d.result();
    };
    Select(f.get(), {"s.dat"});
    Click(f.get(), cmd::Mfilediv);
    QVERIFY(openAfterBadEnter);
    QCOMPARE(listAfterBadEnter, 0);
    QCOMPARE(warningsBeforeOk, QStringList{"2001個のﾌｧｲﾙに分割できません。"});
    QVERIFY(openAfterBadOk);
    QCOMPARE(messages_.value(1), QString("2001個のﾌｧｲﾙに分割できません。"));
    QVERIFY(openAfterEnter);
    QCOMPARE(count, QString("5 個に分割"));
    QCOMPARE(list, (QStringList{"s.001", "s.002", "s.003", "s.004", "s.005", "s.bat"}));
    QVERIFY(okFocused);
    QCOMPARE(ReadFile(folder_ + "s.001"), std::string(500, 'x'));
    QVERIFY(fs::exists(folder_ + "s.bat"));
  }

  void cancelledSplitLeavesWholePiecesAndNoCommandFile() {
    const size_t piece = 100, pieces = 50;
    std::string bytes;
    for (size_t i = 0; i < piece * pieces - 7; ++i) bytes += char('a' + i % 26);
    Write(folder_ + "big.dat", bytes);
    auto f = Open();
    TFileOpsController* c = FileOpsControllerOf(*f);
    c->jobShowAfterMs = 0;
    std::atomic<bool> shown{false};
    std::atomic<int> steps{0};
    // The job waits at its second piece until its window is up and Cancel pressed.
    c->stepHook = [&] {
      if (++steps < 2) return;
      for (int i = 0; i < 5000 && !shown; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    jobWindowHook = [&](QDialog& w) {
      PressCancel(w, CancelInput::Click);
      shown = true;
    };
    QString countLine;
    f->dialogHook = [&](QDialog& d) {
      auto* dlg = dynamic_cast<TForm17*>(&d);
      if (!dlg) return int(QDialog::Rejected);
      dlg->CBsize->setEditText(QString::number(piece));
      ShowOnScreen(&d);
      dlg->CBsize->setFocus();
      QTest::keyClick(d.windowHandle(), Qt::Key_Return);
      countLine = dlg->Lcount->text();
      PressButton(dlg->BOK);
      return d.result();
    };
    Select(f.get(), {"big.dat"});
    Click(f.get(), cmd::Mfilediv);
    jobWindowHook = nullptr;
    QCOMPARE(countLine, QString("%1 個に分割").arg(pieces));
    QVERIFY(shown);
    QVERIFY(!fs::exists(folder_ + "big.bat"));
    int written = 0;
    for (size_t i = 1; i <= pieces; ++i) {
      char ext[8];
      std::snprintf(ext, sizeof ext, ".%03zu", i);
      std::string p = folder_ + "big" + ext;
      if (!fs::exists(p)) continue;
      ++written;
      QCOMPARE(ReadFile(p), bytes.substr((i - 1) * piece, piece));
    }
    QVERIFY(written >= 1);
    QVERIFY(written < int(pieces));
    QCOMPARE(ReadFile(folder_ + "big.dat"), bytes);
    // Nothing half-written is left under any name.
    int entries = 0;
    for (auto& e : fs::directory_iterator(folder_)) (void)e, ++entries;
    QCOMPARE(entries, written + 1);
  }
};

QTEST_MAIN(FileOpsUiTest)
#include "FileOpsUiTest.moc"

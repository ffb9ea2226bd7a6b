// The file commands' outcomes, the dialogs' models, attributes and the Trash.
#include <gtest/gtest.h>
#include <sys/xattr.h>

#include "fileops/FileCommands.h"
#include "fileops/Messages.h"
#include "platform/DosAttributes.h"
#include "platform/Trash.h"
#include "tests/fileops/FileOpsTestUtil.h"

namespace navirt {
namespace {

using namespace testing_util;

struct GoneTrash : ITrash {
  std::vector<std::string> trashed;
  bool MoveToTrash(const std::string& path, std::string*) override {
    trashed.push_back(path);
    std::filesystem::remove_all(path);
    return true;
  }
};

TEST(CopyCommand, IntoTheFolderBeingShownCopiesNothing) {
  ScratchDir d;
  WriteFile(d / "cur/a.txt", "a");
  FileCommandContext ctx{d / "cur"};
  TSHFOP op;
  CommandReport r = RunCopy(op, ctx, {d / "cur/a.txt"}, d / "cur/");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.kind, MessageKind::Warning);
  EXPECT_EQ(r.message, "コピーできませんでした。");
  EXPECT_EQ(Names(d / "cur"), (std::vector<std::string>{"a.txt"}));
  r = RunMove(op, ctx, {d / "cur/a.txt"}, d / "cur");
  EXPECT_EQ(r.message, "移動できませんでした。");
}

TEST(CopyCommand, MessagesTargetFolderAndSelection) {
  ScratchDir d;
  WriteFile(d / "cur/a.txt", "a");
  WriteFile(d / "cur/b.txt", "b");
  std::filesystem::create_directories(d / "to");
  FileCommandContext ctx{d / "cur", true, false};
  TSHFOP op;
  op.Options = 0;
  CommandReport r = RunCopy(op, ctx, {d / "cur/a.txt", d / "cur/b.txt"}, d / "to");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.kind, MessageKind::Information);
  EXPECT_EQ(r.message, "2個のファイルをコピーしました。");
  EXPECT_EQ(r.selectName, "a.txt");
  EXPECT_TRUE(r.gotoFolder.empty());
  EXPECT_TRUE(op.Options & ALLOWUNDO);  // copy sets what it names
  EXPECT_TRUE(op.FromFFList.empty());   // and empties the source list after

  ctx.todiropen = true;
  ctx.dialogdisp = false;
  r = RunCopy(op, ctx, {d / "cur/a.txt"}, d / "to2");  // missing target, no mkdir hook: refused
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.message, "コピーできませんでした。");
  op.Options |= NOCONFIRMMKDIR;
  r = RunCopy(op, ctx, {d / "cur/a.txt"}, d / "to2");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.kind, MessageKind::None);
  EXPECT_EQ(r.gotoFolder, d / "to2");
  EXPECT_EQ(r.selectName, "a.txt");

  // Move: a folder first moves with what it holds; the count is of files.
  WriteFile(d / "cur/sub/in1.txt", "1");
  WriteFile(d / "cur/sub/deeper/in2.txt", "2");
  ctx.dialogdisp = true;
  r = RunMove(op, ctx, {d / "cur/sub", d / "cur/b.txt"}, d / "to4");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.message, "3個のファイルを移動しました。");
  EXPECT_FALSE(Exists(d / "cur/sub"));
  EXPECT_FALSE(Exists(d / "cur/b.txt"));
  EXPECT_TRUE(Exists(d / "to4/sub/deeper/in2.txt"));
  EXPECT_TRUE(Exists(d / "to4/b.txt"));
  WriteFile(d / "cur/b.txt", "b");
  r = RunMove(op, ctx, {d / "cur/b.txt"}, d / "to3");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.message, "1個のファイルを移動しました。");
  EXPECT_FALSE(Exists(d / "cur/b.txt"));
  // A copy of a folder counts every file it copied.
  for (int i = 0; i < 30; ++i) WriteFile(d / ("cur/many/f" + std::to_string(i)), "x");
  r = RunCopy(op, ctx, {d / "cur/many"}, d / "to");
  EXPECT_EQ(r.message, "30個のファイルをコピーしました。");

  // A refusal names its reason above the command's warning.
  r = RunCopy(op, ctx, {d / "cur"}, d / "cur/sub");
  EXPECT_EQ(r.message, std::string(msg::kCopyIntoItself) + "\n" + msg::kCopyFailed);
}

TEST(DeleteCommand, TrashAndPermanentDeleteReports) {
  ScratchDir d;
  WriteFile(d / "cur/a.txt", "a");
  WriteFile(d / "cur/b.txt", "b");
  GoneTrash trash;
  TSHFOP op;
  op.hooks.trash = &trash;
  FileCommandContext ctx{d / "cur"};
  CommandReport r = RunTrash(op, ctx, {d / "cur/a.txt"});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.message, "1個のファイルを削除しました。");
  EXPECT_EQ(trash.trashed, (std::vector<std::string>{d / "cur/a.txt"}));
  r = RunPermanentDelete(op, ctx, {d / "cur/b.txt"});
  EXPECT_TRUE(r.ok);
  EXPECT_FALSE(op.Options & ALLOWUNDO);
  EXPECT_EQ(trash.trashed.size(), 1u);  // for good: not through the trash
  EXPECT_TRUE(Names(d / "cur").empty());
  EXPECT_EQ(std::string(msg::kDeleteForGood), "完全に削除しますか？");
  ctx.dialogdisp = false;
  WriteFile(d / "cur/c.txt", "c");
  r = RunTrash(op, ctx, {d / "cur/c.txt"});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.kind, MessageKind::None);
}

TEST(DropCommand, CopiesIntoTheShownFolderUnlessFromThere) {
  ScratchDir d;
  WriteFile(d / "cur/here.txt", "h");
  WriteFile(d / "else/x.txt", "x");
  TSHFOP op;
  FileCommandContext ctx{d / "cur"};
  CommandReport r = RunDrop(op, ctx, {d / "cur/here.txt"});
  EXPECT_EQ(r.kind, MessageKind::None);
  EXPECT_EQ(Names(d / "cur"), (std::vector<std::string>{"here.txt"}));
  ctx.dragdrop = false;
  EXPECT_FALSE(RunDrop(op, ctx, {d / "else/x.txt"}).ok);
  ctx.dragdrop = true;
  r = RunDrop(op, ctx, {d / "else/x.txt"});
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.message, "1個のファイルをコピーしました。");
  EXPECT_EQ(ReadFile(d / "cur/x.txt"), "x");
}

TEST(RenameCommand, SameNameSlashAndExistingNames) {
  ScratchDir d;
  WriteFile(d / "a.txt", "a");
  WriteFile(d / "b.txt", "b");
  FileCommandContext ctx{d.path()};
  TInputDialogModel m = RenameDialog("a.txt");
  EXPECT_EQ(m.caption, "ファイル名の変更");
  EXPECT_EQ(m.prompt, "a.txt ->　新しい名前は？");
  EXPECT_EQ(m.text, "a.txt");
  CommandReport r = RunRename(ctx, "a.txt", "a.txt");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.kind, MessageKind::None);
  r = RunRename(ctx, "a.txt", "sub/c.txt");
  EXPECT_EQ(r.message, "ファイル名に / は使えません。");
  r = RunRename(ctx, "a.txt", "b.txt");
  EXPECT_EQ(r.message, msg::kNameExists);
  EXPECT_EQ(ReadFile(d / "b.txt"), "b");
  r = RunRename(ctx, "a.txt", std::string(300, 'n'));  // longer than a name may be
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(ReadFile(d / "a.txt"), "a");
  r = RunRename(ctx, "a.txt", "c.txt");
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.selectName, "c.txt");
  EXPECT_EQ(Names(d.path()), (std::vector<std::string>{"b.txt", "c.txt"}));
}

TEST(DuplicateCommand, CopiesBinaryAndLfFilesByteForByte) {
  ScratchDir d;
  std::string data = std::string("line one\nline two\n\0after zero\r\nend", 35) + Bytes(70000, 9);
  WriteFile(d / "bin.dat", data);
  ::chmod((d / "bin.dat").c_str(), 0600);
  FileCommandContext ctx{d.path()};
  TInputDialogModel m = DuplicateDialog("bin.dat");
  EXPECT_EQ(m.caption, "ファイル別名複製");
  EXPECT_EQ(m.prompt, "bin.dat ->新しい名前？");
  CommandReport r = RunDuplicate(ctx, "bin.dat", "copy.dat");
  ASSERT_TRUE(r.ok) << r.message;
  EXPECT_EQ(ReadFile(d / "copy.dat"), data);
  struct stat st;
  ::stat((d / "copy.dat").c_str(), &st);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(r.selectName, "copy.dat");
  // Never over another file, never a "/" in the name.
  r = RunDuplicate(ctx, "bin.dat", "copy.dat");
  EXPECT_EQ(r.message, msg::kNameExists);
  EXPECT_EQ(RunDuplicate(ctx, "bin.dat", "x/y").message, msg::kSlashInName);
  EXPECT_FALSE(RunDuplicate(ctx, "bin.dat", "bin.dat").ok);
  r = RunDuplicate(ctx, "bin.dat", std::string(300, 'n'));
  EXPECT_EQ(r.kind, MessageKind::Error);
  EXPECT_EQ(r.message, "File name too long");
  EXPECT_EQ(Names(d.path()), (std::vector<std::string>{"bin.dat", "copy.dat"}));
}

TEST(MakeFolderCommand, OneFolderInsideTheShownOne) {
  ScratchDir d;
  FileCommandContext ctx{d.path()};
  TInputDialogModel m = MakeFolderDialog(d.path());
  EXPECT_EQ(m.caption, "ﾃﾞｨﾚｸﾄﾘの作成");
  EXPECT_EQ(m.prompt, d.path() + " の下に作成するﾃﾞｨﾚｸﾄﾘ名");
  EXPECT_FALSE(RunMakeFolder(ctx, "").ok);
  EXPECT_TRUE(RunMakeFolder(ctx, "新しいフォルダ").ok);
  EXPECT_TRUE(std::filesystem::is_directory(d / "新しいフォルダ"));
  CommandReport r = RunMakeFolder(ctx, "新しいフォルダ");
  EXPECT_EQ(r.kind, MessageKind::Error);
  EXPECT_EQ(r.message, "File exists");
  EXPECT_EQ(RunMakeFolder(ctx, "a/b").message, msg::kSlashInName);
}

TEST(FileOpDialog, HistoryOfTenInSectionFile) {
  TIniFile ini;
  TFileOpDialogModel m;
  m.Open(ini, "/cur", TFileOpDialogModel::Move, {"/cur/a", "/cur/b", "/cur/c"});
  EXPECT_EQ(m.caption, "ファイル操作");
  EXPECT_EQ(m.Lfiles, "3個のファイル");
  EXPECT_EQ(m.RGfile, 1);
  EXPECT_EQ(m.Memo1.size(), 3u);
  EXPECT_EQ(m.LDirectory, "/cur");
  for (int i = 0; i < 12; ++i) {
    m.CBdir = "/target" + std::to_string(i);
    EXPECT_EQ(m.Accept(ini), "/target" + std::to_string(i));
  }
  m.ChooseFolder("/target5");
  EXPECT_EQ(m.LDirectory, "/target5");
  m.Accept(ini);
  EXPECT_EQ(ini.ReadInteger("File", "ToFileCount", -1), 10);
  EXPECT_EQ(ini.ReadString("File", "Items_0", ""), "#/target5#");
  EXPECT_EQ(ini.ReadString("File", "Items_1", ""), "#/target11#");
  EXPECT_FALSE(ini.ValueExists("File", "Items_10"));
  TFileOpDialogModel again;
  again.Open(ini, "/cur", TFileOpDialogModel::Copy, {});
  EXPECT_EQ(again.history.size(), 10u);
  EXPECT_EQ(again.CBdir, "/target5");
  // An extraction opens at the folder being shown, with the same history.
  TFileOpDialogModel extract;
  extract.Open(ini, "/cur/", TFileOpDialogModel::Extract, {"/cur/a.zip"});
  EXPECT_EQ(extract.CBdir, "/cur/");
  EXPECT_EQ(extract.LDirectory, "/cur/");
  EXPECT_EQ(extract.Lfiles, "1個のファイル");
  EXPECT_EQ(extract.choices[static_cast<size_t>(extract.RGfile)], "解凍");
  EXPECT_EQ(extract.history.front(), "/target5");
}

struct FakeAttributes : IFileAttributes {
  uint32_t value = 0;
  bool readFails = false, writeFails = false;
  int writes = 0;
  bool Read(const std::string&, uint32_t& a) override {
    a = value;
    return !readFails;
  }
  bool Write(const std::string&, uint32_t a, std::string* error) override {
    ++writes;
    if (writeFails) {
      if (error) *error = "Operation not supported";
      return false;
    }
    value = a;
    return true;
  }
};

TEST(AttributeDialog, ReadsWritesOnlyChangesAndReportsFailures) {
  FakeAttributes fs;
  fs.value = faArchive | faReadOnly;
  TAttributeDialogModel m(fs);
  EXPECT_EQ(m.Open("/x/file.txt"), "");
  EXPECT_TRUE(m.readOnly && m.archive && !m.system && !m.hidden);
  EXPECT_TRUE(m.hiddenEnabled);
  EXPECT_EQ(m.Accept(), "");
  EXPECT_EQ(fs.writes, 0);  // nothing changed, nothing written
  m.system = true;
  m.readOnly = false;
  EXPECT_EQ(m.Accept(), "");
  EXPECT_EQ(fs.value, uint32_t(faArchive | faSysFile));
  fs.writeFails = true;
  m.hidden = true;
  EXPECT_EQ(m.Accept(), "属性変更に失敗しました。");
  // A dot name shows hidden, checked and disabled, and stays hidden.
  fs.writeFails = false;
  EXPECT_EQ(m.Open("/x/.profile"), "");
  EXPECT_TRUE(m.hidden);
  EXPECT_FALSE(m.hiddenEnabled);
  m.hidden = false;
  EXPECT_TRUE(m.Attributes() & faHidden);
  fs.readFails = true;
  EXPECT_EQ(m.Open("/x/gone"), "属性情報取得に失敗しました。");
  EXPECT_FALSE(m.boxesEnabled);
  int before = fs.writes;
  m.archive = true;
  EXPECT_EQ(m.Accept(), "");
  EXPECT_EQ(fs.writes, before);
}

TEST(SystemAttributes, BitsLiveInTheModeAndDosattrib) {
  ScratchDir d;
  WriteFile(d / "f.txt", "f");
  SystemFileAttributes fs;
  uint32_t a = 0;
  ASSERT_TRUE(fs.Read(d / "f.txt", a));
  EXPECT_EQ(a, 0u);
  std::string error;
  if (!fs.Write(d / "f.txt", faArchive | faHidden | faSysFile, &error)) {
    // No extended attributes here: the change failed and nothing moved.
    ASSERT_TRUE(fs.Read(d / "f.txt", a));
    EXPECT_EQ(a, 0u);
    GTEST_SKIP() << "no user extended attributes: " << error;
  }
  ASSERT_TRUE(fs.Read(d / "f.txt", a));
  EXPECT_EQ(a, uint32_t(faArchive | faHidden | faSysFile));
  char buf[32] = {};
  ssize_t n = ::getxattr((d / "f.txt").c_str(), "user.DOSATTRIB", buf, sizeof buf);
  EXPECT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) - 1 : 0), "0x26");
  EXPECT_TRUE(Exists(d / "f.txt"));  // never renamed for an attribute
  ASSERT_TRUE(fs.Write(d / "f.txt", faReadOnly, &error));
  ASSERT_TRUE(fs.Read(d / "f.txt", a));
  EXPECT_EQ(a, uint32_t(faReadOnly));
  struct stat st;
  ::stat((d / "f.txt").c_str(), &st);
  EXPECT_FALSE(st.st_mode & S_IWUSR);
  EXPECT_LT(::getxattr((d / "f.txt").c_str(), "user.DOSATTRIB", buf, sizeof buf), 0);
  // Bits Samba keeps besides these four survive an edit.
  ::setxattr((d / "f.txt").c_str(), "user.DOSATTRIB", "0x1020", 7, 0);
  ASSERT_TRUE(fs.Write(d / "f.txt", faSysFile, &error));
  n = ::getxattr((d / "f.txt").c_str(), "user.DOSATTRIB", buf, sizeof buf);
  EXPECT_EQ(std::string(buf, n > 0 ? static_cast<size_t>(n) - 1 : 0), "0x1004");
  WriteFile(d / ".dot", "");
  ASSERT_TRUE(fs.Read(d / ".dot", a));
  EXPECT_EQ(a, uint32_t(faHidden));
}

TEST(FreedesktopTrashTest, FilesInfoAndUniqueNames) {
  ScratchDir d;
  FreedesktopTrash trash(d / "Trash");
  WriteFile(d / "docs/report 1.txt", "first");
  ASSERT_TRUE(trash.MoveToTrash(d / "docs/report 1.txt", nullptr));
  WriteFile(d / "docs/report 1.txt", "second");
  WriteFile(d / "docs/sub/inner.txt", "inner");
  ASSERT_TRUE(trash.MoveToTrash(d / "docs/report 1.txt", nullptr));
  ASSERT_TRUE(trash.MoveToTrash(d / "docs/sub", nullptr));
  EXPECT_TRUE(Names(d / "docs").empty());
  EXPECT_EQ(Names(d / "Trash/files"), (std::vector<std::string>{"report 1.2.txt", "report 1.txt", "sub"}));
  EXPECT_EQ(ReadFile(d / "Trash/files/report 1.txt"), "first");
  EXPECT_EQ(ReadFile(d / "Trash/files/report 1.2.txt"), "second");
  EXPECT_EQ(ReadFile(d / "Trash/files/sub/inner.txt"), "inner");
  std::string info = ReadFile(d / "Trash/info/report 1.2.txt.trashinfo");
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + d.path() + "/docs/report%201.txt\nDeletionDate=", 0), 0u) << info;
  EXPECT_EQ(info.size(),
            std::string("[Trash Info]\nPath=" + d.path() + "/docs/report%201.txt\nDeletionDate=").size() + 20);
  std::string error;
  EXPECT_FALSE(trash.MoveToTrash(d / "docs/none", &error));
  EXPECT_EQ(error, "No such file or directory");
  EXPECT_EQ(Names(d / "Trash/info").size(), 3u);  // no info left by the failure
  EXPECT_EQ(TrashInfoEscape("/a b/日.txt"), "/a%20b/%E6%97%A5.txt");
}

TEST(FreedesktopTrashTest, OtherMountsUseTheirOwnTrash) {
  struct stat shm, tmp;
  std::string uid = std::to_string(::getuid());
  std::string own = "/dev/shm/.Trash-" + uid;
  if (::stat("/dev/shm", &shm) != 0 || ::stat("/tmp", &tmp) != 0 || shm.st_dev == tmp.st_dev ||
      ::access("/dev/shm", W_OK) != 0 || Exists(own) || Exists("/dev/shm/.Trash"))
    GTEST_SKIP() << "no separate writable mount without a trash of its own";
  ScratchDir home;
  ScratchDir there("/dev/shm");
  WriteFile(there / "gone.txt", "g");
  FreedesktopTrash trash(home / "Trash");
  std::string error;
  bool ok = trash.MoveToTrash(there / "gone.txt", &error);
  std::string info = ReadFile(own + "/info/gone.txt.trashinfo");
  std::string kept = ReadFile(own + "/files/gone.txt");
  std::filesystem::remove_all(own);
  ASSERT_TRUE(ok) << error;
  // Relative to the mount's top, and nothing in the home trash.
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + there.path().substr(std::string("/dev/shm/").size()) + "/gone.txt\n", 0),
            0u)
      << info;
  EXPECT_EQ(kept, "g");
  EXPECT_FALSE(Exists(home / "Trash/files/gone.txt"));
}

}  // namespace
}  // namespace navirt

// Copy, move, delete and rename through TSHFOP, as the file commands run it.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>

#include "fileops/Messages.h"
#include "fileops/SHFOP.h"
#include "platform/FileInfo.h"
#include "tests/fileops/FileOpsTestUtil.h"

namespace navirt {
namespace {

using namespace testing_util;

struct FakeTrash : ITrash {
  std::vector<std::string> trashed;
  std::string failOn;
  bool MoveToTrash(const std::string& path, std::string* error) override {
    if (path == failOn) {
      if (error) *error = "Permission denied";
      return false;
    }
    trashed.push_back(path);
    std::filesystem::remove_all(path);  // gone from the folder as a real trash would make it
    return true;
  }
};

bool NoTemporaries(const std::string& dir) {
  for (auto& e : std::filesystem::recursive_directory_iterator(dir))
    if (e.path().filename().string().rfind(".navirt-part-", 0) == 0) return false;
  return true;
}

TEST(CopyOperation, KeepsBytesTimesModesAndLinks) {
  ScratchDir d;
  std::string bin = Bytes(300000, 1);
  bin[10] = '\0';
  WriteFile(d / "src/data.bin", bin);
  ::chmod((d / "src/data.bin").c_str(), 0640);
  SetMtime(d / "src/data.bin", 1000000000);
  WriteFile(d / "src/tree/inner/deep.txt", "deep\n");
  WriteFile(d / "src/tree/.hidden", "h");
  ::symlink("inner/deep.txt", (d / "src/tree/link").c_str());
  ::symlink("/nonexistent/target", (d / "src/tree/dangling").c_str());
  WriteFile(d / "src/tree/inner/\xff\xfe latin1 \xe9.txt", "not UTF-8");
  SetMtime(d / "src/tree/inner", 1100000000);
  std::filesystem::create_directories(d / "dst");

  TSHFOP op;
  std::vector<FileOpProgress> seen;
  op.hooks.progress = [&](const FileOpProgress& p) { seen.push_back(p); };
  op.FromFFList = {d / "src/data.bin", d / "src/tree"};
  op.ToFolder = d / "dst";
  ASSERT_TRUE(op.Execute()) << op.ErrorText();
  EXPECT_EQ(ReadFile(d / "dst/data.bin"), bin);
  struct stat st;
  ASSERT_EQ(::stat((d / "dst/data.bin").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(st.st_mtime, 1000000000);
  EXPECT_EQ(ReadFile(d / "dst/tree/inner/deep.txt"), "deep\n");
  EXPECT_EQ(ReadFile(d / "dst/tree/.hidden"), "h");
  EXPECT_EQ(ReadFile(d / "dst/tree/inner/\xff\xfe latin1 \xe9.txt"), "not UTF-8");
  ASSERT_EQ(::lstat((d / "dst/tree/link").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(std::filesystem::read_symlink(d / "dst/tree/link").string(), "inner/deep.txt");
  EXPECT_EQ(std::filesystem::read_symlink(d / "dst/tree/dangling").string(), "/nonexistent/target");
  ASSERT_EQ(::stat((d / "dst/tree/inner").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtime, 1100000000);  // set after its content was written
  EXPECT_TRUE(NoTemporaries(d / "dst"));
  // Progress: five files, the bytes of the two regular ones, and the count at the end.
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back().filesTotal, 6u);
  EXPECT_EQ(seen.back().filesDone, 6u);
  EXPECT_EQ(seen.back().bytesTotal, bin.size() + 15);
  EXPECT_EQ(seen.back().bytesDone, bin.size() + 15);
  EXPECT_EQ(op.Written(), (std::vector<std::string>{d / "dst/data.bin", d / "dst/tree"}));
  // The sources are untouched.
  EXPECT_EQ(ReadFile(d / "src/data.bin"), bin);
  EXPECT_EQ(op.CollectedFiles().size(), 8u);  // data.bin, tree and its six entries
}

// A file that appears at the target name while the job runs (after the
// name was found free) is never replaced: a copy takes the next free name,
// a move fails and leaves the source.
TEST(CopyOperation, AFileAppearingAtTheTargetMidJobIsKept) {
  for (bool move : {false, true}) {
    SCOPED_TRACE(move ? "move" : "copy");
    ScratchDir d;
    std::string data = Bytes(200000, 3);
    WriteFile(d / "src/a.txt", data);
    std::filesystem::create_directories(d / "dst");
    TSHFOP op;
    bool planted = false;
    op.hooks.progress = [&](const FileOpProgress& p) {
      if (planted || p.current != d / "src/a.txt") return;
      planted = true;
      WriteFile(d / "dst/a.txt", "appeared");
    };
    op.FromFFList = {d / "src/a.txt"};
    op.ToFolder = d / "dst";
    op.OperationF = move ? wMOVE : wCOPY;
    bool ok = op.Execute();
    ASSERT_TRUE(planted);
    EXPECT_EQ(ReadFile(d / "dst/a.txt"), "appeared");
    if (move) {
      EXPECT_EQ(ReadFile(d / "src/a.txt"), data);  // the source stays when the move fails
      EXPECT_EQ(Names(d / "dst"), (std::vector<std::string>{"a.txt"})) << ok;
    } else {
      EXPECT_TRUE(ok) << op.ErrorText();
      std::vector<std::string> names = Names(d / "dst");
      ASSERT_EQ(names.size(), 2u);
      std::string other = names[0] == "a.txt" ? names[1] : names[0];
      EXPECT_EQ(ReadFile(d / ("dst/" + other)), data);
    }
    EXPECT_TRUE(NoTemporaries(d / "dst"));
  }
}

TEST(CopyOperation, ConflictAnsweredEachWay) {
  ScratchDir d;
  WriteFile(d / "src/a.txt", "new a");
  WriteFile(d / "src/b.txt", "new b");
  WriteFile(d / "src/c.txt", "new c");
  auto reset = [&] {
    std::filesystem::remove_all(d / "dst");
    WriteFile(d / "dst/a.txt", "old a");
    WriteFile(d / "dst/b.txt", "old b");
    WriteFile(d / "dst/c.txt", "old c");
  };
  auto run = [&](std::vector<ConflictReply> replies, int* asked = nullptr) {
    TSHFOP op;
    size_t i = 0;
    op.hooks.conflict = [&](const ConflictQuestion& q) {
      EXPECT_EQ(FolderPart(q.target), WithTrailingSlash(d / "dst"));
      EXPECT_FALSE(q.sourceIsDir);
      if (asked) ++*asked;
      return i < replies.size() ? replies[i++] : ConflictReply{};
    };
    op.FromFFList = {d / "src/a.txt", d / "src/b.txt", d / "src/c.txt"};
    op.ToFolder = d / "dst";
    bool ok = op.Execute();
    EXPECT_TRUE(NoTemporaries(d / "dst"));
    return ok;
  };
  using A = ConflictAnswer;
  reset();
  EXPECT_TRUE(run({{A::Overwrite, false}, {A::Skip, false}, {A::KeepBoth, false}}));
  EXPECT_EQ(ReadFile(d / "dst/a.txt"), "new a");
  EXPECT_EQ(ReadFile(d / "dst/b.txt"), "old b");
  EXPECT_EQ(ReadFile(d / "dst/c.txt"), "old c");
  EXPECT_EQ(ReadFile(d / "dst/c (2).txt"), "new c");

  // "Apply to all" answers the rest without asking again.
  reset();
  int asked = 0;
  EXPECT_TRUE(run({{A::Skip, true}}, &asked));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(ReadFile(d / "dst/a.txt"), "old a");
  EXPECT_EQ(ReadFile(d / "dst/c.txt"), "old c");
  reset();
  asked = 0;
  EXPECT_TRUE(run({{A::KeepBoth, true}}, &asked));
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(Names(d / "dst"),
            (std::vector<std::string>{"a (2).txt", "a.txt", "b (2).txt", "b.txt", "c (2).txt", "c.txt"}));
  reset();
  EXPECT_TRUE(run({{A::Overwrite, true}}));
  EXPECT_EQ(ReadFile(d / "dst/b.txt"), "new b");
  EXPECT_EQ(ReadFile(d / "dst/c.txt"), "new c");

  // Cancel stops at once: what was answered before stays, nothing after.
  reset();
  TSHFOP op;
  int n = 0;
  op.hooks.conflict = [&](const ConflictQuestion&) {
    return ++n == 1 ? ConflictReply{A::Overwrite, false} : ConflictReply{A::Cancel, false};
  };
  op.FromFFList = {d / "src/a.txt", d / "src/b.txt", d / "src/c.txt"};
  op.ToFolder = d / "dst";
  EXPECT_FALSE(op.Execute());
  EXPECT_TRUE(op.Aborted());
  EXPECT_TRUE(op.ErrorText().empty());
  EXPECT_EQ(ReadFile(d / "dst/a.txt"), "new a");
  EXPECT_EQ(ReadFile(d / "dst/b.txt"), "old b");
  EXPECT_EQ(ReadFile(d / "dst/c.txt"), "old c");

  // Without a question hook an existing file is kept; the flags decide otherwise.
  reset();
  TSHFOP quiet;
  quiet.FromFFList = {d / "src/a.txt"};
  quiet.ToFolder = d / "dst";
  EXPECT_TRUE(quiet.Execute());
  EXPECT_EQ(ReadFile(d / "dst/a.txt"), "old a");
  quiet.Options = RENAMEONCOLLISION;
  EXPECT_TRUE(quiet.Execute());
  EXPECT_EQ(ReadFile(d / "dst/a (2).txt"), "new a");
  quiet.Options = NOCONFIRMATION;
  EXPECT_TRUE(quiet.Execute());
  EXPECT_EQ(ReadFile(d / "dst/a.txt"), "new a");
}

TEST(CopyOperation, FoldersMergeAndNeverReplaceFiles) {
  ScratchDir d;
  WriteFile(d / "src/f/one.txt", "1 new");
  WriteFile(d / "src/f/two.txt", "2 new");
  WriteFile(d / "dst/f/one.txt", "1 old");
  WriteFile(d / "dst/f/keep.txt", "keep");
  WriteFile(d / "src/g/x.txt", "x");
  WriteFile(d / "dst/g", "a file named g");
  TSHFOP op;
  std::vector<std::string> asked;
  op.hooks.conflict = [&](const ConflictQuestion& q) {
    asked.push_back(FileNamePart(q.target));
    return ConflictReply{ConflictAnswer::Overwrite, false};
  };
  op.FromFFList = {d / "src/f", d / "src/g"};
  op.ToFolder = d / "dst";
  ASSERT_TRUE(op.Execute()) << op.ErrorText();
  EXPECT_EQ(asked, (std::vector<std::string>{"f", "one.txt", "g"}));
  EXPECT_EQ(ReadFile(d / "dst/f/one.txt"), "1 new");
  EXPECT_EQ(ReadFile(d / "dst/f/two.txt"), "2 new");
  EXPECT_EQ(ReadFile(d / "dst/f/keep.txt"), "keep");
  EXPECT_EQ(ReadFile(d / "dst/g"), "a file named g");  // a folder does not replace a file
  EXPECT_EQ(ReadFile(d / "dst/g (2)/x.txt"), "x");
}

TEST(CopyOperation, RefusesAFolderIntoItselfAndAsksForMissingTargets) {
  ScratchDir d;
  WriteFile(d / "src/a/b/c.txt", "c");
  for (const std::string& to : {d / "src", d / "src/a", d / "src/a/b", d / "src/a/b/new"}) {
    for (TwFuncOption f : {wCOPY, wMOVE}) {
      TSHFOP op;
      op.OperationF = f;
      op.Options = NOCONFIRMMKDIR;
      op.FromFFList = {d / "src"};
      op.ToFolder = to;
      EXPECT_FALSE(op.Execute()) << to;
      EXPECT_EQ(op.ErrorText(), f == wCOPY ? msg::kCopyIntoItself : msg::kMoveIntoItself);
    }
  }
  EXPECT_EQ(Names(d / "src/a/b"), (std::vector<std::string>{"c.txt"}));
  EXPECT_EQ(Names(d / "src"), (std::vector<std::string>{"a"}));
  // A sibling whose name merely begins the same is not inside.
  TSHFOP sib;
  sib.Options = NOCONFIRMMKDIR;
  sib.FromFFList = {d / "src/a"};
  sib.ToFolder = d / "src/ab";
  EXPECT_TRUE(sib.Execute()) << sib.ErrorText();
  EXPECT_EQ(ReadFile(d / "src/ab/a/b/c.txt"), "c");

  // A missing target: asked with the folder's name; no creates nothing.
  TSHFOP op;
  std::string question;
  bool answer = false;
  op.hooks.confirmMkdir = [&](const std::string& q) {
    question = q;
    return answer;
  };
  op.FromFFList = {d / "src/a/b/c.txt"};
  op.ToFolder = d / "new/deeper";
  EXPECT_FALSE(op.Execute());
  EXPECT_EQ(question, d / "new/deeper" + " は存在しません. 作成しますか？");
  EXPECT_FALSE(Exists(d / "new"));
  answer = true;
  EXPECT_TRUE(op.Execute());
  EXPECT_EQ(ReadFile(d / "new/deeper/c.txt"), "c");
  // Nothing to do: no sources, or no target for a copy.
  TSHFOP empty;
  EXPECT_FALSE(empty.Execute());
  empty.FromFFList = {d / "src"};
  EXPECT_FALSE(empty.Execute());
  EXPECT_FALSE(empty.Aborted());
}

TEST(CopyOperation, OntoItselfMakesASecondCopy) {
  ScratchDir d;
  WriteFile(d / "a.txt", "same");
  TSHFOP op;
  op.FromFFList = {d / "a.txt"};
  op.ToFolder = d.path();
  ASSERT_TRUE(op.Execute());
  EXPECT_EQ(ReadFile(d / "a (2).txt"), "same");
  EXPECT_EQ(ReadFile(d / "a.txt"), "same");
  op.OperationF = wMOVE;  // a move onto itself has nothing to do
  EXPECT_TRUE(op.Execute());
  EXPECT_EQ(ReadFile(d / "a.txt"), "same");
}

TEST(CopyOperation, CancelLeavesOnlyWholeFiles) {
  ScratchDir d;
  std::string big = Bytes(40u << 20, 3);  // several chunks: cancel lands inside it
  WriteFile(d / "src/1.txt", "first");
  WriteFile(d / "src/2.big", big);
  WriteFile(d / "src/3.txt", "third");
  std::filesystem::create_directories(d / "dst");
  std::atomic<bool> cancel{false};
  TSHFOP op;
  op.hooks.cancel = &cancel;
  op.hooks.progress = [&](const FileOpProgress& p) {
    if (p.bytesDone > 5 + (8u << 20)) cancel = true;
  };
  op.FromFFList = {d / "src/1.txt", d / "src/2.big", d / "src/3.txt"};
  op.ToFolder = d / "dst";
  EXPECT_FALSE(op.Execute());
  EXPECT_TRUE(op.Aborted());
  EXPECT_EQ(Names(d / "dst"), (std::vector<std::string>{"1.txt"}));
  EXPECT_EQ(ReadFile(d / "src/2.big").size(), big.size());
}

TEST(CopyOperation, FullDiskReadOnlyTargetAndVanishingSourceStopCleanly) {
  ScratchDir d;
  WriteFile(d / "src/small.txt", "small");
  WriteFile(d / "src/large.bin", Bytes(3u << 20, 4));
  WriteFile(d / "src/later.txt", "later");
  std::filesystem::create_directories(d / "dst");
  {
    // A file-size limit stands in for a full disk: writes fail with EFBIG.
    struct rlimit old;
    ::getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit lim = old;
    lim.rlim_cur = 1u << 20;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &lim), 0);
    TSHFOP op;
    op.FromFFList = {d / "src/small.txt", d / "src/large.bin", d / "src/later.txt"};
    op.ToFolder = d / "dst";
    bool ok = op.Execute();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok);
    EXPECT_EQ(op.ErrorText().rfind("File Operation に失敗しました\n", 0), 0u) << op.ErrorText();
    EXPECT_NE(op.ErrorText().find("large.bin"), std::string::npos);
    EXPECT_EQ(Names(d / "dst"), (std::vector<std::string>{"small.txt"}));
    EXPECT_EQ(Names(d / "src").size(), 3u);
  }
  {
    std::filesystem::create_directories(d / "ro");
    if (MakeReadOnly(d / "ro")) {
      TSHFOP op;
      op.OperationF = wMOVE;
      op.FromFFList = {d / "src/small.txt"};
      op.ToFolder = d / "ro";
      EXPECT_FALSE(op.Execute());
      UndoReadOnly(d / "ro");
      EXPECT_NE(op.ErrorText().find("File Operation に失敗しました"), std::string::npos) << op.ErrorText();
      EXPECT_EQ(ReadFile(d / "src/small.txt"), "small");
      EXPECT_TRUE(Names(d / "ro").empty());
    }
  }
  {
    // The second source disappears while the first is being copied.
    std::filesystem::remove_all(d / "dst");
    std::filesystem::create_directories(d / "dst");
    TSHFOP op;
    op.hooks.progress = [&](const FileOpProgress& p) {
      if (FileNamePart(p.current) == "small.txt") std::filesystem::remove(d / "src/large.bin");
    };
    op.FromFFList = {d / "src/small.txt", d / "src/large.bin", d / "src/later.txt"};
    op.ToFolder = d / "dst";
    EXPECT_FALSE(op.Execute());
    EXPECT_NE(op.ErrorText().find("No such file or directory"), std::string::npos);
    EXPECT_EQ(Names(d / "dst"), (std::vector<std::string>{"small.txt"}));
    EXPECT_EQ(ReadFile(d / "src/later.txt"), "later");
  }
}

TEST(MoveOperation, WithinAndAcrossFileSystems) {
  ScratchDir d;
  WriteFile(d / "src/a.txt", "a");
  WriteFile(d / "src/dir/b.txt", "b");
  ::symlink("b.txt", (d / "src/dir/l").c_str());
  TSHFOP op;
  op.OperationF = wMOVE;
  op.Options = NOCONFIRMMKDIR;
  op.FromFFList = {d / "src/a.txt", d / "src/dir"};
  op.ToFolder = d / "dst";
  ASSERT_TRUE(op.Execute()) << op.ErrorText();
  EXPECT_TRUE(Names(d / "src").empty());
  EXPECT_EQ(ReadFile(d / "dst/dir/b.txt"), "b");

  // /dev/shm is another file system on most machines: the copy-then-delete path.
  struct stat a, b;
  if (::stat("/dev/shm", &b) != 0 || ::stat(d.path().c_str(), &a) != 0 || a.st_dev == b.st_dev ||
      ::access("/dev/shm", W_OK) != 0)
    GTEST_SKIP() << "no second file system to move across";
  ScratchDir other("/dev/shm");
  WriteFile(d / "dst/dir/sub/c.txt", "c");
  SetMtime(d / "dst/dir/b.txt", 1200000000);
  TSHFOP across;
  across.OperationF = wMOVE;
  std::vector<std::string> order;
  across.hooks.progress = [&](const FileOpProgress& p) {
    // Each source is still there while its own copy is being made.
    if (FileNamePart(p.current) == "b.txt" && p.filesDone == 0) {
      EXPECT_TRUE(Exists(p.current));
    }
  };
  across.FromFFList = {d / "dst/a.txt", d / "dst/dir"};
  across.ToFolder = other.path();
  ASSERT_TRUE(across.Execute()) << across.ErrorText();
  EXPECT_TRUE(Names(d / "dst").empty());
  EXPECT_EQ(ReadFile(other / "a.txt"), "a");
  EXPECT_EQ(ReadFile(other / "dir/sub/c.txt"), "c");
  EXPECT_EQ(std::filesystem::read_symlink(other / "dir/l").string(), "b.txt");
  ASSERT_EQ(::stat((other / "dir/b.txt").c_str(), &a), 0);
  EXPECT_EQ(a.st_mtime, 1200000000);

  // Cancelled across: the files already moved are whole, the rest stay.
  WriteFile(d / "back/1.txt", "1");
  WriteFile(d / "back/2.txt", "2");
  std::atomic<bool> cancel{false};
  TSHFOP part;
  part.OperationF = wMOVE;
  part.hooks.cancel = &cancel;
  part.hooks.progress = [&](const FileOpProgress& p) {
    if (p.filesDone == 1) cancel = true;
  };
  part.FromFFList = {d / "back/1.txt", d / "back/2.txt"};
  part.ToFolder = other.path();
  EXPECT_FALSE(part.Execute());
  EXPECT_EQ(ReadFile(other / "1.txt"), "1");
  EXPECT_FALSE(Exists(d / "back/1.txt"));
  EXPECT_EQ(ReadFile(d / "back/2.txt"), "2");
  EXPECT_FALSE(Exists(other / "2.txt"));
}

TEST(DeleteOperation, TrashThroughTheInterfaceAndForGood) {
  ScratchDir d;
  WriteFile(d / "a.txt", "a");
  WriteFile(d / "b.txt", "b");
  WriteFile(d / "dir/c.txt", "c");
  FakeTrash trash;
  TSHFOP op;
  op.OperationF = wDELETE;
  op.hooks.trash = &trash;
  op.FromFFList = {d / "a.txt", d / "dir"};
  ASSERT_TRUE(op.Execute());
  EXPECT_EQ(trash.trashed, (std::vector<std::string>{d / "a.txt", d / "dir"}));
  EXPECT_EQ(Names(d.path()), (std::vector<std::string>{"b.txt"}));

  // A failure of the trash stops and says why; the item stays.
  WriteFile(d / "c.txt", "c");
  trash.failOn = d / "b.txt";
  op.FromFFList = {d / "b.txt", d / "c.txt"};
  EXPECT_FALSE(op.Execute());
  EXPECT_EQ(op.ErrorText(), "File Operation に失敗しました\n" + d / "b.txt" + ": Permission denied");
  EXPECT_TRUE(Exists(d / "b.txt"));
  EXPECT_TRUE(Exists(d / "c.txt"));

  // Without a trash nothing is deleted.
  TSHFOP none;
  none.OperationF = wDELETE;
  none.FromFFList = {d / "c.txt"};
  EXPECT_FALSE(none.Execute());
  EXPECT_EQ(none.ErrorText(), msg::kNoTrash);
  EXPECT_TRUE(Exists(d / "c.txt"));

  // For good: ALLOWUNDO cleared; a wildcard matches in its folder.
  WriteFile(d / "w/x1.log", "1");
  WriteFile(d / "w/x2.log", "2");
  WriteFile(d / "w/keep.txt", "k");
  WriteFile(d / "w/sub/deep.log", "d");
  TSHFOP perm;
  perm.OperationF = wDELETE;
  perm.Options = 0;
  perm.FromFFList = {d / "w/*.log", d / "w/sub"};
  ASSERT_TRUE(perm.Execute()) << perm.ErrorText();
  EXPECT_EQ(Names(d / "w"), (std::vector<std::string>{"keep.txt"}));
  EXPECT_EQ(perm.SourceText(), d / "w/*.log" + std::string(1, '\0') + d / "w/sub" + std::string(2, '\0'));
}

TEST(RenameOperation, PatternRuleAndNoOverwrite) {
  EXPECT_EQ(RenamePatternTarget("*.txt"), "?*.txt");
  EXPECT_EQ(RenamePatternTarget("/x/*.bak"), "/x/?*.bak");
  EXPECT_EQ(RenamePatternTarget("**.txt"), "**.txt");
  EXPECT_EQ(RenamePatternTarget("a*.txt"), "a*.txt");
  EXPECT_EQ(RenamePatternTarget("*"), "*");
  EXPECT_EQ(ApplyRenamePattern("report.doc", "?*.txt"), "report.txt");
  EXPECT_EQ(ApplyRenamePattern("archive.tar.gz", "?*.bak"), "archive.tar.bak");
  EXPECT_EQ(ApplyRenamePattern("abc.txt", "x?c.*"), "xbc.txt");
  EXPECT_EQ(ApplyRenamePattern("noext", "?*.txt"), "noext.txt");

  ScratchDir d;
  WriteFile(d / "one.doc", "1");
  WriteFile(d / "two.doc", "2");
  WriteFile(d / "taken.txt", "t");
  TSHFOP op;
  op.OperationF = wRENAME;
  op.FromFFList = {d / "*.doc"};
  op.ToFolder = "*.txt";
  EXPECT_EQ(op.TargetText(), std::string("?*.txt") + '\0' + '\0');
  ASSERT_TRUE(op.Execute()) << op.ErrorText();
  EXPECT_EQ(Names(d.path()), (std::vector<std::string>{"one.txt", "taken.txt", "two.txt"}));
  op.FromFFList = {d / "one.txt"};
  op.ToFolder = "taken.txt";
  EXPECT_FALSE(op.Execute());
  EXPECT_EQ(ReadFile(d / "taken.txt"), "t");
  EXPECT_EQ(ReadFile(d / "one.txt"), "1");
}

TEST(SHFOPEvents, PreparedHandlerMayStopAndOptionsPersist) {
  ScratchDir d;
  WriteFile(d / "a.txt", "a");
  std::filesystem::create_directories(d / "dst");
  TSHFOP op;
  EXPECT_EQ(op.OperationF, wCOPY);
  EXPECT_EQ(op.Options, static_cast<TfFlagsOptions>(ALLOWUNDO));
  op.GetFileList = true;
  op.OnPrepared = [&](TSHFOP& sender, bool& proceed) {
    EXPECT_EQ(&sender, &op);
    EXPECT_EQ(sender.CollectedFiles(), (std::vector<std::string>{d / "a.txt"}));
    proceed = false;
  };
  op.FromFFList = {d / "a.txt"};
  op.ToFolder = d / "dst";
  EXPECT_FALSE(op.Execute());
  EXPECT_TRUE(op.Aborted());
  EXPECT_TRUE(Names(d / "dst").empty());
}

}  // namespace
}  // namespace navirt

// The archive commands without widgets: dispatch, dialogs and their
// Cancel, names of new archives, listings, extraction with a job's cancel
// flag, creation through a temporary file, and broken or vanishing input.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <set>

#include "archive/ArcCommands.h"
#include "archive/ArcListing.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

void P16(std::string& s, unsigned v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void P32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// A stored ZIP holding exactly these names, hostile ones included.
std::string StoredZip(const std::vector<std::pair<std::string, std::string>>& files) {
  std::string out, central;
  for (const auto& [name, data] : files) {
    uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), data.size()));
    uint32_t off = static_cast<uint32_t>(out.size());
    auto common = [&, &name = name, &data = data](std::string& s) {
      P16(s, 0);
      P16(s, 0);
      P16(s, 0);
      P16(s, 0x21);
      P32(s, crc);
      P32(s, static_cast<uint32_t>(data.size()));
      P32(s, static_cast<uint32_t>(data.size()));
      P16(s, static_cast<unsigned>(name.size()));
      P16(s, 0);
    };
    P32(out, 0x04034B50);
    P16(out, 20);
    common(out);
    out += name + data;
    P32(central, 0x02014B50);
    P16(central, 20);
    P16(central, 20);
    common(central);
    P16(central, 0);
    P16(central, 0);
    P16(central, 0);
    P32(central, 0x20);
    P32(central, off);
    central += name;
  }
  uint32_t cd = static_cast<uint32_t>(out.size());
  out += central;
  P32(out, 0x06054B50);
  P32(out, 0);
  P16(out, static_cast<unsigned>(files.size()));
  P16(out, static_cast<unsigned>(files.size()));
  P32(out, static_cast<uint32_t>(central.size()));
  P32(out, cd);
  P16(out, 0);
  return out;
}

std::set<std::string> FilesUnder(const std::string& root) {
  std::set<std::string> out;
  if (!fs::exists(root)) return out;
  for (const auto& e : fs::recursive_directory_iterator(root))
    if (!e.is_directory()) out.insert(fs::relative(e.path(), root).string());
  return out;
}

// A folder nobody can write into, root included; undone on destruction.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const std::string& path) : path_(path) {
    fs::create_directories(path);
    ::chmod(path.c_str(), 0555);
    if (::geteuid() == 0) {
      int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
      int flags = 0;
      if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags |= FS_IMMUTABLE_FL;
        immutable_ = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
      }
      if (fd >= 0) ::close(fd);
    }
  }
  ~ReadOnlyFolder() {
    if (immutable_) {
      int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY);
      int flags = 0;
      if (fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags &= ~FS_IMMUTABLE_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
      }
      if (fd >= 0) ::close(fd);
    }
    ::chmod(path_.c_str(), 0755);
  }
  bool Works() const { return ::geteuid() != 0 || immutable_; }

 private:
  std::string path_;
  bool immutable_ = false;
};

struct Env {
  TLhaDirect lha;
  TIniFile ini;
  int asked = 0;
  bool answer = true;
  std::string target;  // folder box answer; empty keeps the preset
  std::string name;    // name box answer; empty keeps the preset
  TArcCommandEnv env{lha, ini, {}, {}};
  explicit Env(const std::string& lib = "UNLHA32.DLL") : lha(lib) {
    env.askTarget = [this](TArcTargetModel& m) {
      ++asked;
      if (!target.empty()) m.answer = target;
      return answer;
    };
    env.askName = [this](TInputDialogModel& m) {
      ++asked;
      if (!name.empty()) m.text = name;
      return answer;
    };
  }
};

TArcSelection Select(const std::string& folder, const std::string& name, std::vector<std::string> names = {}) {
  TArcSelection s;
  s.currentFolder = folder;
  s.selectedPath = name.empty() ? "" : folder + "/" + name;
  s.selectedNames = names.empty() && !name.empty() ? std::vector<std::string>{name} : names;
  s.listCount = 5;
  return s;
}

std::string SfxStub() { return "MZ" + std::string(300, '\x90'); }

TEST(ArcCommands, DispatchByExtensionAndTheLhaCheck) {
  TempDir tmp;
  TLhaDirect lha;
  ASSERT_GT(lha.Version(), 0);
  WriteFile(tmp / "setup.exe", SfxStub() + ReadFile(Fixture("jlha-l2.lzh")));
  WriteFile(tmp / "zipped.exe", StoredZip({{"a.txt", "x"}}));
  WriteFile(tmp / "a.zip", StoredZip({{"a.txt", "x"}}));
  // ".LZH" goes to LHA by its name alone, in any case, even when it is none.
  EXPECT_EQ(RouteByExtension(tmp / "gone.LZH", lha), TArcRoute::Lha);
  EXPECT_EQ(RouteByExtension(tmp / "x.lzh", lha), TArcRoute::Lha);
  EXPECT_EQ(RouteByExtension(tmp / "setup.exe", lha), TArcRoute::Lha);
  EXPECT_EQ(RouteByExtension(tmp / "zipped.exe", lha), TArcRoute::General);
  EXPECT_EQ(RouteByExtension(tmp / "a.zip", lha), TArcRoute::General);
  EXPECT_EQ(RouteByExtension(tmp / "lzh", lha), TArcRoute::General);

  EXPECT_TRUE(GeneralExtractAccepts("/x/a.Gz"));
  EXPECT_TRUE(GeneralExtractAccepts("/x/a.CAB"));
  EXPECT_FALSE(GeneralExtractAccepts("/x/a.tgz"));
  EXPECT_FALSE(GeneralExtractAccepts("/x/a.bz2"));
  EXPECT_FALSE(GeneralExtractAccepts("/x.zip/readme"));

  // "LHA一覧(&L)" lists the zip inside an .exe through the general listing.
  Env e;
  TArcOutcome o = RunArcCommand(TArcCommand::Mlhalist, Select(tmp.Path(), "zipped.exe"), e.env);
  EXPECT_TRUE(o.setPane);
  EXPECT_NE(o.paneText.find("Listing of archive : "), std::string::npos);
  EXPECT_FALSE(o.fileInfo);
  // ... and the self-extracting LHA one through LHA, the library's own text.
  o = RunArcCommand(TArcCommand::Mlhalist, Select(tmp.Path(), "setup.exe"), e.env);
  EXPECT_TRUE(o.fileInfo);
  EXPECT_TRUE(o.labelBlue);
  EXPECT_EQ(o.result, 0);
  EXPECT_NE(o.paneText.find("a.txt"), std::string::npos);
  EXPECT_EQ(o.paneText.find("  Name            Original"), std::string::npos);
  // Without a selection nothing happens.
  EXPECT_FALSE(RunArcCommand(TArcCommand::Mlhalist, Select(tmp.Path(), ""), e.env).acted);
}

TEST(ArcCommands, NoLhaLibraryDisablesAndSilencesTheLhaCommands) {
  TempDir tmp;
  WriteFile(tmp / "a.lzh", ReadFile(Fixture("jlha-l2.lzh")));
  WriteFile(tmp / "setup.exe", SfxStub() + ReadFile(Fixture("jlha-l2.lzh")));
  Env e("NOSUCHLHA32.DLL");
  EXPECT_EQ(e.lha.Version(), 0);
  EXPECT_FALSE(LhaCommandsEnabled(e.lha.Version()));
  EXPECT_TRUE(LhaCommandsEnabled(1));
  EXPECT_FALSE(e.lha.Check(tmp / "a.lzh", 0));
  std::string report = "old";
  EXPECT_EQ(e.lha.Run("l \"" + tmp / "a.lzh" + "\"", report), 0x8018);
  EXPECT_EQ(report, "");
  // An .exe is then listed by the general command, which finds LHA inside.
  EXPECT_EQ(RouteByExtension(tmp / "setup.exe", e.lha), TArcRoute::General);
  for (TArcCommand c :
       {TArcCommand::Mlhalist, TArcCommand::Mlha_V, TArcCommand::MlhaU, TArcCommand::Mlha_E, TArcCommand::MlhaP}) {
    TArcOutcome o = RunArcCommand(c, Select(tmp.Path(), "a.lzh"), e.env);
    EXPECT_FALSE(o.acted) << static_cast<int>(c);
  }
  EXPECT_EQ(e.asked, 0);
  EXPECT_EQ(FilesUnder(tmp.Path()).size(), 2u);
  // The preview shows the file as it is.
  EXPECT_FALSE(PreviewListsArchive(true, tmp / "a.lzh", e.lha));
  EXPECT_TRUE(LhaPreview(tmp / "a.lzh", e.lha).normalPreview);
}

TEST(ArcCommands, LhaListingInThePreviewOnAndOff) {
  TempDir tmp;
  TLhaDirect lha;
  WriteFile(tmp / "a.LZH", ReadFile(Fixture("jlha-l2.lzh")));
  WriteFile(tmp / "setup.EXE", SfxStub() + ReadFile(Fixture("jlha-l2.lzh")));
  WriteFile(tmp / "plain.exe", "MZ not an archive at all");
  WriteFile(tmp / "broken.lzh", ReadFile(Fixture("jlha-l2.lzh")).substr(0, 30));
  WriteFile(tmp / "a.txt", "text");
  EXPECT_TRUE(PreviewListsArchive(true, tmp / "a.LZH", lha));
  EXPECT_TRUE(PreviewListsArchive(true, tmp / "setup.EXE", lha));
  EXPECT_FALSE(PreviewListsArchive(false, tmp / "a.LZH", lha));
  EXPECT_FALSE(PreviewListsArchive(true, tmp / "plain.exe", lha));
  EXPECT_FALSE(PreviewListsArchive(true, tmp / "broken.lzh", lha));
  EXPECT_FALSE(PreviewListsArchive(true, tmp / "a.txt", lha));
  EXPECT_FALSE(PreviewListsArchive(true, "", lha));

  TArcOutcome o = LhaPreview(tmp / "a.LZH", lha);
  EXPECT_TRUE(o.fileInfo && o.labelBlue && o.setPane);
  EXPECT_FALSE(o.normalPreview);
  EXPECT_EQ(o.paneText.rfind("Listing of archive : ", 0), 0u);
  EXPECT_NE(o.paneText.find("a.txt"), std::string::npos);
  // "l" shows last components, "v" whole paths.
  std::string sub = "sub/" + Utf8ToCp932("表示.txt");
  EXPECT_EQ(o.paneText.find(sub), std::string::npos);
  EXPECT_NE(LhaList(tmp / "a.LZH", lha, true).paneText.find(sub), std::string::npos);
  // A listing longer than the 64 KiB buffer is shown whole.
  std::string many = tmp / "many";
  for (int i = 0; i < 1000; ++i) WriteFile(many + "/entry" + std::to_string(1000 + i) + ".txt", "x");
  std::string report;
  ASSERT_EQ(lha.Run("a \"" + tmp / "big.lzh" + "\" \"" + many + "/*.txt\"", report), 0);
  std::string cut;
  lha.Run("l \"" + tmp / "big.lzh" + "\"", cut);
  EXPECT_EQ(cut.size() + 1, TLhaDirect::kOutputSize);
  o = LhaPreview(tmp / "big.lzh", lha);
  EXPECT_GT(o.paneText.size(), TLhaDirect::kOutputSize);
  EXPECT_NE(o.paneText.find("entry1999.txt"), std::string::npos);
  EXPECT_EQ(o.paneText.rfind(cut, 0), 0u);
  // A file the stricter check refuses gets its normal preview.
  o = LhaPreview(tmp / "broken.lzh", lha);
  EXPECT_TRUE(o.normalPreview);
  EXPECT_FALSE(o.setPane);
}

TEST(ArcCommands, CreateNamesAndDialogPresets) {
  std::string msg;
  EXPECT_EQ(LhaArchivePath("a.txt", "/d", msg), "/d/a.lzh");
  EXPECT_EQ(LhaArchivePath("noext", "/d/", msg), "/d/noext.lzh");
  EXPECT_EQ(LhaArchivePath("x.tar.gz", "/d", msg), "/d/x.tar.lzh");
  EXPECT_EQ(LhaArchivePath("KEEP.LZH", "/d", msg), "/d/KEEP.LZH");
  EXPECT_EQ(msg, "");
  EXPECT_EQ(ArcArchivePath("b.zip", "/d", msg), "/d/b.zip");
  EXPECT_EQ(ArcArchivePath("none", "/d", msg), "/d/none");
  for (const char* bad : {"../up.lzh", "sub/a.zip", "a\\b.zip", "..", "/abs.zip"}) {
    EXPECT_EQ(LhaArchivePath(bad, "/d", msg), "") << bad;
    EXPECT_EQ(msg, "ファイル名が正しくありません。");
    EXPECT_EQ(ArcArchivePath(bad, "/d", msg), "") << bad;
  }
  EXPECT_EQ(ArcArchivePath("", "/d", msg), "");
  EXPECT_EQ(msg, "");
  EXPECT_EQ(ArcNameWithExt("a.b.c", ".lzh"), "a.b.lzh");
  EXPECT_EQ(ArcNameWithExt("dir.x/name", ".lzh"), "dir.x/name.lzh");

  TIniFile ini;
  SaveHistoryList(ini, "LHApack", {}, "old.lzh");
  TArcSelection sel = Select("/d", "report.txt");
  TInputDialogModel m = LhaCreateDialog(sel, ini);
  EXPECT_EQ(m.caption, "ＬＨＡファイルに圧縮");
  EXPECT_EQ(m.prompt, "圧縮ファイル名を指定します。　ex) navir.lzh");
  EXPECT_EQ(m.note, "");
  EXPECT_EQ(m.text, "report.lzh");
  EXPECT_EQ(m.history, std::vector<std::string>{"old.lzh"});
  m = ArcCreateDialog(sel, ini);
  EXPECT_EQ(m.caption, "書庫ファイルを作成");
  EXPECT_EQ(m.prompt, "圧縮ファイル名 拡張子指定。ex)navirt.zip");
  EXPECT_EQ(m.text, "report.lzh");
  EXPECT_TRUE(m.history.empty());

  TArcTargetModel t = ExtractDialog(Select("/d", "a.zip"));
  EXPECT_EQ(t.folder, "/d");
  EXPECT_EQ(t.operation, "解凍");
  EXPECT_EQ(t.countText, "1個のファイル");
  EXPECT_EQ(t.files, std::vector<std::string>{"/d/a.zip"});
  EXPECT_EQ(t.TargetFolder(), "/d/");
  t.answer = "/e/";
  EXPECT_EQ(t.TargetFolder(), "/e/");
  EXPECT_EQ(ResultCodeLine(32800), "Result code = 32800");
  EXPECT_EQ(ResultCodeMessage(0x8006), "展開先のファイルはリードオンリーです。");
  EXPECT_EQ(ResultCodeMessage(0), "");
}

TEST(ArcCommands, CancelAtEveryDialogChangesNothing) {
  TempDir tmp;
  WriteFile(tmp / "a.lzh", ReadFile(Fixture("jlha-l2.lzh")));
  WriteFile(tmp / "b.zip", StoredZip({{"in.txt", "inside"}}));
  WriteFile(tmp / "c.txt", "plain");
  Env e;
  e.answer = false;
  std::set<std::string> before = FilesUnder(tmp.Path());
  struct Case {
    TArcCommand cmd;
    const char* file;
  } cases[] = {{TArcCommand::MlhaU, "a.lzh"},       {TArcCommand::Mlha_E, "a.lzh"}, {TArcCommand::MlhaU, "b.zip"},
               {TArcCommand::Marcunpack1, "b.zip"}, {TArcCommand::MlhaP, "c.txt"},  {TArcCommand::Marcmake, "c.txt"}};
  for (const Case& c : cases) {
    int asked = e.asked;
    TArcOutcome o = RunArcCommand(c.cmd, Select(tmp.Path(), c.file), e.env);
    EXPECT_EQ(e.asked, asked + 1) << c.file;
    EXPECT_FALSE(o.acted) << c.file;
    EXPECT_FALSE(o.setPane || o.reloadList || o.labelBlue);
  }
  EXPECT_EQ(FilesUnder(tmp.Path()), before);
  // No history was written either.
  EXPECT_FALSE(e.ini.SectionExists("LHApack"));
  EXPECT_FALSE(e.ini.SectionExists("ARCpack"));
  // Commands that need something ask nothing without it.
  TArcSelection empty = Select(tmp.Path(), "c.txt");
  empty.listCount = 0;
  EXPECT_FALSE(RunArcCommand(TArcCommand::Marcmake, empty, e.env).acted);
  EXPECT_FALSE(RunArcCommand(TArcCommand::Marcunpack1, Select(tmp.Path(), "c.txt"), e.env).acted);
  EXPECT_EQ(e.asked, 6);
}

TEST(ArcCommands, GeneralListingEmptyArchiveAndSubFolderEntries) {
  TempDir tmp;
  WriteFile(tmp / "empty.zip", StoredZip({}));
  TArcOutcome o = GeneralList(tmp / "empty.zip");
  ASSERT_TRUE(o.setPane);
  EXPECT_TRUE(o.labelBlue);
  EXPECT_EQ(o.paneText, "\r\nListing of archive : " + tmp / "empty.zip" +
                            "\r\n\r\n"
                            "  Name            Original    Packed    Ratio   Date     Time   Attr Type  CRC\r\n"
                            "--------------  ----------  ---------- ------ -------- -------- ---- ----- ----\r\n"
                            "--------------  ----------  ---------- ------ -------- -------- ---- ----- ----\r\n"
                            "     0 files             0           0   0.0%\r\n");

  std::string jp = Utf8ToCp932("表示ソフトのとても長い名前.txt");
  WriteFile(tmp / "sub.zip",
            StoredZip({{"top.txt", "1"}, {"dir/deeper/averyveryverylongname.txt", "22"}, {"d/" + jp, "333"}}));
  o = GeneralList(tmp / "sub.zip");
  std::vector<std::string> lines;
  for (size_t p = 0, q; (q = o.paneText.find("\r\n", p)) != std::string::npos; p = q + 2)
    lines.push_back(o.paneText.substr(p, q - p));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[5].substr(0, 16), "  top.txt       ");
  EXPECT_EQ(lines[6].substr(0, 16), "+ averyveryver  ");
  EXPECT_NE(lines[6].find(" dir/deeper/averyveryverylongname.txt "), std::string::npos);
  // Twelve bytes of the last component, never half a double-byte character.
  EXPECT_EQ(lines[7].substr(0, 2), "+ ");
  EXPECT_EQ(lines[7].substr(2, 12), jp.substr(0, 12));
  EXPECT_EQ(lines[9], "     3 files             6           6 100.0%");
}

TEST(ArcCommands, GeneralCreatePacksTheSelectedFilesAndNamesTheRest) {
  TempDir tmp;
  std::string dir = tmp / "shown";
  WriteFile(dir + "/a.txt", "alpha");
  WriteFile(dir + "/b[1].bin", std::string(5000, 'b'));
  WriteFile(dir + "/.hidden", "secret");
  WriteFile(dir + "/not-selected.txt", "no");
  WriteFile(dir + "/folder/inner.txt", "deep");
  for (const char* ext : {"zip", "lzh", "tar"}) {
    Env e;
    e.name = std::string("out.") + ext;
    TArcSelection sel = Select(dir, "a.txt", {"a.txt", "b[1].bin", ".hidden", "folder", "gone.txt"});
    TArcOutcome o = RunArcCommand(TArcCommand::Marcmake, sel, e.env);
    ASSERT_TRUE(o.acted) << ext;
    EXPECT_EQ(o.result, 0) << ext << o.paneText;
    std::vector<std::string> names = EntryNames(dir + "/out." + ext);
    std::sort(names.begin(), names.end());
    // A leading "." is a name, not the hidden attribute: packed. What is
    // left out is named in the result.
    EXPECT_EQ(names, (std::vector<std::string>{".hidden", "a.txt", "b[1].bin"})) << ext;
    EXPECT_NE(o.paneText.find("Skipped: folder (a folder)\r\n"), std::string::npos) << o.paneText;
    EXPECT_NE(o.paneText.find("Skipped: gone.txt (cannot read)\r\n"), std::string::npos) << o.paneText;
    EXPECT_TRUE(o.reloadList && o.setPane && o.labelBlue);
    EXPECT_EQ(o.labelText, std::optional<std::string>(""));
    EXPECT_EQ(o.paneText.substr(o.paneText.size() - 17), "\r\nResult code = 0");
    EXPECT_EQ(LoadHistoryList(e.ini, "ARCpack"), std::vector<std::string>{e.name});
  }
  // No temporary file stays behind.
  for (const auto& f : FilesUnder(dir)) EXPECT_EQ(f.find(".navirt-pack"), std::string::npos) << f;
}

// A report longer than the window's buffer is cut mid-line: the result
// line still starts a line of its own, ended CR LF as every line.
TEST(ArcCommands, GeneralCreateEndsACutReportBeforeTheResult) {
  TempDir tmp;
  std::string dir = tmp / "shown";
  std::vector<std::string> names;
  for (int i = 0; i < 400; ++i) {
    names.push_back("a-file-with-a-rather-long-name-" + std::to_string(1000 + i) + ".txt");
    WriteFile(dir + "/" + names.back(), "x");
  }
  Env e;
  e.name = "many.zip";
  TArcOutcome o = RunArcCommand(TArcCommand::Marcmake, Select(dir, names[0], names), e.env);
  ASSERT_EQ(o.result, 0) << o.paneText;
  ASSERT_GT(o.paneText.size(), 4000u);
  const std::string tail = "Result code = 0";
  ASSERT_EQ(o.paneText.substr(o.paneText.size() - tail.size()), tail);
  EXPECT_EQ(o.paneText.substr(o.paneText.size() - tail.size() - 2, 2), "\r\n");
  EXPECT_EQ(o.paneText.find("\n\r"), std::string::npos);
}

TEST(ArcCommands, GeneralCreateNeverLosesTheOldArchive) {
  TempDir tmp;
  std::string dir = tmp.Path();
  WriteFile(dir + "/a.txt", "alpha");
  WriteFile(dir + "/b.txt", "beta");
  WriteFile(dir + "/notes.txt", "my notes");
  Env e;
  // Success replaces the old archive whole.
  e.name = "keep.zip";
  ASSERT_EQ(RunArcCommand(TArcCommand::Marcmake, Select(dir, "a.txt"), e.env).result, 0);
  std::string old = ReadFile(dir + "/keep.zip");
  ASSERT_EQ(EntryNames(dir + "/keep.zip"), std::vector<std::string>{"a.txt"});
  // A name whose extension names no format: the existing file stays.
  e.name = "notes.txt";
  TArcOutcome o = RunArcCommand(TArcCommand::Marcmake, Select(dir, "a.txt"), e.env);
  EXPECT_EQ(o.messageKind, TArcMessageKind::Error);
  EXPECT_EQ(o.message, "書庫の形式を判別できません。");
  EXPECT_EQ(ReadFile(dir + "/notes.txt"), "my notes");
  // Cancelled midway: the library stops, the old archive stays as it was.
  std::atomic<bool> cancel{true};
  TArcProgress progress{&cancel, {}};
  e.env.progress = &progress;
  e.name = "keep.zip";
  o = RunArcCommand(TArcCommand::Marcmake, Select(dir, "b.txt"), e.env);
  EXPECT_EQ(o.result, 0x8020);
  EXPECT_TRUE(o.cancelled);
  EXPECT_EQ(ReadFile(dir + "/keep.zip"), old);
  // Nothing to pack: result 0, and still the old archive; the name that
  // could not be packed is named.
  e.env.progress = nullptr;
  o = RunArcCommand(TArcCommand::Marcmake, Select(dir, "", {"missing.txt"}), e.env);
  EXPECT_EQ(o.paneText, "Skipped: missing.txt (cannot read)\r\nResult code = 0");
  EXPECT_EQ(ReadFile(dir + "/keep.zip"), old);
  // A name that leaves the folder is refused.
  e.name = "../escape.zip";
  o = RunArcCommand(TArcCommand::Marcmake, Select(dir, "a.txt"), e.env);
  EXPECT_EQ(o.messageKind, TArcMessageKind::Warning);
  EXPECT_FALSE(Exists(tmp.Path() + "/../escape.zip"));
  for (const auto& f : FilesUnder(dir)) EXPECT_EQ(f.find(".navirt-pack"), std::string::npos) << f;
}

TEST(ArcCommands, LhaCreateExtractAndFlatExtract) {
  TempDir tmp;
  std::string dir = tmp.Path();
  WriteFile(dir + "/a.txt", "alpha");
  WriteFile(dir + "/b.txt", "beta");
  Env e;
  e.name = "pack.txt";
  TArcOutcome o = RunArcCommand(TArcCommand::MlhaP, Select(dir, "a.txt", {"a.txt", "b.txt"}), e.env);
  EXPECT_EQ(o.result, 0) << o.paneText;
  EXPECT_EQ(o.labelText, std::optional<std::string>(dir + "/pack.lzh   2個のファイル"));
  EXPECT_TRUE(o.reloadList && o.labelBlue && o.setPane);
  EXPECT_EQ(LoadHistoryList(e.ini, "LHApack"), std::vector<std::string>{"pack.txt"});
  std::vector<std::string> names = EntryNames(dir + "/pack.lzh");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"}));

  e.target = dir + "/out";
  e.env.todirOpen = true;
  o = RunArcCommand(TArcCommand::MlhaU, Select(dir, "pack.lzh"), e.env);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.jumpFolder, dir + "/out");
  EXPECT_EQ(o.lastTarget, dir + "/out");
  EXPECT_TRUE(o.reloadList && o.labelBlue && o.setPane);
  EXPECT_FALSE(o.normalPreview);
  EXPECT_EQ(ReadFile(dir + "/out/b.txt"), "beta");

  WriteFile(dir + "/tree.lzh", ReadFile(Fixture("jlha-l2.lzh")));
  e.target = dir + "/flat";
  o = RunArcCommand(TArcCommand::Mlha_E, Select(dir, "tree.lzh"), e.env);
  EXPECT_EQ(o.result, 0);
  EXPECT_EQ(o.reselect, "tree.lzh");
  EXPECT_TRUE(o.normalPreview && o.reloadList);
  EXPECT_TRUE(o.jumpFolder.empty());
  EXPECT_EQ(ReadFile(dir + "/flat/表示.txt").size(), 600u);
  EXPECT_FALSE(Exists(dir + "/flat/sub"));

  // A file that is no LHA archive: the command's message, nothing asked.
  WriteFile(dir + "/fake.lzh", "not an archive");
  int asked = e.asked;
  o = RunArcCommand(TArcCommand::MlhaU, Select(dir, "fake.lzh"), e.env);
  EXPECT_EQ(o.message, "解凍できませんでした。");
  EXPECT_EQ(e.asked, asked);
}

TEST(ArcCommands, ExtractionCancelledMidwayKeepsWholeFilesOnly) {
  TempDir tmp;
  std::vector<std::pair<std::string, std::string>> files;
  for (int i = 0; i < 40; ++i)
    files.push_back({"f" + std::to_string(100 + i) + ".txt", std::string(3000 + i, 'a' + i % 26)});
  WriteFile(tmp / "many.zip", StoredZip(files));
  std::atomic<bool> cancel{false};
  std::vector<std::string> seen;
  TArcProgress progress{&cancel, [&](size_t done, const std::string& name) {
                          seen.push_back(name);
                          if (done == 10) cancel = true;
                        }};
  TArcTargetModel target = ExtractDialog(Select(tmp.Path(), "many.zip"));
  target.answer = tmp / "out";
  TArcOutcome o = GeneralExtract(tmp / "many.zip", target, &progress);
  EXPECT_TRUE(o.cancelled);
  EXPECT_EQ(o.result, 0x8020);
  EXPECT_EQ(o.paneText.rfind(Utf8ToCp932("ユーザーによって処理を中断されました。") + "\r\n", 0), 0u);
  EXPECT_EQ(seen.size(), 10u);
  std::set<std::string> out = FilesUnder(tmp / "out");
  EXPECT_GE(out.size(), 9u);
  EXPECT_LE(out.size(), 10u);
  for (const auto& [name, data] : files)
    if (out.count(name)) {
      EXPECT_EQ(ReadFile(tmp / "out/" + name), data) << name;
    }
  for (const auto& f : out) EXPECT_EQ(f.rfind("f1", 0), 0u) << "stray file " << f;

  // A listing stopped midway keeps the lines read so far, summed up.
  cancel = false;
  TArcProgress stopAtOnce{&cancel, {}};
  cancel = true;
  TArcOutcome listed = GeneralList(tmp / "many.zip", &stopAtOnce);
  EXPECT_TRUE(listed.cancelled);
  EXPECT_NE(listed.paneText.find("     0 files"), std::string::npos);
  cancel = false;
  listed = GeneralList(tmp / "many.zip", &stopAtOnce);
  EXPECT_FALSE(listed.cancelled);
  EXPECT_NE(listed.paneText.find("    40 files"), std::string::npos);

  // The LHA route stops the same way.
  TLhaDirect lha;
  std::string dir = tmp / "lha";
  for (const auto& [name, data] : files) WriteFile(dir + "/" + name, data);
  std::string report;
  ASSERT_EQ(lha.Run("a \"" + tmp / "many.lzh" + "\" \"" + dir + "/*.txt\"", report), 0) << report;
  cancel = false;
  seen.clear();
  target.answer = tmp / "lout";
  o = LhaExtract(tmp / "many.lzh", target, false, false, lha, &progress);
  EXPECT_TRUE(o.cancelled);
  EXPECT_EQ(o.message, "解凍できませんでした。");
  out = FilesUnder(tmp / "lout");
  EXPECT_LE(out.size(), 10u);
  for (const auto& f : out) EXPECT_EQ(ReadFile(tmp / "lout/" + f), ReadFile(dir + "/" + f)) << f;
}

// Cancel pressed while one large entry is being written stops within it:
// the entries before it stay whole, it leaves no file under any name, and
// nothing after it is started.
TEST(ArcCommands, CancelInsideALargeEntryStopsAtOnceAndRemovesIt) {
  TempDir tmp;
  std::string big(8u << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>((i * 7919) >> 5);
  const std::vector<std::pair<std::string, std::string>> files = {
      {"a.txt", "first\n"}, {"big.bin", big}, {"z.txt", "last\n"}};
  WriteFile(tmp / "big.zip", StoredZip(files));
  std::string dir = tmp / "src";
  for (const auto& [name, data] : files) WriteFile(dir + "/" + name, data);
  TLhaDirect lha;
  std::string report;
  ASSERT_EQ(lha.Run("a \"" + tmp / "big.lzh" + "\" \"" + dir + "/*.*\"", report), 0) << report;

  for (const char* route : {"zip", "lzh"}) {
    SCOPED_TRACE(route);
    std::atomic<bool> cancel{false};
    int reportsOfBig = 0, reports = 0;
    TArcProgress progress{&cancel, [&](size_t done, const std::string&) {
                            ++reports;
                            // The first report from inside big.bin presses Cancel.
                            if (done == 2 && ++reportsOfBig == 2) cancel = true;
                          }};
    TArcTargetModel target = ExtractDialog(Select(tmp.Path(), "big.zip"));
    target.answer = tmp / (std::string("out-") + route);
    TArcOutcome o = std::string(route) == "zip" ? GeneralExtract(tmp / "big.zip", target, &progress)
                                                : LhaExtract(tmp / "big.lzh", target, false, false, lha, &progress);
    EXPECT_TRUE(o.cancelled);
    EXPECT_EQ(reportsOfBig, 2);
    EXPECT_EQ(reports, 3) << "work went on after Cancel";
    std::set<std::string> out = FilesUnder(target.answer);
    EXPECT_EQ(out, std::set<std::string>{"a.txt"});
    EXPECT_EQ(ReadFile(target.answer + "/a.txt"), "first\n");
  }
}

TEST(ArcCommands, BrokenEscapingVanishingArchivesAndReadOnlyTargets) {
  TempDir tmp;
  std::string good = StoredZip({{"a.txt", "alpha"}, {"b.txt", "beta"}});
  WriteFile(tmp / "cut.zip", good.substr(0, good.size() - 30));
  WriteFile(tmp / "evil.zip", StoredZip({{"ok.txt", "fine"}, {"../evil.txt", "bad"}, {"/abs.txt", "bad"}}));
  WriteFile(tmp / "good.zip", good);
  Env e;
  // A truncated archive: the listing says so and shows nothing.
  TArcOutcome o = GeneralList(tmp / "cut.zip");
  EXPECT_EQ(o.messageKind, TArcMessageKind::Warning);
  EXPECT_EQ(o.message, "書庫を開く事が出来ません。");
  EXPECT_FALSE(o.setPane);
  e.target = tmp / "out-cut";
  o = RunArcCommand(TArcCommand::Marcunpack1, Select(tmp.Path(), "cut.zip"), e.env);
  EXPECT_NE(o.result, 0);
  EXPECT_NE(ResultCodeMessage(o.result), "");
  EXPECT_EQ(o.paneText.rfind(Utf8ToCp932(ResultCodeMessage(o.result)), 0), 0u);
  EXPECT_TRUE(FilesUnder(tmp / "out-cut").empty());

  // Names that leave the target: refused, the rest extracted.
  e.target = tmp / "sandbox/out";
  o = RunArcCommand(TArcCommand::Marcunpack1, Select(tmp.Path(), "evil.zip"), e.env);
  EXPECT_NE(o.result, 0);
  EXPECT_EQ(FilesUnder(tmp / "sandbox"), std::set<std::string>{"out/ok.txt"});
  EXPECT_FALSE(Exists(tmp / "evil.txt"));
  EXPECT_FALSE(Exists("/abs.txt"));

  // The archive vanishes between the selection and the command.
  TArcSelection gone = Select(tmp.Path(), "gone.zip");
  o = RunArcCommand(TArcCommand::Marclist1, gone, e.env);
  EXPECT_EQ(o.message, "書庫を開く事が出来ません。");
  e.target = tmp / "out-gone";
  o = RunArcCommand(TArcCommand::Marcunpack1, gone, e.env);
  EXPECT_EQ(o.result, 0x8018);
  EXPECT_EQ(o.paneText.rfind(Utf8ToCp932("書庫を開く事が出来ません。"), 0), 0u);
  o = RunArcCommand(TArcCommand::MlhaU, Select(tmp.Path(), "gone.lzh"), e.env);
  EXPECT_EQ(o.message, "解凍できませんでした。");
  o = RunArcCommand(TArcCommand::Marclist1, Select(tmp.Path(), "gone.exe"), e.env);
  EXPECT_EQ(o.messageKind, TArcMessageKind::Error);
  EXPECT_EQ(o.message, "書庫の形式を判別できません。");
  EXPECT_FALSE(Exists(tmp / "out-gone"));

  // A read-only target: the result code's text, nothing written.
  ReadOnlyFolder ro(tmp / "ro");
  if (!ro.Works()) GTEST_SKIP() << "cannot make a folder read-only here";
  e.target = tmp / "ro";
  o = RunArcCommand(TArcCommand::Marcunpack1, Select(tmp.Path(), "good.zip"), e.env);
  EXPECT_NE(o.result, 0);
  EXPECT_NE(ResultCodeMessage(o.result), "");
  EXPECT_TRUE(FilesUnder(tmp / "ro").empty());
  WriteFile(tmp / "g.lzh", ReadFile(Fixture("jlha-l2.lzh")));
  o = RunArcCommand(TArcCommand::MlhaU, Select(tmp.Path(), "g.lzh"), e.env);
  EXPECT_EQ(o.message, "解凍できませんでした。");
  EXPECT_TRUE(o.normalPreview);
  EXPECT_TRUE(FilesUnder(tmp / "ro").empty());
}

}  // namespace
}  // namespace navirt

namespace navirt {
namespace {

using namespace arctest;

TEST(PackNames, BracketsInNamesAreNoSets) {
  TempDir tmp;
  WriteFile(tmp / "a[1].txt", "one");
  WriteFile(tmp / "a1.txt", "plain");
  WriteFile(tmp / "b[x]y.txt", "two");
  std::vector<std::string> out;
  TArchiverOptions o;
  ASSERT_EQ(ExpandPackNames(o, {tmp / "a[1].txt"}, out, {}), 0);
  EXPECT_EQ(out, std::vector<std::string>{tmp.Path() + "/a[1].txt"});
  ASSERT_EQ(ExpandPackNames(o, {tmp / "b[*"}, out, {}), 0);
  EXPECT_EQ(out, std::vector<std::string>{tmp.Path() + "/b[x]y.txt"});
  ASSERT_EQ(ExpandPackNames(o, {tmp / "a?.txt"}, out, {}), 0);
  EXPECT_EQ(out, std::vector<std::string>{tmp.Path() + "/a1.txt"});
}

}  // namespace
}  // namespace navirt

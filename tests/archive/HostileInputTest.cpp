// Archives made by other programs and awkward names on disk, through
// navirt-tool as a shell user runs it: every entry comes back, literal
// names stay literal, links never lead out of the named tree.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "archive/Archives.h"
#include "platform/Cp932.h"
#include "platform/DynLib.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

struct ToolRun {
  int status;
  std::string out;
};

// navirt-tool ARGS run inside dir, standard error joined to the output.
ToolRun ToolIn(const std::string& dir, const std::string& args) {
  const char* tool = std::getenv("NAVIRT_TOOL");
  std::string cmd = "cd " + Q(dir) + " && timeout 120 " +
                    std::string(tool ? tool : NAVIRT_BINARY_DIR "/bin/navirt-tool") + " " + args + " 2>&1";
  FILE* p = ::popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = ::pclose(p);
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
}

void P16(std::string& s, unsigned v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void P32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// One Deflate entry whose packed bytes are given as they stand.
std::string DeflateZip(const std::string& name, const std::string& packed, const std::string& data) {
  uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), data.size()));
  std::string out, central;
  auto header = [&](std::string& s, bool isCentral) {
    P32(s, isCentral ? 0x02014B50 : 0x04034B50);
    if (isCentral) P16(s, 20);
    P16(s, 20);
    P16(s, 0);
    P16(s, 8);
    P16(s, 0);
    P16(s, 0x21);
    P32(s, crc);
    P32(s, static_cast<uint32_t>(packed.size()));
    P32(s, static_cast<uint32_t>(data.size()));
    P16(s, static_cast<unsigned>(name.size()));
    P16(s, 0);
    if (isCentral) {
      P16(s, 0);
      P16(s, 0);
      P16(s, 0);
      P32(s, 0x20);
      P32(s, 0);
    }
    s += name;
  };
  header(out, false);
  out += packed;
  header(central, true);
  uint32_t cdOff = static_cast<uint32_t>(out.size());
  out += central;
  P32(out, 0x06054B50);
  P16(out, 0);
  P16(out, 0);
  P16(out, 1);
  P16(out, 1);
  P32(out, static_cast<uint32_t>(central.size()));
  P32(out, cdOff);
  P16(out, 0);
  return out;
}

TEST(HostileInput, EmptyAndTinyEntriesExtractInEveryFormat) {
  TempDir tmp;
  // The two-byte empty Deflate stream other programs write.
  WriteFile(tmp / "e.zip", DeflateZip("e.txt", std::string("\x03\x00", 2), ""));
  ToolRun r = ToolIn(tmp.Path(), "arc extract e.zip -o out");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_TRUE(Exists(tmp / "out/e.txt"));
  EXPECT_EQ(ReadFile(tmp / "out/e.txt"), "");
  // A broken stream still fails.
  WriteFile(tmp / "bad.zip", DeflateZip("b.txt", std::string("\x07\x00", 2), ""));
  EXPECT_NE(ToolIn(tmp.Path(), "arc extract bad.zip -o bad").status, 0);
  EXPECT_FALSE(Exists(tmp / "bad/b.txt"));

  WriteFile(tmp / "src/empty.txt", "");
  WriteFile(tmp / "src/one.txt", "x");
  WriteFile(tmp / "src/two.txt", "yz");
  if (Sh("cd " + Q(tmp / "src") + " && bsdtar -cf ../b.zip --format zip empty.txt one.txt two.txt") == 0) {
    r = ToolIn(tmp.Path(), "arc extract b.zip -o bz");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(SameTree(tmp / "src", tmp / "bz"));
  }
  for (const char* ext : {"lzh", "zip", "cab", "tar", "tgz", "gza"}) {
    SCOPED_TRACE(ext);
    std::string arc = std::string("t.") + ext;
    r = ToolIn(tmp / "src", "arc create ../" + arc + " empty.txt one.txt two.txt");
    ASSERT_EQ(r.status, 0) << r.out;
    r = ToolIn(tmp.Path(), "arc extract " + arc + " -o x" + ext);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(SameTree(tmp / "src", tmp / ("x" + std::string(ext))));
    EXPECT_TRUE(Exists(tmp / ("x" + std::string(ext) + "/empty.txt")));
  }
}

TEST(HostileInput, PaxNamesOutsideTheLocaleAreRead) {
  TempDir tmp;
  WriteFile(tmp / ("src/" + kHyo + ".txt"), "hyo\n");
  WriteFile(tmp / "src/b.txt", "b\n");
  ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && bsdtar -cf ../j.tar --format pax " + Q(kHyo + ".txt") + " b.txt"), 0);
  ASSERT_EQ(Sh("cd " + Q(tmp.Path()) + " && gzip -k j.tar && mv j.tar.gz j.tgz"), 0);
  ToolRun r = ToolIn(tmp.Path(), "arc list j.tar");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find(kHyo + ".txt"), std::string::npos) << r.out;
  r = ToolIn(tmp.Path(), "arc extract j.tgz -o out");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(ReadFile(tmp / ("out/" + kHyo + ".txt")), "hyo\n");
  EXPECT_EQ(ReadFile(tmp / "out/b.txt"), "b\n");
  EXPECT_FALSE(Exists(tmp / "out/j.tgz.out"));
}

TEST(HostileInput, CreateTakesExistingNamesLiterallyAndPatternsCaseSensitively) {
  TempDir tmp;
  WriteFile(tmp / "a1.txt", "one");
  WriteFile(tmp / "a[1].txt", "bracket");
  WriteFile(tmp / "Foo.txt", "upper");
  WriteFile(tmp / "foo.txt", "lower");
  ToolRun r = ToolIn(tmp.Path(), "arc create x.zip 'a[1].txt'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(EntryNames(tmp / "x.zip"), std::vector<std::string>{"a[1].txt"});
  r = ToolIn(tmp.Path(), "arc create z.zip Foo.txt");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(EntryNames(tmp / "z.zip"), std::vector<std::string>{"Foo.txt"});
  r = ToolIn(tmp.Path(), "arc create w.tar 'F*.txt'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(EntryNames(tmp / "w.tar"), std::vector<std::string>{"Foo.txt"});
  r = ToolIn(tmp.Path(), "arc create q.lzh 'a?.txt'");
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(EntryNames(tmp / "q.lzh"), std::vector<std::string>{"a1.txt"});
}

TEST(HostileInput, HardLinksInTarExtractAsTheirFile) {
  TempDir tmp;
  WriteFile(tmp / "src/d/b.txt", "linked body\n");
  ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && ln d/b.txt hl.txt && tar -cf ../h.tar d/b.txt hl.txt"), 0);
  ToolRun r = ToolIn(tmp.Path(), "arc extract h.tar -o out");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(ReadFile(tmp / "out/hl.txt"), "linked body\n");
  EXPECT_EQ(ReadFile(tmp / "out/d/b.txt"), "linked body\n");
  // A link to a name that is not in the target stays out.
  ASSERT_EQ(Sh("cd " + Q(tmp / "src") + " && tar -cf ../o.tar --transform='s,^d/b.txt,../../evil,' d/b.txt hl.txt"), 0);
  r = ToolIn(tmp.Path(), "arc extract o.tar -o out2");
  EXPECT_NE(r.status, 0) << r.out;
  EXPECT_FALSE(Exists(tmp / "out2/hl.txt"));
  EXPECT_FALSE(Exists(tmp / "evil"));
}

TEST(HostileInput, NamesCp932LacksKeepTheirCharactersInTar) {
  TempDir tmp;
  const std::string cafe = "caf\xC3\xA9.txt";
  WriteFile(tmp / ("src/" + cafe), "c\n");
  WriteFile(tmp / ("src/" + kJpName), "j\n");
  ToolRun r = ToolIn(tmp / "src", "arc create ../c.tar " + Q(cafe) + " " + Q(kJpName));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("%C3%A9"), std::string::npos) << r.out;
  r = ToolIn(tmp.Path(), "arc extract c.tar -o out");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(ReadFile(tmp / ("out/" + cafe)), "c\n");
  EXPECT_EQ(ReadFile(tmp / ("out/" + kJpName)), "j\n");
  // Other programs read the same name.
  EXPECT_NE(ReadFile(tmp / "c.tar").find(cafe), std::string::npos);
}

TEST(HostileInput, NamesCp932LacksKeepTheirCharactersInLzh) {
  TempDir tmp;
  const std::string cafe = "caf\xC3\xA9.txt";
  const std::string smile =
      "a\xF0\x9F\x98\x80"
      "b.txt";                             // a😀b.txt
  const std::string folder = "d\xC3\xA9";  // dé
  WriteFile(tmp / ("src/" + cafe), "c\n");
  WriteFile(tmp / ("src/" + smile), "s\n");
  WriteFile(tmp / ("src/" + folder + "/" + kJpName), "j\n");
  ToolRun r = ToolIn(tmp / "src", "arc create ../u.lzh " + Q(cafe) + " " + Q(smile) + " " + Q(folder));
  ASSERT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("Warning"), std::string::npos) << r.out;
  // The listing names every entry.
  r = ToolIn(tmp.Path(), "arc list u.lzh");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find(kJpName), std::string::npos) << r.out;
  r = ToolIn(tmp.Path(), "arc extract u.lzh -o out");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(ReadFile(tmp / ("out/" + cafe)), "c\n");
  EXPECT_EQ(ReadFile(tmp / ("out/" + smile)), "s\n");
  EXPECT_EQ(ReadFile(tmp / ("out/" + folder + "/" + kJpName)), "j\n");
  EXPECT_FALSE(Exists(tmp / "out/caf%C3%A9.txt"));
  // Other readers that know the code-page header read the same names; a
  // name CP932 holds stays CP932 for the readers that do not.
  if (Sh("command -v bsdtar > /dev/null") == 0) {
    std::string names = RunOutput("bsdtar -tf " + Q(tmp / "u.lzh"));
    EXPECT_NE(names.find(cafe), std::string::npos) << names;
    EXPECT_NE(names.find(smile), std::string::npos) << names;
    EXPECT_NE(names.find(folder + "/" + kJpName), std::string::npos) << names;
  }
  WriteFile(tmp / ("j/" + kJpName), "j\n");
  ASSERT_EQ(ToolIn(tmp / "j", "arc create ../j.lzh " + Q(kJpName)).status, 0);
  EXPECT_NE(ReadFile(tmp / "j.lzh").find(Utf8ToCp932(kJpName)), std::string::npos);
}

TEST(HostileInput, BackslashInFolderNamesIsAnOrdinaryCharacter) {
  TempDir tmp;
  WriteFile(tmp / "src/a.txt", "a\n");
  ::mkdir((tmp / "bs\\dir").c_str(), 0755);
  for (const char* ext : {"zip", "lzh", "tar", "cab", "gza"}) {
    SCOPED_TRACE(ext);
    std::string arc = std::string("t.") + ext;
    ASSERT_EQ(ToolIn(tmp / "src", "arc create ../" + arc + " a.txt").status, 0);
    ToolRun r = ToolIn(tmp.Path(), "arc extract " + arc + " -o 'bs\\dir'");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(ReadFile(tmp / "bs\\dir/a.txt"), "a\n");
    ::unlink((tmp / "bs\\dir/a.txt").c_str());
    // A folder that does not exist yet is made under the very name given.
    std::string fresh = std::string("new\\") + ext;
    r = ToolIn(tmp.Path(), "arc extract " + arc + " -o " + Q(fresh));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(ReadFile(tmp / (fresh + "/a.txt")), "a\n");
    // An archive whose own path holds "\\", in the folder and in its name.
    std::string named = std::string("bs\\dir/x\\y.") + ext;
    r = ToolIn(tmp / "src", "arc create " + Q("../" + named) + " a.txt");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(Exists(tmp / named));
    r = ToolIn(tmp.Path(), "arc list " + Q(named));
    EXPECT_EQ(r.status, 0) << r.out;
    r = ToolIn(tmp.Path(), "arc extract " + Q(named) + " -o " + Q(std::string("o\\") + ext));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(ReadFile(tmp / (std::string("o\\") + ext + "/a.txt")), "a\n");
  }
  EXPECT_FALSE(Exists(tmp / "bs/dir"));
  EXPECT_FALSE(Exists(tmp / "new"));
  EXPECT_FALSE(Exists(tmp / "o"));
  // Files whose names hold "\\" are found when named, by a mask and in a
  // folder. Tar and zip (made by Unix) keep "\\" a character, as bsdtar,
  // GNU tar, 7zz and unzip read it; in LHA it stays a separator.
  WriteFile(tmp / "w/x\\y.txt", "xy\n");
  WriteFile(tmp / "w/x\\z.txt", "xz\n");
  WriteFile(tmp / "w/tree/p\\q.txt", "pq\n");
  for (const char* ext : {"tar", "zip", "lzh"}) {
    SCOPED_TRACE(ext);
    std::string arc = std::string("../w.") + ext;
    ToolRun r = ToolIn(tmp / "w", "arc create " + arc + " 'x\\y.txt'");
    ASSERT_EQ(r.status, 0) << r.out;
    r = ToolIn(tmp.Path(), std::string("arc extract w.") + ext + " -o w1" + ext);
    EXPECT_EQ(r.status, 0) << r.out;
    const std::string sep = std::string(ext) == "lzh" ? "/" : "\\";
    EXPECT_EQ(ReadFile(tmp / (std::string("w1") + ext + "/x" + sep + "y.txt")), "xy\n");
    r = ToolIn(tmp / "w", "arc create " + arc + " 'x\\*.txt' tree");
    ASSERT_EQ(r.status, 0) << r.out;
    r = ToolIn(tmp.Path(), std::string("arc extract w.") + ext + " -o w2" + ext);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(ReadFile(tmp / (std::string("w2") + ext + "/x" + sep + "y.txt")), "xy\n");
    EXPECT_EQ(ReadFile(tmp / (std::string("w2") + ext + "/x" + sep + "z.txt")), "xz\n");
    EXPECT_EQ(ReadFile(tmp / (std::string("w2") + ext + "/tree/p" + sep + "q.txt")), "pq\n");
    ::unlink((tmp / (std::string("w.") + ext)).c_str());
  }
}

TEST(HostileInput, LargeFilesPackInPiecesAndComeBackWhole) {
  // Several pieces of the streamed readers and writers, some that pack
  // and some that do not (stored instead), at odd sizes.
  TempDir tmp;
  std::string text, noise;
  for (int i = 0; text.size() < (5u << 20) / 2; ++i) text += "line " + std::to_string(i) + " of a packable file\n";
  uint32_t x = 12345;
  noise.resize((3u << 20) + 7);
  for (char& c : noise) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  WriteFile(tmp / "src/text.txt", text);
  WriteFile(tmp / "src/noise.bin", noise);
  WriteFile(tmp / "src/mixed.bin", noise.substr(0, 1500000) + text + noise.substr(7));
  for (const char* ext : {"zip", "cab", "gza", "bza", "tgz", "lzh"}) {
    SCOPED_TRACE(ext);
    std::string arc = std::string("big.") + ext;
    ToolRun r = ToolIn(tmp / "src", "arc create ../" + arc + " text.txt noise.bin mixed.bin");
    ASSERT_EQ(r.status, 0) << r.out;
    // Packable data packs; noise costs little more than itself.
    const size_t size = ReadFile(tmp / arc).size();
    EXPECT_LT(size, noise.size() * 2 + 1500000 + text.size() / 2) << size;
    EXPECT_GT(size, noise.size() * 2) << size;
    r = ToolIn(tmp.Path(), "arc extract " + arc + " -o x" + ext);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(SameTree(tmp / "src", tmp / ("x" + std::string(ext))));
  }
  if (Sh("command -v unzip > /dev/null") == 0) {
    EXPECT_EQ(Sh("unzip -tq " + Q(tmp / "big.zip") + " > /dev/null"), 0);
  }
  if (Sh("command -v bsdtar > /dev/null") == 0) {
    EXPECT_EQ(Sh("mkdir " + Q(tmp / "bsd") + " && bsdtar -xf " + Q(tmp / "big.zip") + " -C " + Q(tmp / "bsd")), 0);
    EXPECT_TRUE(SameTree(tmp / "src", tmp / "bsd"));
    EXPECT_EQ(Sh("mkdir " + Q(tmp / "bsdcab") + " && bsdtar -xf " + Q(tmp / "big.cab") + " -C " + Q(tmp / "bsdcab")),
              0);
    EXPECT_TRUE(SameTree(tmp / "src", tmp / "bsdcab"));
  }
}

TEST(HostileInput, ArjCannotBeCreated) {
  TempDir tmp;
  WriteFile(tmp / "a.txt", "a\n");
  ToolRun r = ToolIn(tmp.Path(), "arc create x.arj a.txt");
  EXPECT_NE(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("this format does not support creating archives"), std::string::npos) << r.out;
  EXPECT_FALSE(Exists(tmp / "x.arj"));
  std::size_t files = 0;
  for (const auto& e : fs::directory_iterator(tmp.Path())) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
}

TEST(HostileInput, PackingNeverFollowsLinksOutOfTheTreeOrLoops) {
  TempDir tmp;
  WriteFile(tmp / "secret.txt", "outside\n");
  WriteFile(tmp / "tree/in.txt", "inside\n");
  WriteFile(tmp / "tree/README", "no extension\n");
  ASSERT_EQ(::symlink("..", (tmp / "tree/up").c_str()), 0);
  ASSERT_EQ(::symlink("..", (tmp / "tree/up2").c_str()), 0);
  ASSERT_EQ(::symlink("in.txt", (tmp / "tree/ln.txt").c_str()), 0);
  for (const char* ext : {"tar", "zip", "lzh"}) {
    SCOPED_TRACE(ext);
    std::string arc = std::string("t.") + ext;
    ToolRun r = ToolIn(tmp.Path(), "arc create " + arc + " tree");
    ASSERT_EQ(r.status, 0) << r.out;
    std::vector<std::string> names = EntryNames(tmp / arc);
    for (const std::string& n : names) {
      EXPECT_EQ(n.find("secret"), std::string::npos) << n;
      EXPECT_EQ(n.find("up/"), std::string::npos) << n;
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "tree/in.txt"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "tree/README"), names.end());
    EXPECT_LT(names.size(), 8u);
  }
  // Tar keeps the link inside the tree as a link.
  ToolRun r = ToolIn(tmp.Path(), "arc extract t.tar -o out");
  EXPECT_EQ(r.status, 0) << r.out;
  std::error_code ec;
  EXPECT_TRUE(fs::is_symlink(tmp / "out/tree/ln.txt", ec));
  EXPECT_EQ(ReadFile(tmp / "out/tree/ln.txt"), "inside\n");
}

TEST(HostileInput, ListingAndCheckSayWhatIsWrong) {
  TempDir tmp;
  ToolRun r = ToolIn(tmp.Path(), "arc list /nonexistent/none.zip");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("no such file"), std::string::npos) << r.out;
  r = ToolIn(tmp.Path(), "arc check " + Q(tmp.Path()));
  EXPECT_NE(r.status, 0);
  EXPECT_NE(r.out.find("is a folder"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("no such file"), std::string::npos) << r.out;
  // A refused ZIP entry is not called a broken LZH archive.
  WriteFile(tmp / "slip.zip", DeflateZip("../evil.txt", std::string("\x03\x00", 2), ""));
  r = ToolIn(tmp.Path(), "arc extract slip.zip -o out");
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.out.find("LZH"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("evil.txt"), std::string::npos) << r.out;
}

using OpenFn = void* (*)(void*, const char*, uint32_t);
using FindFirstFn = int (*)(void*, const char*, TIndividualInfo*);
using FindNextFn = int (*)(void*, TIndividualInfo*);
using CloseFn = int (*)(void*);

TEST(HostileInput, StaleAndUnknownHandlesAreRefused) {
  TempDir tmp;
  WriteFile(tmp / "src/a.txt", "a\n");
  ASSERT_EQ(ToolIn(tmp / "src", "arc create ../t.lzh a.txt").status, 0);
  TDynamicLibrary lib;
  ASSERT_TRUE(lib.Load("UNLHA32.DLL"));
  auto open = reinterpret_cast<OpenFn>(lib.Symbol("UnlhaOpenArchive"));
  auto first = reinterpret_cast<FindFirstFn>(lib.Symbol("UnlhaFindFirst"));
  auto next = reinterpret_cast<FindNextFn>(lib.Symbol("UnlhaFindNext"));
  auto close = reinterpret_cast<CloseFn>(lib.Symbol("UnlhaCloseArchive"));
  void* h = open(nullptr, (tmp / "t.lzh").c_str(), 0);
  ASSERT_NE(h, nullptr);
  TIndividualInfo info;
  EXPECT_EQ(first(h, "*.*", &info), 0);
  EXPECT_EQ(close(h), 0);
  // Closed twice, or used after closing: the handle is no longer known.
  EXPECT_EQ(close(h), 0x8021);
  EXPECT_EQ(first(h, "*.*", &info), 0x8021);
  EXPECT_EQ(next(h, &info), 0x8021);
  // A pointer that never was a handle, not even readable memory.
  int local = 0;
  EXPECT_EQ(close(&local), 0x8021);
  EXPECT_EQ(first(reinterpret_cast<void*>(uintptr_t{16}), "*.*", &info), 0x8021);
  EXPECT_EQ(close(nullptr), 0x8021);
}

}  // namespace
}  // namespace navirt

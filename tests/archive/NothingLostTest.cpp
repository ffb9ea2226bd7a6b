// Nothing lost: creating an archive packs names beginning with "." and
// names whatever it leaves out; an extraction killed half way leaves no
// half file under an entry's name.
#include <bzlib.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>

#include "archive/ArcJob.h"
#include "archive/Archives.h"
#include "tests/archive/ArcTestUtil.h"

namespace navirt {
namespace {

using namespace arctest;

bool Has(const std::vector<std::string>& names, const std::string& n) {
  return std::find(names.begin(), names.end(), n) != names.end();
}

TEST(PackNames, NamesBeginningWithADotArePackedInEveryFormat) {
  const char* tool = std::getenv("NAVIRT_TOOL");
  ASSERT_NE(tool, nullptr);
  TempDir tmp;
  WriteFile(tmp / "src/a.txt", "a\n");
  WriteFile(tmp / "src/.env", "SECRET=1\n");
  WriteFile(tmp / "src/.git/config", "[core]\n");
  std::vector<std::string> expanded;
  TArchiverOptions o;
  o.r = 2;
  std::vector<std::string> skipped;
  ASSERT_EQ(ExpandPackNames(o, {tmp / "src"}, expanded, {}, &skipped), 0);
  EXPECT_TRUE(Has(expanded, tmp / "src/.env"));
  EXPECT_TRUE(Has(expanded, tmp / "src/.git/config"));
  EXPECT_TRUE(skipped.empty());
  for (const char* ext : {"lzh", "zip", "cab", "tar", "tgz", "bz2", "gza", "bza"}) {
    SCOPED_TRACE(ext);
    std::string arc = tmp / (std::string("x.") + ext);
    ASSERT_EQ(Sh("cd " + Q(tmp.Path()) + " && " + Q(tool) + " arc create " + Q(arc) + " src"), 0);
    std::string out = tmp / (std::string("out-") + ext);
    ASSERT_EQ(Sh(Q(tool) + " arc extract " + Q(arc) + " -o " + Q(out)), 0);
    EXPECT_EQ(ReadFile(out + "/src/.env"), "SECRET=1\n");
    EXPECT_EQ(ReadFile(out + "/src/.git/config"), "[core]\n");
    EXPECT_EQ(ReadFile(out + "/src/a.txt"), "a\n");
  }
}

// A folder the user cannot open is named; the status is 1 (done with
// skips), and 2 when nothing could be written.
TEST(PackNames, AFolderThatCannotBeOpenedIsNamedAndTheStatusSaysSo) {
  const char* tool = std::getenv("NAVIRT_TOOL");
  ASSERT_NE(tool, nullptr);
  TempDir tmp;
  WriteFile(tmp / "src/a.txt", "a\n");
  WriteFile(tmp / "src/locked/b.txt", "b\n");
  // Root opens any folder: the tool runs as an ordinary user then.
  std::string as;
  if (::geteuid() == 0) {
    if (Sh("command -v setpriv") != 0) GTEST_SKIP() << "setpriv is needed to drop root";
    as = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    ASSERT_EQ(Sh("chmod -R a+rwX " + Q(tmp.Path())), 0);
  }
  ASSERT_EQ(::chmod((tmp / "src/locked").c_str(), 0), 0);
  std::string cmd = "cd " + Q(tmp.Path()) + " && " + as + Q(tool) + " arc create x.zip src 2>&1; echo \"rc=$?\"";
  std::string out = RunOutput(cmd);
  EXPECT_NE(out.find("src/locked (cannot open the folder"), std::string::npos) << out;
  EXPECT_NE(out.find("rc=1"), std::string::npos) << out;
  EXPECT_TRUE(Has(EntryNames(tmp / "x.zip"), "src/a.txt"));
  // Only the locked folder: nothing to pack, nothing written, status 2.
  out = RunOutput("cd " + Q(tmp.Path()) + " && " + as + Q(tool) + " arc create y.zip src/locked 2>&1; echo \"rc=$?\"");
  EXPECT_NE(out.find("src/locked (cannot open the folder"), std::string::npos) << out;
  EXPECT_NE(out.find("rc=2"), std::string::npos) << out;
  EXPECT_FALSE(Exists(tmp / "y.zip"));
  ::chmod((tmp / "src/locked").c_str(), 0755);
}

std::vector<std::string> Leftovers(const std::string& dir) {
  std::vector<std::string> out;
  for (const auto& e : fs::directory_iterator(dir)) {
    std::string n = e.path().filename().string();
    if (n.find(".navirt-") != std::string::npos) out.push_back(n);
  }
  return out;
}

TEST(ExtractKilled, LeavesNoHalfFileAndTheNextRunClearsItsLeftover) {
  TempDir tmp;
  std::string big;
  uint32_t x = 12345;
  for (int i = 0; i < (3 << 20); ++i) {
    x = x * 1103515245 + 12345;
    big += static_cast<char>(x >> 24);
  }
  WriteFile(tmp / "src/big.bin", big);
  for (const char* ext : {"zip", "lzh", "tgz"}) {
    SCOPED_TRACE(ext);
    std::string arc = tmp / (std::string("x.") + ext);
    TArchiveFile p;
    p.SetFileName(arc);
    p.SetOutputSize(4096);
    p.Options().x = 1;
    ASSERT_EQ(InFolder(tmp / "src", [&] { return p.Pack(nullptr, nullptr, {"big.bin"}, ""); }), 0);
    std::string out = tmp / (std::string("out-") + ext);
    fs::create_directories(out);
    // A child killed once a megabyte of the entry is written.
    pid_t pid = ::fork();
    if (pid == 0) {
      TArchiveFile f;
      f.SetFileName(arc);
      f.SetOutputSize(4096);
      f.Options().x = 1;
      f.OnProgress = [](void*, int state, const TIndividualInfo*, bool&) {
        if (state == kArcStateInEntry) ::raise(SIGKILL);
      };
      f.Extract(nullptr, nullptr, {}, out);
      ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_FALSE(Exists(out + "/big.bin"));
    EXPECT_EQ(Leftovers(out).size(), 1u);
    // A leftover of a live process stays; the dead one's goes.
    WriteFile(out + "/.other.navirt-" + std::to_string(::getppid()) + "-abcdef", "in use");
    TArchiveFile f;
    f.SetFileName(arc);
    f.SetOutputSize(4096);
    f.Options().x = 1;
    EXPECT_EQ(f.Extract(nullptr, nullptr, {}, out), 0);
    EXPECT_TRUE(ReadFile(out + "/big.bin") == big);
    EXPECT_EQ(Leftovers(out), (std::vector<std::string>{".other.navirt-" + std::to_string(::getppid()) + "-abcdef"}));
  }
}

void Put16(std::string& s, unsigned v) {
  s += char(v & 0xFF);
  s += char((v >> 8) & 0xFF);
}
void Put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += char((v >> (8 * i)) & 0xFF);
}

// A ZIP of one entry "x.bin" written by hand: the packed bytes, the method
// (0 stored, 8 deflate, 12 bzip2) and the CRC and size it records.
std::string OneEntryZip(const std::string& packed, unsigned method, uint32_t crc, uint32_t size) {
  const std::string name = "x.bin";
  std::string out, central;
  auto header = [&](std::string& h, bool isCentral) {
    Put32(h, isCentral ? 0x02014B50 : 0x04034B50);
    if (isCentral) Put16(h, 20);
    Put16(h, method == 12 ? 46 : 20);
    Put16(h, 0);
    Put16(h, method);
    Put16(h, 0);
    Put16(h, 0x21);
    Put32(h, crc);
    Put32(h, static_cast<uint32_t>(packed.size()));
    Put32(h, size);
    Put16(h, static_cast<unsigned>(name.size()));
    Put16(h, 0);
    if (isCentral) {
      Put16(h, 0);
      Put16(h, 0);
      Put16(h, 0);
      Put32(h, 0x20);
      Put32(h, 0);
    }
    h += name;
  };
  header(out, false);
  out += packed;
  uint32_t cd = static_cast<uint32_t>(out.size());
  header(central, true);
  out += central;
  Put32(out, 0x06054B50);
  Put16(out, 0);
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, static_cast<uint32_t>(central.size()));
  Put32(out, cd);
  Put16(out, 0);
  return out;
}

std::string Deflate(const std::string& data, int level) {
  z_stream zs{};
  deflateInit2(&zs, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&zs, data.size()) + 64, '\0');
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(out.data());
  zs.avail_out = static_cast<uInt>(out.size());
  deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

std::string Bzip2(const std::string& data) {
  std::string out(data.size() + data.size() / 100 + 700, '\0');
  unsigned len = static_cast<unsigned>(out.size());
  BZ2_bzBuffToBuffCompress(out.data(), &len, const_cast<char*>(data.data()), static_cast<unsigned>(data.size()), 9, 0,
                           0);
  out.resize(len);
  return out;
}

uint32_t Crc(const std::string& d) {
  return static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(d.data()), static_cast<uInt>(d.size())));
}

// Every check a ZIP entry's data passes: a wrong byte that still unpacks
// (stored, or a deflate stream of stored blocks), a recorded CRC that is
// off, an entry shorter than its recorded size. Each fails with its code
// and leaves no file.
TEST(DamagedEntries, ZipCrcAndShortEntriesFailAndLeaveNothing) {
  TempDir tmp;
  std::string data;
  for (int i = 0; i < 5000; ++i) data += "line " + std::to_string(i) + "\n";
  const uint32_t crc = Crc(data), size = static_cast<uint32_t>(data.size());
  auto flipped = [](std::string s) {
    s[s.size() / 2] ^= 0x20;
    return s;
  };
  struct Case {
    const char* what;
    std::string zip;
    int code;
  };
  std::string deflated = Deflate(data, 9), bz = Bzip2(data);
  std::vector<Case> cases = {
      {"stored, a data byte changed", OneEntryZip(flipped(data), 0, crc, size), 0x800C},
      {"deflate of stored blocks, a data byte changed", OneEntryZip(flipped(Deflate(data, 0)), 8, crc, size), 0x800C},
      {"deflate, CRC off by one", OneEntryZip(deflated, 8, crc ^ 1, size), 0x800C},
      {"bzip2, CRC off by one", OneEntryZip(bz, 12, crc ^ 1, size), 0x800C},
      {"deflate, one byte short", OneEntryZip(Deflate(data.substr(1), 9), 8, Crc(data.substr(1)), size), 0x802D},
      {"bzip2, one byte short", OneEntryZip(Bzip2(data.substr(1)), 12, Crc(data.substr(1)), size), 0x802D},
      {"stored, sizes differ", OneEntryZip(data.substr(1), 0, Crc(data.substr(1)), size), 0x8017},
  };
  // The same archives, whole, extract: the cases fail for their fault only.
  WriteFile(tmp / "good.zip", OneEntryZip(deflated, 8, crc, size));
  TArchiveFile g;
  g.SetFileName(tmp / "good.zip");
  g.SetOutputSize(4096);
  ASSERT_EQ(g.Extract(nullptr, nullptr, {}, tmp / "good"), 0) << Cp932ToUtf8(g.OutputText());
  EXPECT_TRUE(ReadFile(tmp / "good/x.bin") == data);
  WriteFile(tmp / "good.zip", OneEntryZip(bz, 12, crc, size));
  ASSERT_EQ(g.Extract(nullptr, nullptr, {}, tmp / "good2"), 0) << Cp932ToUtf8(g.OutputText());
  EXPECT_TRUE(ReadFile(tmp / "good2/x.bin") == data);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFile(tmp / "bad.zip", c.zip);
    std::string out = tmp / "out";
    fs::create_directories(out);
    TArchiveFile f;
    f.SetFileName(tmp / "bad.zip");
    f.SetOutputSize(4096);
    EXPECT_EQ(f.Extract(nullptr, nullptr, {}, out), c.code) << Cp932ToUtf8(f.OutputText());
    EXPECT_TRUE(fs::is_empty(out)) << "left behind: " << fs::directory_iterator(out)->path();
    fs::remove_all(out);
  }
}

// Every format with a check over its data, one byte changed at a time in
// the middle of the archive: the run fails and leaves no file. Random data
// is stored as it is where the format can, so only the data check sees the
// change. A plain tar, and BGA's stored entries, hold no check of their
// data: BGA gets text, which it packs (and checks), and tar is not here.
TEST(DamagedEntries, EveryFormatRefusesAChangedDataByte) {
  TempDir tmp;
  std::string random, text;
  uint32_t x = 99;
  for (int i = 0; i < 60000; ++i) {
    x = x * 1664525 + 1013904223;
    random += static_cast<char>(x >> 24);
  }
  for (int i = 0; i < 20000; ++i) text += std::to_string(i * 7919 % 10007) + (i % 9 ? " " : "\n");
  for (std::string ext : {"zip", "lzh", "cab", "tgz", "bz2", "gza", "bza", "zip+", "lzh+", "cab+", "tgz+"}) {
    SCOPED_TRACE(ext);
    // "+": text, packed; a changed byte may still unpack, to the wrong bytes.
    bool packed = ext.back() == '+' || ext == "gza" || ext == "bza";
    if (ext.back() == '+') ext.pop_back();
    const std::string& data = packed ? text : random;
    WriteFile(tmp / "src/x.bin", data);
    std::string arc = tmp / ("a." + ext);
    TArchiveFile p;
    p.SetFileName(arc);
    p.SetOutputSize(4096);
    ASSERT_EQ(InFolder(tmp / "src", [&] { return p.Pack(nullptr, nullptr, {"x.bin"}, ""); }), 0);
    std::string good = ReadFile(arc);
    int failed = 0, tries = 0;
    for (size_t at = good.size() / 4; at < good.size() * 3 / 4; at += good.size() / 9, ++tries) {
      std::string bad = good;
      bad[at] ^= 0x01;
      std::string badPath = tmp / ("bad." + ext);
      WriteFile(badPath, bad);
      std::string out = tmp / "out";
      fs::create_directories(out);
      TArchiveFile f;
      f.SetFileName(badPath);
      f.SetOutputSize(4096);
      int rc = f.Extract(nullptr, nullptr, {}, out);
      if (rc != 0) {
        ++failed;
        EXPECT_TRUE(fs::is_empty(out)) << "offset " << at << " rc " << rc;
      } else {
        EXPECT_TRUE(ReadFile(out + "/x.bin") == data) << "offset " << at << ": wrong content extracted with rc 0";
      }
      fs::remove_all(out);
    }
    // A changed byte inside packed data may decode to other bytes of the
    // same length; the data check refuses those too, so every try fails.
    EXPECT_EQ(failed, tries);
  }
}

// Every format: an archive cut short inside the entry's data fails and
// leaves no file (and no temporary one).
TEST(DamagedEntries, EveryFormatRefusesAShortEntry) {
  TempDir tmp;
  std::string data;
  uint32_t x = 7;
  for (int i = 0; i < 60000; ++i) {
    x = x * 1664525 + 1013904223;
    data += static_cast<char>(x >> 24);
  }
  WriteFile(tmp / "src/x.bin", data);
  for (const char* ext : {"zip", "lzh", "cab", "tar", "tgz", "bz2", "gza", "bza"}) {
    SCOPED_TRACE(ext);
    std::string arc = tmp / (std::string("a.") + ext);
    TArchiveFile p;
    p.SetFileName(arc);
    p.SetOutputSize(4096);
    ASSERT_EQ(InFolder(tmp / "src", [&] { return p.Pack(nullptr, nullptr, {"x.bin"}, ""); }), 0);
    std::string good = ReadFile(arc);
    // The data lies between the headers: cut it in its middle.
    std::string badPath = tmp / (std::string("short.") + ext);
    WriteFile(badPath, good.substr(0, good.size() / 2));
    std::string out = tmp / "out";
    fs::create_directories(out);
    TArchiveFile f;
    f.SetFileName(badPath);
    f.SetOutputSize(4096);
    EXPECT_NE(f.Extract(nullptr, nullptr, {}, out), 0);
    EXPECT_TRUE(fs::is_empty(out)) << "left behind: " << fs::directory_iterator(out)->path();
    fs::remove_all(out);
  }
}

// A file that appears under the entry's name while the entry is written
// (the name was free when it began) is never replaced.
TEST(ExtractKilled, AFileAppearingAtTheNameMidEntryIsKept) {
  TempDir tmp;
  std::string big;
  uint32_t x = 5;
  for (int i = 0; i < (3 << 20); ++i) {
    x = x * 1103515245 + 12345;
    big += static_cast<char>(x >> 24);
  }
  WriteFile(tmp / "src/big.bin", big);
  TArchiveFile p;
  p.SetFileName(tmp / "x.zip");
  p.SetOutputSize(4096);
  ASSERT_EQ(InFolder(tmp / "src", [&] { return p.Pack(nullptr, nullptr, {"big.bin"}, ""); }), 0);
  std::string out = tmp / "out";
  fs::create_directories(out);
  TArchiveFile f;
  f.SetFileName(tmp / "x.zip");
  f.SetOutputSize(4096);
  bool planted = false;
  f.OnProgress = [&](void*, int state, const TIndividualInfo*, bool&) {
    if (state != kArcStateInEntry || planted) return;
    planted = true;
    WriteFile(out + "/big.bin", "appeared meanwhile");
  };
  EXPECT_NE(f.Extract(nullptr, nullptr, {}, out), 0);
  ASSERT_TRUE(planted);
  EXPECT_EQ(ReadFile(out + "/big.bin"), "appeared meanwhile");
  EXPECT_TRUE(Leftovers(out).empty());
}

}  // namespace
}  // namespace navirt

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/DynLib.h"
#include "platform/FileCopy.h"
#include "platform/FileInfo.h"
#include "platform/Format.h"
#include "platform/Messages.h"
#include "platform/Paths.h"
#include "tests/UniqueTempDir.h"

namespace navirt {
namespace {

TEST(Cp932, DecodesJapaneseAsWindowsDoes) {
  // あ, 表 (0x5C trail byte), full-width tilde and backslash as CP932 maps them.
  std::u16string u = DecodeCp932Lossless("\x82\xa0\x95\x5c\x81\x60\x81\x5f\xb1");
  EXPECT_EQ(u, std::u16string(u"あ表\uFF5E\uFF3Cｱ"));
  EXPECT_EQ(EncodeCp932Lossless(u"あ表～＼ｱ"), "\x82\xa0\x95\x5c\x81\x60\x81\x5f\xb1");
}

TEST(Cp932, EveryByteStringSurvivesTheScreen) {
  std::mt19937 rng(7);
  for (int round = 0; round < 3000; ++round) {
    std::string s(rng() % 40, '\0');
    for (auto& c : s) c = static_cast<char>(rng());
    ASSERT_EQ(EncodeCp932Lossless(DecodeCp932Lossless(s)), s);
  }
  // Every pair, including NEC/IBM duplicates that decode to one character.
  std::string all;
  for (int lead = 0x81; lead <= 0xFC; ++lead)
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      all += static_cast<char>(lead);
      all += static_cast<char>(trail);
    }
  EXPECT_EQ(EncodeCp932Lossless(DecodeCp932Lossless(all)), all);
  // The duplicate pair shows the same character as the canonical one.
  std::u16string dup = DecodeCp932Lossless("\xed\x40");
  EXPECT_EQ(dup[0], DecodeCp932Lossless("\xfa\x5c")[0]);
  // Bytes that are no character become placeholders, not lost.
  EXPECT_EQ(DecodeCp932Lossless(std::string("\x80\x00", 2)), std::u16string(u"\uF780\uF700"));
}

TEST(Cp932, NamesToAndFromUtf8) {
  EXPECT_EQ(Utf8ToCp932("表示.txt"), "\x95\x5c\x8e\xa6.txt");
  EXPECT_EQ(Cp932ToUtf8("\x95\x5c\x8e\xa6.txt"), "表示.txt");
  EXPECT_EQ(Utf8ToCp932("😀a"), "?a");
  // The direct conversion agrees with the screen's decoder on any bytes.
  std::mt19937 rng(11);
  for (int round = 0; round < 2000; ++round) {
    std::string b(rng() % 24, '\0');
    for (auto& c : b) c = static_cast<char>(rng());
    ASSERT_EQ(Cp932ToUtf8(b), Utf16ToUtf8(DecodeCp932Lossless(b)));
  }
  // Long 7-bit runs (taken sixteen bytes at a time) among pairs, zero
  // bytes and stray bytes, ending anywhere in a block.
  for (int round = 0; round < 2000; ++round) {
    std::string b;
    while (b.size() < 200) {
      const unsigned kind = rng() % 4;
      if (kind == 0)
        b += std::string(rng() % 40, static_cast<char>('A' + rng() % 26));
      else if (kind == 1)
        b += "\x93\xfa\x96\x7b\xed\x40";  // 日本 and a NEC variant
      else
        b += static_cast<char>(kind == 2 ? 0 : rng());
    }
    b.resize(rng() % b.size());
    ASSERT_EQ(Utf16ToUtf8(DecodeCp932Lossless(b)), Cp932ToUtf8(b)) << round;
    ASSERT_EQ(EncodeCp932Lossless(DecodeCp932Lossless(b)), b) << round;
  }
  EXPECT_EQ(Utf8ToCp932("\xff"
                        "b"),
            "?b");
}

TEST(Format, NumbersAndDates) {
  EXPECT_EQ(WithThousands(0), "0");
  EXPECT_EQ(WithThousands(1234567), "1,234,567");
  EXPECT_EQ(WithThousands(12345), "12,345");
  EXPECT_EQ(WithThousands(123456), "123,456");
  EXPECT_EQ(WithThousands(5000000000ull), "5,000,000,000");
  EXPECT_EQ(FormatN15(1000), "          1,000");
  EXPECT_EQ(FormatN15(0).size(), 15u);
  EXPECT_EQ(WithThousandsSigned(-1234), "-1,234");
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(FormatDateYmdW(0), "1970.01.01(木)");
  EXPECT_EQ(FormatMenuDate(86400 * 31), " 1970.2.1 (日)");
}

TEST(FileInfo, AttributesAndSizes) {
  UniqueTempDir tmp("navirt-attr");
  const std::filesystem::path& dir = tmp.path();
  auto file = dir / ".hidden";
  std::ofstream(file) << "12345";
  FileStat st = StatPath(file.string());
  ASSERT_TRUE(st.found);
  EXPECT_EQ(st.size, 5u);
  EXPECT_TRUE(st.attrs & faHidden);
  EXPECT_EQ(AttributeLetters(st), "---H");

  // A and S need extended attributes, which some file systems refuse;
  // R is the owner's write bit and always works.
  bool xattrOk = WriteAttributes(file.string(), faReadOnly | faArchive);
  st = StatPath(file.string());
  EXPECT_TRUE(st.attrs & faReadOnly);
  if (xattrOk) {
    EXPECT_EQ(AttributeLetters(st), "RA-H");
  }
  WriteAttributes(file.string(), 0);
  st = StatPath(file.string());
  EXPECT_FALSE(st.attrs & faReadOnly);

  FileStat d = StatPath(dir.string());
  EXPECT_TRUE(d.isDir);
  EXPECT_EQ(AttributeLetters(d), "----   ﾃﾞｨﾚｸﾄﾘ");
  FileStat missing = StatPath((dir / "none").string());
  EXPECT_FALSE(missing.found);
  EXPECT_EQ(AttributeLetters(missing), "ｴﾗｰRASH");

  // A sparse file of 5 GiB reports its true size.
  auto big = dir / "big";
  std::filesystem::resize_file((std::ofstream(big), big), 5ull << 30);
  EXPECT_EQ(StatPath(big.string()).size, 5ull << 30);
}

TEST(FileInfo, PathParts) {
  EXPECT_EQ(FileNamePart("/a/b.txt"), "b.txt");
  EXPECT_EQ(FolderPart("/a/b.txt"), "/a/");
  EXPECT_EQ(WithTrailingSlash("/a"), "/a/");
  EXPECT_EQ(WithTrailingSlash("/a/"), "/a/");
}

TEST(DynLib, WindowsNamesMapToSharedObjects) {
  EXPECT_EQ(MapLibraryName("UNLHA32.DLL"), "libunlha32.so");
  EXPECT_EQ(MapLibraryName("tar32.dll"), "libtar32.so");
  TDynamicLibrary lib;
  EXPECT_FALSE(lib.Load("NOSUCHLIB99.DLL"));
  EXPECT_EQ(lib.Symbol("x"), nullptr);
  // A real library from the system path loads and finds its symbols.
  ASSERT_TRUE(lib.LoadFile("libm.so.6"));
  EXPECT_NE(lib.Symbol("cos"), nullptr);
}

TEST(DynLib, InstalledFoldersLieBesideTheProgramFolder) {
  EXPECT_EQ(InstalledLibraryDir("/opt/x/bin"), "/opt/x/lib/navirt");
  EXPECT_EQ(InstalledDataDir("/usr/bin"), "/usr/share/navirt");
  // A build folder's bin/ is no installed program: its data folder is not there.
  EXPECT_FALSE(RunsInstalled());
}

TEST(Messages, LanguageFromTheLocaleAndTextsWithTheirArguments) {
  struct Env {
    const char *all, *messages, *lang;
    MsgLang want;
  } cases[] = {
      {nullptr, nullptr, "ja_JP.UTF-8", MsgLang::Japanese},
      {nullptr, nullptr, "C.UTF-8", MsgLang::English},
      {nullptr, nullptr, nullptr, MsgLang::English},
      {"C", nullptr, "ja_JP.UTF-8", MsgLang::English},        // LC_ALL first
      {"", "ja_JP.eucJP", "en_US.UTF-8", MsgLang::Japanese},  // empty counts as unset
      {nullptr, "en_GB.UTF-8", "ja_JP.UTF-8", MsgLang::English},
  };
  for (const Env& e : cases) {
    for (auto [name, value] : {std::pair{"LC_ALL", e.all}, {"LC_MESSAGES", e.messages}, {"LANG", e.lang}})
      value ? ::setenv(name, value, 1) : ::unsetenv(name);
    EXPECT_EQ(LocaleMessageLanguage(), e.want) << (e.lang ? e.lang : "-");
  }
  ::setenv("LANG", "C.UTF-8", 1);
  ::unsetenv("LC_ALL");
  ::unsetenv("LC_MESSAGES");

  const Msg m{"{1} of {2} copied", "{2} 個中 {1} 個をコピーしました"};
  const MsgLang before = MessageLanguage();
  SetMessageLanguage(MsgLang::Japanese);
  EXPECT_EQ(Tr(m, {"3", "5"}), "5 個中 3 個をコピーしました");
  EXPECT_EQ(ErrorText(ENOENT), "そのようなファイルやフォルダーはありません");
  const Msg table[] = {{"cannot open ", "開けません: "}, {"cannot open", "開けません"}, {"broken", "壊れています"}};
  EXPECT_EQ(TrFrom(table, 3, "cannot open a.lzh"), "開けません: a.lzh");
  EXPECT_EQ(TrFrom(table, 3, "cannot open"), "開けません");
  EXPECT_EQ(TrFrom(table, 3, "something else"), "something else");  // kept as given
  SetMessageLanguage(MsgLang::English);
  EXPECT_EQ(Tr(m, {"3", "5"}), "3 of 5 copied");
  EXPECT_EQ(Tr(m, {"3"}), "3 of  copied");  // a missing argument leaves nothing
  EXPECT_EQ(ErrorText(EACCES), "Permission denied");
  EXPECT_EQ(TrFrom(table, 3, "cannot open a.lzh"), "cannot open a.lzh");
  SetMessageLanguage(before);
}

}  // namespace
// The reason of a failed write goes into the window's messages after the
// file's name: it is Japanese.
TEST(AtomicFile, FailuresAreToldInJapanese) {
  UniqueTempDir dir;
  std::string error;
  EXPECT_FALSE(AtomicWriteFile(dir.path().string() + "/none/tree.txt", "x", false, &error));
  EXPECT_EQ(error.rfind("一時ファイルを作成できません: ", 0), 0u) << error;
  std::filesystem::create_directories(dir.path().string() + "/is_a_folder");
  EXPECT_FALSE(AtomicWriteFile(dir.path().string() + "/is_a_folder", "x", false, &error));
  EXPECT_EQ(error.rfind("名前を変更できません: ", 0), 0u) << error;
  EXPECT_TRUE(AtomicWriteFile(dir.path().string() + "/ok.txt", "x", false, &error));
}

}  // namespace navirt

namespace navirt {
namespace {

struct stat StatOf(const std::string& p) {
  struct stat st {};
  ::lstat(p.c_str(), &st);
  return st;
}

std::string Slurp(const std::string& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A private settings file stays private (and its owner's) when saved; a
// link to it stays a link.
TEST(AtomicFile, KeepsModeOwnerAndLinks) {
  UniqueTempDir d;
  std::string ini = d.File("navirt.ini");
  std::ofstream(ini) << "old";
  ASSERT_EQ(::chmod(ini.c_str(), 0600), 0);
  ASSERT_TRUE(AtomicWriteFile(ini, "new"));
  EXPECT_EQ(Slurp(ini), "new");
  EXPECT_EQ(StatOf(ini).st_mode & 07777, 0600u);
  ASSERT_EQ(::chmod(ini.c_str(), 0640), 0);
  ASSERT_TRUE(AtomicWriteFile(ini, "newer"));
  EXPECT_EQ(StatOf(ini).st_mode & 07777, 0640u);
  if (::geteuid() == 0) {
    ASSERT_EQ(::chown(ini.c_str(), 65534, 65534), 0);
    ASSERT_TRUE(AtomicWriteFile(ini, "theirs"));
    EXPECT_EQ(StatOf(ini).st_uid, 65534u);
    EXPECT_EQ(StatOf(ini).st_gid, 65534u);
  }
  std::string link = d.File("link.ini");
  ASSERT_EQ(::symlink("navirt.ini", link.c_str()), 0);
  ASSERT_TRUE(AtomicWriteFile(link, "through the link"));
  EXPECT_TRUE(S_ISLNK(StatOf(link).st_mode));
  EXPECT_EQ(Slurp(ini), "through the link");
  EXPECT_EQ(StatOf(ini).st_mode & 07777, 0640u);
  // A new file: what the umask leaves.
  mode_t old = ::umask(077);
  ASSERT_TRUE(AtomicWriteFile(d.File("fresh"), "x"));
  ::umask(old);
  EXPECT_EQ(StatOf(d.File("fresh")).st_mode & 07777, 0600u);
  for (const auto& e : std::filesystem::directory_iterator(d.path()))
    EXPECT_EQ(e.path().filename().string().rfind(".navirt-", 0), std::string::npos) << e.path();
}

// A rename that must not replace: a name taken meanwhile stays as it is.
TEST(FileCopy, RenameNoReplaceKeepsWhatIsThere) {
  UniqueTempDir d;
  std::ofstream(d.File("new")) << "new";
  std::ofstream(d.File("taken")) << "taken";
  EXPECT_FALSE(RenameNoReplace(d.File("new"), d.File("taken")));
  EXPECT_EQ(Slurp(d.File("taken")), "taken");
  EXPECT_EQ(Slurp(d.File("new")), "new");
  EXPECT_TRUE(RenameNoReplace(d.File("new"), d.File("free")));
  EXPECT_EQ(Slurp(d.File("free")), "new");
}

// 7F is no second byte of a pair: DEL after a lead byte ends nothing.
TEST(Cp932, SevenFIsNoTrailByte) {
  EXPECT_FALSE(IsSjisTrail(0x7F));
  EXPECT_TRUE(IsSjisTrail(0x7E));
  EXPECT_TRUE(IsSjisTrail(0x80));
  EXPECT_TRUE(IsSjisTrail(0x40));
  EXPECT_FALSE(IsSjisTrail(0x3F));
}

}  // namespace
}  // namespace navirt

// navirt-tool under faults a shell user meets: arguments the pane's code
// cannot hold, a full disk, too little memory, and asking for help.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The sanitizer reserves terabytes of shadow memory, so `ulimit -v` stops the
// tool before it starts. GCC names the sanitizer with a macro, clang only
// through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

namespace fs = std::filesystem;

struct Result {
  int status;
  std::string out;  // standard output and error together
};

class ToolFaults : public testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "navirt-tool-faults-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  void Write(const std::string& name, const std::string& data) const {
    std::ofstream(Path(name), std::ios::binary) << data;
  }
  // A shell line where TOOL stands for navirt-tool.
  Result Sh(const std::string& line) const {
    const char* env = std::getenv("NAVIRT_TOOL");
    std::string tool = env ? env : NAVIRT_BINARY_DIR "/bin/navirt-tool";
    std::string cmd;
    for (size_t i = 0; i < line.size(); ++i) {
      if (line.compare(i, 4, "TOOL") == 0) {
        cmd += "'" + tool + "'";
        i += 3;
      } else {
        cmd += line[i];
      }
    }
    FILE* p = ::popen(("cd '" + dir_ + "' && { " + cmd + " ; } 2>&1 </dev/null").c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int st = ::pclose(p);
    return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
  }

  std::string dir_;
};

TEST_F(ToolFaults, ArgumentCharactersShiftJisLacksAreRefusedByName) {
  Write("f.txt", "ca\nabc\n");
  Result r = Sh("TOOL grep 'caf\xC3\xA9' f.txt");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("\xC3\xA9"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("U+00E9"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("ca\n"), std::string::npos) << r.out;
  r =
      Sh("printf ab | TOOL match 'a\xF0\x9F\x98\x80"
         "b'");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("U+1F600"), std::string::npos) << r.out;
  r = Sh("printf abc | TOOL gsub b 'x\xC3\xA9'");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out.find("abc"), std::string::npos) << r.out;
  // Bytes that are not UTF-8 at all are refused too.
  r = Sh("TOOL grep $(printf '\\377') f.txt");
  EXPECT_EQ(r.status, 2);
  // Characters the code holds still work, and raw bytes pass with --sjis-args.
  Write("j.txt", "\x95\x5c\x8e\xa6\n");
  EXPECT_EQ(Sh("TOOL grep '\xE8\xA1\xA8' j.txt").status, 0);
  EXPECT_EQ(Sh("TOOL grep --sjis-args $(printf '\\225\\134') j.txt").status, 0);
}

TEST_F(ToolFaults, WriteErrorsAreReportedWithTheReason) {
  Write("f.txt", "hello\n");
  for (const char* line :
       {"TOOL grep hello f.txt", "TOOL detect f.txt", "TOOL match hello f.txt", "TOOL hexdump f.txt",
        "TOOL gsub l L f.txt", "TOOL conv sjis2euc f.txt", "TOOL encode base64 f.txt", "TOOL --help",
        "TOOL lines trim-lead f.txt", "TOOL lines sort-asc f.txt", "TOOL untag html f.txt", "TOOL sysinfo about"}) {
    SCOPED_TRACE(line);
    Result r = Sh(std::string(line) + " >/dev/full");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("write error"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("No space left on device"), std::string::npos) << r.out;
  }
  ASSERT_EQ(Sh("TOOL arc create a.zip f.txt").status, 0);
  Result r = Sh("TOOL arc list a.zip >/dev/full");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("write error"), std::string::npos) << r.out;
  ASSERT_EQ(Sh("TOOL arc create a.lzh f.txt").status, 0);
  r = Sh("TOOL arc preview a.lzh >/dev/full");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("write error"), std::string::npos) << r.out;
}

TEST_F(ToolFaults, RunningOutOfMemoryEndsWithAMessage) {
  if (kSanitized) GTEST_SKIP() << "address space limits do not apply under AddressSanitizer";
  // (hexdump streams: it no longer holds its input, see below.)
  for (const char* cmd : {"detect /dev/zero", "match a /dev/zero", "grep a /dev/zero", "decode base64 /dev/zero",
                          "conv auto /dev/zero"}) {
    SCOPED_TRACE(cmd);
    Result r = Sh(std::string("ulimit -v 600000; TOOL ") + cmd + " >/dev/null");
    EXPECT_EQ(r.status, 2) << r.out;
    EXPECT_NE(r.out.find("out of memory"), std::string::npos) << r.out;
  }
}

TEST_F(ToolFaults, HexdumpMemoryStaysAtAPieceWhateverTheFileSize) {
  if (kSanitized) GTEST_SKIP() << "address space limits do not apply under AddressSanitizer";
  // 64 MiB of zeros: the whole dump (about 240 MiB) never sits in memory.
  Write("big.bin", "");
  ASSERT_EQ(::truncate(Path("big.bin").c_str(), 64 << 20), 0);
  Result r = Sh("ulimit -v 200000; (TOOL hexdump big.bin; echo $? >rc) | tail -n 1; exit $(cat rc)");
  EXPECT_EQ(r.status, 0) << r.out.substr(0, 200);
  EXPECT_EQ(r.out, "00400000 : 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 \n");
  // Pieces join into the rows of the whole, numbered on.
  Write("odd.bin", std::string((1 << 20) + 17, 'A'));
  r = Sh("TOOL hexdump odd.bin | tail -n 2");
  EXPECT_EQ(r.out,
            "00010001 : 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 \n"
            "00010002 : 41 \n");
  Write("empty.bin", "");
  EXPECT_EQ(Sh("TOOL hexdump empty.bin | tail -n 1").out, "00000001 : \n");
}

TEST_F(ToolFaults, EveryCommandHasItsOwnHelp) {
  for (const char* cmd : {"arc", "detect", "grep", "match", "gsub", "hexdump", "conv", "eol", "encode", "decode",
                          "width", "lines", "untag", "sysinfo", "split", "merge", "fileop"}) {
    SCOPED_TRACE(cmd);
    Result r = Sh(std::string("TOOL ") + cmd + " --help");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find(std::string("navirt-tool ") + cmd), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("unknown option"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("cannot read"), std::string::npos) << r.out;
  }
  Result r = Sh("TOOL --help");
  for (const char* cmd : {"grep", "match", "gsub"}) {
    size_t line = r.out.find(std::string("  ") + cmd + " ");
    ASSERT_NE(line, std::string::npos) << cmd;
    EXPECT_NE(r.out.substr(line, r.out.find('\n', line) - line).find("--sjis-args"), std::string::npos) << cmd;
  }
  // A file really named --help is still reachable after "--".
  Write("--help", "\x82\xa0\n");
  EXPECT_EQ(Sh("TOOL grep -- x ./--help").status, 1);
}

TEST_F(ToolFaults, ReadErrorsNameThePath) {
  fs::create_directory(Path("sub"));
  Result r = Sh("TOOL grep x sub");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("cannot read sub"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("cannot read read error"), std::string::npos) << r.out;
}

}  // namespace

// Messages follow the locale: Japanese under a Japanese one, English
// otherwise, the archiver libraries' reports included.
namespace {
class ToolLanguage : public ToolFaults {};
}  // namespace

TEST_F(ToolLanguage, MessagesFollowTheLocale) {
  const std::string ja = "LC_ALL= LC_MESSAGES= LANG=ja_JP.UTF-8 ";
  const std::string en = "LC_ALL=C.UTF-8 ";
  Result r = Sh(ja + "TOOL detect no-such.txt");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "navirt-tool: no-such.txt を読み込めません: そのようなファイルやフォルダーはありません\n");
  r = Sh(en + "TOOL detect no-such.txt");
  EXPECT_EQ(r.out, "navirt-tool: cannot read no-such.txt: No such file or directory\n");
  EXPECT_EQ(Sh(ja + "TOOL arc create x.abc a").out, "navirt-tool: x.abc: 拡張子が書庫の形式を表していません\n");
  EXPECT_EQ(Sh(en + "TOOL arc create x.abc a").out, "navirt-tool: x.abc: the extension names no archive format\n");
  EXPECT_EQ(Sh(ja + "TOOL nosuch").out, "navirt-tool: コマンド 'nosuch' はありません (navirt-tool --help を参照)\n");
  EXPECT_EQ(Sh(ja + "TOOL conv").out,
            "navirt-tool: conv: モードを指定してください (auto|to-jis|to-euc|to-sjis|"
            "jis2sjis|jis2euc|euc2sjis|euc2jis|sjis2jis|sjis2euc|utf8-sjis|sjis-utf8|"
            "utf16-sjis|euc-utf8|jis-utf8|auto-utf8)\n");

  // The library's report: an LZH made and extracted twice, the second time
  // over the same files.
  Write("a.txt", "alpha\n");
  ASSERT_EQ(Sh(en + "TOOL arc create p.lzh a.txt").status, 0);
  r = Sh(en + "TOOL arc extract p.lzh -o en");
  EXPECT_NE(r.out.find("Extracting a.txt"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 file(s) extracted"), std::string::npos) << r.out;
  r = Sh(ja + "TOOL arc extract p.lzh -o ja");
  EXPECT_NE(r.out.find("展開: a.txt"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 個のファイルを展開しました"), std::string::npos) << r.out;
  r = Sh(ja + "TOOL arc list p.lzh");
  // The general listing keeps its fixed heading in every language.
  EXPECT_NE(r.out.find("Listing of archive : "), std::string::npos) << r.out;
  r = Sh(ja + "TOOL arc preview p.lzh");
  EXPECT_EQ(r.out.rfind("書庫の一覧 : ", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("1 個のファイル"), std::string::npos) << r.out;
}

// The help texts and the core's own messages (the expression engine's,
// the archive handlers', the line commands') follow the locale too, in
// both shell programs.
TEST_F(ToolLanguage, HelpAndCoreMessagesFollowTheLocale) {
  const std::string ja = "LC_ALL=ja_JP.UTF-8 ";
  const std::string en = "LC_ALL=C ";
  auto has = [](const Result& r, const std::string& text) {
    return r.out.find(text) != std::string::npos ? testing::AssertionSuccess()
                                                 : testing::AssertionFailure() << r.out.substr(0, 2000);
  };
  EXPECT_TRUE(has(Sh(ja + "TOOL --help"), "\n  hexdump [FILE]              標準の 16 進ダンプ (見出しとデータ行)\n"));
  EXPECT_TRUE(has(Sh(ja + "TOOL --help"), "使い方: navirt-tool COMMAND [ARGS...]\n"));
  EXPECT_TRUE(has(Sh(en + "TOOL --help"), "\n  hexdump [FILE]              the standard hexadecimal dump"));
  EXPECT_TRUE(has(Sh(ja + "TOOL lines --help"), "\n  sort-asc                 行を昇順に並べ替え"));
  EXPECT_TRUE(has(Sh(en + "TOOL lines --help"), "\n  sort-asc                 sort lines ascending"));
  EXPECT_TRUE(has(Sh(ja + "TOOL grep --help"), "使い方: navirt-tool grep "));
  EXPECT_TRUE(has(Sh(ja + "TOOL sysinfo"), "ウィンドウが開くヘルプのページ"));

  Write("f.txt", "hello\n");
  EXPECT_EQ(Sh(en + "TOOL grep '[a' f.txt").out, "navirt-tool: a closing bracket \"]\" is missing (position 3)\n");
  EXPECT_EQ(Sh(ja + "TOOL grep '[a' f.txt").out, "navirt-tool: 右ブラケット\"]\"が必要です (位置 3)\n");
  EXPECT_EQ(Sh(en + "TOOL lines keep-match-re 'a(' f.txt").out,
            "navirt-tool: lines keep-match-re: a closing parenthesis is missing\n");
  EXPECT_EQ(Sh(en + "TOOL arc check f.txt").out, "navirt-tool: cannot tell the archive's format\n");
  EXPECT_EQ(Sh(ja + "TOOL arc check f.txt").out, "navirt-tool: 書庫の形式を判別できません。\n");
  EXPECT_EQ(Sh(en + "TOOL lines serial X0 y f.txt").out, "navirt-tool: 'y' is not a valid whole number\n");
  EXPECT_EQ(Sh(ja + "TOOL lines serial X0 y f.txt").out, "navirt-tool: 'y' は有効な整数値ではありません\n");
  Write("u.txt", "a\n\xF0\x9F\x98\x80\n");
  Result r = Sh(en + "TOOL conv utf8-sjis u.txt >/dev/null");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "navirt-tool: conv: 1 character without a Shift_JIS form written as \"?\"; the first at line 2 (byte 2)\n");
  EXPECT_TRUE(has(Sh(ja + "TOOL conv utf8-sjis u.txt >/dev/null"), "Shift_JIS にない文字 1 個"));

  const std::string dir = "'" NAVIRT_BINARY_DIR "/bin/navirt-dir'";
  EXPECT_TRUE(has(Sh(ja + dir + " --help"), "使い方: navirt-dir [--sjis] [PATH]"));
  EXPECT_TRUE(has(Sh(ja + dir + " --help"), "  /S  サブフォルダーも"));
  EXPECT_TRUE(has(Sh(en + dir + " --help"), "  /S  subfolders too"));
  EXPECT_TRUE(has(Sh(en + dir + " . >/dev/full"), "navirt-dir: write error: No space left on device"));
  EXPECT_TRUE(has(Sh(ja + dir + " . >/dev/full"), "navirt-dir: 書き込みエラー: ディスクの空きがありません"));
}

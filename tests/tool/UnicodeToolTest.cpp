// navirt-tool detect --unicode, the Unicode conv modes and grep --auto.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "codec/CodeConvert.h"
#include "codec/UnicodeConvert.h"
#include "platform/Cp932.h"

namespace navirt {
namespace {

class UnicodeTool : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/navirt-unitool-XXXXXX";
    dir_ = mkdtemp(tmpl);
    dir_ += "/";
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  std::string File(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ + name, std::ios::binary) << bytes;
    return dir_ + name;
  }
  std::string Read(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream ss;
    ss << f.rdbuf();
    return ss.str();
  }
  // Runs navirt-tool; standard output and the status.
  int Tool(const std::string& args, std::string& out, const std::string& input = "/dev/null") {
    const char* tool = std::getenv("NAVIRT_TOOL");
    const std::string cmd = std::string(tool ? tool : NAVIRT_BINARY_DIR "/bin/navirt-tool") + " " + args + " > '" +
                            dir_ + "out' 2>/dev/null < '" + input + "'";
    const int st = std::system(cmd.c_str());
    out = Read(dir_ + "out");
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }
  static std::string Utf16(const std::string& utf8, bool be) {
    std::string out = be ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : Utf8ToUtf16(utf8)) {
      const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
      out += be ? hi : lo;
      out += be ? lo : hi;
    }
    return out;
  }
  std::string dir_;
};

TEST_F(UnicodeTool, DetectPrintsTheNewLabels) {
  const std::string u8 = File("u8", "日本語\n"),
                    bom = File("bom",
                               "\xEF\xBB\xBF"
                               "x"),
                    le = File("le", Utf16("x", false)), be = File("be", Utf16("x", true)),
                    sj = File("sj", Utf8ToCp932("日本語\n"));
  std::string out;
  EXPECT_EQ(Tool("detect --unicode " + u8 + " " + bom + " " + le + " " + be + " " + sj, out), 0);
  EXPECT_EQ(out, u8 + ": UTF-8\n" + bom + ": UTF-8(BOM)\n" + le + ": UTF-16LE\n" + be + ": UTF-16BE\n" + sj +
                     ": 5 CodeSjis\n");
  // Without the option detection is as it always was.
  EXPECT_EQ(Tool("detect " + u8, out), 0);
  EXPECT_EQ(out, "5 CodeSjis\n");
  EXPECT_EQ(Tool("detect --unicode " + le, out), 0);
  EXPECT_EQ(out, "UTF-16LE\n");
}

TEST_F(UnicodeTool, ConvModes) {
  const std::string text = "漢字とかな\r\nline 2\r\n";
  const std::string sjis = Utf8ToCp932(text);
  std::string out;
  EXPECT_EQ(Tool("conv utf8-sjis " + File("a", "\xEF\xBB\xBF" + text), out), 0);
  EXPECT_EQ(out, sjis);
  EXPECT_EQ(Tool("conv sjis-utf8 " + File("b", sjis), out), 0);
  EXPECT_EQ(out, text);
  EXPECT_EQ(Tool("conv utf16-sjis " + File("c", Utf16(text, true)), out), 0);
  EXPECT_EQ(out, sjis);
  EXPECT_EQ(Tool("conv euc-utf8 " + File("d", SjisToEuc(sjis)), out), 0);
  EXPECT_EQ(out, text);
  EXPECT_EQ(Tool("conv jis-utf8 " + File("e", SjisToJis(sjis)), out), 0);
  EXPECT_EQ(out, text);
  EXPECT_EQ(Tool("conv auto-utf8 " + File("f", Utf16(text, false)), out), 0);
  EXPECT_EQ(out, text);
  // Large inputs go a piece at a time; the result is the whole one's.
  std::string big;
  while (big.size() < (700u << 10)) big += text + "ｶﾀｶﾅ😀\n";
  std::string whole;
  // The emoji have no Shift_JIS form: status 1, the output whole all the same.
  ASSERT_EQ(Tool("conv utf8-sjis " + File("big", big), out), 1);
  EXPECT_TRUE(out == Utf8ToSjis(big));
  ASSERT_EQ(Tool("conv utf8-sjis", whole, File("big2", big)), 1);  // standard input
  EXPECT_TRUE(out == whole);
  ASSERT_EQ(Tool("conv sjis-utf8 " + File("bigs", out), whole), 0);
  EXPECT_EQ(whole.find("😀"), std::string::npos);
  EXPECT_EQ(whole.substr(0, text.size()), text);
  EXPECT_NE(Tool("conv utf9-sjis " + File("g", text), out), 0);
}

// A mark with nothing after it, an odd byte count, a lone surrogate:
// clear results (a loss says so by status 1), the input file untouched.
TEST_F(UnicodeTool, BadUnicodeInput) {
  std::string out;
  const std::string markOnly = File("m", "\xFF\xFE");
  EXPECT_EQ(Tool("detect --unicode " + markOnly, out), 0);
  EXPECT_EQ(out, "UTF-16LE\n");
  EXPECT_EQ(Tool("conv utf16-sjis " + markOnly, out), 0);
  EXPECT_EQ(out, "");
  const std::string odd = File("o", std::string("\xFE\xFF\0a\xD8\x3D\0b\x01", 9));
  EXPECT_EQ(Tool("conv utf16-sjis " + odd, out), 1);
  EXPECT_EQ(out, "a?b?");
  EXPECT_EQ(Read(odd), std::string("\xFE\xFF\0a\xD8\x3D\0b\x01", 9));
  EXPECT_EQ(Tool("conv auto-utf8 " + odd, out), 0);
  EXPECT_EQ(out,
            "a\xEF\xBF\xBD"
            "b\xEF\xBF\xBD");
}

// One file in each code holding the same word: --auto finds it in every
// one and reports the line in Shift_JIS; without it only the Shift_JIS and
// (by accident of bytes) nothing else matches.
TEST_F(UnicodeTool, GrepAutoOverAMixedTree) {
  const std::string line = "この行に検索語があります";
  const std::string sjis = Utf8ToCp932(line);
  const std::string files[] = {
      File("sjis.txt", "first\r\n" + sjis + "\r\n"),
      File("euc.txt", "first\n" + SjisToEuc(sjis) + "\n"),
      File("jis.txt", "first\n" + SjisToJis(sjis) + "\n"),
      File("utf8.txt", "first\n" + line + "\n"),
      File("utf8bom.txt",
           "\xEF\xBB\xBF"
           "first\n" +
               line + "\n"),
      File("utf16le.txt", Utf16("first\r\n" + line + "\r\n", false)),
      File("utf16be.txt", Utf16("first\n" + line + "\n", true)),
  };
  std::string list;
  for (const std::string& f : files) list += " " + f;
  std::string out;
  ASSERT_EQ(Tool("grep -n --auto 検索語" + list, out), 0);
  std::string want;
  for (const std::string& f : files) want += Utf8ToCp932(f) + "(2) :" + sjis + "\n";
  EXPECT_EQ(out, want);
  // Without the option the bytes are read as they are.
  ASSERT_EQ(Tool("grep -n 検索語" + list, out), 0);
  EXPECT_EQ(out, Utf8ToCp932(files[0]) + "(2) :" + sjis + "\n");
  // An empty file and an unreadable one under --auto.
  EXPECT_EQ(Tool("grep --auto 検索語 " + File("empty.txt", ""), out), 1);
  EXPECT_EQ(Tool("grep --auto 検索語 " + dir_ + "missing.txt", out), 2);
}

}  // namespace
}  // namespace navirt

// navirt-tool lines (editing commands) and untag, as a shell user runs them.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct ToolRun {
  int status;
  std::string out;
};

class LinesTool : public testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (std::filesystem::temp_directory_path() / "navirt-lines-XXXXXX").string();
    ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // The input goes to a file whose path ends the command line.
  ToolRun Tool(const std::string& args, const std::string& input) {
    std::ofstream(dir_ + "/in.txt", std::ios::binary) << input;
    return Run(args + " " + dir_ + "/in.txt");
  }
  ToolRun Run(const std::string& args) {
    const char* tool = std::getenv("NAVIRT_TOOL");
    std::string cmd = std::string(tool ? tool : NAVIRT_BINARY_DIR "/bin/navirt-tool") + " " + args + " 2>&1";
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int st = pclose(p);
    return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
  }

  std::string dir_;
};

// Every line ends with CR LF, the last one too, as the pane saves it: a
// last empty line survives, and the output reads back as the same lines.
TEST_F(LinesTool, EveryLineEndsSoALastEmptyLineIsKept) {
  EXPECT_EQ(Tool("lines sort-asc", "b\na\n\n").out, "\r\na\r\nb\r\n");
  EXPECT_EQ(Tool("lines sort-asc", "").out, "");
  EXPECT_EQ(Tool("lines del-dup", "\n").out, "\r\n");
  EXPECT_EQ(Tool("lines sort-desc", "a\nb\n\n").out, "b\r\na\r\n\r\n");
  EXPECT_EQ(Tool("untag html", "x<br>\n").out, "x\r\n\r\n");
  // A key of no bytes would delete every line: refused, nothing written.
  ToolRun r = Tool("lines del-dup-key 1", "a\nb\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("2 以上"), std::string::npos) << r.out;
  EXPECT_EQ(Tool("lines csv comma 3", "\nb\nc").out, ",b,c\r\n");
  EXPECT_EQ(Tool("untag tex", "50\\% of it\n").out, "50% of it\r\n");
  EXPECT_EQ(Tool("untag html", "&amp;quot;<br>").out, "&quot;\r\n\r\n");
}

TEST_F(LinesTool, SplitsLikeThePaneAndJoinsWithCrLf) {
  EXPECT_EQ(Tool("lines sort-desc", "a\r\nc\rb\n").out, "c\r\nb\r\na\r\n");
  EXPECT_EQ(Tool("lines number head", "x\ny\n").out, "1 x\r\n2 y\r\n");
  EXPECT_EQ(Tool("lines number tail-comma", "x").out, "x,1\r\n");
  EXPECT_EQ(Tool("lines del-dup", "a\na\nb\na\n").out, "a\r\nb\r\na\r\n");
  EXPECT_EQ(Tool("lines del-line-ends", "a\nb\n").out, "ab\r\n");
  EXPECT_EQ(Tool("lines tab-to underscore", "a\tb").out, "a_b\r\n");
  EXPECT_EQ(Tool("lines extract 2 2", "abcd\nx").out, "bc\r\n\r\n");
  EXPECT_EQ(Tool("lines delete-cols 2 2", "abcd\nx").out, "ad\r\nx\r\n");
  EXPECT_EQ(Tool("lines cut-append '|' 2", "abcde").out, "ab|\r\ncd|\r\ne\r\n");
  EXPECT_EQ(Tool("lines insert '|' 2", "abc").out, "a|bc\r\n");
  EXPECT_EQ(Tool("lines del-dup-key 2", "ab\nac\nb").out, "ab\r\nb\r\n");
  EXPECT_EQ(Tool("lines csv any ';' 2", "a\nb\nc").out, "a;b\r\nc\r\n");
  EXPECT_EQ(Tool("lines csv hex 2c 5", "a\nb").out, "a,b\r\n");
  EXPECT_EQ(Tool("lines serial X00 8", "a\nb\nc").out, "X08 a\r\nX09 b\r\nX10 c\r\n");
  EXPECT_EQ(Tool("lines trim-lead", "  x").out, "x\r\n");
  EXPECT_EQ(Tool("lines reverse", "abc").out, "cba\r\n");
  EXPECT_EQ(Tool("lines sort-asc", "").out, "");
}

TEST_F(LinesTool, TextArgumentsAreUtf8OrRawBytes) {
  // あ is 82 A0 in Shift_JIS.
  EXPECT_EQ(Tool("lines insert 'あ' 1", "xy").out, "\x82\xa0xy\r\n");
  EXPECT_EQ(Tool("lines --sjis-args insert \"$(printf '\\202\\240')\" 1", "xy").out, "\x82\xa0xy\r\n");
  EXPECT_EQ(Tool("lines del-ideo-spaces",
                 "a\x81\x40"
                 "b")
                .out,
            "ab\r\n");
}

// The window's message, in English under the tests' English locale.
TEST_F(LinesTool, InvalidNumbersExitTwoWithTheWindowsMessage) {
  ToolRun r = Tool("lines serial X0 one", "a\nb");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "navirt-tool: 'one' is not a valid whole number\n");
  r = Tool("lines csv comma 0", "a\nb");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("'0' is not a valid whole number"), std::string::npos);
  EXPECT_EQ(Tool("lines csv hex 100 2", "a").status, 2);
  EXPECT_EQ(Tool("lines del-dup-key x", "a").status, 2);
  EXPECT_EQ(Tool("lines cut abc", "a").status, 2);
  EXPECT_EQ(Tool("lines number middle", "a").status, 2);
  EXPECT_EQ(Tool("lines csv pipe 2", "a").status, 2);
  EXPECT_EQ(Tool("lines extract 1", "a").status, 2);  // too few arguments (the last is the file)
}

TEST_F(LinesTool, UnreadableInputChangesNothing) {
  // The whole-input path (tab-to) and the list path (reverse) alike.
  for (const char* cmd : {"lines tab-to space", "lines reverse", "untag html"}) {
    ToolRun r = Run(std::string(cmd) + " " + dir_ + "/missing.txt");
    EXPECT_EQ(r.status, 2) << cmd;
    EXPECT_NE(r.out.find("cannot read"), std::string::npos) << cmd;
    r = Run(std::string(cmd) + " " + dir_);
    EXPECT_EQ(r.status, 2) << cmd;
    EXPECT_NE(r.out.find("is a folder"), std::string::npos) << cmd;
  }
}

TEST_F(LinesTool, Untag) {
  EXPECT_EQ(Tool("untag html", "a<br>b\nc</p>\n").out, "a\r\n\r\nbc\r\n");
  EXPECT_EQ(Tool("untag html", "<p>\t x\n<p>\n\n<br>end").out, "\r\n\r\n\t x\r\n\r\nend\r\n");
  EXPECT_EQ(Tool("untag html-tab-trim-empty", "<p>\t x\n<p>\n\n<br>end").out, "x\r\nend\r\n");
  EXPECT_EQ(Tool("untag html-tab-empty", "<p>\t x<p>").out, " x\r\n");
  EXPECT_EQ(Tool("untag html-empty", "<p>\t x<p>").out, "\t x\r\n");
  EXPECT_EQ(Tool("untag tex", "\\section{Intro} % comment\n").out, "{Intro} \r\n");
  EXPECT_EQ(Tool("untag html", "").out, "");
  EXPECT_EQ(Tool("untag xml", "a").status, 2);
}

}  // namespace

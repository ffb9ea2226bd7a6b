// navirt-tool lines: the search commands as a shell user runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct LinesRun {
  int status;
  std::string out;
  std::string err;
};

class LinesSearchTool : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/navirt-lines-search-XXXXXX";
    dir_ = std::string(mkdtemp(tmpl)) + "/";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // args are passed to the shell as they stand (quote them there).
  LinesRun Tool(const std::string& args, const std::string& input) {
    const char* tool = std::getenv("NAVIRT_TOOL");
    std::ofstream(dir_ + "in", std::ios::binary) << input;
    std::string cmd = std::string(tool ? tool : NAVIRT_BINARY_DIR "/bin/navirt-tool") + " lines " + args + " < " +
                      dir_ + "in 2>" + dir_ + "err";
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    int st = pclose(p);
    std::ifstream e(dir_ + "err", std::ios::binary);
    std::string err((std::istreambuf_iterator<char>(e)), {});
    return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out, err};
  }
  std::string dir_;
};

}  // namespace

TEST_F(LinesSearchTool, DeletingAndKeepingLines) {
  LinesRun r = Tool("del-match x", "ax\nb\nxx\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "b\r\n");
  EXPECT_EQ(r.err, "2\n");
  r = Tool("keep-match x", "ax\r\nb\r\nxx");
  EXPECT_EQ(r.out, "ax\r\nxx\r\n");
  EXPECT_EQ(r.err, "2\n");
  // "\" never matches the second byte of 表 (UTF-8 argument, Shift_JIS text).
  r = Tool("del-match '\\'", "\x95\x5c\x8e\xa6\nC:\\tmp\n");
  EXPECT_EQ(r.out, "\x95\x5c\x8e\xa6\r\n");
  EXPECT_EQ(r.err, "1\n");
  r = Tool("keep-match 表", "\x95\x5c\nx\n");
  EXPECT_EQ(r.out, "\x95\x5c\r\n");
  r = Tool("--sjis-args keep-match \"$(printf '\\225\\134')\"", "\x95\x5c\nx\n");
  EXPECT_EQ(r.out, "\x95\x5c\r\n");
}

TEST_F(LinesSearchTool, Expressions) {
  LinesRun r = Tool("keep-match-re '^[0-9]+$'", "12\n1a\n\n34\n");
  EXPECT_EQ(r.out, "12\r\n34\r\n");
  EXPECT_EQ(r.err, "2\n");
  r = Tool("del-match-re 'a|b'", "xa\nyb\nz\n");
  EXPECT_EQ(r.out, "z\r\n");
  r = Tool("del-match-re ''", "a\nb\n");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "2\n");
  r = Tool("keep-match-re --fuzzy abc", "\x82\x60\x82\x61\x82\x62\nx\n");  // ＡＢＣ
  EXPECT_EQ(r.out, "\x82\x60\x82\x61\x82\x62\r\n");
  r = Tool("replace-re '[0-9]+' '<&>'", "a1b22\nC:\\new\\x41\n");
  EXPECT_EQ(r.out, "a<1>b<22>\r\nC:\\new\\x<41>\r\n");
  EXPECT_EQ(r.err, "3\n");
  r = Tool("replace-re '^' '> '", "a\nb");
  EXPECT_EQ(r.out, "> a\r\n> b\r\n");
}

TEST_F(LinesSearchTool, PhrasesAndReplacing) {
  LinesRun r = Tool("replace a aa", "aaa\nba\n");
  EXPECT_EQ(r.out, "aaaaaa\r\nbaa\r\n");
  EXPECT_EQ(r.err, "4\n");
  r = Tool("del-phrase '\\n'", "C:\\new\\n\n");
  EXPECT_EQ(r.out, "C:ew\r\n");
  EXPECT_EQ(r.err, "2\n");
  r = Tool("replace '\\' /", "\x95\x5c\\\n");
  EXPECT_EQ(r.out, "\x95\x5c/\r\n");
  // A NEW holding line ends gives lines ended by CR LF, for both forms.
  r = Tool("replace b \"$(printf 'x\\ny')\"", "abc\r\nb\r\n");
  EXPECT_EQ(r.out, "ax\r\nyc\r\nx\r\ny\r\n");
  r = Tool("replace-re b \"$(printf 'x\\ny')\"", "abc\r\nb\r\n");
  EXPECT_EQ(r.out, "ax\r\nyc\r\nx\r\ny\r\n");
}

TEST_F(LinesSearchTool, BadInputChangesNothing) {
  LinesRun r = Tool("keep-match-re '(a'", "a\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "navirt-tool: lines keep-match-re: a closing parenthesis is missing\n");
  r = Tool("replace-re a 'x\\'", "a\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  r = Tool("del-match ''", "a\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("empty"), std::string::npos);
  r = Tool("del-match \"$(printf 'a\\nb')\"", "a\nb\n");
  EXPECT_EQ(r.status, 2);
  r = Tool("keep-match-re ''", "a\n");
  EXPECT_EQ(r.status, 2);
  r = Tool("replace onlyone", "a\n");
  EXPECT_EQ(r.status, 2);
}

// navirt-tool grep, match and gsub: output, line format and exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "tests/SjisText.h"
#include "tests/UniqueTempDir.h"

namespace {

struct Result {
  std::string out;
  int status = -1;
};

Result Tool(const std::string& args, const std::string& input = "") {
  const char* tool = std::getenv("NAVIRT_TOOL");
  UniqueTempDir tmp("navirt-tooltest");
  std::string in = tmp.File("in");
  std::ofstream(in, std::ios::binary) << input;
  Result r;
  FILE* p = popen(("'" + std::string(tool ? tool : "navirt-tool") + "' " + args + " < " + in + " 2>&1").c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  return r;
}

class ToolRegex : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("NAVIRT_TOOL")) GTEST_SKIP() << "NAVIRT_TOOL not set";
    std::ofstream(path_, std::ios::binary) << "xabc\r\nabc\n" << S("漢字abc\n");
  }
  UniqueTempDir tmp_{"navirt-tooltest"};
  std::string path_ = tmp_.File("text.txt");
};

TEST_F(ToolRegex, GrepLinesNumbersAndStatuses) {
  Result r = Tool("grep abc " + path_);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "xabc\nabc\n" + S("漢字abc\n"));
  r = Tool("grep -n -u '^漢' " + path_);
  EXPECT_EQ(r.out, path_ + "(3) :漢字abc\n");
  EXPECT_EQ(Tool("grep zzz " + path_).status, 1);
  r = Tool("grep 'a(' " + path_);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("a closing parenthesis is missing"), std::string::npos) << r.out;
  EXPECT_EQ(Tool("grep abc /nonexistent/file").status, 2);
  // Raw Shift_JIS bytes with --sjis-args; the dictionary with --fuzzy.
  EXPECT_EQ(Tool("grep --sjis-args \"$(printf '\\212\\277')\" " + path_).out, S("漢字abc\n"));
  EXPECT_EQ(Tool("grep --fuzzy 'ＡＢＣ' " + path_).status, 0);
}

TEST_F(ToolRegex, MatchAndGsub) {
  EXPECT_EQ(Tool("match 'b+'", "abbbc").out, "2 3\n");
  Result none = Tool("match q", "abc");
  EXPECT_EQ(none.out, "0 0\n");
  EXPECT_EQ(none.status, 1);
  EXPECT_EQ(Tool("gsub a '<&>'", "banana").out, "b<a>n<a>n<a>3\n");
  EXPECT_EQ(Tool("gsub 'x*' -", "abc").out, "-a-b-c3\n");
}

}  // namespace

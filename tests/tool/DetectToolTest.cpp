// navirt-tool as a shell user runs it.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include "tests/UniqueTempDir.h"

namespace {

struct ToolRun {
  int status;
  std::string out;
};

ToolRun Tool(const std::string& args, const std::string& input = "") {
  const char* tool = std::getenv("NAVIRT_TOOL");
  UniqueTempDir tmp("navirt-detect");
  std::string in = tmp.File("in");
  std::ofstream(in, std::ios::binary) << input;
  std::string cmd = std::string(tool ? tool : NAVIRT_BINARY_DIR "/bin/navirt-tool") + " " + args + " < " + in + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = pclose(p);
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
}

TEST(ToolDetect, StandardInputFilesAndErrors) {
  ToolRun r = Tool("detect", "\x82\xa0\x82\xa2\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "5 CodeSjis\n");
  std::string samples = NAVIRT_SOURCE_DIR "/samples/";
  r = Tool("detect " + samples + "04_euc.txt");
  EXPECT_EQ(r.out, "4 CodeEuc\n");
  r = Tool("detect " + samples + "02_jis83.txt " + samples + "06_euc_or_sjis.txt");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, samples + "02_jis83.txt: 2 CodeJis83\n" + samples + "06_euc_or_sjis.txt: 6 CodeEucOrSjis\n");
  r = Tool("detect /nonexistent/file.txt");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "navirt-tool: cannot read /nonexistent/file.txt: No such file or directory\n");
  r = Tool("detect " + samples);
  EXPECT_EQ(r.status, 2);
}

TEST(ToolFrame, HelpVersionAndUnknownCommands) {
  ToolRun r = Tool("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("detect"), std::string::npos);
  r = Tool("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("navirt-tool ", 0), 0u);
  r = Tool("frobnicate");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("unknown command"), std::string::npos);
  EXPECT_EQ(Tool("").status, 2);
}

}  // namespace

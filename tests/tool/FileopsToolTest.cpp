// navirt-tool split and merge as a shell user runs them.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/UniqueTempDir.h"

namespace {

struct ToolRun {
  int status;
  std::string out;
};

ToolRun RunTool(const std::string& args) {
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

std::string Read(const std::string& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

TEST(ToolSplitMerge, PiecesCommandFileAndJoiningBack) {
  UniqueTempDir tmp("navirt-tool-split");
  const std::string t = tmp.path().string();
  std::string data;
  for (int i = 0; i < 2500; ++i) data += static_cast<char>(i * 7);
  std::ofstream(t + "/blob.bin", std::ios::binary) << data;
  ToolRun r = RunTool("split " + t + "/blob.bin 1000");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out, t + "/blob.001\n" + t + "/blob.002\n" + t + "/blob.003\n" + t + "/blob.bat\n");
  EXPECT_EQ(Read(t + "/blob.003"), data.substr(2000));
  EXPECT_EQ(
      Read(t + "/blob.bat"),
      "COPY /B blob.001 blob.bin\r\nCOPY /B blob.bin+blob.002 blob.bin\r\nCOPY /B blob.bin+blob.003 blob.bin\r\n");
  // Pieces that exist are replaced only with --force.
  std::ofstream(t + "/blob.002", std::ios::binary) << "keep";
  r = RunTool("split " + t + "/blob.bin 1000");
  EXPECT_EQ(r.status, 2) << r.out;
  EXPECT_NE(r.out.find("blob.001: "), std::string::npos) << r.out;
  EXPECT_EQ(Read(t + "/blob.002"), "keep");
  r = RunTool("split --force " + t + "/blob.bin 1000");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Read(t + "/blob.002"), data.substr(1000, 1000));
  r = RunTool("merge " + t + "/joined.bin " + t + "/blob.001 " + t + "/blob.002 " + t + "/blob.003");
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(Read(t + "/joined.bin"), data);
  EXPECT_EQ(Read(t + "/joined.bat"), "COPY /B " + t + "/blob.001 " + t + "/joined.bin\r\nCOPY /B " + t +
                                         "/joined.bin+" + t + "/blob.002 " + t + "/joined.bin\r\nCOPY /B " + t +
                                         "/joined.bin+" + t + "/blob.003 " + t + "/joined.bin\r\n");
  // Bad input changes nothing.
  EXPECT_EQ(RunTool("split " + t + "/blob.bin 0").status, 2);
  EXPECT_EQ(RunTool("split " + t + "/blob.bin 2").out, "navirt-tool: cannot split into 1251 files\n");
  EXPECT_EQ(RunTool("split " + t + "/none 10").status, 2);
  r = RunTool("merge " + t + "/joined.bin " + t + "/blob.001 " + t + "/missing");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(Read(t + "/joined.bin"), data);
  EXPECT_EQ(RunTool("merge " + t + "/x").status, 2);
}

}  // namespace

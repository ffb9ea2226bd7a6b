// navirt-tool sysinfo as a shell user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

ToolRun Tool(const std::string& args, const std::string& input = "") {
  const char* tool = std::getenv("NAVIRT_TOOL");
  char tmpl[] = "/tmp/navirt_sysinfo_in_XXXXXX";
  int fd = mkstemp(tmpl);
  if (fd >= 0) close(fd);
  std::ofstream(tmpl, std::ios::binary) << input;
  std::string cmd =
      std::string(tool ? tool : NAVIRT_BINARY_DIR "/bin/navirt-tool") + " " + args + " < " + tmpl + " 2>&1";
  FILE* p = popen(cmd.c_str(), "r");
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = pclose(p);
  std::remove(tmpl);
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, out};
}

TEST(SysinfoTool, ReportDateDriveAboutAndUrl) {
  ToolRun r = Tool("sysinfo report");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Windowsﾃﾞｨﾚｸﾄﾘ = /usr\n", 0), 0u);
  EXPECT_NE(r.out.find("\n起動時間 = "), std::string::npos);

  r = Tool("sysinfo date 2019-05-01");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("令和元年 5月 1日 (水曜日)"), std::string::npos);
  EXPECT_EQ(r.out.rfind(" 2019.5.1 (水)\n", 0), 0u);
  EXPECT_EQ(Tool("sysinfo date 2019-02-30").status, 2);
  EXPECT_EQ(Tool("sysinfo date yesterday").status, 2);

  r = Tool("sysinfo drive " + std::filesystem::temp_directory_path().string());
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find(" 全容量 "), std::string::npos);
  r = Tool("sysinfo drive /no/such/folder");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.out.find("/no/such/folder"), std::string::npos);

  r = Tool("sysinfo about");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("ICU "), std::string::npos);

  r = Tool("sysinfo url line", "\x82\xa0http://a.jp/x y\nsecond");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "http://a.jp/x\n");
  EXPECT_EQ(Tool("sysinfo url line", "www.a.jp").status, 1);
  EXPECT_EQ(Tool("sysinfo url selection", " www.a.jp ").out, "www.a.jp\n");
  EXPECT_EQ(Tool("sysinfo nothing").status, 2);
}

}  // namespace

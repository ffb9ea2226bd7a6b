// Programs are started with fork and exec, never through a shell, so a
// file name is always one argument whatever characters it holds; the child
// reports a failed exec through a pipe, so a missing program is told apart
// from one that ran and failed.
#include "platform/ProcessStarter.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Programs.h"

namespace navirt {

std::string MissingProgramMessage(const std::string& program) { return program + " が見つかりません。"; }

std::string UnpassableArgumentMessage(const ProgramCall& call) {
  for (const auto& a : call.args)
    if (a.find('\0') != std::string::npos) return call.program + " に渡す内容にNUL文字が含まれています。";
  if (call.program.find('\0') != std::string::npos || call.workdir.find('\0') != std::string::npos)
    return "プログラム名かフォルダー名にNUL文字が含まれています。";
  return "";
}

bool TSpawnStarter::Exists(const std::string& program) const { return !FindProgram(program).empty(); }

namespace {

// Writes all of buf, retrying on interruption; only async-signal-safe calls.
void WriteAll(int fd, const void* buf, size_t n) {
  const char* p = static_cast<const char*>(buf);
  while (n > 0) {
    ssize_t w = write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;
    p += w;
    n -= static_cast<size_t>(w);
  }
}

}  // namespace

StartResult TSpawnStarter::Start(const ProgramCall& call) {
  StartResult res;
  res.message = UnpassableArgumentMessage(call);
  if (!res.message.empty()) return res;
  std::string path = FindProgram(call.program);
  if (path.empty()) {
    res.message = MissingProgramMessage(call.program);
    return res;
  }
  // Everything the child needs is prepared before fork.
  std::vector<std::string> argStore;
  argStore.push_back(call.program);
  for (const auto& a : call.args) argStore.push_back(a);
  std::vector<char*> argv;
  for (auto& a : argStore) argv.push_back(a.data());
  argv.push_back(nullptr);

  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) {
    res.message = std::string("プログラムを起動できません: ") + std::strerror(errno);
    return res;
  }
  pid_t child = fork();
  if (child < 0) {
    int e = errno;
    close(fds[0]);
    close(fds[1]);
    res.message = std::string("プログラムを起動できません: ") + std::strerror(e);
    return res;
  }
  if (child == 0) {
    // Middle process: a new session, then the grandchild runs the program
    // and this one exits, so the program is adopted by init.
    close(fds[0]);
    setsid();
    pid_t grand = fork();
    if (grand < 0) {
      int e = errno;
      WriteAll(fds[1], &e, sizeof e);
      _exit(127);
    }
    if (grand > 0) _exit(0);
    int stage = 0;  // 0: chdir failed, 1: exec failed
    if (!call.workdir.empty() && chdir(call.workdir.c_str()) != 0) {
      int e = errno;
      WriteAll(fds[1], &stage, sizeof stage);
      WriteAll(fds[1], &e, sizeof e);
      _exit(127);
    }
    execv(path.c_str(), argv.data());
    int e = errno;
    stage = 1;
    WriteAll(fds[1], &stage, sizeof stage);
    WriteAll(fds[1], &e, sizeof e);
    _exit(127);
  }
  close(fds[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  // The write end closes at a successful exec: end of file means it runs.
  int report[2] = {0, 0};
  size_t got = 0;
  while (got < sizeof report) {
    ssize_t r = read(fds[0], reinterpret_cast<char*>(report) + got, sizeof report - got);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    got += static_cast<size_t>(r);
  }
  close(fds[0]);
  if (got == 0) {
    res.ok = true;
    return res;
  }
  if (got == sizeof report && report[0] == 0)
    res.message = call.workdir + " に移動できません: " + std::strerror(report[1]);
  else if (got == sizeof report)
    res.message = call.program + " を起動できません: " + std::strerror(report[1]);
  else
    res.message = call.program + " を起動できません。";
  return res;
}

}  // namespace navirt

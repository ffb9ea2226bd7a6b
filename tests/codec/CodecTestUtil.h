#pragma once
// Helpers shared by the codec tests: byte literals, temporary files and
// running system programs (iconv, navirt-tool) on bytes.
#include <unistd.h>

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

namespace navirt::testutil {

inline std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

inline std::string Hex(const std::string& s) {
  static const char* d = "0123456789ABCDEF";
  std::string h;
  for (unsigned char c : s) {
    if (!h.empty()) h += ' ';
    h += d[c >> 4];
    h += d[c & 15];
  }
  return h;
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/navirt-codec-XXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string File(const std::string& name, const std::string& content) const {
    std::string p = path_ + "/" + name;
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// Runs a shell command line whose input is `input`; returns its exit status
// and puts its standard output into out.
inline int RunWithInput(const std::string& command, const std::string& input, std::string& out) {
  TempDir dir;
  std::string in = dir.File("in", input);
  std::string outPath = dir.path() + "/out";
  int rc = std::system((command + " < '" + in + "' > '" + outPath + "' 2>/dev/null").c_str());
  out = ReadAll(outPath);
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

}  // namespace navirt::testutil

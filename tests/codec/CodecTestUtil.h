#pragma once
// Helpers shared by the codec tests: byte literals, reading files and
// running system programs (iconv, navirt-tool) on bytes.
#include <unistd.h>

#include <sys/wait.h>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include "tests/UniqueTempDir.h"

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

inline std::string ReadAll(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

// Runs a shell command line whose input is `input`; returns its exit status
// and puts its standard output into out.
inline int RunWithInput(const std::string& command, const std::string& input, std::string& out) {
  UniqueTempDir dir("navirt-codec");
  std::string in = dir.Write("in", input);
  std::string outPath = dir.File("out");
  int rc = std::system((command + " < '" + in + "' > '" + outPath + "' 2>/dev/null").c_str());
  out = ReadAll(outPath);
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

}  // namespace navirt::testutil

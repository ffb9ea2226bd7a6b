// navirt-dir: the directory listing Navirt shows in its pane, in the layout
// of a Japanese command prompt. UTF-8 output, or CP932 with --sjis.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fileops/DirListing.h"
#include "platform/Cp932.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (const std::string& a : args) {
    if (a == "--help") {
      std::printf("Usage: navirt-dir [--sjis] [PATH] [/A:[-]D|R|H|S|A] [/O:[-]N|S|E|D|G|A] [/S] [/B] [/W] [/V] [/L]\n");
      return 0;
    }
  }
  navirt::DirOptions o;
  std::string error;
  if (!navirt::ParseDirArgs(args, o, error)) {
    std::string text = error + (o.sjis ? "\r\n" : "\n");
    if (o.sjis) text = navirt::Utf8ToCp932(text);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 2;
  }
  std::string out;
  int status = navirt::DirListing(o, out);
  if (o.sjis) out = navirt::Utf8ToCp932(out);
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "navirt-dir: write error: %s\n", std::strerror(errno));
    return 2;
  }
  return status;
}

// Random expressions over random texts: Match, GSub and grep's fast scans,
// which must report what the character-by-character scans report.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "regex/bmRegExp.h"
#include "tests/UniqueTempDir.h"

namespace {
std::string TempPath() {
  static UniqueTempDir dir("navirt-fuzz-grep");
  static std::string path = dir.File("text");
  return path;
}

std::vector<std::string> Grep(navirt::TGrep& g, const std::string& path) {
  std::vector<std::string> out;
  g.OnMatch = [&](navirt::TGrep*, const navirt::RE_LineInfo_t& li) {
    out.push_back(std::to_string(li.LineNo) + ":" + li.Line);
  };
  g.Grep(path);
  return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  size_t n = data[0] % 48;
  if (1 + n > size) return 0;
  std::string expr(reinterpret_cast<const char*>(data) + 1, n);
  std::string text(reinterpret_cast<const char*>(data) + 1 + n, size - 1 - n);
  if (text.size() > 4096) text.resize(4096);

  static navirt::TAWKStr awk;
  static navirt::TGrep fast, ref;
  ref.UseReferenceScan = true;
  try {
    awk.SetRegExp(expr);
  } catch (const navirt::ERegExpParser&) {
    return 0;
  }
  int len = 0;
  int pos = awk.Match(text, &len);
  if (pos < 0 || len < 0 || (pos > 0 && size_t(pos - 1 + len) > text.size())) __builtin_trap();
  std::string s = text;
  try {
    awk.GSub("<&>", s);
  } catch (const navirt::ERegExpParser&) {
  }

  try {
    fast.SetRegExp(expr);
    ref.SetRegExp(expr);
  } catch (const navirt::ERegExpParser&) {
    return 0;
  }
  FILE* f = std::fopen(TempPath().c_str(), "wb");
  if (!f) return 0;
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  if (Grep(fast, TempPath()) != Grep(ref, TempPath())) __builtin_trap();
  return 0;
}

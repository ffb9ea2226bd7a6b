#pragma once
// Helpers of the archive tests: a scratch folder, files, external tools.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "archive/Archives.h"
#include "platform/Cp932.h"

namespace navirt::arctest {

namespace fs = std::filesystem;

// 表 (95 5C) and ソ (83 5C) end in a backslash byte in CP932.
inline const std::string kHyo = "\xE8\xA1\xA8";  // 表
inline const std::string kSo = "\xE3\x82\xBD";   // ソ
inline const std::string kJpName = kHyo + "示" + kSo + ".txt";

class TempDir {
 public:
  TempDir() {
    std::string tmpl = (fs::temp_directory_path() / "navirt-arc-XXXXXX").string();
    path_ = ::mkdtemp(tmpl.data()) ? tmpl : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
  }
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& data) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << data;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// Runs a shell command (paths quoted by the caller); returns its exit status.
inline int Sh(const std::string& cmd) {
  int st = std::system((cmd + " >/dev/null 2>&1").c_str());
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

inline std::string RunOutput(const std::string& cmd) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}

inline std::string Q(const std::string& s) { return "'" + s + "'"; }

// A sample tree with a Japanese name in a sub-folder and a binary file.
inline void MakeTree(const std::string& root) {
  WriteFile(root + "/a.txt", "hello world\n");
  std::string text;
  for (int i = 0; i < 200; ++i) text += "表示テスト line " + std::to_string(i) + "\n";
  WriteFile(root + "/sub/" + kJpName, text);
  std::string bin;
  for (int i = 0; i < 20000; ++i) bin += static_cast<char>((i * 7919) >> 3);
  WriteFile(root + "/" + kSo + "フト.bin", bin);
}

inline bool SameTree(const std::string& a, const std::string& b) {
  for (const auto& e : fs::recursive_directory_iterator(a)) {
    std::string rel = fs::relative(e.path(), a).string();
    std::string other = b + "/" + rel;
    if (e.is_directory()) {
      if (!fs::is_directory(other)) return false;
    } else if (!Exists(other) || ReadFile(e.path().string()) != ReadFile(other)) {
      return false;
    }
  }
  return true;
}

inline std::string Fixture(const std::string& name) {
  return std::string(NAVIRT_SOURCE_DIR) + "/tests/archive/fixtures/" + name;
}

// Entry names (UTF-8) of an archive through the archive-file object.
inline std::vector<std::string> EntryNames(const std::string& path) {
  TArchiveFile f;
  f.SetFileName(path);
  std::vector<std::string> names;
  if (!f.Open(nullptr, 0)) return names;
  TIndividualInfo info;
  for (int r = f.FindFirst("*.*", info); r == 0; r = f.FindNext(info)) names.push_back(Cp932ToUtf8(info.szFileName));
  f.Close();
  return names;
}

// Runs a callable with the process's current folder set to dir.
template <typename F>
auto InFolder(const std::string& dir, F&& f) {
  char old[4096];
  if (!::getcwd(old, sizeof old)) old[0] = 0;
  if (::chdir(dir.c_str()) != 0) std::abort();
  struct Back {
    const char* p;
    ~Back() {
      if (p[0] && ::chdir(p) != 0) std::abort();
    }
  } back{old};
  return f();
}

}  // namespace navirt::arctest

#pragma once
// A folder of its own for one test: created fresh under $TMPDIR (or /tmp)
// with a unique name, removed with everything in it afterwards. Two runs at
// once, or a run after one that crashed, never see each other's files.
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

class UniqueTempDir {
 public:
  // base: another file system when a test needs one (/dev/shm).
  explicit UniqueTempDir(const std::string& prefix = "navirt-test", const std::filesystem::path& base = {}) {
    std::string tmpl = ((base.empty() ? std::filesystem::temp_directory_path() : base) / (prefix + "-XXXXXX")).string();
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("cannot create a folder from " + tmpl);
    path_ = tmpl;
  }
  ~UniqueTempDir() {
    // A test may leave a folder read-only; open it again so removal works.
    std::error_code ec;
    ::chmod(path_.c_str(), 0700);
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
      if (it->is_directory(ec) && !it->is_symlink(ec)) ::chmod(it->path().c_str(), 0700);
    std::filesystem::remove_all(path_, ec);
  }
  UniqueTempDir(const UniqueTempDir&) = delete;
  UniqueTempDir& operator=(const UniqueTempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // A name inside the folder, as a string.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  // The folder as the program's own paths write one: with a trailing '/'.
  std::string Folder() const { return path_.string() + "/"; }
  // Writes a file of the folder (bytes as given) and returns its path.
  std::string Write(const std::string& name, std::string_view bytes) const {
    std::string p = File(name);
    std::ofstream(p, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }

 private:
  std::filesystem::path path_;
};

#include "browse/CopyInto.h"

#include <filesystem>
#include <system_error>

#include "platform/FileInfo.h"

namespace navirt {

namespace fs = std::filesystem;

CopyIntoResult CopyInto(const std::vector<std::string>& sources, const std::string& targetFolder) {
  CopyIntoResult r;
  std::string target = WithTrailingSlash(targetFolder);
  auto fail = [&](const std::string& msg) {
    ++r.failed;
    if (r.firstError.empty()) r.firstError = msg;
  };
  for (const std::string& src0 : sources) {
    std::string src = src0;
    while (src.size() > 1 && src.back() == '/') src.pop_back();
    std::string name = FileNamePart(src);
    std::string dest = target + name;
    std::error_code ec;
    if (name.empty() || !fs::exists(fs::symlink_status(src, ec))) {
      fail(src + ": " + std::make_error_code(std::errc::no_such_file_or_directory).message());
      continue;
    }
    if (fs::exists(fs::symlink_status(dest, ec))) {
      fail(dest + ": " + std::make_error_code(std::errc::file_exists).message());
      continue;
    }
    // A folder into itself or below itself would never end.
    std::string srcDir = WithTrailingSlash(src);
    if (fs::is_directory(src, ec) && target.compare(0, srcDir.size(), srcDir) == 0) {
      fail(src + ": " + std::make_error_code(std::errc::invalid_argument).message());
      continue;
    }
    fs::copy(src, dest, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    if (ec) {
      fail(dest + ": " + ec.message());
      continue;
    }
    ++r.copied;
  }
  return r;
}

}  // namespace navirt

#include "browse/Drives.h"

#include <algorithm>
#include <sstream>

#include "platform/FileInfo.h"

namespace navirt {

namespace {

std::string Unescape(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size()) {
      const char* p = s.c_str() + i + 1;
      if (p[0] >= '0' && p[0] <= '7' && p[1] >= '0' && p[1] <= '7' && p[2] >= '0' && p[2] <= '7') {
        out += static_cast<char>((p[0] - '0') * 64 + (p[1] - '0') * 8 + (p[2] - '0'));
        i += 3;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

}  // namespace

std::vector<DriveInfo> ParseMounts(const std::string& table) {
  std::vector<DriveInfo> out;
  DriveInfo root;
  root.mountPoint = "/";
  out.push_back(root);
  std::istringstream in(table);
  std::string line;
  std::vector<DriveInfo> found;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::string dev, mnt, type;
    if (!(f >> dev >> mnt >> type)) continue;
    mnt = Unescape(mnt);
    if (mnt == "/") {
      out[0].device = dev;
      out[0].type = type;
      continue;
    }
    if (dev.rfind("/dev/", 0) != 0) continue;
    // Loop-mounted images (snaps and the like) are no drives to the user.
    if (dev.rfind("/dev/loop", 0) == 0 || type == "squashfs") continue;
    DriveInfo d;
    d.mountPoint = WithTrailingSlash(mnt);
    d.device = Unescape(dev);
    d.type = type;
    bool dup =
        std::any_of(found.begin(), found.end(), [&](const DriveInfo& x) { return x.mountPoint == d.mountPoint; });
    if (!dup) found.push_back(d);
  }
  std::sort(found.begin(), found.end(),
            [](const DriveInfo& a, const DriveInfo& b) { return a.mountPoint < b.mountPoint; });
  out.insert(out.end(), found.begin(), found.end());
  for (size_t i = 0; i < out.size() && i < 26; ++i) out[i].letter = static_cast<char>('A' + i);
  if (out.size() > 26) out.resize(26);
  return out;
}

std::vector<DriveInfo> ListDrives() {
  std::string table;
  ReadWholeFile("/proc/self/mounts", table);
  std::vector<DriveInfo> all = ParseMounts(table);
  // Files mounted over files (a container's /etc/hosts) are no drives.
  std::vector<DriveInfo> out;
  for (auto& d : all)
    if (d.mountPoint == "/" || IsDirectory(d.mountPoint)) out.push_back(std::move(d));
  for (size_t i = 0; i < out.size(); ++i) out[i].letter = static_cast<char>('A' + i);
  return out;
}

const DriveInfo* DriveByLetter(const std::vector<DriveInfo>& drives, char letter) {
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  for (const auto& d : drives)
    if (d.letter == letter) return &d;
  return nullptr;
}

}  // namespace navirt

// The mount table is parsed here (longest mount point that holds the
// folder) so the window can say which mount a folder is on without any
// desktop service.
#include "sysinfo/DriveInfo.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/FileInfo.h"
#include "platform/Format.h"

namespace navirt {

namespace {

// Mount points in the table escape blanks, tabs, line breaks and
// backslashes as three octal digits.
std::string UnescapeMount(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' && s[i + 2] >= '0' && s[i + 2] <= '7' &&
        s[i + 3] >= '0' && s[i + 3] <= '7') {
      out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
      i += 3;
    } else {
      out += s[i];
    }
  }
  return out;
}

bool Contains(const std::string& mount, const std::string& path) {
  if (mount == "/") return !path.empty() && path[0] == '/';
  return path.compare(0, mount.size(), mount) == 0 && (path.size() == mount.size() || path[mount.size()] == '/');
}

std::string DeviceWalk(const std::string& path);

}  // namespace

std::string MountPointFromTable(const std::string& mountinfo, const std::string& resolvedPath) {
  std::string best;
  size_t start = 0;
  while (start < mountinfo.size()) {
    size_t end = mountinfo.find('\n', start);
    if (end == std::string::npos) end = mountinfo.size();
    std::string line = mountinfo.substr(start, end - start);
    start = end + 1;
    // id parent major:minor root mount-point ...: the fifth field.
    std::string field;
    size_t pos = 0;
    for (int f = 0; f < 4 && pos != std::string::npos; ++f) {
      pos = line.find(' ', pos);
      if (pos != std::string::npos) ++pos;
    }
    if (pos != std::string::npos) field = line.substr(pos, line.find(' ', pos) - pos);
    std::string mount = UnescapeMount(field);
    if (!mount.empty() && Contains(mount, resolvedPath) && mount.size() >= best.size())
      best = mount;  // a later mount on the same point hides the earlier
  }
  return best;
}

std::string MountPointOf(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real) {
    std::string resolved = real;
    free(real);
    std::string table;
    if (ReadWholeFile("/proc/self/mountinfo", table)) {
      std::string m = MountPointFromTable(table, resolved);
      if (!m.empty()) return m;
    }
  }
  return DeviceWalk(path);
}

namespace {

std::string DeviceWalk(const std::string& path) {
  std::string cur = path;
  while (cur.size() > 1 && cur.back() == '/') cur.pop_back();
  struct stat st;
  if (cur.empty() || stat(cur.c_str(), &st) != 0) return cur;
  while (cur != "/") {
    size_t slash = cur.rfind('/');
    std::string parent = slash == 0 || slash == std::string::npos ? "/" : cur.substr(0, slash);
    struct stat pst;
    if (stat(parent.c_str(), &pst) != 0 || pst.st_dev != st.st_dev) break;
    cur = parent;
  }
  return cur;
}

}  // namespace

std::optional<DriveFigures> ReadDriveFigures(const std::string& folder, std::string* error) {
  if (folder.empty()) return std::nullopt;
  struct statvfs vf;
  if (statvfs(folder.c_str(), &vf) != 0) {
    if (error) *error = folder + " のドライブ情報を読めません: " + std::strerror(errno);
    return std::nullopt;
  }
  DriveFigures f;
  f.root = MountPointOf(folder);
  f.blockSize = vf.f_frsize ? vf.f_frsize : vf.f_bsize;
  f.blocks = vf.f_blocks;
  f.freeBlocks = vf.f_bavail;
  if (f.blockSize == 0 || f.blocks == 0) {
    // Virtual file systems (/proc, /sys) have no space to show.
    if (error) *error = f.root + " には容量の情報がありません。";
    return std::nullopt;
  }
  if (f.freeBlocks > f.blocks) f.freeBlocks = f.blocks;
  return f;
}

std::string ByteText(uint64_t n) { return WithThousands(n) + " byte"; }

DriveInfoTexts BuildDriveInfoTexts(const DriveFigures& f) {
  DriveInfoTexts t;
  std::string total = ByteText(f.TotalBytes());
  t.chartTitle = "ドライブ情報 " + f.root + " " + total;
  t.seriesTitle = "ドライブ情報 " + f.root;
  t.summary = f.root + " 全容量 " + total + "  使用 " + ByteText(f.UsedBytes()) + "  未使用 " + ByteText(f.FreeBytes());
  t.blocksLabel = "ﾌﾞﾛｯｸ = " + std::to_string(f.blockSize) + " ﾊﾞｲﾄ ﾌﾞﾛｯｸ数 = " + std::to_string(f.blocks) +
                  " ﾌﾘｰﾌﾞﾛｯｸ = " + std::to_string(f.freeBlocks == 0 ? 1 : f.freeBlocks);
  return t;
}

PieAngles PieAnglesOf(uint64_t usedBytes, uint64_t freeBytes) {
  constexpr int kCircle = 5760;
  PieAngles a;
  long double total = static_cast<long double>(usedBytes) + static_cast<long double>(freeBytes);
  if (total <= 0) {
    a.free = kCircle;
    return a;
  }
  a.used = static_cast<int>(static_cast<long double>(usedBytes) / total * kCircle + 0.5L);
  if (a.used > kCircle) a.used = kCircle;
  a.free = kCircle - a.used;
  return a;
}

}  // namespace navirt

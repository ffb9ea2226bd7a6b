#include "sysinfo/DriveInfo.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

#include <cerrno>
#include <cstring>

#include "platform/Format.h"

namespace navirt {

std::string MountPointOf(const std::string& path) {
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

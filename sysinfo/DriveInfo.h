#pragma once
// "ドライブ情報表示(&I)": the mount that holds the current folder, from
// statvfs. Blocks stand where the old window had clusters of sectors. Texts
// are UTF-8.
#include <cstdint>
#include <optional>
#include <string>

namespace navirt {

struct DriveFigures {
  std::string root;         // the mount point
  uint64_t blockSize = 0;   // f_frsize: the unit of the counts
  uint64_t blocks = 0;      // f_blocks
  uint64_t freeBlocks = 0;  // f_bavail: free to this user
  uint64_t TotalBytes() const { return blockSize * blocks; }
  uint64_t FreeBytes() const { return blockSize * freeBlocks; }
  uint64_t UsedBytes() const { return TotalBytes() - FreeBytes(); }
};

// The mount point holding path: the longest mount point of the process's
// mount table that contains the path with its links resolved; without the
// table, the last folder on the way up that is on the same device.
std::string MountPointOf(const std::string& path);
// The same over the text of /proc/self/mountinfo and a resolved path.
std::string MountPointFromTable(const std::string& mountinfo, const std::string& resolvedPath);

// Figures for the mount holding folder. Empty folder: nothing (the window
// does not open). When statvfs fails or reports no blocks, *error says why.
std::optional<DriveFigures> ReadDriveFigures(const std::string& folder, std::string* error);

// " byte" after a number with thousands separators.
std::string ByteText(uint64_t n);

struct DriveInfoTexts {
  std::string chartTitle;   // "ドライブ情報 " root " " total
  std::string seriesTitle;  // "ドライブ情報 " root
  std::string summary;      // root " 全容量 " ... "  使用 " ... "  未使用 " ...
  std::string blocksLabel;  // block size and counts
};
// A free count of 0 is shown as 1, as it always was; the byte figures stay exact.
DriveInfoTexts BuildDriveInfoTexts(const DriveFigures& f);

// The pie: angles in sixteenths of a degree (5760 for the whole circle),
// used first, then free; they always add up to the circle.
struct PieAngles {
  int used = 0;
  int free = 0;
};
PieAngles PieAnglesOf(uint64_t usedBytes, uint64_t freeBytes);

}  // namespace navirt

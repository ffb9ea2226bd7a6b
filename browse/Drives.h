#pragma once
// The drives of this system: the mount points of real devices, plus "/".
#include <string>
#include <vector>

namespace navirt {

struct DriveInfo {
  std::string mountPoint;  // with trailing '/'
  std::string device;
  std::string type;
  char letter = 0;  // A, B, ... in list order, for the one-letter answers
};

// Reads a mounts table in the /proc/self/mounts format. "/" comes first,
// then the mount points of devices under /dev/ in path order; pseudo file
// systems and loop-mounted images are left out. Octal escapes of the table
// (\040) are decoded. ListDrives also leaves out mount points that are no
// folders.
std::vector<DriveInfo> ParseMounts(const std::string& table);
std::vector<DriveInfo> ListDrives();
// The drive of the one-letter answer (any case), nullptr when none.
const DriveInfo* DriveByLetter(const std::vector<DriveInfo>& drives, char letter);

}  // namespace navirt

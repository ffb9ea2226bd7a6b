#include "preview/ReadRule.h"

namespace navirt {

ReadSettings LoadReadSettings(const TIniFile& ini) {
  ReadSettings rs;
  rs.streamByte = ini.ReadInteger("StreamRead", "Byte", 10000);
  rs.streamCheck = ini.ReadBool("StreamRead", "Check", true);
  rs.readMax = ini.ReadInteger("ReadMax", "Byte", 0);
  return rs;
}

ReadMode ChooseReadMode(const ReadSettings& rs, uint64_t size, bool realTimeMode) {
  const uint64_t byte = rs.streamByte < 0 ? 0 : static_cast<uint64_t>(rs.streamByte);
  if (rs.readMax <= 0) {
    if (!rs.streamCheck) return realTimeMode ? ReadMode::Direct : ReadMode::None;
    return size <= byte ? ReadMode::Direct : ReadMode::Buffered;
  }
  if (size > static_cast<uint64_t>(rs.readMax)) return ReadMode::None;
  if (!rs.streamCheck) return ReadMode::Direct;
  return size <= byte ? ReadMode::Direct : ReadMode::Buffered;
}

}  // namespace navirt

#pragma once
// A plain tar's headers read straight from the mapped file, for listing:
// libarchive copies every block through its buffers and converts every
// name through the locale, which made listing a large tar slower than the
// peers. Only what this reader knows for certain is read here (ustar, GNU
// long names, per-file pax path, linkpath, size and mtime); an archive with
// anything else is left to libarchive whole, so both give one answer.
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "archive/libs/ArcCommon.h"

namespace navirt::arc::tarlib {

// One member as stored, its names as bytes.
struct TarHeader {
  std::string path, linkTarget;
  char type = '0';
  uint64_t size = 0;
  uint32_t mode = 0;
  std::time_t mtime = 0;
};

class TarHeaderReader {
 public:
  // False when the file cannot be mapped.
  bool Open(const std::string& path);
  // Bytes already in memory (kept by the caller while this reads them).
  void OpenMemory(std::string_view bytes) {
    pos_ = 0;
    unknown_ = false;
    in_.OpenMemory(bytes);
  }
  // The next member; false at the end or at the first thing this reader
  // does not know (Unknown() then tells).
  bool Next(TarHeader& h);
  bool Unknown() const { return unknown_; }
  void Rewind() { pos_ = 0; }

 private:
  bool Fail() {
    unknown_ = true;
    return false;
  }
  bool ReadPax(uint64_t off, uint64_t size, TarHeader& h, bool& haveSize, bool& haveTime);

  InputFile in_;
  uint64_t pos_ = 0;
  bool unknown_ = false;
};

// The entry as the libarchive reader fills it (utf8: the archive's kind).
void FillEntryFromHeader(const TarHeader& h, bool utf8, ArcEntry& e);

}  // namespace navirt::arc::tarlib

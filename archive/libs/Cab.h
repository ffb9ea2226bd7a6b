#pragma once
// Microsoft cabinets: CFFILE walker, MSZIP and stored folders unpacked
// here (LZX and Quantum through libarchive), and an MSZIP writer.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "archive/libs/ArcCommon.h"

namespace navirt::arc::cab {

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why);

// Unpacks entries in rising order; keeps the folder's decoder between calls.
class Unpacker {
 public:
  Unpacker(const InputFile& in, const std::string& path, const std::vector<ArcEntry>& entries);
  ~Unpacker();
  int Unpack(size_t idx, const Sink& sink, std::string& why);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// An entry of an existing cabinet carried over into a new one: unpack
// hands its data over when the new cabinet is written.
struct KeptEntry {
  ArcEntry entry;
  std::function<int(const Sink&, std::string&)> unpack;
};
// A cabinet of the kept entries and the given files in one MSZIP folder.
int Write(const std::string& path, const std::vector<KeptEntry>& kept, const std::vector<PackItem>& items, Report& rep);
// The CFDATA checksum.
uint32_t Checksum(const unsigned char* p, size_t n, uint32_t seed);

}  // namespace navirt::arc::cab

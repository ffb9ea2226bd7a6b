#pragma once
// RAR archives (RAR4 and RAR5), read only: our own header walker for names,
// CRCs, attributes and methods; stored entries unpacked here, compressed
// ones through libarchive. Encrypted entries are refused.
#include <memory>
#include <string>
#include <vector>

#include "archive/libs/ArcCommon.h"

namespace navirt::arc::rar {

int List(const InputFile& in, std::vector<ArcEntry>& out, std::string& why);

class Unpacker {
 public:
  Unpacker(const InputFile& in, const std::string& path, const std::vector<ArcEntry>& entries);
  ~Unpacker();
  int Unpack(size_t idx, const Sink& sink, std::string& why);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace navirt::arc::rar

// Every archive reader of the archiver libraries on hostile bytes: the
// first byte picks the format, the rest is the archive. Listing and
// unpacking must end with a result code, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/libs/Arj.h"
#include "archive/libs/Bga.h"
#include "archive/libs/Cab.h"
#include "archive/libs/Lzh.h"
#include "archive/libs/Rar.h"
#include "archive/libs/Zip.h"

using namespace navirt::arc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  unsigned kind = data[0] % 6;
  std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  InputFile in;
  in.OpenMemory(bytes);
  std::vector<ArcEntry> entries;
  std::string why;
  int rc = 0;
  switch (kind) {
    case 0:
      rc = lzh::List(in, entries, why);
      break;
    case 1:
      rc = zip::List(in, entries, why);
      break;
    case 2:
      rc = cab::List(in, entries, why);
      break;
    case 3:
      rc = arj::List(in, entries, why);
      break;
    case 4:
      rc = bga::List(in, entries, why);
      break;
    default:
      rc = rar::List(in, entries, why);
      break;
  }
  if (rc != kOk && entries.empty()) return 0;
  Sink discard = [](const unsigned char*, size_t) { return true; };
  cab::Unpacker cabUp(in, std::string(), entries);
  rar::Unpacker rarUp(in, std::string(), entries);
  for (size_t i = 0; i < entries.size() && i < 64; ++i) {
    const ArcEntry& e = entries[i];
    if (e.size > (4u << 20)) continue;  // keep each run short
    std::string w;
    switch (kind) {
      case 0:
        lzh::Unpack(in, e, discard, w);
        break;
      case 1:
        zip::Unpack(in, e, discard, w);
        break;
      case 2:
        cabUp.Unpack(i, discard, w);
        break;
      case 3:
        arj::Unpack(in, e, discard, w);
        break;
      case 4:
        bga::Unpack(in, e, discard, w);
        break;
      default:
        if ((e.aux & 1) == 0) rarUp.Unpack(i, discard, w);
        break;
    }
  }
  return 0;
}

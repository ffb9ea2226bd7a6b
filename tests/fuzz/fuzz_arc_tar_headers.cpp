// The plain-tar header reader on hostile bytes: every header it accepts
// must lie inside the archive, and the walk must end (at the end, or at
// what it leaves to libarchive), never crash, hang or read past the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "archive/libs/TarHeaders.h"

using namespace navirt::arc;
using namespace navirt::arc::tarlib;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The fuzzer's own buffer: a read past its end is caught.
  TarHeaderReader r;
  r.OpenMemory(std::string_view(reinterpret_cast<const char*>(data), size));
  TarHeader h;
  // Each header takes at least one 512-byte block.
  const size_t most = size / 512 + 1;
  size_t n = 0;
  while (r.Next(h)) {
    if (++n > most) std::abort();     // a walk that does not move on
    if (h.size > size) std::abort();  // data said to lie past the end
    for (bool utf8 : {true, false}) {
      ArcEntry e;
      FillEntryFromHeader(h, utf8, e);
    }
  }
  // A second walk from the start gives the same count.
  r.Rewind();
  size_t again = 0;
  while (r.Next(h) && again <= n) ++again;
  if (again != n) std::abort();
  return 0;
}

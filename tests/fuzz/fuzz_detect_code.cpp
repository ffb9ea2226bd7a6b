#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codec/DetectCode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int c = navirt::DetectCode(std::string_view(reinterpret_cast<const char*>(data), size));
  if (c < 0 || c > 6) __builtin_trap();
  return 0;
}

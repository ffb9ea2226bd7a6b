#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/TransferEncoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  navirt::UuDecode(in);
  if (navirt::UuDecode(navirt::UuEncode(in, "\r")) != in) __builtin_trap();
  return 0;
}

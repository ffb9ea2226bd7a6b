#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Cp932.h"

// Any bytes shown in the pane must encode back to the very same bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  if (navirt::EncodeCp932Lossless(navirt::DecodeCp932Lossless(in)) != in) __builtin_trap();
  navirt::Utf8ToCp932(in);
  return 0;
}

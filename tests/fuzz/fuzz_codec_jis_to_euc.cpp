#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/CodeConvert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  if (navirt::JisToEuc(in).size() > size) __builtin_trap();
  return 0;
}

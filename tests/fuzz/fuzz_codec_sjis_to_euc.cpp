#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/CodeConvert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  const std::string euc = navirt::SjisToEuc(in);
  if (euc.size() > 2 * size) __builtin_trap();
  return 0;
}

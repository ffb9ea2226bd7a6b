#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/CodeConvert.h"

// Each EUC byte becomes at most one byte plus a mode-switch escape.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  if (navirt::EucToJis(in).size() > 4 * size) __builtin_trap();
  return 0;
}

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/WidthConvert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  if (navirt::HalfToFullWidth(in).size() > 2 * size) __builtin_trap();
  if (navirt::FullToHalfWidth(in).size() > size) __builtin_trap();
  if (navirt::HalfKanaToFullKana(in).size() > 2 * size) __builtin_trap();
  if (navirt::WideSpaceToBlanks(in).size() != size) __builtin_trap();
  return 0;
}

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/CodeConvert.h"

// Arbitrary bytes must not crash; the same bytes read as row/cell pairs
// give a valid Shift_JIS text that must survive the trip through JIS.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  navirt::SjisToJis(in);
  std::string valid;
  for (size_t i = 0; i + 1 < size; i += 2) {
    if (data[i] < 0x80) {
      valid += data[i] == 0x1B ? 'e' : static_cast<char>(data[i]);  // ESC would read as an escape
      continue;
    }
    navirt::BytePair s = navirt::JisPairToSjis(0x21 + data[i] % 94, 0x21 + data[i + 1] % 94);
    valid += static_cast<char>(s.first);
    valid += static_cast<char>(s.second);
  }
  if (navirt::JisToSjis(navirt::SjisToJis(valid)) != valid) __builtin_trap();
  return 0;
}

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "codec/DetectUnicode.h"
#include "codec/UnicodePane.h"

// Any bytes read as UTF-8 or UTF-16 through the pane mapping must save back
// to the very same bytes, and the two validators must agree.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const auto code = static_cast<navirt::UnicodeCode>(1 + data[0] % 4);
  std::string_view in(reinterpret_cast<const char*>(data + 1), size - 1);
  navirt::TUnicodePane pane(code);
  const std::string text = pane.Decode(in);
  if (pane.Encode(text) != in) __builtin_trap();
  if (pane.FromScreen(pane.ToScreen(text)).empty() != text.empty()) __builtin_trap();
  if (navirt::IsWellFormedUtf8(in) != navirt::IsWellFormedUtf8Scalar(in)) __builtin_trap();
  navirt::DetectUnicode(in);
  return 0;
}

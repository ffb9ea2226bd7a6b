#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "codec/TransferEncoding.h"

// Decoding always shortens each word it replaces, so it must end.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view in(reinterpret_cast<const char*>(data), size);
  if (navirt::MimeHeaderDecode(in).size() > size) __builtin_trap();
  navirt::MimeHeaderEncode(in);
  return 0;
}

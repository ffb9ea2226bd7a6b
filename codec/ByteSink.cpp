#include "codec/ByteSink.h"

namespace navirt::detail {

Span GrowOutput(std::string& s, uint8_t* p, size_t k) {
  const size_t used = static_cast<size_t>(p - reinterpret_cast<uint8_t*>(s.data()));
  size_t cap = s.size() + s.size() / 2;
  if (cap < used + k + 64) cap = used + k + 64;
  s.resize(cap);
  uint8_t* b = reinterpret_cast<uint8_t*>(s.data());
  return {b + used, b + cap};
}

}  // namespace navirt::detail

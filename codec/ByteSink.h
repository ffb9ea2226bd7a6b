#pragma once
// Converters are written once against a sink and run twice: a counting pass
// sizes the result exactly, a writing pass fills it. The result then takes
// its own size and nothing more, whatever the input.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace navirt::detail {

struct CountSink {
  size_t n = 0;
  void Put(uint8_t) { ++n; }
  void Put2(uint8_t, uint8_t) { n += 2; }
  void Put3(uint8_t, uint8_t, uint8_t) { n += 3; }
  void Copy(const uint8_t*, size_t k) { n += k; }
};

struct WriteSink {
  uint8_t* p;
  void Put(uint8_t a) { *p++ = a; }
  void Put2(uint8_t a, uint8_t b) {
    p[0] = a;
    p[1] = b;
    p += 2;
  }
  void Put3(uint8_t a, uint8_t b, uint8_t c) {
    p[0] = a;
    p[1] = b;
    p[2] = c;
    p += 3;
  }
  void Copy(const uint8_t* s, size_t k) {
    for (size_t i = 0; i < k; ++i) p[i] = s[i];
    p += k;
  }
};

inline const uint8_t* Bytes(std::string_view s) { return reinterpret_cast<const uint8_t*>(s.data()); }

// run(sink) converts the whole input into the sink.
template <class Run>
std::string EmitSized(Run&& run) {
  CountSink count;
  run(count);
  std::string out(count.n, '\0');
  WriteSink w{reinterpret_cast<uint8_t*>(out.data())};
  run(w);
  return out;
}

// For conversions whose result never exceeds bound: one pass, then the
// string is cut to what was written.
template <class Run>
std::string EmitBounded(size_t bound, Run&& run) {
  std::string out(bound, '\0');
  WriteSink w{reinterpret_cast<uint8_t*>(out.data())};
  run(w);
  out.resize(static_cast<size_t>(w.p - reinterpret_cast<uint8_t*>(out.data())));
  return out;
}

}  // namespace navirt::detail

// Random expressions through the dictionary expansion, the parser and the
// automata: only syntax errors may come out, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include <string>

#include "regex/bmRegExp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > 256) return 0;
  std::string expr(reinterpret_cast<const char*>(data) + 1, size - 1);
  static navirt::TAWKStr awk;  // reused: its cache sees many expressions
  const bool fuzzy = data[0] & 1;
  try {
    if (awk.UseFuzzyCharDic() != fuzzy) awk.SetUseFuzzyCharDic(fuzzy);
  } catch (const navirt::ERegExpParser&) {
    return 0;
  }
  try {
    awk.SetRegExp(expr);
  } catch (const navirt::ERegExpParser&) {
    // A compilation error leaves RegExp empty and entry 0 current.
    if (!fuzzy && (!awk.RegExp().empty() || awk.CurrentIndex() != 0)) __builtin_trap();
    return 0;
  }
  if (awk.RegExp() != expr) __builtin_trap();
  const navirt::TRE_DFA& d = awk.DFA();
  for (int s = 0; s < d.StateCount() && s < 64; ++s)
    for (uint32_t c : {0u, 10u, 13u, 'a' + 0u, 0x82A0u, 0xFCFCu, 0xFFFDu, 0xFFFEu})
      if (d.Step(s, c) != d.StepByList(s, c)) __builtin_trap();
  return 0;
}

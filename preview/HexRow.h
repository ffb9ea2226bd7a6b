#pragma once
// One dump row's 16 bytes as "HH " each (48 characters), the hot loop of
// the hexadecimal dump: sixteen bytes at a time with SSSE3 shuffles (the
// nibbles looked up in a table of digits, spread into groups of three),
// else one table store per byte.
#include <cstddef>
#include <cstdint>

namespace navirt {

// Writes 48 characters at out for the 16 bytes at in.
void HexRow16(const unsigned char* in, char* out);
// The plain form (tests compare the two).
void HexRow16Plain(const unsigned char* in, char* out);
// The 8 upper-case hex digits of n.
void HexNumber8(uint32_t n, char* out);

}  // namespace navirt

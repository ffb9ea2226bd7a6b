// The dump row's fast form against its plain form and against the digits
// written one by one, on random bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "preview/HexRow.h"

namespace navirt {
namespace {

TEST(HexRow, FastRowsEqualPlainRows) {
  std::mt19937 rng(4);
  for (int round = 0; round < 2000; ++round) {
    unsigned char in[16];
    for (unsigned char& b : in) b = static_cast<unsigned char>(round < 16 ? round * 16 + (&b - in) : rng());
    std::string want;
    for (unsigned char b : in) {
      char t[4];
      std::snprintf(t, sizeof t, "%02X ", b);
      want += t;
    }
    std::string fast(48, '?'), plain(48, '?');
    HexRow16(in, fast.data());
    HexRow16Plain(in, plain.data());
    ASSERT_EQ(fast, want);
    ASSERT_EQ(plain, want);
  }
  char n[9] = {};
  HexNumber8(0x1234ABCDu, n);
  EXPECT_STREQ(n, "1234ABCD");
}

}  // namespace
}  // namespace navirt

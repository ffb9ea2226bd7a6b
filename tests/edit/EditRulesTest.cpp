#include <gtest/gtest.h>

#include "edit/EditRules.h"

namespace navirt {
namespace {

TEST(EditRules, JumpTargets) {
  EXPECT_EQ(JumpTargetLine("abc", 10), 0);
  EXPECT_EQ(JumpTargetLine("99999", 10), 9);
  EXPECT_EQ(JumpTargetLine("3", 10), 2);
  EXPECT_EQ(JumpTargetLine(" 4 ", 10), 3);
  EXPECT_EQ(JumpTargetLine("0", 10), 0);
  EXPECT_EQ(JumpTargetLine("-5", 10), 0);
  EXPECT_EQ(JumpTargetLine("12x", 10), 0);
  EXPECT_EQ(JumpTargetLine("99999999999999999999", 10), 0);
  EXPECT_EQ(JumpTargetLine("5", 0), 0);
  EXPECT_STREQ(ModeCommandCaption(true), "簡易編集を解除(&R)");
}

}  // namespace
}  // namespace navirt

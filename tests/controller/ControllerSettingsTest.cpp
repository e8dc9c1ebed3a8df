// The controller's plain settings routines, natively.
#include <gtest/gtest.h>

#include <climits>

#include "ControllerSettings.h"

namespace {

TEST(ControllerSettings, ParseIniIntegerReadsLikeAtoiWithoutOverflow) {
  EXPECT_EQ(ParseIniInteger("42"), 42);
  EXPECT_EQ(ParseIniInteger("  -7x"), -7);
  EXPECT_EQ(ParseIniInteger("+5"), 5);
  EXPECT_EQ(ParseIniInteger("abc"), 0);
  EXPECT_EQ(ParseIniInteger(""), 0);
  EXPECT_EQ(ParseIniInteger(nullptr), 0);
  EXPECT_EQ(ParseIniInteger("2147483647"), INT32_MAX);
  EXPECT_EQ(ParseIniInteger("2147483648"), INT32_MAX);
  EXPECT_EQ(ParseIniInteger("-2147483648"), INT32_MIN);
  EXPECT_EQ(ParseIniInteger("-99999999999999999999999"), INT32_MIN);
}

}  // namespace

#include "model/success_chance.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(SuccessChanceTest, WorkedExamples) {
  EXPECT_EQ(SuccessChance(100, 7.125f, 50), 10687);
  EXPECT_EQ(DisplayedPercent(10687), 10);
  EXPECT_EQ(SuccessChance(4, 0.5f, 1), 1500);
  EXPECT_EQ(DisplayedPercent(1500), 1);
  EXPECT_EQ(SuccessChance(4, 0.5f, 65), 23);
  EXPECT_EQ(DisplayedPercent(23), 0);
  EXPECT_EQ(SuccessChance(0, 40.0f, 1), 0);
}

TEST(SuccessChanceTest, LargeChancesAreNotClamped) {
  EXPECT_EQ(SuccessChance(17895, 40.0f, 1), 536850000);
  EXPECT_EQ(DisplayedPercent(SuccessChance(17895, 40.0f, 1)), 536850);
  EXPECT_EQ(SuccessChance(1000, 10.0f, 1), 7500000);
}

TEST(SuccessChanceTest, ProductsBeyondThirtyTwoBitsSaturate) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(SuccessChance(17896, 40.0f, 1), kMax / 4);  // 2147520000 > 2^31 - 1
  EXPECT_EQ(SuccessChance(kMax, 40.0f, 65), kMax / 260);
  EXPECT_EQ(SuccessChance(kMin, 40.0f, 1), kMin / 4);
  EXPECT_EQ(SuccessChance(-100, 7.125f, 50), -10687);  // truncated toward zero
  EXPECT_EQ(DisplayedPercent(-10687), -10);
}

}  // namespace

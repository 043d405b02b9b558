#include "model/upgrade_request.h"

#include <gtest/gtest.h>

namespace {

TEST(UpgradeRequestTest, StoneFactorsRunFromHalfToForty) {
  EXPECT_EQ(StoneFactorSum({0, 0, 0, 0}), 0.5f);
  EXPECT_EQ(StoneFactorSum({6, 6, 6, 6}), 40.0f);
  EXPECT_EQ(StoneFactorSum({3, 3, 2, 0}), 7.125f);
  EXPECT_EQ(StoneFactorSum({0, 2, 3, 3}), 7.125f);  // the order of the slots changes nothing
  EXPECT_EQ(StoneFactorSum({1, 4, 5, 6}), 20.0f);
  EXPECT_EQ(StoneFactorSum({0, 1, 0, 0}), 1.375f);
}

// Every cell of each table differs from every other, so a look-up in the
// wrong table, row or column gives a value no other cell has.
ProbabilityTables DistinctTables() {
  ProbabilityTables tables{};
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks) {
      tables.success_prob.entry[grade][taliks] = 100 + grade * 10 + taliks;
      tables.destroy_prob.entry[grade][taliks] = 2000 + grade * 10 + taliks;
      tables.downgrade_prob.entry[grade][taliks] = 3000 + grade * 10 + taliks;
    }
  }
  return tables;
}

TEST(UpgradeRequestTest, EveryLookUpTakesTheCellOfGradeAndTaliks) {
  const ProbabilityTables tables = DistinctTables();
  for (const auto& [grade, taliks] : {std::pair{2, 1}, {1, 2}, {10, 6}, {0, 0}, {6, 3}}) {
    UpgradeRequest request;
    request.item_grade = grade;
    request.talik_count = taliks;
    request.item_level = 50;
    request.stone_tiers = {3, 3, 2, 0};
    const AttemptSetUp set_up = SetUpAttempt(tables, request);
    EXPECT_EQ(set_up.stone_factor_sum, 7.125f);
    EXPECT_EQ(set_up.chance, SuccessChance(100 + grade * 10 + taliks, 7.125f, 50));
    EXPECT_EQ(set_up.destroy_value, 2000 + grade * 10 + taliks);
    EXPECT_EQ(set_up.downgrade_value, 3000 + grade * 10 + taliks);
  }
  // The worked example: weight 100, stones 3 3 2 0, level 50.
  ProbabilityTables example{};
  example.success_prob.entry[2][1] = 100;
  EXPECT_EQ(SetUpAttempt(example, 2, 1, 50, {3, 3, 2, 0}).chance, 10687);
}

TEST(UpgradeRequestTest, RangesAreTheQuestionsOwn) {
  EXPECT_TRUE(InRange(1, kAttemptCountRange) && InRange(100, kAttemptCountRange));
  EXPECT_FALSE(InRange(0, kAttemptCountRange) || InRange(101, kAttemptCountRange));
  EXPECT_EQ(kItemGradeRange.high, 10);
  EXPECT_EQ(kItemLevelRange.high, 65);
  EXPECT_EQ(kTalikCountRange.high, 6);
  EXPECT_EQ(kStoneTierRange.high, 6);
}

}  // namespace

#include "model/outcome_odds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

TEST(OutcomeOddsTest, SuccessPairCountsOfKnownChances) {
  EXPECT_EQ(SuccessPairCount(-5), 0u);
  EXPECT_EQ(SuccessPairCount(0), 0u);
  EXPECT_EQ(SuccessPairCount(1), 10736u);
  EXPECT_EQ(SuccessPairCount(1500), 16106428u);
  EXPECT_EQ(SuccessPairCount(10687), 114751407u);
  EXPECT_EQ(SuccessPairCount(50879), 546321744u);
  EXPECT_EQ(SuccessPairCount(50880), 546332480u);
  EXPECT_EQ(SuccessPairCount(99999), 1073731089u);
  EXPECT_EQ(SuccessPairCount(100000), 1u << 30);
  EXPECT_EQ(SuccessPairCount(2147483647), 1u << 30);
}

// Every pair of draws, counted once: the number of pairs below each chance
// is the running sum of how often each remainder comes.
TEST(OutcomeOddsTest, SuccessPairCountMatchesEveryPair) {
  std::vector<std::uint32_t> remainder_count(100000, 0);
  for (std::uint32_t a = 0; a < 32768; ++a) {
    for (std::uint32_t b = 0; b < 32768; ++b) ++remainder_count[((a << 16) + b) % 100000];
  }
  std::uint64_t below = 0;
  for (std::int32_t chance = 0; chance <= 100000; ++chance) {
    if (chance % 997 == 0 || chance < 3 || chance > 99997) {
      ASSERT_EQ(SuccessPairCount(chance), below) << "chance " << chance;
    }
    if (chance < 100000) below += remainder_count[chance];
  }
}

TEST(OutcomeOddsTest, LossDrawCountsMatchTheAttemptItself) {
  EXPECT_EQ(DrawCountBelow(5000), 17768u);
  EXPECT_EQ(DrawCountBelow(2768), 11072u);
  EXPECT_EQ(DrawCountBelow(10000), 32768u);
  EXPECT_EQ(DrawCountBelow(0), 0u);
  EXPECT_EQ(DrawCountBelow(-1), 0u);
  EXPECT_DOUBLE_EQ(LossDrawShare(5000), 17768.0 / 32768.0);  // 54.2 %, not a half
  EXPECT_DOUBLE_EQ(LossDrawShare(20000), 1.0);
  for (const std::int32_t value : {1, 2767, 2769, 9999, 10001}) {
    std::uint32_t destroyed = 0, taliks = 0;
    for (std::int32_t c = 0; c < 32768; ++c) {
      // The success draw fails (remainder 0 is not below chance 0).
      std::int32_t destroy_draws[] = {0, 0, c, 0};
      std::int32_t talik_draws[] = {0, 0, 32767, c};
      int next = 0;
      destroyed += RunAttempt(0, value, 0, [&] { return destroy_draws[next++]; }) ==
                           AttemptOutcome::kItemDestroyed
                       ? 1
                       : 0;
      next = 0;
      taliks += RunAttempt(0, 0, value, [&] { return talik_draws[next++]; }) ==
                        AttemptOutcome::kTaliksDestroyed
                    ? 1
                    : 0;
    }
    EXPECT_EQ(DrawCountBelow(value), destroyed) << value;
    EXPECT_EQ(DrawCountBelow(value), taliks) << value;
  }
}

TEST(OutcomeOddsTest, OutcomesSplitEveryCombinationOfDraws) {
  const OutcomeOdds odds = AttemptOutcomeOdds(10687, 5000, 2768);
  EXPECT_EQ(odds.success, std::uint64_t{114751407} << 30);
  EXPECT_EQ(odds.item_destroyed, (std::uint64_t{1073741824} - 114751407) * 17768 * 32768);
  EXPECT_EQ(odds.taliks_destroyed,
            (std::uint64_t{1073741824} - 114751407) * (32768 - 17768) * 11072);
  EXPECT_EQ(odds.success + odds.item_destroyed + odds.taliks_destroyed + odds.failed,
            kOutcomeOddsDenominator);

  const OutcomeOdds never = AttemptOutcomeOdds(0, 0, 0);
  EXPECT_EQ(never.failed, kOutcomeOddsDenominator);
  const OutcomeOdds always = AttemptOutcomeOdds(100000, 10000, 10000);
  EXPECT_EQ(always.success, kOutcomeOddsDenominator);
  const OutcomeOdds lost = AttemptOutcomeOdds(0, 10000, 10000);
  EXPECT_EQ(lost.item_destroyed, kOutcomeOddsDenominator);
  EXPECT_EQ(AttemptOutcomeOdds(0, 0, 10000).taliks_destroyed, kOutcomeOddsDenominator);
}

TEST(OutcomeOddsTest, SeriesFigures) {
  const OutcomeOdds half = AttemptOutcomeOdds(50879, 0, 0);  // S = 546321744 of 2^30
  const double p = 546321744.0 / 1073741824.0;
  EXPECT_DOUBLE_EQ(OutcomeProbability(half, AttemptOutcome::kSuccess), p);
  EXPECT_NEAR(AtLeastOneSuccess(half, 3), 1 - (1 - p) * (1 - p) * (1 - p), 1e-15);
  EXPECT_DOUBLE_EQ(ExpectedAttemptsToSuccess(half), 1 / p);
  const OutcomeOdds tiny = AttemptOutcomeOdds(1, 0, 0);
  // A small share keeps its last digits: 1 - (1 - p)^100 would lose four.
  const long double tiny_p = 10736.0L / 1073741824.0L;
  const double exact = static_cast<double>(-std::expm1(100 * std::log1p(-tiny_p)));
  EXPECT_NEAR(AtLeastOneSuccess(tiny, 100) / exact, 1.0, 1e-15);
  EXPECT_EQ(AtLeastOneSuccess(AttemptOutcomeOdds(0, 0, 0), 100), 0.0);
  EXPECT_EQ(AtLeastOneSuccess(AttemptOutcomeOdds(100000, 0, 0), 1), 1.0);
  EXPECT_EQ(ExpectedAttemptsToSuccess(AttemptOutcomeOdds(0, 0, 0)), 0.0);
}

}  // namespace

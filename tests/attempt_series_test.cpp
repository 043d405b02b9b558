#include "model/attempt_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "model/outcome_odds.h"
#include "platform/random_source.h"

namespace {

// Hands out scripted draws and counts how many were taken.
struct ScriptedDraws {
  std::vector<std::int32_t> values;
  std::size_t taken = 0;
  DrawSource Source() {
    return [this] { return taken < values.size() ? values[taken++] : 0; };
  }
};

AttemptOutcome Attempt(std::vector<std::int32_t> draws, std::int32_t chance, std::int32_t destroy,
                       std::int32_t downgrade, std::size_t* taken) {
  ScriptedDraws script{std::move(draws)};
  const AttemptOutcome outcome = RunAttempt(chance, destroy, downgrade, script.Source());
  *taken = script.taken;
  return outcome;
}

TEST(AttemptSeriesTest, DrawCountDependsOnTheOutcome) {
  std::size_t taken = 0;
  // (0 << 16) + 5 = 5: below a chance of 6, not below 5.
  EXPECT_EQ(Attempt({0, 5, 0, 0}, 6, 0, 0, &taken), AttemptOutcome::kSuccess);
  EXPECT_EQ(taken, 2u);
  EXPECT_EQ(Attempt({0, 5, 9, 0}, 5, 10, 0, &taken), AttemptOutcome::kItemDestroyed);
  EXPECT_EQ(taken, 3u);
  EXPECT_EQ(Attempt({0, 5, 10, 3}, 5, 10, 4, &taken), AttemptOutcome::kTaliksDestroyed);
  EXPECT_EQ(taken, 4u);
  EXPECT_EQ(Attempt({0, 5, 10, 4}, 5, 10, 4, &taken), AttemptOutcome::kFailed);
  EXPECT_EQ(taken, 4u);
}

TEST(AttemptSeriesTest, DrawsAreCombinedInOrderBeforeTheModulo) {
  std::size_t taken = 0;
  // (1 << 16) + 0 = 65536; reversed it would be 1, below the chance.
  EXPECT_EQ(Attempt({1, 0, 0, 0}, 65536, 0, 0, &taken), AttemptOutcome::kFailed);
  EXPECT_EQ(Attempt({1, 0}, 65537, 0, 0, &taken), AttemptOutcome::kSuccess);
  // The largest pair: 2147450879 % 100000 = 50879.
  EXPECT_EQ(Attempt({32767, 32767, 0, 0}, 50879, 0, 0, &taken), AttemptOutcome::kFailed);
  EXPECT_EQ(Attempt({32767, 32767}, 50880, 0, 0, &taken), AttemptOutcome::kSuccess);
  // The destroy and talik draws are taken modulo 10000.
  EXPECT_EQ(Attempt({0, 9, 32767, 0}, 0, 2768, 0, &taken), AttemptOutcome::kItemDestroyed);
  EXPECT_EQ(Attempt({0, 9, 32767, 0}, 0, 2767, 0, &taken), AttemptOutcome::kFailed);
  EXPECT_EQ(Attempt({0, 9, 20000, 12767}, 0, 0, 2768, &taken), AttemptOutcome::kTaliksDestroyed);
}

TEST(AttemptSeriesTest, ComparisonEdges) {
  std::size_t taken = 0;
  EXPECT_EQ(Attempt({0, 0, 0, 0}, 0, 0, 0, &taken), AttemptOutcome::kFailed);
  EXPECT_EQ(Attempt({32767, 32767}, 100000, 0, 0, &taken), AttemptOutcome::kSuccess);
  EXPECT_EQ(Attempt({32767, 32767}, 2147483647, 0, 0, &taken), AttemptOutcome::kSuccess);
  EXPECT_EQ(Attempt({0, 0, 32767, 0}, 0, 10000, 0, &taken), AttemptOutcome::kItemDestroyed);
  EXPECT_EQ(Attempt({0, 0, 0, 32767}, 0, 0, 10000, &taken), AttemptOutcome::kTaliksDestroyed);
  EXPECT_EQ(Attempt({0, 0, 0, 0}, -5, -5, -5, &taken), AttemptOutcome::kFailed);
}

TEST(AttemptSeriesTest, SeriesTellsEachOutcomeInTurnAndCarriesNothingOver) {
  // Attempt 1 succeeds (2 draws), 2 destroys the item (3), 3 destroys the
  // taliks (4), 4 fails (4); any shift in the draws would change the outcomes.
  ScriptedDraws script{{0, 1, /**/ 0, 50, 0, /**/ 0, 50, 9999, 0, /**/ 0, 50, 9999, 9999}};
  std::vector<AttemptOutcome> told;
  RunAttemptSeries(4, 10, 1, 1, script.Source(),
                   [&told](AttemptOutcome outcome) { told.push_back(outcome); });
  EXPECT_EQ(told, (std::vector<AttemptOutcome>{
                      AttemptOutcome::kSuccess, AttemptOutcome::kItemDestroyed,
                      AttemptOutcome::kTaliksDestroyed, AttemptOutcome::kFailed}));
  EXPECT_EQ(script.taken, 13u);
}

TEST(AttemptSeriesTest, LongSeriesFollowTheExactOddsOfTheConstruction) {
  const std::int32_t chance = 37000, destroy = 5000, downgrade = 3000;
  const OutcomeOdds odds = AttemptOutcomeOdds(chance, destroy, downgrade);
  double expected[4];
  for (int k = 0; k < 4; ++k)
    expected[k] = OutcomeProbability(odds, static_cast<AttemptOutcome>(k));

  double counts[4] = {};
  int total = 0;
  for (std::uint32_t seed = 1; seed <= 40; ++seed) {
    RandomSource random = SeededRandomSource(seed * 2654435761u);
    const DrawSource draw = [&random] { return DrawRandom(random); };
    for (int i = 0; i < 50000; ++i, ++total)
      counts[static_cast<int>(RunAttempt(chance, destroy, downgrade, draw))] += 1;
  }
  for (int k = 0; k < 4; ++k) {
    const double sigma = std::sqrt(total * expected[k] * (1 - expected[k]));
    EXPECT_NEAR(counts[k], total * expected[k], 5 * sigma) << "outcome " << k;
  }
}

}  // namespace

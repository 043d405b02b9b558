#include "model/journey.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint64_t kAll = kOutcomeOddsDenominator;

// Outcome counts out of 2^60 from shares given in 1/1024ths.
OutcomeOdds Odds(std::uint64_t success, std::uint64_t destroyed, std::uint64_t lost) {
  const std::uint64_t unit = kAll >> 10;
  return {success * unit, destroyed * unit, lost * unit,
          kAll - (success + destroyed + lost) * unit};
}

JourneySteps Steps(std::vector<OutcomeOdds> odds, double attempt_cost = 1, double item_cost = 0) {
  JourneySteps steps;
  steps.target = static_cast<int>(odds.size());
  steps.item_cost = item_cost;
  for (std::size_t t = 0; t < odds.size(); ++t) {
    steps.odds[t] = odds[t];
    steps.attempt_cost[t] = attempt_cost;
  }
  return steps;
}

double Share(std::uint64_t count) { return std::ldexp(static_cast<double>(count), -60); }

void ExpectRelative(double actual, double expected, const char* what) {
  EXPECT_NEAR(actual / expected, 1.0, 1e-12) << what << ": " << actual << " vs " << expected;
}

TEST(JourneyTest, OneStepHasClosedForms) {
  const OutcomeOdds odds = Odds(100, 30, 200);
  const double s = Share(odds.success), d = Share(odds.item_destroyed);
  const Journey journey = PlanJourney(Steps({odds}, 7, 1000));
  const JourneyRow& row = journey.rows[0];
  ExpectRelative(row.reach_probability, s / (s + d), "reach");
  ExpectRelative(row.expected_attempts, 1 / (s + d), "attempts");  // losing taliks changes nothing
  ExpectRelative(row.expected_attempts_with_new_items, 1 / s, "attempts with new items");
  ExpectRelative(row.expected_items_destroyed, d / s, "items");
  ExpectRelative(row.expected_cost, (7 + 1000 * d) / s, "cost");
  for (int p = 0; p < kPercentileCount; ++p) {
    const auto n =
        static_cast<std::int64_t>(std::ceil(std::log1p(-kPercentileLevels[p]) / std::log1p(-s)));
    EXPECT_EQ(row.attempts_for[p], n) << kPercentileLevels[p];
  }
}

// One step whose chance to reach the target, s / (s + d), lies just above
// the midpoint of two neighbouring doubles: s 2^54 = (s + d) m + 1 for an
// odd m, so s / (s + d) is m / 2^54 and 1 / ((s + d) 2^54) more, some 2^-114,
// and the chance shown is the double above, (m + 1) / 2^54. The shares take
// all 60 bits, more than a double holds, and a quotient of the two good to
// some 2^-105 alone falls below the midpoint.
TEST(JourneyTest, AChanceJustAboveTheMidpointOfTwoDoublesIsRoundedUp) {
  constexpr std::uint64_t kSuccess = 742932711799161266, kDestroyed = 409988792807685291;
  constexpr std::uint64_t kLeaving = kSuccess + kDestroyed;
  constexpr std::uint64_t kOdd = 11608323621861899;
  // The identity's last 64 bits: a guard on the digits.
  static_assert(kSuccess * (std::uint64_t{1} << 54) - kLeaving * kOdd == 1,
                "s 2^54 = (s + d) m + 1");
  const Journey journey =
      PlanJourney(Steps({OutcomeOdds{kSuccess, kDestroyed, 0, kAll - kLeaving}}));
  EXPECT_EQ(journey.rows[0].reach_probability, std::ldexp(static_cast<double>(kOdd + 1), -54));
}

// The journey's linear system solved directly by Gaussian elimination:
// x_t - s x_{t+1} - (l + [renew] d) x_0 - f x_t = cost_t + d destroy_cost.
std::vector<long double> DirectSolve(const JourneySteps& steps, std::vector<long double> cost,
                                     long double destroy_cost, bool renew, long double at_target) {
  const int n = steps.target;
  std::vector<std::vector<long double>> a(n, std::vector<long double>(n + 1, 0));
  for (int t = 0; t < n; ++t) {
    const OutcomeOdds& o = steps.odds[t];
    const long double s = std::ldexp(static_cast<long double>(o.success), -60);
    const long double d = std::ldexp(static_cast<long double>(o.item_destroyed), -60);
    const long double l = std::ldexp(static_cast<long double>(o.taliks_destroyed), -60);
    a[t][t] += s + d + l;
    if (t + 1 < n) a[t][t + 1] -= s;
    a[t][0] -= l + (renew ? d : 0);
    a[t][n] = cost[t] + d * destroy_cost + (t + 1 == n ? s * at_target : 0);
  }
  for (int col = 0; col < n; ++col) {
    int pivot = col;
    for (int r = col + 1; r < n; ++r)
      if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
    std::swap(a[col], a[pivot]);
    for (int r = 0; r < n; ++r) {
      if (r == col) continue;
      const long double factor = a[r][col] / a[col][col];
      for (int c = col; c <= n; ++c) a[r][c] -= factor * a[col][c];
    }
  }
  std::vector<long double> x(n);
  for (int t = 0; t < n; ++t) x[t] = a[t][n] / a[t][t];
  return x;
}

TEST(JourneyTest, EveryFigureSolvesTheWholeLinearSystem) {
  const std::vector<OutcomeOdds> odds = {Odds(300, 0, 0),   Odds(200, 10, 40), Odds(150, 30, 90),
                                         Odds(90, 60, 200), Odds(60, 90, 300), Odds(30, 120, 400),
                                         Odds(12, 200, 500)};
  for (int target = 1; target <= kMaxTarget; ++target) {
    const JourneySteps steps =
        Steps(std::vector<OutcomeOdds>(odds.begin(), odds.begin() + target), 3, 250);
    const Journey journey = PlanJourney(steps);
    const std::vector<long double> ones(target, 1), zeros(target, 0), costs(target, 3);
    const auto reach = DirectSolve(steps, zeros, 0, false, 1);
    const auto attempts = DirectSolve(steps, ones, 0, false, 0);
    const auto renewed = DirectSolve(steps, ones, 0, true, 0);
    const auto items = DirectSolve(steps, zeros, 1, true, 0);
    const auto cost = DirectSolve(steps, costs, 250, true, 0);
    for (int t = 0; t < target; ++t) {
      const JourneyRow& row = journey.rows[t];
      ExpectRelative(row.reach_probability, static_cast<double>(reach[t]), "reach");
      ExpectRelative(row.expected_attempts, static_cast<double>(attempts[t]), "attempts");
      ExpectRelative(row.expected_attempts_with_new_items, static_cast<double>(renewed[t]),
                     "renewed");
      if (items[t] > 0)
        ExpectRelative(row.expected_items_destroyed, static_cast<double>(items[t]), "items");
      ExpectRelative(row.expected_cost, static_cast<double>(cost[t]), "cost");
    }
  }
}

TEST(JourneyTest, FarTargetsKeepTheirDigits) {
  // A tiny chance and a large loss share: the reach probability is about
  // (2^-40)^7 and the attempts with new items about 10^80; neither may
  // become 0, infinite or lose its digits.
  JourneySteps steps;
  steps.target = kMaxTarget;
  for (int t = 0; t < kMaxTarget; ++t) {
    steps.odds[t] = {std::uint64_t{1} << 20, kAll >> 1, 0, (kAll >> 1) - (std::uint64_t{1} << 20)};
    steps.attempt_cost[t] = 1;
  }
  const Journey journey = PlanJourney(steps);
  const double s = std::ldexp(1.0, -40);
  const double step_reach = s / (s + 0.5);
  ExpectRelative(journey.rows[6].reach_probability, step_reach, "last step");
  ExpectRelative(journey.rows[0].reach_probability, std::pow(step_reach, 7), "whole way");
  EXPECT_TRUE(std::isfinite(journey.rows[0].expected_attempts_with_new_items));
  EXPECT_GT(journey.rows[0].expected_attempts_with_new_items, 1e80);
  EXPECT_EQ(journey.rows[0].attempts_for[0], kNever);  // beyond 2^62
}

// The chain with new items stepped one attempt at a time.
std::int64_t AttemptsByStepping(const JourneySteps& steps, int start, double level) {
  std::vector<double> v(steps.target + 1, 0.0);
  v[start] = 1;
  for (std::int64_t n = 1; n < 100000; ++n) {
    std::vector<double> next(v.size(), 0.0);
    next[steps.target] = v[steps.target];
    for (int t = 0; t < steps.target; ++t) {
      const OutcomeOdds& o = steps.odds[t];
      next[t + 1] += v[t] * Share(o.success);
      next[0] += v[t] * (Share(o.item_destroyed) + Share(o.taliks_destroyed));
      next[t] += v[t] * Share(o.failed);
    }
    v = next;
    if (v[steps.target] >= level) return n;
  }
  return kNever;
}

TEST(JourneyTest, AttemptsForAProbabilityMatchStepping) {
  const JourneySteps steps =
      Steps({Odds(400, 20, 0), Odds(250, 50, 100), Odds(120, 80, 300), Odds(60, 100, 500)});
  for (int target = 1; target <= 4; ++target) {
    JourneySteps part = steps;
    part.target = target;
    const Journey journey = PlanJourney(part);
    for (int t = 0; t < target; ++t) {
      for (int p = 0; p < kPercentileCount; ++p) {
        const std::int64_t n = AttemptsByStepping(part, t, kPercentileLevels[p]);
        EXPECT_EQ(journey.rows[t].attempts_for[p], n) << target << "/" << t << "/" << p;
        EXPECT_GE(ReachedWithin(part, t, n), kPercentileLevels[p]);
        EXPECT_LT(ReachedWithin(part, t, n - 1), kPercentileLevels[p]);
      }
    }
  }
}

TEST(JourneyTest, JourneysThatMayNeverEndAreInfiniteNotHuge) {
  // No chance at all and nothing to lose: the item stays where it is.
  const Journey stuck = PlanJourney(Steps({Odds(0, 0, 0)}));
  EXPECT_EQ(stuck.rows[0].reach_probability, 0.0);
  EXPECT_TRUE(std::isinf(stuck.rows[0].expected_attempts));
  EXPECT_TRUE(std::isinf(stuck.rows[0].expected_attempts_with_new_items));
  EXPECT_TRUE(std::isinf(stuck.rows[0].expected_cost));
  EXPECT_EQ(stuck.rows[0].attempts_for[2], kNever);
  // No chance at the second step, with losses: the item is lost for sure
  // (finite) but new items never get there.
  const Journey blocked = PlanJourney(Steps({Odds(500, 0, 0), Odds(0, 100, 100)}));
  for (int t = 0; t < 2; ++t) {
    const JourneyRow& row = blocked.rows[t];
    EXPECT_EQ(row.reach_probability, 0.0);
    // From 1: d X1 = 1 + l X0 / ... with X0 = 1/s0 + X1, so X1 = (1 + l/s0) / d.
    const double from_one = (1 + 100.0 / 500) * 1024.0 / 100;
    ExpectRelative(row.expected_attempts, t == 0 ? 1024.0 / 500 + from_one : from_one, "attempts");
    EXPECT_TRUE(std::isinf(row.expected_attempts_with_new_items));
    EXPECT_TRUE(std::isinf(row.expected_items_destroyed));
    EXPECT_EQ(row.attempts_for[0], kNever);
  }
  // Certain success: one attempt a step.
  const Journey certain = PlanJourney(Steps({Odds(1024, 0, 0), Odds(1024, 0, 0)}));
  EXPECT_EQ(certain.rows[0].expected_attempts_with_new_items, 2.0);
  EXPECT_EQ(certain.rows[0].attempts_for[2], 2);
  EXPECT_EQ(certain.rows[0].reach_probability, 1.0);
}

// Walks that get stuck three steps away, or only once the item was renewed,
// and counts whose own walk ends though the one from 0 never does.
TEST(JourneyTest, StuckCountsFarAwayAndBesideFiniteOnes) {
  // Three good steps, then a count that is never left: from 0 the item is
  // destroyed or gets stuck, so nothing ends for sure.
  const Journey far =
      PlanJourney(Steps({Odds(500, 100, 0), Odds(500, 100, 0), Odds(500, 100, 0), Odds(0, 0, 0)}));
  for (int t = 0; t < 4; ++t) {
    EXPECT_TRUE(std::isinf(far.rows[t].expected_attempts)) << t;
    EXPECT_TRUE(std::isinf(far.rows[t].expected_attempts_with_new_items)) << t;
  }
  // 0 is never left, 1 ends by success or by the item's loss; without new
  // items a destroyed item does not go back to 0.
  const Journey split = PlanJourney(Steps({Odds(0, 0, 0), Odds(500, 100, 0)}));
  EXPECT_TRUE(std::isinf(split.rows[0].expected_attempts));
  ExpectRelative(split.rows[1].expected_attempts, 1024.0 / 600, "attempts from 1");
  ExpectRelative(split.rows[1].reach_probability, 500.0 / 600, "reach from 1");
  EXPECT_TRUE(std::isinf(split.rows[1].expected_attempts_with_new_items));
  EXPECT_EQ(split.rows[1].attempts_for[1], kNever);
  // Taliks lost for sure at 1 and nothing destroyed: the walk comes back to
  // 0 forever and never gets there.
  const Journey circle = PlanJourney(Steps({Odds(500, 0, 0), Odds(0, 0, 100)}));
  for (int t = 0; t < 2; ++t) {
    EXPECT_EQ(circle.rows[t].reach_probability, 0.0) << t;
    EXPECT_TRUE(std::isinf(circle.rows[t].expected_attempts)) << t;
  }
}

}  // namespace

#include "model/plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/outcome_odds.h"

namespace {

TEST(PlanTest, EveryStoneSetOnce) {
  const auto sets = EveryStoneSet();
  for (std::size_t i = 0; i < sets.size(); ++i) {
    EXPECT_TRUE(sets[i][0] >= sets[i][1] && sets[i][1] >= sets[i][2] && sets[i][2] >= sets[i][3]);
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(sets[i], sets[j]);
  }
  Prices prices;
  prices.stone = {99, 1, 2, 3, 4, 5, 6};  // tier 0 is free whatever it says
  prices.attempt = 10;
  EXPECT_EQ(AttemptCost({6, 6, 3, 0}, prices), 25.0);
}

ProbabilityTables ExampleTables() {
  ProbabilityTables tables{};
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int t = 0; t < kUpgradeLevelCount; ++t) {
      tables.success_prob.entry[grade][t] = 300 - 30 * t + grade;
      tables.destroy_prob.entry[grade][t] = t == 0 ? 0 : 300 * t + 20 * grade;
      tables.downgrade_prob.entry[grade][t] = t == 0 ? 0 : 1200 + 400 * t;
    }
  }
  return tables;
}

TEST(PlanTest, CheapestStonesBeatEveryPolicyOfTwoSteps) {
  const ProbabilityTables tables = ExampleTables();
  const auto sets = EveryStoneSet();
  for (const Prices& prices :
       {Prices{{0, 1, 3, 5, 9, 40, 200}, 2, 500}, Prices{{0, 10, 11, 12, 13, 14, 15}, 0, 0},
        Prices{{0, 1000, 2000, 3000, 4000, 5000, 6000}, 1, 1e6}}) {
    const auto chosen = CheapestStones(tables, 3, 40, 2, prices);
    const JourneySteps best_steps = StepsWithStones(tables, 3, 40, 2, chosen, prices);
    const auto best = ExpectedCostWithNewItems(best_steps);
    double lowest[2] = {INFINITY, INFINITY};
    StonesPerStep policy{};
    for (const StoneTiers& first : sets) {
      for (const StoneTiers& second : sets) {
        policy[0] = first;
        policy[1] = second;
        const auto cost =
            ExpectedCostWithNewItems(StepsWithStones(tables, 3, 40, 2, policy, prices));
        lowest[0] = std::min(lowest[0], cost[0]);
        lowest[1] = std::min(lowest[1], cost[1]);
      }
    }
    for (int t = 0; t < 2; ++t) {
      EXPECT_LE(best[t], lowest[t] * (1 + 1e-12)) << t;
      EXPECT_GE(best[t], lowest[t] * (1 - 1e-12)) << t;
    }
  }
}

// Where one count cannot succeed, the counts below it take the cheapest
// sets to reach it, not the sets of the highest chance; the count itself
// and those above, whose losses end below it, the cheapest that can succeed.
TEST(PlanTest, WhereACountCannotSucceedTheCheapestStillCount) {
  ProbabilityTables tables = ExampleTables();
  tables.success_prob.entry[3][0] = 100;  // no set is sure to succeed
  tables.success_prob.entry[3][1] = 0;    // no stones help at one talik
  const Prices prices{{0, 1, 2, 3, 4, 5, 6}, 5, 0};
  const auto chosen = CheapestStones(tables, 3, 65, 3, prices);
  // From 0 (no losses there) the expected cost to reach 1 is cost / chance.
  double lowest = INFINITY;
  for (const StoneTiers& set : EveryStoneSet()) {
    const OutcomeOdds odds = AttemptOutcomeOdds(SetUpAttempt(tables, 3, 0, 65, set));
    if (odds.success > 0) {
      lowest = std::min(
          lowest, AttemptCost(set, prices) / OutcomeProbability(odds, AttemptOutcome::kSuccess));
    }
  }
  const OutcomeOdds first = AttemptOutcomeOdds(SetUpAttempt(tables, 3, 0, 65, chosen[0]));
  EXPECT_DOUBLE_EQ(
      AttemptCost(chosen[0], prices) / OutcomeProbability(first, AttemptOutcome::kSuccess), lowest);
  EXPECT_EQ(chosen[1], (StoneTiers{0, 0, 0, 0}));  // nothing helps: the cheapest
  // A loss at 2 ends below 1: the sets that cannot lose the item or its
  // taliks there, by cost per success, the others only where none can.
  double least_lossless = INFINITY;
  for (const StoneTiers& set : EveryStoneSet()) {
    const OutcomeOdds odds = AttemptOutcomeOdds(SetUpAttempt(tables, 3, 2, 65, set));
    if (odds.success > 0 && odds.item_destroyed + odds.taliks_destroyed == 0) {
      least_lossless =
          std::min(least_lossless,
                   AttemptCost(set, prices) / OutcomeProbability(odds, AttemptOutcome::kSuccess));
    }
  }
  ASSERT_TRUE(std::isfinite(least_lossless));
  const OutcomeOdds top = AttemptOutcomeOdds(SetUpAttempt(tables, 3, 2, 65, chosen[2]));
  EXPECT_EQ(top.item_destroyed + top.taliks_destroyed, 0u);
  EXPECT_DOUBLE_EQ(
      AttemptCost(chosen[2], prices) / OutcomeProbability(top, AttemptOutcome::kSuccess),
      least_lossless);
  const Journey journey = PlanJourney(StepsWithStones(tables, 3, 65, 3, chosen, prices));
  EXPECT_TRUE(std::isinf(journey.rows[0].expected_cost));
  EXPECT_EQ(journey.rows[0].reach_probability, 0.0);
  EXPECT_GT(journey.rows[2].reach_probability, 0.0);
}

// Every policy over a few candidate sets, three steps deep, where items are
// destroyed often: the cheapest stones must be at least as good as each of
// them. A slip in the improvement step (a destroyed item not starting again
// at 0) shows here, as it does not over two steps.
TEST(PlanTest, CheapestStonesBeatEveryPolicyOfThreeStepsOverManyPrices) {
  ProbabilityTables tables = ExampleTables();
  for (int t = 0; t < kUpgradeLevelCount; ++t) {
    tables.destroy_prob.entry[4][t] = 2500 + 1000 * t;
    tables.downgrade_prob.entry[4][t] = 3000;
    tables.success_prob.entry[4][t] = 120 - 10 * t;
  }
  const std::vector<StoneTiers> candidates = {{0, 0, 0, 0}, {1, 0, 0, 0}, {3, 3, 0, 0},
                                              {4, 4, 4, 4}, {6, 5, 0, 0}, {6, 6, 6, 6}};
  for (const Prices& prices :
       {Prices{{0, 1, 2, 5, 10, 20, 50}, 1, 100}, Prices{{0, 3, 4, 8, 20, 90, 300}, 0, 20000},
        Prices{{0, 100, 100, 100, 100, 100, 100}, 5, 0},
        Prices{{0, 2, 4, 8, 16, 32, 64}, 10, 1e6}}) {
    const StonesPerStep chosen = CheapestStones(tables, 4, 30, 3, prices);
    const auto best = ExpectedCostWithNewItems(StepsWithStones(tables, 4, 30, 3, chosen, prices));
    StonesPerStep policy{};
    for (const StoneTiers& a : candidates) {
      for (const StoneTiers& b : candidates) {
        for (const StoneTiers& c : candidates) {
          policy[0] = a;
          policy[1] = b;
          policy[2] = c;
          const auto cost =
              ExpectedCostWithNewItems(StepsWithStones(tables, 4, 30, 3, policy, prices));
          for (int t = 0; t < 3; ++t) EXPECT_LE(best[t], cost[t] * (1 + 1e-12)) << t;
        }
      }
    }
  }
}

TEST(PlanTest, CostOfLeavingCountsEveryWayBack) {
  const std::uint64_t unit = kOutcomeOddsDenominator >> 10;
  // 1/8 success, 1/4 destroyed, 1/8 taliks lost, the rest fails.
  const OutcomeOdds odds = {128 * unit, 256 * unit, 128 * unit, 512 * unit};
  // (cost + d item + s above + (l + d) from_zero) / (s + d + l)
  EXPECT_DOUBLE_EQ(CostOfLeaving(odds, 3, 40, 100, 1000),
                   (3 + 0.25 * 40 + 0.125 * 100 + 0.375 * 1000) / 0.5);
  EXPECT_TRUE(std::isinf(CostOfLeaving({0, unit, 0, kOutcomeOddsDenominator - unit}, 1, 1, 1, 1)));
}

TEST(PlanTest, GivenStonesAreTakenAsTheyAre) {
  PlanRequest request;
  request.item_grade = 3;
  request.item_level = 40;
  request.target = 3;
  request.stones =
      StonesPerStep{StoneTiers{6, 5, 1, 0}, StoneTiers{0, 0, 0, 0}, StoneTiers{2, 2, 2, 2}};
  const Plan plan = MakePlan(ExampleTables(), request);
  EXPECT_EQ(plan.stones, request.stones);
  EXPECT_EQ(plan.steps.target, 3);
}

// A priced plan made from the unpriced one is the plan made whole: every
// figure the prices do not change is taken, and every one they do is new.
TEST(PlanTest, APricedPlanFromTheUnpricedOneIsThePlanMadeWhole) {
  PlanRequest request;
  request.item_grade = 5;
  request.item_level = 50;
  request.target = 4;
  request.stones = StonesPerStep{StoneTiers{6, 6, 3, 0}, StoneTiers{0, 0, 0, 0},
                                 StoneTiers{5, 5, 5, 5}, StoneTiers{6, 6, 6, 6}};
  request.prices = Prices{{0, 10, 20, 40, 80, 200, 1000}, 5, 5000};
  request.budget = 40000;
  PlanRequest unpriced = request;
  unpriced.prices.reset();
  unpriced.budget.reset();
  const Plan whole = MakePlan(ExampleTables(), request);
  const Plan made = PricedPlan(ExampleTables(), request, MakePlan(ExampleTables(), unpriced));
  EXPECT_EQ(made.stones, whole.stones);
  EXPECT_EQ(made.steps.attempt_cost, whole.steps.attempt_cost);
  EXPECT_EQ(made.steps.item_cost, whole.steps.item_cost);
  EXPECT_TRUE(made.steps.priced);
  EXPECT_EQ(made.steps.budget, whole.steps.budget);
  EXPECT_EQ(made.expected_stones, whole.expected_stones);
  for (int t = 0; t < request.target; ++t) {
    const JourneyRow& a = made.journey.rows[t];
    const JourneyRow& b = whole.journey.rows[t];
    EXPECT_EQ(a.reach_probability, b.reach_probability);
    EXPECT_EQ(a.expected_attempts_with_new_items, b.expected_attempts_with_new_items);
    EXPECT_EQ(a.expected_cost, b.expected_cost);
    EXPECT_EQ(a.attempts_for, b.attempts_for);
    EXPECT_EQ(a.items_for, b.items_for);
    EXPECT_EQ(a.budget_for, b.budget_for);
    EXPECT_EQ(a.budget_relative_error, b.budget_relative_error);
    EXPECT_EQ(a.reach_within_budget, b.reach_within_budget);
    EXPECT_GT(a.budget_for[0], 0.0);
    EXPECT_GT(a.expected_cost, 0.0);
  }
  // Without the player's own stones the cheapest depend on the prices.
  request.stones.reset();
  unpriced.stones.reset();
  const Plan cheapest = PricedPlan(ExampleTables(), request, MakePlan(ExampleTables(), unpriced));
  EXPECT_EQ(cheapest.stones, MakePlan(ExampleTables(), request).stones);
}

}  // namespace

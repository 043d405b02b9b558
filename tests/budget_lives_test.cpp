#include "model/budget_lives.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "model/journey.h"
#include "model/journey_budget.h"
#include "tests/budget_recursion.h"

namespace {

using budget_recursion::LeastByRecursion;
using budget_recursion::Odds;
using budget_recursion::Priced;

// The journey with every cost and the item price `scale` times as large:
// its budgets are `scale` times those of the journey itself.
JourneySteps Scaled(JourneySteps steps, double scale) {
  for (double& cost : steps.attempt_cost) cost *= scale;
  steps.item_cost *= scale;
  if (steps.budget >= 0) steps.budget *= scale;
  return steps;
}

// Every level of every count, the truth known to lie within a factor of
// two: the brackets' sizing, not their proof.
struct Known {
  BudgetLevels asked{};
  BudgetFigures lower{}, upper{};
};

Known Around(const std::vector<std::array<double, kPercentileCount>>& truth, double scale) {
  Known known;
  for (std::size_t t = 0; t < truth.size(); ++t) {
    for (int p = 0; p < kPercentileCount; ++p) {
      known.asked[t][p] = true;
      known.lower[t][p] = truth[t][p] * scale / 2.0;
      known.upper[t][p] = truth[t][p] * scale * 2.0;
    }
  }
  return known;
}

// Three counts; an item lives about 340 attempts at 0 taliks and a few
// dear ones above, destroyed more often than it reaches the target.
JourneySteps Lumpy(double item, double budget = -1.0) {
  return Priced({Odds(3, 0, 0), Odds(300, 200, 100), Odds(60, 300, 50)}, {1, 4, 6}, item, budget);
}

std::vector<std::array<double, kPercentileCount>> Truth(const JourneySteps& steps) {
  std::vector<std::array<double, kPercentileCount>> truth;
  truth.reserve(static_cast<std::size_t>(steps.target));
  for (int t = 0; t < steps.target; ++t) truth.push_back(LeastByRecursion(steps, t));
  return truth;
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kScale = 100.0;
constexpr double kWork = 2e7;

// The journey a hundred times as dear, its lives counted on units of 100:
// every budget lies in its bracket, about its middle, and the bracket is
// within the tolerance, with the item a few lives' worth of attempts and
// with the attempts a small share of the item.
TEST(BudgetLivesTest, EveryBudgetLiesInABracketWithinTheTolerance) {
  for (const double item : {2000.0, 30000.0}) {
    const JourneySteps steps = Lumpy(item);
    const auto truth = Truth(steps);
    const Known known = Around(truth, kScale);
    const LivesBrackets lives = LivesBounds(Scaled(steps, kScale), 100, known.asked, known.lower,
                                            known.upper, kWork, kInfinity);
    for (int t = 0; t < steps.target; ++t) {
      for (int p = 0; p < kPercentileCount; ++p) {
        const double budget = truth[t][p] * kScale;
        EXPECT_LT(lives.lower[t][p], budget) << item << " " << t << " " << p;
        EXPECT_GE(lives.upper[t][p], budget) << item << " " << t << " " << p;
        const double width = lives.upper[t][p] - lives.lower[t][p];
        EXPECT_LE(width, kBudgetRelativeError * lives.lower[t][p]) << item << " " << t << " " << p;
        // Each life's rounding keeps its mean: the bracket stands about the
        // truth, its width the stray either way.
        EXPECT_LE(std::fabs((lives.upper[t][p] + lives.lower[t][p]) / 2.0 - budget), width / 4.0)
            << item << " " << t << " " << p;
      }
    }
  }
}

// The chance within the player's budget is a lower bound, and a close one.
TEST(BudgetLivesTest, TheChanceWithinABudgetIsNeverMoreThanTheTruth) {
  const auto truth = Truth(Lumpy(30000.0));
  const double budget = truth[0][1];
  const JourneySteps steps = Lumpy(30000.0, budget);
  const Known known = Around(truth, kScale);
  const LivesBrackets lives = LivesBounds(Scaled(steps, kScale), 100, known.asked, known.lower,
                                          known.upper, kWork, kInfinity);
  for (int t = 0; t < steps.target; ++t) {
    double within = 0.0;
    LeastByRecursion(steps, t, budget, &within);
    EXPECT_LE(lives.within[t], within) << t;
    EXPECT_GT(lives.within[t], within - 0.01) << t;
  }
}

// The attempts after which a journey from any count has not yet ended with
// at most `left`, by the walk's chances attempt after attempt, new items
// from 0 taliks.
double AttemptsAllBut(const JourneySteps& steps, double left) {
  double most = 0.0;
  for (int start = 0; start < steps.target; ++start) {
    std::vector<double> at(static_cast<std::size_t>(steps.target), 0.0);
    at[static_cast<std::size_t>(start)] = 1.0;
    double on_the_way = 1.0;
    double attempts = 0.0;
    while (on_the_way > left) {
      std::vector<double> next(at.size(), 0.0);
      for (int t = 0; t < steps.target; ++t) {
        const OutcomeOdds& odds = steps.odds[t];
        const double here = at[static_cast<std::size_t>(t)];
        if (t + 1 < steps.target)
          next[static_cast<std::size_t>(t) + 1] += here * budget_recursion::Share(odds.success);
        next[static_cast<std::size_t>(t)] += here * budget_recursion::Share(odds.failed);
        next[0] += here * budget_recursion::Share(odds.taliks_destroyed + odds.item_destroyed);
      }
      at = next;
      on_the_way = 0.0;
      for (const double each : at) on_the_way += each;
      attempts += 1.0;
    }
    most = std::max(most, attempts);
  }
  return most;
}

// A journey whose attempts cost a million times those of one counted unit
// by unit, but for a few of them costing 7 more or costing 7 where the
// other cost nothing: its lattice of 1 is far too fine for a life's pass,
// which counts the walk on a coarser unit, each attempt's cost rounded at
// random with its mean kept, the roundings' stray bounded by the journey's
// attempts. Every budget lies between the scaled journey's and that plus 7
// an attempt, within its bracket, and the bracket within the tolerance.
// With the 7 at 1 talik, where attempts destroy the item, a life may end
// destroyed on a cost rounded either way.
TEST(BudgetLivesTest, ALifeTooDearForItsLatticeIsWalkedOnACoarserUnit) {
  constexpr double kMillion = 1e6;
  const struct {
    double cheapest;
    int dearer;  // the count whose attempt costs 7 more
  } cases[] = {{1.0, 0}, {0.0, 0}, {1.0, 1}};
  for (const auto& [cheapest, dearer] : cases) {
    const JourneySteps counted =
        Priced({Odds(3, 0, 0), Odds(300, 200, 100), Odds(60, 300, 50)}, {cheapest, 4, 6}, 30000);
    const auto truth = Truth(counted);
    JourneySteps steps = Scaled(counted, kMillion);
    steps.attempt_cost[dearer] += 7.0;
    const double attempts = AttemptsAllBut(steps, kBudgetTailMass);
    const Known known = Around(truth, kMillion);
    const LivesBrackets lives =
        LivesBounds(steps, 1, known.asked, known.lower, known.upper, kWork, attempts);
    for (int t = 0; t < steps.target; ++t) {
      for (int p = 0; p < kPercentileCount; ++p) {
        const double least = truth[t][p] * kMillion;
        EXPECT_LT(lives.lower[t][p], least + 7.0 * attempts)
            << cheapest << " " << dearer << " " << t << " " << p;
        EXPECT_GE(lives.upper[t][p], least) << cheapest << " " << dearer << " " << t << " " << p;
        EXPECT_LE(lives.upper[t][p] - lives.lower[t][p], kBudgetRelativeError * lives.lower[t][p])
            << cheapest << " " << dearer << " " << t << " " << p;
      }
    }
    // Without a bound on the attempts the walk stays on its own lattice,
    // too fine for the pass: nothing is bracketed.
    const LivesBrackets unbounded =
        LivesBounds(steps, 1, known.asked, known.lower, known.upper, kWork, kInfinity);
    EXPECT_EQ(unbounded.upper[0][0], kInfinity);
    // The truth lies far inside every bracket, so no comparison with it sees
    // a term left out of a bracket's end, the walk's roundings (about
    // 5.4 10^6 here) above all: the first journey's ends from 0 taliks are
    // pinned as the method gives them, each term of their proof in them.
    if (cheapest == 1.0 && dearer == 0) {
      EXPECT_EQ(lives.upper[0][0], 185726241322.0);
      EXPECT_EQ(lives.upper[0][1], 698925087535.0);
      EXPECT_EQ(lives.upper[0][2], 1400146493958.0);
      EXPECT_NEAR(lives.lower[0][0], 185636912057.66, 0.01);
    }
  }
}

// Lives of one cost each: at 0 taliks an attempt of 1 always succeeds, at 1
// one of 20 000 reaches the target or destroys the item, with the chance q
// that 1 - q^3, the chance of at most two items destroyed, is 50 % less
// 10^-9. The 50 % budget is then the total of four lives to the unit, and
// the four lives' costs rounded to a coarse unit all fall short of it
// together with a chance far above 10^-13: the bracket holds it only where
// the lives' stray is all of Hoeffding's.
TEST(BudgetLivesTest, ALevelJustPastAJumpOfTheChanceIsBracketed) {
  const auto destroyed = static_cast<std::uint64_t>(std::ldexp(std::cbrt(0.5 + 1e-9), 60));
  const OutcomeOdds at_one{budget_recursion::kAll - destroyed, destroyed, 0, 0};
  constexpr double kItem = 1234567;
  const JourneySteps steps =
      Priced({OutcomeOdds{budget_recursion::kAll, 0, 0, 0}, at_one}, {1, 20000}, kItem);
  const double q = budget_recursion::Share(destroyed);
  Known known;
  std::array<double, kPercentileCount> truth{};
  for (int p = 0; p < kPercentileCount; ++p) {
    // k items destroyed at most with the chance 1 - q^(k + 1), k + 1 lives.
    int k = 0;
    while (1.0 - std::pow(q, k + 1) < kPercentileLevels[p]) ++k;
    truth[p] = 20001.0 * (k + 1) + kItem * k;
    known.asked[0][p] = true;
    known.lower[0][p] = truth[p] / 2.0;
    known.upper[0][p] = truth[p] * 2.0;
  }
  ASSERT_EQ(truth[0], 20001.0 * 4 + kItem * 3);
  const LivesBrackets lives =
      LivesBounds(steps, 1, known.asked, known.lower, known.upper, kWork, kInfinity);
  for (int p = 0; p < kPercentileCount; ++p) {
    EXPECT_LT(lives.lower[0][p], truth[p]) << p;
    EXPECT_GE(lives.upper[0][p], truth[p]) << p;
    EXPECT_LE(lives.upper[0][p] - lives.lower[0][p], kBudgetRelativeError * lives.lower[0][p]) << p;
  }
}

// Bernstein's inequality for a sum S of independent terms of mean 0, each
// at most `reach` above it, their variances summed to `variance`:
// P(S >= t) <= exp(-t^2 / (2 (variance + reach t / 3))).
double BernsteinTail(double reach, double variance, double t) {
  return std::exp(-t * t / (2.0 * (variance + reach * t / 3.0)));
}

// The stray is where Bernstein's bound first falls to the chance: at it the
// bound is the chance, a millionth short of it the bound is more.
TEST(BudgetLivesTest, TheRoundingStrayIsWhereBernsteinsBoundReachesItsChance) {
  for (const double reach : {0.0, 1.0, 17.0, 255.0, 1e6}) {
    for (const double variance : {0.0, 0.25, 77.0, 3e4, 1e9, 1e15}) {
      if (reach == 0.0 && variance == 0.0) continue;
      const double stray = RoundingStray(reach, variance);
      EXPECT_LE(BernsteinTail(reach, variance, stray), kRoundingStrayChance * (1.0 + 1e-9))
          << reach << " " << variance;
      EXPECT_GT(BernsteinTail(reach, variance, stray * (1.0 - 1e-6)), kRoundingStrayChance)
          << reach << " " << variance;
    }
  }
}

// ln P(K >= k) for K of the binomial law of n draws of chance q, summed
// from the largest term down.
double LogBinomialTailFrom(int n, double q, int k) {
  if (k <= 0) return 0.0;
  if (k > n) return -std::numeric_limits<double>::infinity();
  const auto log_term = [&](int i) {
    return std::lgamma(n + 1.0) - std::lgamma(i + 1.0) - std::lgamma(n - i + 1.0) +
           i * std::log(q) + (n - i) * std::log1p(-q);
  };
  double largest = -std::numeric_limits<double>::infinity();
  for (int i = k; i <= n; ++i) largest = std::max(largest, log_term(i));
  double sum = 0.0;
  for (int i = k; i <= n; ++i) sum += std::exp(log_term(i) - largest);
  return largest + std::log(sum);
}

// n costs each r above a multiple of w, each rounded up to it with the
// chance r / w and down otherwise: with K rounded up, the roundings add
// K w - n r. Their sum's true tails, from the binomial law of K, lie within
// the chance at the stray on either side: adding at most
// RoundingStray(w - r, ...) and taking off at most RoundingStray(r, ...).
TEST(BudgetLivesTest, ASumOfRoundingsStaysWithinItsStrayButForItsChance) {
  const struct {
    int w, r, n;
  } cases[] = {{18, 7, 400}, {18, 11, 400}, {100, 1, 5000}, {100, 99, 5000}, {2, 1, 20000}};
  for (const auto& each : cases) {
    const double w = each.w, r = each.r;
    const int n = each.n;
    const double variance = n * r * (w - r);
    const double q = r / w;
    const double adds = RoundingStray(w - r, variance);
    const double takes = RoundingStray(r, variance);
    // S >= adds: K >= (adds + n r) / w.
    const int up_from = static_cast<int>(std::ceil((adds + n * r) / w));
    EXPECT_LE(LogBinomialTailFrom(n, q, up_from), std::log(kRoundingStrayChance))
        << each.w << " " << each.r << " " << n;
    // -S >= takes: K <= (n r - takes) / w, the tail of the draws rounded down.
    const int down_to = static_cast<int>(std::floor((n * r - takes) / w));
    EXPECT_LE(LogBinomialTailFrom(n, 1.0 - q, n - down_to), std::log(kRoundingStrayChance))
        << each.w << " " << each.r << " " << n;
    // A quarter of either stray is passed often: the bound is not slack by so much.
    const int quarter_up = static_cast<int>(std::ceil((adds / 4.0 + n * r) / w));
    EXPECT_GT(LogBinomialTailFrom(n, q, quarter_up), std::log(1e-6))
        << each.w << " " << each.r << " " << n;
  }
}

// However little work the lives are given, whatever they bracket holds its
// budget: a level's renewal that would run out of work is left out, or
// runs without a life's dearest costs once the other levels are done. A
// life of a few attempts: its pass counts far past its dearest costs.
TEST(BudgetLivesTest, OnAnyShareOfTheWorkEveryBracketHoldsItsBudget) {
  for (const double item : {2000.0, 30000.0}) {
    const JourneySteps journey =
        Priced({Odds(400, 0, 0), Odds(300, 200, 100), Odds(60, 300, 50)}, {1, 4, 6}, item);
    const JourneySteps steps = Scaled(journey, kScale);
    const auto truth = Truth(journey);
    const Known known = Around(truth, kScale);
    const double whole =
        LivesBounds(steps, 100, known.asked, known.lower, known.upper, kWork, kInfinity).work;
    int bracketed = 0;
    // From half the work up, by 3 % at a time.
    for (int step = 0; step < 24; ++step) {
      const double share = 0.5 * std::pow(1.03, step);
      const LivesBrackets lives =
          LivesBounds(steps, 100, known.asked, known.lower, known.upper, whole * share, kInfinity);
      for (int t = 0; t < steps.target; ++t) {
        for (int p = 0; p < kPercentileCount; ++p) {
          const double budget = truth[t][p] * kScale;
          EXPECT_LT(lives.lower[t][p], budget) << item << " " << share << " " << t << " " << p;
          EXPECT_GE(lives.upper[t][p], budget) << item << " " << share << " " << t << " " << p;
          if (!std::isfinite(lives.upper[t][p])) continue;
          ++bracketed;
          const double width = lives.upper[t][p] - lives.lower[t][p];
          EXPECT_LE(std::fabs((lives.upper[t][p] + lives.lower[t][p]) / 2.0 - budget), width / 4.0)
              << item << " " << share << " " << t << " " << p;
        }
      }
    }
    EXPECT_GT(bracketed, 0) << item;
  }
}

// Free attempts, a count that cannot succeed, no item price or no work:
// nothing is bracketed, and nothing is said to be.
TEST(BudgetLivesTest, WhatTheLivesCannotCountIsLeftOpen) {
  const auto truth = Truth(Lumpy(30000.0));
  const Known known = Around(truth, kScale);
  JourneySteps free_attempt = Lumpy(30000.0);
  free_attempt.attempt_cost[1] = 0.0;
  JourneySteps stuck = Lumpy(30000.0);
  stuck.odds[2] = Odds(0, 300, 50);
  const struct {
    JourneySteps steps;
    double work;
  } cases[] = {{free_attempt, kWork}, {stuck, kWork}, {Lumpy(0.0), kWork}, {Lumpy(30000.0), 0.0}};
  for (const auto& each : cases) {
    EXPECT_FALSE(
        LivesFit(each.steps, 1, known.asked, known.lower, known.upper, each.work, kInfinity));
    const LivesBrackets lives =
        LivesBounds(each.steps, 1, known.asked, known.lower, known.upper, each.work, kInfinity);
    for (int t = 0; t < 3; ++t) {
      for (int p = 0; p < kPercentileCount; ++p) {
        EXPECT_EQ(lives.upper[t][p], INFINITY);
        EXPECT_EQ(lives.lower[t][p], 0.0);
      }
    }
  }
}

}  // namespace

// The budgets of a journey counted the plainest way, unit by unit, for tests
// to hold the model's figures against; and journeys built from shares.
#ifndef UPGRADE_SIM_TESTS_BUDGET_RECURSION_H_
#define UPGRADE_SIM_TESTS_BUDGET_RECURSION_H_

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/journey.h"

namespace budget_recursion {

inline constexpr std::uint64_t kAll = kOutcomeOddsDenominator;

// Outcome counts out of 2^60 from shares given in 1/1024ths.
inline OutcomeOdds Odds(std::uint64_t success, std::uint64_t destroyed, std::uint64_t lost) {
  const std::uint64_t unit = kAll >> 10;
  return {success * unit, destroyed * unit, lost * unit,
          kAll - (success + destroyed + lost) * unit};
}

inline JourneySteps Priced(std::vector<OutcomeOdds> odds, std::vector<double> costs, double item,
                           double budget = -1.0) {
  JourneySteps steps;
  steps.target = static_cast<int>(odds.size());
  steps.item_cost = item;
  steps.priced = true;
  steps.budget = budget;
  for (std::size_t t = 0; t < odds.size(); ++t) {
    steps.odds[t] = odds[t];
    steps.attempt_cost[t] = costs[t % costs.size()];
  }
  return steps;
}

inline double Share(std::uint64_t count) { return std::ldexp(static_cast<double>(count), -60); }

// The least whole budget from start with a chance of at least each level,
// by the plain recursion over every unit from 0 (an attempt may cost
// nothing only at 0 taliks, and a destroyed item must cost something): P(spent <= b) from each
// count, each row from the rows a step looks back to; and, where
// `within_budget` is given, P(spent <= budget).
inline std::array<double, kPercentileCount> LeastByRecursion(const JourneySteps& steps, int start,
                                                             double budget = -1.0,
                                                             double* within_budget = nullptr) {
  const int n = steps.target;
  const auto item = static_cast<std::int64_t>(steps.item_cost);
  std::array<std::int64_t, kMaxTarget> cost{};
  std::array<std::array<double, 4>, kMaxTarget> share{};
  std::int64_t back = 0;
  for (int t = 0; t < n; ++t) {
    cost[t] = static_cast<std::int64_t>(steps.attempt_cost[t]);
    back = std::max(back, cost[t] + item);
    const OutcomeOdds& odds = steps.odds[t];
    share[t] = {Share(odds.success), Share(odds.failed), Share(odds.taliks_destroyed),
                Share(odds.item_destroyed)};
  }
  // Rows before 0 are 0: the ring starts full of zeros, written in order.
  constexpr std::int64_t kWidth = kMaxTarget + 1;
  const std::int64_t rows = back + 1;
  std::vector<double> within(static_cast<std::size_t>(rows * kWidth), 0.0);
  const auto at = [&](std::int64_t b, int t) -> double& {
    return within[static_cast<std::size_t>(((b % rows + rows) % rows) * kWidth + t)];
  };
  std::array<double, kPercentileCount> least{};
  int next = 0;
  for (std::int64_t b = 0; next < kPercentileCount || static_cast<double>(b) <= budget; ++b) {
    std::array<double, kMaxTarget + 1> here{};
    here[n] = 1.0;
    // From the target down: an attempt at 0 taliks that costs nothing reads
    // its own row's count above, and its own chance is solved for.
    for (int t = n - 1; t >= 0; --t) {
      const std::int64_t paid = b - cost[t];
      if (paid < 0) continue;
      const double destroyed = paid >= item ? share[t][3] * at(paid - item, 0) : 0.0;
      if (t == 0 && cost[t] == 0) {
        here[0] = (share[0][0] * here[1] + destroyed) / (1.0 - share[0][1] - share[0][2]);
        continue;
      }
      here[t] = share[t][0] * at(paid, t + 1) + share[t][1] * at(paid, t) +
                share[t][2] * at(paid, 0) + destroyed;
    }
    for (int t = 0; t <= n; ++t) at(b, t) = here[t];
    if (within_budget != nullptr && static_cast<double>(b) == budget) *within_budget = here[start];
    while (next < kPercentileCount && here[start] >= kPercentileLevels[next])
      least[next++] = static_cast<double>(b);
  }
  return least;
}

}  // namespace budget_recursion

#endif  // UPGRADE_SIM_TESTS_BUDGET_RECURSION_H_

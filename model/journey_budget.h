// The budget that suffices with a given probability on the journey with new
// items, and the chance to reach the target within a budget. The total spent
// is the attempts' cost plus the item price times the items destroyed; it is
// counted exactly on a lattice of whole costs where that fits, and bounded
// from both sides elsewhere, so that a shown budget is never too small and
// says how far above the true one it may be.
#ifndef UPGRADE_SIM_MODEL_JOURNEY_BUDGET_H_
#define UPGRADE_SIM_MODEL_JOURNEY_BUDGET_H_

#include <array>
#include <cstdint>

#include "model/journey.h"

/// The probability left out at the far ends of a lattice: far below the
/// levels' own precision.
constexpr double kBudgetTailMass = 1e-13;
/// A budget that is not exact is at most this far above the true one,
/// relatively, where the method reaches; it is then rounded up to the fewest
/// significant digits that keep it there.
constexpr double kBudgetRelativeError = 1e-3;
constexpr int kBudgetShownDigits = 4;

/// What the budgets take from the journey's attempt and item counts, from
/// each talik count: the least attempts and the fewest items destroyed with
/// which the target is reached with a chance of at least each level, of
/// halfway from each level to `reach` and of `reach` less kBudgetTailMass;
/// kNever where none.
struct BudgetCounts {
  std::array<double, kMaxTarget> reach;  // ever, with new items (ReachWithNewItems)
  std::array<std::array<std::int64_t, kPercentileCount>, kMaxTarget> attempts_for, items_for;
  std::array<std::array<std::int64_t, kPercentileCount>, kMaxTarget> attempts_halfway,
      items_halfway;
  std::array<std::int64_t, kMaxTarget> attempts_tail, items_tail;
  // For the chance within a budget where only items cost: P(target with at
  // most k items destroyed) = reach_first + renewed (1 - stay^k).
  std::array<double, kMaxTarget> reach_first, renewed;
  double stay_log = 0.0;  // log of the chance that a new item is destroyed too
};

/// The budgets of the three levels from each talik count, with the bound on
/// (shown - true) / true (0 where exact), and the chance to reach the target
/// spending at most the player's budget (a lower bound where not exact).
struct JourneyBudgets {
  std::array<std::array<double, kPercentileCount>, kMaxTarget> budget;  // +infinity: never
  std::array<std::array<double, kPercentileCount>, kMaxTarget> relative_error;
  std::array<double, kMaxTarget> within;
  std::array<bool, kMaxTarget> within_exact;
};

/// The chance from each talik count to reach the target ever, with new
/// items: 1 where the walk ends for sure, the chance to climb without a loss
/// where a count below cannot be passed, 0 where one above cannot.
std::array<double, kMaxTarget> ReachWithNewItems(const JourneySteps& steps);

/// For priced steps; steps.budget below 0 asks for no chance within a budget.
JourneyBudgets BudgetsFor(const JourneySteps& steps, const BudgetCounts& counts);

/// A budget known to lie in (lower, upper], rounded up to the fewest
/// significant digits (at least kBudgetShownDigits) that keep it within
/// kBudgetRelativeError of lower where it can; a whole number.
double ShownBudget(double upper, double lower);

#endif  // UPGRADE_SIM_MODEL_JOURNEY_BUDGET_H_

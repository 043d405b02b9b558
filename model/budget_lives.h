// Budgets of long journeys from the lives of their items. Each item lives
// from 0 taliks (the first from the journey's start) until it is destroyed
// or reaches the target; the lives are independent, and the total spent is
// the sum of their costs. The cost of one life is counted exactly on the
// attempts' own lattice; the journey is then a renewal of lives on a coarse
// unit, each life's cost rounded to a neighbouring multiple of it at random
// with its mean kept, so that the rounding of all lives together is, but for
// a chance far below the levels' precision, within a few units of the square
// root of their number (Hoeffding's inequality) rather than one unit per
// life. Where a large item price makes the lives few and costly, this
// brackets a budget within a small share of itself on a short pass.
#ifndef UPGRADE_SIM_MODEL_BUDGET_LIVES_H_
#define UPGRADE_SIM_MODEL_BUDGET_LIVES_H_

#include <array>
#include <cstdint>

#include "model/journey.h"
#include "model/journey_budget.h"

using BudgetLevels = std::array<std::array<bool, kPercentileCount>, kMaxTarget>;
using BudgetFigures = std::array<std::array<double, kPercentileCount>, kMaxTarget>;

/// Each asked budget lies in (lower, upper]; upper is +infinity and lower 0
/// where the lives bound nothing. `within`: a lower bound of the chance to
/// reach the target spending at most steps.budget, 0 where none; `work`:
/// what the lives took.
struct LivesBrackets {
  BudgetFigures upper, lower;
  std::array<double, kMaxTarget> within;
  double work;  // spent, in the units of `most_work`
};

/// For priced steps from which every count can reach the target, with
/// attempts that all cost something and an item price; `unit` divides every
/// attempt's cost, and the journey takes more than `attempts` attempts with
/// a chance of at most kBudgetTailMass (+infinity where unknown): where the
/// attempts' lattice is too fine for a life's pass, a coarser one is bounded
/// by it. `asked[t][p]`: the budgets to bracket, each known to lie
/// in (known_lower, known_upper], which sizes the coarse unit and the pass;
/// the life's pass, the levels' renewals and their searches together within
/// `most_work` (about ten instructions each, on every path), the levels
/// beyond it left out.
LivesBrackets LivesBounds(const JourneySteps& steps, std::int64_t unit, const BudgetLevels& asked,
                          const BudgetFigures& known_lower, const BudgetFigures& known_upper,
                          double most_work, double attempts);

/// The chance that a sum of roundings strays beyond its bound on one side.
constexpr double kRoundingStrayChance = 1e-13;
/// What a walk rounded at random moves a chance by: its roundings' strays
/// either way, and more attempts than they were bounded for.
constexpr double kRoundingMargin = 2.0 * kRoundingStrayChance + kBudgetTailMass;

/// The least stray of a sum of roundings, each of mean 0 and within `reach`
/// of its cost on the side looked at, their variances summed to at most
/// `variance` (a martingale's, however many there are), beyond which it
/// lies with a chance of at most kRoundingStrayChance.
double RoundingStray(double reach, double variance);

/// Whether the total spent is lumpy at the item price's scale by the budgets
/// of `items` destroyed: a life's spread of cost (its standard deviation)
/// over so many lives is short of a couple of item prices. A pass's strip
/// then brackets the budgets only widely; the lives closely.
bool LivesLumpy(const JourneySteps& steps, double items);

/// Whether LivesBounds takes up every asked budget within `most_work`.
bool LivesFit(const JourneySteps& steps, std::int64_t unit, const BudgetLevels& asked,
              const BudgetFigures& known_lower, const BudgetFigures& known_upper, double most_work,
              double attempts);

#endif  // UPGRADE_SIM_MODEL_BUDGET_LIVES_H_

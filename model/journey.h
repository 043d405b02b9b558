// The whole journey of one item toward a target talik count: an attempt at a
// time, each with the odds of the stones chosen for the item's talik count.
// A success adds a talik and reaching the target ends the journey; a
// destroyed item is lost (or, "with new items", replaced by a new one with 0
// taliks); destroyed taliks put the item back at 0; a failure changes
// nothing.
#ifndef UPGRADE_SIM_MODEL_JOURNEY_H_
#define UPGRADE_SIM_MODEL_JOURNEY_H_

#include <array>
#include <cstdint>
#include <vector>

#include "model/outcome_odds.h"
#include "model/upgrade_request.h"

constexpr int kMaxTarget = kMaxTalikCount + 1;  // 6 taliks can still be tried
constexpr ValueRange kTargetRange = {1, kMaxTarget};

/// The levels of "attempts for p": 50 %, 90 % and 99 %.
constexpr int kPercentileCount = 3;
constexpr double kPercentileLevels[kPercentileCount] = {0.5, 0.9, 0.99};
/// The longest journey counted; beyond it the answer is "never".
constexpr std::int64_t kMaxCountedAttempts = std::int64_t{1} << 62;
constexpr std::int64_t kNever = -1;

/// The odds of an attempt at each talik count below the target, and what one
/// attempt costs there.
struct JourneySteps {
  int target = 1;  // 1 to kMaxTarget
  std::array<OutcomeOdds, kMaxTarget> odds{};
  std::array<double, kMaxTarget> attempt_cost{};
  double item_cost = 0.0;  // of each destroyed item
  bool priced = false;     // whole costs a budget is counted in
  double budget = -1.0;    // the player's own, for the chance within it; below 0: none
};

/// What a journey from one talik count holds in store. An infinite value
/// (the journey may never end) is +infinity, never a huge number or a NaN.
struct JourneyRow {
  double reach_probability;  // the target before the item is destroyed
  double expected_attempts;  // until the target or the item's loss
  // With new items in place of destroyed ones:
  double expected_attempts_with_new_items;
  double expected_items_destroyed;
  double expected_cost;
  std::array<std::int64_t, kPercentileCount> attempts_for;  // or kNever
  // The fewest items destroyed, and the least whole budget (priced steps
  // only), that suffice with each percentile's probability; kNever and
  // +infinity where nothing does.
  std::array<std::int64_t, kPercentileCount> items_for;
  std::array<double, kPercentileCount> budget_for;
  // The bound on (budget_for - true) / true: 0 where exact.
  std::array<double, kPercentileCount> budget_relative_error;
  // The chance to reach the target spending at most steps.budget (priced
  // steps with a budget only); a lower bound where not exact.
  double reach_within_budget;
  bool reach_within_budget_exact;
};

/// One row per starting talik count, 0 to target - 1.
struct Journey {
  int target;
  std::array<JourneyRow, kMaxTarget> rows;
};

Journey PlanJourney(const JourneySteps& steps);

/// Puts in `journey`, planned from the same odds without prices, the figures
/// that the steps' prices add: the expected costs, the budgets and the chance
/// within the player's budget. The rest of a journey does not depend on what
/// its attempts cost, so a priced journey need not count it again.
void AddPricedFigures(const JourneySteps& steps, Journey* journey);

/// The chance from each talik count to reach the target before the item is
/// destroyed: the first figure of PlanJourney alone, for when only it is
/// wanted.
std::array<double, kMaxTarget> ReachBeforeDestroyed(const JourneySteps& steps);

/// The expected cost from each talik count to the target with new items
/// (attempt costs and item costs); +infinity where it may never end.
std::array<double, kMaxTarget> ExpectedCostWithNewItems(const JourneySteps& steps);

/// The probability that the target is reached within attempts, with new
/// items, from start; 0 to 1.
double ReachedWithin(const JourneySteps& steps, int start, std::int64_t attempts);

/// The expected attempts at each talik count (second index) on the journey
/// with new items from each talik count (first index); +infinity where the
/// journey may never end.
using VisitCounts = std::array<std::array<double, kMaxTarget>, kMaxTarget>;
VisitCounts ExpectedVisits(const JourneySteps& steps);

/// ReachedWithin for each count of attempts, sharing the work.
std::vector<double> ReachedWithinEach(const JourneySteps& steps, int start,
                                      const std::vector<std::int64_t>& attempts);

/// The expected cost from a talik count left for good with one attempt's
/// odds and cost, given the expected cost from the count above and from 0,
/// where destroyed taliks and a destroyed item (with a new one, at
/// item_cost) start again: the step that improves a choice of stones.
/// +infinity where the attempt cannot succeed.
double CostOfLeaving(const OutcomeOdds& odds, double attempt_cost, double item_cost, double above,
                     double from_zero);

#endif  // UPGRADE_SIM_MODEL_JOURNEY_H_

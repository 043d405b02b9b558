// A plan of the journey: the stones at each talik count (given, or the
// cheapest for the prices), the steps they make and the journey itself.
#ifndef UPGRADE_SIM_MODEL_PLAN_H_
#define UPGRADE_SIM_MODEL_PLAN_H_

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "model/attempt_series.h"
#include "model/journey.h"
#include "model/probability_tables.h"
#include "model/upgrade_request.h"

/// Prices are whole numbers up to 10^12, in any currency.
constexpr std::int64_t kMaxPrice = 1000000000000;

/// The prices a player pays: each stone tier (tier 0, no stone, is free), an
/// attempt, a new item.
struct Prices {
  std::array<double, kStoneTierCount> stone{};
  double attempt = 0.0;
  double item = 0.0;
};

/// One stone set per talik count below the target.
using StonesPerStep = std::array<StoneTiers, kMaxTarget>;

/// The journey a player asks about. Without stones the plan takes those of
/// least expected cost at the prices; without prices nothing is priced.
struct PlanRequest {
  std::int32_t item_grade = 0;
  std::int32_t item_level = 1;
  int target = 1;
  std::optional<StonesPerStep> stones;
  std::optional<Prices> prices;
  std::optional<double> budget;  // the player's own, for the chance within it (with prices)
};

/// The stones of each step and the journey they make, and the stones of
/// each tier (index 1 to 6) the journey with new items uses on average from
/// each talik count; +infinity where it may never end (for the tiers the
/// plan uses; the others are 0).
struct Plan {
  StonesPerStep stones;
  JourneySteps steps;
  Journey journey;
  std::array<std::array<double, kStoneTierCount>, kMaxTarget> expected_stones;
};

Plan MakePlan(const ProbabilityTables& tables, const PlanRequest& request);

/// MakePlan's plan for a request with prices and the player's own stones,
/// from `unpriced`, the plan of the same request without prices: only what
/// the prices add is computed.
Plan PricedPlan(const ProbabilityTables& tables, const PlanRequest& request, Plan unpriced);

/// One journey played out with new items over the simulator's draws.
struct JourneyRun {
  std::int64_t attempts = 0;
  std::int64_t items_destroyed = 0;
  double spent = 0.0;  // attempts and new items, at the steps' costs
  int highest = 0;     // the most taliks the item had
  bool reached = false;
  /// The last attempts: the talik count each started from and its outcome.
  std::vector<std::pair<int, AttemptOutcome>> last;
};

/// Plays the plan's journey from start to its target: each attempt draws as
/// the simulator's series does, against the set-up of the item's talik
/// count; a success adds a talik, destroyed taliks put it back at 0, a
/// destroyed item is replaced by a new one at 0. Ends at the target or after
/// max_attempts; keeps the last `kept` attempts.
JourneyRun RunJourney(const Plan& plan, const std::array<AttemptSetUp, kMaxTarget>& set_ups,
                      int start, const DrawSource& draw, std::int64_t max_attempts, int kept);

/// What one attempt with these stones costs.
double AttemptCost(const StoneTiers& stones, const Prices& prices);

/// The journey's steps with the given stones at each talik count.
JourneySteps StepsWithStones(const ProbabilityTables& tables, std::int32_t item_grade,
                             std::int32_t item_level, int target, const StonesPerStep& stones,
                             const Prices& prices);

/// The stone sets of least expected cost to reach the target with new items,
/// one per talik count below the target: policy iteration over the 210 sets
/// of four tiers, each policy evaluated exactly. Where no set can succeed at
/// some talik count, the target cannot be reached from below it: the
/// counts below it get the cheapest sets to reach it, and each count from
/// it up the set of least expected cost to the next such count (or the
/// target) without a loss, the cheapest of equals.
StonesPerStep CheapestStones(const ProbabilityTables& tables, std::int32_t item_grade,
                             std::int32_t item_level, int target, const Prices& prices);

/// Every set of four tiers once, its tiers from the highest down.
constexpr int kStoneSetCount = 210;
std::array<StoneTiers, kStoneSetCount> EveryStoneSet();

#endif  // UPGRADE_SIM_MODEL_PLAN_H_

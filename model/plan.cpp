#include "model/plan.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "model/outcome_odds.h"

namespace {

JourneySteps PlanSteps(const ProbabilityTables& tables, const PlanRequest& request,
                       const StonesPerStep& stones) {
  JourneySteps steps = StepsWithStones(tables, request.item_grade, request.item_level,
                                       request.target, stones, request.prices.value_or(Prices{}));
  steps.priced = request.prices.has_value();
  steps.budget = request.prices && request.budget ? *request.budget : -1.0;
  return steps;
}

}  // namespace

Plan MakePlan(const ProbabilityTables& tables, const PlanRequest& request) {
  Plan plan{};
  plan.stones = request.stones ? *request.stones
                               : CheapestStones(tables, request.item_grade, request.item_level,
                                                request.target, request.prices.value_or(Prices{}));
  plan.steps = PlanSteps(tables, request, plan.stones);
  plan.journey = PlanJourney(plan.steps);
  const VisitCounts visits = ExpectedVisits(plan.steps);
  for (int t = 0; t < request.target; ++t) {
    for (int u = 0; u < request.target; ++u) {
      for (const std::int32_t tier : plan.stones[u]) {
        // Nothing times an infinite count of attempts is still none.
        if (tier > 0) plan.expected_stones[t][tier] += visits[t][u];
      }
    }
    if (!std::isfinite(plan.journey.rows[t].expected_attempts_with_new_items)) {
      for (int u = 0; u < request.target; ++u) {
        for (const std::int32_t tier : plan.stones[u]) {
          if (tier > 0) plan.expected_stones[t][tier] = std::numeric_limits<double>::infinity();
        }
      }
    }
  }
  return plan;
}

Plan PricedPlan(const ProbabilityTables& tables, const PlanRequest& request, Plan unpriced) {
  // The cheapest stones depend on the prices; the player's own do not.
  if (!request.stones || !request.prices) return MakePlan(tables, request);
  unpriced.steps = PlanSteps(tables, request, unpriced.stones);
  AddPricedFigures(unpriced.steps, &unpriced.journey);
  return unpriced;
}

double AttemptCost(const StoneTiers& stones, const Prices& prices) {
  return std::accumulate(stones.begin(), stones.end(), prices.attempt,
                         [&prices](double cost, std::int32_t tier) {
                           return cost + (tier > 0 ? prices.stone[tier] : 0.0);
                         });
}

std::array<StoneTiers, kStoneSetCount> EveryStoneSet() {
  std::array<StoneTiers, kStoneSetCount> sets{};
  int n = 0;
  const int top = kStoneTierCount - 1;
  for (int a = top; a >= 0; --a) {
    for (int b = a; b >= 0; --b) {
      for (int c = b; c >= 0; --c) {
        for (int d = c; d >= 0; --d) sets[n++] = {a, b, c, d};
      }
    }
  }
  return sets;
}

JourneySteps StepsWithStones(const ProbabilityTables& tables, std::int32_t item_grade,
                             std::int32_t item_level, int target, const StonesPerStep& stones,
                             const Prices& prices) {
  JourneySteps steps;
  steps.target = target;
  steps.item_cost = prices.item;
  for (int t = 0; t < target; ++t) {
    steps.odds[t] = AttemptOutcomeOdds(SetUpAttempt(tables, item_grade, t, item_level, stones[t]));
    steps.attempt_cost[t] = AttemptCost(stones[t], prices);
  }
  return steps;
}

namespace {

// Where no set can succeed at `blocked` (the lowest such count): below it
// the cheapest sets to reach it; from it up, toward the next count that
// cannot be passed (or the target), the set of least expected cost without a
// loss (a loss ends at 0, below `blocked`), else the cheapest set that can
// succeed, else the cheapest set.
StonesPerStep CheapestAroundBlocked(const ProbabilityTables& tables, std::int32_t item_grade,
                                    std::int32_t item_level, int target, const Prices& prices,
                                    int blocked, const std::array<StoneTiers, kStoneSetCount>& sets,
                                    const std::array<double, kStoneSetCount>& set_cost) {
  StonesPerStep policy{};
  if (blocked > 0) policy = CheapestStones(tables, item_grade, item_level, blocked, prices);
  double above = 0.0;  // the expected cost from t + 1 to the next stop without a loss
  for (int t = target - 1; t >= blocked; --t) {
    int chosen = -1;
    double chosen_value = std::numeric_limits<double>::infinity();
    std::array<OutcomeOdds, kStoneSetCount> odds{};
    for (int a = 0; a < kStoneSetCount; ++a) {
      odds[a] = AttemptOutcomeOdds(SetUpAttempt(tables, item_grade, t, item_level, sets[a]));
      const OutcomeOdds& o = odds[a];
      if (o.success == 0 || o.item_destroyed + o.taliks_destroyed > 0) continue;
      const double value = set_cost[a] / OutcomeProbability(o, AttemptOutcome::kSuccess) + above;
      if (value < chosen_value) {
        chosen_value = value;
        chosen = a;
      }
    }
    for (int a = 0; chosen < 0 && a < kStoneSetCount; ++a) {
      if (odds[a].success == 0) continue;
      int best = a;
      for (int b = a + 1; b < kStoneSetCount; ++b) {
        if (odds[b].success == 0) continue;
        if (set_cost[b] < set_cost[best] ||
            (set_cost[b] == set_cost[best] && odds[b].success > odds[best].success))
          best = b;
      }
      chosen = best;
    }
    if (chosen < 0) {
      chosen =
          static_cast<int>(std::min_element(set_cost.begin(), set_cost.end()) - set_cost.begin());
      chosen_value = std::numeric_limits<double>::infinity();
    }
    policy[t] = sets[chosen];
    // A count that cannot be passed is the next stop of the counts below it.
    above = odds[chosen].success == 0 ? 0.0 : chosen_value;
  }
  return policy;
}

}  // namespace

StonesPerStep CheapestStones(const ProbabilityTables& tables, std::int32_t item_grade,
                             std::int32_t item_level, int target, const Prices& prices) {
  const std::array<StoneTiers, kStoneSetCount> sets = EveryStoneSet();
  std::array<std::array<OutcomeOdds, kStoneSetCount>, kMaxTarget> odds{};
  std::array<double, kStoneSetCount> set_cost{};
  for (int a = 0; a < kStoneSetCount; ++a) set_cost[a] = AttemptCost(sets[a], prices);
  // Start from the sets of the highest chance, the cheapest of equals: a
  // policy that reaches the target, if any does.
  StonesPerStep policy{};
  std::array<int, kMaxTarget> chosen{};
  for (int t = 0; t < target; ++t) {
    for (int a = 0; a < kStoneSetCount; ++a) {
      odds[t][a] = AttemptOutcomeOdds(SetUpAttempt(tables, item_grade, t, item_level, sets[a]));
      const std::uint64_t best = odds[t][chosen[t]].success;
      if (odds[t][a].success > best ||
          (odds[t][a].success == best && set_cost[a] < set_cost[chosen[t]]))
        chosen[t] = a;
    }
    policy[t] = sets[chosen[t]];
    if (odds[t][chosen[t]].success == 0) {
      return CheapestAroundBlocked(tables, item_grade, item_level, target, prices, t, sets,
                                   set_cost);
    }
  }
  // Only sets that can succeed are taken: a policy without them never ends.
  for (int round = 0; round < 1000; ++round) {
    const std::array<double, kMaxTarget> value = ExpectedCostWithNewItems(
        StepsWithStones(tables, item_grade, item_level, target, policy, prices));
    bool changed = false;
    for (int t = 0; t < target; ++t) {
      const double above = t + 1 < target ? value[t + 1] : 0.0;
      double best_value = value[t];
      for (int a = 0; a < kStoneSetCount; ++a) {
        const double leave = CostOfLeaving(odds[t][a], set_cost[a], prices.item, above, value[0]);
        if (leave < best_value && leave < value[t] * (1 - 1e-12)) {
          best_value = leave;
          policy[t] = sets[a];
          changed = true;
        }
      }
    }
    if (!changed) break;
  }
  return policy;
}

JourneyRun RunJourney(const Plan& plan, const std::array<AttemptSetUp, kMaxTarget>& set_ups,
                      int start, const DrawSource& draw, std::int64_t max_attempts, int kept) {
  JourneyRun run;
  const int target = plan.steps.target;
  int taliks = start;
  run.highest = start;
  std::vector<std::pair<int, AttemptOutcome>> ring(static_cast<std::size_t>(std::max(kept, 1)));
  while (taliks < target && run.attempts < max_attempts) {
    const AttemptSetUp& set_up = set_ups[taliks];
    const AttemptOutcome outcome =
        RunAttempt(set_up.chance, set_up.destroy_value, set_up.downgrade_value, draw);
    ring[static_cast<std::size_t>(run.attempts % static_cast<std::int64_t>(ring.size()))] = {
        taliks, outcome};
    ++run.attempts;
    run.spent += plan.steps.attempt_cost[taliks];
    switch (outcome) {
      case AttemptOutcome::kSuccess:
        run.highest = std::max(run.highest, ++taliks);
        break;
      case AttemptOutcome::kItemDestroyed:
        ++run.items_destroyed;
        run.spent += plan.steps.item_cost;
        taliks = 0;
        break;
      case AttemptOutcome::kTaliksDestroyed:
        taliks = 0;
        break;
      case AttemptOutcome::kFailed:
        break;
    }
  }
  run.reached = taliks >= target;
  const std::int64_t shown = std::min<std::int64_t>(run.attempts, kept);
  for (std::int64_t i = run.attempts - shown; i < run.attempts; ++i)
    run.last.push_back(ring[static_cast<std::size_t>(i % static_cast<std::int64_t>(ring.size()))]);
  return run;
}

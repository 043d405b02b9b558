#include "results/views.h"

#include <algorithm>
#include <cmath>

#include "model/success_chance.h"

SetUpView MakeSetUpView(const ProbabilityTables& tables, const UpgradeRequest& request) {
  SetUpView view{};
  view.request = request;
  view.set_up = SetUpAttempt(tables, request);
  view.odds = AttemptOutcomeOdds(view.set_up);
  view.shown_percent = DisplayedPercent(view.set_up.chance);
  const std::int32_t attempts = request.attempt_count;
  for (int i = 0; i < kOutcomeCount; ++i) {
    view.outcome_share[i] = OutcomeProbability(view.odds, kAttemptOutcomes[i]);
    view.expected_outcomes[i] = attempts * view.outcome_share[i];
  }
  view.success_before_item_destroyed = SuccessBeforeItemDestroyed(view.odds, attempts);
  view.item_destroyed_within = ItemDestroyedWithin(view.odds, attempts);
  view.at_least_one_success = AtLeastOneSuccess(view.odds, attempts);
  view.expected_attempts_to_success = ExpectedAttemptsToSuccess(view.odds);
  return view;
}

TableView MakeTableView(const ProbabilityTables& tables, std::int32_t item_level,
                        const StoneTiers& stones) {
  TableView view{};
  view.item_level = item_level;
  view.stones = stones;
  view.stone_factor_sum = StoneFactorSum(stones);
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks) {
      const AttemptSetUp set_up = SetUpAttempt(tables, grade, taliks, item_level, stones);
      TableCell& cell = view.cells[grade][taliks];
      cell.chance = set_up.chance;
      cell.shown_percent = DisplayedPercent(set_up.chance);
      cell.odds = AttemptOutcomeOdds(set_up);
      cell.success_share = OutcomeProbability(cell.odds, AttemptOutcome::kSuccess);
    }
  }
  return view;
}

PlanView MakePlanView(const ProbabilityTables& tables, const PlanRequest& request) {
  PlanView view{};
  view.request = request;
  view.plan = MakePlan(tables, request);
  for (int t = 0; t < request.target; ++t) {
    view.set_ups[t] =
        SetUpAttempt(tables, request.item_grade, t, request.item_level, view.plan.stones[t]);
    view.success_share[t] = OutcomeProbability(view.plan.steps.odds[t], AttemptOutcome::kSuccess);
  }
  return view;
}

PlanView PricedPlanView(const ProbabilityTables& tables, const PlanRequest& request,
                        PlanView unpriced) {
  unpriced.plan = PricedPlan(tables, request, unpriced.plan);
  unpriced.request = request;
  return unpriced;
}

// Attempt counts from 1 to twice the 99 % mark, evenly on a logarithmic
// axis.
JourneyChart MakeJourneyChart(const PlanView& view, int start) {
  JourneyChart chart{};
  chart.start = std::clamp(start, 0, view.request.target - 1);
  const std::int64_t last = view.plan.journey.rows[chart.start].attempts_for[2];
  if (last == kNever) return chart;
  std::vector<std::int64_t> counts;
  const double top = std::log10(static_cast<double>(std::max<std::int64_t>(last, 10)) * 2.0);
  for (int i = 0; i <= 80; ++i) {
    const auto count = static_cast<std::int64_t>(std::llround(std::pow(10.0, top * i / 80)));
    if (counts.empty() || count > counts.back()) counts.push_back(count);
  }
  const std::vector<double> reached = ReachedWithinEach(view.plan.steps, chart.start, counts);
  for (std::size_t i = 0; i < counts.size(); ++i) chart.points.push_back({counts[i], reached[i]});
  return chart;
}

SimulationView MakeSimulationView(const ProbabilityTables& tables, const UpgradeRequest& request,
                                  const DrawSource& draw) {
  SimulationView view{};
  view.set_up = SetUpAttempt(tables, request);
  view.outcomes.reserve(static_cast<std::size_t>(request.attempt_count));
  RunAttemptSeries(request.attempt_count, view.set_up.chance, view.set_up.destroy_value,
                   view.set_up.downgrade_value, draw, [&view](AttemptOutcome outcome) {
                     view.outcomes.push_back(outcome);
                     ++view.counts[static_cast<int>(outcome)];
                   });
  return view;
}

GradeReach MakeGradeReach(const ProbabilityTables& tables, std::int32_t item_level,
                          const StoneTiers& stones, int target) {
  StonesPerStep each{};
  each.fill(stones);
  GradeReach reach{};
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    const JourneySteps steps = StepsWithStones(tables, grade, item_level, target, each, Prices{});
    reach[grade] = ReachBeforeDestroyed(steps)[0];
  }
  return reach;
}

// The results the front ends show, each computed once into a plain value:
// one set-up's odds, the table of every grade and talik count, the journey
// plan. The text, the CSV and the page's data are writers over these
// values and compute nothing of their own; a new figure is a new field here.
#ifndef UPGRADE_SIM_RESULTS_VIEWS_H_
#define UPGRADE_SIM_RESULTS_VIEWS_H_

#include <array>
#include <cstdint>
#include <vector>

#include "model/attempt_series.h"
#include "model/outcome_odds.h"
#include "model/plan.h"
#include "model/probability_tables.h"
#include "model/upgrade_request.h"

constexpr int kOutcomeCount = 4;  // in the order of kAttemptOutcomes

/// One set-up: its attempt, the odds of one attempt and of the series.
struct SetUpView {
  UpgradeRequest request;
  AttemptSetUp set_up;
  OutcomeOdds odds;
  std::int32_t shown_percent;                           // as the simulator prints it
  std::array<double, kOutcomeCount> outcome_share;      // one attempt, 0 to 1
  std::array<double, kOutcomeCount> expected_outcomes;  // over the attempts
  double success_before_item_destroyed;                 // over the attempts
  double item_destroyed_within;                         // over the attempts
  double at_least_one_success;                          // attempts after a loss counted too
  double expected_attempts_to_success;                  // 0 where no attempt can succeed
};

SetUpView MakeSetUpView(const ProbabilityTables& tables, const UpgradeRequest& request);

/// One cell of the table: a grade and a talik count.
struct TableCell {
  std::int32_t chance;
  std::int32_t shown_percent;
  OutcomeOdds odds;
  double success_share;
};

/// Every grade and talik count at one item level with one set of stones.
struct TableView {
  std::int32_t item_level;
  StoneTiers stones;
  float stone_factor_sum;
  std::array<std::array<TableCell, kUpgradeLevelCount>, kItemGradeCount> cells;
};

TableView MakeTableView(const ProbabilityTables& tables, std::int32_t item_level,
                        const StoneTiers& stones);

/// The journey plan: the request, the plan and each step's attempt.
struct PlanView {
  PlanRequest request;
  Plan plan;
  std::array<AttemptSetUp, kMaxTarget> set_ups;
  std::array<double, kMaxTarget> success_share;
};

PlanView MakePlanView(const ProbabilityTables& tables, const PlanRequest& request);

/// MakePlanView's view of a priced request from the view of the same request
/// without prices (see PricedPlan).
PlanView PricedPlanView(const ProbabilityTables& tables, const PlanRequest& request,
                        PlanView unpriced);

/// The chance of having reached the target with new items from one talik
/// count, against attempt counts on a logarithmic axis up to beyond the
/// 99 % mark; no points where the target may never be reached.
struct ChartPoint {
  std::int64_t attempts;
  double reached;
};
struct JourneyChart {
  int start;
  std::vector<ChartPoint> points;
};

JourneyChart MakeJourneyChart(const PlanView& view, int start);

/// A simulated series of one set-up's attempts, as the simulator runs it.
struct SimulationView {
  AttemptSetUp set_up;
  std::vector<AttemptOutcome> outcomes;            // in turn
  std::array<std::int64_t, kOutcomeCount> counts;  // of each, in the order of kAttemptOutcomes
};

SimulationView MakeSimulationView(const ProbabilityTables& tables, const UpgradeRequest& request,
                                  const DrawSource& draw);

/// For each grade, the chance to reach the target from 0 taliks before the
/// item is destroyed, with one set of stones at every step.
using GradeReach = std::array<double, kItemGradeCount>;

GradeReach MakeGradeReach(const ProbabilityTables& tables, std::int32_t item_level,
                          const StoneTiers& stones, int target);

#endif  // UPGRADE_SIM_RESULTS_VIEWS_H_

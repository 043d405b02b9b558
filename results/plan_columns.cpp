#include "results/plan_columns.h"

#include <algorithm>
#include <cmath>

#include "model/journey_budget.h"
#include "model/outcome_odds.h"
#include "model/success_chance.h"
#include "results/figures.h"

namespace {

const JourneyRow& Row(const PlanView& view, int t) { return view.plan.journey.rows[t]; }

PlanCell Taliks(const PlanView&, int t, int) { return {0.0, t}; }
PlanCell Stones(const PlanView&, int, int) { return {0.0, 0}; }
PlanCell FactorSum(const PlanView& view, int t, int) {
  return {view.set_ups[t].stone_factor_sum, 0};
}
PlanCell Chance(const PlanView& view, int t, int) { return {0.0, view.set_ups[t].chance}; }
PlanCell OutcomeShare(const PlanView& view, int t, int outcome) {
  const OutcomeOdds& odds = view.plan.steps.odds[t];
  return {OutcomeProbability(odds, kAttemptOutcomes[outcome]),
          static_cast<std::int64_t>(OutcomeCount(odds, kAttemptOutcomes[outcome]))};
}
PlanCell SuccessShare(const PlanView& view, int t, int) { return {view.success_share[t], 0}; }
PlanCell Reach(const PlanView& view, int t, int) { return {Row(view, t).reach_probability, 0}; }
PlanCell Attempts(const PlanView& view, int t, int) { return {Row(view, t).expected_attempts, 0}; }
PlanCell Renewed(const PlanView& view, int t, int) {
  return {Row(view, t).expected_attempts_with_new_items, 0};
}
PlanCell Losses(const PlanView& view, int t, int) {
  return {Row(view, t).expected_items_destroyed, 0};
}
PlanCell AttemptsFor(const PlanView& view, int t, int p) {
  return {0.0, Row(view, t).attempts_for[p]};
}
PlanCell Cost(const PlanView& view, int t, int) { return {Row(view, t).expected_cost, 0}; }
PlanCell ItemsFor(const PlanView& view, int t, int p) { return {0.0, Row(view, t).items_for[p]}; }
PlanCell BudgetFor(const PlanView& view, int t, int p) {
  return {Row(view, t).budget_for[p], 0, Row(view, t).budget_relative_error[p]};
}
PlanCell LargestError(const PlanView& view, int t, int) {
  return {LargestRelativeError(Row(view, t).budget_for, Row(view, t).budget_relative_error), 0};
}
PlanCell WithinBudget(const PlanView& view, int t, int) {
  return {Row(view, t).reach_within_budget, 0, 0.0, Row(view, t).reach_within_budget_exact};
}
PlanCell StonesUsed(const PlanView& view, int t, int tier) {
  return {view.plan.expected_stones[t][tier], 0};
}

using F = FigureKind;
using J = JourneyText;

}  // namespace

// CSV name, text heading, widths, page key, kind, per, shown, getter, index.
extern constexpr PlanColumn kPlanColumns[] = {
    {"talik_count", J::kTaliksHeading, 2, 2, "taliks", F::kTaliks, Per::kRow, Shown::kAll, Taliks,
     0},
    {"stones", J::kStonesHeading, 6, 0, "stones", F::kStones, Per::kRow, Shown::kAll, Stones, 0},
    {"stone_factor_sum", J::kCount, 0, 0, "", F::kStoneFactorSum, Per::kRow, Shown::kNone,
     FactorSum, 0},
    {"chance", J::kCount, 0, 0, "", F::kChance, Per::kRow, Shown::kNone, Chance, 0},
    {"success", J::kCount, 0, 0, "", F::kOutcomeShare, Per::kRow, Shown::kNone, OutcomeShare, 0},
    {"item_destroyed", J::kCount, 0, 0, "", F::kOutcomeShare, Per::kRow, Shown::kNone, OutcomeShare,
     1},
    {"taliks_destroyed", J::kCount, 0, 0, "", F::kOutcomeShare, Per::kRow, Shown::kNone,
     OutcomeShare, 2},
    {"failed", J::kCount, 0, 0, "", F::kOutcomeShare, Per::kRow, Shown::kNone, OutcomeShare, 3},
    // The success share again, as the text and the page show a percent.
    {"", J::kSuccessHeading, 8, 0, "success", F::kShare, Per::kRow, Shown::kAll, SuccessShare, 0},
    {"reach_probability", J::kReachHeading, 9, 0, "reach", F::kShare, Per::kRow, Shown::kAll, Reach,
     0},
    {"", J::kCount, 0, 0, "reach_percent", F::kPercent, Per::kRow, Shown::kNone, Reach, 0},
    {"expected_attempts", J::kAttemptsHeading, 9, 0, "attempts", F::kExpectation, Per::kRow,
     Shown::kAll, Attempts, 0},
    {"expected_attempts_with_new_items", J::kRenewedHeading, 10, 0, "attempts_with_new_items",
     F::kExpectation, Per::kRow, Shown::kAll, Renewed, 0},
    {"expected_items_destroyed", J::kLossesHeading, 9, 0, "items_destroyed", F::kExpectation,
     Per::kRow, Shown::kAll, Losses, 0},
    {"attempts_for_{1}", J::kAttemptsForHeading, 10, 0, "attempts_for", F::kCount, Per::kLevel,
     Shown::kAll, AttemptsFor, 0},
    {"expected_cost", J::kCostHeading, 12, 0, "cost", F::kCost, Per::kRow, Shown::kAll, Cost, 0},
    {"items_for_{1}", J::kItemsForHeading, 0, 20, "items_for", F::kCount, Per::kLevel,
     Shown::kShownLevel, ItemsFor, 0},
    {"budget_for_{1}", J::kBudgetForHeading, 0, 18, "budget_for", F::kBudget, Per::kLevel,
     Shown::kShownLevel, BudgetFor, 0},
    {"", J::kCount, 0, 0, "budget_rounded", F::kRounded, Per::kLevel, Shown::kNone, BudgetFor, 0},
    {"", J::kCount, 0, 0, "budget_relative_error", F::kRelativeError, Per::kLevel, Shown::kNone,
     BudgetFor, 0},
    {"", J::kWithinBudgetHeading, 0, 17, "reach_within_budget", F::kWithinBudget, Per::kRow,
     Shown::kAll, WithinBudget, 0},
    {"", J::kCount, 0, 0, "reach_within_budget_exact", F::kWithinBudgetExact, Per::kRow,
     Shown::kNone, WithinBudget, 0},
    {"expected_stones_t{1}", J::kCount, 0, 0, "expected_stones", F::kExpectation, Per::kTier,
     Shown::kAll, StonesUsed, 0},
    {"budget_rel_error", J::kCount, 0, 0, "", F::kLargestError, Per::kRow, Shown::kNone,
     LargestError, 0},
    {"reach_within_budget", J::kCount, 0, 0, "", F::kWithinBudget, Per::kRow, Shown::kNone,
     WithinBudget, 0},
};
static_assert(sizeof kPlanColumns / sizeof kPlanColumns[0] == kPlanColumnCount,
              "kPlanColumnCount counts the rows");

std::string PercentileLabel(int percentile) {
  // In tenths of a percent: 50, 90, 99, or 99.9.
  const auto tenths = static_cast<std::int64_t>(std::llround(kPercentileLevels[percentile] * 1000));
  const std::string whole = std::to_string(tenths / 10);
  return tenths % 10 == 0 ? whole : whole + "." + std::to_string(tenths % 10);
}

ShownRounding RoundingOfShown(const PlanView& view) {
  double largest = 0.0;
  for (int t = 0; view.request.prices.has_value() && t < view.request.target; ++t) {
    const JourneyRow& row = Row(view, t);
    if (std::isfinite(row.budget_for[kShownPercentile]))
      largest = std::max(largest, row.budget_relative_error[kShownPercentile]);
  }
  const Rounding rounding = largest == 0.0                    ? Rounding::kNone
                            : largest <= kBudgetRelativeError ? Rounding::kSlight
                            : std::isfinite(largest)          ? Rounding::kAtMost
                                                              : Rounding::kUnbounded;
  return {rounding, largest};
}

bool HasFigures(const PlanColumn& column, const PlanRequest& request) {
  if (BudgetOnly(column.kind)) return request.prices.has_value() && request.budget.has_value();
  return !PricedOnly(column.kind) || request.prices.has_value();
}

int FigureCount(const PlanColumn& column) {
  switch (column.per) {
    case Per::kLevel:
      return kPercentileCount;
    case Per::kTier:
      return kStoneTierCount - 1;
    case Per::kRow:
      break;
  }
  return 1;
}

PlanCell CellOf(const PlanColumn& column, const PlanView& view, int t, int index) {
  switch (column.per) {
    case Per::kLevel:
      return column.get(view, t, index);
    case Per::kTier:
      return column.get(view, t, index + 1);
    case Per::kRow:
      break;
  }
  return column.get(view, t, column.index);
}

// The journey plan's columns, in the order the CSV writes them: each with
// its CSV name, its heading and width in the text report, its key in the
// page's data and how its figure is read from the view. The text, the CSV
// and the page's data iterate this one list; a new journey figure is a new
// field of JourneyRow and a new row here.
#ifndef UPGRADE_SIM_RESULTS_PLAN_COLUMNS_H_
#define UPGRADE_SIM_RESULTS_PLAN_COLUMNS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/journey.h"
#include "results/texts.h"
#include "results/views.h"

/// The level of the journey's figures the text report and the page's
/// answer show of the three: 90 %.
constexpr int kShownPercentile = 1;

/// A percentile level as the headings name it: "50", "90", "99".
std::string PercentileLabel(int percentile);

/// How a column's figure is written.
enum class FigureKind {
  kTaliks,             // the row's talik count
  kStones,             // the step's stone digits
  kStoneFactorSum,     // the stones' factor sum
  kChance,             // the step's chance per 100000
  kOutcomeShare,       // one outcome of one attempt: exact in the CSV
  kShare,              // a probability, 0 to 1
  kExpectation,        // an expected count; +infinity where it never ends
  kCount,              // a whole count; kNever where none suffices
  kCost,               // an expected cost, priced plans only
  kBudget,             // a whole budget, priced plans only; rounded up where not exact
  kRounded,            // whether the budget is rounded, on the page alone
  kRelativeError,      // the bound on the budget's relative error, on the page alone
  kLargestError,       // the largest of a row's budgets' relative errors
  kWithinBudget,       // the chance to reach the target within the player's budget
  kWithinBudgetExact,  // whether that chance is exact (else a lower bound)
  kPercent,            // a probability as the page's percent, on the page alone
};

/// Costs and budgets mean something in priced plans only, the chance within
/// a budget where one is given.
constexpr bool PricedOnly(FigureKind kind) {
  return kind == FigureKind::kCost || kind == FigureKind::kBudget || kind == FigureKind::kRounded ||
         kind == FigureKind::kRelativeError || kind == FigureKind::kLargestError ||
         kind == FigureKind::kWithinBudget || kind == FigureKind::kWithinBudgetExact;
}
constexpr bool BudgetOnly(FigureKind kind) {
  return kind == FigureKind::kWithinBudget || kind == FigureKind::kWithinBudgetExact;
}

/// What a column has one figure of per row: one, each percentile level, or
/// each stone tier 1 to 6.
enum class Per { kRow, kLevel, kTier };

/// Which of a per-level column's figures the page shows (the data hold
/// them all; the text shows the kShownPercentile one).
enum class Shown { kNone, kAll, kShownLevel };

struct PlanCell {
  double value;
  std::int64_t count;
  double relative_error = 0.0;  // of a budget; 0 where exact
  bool exact = true;            // a chance within the budget; else a lower bound
};

struct PlanColumn {
  std::string_view csv;       // its name in the CSV header; "{1}" the level or tier
  JourneyText heading;        // in the text report, "{1}" the level; kCount: none
  std::size_t width;          // in the text report's journey table; 0: not there
  std::size_t stock_width;    // in the text's second block; 0: not there
  std::string_view page_key;  // in the page's data; empty: not there
  FigureKind kind;
  Per per;
  Shown shown;  // on the page
  /// The figure of row t; index is the level, tier or outcome.
  PlanCell (*get)(const PlanView& view, int t, int index);
  int index;  // the outcome of a kOutcomeShare column
};

constexpr std::size_t kPlanColumnCount = 25;
extern const PlanColumn kPlanColumns[kPlanColumnCount];

/// The page's journey table: its columns by page key, in its order (its
/// heading the page's word "column_" and the key). A per-level column shows
/// the levels its Shown names.
constexpr std::string_view kPageJourneyColumns[] = {
    "taliks",          "stones",       "success",
    "reach",           "attempts",     "attempts_with_new_items",
    "items_destroyed", "attempts_for", "items_for",
    "budget_for",      "cost"};

/// How far above the exact budgets the rounded ones a plan shows (its
/// kShownPercentile level's) may be, as their legend tells it: none is
/// rounded, each is within kBudgetRelativeError, each within the largest
/// bound, or some has no bound.
enum class Rounding { kNone, kSlight, kAtMost, kUnbounded };
struct ShownRounding {
  Rounding rounding;
  double largest;  // the largest bound on (shown - true) / true
};
ShownRounding RoundingOfShown(const PlanView& view);

/// Whether a plan has the column's figures: prices for costs and budgets,
/// the player's budget for the chance within it.
bool HasFigures(const PlanColumn& column, const PlanRequest& request);

/// How many figures the column has per row: 1, kPercentileCount or 6.
int FigureCount(const PlanColumn& column);

/// Its figure for row t, in the order of FigureCount; index 0 for kRow.
PlanCell CellOf(const PlanColumn& column, const PlanView& view, int t, int index);

#endif  // UPGRADE_SIM_RESULTS_PLAN_COLUMNS_H_

#include "results/csv_writer.h"

#include <cmath>

#include "results/figures.h"
#include "results/plan_columns.h"
#include "results/texts.h"

namespace {

constexpr const char* kSetUpCsvHeader =
    "attempts,item_grade,item_level,talik_count,stone_factor_sum,chance,shown_percent,success,"
    "item_destroyed,taliks_destroyed,failed,at_least_one_success,expected_successes,"
    "expected_items_destroyed,expected_taliks_destroyed,expected_failures,"
    "success_before_item_destroyed,item_destroyed_within_attempts\n";

constexpr const char* kTableCsvHeader =
    "item_grade,talik_count,chance,shown_percent,success,item_destroyed,taliks_destroyed,failed\n";

std::string Count(std::int64_t attempts) {
  return attempts == kNever ? std::string() : std::to_string(attempts);
}

}  // namespace

std::string SetUpCsv(const SetUpView& view) {
  const UpgradeRequest& request = view.request;
  std::string row = std::to_string(request.attempt_count) + "," +
                    std::to_string(request.item_grade) + "," + std::to_string(request.item_level) +
                    "," + std::to_string(request.talik_count) + "," +
                    StoneSumText(view.set_up.stone_factor_sum) + "," +
                    std::to_string(view.set_up.chance) + "," + std::to_string(view.shown_percent);
  row += OutcomeFractions(view.odds);
  row += "," + Decimal(view.at_least_one_success, 17);
  for (const double expected : view.expected_outcomes) row += "," + Decimal(expected, 15);
  row += "," + Decimal(view.success_before_item_destroyed, 17);
  row += "," + Decimal(view.item_destroyed_within, 17);
  return kSetUpCsvHeader + row + "\n";
}

std::string TableCsv(const TableView& view) {
  std::string text = kTableCsvHeader;
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks) {
      const TableCell& cell = view.cells[grade][taliks];
      text += std::to_string(grade) + "," + std::to_string(taliks) + "," +
              std::to_string(cell.chance) + "," + std::to_string(cell.shown_percent) +
              OutcomeFractions(cell.odds) + "\n";
    }
  }
  return text;
}

namespace {

// The header names of the plan's columns, each level or tier spelled out.
std::string PlanCsvHeader() {
  std::string header;
  for (const PlanColumn& column : kPlanColumns) {
    if (column.csv.empty()) continue;
    for (int i = 0; i < FigureCount(column); ++i) {
      const std::string which = column.per == Per::kLevel  ? PercentileLabel(i)
                                : column.per == Per::kTier ? std::to_string(i + 1)
                                                           : std::string();
      header += (header.empty() ? "" : ",") + Fill(column.csv, {which});
    }
  }
  return header + "\n";
}

std::string PlanCsvField(const PlanColumn& column, const PlanView& view, int t, int index) {
  const bool priced = view.request.prices.has_value();
  const PlanCell cell = CellOf(column, view, t, index);
  switch (column.kind) {
    case FigureKind::kTaliks:
    case FigureKind::kChance:
      return std::to_string(cell.count);
    case FigureKind::kStones:
      return StoneDigits(view.plan.stones[t]);
    case FigureKind::kStoneFactorSum:
      return StoneSumText(static_cast<float>(cell.value));
    case FigureKind::kOutcomeShare:
      return ExactFraction(static_cast<std::uint64_t>(cell.count));
    case FigureKind::kCount:
      return Count(cell.count);
    case FigureKind::kCost:
      return priced ? CsvFigure(cell.value) : std::string();
    case FigureKind::kBudget:
      return priced && std::isfinite(cell.value) ? WholeDigits(cell.value) : std::string();
    case FigureKind::kLargestError:
      return priced ? CsvFigure(cell.value) : std::string();
    case FigureKind::kWithinBudget:
      return priced && view.request.budget ? CsvFigure(cell.value) : std::string();
    case FigureKind::kRounded:
    case FigureKind::kRelativeError:
    case FigureKind::kWithinBudgetExact:
    case FigureKind::kShare:
    case FigureKind::kExpectation:
    case FigureKind::kPercent:
      break;
  }
  return CsvFigure(cell.value);
}

}  // namespace

std::string PlanCsv(const PlanView& view) {
  std::string text = PlanCsvHeader();
  for (int t = 0; t < view.request.target; ++t) {
    std::string line;
    for (const PlanColumn& column : kPlanColumns) {
      if (column.csv.empty()) continue;
      for (int i = 0; i < FigureCount(column); ++i)
        line += (line.empty() ? "" : ",") + PlanCsvField(column, view, t, i);
    }
    text += line + "\n";
  }
  return text;
}

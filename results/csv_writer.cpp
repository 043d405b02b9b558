#include "results/csv_writer.h"

#include <cmath>

#include "results/figures.h"

namespace {

constexpr const char* kSetUpCsvHeader =
    "attempts,item_grade,item_level,talik_count,stone_factor_sum,chance,shown_percent,success,"
    "item_destroyed,taliks_destroyed,failed,at_least_one_success,expected_successes,"
    "expected_items_destroyed,expected_taliks_destroyed,expected_failures,"
    "success_before_item_destroyed,item_destroyed_within_attempts\n";

constexpr const char* kTableCsvHeader =
    "item_grade,talik_count,chance,shown_percent,success,item_destroyed,taliks_destroyed,failed\n";

constexpr const char* kPlanCsvHeader =
    "talik_count,stones,stone_factor_sum,chance,success,item_destroyed,taliks_destroyed,failed,"
    "reach_probability,expected_attempts,expected_attempts_with_new_items,"
    "expected_items_destroyed,attempts_for_50,attempts_for_90,attempts_for_99,expected_cost,"
    "items_for_50,items_for_90,items_for_99,budget_for_50,budget_for_90,budget_for_99,"
    "expected_stones_t1,expected_stones_t2,expected_stones_t3,expected_stones_t4,"
    "expected_stones_t5,expected_stones_t6,budget_rel_error,reach_within_budget\n";

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

std::string PlanCsv(const PlanView& view) {
  const PlanRequest& request = view.request;
  std::string text = kPlanCsvHeader;
  for (int t = 0; t < request.target; ++t) {
    const AttemptSetUp& set_up = view.set_ups[t];
    const JourneyRow& row = view.plan.journey.rows[t];
    text += std::to_string(t) + "," + StoneDigits(view.plan.stones[t]) + "," +
            StoneSumText(set_up.stone_factor_sum) + "," + std::to_string(set_up.chance) +
            OutcomeFractions(view.plan.steps.odds[t]);
    text += "," + CsvFigure(row.reach_probability) + "," + CsvFigure(row.expected_attempts) + "," +
            CsvFigure(row.expected_attempts_with_new_items) + "," +
            CsvFigure(row.expected_items_destroyed);
    for (const std::int64_t attempts : row.attempts_for) text += "," + Count(attempts);
    text += "," + (request.prices ? CsvFigure(row.expected_cost) : std::string());
    for (const std::int64_t items : row.items_for) text += "," + Count(items);
    for (const double budget : row.budget_for) {
      text += "," +
              (request.prices && std::isfinite(budget) ? FixedDecimals(budget, 0) : std::string());
    }
    for (int tier = 1; tier < kStoneTierCount; ++tier)
      text += "," + CsvFigure(view.plan.expected_stones[t][tier]);
    text += "," + (request.prices
                       ? CsvFigure(LargestRelativeError(row.budget_for, row.budget_relative_error))
                       : std::string());
    text += "," +
            (request.prices && request.budget ? CsvFigure(row.reach_within_budget) : std::string());
    text += "\n";
  }
  return text;
}

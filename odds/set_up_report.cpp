#include "odds/set_up_report.h"

#include "model/attempt_series.h"
#include "model/outcome_odds.h"
#include "odds/report_text.h"

namespace {

constexpr const char* kSetUpCsvHeader =
    "attempts,item_grade,item_level,talik_count,stone_factor_sum,chance,shown_percent,success,"
    "item_destroyed,taliks_destroyed,failed,at_least_one_success,expected_successes,"
    "expected_items_destroyed,expected_taliks_destroyed,expected_failures,"
    "success_before_item_destroyed,item_destroyed_within_attempts\n";
constexpr const char* kTableCsvHeader =
    "item_grade,talik_count,chance,shown_percent,success,item_destroyed,taliks_destroyed,failed\n";

// A set-up's attempt and the odds of its outcomes.
struct Cell {
  std::int32_t chance;
  OutcomeOdds odds;
};

Cell OddsOfCell(const ProbabilityTables& tables, int grade, int taliks, int level,
                const StoneTiers& stones) {
  const AttemptSetUp set_up = SetUpAttempt(tables, grade, taliks, level, stones);
  return {set_up.chance, AttemptOutcomeOdds(set_up)};
}

Cell OddsOfCell(const ProbabilityTables& tables, const UpgradeRequest& request) {
  return OddsOfCell(tables, request.item_grade, request.talik_count, request.item_level,
                    request.stone_tiers);
}

// A named figure of the report, its name and number in their columns.
std::string ReportLine(std::string_view name, double value, std::string_view unit) {
  return "  " + PadRight(std::string(name), 30) + PadLeft(FixedDecimals(value, 4), 9) +
         std::string(unit) + "\n";
}

}  // namespace

std::string SetUpReport(const ProbabilityTables& tables, const UpgradeRequest& request) {
  const Cell cell = OddsOfCell(tables, request);
  const float stone_sum = StoneFactorSum(request.stone_tiers);
  std::string text = ChanceLine(cell.chance);
  text += "Шанс успеха на 100000: " + std::to_string(cell.chance) + "\n";
  text += "Сумма множителей камней: " + StoneSumText(stone_sum) + "\n\nОдна попытка:\n";
  for (const AttemptOutcome outcome : kAttemptOutcomes) {
    text += ReportLine(AttemptOutcomeLabel(outcome), 100.0 * OutcomeProbability(cell.odds, outcome),
                       " %");
  }
  const std::int32_t attempts = request.attempt_count;
  text += "\nЧисло попыток: " + std::to_string(attempts) + "\n";
  text += ReportLine("Успех раньше потери предмета",
                     100.0 * SuccessBeforeItemDestroyed(cell.odds, attempts), " %");
  text += ReportLine("Предмет уничтожен", 100.0 * ItemDestroyedWithin(cell.odds, attempts), " %");
  text += ReportLine("Хотя бы один успех*", 100.0 * AtLeastOneSuccess(cell.odds, attempts), " %");
  text += "  * считая и попытки после уничтожения предмета, как в симуляции\n";
  text += "  В среднем исходов:\n";
  for (const AttemptOutcome outcome : kAttemptOutcomes) {
    const double expected = request.attempt_count * OutcomeProbability(cell.odds, outcome);
    text += ReportLine(AttemptOutcomeLabel(outcome), expected, "");
  }
  const double to_success = ExpectedAttemptsToSuccess(cell.odds);
  text += "\nВ среднем попыток до первого успеха: ";
  text += to_success > 0.0 ? FixedDecimals(to_success, 2) + "\n" : "успех невозможен\n";
  return text;
}

std::string SetUpCsv(const ProbabilityTables& tables, const UpgradeRequest& request) {
  const Cell cell = OddsOfCell(tables, request);
  const float stone_sum = StoneFactorSum(request.stone_tiers);
  std::string row = std::to_string(request.attempt_count) + "," +
                    std::to_string(request.item_grade) + "," + std::to_string(request.item_level) +
                    "," + std::to_string(request.talik_count) + "," + StoneSumText(stone_sum) +
                    "," + std::to_string(cell.chance) + "," +
                    std::to_string(DisplayedPercent(cell.chance));
  row += OutcomeFractions(cell.odds);
  row += "," + Decimal(AtLeastOneSuccess(cell.odds, request.attempt_count), 17);
  for (const AttemptOutcome outcome : kAttemptOutcomes)
    row += "," + Decimal(request.attempt_count * OutcomeProbability(cell.odds, outcome), 15);
  row += "," + Decimal(SuccessBeforeItemDestroyed(cell.odds, request.attempt_count), 17);
  row += "," + Decimal(ItemDestroyedWithin(cell.odds, request.attempt_count), 17);
  return kSetUpCsvHeader + row + "\n";
}

std::string TableCellText(const ProbabilityTables& tables, const UpgradeRequest& request, int grade,
                          int taliks) {
  const Cell cell = OddsOfCell(tables, grade, taliks, request.item_level, request.stone_tiers);
  return FixedDecimals(100.0 * OutcomeProbability(cell.odds, AttemptOutcome::kSuccess), 2);
}

std::string TableReport(const ProbabilityTables& tables, const UpgradeRequest& request) {
  const float stone_sum = StoneFactorSum(request.stone_tiers);
  constexpr std::size_t kNameWidth = 19;
  std::string text = "Шанс успеха одной попытки, %: уровень " + std::to_string(request.item_level) +
                     ", сумма множителей камней " + StoneSumText(stone_sum) + "\n";
  text += PadRight(" Тип \\ талики", kNameWidth);
  for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks)
    text += PadLeft(std::to_string(taliks), 8);
  text += "\n";
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    text += PadRight(" " + std::to_string(grade) + ":" + kItemGradeNames[grade], kNameWidth);
    for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks) {
      text += PadLeft(TableCellText(tables, request, grade, taliks), 8);
    }
    text += "\n";
  }
  return text;
}

std::string TableCsv(const ProbabilityTables& tables, const UpgradeRequest& request) {
  std::string text = kTableCsvHeader;
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks) {
      const Cell cell = OddsOfCell(tables, grade, taliks, request.item_level, request.stone_tiers);
      text += std::to_string(grade) + "," + std::to_string(taliks) + "," +
              std::to_string(cell.chance) + "," + std::to_string(DisplayedPercent(cell.chance));
      text += OutcomeFractions(cell.odds) + "\n";
    }
  }
  return text;
}

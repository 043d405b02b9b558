#include "results/text_writer.h"

#include <algorithm>
#include <cmath>

#include "model/success_chance.h"
#include "results/figures.h"

namespace {

// A named figure of the report, its name and number in their columns.
std::string ReportLine(std::string_view name, double value, std::string_view unit) {
  return "  " + PadRight(std::string(name), 30) + PadLeft(FixedDecimals(value, 4), 9) +
         std::string(unit) + "\n";
}

std::string PriceText(double price) { return std::to_string(static_cast<std::int64_t>(price)); }

std::string StonesLine(const StonesPerStep& stones, int target) {
  const auto first = stones.begin();
  const bool same =
      std::all_of(first, first + target, [&stones](const StoneTiers& s) { return s == stones[0]; });
  if (same) return "Камни на каждом шаге: " + StoneLabels(stones[0]) + "\n";
  std::string text = "Камни по шагам от 0 талик:";
  for (int t = 0; t < target; ++t)
    text += std::string(t == 0 ? " " : ", ") + StoneDigits(stones[t]);
  return text + "\n";
}

std::string PlanHeading(const PlanRequest& request) {
  std::string text = "Путь к " + std::to_string(request.target) + " таликам: тип " +
                     std::to_string(request.item_grade) + " (" +
                     kItemGradeNames[request.item_grade] + "), уровень " +
                     std::to_string(request.item_level) + "\n";
  if (request.stones) text += StonesLine(*request.stones, request.target);
  if (!request.prices) return text;
  const Prices& prices = *request.prices;
  text += "Цены камней:";
  for (int tier = 1; tier < kStoneTierCount; ++tier) {
    text += " Т" + std::to_string(tier) + " " + PriceText(prices.stone[tier]) +
            (tier + 1 < kStoneTierCount ? "," : "\n");
  }
  text += "Цена попытки " + PriceText(prices.attempt) + ", нового предмета " +
          PriceText(prices.item) + (request.stones ? "\n" : "; камни выбраны самые выгодные\n");
  return text;
}

// The budget's texts, in one place.
constexpr const char* kWithinBudgetHeading = "Шанс в бюджете*";
constexpr const char* kWithinBudgetLegend =
    "Шанс в бюджете - шанс дойти до цели, потратив не больше ";
constexpr const char* kRoundedLegend =
    " - бюджет округлён вверх до известных цифр: его хватит, он лишь немного больше точного\n";
constexpr const char* kAtLeastLegend = " - не меньше этого\n";

// The chance within the player's budget: a percent, marked where it is a
// lower bound.
std::string WithinBudgetText(const JourneyRow& row) {
  const std::string figure = PercentFigure(row.reach_within_budget);
  return row.reach_within_budget_exact ? figure : std::string(kAtLeastMark) + figure;
}

constexpr int kPlanColumns = 9;
constexpr std::size_t kPlanWidths[kPlanColumns] = {2, 6, 8, 9, 9, 10, 9, 10, 12};

std::string PlanLine(const std::string (&cells)[kPlanColumns]) {
  std::string line;
  for (int i = 0; i < kPlanColumns; ++i) line += PadLeft(cells[i], kPlanWidths[i]);
  line.erase(line.find_last_not_of(' ') + 1);  // an empty last column
  return line + "\n";
}

}  // namespace

std::string SetUpText(const SetUpView& view) {
  std::string text = ChanceLine(view.set_up.chance);
  text += "Шанс успеха на 100000: " + std::to_string(view.set_up.chance) + "\n";
  text += "Сумма множителей камней: " + StoneSumText(view.set_up.stone_factor_sum) +
          "\n\nОдна попытка:\n";
  for (int i = 0; i < kOutcomeCount; ++i) {
    text +=
        ReportLine(AttemptOutcomeLabel(kAttemptOutcomes[i]), 100.0 * view.outcome_share[i], " %");
  }
  text += "\nЧисло попыток: " + std::to_string(view.request.attempt_count) + "\n";
  text +=
      ReportLine("Успех раньше потери предмета", 100.0 * view.success_before_item_destroyed, " %");
  text += ReportLine("Предмет уничтожен", 100.0 * view.item_destroyed_within, " %");
  text += ReportLine("Хотя бы один успех*", 100.0 * view.at_least_one_success, " %");
  text += "  * считая и попытки после уничтожения предмета, как в симуляции\n";
  text += "  В среднем исходов:\n";
  for (int i = 0; i < kOutcomeCount; ++i) {
    text += ReportLine(AttemptOutcomeLabel(kAttemptOutcomes[i]), view.expected_outcomes[i], "");
  }
  text += "\nВ среднем попыток до первого успеха: ";
  text += view.expected_attempts_to_success > 0.0
              ? FixedDecimals(view.expected_attempts_to_success, 2) + "\n"
              : "успех невозможен\n";
  return text;
}

std::string TableText(const TableView& view) {
  constexpr std::size_t kNameWidth = 19;
  std::string text = "Шанс успеха одной попытки, %: уровень " + std::to_string(view.item_level) +
                     ", сумма множителей камней " + StoneSumText(view.stone_factor_sum) + "\n";
  text += PadRight(" Тип \\ талики", kNameWidth);
  for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks)
    text += PadLeft(std::to_string(taliks), 8);
  text += "\n";
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    text += PadRight(" " + std::to_string(grade) + ":" + kItemGradeNames[grade], kNameWidth);
    for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks)
      text += PadLeft(TableCellText(view.cells[grade][taliks].success_share), 8);
    text += "\n";
  }
  return text;
}

std::string PlanText(const PlanView& view) {
  const PlanRequest& request = view.request;
  const bool priced = request.prices.has_value();
  std::string text = PlanHeading(request) + "\n";
  text += PlanLine({"Т", "Камни", "Успех %", "Дойти %", "Попыток", "Попыток*", "Потерь*",
                    "Для 90%*", priced ? "Цена*" : ""});
  for (int t = 0; t < request.target; ++t) {
    const JourneyRow& row = view.plan.journey.rows[t];
    text += PlanLine(
        {std::to_string(t), StoneDigits(view.plan.stones[t]), PercentFigure(view.success_share[t]),
         PercentFigure(row.reach_probability), FigureText(row.expected_attempts),
         FigureText(row.expected_attempts_with_new_items), FigureText(row.expected_items_destroyed),
         AttemptsText(row.attempts_for[1]), priced ? FigureText(row.expected_cost) : ""});
  }
  // The figures a player stocks up by: a second block.
  const bool with_budget = priced && request.budget.has_value();
  text += "\n" + PadLeft("Т", 2) + PadLeft("Предметов для 90%*", 20) +
          (priced ? PadLeft("Бюджет для 90%*", 18) : "") +
          (with_budget ? PadLeft(kWithinBudgetHeading, 17) : "") + "\n";
  bool rounded = false, at_least = false;
  for (int t = 0; t < request.target; ++t) {
    const JourneyRow& row = view.plan.journey.rows[t];
    rounded = rounded ||
              (priced && std::isfinite(row.budget_for[1]) && row.budget_relative_error[1] > 0.0);
    at_least = at_least || (with_budget && !row.reach_within_budget_exact);
    text +=
        PadLeft(std::to_string(t), 2) + PadLeft(AttemptsText(row.items_for[1]), 20) +
        (priced ? PadLeft(BudgetText(row.budget_for[1], row.budget_relative_error[1]), 18) : "") +
        (with_budget ? PadLeft(WithinBudgetText(row), 17) : "") + "\n";
  }
  text += "\nКамни в запас на путь от 0 талик, в среднем*:";
  std::string stock;
  for (int tier = 1; tier < kStoneTierCount; ++tier) {
    const double count = view.plan.expected_stones[0][tier];
    if (count != 0.0)
      stock += (stock.empty() ? " Т" : ", Т") + std::to_string(tier) + " " + FigureText(count);
  }
  text += (stock.empty() ? " без камней" : stock) + "\n";
  text +=
      "\n"
      "Т        число талик в начале пути; камни - типы четырёх камней (6630: Т6 Т6 Т3\n"
      "         и без камня)\n"
      "Успех %  шанс успеха одной попытки\n"
      "Дойти %  шанс дойти до цели раньше, чем предмет будет уничтожен\n"
      "Попыток  в среднем попыток, пока предмет не дойдёт до цели или не погибнет\n"
      "*        с новыми предметами: уничтоженный предмет заменяется новым с 0 талик,\n"
      "         и путь идёт до цели; Потерь - в среднем уничтоженных предметов,\n"
      "         Для 90% - столько попыток хватит с вероятностью 90 %";
  text += priced ? ",\n         Цена - в среднем потрачено до цели\n" : "\n";
  text += "Предметов для 90% - столько уничтоженных предметов хватит с вероятностью 90 %\n";
  if (priced) text += "Бюджет для 90% - столько денег хватит с вероятностью 90 %\n";
  if (rounded) text += std::string(kRoundedMark) + kRoundedLegend;
  if (with_budget) {
    text += kWithinBudgetLegend + PriceText(*request.budget) + ", с новыми предметами\n";
    if (at_least) text += std::string(kAtLeastMark) + kAtLeastLegend;
  }
  return text;
}

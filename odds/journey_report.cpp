#include "odds/journey_report.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "model/outcome_odds.h"
#include "odds/report_text.h"

namespace {

constexpr const char* kPlanCsvHeader =
    "talik_count,stones,stone_factor_sum,chance,success,item_destroyed,taliks_destroyed,failed,"
    "reach_probability,expected_attempts,expected_attempts_with_new_items,"
    "expected_items_destroyed,attempts_for_50,attempts_for_90,attempts_for_99,expected_cost\n";

constexpr const char* kNeverText = "никогда";

// The four tiers as digits, the highest first: 6630.
std::string StoneDigits(StoneTiers stones) {
  std::sort(stones.begin(), stones.end(), std::greater<>());
  std::string digits;
  for (const std::int32_t tier : stones) digits += static_cast<char>('0' + tier);
  return digits;
}

std::string StoneLabels(const StoneTiers& stones) {
  std::string labels;
  for (const std::int32_t tier : stones) {
    if (!labels.empty()) labels += " ";
    labels += tier == 0 ? std::string("без камня") : "Т" + std::to_string(tier);
  }
  return labels;
}

std::string PriceText(double price) { return std::to_string(static_cast<std::int64_t>(price)); }

std::string Heading(const PlanRequest& request) {
  std::string text = "Путь к " + std::to_string(request.target) + " таликам: тип " +
                     std::to_string(request.item_grade) + " (" +
                     kItemGradeNames[request.item_grade] + "), уровень " +
                     std::to_string(request.item_level) + "\n";
  if (!request.by_price)
    return text + "Камни на каждом шаге: " + StoneLabels(request.stones) + "\n";
  text += "Цены камней:";
  for (int tier = 1; tier < kStoneTierCount; ++tier) {
    text += " Т" + std::to_string(tier) + " " + PriceText(request.prices.stone[tier]) +
            (tier + 1 < kStoneTierCount ? "," : "\n");
  }
  text += "Цена попытки " + PriceText(request.prices.attempt) + ", нового предмета " +
          PriceText(request.prices.item) + "; камни выбраны самые выгодные\n";
  return text;
}

// A figure of a narrow column; an infinite one never comes.
std::string Figure(double value) { return std::isfinite(value) ? Compact(value) : kNeverText; }

std::string AttemptsText(std::int64_t attempts) {
  if (attempts == kNever) return kNeverText;
  if (attempts < 1000000) return std::to_string(attempts);
  return Compact(static_cast<double>(attempts));
}

constexpr std::size_t kWidths[] = {2, 6, 8, 9, 9, 10, 9, 10, 12};

std::string Row(const std::string (&cells)[9]) {
  std::string line;
  for (int i = 0; i < 9; ++i) line += PadLeft(cells[i], kWidths[i]);
  line.erase(line.find_last_not_of(' ') + 1);  // an empty last column
  return line + "\n";
}

// A field that is empty where the value is infinite or "never".
std::string CsvField(double value) { return std::isfinite(value) ? Decimal(value, 17) : ""; }

}  // namespace

Plan MakePlan(const ProbabilityTables& tables, const PlanRequest& request) {
  Plan plan{};
  if (request.by_price) {
    plan.stones = CheapestStones(tables, request.item_grade, request.item_level, request.target,
                                 request.prices);
  } else {
    plan.stones.fill(request.stones);
  }
  plan.steps = StepsWithStones(tables, request.item_grade, request.item_level, request.target,
                               plan.stones, request.prices);
  plan.journey = PlanJourney(plan.steps);
  return plan;
}

std::string PlanReport(const PlanRequest& request, const Plan& plan) {
  std::string text = Heading(request) + "\n";
  text += Row({"Т", "Камни", "Успех %", "Дойти %", "Попыток", "Попыток*", "Потерь*", "Для 90%*",
               request.by_price ? "Цена*" : ""});
  for (int t = 0; t < request.target; ++t) {
    const JourneyRow& row = plan.journey.rows[t];
    const double success = OutcomeProbability(plan.steps.odds[t], AttemptOutcome::kSuccess);
    text +=
        Row({std::to_string(t), StoneDigits(plan.stones[t]), Compact(100 * success),
             Compact(100 * row.reach_probability), Figure(row.expected_attempts),
             Figure(row.expected_attempts_with_new_items), Figure(row.expected_items_destroyed),
             AttemptsText(row.attempts_for[1]), request.by_price ? Figure(row.expected_cost) : ""});
  }
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
  text += request.by_price ? ",\n         Цена - в среднем потрачено до цели\n" : "\n";
  return text;
}

std::string PlanCsv(const ProbabilityTables& tables, const PlanRequest& request, const Plan& plan) {
  std::string text = kPlanCsvHeader;
  for (int t = 0; t < request.target; ++t) {
    const AttemptSetUp set_up =
        SetUpAttempt(tables, request.item_grade, t, request.item_level, plan.stones[t]);
    const JourneyRow& row = plan.journey.rows[t];
    text += std::to_string(t) + "," + StoneDigits(plan.stones[t]) + "," +
            StoneSumText(set_up.stone_factor_sum) + "," + std::to_string(set_up.chance) +
            OutcomeFractions(plan.steps.odds[t]);
    text += "," + CsvField(row.reach_probability) + "," + CsvField(row.expected_attempts) + "," +
            CsvField(row.expected_attempts_with_new_items) + "," +
            CsvField(row.expected_items_destroyed);
    for (const std::int64_t attempts : row.attempts_for)
      text += "," + (attempts == kNever ? std::string() : std::to_string(attempts));
    text += "," + (request.by_price ? CsvField(row.expected_cost) : std::string()) + "\n";
  }
  return text;
}

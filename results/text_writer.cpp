#include "results/text_writer.h"

#include <algorithm>
#include <array>

#include "model/success_chance.h"
#include "results/figures.h"
#include "results/plan_columns.h"

namespace {

// A named figure of the report, its name and number in their columns.
std::string ReportLine(std::string_view name, double value, std::string_view unit) {
  return "  " + PadRight(std::string(name), 30) + PadLeft(FixedDecimals(value, 4), 9) +
         std::string(unit) + "\n";
}

std::string PriceText(double price) { return std::to_string(static_cast<std::int64_t>(price)); }

std::string StonesLine(const StonesPerStep& stones, int target, Language language) {
  const auto first = stones.begin();
  const bool same =
      std::all_of(first, first + target, [&stones](const StoneTiers& s) { return s == stones[0]; });
  if (same) return Say(language, JourneyText::kSameStones, {StoneLabels(stones[0], language)});
  std::string sets;
  for (int t = 0; t < target; ++t) sets += (t == 0 ? "" : ", ") + StoneDigits(stones[t]);
  return Say(language, JourneyText::kStonesPerStep, {sets});
}

std::string PlanHeading(const PlanRequest& request, Language language) {
  std::string text =
      Say(language, JourneyText::kHeading,
          {std::to_string(request.target), std::to_string(request.item_grade),
           GradeName(language, request.item_grade), std::to_string(request.item_level)});
  if (request.stones) text += StonesLine(*request.stones, request.target, language);
  if (!request.prices) return text;
  const Prices& prices = *request.prices;
  std::string tiers;
  for (int tier = 1; tier < kStoneTierCount; ++tier) {
    tiers += Say(language, JourneyText::kTierPrice,
                 {TierLabel(tier, language), PriceText(prices.stone[tier])}) +
             (tier + 1 < kStoneTierCount ? "," : "");
  }
  text += Say(language, JourneyText::kStonePrices, {tiers});
  text += Say(language, JourneyText::kOtherPrices,
              {PriceText(prices.attempt), PriceText(prices.item)}) +
          (request.stones ? "" : std::string(TextOf(language, JourneyText::kCheapestChosen))) +
          "\n";
  return text;
}

// A figure of the journey as the text shows it.
std::string Figure(const PlanColumn& column, const PlanView& view, int t, Language language) {
  const int index = column.per == Per::kLevel ? kShownPercentile : 0;
  const PlanCell cell = CellOf(column, view, t, index);
  switch (column.kind) {
    case FigureKind::kTaliks:
    case FigureKind::kChance:
      return std::to_string(cell.count);
    case FigureKind::kStones:
      return StoneDigits(view.plan.stones[t]);
    case FigureKind::kShare:
      return PercentFigure(cell.value);
    case FigureKind::kCount:
      return AttemptsText(cell.count, language);
    case FigureKind::kBudget:
      return BudgetText(cell.value, cell.relative_error, language);
    case FigureKind::kWithinBudget:
      // Marked where it is a lower bound.
      return (cell.exact ? "" : std::string(kAtLeastMark)) + PercentAtLeast(cell.value);
    case FigureKind::kCost:
      return CostText(cell.value, language);
    case FigureKind::kRounded:
    case FigureKind::kRelativeError:
    case FigureKind::kLargestError:
    case FigureKind::kWithinBudgetExact:
    case FigureKind::kStoneFactorSum:
    case FigureKind::kOutcomeShare:
    case FigureKind::kExpectation:
    case FigureKind::kPercent:
      break;
  }
  return FigureText(cell.value, language);
}

// One of the text's two tables: the columns of the given width (the
// journey's, or the figures a player stocks up by), headings and rows.
std::string JourneyTable(const PlanView& view, std::size_t PlanColumn::*width, Language language) {
  const std::string level = PercentileLabel(kShownPercentile);
  const auto shown = [&](const PlanColumn& column) {
    return column.*width > 0 && HasFigures(column, view.request);
  };
  // A heading or a figure wider than its column (in another language, or
  // a cost of 20 digits) widens it, so that columns never run together.
  std::array<std::size_t, kPlanColumnCount> widths{};
  std::array<std::array<std::string, kMaxTarget>, kPlanColumnCount> figures{};
  std::string text;
  for (std::size_t c = 0; c < kPlanColumnCount; ++c) {
    const PlanColumn& column = kPlanColumns[c];
    if (!shown(column)) continue;
    const std::string heading = Say(language, column.heading, {level});
    widths[c] = std::max(column.*width, DisplayWidth(heading) + 1);
    for (int t = 0; t < view.request.target; ++t) {
      figures[c][t] = Figure(column, view, t, language);
      widths[c] = std::max(widths[c], DisplayWidth(figures[c][t]) + 1);
    }
    text += PadLeft(heading, widths[c]);
  }
  text += "\n";
  for (int t = 0; t < view.request.target; ++t) {
    for (std::size_t c = 0; c < kPlanColumnCount; ++c) {
      if (widths[c] > 0) text += PadLeft(figures[c][t], widths[c]);
    }
    text += "\n";
  }
  return text;
}

std::string StockLine(const PlanView& view, Language language) {
  std::string stock;
  for (int tier = 1; tier < kStoneTierCount; ++tier) {
    const double count = view.plan.expected_stones[0][tier];
    if (count == 0.0) continue;
    stock +=
        (stock.empty() ? "" : ", ") + Say(language, JourneyText::kStockItem,
                                          {TierLabel(tier, language), FigureText(count, language)});
  }
  if (stock.empty()) stock = std::string(TextOf(language, JourneyText::kNoStones));
  return Say(language, JourneyText::kStock, {stock});
}

}  // namespace

std::string SetUpText(const SetUpView& view, Language language) {
  const auto say = [language](ReportText id) { return std::string(TextOf(language, id)); };
  std::string text = Say(language, ReportText::kChanceLine,
                         {std::to_string(DisplayedPercent(view.set_up.chance))});
  text += Say(language, ReportText::kChancePer100000, {std::to_string(view.set_up.chance)});
  text += Say(language, ReportText::kStoneFactorSum, {StoneSumText(view.set_up.stone_factor_sum)});
  text += "\n" + say(ReportText::kOneAttempt) + "\n";
  for (int i = 0; i < kOutcomeCount; ++i) {
    text +=
        ReportLine(OutcomeName(language, kAttemptOutcomes[i]), 100.0 * view.outcome_share[i], " %");
  }
  text +=
      "\n" + Say(language, ReportText::kAttemptCount, {std::to_string(view.request.attempt_count)});
  text += ReportLine(say(ReportText::kSuccessBeforeLoss),
                     100.0 * view.success_before_item_destroyed, " %");
  text += ReportLine(say(ReportText::kItemLost), 100.0 * view.item_destroyed_within, " %");
  text += ReportLine(say(ReportText::kAtLeastOneSuccess), 100.0 * view.at_least_one_success, " %");
  text += say(ReportText::kCountingAfterLoss) + say(ReportText::kExpectedOutcomes);
  for (int i = 0; i < kOutcomeCount; ++i) {
    text += ReportLine(OutcomeName(language, kAttemptOutcomes[i]), view.expected_outcomes[i], "");
  }
  const std::string attempts = view.expected_attempts_to_success > 0.0
                                   ? FixedDecimals(view.expected_attempts_to_success, 2)
                                   : say(ReportText::kSuccessImpossible);
  return text + "\n" + Say(language, ReportText::kAttemptsToSuccess, {attempts});
}

std::string TableText(const TableView& view, Language language) {
  constexpr std::size_t kNameWidth = 19;
  std::string text = Say(language, ReportText::kTableHeading,
                         {std::to_string(view.item_level), StoneSumText(view.stone_factor_sum)});
  text += PadRight(std::string(TextOf(language, ReportText::kTableCorner)), kNameWidth);
  for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks)
    text += PadLeft(std::to_string(taliks), 8);
  text += "\n";
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    text += PadRight(" " + std::to_string(grade) + ":" + std::string(GradeName(language, grade)),
                     kNameWidth);
    for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks)
      text += PadLeft(TableCellText(view.cells[grade][taliks].success_share), 8);
    text += "\n";
  }
  return text;
}

std::string PlanText(const PlanView& view, Language language) {
  const bool priced = view.request.prices.has_value();
  const std::string level = PercentileLabel(kShownPercentile);
  std::string text = PlanHeading(view.request, language) + "\n";
  text += JourneyTable(view, &PlanColumn::width, language);
  // The figures a player stocks up by: a second block.
  text += "\n" + JourneyTable(view, &PlanColumn::stock_width, language);
  text += "\n" + StockLine(view, language) + "\n";
  text += Say(language, JourneyText::kLegend, {level});
  if (priced) text += TextOf(language, JourneyText::kCostLegend);
  text += TextOf(language, JourneyText::kLegendEnd);
  text += Say(language, JourneyText::kItemsForLegend, {level});
  if (priced) text += Say(language, JourneyText::kBudgetForLegend, {level});
  // The marks, where a figure shown has them.
  bool at_least = false;
  for (int t = 0; t < view.request.target; ++t)
    at_least = at_least || !view.plan.journey.rows[t].reach_within_budget_exact;
  const ShownRounding shown = RoundingOfShown(view);
  switch (shown.rounding) {
    case Rounding::kSlight:
      text += Say(language, JourneyText::kRoundedLegend, {kRoundedMark});
      break;
    case Rounding::kAtMost:
      text += Say(language, JourneyText::kRoundedAtMostLegend,
                  {kRoundedMark, PercentAtMost(shown.largest)});
      break;
    case Rounding::kUnbounded:
      text += Say(language, JourneyText::kRoundedUnboundedLegend, {kRoundedMark});
      break;
    case Rounding::kNone:
      break;
  }
  if (priced && view.request.budget) {
    text += Say(language, JourneyText::kWithinBudgetLegend, {PriceText(*view.request.budget)});
    if (at_least) text += Say(language, JourneyText::kAtLeastLegend, {kAtLeastMark});
  }
  return text;
}

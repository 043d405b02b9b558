#include "results/page_data.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "model/success_chance.h"
#include "results/csv_writer.h"
#include "results/figures.h"
#include "results/json.h"
#include "results/plan_columns.h"
#include "results/text_writer.h"

std::string PercentText(double share) {
  if (share <= 0.0) return "0" + std::string(kPercentSign);
  if (share >= 1.0) return "100" + std::string(kPercentSign);
  std::string text;
  for (int digits = 2; digits <= 17; ++digits) {
    text = Decimal(100.0 * share, digits);
    if (std::strtod(text.c_str(), nullptr) < 100.0) break;  // never rounded up to a certainty
  }
  return text + std::string(kPercentSign);
}

std::string GroupedFigure(const std::string& text) {
  // A word ("never") is no mantissa, though it may hold an 'e'.
  const bool number = !text.empty() && ((text[0] >= '0' && text[0] <= '9') || text[0] == '-');
  const std::size_t e = number ? text.find('e') : std::string::npos;
  std::string plain = text;
  // Zeros written for digits the figure does not have: a rounded figure.
  bool padded = false;
  if (e != std::string::npos) {
    // Mantissa digits d.dd and a power of ten: the same digits, shifted.
    const std::string mantissa = text.substr(0, e);
    const auto exponent = static_cast<int>(std::strtol(text.c_str() + e + 1, nullptr, 10));
    std::string digits;
    for (const char c : mantissa) {
      if (c >= '0' && c <= '9') digits += c;
    }
    const int point = 1 + exponent;  // digits before the point
    if (point <= 0) {
      plain = "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (static_cast<std::size_t>(point) >= digits.size()) {
      plain = digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
      padded = point > static_cast<int>(digits.size());
    } else {
      plain = digits.substr(0, static_cast<std::size_t>(point)) + "." +
              digits.substr(static_cast<std::size_t>(point));
    }
    if (!mantissa.empty() && mantissa[0] == '-') plain = "-" + plain;
  }
  std::size_t whole_end = plain.find('.');
  if (whole_end == std::string::npos) whole_end = plain.size();
  const std::size_t first = plain[0] == '-' ? 1 : 0;
  if (whole_end - first < 5 || plain.find_first_not_of("-0123456789.") != std::string::npos)
    return plain;
  std::string grouped =
      (padded ? std::string(kRoundedMark) : std::string()) + plain.substr(0, first);
  for (std::size_t i = first; i < whole_end; ++i) {
    if (i > first && (whole_end - i) % 3 == 0) grouped += "\xC2\xA0";  // a no-break space
    grouped += plain[i];
  }
  return grouped + plain.substr(whole_end);
}

namespace {

// A whole figure (a cost, a budget) as the page shows it: every digit while
// a double holds each whole number exactly, below 2^53; beyond, the zeros
// after the double's own digits stand for digits it does not have.
std::string WholeFigure(double value, Language language) {
  const std::string figure = GroupedFigure(BudgetText(value, language));
  const bool beyond = std::isfinite(value) && std::fabs(value) >= 0x1p53;
  return beyond ? std::string(kRoundedMark) + figure : figure;
}

}  // namespace

std::string JourneyRunData(const JourneyRun& run, bool priced, int target, Language language) {
  std::vector<std::string> lines;
  for (const auto& [taliks, outcome] : run.last) {
    lines.push_back(
        JsonString(std::to_string(taliks) + ": " + std::string(OutcomeName(language, outcome))));
  }
  return JsonObject(
      {{"reached", JsonBool(run.reached)},
       {"target", JsonInteger(target)},
       {"attempts", JsonString(GroupedFigure(std::to_string(run.attempts)))},
       {"items_destroyed", JsonString(GroupedFigure(std::to_string(run.items_destroyed)))},
       {"spent", JsonString(priced ? WholeFigure(run.spent, language) : "")},
       {"highest", JsonInteger(run.highest)},
       {"last", JsonArray(lines)}});
}

std::string SimulationData(const SimulationView& view, std::uint32_t seed, Language language) {
  std::string lines = Say(language, ReportText::kChanceLine,
                          {std::to_string(DisplayedPercent(view.set_up.chance))});
  for (const AttemptOutcome outcome : view.outcomes)
    lines += std::string(OutcomeName(language, outcome)) + "\n";
  return JsonObject({{"seed", JsonInteger(seed)},
                     {"lines", JsonString(lines)},
                     {"counts", JsonArrayOf(view.counts, JsonInteger)}});
}

std::string GradeReachData(const GradeReach& reach) {
  return JsonArrayOf(reach, [](double share) { return JsonString(PercentText(share)); });
}

std::string SetUpData(const SetUpView& view, Language language) {
  const std::string report = SetUpText(view, language);
  const std::size_t line_end = report.find('\n');
  std::vector<std::string> outcomes;
  outcomes.reserve(kOutcomeCount);
  for (int i = 0; i < kOutcomeCount; ++i) {
    outcomes.push_back(
        JsonObject({{"label", JsonString(OutcomeName(language, kAttemptOutcomes[i]))},
                    {"share", JsonNumber(view.outcome_share[i])},
                    {"percent", JsonString(PercentText(view.outcome_share[i]))},
                    {"figure", JsonString(GroupedFigure(PercentFigure(view.outcome_share[i])))}}));
  }
  return JsonObject({{"chance_line", JsonString(report.substr(0, line_end))},
                     {"report", JsonString(report.substr(line_end + 1))},
                     {"chance", JsonInteger(view.set_up.chance)},
                     {"shown_percent", JsonInteger(view.shown_percent)},
                     {"outcomes", JsonArray(outcomes)},
                     {"csv", JsonString(SetUpCsv(view))}});
}

std::string TableData(const TableView& view) {
  const auto row = [](const auto& cells) {
    return JsonArrayOf(
        cells, [](const TableCell& cell) { return JsonString(TableCellText(cell.success_share)); });
  };
  const auto heat = [](const auto& cells) {
    return JsonArrayOf(
        cells, [](const TableCell& cell) { return JsonInteger(HeatHue(cell.success_share)); });
  };
  return JsonObject({{"cells", JsonArrayOf(view.cells, row)},
                     {"heat", JsonArrayOf(view.cells, heat)},
                     {"csv", JsonString(TableCsv(view))}});
}

int HeatHue(double share) {
  constexpr double kGreen = 120.0;
  return static_cast<int>(std::lround(kGreen * std::clamp(share, 0.0, 1.0)));
}

namespace {

// A count as the page shows it: every digit, grouped (the text report's
// rounding above a million is for its column's width), or "never".
std::string CountFigure(std::int64_t count, Language language) {
  return GroupedFigure(count == kNever ? AttemptsText(count, language) : std::to_string(count));
}

std::string AttemptsNumber(std::int64_t attempts) {
  return attempts == kNever ? "null" : JsonInteger(attempts);
}

std::string ChartData(const JourneyChart& chart, const JourneyRow& row, Language language) {
  const std::string points = JsonArrayOf(chart.points, [](const ChartPoint& point) {
    return JsonArray({JsonInteger(point.attempts), JsonNumber(point.reached)});
  });
  std::vector<std::string> marks;
  marks.reserve(kPercentileCount);
  for (int p = 0; p < kPercentileCount; ++p) {
    marks.push_back(
        JsonObject({{"level", JsonNumber(kPercentileLevels[p])},
                    {"attempts", AttemptsNumber(row.attempts_for[p])},
                    {"label", JsonString(CountFigure(row.attempts_for[p], language))}}));
  }
  // The axis' powers of ten up to the last point, each with its label.
  std::vector<std::string> decades;
  const std::int64_t last = chart.points.empty() ? 0 : chart.points.back().attempts;
  for (std::int64_t decade = 1; decade <= last; decade *= 10) {
    decades.push_back(
        JsonArray({JsonInteger(decade), JsonString(GroupedFigure(std::to_string(decade)))}));
    if (decade > last / 10) break;
  }
  return JsonObject({{"start", JsonInteger(chart.start)},
                     {"points", points},
                     {"marks", JsonArray(marks)},
                     {"decades", JsonArray(decades)}});
}

// A figure of the journey as the page shows it.
std::string PlanFigure(const PlanColumn& column, const PlanView& view, int t, int index,
                       Language language) {
  const bool priced = view.request.prices.has_value();
  const PlanCell cell = CellOf(column, view, t, index);
  const auto grouped = [](const std::string& text) { return JsonString(GroupedFigure(text)); };
  // A budget rounded up to the digits known.
  const bool rounded = priced && std::isfinite(cell.value) && cell.relative_error > 0.0;
  switch (column.kind) {
    case FigureKind::kTaliks:
    case FigureKind::kChance:
      return JsonInteger(cell.count);
    case FigureKind::kStones:
      return JsonString(StoneDigits(view.plan.stones[t]));
    case FigureKind::kShare:
      return grouped(PercentFigure(cell.value));
    case FigureKind::kPercent:
      return JsonString(PercentText(cell.value));
    case FigureKind::kCount:
      return JsonString(CountFigure(cell.count, language));
    case FigureKind::kCost:
      // The nearest whole number, as the text report gives it.
      return priced ? JsonString(WholeFigure(cell.value, language)) : JsonString("");
    case FigureKind::kBudget: {
      if (!priced) return JsonString("");
      const std::string figure = WholeFigure(cell.value, language);
      const bool marked = figure.compare(0, kRoundedMark.size(), kRoundedMark) == 0;
      return JsonString((rounded && !marked ? std::string(kRoundedMark) : std::string()) + figure);
    }
    case FigureKind::kRounded:
      return JsonBool(rounded);
    case FigureKind::kRelativeError:
      return priced && std::isfinite(cell.value) ? JsonNumber(cell.relative_error) : "null";
    case FigureKind::kWithinBudget:
      // A lower bound where not exact, and a promise either way: rounded down.
      return JsonString(HasFigures(column, view.request)
                            ? PercentAtLeast(cell.value) + std::string(kPercentSign)
                            : "");
    case FigureKind::kWithinBudgetExact:
      return JsonBool(HasFigures(column, view.request) && cell.exact);
    case FigureKind::kLargestError:
    case FigureKind::kStoneFactorSum:
    case FigureKind::kOutcomeShare:
    case FigureKind::kExpectation:
      break;
  }
  return grouped(FigureText(cell.value, language));
}

// The legend of the rounded budgets shown, "" where none is.
std::string RoundedLegend(const PlanView& view, Language language) {
  const ShownRounding shown = RoundingOfShown(view);
  switch (shown.rounding) {
    case Rounding::kSlight:
      return Fill(PageLabel(language, "rounded_legend"), {kRoundedMark});
    case Rounding::kAtMost:
      return Fill(PageLabel(language, "rounded_at_most_legend"),
                  {kRoundedMark, PercentAtMost(shown.largest) + std::string(kPercentSign)});
    case Rounding::kUnbounded:
      return Fill(PageLabel(language, "rounded_unbounded_legend"), {kRoundedMark});
    case Rounding::kNone:
      break;
  }
  return "";
}

}  // namespace

std::string PlanData(const PlanView& view, const JourneyChart& chart, Language language) {
  const bool with_budget = view.request.prices.has_value() && view.request.budget.has_value();
  std::vector<std::string> rows;
  for (int t = 0; t < view.request.target; ++t) {
    std::vector<JsonMember> row;
    for (const PlanColumn& column : kPlanColumns) {
      if (column.page_key.empty()) continue;
      if (column.per == Per::kRow) {
        row.push_back({column.page_key, PlanFigure(column, view, t, 0, language)});
        continue;
      }
      std::vector<std::string> figures;
      figures.reserve(static_cast<std::size_t>(FigureCount(column)));
      for (int i = 0; i < FigureCount(column); ++i)
        figures.push_back(PlanFigure(column, view, t, i, language));
      row.push_back({column.page_key, JsonArray(figures)});
    }
    rows.push_back(JsonObject(row));
  }
  return JsonObject({{"target", JsonInteger(view.request.target)},
                     {"priced", JsonBool(view.request.prices.has_value())},
                     {"rows", JsonArray(rows)},
                     {"rounded_legend", JsonString(RoundedLegend(view, language))},
                     {"csv", JsonString(PlanCsv(view))},
                     {"chart", ChartData(chart, view.plan.journey.rows[chart.start], language)},
                     {"budget", with_budget ? JsonNumber(*view.request.budget) : "null"}});
}

#include "results/page_data.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include "results/csv_writer.h"
#include "results/figures.h"
#include "results/json.h"
#include "results/text_writer.h"

std::string PercentText(double share) {
  if (share <= 0.0) return "0 %";
  if (share >= 1.0) return "100 %";
  std::string text;
  for (int digits = 2; digits <= 17; ++digits) {
    text = Decimal(100.0 * share, digits);
    if (std::strtod(text.c_str(), nullptr) < 100.0) break;  // never rounded up to a certainty
  }
  return text + " %";
}

std::string GroupedFigure(const std::string& text) {
  const std::size_t e = text.find('e');
  std::string plain = text;
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
  std::string grouped = plain.substr(0, first);
  for (std::size_t i = first; i < whole_end; ++i) {
    if (i > first && (whole_end - i) % 3 == 0) grouped += "\xC2\xA0";  // a no-break space
    grouped += plain[i];
  }
  return grouped + plain.substr(whole_end);
}

std::string JourneyRunData(const JourneyRun& run, bool priced, int target) {
  std::vector<std::string> lines;
  for (const auto& [taliks, outcome] : run.last) {
    lines.push_back(
        JsonString(std::to_string(taliks) + ": " + std::string(AttemptOutcomeLabel(outcome))));
  }
  return JsonObject(
      {{"reached", JsonBool(run.reached)},
       {"target", JsonInteger(target)},
       {"attempts", JsonString(GroupedFigure(std::to_string(run.attempts)))},
       {"items_destroyed", JsonString(GroupedFigure(std::to_string(run.items_destroyed)))},
       {"spent", JsonString(priced ? GroupedFigure(BudgetText(run.spent)) : "")},
       {"highest", JsonInteger(run.highest)},
       {"last", JsonArray(lines)}});
}

std::string SetUpData(const SetUpView& view) {
  const std::string report = SetUpText(view);
  const std::size_t line_end = report.find('\n');
  std::vector<std::string> outcomes;
  outcomes.reserve(kOutcomeCount);
  for (int i = 0; i < kOutcomeCount; ++i) {
    outcomes.push_back(JsonObject({{"label", JsonString(AttemptOutcomeLabel(kAttemptOutcomes[i]))},
                                   {"share", JsonNumber(view.outcome_share[i])},
                                   {"percent", JsonString(PercentText(view.outcome_share[i]))},
                                   {"figure", JsonString(PercentFigure(view.outcome_share[i]))}}));
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
  const auto shares = [](const auto& cells) {
    return JsonArrayOf(cells, [](const TableCell& cell) { return JsonNumber(cell.success_share); });
  };
  return JsonObject({{"cells", JsonArrayOf(view.cells, row)},
                     {"shares", JsonArrayOf(view.cells, shares)},
                     {"csv", JsonString(TableCsv(view))}});
}

namespace {

// A budget of the page: grouped digits, marked rounded where not exact.
std::string BudgetFigure(const JourneyRow& row, int p) {
  const std::string digits = GroupedFigure(BudgetText(row.budget_for[p]));
  return std::isfinite(row.budget_for[p]) && row.budget_relative_error[p] > 0.0
             ? std::string(kRoundedMark) + digits
             : digits;
}

std::string AttemptsNumber(std::int64_t attempts) {
  return attempts == kNever ? "null" : JsonInteger(attempts);
}

std::string ChartData(const JourneyChart& chart, const JourneyRow& row) {
  const std::string points = JsonArrayOf(chart.points, [](const ChartPoint& point) {
    return JsonArray({JsonInteger(point.attempts), JsonNumber(point.reached)});
  });
  std::vector<std::string> marks;
  marks.reserve(kPercentileCount);
  for (int p = 0; p < kPercentileCount; ++p) {
    marks.push_back(
        JsonObject({{"level", JsonNumber(kPercentileLevels[p])},
                    {"attempts", AttemptsNumber(row.attempts_for[p])},
                    {"label", JsonString(GroupedFigure(AttemptsText(row.attempts_for[p])))}}));
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

}  // namespace

std::string PlanData(const PlanView& view, const JourneyChart& chart) {
  const bool priced = view.request.prices.has_value();
  const bool with_budget = priced && view.request.budget.has_value();
  const std::vector<int> budget_levels = {0, 1, 2};
  const auto figure = [](const std::string& text) { return JsonString(GroupedFigure(text)); };
  std::vector<std::string> rows;
  for (int t = 0; t < view.request.target; ++t) {
    const JourneyRow& row = view.plan.journey.rows[t];
    const std::string attempts_for = JsonArrayOf(
        row.attempts_for, [&](std::int64_t attempts) { return figure(AttemptsText(attempts)); });
    rows.push_back(JsonObject(
        {{"taliks", JsonInteger(t)},
         {"stones", JsonString(StoneDigits(view.plan.stones[t]))},
         {"success", JsonString(PercentFigure(view.success_share[t]))},
         {"reach", JsonString(PercentFigure(row.reach_probability))},
         {"reach_percent", JsonString(PercentText(row.reach_probability))},
         {"attempts", figure(FigureText(row.expected_attempts))},
         {"attempts_with_new_items", figure(FigureText(row.expected_attempts_with_new_items))},
         {"items_destroyed", figure(FigureText(row.expected_items_destroyed))},
         {"attempts_for", attempts_for},
         {"items_for",
          JsonArrayOf(row.items_for,
                      [&](std::int64_t items) { return figure(AttemptsText(items)); })},
         {"budget_for", JsonArrayOf(budget_levels,
                                    [&](int p) {
                                      return priced ? JsonString(BudgetFigure(row, p))
                                                    : JsonString("");
                                    })},
         {"budget_rounded", JsonArrayOf(budget_levels,
                                        [&](int p) {
                                          return JsonBool(priced &&
                                                          std::isfinite(row.budget_for[p]) &&
                                                          row.budget_relative_error[p] > 0.0);
                                        })},
         {"budget_relative_error", JsonArrayOf(budget_levels,
                                               [&](int p) {
                                                 return priced && std::isfinite(row.budget_for[p])
                                                            ? JsonNumber(
                                                                  row.budget_relative_error[p])
                                                            : "null";
                                               })},
         {"reach_within_budget",
          JsonString(with_budget ? PercentText(row.reach_within_budget) : "")},
         {"reach_within_budget_exact", JsonBool(with_budget && row.reach_within_budget_exact)},
         {"expected_stones",
          JsonArrayOf(std::vector<double>(view.plan.expected_stones[t].begin() + 1,
                                          view.plan.expected_stones[t].end()),
                      [&](double count) { return figure(FigureText(count)); })},
         {"cost", priced ? figure(FigureText(row.expected_cost)) : JsonString("")}}));
  }
  return JsonObject({{"target", JsonInteger(view.request.target)},
                     {"priced", JsonBool(priced)},
                     {"rows", JsonArray(rows)},
                     {"csv", JsonString(PlanCsv(view))},
                     {"chart", ChartData(chart, view.plan.journey.rows[chart.start])},
                     {"budget", with_budget ? JsonNumber(*view.request.budget) : "null"}});
}

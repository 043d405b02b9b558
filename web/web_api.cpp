// The page's small C API over the model and the INI reader: plain numbers
// and byte buffers in, UTF-8 JSON out. Each answer stays valid until the
// next call.
#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/attempt_series.h"
#include "model/journey.h"
#include "model/outcome_odds.h"
#include "model/success_chance.h"
#include "model/upgrade_request.h"
#include "odds/journey_report.h"
#include "odds/report_text.h"
#include "odds/set_up_report.h"
#include "platform/probability_files.h"
#include "platform/random_source.h"
#include "web/example_tables.h"

namespace {

ProbabilityTables g_tables{};
std::string g_answer;

std::string Json(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (static_cast<unsigned char>(c) < 0x20) {
      quoted += ' ';
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string Json(std::int64_t number) { return std::to_string(number); }

std::string JsonRange(ValueRange range) {
  return "[" + Json(range.low) + "," + Json(range.high) + "]";
}

const char* Answer(std::string text) {
  g_answer = std::move(text);
  return g_answer.c_str();
}

ProbabilityTable& TableNumber(int which) {
  if (which == 1) return g_tables.destroy_prob;
  if (which == 2) return g_tables.downgrade_prob;
  return g_tables.success_prob;
}

// The page checks every field against the ranges it is given; a value that
// still comes out of range reads as its nearest bound rather than outside
// the tables.
std::int32_t Bound(std::int32_t value, ValueRange range) {
  return value < range.low ? range.low : value > range.high ? range.high : value;
}

UpgradeRequest Request(int attempts, int grade, int level, int taliks, int s1, int s2, int s3,
                       int s4) {
  UpgradeRequest request;
  request.attempt_count = Bound(attempts, kAttemptCountRange);
  request.item_grade = Bound(grade, kItemGradeRange);
  request.item_level = Bound(level, kItemLevelRange);
  request.talik_count = Bound(taliks, kTalikCountRange);
  request.stone_tiers = {Bound(s1, kStoneTierRange), Bound(s2, kStoneTierRange),
                         Bound(s3, kStoneTierRange), Bound(s4, kStoneTierRange)};
  return request;
}

std::string Figure(double value) { return std::isfinite(value) ? Compact(value) : ""; }

std::string AttemptsField(std::int64_t attempts) {
  return attempts == kNever ? "null" : Json(attempts);
}

// Attempt counts from 1 to beyond the 99 % mark, evenly on a logarithmic
// axis, for the chart.
std::vector<std::int64_t> ChartCounts(std::int64_t last) {
  std::vector<std::int64_t> counts;
  const double top = std::log10(static_cast<double>(last < 10 ? 10 : last) * 2.0);
  for (int i = 0; i <= 80; ++i) {
    const auto count = static_cast<std::int64_t>(std::llround(std::pow(10.0, top * i / 80)));
    if (counts.empty() || count > counts.back()) counts.push_back(count);
  }
  return counts;
}

}  // namespace

extern "C" {

/// Reads one table from the bytes of its INI file; size < 0: the file is
/// missing and every value is 0.
EMSCRIPTEN_KEEPALIVE void upgrade_sim_load_table(int which, const char* bytes, int size) {
  const std::string_view text =
      size > 0 ? std::string_view(bytes, static_cast<std::size_t>(size)) : std::string_view();
  TableNumber(which) = ProbabilityTableFromText(text);
}

EMSCRIPTEN_KEEPALIVE void upgrade_sim_use_example_tables() {
  for (int which = 0; which < 3; ++which)
    TableNumber(which) = ProbabilityTableFromText(kExampleTables[which]);
}

/// The ranges, names and labels the page shows and checks.
EMSCRIPTEN_KEEPALIVE const char* upgrade_sim_facts() {
  std::string json =
      "{\"attempts\":" + JsonRange(kAttemptCountRange) +
      ",\"grade\":" + JsonRange(kItemGradeRange) + ",\"level\":" + JsonRange(kItemLevelRange) +
      ",\"taliks\":" + JsonRange(kTalikCountRange) + ",\"stone\":" + JsonRange(kStoneTierRange) +
      ",\"target\":" + JsonRange(kTargetRange) + ",\"max_price\":" + Json(kMaxPrice) +
      ",\"grade_names\":[";
  for (int grade = 0; grade < kItemGradeCount; ++grade)
    json += (grade ? "," : "") + Json(kItemGradeNames[grade]);
  json += "],\"stone_labels\":[\"Без камня\"";
  for (int tier = 1; tier < kStoneTierCount; ++tier) json += ",\"Т" + std::to_string(tier) + "\"";
  json += "],\"outcomes\":[";
  for (const AttemptOutcome outcome : kAttemptOutcomes)
    json += (outcome == kAttemptOutcomes[0] ? "" : ",") + Json(AttemptOutcomeLabel(outcome));
  json += "],\"files\":[";
  for (int i = 0; i < 3; ++i) json += (i ? "," : "") + Json(kProbabilityFilePaths[i]);
  json += "],\"example_sizes\":[";
  for (int i = 0; i < 3; ++i)
    json += (i ? "," : "") + Json(static_cast<std::int64_t>(kExampleTables[i].size()));
  return Answer(json + "]}");
}

/// The chance line and the report of upgrade-odds for one set-up.
EMSCRIPTEN_KEEPALIVE const char* upgrade_sim_set_up(int attempts, int grade, int level, int taliks,
                                                    int s1, int s2, int s3, int s4) {
  const UpgradeRequest request = Request(attempts, grade, level, taliks, s1, s2, s3, s4);
  std::string line = ChanceLine(SetUpAttempt(g_tables, request).chance);
  line.pop_back();
  return Answer("{\"chance_line\":" + Json(line) +
                ",\"report\":" + Json(SetUpReport(g_tables, request)) + "}");
}

/// The success percent of every grade and talik count, and the CSV of
/// upgrade-odds --csv --table.
EMSCRIPTEN_KEEPALIVE const char* upgrade_sim_table(int level, int s1, int s2, int s3, int s4) {
  const UpgradeRequest request = Request(1, 0, level, 0, s1, s2, s3, s4);
  std::string json = "{\"cells\":[";
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    json += grade ? ",[" : "[";
    for (int taliks = 0; taliks < kUpgradeLevelCount; ++taliks)
      json += (taliks ? "," : "") + Json(TableCellText(g_tables, request, grade, taliks));
    json += "]";
  }
  return Answer(json + "],\"csv\":" + Json(TableCsv(g_tables, request)) + "}");
}

/// The journey, as upgrade-odds --plan gives it; with by_price the stones
/// are the cheapest for the prices. The chart is for the start talik count.
EMSCRIPTEN_KEEPALIVE const char* upgrade_sim_plan(int grade, int level, int target, int s1, int s2,
                                                  int s3, int s4, int by_price, double p1,
                                                  double p2, double p3, double p4, double p5,
                                                  double p6, double attempt_price,
                                                  double item_price, int start) {
  PlanRequest request;
  request.item_grade = Bound(grade, kItemGradeRange);
  request.item_level = Bound(level, kItemLevelRange);
  request.target = Bound(target, kTargetRange);
  request.stones = Request(1, 0, 1, 0, s1, s2, s3, s4).stone_tiers;
  request.by_price = by_price != 0;
  request.prices.stone = {0, p1, p2, p3, p4, p5, p6};
  request.prices.attempt = attempt_price;
  request.prices.item = item_price;
  const Plan plan = MakePlan(g_tables, request);
  std::string json = "{\"rows\":[";
  for (int t = 0; t < request.target; ++t) {
    const JourneyRow& row = plan.journey.rows[t];
    std::string stones;
    for (const std::int32_t tier : plan.stones[t]) stones += static_cast<char>('0' + tier);
    json += (t ? ",{" : "{") + std::string("\"taliks\":") + Json(t) +
            ",\"stones\":" + Json(stones) + ",\"success\":" +
            Json(Compact(100 * OutcomeProbability(plan.steps.odds[t], AttemptOutcome::kSuccess))) +
            ",\"reach\":" + Json(Compact(100 * row.reach_probability)) +
            ",\"attempts\":" + Json(Figure(row.expected_attempts)) +
            ",\"attempts_with_new_items\":" + Json(Figure(row.expected_attempts_with_new_items)) +
            ",\"items_destroyed\":" + Json(Figure(row.expected_items_destroyed)) +
            ",\"cost\":" + Json(request.by_price ? Figure(row.expected_cost) : "") +
            ",\"attempts_for\":[" + AttemptsField(row.attempts_for[0]) + "," +
            AttemptsField(row.attempts_for[1]) + "," + AttemptsField(row.attempts_for[2]) + "]}";
  }
  json += "],\"csv\":" + Json(PlanCsv(g_tables, request, plan));
  start = Bound(start, {0, request.target - 1});
  const JourneyRow& row = plan.journey.rows[start];
  json += ",\"chart\":{\"start\":" + Json(start) + ",\"points\":[";
  if (row.attempts_for[2] != kNever) {
    const std::vector<std::int64_t> counts = ChartCounts(row.attempts_for[2]);
    const std::vector<double> reached = ReachedWithinEach(plan.steps, start, counts);
    for (std::size_t i = 0; i < counts.size(); ++i)
      json += (i ? ",[" : "[") + Json(counts[i]) + "," + Decimal(reached[i], 6) + "]";
  }
  return Answer(json + "]}}");
}

/// The simulator's lines for a seed: the chance line and one line per
/// attempt, and how many of each outcome.
EMSCRIPTEN_KEEPALIVE const char* upgrade_sim_simulate(int attempts, int grade, int level,
                                                      int taliks, int s1, int s2, int s3, int s4,
                                                      std::uint32_t seed) {
  const UpgradeRequest request = Request(attempts, grade, level, taliks, s1, s2, s3, s4);
  const AttemptSetUp set_up = SetUpAttempt(g_tables, request);
  RandomSource random = SeededRandomSource(seed);
  std::string lines = ChanceLine(set_up.chance);
  std::int64_t counts[4] = {};
  for (std::int32_t i = 0; i < request.attempt_count; ++i) {
    const AttemptOutcome outcome =
        RunAttempt(set_up.chance, set_up.destroy_value, set_up.downgrade_value,
                   [&random] { return DrawRandom(random); });
    ++counts[static_cast<int>(outcome)];
    lines += std::string(AttemptOutcomeLabel(outcome)) + "\n";
  }
  return Answer("{\"lines\":" + Json(lines) + ",\"counts\":[" + Json(counts[0]) + "," +
                Json(counts[1]) + "," + Json(counts[2]) + "," + Json(counts[3]) + "]}");
}

}  // extern "C"

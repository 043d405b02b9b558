#include "web/page_api.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "model/attempt_series.h"
#include "model/outcome_odds.h"
#include "model/plan.h"
#include "model/probability_tables.h"
#include "model/upgrade_request.h"
#include "platform/ini_writer.h"
#include "platform/probability_files.h"
#include "platform/random_source.h"
#include "results/json.h"
#include "results/page_data.h"
#include "results/requests.h"
#include "results/table_check.h"
#include "results/views.h"
#include "web/example_tables.h"

namespace {

constexpr int kTableCount = kProbabilityTableCount;
// A journey played out ends here at the latest, and shows its last lines.
constexpr std::int64_t kJourneyRunAttempts = 1000000;
constexpr int kJourneyRunLog = 12;
constexpr const char* kTableKeys[kTableCount] = {"success", "destroy", "downgrade"};
constexpr int kCellCount = kItemGradeCount * kUpgradeLevelCount;
// The outcomes as the page names them, in the order of kAttemptOutcomes.
constexpr const char* kOutcomeKeys[kOutcomeCount] = {"success", "item_destroyed",
                                                     "taliks_destroyed", "failed"};
// The level of the journey's figures that the answer shows (90 %).
constexpr int kShownPercentile = 1;
// A table file the page reads at most: far beyond any real one, and within
// the module's memory.
constexpr std::int64_t kMaxTableFileBytes = std::int64_t{16} << 20;

// ---- The request's text --------------------------------------------------

constexpr const char* kRequestKeys[] = {
    "view",       "attempts", "grade",   "level",         "taliks",     "stones",
    "stone_sets", "target",   "prices",  "attempt_price", "item_price", "seed",
    "file",       "success",  "destroy", "downgrade",     "budget"};
constexpr int kRequestKeyCount = sizeof kRequestKeys / sizeof kRequestKeys[0];

struct RequestText {
  std::array<std::string, kRequestKeyCount> value;
  std::array<bool, kRequestKeyCount> given{};
  std::string error;  // what makes it no request at all
};

int KeyIndex(std::string_view key) {
  for (int i = 0; i < kRequestKeyCount; ++i) {
    if (key == kRequestKeys[i]) return i;
  }
  return -1;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// %XX escapes decoded; a broken one is kept as it is, and then is simply a
// wrong value.
std::string Unescaped(std::string_view text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      plain += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
      i += 2;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

RequestText SplitRequest(std::string_view request) {
  RequestText text;
  while (!request.empty()) {
    const std::size_t amp = std::min(request.find('&'), request.size());
    const std::string_view pair = request.substr(0, amp);
    request.remove_prefix(std::min(amp + 1, request.size()));
    if (pair.empty()) continue;
    const std::size_t equals = std::min(pair.find('='), pair.size());
    const std::string key = Unescaped(pair.substr(0, equals));
    const int index = KeyIndex(key);
    if (index < 0) {
      text.error = "unknown key «" + key + "»";
      return text;
    }
    if (text.given[index]) {
      text.error = "key «" + key + "» given twice";
      return text;
    }
    text.given[index] = true;
    text.value[index] = Unescaped(pair.substr(std::min(equals + 1, pair.size())));
  }
  return text;
}

const std::string& Value(const RequestText& text, std::string_view key) {
  return text.value[KeyIndex(key)];
}

// ---- Fields ----------------------------------------------------------------

std::string RangeText(WideRange range) {
  return "от " + std::to_string(range.low) + " до " + std::to_string(range.high);
}

/// Each wrong field's name and what it must be.
using FieldErrors = std::vector<std::pair<std::string, std::string>>;

void AddError(FieldErrors* errors, const std::string& field, const std::string& message) {
  errors->emplace_back(field, message);
}

// Reads one numeric field; a wrong one is named in errors.
bool ReadField(const RequestText& text, std::string_view key, ValueRange range, std::int32_t* out,
               FieldErrors* errors) {
  if (ReadWhole(Value(text, key), range, out)) return true;
  AddError(errors, std::string(key), RangeText(Widened(range)));
  return false;
}

bool ReadStones(const RequestText& text, StoneTiers* stones, FieldErrors* errors) {
  const std::string& digits = Value(text, "stones");
  bool all = true;
  for (int k = 0; k < kStoneCount; ++k) {
    const bool ok = ReadStoneDigit(digits, k, &(*stones)[k]);
    if (!ok) AddError(errors, "stone" + std::to_string(k + 1), RangeText(Widened(kStoneTierRange)));
    all = all && ok;
  }
  return all;
}

// The seed of a simulation: a whole number of 32 bits.
bool ReadSeed(const RequestText& text, std::uint32_t* seed, FieldErrors* errors) {
  constexpr WideRange kSeedRange = {0, UINT32_MAX};
  std::int64_t value = 0;
  if (ReadWhole(Value(text, "seed"), kSeedRange, &value)) {
    *seed = static_cast<std::uint32_t>(value);
    return true;
  }
  AddError(errors, "seed", RangeText(kSeedRange));
  return false;
}

// The prices of Т1..Т6 ("P1,...,P6", each may be blank), the attempt and the
// item. Stones are priced all or none: a blank one beside a given one is
// wrong, as 0 must be typed to mean free.
bool ReadPrices(const RequestText& text, Prices* prices, bool* priced, FieldErrors* errors) {
  std::vector<std::string_view> stone = ListItems(Value(text, "prices"));
  stone.resize(kStoneTierCount - 1);
  *priced = false;
  for (const std::string_view p : stone) *priced = *priced || !Trimmed(p).empty();
  bool ok = true;
  const auto read = [&](std::string_view value, const std::string& field, double* price) {
    if (Trimmed(value).empty() && !*priced) return;
    if (Trimmed(value).empty() && field[0] == 'p') {
      AddError(errors, field, "нужна цена (0, если бесплатно)");
      ok = false;
    } else if (Trimmed(value).empty()) {
      *price = 0;
    } else if (!ReadPrice(value, price)) {
      AddError(errors, field, RangeText(kPriceRange));
      ok = false;
    }
  };
  for (int tier = 1; tier < kStoneTierCount; ++tier)
    read(stone[tier - 1], "p" + std::to_string(tier), &prices->stone[tier]);
  read(Value(text, "attempt_price"), "attempt_price", &prices->attempt);
  read(Value(text, "item_price"), "item_price", &prices->item);
  return ok;
}

// The 77 cells of each table, grade by grade.
// 77 whole numbers of 32 bits, comma-separated, grade by grade.
bool ReadCells(std::string_view cells, ProbabilityTable* table) {
  for (int i = 0; i < kCellCount; ++i) {
    const std::size_t comma = std::min(cells.find(','), cells.size());
    std::int32_t value = 0;
    const char* end = cells.data() + comma;
    const auto [stop, failure] = std::from_chars(cells.data(), end, value);
    if (failure != std::errc() || stop != end || (i + 1 < kCellCount) != (comma < cells.size()))
      return false;
    table->entry[i / kUpgradeLevelCount][i % kUpgradeLevelCount] = value;
    cells.remove_prefix(std::min(comma + 1, cells.size()));
  }
  return true;
}

std::string CellsMessage(const char* table) {
  return std::string("table «") + table + "» needs " + std::to_string(kCellCount) +
         " whole numbers of 32 bits, comma-separated";
}

bool ReadTables(const RequestText& text, ProbabilityTables* tables, std::string* error) {
  for (int which = 0; which < kTableCount; ++which) {
    if (ReadCells(Value(text, kTableKeys[which]), &TableAt(*tables, which))) continue;
    *error = CellsMessage(kTableKeys[which]);
    return false;
  }
  return true;
}

// Each byte as the character of that number (U+0000 to U+00FF), so that any
// bytes travel in a JSON string.
std::string ByteCharacters(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | byte >> 6);
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

std::string ErrorAnswer(const std::string& message) {
  return JsonObject({{"error", JsonString(message)}});
}

std::string ErrorsObject(const FieldErrors& errors) {
  std::vector<JsonMember> members;
  for (const auto& [field, message] : errors) members.push_back({field, JsonString(message)});
  return JsonObject(members);
}

std::string Simulation(const ProbabilityTables& tables, const UpgradeRequest& request,
                       std::uint32_t seed) {
  const AttemptSetUp set_up = SetUpAttempt(tables, request);
  RandomSource random = SeededRandomSource(seed);
  std::string lines = ChanceLine(set_up.chance);
  std::array<std::int64_t, kOutcomeCount> counts{};
  std::int32_t remaining = request.attempt_count;
  while (remaining-- > 0) {
    const AttemptOutcome outcome =
        RunAttempt(set_up.chance, set_up.destroy_value, set_up.downgrade_value,
                   [&random] { return DrawRandom(random); });
    ++counts[static_cast<int>(outcome)];
    lines += std::string(AttemptOutcomeLabel(outcome)) + "\n";
  }
  const std::string count_values = JsonArrayOf(counts, JsonInteger);
  return JsonObject(
      {{"seed", JsonInteger(seed)}, {"lines", JsonString(lines)}, {"counts", count_values}});
}

// The findings of one table's INI text, as --check writes them.
std::string FindingsData(int which, std::string_view text, bool found) {
  return TableFindingsData(CheckTableText(which, text, found, kPageListedFindings));
}

// Each table as its INI file would be written, and what the check finds in it.
std::string WrittenFindingsData(const ProbabilityTables& tables) {
  const int which[kTableCount] = {0, 1, 2};
  return JsonArrayOf(which, [&tables](int w) {
    return FindingsData(w, ProbabilityTableText(TableAt(tables, w)), true);
  });
}

// The chance to reach the target before the item is destroyed from 0
// taliks, for each grade, with one set of stones at every step.
std::string GradeReachData(const ProbabilityTables& tables, std::int32_t level,
                           const StoneTiers& stones, int target) {
  StonesPerStep each{};
  each.fill(stones);
  const int grades[kItemGradeCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  return JsonArrayOf(grades, [&](int grade) {
    const JourneySteps steps = StepsWithStones(tables, grade, level, target, each, Prices{});
    return JsonString(PercentText(ReachBeforeDestroyed(steps)[0]));
  });
}

// The stones of each talik count, "SET,SET,...", one set for each count
// below the target.
bool ReadSets(const RequestText& text, int target, StonesPerStep* stones, FieldErrors* errors) {
  const ListRead read = ReadStoneSets(Value(text, "stone_sets"), target, stones);
  if (read.fault == ListFault::kBadItem) {
    AddError(errors, "stone_sets",
             "«" + std::string(read.bad_item) + "»: четыре цифры " +
                 RangeText(Widened(kStoneTierRange)));
  } else if (read.fault == ListFault::kWrongCount) {
    AddError(errors, "stone_sets",
             "наборов " + std::to_string(read.count) + ", а нужно " + std::to_string(target) +
                 ": по одному на 0.." + std::to_string(target - 1) + " талик");
  }
  return read.fault == ListFault::kNone;
}

// Beside a priced journey of the player's stones, the cheapest stones' plan
// and how its budget at the shown level from the start differs, in percent
// of the player's ("−74 %").
std::string CheapestData(const ProbabilityTables& tables, PlanRequest plan, const PlanView& own,
                         int start) {
  plan.stones.reset();
  const PlanView cheapest = MakePlanView(tables, plan);
  const double own_budget = own.plan.journey.rows[start].budget_for[kShownPercentile];
  const double cheap_budget = cheapest.plan.journey.rows[start].budget_for[kShownPercentile];
  const bool comparable =
      std::isfinite(own_budget) && std::isfinite(cheap_budget) && own_budget > 0;
  const double change = comparable ? (cheap_budget - own_budget) / own_budget : 0;
  const std::string change_text = (change < 0 ? "−" : "+") + PercentText(std::fabs(change));
  return JsonObject({{"plan", PlanData(cheapest, JourneyChart{start, {}})},
                     {"budget_change", JsonString(comparable ? change_text : "")}});
}

std::string RangeData(ValueRange range) {
  return JsonArray({JsonInteger(range.low), JsonInteger(range.high)});
}

// The chance of each destroy and talik cell's loss, grade by grade.
std::string LossSharesData(const ProbabilityTables& tables) {
  const int losses[] = {1, 2};
  return JsonArrayOf(losses, [&tables](int which) {
    const std::int32_t* first = &TableAt(tables, which).entry[0][0];
    return JsonArrayOf(std::vector<std::int32_t>(first, first + kCellCount),
                       [](std::int32_t value) { return JsonNumber(LossDrawShare(value)); });
  });
}

std::string CellsData(const ProbabilityTable& table) {
  // Grade by grade: the rows of the table one after another.
  const std::int32_t* first = &table.entry[0][0];
  return JsonArrayOf(std::vector<std::int32_t>(first, first + kCellCount), JsonInteger);
}

}  // namespace

std::string PageFacts() {
  const auto quoted = [](std::string_view text) { return JsonString(text); };
  std::vector<std::string> stone_labels = {JsonString("Без камня")};
  for (int tier = 1; tier < kStoneTierCount; ++tier)
    stone_labels.push_back(JsonString("Т" + std::to_string(tier)));
  const int tables[kTableCount] = {0, 1, 2};
  const std::string files = JsonArrayOf(kProbabilityFilePaths, quoted);
  const std::string examples = JsonArrayOf(
      tables, [](int which) { return CellsData(ProbabilityTableFromText(kExampleTables[which])); });
  const std::string sizes = JsonArrayOf(tables, [](int which) {
    return JsonInteger(static_cast<std::int64_t>(kExampleTables[which].size()));
  });
  const std::string grade_names = JsonArrayOf(kItemGradeNames, quoted);
  const std::string outcomes = JsonArrayOf(kAttemptOutcomes, [](AttemptOutcome outcome) {
    return JsonString(AttemptOutcomeLabel(outcome));
  });
  const std::string levels = JsonArrayOf(kPercentileLevels, JsonNumber);
  return JsonObject({{"attempts", RangeData(kAttemptCountRange)},
                     {"grade", RangeData(kItemGradeRange)},
                     {"level", RangeData(kItemLevelRange)},
                     {"taliks", RangeData(kTalikCountRange)},
                     {"stone", RangeData(kStoneTierRange)},
                     {"target", RangeData(kTargetRange)},
                     {"max_price", JsonInteger(kMaxPrice)},
                     {"loss_scale", JsonInteger(kLossScale)},
                     {"cell_range", JsonArray({JsonInteger(INT32_MIN), JsonInteger(INT32_MAX)})},
                     {"grade_names", grade_names},
                     {"stone_labels", JsonArray(stone_labels)},
                     {"outcomes", outcomes},
                     {"outcome_keys", JsonArrayOf(kOutcomeKeys, quoted)},
                     {"percentile_levels", levels},
                     {"shown_percentile", JsonInteger(kShownPercentile)},
                     {"files", files},
                     {"section_stem", JsonString(kItemGradeSectionStem)},
                     {"key_stem", JsonString(kUpgradeLevelKeyStem)},
                     {"request_keys", JsonArrayOf(kRequestKeys, quoted)},
                     {"findings_shown", JsonInteger(kPageListedFindings)},
                     {"max_file_bytes", JsonInteger(kMaxTableFileBytes)},
                     {"table_keys", JsonArrayOf(kTableKeys, quoted)},
                     {"example_cells", examples},
                     {"example_sizes", sizes}});
}

std::string ReadPageTable(int which, std::string_view bytes, bool found) {
  if (which < 0 || which >= kTableCount)
    return ErrorAnswer("unknown table " + std::to_string(which) + ": 0, 1 or 2");
  if (static_cast<std::int64_t>(bytes.size()) > kMaxTableFileBytes) {
    return ErrorAnswer("a table file of more than " + std::to_string(kMaxTableFileBytes) +
                       " bytes");
  }
  const TableFileCheck check = CheckTableText(which, bytes, found, kPageListedFindings);
  return JsonObject({{"cells", CellsData(ProbabilityTableFromText(bytes))},
                     {"findings", TableFindingsData(check)},
                     {"finding_counts", TableFindingCountsData(check)},
                     {"cell_errors", TableCellErrorsData(check)}});
}

std::string EditPageTable(int which, std::string_view bytes, std::string_view cells) {
  if (which < 0 || which >= kTableCount)
    return ErrorAnswer("unknown table " + std::to_string(which) + ": 0, 1 or 2");
  ProbabilityTable table{};
  if (!ReadCells(cells, &table)) return ErrorAnswer(CellsMessage(kTableKeys[which]));
  IniGrid grid{};
  for (int grade = 0; grade < kItemGradeCount; ++grade) {
    for (int level = 0; level < kUpgradeLevelCount; ++level)
      grid.cell[grade][level] = table.entry[grade][level];
  }
  bool kept_layout = false;
  const std::string text = EditedIniText(bytes, grid, kProbabilityTableLayout, &kept_layout);
  const std::string path = kProbabilityFilePaths[which];
  return JsonObject({{"name", JsonString(path.substr(path.rfind('/') + 1))},
                     {"bytes", JsonString(ByteCharacters(text))},
                     {"kept_layout", JsonBool(kept_layout)}});
}

std::string AnswerPageRequest(std::string_view request_text) {
  const RequestText text = SplitRequest(request_text);
  if (!text.error.empty()) return ErrorAnswer(text.error);
  const auto* missing =
      std::find_if(std::begin(kTableKeys), std::end(kTableKeys),
                   [&text](const char* key) { return !text.given[KeyIndex(key)]; });
  if (missing != std::end(kTableKeys))
    return ErrorAnswer(std::string("no table «") + *missing + "»");
  ProbabilityTables tables{};
  std::string error;
  if (!ReadTables(text, &tables, &error)) return ErrorAnswer(error);
  const std::string& view = Value(text, "view");
  if (view == "ini_file") {
    // One table written as the INI file the game reads.
    const std::string& file = Value(text, "file");
    if (file.size() != 1 || file[0] < '0' || file[0] > '2')
      return ErrorAnswer("unknown file «" + file + "»: 0, 1 or 2");
    const int which = file[0] - '0';
    const std::string path = kProbabilityFilePaths[which];
    return JsonObject({{"name", JsonString(path.substr(path.rfind('/') + 1))},
                       {"text", JsonString(ProbabilityTableText(TableAt(tables, which)))}});
  }
  // What the check finds in the tables as their files would be written: asked
  // for once an edit, not with every answer.
  if (view == "findings") return JsonObject({{"table_findings", WrittenFindingsData(tables)}});
  if (!view.empty() && view != "page" && view != "set_up" && view != "simulate" &&
      view != "journey_run") {
    return ErrorAnswer("unknown view «" + view +
                       "»: page, set_up, simulate, journey_run, findings or ini_file");
  }

  FieldErrors errors;
  UpgradeRequest request;
  const bool attempts =
      ReadField(text, "attempts", kAttemptCountRange, &request.attempt_count, &errors);
  const bool grade = ReadField(text, "grade", kItemGradeRange, &request.item_grade, &errors);
  const bool level = ReadField(text, "level", kItemLevelRange, &request.item_level, &errors);
  const bool taliks = ReadField(text, "taliks", kTalikCountRange, &request.talik_count, &errors);
  const bool stones = ReadStones(text, &request.stone_tiers, &errors);
  const bool set_up = attempts && grade && level && taliks && stones;

  // The set-up's own answer alone, cheap, for the page to show first.
  if (view == "set_up") {
    return JsonObject({{"errors", ErrorsObject(errors)},
                       {"set_up", set_up ? SetUpData(MakeSetUpView(tables, request)) : "null"}});
  }
  std::uint32_t seed = 0;
  if (view == "simulate") {
    const bool seeded = ReadSeed(text, &seed, &errors);
    return JsonObject(
        {{"errors", ErrorsObject(errors)},
         {"simulation", set_up && seeded ? Simulation(tables, request, seed) : "null"}});
  }

  PlanRequest plan;
  plan.item_grade = request.item_grade;
  plan.item_level = request.item_level;
  const bool target = ReadField(text, "target", kTargetRange, &plan.target, &errors);
  bool priced = false;
  Prices given_prices;
  const bool prices = ReadPrices(text, &given_prices, &priced, &errors);
  // The journey is the player's: the set-up's stones at every step, or the
  // stones given for each talik count, priced where prices are given.
  plan.stones = StonesPerStep{};
  plan.stones->fill(request.stone_tiers);
  const bool own_sets = !Trimmed(Value(text, "stone_sets")).empty();
  const bool sets = own_sets && target && ReadSets(text, plan.target, &*plan.stones, &errors);
  if (priced) plan.prices = given_prices;
  // The player's own budget, for the chance within it: a price, with prices.
  bool budget = true;
  if (!Trimmed(Value(text, "budget")).empty()) {
    double value = 0;
    budget = ReadPrice(Value(text, "budget"), &value);
    if (!budget) AddError(&errors, "budget", RangeText(kPriceRange));
    if (budget && priced) plan.budget = value;
  }
  const bool journey = grade && level && target && prices && budget && (own_sets ? sets : stones);

  const int start = taliks && request.talik_count < plan.target ? request.talik_count : 0;
  if (view == "journey_run") {
    const bool seeded = ReadSeed(text, &seed, &errors);
    std::string run = "null";
    if (journey && seeded) {
      const PlanView plan_view = MakePlanView(tables, plan);
      RandomSource random = SeededRandomSource(seed);
      const JourneyRun played = RunJourney(
          plan_view.plan, plan_view.set_ups, start, [&random] { return DrawRandom(random); },
          kJourneyRunAttempts, kJourneyRunLog);
      run = JourneyRunData(played, priced, plan.target);
    }
    return JsonObject({{"errors", ErrorsObject(errors)}, {"journey_run", run}});
  }
  std::string set_up_data = "null", table_data = "null", plan_data = "null";
  if (set_up) set_up_data = SetUpData(MakeSetUpView(tables, request));
  if (level && stones)
    table_data = TableData(MakeTableView(tables, request.item_level, request.stone_tiers));
  std::string cheapest_data = "null";
  if (journey) {
    const PlanView plan_view = MakePlanView(tables, plan);
    plan_data = PlanData(plan_view, MakeJourneyChart(plan_view, start));
    if (priced) cheapest_data = CheapestData(tables, plan, plan_view, start);
  }
  const bool reach_by_grade = level && stones && target;
  return JsonObject(
      {{"errors", ErrorsObject(errors)},
       {"set_up", set_up_data},
       {"table", table_data},
       {"plan", plan_data},
       {"cheapest", cheapest_data},
       {"grade_reach", reach_by_grade ? GradeReachData(tables, request.item_level,
                                                       request.stone_tiers, plan.target)
                                      : "null"},
       {"loss_shares", LossSharesData(tables)}});
}

#include "web/page_api.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
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
#include "results/figures.h"
#include "results/json.h"
#include "results/page_data.h"
#include "results/plan_columns.h"
#include "results/requests.h"
#include "results/table_check.h"
#include "results/texts.h"
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
// A table file the page reads at most: far beyond any real one, and within
// the module's memory.
constexpr std::int64_t kMaxTableFileBytes = std::int64_t{16} << 20;

// ---- The request's text --------------------------------------------------

// lang: ru or en (none: ru).
constexpr const char* kRequestKeys[] = {
    "view",       "attempts", "grade",   "level",         "taliks",     "stones",
    "stone_sets", "target",   "prices",  "attempt_price", "item_price", "seed",
    "file",       "lang",     "success", "destroy",       "downgrade",  "budget"};
constexpr int kRequestKeyCount = sizeof kRequestKeys / sizeof kRequestKeys[0];

struct RequestText {
  std::array<std::string, kRequestKeyCount> value;
  std::array<bool, kRequestKeyCount> given{};
  // What makes it no request at all, and the key it names; kCount: none.
  PageText error = PageText::kCount;
  std::string error_key;
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
    if (index < 0 || text.given[index]) {
      // The first fault is told; the rest of the request is still read for
      // the language to tell it in.
      if (text.error == PageText::kCount) {
        text.error = index < 0 ? PageText::kUnknownKey : PageText::kKeyTwice;
        text.error_key = key;
      }
      continue;
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

/// Each wrong field's name and what it must be.
using FieldErrors = std::vector<std::pair<std::string, std::string>>;

void AddError(FieldErrors* errors, const std::string& field, const std::string& message) {
  errors->emplace_back(field, message);
}

// The fields' errors, in the request's language.
struct Fields {
  const RequestText& text;
  Language language;
  FieldErrors errors;
};

std::string RangeIn(Language language, WideRange range) {
  return RangeText(language, range.low, range.high);
}

// Reads one numeric field; a wrong one is named in errors.
bool ReadField(Fields* fields, std::string_view key, ValueRange range, std::int32_t* out) {
  if (ReadWhole(Value(fields->text, key), range, out)) return true;
  AddError(&fields->errors, std::string(key), RangeIn(fields->language, Widened(range)));
  return false;
}

bool ReadStones(Fields* fields, StoneTiers* stones) {
  const std::string& digits = Value(fields->text, "stones");
  bool all = true;
  for (int k = 0; k < kStoneCount; ++k) {
    const bool ok = ReadStoneDigit(digits, k, &(*stones)[k]);
    if (!ok) {
      AddError(&fields->errors, "stone" + std::to_string(k + 1),
               RangeIn(fields->language, Widened(kStoneTierRange)));
    }
    all = all && ok;
  }
  return all;
}

// The seed of a simulation: a whole number of 32 bits.
bool ReadSeed(Fields* fields, std::uint32_t* seed) {
  constexpr WideRange kSeedRange = {0, UINT32_MAX};
  std::int64_t value = 0;
  if (ReadWhole(Value(fields->text, "seed"), kSeedRange, &value)) {
    *seed = static_cast<std::uint32_t>(value);
    return true;
  }
  AddError(&fields->errors, "seed", RangeIn(fields->language, kSeedRange));
  return false;
}

// The prices of Т1..Т6 ("P1,...,P6", each may be blank), the attempt and the
// item. Stones are priced all or none: a blank one beside a given one is
// wrong, as 0 must be typed to mean free.
bool ReadPrices(Fields* fields, Prices* prices, bool* priced) {
  const RequestText& text = fields->text;
  FieldErrors* errors = &fields->errors;
  std::vector<std::string_view> stone = ListItems(Value(text, "prices"));
  stone.resize(kStoneTierCount - 1);
  *priced = false;
  for (const std::string_view p : stone) *priced = *priced || !Trimmed(p).empty();
  bool ok = true;
  const auto read = [&](std::string_view value, const std::string& field, double* price) {
    if (Trimmed(value).empty() && !*priced) return;
    if (Trimmed(value).empty() && field[0] == 'p') {
      AddError(errors, field, Say(fields->language, PageText::kPriceNeeded));
      ok = false;
    } else if (Trimmed(value).empty()) {
      *price = 0;
    } else if (!ReadPrice(value, price)) {
      AddError(errors, field, RangeIn(fields->language, kPriceRange));
      ok = false;
    }
  };
  for (int tier = 1; tier < kStoneTierCount; ++tier)
    read(stone[tier - 1], "p" + std::to_string(tier), &prices->stone[tier]);
  read(Value(text, "attempt_price"), "attempt_price", &prices->attempt);
  read(Value(text, "item_price"), "item_price", &prices->item);
  return ok;
}

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

std::string CellsMessage(Language language, const char* table) {
  return Say(language, PageText::kTableCells, {table, std::to_string(kCellCount)});
}

bool ReadTables(const RequestText& text, Language language, ProbabilityTables* tables,
                std::string* error) {
  for (int which = 0; which < kTableCount; ++which) {
    if (ReadCells(Value(text, kTableKeys[which]), &TableAt(*tables, which))) continue;
    *error = CellsMessage(language, kTableKeys[which]);
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

// What the check would find in each table's INI file as it would be written.
std::string WrittenFindingsData(const ProbabilityTables& tables, Language language) {
  const int which[kTableCount] = {0, 1, 2};
  return JsonArrayOf(which, [&tables, language](int w) {
    return TableFindingsData(CheckTableGrid(w, TableAt(tables, w), kPageListedFindings, language));
  });
}

// The stones of each talik count, "SET,SET,...", one set for each count
// below the target.
bool ReadSets(Fields* fields, int target, StonesPerStep* stones) {
  const ListRead read = ReadStoneSets(Value(fields->text, "stone_sets"), target, stones);
  const Language language = fields->language;
  if (read.fault == ListFault::kBadItem) {
    AddError(&fields->errors, "stone_sets",
             Say(language, PageText::kBadStoneSet,
                 {read.bad_item, RangeIn(language, Widened(kStoneTierRange))}));
  } else if (read.fault == ListFault::kWrongCount) {
    AddError(&fields->errors, "stone_sets",
             Say(language, PageText::kStoneSetCount,
                 {std::to_string(read.count), std::to_string(target), std::to_string(target - 1)}));
  }
  return read.fault == ListFault::kNone;
}

// Beside a priced journey of the player's stones, the cheapest stones' plan
// and how its budget at the shown level from the start differs, in percent
// of the player's ("−74 %").
std::string CheapestData(const ProbabilityTables& tables, PlanRequest plan, const PlanView& own,
                         int start, Language language) {
  plan.stones.reset();
  const PlanView cheapest = MakePlanView(tables, plan);
  const double own_budget = own.plan.journey.rows[start].budget_for[kShownPercentile];
  const double cheap_budget = cheapest.plan.journey.rows[start].budget_for[kShownPercentile];
  const bool comparable =
      std::isfinite(own_budget) && std::isfinite(cheap_budget) && own_budget > 0;
  const double change = comparable ? (cheap_budget - own_budget) / own_budget : 0;
  const std::string change_text = (change < 0 ? "−" : "+") + PercentText(std::fabs(change));
  return JsonObject({{"plan", PlanData(cheapest, JourneyChart{start, {}}, language)},
                     {"budget_change", JsonString(comparable ? change_text : "")}});
}

std::string RangeData(ValueRange range) {
  return JsonArray({JsonInteger(range.low), JsonInteger(range.high)});
}

// The heat of each destroy and talik cell, grade by grade: the chance that
// its loss does not come when the success draw fails.
std::string LossHeatData(const ProbabilityTables& tables) {
  const int losses[] = {1, 2};
  return JsonArrayOf(losses, [&tables](int which) {
    const std::int32_t* first = &TableAt(tables, which).entry[0][0];
    return JsonArrayOf(
        std::vector<std::int32_t>(first, first + kCellCount),
        [](std::int32_t value) { return JsonInteger(HeatHue(1.0 - LossDrawShare(value))); });
  });
}

std::string CellsData(const ProbabilityTable& table) {
  // Grade by grade: the rows of the table one after another.
  const std::int32_t* first = &table.entry[0][0];
  return JsonArrayOf(std::vector<std::int32_t>(first, first + kCellCount), JsonInteger);
}

}  // namespace

namespace {

std::string GradeNamesData(Language language) {
  const int grades[kItemGradeCount] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  return JsonArrayOf(grades, [language](int g) { return JsonString(GradeName(language, g)); });
}

// "No stone", then the tiers' labels.
std::string StoneLabelsData(Language language) {
  std::vector<std::string> labels = {JsonString(PageLabel(language, "no_stone"))};
  for (int tier = 1; tier < kStoneTierCount; ++tier)
    labels.push_back(JsonString(TierLabel(tier, language)));
  return JsonArray(labels);
}

std::string OutcomesData(Language language) {
  return JsonArrayOf(kAttemptOutcomes, [language](AttemptOutcome outcome) {
    return JsonString(OutcomeName(language, outcome));
  });
}

// What the page shows in one language: its own words by key, and the names
// the module's answers use.
std::string LanguageTexts(Language language) {
  const KeyedTexts labels = PageLabels(language);
  std::vector<JsonMember> members;
  for (std::size_t i = 0; i < labels.count; ++i)
    members.push_back({labels.texts[i].key, JsonString(labels.texts[i].text)});
  return JsonObject({{"labels", JsonObject(members)},
                     {"grade_names", GradeNamesData(language)},
                     {"stone_labels", StoneLabelsData(language)},
                     {"outcomes", OutcomesData(language)}});
}

const char* PerName(Per per) {
  return per == Per::kLevel ? "level" : per == Per::kTier ? "tier" : "row";
}

const char* ShownName(Shown shown) {
  return shown == Shown::kAll ? "all" : shown == Shown::kShownLevel ? "shown" : "none";
}

// The plan's columns the page's data hold, in their order.
std::string PlanColumnsData() {
  std::vector<std::string> columns;
  for (const PlanColumn& column : kPlanColumns) {
    if (column.page_key.empty()) continue;
    // Its place in the page's journey table; -1: not there.
    const auto* place =
        std::find(std::begin(kPageJourneyColumns), std::end(kPageJourneyColumns), column.page_key);
    const bool in_table = place != std::end(kPageJourneyColumns);
    columns.push_back(JsonObject(
        {{"key", JsonString(column.page_key)},
         {"per", JsonString(PerName(column.per))},
         {"shown", JsonString(ShownName(column.shown))},
         {"priced", JsonBool(PricedOnly(column.kind))},
         {"place", JsonInteger(in_table ? place - std::begin(kPageJourneyColumns) : -1)},
         {"heading", JsonString(in_table ? "column_" + std::string(column.page_key) : "")}}));
  }
  return JsonArray(columns);
}

}  // namespace

std::string PageFacts() {
  const auto quoted = [](std::string_view text) { return JsonString(text); };
  const int tables[kTableCount] = {0, 1, 2};
  const std::string files = JsonArrayOf(kProbabilityFilePaths, quoted);
  const std::string examples = JsonArrayOf(
      tables, [](int which) { return CellsData(ProbabilityTableFromText(kExampleTables[which])); });
  const std::string sizes = JsonArrayOf(tables, [](int which) {
    return JsonInteger(static_cast<std::int64_t>(kExampleTables[which].size()));
  });
  std::vector<JsonMember> texts;
  texts.reserve(kLanguageCount);
  for (int language = 0; language < kLanguageCount; ++language)
    texts.push_back({kLanguageCodes[language], LanguageTexts(static_cast<Language>(language))});
  const int percentiles[kPercentileCount] = {0, 1, 2};
  const std::string levels = JsonArrayOf(kPercentileLevels, JsonNumber);
  return JsonObject(
      {{"attempts", RangeData(kAttemptCountRange)},
       {"grade", RangeData(kItemGradeRange)},
       {"level", RangeData(kItemLevelRange)},
       {"taliks", RangeData(kTalikCountRange)},
       {"stone", RangeData(kStoneTierRange)},
       {"target", RangeData(kTargetRange)},
       {"max_price", JsonInteger(kMaxPrice)},
       {"loss_scale", JsonInteger(kLossScale)},
       {"cell_range", JsonArray({JsonInteger(INT32_MIN), JsonInteger(INT32_MAX)})},
       {"languages", JsonArrayOf(kLanguageCodes, quoted)},
       {"texts", JsonObject(texts)},
       // The Russian names once more, for the script that knows no languages.
       {"grade_names", GradeNamesData(Language::kRussian)},
       {"stone_labels", StoneLabelsData(Language::kRussian)},
       {"outcomes", OutcomesData(Language::kRussian)},
       {"outcome_keys", JsonArrayOf(kOutcomeKeys, quoted)},
       {"percentile_levels", levels},
       {"percentile_labels",
        JsonArrayOf(percentiles, [](int p) { return JsonString(PercentileLabel(p)); })},
       {"shown_percentile", JsonInteger(kShownPercentile)},
       {"plan_columns", PlanColumnsData()},
       {"percent_sign", JsonString(kPercentSign)},
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

std::string ReadPageTable(int which, std::string_view bytes, bool found,
                          std::string_view language_code) {
  Language language = Language::kRussian;
  (void)LanguageOfCode(language_code, &language);
  if (which < 0 || which >= kTableCount)
    return ErrorAnswer(Say(language, PageText::kUnknownTable, {std::to_string(which)}));
  if (static_cast<std::int64_t>(bytes.size()) > kMaxTableFileBytes) {
    return ErrorAnswer(Say(language, PageText::kFileTooBig, {std::to_string(kMaxTableFileBytes)}));
  }
  const TableFileCheck check = CheckTableText(which, bytes, found, kPageListedFindings, language);
  return JsonObject({{"cells", CellsData(ProbabilityTableFromText(bytes))},
                     {"findings", TableFindingsData(check)},
                     {"finding_counts", TableFindingCountsData(check)},
                     {"cell_errors", TableCellErrorsData(check)}});
}

std::string EditPageTable(int which, std::string_view bytes, std::string_view cells) {
  if (which < 0 || which >= kTableCount)
    return ErrorAnswer(Say(Language::kRussian, PageText::kUnknownTable, {std::to_string(which)}));
  ProbabilityTable table{};
  if (!ReadCells(cells, &table))
    return ErrorAnswer(CellsMessage(Language::kRussian, kTableKeys[which]));
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

namespace {

// One table written as the INI file the game reads.
std::string IniFileAnswer(const RequestText& text, const ProbabilityTables& tables,
                          Language language) {
  const std::string& file = Value(text, "file");
  if (file.size() != 1 || file[0] < '0' || file[0] > '2')
    return ErrorAnswer(Say(language, PageText::kUnknownFile, {file}));
  const int which = file[0] - '0';
  const std::string path = kProbabilityFilePaths[which];
  return JsonObject({{"name", JsonString(path.substr(path.rfind('/') + 1))},
                     {"text", JsonString(ProbabilityTableText(TableAt(tables, which)))}});
}

// The set-up and the journey a request asks for, and which of their fields
// are right.
struct PageRequest {
  UpgradeRequest set_up;
  PlanRequest plan;
  bool grade = false, level = false, taliks = false, stones = false;
  bool set_up_read = false;  // every field of the set-up
  bool journey_read = false;
  bool unpriced_read = false;  // the journey's fields but for its prices and budget
  bool reach_read = false;     // the level, the stones and the target
  int start = 0;               // the journey's talik count to chart and play out from
};

// The player's own budget, for the chance within it: a price, with prices.
bool ReadBudget(Fields* fields, PlanRequest* plan) {
  const std::string& given = Value(fields->text, "budget");
  if (Trimmed(given).empty()) return true;
  double value = 0;
  if (!ReadPrice(given, &value)) {
    AddError(&fields->errors, "budget", RangeIn(fields->language, kPriceRange));
    return false;
  }
  if (plan->prices) plan->budget = value;
  return true;
}

// The set-up's fields.
void ReadSetUpFields(Fields* fields, PageRequest* read) {
  UpgradeRequest& request = read->set_up;
  const bool attempts = ReadField(fields, "attempts", kAttemptCountRange, &request.attempt_count);
  read->grade = ReadField(fields, "grade", kItemGradeRange, &request.item_grade);
  read->level = ReadField(fields, "level", kItemLevelRange, &request.item_level);
  read->taliks = ReadField(fields, "taliks", kTalikCountRange, &request.talik_count);
  read->stones = ReadStones(fields, &request.stone_tiers);
  read->set_up_read = attempts && read->grade && read->level && read->taliks && read->stones;
}

// The journey's fields, after the set-up's.
void ReadJourneyFields(Fields* fields, PageRequest* read) {
  const UpgradeRequest& request = read->set_up;
  PlanRequest& plan = read->plan;
  plan.item_grade = request.item_grade;
  plan.item_level = request.item_level;
  const bool target = ReadField(fields, "target", kTargetRange, &plan.target);
  bool priced = false;
  Prices given_prices;
  const bool prices = ReadPrices(fields, &given_prices, &priced);
  // The journey is the player's: the set-up's stones at every step, or the
  // stones given for each talik count, priced where prices are given.
  plan.stones = StonesPerStep{};
  plan.stones->fill(request.stone_tiers);
  const bool own_sets = !Trimmed(Value(fields->text, "stone_sets")).empty();
  const bool sets = own_sets && target && ReadSets(fields, plan.target, &*plan.stones);
  if (priced) plan.prices = given_prices;
  const bool budget = ReadBudget(fields, &plan);
  read->reach_read = read->level && read->stones && target;
  read->unpriced_read = read->grade && read->level && target && (own_sets ? sets : read->stones);
  read->journey_read = read->unpriced_read && prices && budget;
  read->start = read->taliks && request.talik_count < plan.target ? request.talik_count : 0;
}

std::string SimulationAnswer(const ProbabilityTables& tables, const PageRequest& read,
                             Fields* fields) {
  std::uint32_t seed = 0;
  const bool seeded = ReadSeed(fields, &seed);
  std::string simulation = "null";
  if (read.set_up_read && seeded) {
    RandomSource random = SeededRandomSource(seed);
    const DrawSource draw = [&random] { return DrawRandom(random); };
    simulation =
        SimulationData(MakeSimulationView(tables, read.set_up, draw), seed, fields->language);
  }
  return JsonObject({{"errors", ErrorsObject(fields->errors)}, {"simulation", simulation}});
}

std::string JourneyRunAnswer(const ProbabilityTables& tables, const PageRequest& read,
                             Fields* fields) {
  std::uint32_t seed = 0;
  const bool seeded = ReadSeed(fields, &seed);
  std::string run = "null";
  if (read.journey_read && seeded) {
    const PlanView plan_view = MakePlanView(tables, read.plan);
    RandomSource random = SeededRandomSource(seed);
    const JourneyRun played = RunJourney(
        plan_view.plan, plan_view.set_ups, read.start, [&random] { return DrawRandom(random); },
        kJourneyRunAttempts, kJourneyRunLog);
    run = JourneyRunData(played, read.plan.prices.has_value(), read.plan.target, fields->language);
  }
  return JsonObject({{"errors", ErrorsObject(fields->errors)}, {"journey_run", run}});
}

// The set-up, the table, the journey (and with prices the cheapest stones'
// beside it) and each grade's reach, each null where a field it needs is
// wrong.
std::string PageViewAnswer(const ProbabilityTables& tables, const PageRequest& read,
                           const Fields& fields) {
  const UpgradeRequest& request = read.set_up;
  const Language language = fields.language;
  std::string set_up = "null", table = "null", plan = "null", cheapest = "null", reach = "null";
  if (read.set_up_read) set_up = SetUpData(MakeSetUpView(tables, request), language);
  if (read.level && read.stones)
    table = TableData(MakeTableView(tables, request.item_level, request.stone_tiers));
  if (read.journey_read) {
    const PlanView plan_view = MakePlanView(tables, read.plan);
    plan = PlanData(plan_view, MakeJourneyChart(plan_view, read.start), language);
    if (read.plan.prices)
      cheapest = CheapestData(tables, read.plan, plan_view, read.start, language);
  }
  if (read.reach_read) {
    reach = GradeReachData(
        MakeGradeReach(tables, request.item_level, request.stone_tiers, read.plan.target));
  }
  return JsonObject({{"errors", ErrorsObject(fields.errors)},
                     {"set_up", set_up},
                     {"table", table},
                     {"plan", plan},
                     {"cheapest", cheapest},
                     {"grade_reach", reach},
                     {"loss_heat", LossHeatData(tables)}});
}

std::string StageAnswer(const char* stage, std::vector<JsonMember> members) {
  members.insert(members.begin(), {"stage", JsonString(stage)});
  return JsonObject(members);
}

// The page's answer in the order the page draws it, each stage sent as it
// is ready and the last returned: the set-up's own answer; the journey's
// figures without prices; the table, the grades' reach and the loss
// cells' heat; with prices the player's journey priced, and last the cheapest
// stones' beside it.
std::string StagedPageAnswer(const ProbabilityTables& tables, Fields* fields,
                             const StageSink& send) {
  PageRequest read;
  ReadSetUpFields(fields, &read);
  send(StageAnswer(
      "set_up",
      {{"errors", ErrorsObject(fields->errors)},
       {"set_up", read.set_up_read ? SetUpData(MakeSetUpView(tables, read.set_up), fields->language)
                                   : "null"}}));
  ReadJourneyFields(fields, &read);
  const Language language = fields->language;
  const UpgradeRequest& request = read.set_up;
  const bool priced = read.journey_read && read.plan.prices.has_value();
  std::string table = "null", unpriced = "null", reach = "null";
  PlanView unpriced_view{};
  JourneyChart chart{};
  if (read.unpriced_read) {
    PlanRequest without_prices = read.plan;
    without_prices.prices.reset();
    without_prices.budget.reset();
    unpriced_view = MakePlanView(tables, without_prices);
    chart = MakeJourneyChart(unpriced_view, read.start);
    unpriced = PlanData(unpriced_view, chart, language);
  }
  send(StageAnswer("answer", {{"errors", ErrorsObject(fields->errors)},
                              {"unpriced_plan", unpriced},
                              {"priced", JsonBool(priced)}}));
  if (read.level && read.stones)
    table = TableData(MakeTableView(tables, request.item_level, request.stone_tiers));
  if (read.reach_read) {
    reach = GradeReachData(
        MakeGradeReach(tables, request.item_level, request.stone_tiers, read.plan.target));
  }
  std::string table_stage = StageAnswer(
      "table", {{"table", table}, {"grade_reach", reach}, {"loss_heat", LossHeatData(tables)}});
  if (!priced) return table_stage;
  send(table_stage);
  // The same journey as the unpriced one, and the same chart: only the
  // prices' figures are new.
  const PlanView plan_view = PricedPlanView(tables, read.plan, unpriced_view);
  send(StageAnswer("journey", {{"plan", PlanData(plan_view, chart, language)}}));
  return StageAnswer(
      "cheapest", {{"cheapest", CheapestData(tables, read.plan, plan_view, read.start, language)}});
}

}  // namespace

std::string AnswerPageRequest(std::string_view request_text) {
  return AnswerPageRequest(request_text, nullptr);
}

std::string AnswerPageRequest(std::string_view request_text, const StageSink* send) {
  const RequestText text = SplitRequest(request_text);
  Language language = Language::kRussian;
  const bool language_known =
      Value(text, "lang").empty() || LanguageOfCode(Value(text, "lang"), &language);
  if (text.error != PageText::kCount)
    return ErrorAnswer(Say(language, text.error, {text.error_key}));
  const auto* missing =
      std::find_if(std::begin(kTableKeys), std::end(kTableKeys),
                   [&text](const char* key) { return !text.given[KeyIndex(key)]; });
  if (missing != std::end(kTableKeys))
    return ErrorAnswer(Say(language, PageText::kNoTable, {*missing}));
  ProbabilityTables tables{};
  std::string error;
  if (!ReadTables(text, language, &tables, &error)) return ErrorAnswer(error);
  const std::string& view = Value(text, "view");
  if (view == "ini_file") return IniFileAnswer(text, tables, language);
  // What the check finds in the tables as their files would be written: asked
  // for once an edit, not with every answer.
  if (view == "findings")
    return JsonObject({{"table_findings", WrittenFindingsData(tables, language)}});
  if (!view.empty() && view != "page" && view != "set_up" && view != "simulate" &&
      view != "journey_run")
    return ErrorAnswer(Say(language, PageText::kUnknownView, {view}));

  Fields fields{text, language, {}};
  if (!language_known) {
    AddError(&fields.errors, "lang",
             Say(language, PageText::kUnknownLanguage, {LanguageCodeList()}));
  }
  if (send != nullptr && (view.empty() || view == "page"))
    return StagedPageAnswer(tables, &fields, *send);
  PageRequest read;
  ReadSetUpFields(&fields, &read);
  // The set-up's own answer alone, cheap, for the page to show first.
  if (view == "set_up") {
    return JsonObject(
        {{"errors", ErrorsObject(fields.errors)},
         {"set_up",
          read.set_up_read ? SetUpData(MakeSetUpView(tables, read.set_up), language) : "null"}});
  }
  if (view == "simulate") return SimulationAnswer(tables, read, &fields);
  ReadJourneyFields(&fields, &read);
  if (view == "journey_run") return JourneyRunAnswer(tables, read, &fields);
  return PageViewAnswer(tables, read, fields);
}

#include "odds/command_line.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <string_view>

#include "model/journey.h"
#include "results/requests.h"
#include "results/texts.h"

namespace {

// "от 1 до 100" in the language.
std::string RangeIn(Language language, WideRange range) {
  return RangeText(language, range.low, range.high);
}

// ---- Options -----------------------------------------------------------------

enum class Option {
  kCsv,
  kCheck,
  kTable,
  kPlan,
  kPrices,
  kAttemptPrice,
  kItemPrice,
  kBudget,
  kStones,
  kHelp,
  kVersion,
  kLang,
  kNone
};
constexpr int kOptionCount = static_cast<int>(Option::kNone);

// What the arguments gave before the numbers are read.
struct Scan {
  Language language = Language::kRussian;  // of the messages
  std::array<bool, kOptionCount> given{};
  std::string_view stone_sets;
  Prices prices;
  double budget = 0.0;
  std::array<const char*, 8> numbers{};
  int number_count = 0;
};

bool Given(const Scan& scan, Option option) {
  return option != Option::kNone && scan.given[static_cast<int>(option)];
}

// Reads an option's value into the scan; false with the error set.
using ValueReader = bool (*)(std::string_view value, Scan* scan, std::string* error);

bool ReadStoneSetsValue(std::string_view value, Scan* scan, std::string* error) {
  scan->stone_sets = value;
  if (!value.empty()) return true;
  *error = Say(scan->language, OddsText::kNoStoneSets);
  return false;
}

std::string BadPrice(Language language, std::string_view value) {
  return Say(language, OddsText::kBadPrice, {RangeIn(language, kPriceRange), value});
}

bool ReadPriceValue(std::string_view value, Language language, double* price, std::string* error) {
  if (ReadPrice(value, price)) return true;
  *error = BadPrice(language, value);
  return false;
}

bool ReadPricesValue(std::string_view value, Scan* scan, std::string* error) {
  const ListRead read = ReadStonePrices(value, &scan->prices);
  if (read.fault == ListFault::kNone) return true;
  if (read.fault == ListFault::kBadItem) {
    *error = BadPrice(scan->language, read.bad_item);
    return false;
  }
  *error = Say(scan->language, OddsText::kPriceCount,
               {std::to_string(kStoneTierCount - 1), std::to_string(read.count)});
  return false;
}

bool ReadAttemptPriceValue(std::string_view value, Scan* scan, std::string* error) {
  return ReadPriceValue(value, scan->language, &scan->prices.attempt, error);
}

bool ReadItemPriceValue(std::string_view value, Scan* scan, std::string* error) {
  return ReadPriceValue(value, scan->language, &scan->prices.item, error);
}

// The language itself is taken before the scan (LanguageAsked): here it is
// only checked.
bool ReadLanguageValue(std::string_view value, Scan* scan, std::string* error) {
  Language language = Language::kRussian;
  if (LanguageOfCode(value, &language)) return true;
  *error = Say(scan->language, OddsText::kBadLanguage, {value, LanguageCodeList()});
  return false;
}

// A budget is read as a price is: a whole number in the same range.
bool ReadBudgetValue(std::string_view value, Scan* scan, std::string* error) {
  if (ReadPrice(value, &scan->budget)) return true;
  *error = Say(scan->language, OddsText::kBadBudget, {RangeIn(scan->language, kPriceRange), value});
  return false;
}

struct OptionRow {
  Option option;
  std::string_view name;
  std::string_view short_name;  // or empty
  ValueReader read;             // nullptr: the option takes no value
  Option needs;                 // the option it goes only with, or kNone
  // cppcheck-suppress unusedStructMember ; read through the row the check finds
  OddsText needs_text;  // what is said when that one is missing
  bool anywhere;        // goes with every form, even one taken alone
};

constexpr OddsText kNoText = OddsText::kCount;

constexpr OptionRow kOptions[] = {
    {Option::kCsv, "--csv", "", nullptr, Option::kNone, kNoText, true},
    {Option::kCheck, "--check", "", nullptr, Option::kNone, kNoText, false},
    {Option::kTable, "--table", "", nullptr, Option::kNone, kNoText, false},
    {Option::kPlan, "--plan", "", nullptr, Option::kNone, kNoText, false},
    {Option::kPrices, "--prices", "", ReadPricesValue, Option::kPlan, OddsText::kPricesNeedPlan,
     false},
    {Option::kAttemptPrice, "--attempt-price", "", ReadAttemptPriceValue, Option::kPrices,
     OddsText::kExtraPricesNeedPrices, false},
    {Option::kItemPrice, "--item-price", "", ReadItemPriceValue, Option::kPrices,
     OddsText::kExtraPricesNeedPrices, false},
    {Option::kBudget, "--budget", "", ReadBudgetValue, Option::kPrices,
     OddsText::kBudgetNeedsPrices, false},
    {Option::kStones, "--stones", "", ReadStoneSetsValue, Option::kPlan, OddsText::kStonesNeedPlan,
     false},
    {Option::kHelp, "--help", "-h", nullptr, Option::kNone, kNoText, true},
    {Option::kVersion, "--version", "-V", nullptr, Option::kNone, kNoText, true},
    {Option::kLang, "--lang", "", ReadLanguageValue, Option::kNone, kNoText, true},
};

const OptionRow& RowOf(Option option) {
  const auto* row = std::find_if(std::begin(kOptions), std::end(kOptions),
                                 [option](const OptionRow& r) { return r.option == option; });
  return row != std::end(kOptions) ? *row : kOptions[0];
}

// ---- Forms -------------------------------------------------------------------

// What the numbers are; kStones takes four arguments, one per slot.
enum class Number { kAttempts, kGrade, kLevel, kTaliks, kTarget, kStones };

struct NumberRow {
  Number number;
  OddsText text;  // the message for a wrong one: {1} its range, {2} the argument, {3} the slot
  ValueRange range;
};

constexpr NumberRow kNumbers[] = {
    {Number::kAttempts, OddsText::kBadAttempts, kAttemptCountRange},
    {Number::kGrade, OddsText::kBadGrade, kItemGradeRange},
    {Number::kLevel, OddsText::kBadLevel, kItemLevelRange},
    {Number::kTaliks, OddsText::kBadTaliks, kTalikCountRange},
    {Number::kTarget, OddsText::kBadTarget, kTargetRange},
    {Number::kStones, OddsText::kBadStone, kStoneTierRange},
};

const NumberRow& RowOf(Number number) {
  const auto* row = std::find_if(std::begin(kNumbers), std::end(kNumbers),
                                 [number](const NumberRow& r) { return r.number == number; });
  return row != std::end(kNumbers) ? *row : kNumbers[0];
}

constexpr int kMostNumbers = 5;

struct FormRow {
  Command command;
  Option mode;            // the option that names the form; kNone: the set-up
  Option with;            // an option the form needs besides, or kNone
  Option without;         // an option it cannot go with, or kNone
  OddsText without_text;  // what is said then
  OddsText alone_text;    // the form takes no numbers and no other options; kNoText
  int number_count;
  std::array<Number, kMostNumbers> numbers;
};

using N = Number;
// clang-format off
constexpr FormRow kForms[] = {
    {Command::kSetUp, Option::kNone, Option::kNone, Option::kNone, kNoText, kNoText, 5,
     {N::kAttempts, N::kGrade, N::kLevel, N::kTaliks, N::kStones}},
    {Command::kTable, Option::kTable, Option::kNone, Option::kNone, kNoText, kNoText, 2,
     {N::kLevel, N::kStones}},
    // The player's stones, the same at every step.
    {Command::kPlan, Option::kPlan, Option::kNone, Option::kStones, OddsText::kStonesTwice,
     kNoText, 4, {N::kGrade, N::kLevel, N::kTarget, N::kStones}},
    // The player's stones, a set per step.
    {Command::kPlan, Option::kPlan, Option::kStones, Option::kNone, kNoText, kNoText, 3,
     {N::kGrade, N::kLevel, N::kTarget}},
    // The cheapest stones at the prices.
    {Command::kPlan, Option::kPlan, Option::kPrices, Option::kNone, kNoText, kNoText, 3,
     {N::kGrade, N::kLevel, N::kTarget}},
    {Command::kCheck, Option::kCheck, Option::kNone, Option::kNone, kNoText,
     OddsText::kCheckAlone, 0, {}},
};
// clang-format on

int ArgumentCount(const FormRow& form) {
  int count = 0;
  for (int i = 0; i < form.number_count; ++i)
    count += form.numbers[i] == Number::kStones ? kStoneCount : 1;
  return count;
}

bool IsMode(Option option) {
  return std::any_of(std::begin(kForms), std::end(kForms),
                     [option](const FormRow& form) { return form.mode == option; });
}

// ---- Reading -------------------------------------------------------------------

// Matches "--name", "--name=VALUE" for an option with a value, or the short
// name; sets the value's start.
bool Matches(const OptionRow& row, std::string_view argument, bool* inline_value) {
  *inline_value = false;
  if (argument == row.name || (!row.short_name.empty() && argument == row.short_name)) return true;
  *inline_value = row.read != nullptr && argument.size() > row.name.size() &&
                  argument.substr(0, row.name.size()) == row.name &&
                  argument[row.name.size()] == '=';
  return *inline_value;
}

bool LooksLikeOption(std::string_view argument) {
  return argument.size() > 1 && argument[0] == '-' &&
         (argument[1] == '-' || argument == "-h" || argument == "-V");
}

// Takes one option; false with the error set.
bool TakeOption(int argc, const char* const* argv, int* i, Scan* scan, std::string* error) {
  const std::string_view argument = argv[*i];
  for (const OptionRow& row : kOptions) {
    bool inline_value = false;
    if (!Matches(row, argument, &inline_value)) continue;
    scan->given[static_cast<int>(row.option)] = true;
    if (row.read == nullptr) return true;
    std::string_view value;
    if (inline_value) {
      value = argument.substr(row.name.size() + 1);
    } else if (*i + 1 < argc) {
      value = argv[++*i];
    } else {
      *error = Say(scan->language, OddsText::kNeedsValue, {row.name});
      return false;
    }
    return row.read(value, scan, error);
  }
  *error = Say(scan->language, OddsText::kUnknownOption, {argument});
  return false;
}

// Every argument; stops early at help, the version or a wrong option.
Command ScanArguments(int argc, const char* const* argv, Scan* scan, std::string* error) {
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (options_ended || !LooksLikeOption(argument)) {
      if (scan->number_count < static_cast<int>(scan->numbers.size()))
        scan->numbers[scan->number_count] = argv[i];
      ++scan->number_count;
    } else if (argument == "--") {
      options_ended = true;
    } else if (!TakeOption(argc, argv, &i, scan, error)) {
      return Command::kBadUsage;
    } else if (Given(*scan, Option::kHelp)) {
      return Command::kHelp;
    } else if (Given(*scan, Option::kVersion)) {
      return Command::kVersion;
    }
  }
  return Command::kCheck;  // anything but help, the version or bad usage
}

// What the options say together: the form they and the count of numbers
// make, or nullptr with the error set.
const FormRow* FormOf(const Scan& scan, std::string* error) {
  for (const FormRow& form : kForms) {
    if (form.alone_text == kNoText || !Given(scan, form.mode)) continue;
    bool alone = scan.number_count == 0;
    for (const OptionRow& row : kOptions)
      alone = alone && (row.anywhere || row.option == form.mode || !Given(scan, row.option));
    if (alone) return &form;
    *error = Say(scan.language, form.alone_text);
    return nullptr;
  }
  Option mode = Option::kNone;
  for (const OptionRow& row : kOptions) {
    if (!IsMode(row.option) || !Given(scan, row.option)) continue;
    if (mode != Option::kNone) {
      *error = Say(scan.language, OddsText::kNotTogether, {RowOf(mode).name, row.name});
      return nullptr;
    }
    mode = row.option;
  }
  const auto* lacking =
      std::find_if(std::begin(kOptions), std::end(kOptions), [&scan](const OptionRow& row) {
        return Given(scan, row.option) && row.needs != Option::kNone && !Given(scan, row.needs);
      });
  if (lacking != std::end(kOptions)) {
    *error = Say(scan.language, lacking->needs_text);
    return nullptr;
  }
  const FormRow* last = nullptr;
  for (const FormRow& form : kForms) {
    if (form.mode != mode || (form.with != Option::kNone && !Given(scan, form.with))) continue;
    const bool count = ArgumentCount(form) == scan.number_count;
    if (Given(scan, form.without)) {
      if (!count) continue;
      *error = Say(scan.language, form.without_text);
      return nullptr;
    }
    if (count) return &form;
    last = &form;
  }
  *error =
      Say(scan.language, OddsText::kNumberCount,
          {std::to_string(last ? ArgumentCount(*last) : 0), std::to_string(scan.number_count)});
  return nullptr;
}

struct Numbers {
  std::int32_t attempts = 1;
  std::int32_t grade = 0;
  std::int32_t level = 1;
  std::int32_t taliks = 0;
  std::int32_t target = 1;
  StoneTiers stones{};
};

std::int32_t* FieldOf(Numbers* numbers, Number number) {
  switch (number) {
    case Number::kAttempts:
      return &numbers->attempts;
    case Number::kGrade:
      return &numbers->grade;
    case Number::kLevel:
      return &numbers->level;
    case Number::kTaliks:
      return &numbers->taliks;
    case Number::kTarget:
      return &numbers->target;
    case Number::kStones:
      break;
  }
  return numbers->stones.data();
}

bool ReadOne(const NumberRow& row, Language language, const char* text, std::int32_t* value,
             int slot, std::string* error) {
  if (ReadWhole(text, row.range, value)) return true;
  *error =
      Say(language, row.text, {RangeIn(language, Widened(row.range)), text, std::to_string(slot)});
  return false;
}

// The form's numbers in their order; false with the error set.
bool ReadNumbers(const FormRow& form, const Scan& scan, Numbers* numbers, std::string* error) {
  int next = 0;
  for (int i = 0; i < form.number_count; ++i) {
    const NumberRow& row = RowOf(form.numbers[i]);
    const int width = form.numbers[i] == Number::kStones ? kStoneCount : 1;
    std::int32_t* field = FieldOf(numbers, form.numbers[i]);
    for (int k = 0; k < width; ++k) {
      if (!ReadOne(row, scan.language, scan.numbers[next++], field + k, k + 1, error)) return false;
    }
  }
  return true;
}

bool ReadStoneSetsOf(const Scan& scan, int target, StonesPerStep* stones, std::string* error) {
  const ListRead read = ReadStoneSets(scan.stone_sets, target, stones);
  if (read.fault == ListFault::kBadItem) {
    *error = Say(scan.language, OddsText::kBadStoneSet,
                 {read.bad_item, RangeIn(scan.language, Widened(kStoneTierRange))});
  } else if (read.fault == ListFault::kWrongCount) {
    *error = Say(scan.language, OddsText::kStoneSetCount,
                 {std::to_string(target), std::to_string(target - 1), std::to_string(read.count)});
  }
  return read.fault == ListFault::kNone;
}

// The plan the form and the options ask for: the stones given as numbers or
// a set per step, else none for the cheapest; the prices, if given.
bool MakePlanRequest(const FormRow& form, const Scan& scan, const Numbers& numbers,
                     PlanRequest* plan, std::string* error) {
  plan->item_grade = numbers.grade;
  plan->item_level = numbers.level;
  plan->target = numbers.target;
  if (form.numbers[form.number_count - 1] == Number::kStones) {
    plan->stones = StonesPerStep{};
    plan->stones->fill(numbers.stones);
  } else if (Given(scan, Option::kStones)) {
    plan->stones = StonesPerStep{};
    if (!ReadStoneSetsOf(scan, numbers.target, &*plan->stones, error)) return false;
  }
  if (Given(scan, Option::kPrices)) plan->prices = scan.prices;
  if (Given(scan, Option::kBudget)) plan->budget = scan.budget;
  return true;
}

// The language of --lang, or else the given one: before anything else, so
// that every message is in it.
Language LanguageAsked(int argc, const char* const* argv, Language language) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--") break;
    std::string_view code;
    if (argument == "--lang" && i + 1 < argc) {
      code = argv[++i];
    } else if (argument.substr(0, 7) == "--lang=") {
      code = argument.substr(7);
    }
    (void)LanguageOfCode(code, &language);
  }
  return language;
}

}  // namespace

CommandLine ReadCommandLine(int argc, const char* const* argv, Language language) {
  CommandLine line;
  Scan scan;
  scan.language = LanguageAsked(argc, argv, language);
  line.language = scan.language;
  line.command = ScanArguments(argc, argv, &scan, &line.error);
  if (line.command != Command::kCheck) return line;
  line.csv = Given(scan, Option::kCsv);
  const FormRow* form = FormOf(scan, &line.error);
  Numbers numbers;
  if (form == nullptr || !ReadNumbers(*form, scan, &numbers, &line.error)) {
    line.command = Command::kBadUsage;
    return line;
  }
  line.command = form->command;
  line.set_up = {numbers.attempts, numbers.grade, numbers.level, numbers.taliks, numbers.stones};
  if (form->command == Command::kPlan &&
      !MakePlanRequest(*form, scan, numbers, &line.plan, &line.error))
    line.command = Command::kBadUsage;
  return line;
}

std::string UsageText(Language language) { return std::string(TextOf(language, OddsText::kUsage)); }

std::string HelpText(Language language) {
  const auto range = [language](ValueRange r) { return RangeIn(language, Widened(r)); };
  const auto span = [](ValueRange r) {
    return std::to_string(r.low) + ".." + std::to_string(r.high);
  };
  return Say(
      language, OddsText::kHelp,
      {range(kAttemptCountRange), range(kItemGradeRange), range(kItemLevelRange),
       range(kTalikCountRange), span(kTargetRange), span(kStoneTierRange), LanguageCodeList()});
}

#include "odds/command_line.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <iterator>
#include <string_view>

#include "model/journey.h"
#include "results/requests.h"

namespace {

// ---- Texts -----------------------------------------------------------------

// pattern with {1}, {2}, ... replaced by the arguments in turn.
std::string Fill(std::string_view pattern, std::initializer_list<std::string> arguments) {
  std::string text;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const std::size_t index = i + 2 < pattern.size() && pattern[i] == '{' && pattern[i + 2] == '}'
                                  ? static_cast<std::size_t>(pattern[i + 1] - '1')
                                  : arguments.size();
    if (index < arguments.size()) {
      text += *(arguments.begin() + index);
      i += 2;
    } else {
      text += pattern[i];
    }
  }
  return text;
}

std::string RangeText(WideRange range) {
  return Fill("от {1} до {2}", {std::to_string(range.low), std::to_string(range.high)});
}

std::string RangeText(ValueRange range) { return RangeText(Widened(range)); }

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
  kNone
};
constexpr int kOptionCount = static_cast<int>(Option::kNone);

// What the arguments gave before the numbers are read.
struct Scan {
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
  *error = "--stones: нет ни одного набора";
  return false;
}

std::string BadPrice(std::string_view value) {
  return Fill("цена должна быть целым числом {1}, а не «{2}»",
              {RangeText(kPriceRange), std::string(value)});
}

bool ReadPriceValue(std::string_view value, double* price, std::string* error) {
  if (ReadPrice(value, price)) return true;
  *error = BadPrice(value);
  return false;
}

bool ReadPricesValue(std::string_view value, Scan* scan, std::string* error) {
  const ListRead read = ReadStonePrices(value, &scan->prices);
  if (read.fault == ListFault::kNone) return true;
  if (read.fault == ListFault::kBadItem) {
    *error = BadPrice(read.bad_item);
    return false;
  }
  *error = Fill("--prices: нужно {1} цен через запятую, а задано {2}",
                {std::to_string(kStoneTierCount - 1), std::to_string(read.count)});
  return false;
}

bool ReadAttemptPriceValue(std::string_view value, Scan* scan, std::string* error) {
  return ReadPriceValue(value, &scan->prices.attempt, error);
}

bool ReadItemPriceValue(std::string_view value, Scan* scan, std::string* error) {
  return ReadPriceValue(value, &scan->prices.item, error);
}

// A budget is read as a price is: a whole number in the same range.
bool ReadBudgetValue(std::string_view value, Scan* scan, std::string* error) {
  if (ReadPrice(value, &scan->budget)) return true;
  *error = Fill("бюджет должен быть целым числом {1}, а не «{2}»",
                {RangeText(kPriceRange), std::string(value)});
  return false;
}

struct OptionRow {
  Option option;
  std::string_view name;
  std::string_view short_name;  // or empty
  ValueReader read;             // nullptr: the option takes no value
  Option needs;                 // the option it goes only with, or kNone
  // cppcheck-suppress unusedStructMember ; read through the row the check finds
  const char* needs_text;  // what is said when that one is missing
  bool anywhere;           // goes with every form, even one taken alone
};

constexpr const char* kWithPricesOnly = "--attempt-price и --item-price задаются только с --prices";

constexpr OptionRow kOptions[] = {
    {Option::kCsv, "--csv", "", nullptr, Option::kNone, nullptr, true},
    {Option::kCheck, "--check", "", nullptr, Option::kNone, nullptr, false},
    {Option::kTable, "--table", "", nullptr, Option::kNone, nullptr, false},
    {Option::kPlan, "--plan", "", nullptr, Option::kNone, nullptr, false},
    {Option::kPrices, "--prices", "", ReadPricesValue, Option::kPlan,
     "--prices задаётся только с --plan", false},
    {Option::kAttemptPrice, "--attempt-price", "", ReadAttemptPriceValue, Option::kPrices,
     kWithPricesOnly, false},
    {Option::kItemPrice, "--item-price", "", ReadItemPriceValue, Option::kPrices, kWithPricesOnly,
     false},
    {Option::kBudget, "--budget", "", ReadBudgetValue, Option::kPrices,
     "--budget задаётся только с --prices", false},
    {Option::kStones, "--stones", "", ReadStoneSetsValue, Option::kPlan,
     "--stones задаётся только с --plan", false},
    {Option::kHelp, "--help", "-h", nullptr, Option::kNone, nullptr, true},
    {Option::kVersion, "--version", "-V", nullptr, Option::kNone, nullptr, true},
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
  const char* text;  // the message for a wrong one: {1} its range, {2} the argument
  ValueRange range;
};

constexpr NumberRow kNumbers[] = {
    {Number::kAttempts, "число попыток должно быть целым числом {1}, а не «{2}»",
     kAttemptCountRange},
    {Number::kGrade, "тип оружия или брони должен быть целым числом {1}, а не «{2}»",
     kItemGradeRange},
    {Number::kLevel, "уровень оружия или брони должен быть целым числом {1}, а не «{2}»",
     kItemLevelRange},
    {Number::kTaliks, "число установленных талик должно быть целым числом {1}, а не «{2}»",
     kTalikCountRange},
    {Number::kTarget, "цель (число талик) должна быть целым числом {1}, а не «{2}»", kTargetRange},
    // {3}: the slot, 1 to 4.
    {Number::kStones, "тип камня {3} должен быть целым числом {1}, а не «{2}»", kStoneTierRange},
};

const NumberRow& RowOf(Number number) {
  const auto* row = std::find_if(std::begin(kNumbers), std::end(kNumbers),
                                 [number](const NumberRow& r) { return r.number == number; });
  return row != std::end(kNumbers) ? *row : kNumbers[0];
}

constexpr int kMostNumbers = 5;

struct FormRow {
  Command command;
  Option mode;               // the option that names the form; kNone: the set-up
  Option with;               // an option the form needs besides, or kNone
  Option without;            // an option it cannot go with, or kNone
  const char* without_text;  // what is said then
  const char* alone_text;    // the form takes no numbers and no other options
  int number_count;
  std::array<Number, kMostNumbers> numbers;
};

constexpr const char* kStonesTwice =
    "камни задаются или числами К1..К4, или --stones, но не вместе";

using N = Number;
constexpr FormRow kForms[] = {
    {Command::kSetUp,
     Option::kNone,
     Option::kNone,
     Option::kNone,
     nullptr,
     nullptr,
     5,
     {N::kAttempts, N::kGrade, N::kLevel, N::kTaliks, N::kStones}},
    {Command::kTable,
     Option::kTable,
     Option::kNone,
     Option::kNone,
     nullptr,
     nullptr,
     2,
     {N::kLevel, N::kStones}},
    // The player's stones, the same at every step.
    {Command::kPlan,
     Option::kPlan,
     Option::kNone,
     Option::kStones,
     kStonesTwice,
     nullptr,
     4,
     {N::kGrade, N::kLevel, N::kTarget, N::kStones}},
    // The player's stones, a set per step.
    {Command::kPlan,
     Option::kPlan,
     Option::kStones,
     Option::kNone,
     nullptr,
     nullptr,
     3,
     {N::kGrade, N::kLevel, N::kTarget}},
    // The cheapest stones at the prices.
    {Command::kPlan,
     Option::kPlan,
     Option::kPrices,
     Option::kNone,
     nullptr,
     nullptr,
     3,
     {N::kGrade, N::kLevel, N::kTarget}},
    {Command::kCheck,
     Option::kCheck,
     Option::kNone,
     Option::kNone,
     nullptr,
     "--check задаётся без чисел и других параметров, кроме --csv",
     0,
     {}},
};

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
      *error = Fill("после {1} нужно значение", {std::string(row.name)});
      return false;
    }
    return row.read(value, scan, error);
  }
  *error = Fill("неизвестный параметр «{1}»", {std::string(argument)});
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
    if (form.alone_text == nullptr || !Given(scan, form.mode)) continue;
    bool alone = scan.number_count == 0;
    for (const OptionRow& row : kOptions)
      alone = alone && (row.anywhere || row.option == form.mode || !Given(scan, row.option));
    if (alone) return &form;
    *error = form.alone_text;
    return nullptr;
  }
  Option mode = Option::kNone;
  for (const OptionRow& row : kOptions) {
    if (!IsMode(row.option) || !Given(scan, row.option)) continue;
    if (mode != Option::kNone) {
      *error = Fill("{1} и {2} не задаются вместе",
                    {std::string(RowOf(mode).name), std::string(row.name)});
      return nullptr;
    }
    mode = row.option;
  }
  const auto* lacking =
      std::find_if(std::begin(kOptions), std::end(kOptions), [&scan](const OptionRow& row) {
        return Given(scan, row.option) && row.needs != Option::kNone && !Given(scan, row.needs);
      });
  if (lacking != std::end(kOptions)) {
    *error = lacking->needs_text;
    return nullptr;
  }
  const FormRow* last = nullptr;
  for (const FormRow& form : kForms) {
    if (form.mode != mode || (form.with != Option::kNone && !Given(scan, form.with))) continue;
    const bool count = ArgumentCount(form) == scan.number_count;
    if (Given(scan, form.without)) {
      if (!count) continue;
      *error = form.without_text;
      return nullptr;
    }
    if (count) return &form;
    last = &form;
  }
  *error = Fill("нужно {1} чисел, а задано {2}", {std::to_string(last ? ArgumentCount(*last) : 0),
                                                  std::to_string(scan.number_count)});
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

bool ReadOne(const NumberRow& row, const char* text, std::int32_t* value, int slot,
             std::string* error) {
  if (ReadWhole(text, row.range, value)) return true;
  *error = Fill(row.text, {RangeText(row.range), text, std::to_string(slot)});
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
      if (!ReadOne(row, scan.numbers[next++], field + k, k + 1, error)) return false;
    }
  }
  return true;
}

bool ReadStoneSetsOf(const Scan& scan, int target, StonesPerStep* stones, std::string* error) {
  const ListRead read = ReadStoneSets(scan.stone_sets, target, stones);
  if (read.fault == ListFault::kBadItem) {
    *error = Fill("--stones: набор «{1}» - не четыре цифры {2}",
                  {std::string(read.bad_item), RangeText(kStoneTierRange)});
  } else if (read.fault == ListFault::kWrongCount) {
    *error = Fill("--stones: нужно {1} наборов (по одному на 0..{2} талик), а задано {3}",
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

}  // namespace

CommandLine ReadCommandLine(int argc, const char* const* argv) {
  CommandLine line;
  Scan scan;
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

std::string UsageText() {
  return "Использование:\n"
         "  upgrade-odds [--csv] ПОПЫТКИ ТИП УРОВЕНЬ ТАЛИКИ К1 К2 К3 К4\n"
         "  upgrade-odds [--csv] --table УРОВЕНЬ К1 К2 К3 К4\n"
         "  upgrade-odds [--csv] --plan ТИП УРОВЕНЬ ЦЕЛЬ К1 К2 К3 К4\n"
         "  upgrade-odds [--csv] --plan --stones Н0,Н1,... ТИП УРОВЕНЬ ЦЕЛЬ\n"
         "  upgrade-odds [--csv] --plan --prices Ц1,Ц2,Ц3,Ц4,Ц5,Ц6\n"
         "               [--attempt-price Ц] [--item-price Ц] [--budget Б]\n"
         "               ТИП УРОВЕНЬ ЦЕЛЬ\n"
         "               [К1 К2 К3 К4 | --stones Н0,Н1,...]\n"
         "  upgrade-odds [--csv] --check\n"
         "  upgrade-odds -h | --help | -V | --version\n";
}

std::string HelpText() {
  const auto range = [](ValueRange r) { return RangeText(r); };
  const auto span = [](ValueRange r) {
    return std::to_string(r.low) + ".." + std::to_string(r.high);
  };
  return Fill(
      "Точные шансы модификации по таблицам CustomSettings/ в текущей папке.\n"
      "Числа те же и в том же порядке, что ответы upgrade-sim:\n"
      "  ПОПЫТКИ  число попыток, {1}\n"
      "  ТИП      тип оружия или брони, {2}\n"
      "  УРОВЕНЬ  уровень оружия или брони, {3}\n"
      "  ТАЛИКИ   число установленных талик, {4}\n"
      "  К1..К4   тип каждого из четырёх камней: 0 без камня, 1..6 Т1..Т6\n"
      "  --table  шанс успеха для каждого типа и числа талик\n"
      "  --plan   путь предмета от 0..ЦЕЛЬ-1 талик до ЦЕЛИ ({5}): шанс дойти,\n"
      "           сколько попыток и предметов нужно\n"
      "  --stones свои камни на каждом шаге: набор из четырёх цифр {6} для\n"
      "           0, 1, ... ЦЕЛЬ-1 талик, через запятую: 6630,6600,5500\n"
      "  --prices цены камней Т1..Т6; без своих камней для каждого шага\n"
      "           выбираются камни с наименьшей средней ценой пути, со своими\n"
      "           считается их цена; --attempt-price - цена попытки,\n"
      "           --item-price - цена нового предмета; --budget - шанс дойти\n"
      "           до цели, потратив не больше Б\n"
      "  --check  что в файлах CustomSettings/*.ini не так и что читается вместо\n"
      "           этого; код выхода 0, если всё в порядке, 1, если нет\n"
      "  --csv    вывод для таблиц: запятые, точка в дробях\n"
      "  --       дальше только числа\n",
      {range(kAttemptCountRange), range(kItemGradeRange), range(kItemLevelRange),
       range(kTalikCountRange), span(kTargetRange), span(kStoneTierRange)});
}

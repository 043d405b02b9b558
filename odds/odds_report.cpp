#include "odds/odds_report.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/attempt_series.h"
#include "model/outcome_odds.h"
#include "model/plan.h"
#include "model/probability_tables.h"
#include "model/success_chance.h"
#include "model/upgrade_request.h"
#include "platform/console.h"
#include "platform/key_press.h"
#include "platform/probability_files.h"
#include "platform/regular_file.h"
#include "results/csv_writer.h"
#include "results/table_check.h"
#include "results/text_writer.h"
#include "results/views.h"

#ifndef UPGRADE_SIM_VERSION
#define UPGRADE_SIM_VERSION "unknown"
#endif

namespace {

constexpr const char* kUsage =
    "Использование:\n"
    "  upgrade-odds [--csv] ПОПЫТКИ ТИП УРОВЕНЬ ТАЛИКИ К1 К2 К3 К4\n"
    "  upgrade-odds [--csv] --table УРОВЕНЬ К1 К2 К3 К4\n"
    "  upgrade-odds [--csv] --plan ТИП УРОВЕНЬ ЦЕЛЬ К1 К2 К3 К4\n"
    "  upgrade-odds [--csv] --plan --stones Н0,Н1,... ТИП УРОВЕНЬ ЦЕЛЬ\n"
    "  upgrade-odds [--csv] --plan --prices Ц1,Ц2,Ц3,Ц4,Ц5,Ц6\n"
    "               [--attempt-price Ц] [--item-price Ц] ТИП УРОВЕНЬ ЦЕЛЬ\n"
    "               [К1 К2 К3 К4 | --stones Н0,Н1,...]\n"
    "  upgrade-odds [--csv] --check\n"
    "  upgrade-odds -h | --help | -V | --version\n";

constexpr const char* kHelp =
    "Точные шансы модификации по таблицам CustomSettings/ в текущей папке.\n"
    "Числа те же и в том же порядке, что ответы upgrade-sim:\n"
    "  ПОПЫТКИ  число попыток, от 1 до 100\n"
    "  ТИП      тип оружия или брони, от 0 до 10\n"
    "  УРОВЕНЬ  уровень оружия или брони, от 1 до 65\n"
    "  ТАЛИКИ   число установленных талик, от 0 до 6\n"
    "  К1..К4   тип каждого из четырёх камней: 0 без камня, 1..6 Т1..Т6\n"
    "  --table  шанс успеха для каждого типа и числа талик\n"
    "  --plan   путь предмета от 0..ЦЕЛЬ-1 талик до ЦЕЛИ (1..7): шанс дойти,\n"
    "           сколько попыток и предметов нужно\n"
    "  --stones свои камни на каждом шаге: набор из четырёх цифр 0..6 для\n"
    "           0, 1, ... ЦЕЛЬ-1 талик, через запятую: 6630,6600,5500\n"
    "  --prices цены камней Т1..Т6; без своих камней для каждого шага\n"
    "           выбираются камни с наименьшей средней ценой пути, со своими\n"
    "           считается их цена; --attempt-price - цена попытки,\n"
    "           --item-price - цена нового предмета\n"
    "  --check  что в файлах CustomSettings/*.ini не так и что читается вместо\n"
    "           этого; код выхода 0, если всё в порядке, 1, если нет\n"
    "  --csv    вывод для таблиц: запятые, точка в дробях\n"
    "  --       дальше только числа\n";

// ---- The command line ----------------------------------------------------

struct NumberArgument {
  const char* subject;  // for the message when it is wrong
  const char* must;     // "должен", "должно" or "должна", as the subject takes it
  ValueRange range;
};

constexpr NumberArgument kAttempts = {"число попыток", "должно", kAttemptCountRange};
constexpr NumberArgument kGrade = {"тип оружия или брони", "должен", kItemGradeRange};
constexpr NumberArgument kLevel = {"уровень оружия или брони", "должен", kItemLevelRange};
constexpr NumberArgument kTaliks = {"число установленных талик", "должно", kTalikCountRange};
constexpr NumberArgument kTarget = {"цель (число талик)", "должна", kTargetRange};

enum class Command { kSetUp, kTable, kPlan, kCheck, kHelp, kVersion, kBadUsage };

struct OddsCommandLine {
  bool csv = false;
  std::string_view stone_sets;  // --stones, or empty
  UpgradeRequest request;       // the attempt count, grade and talik count unused by --table
  PlanRequest plan;
};

// A plain decimal integer with an optional sign that fits 32 bits.
bool ParseInteger(std::string_view text, std::int32_t* value) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '-') return false;
  }
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, *value);
  return error == std::errc() && stop == end;
}

std::string RangeMessage(const std::string& subject, const char* must, std::int64_t low,
                         std::int64_t high, std::string_view text) {
  return subject + " " + must + " быть целым числом от " + std::to_string(low) + " до " +
         std::to_string(high) + ", а не «" + std::string(text) + "»";
}

// Reads one number into value; on failure error tells what was wrong.
bool ReadNumber(const char* text, const NumberArgument& argument, std::int32_t* value,
                std::string* error) {
  if (ParseInteger(text, value) && InRange(*value, argument.range)) return true;
  *error =
      RangeMessage(argument.subject, argument.must, argument.range.low, argument.range.high, text);
  return false;
}

bool ReadStones(const char* const* texts, StoneTiers* stones, std::string* error) {
  for (int k = 0; k < kStoneCount; ++k) {
    if (ParseInteger(texts[k], &(*stones)[k]) && InRange((*stones)[k], kStoneTierRange)) continue;
    *error = RangeMessage("тип камня " + std::to_string(k + 1), "должен", kStoneTierRange.low,
                          kStoneTierRange.high, texts[k]);
    return false;
  }
  return true;
}

// A price: plain decimal digits, 0 to 10^12.
bool ReadPrice(std::string_view text, double* price, std::string* error) {
  std::int64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, failure] = std::from_chars(text.data(), end, value);
  if (!text.empty() && text.front() != '-' && failure == std::errc() && stop == end &&
      value <= kMaxPrice) {
    *price = static_cast<double>(value);
    return true;
  }
  *error = RangeMessage("цена", "должна", 0, kMaxPrice, text);
  return false;
}

// "P1,P2,P3,P4,P5,P6": the prices of Т1 to Т6.
bool ReadStonePrices(std::string_view list, Prices* prices, std::string* error) {
  int count = 0;
  for (std::size_t at = 0;; ++count) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    if (count < kStoneTierCount - 1 &&
        !ReadPrice(list.substr(at, comma - at), &prices->stone[count + 1], error))
      return false;
    if (comma == list.size()) break;
    at = comma + 1;
  }
  if (++count == kStoneTierCount - 1) return true;
  *error = "--prices: нужно 6 цен через запятую, а задано " + std::to_string(count);
  return false;
}

// The options that take a value: --name VALUE or --name=VALUE.
bool TakeOptionValue(std::string_view name, int argc, const char* const* argv, int* i,
                     std::string_view* value, std::string* error) {
  const std::string_view argument = argv[*i];
  if (argument.size() > name.size() && argument[name.size()] == '=') {
    *value = argument.substr(name.size() + 1);
    return true;
  }
  if (*i + 1 >= argc) {
    *error = "после " + std::string(name) + " нужно значение";
    return false;
  }
  *value = argv[++*i];
  return true;
}

bool IsOption(std::string_view argument, std::string_view name) {
  return argument == name ||
         (argument.size() > name.size() && argument.substr(0, name.size()) == name &&
          argument[name.size()] == '=');
}

struct Flags {
  bool check = false;
  bool stones = false;
  std::string_view stone_sets;  // the value of --stones
  bool table = false;
  bool plan = false;
  bool prices = false;
  bool extra_prices = false;  // --attempt-price or --item-price
};

// Checks what the options and the count of numbers say together; returns
// the command, or kBadUsage with error set.
Command CommandOf(const Flags& flags, int number_count, std::string* error) {
  if (flags.check) {
    if (!flags.table && !flags.plan && !flags.prices && !flags.extra_prices && number_count == 0)
      return Command::kCheck;
    *error = "--check задаётся без чисел и других параметров, кроме --csv";
  } else if (flags.table && flags.plan) {
    *error = "--table и --plan не задаются вместе";
  } else if (flags.prices && !flags.plan) {
    *error = "--prices задаётся только с --plan";
  } else if (flags.extra_prices && !flags.prices) {
    *error = "--attempt-price и --item-price задаются только с --prices";
  } else if (flags.stones && !flags.plan) {
    *error = "--stones задаётся только с --plan";
  } else if (flags.stones && number_count == 7) {
    *error = "камни задаются или числами К1..К4, или --stones, но не вместе";
  } else {
    const int wanted = flags.plan    ? (flags.stones || (flags.prices && number_count != 7) ? 3 : 7)
                       : flags.table ? 5
                                     : 8;
    if (number_count == wanted)
      return flags.plan ? Command::kPlan : flags.table ? Command::kTable : Command::kSetUp;
    *error = "нужно " + std::to_string(wanted) + " чисел, а задано " + std::to_string(number_count);
  }
  return Command::kBadUsage;
}

// "SET,SET,...": four tiers, digits 0 to 6, for each talik count below the
// target.
bool ReadStoneSets(std::string_view list, int target, StonesPerStep* stones, std::string* error) {
  int count = 0;
  for (std::size_t at = 0;; ++count) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    const std::string_view set = list.substr(at, comma - at);
    const bool digits =
        set.size() == kStoneCount && std::all_of(set.begin(), set.end(), [](char c) {
          return c >= '0' && c - '0' <= kStoneTierRange.high;
        });
    if (!digits) {
      *error = "--stones: набор «" + std::string(set) + "» - не четыре цифры от 0 до 6";
      return false;
    }
    if (count < kMaxTarget) {
      for (int k = 0; k < kStoneCount; ++k) (*stones)[count][k] = set[k] - '0';
    }
    if (comma == list.size()) break;
    at = comma + 1;
  }
  if (++count == target) return true;
  *error = "--stones: нужно " + std::to_string(target) + " наборов (по одному на 0.." +
           std::to_string(target - 1) + " талик), а задано " + std::to_string(count);
  return false;
}

Command ReadNumbers(Command command, const char* const* next, OddsCommandLine* command_line,
                    std::string* error) {
  UpgradeRequest& request = command_line->request;
  PlanRequest& plan = command_line->plan;
  bool read = true;
  switch (command) {
    case Command::kSetUp:
      read = ReadNumber(next[0], kAttempts, &request.attempt_count, error) &&
             ReadNumber(next[1], kGrade, &request.item_grade, error) &&
             ReadNumber(next[2], kLevel, &request.item_level, error) &&
             ReadNumber(next[3], kTaliks, &request.talik_count, error) &&
             ReadStones(next + 4, &request.stone_tiers, error);
      break;
    case Command::kTable:
      read = ReadNumber(next[0], kLevel, &request.item_level, error) &&
             ReadStones(next + 1, &request.stone_tiers, error);
      break;
    case Command::kPlan:
      read = ReadNumber(next[0], kGrade, &plan.item_grade, error) &&
             ReadNumber(next[1], kLevel, &plan.item_level, error) &&
             ReadNumber(next[2], kTarget, &plan.target, error) &&
             (plan.cheapest || !command_line->stone_sets.empty() ||
              ReadStones(next + 3, &plan.stones[0], error)) &&
             (command_line->stone_sets.empty() ||
              ReadStoneSets(command_line->stone_sets, plan.target, &plan.stones, error));
      if (command_line->stone_sets.empty()) plan.stones.fill(plan.stones[0]);
      break;
    default:
      break;
  }
  return read ? command : Command::kBadUsage;
}

Command ParseArguments(int argc, const char* const* argv, OddsCommandLine* command_line,
                       std::string* error) {
  Flags flags;
  Prices& prices = command_line->plan.prices;
  const char* numbers[8];
  int number_count = 0;
  bool options_ended = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    std::string_view value;
    const bool option = !options_ended && argument.size() > 1 && argument[0] == '-' &&
                        (argument[1] == '-' || argument == "-h" || argument == "-V");
    if (!option) {
      if (number_count < 8) numbers[number_count] = argv[i];
      ++number_count;
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help" || argument == "-h") {
      return Command::kHelp;
    } else if (argument == "--version" || argument == "-V") {
      return Command::kVersion;
    } else if (argument == "--csv") {
      command_line->csv = true;
    } else if (argument == "--check") {
      flags.check = true;
    } else if (argument == "--table") {
      flags.table = true;
    } else if (argument == "--plan") {
      flags.plan = true;
    } else if (IsOption(argument, "--stones")) {
      flags.stones = true;
      if (!TakeOptionValue("--stones", argc, argv, &i, &value, error)) return Command::kBadUsage;
      flags.stone_sets = value;
      if (value.empty()) {
        *error = "--stones: нет ни одного набора";
        return Command::kBadUsage;
      }
    } else if (IsOption(argument, "--prices")) {
      flags.prices = true;
      if (!TakeOptionValue("--prices", argc, argv, &i, &value, error) ||
          !ReadStonePrices(value, &prices, error))
        return Command::kBadUsage;
    } else if (IsOption(argument, "--attempt-price") || IsOption(argument, "--item-price")) {
      flags.extra_prices = true;
      const bool attempt = IsOption(argument, "--attempt-price");
      if (!TakeOptionValue(attempt ? "--attempt-price" : "--item-price", argc, argv, &i, &value,
                           error) ||
          !ReadPrice(value, attempt ? &prices.attempt : &prices.item, error))
        return Command::kBadUsage;
    } else {
      *error = "неизвестный параметр «" + std::string(argument) + "»";
      return Command::kBadUsage;
    }
  }
  command_line->plan.cheapest = flags.prices && !flags.stones && number_count == 3;
  command_line->plan.priced = flags.prices;
  command_line->stone_sets = flags.stone_sets;
  const Command command = CommandOf(flags, number_count, error);
  if (command == Command::kBadUsage) return command;
  return ReadNumbers(command, numbers, command_line, error);
}

// The simulator must stay silent about missing tables; we say which file
// was not there, so that a report of zeros is not taken for the truth.
void ReportMissingFiles(const TableFilesFound& found) {
  for (std::size_t i = 0; i < found.size(); ++i) {
    if (found[i]) continue;
    WriteErrorText("upgrade-odds: не найден " + std::string(kProbabilityFilePaths[i]) + " в " +
                   WorkingDirectory() + ": все значения 0\n");
  }
}

int Finish(const std::string& text) {
  WriteText(text);
  return FlushOutput() ? kReportWritten : kReportCutShort;
}

// Every finding in the three files, read as every other form reads them,
// each file's written as soon as it is read; the counts last.
int Check(bool csv) {
  bool any = false, errors = false;
  std::string summary;
  for (int table = 0; table < kProbabilityTableCount; ++table) {
    const TableFileCheck check = CheckTableFile(table, kCheckListedFindings);
    if (check.errors + check.notes == 0) continue;
    if (csv && !any) WriteText(kTableCheckCsvHeader);
    any = true;
    errors = errors || check.errors > 0;
    WriteText(csv ? TableCheckCsv(check) : TableCheckText(check));
    summary += TableCheckSummary(check);
  }
  if (!csv) WriteText(summary);
  const bool written = FlushOutput();
  // Both mean "not all is well": an error, or output that failed.
  return errors ? kTablesFaulty : written ? kReportWritten : kReportCutShort;
}

int Report(int argc, const char* const* argv) {
  OddsCommandLine command_line;
  std::string error;
  const Command command = ParseArguments(argc, argv, &command_line, &error);
  switch (command) {
    case Command::kHelp:
      return Finish(std::string(kUsage) + kHelp);
    case Command::kVersion:
      return Finish("upgrade-odds " UPGRADE_SIM_VERSION "\n");
    case Command::kBadUsage:
      WriteErrorText("upgrade-odds: " + error + "\n" + kUsage);
      return kBadUsage;
    case Command::kCheck:
    case Command::kSetUp:
    case Command::kTable:
    case Command::kPlan:
      break;
  }
  if (command_line.csv) UseLfLineBreaks();
  if (command == Command::kCheck) return Check(command_line.csv);
  TableFilesFound found{};
  const ProbabilityTables tables = LoadProbabilityTables(&found);
  ReportMissingFiles(found);
  const bool csv = command_line.csv;
  if (command == Command::kPlan) {
    const PlanView view = MakePlanView(tables, command_line.plan);
    return Finish(csv ? PlanCsv(view) : PlanText(view));
  }
  const UpgradeRequest& request = command_line.request;
  if (command == Command::kTable) {
    const TableView view = MakeTableView(tables, request.item_level, request.stone_tiers);
    return Finish(csv ? TableCsv(view) : TableText(view));
  }
  const SetUpView view = MakeSetUpView(tables, request);
  return Finish(csv ? SetUpCsv(view) : SetUpText(view));
}

}  // namespace

int RunOddsReport(int argc, const char* const* argv) {
  SetUpConsole();
  const int status = Report(argc, argv);
  // Started by a double click, the console window would close before the
  // report could be read.
  if (StartedInOwnConsole()) {
    WriteText("\nНажмите любую клавишу…");
    (void)FlushOutput();
    WaitForKeyPress();
  }
  return status;
}
